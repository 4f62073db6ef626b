#include "Query.h"

#include "DayNumber.h"
#include "DbConnection.h"
#include "Errors.h"

#include <QRegularExpression>
#include <optional>
#include <sqlite3.h>

// ---------------------------------------------------------------- parameters

void TParam::SetAsDate(const QDate& date)
{
    if (date.isValid())
        m_value = TValue(int64_t(DayNumber::FromDate(date)));
    else
        m_value = TValue();
}

void TParameters::ParseFrom(const QString& sql)
{
    m_params.clear();
    QChar quote;
    for (int i = 0; i < sql.size(); ++i) {
        const QChar c = sql[i];
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
            continue;
        }
        if (c == '\'' || c == '"') {
            quote = c;
        } else if (c == ':' && i + 1 < sql.size() && (sql[i + 1].isLetter() || sql[i + 1] == '_')) {
            int j = i + 1;
            while (j < sql.size() && (sql[j].isLetterOrNumber() || sql[j] == '_'))
                ++j;
            const QString name = sql.mid(i + 1, j - i - 1);
            if (!FindParam(name))
                m_params.emplace_back(name);
            i = j - 1;
        }
    }
}

TParam* TParameters::FindParam(const QString& name)
{
    for (TParam& p : m_params)
        if (p.Name().compare(name, Qt::CaseInsensitive) == 0)
            return &p;
    return nullptr;
}

TParam& TParameters::ParamByName(const QString& name)
{
    TParam* p = FindParam(name);
    if (!p)
        throw EDatasetError(QStringLiteral("%1: Parameter '%2' not found").arg(m_owner, name));
    return *p;
}

namespace {
void BindValue(TDbConnection& connection, sqlite3_stmt* stmt, int index, const TValue& v)
{
    int rc;
    if (v.IsNull()) {
        rc = sqlite3_bind_null(stmt, index);
    } else if (v.IsInteger()) {
        rc = sqlite3_bind_int64(stmt, index, v.Integer());
    } else if (v.IsFloat()) {
        rc = sqlite3_bind_double(stmt, index, v.Float());
    } else {
        const QByteArray utf8 = v.Text().toUtf8();
        rc = sqlite3_bind_text(stmt, index, utf8.constData(), utf8.size(), SQLITE_TRANSIENT);
    }
    connection.Check(rc);
}

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

TValue ReadColumn(sqlite3_stmt* stmt, int column)
{
    switch (sqlite3_column_type(stmt, column)) {
    case SQLITE_INTEGER: return TValue(int64_t(sqlite3_column_int64(stmt, column)));
    case SQLITE_FLOAT: return TValue(sqlite3_column_double(stmt, column));
    case SQLITE_NULL: return TValue();
    default: {
        const unsigned char* text = sqlite3_column_text(stmt, column);
        return ReadText(text, sqlite3_column_bytes(stmt, column));
    }
    }
}
}  // namespace

void TParameters::Bind(TDbConnection& connection, sqlite3_stmt* stmt) const
{
    for (const TParam& p : m_params) {
        const QByteArray name = ':' + p.Name().toUtf8();
        const int index = sqlite3_bind_parameter_index(stmt, name.constData());
        if (index > 0)
            BindValue(connection, stmt, index, p.Value());
    }
}

// ---------------------------------------------------------------- statements

TStatementCore::TStatementCore(const QString& name, TDbConnection& connection, const QString& sql)
    : m_name(name), m_connection(connection), m_sql(sql), m_params(name)
{
    m_params.ParseFrom(sql);
}

TStatementCore::~TStatementCore()
{
    sqlite3_finalize(m_stmt);
}

sqlite3_stmt* TStatementCore::Ready()
{
    sqlite3* db = m_connection.Handle();
    if (!m_stmt || m_generation != m_connection.Generation()) {
        sqlite3_finalize(m_stmt);
        m_stmt = nullptr;
        const QByteArray utf8 = m_sql.toUtf8();
        const int rc = sqlite3_prepare_v2(db, utf8.constData(), utf8.size(), &m_stmt, nullptr);
        if (rc != SQLITE_OK) {
            const QString message = QString::fromUtf8(sqlite3_errmsg(db));
            sqlite3_finalize(m_stmt);
            m_stmt = nullptr;
            throw m_connection.Error(rc, message);
        }
        m_generation = m_connection.Generation();
    }
    sqlite3_reset(m_stmt);
    sqlite3_clear_bindings(m_stmt);
    m_params.Bind(m_connection, m_stmt);
    return m_stmt;
}

void TStatementCore::Reset()
{
    if (m_stmt)
        sqlite3_reset(m_stmt);
}

TCommand::TCommand(const QString& name, TDbConnection& connection, const QString& sql)
    : m_name(name), m_core(name, connection, sql)
{
}

int TCommand::Execute()
{
    sqlite3_stmt* stmt = m_core.Ready();
    const int rc = sqlite3_step(stmt);
    if (rc != SQLITE_DONE && rc != SQLITE_ROW) {
        const QString message = QString::fromUtf8(sqlite3_errmsg(m_core.Connection().Handle()));
        m_core.Reset();
        throw m_core.Connection().Error(rc, message);
    }
    m_core.Reset();
    return sqlite3_changes(m_core.Connection().Handle());
}

// ---------------------------------------------------------------- queries

TFieldType FieldTypeFromDeclaration(const QString& declared, int* size)
{
    const QString d = declared.trimmed().toUpper();
    if (size) {
        *size = 0;
        // The first "(digits)" in the declaration; read by hand, as it runs on every open.
        for (qsizetype i = 0; i < d.size(); ++i) {
            if (d[i] != '(')
                continue;
            qsizetype j = i + 1;
            while (j < d.size() && d[j].isDigit() && d[j].unicode() < 128)
                ++j;
            if (j > i + 1 && j < d.size() && d[j] == ')') {
                *size = d.mid(i + 1, j - i - 1).toInt();
                break;
            }
        }
    }
    if (d.isEmpty())
        return TFieldType::Unknown;
    if (d.startsWith("SMALLINT"))
        return TFieldType::Smallint;
    if (d.contains("INT"))
        return TFieldType::Integer;
    if (d.startsWith("MONEY"))
        return TFieldType::Money;
    if (d.contains("CLOB") || d.startsWith("MEMO"))
        return TFieldType::Memo;
    if (d.contains("CHAR") || d.contains("TEXT"))
        return TFieldType::String;
    if (d.contains("REAL") || d.contains("FLOA") || d.contains("DOUB"))
        return TFieldType::Float;
    if (d.startsWith("DATE"))
        return TFieldType::Date;
    return TFieldType::Unknown;
}

TQuery::TQuery(const QString& name, TDbConnection& connection, const QString& sql, QObject* parent)
    : TDataSet(name, parent), m_core(name, connection, sql)
{
}

std::vector<TDataSet::TColumn> TQuery::DoPrepare()
{
    sqlite3_stmt* stmt = m_core.Ready();
    std::vector<TColumn> columns;
    const int n = sqlite3_column_count(stmt);
    for (int j = 0; j < n; ++j) {
        TColumn c;
        c.name = QString::fromUtf8(sqlite3_column_name(stmt, j));
        const char* decl = sqlite3_column_decltype(stmt, j);
        c.type = FieldTypeFromDeclaration(decl ? QString::fromUtf8(decl) : QString(), &c.size);
        columns.push_back(c);
    }
    return columns;
}

void TQuery::DoFetch(std::vector<std::unique_ptr<TRecord>>& rows, const std::vector<int>& fieldColumns,
                     int slotCount)
{
    sqlite3_stmt* stmt = m_core.Ready();
    std::vector<int> columnOfSlot(size_t(slotCount), -1);
    for (size_t i = 0; i < fieldColumns.size() && i < columnOfSlot.size(); ++i)
        columnOfSlot[i] = fieldColumns[i];
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        auto record = std::make_unique<TRecord>();
        // Each value is built in its slot: big result sets spend most of their time here.
        std::vector<TValue>& values = record->values;
        values.reserve(size_t(slotCount));
        for (const int column : columnOfSlot) {
            if (column < 0) {
                values.emplace_back();
                continue;
            }
            // One call into the engine per column instead of three; every statement runs
            // on the one thread that owns the connection, so the value needs no lock.
            sqlite3_value* v = sqlite3_column_value(stmt, column);
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
        rows.push_back(std::move(record));
    }
    if (rc != SQLITE_DONE) {
        const QString message = QString::fromUtf8(sqlite3_errmsg(Connection().Handle()));
        m_core.Reset();
        throw Connection().Error(rc, message);
    }
    m_core.Reset();
}

void TQuery::PrepareWrites()
{
    if (m_writesPrepared)
        return;
    QString table = UpdateTable;
    if (table.isEmpty()) {
        // Only a query over one table can be written back.
        static const QRegularExpression re(
            QStringLiteral("\\bFROM\\s+([A-Za-z_][A-Za-z0-9_]*)\\s*(?:\\bWHERE\\b|\\bORDER\\b|\\bGROUP\\b|$)"),
            QRegularExpression::CaseInsensitiveOption);
        const auto m = re.match(SQL().trimmed());
        if (!m.hasMatch())
            throw EDatasetError(QStringLiteral("%1 cannot be changed: it does not read exactly one table").arg(Name()));
        table = m.captured(1);
    }
    sqlite3* db = Connection().Handle();
    QStringList tableColumns;
    QStringList keys = KeyColumns;
    {
        sqlite3_stmt* st = nullptr;
        const QByteArray sql = QStringLiteral("PRAGMA table_info(%1)").arg(table).toUtf8();
        Connection().Check(sqlite3_prepare_v2(db, sql.constData(), -1, &st, nullptr));
        QMap<int, QString> pk;
        while (sqlite3_step(st) == SQLITE_ROW) {
            const QString name = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 1)));
            tableColumns << name;
            if (sqlite3_column_int(st, 5) > 0)
                pk.insert(sqlite3_column_int(st, 5), name);
        }
        sqlite3_finalize(st);
        if (keys.isEmpty())
            keys = pk.values();
    }
    if (tableColumns.isEmpty())
        throw EDatasetError(QStringLiteral("%1 cannot be changed: there is no table %2").arg(Name(), table));
    if (keys.isEmpty())
        throw EDatasetError(QStringLiteral("%1 cannot be changed: table %2 has no key").arg(Name(), table));

    m_writeColumns.clear();
    m_keyFields.clear();
    for (int i = 0; i < FieldCount(); ++i) {
        const TField& f = Fields(i);
        if (f.FieldKind != TFieldKind::Data)
            continue;
        for (const QString& c : tableColumns)
            if (c.compare(f.FieldName, Qt::CaseInsensitive) == 0)
                m_writeColumns.push_back({i, c});
    }
    for (const QString& k : keys) {
        int field = -1;
        for (const auto& w : m_writeColumns)
            if (w.column.compare(k, Qt::CaseInsensitive) == 0)
                field = w.field;
        if (field < 0)
            throw EDatasetError(
                QStringLiteral("%1 cannot be changed: its result lacks the key column %2").arg(Name(), k));
        m_keyFields.push_back(field);
    }
    m_keyColumnNames = keys;
    m_table = table;
    m_writesPrepared = true;
}

int TQuery::ExecuteWrite(const QString& sql, const std::vector<TValue>& values)
{
    sqlite3* db = Connection().Handle();
    sqlite3_stmt* st = nullptr;
    const QByteArray utf8 = sql.toUtf8();
    int rc = sqlite3_prepare_v2(db, utf8.constData(), utf8.size(), &st, nullptr);
    if (rc != SQLITE_OK) {
        const QString message = QString::fromUtf8(sqlite3_errmsg(db));
        sqlite3_finalize(st);
        throw Connection().Error(rc, message);
    }
    try {
        for (size_t i = 0; i < values.size(); ++i)
            BindValue(Connection(), st, int(i) + 1, values[i]);
    } catch (...) {
        sqlite3_finalize(st);
        throw;
    }
    rc = sqlite3_step(st);
    const QString message = QString::fromUtf8(sqlite3_errmsg(db));
    sqlite3_finalize(st);
    if (rc != SQLITE_DONE)
        throw Connection().Error(rc, message);
    return sqlite3_changes(db);
}

QString TQuery::KeyCondition(const TRecord& record, std::vector<TValue>& values) const
{
    QStringList parts;
    for (size_t k = 0; k < m_keyFields.size(); ++k) {
        const TValue& v = record.values[m_keyFields[k]];
        if (v.IsNull()) {
            parts << m_keyColumnNames[k] + QStringLiteral(" IS NULL");
        } else {
            parts << m_keyColumnNames[k] + QStringLiteral(" = ?");
            values.push_back(v);
        }
    }
    return parts.join(QStringLiteral(" AND "));
}

void TQuery::DoInsert(TRecord& record)
{
    PrepareWrites();
    QStringList columns, marks;
    std::vector<TValue> values;
    for (const auto& w : m_writeColumns) {
        const TValue& v = record.values[w.field];
        if (v.IsNull())
            continue;  // the column's default applies
        columns << w.column;
        marks << QStringLiteral("?");
        values.push_back(v);
    }
    // The row and what AfterInsertRow writes for it are stored together or not at all.
    std::optional<TTransaction> unit;
    if (AfterInsertRow)
        unit.emplace(Connection());
    if (columns.isEmpty())
        ExecuteWrite(QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(m_table), values);
    else
        ExecuteWrite(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)").arg(m_table, columns.join(", "), marks.join(", ")),
                     values);
    sqlite3* db = Connection().Handle();
    const sqlite3_int64 rowid = sqlite3_last_insert_rowid(db);
    if (AfterInsertRow)
        AfterInsertRow(*this);

    // Read the row back, so defaults the table filled in show as stored.
    QStringList all;
    for (const auto& w : m_writeColumns)
        all << w.column;
    const QByteArray sql =
        QStringLiteral("SELECT %1 FROM %2 WHERE rowid = ?").arg(all.join(", "), m_table).toUtf8();
    sqlite3_stmt* st = nullptr;
    Connection().Check(sqlite3_prepare_v2(db, sql.constData(), -1, &st, nullptr));
    sqlite3_bind_int64(st, 1, rowid);
    if (sqlite3_step(st) == SQLITE_ROW)
        for (size_t i = 0; i < m_writeColumns.size(); ++i)
            record.values[m_writeColumns[i].field] = ReadColumn(st, int(i));
    sqlite3_finalize(st);
    if (unit)
        unit->Commit();
}

void TQuery::DoUpdate(const TRecord& original, const TRecord& changed)
{
    PrepareWrites();
    QStringList sets;
    std::vector<TValue> values;
    for (const auto& w : m_writeColumns) {
        if (original.values[w.field] == changed.values[w.field])
            continue;
        sets << w.column + QStringLiteral(" = ?");
        values.push_back(changed.values[w.field]);
    }
    if (sets.isEmpty())
        return;
    const QString where = KeyCondition(original, values);
    const int n = ExecuteWrite(QStringLiteral("UPDATE %1 SET %2 WHERE %3").arg(m_table, sets.join(", "), where), values);
    if (n == 0)
        throw EDatabaseError(QStringLiteral("The row to be changed is no longer in %1; it may have been changed or "
                                            "deleted elsewhere. Refresh the list and try again.")
                                 .arg(m_table));
}

void TQuery::DoDelete(const TRecord& record)
{
    PrepareWrites();
    std::vector<TValue> values;
    const QString where = KeyCondition(record, values);
    const int n = ExecuteWrite(QStringLiteral("DELETE FROM %1 WHERE %2").arg(m_table, where), values);
    if (n == 0)
        throw EDatabaseError(QStringLiteral("The row to be deleted is no longer in %1; it may have been changed or "
                                            "deleted elsewhere. Refresh the list and try again.")
                                 .arg(m_table));
}
