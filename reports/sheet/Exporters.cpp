#include "Exporters.h"
#include "CsvWriter.h"
#include "XlsWriter.h"
#include "XlsxWriter.h"

std::unique_ptr<TWorkbookExporter> ExporterForFileType(int fileType)
{
    switch (fileType) {
    case Sheet::FileExcel97: return std::make_unique<TXlsExporter>();
    case Sheet::FileExcel: return std::make_unique<TXlsxExporter>();
    case Sheet::FileCsv: return std::make_unique<TCsvExporter>();
    default: throw ESheetError(QStringLiteral("Unknown file type %1").arg(fileType));
    }
}
