// The grid view TF1Book: headings, selection, grid lines, copying, and printing to PDF
// through the same code the printer uses.
#include "Dialogs.h"
#include "F1Book.h"
#include "Formats.h"
#include "SheetPainter.h"
#include <QApplication>
#include <QClipboard>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString MoneyMask = QStringLiteral("#,##0.00;(#,##0.00)");

// A small report: title, boxed headings, amounts with totals, day numbers as dates,
// and `lines` data rows.
void FillReport(TF1Book& grid, int lines)
{
    grid.SetRowHeights(1, grid.MaxRow(), 250, false);
    grid.SetColumnWidth(1, 500);
    grid.SetColumnWidth(2, 4500);
    grid.SetColumnWidth(3, 3000);
    grid.SetColumnWidth(4, 3000);
    grid.SetColumnWidth(5, 3000);
    grid.SetCellText(2, 2, "EXPENSES REPORT FROM 1 JANUARY 2002 TO 31 JANUARY 2002");
    grid.SelectRange(2, 2, 2, 2);
    grid.SetCellFont("Arial", 10, true, false, false, false, 0, false, false);
    grid.SetRowHeights(4, 4, 500, false);
    grid.SetCellText(4, 2, "DATE");
    grid.SetCellText(4, 3, "RENT");
    grid.SetCellText(4, 4, "POWER");
    grid.SetCellText(4, 5, "TOTAL");
    grid.SelectRange(4, 2, 4, 5);
    grid.SetCellAlignment(3, true, 1, 0);
    grid.SetCellFont("Arial", 10, true, false, false, false, 0, false, false);
    for (int i = 0; i < lines; ++i) {
        const int r = 5 + i;
        grid.SetCellNumber(r, 2, 37263 + i);
        grid.SetCellNumber(r, 3, i == 1 ? -35.5 : 1000 + i);
        grid.SetCellNumber(r, 4, 245.25);
        grid.SetCellFormula(r, 5, QStringLiteral("SUM(C%1:D%1)").arg(r));
    }
    const int t = 5 + lines;
    for (int c = 3; c <= 5; ++c)
        grid.SetCellFormula(t, c, QStringLiteral("SUM(%1%2:%1%3)").arg(grid.GetColumnHeading(c)).arg(4).arg(t - 1));
    grid.SelectRange(4, 2, t, 5);
    grid.SetCellBorders(1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0);
    grid.SelectRange(5, 3, t, 5);
    grid.SetNumberFormat(MoneyMask);
    grid.SelectRange(5, 2, t, 2);
    grid.ApplyDateFormat();
    grid.SelectRange(1, 1, 1, 1);
}

int CountColour(const QImage& image, const QRect& area, QRgb colour)
{
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if ((image.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF))
                ++n;
    return n;
}

int CountDark(const QImage& image, const QRect& area)
{
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (qGray(image.pixel(x, y)) < 80)
                ++n;
    return n;
}

// Test answers to the printer question: print to a PDF file, or cancel.
class TPdfDialogs : public TDialogs {
public:
    TPdfDialogs(QString file, bool accept) : m_file(std::move(file)), m_accept(accept) { }
    int MessageDlg(const QString&, TMsgDlgType, TMsgDlgButtons) override { return mrOk; }
    QString SaveFileName(QWidget*, const QString&, const QString&, const QString&, const QString&) override
    {
        return {};
    }
    bool ChoosePrinter(QPrinter& printer, QWidget*) override
    {
        ++Asked;
        if (!m_accept)
            return false;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(m_file);
        return true;
    }
    static inline int Asked = 0;

private:
    QString m_file;
    bool m_accept;
};

QString PdfToText(const QString& pdf)
{
    QProcess p;
    p.start("pdftotext", {"-layout", pdf, "-"});
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return {};
    return QString::fromUtf8(p.readAllStandardOutput());
}

// Page count and page shape from the PDF's own objects, without any tool.
int PdfPageCount(const QByteArray& pdf)
{
    return int(pdf.count("/Type /Page\n") + pdf.count("/Type /Page ") + pdf.count("/Type /Page/")
               + pdf.count("/Type /Page>"));
}

bool PdfIsLandscape(const QByteArray& pdf)
{
    const QRegularExpression box(R"(/MediaBox \[\s*0 0 ([\d.]+) ([\d.]+)\s*\])");
    const auto m = box.match(QString::fromLatin1(pdf));
    return m.hasMatch() && m.captured(1).toDouble() > m.captured(2).toDouble();
}

}  // namespace

class TstF1Book : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void headingsSelectColumnsRowsAndAll();
    void mouseAndKeyboardSelection();
    void gridLinesSwitch();
    void bordersAreDrawnWithoutGridLines();
    void copySelectionAsTabSeparatedText();
    void shownTextInCopyAndPrint_data();
    void shownTextInCopyAndPrint();
    void scrollsToFarCells();
    void pagePlanFollowsScaling();
    void printsToPdf();
    void printedTextMatchesSheet();
    void printSheetAsksForPrinter();
    void emptySheetHasNothingToPrint();

private:
    QTemporaryDir m_dir;
};

void TstF1Book::initTestCase()
{
    QVERIFY(m_dir.isValid());
    FormatSettings().ShortDateFormat = "dd-mmm-yyyy";
}

void TstF1Book::headingsSelectColumnsRowsAndAll()
{
    TF1Book grid;
    grid.resize(600, 400);
    grid.show();
    QCOMPARE(grid.GetColumnHeading(27), QString("AA"));
    QCOMPARE(grid.GetColumnHeading(703), QString("AAA"));
    QCOMPARE(grid.MaxRow(), 65536);
    QCOMPARE(grid.MaxCol(), 256);
    QWidget* vp = grid.viewport();
    const QRect c3 = grid.CellRect(1, 3);
    // Column heading strip above the cells, row numbers left of them.
    QVERIFY(c3.top() >= grid.HeaderHeight() - 1);
    QCOMPARE(grid.CellAt(QPoint(c3.center().x(), grid.HeaderHeight() / 2)), qMakePair(0, 3));
    QTest::mouseClick(vp, Qt::LeftButton, {}, QPoint(c3.center().x(), grid.HeaderHeight() / 2));
    QCOMPARE(grid.Book().Selection(), (TCellRange {1, 3, 65536, 3}));
    const QRect r5 = grid.CellRect(5, 1);
    QTest::mouseClick(vp, Qt::LeftButton, {}, QPoint(grid.HeaderWidth() / 2, r5.center().y()));
    QCOMPARE(grid.Book().Selection(), (TCellRange {5, 1, 5, 256}));
    QTest::mouseClick(vp, Qt::LeftButton, {}, QPoint(2, 2));
    QCOMPARE(grid.Book().Selection(), (TCellRange {1, 1, 65536, 256}));
}

void TstF1Book::mouseAndKeyboardSelection()
{
    TF1Book grid;
    grid.resize(600, 400);
    grid.show();
    QWidget* vp = grid.viewport();
    QTest::mousePress(vp, Qt::LeftButton, {}, grid.CellRect(2, 2).center());
    QTest::mouseMove(vp, grid.CellRect(4, 3).center());
    QTest::mouseRelease(vp, Qt::LeftButton, {}, grid.CellRect(4, 3).center());
    QCOMPARE(grid.Book().Selection(), (TCellRange {2, 2, 4, 3}));
    QTest::keyClick(&grid, Qt::Key_Down);
    QCOMPARE(grid.Book().Selection(), (TCellRange {5, 3, 5, 3}));
    QTest::keyClick(&grid, Qt::Key_Right, Qt::ShiftModifier);
    QTest::keyClick(&grid, Qt::Key_Down, Qt::ShiftModifier);
    QCOMPARE(grid.Book().Selection(), (TCellRange {5, 3, 6, 4}));
    QTest::keyClick(&grid, Qt::Key_Left);
    QTest::keyClick(&grid, Qt::Key_Left);
    QTest::keyClick(&grid, Qt::Key_Left);
    QTest::keyClick(&grid, Qt::Key_Left);
    QCOMPARE(grid.Book().Selection(), (TCellRange {6, 1, 6, 1}));
    // A range set by a caller is where the keyboard carries on from.
    grid.SelectRange(10, 5, 12, 6);
    QTest::keyClick(&grid, Qt::Key_Up);
    QCOMPARE(grid.Book().Selection(), (TCellRange {9, 5, 9, 5}));
}

void TstF1Book::gridLinesSwitch()
{
    TF1Book grid;
    grid.resize(500, 300);
    grid.SelectRange(20, 20, 20, 20);  // keep the selection frame out of the picture
    const QRect cells(grid.HeaderWidth() + 2, grid.HeaderHeight() + 2, 200, 100);
    const QRgb gridColour = qRgb(0xD4, 0xD4, 0xD4);
    const int withLines = CountColour(grid.grab().toImage(), cells, gridColour);
    QVERIFY2(withLines > 200, qPrintable(QString::number(withLines)));
    grid.SetShowGridLines(false);
    QVERIFY(!grid.ShowGridLines());
    QCOMPARE(CountColour(grid.grab().toImage(), cells, gridColour), 0);
}

void TstF1Book::bordersAreDrawnWithoutGridLines()
{
    TF1Book grid;
    grid.resize(500, 300);
    grid.SetShowGridLines(false);
    grid.SelectRange(20, 20, 20, 20);
    const QRect cell = grid.CellRect(3, 3);
    const QRect around = cell.adjusted(-3, -3, 3, 3);
    QCOMPARE(CountDark(grid.grab().toImage(), around), 0);
    grid.SelectRange(3, 3, 3, 3);
    grid.SetCellBorders(1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0);
    grid.SelectRange(20, 20, 20, 20);
    // A thin box: at least the cell's perimeter in dark pixels.
    QVERIFY(CountDark(grid.grab().toImage(), around) >= 2 * (cell.width() + cell.height()) - 8);
}

void TstF1Book::copySelectionAsTabSeparatedText()
{
    TF1Book grid;
    FillReport(grid, 3);
    grid.SelectRange(4, 2, 6, 5);
    grid.CopyToClipboard();
    QCOMPARE(QApplication::clipboard()->text(), QString("DATE\tRENT\tPOWER\tTOTAL\n"
                                                        "07-Jan-2002\t1,000.00\t245.25\t1,245.25\n"
                                                        "08-Jan-2002\t(35.50)\t245.25\t209.75\n"));
    // Ctrl+C does the same; a whole-column selection stops at the last used row.
    QApplication::clipboard()->clear();
    grid.SelectRange(1, 5, grid.MaxRow(), 5);
    grid.show();
    QTest::keyClick(&grid, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QApplication::clipboard()->text(), QString("\n\n\nTOTAL\n1,245.25\n209.75\n1,247.25\n2,702.25\n"));
}

void TstF1Book::shownTextInCopyAndPrint_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("content");  // a number, or a formula after '='
    QTest::addColumn<QString>("shown");
    QTest::newRow("percent two places") << "0.00%"
                                        << "0.125"
                                        << "12.50%";
    QTest::newRow("percent whole") << "0%"
                                   << "0.5"
                                   << "50%";
    QTest::newRow("percent mask of the ledger") << "##0.00%"
                                                << "0.125"
                                                << "12.50%";
    QTest::newRow("percent of a formula") << "0.0%"
                                          << "=1/8"
                                          << "12.5%";
    QTest::newRow("money beside a percent") << MoneyMask << "-1234.5"
                                            << "(1,234.50)";
    QTest::newRow("cell reads itself") << "0.00%"
                                       << "=B2+1"
                                       << "#REF!";
    QTest::newRow("sum over its own cell") << MoneyMask << "=SUM(A2:B2)"
                                           << "#REF!";
    QTest::newRow("reads a loop") << "General"
                                  << "=C2*2"
                                  << "#REF!";
}

void TstF1Book::shownTextInCopyAndPrint()
{
    if (QStandardPaths::findExecutable("pdftotext").isEmpty())
        QFAIL("pdftotext is needed to read the printed pages (Debian package poppler-utils)");
    QFETCH(QString, format);
    QFETCH(QString, content);
    QFETCH(QString, shown);
    TF1Book grid;
    grid.SetColumnWidth(1, 4000);
    grid.SetColumnWidth(2, 4000);
    grid.SetCellText(2, 1, "Margin");
    // C2 and D2 read each other; only the last row reads them.
    grid.SetCellFormula(2, 3, "D2");
    grid.SetCellFormula(2, 4, "C2");
    grid.SelectRange(2, 2, 2, 2);
    grid.SetNumberFormat(format);
    if (content.startsWith('='))
        grid.SetCellFormula(2, 2, content);
    else
        grid.SetCellNumber(2, 2, content.toDouble());
    grid.SelectRange(2, 1, 2, 2);
    grid.CopyToClipboard();
    QCOMPARE(QApplication::clipboard()->text(), "Margin\t" + shown + "\n");
    // On paper, through the painter the screen uses.
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    const QString file = m_dir.filePath("shown.pdf");
    printer.setOutputFileName(file);
    QCOMPARE(grid.PrintTo(printer), 1);
    const QString printed = PdfToText(file).simplified();
    QVERIFY2(printed.startsWith("Margin " + shown + " "), qPrintable(printed));
}

void TstF1Book::scrollsToFarCells()
{
    TF1Book grid;
    grid.resize(500, 300);
    grid.show();
    for (int r = 1; r <= 2000; ++r)
        grid.SetCellNumber(r, 1, r);
    QCoreApplication::processEvents();
    grid.ScrollToCell(1500, 1);
    const QRect r1500 = grid.CellRect(1500, 1);
    QVERIFY(grid.viewport()->rect().contains(r1500));
    QVERIFY(grid.verticalScrollBar()->value() > 0);
    QCOMPARE(grid.CellAt(r1500.center()), qMakePair(1500, 1));
    // The scroll range covers the used rows, not all 65536.
    QVERIFY(grid.verticalScrollBar()->maximum() < grid.Book().RowTopPt(2100) * grid.logicalDpiY() / 72.0);
}

void TstF1Book::pagePlanFollowsScaling()
{
    TF1Book grid;
    FillReport(grid, 200);
    const double pageW = 700, pageH = 480;  // landscape A4 inside margins, in points
    const SheetPainter::TPagePlan full = SheetPainter::PlanPages(grid.Book(), pageW, pageH);
    grid.SetPrintScaling(90, false, 1, 1);
    const SheetPainter::TPagePlan scaled = SheetPainter::PlanPages(grid.Book(), pageW, pageH);
    QCOMPARE(full.Scale, 1.0);
    QCOMPARE(scaled.Scale, 0.9);
    // 12.5 pt rows: 38 rows to a page at full size (the heading row is double), more at 90%.
    QCOMPARE(full.RowBands.front(), qMakePair(1, 37));
    QVERIFY(scaled.RowBands.front().second > full.RowBands.front().second);
    QVERIFY(scaled.RowBands.size() < full.RowBands.size());
    QCOMPARE(full.RowBands.back().second, 205);
    QCOMPARE(full.ColumnBands.size(), size_t(1));
    grid.SetPrintScaling(100, true, 1, 1);
    const SheetPainter::TPagePlan fit = SheetPainter::PlanPages(grid.Book(), pageW, pageH);
    QCOMPARE(fit.PageCount(), 1);
    QVERIFY(fit.Scale < 0.2);
}

void TstF1Book::printsToPdf()
{
    TF1Book grid;
    FillReport(grid, 100);
    grid.SetPrintLandscape(true);
    grid.SetPrintScaling(90, false, 1, 1);
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    const QString file = m_dir.filePath("report.pdf");
    printer.setOutputFileName(file);
    const int pages = grid.PrintTo(printer);
    QFile f(file);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray pdf = f.readAll();
    QVERIFY(pages >= 2);
    QCOMPARE(PdfPageCount(pdf), pages);
    QVERIFY(PdfIsLandscape(pdf));
    grid.SetPrintLandscape(false);
    // Portrait pages hold more rows of this narrow sheet.
    QVERIFY(grid.PrintTo(printer) < pages);
    f.close();
    QVERIFY(f.open(QIODevice::ReadOnly));
    QVERIFY(!PdfIsLandscape(f.readAll()));
}

void TstF1Book::printedTextMatchesSheet()
{
    if (QStandardPaths::findExecutable("pdftotext").isEmpty())
        QFAIL("pdftotext is needed to read the printed pages (Debian package poppler-utils)");
    TF1Book grid;
    FillReport(grid, 60);
    grid.SetPrintLandscape(true);
    grid.SetPrintScaling(90, false, 1, 1);
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    const QString file = m_dir.filePath("text.pdf");
    printer.setOutputFileName(file);
    const int pages = grid.PrintTo(printer);
    const QStringList pageTexts = PdfToText(file).split(QLatin1Char('\f'), Qt::SkipEmptyParts);
    QCOMPARE(pageTexts.size(), pages);
    const SheetPainter::TPagePlan plan = SheetPainter::PlanPages(
        grid.Book(), printer.width() * 72.0 / printer.logicalDpiX(), printer.height() * 72.0 / printer.logicalDpiY());
    QCOMPARE(plan.PageCount(), pages);
    // Each row of the sheet is printed on the page its band falls on, with the texts
    // the grid shows.
    const QString simplified0 = pageTexts[0].simplified();
    QVERIFY(simplified0.contains("EXPENSES REPORT FROM 1 JANUARY 2002 TO 31 JANUARY 2002"));
    QVERIFY(simplified0.contains("DATE RENT POWER TOTAL"));
    QVERIFY(simplified0.contains("07-Jan-2002 1,000.00 245.25 1,245.25"));
    QVERIFY(simplified0.contains("08-Jan-2002 (35.50) 245.25 209.75"));
    for (int p = 0; p < pages; ++p) {
        const auto [first, last] = plan.RowBands[size_t(p)];
        const QString text = pageTexts[p].simplified();
        for (int r = std::max(5, first); r <= std::min(last, 64); ++r) {
            const QString line = QStringList {grid.Book().CellDisplayText(r, 2), grid.Book().CellDisplayText(r, 3),
                                              grid.Book().CellDisplayText(r, 4), grid.Book().CellDisplayText(r, 5)}
                                     .join(' ');
            QVERIFY2(text.contains(line), qPrintable(QString("page %1 lacks row %2: %3").arg(p + 1).arg(r).arg(line)));
        }
    }
    const QString last = pageTexts.last().simplified();
    QVERIFY(last.contains(grid.Book().CellDisplayText(65, 5)));
    QVERIFY(!simplified0.contains(grid.Book().CellDisplayText(65, 5)));
}

void TstF1Book::printSheetAsksForPrinter()
{
    TF1Book grid;
    FillReport(grid, 5);
    grid.SetPrintLandscape(true);
    const QString file = m_dir.filePath("chosen.pdf");
    {
        TDialogsGuard guard(std::make_unique<TPdfDialogs>(file, false));
        TPdfDialogs::Asked = 0;
        grid.PrintSheet(true);
        QCOMPARE(TPdfDialogs::Asked, 1);
        QVERIFY(!QFile::exists(file));
    }
    {
        TDialogsGuard guard(std::make_unique<TPdfDialogs>(file, true));
        grid.PrintSheet(true);
        QCOMPARE(TPdfDialogs::Asked, 2);
    }
    QFile f(file);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray pdf = f.readAll();
    QCOMPARE(PdfPageCount(pdf), 1);
    QVERIFY(PdfIsLandscape(pdf));
}

void TstF1Book::emptySheetHasNothingToPrint()
{
    TF1Book grid;
    TDialogsGuard guard(std::make_unique<TPdfDialogs>(m_dir.filePath("never.pdf"), true));
    TPdfDialogs::Asked = 0;
    QVERIFY_THROWS_EXCEPTION(ESheetError, grid.PrintSheet(true));
    QPrinter printer;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(m_dir.filePath("empty.pdf"));
    QVERIFY_THROWS_EXCEPTION(ESheetError, grid.PrintTo(printer));
    // Refused before the user is asked anything.
    QCOMPARE(TPdfDialogs::Asked, 0);
}

QTEST_MAIN(TstF1Book)
#include "tst_f1book.moc"
