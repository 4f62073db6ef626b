// A list of lines put in order after its own saves instead of being read again: it must
// hold exactly what reading it again would give, and it must be read again whenever
// anything else has written its table.
#include "DayNumber.h"
#include "DbConnection.h"
#include "Errors.h"
#include "LedgerBook.h"
#include "Statement.h"
#include "sql_DailyExpenses.h"
#include "sql_DailySales.h"

#include <QRandomGenerator>
#include <QtTest>

namespace {

TQuery& AllLines(TLineKind kind)
{
    return kind == TLineKind::Income ? *dmDailySales->qryGetTransactionSales
                                     : *dmDailyExpenses->qryGetTransactionExpenses;
}

QStringList Columns(TLineKind kind)
{
    const bool income = kind == TLineKind::Income;
    QStringList c {"PROFILE_ID",
                   "YYYY",
                   "MM",
                   "TRANSACTION_DATE",
                   income ? "DAILY_SALES_ID" : "DAILY_EXPENSE_ID",
                   ItemColumn(kind),
                   income ? "SALES_AMOUNT" : "EXPENSE_AMOUNT",
                   "TAXABLE"};
    return c;
}

// The rows the list's own statement gives when run afresh, in its order.
QList<QStringList> ReadAgain(TTestBook& book, TQuery& q, const QStringList& columns)
{
    TStatement st(book.Connection(), q.SQL());
    TExecution run(st);
    QList<int> at;
    for (const QString& c : columns)
        for (int i = 0; i < st.ColumnCount(); ++i)
            if (st.ColumnName(i) == c)
                at << i;
    QList<QStringList> rows;
    while (run.Step()) {
        QStringList v;
        for (int i : at)
            v << ValueText(st.Value(i));
        rows << v;
    }
    return rows;
}

void KindRows()
{
    QTest::addColumn<TLineKind>("kind");
    QTest::newRow("income") << TLineKind::Income;
    QTest::newRow("expense") << TLineKind::Expense;
}

}  // namespace

Q_DECLARE_METATYPE(TLineKind)

class TestRefresh : public QObject {
    Q_OBJECT
private slots:
    // Saves of every kind in a random order, lines of one day and item side by side: after
    // each, the list put in order equals the list read again, row by row.
    void ownSavesGiveTheListReadAgain_data() { KindRows(); }
    void ownSavesGiveTheListReadAgain()
    {
        QFETCH(TLineKind, kind);
        TTestBook book;
        AddItems(book);
        TLines lines(kind, AllLines(kind));
        const QStringList columns = Columns(kind);
        const std::vector<TLineDay> days {LineDay(2026, 1, 30), LineDay(2026, 1, 31), LineDay(2026, 2, 1),
                                          LineDay(2026, 2, 2)};
        QRandomGenerator random(11);
        for (int step = 0; step < 80; ++step) {
            TQuery& q = lines.query;
            const TLineDay& day = days[random.bounded(int(days.size()))];
            const int item = random.bounded(1, 4);
            const int op = q.RecordCount() < 3 ? 0 : random.bounded(4);
            if (op == 0) {
                lines.Add(day, item, random.bounded(1, 1000) * 100);
            } else {
                q.MoveTo(random.bounded(q.RecordCount()));
                if (op == 3) {
                    lines.storage.Delete();
                } else {
                    q.Edit();
                    if (op == 1)
                        q.FieldByName(lines.amount).SetAsMoney(Money::FromScaled(random.bounded(1, 1000) * 100));
                    const bool move = op == 2;
                    lines.storage.Save(
                        move ? day : TLineDay::FromDayNumber(int(q.FieldByName("TRANSACTION_DATE").AsInteger())),
                        move ? item : int(q.FieldByName(ItemColumn(kind)).AsInteger()), true, TDayRecord::Ensure);
                }
            }
            QVERIFY2(q.RefreshRows(), qPrintable(QString("step %1").arg(step)));
            QCOMPARE(StoredValues(q, columns), ReadAgain(book, q, columns));
        }
        QCOMPARE(BrokenInvariants(book), QString());
    }

    // Anything but the list's own saves makes it read again.
    void otherWritesMakeItReadAgain_data()
    {
        QTest::addColumn<QString>("what");
        QTest::addColumn<bool>("readAgain");
        QTest::newRow("nothing happened") << "nothing" << false;
        QTest::newRow("another table written") << "day" << false;
        QTest::newRow("a line written elsewhere") << "raw" << true;
        QTest::newRow("every line deleted at once") << "truncate" << true;
        QTest::newRow("a save rolled back") << "rollback" << true;
        QTest::newRow("a write refused") << "refused" << true;
        QTest::newRow("the book reopened") << "reopen" << true;
        QTest::newRow("a line saved through the day's list") << "daylist" << true;
    }
    void otherWritesMakeItReadAgain()
    {
        QFETCH(QString, what);
        QFETCH(bool, readAgain);
        TTestBook book;
        AddItems(book);
        TLines lines(TLineKind::Expense, AllLines(TLineKind::Expense));
        const TLineDay day = LineDay(2026, 3, 4);
        lines.Add(day, 1, 10000);
        QVERIFY(lines.query.RefreshRows());
        if (what == "day") {
            book.Exec("UPDATE DAILY_TRANSACTION SET LAST_SALES_ID = 7");
        } else if (what == "raw") {
            InsertRawLine(book, TLineKind::Expense, day.TRANSACTION_DATE, 9, 2, 5000);
        } else if (what == "truncate") {
            book.Exec("DELETE FROM DAILY_EXPENSE");
        } else if (what == "rollback") {
            TTransaction transaction(book.Connection());
            lines.Add(day, 2, 20000);
            transaction.Rollback();
        } else if (what == "refused") {
            QVERIFY_THROWS_EXCEPTION(EDatabaseError, InsertRawLine(book, TLineKind::Expense, day.TRANSACTION_DATE, 1, 2,
                                                                   5000));  // the number is taken
        } else if (what == "reopen") {
            book.Connection().Close();
            book.Connection().Open();
        } else if (what == "daylist") {
            TQuery& dayLines = *dmDailyExpenses->qryGetDailyExpenses;
            dayLines.ParamByName("iYYYY").SetAsInteger(day.YYYY);
            dayLines.ParamByName("iMM").SetAsInteger(day.MM);
            dayLines.ParamByName("iTRANSACTION_DATE").SetAsInteger(day.TRANSACTION_DATE);
            TLines other(TLineKind::Expense, dayLines);
            other.Add(day, 3, 3000);
        }
        QCOMPARE(!lines.query.RefreshRows(), readAgain);
        if (readAgain) {
            lines.query.Close();
            lines.query.Open();
        }
        const QStringList columns = Columns(TLineKind::Expense);
        QCOMPARE(StoredValues(lines.query, columns), ReadAgain(book, lines.query, columns));
    }
};

QTEST_GUILESS_MAIN(TestRefresh)
#include "tst_refresh.moc"
