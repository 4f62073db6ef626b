#pragma once
// The OLE2 compound file that holds an Excel 97-2003 workbook's stream.
#include <QByteArray>
#include <QString>

namespace CompoundFile {
// A compound file (version 3, 512-byte sectors) holding one stream. Streams shorter than
// the 4096-byte mini-stream cut-off are padded with zeros up to it, as Excel's readers
// accept, so that no mini stream is needed.
QByteArray Build(const QString& streamName, const QByteArray& stream);
}  // namespace CompoundFile
