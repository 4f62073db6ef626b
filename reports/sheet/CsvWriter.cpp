#include "CsvWriter.h"
#include "NumberFormats.h"
#include <QStringList>
#include <algorithm>
#include <vector>

namespace CsvWriter {

QString Field(const QString& text)
{
    const bool quote = text.contains(QLatin1Char(',')) || text.contains(QLatin1Char('"'))
                       || text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r'))
                       || (!text.isEmpty() && (text.front().isSpace() || text.back().isSpace()));
    if (!quote)
        return text;
    QString quoted = text;
    quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

namespace {
QString CellField(const TSheetSource& sheet, int row, int col, const TSourceCell& cell)
{
    // Numbers go in plainly, so that a spreadsheet in any language reads them as numbers
    // and never as texts cut at a grouping comma; texts and errors as the grid shows them.
    const TCellValue value = cell.Value();
    if (value.Kind == TCellValue::Number)
        return SheetFormats::PlainNumber(sheet.Format(cell.Format).NumberFormat, value.Num);
    return sheet.CellText(row, col);
}
}  // namespace

QByteArray BuildFile(const TSheetSource& sheet)
{
    const int lastRow = sheet.LastRow(), lastCol = sheet.LastCol();
    std::vector<QStringList> rows(size_t(std::max(lastRow, 0)), QStringList(lastCol, QString()));
    if (lastRow > 0 && lastCol > 0)
        sheet.ForEachCell({1, 1, lastRow, lastCol}, [&](int row, int col, const TSourceCell& cell) {
            rows[size_t(row - 1)][col - 1] = Field(CellField(sheet, row, col, cell));
        });
    // Excel on Windows reads a file without the mark in the system's code page, which
    // turns every accented letter and the euro sign into two wrong ones.
    QByteArray out("\xEF\xBB\xBF");
    for (const QStringList& fields : rows) {
        out += fields.join(QLatin1Char(',')).toUtf8();
        out += "\r\n";
    }
    return out;
}

}  // namespace CsvWriter

QString TCsvExporter::FileFilter() const
{
    return QStringLiteral("CSV|*.csv");
}

QString TCsvExporter::Extension() const
{
    return QStringLiteral("csv");
}

void TCsvExporter::Export(const TSheetSource& sheet, const QString& path) const
{
    WriteFile(path, [&] { return CsvWriter::BuildFile(sheet); });
}
