#!/usr/bin/env python3
"""Reads an .xls file with xlrd and prints what the tests compare, as JSON.

    read_xls.py sheet FILE    cells, formats, widths, heights and page set-up
    read_xls.py stream FILE   size and MD5 of the compound file's "Workbook" stream

Everything is read by xlrd; xlrd skips the page set-up and the formula tokens, so those
two are decoded here from the raw records, following the published file format.
"""
import hashlib
import json
import struct
import sys

import xlrd
from xlrd import compdoc


def workbook_stream(path):
    with open(path, "rb") as f:
        data = f.read()
    doc = compdoc.CompDoc(data, logfile=sys.stderr)
    return doc.get_named_stream("Workbook")


def records(stream):
    pos = 0
    while pos + 4 <= len(stream):
        rid, size = struct.unpack_from("<HH", stream, pos)
        yield rid, stream[pos + 4:pos + 4 + size]
        pos += 4 + size


def col_name(col):
    name = ""
    col += 1
    while col:
        col, rem = divmod(col - 1, 26)
        name = chr(65 + rem) + name
    return name


def ref_text(row, colfield):
    col = colfield & 0xFF
    return ("" if colfield & 0x4000 else "$") + col_name(col) + ("" if colfield & 0x8000 else "$") + str(row + 1)


def decode_formula(rgce):
    """Turns the tokens of a FORMULA record back into text."""
    stack = []
    pos = 0
    binary = {0x03: "+", 0x04: "-", 0x05: "*", 0x06: "/"}
    while pos < len(rgce):
        ptg = rgce[pos]
        pos += 1
        base = ptg & 0x1F if ptg >= 0x20 else ptg
        if ptg in binary:
            b, a = stack.pop(), stack.pop()
            stack.append(a + binary[ptg] + b)
        elif ptg == 0x12:
            stack.append("+" + stack.pop())
        elif ptg == 0x13:
            stack.append("-" + stack.pop())
        elif ptg == 0x15:
            stack.append("(" + stack.pop() + ")")
        elif ptg == 0x1E:
            stack.append(str(struct.unpack_from("<H", rgce, pos)[0]))
            pos += 2
        elif ptg == 0x1F:
            stack.append(repr(struct.unpack_from("<d", rgce, pos)[0]))
            pos += 8
        elif ptg == 0x19:  # attribute: no operand of its own
            pos += 3
        elif ptg >= 0x20 and base == 0x04:
            row, colfield = struct.unpack_from("<HH", rgce, pos)
            pos += 4
            stack.append(ref_text(row, colfield) + ("" if ptg == 0x24 else "{V}"))
        elif ptg >= 0x20 and base == 0x05:
            r1, r2, c1, c2 = struct.unpack_from("<HHHH", rgce, pos)
            pos += 8
            stack.append(ref_text(r1, c1) + ":" + ref_text(r2, c2))
        elif ptg >= 0x20 and base == 0x02:
            argc = rgce[pos]
            iftab = struct.unpack_from("<H", rgce, pos + 1)[0]
            pos += 3
            args = stack[len(stack) - argc:]
            del stack[len(stack) - argc:]
            name = "SUM" if iftab == 4 else "FUNC%d" % iftab
            stack.append(name + "(" + ",".join(a.replace("{V}", "") for a in args) + ")")
        else:
            return "?unknown token 0x%02X" % ptg
    if len(stack) != 1:
        return "?stack %r" % stack
    # "{V}" marks a reference stored as a value; only SUM's arguments are references.
    return stack[0]


def sheet_records(stream):
    """The records of the first worksheet substream."""
    in_sheet = False
    for rid, data in records(stream):
        if rid == 0x0809:
            in_sheet = struct.unpack_from("<H", data, 2)[0] == 0x0010
            continue
        if in_sheet:
            yield rid, data


def dump_sheet(path):
    book = xlrd.open_workbook(path, formatting_info=True)
    sheet = book.sheet_by_index(0)
    cells = {}
    for r in range(sheet.nrows):
        for c in range(sheet.ncols):
            cell = sheet.cell(r, c)
            if cell.ctype == xlrd.XL_CELL_EMPTY:
                continue
            xf = book.xf_list[cell.xf_index]
            font = book.font_list[xf.font_index]
            cells["%d,%d" % (r + 1, c + 1)] = {
                "type": cell.ctype,
                "value": cell.value,
                "format": book.format_map[xf.format_key].format_str,
                "bold": bool(font.bold),
                "font": font.name,
                "height": font.height,
                "halign": xf.alignment.hor_align,
                "valign": xf.alignment.vert_align,
                "wrap": xf.alignment.text_wrapped,
                "borders": [xf.border.left_line_style, xf.border.right_line_style,
                            xf.border.top_line_style, xf.border.bottom_line_style],
            }
    stream = workbook_stream(path)
    formulas = {}
    setup = {}
    wsbool = 0
    for rid, data in sheet_records(stream):
        if rid == 0x0006:
            row, col = struct.unpack_from("<HH", data, 0)
            cce = struct.unpack_from("<H", data, 20)[0]
            formulas["%d,%d" % (row + 1, col + 1)] = decode_formula(data[22:22 + cce])
        elif rid == 0x00A1:
            paper, scale, start, fitw, fith, flags = struct.unpack_from("<HHHHHH", data, 0)
            setup = {"paper": paper, "scale": scale, "fit_width": fitw, "fit_height": fith,
                     "landscape": not (flags & 0x02), "valid": not (flags & 0x04)}
        elif rid == 0x0081:
            wsbool = struct.unpack_from("<H", data, 0)[0]
    setup["fit_to_pages"] = bool(wsbool & 0x0100)
    widths = {}
    for c in range(256):
        info = sheet.colinfo_map.get(c)
        if info is not None:
            widths[str(c + 1)] = info.width
    heights = {str(r + 1): info.height for r, info in sheet.rowinfo_map.items()}
    result = {
        "nrows": sheet.nrows,
        "ncols": sheet.ncols,
        "cells": cells,
        "formulas": formulas,
        "widths": widths,
        "heights": heights,
        "default_row_height": sheet.default_row_height,
        "show_grid": bool(sheet.show_grid_lines),
        "setup": setup,
    }
    json.dump(result, sys.stdout)


def dump_stream(path):
    stream = workbook_stream(path)
    json.dump({"size": len(stream), "md5": hashlib.md5(stream).hexdigest()}, sys.stdout)


if __name__ == "__main__":
    {"sheet": dump_sheet, "stream": dump_stream}[sys.argv[1]](sys.argv[2])
