// Saved workbooks read back by an independent reader (xlrd, through read_xls.py).
#include "CompoundFile.h"
#include "Formats.h"
#include "Workbook.h"
#include "WorkbookSource.h"
#include "XlsWriter.h"
#include "XlrdReader.h"
#include <QCryptographicHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QJsonObject ReadBack(const QString& mode, const QString& file)
{
    const QString python = PythonWithXlrd();
    if (python.isEmpty())
        qFatal("python3 with xlrd is needed (Debian package python3-xlrd)");
    const QString script = QFINDTESTDATA("read_xls.py");
    if (script.isEmpty())
        qFatal("read_xls.py not found");
    QProcess p;
    p.start(python, {script, mode, file});
    if (!p.waitForFinished(300000) || p.exitCode() != 0)
        qFatal("reader failed: %s", p.readAllStandardError().constData());
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(p.readAllStandardOutput(), &error);
    if (error.error != QJsonParseError::NoError)
        qFatal("reader output: %s", qPrintable(error.errorString()));
    return doc.object();
}

// Saves the workbook through the .xls exporter, as the report screens do.
void Save(const TWorkbook& book, const QString& file)
{
    TXlsExporter().Export(TWorkbookSource(book), file);
}

QString Key(int row, int col)
{
    return QStringLiteral("%1,%2").arg(row).arg(col);
}

const QString MoneyMask = QStringLiteral("#,##0.00;(#,##0.00)");

// A sheet laid out the way the reports lay theirs out.
void BuildReport(TWorkbook& book)
{
    book.SetRowHeights(1, book.MaxRow(), 250, false);
    book.SetColumnWidth(1, 500);
    book.SetColumnWidth(2, 4500);
    for (int c = 3; c <= 5; ++c)
        book.SetColumnWidth(c, 3000);
    book.SetColumnWidth(6, 8000);
    book.SetPrintLandscape(true);
    book.SetPrintScaling(90, false, 1, 1);
    book.SetShowGridLines(false);

    book.SetCellText(2, 2, "EXPENSES REPORT FROM 1 JANUARY 2002 TO 31 JANUARY 2002");
    book.SelectRange(2, 2, 2, 2);
    book.SetCellFont("Arial", 10, true, false, false, false, 0, false, false);

    book.SetRowHeights(4, 4, 500, false);
    const QStringList headings {"DATE", "RENT", "Café – Ünïcode €", "TOTAL"};
    for (int i = 0; i < headings.size(); ++i)
        book.SetCellText(4, 2 + i, headings[i]);
    book.SelectRange(4, 2, 4, 5);
    book.SetCellAlignment(3, true, 1, 0);
    book.SetCellFont("Arial", 10, true, false, false, false, 0, false, false);

    const double rent[] = {1200, 0, -35.5, 99.99, 1000000.125};
    const double power[] = {45.25, 60, 0, -12, 3.5};
    for (int i = 0; i < 5; ++i) {
        const int r = 5 + i;
        book.SetCellText(r, 2, QStringLiteral("%1-Jan-2002").arg(7 + i, 2, 10, QLatin1Char('0')));
        book.SetCellNumber(r, 3, rent[i]);
        book.SetCellNumber(r, 4, power[i]);
        book.SetCellFormula(r, 5, QStringLiteral("SUM(C%1:D%1)").arg(r));
        book.SetCellNumber(r, 6, 37263 + i);
    }
    // Column totals take in the heading row, as the cross reference does.
    for (int c = 3; c <= 5; ++c) {
        const QString letter = TWorkbook::GetColumnHeading(c);
        book.SetCellFormula(10, c, QStringLiteral("SUM(%1%2:%1%3)").arg(letter).arg(4).arg(9));
    }
    book.SelectRange(10, 3, 10, 5);
    book.SetCellFont("Arial", 10, true, false, false, false, 0, false, false);
    book.SelectRange(4, 2, 10, 5);
    book.SetCellBorders(1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0);
    book.SelectRange(5, 3, 10, 5);
    book.SetNumberFormat(MoneyMask);
    book.SelectRange(5, 6, 9, 6);
    book.ApplyDateFormat();

    book.SetCellFormula(12, 3, "C10-D10");
    book.SetCellFormula(12, 4, "-(SUM(C5:C9)/2)+$D$5*3");
    book.SelectRange(12, 3, 12, 3);
    book.SetCellBorders(-1, 0, 0, 1, 6, 0, 0, 0, 0, 0, 0);
    book.SelectRange(12, 2, 12, 2);
    book.SetCellAlignment(4, false, 2, 0);
    book.SetCellText(12, 2, "margin");
    book.SetCellFormula(13, 3, "C4*2");  // text in arithmetic: #VALUE!
}

}  // namespace

class TstXlsWriter : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void reportSheetReadsBack();
    void emptyWorkbookOpens();
    void twentyThousandCellsAndLongStrings();
    void deepChainSavesItsValue_data();
    void deepChainSavesItsValue();
    void circularReferenceSavesError_data();
    void circularReferenceSavesError();
    void compoundFileStreams_data();
    void compoundFileStreams();
    void unwritablePathIsRejected();

private:
    QTemporaryDir m_dir;
    QString m_savedShortDate;
};

void TstXlsWriter::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QVERIFY2(!PythonWithXlrd().isEmpty(), "python3 with xlrd is needed (Debian package python3-xlrd)");
    FormatSettings().ShortDateFormat = "dd-mmm-yyyy";
}

void TstXlsWriter::reportSheetReadsBack()
{
    TWorkbook book;
    BuildReport(book);
    const QString file = m_dir.filePath("report.xls");
    Save(book, file);
    const QJsonObject x = ReadBack("sheet", file);
    const QJsonObject cells = x["cells"].toObject();
    auto cell = [&](int r, int c) { return cells[Key(r, c)].toObject(); };

    // Values: texts, numbers, formula results.
    QCOMPARE(cell(2, 2)["value"].toString(), QString("EXPENSES REPORT FROM 1 JANUARY 2002 TO 31 JANUARY 2002"));
    QCOMPARE(cell(4, 4)["value"].toString(), QString("Café – Ünïcode €"));
    QCOMPARE(cell(7, 3)["value"].toDouble(), -35.5);
    QCOMPARE(cell(9, 3)["value"].toDouble(), 1000000.125);
    QCOMPARE(cell(5, 5)["value"].toDouble(), 1245.25);
    QCOMPARE(cell(10, 3)["value"].toDouble(), 1200 + 0 - 35.5 + 99.99 + 1000000.125);
    QCOMPARE(cell(10, 5)["value"].toDouble(), book.GetCellNumber(10, 3) + book.GetCellNumber(10, 4));
    QCOMPARE(cell(12, 3)["value"].toDouble(), book.GetCellNumber(10, 3) - book.GetCellNumber(10, 4));
    QCOMPARE(cell(12, 4)["value"].toDouble(), -(book.GetCellNumber(10, 3) - 0) / 2 + 45.25 * 3);
    QCOMPARE(cell(13, 3)["type"].toInt(), 5);  // error
    QCOMPARE(cell(13, 3)["value"].toInt(), 0x0F);
    // Every value the grid holds is what the file holds.
    for (auto it = cells.begin(); it != cells.end(); ++it) {
        const QStringList rc = it.key().split(',');
        const int r = rc[0].toInt(), c = rc[1].toInt();
        const QJsonObject o = it.value().toObject();
        const int type = o["type"].toInt();
        if (type == 2 || type == 3)
            QCOMPARE(o["value"].toDouble(), book.GetCellNumber(r, c));
        if (type == 1)
            QCOMPARE(o["value"].toString(), book.CellDisplayText(r, c));
    }

    // Formulas as tokens: ranges and SUM arguments as references, operands as values.
    const QJsonObject formulas = x["formulas"].toObject();
    QCOMPARE(formulas[Key(5, 5)].toString(), QString("SUM(C5:D5)"));
    QCOMPARE(formulas[Key(10, 3)].toString(), QString("SUM(C4:C9)"));
    QCOMPARE(formulas[Key(12, 3)].toString(), QString("C10{V}-D10{V}"));
    QCOMPARE(formulas[Key(12, 4)].toString(), QString("-(SUM(C5:C9)/2)+$D$5{V}*3"));
    QCOMPARE(formulas.size(), 11);

    // Number formats: money on amounts and totals, dates on day numbers, General elsewhere.
    QCOMPARE(cell(6, 4)["format"].toString(), MoneyMask);
    QCOMPARE(cell(10, 5)["format"].toString(), MoneyMask);
    QCOMPARE(cell(5, 6)["format"].toString(), QString("dd-mmm-yyyy"));
    QCOMPARE(cell(5, 6)["type"].toInt(), 3);  // xlrd sees a date
    QCOMPARE(cell(5, 2)["format"].toString(), QString("General"));

    // Fonts: bold title, headings and totals; plain amounts.
    QVERIFY(cell(2, 2)["bold"].toBool());
    QVERIFY(cell(4, 3)["bold"].toBool());
    QVERIFY(cell(10, 4)["bold"].toBool());
    QVERIFY(!cell(6, 3)["bold"].toBool());
    QCOMPARE(cell(6, 3)["font"].toString(), QString("Arial"));
    QCOMPARE(cell(6, 3)["height"].toInt(), 200);

    // Alignment: centred, wrapped, top for headings; right and centred for the label.
    QCOMPARE(cell(4, 2)["halign"].toInt(), 2);
    QCOMPARE(cell(4, 2)["valign"].toInt(), 0);
    QCOMPARE(cell(4, 2)["wrap"].toInt(), 1);
    QCOMPARE(cell(12, 2)["halign"].toInt(), 3);
    QCOMPARE(cell(12, 2)["valign"].toInt(), 1);
    QCOMPARE(cell(6, 3)["halign"].toInt(), 0);

    // Borders: the box, the subtotal rule, nothing outside.
    const QJsonArray boxed {1, 1, 1, 1};
    QCOMPARE(cell(4, 2)["borders"].toArray(), boxed);
    QCOMPARE(cell(7, 4)["borders"].toArray(), boxed);
    QCOMPARE(cell(10, 5)["borders"].toArray(), boxed);
    QCOMPARE(cell(12, 3)["borders"].toArray(), (QJsonArray {0, 0, 1, 6}));
    QCOMPARE(cell(5, 6)["borders"].toArray(), (QJsonArray {0, 0, 0, 0}));

    // Geometry and page set-up.
    const QJsonObject widths = x["widths"].toObject();
    QCOMPARE(widths["1"].toInt(), 500);
    QCOMPARE(widths["2"].toInt(), 4500);
    QCOMPARE(widths["4"].toInt(), 3000);
    QCOMPARE(widths["6"].toInt(), 8000);
    QVERIFY(!widths.contains("7"));
    QCOMPARE(x["heights"].toObject()["4"].toInt(), 500);
    QCOMPARE(x["heights"].toObject()["5"].toInt(), 250);
    QCOMPARE(x["default_row_height"].toInt(), 250);
    QCOMPARE(x["show_grid"].toBool(), false);
    const QJsonObject setup = x["setup"].toObject();
    QCOMPARE(setup["landscape"].toBool(), true);
    QCOMPARE(setup["valid"].toBool(), true);
    QCOMPARE(setup["scale"].toInt(), 90);
    QCOMPARE(setup["fit_to_pages"].toBool(), false);
    QCOMPARE(x["nrows"].toInt(), 13);
    QCOMPARE(x["ncols"].toInt(), 6);

    // Portrait and fit-to-page come through as well.
    book.SetPrintLandscape(false);
    book.SetPrintScaling(100, true, 1, 2);
    book.SetShowGridLines(true);
    Save(book, file);
    const QJsonObject y = ReadBack("sheet", file);
    QCOMPARE(y["setup"].toObject()["landscape"].toBool(), false);
    QCOMPARE(y["setup"].toObject()["fit_to_pages"].toBool(), true);
    QCOMPARE(y["setup"].toObject()["fit_height"].toInt(), 2);
    QCOMPARE(y["show_grid"].toBool(), true);
}

void TstXlsWriter::emptyWorkbookOpens()
{
    TWorkbook book;
    const QString file = m_dir.filePath("empty.xls");
    Save(book, file);
    const QJsonObject x = ReadBack("sheet", file);
    QCOMPARE(x["nrows"].toInt(), 0);
    QCOMPARE(x["cells"].toObject().size(), 0);
    QCOMPARE(x["setup"].toObject()["landscape"].toBool(), false);
}

void TstXlsWriter::twentyThousandCellsAndLongStrings()
{
    TWorkbook book;
    // 1000 rows of 20 cells: numbers and distinct texts, so the string table runs over
    // many CONTINUE records and the stream over many FAT sectors.
    for (int r = 1; r <= 1000; ++r) {
        for (int c = 1; c <= 20; ++c) {
            if (c % 2)
                book.SetCellNumber(r, c, r * 1000.5 + c);
            else
                book.SetCellText(r, c, QStringLiteral("Item %1/%2").arg(r).arg(c));
        }
    }
    // Strings that themselves cross record boundaries, one of them needing two bytes a
    // character.
    QString wide;
    for (int i = 0; i < 9000; ++i)
        wide += QChar(0x0400 + i % 200);
    const QString narrow = QString(20000, QLatin1Char('x')) + "end";
    book.SetCellText(1001, 1, wide);
    book.SetCellText(1001, 2, narrow);
    book.SetCellFormula(1002, 1, "SUM(A1:A1000)");
    const QString file = m_dir.filePath("big.xls");
    Save(book, file);
    QVERIFY(QFileInfo(file).size() > 400000);

    const QJsonObject cells = ReadBack("sheet", file)["cells"].toObject();
    QCOMPARE(cells.size(), 20000 + 3);
    for (int r = 1; r <= 1000; ++r) {
        for (int c = 1; c <= 20; ++c) {
            const QJsonValue v = cells[Key(r, c)].toObject()["value"];
            if (c % 2)
                QCOMPARE(v.toDouble(), r * 1000.5 + c);
            else
                QCOMPARE(v.toString(), QStringLiteral("Item %1/%2").arg(r).arg(c));
        }
    }
    QCOMPARE(cells[Key(1001, 1)].toObject()["value"].toString(), wide);
    QCOMPARE(cells[Key(1001, 2)].toObject()["value"].toString(), narrow);
    QCOMPARE(cells[Key(1002, 1)].toObject()["value"].toDouble(), book.GetCellNumber(1002, 1));
}

void TstXlsWriter::deepChainSavesItsValue_data()
{
    QTest::addColumn<int>("readFirst");  // the row read before saving; 0 none
    QTest::newRow("nothing read before saving") << 0;
    QTest::newRow("last row read first") << 10000;
    QTest::newRow("first formula read first") << 2;
    QTest::newRow("middle row read first") << 6000;
}

void TstXlsWriter::deepChainSavesItsValue()
{
    QFETCH(int, readFirst);
    // A1 1, A2 "=A1+1", ..., A10000 "=A9999+1": the file caches row r as r.
    constexpr int Length = 10000;
    TWorkbook book;
    book.SetCellNumber(1, 1, 1);
    for (int r = 2; r <= Length; ++r)
        book.SetCellFormula(r, 1, QStringLiteral("A%1+1").arg(r - 1));
    if (readFirst)
        QCOMPARE(book.GetCellNumber(readFirst, 1), double(readFirst));
    const QString file = m_dir.filePath(QStringLiteral("chain%1.xls").arg(readFirst));
    Save(book, file);
    const QJsonObject x = ReadBack("sheet", file);
    const QJsonObject cells = x["cells"].toObject();
    QCOMPARE(cells.size(), Length);
    QCOMPARE(x["formulas"].toObject()[Key(Length, 1)].toString(), QStringLiteral("A%1{V}+1").arg(Length - 1));
    for (int r = 1; r <= Length; ++r) {
        const QJsonObject o = cells[Key(r, 1)].toObject();
        QVERIFY2(o["type"].toInt() == 2 && o["value"].toDouble() == r,
                 qPrintable(QStringLiteral("row %1 saved as type %2 value %3")
                                .arg(r)
                                .arg(o["type"].toInt())
                                .arg(o["value"].toDouble())));
    }
}

void TstXlsWriter::circularReferenceSavesError_data()
{
    // Cells as "A1=formula" (a bare number is stored as a number).
    QTest::addColumn<QStringList>("cells");
    QTest::addColumn<QStringList>("errors");  // cells the file must hold #REF! in
    QTest::addColumn<QString>("readFirst");   // a cell read before saving, or none
    QTest::newRow("cell reads itself") << QStringList {"A6=A6+1"} << QStringList {"A6"} << QString();
    QTest::newRow("cell reads itself, read first") << QStringList {"A6=A6+1"} << QStringList {"A6"} << "A6";
    QTest::newRow("two cells read each other")
        << QStringList {"A1=B1", "B1=A1"} << QStringList {"A1", "B1"} << QString();
    QTest::newRow("two cells, the second read first")
        << QStringList {"A1=B1", "B1=A1"} << QStringList {"A1", "B1"} << "B1";
    QTest::newRow("sum range holds its own cell")
        << QStringList {"C5=7", "D5=SUM(C5:D5)"} << QStringList {"D5"} << QString();
    QTest::newRow("cells reading a loop")
        << QStringList {"A1=C2*2", "A2=B1+1", "B1=B2", "B2=SUM(B1:C1)", "C2=A2-1", "D1=5", "D2=D1+1"}
        << QStringList {"A1", "A2", "B1", "B2", "C2"} << "A1";
}

void TstXlsWriter::circularReferenceSavesError()
{
    QFETCH(QStringList, cells);
    QFETCH(QStringList, errors);
    QFETCH(QString, readFirst);
    auto cellOf = [](const QString& name) { return std::pair {name.mid(1).toInt(), int(name[0].unicode() - 'A' + 1)}; };
    TWorkbook book;
    for (const QString& c : cells) {
        const auto [row, col] = cellOf(c.section('=', 0, 0));
        const QString content = c.section('=', 1);
        bool number = false;
        const double v = content.toDouble(&number);
        if (number)
            book.SetCellNumber(row, col, v);
        else
            book.SetCellFormula(row, col, content);
    }
    if (!readFirst.isEmpty()) {
        const auto [row, col] = cellOf(readFirst);
        QCOMPARE(book.CellDisplayText(row, col), QString("#REF!"));
    }
    const QString file =
        m_dir.filePath(QStringLiteral("circular%1.xls").arg(QTest::currentDataTag()).replace(' ', '_'));
    Save(book, file);
    const QJsonObject saved = ReadBack("sheet", file)["cells"].toObject();
    QCOMPARE(saved.size(), cells.size());
    for (const QString& c : cells) {
        const QString name = c.section('=', 0, 0);
        const auto [row, col] = cellOf(name);
        const QJsonObject o = saved[Key(row, col)].toObject();
        if (errors.contains(name)) {
            QVERIFY2(o["type"].toInt() == 5, qPrintable(name + " is not saved as an error"));
            QCOMPARE(o["value"].toInt(), int(Sheet::ErrRef));
        } else {
            QCOMPARE(o["type"].toInt(), 2);
            QCOMPARE(o["value"].toDouble(), book.GetCellNumber(row, col));
        }
        // The grid shows what the file holds.
        QCOMPARE(book.CellDisplayText(row, col) == "#REF!", errors.contains(name));
    }
}

void TstXlsWriter::compoundFileStreams_data()
{
    QTest::addColumn<int>("size");
    QTest::newRow("under the mini-stream cut-off") << 100;
    QTest::newRow("a few sectors") << 5000;
    QTest::newRow("two FAT sectors") << 70000;
    // Past 109 FAT sectors (about 7 MB) the header cannot list them all: DIFAT sectors.
    QTest::newRow("DIFAT chain") << 8 * 1024 * 1024 + 77;
}

void TstXlsWriter::compoundFileStreams()
{
    QFETCH(int, size);
    QByteArray data(size, '\0');
    QRandomGenerator rng(size);
    for (char& b : data)
        b = char(rng.bounded(256));
    const QByteArray file = CompoundFile::Build("Workbook", data);
    QCOMPARE(file.size() % 512, 0);
    const QString path = m_dir.filePath(QStringLiteral("stream%1.bin").arg(size));
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(file);
    f.close();
    const QJsonObject x = ReadBack("stream", path);
    // Short streams come back padded to 4096 bytes with zeros.
    QByteArray expected = data;
    if (expected.size() < 4096)
        expected.append(4096 - expected.size(), '\0');
    QCOMPARE(x["size"].toInt(), expected.size());
    QCOMPARE(x["md5"].toString(), QString(QCryptographicHash::hash(expected, QCryptographicHash::Md5).toHex()));
}

void TstXlsWriter::unwritablePathIsRejected()
{
    TWorkbook book;
    book.SetCellNumber(1, 1, 1);
    QVERIFY_THROWS_EXCEPTION(ESheetError, Save(book, m_dir.filePath("no/such/folder/x.xls")));
    QVERIFY_THROWS_EXCEPTION(ESheetError, Save(book, QString()));
}

QTEST_GUILESS_MAIN(TstXlsWriter)
#include "tst_xlswriter.moc"
