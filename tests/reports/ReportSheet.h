#pragma once
// Shared by the report tests: a small book of lines and day records, the sheet a report
// built written out cell by cell, and the same read back from the saved workbook by the
// independent reader (xlrd, through tests/sheet/read_xls.py).
#include "DayNumber.h"
#include "F1Book.h"
#include "Formats.h"
#include "LedgerBook.h"
#include "ScreenDriver.h"
#include "ScriptedDialogs.h"
#include "frm_BaseF1Report.h"
#include "../sheet/XlrdReader.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QPrinter>
#include <QProcess>
#include <functional>
#include <memory>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>

namespace ReportTest {

inline QDate D(int y, int m, int d)
{
    return QDate(y, m, d);
}

// A book with the ledger tests' items (income BAR 1, FOOD 2, ROOMS 3; expenses RENT 1,
// WAGES 2, POWER 3) and lines added one by one.
class TReportBook {
public:
    TReportBook() { AddItems(book); }
    TTestBook book;

    void Expense(const QDate& day, int item, const QString& amount, const QString& taxable = "Y",
                 const QString& reference = {})
    {
        Line("DAILY_EXPENSE", "DAILY_EXPENSE_ID", "EXPENSE_ID", "EXPENSE_AMOUNT", day, item, amount, taxable,
             reference);
    }
    void Income(const QDate& day, int item, const QString& amount, const QString& taxable = "Y")
    {
        Line("DAILY_SALES", "DAILY_SALES_ID", "SALES_ID", "SALES_AMOUNT", day, item, amount, taxable, {});
    }
    // Day records with the totals of their lines, as the program keeps them.
    void DayRecordsFromLines()
    {
        book.Exec("DELETE FROM DAILY_TRANSACTION");
        book.Exec(
            "INSERT INTO DAILY_TRANSACTION (YYYY, MM, TRANSACTION_DATE, TAKINGS, EXPENSES) "
            "SELECT YYYY, MM, TRANSACTION_DATE, "
            "COALESCE((SELECT SUM(SALES_AMOUNT) FROM DAILY_SALES S WHERE S.TRANSACTION_DATE = D.TRANSACTION_DATE), 0), "
            "COALESCE((SELECT SUM(EXPENSE_AMOUNT) FROM DAILY_EXPENSE E WHERE E.TRANSACTION_DATE = "
            "D.TRANSACTION_DATE), 0) FROM (SELECT YYYY, MM, TRANSACTION_DATE FROM DAILY_SALES UNION "
            "SELECT YYYY, MM, TRANSACTION_DATE FROM DAILY_EXPENSE) D");
    }
    void EmptyDayRecord(const QDate& day)
    {
        book.Exec(QStringLiteral("INSERT INTO DAILY_TRANSACTION (YYYY, MM, TRANSACTION_DATE, TAKINGS, EXPENSES) "
                                 "VALUES (%1, %2, %3, 0, 0)")
                      .arg(day.year())
                      .arg(day.month())
                      .arg(DayNumber::FromDate(day)));
    }

private:
    void Line(const char* table, const char* number, const char* itemColumn, const char* amountColumn, const QDate& day,
              int item, const QString& amount, const QString& taxable, const QString& reference)
    {
        const int n = ++m_lineNumbers[QString(table) + QString::number(DayNumber::FromDate(day))];
        book.Exec(QStringLiteral("INSERT INTO %1 (YYYY, MM, TRANSACTION_DATE, %2, %3, %4, TAXABLE%5) "
                                 "VALUES (%6, %7, %8, %9, %10, %11, '%12'%13)")
                      .arg(table, number, itemColumn, amountColumn, reference.isEmpty() ? "" : ", REFERENCE")
                      .arg(day.year())
                      .arg(day.month())
                      .arg(DayNumber::FromDate(day))
                      .arg(n)
                      .arg(item)
                      .arg(Money::Parse(amount).Scaled())
                      .arg(taxable, reference.isEmpty() ? QString() : ", '" + reference + "'"));
    }
    QMap<QString, int> m_lineNumbers;
};

// A cell's place as the sheet names it: "C5".
inline QString CellName(int row, int col)
{
    return TWorkbook::GetColumnHeading(col) + QString::number(row);
}

inline QString NumberText(double v)
{
    return QString::number(v, 'g', 15);
}

// Every cell that holds something, row by row: "B2 'TEXT'", "C5 150", "C8 =SUM(C4:C7) 160"
// (a formula with the result it computes).
inline QStringList SheetContents(const TWorkbook& book)
{
    QStringList cells;
    if (book.LastRow() == 0)
        return cells;
    book.ForEachCell({1, 1, book.LastRow(), book.LastCol()}, [&](int row, int col, const TCell& cell) {
        const QString name = CellName(row, col);
        switch (cell.Kind) {
        case TCell::None: break;
        case TCell::Text: cells << name + " '" + cell.Str + "'"; break;
        case TCell::Number: cells << name + ' ' + NumberText(cell.Num); break;
        case TCell::Formula:
            cells << name + " =" + book.GetCellFormula(row, col) + ' ' + NumberText(book.GetCellNumber(row, col));
            break;
        }
    });
    return cells;
}

inline QString ReaderScript()
{
    const QString root = qEnvironmentVariable("ZORP_SOURCE_DIR");
    if (!root.isEmpty())
        return root + "/tests/sheet/read_xls.py";
    return QFINDTESTDATA("../sheet/read_xls.py");
}

// The first sheet of a saved workbook as read_xls.py sees it.
inline QJsonObject ReadBack(const QString& file)
{
    QProcess p;
    p.start(PythonWithXlrd(), {ReaderScript(), "sheet", file});
    if (!p.waitForFinished(300000) || p.exitCode() != 0)
        qFatal("reader failed: %s", p.readAllStandardError().constData());
    return QJsonDocument::fromJson(p.readAllStandardOutput()).object();
}

// The saved sheet in the form of SheetContents: texts, numbers, formulas and their
// stored results, as the independent reader finds them.
inline QStringList SavedContents(const QJsonObject& saved)
{
    const QJsonObject cells = saved["cells"].toObject();
    const QJsonObject formulas = saved["formulas"].toObject();
    QMap<QPair<int, int>, QString> byPlace;
    for (auto it = cells.begin(); it != cells.end(); ++it) {
        const QStringList rc = it.key().split(',');
        const int row = rc[0].toInt(), col = rc[1].toInt();
        const QJsonObject o = it.value().toObject();
        if (o["type"].toInt() == 6)
            continue;  // a blank cell: only a format (a border, bold), as in the grid
        const QString name = CellName(row, col);
        QString text;
        if (o["type"].toInt() == 1)
            text = name + " '" + o["value"].toString() + "'";
        else if (formulas.contains(it.key()))
            text = name + " =" + formulas[it.key()].toString() + ' ' + NumberText(o["value"].toDouble());
        else
            text = name + ' ' + NumberText(o["value"].toDouble());
        byPlace.insert({row, col}, text);
    }
    return byPlace.values();
}

// A picture of the screen made wide enough to show a whole small report.
inline void ShotWide(QWidget& screen, const QString& name)
{
    screen.resize(1000, 560);
    Shot(&screen, name);
}

// Chooses an item of a radio group with the mouse, on its round button.
inline void ChooseItem(TRadioGroup* group, int index)
{
    QRadioButton* item = group->Item(index);
    QTest::mouseClick(item, Qt::LeftButton, {}, QPoint(item->height() / 2, item->height() / 2));
}

// Spools a report with the dates and options given, as the user does on its parameters
// page; no error may be shown.
inline void Spool(TfrmBaseF1Report& report, TScriptedDialogs& dialogs, const QDate& start, const QDate& end,
                  bool taxable, int grouping)
{
    report.EdStartDate->setDate(start);
    report.edEndDate->setDate(end);
    report.cbTaxable->setChecked(taxable);
    report.rgGroupBy->SetItemIndex(grouping);
    const int before = int(dialogs.Messages().size());
    Click(report.btnSpool);
    QCOMPARE(dialogs.MessageTexts().mid(before), QStringList());
}

// Saves the grid through the Save button and checks what the reader finds in the file:
// the same cells, values and formula results as the grid shows.
inline void SaveAndCompare(TfrmBaseF1Report& report, TScriptedDialogs& dialogs, const QString& expectedName)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("report.xls");
    dialogs.AnswerSave(file);
    Click(report.btnSave);
    QCOMPARE(dialogs.SaveRequests().last().ProposedName, expectedName);
    QVERIFY(QFile::exists(file));
    const QJsonObject saved = ReadBack(file);
    QCOMPARE(SavedContents(saved), SheetContents(report.F1BookReport->Book()));
}

// The pages a report prints on, printed to a PDF file that is thrown away.
inline int PrintedPages(TfrmBaseF1Report& report)
{
    QTemporaryDir dir;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath("report.pdf"));
    return report.F1BookReport->PrintTo(printer);
}

using TFill = std::function<void(TReportBook&)>;

// A report screen shown, with scripted dialogs; on a book of its own filled by `fill`, or
// on the book the test has made.
template <class Report> struct TReportScreen {
    std::unique_ptr<TReportBook> ownBook;  // made first: the screen works on it
    TScriptedDialogsScope dialogs;
    Report report;
    TReportScreen() { report.show(); }
    explicit TReportScreen(const TFill& fill) : ownBook(Filled(fill)) { report.show(); }
    TF1Book& Grid() { return *report.F1BookReport; }
    const TCellFormat& Format(int row, int col) { return Grid().Book().CellFormat(row, col); }

private:
    static std::unique_ptr<TReportBook> Filled(const TFill& fill)
    {
        auto book = std::make_unique<TReportBook>();
        fill(*book);
        return book;
    }
};

// The expense and income reports choose among three layouts; profit and loss has one.
template <class Report>
concept WithReportType = requires(Report r)
{
    r.rgReportType;
};

// The columns of a layouts table: the layout where the report has a choice, the
// parameters, and every cell the sheet must hold.
template <class Report> void AddLayoutColumns()
{
    if constexpr (WithReportType<Report>)
        QTest::addColumn<int>("type");
    QTest::addColumn<QDate>("start");
    QTest::addColumn<QDate>("end");
    QTest::addColumn<bool>("taxable");
    QTest::addColumn<int>("grouping");
    QTest::addColumn<QStringList>("cells");
}

// One row of a layouts table: the book filled by `fill`, the report spooled with the row's
// parameters, its cells compared; and the saved workbook, saved under the name proposed,
// holds the same.
template <class Report> void CheckLayout(const TFill& fill, const QString& proposedName)
{
    QFETCH(QDate, start);
    QFETCH(QDate, end);
    QFETCH(bool, taxable);
    QFETCH(int, grouping);
    QFETCH(QStringList, cells);
    TReportScreen<Report> s(fill);
    if constexpr (WithReportType<Report>) {
        QFETCH(int, type);
        s.report.rgReportType->SetItemIndex(type);
    }
    Spool(s.report, *s.dialogs, start, end, taxable, grouping);
    QCOMPARE(SheetContents(s.Grid().Book()), cells);
    SaveAndCompare(s.report, *s.dialogs, proposedName);
}

// Every run sets the taxable filter itself, whatever the last run or another user of the
// statements (`meddle`) left in it: a cell with an untaxed item shows only without the
// choice.
template <class Report>
void CheckTaxableSetOnEveryRun(const TFill& fill, const QString& untaxedCell, const std::function<void()>& meddle)
{
    TReportScreen<Report> s(fill);
    auto shown = [&] { return SheetContents(s.Grid().Book()).contains(untaxedCell); };
    Spool(s.report, *s.dialogs, D(2002, 1, 1), D(2002, 1, 31), true, 0);
    QVERIFY(!shown());
    Spool(s.report, *s.dialogs, D(2002, 1, 1), D(2002, 1, 31), false, 0);
    QVERIFY(shown());
    meddle();
    Spool(s.report, *s.dialogs, D(2002, 1, 1), D(2002, 1, 31), true, 0);
    QVERIFY(!shown());
}

// The layout choice of the expense and income reports: cross reference first; grouping
// is offered for the cross reference only.
inline void CheckReportTypeChoice(TRadioGroup* reportType, TRadioGroup* groupBy)
{
    QCOMPARE(reportType->title(), QString("Report Type"));
    QCOMPARE(reportType->Item(0)->text(), QString("Cross Reference"));
    QCOMPARE(reportType->Item(1)->text(), QString("Income Detail"));
    QCOMPARE(reportType->Item(2)->text(), QString("Export"));
    QCOMPARE(reportType->ItemIndex(), 0);
    QVERIFY(groupBy->isVisible());
    for (int other : {1, 2}) {
        ChooseItem(reportType, other);
        QVERIFY(!groupBy->isVisible());
        ChooseItem(reportType, 0);
        QVERIFY(groupBy->isVisible());
    }
}

}  // namespace ReportTest
