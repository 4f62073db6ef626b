// The profit and loss report: by day, week and month, with and without "Taxable", laid
// out cell by cell on a small book; the margin texts; the empty and reversed ranges; the
// saved workbook.
#include "ReportSheet.h"
#include "rpt_Income.h"
#include "sql_DailyExpenses.h"
#include "sql_DailySales.h"

using namespace ReportTest;

namespace {

// Income BAR, FOOD, ROOMS and expenses RENT, WAGES in January and March 2002, each day
// with its day record; one more day record without lines. 1 January was a Tuesday.
void FillBook(TReportBook& b)
{
    b.Income(D(2002, 1, 7), 1, "150");
    b.Income(D(2002, 1, 7), 2, "40", "N");
    b.Income(D(2002, 1, 20), 3, "60");
    b.Expense(D(2002, 1, 7), 1, "100");
    b.Expense(D(2002, 1, 8), 2, "30", "N");
    b.Expense(D(2002, 3, 5), 1, "100");
    b.DayRecordsFromLines();
    b.EmptyDayRecord(D(2002, 1, 25));
}

// The row-4 headings after the label heading given.
QStringList HeadingRow(const QString& label)
{
    QStringList cells;
    if (!label.isEmpty())
        cells << "B4 '" + label + "'";
    return cells << "C4 'INCOME'"
                 << "D4 'EXPENSES'"
                 << "E4 'PROFIT/LOSS'";
}

QStringList Expected(const QString& title, const QString& label, const QStringList& body)
{
    return QStringList {"B2 'PROFIT/LOSS REPORT " + title + "'"} + HeadingRow(label) + body;
}

// One row of figures: the label, income, expenses and profit or loss.
QStringList Row(int row, const QString& label, const QString& income, const QString& expenses, const QString& profit)
{
    const QString r = QString::number(row);
    return {"B" + r + " '" + label + "'", "C" + r + ' ' + income, "D" + r + ' ' + expenses, "E" + r + ' ' + profit};
}

using TScreen = TReportScreen<TrptIncome>;
}  // namespace

class TestProfitLoss : public QObject {
    Q_OBJECT
private slots:
    void init() { FormatSettings() = TFormatSettings(); }

    void layouts_data()
    {
        AddLayoutColumns<TrptIncome>();

        const QString january = "FROM 1 JANUARY 2002 TO 31 JANUARY 2002";
        QTest::newRow("by day") << D(2002, 1, 1) << D(2002, 1, 31) << false << 0
                                << Expected(january, "DATE",
                                            Row(5, "07-Jan-2002", "190", "100", "90")
                                                + Row(6, "08-Jan-2002", "0", "30", "-30")
                                                + Row(7, "20-Jan-2002", "60", "0", "60")
                                                + Row(8, "25-Jan-2002", "0", "0", "0")
                                                + QStringList {"C9 =SUM(C5:C8) 250", "D9 =SUM(D5:D8) 130",
                                                               "E9 =SUM(E5:E8) 120", "B11 'PROFIT MARGIN: 92.31% '"});
        QTest::newRow("by day, taxable only")
            << D(2002, 1, 1) << D(2002, 1, 31) << true << 0
            << Expected(january, "DATE",
                        Row(5, "07-Jan-2002", "150", "100", "50") + Row(6, "08-Jan-2002", "0", "0", "0")
                            + Row(7, "20-Jan-2002", "60", "0", "60") + Row(8, "25-Jan-2002", "0", "0", "0")
                            + QStringList {"C9 =SUM(C5:C8) 210", "D9 =SUM(D5:D8) 100", "E9 =SUM(E5:E8) 110",
                                           "B11 'PROFIT MARGIN: 110.00% '"});
        QTest::newRow("by week") << D(2002, 1, 1) << D(2002, 1, 14) << false << 1
                                 << Expected("FROM 1 JANUARY 2002 TO 14 JANUARY 2002", "WEEK STARTING",
                                             {"B5 '01-Jan-2002'", "C5 190", "D5 100", "E5 90", "B6 '08-Jan-2002'",
                                              "C6 0", "D6 30", "E6 -30", "C7 =SUM(C5:C6) 190", "D7 =SUM(D5:D6) 130",
                                              "E7 =SUM(E5:E6) 60", "B9 'PROFIT MARGIN: 46.15% '"});
        QTest::newRow("by week, taxable only: margin 50%")
            << D(2002, 1, 1) << D(2002, 1, 14) << true << 1
            << Expected("FROM 1 JANUARY 2002 TO 14 JANUARY 2002", "WEEK STARTING",
                        {"B5 '01-Jan-2002'", "C5 150", "D5 100", "E5 50", "B6 '08-Jan-2002'", "C6 0", "D6 0", "E6 0",
                         "C7 =SUM(C5:C6) 150", "D7 =SUM(D5:D6) 100", "E7 =SUM(E5:E6) 50",
                         "B9 'PROFIT MARGIN: 50.00% '"});
        QTest::newRow("by month: three rows, one without days")
            << D(2002, 1, 15) << D(2002, 3, 10) << false << 2
            << Expected("FROM 15 JANUARY 2002 TO 10 MARCH 2002", "",
                        {"B5 'Jan 2002'", "C5 60", "D5 0", "E5 60", "B6 'Feb 2002'", "B7 'Mar 2002'", "C7 0", "D7 100",
                         "E7 -100", "C8 =SUM(C5:C7) 60", "D8 =SUM(D5:D7) 100", "E8 =SUM(E5:E7) -40",
                         "B10 'PROFIT MARGIN: -40.00% '"});
        QTest::newRow("by month, taxable only")
            << D(2002, 1, 1) << D(2002, 3, 10) << true << 2
            << Expected("FROM 1 JANUARY 2002 TO 10 MARCH 2002", "",
                        {"B5 'Jan 2002'", "C5 210", "D5 100", "E5 110", "B6 'Feb 2002'", "B7 'Mar 2002'", "C7 0",
                         "D7 100", "E7 -100", "C8 =SUM(C5:C7) 210", "D8 =SUM(D5:D7) 200", "E8 =SUM(E5:E7) 10",
                         "B10 'PROFIT MARGIN: 5.00% '"});
        QTest::newRow("no income: margin -100%")
            << D(2002, 3, 1) << D(2002, 3, 31) << false << 0
            << Expected("FROM 1 MARCH 2002 TO 31 MARCH 2002", "DATE",
                        {"B5 '05-Mar-2002'", "C5 0", "D5 100", "E5 -100", "C6 =SUM(C5:C5) 0", "D6 =SUM(D5:D5) 100",
                         "E6 =SUM(E5:E5) -100", "B8 'PROFIT MARGIN: -100.00% '"});
        QTest::newRow("no expenses: no margin")
            << D(2002, 1, 20) << D(2002, 1, 25) << false << 0
            << Expected("FROM 20 JANUARY 2002 TO 25 JANUARY 2002", "DATE",
                        {"B5 '20-Jan-2002'", "C5 60", "D5 0", "E5 60", "B6 '25-Jan-2002'", "C6 0", "D6 0", "E6 0",
                         "C7 =SUM(C5:C6) 60", "D7 =SUM(D5:D6) 0", "E7 =SUM(E5:E6) 60"});
        QTest::newRow("no day records: totals 0")
            << D(2002, 2, 1) << D(2002, 2, 28) << false << 0
            << Expected("FROM 1 FEBRUARY 2002 TO 28 FEBRUARY 2002", "DATE", {"C5 0", "D5 0", "E5 0"});
        QTest::newRow("start after end by days, weeks: no rows")
            << D(2002, 1, 14) << D(2002, 1, 10) << false << 1
            << Expected("FROM 14 JANUARY 2002 TO 10 JANUARY 2002", "WEEK STARTING", {"C5 0", "D5 0", "E5 0"});
        QTest::newRow("start after end, months: no rows")
            << D(2002, 3, 10) << D(2002, 1, 15) << true << 2
            << Expected("FROM 10 MARCH 2002 TO 15 JANUARY 2002", "", {"C5 0", "D5 0", "E5 0"});
    }
    // Save proposes "ProfitLoss".
    void layouts() { CheckLayout<TrptIncome>(FillBook, "ProfitLoss"); }

    void looks()
    {
        TScreen s(FillBook);
        Spool(s.report, *s.dialogs, D(2002, 1, 1), D(2002, 1, 31), false, 0);
        const TWorkbook& book = s.Grid().Book();
        QCOMPARE((QList<int> {book.ColumnWidth(2), book.ColumnWidth(5)}), (QList<int> {4500, 4500}));
        QVERIFY(s.Format(2, 2).Bold && s.Format(4, 2).Bold && s.Format(4, 5).Bold);
        QVERIFY(s.Format(5, 2).Bold && s.Format(5, 5).Bold && s.Format(9, 3).Bold && s.Format(11, 2).Bold);
        QVERIFY(!s.Format(5, 3).Bold && !s.Format(5, 4).Bold);
        QCOMPARE(s.Format(5, 3).NumberFormat, Masks::ReportMoney);
        QCOMPARE(s.Format(9, 5).NumberFormat, Masks::ReportMoney);
        QCOMPARE(s.Format(4, 2).Top.Style, Sheet::LineThin);
        QCOMPARE(s.Format(9, 5).Bottom.Style, Sheet::LineThin);
        QCOMPARE(book.CellDisplayText(6, 5), QString("(30.00)"));
        QCOMPARE(book.CellDisplayText(9, 3), QString("250.00"));
        // The amount headings are centred over their amounts, and the four wide columns
        // are shrunk onto one upright page rather than split across two.
        QCOMPARE(s.Format(4, 3).HAlign, Sheet::HCentre);
        QCOMPARE(s.Format(4, 5).HAlign, Sheet::HCentre);
        QVERIFY(!book.PrintLandscape());
        QCOMPARE(PrintedPages(s.report), 1);
        ShotWide(s.report, "profit-loss-by-day");
        Spool(s.report, *s.dialogs, D(2002, 1, 15), D(2002, 3, 10), false, 2);
        ShotWide(s.report, "profit-loss-by-month");
    }

    // Period totals stay money to the end: no six significant digits on the way.
    void largeAmountsKeepTheirCents()
    {
        TReportBook b;
        b.Income(D(2002, 1, 2), 1, "1234567.89");
        b.Income(D(2002, 1, 3), 1, "0.01");
        b.Expense(D(2002, 1, 3), 1, "1000000");
        b.DayRecordsFromLines();
        TScreen s;
        Spool(s.report, *s.dialogs, D(2002, 1, 1), D(2002, 1, 31), false, 2);
        const TWorkbook& book = s.Grid().Book();
        QCOMPARE(book.CellDisplayText(5, 3), QString("1,234,567.90"));
        QCOMPARE(book.CellDisplayText(5, 5), QString("234,567.90"));
        QCOMPARE(book.CellDisplayText(6, 5), QString("234,567.90"));
        QCOMPARE(book.CellDisplayText(8, 2), QString("PROFIT MARGIN: 23.46% "));
    }

    void marginText_data()
    {
        QTest::addColumn<QString>("profit");
        QTest::addColumn<QString>("expenses");
        QTest::addColumn<QString>("text");
        QTest::newRow("half") << "50"
                              << "100"
                              << "PROFIT MARGIN: 50.00% ";
        QTest::newRow("loss") << "-100"
                              << "100"
                              << "PROFIT MARGIN: -100.00% ";
        QTest::newRow("thousands") << "25000"
                                   << "100"
                                   << "PROFIT MARGIN: 25,000.00% ";
        QTest::newRow("rounded half away from zero") << "1"
                                                     << "800"
                                                     << "PROFIT MARGIN: 0.13% ";
    }
    void marginText()
    {
        QFETCH(QString, profit);
        QFETCH(QString, expenses);
        QFETCH(QString, text);
        QCOMPARE(TrptIncome::ProfitMarginText(Money::Parse(profit), Money::Parse(expenses)), text);
    }

    // "Taxable" sums only lines flagged "Y", whatever another user of the statements left
    // in their filter.
    void taxableSetOnEveryRun()
    {
        TScreen s(FillBook);
        dmDailySales->qryGetSumSalesByDateRange->ParamByName("iTAXABLE").SetAsString("N");
        dmDailyExpenses->qryGetSumExpensesByDateRange->ParamByName("iTAXABLE").SetAsString("N");
        Spool(s.report, *s.dialogs, D(2002, 1, 1), D(2002, 1, 31), true, 0);
        QCOMPARE(s.Grid().GetCellNumber(9, 3), 210.0);
        QCOMPARE(s.Grid().GetCellNumber(9, 4), 100.0);
    }

    // More weeks than the sheet has rows: refused with a message before anything is
    // written. 1 January 1900 to 31 December 9999 is 2,958,463 days later: 422,638 weeks,
    // two rows above them, the totals row, a blank row and the margin.
    void rangeTooLongForTheSheet()
    {
        TReportBook b;
        TScreen s;
        s.report.EdStartDate->setDate(D(1900, 1, 1));
        s.report.edEndDate->setDate(D(9999, 12, 31));
        s.report.rgGroupBy->SetItemIndex(1);
        Click(s.report.btnSpool);
        QCOMPARE(s.dialogs->MessageTexts(), QStringList {"This report would need 422645 rows, and a sheet holds at "
                                                         "most 65536. Please choose a shorter date range."});
        QCOMPARE(s.Grid().Book().LastRow(), 0);
    }

    void parametersPage()
    {
        TReportBook b;
        TScreen s;
        QCOMPARE(s.report.windowTitle(), QString("Profit and Loss Report"));
        QVERIFY(!s.report.findChild<TRadioGroup*>("rgReportType"));
        QCOMPARE(s.report.rgGroupBy->Item(2)->text(), QString("Month"));
        ShotWide(s.report, "profit-loss-parameters");
    }
};

QTEST_MAIN(TestProfitLoss)
#include "tst_ProfitLoss.moc"
