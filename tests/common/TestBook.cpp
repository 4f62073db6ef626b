#include "TestBook.h"

#include "Errors.h"
#include "Statement.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

TTestBook::TTestBook(const QString& subfolder)
{
    m_folder = subfolder.isEmpty() ? m_dir.path() : m_dir.path() + '/' + subfolder;
    QDir().mkpath(m_folder);
    m_modules = std::make_unique<TDataModules>(m_folder);
}

TTestBook::~TTestBook() = default;

void TTestBook::Restart(const std::function<void()>& whileClosed)
{
    m_modules.reset();
    if (whileClosed)
        whileClosed();
    m_modules = std::make_unique<TDataModules>(m_folder);
}

void TTestBook::Exec(const QString& sql)
{
    Connection().ExecuteDirect(sql);
}

QVariant TTestBook::Scalar(const QString& sql)
{
    TStatement st(Connection(), sql);
    TExecution run(st);
    if (!run.Step())
        return {};
    const TValue v = st.Value(0);
    if (v.IsInteger())
        return qlonglong(v.Integer());
    if (v.IsFloat())
        return v.Float();
    if (v.IsText())
        return v.Text();
    return {};
}

QStringList TTestBook::Column(const QString& sql)
{
    TStatement st(Connection(), sql);
    TExecution run(st);
    QStringList rows;
    while (run.Step())
        rows << (st.IsNull(0) ? QStringLiteral("-") : QString::fromUtf8(st.Utf8(0)));
    return rows;
}

void Committed(TDbConnection& connection, const std::function<void()>& write)
{
    TTransaction transaction(connection);
    write();
    transaction.Commit();
}

QByteArray FileBytes(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray();
    return f.readAll();
}

namespace {
// Sets or clears the immutable attribute; false when the file system or the process's
// rights do not allow it.
bool SetImmutable(const QString& path, bool on)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK);
    if (fd < 0)
        return false;
    int flags = 0;
    bool done = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (done) {
        flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
        done = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    ::close(fd);
    return done;
}
}  // namespace

TUnwritable::TUnwritable(const QString& path) : m_path(path)
{
    m_immutable = SetImmutable(path, true);
    if (!m_immutable)
        QFile::setPermissions(path,
                              QFile::permissions(path)
                                  & ~(QFile::WriteOwner | QFile::WriteUser | QFile::WriteGroup | QFile::WriteOther));
    // Proved by trying, not assumed.
    if (QFileInfo(path).isDir()) {
        const QByteArray probe = QFile::encodeName(path + "/write probe");
        const int fd = ::open(probe.constData(), O_WRONLY | O_CREAT | O_EXCL, 0600);
        m_works = fd < 0;
        if (fd >= 0) {
            ::close(fd);
            ::unlink(probe.constData());
        }
    } else {
        const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_APPEND);
        m_works = fd < 0;
        if (fd >= 0)
            ::close(fd);
    }
}

TUnwritable::~TUnwritable()
{
    if (m_immutable)
        SetImmutable(m_path, false);
    else
        QFile::setPermissions(m_path, QFile::permissions(m_path) | QFile::WriteOwner | QFile::WriteUser);
}

QString ValueText(const TValue& v)
{
    if (v.IsNull())
        return QStringLiteral("-");
    if (v.IsInteger())
        return QString::number(v.Integer());
    return v.IsFloat() ? QString::number(v.Float()) : v.Text();
}

QList<QStringList> StoredValues(TDataSet& ds, const QStringList& columns)
{
    QList<QStringList> rows;
    for (int r = 0; r < ds.RecordCount(); ++r) {
        const bool pending = r == ds.CurrentIndex() && ds.IsEditing();
        if (pending && ds.IsInserting())
            continue;
        QStringList v;
        for (const QString& c : columns) {
            const TField& f = ds.FieldByName(c);
            v << ValueText(pending ? f.OldValue() : ds.ValueAt(r, f.Index()));
        }
        rows << v;
    }
    return rows;
}
