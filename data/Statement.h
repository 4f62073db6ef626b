#pragma once
// One prepared statement of the engine, owned: finalized when it goes, reset with its
// bindings cleared after every run, and every result the engine gives turned into an
// EDatabaseError through the connection, so a refused write reads the same wherever it
// comes from. A run is a TExecution: binding and stepping happen while one lives.
#include "Value.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <string_view>
#include <vector>

class TDbConnection;
struct sqlite3_stmt;

class TStatement {
public:
    TStatement() = default;
    // Prepares `sql` (one statement) on the connection, opening it first.
    TStatement(TDbConnection& connection, const QString& sql);
    ~TStatement();
    TStatement(TStatement&& other) noexcept;
    TStatement& operator=(TStatement&& other) noexcept;
    TStatement(const TStatement&) = delete;
    TStatement& operator=(const TStatement&) = delete;

    bool Prepared() const { return m_stmt != nullptr; }

    // What the statement reads and names.
    int ColumnCount() const;
    QString ColumnName(int column) const;
    // The declared type of the table column behind a result column; empty for an expression.
    QString ColumnDeclaration(int column) const;
    // The 1-based index of a named parameter (":iNAME"), 0 when the SQL has none by that name.
    int ParameterIndex(const QByteArray& name) const;

    // Bindings hold until the run ends. Index is 1-based.
    void Bind(int index, const TValue& value);
    void BindInteger(int index, int64_t value);
    void BindText(int index, std::string_view utf8);
    void BindNull(int index);

    // The current row, while a step has returned one. Column is 0-based.
    bool IsNull(int column) const;
    bool IsText(int column) const;
    int64_t Integer(int column) const;
    // The bytes of a text column; empty for null.
    std::string_view Utf8(int column) const;
    TValue Value(int column) const;
    // Appends the values of `columns` to `values`; -1 stands for a null slot.
    void AppendValues(std::vector<TValue>& values, const std::vector<int>& columns) const;

    // Rows the last write changed and the row id it gave a new row.
    int Changes() const;
    int64_t LastInsertRowId() const;

private:
    friend class TExecution;
    bool Step();
    void Reset();
    void Check(int rc) const;
    void Finalize();

    TDbConnection* m_connection = nullptr;
    sqlite3_stmt* m_stmt = nullptr;
    QStringList m_writes;  // the tables a run of this statement writes
};

// One run of a statement: the connection is checked to be used on its own thread as it
// starts, and the statement is reset with its bindings cleared as it ends, however it ends.
class TExecution {
public:
    explicit TExecution(TStatement& statement);
    ~TExecution();
    TExecution(const TExecution&) = delete;
    TExecution& operator=(const TExecution&) = delete;

    // True with a row to read, false when the statement is done; an error is raised.
    bool Step() { return m_statement.Step(); }
    // Steps to the end; the rows it changed.
    int Finish();

private:
    TStatement& m_statement;
};
