#pragma once
// A fresh book in a temporary program folder, with every data module created on it.
#include "DataModules.h"
#include "DbConnection.h"
#include "sql_K2V.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <QVariant>
#include <memory>

class TTestBook {
public:
    // `subfolder` lets a test put the program folder below a name with spaces.
    explicit TTestBook(const QString& subfolder = {});
    ~TTestBook();

    QString Folder() const { return m_folder; }
    QString Path() const { return m_folder + "/ZORP.DAT"; }
    TDbConnection& Connection() { return dmK2V->ADOConnection; }

    // Direct SQL for setting up and checking, outside the layer under test.
    void Exec(const QString& sql);
    QVariant Scalar(const QString& sql);

private:
    QTemporaryDir m_dir;
    QString m_folder;
    std::unique_ptr<TDataModules> m_modules;
};

// The bytes of a file, to prove it was left untouched.
QByteArray FileBytes(const QString& path);
