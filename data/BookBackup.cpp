#include "BookBackup.h"

#include "BookCheck.h"
#include "BookFiles.h"
#include "BookSchema.h"
#include "DbConnection.h"
#include "Errors.h"
#include "Schema.h"
#include "sql_resource.h"
#include "tbl_Resource.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace BookFiles;

namespace {

QString Native(const QString& path)
{
    return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
}

QString SystemText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// Whether two names stand for one file: the same file where both exist, else the same path.
bool SameFile(const QString& a, const QString& b)
{
    struct stat sa {};
    struct stat sb {};
    if (::stat(QFile::encodeName(a).constData(), &sa) == 0 && ::stat(QFile::encodeName(b).constData(), &sb) == 0)
        return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
    return QDir::cleanPath(QFileInfo(a).absoluteFilePath()) == QDir::cleanPath(QFileInfo(b).absoluteFilePath());
}

// A name of its own beside `path`, made as an empty file so nothing else can take it.
QString NewFileBeside(const QString& path, const QString& tag)
{
    for (int attempt = 0;; ++attempt) {
        const QString name = QStringLiteral("%1.%2-%3").arg(path, tag).arg(QRandomGenerator::global()->generate(), 8,
                                                                            16, QLatin1Char('0'));
        const int fd = ::open(QFile::encodeName(name).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd >= 0) {
            ::close(fd);
            return name;
        }
        const int error = errno;
        if (error != EEXIST || attempt > 100)
            throw EDatabaseError(QStringLiteral("no file could be made in the folder %1 (%2)")
                                     .arg(Native(QFileInfo(path).absolutePath()), SystemText(error)),
                                 SQLITE_CANTOPEN);
    }
}

void RemoveWithJournal(const QString& path)
{
    QFile::remove(path);
    QFile::remove(path + QStringLiteral("-journal"));
}

// The engine's failure in words: no room on the disk, the disk's own error, a book kept
// busy by another program, or the engine's text.
QString EngineTrouble(sqlite3* db, int rc)
{
    const int primary = rc & 0xff;
    const int system = db ? sqlite3_system_errno(db) : 0;
    const QString detail = system > 0 ? SystemText(system)
                                      : QString::fromUtf8(db ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
    if (primary == SQLITE_FULL || system == ENOSPC || system == EDQUOT || system == EFBIG)
        return QStringLiteral("there is no room for it on the disk (%1)").arg(detail);
    if (primary == SQLITE_IOERR || primary == SQLITE_CANTOPEN || primary == SQLITE_READONLY)
        return QStringLiteral("the disk reported an error (%1)").arg(detail);
    if (primary == SQLITE_BUSY || primary == SQLITE_LOCKED)
        return QStringLiteral("another program kept the book busy and did not finish in time");
    if (primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB)
        return QStringLiteral("the book could not be read: part of it is damaged (%1)").arg(detail);
    return detail;
}

// The copy is keyed as the book is: the same password, and the version 3 cipher format a
// newer engine must be told to keep.
void KeyLikeTheBook(sqlite3* db, const QByteArray& password)
{
    int rc = sqlite3_key_v2(db, "main", password.constData(), int(password.size()));
    if (rc != SQLITE_OK)
        throw EDatabaseError(EngineTrouble(db, rc), rc);
    sqlite3_stmt* statement = nullptr;
    QString version;
    if (sqlite3_prepare_v2(db, "PRAGMA cipher_version", -1, &statement, nullptr) == SQLITE_OK
        && sqlite3_step(statement) == SQLITE_ROW)
        version = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)));
    sqlite3_finalize(statement);
    if (version.section('.', 0, 0).toInt() >= 4) {
        rc = sqlite3_exec(db, "PRAGMA cipher_compatibility = 3", nullptr, nullptr, nullptr);
        if (rc != SQLITE_OK)
            throw EDatabaseError(EngineTrouble(db, rc), rc);
    }
}

// Copies every page of the open book into the empty file `copy` with the engine's online
// backup, which reads one consistent state of the book even while other programs save.
void WriteCopy(TDbConnection& book, const QString& copy)
{
    sqlite3* source = book.Handle();
    sqlite3* db = nullptr;
    const QByteArray path = copy.toUtf8();
    int rc = sqlite3_open_v2(path.constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    struct TClose {
        sqlite3*& db;
        ~TClose() { sqlite3_close_v2(db); }
    } close {db};
    if (rc != SQLITE_OK)
        throw EDatabaseError(EngineTrouble(db, rc), rc);
    KeyLikeTheBook(db, book.Password());
    sqlite3_busy_timeout(db, 5000);
    sqlite3_backup* backup = sqlite3_backup_init(db, "main", source, "main");
    if (!backup)
        throw EDatabaseError(EngineTrouble(db, sqlite3_errcode(db)), sqlite3_errcode(db));
    // Another program's save holds the book for a moment; the copy waits for it.
    for (int tries = 0;; ++tries) {
        rc = sqlite3_backup_step(backup, -1);
        if ((rc != SQLITE_BUSY && rc != SQLITE_LOCKED) || tries >= 50)
            break;
        sqlite3_sleep(100);
    }
    const int finished = sqlite3_backup_finish(backup);
    if (rc != SQLITE_DONE)
        throw EDatabaseError(EngineTrouble(db, rc == SQLITE_OK ? finished : rc), rc);
    if (finished != SQLITE_OK)
        throw EDatabaseError(EngineTrouble(db, finished), finished);
    rc = sqlite3_close_v2(db);
    db = nullptr;
    if (rc != SQLITE_OK)
        throw EDatabaseError(EngineTrouble(nullptr, rc), rc);
}

// The file opened as a book for reading only: with `password`, nothing written to it.
void OpenToCheck(TDbConnection& connection, const QString& file, const QByteArray& password)
{
    connection.SetDataSource(file);
    connection.SetPassword(QString::fromUtf8(password));
    connection.SetOpenReadOnly(true);
    connection.Open();
}

// Why a book cannot be trusted, from its check, saying what `subject` is and whose
// totals are whose; empty when it can.
QString CheckFindings(TDbConnection& connection, const QString& subject, const QString& whose)
{
    TBookCheck check;
    try {
        check = BookCheck::Check(connection);
    } catch (const EDatabaseError& e) {
        // A database of the right password without the book's tables.
        if ((e.Code() & 0xff) == SQLITE_ERROR)
            return QStringLiteral("it is not a Brindlemark book (%1)").arg(e.Message());
        throw;
    }
    if (!check.damage.isEmpty())
        return QStringLiteral("%1 is damaged (%2)").arg(subject, check.damage.first());
    if (!check.differences.isEmpty()) {
        const TTotalDifference& d = check.differences.first();
        const qsizetype n = check.differences.size();
        return QStringLiteral("%1 totals disagree with their lines in %2, the first the %3 of %4 (stored %5, from "
                              "the lines %6)")
            .arg(whose, n == 1 ? QStringLiteral("one place") : QStringLiteral("%1 places").arg(n))
            .arg(d.Total(), d.Where(), d.StoredText(), d.FromLinesText());
    }
    return {};
}

// Why `file` cannot take the book's place, in words for the user; empty when it can.
QString RestoreRefusal(const QString& file, const QByteArray& password)
{
    if (QFileInfo(file).size() == 0)
        return QStringLiteral("it is empty (0 bytes), as a copy that was cut short is");
    TDbConnection candidate;
    try {
        OpenToCheck(candidate, file, password);
    } catch (const EDatabaseError& e) {
        const int primary = e.Code() & 0xff;
        if (primary == SQLITE_NOTADB && StartsAsPlainDatabase(file))
            return QStringLiteral("it is a database that is not encrypted, as other programs keep them, and every "
                                  "Brindlemark book is encrypted");
        if (primary == SQLITE_NOTADB)
            return QStringLiteral("it does not open with your books' password: it was saved with another password, "
                                  "or it is not a Brindlemark book, or its beginning is damaged");
        if (primary == SQLITE_CORRUPT)
            return QStringLiteral("it is damaged: part of it cannot be read");
        return QStringLiteral("it could not be opened (%1)").arg(e.Message());
    }
    const int version = BookVersion::Read(candidate);
    const TBookSchema schema = BrindlemarkSchema();
    if (version > schema.version)
        return QStringLiteral("it was written by a newer version of %1 (book version %2; this program reads up to "
                              "%3)")
            .arg(schema.program)
            .arg(version)
            .arg(schema.version);
    return CheckFindings(candidate, QStringLiteral("it"), QStringLiteral("its"));
}

// A copy of `from` as the new file `to`, synced to the disk; false with errno.
bool CopyFile(const QString& from, const QString& to)
{
    const int in = ::open(QFile::encodeName(from).constData(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return false;
    const int out = ::open(QFile::encodeName(to).constData(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (out < 0) {
        const int error = errno;
        ::close(in);
        errno = error;
        return false;
    }
    bool done = true;
    QByteArray buffer(1 << 20, Qt::Uninitialized);
    for (;;) {
        const ssize_t got = ::read(in, buffer.data(), size_t(buffer.size()));
        if (got == 0)
            break;
        if (got < 0) {
            if (errno == EINTR)
                continue;
            done = false;
            break;
        }
        for (ssize_t put = 0; put < got && done;) {
            const ssize_t n = ::write(out, buffer.constData() + put, size_t(got - put));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                done = false;
            else
                put += n;
        }
        if (!done)
            break;
    }
    if (done)
        done = ::fsync(out) == 0;
    const int error = errno;
    ::close(out);
    ::close(in);
    errno = error;
    return done;
}

// Keeps the book under `kept`: a second name for the same file where the file system has
// them, else a copy. False with errno.
bool KeepAs(const QString& book, const QString& kept)
{
    const QByteArray from = QFile::encodeName(book);
    const QByteArray to = QFile::encodeName(kept);
    if (::link(from.constData(), to.constData()) == 0)
        return true;
    if (errno == EEXIST)
        return false;
    const int fd = ::open(to.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    ::close(fd);
    if (CopyFile(book, kept))
        return true;
    const int error = errno;
    QFile::remove(kept);
    errno = error;
    return false;
}

// "ZORP 2026-12-08 231502.DAT", numbered " (2)" and on when several fall in one second.
QRegularExpression ClosingName(const QString& base, const QString& suffix)
{
    return QRegularExpression(QStringLiteral("^%1 (\\d{4}-\\d{2}-\\d{2} \\d{6})(?: \\((\\d+)\\))?\\.%2$")
                                  .arg(QRegularExpression::escape(base), QRegularExpression::escape(suffix)));
}

}  // namespace

void BookBackup::BackUp(TDbConnection& book, const QString& target)
{
    const QString shown = target.isEmpty() ? QStringLiteral("(no name)") : Native(target);
    auto refuse = [&](const QString& why, int code) {
        throw EDatabaseError(QStringLiteral("The backup was not made: %1. Nothing was saved as %2.").arg(why, shown),
                             code);
    };
    const QFileInfo info(target);
    if (target.isEmpty())
        refuse(QStringLiteral("no file name was given"), SQLITE_CANTOPEN);
    if (info.isDir())
        refuse(QStringLiteral("that name is a folder; choose a file name for the backup"), SQLITE_CANTOPEN);
    if (SameFile(target, book.DataSource()))
        refuse(QStringLiteral("that is the book itself; choose another name or folder for the backup"),
               SQLITE_CANTOPEN);
    const QString folder = info.absolutePath();
    if (!QFileInfo(folder).isDir())
        refuse(QStringLiteral("the folder %1 does not exist").arg(Native(folder)), SQLITE_CANTOPEN);
    if (const QString why = WriteRefusal(folder); !why.isEmpty())
        refuse(QStringLiteral("the folder %1 cannot be written (%2)").arg(Native(folder), why), SQLITE_CANTOPEN);
    if (book.InTransaction())
        refuse(QStringLiteral("a change is being saved to the book; back up once it is done"), SQLITE_BUSY);

    QString copy;
    try {
        copy = NewFileBeside(info.absoluteFilePath(), QStringLiteral("part"));
        WriteCopy(book, copy);
        {
            TDbConnection check;
            try {
                OpenToCheck(check, copy, book.Password());
            } catch (const EDatabaseError& e) {
                throw EDatabaseError(QStringLiteral("the copy could not be opened again to check it (%1)")
                                         .arg(e.Message()),
                                     e.Code());
            }
            if (const QString findings = CheckFindings(check, QStringLiteral("the copy"), QStringLiteral("the book's")); !findings.isEmpty())
                throw EDatabaseError(findings + QStringLiteral(". Check Book in the Tools menu finds and repairs "
                                                               "wrong totals; then back up again"),
                                     SQLITE_CORRUPT);
        }
        if (!Sync(copy, false)) {
            const int error = errno;
            throw EDatabaseError(QStringLiteral("the copy could not be written to the disk (%1)").arg(SystemText(error)),
                                 SQLITE_IOERR);
        }
        if (::rename(QFile::encodeName(copy).constData(), QFile::encodeName(info.absoluteFilePath()).constData())
            != 0) {
            const int error = errno;
            throw EDatabaseError(QStringLiteral("the copy could not be given its name (%1)").arg(SystemText(error)),
                                 SQLITE_CANTOPEN);
        }
    } catch (const EDatabaseError& e) {
        if (!copy.isEmpty())
            RemoveWithJournal(copy);
        refuse(e.Message(), e.Code());
    } catch (...) {
        if (!copy.isEmpty())
            RemoveWithJournal(copy);
        throw;
    }
    // The name lasts as the copy does; a folder the system cannot flush keeps it anyway.
    Sync(folder, true);
}

namespace {
// What refuses a restore before anything is read of the backup: a file that is not there,
// the book itself, a save under way, a book or folder that cannot be written.
void RefuseUnrestorable(TDbConnection& book, const QString& file)
{
    const QString bookPath = QFileInfo(book.DataSource()).absoluteFilePath();
    const QString folder = QFileInfo(bookPath).absolutePath();
    auto refuse = [&](const QString& why, int code) {
        throw EDatabaseError(
            QStringLiteral("The backup %1 was not restored: %2. Your book was left as it was.").arg(Native(file), why),
            code);
    };
    const QFileInfo info(file);
    if (file.isEmpty() || !info.exists())
        refuse(QStringLiteral("there is no such file"), SQLITE_CANTOPEN);
    if (info.isDir())
        refuse(QStringLiteral("that name is a folder, not a backup"), SQLITE_CANTOPEN);
    if (SameFile(file, bookPath))
        refuse(QStringLiteral("that is the book itself"), SQLITE_CANTOPEN);
    if (book.InTransaction())
        refuse(QStringLiteral("a change is being saved to the book; restore once it is done"), SQLITE_BUSY);
    if (book.Connected() && book.ReadOnly())
        refuse(book.ReadOnlyReason(), SQLITE_READONLY);
    if (const QString why = WriteRefusal(folder); !why.isEmpty())
        refuse(QStringLiteral("the book's folder %1 cannot be written (%2)").arg(Native(folder), why),
               SQLITE_READONLY);
}

// A journal the engine would play back: another program's save under way, or one cut
// short. A journal whose header is zero is what a finished save may leave behind; the
// engine ignores it, and so does a restore.
bool HotJournal(const QString& bookPath)
{
    QFile journal(bookPath + QStringLiteral("-journal"));
    if (!journal.open(QIODevice::ReadOnly))
        return journal.exists();
    char first = 0;
    return journal.read(&first, 1) == 1 && first != 0;
}
}  // namespace

void BookBackup::CheckRestorable(TDbConnection& book, const QString& file)
{
    RefuseUnrestorable(book, file);
    if (const QString why = RestoreRefusal(file, book.Password()); !why.isEmpty())
        throw EDatabaseError(QStringLiteral("The backup %1 was not restored: %2. Your book was left as it was.")
                                 .arg(Native(file), why),
                             SQLITE_NOTADB);
}

QString BookBackup::KeptBookPath(const QString& bookPath, const QDateTime& when)
{
    const QFileInfo book(bookPath);
    const QString stem = QStringLiteral("%1/%2 %3 before restore").arg(book.absolutePath(), book.completeBaseName(),
                                                                        when.toString(QStringLiteral("yyyy-MM-dd HHmm")));
    const QString suffix = book.suffix().isEmpty() ? QString() : '.' + book.suffix();
    QString path = stem + suffix;
    for (int n = 2; QFileInfo::exists(path) || QFileInfo(path).isSymLink(); ++n)
        path = QStringLiteral("%1 (%2)%3").arg(stem).arg(n).arg(suffix);
    return path;
}

QString BookBackup::Restore(TDbConnection& book, const QString& file, const QDateTime& when)
{
    const QString bookPath = QFileInfo(book.DataSource()).absoluteFilePath();
    const QString folder = QFileInfo(bookPath).absolutePath();
    const QString shown = Native(file);
    auto refuse = [&](const QString& why, int code) {
        throw EDatabaseError(
            QStringLiteral("The backup %1 was not restored: %2. Your book was left as it was.").arg(shown, why), code);
    };
    RefuseUnrestorable(book, file);

    // The bytes that will be the book are the ones checked: copied beside it first.
    QString copy;
    try {
        copy = NewFileBeside(bookPath, QStringLiteral("restore"));
        if (!CopyFile(file, copy)) {
            const int error = errno;
            throw EDatabaseError(QStringLiteral("it could not be copied beside the book (%1)").arg(SystemText(error)),
                                 SQLITE_IOERR);
        }
        // Its words name the file chosen, not the copy being checked.
        if (QString why = RestoreRefusal(copy, book.Password()); !why.isEmpty())
            throw EDatabaseError(why.replace(Native(copy), shown), SQLITE_NOTADB);
    } catch (const EDatabaseError& e) {
        if (!copy.isEmpty())
            RemoveWithJournal(copy);
        refuse(e.Message(), e.Code());
    }

    // Another program's save holds the book's write lock before its journal shows it;
    // taking the lock also lets the engine play back a save cut short.
    if (book.Connected()) {
        try {
            book.ExecuteDirect(QStringLiteral("BEGIN IMMEDIATE"));
            book.ExecuteDirect(QStringLiteral("ROLLBACK"));
        } catch (const EDatabaseError& e) {
            RemoveWithJournal(copy);
            if ((e.Code() & 0xff) != SQLITE_BUSY && (e.Code() & 0xff) != SQLITE_LOCKED)
                throw;
            refuse(QStringLiteral("another program is saving to the book; close it and try again"), SQLITE_BUSY);
        }
    }
    book.Close();
    auto giveUp = [&](const QString& why, int code) {
        RemoveWithJournal(copy);
        try {
            book.Open();
        } catch (...) {
            // The book is as it was; what keeps it from opening is told when it is next used.
        }
        refuse(why, code);
    };
    // A journal the engine would play back belongs to the book it was made for.
    if (HotJournal(bookPath))
        giveUp(QStringLiteral("another program is saving to the book; close it and try again"), SQLITE_BUSY);
    const bool hadBook = QFileInfo::exists(bookPath);
    QString kept;
    if (hadBook) {
        kept = KeptBookPath(bookPath, when);
        if (!KeepAs(bookPath, kept)) {
            const int error = errno;
            giveUp(QStringLiteral("the book could not be kept as %1 (%2)").arg(Native(kept), SystemText(error)),
                   SQLITE_IOERR);
        }
    }
    if (::rename(QFile::encodeName(copy).constData(), QFile::encodeName(bookPath).constData()) != 0) {
        const int error = errno;
        if (hadBook)
            QFile::remove(kept);
        giveUp(QStringLiteral("it could not be put in the book's place (%1)").arg(SystemText(error)), SQLITE_IOERR);
    }
    Sync(folder, true);
    try {
        book.Open();
    } catch (const EZorpError& e) {
        // Never a book that does not open: the one it replaced goes back.
        book.Close();
        if (hadBook)
            ::rename(QFile::encodeName(kept).constData(), QFile::encodeName(bookPath).constData());
        else
            QFile::remove(bookPath);
        Sync(folder, true);
        try {
            book.Open();
        } catch (...) {
        }
        throw EDatabaseError(QStringLiteral("The backup %1 was not restored: it did not open as your book (%2). Your "
                                            "book was put back as it was.")
                                 .arg(shown, e.Message()),
                             SQLITE_CANTOPEN);
    }
    return kept;
}

int BookBackup::ClosingBackupsKept()
{
    // Kept as the program's other settings are; a book that can be written holds the
    // default from then on, where it can be changed.
    QString value = QString::number(DefaultKept);
    if (ResourceExists(KeptSetting))
        GetResource(KeptSetting, value);
    else if (!dmResource->Connection().ReadOnly())
        InsertResource(KeptSetting, value);
    bool ok = false;
    const int kept = value.trimmed().toInt(&ok);
    return ok && kept >= 0 ? kept : DefaultKept;
}

QString BookBackup::BackupsFolder(const QString& bookPath)
{
    return QFileInfo(bookPath).absolutePath() + QStringLiteral("/Backups");
}

namespace {
struct TClosingBackup {
    QString stamp;
    int number;
    QString path;
};

// The closing backups of the book, oldest first: by the time in their names, then by the
// number that tells apart several taken in one second.
QList<TClosingBackup> FindClosingBackups(const QString& bookPath)
{
    const QFileInfo book(bookPath);
    const QRegularExpression pattern = ClosingName(book.completeBaseName(), book.suffix());
    QList<TClosingBackup> found;
    const QString folder = BookBackup::BackupsFolder(bookPath);
    for (const QString& name : QDir(folder).entryList(QDir::Files)) {
        const QRegularExpressionMatch m = pattern.match(name);
        if (m.hasMatch())
            found << TClosingBackup {m.captured(1), m.captured(2).isEmpty() ? 1 : m.captured(2).toInt(),
                                     folder + '/' + name};
    }
    std::sort(found.begin(), found.end(), [](const TClosingBackup& a, const TClosingBackup& b) {
        return std::tie(a.stamp, a.number) < std::tie(b.stamp, b.number);
    });
    return found;
}
}  // namespace

QStringList BookBackup::ClosingBackups(const QString& bookPath)
{
    QStringList paths;
    for (const TClosingBackup& b : FindClosingBackups(bookPath))
        paths << b.path;
    return paths;
}

QString BookBackup::TakeClosingBackup(TDbConnection& book, int keep, const QDateTime& when)
{
    if (keep <= 0)
        return {};
    const QFileInfo info(QFileInfo(book.DataSource()).absoluteFilePath());
    const QString folder = BackupsFolder(info.absoluteFilePath());
    if (!QDir().mkpath(folder))
        throw EDatabaseError(
            QStringLiteral("The backup was not made: the folder %1 could not be made.").arg(Native(folder)),
            SQLITE_CANTOPEN);
    const QString stamp = when.toString(QStringLiteral("yyyy-MM-dd HHmmss"));
    const QString stem = QStringLiteral("%1/%2 %3").arg(folder, info.completeBaseName(), stamp);
    const QString suffix = info.suffix().isEmpty() ? QString() : '.' + info.suffix();
    // Numbered after every backup of the same second, so it is always the newest.
    int number = 0;
    for (const TClosingBackup& b : FindClosingBackups(info.absoluteFilePath()))
        if (b.stamp == stamp)
            number = std::max(number, b.number);
    auto nameOf = [&](int n) {
        return n == 1 ? stem + suffix : QStringLiteral("%1 (%2)%3").arg(stem).arg(n).arg(suffix);
    };
    QString target = nameOf(++number);
    while (QFileInfo::exists(target) || QFileInfo(target).isSymLink())
        target = nameOf(++number);
    BackUp(book, target);
    // The oldest go; only files named as closing backups are ever touched.
    QStringList kept = ClosingBackups(info.absoluteFilePath());
    QStringList stuck;
    while (kept.size() > keep) {
        const QString old = kept.takeFirst();
        if (!QFile::remove(old))
            stuck << Native(old);
    }
    if (!stuck.isEmpty())
        throw EDatabaseError(QStringLiteral("The backup was made as %1, but older backups could not be removed: %2.")
                                 .arg(Native(target), stuck.join(QStringLiteral(", "))),
                             SQLITE_IOERR);
    return target;
}
