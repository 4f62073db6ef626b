#pragma once
// Writes a workbook as an Excel 97-2003 file: a BIFF8 "Workbook" stream inside an OLE2
// compound file.
#include <QByteArray>
#include <QString>

class TWorkbook;
class TFormula;

namespace XlsWriter {
// The complete .xls file.
QByteArray BuildWorkbookFile(const TWorkbook& book);
// The BIFF8 record stream alone: workbook globals, then the one worksheet.
QByteArray BuildWorkbookStream(const TWorkbook& book);
// A compound file (version 3, 512-byte sectors) holding one stream. Streams shorter than
// the 4096-byte mini-stream cut-off are padded with zeros up to it, as Excel's readers
// accept, so that no mini stream is needed.
QByteArray BuildCompoundFile(const QString& streamName, const QByteArray& stream);
// A formula's parsed tokens as the file stores them.
QByteArray EncodeFormula(const TFormula& formula);
}  // namespace XlsWriter
