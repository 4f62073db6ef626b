#include "BookFiles.h"

#include <QFile>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace BookFiles {

QString WriteRefusal(const QString& path)
{
    if (::access(QFile::encodeName(path).constData(), W_OK) == 0)
        return {};
    return QString::fromLocal8Bit(std::strerror(errno));
}

bool StartsAsPlainDatabase(const QString& path)
{
    QFile file(path);
    static const QByteArray header("SQLite format 3", 16);  // with its closing zero byte
    return file.open(QIODevice::ReadOnly) && file.read(header.size()) == header;
}

bool Sync(const QString& path, bool folder)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | (folder ? O_DIRECTORY : 0));
    if (fd < 0)
        return false;
    const bool done = ::fsync(fd) == 0;
    const int error = errno;
    ::close(fd);
    errno = error;
    return done;
}

bool RenameNoReplace(const QString& from, const QString& to)
{
    const QByteArray source = QFile::encodeName(from);
    const QByteArray target = QFile::encodeName(to);
    if (::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP)
        return false;
    // A file system without that rename: a second name, which is made only where there is
    // none, and then the first one dropped.
    if (::link(source.constData(), target.constData()) != 0)
        return false;
    ::unlink(source.constData());
    return true;
}

}  // namespace BookFiles
