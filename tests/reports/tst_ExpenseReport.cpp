// The expense report: its three layouts laid out cell by cell on a small book, the block
// of the 251st expense, the empty and reversed ranges, the taxable choice and the saved
// workbook.
#include "ReportSheet.h"
#include "frm_ExpenseReport.h"
#include "sql_DailyExpenses.h"

using namespace ReportTest;

namespace {
const QString January = "FROM 1 JANUARY 2002 TO 31 JANUARY 2002";

// RENT (1), WAGES (2) and POWER (3) in January and February 2002; 1 January was a Tuesday.
void FillBook(TReportBook& b)
{
    b.Expense(D(2002, 1, 7), 1, "100", "Y", "R1");
    b.Expense(D(2002, 1, 7), 1, "50", "Y", "R1");  // same expense, day and reference: one row
    b.Expense(D(2002, 1, 7), 3, "20.25", "N", "P1");
    b.Expense(D(2002, 1, 9), 2, "1234567.89", "Y");
    b.Expense(D(2002, 1, 15), 1, "10", "Y", "R2");
    b.Expense(D(2002, 2, 2), 2, "5", "Y");
}

using TScreen = TReportScreen<TfrmExpenseReport>;

// The cells of one export row; a line without a reference leaves its cell empty.
QStringList ExportLine(int row, int day, const QString& expense, const QString& amount, const QString& taxable,
                       const QString& reference)
{
    const QString r = QString::number(row);
    QStringList cells {"B" + r + ' ' + QString::number(day), "C" + r + " '" + expense + "'", "D" + r + ' ' + amount,
                       "E" + r + " '" + taxable + "'"};
    if (!reference.isEmpty())
        cells << "F" + r + " '" + reference + "'";
    return cells;
}

// The whole export: its title, the heading row and the rows given.
QStringList Export(const QString& range, const QList<QStringList>& rows)
{
    QStringList cells {"B2 'EXPENSE EXPORT " + range + "'",
                       "B4 'DATE'",
                       "C4 'EXPENSE'",
                       "D4 'AMOUNT'",
                       "E4 'TAXABLE'",
                       "F4 'REFERENCE'"};
    for (const QStringList& row : rows)
        cells << row;
    return cells;
}
}  // namespace

class TestExpenseReport : public QObject {
    Q_OBJECT
private slots:
    void init() { FormatSettings() = TFormatSettings(); }

    void layouts_data()
    {
        AddLayoutColumns<TfrmExpenseReport>();

        QTest::newRow("cross reference by day") << 0 << D(2002, 1, 1) << D(2002, 1, 31) << false << 0
                                                << QStringList {"B2 'EXPENSES REPORT " + January + "'",
                                                                "C4 'POWER'",
                                                                "D4 'RENT'",
                                                                "E4 'WAGES'",
                                                                "F4 'TOTAL'",
                                                                "B5 '07-Jan-2002'",
                                                                "C5 20.25",
                                                                "D5 150",
                                                                "F5 170.25",
                                                                "B6 '09-Jan-2002'",
                                                                "E6 1234567.89",
                                                                "F6 1234567.89",
                                                                "B7 '15-Jan-2002'",
                                                                "D7 10",
                                                                "F7 10",
                                                                "C8 =SUM(C4:C7) 20.25",
                                                                "D8 =SUM(D4:D7) 160",
                                                                "E8 =SUM(E4:E7) 1234567.89",
                                                                "F8 =SUM(F5:F7) 1234748.14"};
        QTest::newRow("cross reference by week, taxable only")
            << 0 << D(2002, 1, 1) << D(2002, 1, 20) << true << 1
            << QStringList {"B2 'EXPENSES REPORT FROM 1 JANUARY 2002 TO 20 JANUARY 2002'",
                            "C4 'RENT'",
                            "D4 'WAGES'",
                            "E4 'TOTAL'",
                            "B5 '01-Jan-2002'",
                            "C5 150",
                            "E5 150",
                            "B6 '08-Jan-2002'",
                            "D6 1234567.89",
                            "E6 1234567.89",
                            "B7 '15-Jan-2002'",
                            "C7 10",
                            "E7 10",
                            "C8 =SUM(C4:C7) 160",
                            "D8 =SUM(D4:D7) 1234567.89",
                            "E8 =SUM(E5:E7) 1234727.89"};
        QTest::newRow("cross reference by month")
            << 0 << D(2001, 12, 15) << D(2002, 2, 10) << false << 2
            << QStringList {"B2 'EXPENSES REPORT FROM 15 DECEMBER 2001 TO 10 FEBRUARY 2002'",
                            "C4 'POWER'",
                            "D4 'RENT'",
                            "E4 'WAGES'",
                            "F4 'TOTAL'",
                            "B5 'Dec 2001'",
                            "F5 0",
                            "B6 'Jan 2002'",
                            "C6 20.25",
                            "D6 160",
                            "E6 1234567.89",
                            "F6 1234748.14",
                            "B7 'Feb 2002'",
                            "E7 5",
                            "F7 5",
                            "C8 =SUM(C4:C7) 20.25",
                            "D8 =SUM(D4:D7) 160",
                            "E8 =SUM(E4:E7) 1234572.89",
                            "F8 =SUM(F5:F7) 1234753.14"};
        QTest::newRow("cross reference by week, no lines: zeros")
            << 0 << D(2002, 3, 1) << D(2002, 3, 14) << false << 1
            << QStringList {"B2 'EXPENSES REPORT FROM 1 MARCH 2002 TO 14 MARCH 2002'",
                            "C4 'TOTAL'",
                            "B5 '01-Mar-2002'",
                            "C5 0",
                            "B6 '08-Mar-2002'",
                            "C6 0",
                            "C7 =SUM(C5:C6) 0"};
        QTest::newRow("cross reference by day, no lines: total 0")
            << 0 << D(2002, 3, 1) << D(2002, 3, 31) << false << 0
            << QStringList {"B2 'EXPENSES REPORT FROM 1 MARCH 2002 TO 31 MARCH 2002'", "C4 'TOTAL'", "C5 0"};
        QTest::newRow("cross reference, start after end: no rows")
            << 0 << D(2002, 1, 20) << D(2002, 1, 15) << false << 1
            << QStringList {"B2 'EXPENSES REPORT FROM 20 JANUARY 2002 TO 15 JANUARY 2002'", "C4 'TOTAL'", "C5 0"};
        QTest::newRow("detail") << 1 << D(2002, 1, 1) << D(2002, 1, 31) << false << 0
                                << QStringList {"B2 'EXPENSE DETAIL REPORT " + January + "'",
                                                "B5 'POWER'",
                                                "B6 '07-Jan-2002'",
                                                "C6 20.25",
                                                "E6 'P1'",
                                                "C7 =SUM(C6:C6) 20.25",
                                                "B9 'RENT'",
                                                "B10 '07-Jan-2002'",
                                                "C10 150",
                                                "E10 'R1'",
                                                "B11 '15-Jan-2002'",
                                                "C11 10",
                                                "E11 'R2'",
                                                "C12 =SUM(C10:C11) 160",
                                                "B14 'WAGES'",
                                                "B15 '09-Jan-2002'",
                                                "C15 1234567.89",
                                                "C16 =SUM(C15:C15) 1234567.89"};
        QTest::newRow("detail, taxable only")
            << 1 << D(2002, 1, 1) << D(2002, 1, 10) << true << 0
            << QStringList {"B2 'EXPENSE DETAIL REPORT FROM 1 JANUARY 2002 TO 10 JANUARY 2002'",
                            "B5 'RENT'",
                            "B6 '07-Jan-2002'",
                            "C6 150",
                            "E6 'R1'",
                            "C7 =SUM(C6:C6) 150",
                            "B9 'WAGES'",
                            "B10 '09-Jan-2002'",
                            "C10 1234567.89",
                            "C11 =SUM(C10:C10) 1234567.89"};
        QTest::newRow("detail, no lines: subtotal 0")
            << 1 << D(2002, 3, 1) << D(2002, 3, 31) << false << 0
            << QStringList {"B2 'EXPENSE DETAIL REPORT FROM 1 MARCH 2002 TO 31 MARCH 2002'", "C4 0"};
        QTest::newRow("export") << 2 << D(2002, 1, 1) << D(2002, 1, 31) << false << 0
                                << Export(January, {ExportLine(5, 37263, "POWER", "20.25", "N", "P1"),
                                                    ExportLine(6, 37263, "RENT", "100", "Y", "R1"),
                                                    ExportLine(7, 37263, "RENT", "50", "Y", "R1"),
                                                    ExportLine(8, 37265, "WAGES", "1234567.89", "Y", ""),
                                                    ExportLine(9, 37271, "RENT", "10", "Y", "R2")});
        QTest::newRow("export, taxable only")
            << 2 << D(2002, 1, 7) << D(2002, 1, 7) << true << 0
            << Export("FROM 7 JANUARY 2002 TO 7 JANUARY 2002",
                      {ExportLine(5, 37263, "RENT", "100", "Y", "R1"), ExportLine(6, 37263, "RENT", "50", "Y", "R1")});
        QTest::newRow("export, start after end") << 2 << D(2002, 1, 31) << D(2002, 1, 1) << false << 0
                                                 << Export("FROM 31 JANUARY 2002 TO 1 JANUARY 2002", {});
    }
    // Save proposes no name.
    void layouts() { CheckLayout<TfrmExpenseReport>(FillBook, QString()); }

    // Widths, page, emphasis, boxes and number formats of each layout.
    void crossReferenceLooks()
    {
        TScreen s(FillBook);
        Spool(s.report, *s.dialogs, D(2002, 1, 1), D(2002, 1, 31), false, 0);
        const TWorkbook& book = s.Grid().Book();
        QCOMPARE(book.ColumnWidth(1), 1000);
        QCOMPARE(book.ColumnWidth(2), 4500);
        QCOMPARE(book.ColumnWidth(253), 4500);
        QVERIFY(book.PrintLandscape());
        QCOMPARE(book.PrintScale(), 90);
        QCOMPARE(book.RowHeight(4), 500);
        QCOMPARE(book.RowHeight(5), 250);
        QVERIFY(s.Format(2, 2).Bold);
        QVERIFY(s.Format(4, 3).Bold && s.Format(4, 3).Wrap);
        QCOMPARE(s.Format(4, 3).HAlign, Sheet::HCentre);
        QVERIFY(s.Format(5, 2).Bold && s.Format(8, 4).Bold && s.Format(6, 6).Bold);
        QVERIFY(!s.Format(5, 3).Bold);
        QCOMPARE(s.Format(6, 6).NumberFormat, Masks::ReportMoney);
        QCOMPARE(s.Format(5, 3).NumberFormat, Masks::ReportMoney);
        QCOMPARE(s.Format(5, 3).Left.Style, Sheet::LineThin);
        QCOMPARE(s.Format(8, 6).Bottom.Style, Sheet::LineThin);
        QCOMPARE(s.Format(8, 7).Left.Style, Sheet::LineNone);
        // Money keeps every digit: no six-digit rounding on the way to the sheet.
        QCOMPARE(book.CellDisplayText(6, 6), QString("1,234,567.89"));
        QCOMPARE(book.CellDisplayText(8, 6), QString("1,234,748.14"));
        // Nothing is formatted beyond the TOTAL column: no pages of empty columns.
        QCOMPARE(book.LastCol(), 6);
        QCOMPARE(PrintedPages(s.report), 1);
        ShotWide(s.report, "expense-report-cross-reference");
    }

    void detailAndExportLook()
    {
        TScreen s(FillBook);
        s.report.rgReportType->SetItemIndex(1);
        Spool(s.report, *s.dialogs, D(2002, 1, 1), D(2002, 1, 8), false, 0);
        const TWorkbook& book = s.Grid().Book();
        QVERIFY(!book.PrintLandscape());
        QCOMPARE((QList<int> {book.ColumnWidth(1), book.ColumnWidth(2), book.ColumnWidth(3), book.ColumnWidth(4),
                              book.ColumnWidth(5)}),
                 (QList<int> {500, 8000, 3000, 500, 8000}));
        // An amount wider than the column, such as the bold subtotal of a million, widens it
        // just enough to show it whole, in whatever fonts this machine has.
        Spool(s.report, *s.dialogs, D(2002, 1, 1), D(2002, 1, 31), false, 0);
        int widest = 3000;
        for (int r = 1; r <= book.LastRow(); ++r)
            if (book.CellValue(r, 3).Kind == TCellValue::Number)
                widest = std::max(widest, WidthNeeded(book, r, 3));
        QCOMPARE(book.ColumnWidth(3), widest);
        QCOMPARE(book.ColumnWidth(2), 8000);
        QVERIFY(s.Format(5, 2).Bold && s.Format(7, 3).Bold && !s.Format(6, 3).Bold);
        QCOMPARE(s.Format(7, 3).Top.Style, Sheet::LineThin);
        QCOMPARE(s.Format(7, 3).Bottom.Style, Sheet::LineDouble);
        QCOMPARE(book.CellDisplayText(16, 3), QString("1,234,567.89"));
        ShotWide(s.report, "expense-report-detail");

        s.report.rgReportType->SetItemIndex(2);
        Spool(s.report, *s.dialogs, D(2002, 1, 1), D(2002, 1, 31), false, 0);
        QCOMPARE((QList<int> {book.ColumnWidth(1), book.ColumnWidth(2), book.ColumnWidth(3), book.ColumnWidth(4),
                              book.ColumnWidth(5), book.ColumnWidth(6)}),
                 (QList<int> {500, 3000, 8000, 3000, 3000, 8000}));
        QVERIFY(s.Format(4, 6).Bold && !s.Format(5, 3).Bold);
        QCOMPARE(book.CellDisplayText(5, 2), QString("07-Jan-2002"));
        QCOMPARE(book.CellDisplayText(8, 4), QString("1,234,567.89"));
        QCOMPARE(s.Format(5, 5).HAlign, Sheet::HLeft);
        QCOMPARE(s.Format(5, 6).HAlign, Sheet::HGeneral);
        ShotWide(s.report, "expense-report-export");
    }

    // The 251st expense starts a second block with its own heading row, totals row and
    // the TOTAL column.
    void secondBlock()
    {
        TReportBook b;
        for (int k = 1; k <= 251; ++k) {
            b.book.Exec(QStringLiteral("INSERT INTO EXPENSE (EXPENSE_ID, EXPENSE_DESCRIPTION, EXPENSE_TYPE_ID, "
                                       "TAXABLE, AMOUNT) VALUES (%1, 'E%2', 1, 'Y', 0)")
                            .arg(100 + k)
                            .arg(k, 3, 10, QChar('0')));
            b.Expense(D(2002, 1, 7), 100 + k, QString::number(k));
        }
        TScreen s;
        Spool(s.report, *s.dialogs, D(2002, 1, 1), D(2002, 1, 31), false, 0);
        const QStringList cells = SheetContents(s.Grid().Book());
        // Block one: 250 headings, amounts and sums, and its label; block two: one expense,
        // its label, and the TOTAL column; and the title.
        QCOMPARE(cells.size(), 1 + 250 * 3 + 1 + 3 + 1 + 3);
        for (const char* cell :
             {"C4 'E001'", "C5 1", "C6 =SUM(C4:C5) 1", "IR4 'E250'", "IR5 250", "IR6 =SUM(IR4:IR5) 250",
              "B5 '07-Jan-2002'", "C9 'E251'", "C10 251", "C11 =SUM(C9:C10) 251", "B10 '07-Jan-2002'", "D9 'TOTAL'",
              "D10 31626", "D11 =SUM(D10:D10) 31626"})
            QVERIFY2(cells.contains(cell), qPrintable(cell));
        QVERIFY(!s.Grid().Book().FindCell(4, 253) || s.Grid().Book().FindCell(4, 253)->Kind == TCell::None);
        QCOMPARE(s.Grid().Book().RowHeight(9), 500);
        QVERIFY(s.Format(11, 3).Bold);
        QCOMPARE(s.Format(9, 3).Top.Style, Sheet::LineThin);
        SaveAndCompare(s.report, *s.dialogs, QString());
    }

    // Lines of one expense on one day follow their line numbers, whatever order they were
    // stored in.
    void exportTiesInLineOrder()
    {
        TReportBook b;
        const int day = DayNumber::FromDate(D(2002, 1, 7));
        for (const char* line : {"5, 1, 50000", "2, 1, 20000", "9, 3, 90000"})
            b.book.Exec(QStringLiteral("INSERT INTO DAILY_EXPENSE (YYYY, MM, TRANSACTION_DATE, DAILY_EXPENSE_ID, "
                                       "EXPENSE_ID, EXPENSE_AMOUNT, TAXABLE) VALUES (2002, 1, %1, %2, 'Y')")
                            .arg(day)
                            .arg(line));
        TScreen s;
        s.report.rgReportType->SetItemIndex(2);
        Spool(s.report, *s.dialogs, D(2002, 1, 7), D(2002, 1, 7), false, 0);
        const QStringList cells = SheetContents(s.Grid().Book());
        QCOMPARE(cells.filter(QRegularExpression("^[CD][5-7] ")),
                 (QStringList {"C5 'POWER'", "D5 9", "C6 'RENT'", "D6 2", "C7 'RENT'", "D7 5"}));
    }

    void taxableSetOnEveryRun()
    {
        CheckTaxableSetOnEveryRun<TfrmExpenseReport>(FillBook, "C4 'POWER'", [] {
            dmDailyExpenses->qryGetDistinctExpensesForPeriod->ParamByName("iTAXABLE").SetAsString("N");
            dmDailyExpenses->qryGetExpensesForPeriod->ParamByName("iTAXABLE").SetAsString("N");
        });
    }

    void parametersPage()
    {
        TReportBook b;
        TScreen s;
        QCOMPARE(s.report.windowTitle(), QString("Expense Report"));
        CheckReportTypeChoice(s.report.rgReportType, s.report.rgGroupBy);
        ShotWide(s.report, "expense-report-parameters");
    }
};

QTEST_MAIN(TestExpenseReport)
#include "tst_ExpenseReport.moc"
