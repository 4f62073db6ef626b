#include "WorkbookExporter.h"
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSaveFile>
#include <filesystem>
#include <system_error>

namespace {

// A file the user may not write, or one marked read-only for everybody, is never
// replaced: the new file is renamed over the old one, which the folder's permission
// alone would allow, even to a file its owner locked.
void RefuseReadOnly(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists() || info.isDir())
        return;
    // The bits as the file carries them: WriteUser is what the system lets this user do.
    const auto writeBits = QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
    if (!info.isWritable() || !(info.permissions() & writeBits))
        throw ESheetError(QStringLiteral("Cannot write \"%1\": the file is read-only").arg(path));
}

}  // namespace

void TWorkbookExporter::WriteFile(const QString& path, const std::function<QByteArray()>& build)
{
    if (path.isEmpty())
        throw ESheetError(QStringLiteral("No file name given"));
    RefuseReadOnly(path);
    const QByteArray bytes = build();
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw ESheetError(QStringLiteral("Cannot write \"%1\": %2").arg(path, file.errorString()));
}

namespace {

// Makes an empty file of a fresh name beside path; NewOnly never takes over a file that
// is there already, and gives the permissions a new file normally gets.
QString NewPartFile(const QString& path)
{
    QString error;
    for (int attempt = 0; attempt < 16; ++attempt) {
        const QString part = QStringLiteral("%1.part-%2")
                                 .arg(path)
                                 .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
        QFile file(part);
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            return part;
        error = file.errorString();
        if (file.error() != QFileDevice::OpenError || !QFileInfo::exists(part))
            break;  // the folder refuses, not a clash of names
    }
    throw ESheetError(QStringLiteral("Cannot write \"%1\": %2").arg(path, error));
}

}  // namespace

void WriteFileBeside(const QString& path, const std::function<void(const QString& partPath)>& write)
{
    if (path.isEmpty())
        throw ESheetError(QStringLiteral("No file name given"));
    if (QFileInfo(path).isDir())
        throw ESheetError(QStringLiteral("Cannot write \"%1\": a folder has that name").arg(path));
    RefuseReadOnly(path);
    const QString part = NewPartFile(path);
    try {
        write(part);
    } catch (const ESheetError& e) {
        QFile::remove(part);
        throw ESheetError(QStringLiteral("Cannot write \"%1\": %2").arg(path, e.Message()));
    } catch (...) {
        QFile::remove(part);
        throw;
    }
    if (QFileInfo::exists(path))
        QFile::setPermissions(part, QFile::permissions(path));
    // A rename within one folder puts the new file in the old one's place in one step;
    // QFile::rename would refuse a name that is taken.
    std::error_code ec;
    std::filesystem::rename(QFile::encodeName(part).toStdString(), QFile::encodeName(path).toStdString(), ec);
    if (ec) {
        QFile::remove(part);
        throw ESheetError(QStringLiteral("Cannot write \"%1\": %2").arg(path, QString::fromStdString(ec.message())));
    }
}
