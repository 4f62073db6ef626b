#pragma once
// Writes a sheet as comma-separated values, one line per row from row 1 and one field per
// column from column A, so that every cell keeps its place: texts as the grid shows them,
// numbers plainly (a '.' decimal point, no grouping, dates as 2002-01-07) in every locale;
// fields quoted as RFC 4180 asks, lines ended by CR LF, UTF-8 after a byte-order mark.
#include "WorkbookExporter.h"

class TCsvExporter final : public TWorkbookExporter {
public:
    QString FileFilter() const override;  // "CSV|*.csv"
    QString Extension() const override;   // "csv"
    void Export(const TSheetSource& sheet, const QString& path) const override;
};

namespace CsvWriter {
// The whole file: the byte-order mark, then the used range row by row.
QByteArray BuildFile(const TSheetSource& sheet);
// One field: as it is, or in double quotes, with quotes doubled, when it holds a comma,
// a quote, a line break or spaces at either end.
QString Field(const QString& text);
}  // namespace CsvWriter
