#pragma once
// What a book holds, handed to the connection before it opens: the statements that make a
// new book, the rows every book starts with, the version this program writes and the
// steps that bring an older book up to it. The connection only runs what it is given.
//
// The version is kept in the book itself (the engine's user_version). A book of a newer
// version is refused untouched; an older one is brought up to date as it opens, every step
// in one transaction, so it ends fully up to date or exactly as it was.
#include <QString>
#include <QStringList>
#include <vector>

// One step up: its statements (none when only the version number changes) bring a book
// from the version before `toVersion` to it.
struct TSchemaUpgrade {
    int toVersion = 0;
    QStringList statements;
};

struct TBookSchema {
    QString program;        // the program's name, for the messages about versions
    int version = 0;        // the version this program writes and reads up to
    QStringList create;     // tables, keys and indexes of a new book
    QStringList startRows;  // the counters and rows a new book starts with
    std::vector<TSchemaUpgrade> upgrades;
};

class TDbConnection;

namespace BookVersion {
// The version recorded in the open book.
int Read(TDbConnection& connection);
// Run as the book opens, once it is keyed and proved: a new book is made from `schema`,
// an older one brought up to its version, a newer one refused. `book` names the file and
// `readOnlyWhy` says why it cannot be written (empty when it can).
void Prepare(TDbConnection& connection, const TBookSchema& schema, bool newBook, const QString& book,
             const QString& readOnlyWhy);
}  // namespace BookVersion
