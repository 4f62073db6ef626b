#include "WorkbookExporter.h"
#include <QSaveFile>

void TWorkbookExporter::WriteFile(const QString& path, const std::function<QByteArray()>& build)
{
    if (path.isEmpty())
        throw ESheetError(QStringLiteral("No file name given"));
    const QByteArray bytes = build();
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw ESheetError(QStringLiteral("Cannot write \"%1\": %2").arg(path, file.errorString()));
}
