#pragma once
// Shared by the report tests: a small book of lines and day records, the sheet a report
// built written out cell by cell, and the same read back from each type of saved file by
// an independent reader (xlrd, openpyxl, pdftotext, Python's csv; see tests/sheet/).
#include "DayNumber.h"
#include "F1Book.h"
#include "Formats.h"
#include "LedgerBook.h"
#include "ScreenDriver.h"
#include "ScriptedDialogs.h"
#include "SheetPainter.h"
#include "frm_BaseF1Report.h"
#include "../sheet/CsvExpect.h"
#include "../sheet/PythonReaders.h"
#include "../sheet/XlrdReader.h"

#include <QDir>
#include <QFontMetricsF>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QPrinter>
#include <QProcess>
#include <functional>
#include <memory>
#include <QRadioButton>
#include <QRegularExpression>
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

// Scripted dialogs that also answer a save dialog offering several types the way the user
// does: a name typed and a type picked from the list, turned into the answer by the same
// function the program's own file dialog uses. A save with no such answer queued goes to
// the plain scripted answers, through the dialog interface's own fallback.
class TSaveAsDialogs : public TScriptedDialogs {
public:
    // typeDescription: the type picked ("PDF"); an empty name cancels.
    void AnswerSaveAs(const QString& fileName, const QString& typeDescription)
    {
        m_answers << qMakePair(fileName, typeDescription);
    }
    const QList<QList<TFileType>>& OfferedTypes() const { return m_offered; }
    const QStringList& ProposedNames() const { return m_proposed; }

    TSaveChoice SaveFileAs(QWidget* parent, const QString& caption, const QString& proposedName,
                           const QList<TFileType>& types) override
    {
        if (m_answers.isEmpty())
            return TScriptedDialogs::SaveFileAs(parent, caption, proposedName, types);
        m_offered << types;
        m_proposed << proposedName;
        const auto [name, description] = m_answers.takeFirst();
        if (name.isEmpty())
            return {};
        for (const TFileType& t : types)
            if (t.Description == description)
                return SaveChoiceOf(name, t.NameFilter(), types);
        QTest::qFail(qPrintable("the save dialog offers no type " + description), __FILE__, __LINE__);
        return {};
    }

private:
    QList<QPair<QString, QString>> m_answers;
    QList<QList<TFileType>> m_offered;
    QStringList m_proposed;
};

class TSaveAsDialogsScope {
public:
    TSaveAsDialogsScope() : m_dialogs(new TSaveAsDialogs), m_guard(std::unique_ptr<TDialogs>(m_dialogs)) { }
    TSaveAsDialogs* operator->() const { return m_dialogs; }
    TSaveAsDialogs& operator*() const { return *m_dialogs; }

private:
    TSaveAsDialogs* m_dialogs;  // owned by the guard
    TDialogsGuard m_guard;
};

// The .xlsx file in the form of SheetContents, as openpyxl finds it: texts, numbers, and
// formulas with the results stored beside them.
inline QStringList XlsxContents(const QJsonObject& saved)
{
    QMap<QPair<int, int>, QString> byPlace;
    const QJsonObject cells = saved["cells"].toObject();
    for (auto it = cells.begin(); it != cells.end(); ++it) {
        const int row = it.key().section(',', 0, 0).toInt(), col = it.key().section(',', 1).toInt();
        const QJsonObject o = it.value().toObject();
        const QString name = CellName(row, col);
        if (o["type"].toString() == "f")
            byPlace.insert({row, col}, name + " " + o["formula"].toString() + ' ' + NumberText(o["value"].toDouble()));
        else if (o["value"].isString())
            byPlace.insert({row, col}, name + " '" + o["value"].toString() + "'");
        else if (o["value"].isDouble())
            byPlace.insert({row, col}, name + ' ' + NumberText(o["value"].toDouble()));
    }
    return byPlace.values();
}

// The look of every stored cell that a reader of the file sees first: its number format
// and whether it is bold, for the grid ("C5 #,##0.00 bold") and for the .xlsx file.
inline QStringList SheetLooks(const TWorkbook& book)
{
    QStringList looks;
    if (book.LastRow() == 0)
        return looks;
    book.ForEachCell({1, 1, book.LastRow(), book.LastCol()}, [&](int row, int col, const TCell& cell) {
        const TCellFormat& f = book.Format(cell.Format);
        looks << CellName(row, col) + ' ' + f.NumberFormat + (f.Bold ? " bold" : "");
    });
    return looks;
}

inline QStringList XlsxLooks(const QJsonObject& saved)
{
    QMap<QPair<int, int>, QString> byPlace;
    const QJsonObject cells = saved["cells"].toObject();
    for (auto it = cells.begin(); it != cells.end(); ++it) {
        const int row = it.key().section(',', 0, 0).toInt(), col = it.key().section(',', 1).toInt();
        const QJsonObject o = it.value().toObject();
        byPlace.insert({row, col},
                       CellName(row, col) + ' ' + o["format"].toString() + (o["bold"].toBool() ? " bold" : ""));
    }
    return byPlace.values();
}

// The text of a PDF, page by page, as pdftotext lays it out.
inline QStringList PdfPages(const QString& file)
{
    QProcess p;
    p.start("pdftotext", {"-layout", file, "-"});
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        qFatal("pdftotext failed on %s (Debian package poppler-utils)", qPrintable(file));
    QStringList pages = QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\f'));
    pages.removeLast();  // after the last page's form feed
    return pages;
}

inline bool PdfIsLandscape(const QString& file)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    const QRegularExpression box(R"(/MediaBox \[\s*0 0 ([\d.]+) ([\d.]+)\s*\])");
    const auto m = box.match(QString::fromLatin1(f.readAll()));
    return m.hasMatch() && m.captured(1).toDouble() > m.captured(2).toDouble();
}

// The saved PDF holds the printed pages: as many, turned the same way, and on each page the
// rows of its band with the texts the grid shows, left to right.
inline void ComparePdf(const TWorkbook& book, const QString& file)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    SheetPainter::ApplyPageSetup(book, printer);
    const SheetPainter::TPagePlan plan = SheetPainter::PlanPages(
        book, printer.width() * 72.0 / printer.logicalDpiX(), printer.height() * 72.0 / printer.logicalDpiY());
    const QStringList pages = PdfPages(file);
    QCOMPARE(pages.size(), plan.PageCount());
    QCOMPARE(PdfIsLandscape(file), book.PrintLandscape());
    int page = 0;
    for (const auto& [c1, c2] : plan.ColumnBands) {
        for (const auto& [r1, r2] : plan.RowBands) {
            const QString text = pages[page++].simplified();
            for (int r = r1; r <= r2; ++r) {
                QStringList shown;
                for (int c = c1; c <= c2; ++c)
                    if (!book.CellDisplayText(r, c).isEmpty())
                        shown << book.CellDisplayText(r, c);
                // Spaces as pdftotext lays them out: runs of them count as one.
                const QString line = shown.join(' ').simplified();
                QVERIFY2(text.contains(line),
                         qPrintable(QStringLiteral("page %1 lacks row %2: %3").arg(page).arg(r).arg(line)));
            }
        }
    }
}

// The column width (1/256 of the default digit) a cell's shown text needs in the fonts
// this machine has: its advance at the printer's resolution and two points a side.
inline int WidthNeeded(const TWorkbook& book, int row, int col)
{
    const TCellFormat& f = book.CellFormat(row, col);
    QFont font(f.FontName);
    font.setPointSizeF(f.FontSize);
    font.setBold(f.Bold);
    QImage probe(1, 1, QImage::Format_RGB32);
    probe.setDotsPerMeterX(int(1200 / 0.0254));
    probe.setDotsPerMeterY(int(1200 / 0.0254));
    const double points = QFontMetricsF(font, &probe).horizontalAdvance(book.CellDisplayText(row, col)) * 72.0 / 1200.0;
    return int(std::ceil((points + 5.0) / book.DigitWidthPt() * 256.0));
}

// Saves the grid through the Save button in every type offered and checks what each file's
// reader finds: the cells, values and formula results the grid holds (.xls, .xlsx), its
// formats (.xlsx), its printed pages (PDF) and its texts and plain numbers (CSV). The .xls name is
// typed whole; the others are typed bare with their type picked from the list.
inline void SaveAndCompare(TfrmBaseF1Report& report, TSaveAsDialogs& dialogs, const QString& expectedName)
{
    const TWorkbook& book = report.F1BookReport->Book();
    const int messages = int(dialogs.Messages().size());
    QTemporaryDir dir;
    const QString xls = dir.filePath("report.xls");
    dialogs.AnswerSave(xls);
    Click(report.btnSave);
    QCOMPARE(dialogs.SaveRequests().last().ProposedName, expectedName);
    QVERIFY(QFile::exists(xls));
    QCOMPARE(SavedContents(ReadBack(xls)), SheetContents(book));

    for (const char* type : {"Excel", "PDF", "CSV"}) {
        dialogs.AnswerSaveAs(dir.filePath("report"), type);
        Click(report.btnSave);
        QCOMPARE(dialogs.ProposedNames().last(), expectedName);
    }
    QCOMPARE(dialogs.MessageTexts().mid(messages), QStringList());
    const QJsonObject xlsx = PythonReaders::ReadXlsx(dir.filePath("report.xlsx"));
    QCOMPARE(XlsxContents(xlsx), SheetContents(book));
    QCOMPARE(XlsxLooks(xlsx), SheetLooks(book));
    ComparePdf(book, dir.filePath("report.pdf"));
    CsvExpect::CompareFile(book, dir.filePath("report.csv"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 4);
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
    TSaveAsDialogsScope dialogs;
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
