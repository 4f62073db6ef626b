#include "Workload.h"

#include "DayNumber.h"
#include "Statement.h"
#include "sql_DailyExpenses.h"
#include "sql_DailySales.h"
#include "tbl_DailyTransaction.h"

namespace {

const char* const kTypeNames[] = {"add", "change", "delete", "newday", "dropday", "remakeday"};

// The first column of every row, as text.
QStringList Column(TDbConnection& book, const QString& sql)
{
    TStatement st(book, sql);
    TExecution run(st);
    QStringList rows;
    while (run.Step())
        rows << QString::fromUtf8(st.Utf8(0));
    return rows;
}

}  // namespace

QString TOp::Text() const
{
    return QStringLiteral("%1 %2 %3 %4 %5 %6 %7 %8")
        .arg(QString::fromLatin1(kTypeNames[int(type)]))
        .arg(kind)
        .arg(day)
        .arg(number)
        .arg(item)
        .arg(amount)
        .arg(taxable ? 1 : 0)
        .arg(toDay);
}

std::optional<TOp> TOp::FromText(const QString& text)
{
    const QStringList p = text.trimmed().split(' ');
    if (p.size() != 8)
        return std::nullopt;
    TOp op;
    int type = 0;
    while (type < 6 && p[0] != QLatin1String(kTypeNames[type]))
        ++type;
    if (type == 6)
        return std::nullopt;
    op.type = TOpType(type);
    op.kind = p[1].toInt();
    op.day = p[2].toInt();
    op.number = p[3].toInt();
    op.item = p[4].toInt();
    op.amount = p[5].toLongLong();
    op.taxable = p[6] == QLatin1String("1");
    op.toDay = p[7].toInt();
    return op;
}

int TModel::Next(int kind, int day) const
{
    int top = 0;
    if (const auto c = counters.find({kind, day}); c != counters.end())
        top = c->second;
    for (auto l = lines.lower_bound({kind, day, 0}); l != lines.end() && std::get<0>(l->first) == kind
                                                      && std::get<1>(l->first) == day;
         ++l)
        top = std::max(top, std::get<2>(l->first));
    return top + 1;
}

int TModel::Predict(const TOp& op) const
{
    if (op.type == TOpType::Add)
        return Next(op.kind, op.day);
    if (op.type == TOpType::Change)
        return op.toDay == op.day ? op.number : Next(op.kind, op.toDay);
    return 0;
}

bool TModel::HoldsLines(int day) const
{
    for (int kind : {0, 1}) {
        const auto l = lines.lower_bound({kind, day, 0});
        if (l != lines.end() && std::get<0>(l->first) == kind && std::get<1>(l->first) == day)
            return true;
    }
    return false;
}

int TModel::Apply(const TOp& op, int number)
{
    switch (op.type) {
    case TOpType::Add:
        lines[{op.kind, op.day, number}] = {op.item, op.amount, op.taxable};
        counters[{op.kind, op.day}] = number;
        days.insert(op.day);
        return number;
    case TOpType::Change: {
        TModelLine line = lines.at({op.kind, op.day, op.number});
        lines.erase({op.kind, op.day, op.number});
        line.item = op.item;
        line.amount = op.amount;
        if (op.toDay != op.day) {
            counters[{op.kind, op.toDay}] = number;
            days.insert(op.toDay);
        }
        lines[{op.kind, op.toDay, number}] = line;
        return number;
    }
    case TOpType::Delete:
        lines.erase({op.kind, op.day, op.number});
        return 0;
    case TOpType::NewDay:
        days.insert(op.day);
        return 0;
    case TOpType::DropEmptyDay:
    case TOpType::RemakeDay:
        counters.erase({0, op.day});
        counters.erase({1, op.day});
        if (op.type == TOpType::DropEmptyDay)
            days.erase(op.day);
        else
            days.insert(op.day);
        return 0;
    }
    return 0;
}

QStringList TModel::Rows(int kind) const
{
    QStringList rows;
    for (const auto& [key, line] : lines)
        if (std::get<0>(key) == kind) {
            const TLineDay d = TLineDay::FromDayNumber(std::get<1>(key));
            rows << QStringLiteral("%1/%2/%3#%4:%5:%6:%7:-")
                        .arg(d.YYYY)
                        .arg(d.MM)
                        .arg(d.TRANSACTION_DATE)
                        .arg(std::get<2>(key))
                        .arg(line.item)
                        .arg(line.amount)
                        .arg(line.taxable ? "Y" : "N");
        }
    rows.sort();
    return rows;
}

QStringList TModel::DayList() const
{
    QStringList out;
    for (int day : days) {
        const auto counter = [&](int kind) {
            const auto c = counters.find({kind, day});
            return c == counters.end() ? 0 : c->second;
        };
        out << QStringLiteral("%1:%2:%3").arg(day).arg(counter(0)).arg(counter(1));
    }
    return out;
}

QString TModel::Image() const
{
    return QStringList {DayList().join(' '), Rows(0).join(' '), Rows(1).join(' ')}.join(" | ");
}

TModel TModel::Read(TDbConnection& book)
{
    TModel model;
    for (const QString& row : Column(book, "SELECT TRANSACTION_DATE || ' ' || IFNULL(LAST_SALES_ID, 0) || ' ' || "
                                          "IFNULL(LAST_EXPENSE_ID, 0) FROM DAILY_TRANSACTION")) {
        const QStringList p = row.split(' ');
        const int day = p[0].toInt();
        model.days.insert(day);
        for (int kind : {0, 1})
            if (const int c = p[1 + kind].toInt(); c > 0)
                model.counters[{kind, day}] = c;
    }
    for (int kind : {0, 1}) {
        const TLineKind k = kind == 0 ? TLineKind::Income : TLineKind::Expense;
        for (const QString& row : Column(book,
                 QStringLiteral("SELECT TRANSACTION_DATE || ' ' || %1 || ' ' || %2 || ' ' || %3 || ' ' || TAXABLE "
                                "FROM %4")
                     .arg(kind == 0 ? "DAILY_SALES_ID" : "DAILY_EXPENSE_ID", ItemColumn(k),
                          kind == 0 ? "SALES_AMOUNT" : "EXPENSE_AMOUNT", Table(k)))) {
            const QStringList p = row.split(' ');
            model.lines[{kind, p[0].toInt(), p[1].toInt()}] = {p[2].toInt(), p[3].toLongLong(), p[4] == "Y"};
        }
    }
    return model;
}

QString BookImage(TTestBook& book)
{
    const QStringList days = book.Column("SELECT TRANSACTION_DATE || ':' || IFNULL(LAST_SALES_ID, 0) || ':' || "
                                         "IFNULL(LAST_EXPENSE_ID, 0) FROM DAILY_TRANSACTION ORDER BY TRANSACTION_DATE");
    return QStringList {days.join(' '), BookRows(book, TLineKind::Income).join(' '),
                        BookRows(book, TLineKind::Expense).join(' ')}
        .join(" | ");
}

QString BrokenNextNumbers(TTestBook& book)
{
    QStringList broken;
    TTransaction transaction(book.Connection());
    for (const QString& row : book.Column("SELECT YYYY || ' ' || MM || ' ' || TRANSACTION_DATE FROM "
                                          "DAILY_TRANSACTION")) {
        const QStringList p = row.split(' ');
        const int y = p[0].toInt(), m = p[1].toInt(), d = p[2].toInt();
        if (const int next = GetNextSalesID(y, m, d); next <= HighestLine(book, TLineKind::Income, d))
            broken << QStringLiteral("income of day %1 would be numbered %2").arg(d).arg(next);
        if (const int next = GetNextExpenseID(y, m, d); next <= HighestLine(book, TLineKind::Expense, d))
            broken << QStringLiteral("expense of day %1 would be numbered %2").arg(d).arg(next);
    }
    transaction.Rollback();
    return broken.join("; ");
}

QString Integrity(TTestBook& book)
{
    return book.Column("PRAGMA integrity_check").join("; ");
}

TWorkload::TWorkload(TDbConnection& book, quint32 seed)
    : m_book(book),
      m_random(seed)
{
    for (int d = 0; d < 8; ++d)
        m_days.push_back(DayNumber::FromDate(QDate(2026, 1, 28).addDays(d)));
    m_lists[0] = std::make_unique<TLines>(TLineKind::Income, *dmDailySales->qryGetTransactionSales);
    m_lists[1] = std::make_unique<TLines>(TLineKind::Expense, *dmDailyExpenses->qryGetTransactionExpenses);
}

TWorkload::~TWorkload() = default;

void TWorkload::Reread()
{
    for (auto& list : m_lists) {
        if (list->query.State() != TDataSetState::Browse)
            list->query.Cancel();
        list->query.Close();
        list->query.Open();
    }
}

TOp TWorkload::Draw(const TModel& model)
{
    TOp op;
    op.kind = m_random.bounded(2);
    TQuery& q = m_lists[op.kind]->query;
    const char* number = m_lists[op.kind]->number;
    op.day = m_days[size_t(m_random.bounded(int(m_days.size())))];
    int roll = m_random.bounded(100);
    const int count = q.RecordCount();
    // A long run keeps the book to a few hundred lines a kind, so every step stays quick:
    // some of the adds become deletes.
    if (count > 500 && roll >= 20 && roll < 35)
        roll = 80;
    if (roll < 35 || count == 0) {
        op.type = TOpType::Add;
        op.item = m_random.bounded(1, 4);
        op.amount = m_random.bounded(1, 100000) * 100;
        op.taxable = m_random.bounded(4) != 0;
        op.toDay = op.day;
    } else if (roll < 94) {
        q.MoveTo(m_random.bounded(count));
        const int from = int(q.FieldByName("TRANSACTION_DATE").AsInteger());
        op.number = int(q.FieldByName(number).AsInteger());
        const TModelLine& line = model.lines.at({op.kind, from, op.number});
        op.type = roll < 70 ? TOpType::Change : TOpType::Delete;
        op.item = roll >= 50 && roll < 70 ? m_random.bounded(1, 4) : line.item;
        op.amount = roll < 70 ? m_random.bounded(1, 100000) * 100 : line.amount;
        op.taxable = line.taxable;
        op.toDay = roll >= 60 && roll < 70 ? op.day : from;
        op.day = from;
    } else if (roll < 96) {
        op.type = TOpType::NewDay;
    } else if (roll < 98) {
        // An empty day is dropped; a day with lines is made again under them instead.
        op.type = model.HoldsLines(op.day) || !model.days.count(op.day) ? TOpType::RemakeDay : TOpType::DropEmptyDay;
    } else {
        op.type = TOpType::RemakeDay;
    }
    return op;
}

int TWorkload::Perform(const TOp& op, bool refresh)
{
    const int number = Store(op);
    if (refresh)
        Refresh(op.kind);
    return number;
}

void TWorkload::Refresh(int kind)
{
    TQuery& q = m_lists[kind]->query;
    if (!q.RefreshRows()) {
        q.Close();
        q.Open();
    }
}

int TWorkload::Store(const TOp& op)
{
    TLines& list = *m_lists[op.kind];
    const TLineDay day = TLineDay::FromDayNumber(op.day);
    switch (op.type) {
    case TOpType::Add:
        return list.Add(day, op.item, op.amount, op.taxable);
    case TOpType::Change:
        if (!list.Find(day, op.number))
            throw EDatasetError("line not found");
        list.query.Edit();
        list.query.FieldByName(list.amount).SetAsMoney(Money::FromScaled(op.amount));
        list.storage.Save(TLineDay::FromDayNumber(op.toDay), op.item, op.taxable, TDayRecord::Ensure);
        return int(list.query.FieldByName(list.number).AsInteger());
    case TOpType::Delete:
        list.Remove(day, op.number);
        return 0;
    case TOpType::NewDay:
        Committed(m_book, [&] { EnsureDailyTransaction(day.YYYY, day.MM, day.TRANSACTION_DATE); });
        return 0;
    case TOpType::DropEmptyDay:
    case TOpType::RemakeDay:
        // Day records are never deleted by the screens; a book copied or mended by hand may
        // lose one, and the storage must carry on from its lines.
        Committed(m_book, [&] {
            m_book.ExecuteDirect(
                QStringLiteral("DELETE FROM DAILY_TRANSACTION WHERE TRANSACTION_DATE = %1").arg(op.day));
            if (op.type == TOpType::RemakeDay)
                EnsureDailyTransaction(day.YYYY, day.MM, day.TRANSACTION_DATE);
        });
        return 0;
    }
    return 0;
}
