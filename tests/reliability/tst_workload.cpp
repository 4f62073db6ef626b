// Random bookkeeping against a model: thousands of adds, changes, moves and deletes of
// income and expense lines, and day records deleted and made again, through the storage
// sequence the screens use. After every step the book holds exactly the model's lines,
// every total equals its lines and no number repeats; at the end, recomputing every
// total from the lines changes nothing. ZORP_LONG_RUN=1 runs ten times as many steps.
#include "DayNumber.h"
#include "LedgerBook.h"
#include "sql_DailyExpenses.h"
#include "sql_DailySales.h"
#include "tbl_DailyTransaction.h"
#include "tbl_period.h"

#include <QRandomGenerator>
#include <QtTest>
#include <map>

namespace {

struct TModelLine {
    int item = 0;
    qint64 amount = 0;
    bool taxable = true;
};

// Lines by kind, day number and line number; the day records with their counters.
struct TModel {
    std::map<std::tuple<int, int, int>, TModelLine> lines;  // kind, day, number
    std::map<std::pair<int, int>, int> counters;            // kind, day -> last number given

    int Next(int kind, int day) const
    {
        int top = 0;
        const auto c = counters.find({kind, day});
        if (c != counters.end())
            top = c->second;
        for (const auto& [key, line] : lines)
            if (std::get<0>(key) == kind && std::get<1>(key) == day)
                top = std::max(top, std::get<2>(key));
        return top + 1;
    }
    QStringList Rows(int kind) const
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
};

int Steps()
{
    return qEnvironmentVariableIntValue("ZORP_LONG_RUN") ? 100000 : 10000;
}

}  // namespace

class TestWorkload : public QObject {
    Q_OBJECT
private slots:
    void randomStepsMatchTheModel()
    {
        TTestBook book;
        AddItems(book);
        TLines income(TLineKind::Income, *dmDailySales->qryGetTransactionSales);
        TLines expense(TLineKind::Expense, *dmDailyExpenses->qryGetTransactionExpenses);
        TLines* lists[2] = {&income, &expense};
        TModel model;
        // Eight days over a month's turn, so moves cross months.
        std::vector<int> days;
        for (int d = 0; d < 8; ++d)
            days.push_back(DayNumber::FromDate(QDate(2026, 1, 28).addDays(d)));
        QRandomGenerator random(2026);
        const int steps = Steps();
        int checked = 0;
        for (int step = 0; step < steps; ++step) {
            const int kind = random.bounded(2);
            TLines& list = *lists[kind];
            TQuery& q = list.query;
            const int day = days[size_t(random.bounded(int(days.size())))];
            const int op = random.bounded(100);
            const int count = q.RecordCount();
            if (op < 35 || count == 0) {
                // A new line.
                const int item = random.bounded(1, 4);
                const qint64 amount = random.bounded(1, 100000) * 100;
                const bool taxable = random.bounded(4) != 0;
                const int number = model.Next(kind, day);
                QCOMPARE(list.Add(TLineDay::FromDayNumber(day), item, amount, taxable), number);
                model.lines[{kind, day, number}] = {item, amount, taxable};
                model.counters[{kind, day}] = number;
            } else if (op < 70) {
                // A change: the amount, the item, or the day.
                q.MoveTo(random.bounded(count));
                const int from = int(q.FieldByName("TRANSACTION_DATE").AsInteger());
                const int number = int(q.FieldByName(list.number).AsInteger());
                TModelLine line = model.lines.at({kind, from, number});
                const bool move = op >= 60 && day != from;
                line.amount = random.bounded(1, 100000) * 100;
                if (op >= 50)
                    line.item = random.bounded(1, 4);
                q.Edit();
                q.FieldByName(list.amount).SetAsMoney(Money::FromScaled(line.amount));
                list.storage.Save(TLineDay::FromDayNumber(move ? day : from), line.item, line.taxable,
                                  TDayRecord::Ensure);
                model.lines.erase({kind, from, number});
                int now = number;
                if (move) {
                    now = model.Next(kind, day);
                    model.counters[{kind, day}] = now;
                }
                QCOMPARE(int(q.FieldByName(list.number).AsInteger()), now);
                model.lines[{kind, move ? day : from, now}] = line;
            } else if (op < 97) {
                // A delete.
                q.MoveTo(random.bounded(count));
                const int from = int(q.FieldByName("TRANSACTION_DATE").AsInteger());
                const int number = int(q.FieldByName(list.number).AsInteger());
                list.storage.Delete();
                model.lines.erase({kind, from, number});
            } else {
                // A day record deleted while its lines stay, and made again: its counters
                // start afresh, its totals come from the lines.
                book.Exec(QStringLiteral("DELETE FROM DAILY_TRANSACTION WHERE TRANSACTION_DATE = %1").arg(day));
                const TLineDay d = TLineDay::FromDayNumber(day);
                Committed(book.Connection(), [&] { EnsureDailyTransaction(d.YYYY, d.MM, d.TRANSACTION_DATE); });
                model.counters.erase({0, day});
                model.counters.erase({1, day});
            }
            if (!q.RefreshRows()) {
                q.Close();
                q.Open();
            }
            QCOMPARE(BookRows(book, kind == 0 ? TLineKind::Income : TLineKind::Expense), model.Rows(kind));
            QCOMPARE(BrokenInvariants(book), QString());
            QCOMPARE(BrokenNumbering(book), QString());
            ++checked;
        }
        // Every day and month recomputed from its lines: nothing moves.
        const QString before = BookText(book);
        Committed(book.Connection(), [&] {
            for (const QString& row : book.Column("SELECT YYYY || ' ' || MM || ' ' || TRANSACTION_DATE FROM "
                                                  "DAILY_TRANSACTION")) {
                const QStringList p = row.split(' ');
                UpdateDayTotals(p[0].toInt(), p[1].toInt(), p[2].toInt());
            }
            for (const QString& row : book.Column("SELECT YYYY || ' ' || MM FROM PERIOD")) {
                const QStringList p = row.split(' ');
                UpdatePeriodTotals(p[0].toInt(), p[1].toInt());
            }
        });
        QCOMPARE(BookText(book), before);
        qInfo("operations checked: %d of %d steps, %d lines at the end, nothing lost", checked, steps,
              int(model.lines.size()));
    }
};

QTEST_GUILESS_MAIN(TestWorkload)
#include "tst_workload.moc"
