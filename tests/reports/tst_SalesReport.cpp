// The income report: its three layouts laid out cell by cell on a small book, the empty
// and reversed ranges, the limit of items side by side, the taxable choice and the saved
// workbook.
#include "ReportSheet.h"
#include "rpt_SalesReport.h"
#include "sql_DailySales.h"

using namespace ReportTest;

namespace {
const QString January = "FROM 1 JANUARY 2002 TO 31 JANUARY 2002";

// BAR (1), FOOD (2) and ROOMS (3) in January and February 2002; 1 January was a Tuesday.
void FillBook(TReportBook& b)
{
    b.Income(D(2002, 1, 1), 1, "100");
    b.Income(D(2002, 1, 1), 1, "50");  // same item and day: one cell, one detail row
    b.Income(D(2002, 1, 3), 2, "30", "N");
    b.Income(D(2002, 1, 9), 3, "200");
    b.Income(D(2002, 1, 14), 1, "25.5");
    b.Income(D(2002, 2, 5), 3, "10");
}

using TScreen = TReportScreen<TrptSalesReport>;

// The cells of one export row.
QStringList ExportLine(int row, int day, const QString& item, const QString& amount, const QString& taxable)
{
    const QString r = QString::number(row);
    return {"B" + r + ' ' + QString::number(day), "C" + r + " '" + item + "'", "D" + r + ' ' + amount,
            "E" + r + " '" + taxable + "'"};
}

// The whole export: its title, the heading row and the rows given.
QStringList Export(const QString& range, const QList<QStringList>& rows)
{
    QStringList cells {"B2 'INCOME EXPORT " + range + "'", "B4 'DATE'", "C4 'INCOME'", "D4 'AMOUNT'", "E4 'TAXABLE'"};
    for (const QStringList& row : rows)
        cells << row;
    return cells;
}

// Income items 101.. named I001.. with one line each on 7 January 2002, of 1, 2, 3...
void ManyItems(TReportBook& b, int count)
{
    for (int k = 1; k <= count; ++k) {
        b.book.Exec(QStringLiteral("INSERT INTO SALES (SALES_ID, SALES_DESCRIPTION, TAXABLE, AMOUNT) "
                                   "VALUES (%1, 'I%2', 'Y', 0)")
                        .arg(100 + k)
                        .arg(k, 3, 10, QChar('0')));
        b.Income(D(2002, 1, 7), 100 + k, QString::number(k));
    }
}
}  // namespace

class TestSalesReport : public QObject {
    Q_OBJECT
private slots:
    void init() { FormatSettings() = TFormatSettings(); }

    void layouts_data()
    {
        AddLayoutColumns<TrptSalesReport>();

        QTest::newRow("cross reference by week")
            << 0 << D(2002, 1, 1) << D(2002, 1, 14) << false << 1
            << QStringList {"B2 'INCOME REPORT FROM 1 JANUARY 2002 TO 14 JANUARY 2002'",
                            "B4 'WEEK STARTING'",
                            "C4 'BAR'",
                            "D4 'FOOD'",
                            "E4 'ROOMS'",
                            "F4 'TOTAL'",
                            "B5 '01-Jan-2002'",
                            "C5 150",
                            "D5 30",
                            "F5 =SUM(C5:E5) 180",
                            "B6 '08-Jan-2002'",
                            "C6 25.5",
                            "E6 200",
                            "F6 =SUM(C6:E6) 225.5",
                            "C7 =SUM(C4:C6) 175.5",
                            "D7 =SUM(D4:D6) 30",
                            "E7 =SUM(E4:E6) 200",
                            "F7 =SUM(F4:F6) 405.5"};
        QTest::newRow("cross reference by day, taxable only") << 0 << D(2002, 1, 1) << D(2002, 1, 31) << true << 0
                                                              << QStringList {"B2 'INCOME REPORT " + January + "'",
                                                                              "C4 'BAR'",
                                                                              "D4 'ROOMS'",
                                                                              "E4 'TOTAL'",
                                                                              "B5 '01-Jan-2002'",
                                                                              "C5 150",
                                                                              "E5 =SUM(C5:D5) 150",
                                                                              "B6 '09-Jan-2002'",
                                                                              "D6 200",
                                                                              "E6 =SUM(C6:D6) 200",
                                                                              "B7 '14-Jan-2002'",
                                                                              "C7 25.5",
                                                                              "E7 =SUM(C7:D7) 25.5",
                                                                              "C8 =SUM(C4:C7) 175.5",
                                                                              "D8 =SUM(D4:D7) 200",
                                                                              "E8 =SUM(E4:E7) 375.5"};
        QTest::newRow("cross reference by month")
            << 0 << D(2001, 12, 15) << D(2002, 2, 10) << false << 2
            << QStringList {"B2 'INCOME REPORT FROM 15 DECEMBER 2001 TO 10 FEBRUARY 2002'",
                            "C4 'BAR'",
                            "D4 'FOOD'",
                            "E4 'ROOMS'",
                            "F4 'TOTAL'",
                            "B5 'Dec 2001'",
                            "F5 =SUM(C5:E5) 0",
                            "B6 'Jan 2002'",
                            "C6 175.5",
                            "D6 30",
                            "E6 200",
                            "F6 =SUM(C6:E6) 405.5",
                            "B7 'Feb 2002'",
                            "E7 10",
                            "F7 =SUM(C7:E7) 10",
                            "C8 =SUM(C4:C7) 175.5",
                            "D8 =SUM(D4:D7) 30",
                            "E8 =SUM(E4:E7) 210",
                            "F8 =SUM(F4:F7) 415.5"};
        QTest::newRow("cross reference by week, no lines: zeros")
            << 0 << D(2002, 3, 1) << D(2002, 3, 14) << false << 1
            << QStringList {"B2 'INCOME REPORT FROM 1 MARCH 2002 TO 14 MARCH 2002'",
                            "B4 'WEEK STARTING'",
                            "C4 'TOTAL'",
                            "B5 '01-Mar-2002'",
                            "C5 0",
                            "B6 '08-Mar-2002'",
                            "C6 0",
                            "C7 =SUM(C4:C6) 0"};
        QTest::newRow("cross reference by day, no lines: the sum over the heading")
            << 0 << D(2002, 3, 1) << D(2002, 3, 31) << false << 0
            << QStringList {"B2 'INCOME REPORT FROM 1 MARCH 2002 TO 31 MARCH 2002'", "C4 'TOTAL'", "C5 =SUM(C4:C4) 0"};
        QTest::newRow("cross reference, start after end: no rows")
            << 0 << D(2002, 1, 31) << D(2002, 1, 1) << false << 2
            << QStringList {"B2 'INCOME REPORT FROM 31 JANUARY 2002 TO 1 JANUARY 2002'", "C4 'TOTAL'", "C5 =SUM(C4:C4) 0"};
        QTest::newRow("detail") << 1 << D(2002, 1, 1) << D(2002, 1, 31) << false << 0
                                << QStringList {"B2 'INCOME DETAIL REPORT " + January + "'",
                                                "B5 'BAR'",
                                                "B6 '01-Jan-2002'",
                                                "C6 150",
                                                "B7 '14-Jan-2002'",
                                                "C7 25.5",
                                                "C8 =SUM(C6:C7) 175.5",
                                                "B10 'FOOD'",
                                                "B11 '03-Jan-2002'",
                                                "C11 30",
                                                "C12 =SUM(C11:C11) 30",
                                                "B14 'ROOMS'",
                                                "B15 '09-Jan-2002'",
                                                "C15 200",
                                                "C16 =SUM(C15:C15) 200"};
        QTest::newRow("detail, taxable only")
            << 1 << D(2002, 1, 1) << D(2002, 1, 5) << true << 0
            << QStringList {"B2 'INCOME DETAIL REPORT FROM 1 JANUARY 2002 TO 5 JANUARY 2002'", "B5 'BAR'",
                            "B6 '01-Jan-2002'", "C6 150", "C7 =SUM(C6:C6) 150"};
        QTest::newRow("detail, no lines: subtotal 0")
            << 1 << D(2002, 3, 1) << D(2002, 3, 31) << false << 0
            << QStringList {"B2 'INCOME DETAIL REPORT FROM 1 MARCH 2002 TO 31 MARCH 2002'", "C4 0"};
        QTest::newRow("export") << 2 << D(2002, 1, 1) << D(2002, 1, 31) << false << 0
                                << Export(January, {ExportLine(5, 37257, "BAR", "100", "Y"),
                                                    ExportLine(6, 37257, "BAR", "50", "Y"),
                                                    ExportLine(7, 37259, "FOOD", "30", "N"),
                                                    ExportLine(8, 37265, "ROOMS", "200", "Y"),
                                                    ExportLine(9, 37270, "BAR", "25.5", "Y")});
        QTest::newRow("export, taxable only")
            << 2 << D(2002, 1, 2) << D(2002, 1, 10) << true << 0
            << Export("FROM 2 JANUARY 2002 TO 10 JANUARY 2002", {ExportLine(5, 37265, "ROOMS", "200", "Y")});
    }
    // Save proposes "Income".
    void layouts() { CheckLayout<TrptSalesReport>(FillBook, "Income"); }

    void crossReferenceLooks()
    {
        TScreen s(FillBook);
        Spool(s.report, *s.dialogs, D(2002, 1, 1), D(2002, 1, 14), false, 1);
        const TWorkbook& book = s.Grid().Book();
        QCOMPARE(book.ColumnWidth(1), 500);
        QCOMPARE((QList<int> {book.ColumnWidth(2), book.ColumnWidth(6)}), (QList<int> {3500, 3500}));
        QCOMPARE(book.ColumnWidth(7), Sheet::DefaultColumnWidth);
        QVERIFY(book.PrintLandscape());
        QCOMPARE(book.PrintScale(), 90);
        QCOMPARE(book.RowHeight(4), 500);
        QVERIFY(s.Format(4, 2).Bold && s.Format(4, 6).Bold && s.Format(4, 3).Wrap);
        QCOMPARE(s.Format(4, 4).HAlign, Sheet::HCentre);
        QVERIFY(s.Format(5, 2).Bold && s.Format(5, 6).Bold && s.Format(7, 3).Bold);
        QVERIFY(!s.Format(5, 3).Bold);
        QCOMPARE(s.Format(5, 3).NumberFormat, Masks::ReportMoney);
        QCOMPARE(s.Format(4, 3).NumberFormat, QString("General"));
        QCOMPARE(s.Format(7, 6).Right.Style, Sheet::LineThin);
        QCOMPARE(book.CellDisplayText(7, 6), QString("405.50"));
        QCOMPARE(PrintedPages(s.report), 1);
        ShotWide(s.report, "income-report-cross-reference");
    }

    void detailAndExportLook()
    {
        TScreen s(FillBook);
        s.report.rgReportType->SetItemIndex(1);
        Spool(s.report, *s.dialogs, D(2002, 1, 1), D(2002, 1, 31), false, 0);
        const TWorkbook& book = s.Grid().Book();
        QVERIFY(!book.PrintLandscape());
        QCOMPARE(book.RowHeight(4), 250);
        QCOMPARE((QList<int> {book.ColumnWidth(1), book.ColumnWidth(2), book.ColumnWidth(3), book.ColumnWidth(4),
                              book.ColumnWidth(5)}),
                 (QList<int> {500, 8000, 3000, 500, 8000}));
        QVERIFY(s.Format(5, 2).Bold && s.Format(8, 3).Bold && !s.Format(6, 3).Bold);
        QCOMPARE(s.Format(8, 3).Bottom.Style, Sheet::LineDouble);
        QCOMPARE(book.CellDisplayText(8, 3), QString("175.50"));
        ShotWide(s.report, "income-report-detail");

        s.report.rgReportType->SetItemIndex(2);
        Spool(s.report, *s.dialogs, D(2002, 1, 1), D(2002, 1, 31), false, 0);
        QVERIFY(s.Format(4, 5).Bold && !s.Format(4, 6).Bold);
        QCOMPARE(book.CellDisplayText(5, 2), QString("01-Jan-2002"));
        QCOMPARE(book.CellDisplayText(9, 4), QString("25.50"));
        ShotWide(s.report, "income-report-export");
    }

    // 253 items fill the sheet up to its last column with the TOTAL column; one more is
    // refused with a message, before anything is written.
    void itemsSideBySide_data()
    {
        QTest::addColumn<int>("items");
        QTest::addColumn<bool>("fits");
        QTest::newRow("253 fit") << 253 << true;
        QTest::newRow("254 do not") << 254 << false;
    }
    void itemsSideBySide()
    {
        QFETCH(int, items);
        QFETCH(bool, fits);
        TScreen s([items](TReportBook& b) { ManyItems(b, items); });
        s.report.EdStartDate->setDate(D(2002, 1, 1));
        s.report.edEndDate->setDate(D(2002, 1, 31));
        Click(s.report.btnSpool);
        const TWorkbook& book = s.Grid().Book();
        if (fits) {
            QCOMPARE(s.dialogs->MessageTexts(), QStringList());
            const QStringList cells = SheetContents(book);
            for (const char* cell : {"C4 'I001'", "IU4 'I253'", "IV4 'TOTAL'", "IU5 253", "IV5 =SUM(C5:IU5) 32131",
                                     "IV6 =SUM(IV4:IV5) 32131"})
                QVERIFY2(cells.contains(cell), qPrintable(cell));
        } else {
            QCOMPARE(s.dialogs->MessageTexts(),
                     QStringList {"The range has 254 income items, and this report has room for at most 253 side "
                                  "by side (a sheet has 256 columns). Please choose a shorter date range."});
            QCOMPARE(book.LastRow(), 0);
        }
    }

    // Items stand in description order, not in the order of their ids, in the cross
    // reference and in the detail alike.
    void itemsInDescriptionOrder()
    {
        TReportBook b;
        FillBook(b);
        b.book.Exec("UPDATE SALES SET SALES_DESCRIPTION = 'WINE' WHERE SALES_ID = 1");
        TScreen s;
        auto texts = [&](const QStringList& names) {
            QStringList found;
            for (const QString& name : names)
                for (const QString& cell : SheetContents(s.Grid().Book()))
                    if (cell.startsWith(name + ' '))
                        found << cell;
            return found;
        };
        Spool(s.report, *s.dialogs, D(2002, 1, 1), D(2002, 1, 31), false, 0);
        QCOMPARE(texts({"C4", "D4", "E4"}), (QStringList {"C4 'FOOD'", "D4 'ROOMS'", "E4 'WINE'"}));
        s.report.rgReportType->SetItemIndex(1);
        Spool(s.report, *s.dialogs, D(2002, 1, 1), D(2002, 1, 31), false, 0);
        QCOMPARE(texts({"B5", "B9", "B13"}), (QStringList {"B5 'FOOD'", "B9 'ROOMS'", "B13 'WINE'"}));
    }

    void taxableSetOnEveryRun()
    {
        CheckTaxableSetOnEveryRun<TrptSalesReport>(FillBook, "D4 'FOOD'", [] {
            dmDailySales->qryGetDistinctSalesForPeriod->ParamByName("iTAXABLE").SetAsString("N");
            dmDailySales->qryGetSalesForPeriod->ParamByName("iTAXABLE").SetAsString("N");
        });
    }

    void parametersPage()
    {
        TReportBook b;
        TScreen s;
        QCOMPARE(s.report.windowTitle(), QString("Income Report"));
        CheckReportTypeChoice(s.report.rgReportType, s.report.rgGroupBy);
    }
};

QTEST_MAIN(TestSalesReport)
#include "tst_SalesReport.moc"
