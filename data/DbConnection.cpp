#include "DbConnection.h"

#include "Errors.h"
#include "Statement.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <sqlite3.h>
#include <unistd.h>

namespace {

// Why the program may not write `path`, in the system's words; empty when it may. The
// system's own answer, so it also holds for a privileged user: an immutable file, a
// read-only mount.
QString WriteRefusal(const QString& path)
{
    if (::access(QFile::encodeName(path).constData(), W_OK) == 0)
        return {};
    return QString::fromLocal8Bit(std::strerror(errno));
}

}  // namespace

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

QString TDbConnection::ReadOnlyReason() const
{
    if (!ReadOnly())
        return {};
    return QStringLiteral("The book %1 is read-only: %2. You can look at your books, but no change can be saved.")
        .arg(Book(), m_readOnlyWhy);
}

EDatabaseError TDbConnection::Error(int rc, const QString& engineText) const
{
    const int primary = rc & 0xff;
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
    const QFileInfo info(m_path);
    // Only a missing or empty file is ever created; anything else is opened as it is.
    OpenFile(!info.exists() || info.size() == 0);
}

void TDbConnection::OpenFile(bool create)
{
    const QByteArray path = m_path.toUtf8();
    sqlite3* db = nullptr;
    auto fail = [&](const QString& message, int code) {
        sqlite3_close_v2(db);
        m_db = nullptr;
        throw EDatabaseError(QStringLiteral("Cannot open the database \"%1\": %2").arg(m_path, message), code);
    };
    // A book the program may not write is opened for reading and said so now, rather than
    // at the first save. Writing needs the file and, for the rollback journal made beside
    // it on every commit, its folder.
    const QString folder = QDir::toNativeSeparators(QFileInfo(m_path).absolutePath());
    const QString folderRefusal = m_openReadOnly ? QString() : WriteRefusal(folder);
    if (create && m_openReadOnly)
        fail(QStringLiteral("there is no book there to open for reading"), SQLITE_CANTOPEN);
    if (create && !folderRefusal.isEmpty())
        fail(QStringLiteral("there is no book there, and none can be made: its folder %1 cannot be written (%2)")
                 .arg(folder, folderRefusal),
             SQLITE_CANTOPEN);
    // Without a schema there is nothing to make a new book from.
    if (create && !m_schema)
        fail(QStringLiteral("there is no book there to open"), SQLITE_CANTOPEN);
    QString readOnlyWhy;
    if (m_openReadOnly)
        readOnlyWhy = QStringLiteral("it was opened for reading only");
    else if (const QString file = create ? QString() : WriteRefusal(m_path); !file.isEmpty())
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
    // A read of the schema proves the key; a wrong password or a file that is not a book
    // fails here, before anything could be written.
    int tables = 0;
    attempt([&] {
        TStatement count(*this, QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type = 'table'"));
        TExecution run(count);
        if (run.Step())
            tables = int(count.Integer(0));
    });
    if (tables == 0 && !m_schema)
        fail(QStringLiteral("the file holds no book"), SQLITE_NOTADB);
    // Every reported commit must survive a crash or power cut: a rollback journal that is
    // synced on each commit, and a wait rather than an error when another program holds
    // the file for a moment.
    attempt([&] {
        ExecuteDirect(QStringLiteral("PRAGMA journal_mode = DELETE"));
        ExecuteDirect(QStringLiteral("PRAGMA synchronous = FULL"));
    });
    sqlite3_busy_timeout(db, 5000);
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
    return m_tableWrites.value(table.toUpper()) + m_failures;
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
