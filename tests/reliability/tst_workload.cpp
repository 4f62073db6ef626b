// Random bookkeeping against a model: thousands of adds, changes, moves and deletes of
// income and expense lines, and day records deleted and made again, through the storage
// sequence the screens use. After every step the book holds exactly the model's lines,
// every total equals its lines and no number repeats; at the end, recomputing every
// total from the lines changes nothing. ZORP_LONG_RUN=1 runs ten times as many steps.
#include "Workload.h"
#include "tbl_DailyTransaction.h"
#include "tbl_period.h"

#include <QtTest>

namespace {

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
        // This test checks the bookkeeping, step by step; what reaches the disk, and when,
        // is for the kill and power-loss tests. Unsynced, ten thousand saves take seconds.
        book.Exec("PRAGMA synchronous = OFF");
        TWorkload work(book.Connection(), 2026);
        TModel model = TModel::Read(book.Connection());
        const int steps = Steps();
        int checked = 0;
        for (int step = 0; step < steps; ++step) {
            const TOp op = work.Draw(model);
            const int expected = model.Predict(op);
            const int number = work.Perform(op);
            QCOMPARE(number, expected);
            model.Apply(op, number);
            QCOMPARE(BookImage(book), model.Image());
            QCOMPARE(BrokenInvariants(book), QString());
            QCOMPARE(BrokenNumbering(book), QString());
            ++checked;
        }
        QCOMPARE(BrokenNextNumbers(book), QString());
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
