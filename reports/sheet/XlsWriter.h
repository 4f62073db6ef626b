#pragma once
// Writes a sheet as an Excel 97-2003 file: a BIFF8 "Workbook" stream inside an OLE2
// compound file.
#include "WorkbookExporter.h"

class TXlsExporter final : public TWorkbookExporter {
public:
    QString FileFilter() const override;  // "Excel 97-2003|*.xls"
    QString Extension() const override;   // "xls"
    void Export(const TSheetSource& sheet, const QString& path) const override;
};

namespace XlsWriter {
// The complete .xls file.
QByteArray BuildWorkbookFile(const TSheetSource& sheet);
// The BIFF8 record stream alone: workbook globals, then the one worksheet.
QByteArray BuildWorkbookStream(const TSheetSource& sheet);
// A formula's parsed tokens as the file stores them.
QByteArray EncodeFormula(const TFormula& formula);
}  // namespace XlsWriter
