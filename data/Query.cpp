#include "Query.h"

#include "DayNumber.h"
#include "DbConnection.h"
#include "Errors.h"

#include <QRegularExpression>
#include <optional>

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

void TParameters::Bind(TStatement& statement) const
{
    for (const TParam& p : m_params) {
        const int index = statement.ParameterIndex(':' + p.Name().toUtf8());
        if (index > 0)
            statement.Bind(index, p.Value());
    }
}

// ---------------------------------------------------------------- statements

TStatementCore::TStatementCore(const QString& name, TDbConnection& connection, const QString& sql)
    : m_name(name), m_connection(connection), m_sql(sql), m_params(name)
{
    m_params.ParseFrom(sql);
}

TStatement& TStatementCore::Prepared()
{
    m_connection.Handle();
    if (!m_statement.Prepared() || m_generation != m_connection.Generation()) {
        m_statement = TStatement(m_connection, m_sql);
        m_generation = m_connection.Generation();
    }
    return m_statement;
}

TCommand::TCommand(const QString& name, TDbConnection& connection, const QString& sql)
    : m_name(name), m_core(name, connection, sql)
{ }

int TCommand::Execute()
{
    TStatement& statement = m_core.Prepared();
    TExecution run(statement);
    m_core.Parameters().Bind(statement);
    return run.Finish();
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
{ }

std::vector<TDataSet::TColumn> TQuery::DoPrepare()
{
    const TStatement& statement = m_core.Prepared();
    std::vector<TColumn> columns;
    const int n = statement.ColumnCount();
    for (int j = 0; j < n; ++j) {
        TColumn c;
        c.name = statement.ColumnName(j);
        c.type = FieldTypeFromDeclaration(statement.ColumnDeclaration(j), &c.size);
        columns.push_back(c);
    }
    return columns;
}

void TQuery::DoFetch(std::vector<std::unique_ptr<TRecord>>& rows, const std::vector<int>& fieldColumns, int slotCount)
{
    TStatement& statement = m_core.Prepared();
    TExecution run(statement);
    m_core.Parameters().Bind(statement);
    std::vector<int> columnOfSlot(size_t(slotCount), -1);
    for (size_t i = 0; i < fieldColumns.size() && i < columnOfSlot.size(); ++i)
        columnOfSlot[i] = fieldColumns[i];
    m_posted.clear();
    m_rowsCurrent = !OrderKeys.isEmpty();
    if (m_rowsCurrent) {
        PrepareWrites();
        m_version = Connection().TableVersion(m_table);
    }
    while (run.Step()) {
        auto record = std::make_unique<TRecord>();
        // Each value is built in its slot: big result sets spend most of their time here.
        record->values.reserve(size_t(slotCount));
        statement.AppendValues(record->values, columnOfSlot);
        rows.push_back(std::move(record));
    }
}

void TQuery::DoClose()
{
    m_writesPrepared = false;
    m_rowsCurrent = false;
    m_posted.clear();
}

void TQuery::RowPosted(TRecord* row)
{
    if (m_rowsCurrent)
        m_posted.push_back(row);
}

bool TQuery::RefreshRows()
{
    if (!m_rowsCurrent || !Active() || IsEditing() || Connection().TableVersion(m_table) != m_version)
        return false;
    std::vector<int> keys;
    for (const QString& name : OrderKeys)
        keys.push_back(FieldByName(name).Index());
    // Nulls sort first, as the engine sorts them; anything but whole numbers is read again.
    for (TRecord* row : m_posted)
        for (int k : keys)
            if (!row->values[size_t(k)].IsNull() && !row->values[size_t(k)].IsInteger())
                return false;
    const auto before = [&](const TRecord& a, const TRecord& b) {
        for (int k : keys) {
            const TValue& x = a.values[size_t(k)];
            const TValue& y = b.values[size_t(k)];
            if (x.IsNull() || y.IsNull()) {
                if (x.IsNull() != y.IsNull())
                    return x.IsNull();
                continue;
            }
            if (x.Integer() != y.Integer())
                return x.Integer() < y.Integer();
        }
        return false;
    };
    PlaceRows(m_posted, before);
    m_posted.clear();
    return true;
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
    QStringList tableColumns;
    QStringList keys = KeyColumns;
    {
        TStatement info(Connection(), QStringLiteral("PRAGMA table_info(%1)").arg(table));
        TExecution run(info);
        QMap<int, QString> pk;
        while (run.Step()) {
            const QString name = QString::fromUtf8(info.Utf8(1));
            tableColumns << name;
            if (info.Integer(5) > 0)
                pk.insert(int(info.Integer(5)), name);
        }
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

int TQuery::ExecuteWrite(const QString& sql, const std::vector<TValue>& values, int64_t* rowid)
{
    // Each write back is one step of a unit its caller holds (or DoInsert, DoUpdate and
    // DoDelete open), so a row and what the dataset shows of it stay together.
    Connection().RequireTransaction("Writing back a row");
    // The rows held stay the book's only while this is the one write to the table since.
    const bool current = m_rowsCurrent && Connection().TableVersion(m_table) == m_version;
    m_rowsCurrent = false;
    TStatement write(Connection(), sql);
    TExecution run(write);
    for (size_t i = 0; i < values.size(); ++i)
        write.Bind(int(i) + 1, values[i]);
    const int changed = run.Finish();
    if (rowid)
        *rowid = write.LastInsertRowId();
    m_rowsCurrent = current;
    m_version = Connection().TableVersion(m_table);
    return changed;
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
    // The row and what AfterInsertRow writes for it are stored together or not at all;
    // a row written on its own gets a unit of its own.
    std::optional<TTransaction> unit;
    if (AfterInsertRow || !Connection().InTransaction())
        unit.emplace(Connection());
    int64_t rowid = 0;
    if (columns.isEmpty())
        ExecuteWrite(QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(m_table), values, &rowid);
    else
        ExecuteWrite(
            QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)").arg(m_table, columns.join(", "), marks.join(", ")),
            values, &rowid);
    if (AfterInsertRow)
        AfterInsertRow(*this);

    // Read the row back, so defaults the table filled in show as stored.
    QStringList all;
    for (const auto& w : m_writeColumns)
        all << w.column;
    TStatement read(Connection(), QStringLiteral("SELECT %1 FROM %2 WHERE rowid = ?").arg(all.join(", "), m_table));
    TExecution run(read);
    read.BindInteger(1, rowid);
    if (run.Step())
        for (size_t i = 0; i < m_writeColumns.size(); ++i)
            record.values[m_writeColumns[i].field] = read.Value(int(i));
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
    std::optional<TTransaction> unit;
    if (!Connection().InTransaction())
        unit.emplace(Connection());
    const int n =
        ExecuteWrite(QStringLiteral("UPDATE %1 SET %2 WHERE %3").arg(m_table, sets.join(", "), where), values);
    if (n == 0)
        throw EDatabaseError(QStringLiteral("The row to be changed is no longer in %1; it may have been changed or "
                                            "deleted elsewhere. Refresh the list and try again.")
                                 .arg(m_table));
    if (unit)
        unit->Commit();
}

void TQuery::DoDelete(const TRecord& record)
{
    PrepareWrites();
    std::vector<TValue> values;
    const QString where = KeyCondition(record, values);
    std::optional<TTransaction> unit;
    if (!Connection().InTransaction())
        unit.emplace(Connection());
    const int n = ExecuteWrite(QStringLiteral("DELETE FROM %1 WHERE %2").arg(m_table, where), values);
    if (n == 0)
        throw EDatabaseError(QStringLiteral("The row to be deleted is no longer in %1; it may have been changed or "
                                            "deleted elsewhere. Refresh the list and try again.")
                                 .arg(m_table));
    if (unit)
        unit->Commit();
}
