#pragma once
// The one connection to the encrypted book. It opens on the first statement that needs it
// and stays open; a missing book is made from the schema it was given, whole, under a
// temporary name beside it, and only then given the book's name. An empty file is no book
// and is refused.
// It belongs to the thread that opened it: the engine is opened without locks of its own.
#include "BookSchema.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

class EDatabaseError;
struct sqlite3;

// What the program holds beside the book and must put back when a transaction rolls back,
// such as the rows of a dataset posted inside it.
class TRollbackStep {
public:
    virtual ~TRollbackStep() = default;
    // Runs after the engine has rolled back; it must not throw.
    virtual void Undo() = 0;
};

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
    // The key as set, for a copy of the book that must open with the same password.
    const QByteArray& Password() const { return m_password; }
    // Only while closed: open the book for reading only, so that every write is refused.
    void SetOpenReadOnly(bool readOnly);
    // Only while closed: what a new book holds and the version an existing one is brought
    // to as it opens (see BookSchema.h). Without one, only an existing book can be opened,
    // and it is opened as it is.
    void SetSchema(const TBookSchema& schema);

    bool Connected() const { return m_db != nullptr; }
    // Opens now; statements call it on demand. An existing file that cannot be opened
    // (empty, keyed with another password, not a book, damaged, of a newer version) is
    // left exactly as it was: the error says which, as far as the file shows it, and the
    // connection stays closed.
    void Open();
    void Close();

    // Once open: whether the book cannot be changed, and why, in words for the user that
    // name the file or its folder. A book whose file or folder the program cannot write is
    // opened for reading; every write to it is then refused with that reason.
    bool ReadOnly() const { return Connected() && !m_readOnlyWhy.isEmpty(); }
    QString ReadOnlyReason() const;

    // The engine handle, opening the connection first; on another thread than the one that
    // opened it, an error.
    sqlite3* Handle();
    // Raises EDatabaseError when the open connection is used from a thread other than the
    // one that opened it.
    void CheckThread() const;
    // Raises EDatabaseError naming `what` unless a transaction is open: every write that
    // belongs to a larger unit runs inside one, so it is kept or undone with it.
    void RequireTransaction(const char* what) const;
    // Bumped on every open, so prepared statements know to prepare again.
    int Generation() const { return m_generation; }

    // A count that moves whenever a statement that writes `table` runs, on every rollback,
    // failed statement and reopening, and whenever another program has saved to the book:
    // a list read from the table still holds what the book holds for as long as the count
    // it read with has not moved.
    quint64 TableVersion(const QString& table) const;
    // For statements: the tables the one being prepared writes are collected into `into`
    // (none while it is null, when they count as written at once), and NoteWrites counts a
    // run of a statement that writes them.
    void CollectWrites(QStringList* into) { m_collecting = into; }
    void NoteWrites(const QStringList& tables);
    void NoteFailure() { ++m_failures; }

    // Runs SQL without parameters or results (schema, pragmas).
    void ExecuteDirect(const QString& sql);

    // The error for a statement that failed with rc: the engine's text, or for a write the
    // book refused (read-only, or no journal could be made), what cannot be written and why.
    EDatabaseError Error(int rc, const QString& engineText) const;

    int TransactionDepth() const { return m_transactionDepth; }
    bool InTransaction() const { return m_transactionDepth > 0; }
    // Inside a transaction: `step` is undone should that transaction, or one around it,
    // roll back, and dropped when the outermost one commits. Outside a transaction, and
    // while a rollback is undoing steps, it is dropped at once.
    void OnRollback(std::unique_ptr<TRollbackStep> step);
    bool RollingBack() const { return m_rollingBack; }

    // The engine's library version and the cipher's, for the record.
    static QString EngineVersion();

private:
    friend class TTransaction;
    // Opens `file` as the book: an existing one, or with `create` a new one made there.
    void OpenFile(const QString& file, bool create);
    // Makes a new book beside the missing one and gives it the book's name, unless a file
    // appeared under that name meanwhile; nothing is left behind when it fails.
    void MakeBook();
    QString Book() const;
    // In words for the user, naming the book: a book the engine found damaged; `engineText`
    // is its own words.
    QString DamagedText(const QString& engineText) const;
    // Commits to the book by other connections (other programs) since this one opened.
    quint64 OthersCommits() const;
    // Undoes the steps left since `mark`, newest first.
    void UndoTo(size_t mark);

    // What the user is told when the disk refused a read or write, was full, or another
    // program held the book too long.
    QString TroubleWriting(int primary, const QString& engineText) const;

    static int Authorize(void* self, int action, const char* table, const char*, const char*, const char*);

    sqlite3* m_db = nullptr;
    QHash<QString, quint64> m_tableWrites;
    quint64 m_failures = 0;
    QStringList* m_collecting = nullptr;
    QString m_path;
    QByteArray m_password;
    bool m_openReadOnly = false;
    QString m_readOnlyWhy;  // why the open book cannot be written; empty when it can
    std::optional<TBookSchema> m_schema;
    std::thread::id m_thread;  // the thread that opened the connection
    int m_generation = 0;
    int m_transactionDepth = 0;
    std::vector<std::unique_ptr<TRollbackStep>> m_rollbackSteps;
    bool m_rollingBack = false;
};

// One unit of work: rolls back unless committed. Nested transactions become savepoints,
// so a helper that needs its own transaction can run inside a caller's. A rollback also
// undoes the steps left on the connection inside it (see OnRollback), so what the program
// shows of the book follows it back.
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
    size_t m_rollbackMark;
    bool m_active = true;
};
