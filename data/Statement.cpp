#include "Statement.h"

#include "DbConnection.h"
#include "Errors.h"

#include <sqlite3.h>
#include <utility>

namespace {

// Short texts such as the taxable flag repeat on every row; share them instead of
// allocating a string per row.
TValue ReadText(const unsigned char* text, int bytes)
{
    if (bytes == 0)
        return TValue(QString(""));
    if (bytes == 1 && text[0] < 0x80) {
        static const QString* table = [] {
            auto* t = new QString[128];
            for (int i = 0; i < 128; ++i)
                t[i] = QString(QChar(i));
            return t;
        }();
        return TValue(table[text[0]]);
    }
    return TValue(QString::fromUtf8(reinterpret_cast<const char*>(text), bytes));
}

}  // namespace

TStatement::TStatement(TDbConnection& connection, const QString& sql) : m_connection(&connection)
{
    sqlite3* db = connection.Handle();
    const QByteArray utf8 = sql.toUtf8();
    connection.CollectWrites(&m_writes);
    const int rc = sqlite3_prepare_v2(db, utf8.constData(), int(utf8.size()), &m_stmt, nullptr);
    connection.CollectWrites(nullptr);
    if (rc != SQLITE_OK) {
        const QString message = QString::fromUtf8(sqlite3_errmsg(db));
        Finalize();
        throw connection.Error(rc, message);
    }
    if (!m_stmt)
        throw EDatabaseError(QStringLiteral("There is no statement to run in \"%1\"").arg(sql));
}

TStatement::~TStatement()
{
    Finalize();
}

TStatement::TStatement(TStatement&& other) noexcept
    : m_connection(other.m_connection),
      m_stmt(std::exchange(other.m_stmt, nullptr)),
      m_writes(std::move(other.m_writes))
{ }

TStatement& TStatement::operator=(TStatement&& other) noexcept
{
    if (this != &other) {
        Finalize();
        m_connection = other.m_connection;
        m_stmt = std::exchange(other.m_stmt, nullptr);
        m_writes = std::move(other.m_writes);
    }
    return *this;
}

void TStatement::Finalize()
{
    // The result repeats the last step's error, which was raised when it happened.
    sqlite3_finalize(m_stmt);
    m_stmt = nullptr;
}

void TStatement::Check(int rc) const
{
    if (rc == SQLITE_OK || rc == SQLITE_ROW || rc == SQLITE_DONE)
        return;
    m_connection->NoteFailure();  // the engine may have undone more than this statement
    throw m_connection->Error(rc, QString::fromUtf8(sqlite3_errmsg(sqlite3_db_handle(m_stmt))));
}

int TStatement::ColumnCount() const
{
    return sqlite3_column_count(m_stmt);
}

QString TStatement::ColumnName(int column) const
{
    return QString::fromUtf8(sqlite3_column_name(m_stmt, column));
}

QString TStatement::ColumnDeclaration(int column) const
{
    const char* declared = sqlite3_column_decltype(m_stmt, column);
    return declared ? QString::fromUtf8(declared) : QString();
}

int TStatement::ParameterIndex(const QByteArray& name) const
{
    return sqlite3_bind_parameter_index(m_stmt, name.constData());
}

void TStatement::Bind(int index, const TValue& value)
{
    if (value.IsNull()) {
        BindNull(index);
    } else if (value.IsInteger()) {
        BindInteger(index, value.Integer());
    } else if (value.IsFloat()) {
        Check(sqlite3_bind_double(m_stmt, index, value.Float()));
    } else {
        const QByteArray utf8 = value.Text().toUtf8();
        BindText(index, std::string_view(utf8.constData(), size_t(utf8.size())));
    }
}

void TStatement::BindInteger(int index, int64_t value)
{
    Check(sqlite3_bind_int64(m_stmt, index, value));
}

void TStatement::BindText(int index, std::string_view utf8)
{
    Check(sqlite3_bind_text(m_stmt, index, utf8.data(), int(utf8.size()), SQLITE_TRANSIENT));
}

void TStatement::BindNull(int index)
{
    Check(sqlite3_bind_null(m_stmt, index));
}

bool TStatement::IsNull(int column) const
{
    return sqlite3_column_type(m_stmt, column) == SQLITE_NULL;
}

bool TStatement::IsText(int column) const
{
    return sqlite3_column_type(m_stmt, column) == SQLITE_TEXT;
}

int64_t TStatement::Integer(int column) const
{
    return sqlite3_column_int64(m_stmt, column);
}

std::string_view TStatement::Utf8(int column) const
{
    const unsigned char* text = sqlite3_column_text(m_stmt, column);
    if (!text)
        return {};
    return std::string_view(reinterpret_cast<const char*>(text), size_t(sqlite3_column_bytes(m_stmt, column)));
}

TValue TStatement::Value(int column) const
{
    switch (sqlite3_column_type(m_stmt, column)) {
    case SQLITE_INTEGER: return TValue(int64_t(sqlite3_column_int64(m_stmt, column)));
    case SQLITE_FLOAT: return TValue(sqlite3_column_double(m_stmt, column));
    case SQLITE_NULL: return TValue();
    default: {
        const unsigned char* text = sqlite3_column_text(m_stmt, column);
        return ReadText(text, sqlite3_column_bytes(m_stmt, column));
    }
    }
}

void TStatement::AppendValues(std::vector<TValue>& values, const std::vector<int>& columns) const
{
    for (const int column : columns) {
        if (column < 0) {
            values.emplace_back();
            continue;
        }
        // One call into the engine per column instead of three; every statement runs on
        // the one thread that owns the connection, so the value needs no lock.
        sqlite3_value* v = sqlite3_column_value(m_stmt, column);
        switch (sqlite3_value_type(v)) {
        case SQLITE_INTEGER: values.emplace_back(int64_t(sqlite3_value_int64(v))); break;
        case SQLITE_FLOAT: values.emplace_back(sqlite3_value_double(v)); break;
        case SQLITE_NULL: values.emplace_back(); break;
        default: {
            const unsigned char* text = sqlite3_value_text(v);
            values.push_back(ReadText(text, sqlite3_value_bytes(v)));
        }
        }
    }
}

int TStatement::Changes() const
{
    return sqlite3_changes(sqlite3_db_handle(m_stmt));
}

int64_t TStatement::LastInsertRowId() const
{
    return sqlite3_last_insert_rowid(sqlite3_db_handle(m_stmt));
}

bool TStatement::Step()
{
    const int rc = sqlite3_step(m_stmt);
    Check(rc);
    return rc == SQLITE_ROW;
}

void TStatement::Reset()
{
    if (!m_stmt)
        return;
    sqlite3_reset(m_stmt);
    sqlite3_clear_bindings(m_stmt);
}

TExecution::TExecution(TStatement& statement) : m_statement(statement)
{
    if (!statement.m_stmt)
        throw EDatabaseError(QStringLiteral("A statement was run before it was prepared"));
    statement.m_connection->CheckThread();
    if (!statement.m_writes.isEmpty())
        statement.m_connection->NoteWrites(statement.m_writes);
}

TExecution::~TExecution()
{
    m_statement.Reset();
}

int TExecution::Finish()
{
    while (m_statement.Step()) {
    }
    return m_statement.Changes();
}
