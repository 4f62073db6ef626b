#include "Exporters.h"
#include "XlsWriter.h"

std::unique_ptr<TWorkbookExporter> ExporterForFileType(int fileType)
{
    switch (fileType) {
    case Sheet::FileExcel97: return std::make_unique<TXlsExporter>();
    default: throw ESheetError(QStringLiteral("Unknown file type %1").arg(fileType));
    }
}
