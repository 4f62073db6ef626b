#pragma once
// A data module is a container of named statements over the one connection: every SQL
// text of a part of the system stands in one place, in its module's constructor.
#include "Dataset.h"
#include "Query.h"

#include <QObject>
#include <memory>
#include <vector>

class TDbConnection;

// Opens a shared query for the length of one call and closes it again, whatever happens,
// so no result set stays open between calls.
class TOpenedQuery {
public:
    explicit TOpenedQuery(TQuery& query) : m_query(query) { m_query.Open(); }
    ~TOpenedQuery() { m_query.Close(); }
    TOpenedQuery(const TOpenedQuery&) = delete;
    TOpenedQuery& operator=(const TOpenedQuery&) = delete;

private:
    TQuery& m_query;
};

class TDataModule : public QObject {
    Q_OBJECT
public:
    TDataModule(const QString& name, TDbConnection& connection, QObject* parent = nullptr)
        : QObject(parent), m_connection(connection)
    {
        setObjectName(name);
    }
    TDbConnection& Connection() const { return m_connection; }

protected:
    TQuery* NewQuery(const QString& name, const QString& sql) { return new TQuery(name, m_connection, sql, this); }
    TCommand* NewCommand(const QString& name, const QString& sql)
    {
        m_commands.push_back(std::make_unique<TCommand>(name, m_connection, sql));
        return m_commands.back().get();
    }
    TDataSource* NewDataSource(const QString& name, TDataSet* dataSet) { return new TDataSource(name, dataSet, this); }

private:
    TDbConnection& m_connection;
    std::vector<std::unique_ptr<TCommand>> m_commands;
};
