#pragma once
// A file format the sheet can be saved in. An exporter reads the sheet only through
// TSheetSource, so formats come and go without the workbook model knowing of them.
#include "SheetSource.h"
#include <QByteArray>
#include <QString>
#include <functional>

class TWorkbookExporter {
public:
    virtual ~TWorkbookExporter() = default;
    // The save dialog's filter ("Excel 97-2003|*.xls") and the extension it adds ("xls").
    virtual QString FileFilter() const = 0;
    virtual QString Extension() const = 0;
    // Writes the sheet to path. An existing file is replaced only once the new one is
    // complete. A missing name or a file that cannot be written throws ESheetError.
    virtual void Export(const TSheetSource& sheet, const QString& path) const = 0;

protected:
    // The common end of Export for formats built in memory: checks the name, builds the
    // contents, and writes them all or nothing; a failure names the file.
    static void WriteFile(const QString& path, const std::function<QByteArray()>& build);
};

// The same all-or-nothing end for files that a library writes itself, by name: `write`
// makes the new file under a name of its own beside path (same folder, so the last step
// is a rename), and only once it has returned does that file take path's place, with the
// permissions an existing file had. On any failure the new file goes, an existing file
// stays as it was, and the ESheetError names path.
void WriteFileBeside(const QString& path, const std::function<void(const QString& partPath)>& write);
