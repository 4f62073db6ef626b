#include "BookSchema.h"

#include "DbConnection.h"
#include "Errors.h"
#include "Statement.h"

namespace {

void Run(TDbConnection& connection, const QStringList& statements)
{
    for (const QString& sql : statements)
        connection.ExecuteDirect(sql);
}

void SetVersion(TDbConnection& connection, int version)
{
    connection.ExecuteDirect(QStringLiteral("PRAGMA user_version = %1").arg(version));
}

void Create(TDbConnection& connection, const TBookSchema& schema)
{
    TTransaction transaction(connection);
    Run(connection, schema.create);
    Run(connection, schema.startRows);
    SetVersion(connection, schema.version);
    transaction.Commit();
}

void Upgrade(TDbConnection& connection, const TBookSchema& schema, int from, const QString& book)
{
    try {
        TTransaction transaction(connection);
        for (const TSchemaUpgrade& step : schema.upgrades)
            if (step.toVersion > from && step.toVersion <= schema.version)
                Run(connection, step.statements);
        SetVersion(connection, schema.version);
        transaction.Commit();
    } catch (const EDatabaseError& e) {
        throw EDatabaseError(QStringLiteral("The book %1 could not be brought up to date for this version of %2 "
                                            "(book version %3, needed %4): %5. The book was left as it was.")
                                 .arg(book, schema.program)
                                 .arg(from)
                                 .arg(schema.version)
                                 .arg(e.Message()),
                             e.Code());
    }
}

}  // namespace

int BookVersion::Read(TDbConnection& connection)
{
    TStatement version(connection, QStringLiteral("PRAGMA user_version"));
    TExecution run(version);
    return run.Step() ? int(version.Integer(0)) : 0;
}

void BookVersion::Prepare(TDbConnection& connection, const TBookSchema& schema, bool newBook, const QString& book,
                          const QString& readOnlyWhy)
{
    if (newBook) {
        Create(connection, schema);
        return;
    }
    const int version = Read(connection);
    if (version > schema.version)
        throw EDatabaseError(QStringLiteral("The book %1 was written by a newer version of %2 (book version %3, this "
                                            "program reads up to %4). Open it with that newer version; the book "
                                            "was left as it was.")
                                 .arg(book, schema.program)
                                 .arg(version)
                                 .arg(schema.version));
    if (version == schema.version)
        return;
    if (!readOnlyWhy.isEmpty())
        throw EDatabaseError(QStringLiteral("The book %1 was written by an older version of %2 (book version %3) and "
                                            "must be brought up to version %4 before this version can use it, but "
                                            "it is read-only: %5. Open it once where it can be written; the book was "
                                            "left as it was.")
                                 .arg(book, schema.program)
                                 .arg(version)
                                 .arg(schema.version)
                                 .arg(readOnlyWhy));
    Upgrade(connection, schema, version, book);
}
