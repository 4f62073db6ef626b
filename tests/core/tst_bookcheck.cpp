// Checking the book: every stored day and month total set against its lines, the engine's
// check of the pages, and the repair that puts every differing total right in one go.
#include "BookCheck.h"
#include "LedgerBook.h"
#include "sql_DailyExpenses.h"
#include "sql_DailySales.h"

#include <QFile>
#include <QtTest>
#include <sqlite3.h>

namespace {

// The differences as the user reads them: "where|which total|stored|from the lines".
QStringList Texts(const QList<TTotalDifference>& differences)
{
    QStringList texts;
    for (const TTotalDifference& d : differences)
        texts << QStringList {d.Where(), d.Total(), d.StoredText(), d.FromLinesText()}.join('|');
    return texts;
}

// January: two days of income (one line not taxable), a day of expenses; February: one
// expense. Stored through the storage sequence, as the screens store them.
void AddLedger(TTestBook& book)
{
    AddItems(book);
    TLines income(TLineKind::Income, *dmDailySales->qryGetTransactionSales);
    TLines expense(TLineKind::Expense, *dmDailyExpenses->qryGetTransactionExpenses);
    income.Add(LineDay(2026, 1, 10), 1, 120000);
    income.Add(LineDay(2026, 1, 10), 2, 35000, false);
    income.Add(LineDay(2026, 1, 11), 3, 72500);
    expense.Add(LineDay(2026, 1, 10), 1, 50000);
    expense.Add(LineDay(2026, 2, 3), 2, 20000, false);
}

int CountCommit(void* counter)
{
    ++*static_cast<int*>(counter);
    return 0;
}

}  // namespace

class TestBookCheck : public QObject {
    Q_OBJECT
private slots:
    // A book kept by the program agrees with itself, however its lines came and went.
    void soundBookHasNoDifferences_data()
    {
        QTest::addColumn<int>("ledger");  // 0 none, 1 lines added, 2 lines added, moved and removed
        QTest::newRow("new book") << 0;
        QTest::newRow("lines added") << 1;
        QTest::newRow("lines moved and removed") << 2;
    }
    void soundBookHasNoDifferences()
    {
        QFETCH(int, ledger);
        TTestBook book;
        if (ledger > 0)
            AddLedger(book);
        if (ledger > 1) {
            TLines income(TLineKind::Income, *dmDailySales->qryGetTransactionSales);
            income.Move(LineDay(2026, 1, 11), 1, LineDay(2026, 3, 1), 10000);
            income.Remove(LineDay(2026, 1, 10), 1);
        }
        QCOMPARE(BrokenInvariants(book), QString());
        const TBookCheck check = BookCheck::Check(book.Connection());
        QCOMPARE(check.damage, QStringList());
        QCOMPARE(Texts(check.differences), QStringList());
        QVERIFY(check.Sound());
    }

    // Totals set wrong behind the program's back, or lines written past the totals, are
    // found by day or month and total, with the stored value and the one from the lines;
    // the repair puts them all right in one transaction and touches no line.
    void differencesAreFoundAndRepaired_data()
    {
        QTest::addColumn<QString>("damage");  // SQL run on the sound ledger
        QTest::addColumn<QStringList>("expected");
        const QString jan10 = QString::number(Day(2026, 1, 10));
        QTest::newRow("a day's income")
            << "UPDATE DAILY_TRANSACTION SET TAKINGS = 99990000 WHERE TRANSACTION_DATE = " + jan10
            << QStringList {"10/01/2026|income|9,999.00|15.50"};
        QTest::newRow("a day's expenses emptied")
            << "UPDATE DAILY_TRANSACTION SET EXPENSES = NULL WHERE TRANSACTION_DATE = " + jan10
            << QStringList {"10/01/2026|expenses|none|5.00"};
        QTest::newRow("a month's income") << "UPDATE PERIOD SET SALES = 0 WHERE YYYY = 2026 AND MM = 1"
                                          << QStringList {"January 2026|income|0.00|22.75"};
        // Shown to the hundredth of a cent, so the two never read the same.
        QTest::newRow("a month's income off by a hundredth of a cent")
            << "UPDATE PERIOD SET SALES = SALES + 1 WHERE YYYY = 2026 AND MM = 1"
            << QStringList {"January 2026|income|22.7501|22.75"};
        QTest::newRow("a month's expenses")
            << "UPDATE PERIOD SET EXPENSES = EXPENSES - 10000 WHERE YYYY = 2026 AND MM = 2"
            << QStringList {"February 2026|expenses|1.00|2.00"};
        QTest::newRow("a day and a month at once")
            << "UPDATE DAILY_TRANSACTION SET TAKINGS = 0 WHERE TRANSACTION_DATE = " + jan10
                   + "; UPDATE PERIOD SET EXPENSES = 0 WHERE MM = 1"
            << QStringList {"10/01/2026|income|0.00|15.50", "January 2026|expenses|0.00|5.00"};
        QTest::newRow("a line written past the totals")
            << QStringLiteral("INSERT INTO DAILY_SALES (YYYY, MM, TRANSACTION_DATE, DAILY_SALES_ID, SALES_ID, "
                              "SALES_AMOUNT, TAXABLE) VALUES (2026, 1, %1, 9, 3, 10000, 'Y')")
                   .arg(Day(2026, 1, 11))
            << QStringList {"11/01/2026|income|7.25|8.25", "January 2026|income|22.75|23.75"};
        // A day counts only lines flagged Y or N; its month counts them all.
        QTest::newRow("a line flagged neither Y nor N")
            << QStringLiteral("INSERT INTO DAILY_SALES (YYYY, MM, TRANSACTION_DATE, DAILY_SALES_ID, SALES_ID, "
                              "SALES_AMOUNT, TAXABLE) VALUES (2026, 1, %1, 9, 3, 10000, NULL)")
                   .arg(Day(2026, 1, 11))
            << QStringList {"January 2026|income|22.75|23.75"};
        QTest::newRow("a line on a day without a record")
            << QStringLiteral("INSERT INTO DAILY_EXPENSE (YYYY, MM, TRANSACTION_DATE, DAILY_EXPENSE_ID, EXPENSE_ID, "
                              "EXPENSE_AMOUNT, TAXABLE) VALUES (2026, 3, %1, 1, 2, 40000, 'N')")
                   .arg(Day(2026, 3, 15))
            << QStringList {"15/03/2026|income|no day record|0.00", "15/03/2026|expenses|no day record|4.00",
                            "March 2026|income|no month record|0.00", "March 2026|expenses|no month record|4.00"};
    }
    void differencesAreFoundAndRepaired()
    {
        QFETCH(QString, damage);
        QFETCH(QStringList, expected);
        TTestBook book;
        AddLedger(book);
        QCOMPARE(BrokenInvariants(book), QString());
        book.Exec(damage);
        QVERIFY(!BrokenInvariants(book).isEmpty());
        const QStringList incomeLines = BookRows(book, TLineKind::Income);
        const QStringList expenseLines = BookRows(book, TLineKind::Expense);

        const TBookCheck check = BookCheck::Check(book.Connection());
        QCOMPARE(check.damage, QStringList());
        QCOMPARE(Texts(check.differences), expected);
        QVERIFY(!check.Sound());

        int commits = 0;
        sqlite3_commit_hook(book.Connection().Handle(), CountCommit, &commits);
        const QList<TTotalDifference> corrected = BookCheck::RepairTotals();
        sqlite3_commit_hook(book.Connection().Handle(), nullptr, nullptr);
        QCOMPARE(commits, 1);
        QCOMPARE(Texts(corrected), expected);
        QCOMPARE(BrokenInvariants(book), QString());
        QCOMPARE(Texts(BookCheck::TotalDifferences(book.Connection())), QStringList());
        QCOMPARE(BookRows(book, TLineKind::Income), incomeLines);
        QCOMPARE(BookRows(book, TLineKind::Expense), expenseLines);
    }

    // A repair that fails part of the way keeps none of it.
    void failedRepairKeepsNothing()
    {
        TTestBook book;
        AddLedger(book);
        book.Exec(QStringLiteral("UPDATE DAILY_TRANSACTION SET TAKINGS = 1 WHERE TRANSACTION_DATE = %1")
                      .arg(Day(2026, 1, 10)));
        book.Exec("UPDATE PERIOD SET SALES = 2 WHERE MM = 1");
        // Days are put right before months: the month's write fails after the day's.
        book.Exec("CREATE TRIGGER REFUSE_MONTHS BEFORE UPDATE ON PERIOD BEGIN SELECT RAISE(ABORT, 'refused'); END");
        const QString before = BookText(book);
        const QStringList found = Texts(BookCheck::TotalDifferences(book.Connection()));
        QCOMPARE(found.size(), 2);
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, BookCheck::RepairTotals());
        QCOMPARE(BookText(book), before);
        QCOMPARE(Texts(BookCheck::TotalDifferences(book.Connection())), found);
        QVERIFY(!book.Connection().InTransaction());
    }

    // Pages the cipher or the engine cannot read are reported as damage, never as an
    // error of the check itself, and the repair refuses such a book, leaving it untouched.
    void damagedPagesAreReported_data()
    {
        QTest::addColumn<bool>("lastPage");
        QTest::newRow("the income lines' first page") << false;
        QTest::newRow("the last page") << true;
    }
    void damagedPagesAreReported()
    {
        QFETCH(bool, lastPage);
        TTestBook book;
        AddItems(book);
        Committed(book.Connection(), [&] {
            for (int day = 0; day < 20; ++day)
                for (int n = 1; n <= 15; ++n) {
                    InsertRawLine(book, TLineKind::Income, Day(2026, 3, 1) + day, n, 1 + n % 3, 1000 * n);
                    InsertRawLine(book, TLineKind::Expense, Day(2026, 3, 1) + day, n, 1 + n % 3, 700 * n);
                }
        });
        const int pageSize = book.Scalar("PRAGMA page_size").toInt();
        const int pages = book.Scalar("PRAGMA page_count").toInt();
        const int linesPage = book.Scalar("SELECT rootpage FROM sqlite_master WHERE name = 'DAILY_SALES'").toInt();
        book.Connection().Close();
        QByteArray bytes = FileBytes(book.Path());
        const qsizetype at = qsizetype((lastPage ? pages : linesPage) - 1) * pageSize + 200;
        for (qsizetype i = at; i < at + 8; ++i)
            bytes[i] = char(~bytes[i]);
        {
            QFile f(book.Path());
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(bytes);
        }
        const TBookCheck check = BookCheck::Check(book.Connection());
        QVERIFY(!check.damage.isEmpty());
        QVERIFY(check.differences.isEmpty());
        QVERIFY(!check.Sound());
        try {
            BookCheck::RepairTotals();
            QFAIL("a damaged book was repaired");
        } catch (const EDatabaseError& e) {
            QVERIFY2(e.Message().contains("damaged"), qPrintable(e.Message()));
        }
        book.Connection().Close();
        QCOMPARE(FileBytes(book.Path()), bytes);
    }
};

QTEST_GUILESS_MAIN(TestBookCheck)
#include "tst_bookcheck.moc"
