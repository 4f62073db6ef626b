#include "TestBook.h"

#include "Errors.h"

#include <QDir>
#include <QFile>
#include <sqlite3.h>

TTestBook::TTestBook(const QString& subfolder)
{
    m_folder = subfolder.isEmpty() ? m_dir.path() : m_dir.path() + '/' + subfolder;
    QDir().mkpath(m_folder);
    m_modules = std::make_unique<TDataModules>(m_folder);
}

TTestBook::~TTestBook() = default;

void TTestBook::Exec(const QString& sql)
{
    Connection().ExecuteDirect(sql);
}

QVariant TTestBook::Scalar(const QString& sql)
{
    sqlite3* db = Connection().Handle();
    sqlite3_stmt* st = nullptr;
    Connection().Check(sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &st, nullptr));
    QVariant result;
    if (sqlite3_step(st) == SQLITE_ROW) {
        switch (sqlite3_column_type(st, 0)) {
        case SQLITE_INTEGER: result = qlonglong(sqlite3_column_int64(st, 0)); break;
        case SQLITE_FLOAT: result = sqlite3_column_double(st, 0); break;
        case SQLITE_NULL: break;
        default: result = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
        }
    }
    sqlite3_finalize(st);
    return result;
}

QByteArray FileBytes(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray();
    return f.readAll();
}
