// Sheets saved as CSV and read back by Python's csv module (read_csv.py): every cell in
// its place, texts as shown and numbers plainly, the quoting, the byte-order mark and the
// line ends; and the same file read by LibreOffice in English and in German.
#include "CsvExpect.h"
#include "CsvWriter.h"
#include "Exporters.h"
#include "Formats.h"
#include "PythonReaders.h"
#include "Workbook.h"
#include "WorkbookSource.h"
#include <QDir>
#include <QJsonArray>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString MoneyMask = QStringLiteral("#,##0.00;(#,##0.00)");

QList<QStringList> Rows(const QJsonObject& read)
{
    QList<QStringList> rows;
    for (const QJsonValue& r : read["rows"].toArray()) {
        QStringList fields;
        for (const QJsonValue& f : r.toArray())
            fields << f.toString();
        rows << fields;
    }
    return rows;
}

QByteArray FileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A report-like sheet whose shown texts need every kind of quoting: amounts with
// thousands separators, negatives in brackets, dates, formulas and their errors.
void BuildSheet(TWorkbook& book)
{
    book.SetCellText(2, 2, "EXPENSES REPORT FROM 1 JANUARY 2002 TO 31 JANUARY 2002");
    book.SetCellText(4, 2, "DATE");
    book.SetCellText(4, 3, "Café, \"Ünïcode\" €");
    book.SetCellText(4, 4, "TOTAL");
    for (int i = 0; i < 3; ++i) {
        book.SetCellNumber(5 + i, 2, 37263 + i);
        book.SetCellNumber(5 + i, 3, i == 1 ? -35.5 : 1234567.891 * (i + 1));
        book.SetCellFormula(5 + i, 4, QStringLiteral("C%1*2").arg(5 + i));
    }
    book.SelectRange(5, 2, 7, 2);
    book.ApplyDateFormat();
    book.SelectRange(5, 3, 8, 4);
    book.SetNumberFormat(MoneyMask);
    book.SetCellFormula(8, 4, "SUM(D4:D7)");
    book.SetCellFormula(8, 3, "D8/0");
    book.SetCellNumber(9, 2, 0.125);
    book.SelectRange(9, 2, 9, 2);
    book.SetNumberFormat("0.00%");
    book.SetCellText(9, 3, "two\nlines");
    book.SelectRange(11, 6, 11, 6);  // a border round an empty cell widens the range
    book.SetCellBorders(1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);
}

}  // namespace

class TstCsvWriter : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void fields_data();
    void fields();
    void sheetReadsBack();
    void emptySheet();
    void localeNeverChangesFile();
    void readByLibreOffice_data();
    void readByLibreOffice();

private:
    QTemporaryDir m_dir;
};

void TstCsvWriter::initTestCase()
{
    QVERIFY(m_dir.isValid());
    FormatSettings().ShortDateFormat = "dd-mmm-yyyy";
}

void TstCsvWriter::fields_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("stored");  // the field as it stands in the file
    QTest::newRow("plain") << "RENT" << QByteArray("RENT");
    QTest::newRow("comma") << "1,234.50" << QByteArray("\"1,234.50\"");
    QTest::newRow("quotes doubled") << "the \"big\" one" << QByteArray("\"the \"\"big\"\" one\"");
    QTest::newRow("only a quote") << "\"" << QByteArray("\"\"\"\"");
    QTest::newRow("line feed") << "two\nlines" << QByteArray("\"two\nlines\"");
    QTest::newRow("carriage return and line feed") << "two\r\nlines" << QByteArray("\"two\r\nlines\"");
    QTest::newRow("spaces at the ends kept") << " padded " << QByteArray("\" padded \"");
    QTest::newRow("inner spaces") << "POWER AND LIGHT" << QByteArray("POWER AND LIGHT");
    QTest::newRow("brackets of a negative") << "(35.50)" << QByteArray("(35.50)");
    QTest::newRow("UTF-8") << "Café € Ünïcode" << QString("Café € Ünïcode").toUtf8();
    QTest::newRow("semicolon needs nothing") << "a;b" << QByteArray("a;b");
}

void TstCsvWriter::fields()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, stored);
    TWorkbook book;
    book.SetCellText(1, 1, "before");
    book.SetCellText(1, 2, text);
    book.SetCellText(1, 3, "after");
    const QString file = m_dir.filePath("field.csv");
    ExporterForFileType(Sheet::FileCsv)->Export(TWorkbookSource(book), file);
    QCOMPARE(FileBytes(file), "\xEF\xBB\xBF" "before," + stored + ",after\r\n");
    QCOMPARE(Rows(PythonReaders::ReadCsv(file)), (QList<QStringList> {{"before", text, "after"}}));
}

void TstCsvWriter::sheetReadsBack()
{
    TWorkbook book;
    BuildSheet(book);
    const QString file = m_dir.filePath("sheet.csv");
    const auto exporter = ExporterForFileType(Sheet::FileCsv);
    QCOMPARE(exporter->FileFilter(), QString("CSV|*.csv"));
    exporter->Export(TWorkbookSource(book), file);
    const QJsonObject read = PythonReaders::ReadCsv(file);
    QVERIFY(read["bom"].toBool());
    QCOMPARE(read["bare_lf"].toInt(), 0);
    QVERIFY(read["ends_with_crlf"].toBool());
    CsvExpect::CompareFile(book, file);
    // Numbers as a spreadsheet in any language takes them; texts as the grid shows them.
    const QList<QStringList> rows = Rows(read);
    QCOMPARE(rows[4][2], QString("1234567.89"));
    QCOMPARE(rows[5][2], QString("-35.50"));
    QCOMPARE(rows[4][1], QString("2002-01-07"));
    QCOMPARE(rows[8][1], QString("0.1250"));
    QCOMPARE(rows[7][2], QString("#DIV/0!"));
    QCOMPARE(rows[3][2], QString("Café, \"Ünïcode\" €"));
}

void TstCsvWriter::emptySheet()
{
    TWorkbook book;
    const QString file = m_dir.filePath("empty.csv");
    ExporterForFileType(Sheet::FileCsv)->Export(TWorkbookSource(book), file);
    QCOMPARE(FileBytes(file), QByteArray("\xEF\xBB\xBF"));
    QCOMPARE(Rows(PythonReaders::ReadCsv(file)), QList<QStringList>());
}

// A German or French user's separators change what the grid shows, never the file.
void TstCsvWriter::localeNeverChangesFile()
{
    TWorkbook book;
    BuildSheet(book);
    const QByteArray english = CsvWriter::BuildFile(TWorkbookSource(book));
    FormatSettings().DecimalSeparator = ',';
    FormatSettings().ThousandSeparator = QChar(0x202F);
    const auto restore = qScopeGuard([] {
        FormatSettings().DecimalSeparator = '.';
        FormatSettings().ThousandSeparator = ',';
    });
    QCOMPARE(book.CellDisplayText(5, 3), QString("1\u202F234\u202F567,89"));
    QCOMPARE(CsvWriter::BuildFile(TWorkbookSource(book)), english);
}

void TstCsvWriter::readByLibreOffice_data()
{
    QTest::addColumn<QString>("locale");
    QTest::newRow("English") << "en_US.UTF-8";
    QTest::newRow("German") << "de_DE.UTF-8";
}

void TstCsvWriter::readByLibreOffice()
{
    QFETCH(QString, locale);
    if (const QString missing = CsvExpect::LibreOfficeMissing(locale); !missing.isEmpty())
        QSKIP(qPrintable(missing));
    TWorkbook book;
    BuildSheet(book);
    const QString file = m_dir.filePath("accountant.csv");
    ExporterForFileType(Sheet::FileCsv)->Export(TWorkbookSource(book), file);
    CsvExpect::CompareLibreOffice(book, file, locale);
}

QTEST_GUILESS_MAIN(TstCsvWriter)
#include "tst_csvwriter.moc"
