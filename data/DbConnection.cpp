#include "DbConnection.h"

#include "BookFiles.h"
#include "Errors.h"
#include "Statement.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

using namespace BookFiles;

TDbConnection::~TDbConnection()
{
    Close();
}

void TDbConnection::SetDataSource(const QString& path)
{
    if (Connected())
        throw EDatabaseError(QStringLiteral("Cannot change the data source of an open connection"));
    m_path = path;
}

void TDbConnection::SetPassword(const QString& password)
{
    if (Connected())
        throw EDatabaseError(QStringLiteral("Cannot change the password of an open connection"));
    m_password = password.toUtf8();
}

void TDbConnection::SetSchema(const TBookSchema& schema)
{
    if (Connected())
        throw EDatabaseError(QStringLiteral("Cannot change the schema of an open connection"));
    m_schema = schema;
}

void TDbConnection::SetOpenReadOnly(bool readOnly)
{
    if (Connected())
        throw EDatabaseError(QStringLiteral("Cannot change how an open connection was opened"));
    m_openReadOnly = readOnly;
}

QString TDbConnection::Book() const
{
    return QDir::toNativeSeparators(QFileInfo(m_path).absoluteFilePath());
}

QString TDbConnection::DamagedText(const QString& engineText) const
{
    return QStringLiteral("The book %1 is damaged: part of it cannot be read (%2). Restore it from your backup.")
        .arg(Book(), engineText);
}

QString TDbConnection::ReadOnlyReason() const
{
    if (!ReadOnly())
        return {};
    return QStringLiteral("The book %1 is read-only: %2. You can look at your books, but no change can be saved.")
        .arg(Book(), m_readOnlyWhy);
}

QString TDbConnection::TroubleWriting(int primary, const QString& engineText) const
{
    // A failed write is rolled back, and an interrupted one is put right as the book next
    // opens, so the user is told plainly that nothing was kept.
    const QString outcome = InTransaction() ? QStringLiteral("The change was not saved.")
                                            : QStringLiteral("Nothing in it was changed, and no change was saved.");
    // The system's own words when a system call failed, else the engine's.
    const int systemError = sqlite3_system_errno(m_db);
    const QString detail = systemError > 0 ? QString::fromLocal8Bit(std::strerror(systemError)) : engineText;
    // A disk, a quota or the system's limit on a file's size that leaves no room.
    const bool noRoom = primary == SQLITE_FULL || systemError == ENOSPC || systemError == EDQUOT
                        || systemError == EFBIG;
    if (noRoom)
        return QStringLiteral("The book %1 could not be written: there is no room for it on the disk (%2). %3 Make "
                              "room on the disk and save again.")
            .arg(Book(), detail, outcome);
    switch (primary) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return QStringLiteral("The book %1 is in use by another program that is saving to it, and it did not "
                              "finish in time. %2 Try again in a moment; if this goes on, close the other program "
                              "that has the book open.")
            .arg(Book(), outcome);
    default:
        return QStringLiteral("The book %1 could not be read or written: the disk reported an error (%2). %3 Check "
                              "the disk, then try again.")
            .arg(Book(), detail, outcome);
    }
}

EDatabaseError TDbConnection::Error(int rc, const QString& engineText) const
{
    const int primary = rc & 0xff;
    if (m_db && (primary == SQLITE_FULL || primary == SQLITE_IOERR || primary == SQLITE_BUSY || primary == SQLITE_LOCKED))
        return EDatabaseError(TroubleWriting(primary, engineText), rc);
    if (m_db && (primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB))
        return EDatabaseError(DamagedText(engineText), rc);
    if (!m_db || (primary != SQLITE_READONLY && primary != SQLITE_CANTOPEN))
        return EDatabaseError(engineText, rc);
    // A write the book refused: say what cannot be written, the file or its folder, as
    // found at open or, when that changed since, as the system answers now.
    QString why = m_readOnlyWhy;
    if (why.isEmpty()) {
        const QString folder = QDir::toNativeSeparators(QFileInfo(m_path).absolutePath());
        if (const QString file = WriteRefusal(m_path); !file.isEmpty())
            why = QStringLiteral("the file cannot be written (%1)").arg(file);
        else if (const QString dir = WriteRefusal(folder); !dir.isEmpty())
            why = QStringLiteral("its folder %1 cannot be written (%2), and saving a change needs a journal file "
                                 "beside the book")
                      .arg(folder, dir);
    }
    if (why.isEmpty())
        return EDatabaseError(
            QStringLiteral("The book %1 cannot be written: %2. The change was not saved.").arg(Book(), engineText), rc);
    return EDatabaseError(QStringLiteral("The book %1 is read-only: %2. The change was not saved.").arg(Book(), why),
                          rc);
}

void TDbConnection::Open()
{
    if (Connected())
        return;
    if (m_path.isEmpty())
        throw EDatabaseError(QStringLiteral("No data source is set for the database connection"));
    // Only a missing book is ever made; whatever has its name is opened as it is.
    const QFileInfo info(m_path);
    if (!info.exists() && !info.isSymLink())
        MakeBook();
    const QString journal = m_path + QStringLiteral("-journal");
    const bool saveCutShort = QFileInfo::exists(journal);
    try {
        OpenFile(m_path, false);
    } catch (const EDatabaseError&) {
        // The engine puts back a save cut short from the journal it left, but the cipher
        // has read its salt from the book before that; when a power cut garbled the salt,
        // the open fails even as the book is put right. Opened again, the salt is whole.
        if (!saveCutShort || QFileInfo::exists(journal))
            throw;
        OpenFile(m_path, false);
    }
}

void TDbConnection::MakeBook()
{
    auto refuse = [&](const QString& message, int code) {
        throw EDatabaseError(QStringLiteral("Cannot open the database \"%1\": %2").arg(m_path, message), code);
    };
    const QFileInfo book(m_path);
    const QString folder = QDir::toNativeSeparators(book.absolutePath());
    if (m_openReadOnly)
        refuse(QStringLiteral("there is no book there to open for reading"), SQLITE_CANTOPEN);
    if (const QString refusal = WriteRefusal(folder); !refusal.isEmpty())
        refuse(QStringLiteral("there is no book there, and none can be made: its folder %1 cannot be written (%2)")
                   .arg(folder, refusal),
               SQLITE_CANTOPEN);
    // Without a schema there is nothing to make a new book from.
    if (!m_schema)
        refuse(QStringLiteral("there is no book there to open"), SQLITE_CANTOPEN);

    // The new book is made under a name of its own beside the book, taken before the
    // engine uses it, so a book cut short by a crash or a full disk never has the book's
    // name: the next start makes it afresh.
    QString made;
    for (int attempt = 0; made.isEmpty() && attempt < 16; ++attempt) {
        const QString name = QStringLiteral("%1.new-%2")
                                 .arg(book.absoluteFilePath())
                                 .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
        const int fd = ::open(QFile::encodeName(name).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd >= 0) {
            ::close(fd);
            made = name;
        } else if (errno != EEXIST) {
            refuse(QStringLiteral("there is no book there, and none can be made in its folder %1 (%2)")
                       .arg(folder, QString::fromLocal8Bit(std::strerror(errno))),
                   SQLITE_CANTOPEN);
        }
    }
    if (made.isEmpty())
        refuse(QStringLiteral("there is no book there, and no free name for a new one in its folder %1").arg(folder),
               SQLITE_CANTOPEN);
    const auto removeMade = [&] {
        QFile::remove(made);
        QFile::remove(made + QStringLiteral("-journal"));
    };
    try {
        OpenFile(made, true);
        // Whole: the version is written last, in the one transaction that makes the book,
        // whose commit was synced.
        if (BookVersion::Read(*this) != m_schema->version)
            refuse(QStringLiteral("the new book was not completed"), SQLITE_ERROR);
        Close();
        if (!Sync(made, false)) {
            const int error = errno;
            refuse(QStringLiteral("the new book could not be written to the disk (%1)")
                       .arg(QString::fromLocal8Bit(std::strerror(error))),
                   SQLITE_IOERR);
        }
    } catch (...) {
        Close();
        removeMade();
        throw;
    }
    // It takes the book's name only while nothing has it: a file that appeared there
    // meanwhile is opened as it is instead, never replaced.
    if (!RenameNoReplace(made, m_path)) {
        const int error = errno;
        removeMade();
        if (error != EEXIST)
            refuse(QStringLiteral("the new book could not be given its name (%1)")
                       .arg(QString::fromLocal8Bit(std::strerror(error))),
                   SQLITE_CANTOPEN);
        return;
    }
    // The name lasts as the book does; a folder the system cannot flush keeps it anyway.
    Sync(folder, true);
}

void TDbConnection::OpenFile(const QString& where, bool create)
{
    const QByteArray path = where.toUtf8();
    sqlite3* db = nullptr;
    auto fail = [&](const QString& message, int code) {
        sqlite3_close_v2(db);
        m_db = nullptr;
        throw EDatabaseError(QStringLiteral("Cannot open the database \"%1\": %2").arg(m_path, message), code);
    };
    // For a message that says all there is to say, in the user's words.
    auto refuse = [&](const QString& message, int code) {
        sqlite3_close_v2(db);
        m_db = nullptr;
        throw EDatabaseError(message, code);
    };
    // An empty file holds no book: most often a copy that was cut short. No book is made
    // over it, so that it stays for the user to replace with a backup.
    if (const QFileInfo existing(where); !create && existing.isFile() && existing.size() == 0)
        refuse(QStringLiteral("The book %1 is empty (0 bytes): it holds none of your books, as happens when copying "
                              "or saving it was cut short. Restore it from your backup, or remove the empty file to "
                              "start a new book. The file was left as it was.")
                   .arg(Book()),
               SQLITE_NOTADB);
    // A book the program may not write is opened for reading and said so now, rather than
    // at the first save. Writing needs the file and, for the rollback journal made beside
    // it on every commit, its folder.
    const QString folder = QDir::toNativeSeparators(QFileInfo(where).absolutePath());
    const QString folderRefusal = m_openReadOnly ? QString() : WriteRefusal(folder);
    QString readOnlyWhy;
    if (m_openReadOnly)
        readOnlyWhy = QStringLiteral("it was opened for reading only");
    else if (const QString file = create ? QString() : WriteRefusal(where); !file.isEmpty())
        readOnlyWhy = QStringLiteral("the file cannot be written (%1)").arg(file);
    else if (!folderRefusal.isEmpty())
        readOnlyWhy = QStringLiteral("its folder %1 cannot be written (%2), and saving a change needs a journal "
                                     "file beside the book")
                          .arg(folder, folderRefusal);
    // One thread uses the connection, so the engine need not lock around every call.
    const int flags =
        SQLITE_OPEN_NOMUTEX
        | (readOnlyWhy.isEmpty() ? SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0) : SQLITE_OPEN_READONLY);
    int rc = sqlite3_open_v2(path.constData(), &db, flags, nullptr);
    if (rc != SQLITE_OK)
        fail(db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString::fromUtf8(sqlite3_errstr(rc)), rc);
    // The engine falls back to reading by itself when the system refuses it the file.
    if (readOnlyWhy.isEmpty() && sqlite3_db_readonly(db, "main") == 1)
        readOnlyWhy = QStringLiteral("the system does not let the file be written");

    // The key goes in before any other statement touches the file.
    rc = sqlite3_key_v2(db, "main", m_password.constData(), m_password.size());
    if (rc != SQLITE_OK)
        fail(QString::fromUtf8(sqlite3_errmsg(db)), rc);
    // Another program saving to the book holds it for a moment: from the first read on,
    // wait for it rather than fail.
    sqlite3_busy_timeout(db, 5000);

    // From here statements run on the handle; whatever fails closes it again.
    m_db = db;
    sqlite3_set_authorizer(db, &TDbConnection::Authorize, this);
    m_thread = std::this_thread::get_id();
    ++m_generation;
    auto attempt = [&](const std::function<void()>& step) {
        try {
            step();
        } catch (const EDatabaseError& e) {
            fail(e.Message(), e.Code());
        }
    };
    // Books are kept in the version 3 cipher format, so a newer engine must be told to
    // read and write that format rather than its own.
    attempt([&] {
        TStatement cipher(*this, QStringLiteral("PRAGMA cipher_version"));
        TExecution run(cipher);
        const QString version = run.Step() ? QString::fromUtf8(cipher.Utf8(0)) : QString();
        if (version.section('.', 0, 0).toInt() >= 4)
            ExecuteDirect(QStringLiteral("PRAGMA cipher_compatibility = 3"));
    });
    // Reads prove the key before anything could be written, and tell what is wrong with a
    // file that cannot be opened. The cipher checks each page with the key, so a first
    // page it refuses means another password, a file that is no book, or damage at its
    // very start, which nothing in the file tells apart (but for a database that is not
    // encrypted at all). Once the first page is read the key is right, and whatever fails
    // further on is damage.
    auto prove = [&](bool keyProven, const std::function<void()>& step) {
        try {
            step();
        } catch (const EDatabaseError& e) {
            const int primary = e.Code() & 0xff;
            const QString engineText = QString::fromUtf8(sqlite3_errstr(primary));
            if (primary == SQLITE_BUSY || primary == SQLITE_LOCKED || primary == SQLITE_IOERR || primary == SQLITE_FULL)
                refuse(TroubleWriting(primary, engineText), e.Code());
            if (primary == SQLITE_NOTADB && !keyProven && StartsAsPlainDatabase(where))
                refuse(QStringLiteral("The file %1 is not a Brindlemark book: it is a database that is not "
                                      "encrypted, as other programs keep them, and every Brindlemark book is "
                                      "encrypted. Put your own book in its place, or restore it from your backup. "
                                      "The file was left as it was.")
                           .arg(Book()),
                       e.Code());
            if (primary == SQLITE_NOTADB && !keyProven)
                refuse(QStringLiteral("The file %1 cannot be opened as a Brindlemark book: it was saved with another "
                                      "password, or it is not a Brindlemark book, or its beginning was damaged. If "
                                      "it is your book, restore it from your backup. The file was left as it was.")
                           .arg(Book()),
                       e.Code());
            if (primary == SQLITE_NOTADB || primary == SQLITE_CORRUPT)
                refuse(DamagedText(engineText) + QStringLiteral(" The book was left as it was."), e.Code());
            fail(e.Message(), e.Code());
        }
    };
    // The version is kept on the first page, so reading it reads that page alone.
    prove(false, [&] { BookVersion::Read(*this); });
    int tables = 0;
    prove(true, [&] {
        TStatement count(*this, QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type = 'table'"));
        TExecution run(count);
        if (run.Step())
            tables = int(count.Integer(0));
    });
    if (tables == 0 && !m_schema)
        fail(QStringLiteral("the file holds no book"), SQLITE_NOTADB);
    // Every reported commit must survive a crash or power cut: a rollback journal that is
    // synced on each commit.
    attempt([&] {
        ExecuteDirect(QStringLiteral("PRAGMA journal_mode = DELETE"));
        ExecuteDirect(QStringLiteral("PRAGMA synchronous = FULL"));
    });
    // The lists reopen after every save; a cache that holds a large book's pages (filled
    // only as pages are read, up to 64 MB) spares reading and decrypting them again.
    attempt([&] { ExecuteDirect(QStringLiteral("PRAGMA cache_size = -65536")); });

    m_readOnlyWhy = readOnlyWhy;
    if (m_schema) {
        try {
            BookVersion::Prepare(*this, *m_schema, tables == 0, Book(), readOnlyWhy);
        } catch (...) {
            Close();
            throw;
        }
    }
}

void TDbConnection::Close()
{
    if (!m_db)
        return;
    ++m_failures;  // the file may change while it is not open
    // Statements still prepared keep the handle alive until they are finalized.
    sqlite3_close_v2(m_db);
    m_db = nullptr;
    m_readOnlyWhy.clear();
    // The engine drops a transaction left open; what was shown of it goes with it.
    if (m_transactionDepth > 0)
        UndoTo(0);
    m_transactionDepth = 0;
}

void TDbConnection::OnRollback(std::unique_ptr<TRollbackStep> step)
{
    if (m_transactionDepth > 0 && !m_rollingBack)
        m_rollbackSteps.push_back(std::move(step));
}

void TDbConnection::UndoTo(size_t mark)
{
    // Steps left while undoing (a dataset closed by its own undo) are not kept.
    const bool outer = !m_rollingBack;
    m_rollingBack = true;
    while (m_rollbackSteps.size() > mark) {
        std::unique_ptr<TRollbackStep> step = std::move(m_rollbackSteps.back());
        m_rollbackSteps.pop_back();
        try {
            step->Undo();
        } catch (...) {
            // The book is already back; the remaining steps still have to run.
        }
    }
    if (outer)
        m_rollingBack = false;
}

sqlite3* TDbConnection::Handle()
{
    if (!Connected())
        Open();
    else
        CheckThread();
    return m_db;
}

void TDbConnection::CheckThread() const
{
    if (m_db && std::this_thread::get_id() != m_thread)
        throw EDatabaseError(QStringLiteral("The book %1 was opened by another part of the program running at the "
                                            "same time and cannot be used from this one; nothing was read or "
                                            "written.")
                                 .arg(Book()));
}

void TDbConnection::RequireTransaction(const char* what) const
{
    if (!InTransaction())
        throw EDatabaseError(QStringLiteral("%1 writes to the book only inside a transaction, and none is open; "
                                            "nothing was written.")
                                 .arg(QString::fromUtf8(what)));
}

int TDbConnection::Authorize(void* self, int action, const char* table, const char*, const char*, const char*)
{
    if ((action == SQLITE_INSERT || action == SQLITE_UPDATE || action == SQLITE_DELETE) && table) {
        auto* connection = static_cast<TDbConnection*>(self);
        const QString name = QString::fromUtf8(table).toUpper();
        if (!connection->m_collecting)
            ++connection->m_tableWrites[name];
        else if (!connection->m_collecting->contains(name))
            connection->m_collecting->append(name);
    }
    return SQLITE_OK;
}

void TDbConnection::NoteWrites(const QStringList& tables)
{
    for (const QString& table : tables)
        ++m_tableWrites[table];
}

quint64 TDbConnection::TableVersion(const QString& table) const
{
    return m_tableWrites.value(table.toUpper()) + m_failures + OthersCommits();
}

quint64 TDbConnection::OthersCommits() const
{
    if (!m_db)
        return 0;
    // The engine's own count of commits by other connections, noticed on its next read.
    // Run past the statement layer, which counts writes; a failure moves the count too,
    // so that what was read is read again.
    sqlite3_stmt* statement = nullptr;
    quint64 commits = 0;
    if (sqlite3_prepare_v2(m_db, "PRAGMA data_version", -1, &statement, nullptr) == SQLITE_OK
        && sqlite3_step(statement) == SQLITE_ROW)
        commits = quint64(sqlite3_column_int64(statement, 0));
    sqlite3_finalize(statement);
    return commits;
}

void TDbConnection::ExecuteDirect(const QString& sql)
{
    sqlite3* db = Handle();
    char* err = nullptr;
    const int rc = sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &err);
    if (rc != SQLITE_OK) {
        NoteFailure();
        const QString message = err ? QString::fromUtf8(err) : QString::fromUtf8(sqlite3_errstr(rc));
        sqlite3_free(err);
        throw Error(rc, message);
    }
}

QString TDbConnection::EngineVersion()
{
    return QString::fromUtf8(sqlite3_libversion());
}

TTransaction::TTransaction(TDbConnection& connection)
    : m_connection(connection),
      m_level(connection.TransactionDepth()),
      m_rollbackMark(connection.m_rollbackSteps.size())
{
    if (m_level == 0)
        m_connection.ExecuteDirect(QStringLiteral("BEGIN IMMEDIATE"));
    else
        m_connection.ExecuteDirect(QStringLiteral("SAVEPOINT zorp_%1").arg(m_level));
    m_connection.m_transactionDepth = m_level + 1;
}

TTransaction::~TTransaction()
{
    if (m_active) {
        try {
            Rollback();
        } catch (...) {
            // Nothing more can be done in a destructor; the engine has rolled back or will.
        }
    }
}

void TTransaction::Commit()
{
    if (!m_active)
        throw EDatabaseError(QStringLiteral("The transaction is no longer active"));
    if (m_level == 0)
        m_connection.ExecuteDirect(QStringLiteral("COMMIT"));
    else
        m_connection.ExecuteDirect(QStringLiteral("RELEASE zorp_%1").arg(m_level));
    m_active = false;
    m_connection.m_transactionDepth = m_level;
    // Stored for good: nothing left to undo. A released savepoint's steps stay, as the
    // transaction around it may still roll back.
    if (m_level == 0)
        m_connection.m_rollbackSteps.clear();
}

void TTransaction::Rollback()
{
    if (!m_active)
        return;
    m_active = false;
    m_connection.m_transactionDepth = m_level;
    m_connection.NoteFailure();
    // Whatever the engine answers, the book is back as it was; so is what the program
    // holds of it.
    struct TUndo {
        TDbConnection& connection;
        size_t mark;
        ~TUndo() { connection.UndoTo(mark); }
    } undo {m_connection, m_rollbackMark};
    if (!m_connection.Connected())
        return;
    if (m_level == 0) {
        // Some failures end the transaction inside the engine already.
        if (!sqlite3_get_autocommit(m_connection.Handle()))
            m_connection.ExecuteDirect(QStringLiteral("ROLLBACK"));
    } else
        m_connection.ExecuteDirect(QStringLiteral("ROLLBACK TO zorp_%1; RELEASE zorp_%1").arg(m_level));
}
