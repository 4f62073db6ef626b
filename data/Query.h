#pragma once
// Statements held by the data modules: commands that return no rows and queries whose
// rows are read into a client-side dataset. Parameters are named in the SQL with a colon
// (":iYYYY"), set by name, and hold null until set; a value stays until set again.
#include "Dataset.h"
#include "Money.h"
#include "Statement.h"
#include "Value.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

class TDbConnection;

class TParam {
public:
    explicit TParam(const QString& name) : m_name(name) { }
    const QString& Name() const { return m_name; }
    const TValue& Value() const { return m_value; }
    bool IsNull() const { return m_value.IsNull(); }

    void SetAsInteger(int64_t value) { m_value = TValue(value); }
    void SetAsString(const QString& value) { m_value = TValue(value); }
    void SetAsMoney(Money value) { m_value = TValue(value.Scaled()); }
    void SetAsFloat(double value) { m_value = TValue(value); }
    // A date is stored as its day number.
    void SetAsDate(const QDate& date);
    void SetValue(const TValue& value) { m_value = value; }
    void Clear() { m_value = TValue(); }

private:
    QString m_name;
    TValue m_value;
};

class TParameters {
public:
    explicit TParameters(const QString& owner = {}) : m_owner(owner) { }
    // The parameters the SQL names, in order of first appearance.
    void ParseFrom(const QString& sql);
    TParam& ParamByName(const QString& name);
    TParam* FindParam(const QString& name);
    int Count() const { return int(m_params.size()); }
    TParam& operator[](int i) { return m_params.at(i); }
    // Binds every value the statement names; inside the statement's run.
    void Bind(TStatement& statement) const;

private:
    QString m_owner;
    std::vector<TParam> m_params;
};

// The SQL, its parameters and the prepared statement, prepared again after a reconnect.
class TStatementCore {
public:
    TStatementCore(const QString& name, TDbConnection& connection, const QString& sql);
    TStatementCore(const TStatementCore&) = delete;
    TStatementCore& operator=(const TStatementCore&) = delete;

    const QString& SQL() const { return m_sql; }
    TDbConnection& Connection() const { return m_connection; }
    TParameters& Parameters() { return m_params; }
    // Prepared, once per connection; a run binds the parameters (see TParameters::Bind).
    TStatement& Prepared();

private:
    QString m_name;
    TDbConnection& m_connection;
    QString m_sql;
    TParameters m_params;
    TStatement m_statement;
    int m_generation = -1;
};

class TCommand {
public:
    TCommand(const QString& name, TDbConnection& connection, const QString& sql);
    const QString& Name() const { return m_name; }
    const QString& SQL() const { return m_core.SQL(); }
    TParameters& Parameters() { return m_core.Parameters(); }
    TParam& ParamByName(const QString& name) { return m_core.Parameters().ParamByName(name); }
    // Runs the statement; returns the number of rows it changed.
    int Execute();

private:
    QString m_name;
    TStatementCore m_core;
};

class TQuery : public TDataSet {
    Q_OBJECT
public:
    TQuery(const QString& name, TDbConnection& connection, const QString& sql, QObject* parent = nullptr);

    const QString& SQL() const { return m_core.SQL(); }
    TParameters& Parameters() { return m_core.Parameters(); }
    TParam& ParamByName(const QString& name) { return m_core.Parameters().ParamByName(name); }
    TDbConnection& Connection() const { return m_core.Connection(); }

    // Where changes go: by default the one table the query reads, its rows found by the
    // table's primary key as it was when the row was read.
    QString UpdateTable;
    QStringList KeyColumns;
    // Runs inside each insert through this query, after the row is written and before it
    // is read back, in one transaction with it: what it writes to the new row shows in the
    // set as stored. The fields read the values being inserted.
    std::function<void(TQuery&)> AfterInsertRow;

    // The whole-number columns the query's ORDER BY sorts by, in that order, making the
    // order total, for a query over all rows of its table. With them set, RefreshRows can
    // stand in for reading every row again.
    QStringList OrderKeys;
    // When nothing but this query has written its table since the rows were read, puts the
    // rows it posted where the ORDER BY puts them, leaving the set exactly as reading it
    // again would, and answers true; otherwise changes nothing and answers false, and the
    // caller reads the rows again.
    bool RefreshRows();

protected:
    std::vector<TColumn> DoPrepare() override;
    void DoFetch(std::vector<std::unique_ptr<TRecord>>& rows, const std::vector<int>& fieldColumns,
                 int slotCount) override;
    void DoClose() override;
    void RowPosted(TRecord* row) override;
    void DoInsert(TRecord& record) override;
    void DoUpdate(const TRecord& original, const TRecord& changed) override;
    void DoDelete(const TRecord& record) override;
    TDbConnection* TransactionConnection() const override { return &m_core.Connection(); }

private:
    struct TWriteColumn {
        int field;       // field index in the dataset
        QString column;  // column of the table
    };
    void PrepareWrites();
    // Runs one write; the rows it changed, and the id of a new row in `rowid` when given.
    int ExecuteWrite(const QString& sql, const std::vector<TValue>& values, int64_t* rowid = nullptr);
    QString KeyCondition(const TRecord& record, std::vector<TValue>& values) const;

    TStatementCore m_core;
    bool m_writesPrepared = false;
    QString m_table;
    std::vector<TWriteColumn> m_writeColumns;
    std::vector<int> m_keyFields;  // field index of each key column
    QStringList m_keyColumnNames;
    // Whether the rows held are the book's, as of the table's version `m_version`, but for
    // the order of the rows posted since.
    bool m_rowsCurrent = false;
    quint64 m_version = 0;
    std::vector<TRecord*> m_posted;
};

// The field type a declared column type stands for ("SMALLINT", "MONEY", "VARCHAR(50)"...).
TFieldType FieldTypeFromDeclaration(const QString& declared, int* size = nullptr);
