#include "DbConnection.h"

#include "Errors.h"
#include "Schema.h"

#include <QFileInfo>
#include <sqlite3.h>

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

QString TDbConnection::LastError() const
{
    return m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QString();
}

void TDbConnection::Check(int rc) const
{
    if (rc == SQLITE_OK || rc == SQLITE_ROW || rc == SQLITE_DONE)
        return;
    const QString text = m_db ? LastError() : QString::fromUtf8(sqlite3_errstr(rc));
    throw EDatabaseError(text, rc);
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
    // One thread uses the connection, so the engine need not lock around every call.
    const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX | (create ? SQLITE_OPEN_CREATE : 0);
    int rc = sqlite3_open_v2(path.constData(), &db, flags, nullptr);
    auto fail = [&](const QString& message, int code) {
        sqlite3_close_v2(db);
        m_db = nullptr;
        throw EDatabaseError(QStringLiteral("Cannot open the database \"%1\": %2").arg(m_path, message), code);
    };
    if (rc != SQLITE_OK)
        fail(db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString::fromUtf8(sqlite3_errstr(rc)), rc);

    // The key goes in before any other statement touches the file.
    rc = sqlite3_key_v2(db, "main", m_password.constData(), m_password.size());
    if (rc != SQLITE_OK)
        fail(QString::fromUtf8(sqlite3_errmsg(db)), rc);

    auto exec = [&](const char* sql) {
        char* err = nullptr;
        const int r = sqlite3_exec(db, sql, nullptr, nullptr, &err);
        if (r != SQLITE_OK) {
            const QString message = err ? QString::fromUtf8(err) : QString::fromUtf8(sqlite3_errstr(r));
            sqlite3_free(err);
            fail(message, r);
        }
    };
    // Books are kept in the version 3 cipher format, so a newer engine must be told to
    // read and write that format rather than its own.
    {
        sqlite3_stmt* st = nullptr;
        QString cipherVersion;
        if (sqlite3_prepare_v2(db, "PRAGMA cipher_version", -1, &st, nullptr) == SQLITE_OK
            && sqlite3_step(st) == SQLITE_ROW)
            cipherVersion = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
        sqlite3_finalize(st);
        if (cipherVersion.section('.', 0, 0).toInt() >= 4)
            exec("PRAGMA cipher_compatibility = 3");
    }
    // A read of the schema proves the key; a wrong password or a file that is not a book
    // fails here, before anything could be written.
    int tables = 0;
    {
        sqlite3_stmt* st = nullptr;
        rc = sqlite3_prepare_v2(db, "SELECT count(*) FROM sqlite_master WHERE type = 'table'", -1, &st, nullptr);
        if (rc == SQLITE_OK) {
            rc = sqlite3_step(st);
            if (rc == SQLITE_ROW) {
                tables = sqlite3_column_int(st, 0);
                rc = SQLITE_OK;
            }
        }
        const QString message = QString::fromUtf8(sqlite3_errmsg(db));
        sqlite3_finalize(st);
        if (rc != SQLITE_OK)
            fail(message, rc);
    }
    // Every reported commit must survive a crash or power cut: a rollback journal that is
    // synced on each commit, and a wait rather than an error when another program holds
    // the file for a moment.
    exec("PRAGMA journal_mode = DELETE");
    exec("PRAGMA synchronous = FULL");
    sqlite3_busy_timeout(db, 5000);

    m_db = db;
    ++m_generation;
    if (tables == 0) {
        try {
            TTransaction t(*this);
            CreateSchema(*this);
            t.Commit();
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
    // Statements still prepared keep the handle alive until they are finalized.
    sqlite3_close_v2(m_db);
    m_db = nullptr;
    m_transactionDepth = 0;
}

sqlite3* TDbConnection::Handle()
{
    Open();
    return m_db;
}

void TDbConnection::ExecuteDirect(const QString& sql)
{
    sqlite3* db = Handle();
    char* err = nullptr;
    const int rc = sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &err);
    if (rc != SQLITE_OK) {
        const QString message = err ? QString::fromUtf8(err) : QString::fromUtf8(sqlite3_errstr(rc));
        sqlite3_free(err);
        throw EDatabaseError(message, rc);
    }
}

QString TDbConnection::EngineVersion()
{
    return QString::fromUtf8(sqlite3_libversion());
}

TTransaction::TTransaction(TDbConnection& connection)
    : m_connection(connection), m_level(connection.TransactionDepth())
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
}

void TTransaction::Rollback()
{
    if (!m_active)
        return;
    m_active = false;
    m_connection.m_transactionDepth = m_level;
    if (!m_connection.Connected())
        return;
    if (m_level == 0) {
        // Some failures end the transaction inside the engine already.
        if (!sqlite3_get_autocommit(m_connection.Handle()))
            m_connection.ExecuteDirect(QStringLiteral("ROLLBACK"));
    } else
        m_connection.ExecuteDirect(
            QStringLiteral("ROLLBACK TO zorp_%1; RELEASE zorp_%1").arg(m_level));
}
