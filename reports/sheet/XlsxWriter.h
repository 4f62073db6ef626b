#pragma once
// Writes a sheet as an Excel workbook (.xlsx, Office Open XML) through libxlsxwriter:
// values, formulas with the results the grid worked out, the cell formats, column widths,
// row heights, grid lines, selection and page set-up.
#include "WorkbookExporter.h"

class TXlsxExporter final : public TWorkbookExporter {
public:
    QString FileFilter() const override;  // "Excel|*.xlsx"
    QString Extension() const override;   // "xlsx"
    void Export(const TSheetSource& sheet, const QString& path) const override;
};

namespace XlsxWriter {
// The width libxlsxwriter is given for a column of the model's width (1/256 of a
// character), in pixels of the default font's 7-pixel digit: a file stores whole pixels.
int ColumnPixels(int width);
// A 0x00BBGGRR colour as 0xRRGGBB.
uint32_t Rgb(uint32_t colorRef);
}  // namespace XlsxWriter
