// The seam between the workbook and the file formats: an exporter of the test's own,
// written against TSheetSource and TWorkbookExporter alone, saves a workbook, and what it
// wrote is read back.
#include "Exporters.h"
#include "Workbook.h"
#include "WorkbookSource.h"
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

Q_DECLARE_METATYPE(TCellRange)

namespace {

// Column letters for the test's sheet, which stays within A to Z; the exporter has no
// business asking the model for them.
QString CellName(int row, int col)
{
    return QChar(u'A' + col - 1) + QString::number(row);
}

QString ValueText(const TCellValue& v)
{
    switch (v.Kind) {
    case TCellValue::Number: return QString::number(v.Num, 'g', 15);
    case TCellValue::Text: return v.Str;
    case TCellValue::Error: return Sheet::ErrorText(v.Err);
    case TCellValue::Empty: break;
    }
    return {};
}

// The formula's tokens in the order they are stored, as a reverse Polish line.
QString TokenText(const TFormula& formula)
{
    QStringList out;
    for (const TFormulaToken& t : formula.Tokens()) {
        switch (t.Type) {
        case TFormulaToken::Number: out << QString::number(t.Num); break;
        case TFormulaToken::Ref: out << CellName(t.Row1, t.Col1); break;
        case TFormulaToken::Area: out << CellName(t.Row1, t.Col1) + ':' + CellName(t.Row2, t.Col2); break;
        case TFormulaToken::Add: out << "+"; break;
        case TFormulaToken::Sub: out << "-"; break;
        case TFormulaToken::Mul: out << "*"; break;
        case TFormulaToken::Div: out << "/"; break;
        case TFormulaToken::Negate: out << "neg"; break;
        case TFormulaToken::Plus: out << "plus"; break;
        case TFormulaToken::Paren: out << "()"; break;
        case TFormulaToken::Sum: out << QStringLiteral("SUM/%1").arg(t.ArgCount); break;
        }
    }
    return out.join(' ');
}

QString FormatText(const TCellFormat& f)
{
    return QStringLiteral("%1%2 borders %3,%4,%5,%6 align %7,%8")
        .arg(f.NumberFormat, f.Bold ? QStringLiteral(" bold") : QString())
        .arg(int(f.Left.Style))
        .arg(int(f.Right.Style))
        .arg(int(f.Top.Style))
        .arg(int(f.Bottom.Style))
        .arg(int(f.HAlign))
        .arg(int(f.VAlign));
}

// A format of the test's own: one "key<TAB>value" line for each thing an exporter may
// read. It sees the sheet only through TSheetSource.
class TDumpExporter final : public TWorkbookExporter {
public:
    QString FileFilter() const override { return QStringLiteral("Dump|*.txt"); }
    QString Extension() const override { return QStringLiteral("txt"); }
    void Export(const TSheetSource& sheet, const QString& path) const override
    {
        WriteFile(path, [&] { return Dump(sheet).join('\n').toUtf8(); });
    }

private:
    static QStringList Dump(const TSheetSource& sheet)
    {
        QStringList lines;
        auto line = [&](const QString& key, const QString& value) { lines << key + '\t' + value; };
        line("range", QStringLiteral("%1 %2").arg(sheet.LastRow()).arg(sheet.LastCol()));
        QStringList order;
        sheet.ForEachCell({1, 1, Sheet::RowLimit, Sheet::ColLimit}, [&](int row, int col, const TSourceCell& cell) {
            const QString name = CellName(row, col);
            order << name;
            const QString value = ValueText(cell.Value());
            switch (cell.Kind) {
            case TSourceCell::Blank: line(name + " value", "blank"); break;
            case TSourceCell::Number: line(name + " value", "number " + value); break;
            case TSourceCell::Text: line(name + " value", "text " + value); break;
            case TSourceCell::Formula:
                line(name + " value", "formula " + cell.Expr->Text() + " = " + value);
                line(name + " tokens", TokenText(*cell.Expr));
                break;
            }
            line(name + " shown", sheet.CellText(row, col));
            line(name + " format", FormatText(sheet.Format(cell.Format)));
        });
        line("order", order.join(' '));
        for (int col = 1; col <= sheet.LastCol() + 1; ++col)
            line(QStringLiteral("col %1 width").arg(CellName(1, col).chopped(1)),
                 QString::number(sheet.ColumnWidth(col)));
        for (int row = 1; row <= sheet.LastRow() + 1; ++row)
            line(QStringLiteral("row %1 height").arg(row), QString::number(sheet.RowHeight(row)));
        line("default height", QString::number(sheet.PrevailingRowHeight()));
        const TPageSetup page = sheet.PageSetup();
        line("page", QStringLiteral("%1 scale %2%3")
                         .arg(page.Landscape ? "landscape" : "portrait")
                         .arg(page.Scale)
                         .arg(page.FitToPages ? QStringLiteral(" fit %1x%2").arg(page.PagesWide).arg(page.PagesTall)
                                              : QString()));
        line("grid", sheet.ShowGridLines() ? "on" : "off");
        const TCellRange sel = sheet.Selection();
        line("selection", CellName(sel.Row1, sel.Col1) + ':' + CellName(sel.Row2, sel.Col2));
        return lines;
    }
};

QHash<QString, QString> ReadDump(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        qFatal("cannot read %s", qPrintable(path));
    QHash<QString, QString> dump;
    for (const QString& l : QString::fromUtf8(f.readAll()).split('\n'))
        dump.insert(l.section('\t', 0, 0), l.section('\t', 1));
    return dump;
}

const QString MoneyMask = QStringLiteral("#,##0.00;(#,##0.00)");

// A small report: headings, two amounts, their total and a total of the total, an error,
// and a bordered cell with nothing in it. Nothing is read before it is exported, so every
// formula result is worked out on the way out.
void BuildSheet(TWorkbook& book)
{
    book.SetRowHeights(1, book.MaxRow(), 250, false);
    book.SetRowHeights(4, 4, 500, false);
    book.SetColumnWidth(1, 500);
    book.SetColumnWidth(2, 4500);
    book.SetCellText(1, 1, "ITEM");
    book.SetCellText(1, 2, "AMOUNT");
    book.SelectRange(1, 1, 1, 2);
    book.SetCellFont("Arial", 10, true, false, false, false, 0, false, false);
    book.SelectRange(1, 2, 1, 2);
    book.SetCellAlignment(4, false, 2, 0);
    book.SetCellText(2, 1, "Rent");
    book.SetCellNumber(2, 2, 1200.5);
    book.SetCellText(3, 1, "Power");
    book.SetCellNumber(3, 2, -35.25);
    book.SetCellText(4, 1, "TOTAL");
    book.SetCellFormula(4, 2, "SUM(B2:B3)");
    book.SetCellFormula(4, 3, "=B4*2");
    book.SetCellFormula(5, 2, "B4/0");
    book.SelectRange(2, 2, 4, 2);
    book.SetNumberFormat(MoneyMask);
    book.SelectRange(4, 1, 4, 2);
    book.SetCellBorders(1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);
    book.SelectRange(6, 4, 6, 4);
    book.SetCellBorders(1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);
    book.SetPrintLandscape(true);
    book.SetPrintScaling(80, true, 1, 2);
    book.SetShowGridLines(false);
    book.SelectRange(2, 2, 3, 3);
}

QString Visited(const TSheetSource& sheet, const TCellRange& range)
{
    QStringList names;
    sheet.ForEachCell(range, [&](int row, int col, const TSourceCell&) { names << CellName(row, col); });
    return names.join(' ');
}

}  // namespace

class TstExporter : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void exportReadsTheSheet_data();
    void exportReadsTheSheet();
    void laterChangesReachTheNextExport();
    void rangeVisitsItsCellsOnly_data();
    void rangeVisitsItsCellsOnly();
    void excelFileType();
    void writeErrorsNameTheFile_data();
    void writeErrorsNameTheFile();
    void fileWrittenBesideIsAllOrNothing_data();
    void fileWrittenBesideIsAllOrNothing();

private:
    QTemporaryDir m_dir;
};

void TstExporter::initTestCase()
{
    QVERIFY(m_dir.isValid());
}

void TstExporter::exportReadsTheSheet_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected");
    auto row = [](const char* name, const QString& key, const QString& expected) {
        QTest::newRow(name) << key << expected;
    };
    row("text", "A1 value", "text ITEM");
    row("number", "B2 value", "number 1200.5");
    row("negative number", "B3 value", "number -35.25");
    row("formula result never read before", "B4 value", "formula SUM(B2:B3) = 1165.25");
    row("formula reading a formula", "C4 value", "formula B4*2 = 2330.5");
    row("error result", "B5 value", "formula B4/0 = #DIV/0!");
    row("cell with only a border", "D6 value", "blank");
    row("SUM tokens", "B4 tokens", "B2:B3 SUM/1");
    row("operator tokens", "C4 tokens", "B4 2 *");
    row("money shown", "B3 shown", "(35.25)");
    row("total shown", "B4 shown", "1,165.25");
    row("General number shown", "C4 shown", "2330.5");
    row("error shown", "B5 shown", "#DIV/0!");
    row("bold heading", "A1 format", "General bold borders 0,0,0,0 align 1,3");
    row("right-aligned heading", "B1 format", "General bold borders 0,0,0,0 align 4,2");
    row("boxed total", "B4 format", MoneyMask + " borders 0,1,1,1 align 1,3");
    row("boxed label", "A4 format", "General borders 1,0,1,1 align 1,3");
    row("border of an empty cell", "D6 format", "General borders 1,1,1,1 align 1,3");
    row("narrow column", "col A width", "500");
    row("wide column", "col B width", "4500");
    row("column left as it was", "col E width", "2340");
    row("tall row", "row 4 height", "500");
    row("row of the sheet-wide height", "row 7 height", "250");
    row("prevailing row height", "default height", "250");
    row("page set-up", "page", "landscape scale 80 fit 1x2");
    row("grid lines", "grid", "off");
    row("selection", "selection", "B2:C3");
    row("used range", "range", "6 4");
    row("cells in row order", "order", "A1 B1 A2 B2 A3 B3 A4 B4 C4 B5 D6");
}

void TstExporter::exportReadsTheSheet()
{
    QFETCH(QString, key);
    QFETCH(QString, expected);
    TWorkbook book;
    BuildSheet(book);
    const QString file = m_dir.filePath("sheet.txt");
    TDumpExporter().Export(TWorkbookSource(book), file);
    const QHash<QString, QString> dump = ReadDump(file);
    QVERIFY2(dump.contains(key), qPrintable(key + " was not exported"));
    QCOMPARE(dump.value(key), expected);
}

void TstExporter::laterChangesReachTheNextExport()
{
    TWorkbook book;
    BuildSheet(book);
    const TWorkbookSource source(book);
    const QString file = m_dir.filePath("changes.txt");
    TDumpExporter().Export(source, file);
    QCOMPARE(ReadDump(file).value("C4 value"), QString("formula B4*2 = 2330.5"));
    // The source reads the workbook as it stands, not as it was when the source was made.
    book.SetCellNumber(2, 2, 100);
    book.ClearCells(6, 4, 6, 4, Sheet::ClearAll);
    book.SetColumnWidth(2, 3000);
    TDumpExporter().Export(source, file);
    const QHash<QString, QString> dump = ReadDump(file);
    QCOMPARE(dump.value("B4 value"), QString("formula SUM(B2:B3) = 64.75"));
    QCOMPARE(dump.value("C4 value"), QString("formula B4*2 = 129.5"));
    QCOMPARE(dump.value("B4 shown"), QString("64.75"));
    QCOMPARE(dump.value("col B width"), QString("3000"));
    QCOMPARE(dump.value("range"), QString("5 3"));
    QVERIFY(!dump.contains("D6 value"));
}

void TstExporter::rangeVisitsItsCellsOnly_data()
{
    QTest::addColumn<TCellRange>("range");
    QTest::addColumn<QString>("visited");
    QTest::newRow("whole sheet") << TCellRange {1, 1, Sheet::RowLimit, Sheet::ColLimit}
                                 << "A1 B1 A2 B2 A3 B3 A4 B4 C4 B5 D6";
    QTest::newRow("one column") << TCellRange {1, 2, Sheet::RowLimit, 2} << "B1 B2 B3 B4 B5";
    QTest::newRow("block inside") << TCellRange {2, 2, 4, 3} << "B2 B3 B4 C4";
    QTest::newRow("one row") << TCellRange {4, 1, 4, Sheet::ColLimit} << "A4 B4 C4";
    QTest::newRow("the empty cell with a border") << TCellRange {6, 4, 6, 4} << "D6";
    QTest::newRow("nothing stored there") << TCellRange {7, 1, 9, 4} << "";
}

void TstExporter::rangeVisitsItsCellsOnly()
{
    QFETCH(TCellRange, range);
    QFETCH(QString, visited);
    TWorkbook book;
    BuildSheet(book);
    QCOMPARE(Visited(TWorkbookSource(book), range), visited);
}

void TstExporter::excelFileType()
{
    const auto exporter = ExporterForFileType(Sheet::FileExcel97);
    QCOMPARE(exporter->FileFilter(), QString("Excel 97-2003|*.xls"));
    QCOMPARE(exporter->Extension(), QString("xls"));
    TWorkbook book;
    BuildSheet(book);
    const QString file = m_dir.filePath("sheet.xls");
    exporter->Export(TWorkbookSource(book), file);
    QFile f(file);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.read(8), QByteArray::fromHex("D0CF11E0A1B11AE1"));  // a compound file
}

void TstExporter::writeErrorsNameTheFile_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("name");     // under the test folder; empty gives no name at all
    QTest::addColumn<QString>("message");  // %1 is the full path
    for (const char* format : {"xls", "xlsx", "csv", "dump"}) {
        QTest::addRow("%s, missing folder", format) << format << "no/such/folder/x"
                                                    << "Cannot write \"%1\": ";
        QTest::addRow("%s, a folder in the way", format) << format << "folder"
                                                         << "Cannot write \"%1\": ";
        QTest::addRow("%s, no name", format) << format << ""
                                             << "No file name given";
    }
}

void TstExporter::writeErrorsNameTheFile()
{
    QFETCH(QString, format);
    QFETCH(QString, name);
    QFETCH(QString, message);
    const QHash<QString, int> types {{"xls", Sheet::FileExcel97}, {"xlsx", Sheet::FileExcel}, {"csv", Sheet::FileCsv}};
    const std::unique_ptr<TWorkbookExporter> exporter =
        types.contains(format) ? ExporterForFileType(types[format]) : std::make_unique<TDumpExporter>();
    QVERIFY(QDir(m_dir.path()).mkpath("folder"));
    const QString path = name.isEmpty() ? QString() : m_dir.filePath(name);
    TWorkbook book;
    BuildSheet(book);
    try {
        exporter->Export(TWorkbookSource(book), path);
        QFAIL("the export was taken");
    } catch (const ESheetError& e) {
        const QString expected = message.contains("%1") ? message.arg(path) : message;
        QVERIFY2(e.Message().startsWith(expected), qPrintable(e.Message()));
    }
    QVERIFY(path.isEmpty() || !QFileInfo(path).isFile());
}

void TstExporter::fileWrittenBesideIsAllOrNothing_data()
{
    QTest::addColumn<bool>("older");     // a file of that name is there before
    QTest::addColumn<QString>("writer");  // what the library writing the file does
    QTest::addColumn<QString>("error");   // the error the save ends in; empty: none
    for (bool older : {false, true}) {
        const char* before = older ? "older file there" : "new name";
        QTest::addRow("%s, written", before) << older << "writes" << "";
        QTest::addRow("%s, fails half-way", before) << older << "fails" << "Cannot write \"%1\": disk on fire";
        QTest::addRow("%s, writes nothing", before) << older << "nothing" << "";
    }
}

// The end that libraries writing by name share: the new file appears under the name only
// whole, an older one stays until then, and nothing is left beside it.
void TstExporter::fileWrittenBesideIsAllOrNothing()
{
    QFETCH(bool, older);
    QFETCH(QString, writer);
    QFETCH(QString, error);
    QTemporaryDir dir;
    const QString path = dir.filePath("report.out");
    if (older) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("older");
    }
    QString part;
    try {
        WriteFileBeside(path, [&](const QString& p) {
            part = p;
            QCOMPARE(QFileInfo(p).absolutePath(), QFileInfo(path).absolutePath());
            QVERIFY(p != path);
            if (writer == "nothing")
                return;
            QFile f(p);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("half");
            f.close();
            // The name still shows what it showed before while the new file is made.
            QCOMPARE(QFileInfo::exists(path), older);
            if (writer == "fails")
                throw ESheetError("disk on fire");
            QVERIFY(f.open(QIODevice::Append));
            f.write(" and whole");
        });
        QVERIFY2(error.isEmpty(), "the failure was not passed on");
    } catch (const ESheetError& e) {
        QCOMPARE(e.Message(), error.arg(path));
    }
    QVERIFY(!part.isEmpty());
    QVERIFY(!QFileInfo::exists(part));
    QFile f(path);
    const QByteArray expected = writer == "writes" ? "half and whole" : writer == "nothing" ? "" : "older";
    if (writer == "fails" && !older)
        QVERIFY(!f.exists());
    else {
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), expected);
    }
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), (writer == "fails" && !older) ? 0 : 1);
}

QTEST_GUILESS_MAIN(TstExporter)
#include "tst_exporter.moc"
