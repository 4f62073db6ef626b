// Months and day records: the latest month, profit margins, and rows made once, made again
// and written through the browse lists.
#include "DayNumber.h"
#include "DbConnection.h"
#include "Errors.h"
#include "Formats.h"
#include "LedgerBook.h"
#include "sql_DailyExpenses.h"
#include "sql_DailySales.h"
#include "sql_DailyTransaction.h"
#include "sql_Period.h"
#include "tbl_DailyTransaction.h"
#include "tbl_period.h"

#include <QtTest>

class TestPeriods : public QObject {
    Q_OBJECT
private slots:
    void init() { FormatSettings() = TFormatSettings(); }

    // ------------------------------------------------------------ periods

    void latestPeriod_data()
    {
        QTest::addColumn<QString>("periods");
        QTest::addColumn<int>("year");
        QTest::addColumn<int>("month");
        QTest::newRow("empty table") << "" << 1900 << 1;
        QTest::newRow("December 2003 is after January 2003") << "(2003,1),(2003,12)" << 2003 << 12;
        QTest::newRow("January 2004 is after December 2003") << "(2003,12),(2004,1),(2003,1)" << 2004 << 1;
        QTest::newRow("month order is not text order") << "(2004,9),(2004,10),(2004,2)" << 2004 << 10;
        QTest::newRow("one row") << "(1999,7)" << 1999 << 7;
    }
    void latestPeriod()
    {
        QFETCH(QString, periods);
        QFETCH(int, year);
        QFETCH(int, month);
        TTestBook book;
        if (!periods.isEmpty())
            book.Exec("INSERT INTO PERIOD (YYYY, MM) VALUES " + periods);
        int y = -1, m = -1;
        GetLatestPeriod(y, m);
        QCOMPARE(y, year);
        QCOMPARE(m, month);
    }

    // Income and expenses as stored; an empty text stores null.
    void profitMargin_data()
    {
        QTest::addColumn<QString>("sales");
        QTest::addColumn<QString>("expenses");
        QTest::addColumn<QString>("shown");
        QTest::newRow("profit on the expense base") << "1500000"
                                                    << "1000000"
                                                    << "50.00%";
        QTest::newRow("no income") << "0"
                                   << "1000000"
                                   << "-100.00%";
        QTest::newRow("no expenses") << "1500000"
                                     << "0"
                                     << "0.00%";
        QTest::newRow("expenses null") << "1500000"
                                       << ""
                                       << "0.00%";
        QTest::newRow("both null") << ""
                                   << ""
                                   << "0.00%";
        QTest::newRow("income null") << ""
                                     << "1000000"
                                     << "-100.00%";
        QTest::newRow("a third") << "400000"
                                 << "300000"
                                 << "33.33%";
        QTest::newRow("loss beyond the expenses") << "-50000"
                                                  << "1000000"
                                                  << "-105.00%";
    }
    void profitMargin()
    {
        QFETCH(QString, sales);
        QFETCH(QString, expenses);
        QFETCH(QString, shown);
        TTestBook book;
        book.Exec(QStringLiteral("INSERT INTO PERIOD (YYYY, MM, SALES, EXPENSES) VALUES (2004, 1, %1, %2)")
                      .arg(sales.isEmpty() ? "NULL" : sales, expenses.isEmpty() ? "NULL" : expenses));
        TQuery& q = *dmPeriod->qryGetPeriod;
        q.Open();
        const TField& margin = q.FieldByName("Profit Margin");
        QCOMPARE(margin.DisplayText(), shown);
        QVERIFY(!margin.IsNull());
        q.Close();
    }

    void periodRowsAreWritableThroughTheBrowseQuery()
    {
        TTestBook book;
        TQuery& q = *dmPeriod->qryGetPeriod;
        q.Open();
        q.Insert();
        q.FieldByName("YYYY").SetAsInteger(2004);
        q.FieldByName("MM").SetAsInteger(3);
        q.Post();
        // Added on the period screen: totals from the month's lines, 0 without any, as
        // stored and as shown.
        QCOMPARE(book.Scalar("SELECT typeof(SALES) || ':' || SALES || ':' || EXPENSES FROM PERIOD "
                             "WHERE YYYY = 2004 AND MM = 3")
                     .toString(),
                 QString("integer:0:0"));
        QVERIFY(!q.FieldByName("SALES").IsNull());
        InsertRawLine(book, TLineKind::Income, Day(2004, 3, 9), 1, 1, 70000);
        Committed(book.Connection(), [] { UpdatePeriodTotals(2004, 3); });
        q.Requery();
        QCOMPARE(q.FieldByName("SALES").AsMoney(), Money::Parse("7"));
        QCOMPARE(q.FieldByName("EXPENSES").AsMoney(), Money());
        QVERIFY(!q.FieldByName("EXPENSES").IsNull());
        q.Delete();
        QCOMPARE(book.Scalar("SELECT count(*) FROM PERIOD").toInt(), 0);
        q.Close();
    }

    // A day record or month row deleted on its screen while it still has lines, then made
    // again by whichever way makes it: both of its totals start from the lines present,
    // not only the kind of line being stored.
    void rowMadeAgainStartsFromItsLines_data()
    {
        QTest::addColumn<QString>("deleted");  // "day", "month" or "both"
        QTest::addColumn<QString>("madeBy");   // "income line", "expense line", "screen", "ensure"
        for (const char* deleted : {"day", "month", "both"})
            for (const char* madeBy : {"income line", "expense line", "ensure"})
                QTest::addRow("%s deleted, made again by %s", deleted, madeBy) << deleted << madeBy;
        QTest::newRow("month deleted, added on its screen") << "month"
                                                            << "screen";
        QTest::newRow("day deleted, added on its screen") << "day"
                                                          << "screen";
    }
    void rowMadeAgainStartsFromItsLines()
    {
        QFETCH(QString, deleted);
        QFETCH(QString, madeBy);
        TTestBook book;
        AddItems(book);
        TLines income(TLineKind::Income, *dmDailySales->qryGetTransactionSales);
        TLines expenses(TLineKind::Expense, *dmDailyExpenses->qryGetTransactionExpenses);
        const TLineDay day = LineDay(2004, 2, 10);
        const TLineDay sameMonth = LineDay(2004, 2, 11);
        income.Add(day, 1, 100000);
        income.Add(day, 2, 20000, false);
        expenses.Add(day, 1, 70000);
        expenses.Add(day, 2, 3000, false);
        income.Add(sameMonth, 3, 400000);
        expenses.Add(sameMonth, 3, 5000);
        if (deleted != "month")
            book.Exec(
                QStringLiteral("DELETE FROM DAILY_TRANSACTION WHERE TRANSACTION_DATE = %1").arg(day.TRANSACTION_DATE));
        if (deleted != "day")
            book.Exec("DELETE FROM PERIOD");
        if (madeBy == "income line") {
            income.Add(day, 3, 1000);
        } else if (madeBy == "expense line") {
            expenses.Add(day, 3, 1000);
        } else if (madeBy == "ensure") {
            EnsureDailyTransaction(day.YYYY, day.MM, day.TRANSACTION_DATE);
        } else {
            TQuery& q = deleted == "month" ? *dmPeriod->qryGetPeriod : *dmDailyTransaction->qryGetDailyTransaction;
            if (deleted == "day") {
                q.ParamByName("iYYYY").SetAsInteger(day.YYYY);
                q.ParamByName("iMM").SetAsInteger(day.MM);
            }
            q.Open();
            q.Insert();
            q.FieldByName("YYYY").SetAsInteger(day.YYYY);
            q.FieldByName("MM").SetAsInteger(day.MM);
            if (deleted == "day")
                q.FieldByName("TRANSACTION_DATE").SetAsInteger(day.TRANSACTION_DATE);
            q.Post();
            // Shown as stored.
            const char* first = deleted == "month" ? "SALES" : "TAKINGS";
            QCOMPARE(q.FieldByName(first).AsMoney(), Money::FromScaled(deleted == "month" ? 520000 : 120000));
            QCOMPARE(q.FieldByName("EXPENSES").AsMoney(), Money::FromScaled(deleted == "month" ? 78000 : 73000));
            q.Close();
        }
        QCOMPARE(book.Scalar(QStringLiteral("SELECT count(*) FROM DAILY_TRANSACTION WHERE TRANSACTION_DATE = %1")
                                 .arg(day.TRANSACTION_DATE))
                     .toInt(),
                 1);
        QCOMPARE(book.Scalar("SELECT count(*) FROM PERIOD").toInt(), 1);
        QCOMPARE(BrokenInvariants(book), QString());
    }

    void ensurePeriodOnce()
    {
        TTestBook book;
        EnsurePeriod(2004, 2);
        EnsurePeriod(2004, 2);
        QCOMPARE(book.Scalar("SELECT count(*) FROM PERIOD").toInt(), 1);
        QCOMPARE(book.Scalar("SELECT PROFILE_ID || ':' || SALES || ':' || EXPENSES FROM PERIOD").toString(),
                 QString("1:0:0"));
        QVERIFY(PeriodExists(2004, 2));
        QVERIFY(!PeriodExists(2004, 3));
        QVERIFY(!PeriodExists(2005, 2));
    }

    void updateOfAMonthWithoutRowWritesNothing()
    {
        TTestBook book;
        InsertRawLine(book, TLineKind::Expense, Day(2004, 5, 1), 1, 1, 10000);
        Committed(book.Connection(), [] {
            UpdatePeriodExpenses(2004, 5);
            UpdatePeriodSales(2004, 5);
        });
        QCOMPARE(book.Scalar("SELECT count(*) FROM PERIOD").toInt(), 0);
    }

    // ------------------------------------------------------------ day records

    void ensureDailyTransactionMakesPeriodThenDay()
    {
        TTestBook book;
        const int d = Day(2004, 2, 29);
        EnsureDailyTransaction(2004, 2, d);
        EnsureDailyTransaction(2004, 2, d);
        QCOMPARE(book.Scalar("SELECT count(*) || ':' || PROFILE_ID || ':' || SALES || ':' || EXPENSES FROM PERIOD")
                     .toString(),
                 QString("1:1:0:0"));
        QCOMPARE(book.Scalar("SELECT count(*) || ':' || PROFILE_ID || ':' || YYYY || ':' || MM || ':' || "
                             "TRANSACTION_DATE || ':' || TAKINGS || ':' || EXPENSES || ':' || LAST_EXPENSE_ID || ':' "
                             "|| LAST_SALES_ID FROM DAILY_TRANSACTION")
                     .toString(),
                 QStringLiteral("1:1:2004:2:%1:0:0:0:0").arg(d));
        // The period is made even when the day record already exists.
        book.Exec("DELETE FROM PERIOD");
        EnsureDailyTransaction(2004, 2, d);
        QCOMPARE(book.Scalar("SELECT count(*) FROM PERIOD").toInt(), 1);
        QCOMPARE(book.Scalar("SELECT count(*) FROM DAILY_TRANSACTION").toInt(), 1);
    }

    void countersAreIndependentAndOnlyGrow()
    {
        TTestBook book;
        const int d = Day(2004, 1, 5);
        EnsureDailyTransaction(2004, 1, d);
        QCOMPARE(GetNextSalesID(2004, 1, d), 1);
        QCOMPARE(GetNextExpenseID(2004, 1, d), 1);
        QCOMPARE(GetNextExpenseID(2004, 1, d), 2);  // drawn without a line saved
        QCOMPARE(Counter(book, TLineKind::Expense, d), 2);
        QCOMPARE(Counter(book, TLineKind::Income, d), 1);
        // Another day has its own counters.
        EnsureDailyTransaction(2004, 1, d + 1);
        QCOMPARE(GetNextExpenseID(2004, 1, d + 1), 1);
    }

    void noDayRecordGivesZeroAndWritesNothing()
    {
        TTestBook book;
        const int d = Day(2004, 1, 5);
        const QString before = BookState(book);
        QCOMPARE(GetNextSalesID(2004, 1, d), 0);
        QCOMPARE(GetNextExpenseID(2004, 1, d), 0);
        QCOMPARE(BookState(book), before);
        // A day is found by all three columns: the same day number under another month is another day.
        EnsureDailyTransaction(2004, 2, d);
        QCOMPARE(GetNextSalesID(2004, 1, d), 0);
    }

    // The counter as stored (empty for null) and the numbers of the day's lines already
    // present; the number handed out must lie above both.
    void nextNumber_data()
    {
        QTest::addColumn<QString>("counter");
        QTest::addColumn<QList<int>>("present");
        QTest::addColumn<int>("expected");
        QTest::newRow("fresh day") << "0" << QList<int> {} << 1;
        QTest::newRow("day added on its screen: null counter") << "" << QList<int> {} << 1;
        QTest::newRow("ordinary: counter ahead of its lines") << "4" << QList<int> {1, 2} << 5;
        QTest::newRow("ordinary: counter at its last line") << "4" << QList<int> {1, 4} << 5;
        QTest::newRow("day record made again under its lines") << "0" << QList<int> {1, 2, 5} << 6;
        QTest::newRow("null counter under its lines") << "" << QList<int> {3} << 4;
        QTest::newRow("counter behind its lines") << "2" << QList<int> {1, 2, 3, 9} << 10;
    }
    void nextNumber()
    {
        QFETCH(QString, counter);
        QFETCH(QList<int>, present);
        QFETCH(int, expected);
        for (TLineKind kind : {TLineKind::Income, TLineKind::Expense}) {
            TTestBook book;
            const int d = Day(2004, 3, 1);
            book.Exec(QStringLiteral("INSERT INTO DAILY_TRANSACTION (YYYY, MM, TRANSACTION_DATE, LAST_SALES_ID, "
                                     "LAST_EXPENSE_ID) VALUES (2004, 3, %1, %2, %2)")
                          .arg(d)
                          .arg(counter.isEmpty() ? "NULL" : counter));
            for (int n : present)
                InsertRawLine(book, kind, d, n, 1, 10000);
            // Lines of the neighbouring day and of the other kind do not count.
            InsertRawLine(book, kind, d + 1, 30, 1, 10000);
            InsertRawLine(book, kind == TLineKind::Income ? TLineKind::Expense : TLineKind::Income, d, 20, 1, 10000);
            const int got = kind == TLineKind::Income ? GetNextSalesID(2004, 3, d) : GetNextExpenseID(2004, 3, d);
            QCOMPARE(got, expected);
            QCOMPARE(Counter(book, kind, d), qint64(expected));
        }
    }

    // The last number a line can carry is 32767; past it nothing is handed out or written.
    void lineNumberLimit_data()
    {
        QTest::addColumn<int>("counter");
        QTest::addColumn<int>("highestLine");
        QTest::addColumn<int>("expected");  // 0 for an overflow error
        QTest::newRow("last number still given") << 32766 << 0 << 32767;
        QTest::newRow("counter at the limit") << 32767 << 0 << 0;
        QTest::newRow("counter beyond the limit") << 40000 << 0 << 0;
        QTest::newRow("a line holds the last number") << 3 << 32767 << 0;
    }
    void lineNumberLimit()
    {
        QFETCH(int, counter);
        QFETCH(int, highestLine);
        QFETCH(int, expected);
        for (TLineKind kind : {TLineKind::Income, TLineKind::Expense}) {
            TTestBook book;
            AddItems(book);
            const TLineDay day = LineDay(2004, 3, 1);
            EnsureDailyTransaction(day.YYYY, day.MM, day.TRANSACTION_DATE);
            Committed(book.Connection(), [&] {
                if (kind == TLineKind::Income)
                    SetNextSalesID(day.YYYY, day.MM, day.TRANSACTION_DATE, counter);
                else
                    SetNextExpenseID(day.YYYY, day.MM, day.TRANSACTION_DATE, counter);
            });
            if (highestLine)
                InsertRawLine(book, kind, day.TRANSACTION_DATE, highestLine, 1, 10000);
            const QString before = BookState(book);
            TLines lines(kind, kind == TLineKind::Income ? *dmDailySales->qryGetTransactionSales
                                                         : *dmDailyExpenses->qryGetTransactionExpenses);
            if (expected) {
                QCOMPARE(lines.Add(day, 2, 50000), expected);
            } else {
                QVERIFY_THROWS_EXCEPTION(EOverflowError, lines.Add(day, 2, 50000));
                QVERIFY(lines.query.IsInserting());  // the line is still pending, for the user to see
                lines.query.Cancel();
                QCOMPARE(BookState(book), before);
                QVERIFY_THROWS_EXCEPTION(EOverflowError,
                                         kind == TLineKind::Income
                                             ? GetNextSalesID(day.YYYY, day.MM, day.TRANSACTION_DATE)
                                             : GetNextExpenseID(day.YYYY, day.MM, day.TRANSACTION_DATE));
                QCOMPARE(BookState(book), before);
            }
        }
    }

    void dayTotalsCountYAndNOnlyMonthTotalsCountAll()
    {
        TTestBook book;
        const int d = Day(2004, 4, 10);
        EnsureDailyTransaction(2004, 4, d);
        InsertRawLine(book, TLineKind::Income, d, 1, 1, 10000, "'Y'");
        InsertRawLine(book, TLineKind::Income, d, 2, 1, 20000, "'N'");
        InsertRawLine(book, TLineKind::Income, d, 3, 1, 40000, "NULL");
        InsertRawLine(book, TLineKind::Income, d, 4, 1, 80000, "'X'");
        InsertRawLine(book, TLineKind::Income, d + 1, 1, 1, 160000, "'Y'");  // another day, same month
        InsertRawLine(book, TLineKind::Expense, d, 1, 1, 5000, "'N'");
        InsertRawLine(book, TLineKind::Expense, d, 2, 1, 7000, "NULL");
        Committed(book.Connection(), [&] {
            UpdateDaySales(2004, 4, d);
            UpdateDayExpenses(2004, 4, d);
            UpdatePeriodSales(2004, 4);
            UpdatePeriodExpenses(2004, 4);
        });
        QCOMPARE(book.Scalar("SELECT TAKINGS || ':' || EXPENSES FROM DAILY_TRANSACTION").toString(),
                 QString("30000:5000"));
        QCOMPARE(book.Scalar("SELECT SALES || ':' || EXPENSES FROM PERIOD").toString(), QString("310000:12000"));
    }
};

QTEST_GUILESS_MAIN(TestPeriods)
#include "tst_periods.moc"
