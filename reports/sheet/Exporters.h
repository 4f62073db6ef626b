#pragma once
// The formats the grid saves in, by the file-type codes of SaveWorkbook. Kept apart from
// TWorkbookExporter so that the interface does not depend on its implementations.
#include "WorkbookExporter.h"
#include <memory>

// The exporter for a file type (Sheet::FileType); any other code, PDF among them (the grid
// view prints it), throws ESheetError.
std::unique_ptr<TWorkbookExporter> ExporterForFileType(int fileType);
