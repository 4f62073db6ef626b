#pragma once
// The one connection to the encrypted book. It opens on the first statement that needs it
// and stays open; a missing or empty file is created with the full schema.
#include <QString>
#include <functional>

struct sqlite3;

class TDbConnection {
public:
    TDbConnection() = default;
    ~TDbConnection();
    TDbConnection(const TDbConnection&) = delete;
    TDbConnection& operator=(const TDbConnection&) = delete;

    // Only while closed: where the book is and the password that keys it.
    void SetDataSource(const QString& path);
    QString DataSource() const { return m_path; }
    void SetPassword(const QString& password);

    bool Connected() const { return m_db != nullptr; }
    // Opens now; statements call it on demand. An existing file that cannot be opened
    // (wrong password, not a book, damaged) is left exactly as it was: the engine's
    // error is raised and the connection stays closed.
    void Open();
    void Close();

    // The engine handle, opening the connection first.
    sqlite3* Handle();
    // Bumped on every open, so prepared statements know to prepare again.
    int Generation() const { return m_generation; }

    // Runs SQL without parameters or results (schema, pragmas).
    void ExecuteDirect(const QString& sql);

    // Raises EDatabaseError with the engine's text when rc is an error code.
    void Check(int rc) const;
    QString LastError() const;

    int TransactionDepth() const { return m_transactionDepth; }

    // The engine's library version and the cipher's, for the record.
    static QString EngineVersion();

private:
    friend class TTransaction;
    void OpenFile(bool create);

    sqlite3* m_db = nullptr;
    QString m_path;
    QByteArray m_password;
    int m_generation = 0;
    int m_transactionDepth = 0;
};

// One unit of work: rolls back unless committed. Nested transactions become savepoints,
// so a helper that needs its own transaction can run inside a caller's.
class TTransaction {
public:
    explicit TTransaction(TDbConnection& connection);
    ~TTransaction();
    TTransaction(const TTransaction&) = delete;
    TTransaction& operator=(const TTransaction&) = delete;

    void Commit();
    void Rollback();
    bool Active() const { return m_active; }

private:
    TDbConnection& m_connection;
    int m_level;
    bool m_active = true;
};
