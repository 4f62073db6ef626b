#include "BookCheck.h"

#include "DayNumber.h"
#include "DbConnection.h"
#include "Errors.h"
#include "Formats.h"
#include "Statement.h"
#include "sql_DailyTransaction.h"
#include "tbl_DailyTransaction.h"
#include "tbl_period.h"

#include <QDir>
#include <QSet>
#include <sqlite3.h>
#include <tuple>

namespace {

std::optional<Money> StoredMoney(const TStatement& row, int column)
{
    if (row.IsNull(column))
        return std::nullopt;
    return Money::FromScaled(row.Integer(column));
}

// Each row: the key, the stored total, and the sum of its lines worked out by the engine.
void CollectDifferences(TDbConnection& connection, const QString& sql, TTotalDifference::TOf of, bool income,
                        QList<TTotalDifference>& into)
{
    TStatement statement(connection, sql);
    TExecution run(statement);
    while (run.Step()) {
        TTotalDifference d;
        d.of = of;
        d.income = income;
        d.year = int(statement.Integer(0));
        d.month = int(statement.Integer(1));
        d.day = of == TTotalDifference::Day ? int(statement.Integer(2)) : 0;
        d.stored = StoredMoney(statement, 3);
        d.fromLines = Money::FromScaled(statement.Integer(4));
        if (d.stored != d.fromLines)
            into << d;
    }
}

// The same for lines that stand on a day or month without a record: nothing is stored.
void CollectMissing(TDbConnection& connection, const QString& sql, TTotalDifference::TOf of,
                    QList<TTotalDifference>& into)
{
    TStatement statement(connection, sql);
    TExecution run(statement);
    while (run.Step())
        for (int kind = 0; kind < 2; ++kind) {
            TTotalDifference d;
            d.of = of;
            d.income = kind == 0;
            d.missing = true;
            d.year = int(statement.Integer(0));
            d.month = int(statement.Integer(1));
            d.day = of == TTotalDifference::Day ? int(statement.Integer(2)) : 0;
            d.fromLines = Money::FromScaled(statement.Integer(3 + kind));
            into << d;
        }
}

// The sum of one kind of line over a day (`dayRule` the taxable flags a day counts) or a
// month, for the record `alias` stands for.
QString LineSum(const QString& table, const QString& amount, const QString& alias, bool day)
{
    QString sql = QStringLiteral("(SELECT COALESCE(SUM(L.%2), 0) FROM %1 L WHERE L.YYYY = %3.YYYY AND L.MM = %3.MM")
                      .arg(table, amount, alias);
    if (day)
        sql += QStringLiteral(" AND L.TRANSACTION_DATE = %1.TRANSACTION_DATE AND L.TAXABLE IN ('Y', 'N')").arg(alias);
    return sql + ')';
}

// As amounts are shown, with the hundredths of a cent that a value set behind the
// program's back may hold, so two different values never read the same.
QString AmountText(Money value)
{
    return FormatMoney(value.Scaled() % 100 == 0 ? Masks::Money : QStringLiteral("###,###,###,##0.0000"), value);
}

auto SortKey(const TTotalDifference& d)
{
    return std::make_tuple(int(d.of), d.year, d.month, d.day, !d.income);
}

}  // namespace

QString TTotalDifference::Where() const
{
    if (of == Day)
        return FormatSettings().DateToStr(DayNumber::ToDate(day));
    return FormatSettings().MonthToStr(year, month);
}

QString TTotalDifference::Total() const
{
    return income ? QStringLiteral("income") : QStringLiteral("expenses");
}

QString TTotalDifference::StoredText() const
{
    if (missing)
        return of == Day ? QStringLiteral("no day record") : QStringLiteral("no month record");
    return stored ? AmountText(*stored) : QStringLiteral("none");
}

QString TTotalDifference::FromLinesText() const
{
    return AmountText(fromLines);
}

QStringList BookCheck::Damage(TDbConnection& connection)
{
    QStringList found;
    try {
        TStatement check(connection, QStringLiteral("PRAGMA integrity_check"));
        TExecution run(check);
        while (run.Step()) {
            // The first finding opens with the name of the database, which says nothing here.
            for (const QString& line : QString::fromUtf8(check.Utf8(0)).split('\n', Qt::SkipEmptyParts))
                if (line != QLatin1String("ok") && !line.startsWith(QLatin1String("*** in database")))
                    found << line.trimmed();
        }
    } catch (const EDatabaseError& e) {
        // The cipher refuses a page that does not decrypt before the engine can judge it,
        // and the engine then reports a plain error: the check itself holds no SQL to fail.
        const int primary = e.Code() & 0xff;
        if (primary != SQLITE_CORRUPT && primary != SQLITE_NOTADB && primary != SQLITE_ERROR)
            throw;
        found << QStringLiteral("part of it cannot be read (%1)").arg(QString::fromUtf8(sqlite3_errstr(primary)));
    }
    return found;
}

QList<TTotalDifference> BookCheck::TotalDifferences(TDbConnection& connection)
{
    QList<TTotalDifference> differences;
    const QString sales = QStringLiteral("DAILY_SALES");
    const QString expense = QStringLiteral("DAILY_EXPENSE");
    const QString salesAmount = QStringLiteral("SALES_AMOUNT");
    const QString expenseAmount = QStringLiteral("EXPENSE_AMOUNT");
    auto days = [&](const QString& stored, const QString& table, const QString& amount) {
        return QStringLiteral("SELECT D.YYYY, D.MM, D.TRANSACTION_DATE, D.%1, %2 FROM DAILY_TRANSACTION D")
            .arg(stored, LineSum(table, amount, QStringLiteral("D"), true));
    };
    auto months = [&](const QString& stored, const QString& table, const QString& amount) {
        return QStringLiteral("SELECT P.YYYY, P.MM, 0, P.%1, %2 FROM PERIOD P")
            .arg(stored, LineSum(table, amount, QStringLiteral("P"), false));
    };
    CollectDifferences(connection, days(QStringLiteral("TAKINGS"), sales, salesAmount), TTotalDifference::Day, true,
                       differences);
    CollectDifferences(connection, days(QStringLiteral("EXPENSES"), expense, expenseAmount), TTotalDifference::Day,
                       false, differences);
    CollectDifferences(connection, months(QStringLiteral("SALES"), sales, salesAmount), TTotalDifference::Month, true,
                       differences);
    CollectDifferences(connection, months(QStringLiteral("EXPENSES"), expense, expenseAmount),
                       TTotalDifference::Month, false, differences);
    // Lines on a day or in a month that has no record: the sums a record made now would hold.
    CollectMissing(connection,
                   QStringLiteral("SELECT K.YYYY, K.MM, K.TRANSACTION_DATE, %1, %2 FROM (SELECT YYYY, MM, "
                                  "TRANSACTION_DATE FROM DAILY_SALES UNION SELECT YYYY, MM, TRANSACTION_DATE FROM "
                                  "DAILY_EXPENSE) K WHERE NOT EXISTS (SELECT 1 FROM DAILY_TRANSACTION D WHERE "
                                  "D.YYYY = K.YYYY AND D.MM = K.MM AND D.TRANSACTION_DATE = K.TRANSACTION_DATE)")
                       .arg(LineSum(sales, salesAmount, QStringLiteral("K"), true),
                            LineSum(expense, expenseAmount, QStringLiteral("K"), true)),
                   TTotalDifference::Day, differences);
    CollectMissing(connection,
                   QStringLiteral("SELECT K.YYYY, K.MM, 0, %1, %2 FROM (SELECT YYYY, MM FROM DAILY_SALES UNION "
                                  "SELECT YYYY, MM FROM DAILY_EXPENSE) K WHERE NOT EXISTS (SELECT 1 FROM PERIOD P "
                                  "WHERE P.YYYY = K.YYYY AND P.MM = K.MM)")
                       .arg(LineSum(sales, salesAmount, QStringLiteral("K"), false),
                            LineSum(expense, expenseAmount, QStringLiteral("K"), false)),
                   TTotalDifference::Month, differences);
    std::stable_sort(differences.begin(), differences.end(),
                     [](const TTotalDifference& a, const TTotalDifference& b) { return SortKey(a) < SortKey(b); });
    return differences;
}

TBookCheck BookCheck::Check(TDbConnection& connection)
{
    TBookCheck result;
    result.damage = Damage(connection);
    if (result.damage.isEmpty())
        result.differences = TotalDifferences(connection);
    return result;
}

QList<TTotalDifference> BookCheck::RepairTotals()
{
    TDbConnection& book = dmDailyTransaction->Connection();
    // Found and put right under one write lock, so no save slips in between.
    TTransaction transaction(book);
    if (const QStringList damage = Damage(book); !damage.isEmpty())
        throw EDatabaseError(QStringLiteral("The totals of %1 were not repaired: the book is damaged (%2). Restore "
                                            "it from a backup; nothing was changed.")
                                 .arg(QDir::toNativeSeparators(book.DataSource()), damage.first()));
    const QList<TTotalDifference> differences = TotalDifferences(book);
    QSet<QPair<int, int>> months;
    QSet<int> days;
    for (const TTotalDifference& d : differences) {
        if (d.of == TTotalDifference::Day) {
            if (days.contains(d.day))
                continue;
            days.insert(d.day);
            if (d.missing)
                EnsureDailyTransaction(d.year, d.month, d.day);
            else
                UpdateDayTotals(d.year, d.month, d.day);
        } else {
            if (months.contains({d.year, d.month}))
                continue;
            months.insert({d.year, d.month});
            if (d.missing)
                EnsurePeriod(d.year, d.month);
            else
                UpdatePeriodTotals(d.year, d.month);
        }
    }
    transaction.Commit();
    return differences;
}
