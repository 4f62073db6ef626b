#pragma once
// A fresh book in a temporary program folder, with every data module created on it.
#include "DataModules.h"
#include "Dataset.h"
#include "DbConnection.h"
#include "sql_K2V.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariant>
#include <functional>
#include <memory>

class TTestBook {
public:
    // `subfolder` lets a test put the program folder below a name with spaces.
    explicit TTestBook(const QString& subfolder = {});
    ~TTestBook();

    QString Folder() const { return m_folder; }
    // Ends the program's hold on the book and starts afresh on the same folder, as closing
    // the program and starting it again does; `whileClosed` runs while no connection holds it.
    void Restart(const std::function<void()>& whileClosed = {});
    QString Path() const { return m_folder + "/ZORP.DAT"; }
    TDbConnection& Connection() { return dmK2V->ADOConnection; }

    // Direct SQL for setting up and checking, outside the layer under test.
    void Exec(const QString& sql);
    QVariant Scalar(const QString& sql);
    // The first column of every row, as text ("-" for null).
    QStringList Column(const QString& sql);

private:
    QTemporaryDir m_dir;
    QString m_folder;
    std::unique_ptr<TDataModules> m_modules;
};

// Runs `write` in a transaction of its own and commits it, as the program's callers of the
// write functions that need one do.
void Committed(TDbConnection& connection, const std::function<void()>& write);

// A value as the tests compare it: "-" for null, integers without decimals.
QString ValueText(const TValue& v);

// The rows of a list as they stand in the book, each the values of `columns`: a row being
// added is not stored yet, and a row being changed counts with its stored values.
QList<QStringList> StoredValues(TDataSet& ds, const QStringList& columns);

// The bytes of a file, to prove it was left untouched.
QByteArray FileBytes(const QString& path);

// Makes a file or folder truly unwritable for as long as it lives, even for root, who is
// not stopped by permission bits: the immutable attribute where the process may set it,
// else the permission bits. Works() says whether writing is now really refused.
class TUnwritable {
public:
    explicit TUnwritable(const QString& path);
    ~TUnwritable();
    TUnwritable(const TUnwritable&) = delete;
    TUnwritable& operator=(const TUnwritable&) = delete;
    bool Works() const { return m_works; }

private:
    QString m_path;
    bool m_immutable = false;
    bool m_works = false;
};
