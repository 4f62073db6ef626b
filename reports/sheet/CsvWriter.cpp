#include "CsvWriter.h"
#include <QStringList>

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

QByteArray BuildFile(const TSheetSource& sheet)
{
    // Excel on Windows reads a file without the mark in the system's code page, which
    // turns every accented letter and the euro sign into two wrong ones.
    QByteArray out("\xEF\xBB\xBF");
    const int lastRow = sheet.LastRow(), lastCol = sheet.LastCol();
    QStringList fields;
    for (int row = 1; row <= lastRow; ++row) {
        fields.clear();
        for (int col = 1; col <= lastCol; ++col)
            fields << Field(sheet.CellText(row, col));
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
