#!/usr/bin/env python3
"""Reads an .xlsx file with openpyxl and prints what the tests compare, as JSON.

    read_xlsx.py FILE

The workbook is opened twice: once for the formulas as written, once with data_only for
the results stored beside them (openpyxl calculates nothing, so a result it reports was
in the file).
"""
import datetime
import json
import sys

import openpyxl
from openpyxl.utils import column_index_from_string
from openpyxl.utils.datetime import to_excel


def colour(c):
    if c is None or c.type != "rgb" or c.rgb in (None, "FF000000"):
        return None
    return c.rgb[-6:]


def dump(path):
    book = openpyxl.load_workbook(path)
    values = openpyxl.load_workbook(path, data_only=True)
    sheet = book.worksheets[0]
    shown = values.worksheets[0]
    cells = {}
    for row in sheet.iter_rows(min_row=1, max_row=sheet.max_row, max_col=sheet.max_column):
        for cell in row:
            if cell.value is None and not cell.has_style:
                continue
            result = shown.cell(row=cell.row, column=cell.column).value
            # A number in a date format comes as a date; the file holds the day number.
            is_date = isinstance(result, (datetime.datetime, datetime.date, datetime.time, datetime.timedelta))
            if is_date:
                result = to_excel(result)
            sides = (cell.border.left, cell.border.right, cell.border.top, cell.border.bottom)
            entry = {
                "type": cell.data_type,
                "value": result,
                "is_date": is_date,
                "format": cell.number_format,
                "font": cell.font.name,
                "size": cell.font.sz,
                "bold": bool(cell.font.b),
                "italic": bool(cell.font.i),
                "underline": cell.font.u,
                "strike": bool(cell.font.strike),
                "colour": colour(cell.font.color),
                "halign": cell.alignment.horizontal,
                "valign": cell.alignment.vertical,
                "wrap": bool(cell.alignment.wrap_text),
                "borders": [side.style for side in sides],
                "border_colours": [colour(side.color) for side in sides],
                "fill": cell.fill.fill_type,
                "fill_colour": colour(cell.fill.fgColor) if cell.fill.fill_type else None,
            }
            if cell.data_type == "f":
                entry["formula"] = cell.value
            cells["%d,%d" % (cell.row, cell.column)] = entry
    widths = {}
    hidden = []
    for key, dim in sheet.column_dimensions.items():
        first = dim.min or column_index_from_string(key)
        last = dim.max or first
        for c in range(first, last + 1):
            if dim.width:
                widths[str(c)] = dim.width
            if dim.hidden:
                hidden.append(c)
    heights = {str(r): dim.height for r, dim in sheet.row_dimensions.items() if dim.height is not None}
    hidden_rows = sorted(r for r, dim in sheet.row_dimensions.items() if dim.hidden)
    setup = sheet.page_setup
    margins = sheet.page_margins
    selection = sheet.sheet_view.selection[0] if sheet.sheet_view.selection else None
    json.dump({
        "sheets": book.sheetnames,
        "cells": cells,
        "widths": widths,
        "hidden_columns": sorted(hidden),
        "heights": heights,
        "hidden_rows": hidden_rows,
        "default_row_height": sheet.sheet_format.defaultRowHeight,
        "show_grid": sheet.sheet_view.showGridLines is not False,
        "print_grid": bool(sheet.print_options.gridLines),
        "setup": {
            "orientation": setup.orientation,
            "scale": setup.scale,
            "paper": setup.paperSize,
            "fit_to_pages": bool(sheet.sheet_properties.pageSetUpPr is not None
                                 and sheet.sheet_properties.pageSetUpPr.fitToPage),
            "fit_width": setup.fitToWidth,
            "fit_height": setup.fitToHeight,
            "margins": [margins.left, margins.right, margins.top, margins.bottom],
        },
        "selection": selection.sqref if selection is not None else None,
    }, sys.stdout, default=str)


if __name__ == "__main__":
    dump(sys.argv[1])
