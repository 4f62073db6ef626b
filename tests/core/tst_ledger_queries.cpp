// The queries the reports and the line screens read: date ranges with both bounds
// included, the taxable filter with "Y", "N" and a parameter never set, the grouping of
// the report queries, lines whose item was deleted, and the line lists as a grid shows them.
#include "DayNumber.h"
#include "Formats.h"
#include "TestBook.h"
#include "sql_DailyExpenses.h"
#include "sql_DailySales.h"
#include "sql_DailyTransaction.h"

#include <QtTest>

namespace {

int Day(int d)
{
    return DayNumber::FromDate(QDate(2004, 1, d));
}

// Lines of January 2004 around the range 10 to 20 January. Item 9 has lines but no row
// in its reference table any more.
void BuildBook(TTestBook& book)
{
    book.Exec("INSERT INTO SALES (SALES_ID, SALES_DESCRIPTION, TAXABLE, AMOUNT) VALUES "
              "(1, 'BAR', 'Y', 0), (2, 'FOOD', 'N', 0), (3, 'ROOMS', 'Y', 0)");
    book.Exec("INSERT INTO EXPENSE (EXPENSE_ID, EXPENSE_DESCRIPTION, EXPENSE_TYPE_ID, TAXABLE, AMOUNT) VALUES "
              "(1, 'RENT', 1, 'Y', 0), (2, 'WAGES', 1, 'N', 0), (3, 'POWER', 1, 'Y', 0)");
    struct {
        int day, number, item;
        const char* amount;
        const char* taxable;
    } const income[] = {
        {9, 1, 1, "1000000", "Y"},  // the day before the range
        {10, 1, 2, "100000", "Y"},  // on the first day: two lines of one item
        {10, 2, 2, "50000", "Y"},  {15, 1, 1, "200000", "N"},
        {15, 2, 3, "70000", "N"},  {18, 1, 9, "60000", "Y"},     // only a line of the deleted item
        {20, 1, 9, "30000", "Y"},                                // on the last day
        {20, 2, 1, "10000", "Y"},  {21, 1, 1, "10000000", "Y"},  // the day after
    };
    for (const auto& l : income)
        book.Exec(QStringLiteral("INSERT INTO DAILY_SALES (YYYY, MM, TRANSACTION_DATE, DAILY_SALES_ID, SALES_ID, "
                                 "SALES_AMOUNT, TAXABLE) VALUES (2004, 1, %1, %2, %3, %4, '%5')")
                      .arg(Day(l.day))
                      .arg(l.number)
                      .arg(l.item)
                      .arg(l.amount, l.taxable));
    struct {
        int day, number, item;
        const char* amount;
        const char* taxable;
        const char* reference;
        const char* note;
    } const expenses[] = {
        {9, 1, 1, "1000000", "Y", "'A'", "NULL"},
        {10, 1, 2, "100000", "Y", "'R1'", "'n'"},  // same expense, day, reference and note: one report row
        {10, 2, 2, "50000", "Y", "'R1'", "'n'"},
        {10, 3, 2, "40000", "Y", "'R2'", "'n'"},      // another reference
        {10, 4, 2, "10000", "Y", "'R1'", "'other'"},  // another note
        {15, 1, 3, "70000", "N", "NULL", "NULL"},
        {18, 1, 9, "60000", "Y", "NULL", "NULL"},
        {20, 1, 9, "30000", "Y", "NULL", "NULL"},
        {20, 2, 1, "20000", "Y", "'B'", "NULL"},
        {21, 1, 1, "10000000", "Y", "NULL", "NULL"},
    };
    for (const auto& l : expenses)
        book.Exec(
            QStringLiteral("INSERT INTO DAILY_EXPENSE (YYYY, MM, TRANSACTION_DATE, DAILY_EXPENSE_ID, EXPENSE_ID, "
                           "EXPENSE_AMOUNT, TAXABLE, REFERENCE, NOTE) VALUES (2004, 1, %1, %2, %3, %4, '%5', %6, %7)")
                .arg(Day(l.day))
                .arg(l.number)
                .arg(l.item)
                .arg(l.amount, l.taxable, l.reference, l.note));
}

TQuery& QueryNamed(const QString& name)
{
    for (QObject* module : {static_cast<QObject*>(dmDailySales), static_cast<QObject*>(dmDailyExpenses),
                            static_cast<QObject*>(dmDailyTransaction)})
        if (auto* q = module->findChild<TQuery*>(name))
            return *q;
    throw std::runtime_error("no query " + name.toStdString());
}

// Each row as its fields' text joined by '|', days as ISO dates.
QStringList Rows(TQuery& q)
{
    QStringList rows;
    for (q.First(); !q.Eof(); q.Next()) {
        QStringList fields;
        for (int i = 0; i < q.FieldCount(); ++i) {
            const TField& f = q.Fields(i);
            fields << (f.FieldName == "TRANSACTION_DATE" ? f.AsDate().toString(Qt::ISODate) : f.AsString());
        }
        rows << fields.join('|');
    }
    return rows;
}

}  // namespace

class TestLedgerQueries : public QObject {
    Q_OBJECT
private slots:
    void init() { FormatSettings() = TFormatSettings(); }

    // `taxable` "-" leaves the parameter as it starts, null. Rows of queries without an
    // ORDER BY are compared in any order.
    void reportQueries_data()
    {
        QTest::addColumn<QString>("query");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("end");
        QTest::addColumn<QString>("taxable");
        QTest::addColumn<bool>("ordered");
        QTest::addColumn<QStringList>("rows");

        // Income.
        QTest::newRow("sales per item and day, all lines")
            << "qryGetSalesForPeriod" << 10 << 20 << "N" << false
            << QStringList {"2|FOOD|2004-01-10|15", "1|BAR|2004-01-15|20", "3|ROOMS|2004-01-15|7",
                            "1|BAR|2004-01-20|1"};
        QTest::newRow("sales per item and day, taxable only")
            << "qryGetSalesForPeriod" << 10 << 20 << "Y" << false
            << QStringList {"2|FOOD|2004-01-10|15", "1|BAR|2004-01-20|1"};
        QTest::newRow("sales per item and day, filter never set")
            << "qryGetSalesForPeriod" << 10 << 20 << "-" << false
            << QStringList {"2|FOOD|2004-01-10|15", "1|BAR|2004-01-20|1"};
        QTest::newRow("sales, start after end") << "qryGetSalesForPeriod" << 20 << 10 << "N" << false << QStringList {};
        QTest::newRow("sales, one day") << "qryGetSalesForPeriod" << 15 << 15 << "N" << false
                                        << QStringList {"1|BAR|2004-01-15|20", "3|ROOMS|2004-01-15|7"};
        QTest::newRow("distinct items keep the deleted one")
            << "qryGetDistinctSalesForPeriod" << 10 << 20 << "N" << false << QStringList {"1", "2", "3", "9"};
        QTest::newRow("distinct items, taxable only")
            << "qryGetDistinctSalesForPeriod" << 10 << 20 << "Y" << false << QStringList {"1", "2", "9"};
        QTest::newRow("distinct items, start after end")
            << "qryGetDistinctSalesForPeriod" << 20 << 10 << "N" << false << QStringList {};
        QTest::newRow("distinct sales days keep the deleted item's day")
            << "qryGetDistinctDateForSales" << 10 << 20 << "N" << true
            << QStringList {"2004-01-10", "2004-01-15", "2004-01-18", "2004-01-20"};
        QTest::newRow("distinct sales days, taxable only") << "qryGetDistinctDateForSales" << 10 << 20 << "Y" << true
                                                           << QStringList {"2004-01-10", "2004-01-18", "2004-01-20"};
        QTest::newRow("sales per day leave the deleted item out")
            << "qryGetSumSalesByDateRange" << 10 << 20 << "N" << false
            << QStringList {"2004-01-10|15", "2004-01-15|27", "2004-01-20|1"};
        QTest::newRow("sales per day for profit and loss: filter never set")
            << "qryGetSumSalesByDateRange" << 10 << 20 << "-" << false << QStringList {"2004-01-10|15", "2004-01-20|1"};
        QTest::newRow("sales export, one row per line")
            << "qryGetSalesForExport" << 10 << 20 << "N" << false
            << QStringList {"2|FOOD|2004-01-10|10|Y", "2|FOOD|2004-01-10|5|Y", "1|BAR|2004-01-15|20|N",
                            "3|ROOMS|2004-01-15|7|N", "1|BAR|2004-01-20|1|Y"};
        QTest::newRow("sales export, taxable only")
            << "qryGetSalesForExport" << 10 << 20 << "Y" << false
            << QStringList {"2|FOOD|2004-01-10|10|Y", "2|FOOD|2004-01-10|5|Y", "1|BAR|2004-01-20|1|Y"};
        QTest::newRow("sales export, start after end")
            << "qryGetSalesForExport" << 21 << 9 << "N" << true << QStringList {};

        // Expenses.
        QTest::newRow("expenses per expense, day, reference and note")
            << "qryGetExpensesForPeriod" << 10 << 20 << "N" << false
            << QStringList {"2|WAGES|2004-01-10|R1|n|15", "2|WAGES|2004-01-10|R2|n|4", "2|WAGES|2004-01-10|R1|other|1",
                            "3|POWER|2004-01-15|||7", "1|RENT|2004-01-20|B||2"};
        QTest::newRow("expenses grouped, taxable only")
            << "qryGetExpensesForPeriod" << 10 << 20 << "Y" << false
            << QStringList {"2|WAGES|2004-01-10|R1|n|15", "2|WAGES|2004-01-10|R2|n|4", "2|WAGES|2004-01-10|R1|other|1",
                            "1|RENT|2004-01-20|B||2"};
        QTest::newRow("expenses grouped, start after end")
            << "qryGetExpensesForPeriod" << 20 << 10 << "N" << false << QStringList {};
        QTest::newRow("distinct expenses by description") << "qryGetDistinctExpensesForPeriod" << 10 << 20 << "N"
                                                          << true << QStringList {"3|POWER", "1|RENT", "2|WAGES"};
        QTest::newRow("distinct expenses, taxable only")
            << "qryGetDistinctExpensesForPeriod" << 10 << 20 << "Y" << true << QStringList {"1|RENT", "2|WAGES"};
        QTest::newRow("distinct expenses, the bounds themselves")
            << "qryGetDistinctExpensesForPeriod" << 20 << 20 << "N" << true << QStringList {"1|RENT"};
        QTest::newRow("distinct expense days keep the deleted item's day")
            << "qryGetDistinctDatesForExpenses" << 10 << 20 << "N" << true
            << QStringList {"2004-01-10", "2004-01-15", "2004-01-18", "2004-01-20"};
        QTest::newRow("distinct expense days, filter never set")
            << "qryGetDistinctDatesForExpenses" << 10 << 20 << "-" << true
            << QStringList {"2004-01-10", "2004-01-18", "2004-01-20"};
        QTest::newRow("expenses per day") << "qryGetSumExpensesByDateRange" << 10 << 20 << "N" << false
                                          << QStringList {"2004-01-10|20", "2004-01-15|7", "2004-01-20|2"};
        QTest::newRow("expenses per day for profit and loss: filter never set")
            << "qryGetSumExpensesByDateRange" << 10 << 20 << "-" << false
            << QStringList {"2004-01-10|20", "2004-01-20|2"};
        QTest::newRow("expenses per day, start after end")
            << "qryGetSumExpensesByDateRange" << 20 << 10 << "N" << false << QStringList {};
        QTest::newRow("expense export, one row per line")
            << "qryGetExpensesForExport" << 15 << 20 << "N" << true
            << QStringList {"3|POWER|2004-01-15|||7|N", "1|RENT|2004-01-20|B||2|Y"};
        QTest::newRow("expense export, taxable only")
            << "qryGetExpensesForExport" << 15 << 21 << "Y" << true
            << QStringList {"1|RENT|2004-01-20|B||2|Y", "1|RENT|2004-01-21|||1000|Y"};
    }
    void reportQueries()
    {
        QFETCH(QString, query);
        QFETCH(int, start);
        QFETCH(int, end);
        QFETCH(QString, taxable);
        QFETCH(bool, ordered);
        QFETCH(QStringList, rows);
        TTestBook book;
        BuildBook(book);
        TQuery& q = QueryNamed(query);
        q.ParamByName("iTRANSACTION_DATE_START").SetAsInteger(Day(start));
        q.ParamByName("iTRANSACTION_DATE_END").SetAsInteger(Day(end));
        if (taxable != "-")
            q.ParamByName("iTAXABLE").SetAsString(taxable);
        q.Open();
        QStringList got = Rows(q);
        q.Close();
        if (!ordered) {
            got.sort();
            rows.sort();
        }
        QCOMPARE(got, rows);
    }

    // Export rows of one day come in description order, whatever order the lines were stored in.
    void exportOrderedByDateThenDescription()
    {
        TTestBook book;
        BuildBook(book);
        book.Exec(QStringLiteral("INSERT INTO DAILY_SALES (YYYY, MM, TRANSACTION_DATE, DAILY_SALES_ID, SALES_ID, "
                                 "SALES_AMOUNT, TAXABLE) VALUES (2004, 1, %1, 9, 3, 10000, 'Y'), "
                                 "(2004, 1, %1, 8, 2, 10000, 'Y'), (2004, 1, %1, 7, 1, 10000, 'Y')")
                      .arg(Day(12)));
        TQuery& q = *dmDailySales->qryGetSalesForExport;
        q.ParamByName("iTRANSACTION_DATE_START").SetAsInteger(Day(11));
        q.ParamByName("iTRANSACTION_DATE_END").SetAsInteger(Day(15));
        q.ParamByName("iTAXABLE").SetAsString("N");
        q.Open();
        QCOMPARE(Rows(q), (QStringList {"1|BAR|2004-01-12|1|Y", "2|FOOD|2004-01-12|1|Y", "3|ROOMS|2004-01-12|1|Y",
                                        "1|BAR|2004-01-15|20|N", "3|ROOMS|2004-01-15|7|N"}));
        q.Close();
    }

    // A parameter keeps its value between openings until it is set again.
    void taxableFilterStaysUntilSetAgain()
    {
        TTestBook book;
        BuildBook(book);
        TQuery& q = *dmDailyExpenses->qryGetSumExpensesByDateRange;
        q.ParamByName("iTRANSACTION_DATE_START").SetAsInteger(Day(15));
        q.ParamByName("iTRANSACTION_DATE_END").SetAsInteger(Day(15));
        q.ParamByName("iTAXABLE").SetAsString("N");
        q.Open();
        QCOMPARE(q.RecordCount(), 1);
        QCOMPARE(q.FieldByName("SUM_EXPENSE_AMOUNT").AsMoney(), Money::Parse("7"));
        q.Close();
        q.Open();
        QCOMPARE(q.RecordCount(), 1);
        q.Close();
        q.ParamByName("iTAXABLE").SetAsString("Y");
        q.Open();
        QCOMPARE(q.RecordCount(), 0);
        q.Close();
    }

    void dayRecordsByDateRangeIncludeBothBounds()
    {
        TTestBook book;
        for (int d : {9, 10, 15, 20, 21})
            book.Exec(QStringLiteral("INSERT INTO DAILY_TRANSACTION (YYYY, MM, TRANSACTION_DATE, TAKINGS, EXPENSES) "
                                     "VALUES (2004, 1, %1, %2, %3)")
                          .arg(Day(d))
                          .arg(d * 10000)
                          .arg(d * 100));
        TQuery& q = *dmDailyTransaction->qryGetDailyExpensesByDateRange;
        q.ParamByName("iTRANSACTION_DATE_START").SetAsInteger(Day(10));
        q.ParamByName("iTRANSACTION_DATE_END").SetAsInteger(Day(20));
        q.Open();
        QCOMPARE(Rows(q),
                 (QStringList {"2004|1|2004-01-10|10|0.1", "2004|1|2004-01-15|15|0.15", "2004|1|2004-01-20|20|0.2"}));
        q.Close();
        q.ParamByName("iTRANSACTION_DATE_START").SetAsInteger(Day(21));
        q.ParamByName("iTRANSACTION_DATE_END").SetAsInteger(Day(9));
        q.Open();
        QVERIFY(q.IsEmpty());
        q.Close();
    }

    // The grid of the expense transactions screen: its visible columns and their text,
    // the description looked up from the expense list, empty for a deleted expense.
    void transactionExpensesAsAGridShowsThem()
    {
        TTestBook book;
        BuildBook(book);
        TQuery& q = *dmDailyExpenses->qryGetTransactionExpenses;
        q.Open();
        QStringList titles;
        QList<int> visible;
        for (int i = 0; i < q.FieldCount(); ++i)
            if (q.Fields(i).Visible) {
                titles << q.Fields(i).Label();
                visible << i;
            }
        QCOMPARE(titles, (QStringList {"Date", "Expense", "Amount", "Taxable"}));
        auto line = [&](int row) {
            QStringList cells;
            for (int i : visible)
                cells << q.DisplayTextAt(row, i);
            return cells.join('|');
        };
        QCOMPARE(q.RecordCount(), 10);
        QCOMPARE(line(0), QString("09/01/2004|RENT|100.00|Y"));
        // In date order, then by expense id: the deleted expense (9) after RENT (1) on the 20th.
        QCOMPARE(line(7), QString("20/01/2004|RENT|2.00|Y"));
        QCOMPARE(line(8), QString("20/01/2004||3.00|Y"));
        QCOMPARE(line(9), QString("21/01/2004|RENT|1,000.00|Y"));
        // A changed description shows once the list is read again.
        book.Exec("UPDATE EXPENSE SET EXPENSE_DESCRIPTION = 'OFFICE RENT' WHERE EXPENSE_ID = 1");
        dmDailyExpenses->qryGetExpensesDescription->Close();
        dmDailyExpenses->qryGetExpensesDescription->Open();
        QCOMPARE(line(0), QString("09/01/2004|OFFICE RENT|100.00|Y"));
        // The screen's filter text: both bounds included.
        q.SetFilter(QStringLiteral(" TRANSACTION_DATE >= %1 AND TRANSACTION_DATE <= %2 AND EXPENSE_ID = 2")
                        .arg(Day(10))
                        .arg(Day(15)));
        QCOMPARE(q.RecordCount(), 4);
        q.SetFilter(QStringLiteral(" TRANSACTION_DATE >= %1 AND TRANSACTION_DATE <= %2").arg(Day(20)).arg(Day(10)));
        QCOMPARE(q.RecordCount(), 0);
        q.SetFilter(QString());
        QCOMPARE(q.RecordCount(), 10);
        q.Close();
        dmDailyExpenses->qryGetExpensesDescription->Close();
    }

    // The screen's filter over the lines as stored, odd values included: a line without
    // amount or expense never passes a comparison on them.
    void transactionFilter_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QStringList>("lines");  // day/number
        QTest::newRow("money in whole units") << "EXPENSE_AMOUNT >= 100" << QStringList {"9/1", "21/1"};
        QTest::newRow("null amount never passes")
            << "EXPENSE_AMOUNT >= 0 AND TRANSACTION_DATE = " + QString::number(Day(12)) << QStringList {};
        QTest::newRow("null expense never passes, not even <>")
            << QStringLiteral("EXPENSE_ID <> 2 AND TRANSACTION_DATE <= %1").arg(Day(12)) << QStringList {"9/1"};
        QTest::newRow("calculated date") << "DisplayDate = " + QString::number(Day(15)) << QStringList {"15/1"};
        QTest::newRow("calculated and stored")
            << QStringLiteral("DisplayDate >= %1 AND EXPENSE_AMOUNT > 2").arg(Day(20)) << QStringList {"20/1", "21/1"};
        QTest::newRow("text or money") << "TAXABLE = 'N' OR EXPENSE_AMOUNT > 500" << QStringList {"15/1", "21/1"};
        QTest::newRow("money or text") << "EXPENSE_AMOUNT > 500 OR TAXABLE = 'N'" << QStringList {"15/1", "21/1"};
        QTest::newRow("day range and expense")
            << QStringLiteral(" TRANSACTION_DATE >= %1 AND TRANSACTION_DATE <= %2 AND EXPENSE_ID = 9")
                   .arg(Day(10))
                   .arg(Day(20))
            << QStringList {"18/1", "20/1"};
    }
    void transactionFilter()
    {
        QFETCH(QString, filter);
        QFETCH(QStringList, lines);
        TTestBook book;
        BuildBook(book);
        book.Exec(QStringLiteral("INSERT INTO DAILY_EXPENSE (YYYY, MM, TRANSACTION_DATE, DAILY_EXPENSE_ID, TAXABLE) "
                                 "VALUES (2004, 1, %1, 1, 'Y')")
                      .arg(Day(12)));
        TQuery& q = *dmDailyExpenses->qryGetTransactionExpenses;
        q.Open();
        q.SetFilter(filter);
        QStringList got;
        for (q.First(); !q.Eof(); q.Next())
            got << QStringLiteral("%1/%2")
                       .arg(q.FieldByName("TRANSACTION_DATE").AsDate().day())
                       .arg(q.FieldByName("DAILY_EXPENSE_ID").AsInteger());
        got.sort();
        lines.sort();
        QCOMPARE(got, lines);
        q.SetFilter(QString());
        q.Close();
    }

    void transactionSalesAsAGridShowsThem()
    {
        TTestBook book;
        BuildBook(book);
        TQuery& q = *dmDailySales->qryGetTransactionSales;
        q.Open();
        QStringList cells;
        for (int i = 0; i < q.FieldCount(); ++i)
            if (q.Fields(i).Visible)
                cells << q.Fields(i).Label() + '=' + q.DisplayTextAt(0, i);
        QCOMPARE(cells.join('|'), QString("Date=09/01/2004|Income=BAR|Amount=100.00|Taxable=Y"));
        q.Close();
        dmDailySales->qrySalesDescription->Close();
    }

    // The daily lists look each description up as the row is calculated.
    void dailyListsDescribeTheirLines()
    {
        TTestBook book;
        BuildBook(book);
        book.Exec("UPDATE EXPENSE SET EXPENSE_DESCRIPTION = 'A DESCRIPTION OF FORTY-FIVE CHARACTERS IN ALL' "
                  "WHERE EXPENSE_ID = 1");
        TQuery& expenses = *dmDailyExpenses->qryGetDailyExpenses;
        expenses.ParamByName("iYYYY").SetAsInteger(2004);
        expenses.ParamByName("iMM").SetAsInteger(1);
        expenses.ParamByName("iTRANSACTION_DATE").SetAsInteger(Day(20));
        expenses.Open();
        QStringList cells;
        for (expenses.First(); !expenses.Eof(); expenses.Next())
            cells << expenses.FieldByName("DisplayDate").DisplayText() + ' '
                         + expenses.FieldByName("ExpenseDescription").AsString() + ' '
                         + expenses.FieldByName("REFERENCE").DisplayText();
        cells.sort();
        // The calculated field holds 30 characters.
        QCOMPARE(cells, (QStringList {"20/01/2004  ", "20/01/2004 A DESCRIPTION OF FORTY-FIVE CH B"}));
        expenses.Close();

        TQuery& sales = *dmDailySales->qryGetDailySales;
        sales.ParamByName("iYYYY").SetAsInteger(2004);
        sales.ParamByName("iMM").SetAsInteger(1);
        sales.ParamByName("iTRANSACTION_DATE").SetAsInteger(Day(15));
        sales.Open();
        QStringList titles, texts;
        for (int i = 0; i < sales.FieldCount(); ++i)
            if (sales.Fields(i).Visible) {
                titles << sales.Fields(i).Label();
                texts << sales.DisplayTextAt(0, i);
            }
        QCOMPARE(titles, (QStringList {"Date", "Income Description", "Amount", "Taxable"}));
        QCOMPARE(texts, (QStringList {"15/01/2004", "BAR", "20.00", "N"}));
        sales.Close();
    }

    void dayRecordListShowsItsTotals()
    {
        TTestBook book;
        book.Exec(QStringLiteral("INSERT INTO DAILY_TRANSACTION (YYYY, MM, TRANSACTION_DATE, TAKINGS, EXPENSES) VALUES "
                                 "(2004, 1, %1, 12345678, NULL), (2004, 1, %2, 0, 5000), (2004, 2, %3, 1, 1)")
                      .arg(Day(20))
                      .arg(Day(3))
                      .arg(Day(40)));
        TQuery& q = *dmDailyTransaction->qryGetDailyTransaction;
        q.ParamByName("iYYYY").SetAsInteger(2004);
        q.ParamByName("iMM").SetAsInteger(1);
        q.Open();
        QStringList shown;
        for (int r = 0; r < q.RecordCount(); ++r) {
            QStringList cells;
            for (int i = 0; i < q.FieldCount(); ++i)
                if (q.Fields(i).Visible)
                    cells << q.DisplayTextAt(r, i);
            shown << cells.join('|');
        }
        QCOMPARE(shown, (QStringList {"03/01/2004|0.00|0.50", "20/01/2004|1,234.57|"}));
        // Day records are added on their screen without counters.
        q.Insert();
        q.FieldByName("YYYY").SetAsInteger(2004);
        q.FieldByName("MM").SetAsInteger(1);
        q.FieldByName("TRANSACTION_DATE").SetAsInteger(Day(25));
        q.FieldByName("TAKINGS").SetAsMoney(Money());
        q.FieldByName("EXPENSES").SetAsMoney(Money());
        q.Post();
        QVERIFY(book.Scalar(QStringLiteral("SELECT LAST_SALES_ID FROM DAILY_TRANSACTION WHERE TRANSACTION_DATE = %1")
                                .arg(Day(25)))
                    .isNull());
        q.Close();
    }
};

QTEST_GUILESS_MAIN(TestLedgerQueries)
#include "tst_ledger_queries.moc"
