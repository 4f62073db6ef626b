// Workbooks saved as .xlsx, read back by an independent reader (openpyxl, through
// read_xlsx.py): what each cell holds and shows, the sheet's geometry and page set-up, and
// what an older file keeps when replaced.
#include "Exporters.h"
#include "Formats.h"
#include "NumberFormats.h"
#include "PythonReaders.h"
#include "Workbook.h"
#include "WorkbookSource.h"
#include "XlsxWriter.h"
#include <QDir>
#include <QJsonArray>
#include <QTemporaryDir>
#include <QtTest>
#include <clocale>
#include <string>
#include <cmath>

namespace {

const QString MoneyMask = QStringLiteral("#,##0.00;(#,##0.00)");

QString Key(int row, int col)
{
    return QStringLiteral("%1,%2").arg(row).arg(col);
}

QString NumberText(double v)
{
    return QString::number(v, 'g', 15);
}

// A sheet with something of everything a report uses, and a few things it does not yet.
void BuildSheet(TWorkbook& book)
{
    book.SetRowHeights(1, book.MaxRow(), 250, false);
    book.SetRowHeights(4, 4, 500, false);
    book.SetRowHeights(9, 9, 0, false);
    book.SetColumnWidth(1, 500);
    book.SetColumnWidth(2, 4500);
    book.SetColumnWidth(3, 3000);
    book.SetColumnWidth(5, 0);
    book.SetColumnWidth(6, 100);
    book.SetColumnWidth(7, 65280);
    book.SetCellText(2, 2, "EXPENSES REPORT FROM 1 JANUARY 2002 TO 31 JANUARY 2002");
    book.SelectRange(2, 2, 2, 2);
    book.SetCellFont("Arial", 10, true, false, false, false, 0, false, false);
    const QStringList headings {"DATE", "Café – Ünïcode €", "AMOUNT"};
    for (int i = 0; i < headings.size(); ++i)
        book.SetCellText(4, 2 + i, headings[i]);
    book.SelectRange(4, 2, 4, 4);
    book.SetCellAlignment(3, true, 1, 0);
    book.SetCellFont("Arial", 10, true, false, false, false, 0, false, false);
    book.SetCellNumber(5, 2, 37263);
    book.SetCellNumber(6, 2, 37264.5);
    book.SelectRange(5, 2, 6, 2);
    book.ApplyDateFormat();
    book.SetCellNumber(5, 3, 1234567.89);
    book.SetCellNumber(6, 3, -35.5);
    book.SetCellFormula(7, 3, "SUM(C5:C6)");
    book.SelectRange(5, 3, 7, 3);
    book.SetNumberFormat(MoneyMask);
    book.SelectRange(7, 3, 7, 3);
    book.SetCellBorders(-1, 0, 0, 1, 6, 0, 0, 0, 0, 0, 0);
    book.SetCellFont("Arial", 10, true, false, false, false, 0, false, false);
    book.SetCellNumber(5, 4, 0.125);
    book.SelectRange(5, 4, 5, 4);
    book.SetNumberFormat("0.00%");
    book.SetCellAlignment(4, false, 2, 0);
    book.SetCellFormula(6, 4, "C7/0");
    book.SetCellFormula(7, 4, "B4");     // a text, through a formula
    book.SetCellFormula(8, 4, "E8+1");   // E8 and D8 read each other
    book.SetCellFormula(8, 5, "D8*2");
    book.SetCellFormula(8, 3, "-(C5-C6)/2+$C$5*3");
    book.SetCellText(8, 2, "italic, underlined, struck, red, shaded");
    book.SelectRange(8, 2, 8, 2);
    book.SetCellFont("Times New Roman", 14, false, true, true, true, 0x0000FF, false, false);
    book.SetCellBorders(-1, 2, 3, 4, 5, 1, 0, 0x00FF00, 0xFF0000, 0, 0);
    book.SetCellAlignment(2, false, 1, 0);
    book.SelectRange(10, 6, 10, 6);  // a border round an empty cell
    book.SetCellBorders(1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);
    book.SetPrintLandscape(true);
    book.SetPrintScaling(90, false, 1, 1);
    book.SetShowGridLines(false);
    book.SelectRange(5, 2, 6, 3);
}

QJsonObject SaveAndRead(const TWorkbook& book, const QString& file)
{
    TXlsxExporter().Export(TWorkbookSource(book), file);
    return PythonReaders::ReadXlsx(file);
}

// Each stored cell of the model through `describe`, in row order: "C7 …".
QStringList ModelCells(const TWorkbook& book, const std::function<QString(const TCell&, const TCellFormat&)>& describe)
{
    QStringList out;
    book.ForEachCell({1, 1, book.LastRow(), book.LastCol()}, [&](int row, int col, const TCell& cell) {
        out << TWorkbook::GetColumnHeading(col) + QString::number(row) + ' ' + describe(cell, book.Format(cell.Format));
    });
    return out;
}

// The same of the cells the reader found.
QStringList FileCells(const QJsonObject& saved, const std::function<QString(const QJsonObject&)>& describe)
{
    QMap<QPair<int, int>, QString> byPlace;
    const QJsonObject cells = saved["cells"].toObject();
    for (auto it = cells.begin(); it != cells.end(); ++it) {
        const int row = it.key().section(',', 0, 0).toInt(), col = it.key().section(',', 1).toInt();
        byPlace.insert({row, col},
                       TWorkbook::GetColumnHeading(col) + QString::number(row) + ' ' + describe(it.value().toObject()));
    }
    return byPlace.values();
}

// The words of the file format for the model's codes.
QString LineWord(int style)
{
    static const char* words[] = {"", "thin", "medium", "dashed", "dotted", "thick", "double"};
    return QString::fromLatin1(words[style]);
}

QString HAlignWord(int align)
{
    switch (align) {
    case Sheet::HLeft: return "left";
    case Sheet::HCentre: return "center";
    case Sheet::HRight: return "right";
    default: return "";
    }
}

QString VAlignWord(int align)
{
    switch (align) {
    case Sheet::VTop: return "top";
    case Sheet::VCentre: return "center";
    default: return "";  // bottom is the file's default and need not be written
    }
}

QString RgbText(uint32_t colorRef)
{
    if (!colorRef)
        return {};
    return QStringLiteral("%1%2%3")
        .arg(colorRef & 0xFF, 2, 16, QLatin1Char('0'))
        .arg((colorRef >> 8) & 0xFF, 2, 16, QLatin1Char('0'))
        .arg((colorRef >> 16) & 0xFF, 2, 16, QLatin1Char('0'))
        .toUpper();
}

QString JsonText(const QJsonValue& v)
{
    return v.isNull() ? QString() : v.toVariant().toString();
}

}  // namespace

class TstXlsxWriter : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cellsReadBack_data();
    void cellsReadBack();
    void columnsAndRows();
    void pageSetup_data();
    void pageSetup();
    void emptySheetOpens();
    void replacesAnOlderFile();
    void sameInEveryLocale_data();
    void sameInEveryLocale();

private:
    QTemporaryDir m_dir;
    TWorkbook m_book;
    QJsonObject m_saved;
};

void TstXlsxWriter::initTestCase()
{
    QVERIFY(m_dir.isValid());
    FormatSettings().ShortDateFormat = "dd-mmm-yyyy";
    BuildSheet(m_book);
    m_saved = SaveAndRead(m_book, m_dir.filePath("sheet.xlsx"));
    QCOMPARE(m_saved["sheets"].toArray().size(), 1);
}

void TstXlsxWriter::cellsReadBack_data()
{
    QTest::addColumn<QString>("aspect");
    for (const char* aspect : {"values", "formulas", "number formats", "fonts", "alignment", "borders", "shading"})
        QTest::newRow(aspect) << aspect;
}

void TstXlsxWriter::cellsReadBack()
{
    QFETCH(QString, aspect);
    std::function<QString(const TCell&, const TCellFormat&)> model;
    std::function<QString(const QJsonObject&)> file;
    if (aspect == "values") {
        // A number, a text, or what a formula gave: a number, or a text and an error
        // both stored as the text shown.
        model = [&](const TCell& c, const TCellFormat&) -> QString {
            const TCellValue v = m_book.CellValue(c);
            switch (v.Kind) {
            case TCellValue::Number: return NumberText(v.Num);
            case TCellValue::Text: return "'" + v.Str + "'";
            case TCellValue::Error: return "'" + Sheet::ErrorText(v.Err) + "'";
            case TCellValue::Empty: return "blank";
            }
            return {};
        };
        file = [](const QJsonObject& o) -> QString {
            const QJsonValue v = o["value"];
            if (v.isNull())
                return "blank";
            return v.isDouble() ? NumberText(v.toDouble()) : "'" + v.toString() + "'";
        };
    } else if (aspect == "formulas") {
        model = [&](const TCell& c, const TCellFormat&) { return c.Kind == TCell::Formula ? c.Expr->Text() : ""; };
        file = [](const QJsonObject& o) { return o["formula"].toString().mid(1); };
    } else if (aspect == "number formats") {
        // A reader that knows the format shows a day number as a date.
        model = [&](const TCell& c, const TCellFormat& f) {
            const bool date = m_book.CellValue(c).Kind == TCellValue::Number && SheetFormats::IsDateFormat(f.NumberFormat);
            return f.NumberFormat + (date ? " date" : "");
        };
        file = [](const QJsonObject& o) { return o["format"].toString() + (o["is_date"].toBool() ? " date" : ""); };
    } else if (aspect == "fonts") {
        model = [](const TCell&, const TCellFormat& f) {
            return QStringLiteral("%1 %2 b%3 i%4 u%5 s%6 %7")
                .arg(f.FontName)
                .arg(f.FontSize)
                .arg(f.Bold)
                .arg(f.Italic)
                .arg(f.Underline)
                .arg(f.Strikeout)
                .arg(RgbText(f.FontColour));
        };
        file = [](const QJsonObject& o) {
            return QStringLiteral("%1 %2 b%3 i%4 u%5 s%6 %7")
                .arg(o["font"].toString())
                .arg(o["size"].toDouble())
                .arg(o["bold"].toBool())
                .arg(o["italic"].toBool())
                .arg(o["underline"].toString() == "single")
                .arg(o["strike"].toBool())
                .arg(JsonText(o["colour"]));
        };
    } else if (aspect == "alignment") {
        model = [](const TCell&, const TCellFormat& f) {
            return HAlignWord(f.HAlign) + '/' + VAlignWord(f.VAlign) + (f.Wrap ? " wrap" : "");
        };
        file = [](const QJsonObject& o) {
            QString v = JsonText(o["valign"]);
            if (v == "bottom")
                v.clear();
            return JsonText(o["halign"]) + '/' + v + (o["wrap"].toBool() ? " wrap" : "");
        };
    } else if (aspect == "borders") {
        model = [](const TCell&, const TCellFormat& f) {
            QStringList words;
            for (const TBorderEdge& e : {f.Left, f.Right, f.Top, f.Bottom})
                words << LineWord(e.Style) + (e.Style ? ' ' + RgbText(e.Colour) : QString());
            return words.join(',');
        };
        file = [](const QJsonObject& o) {
            QStringList words;
            const QJsonArray styles = o["borders"].toArray(), colours = o["border_colours"].toArray();
            for (qsizetype i = 0; i < styles.size(); ++i)
                words << JsonText(styles[i]) + (styles[i].isNull() ? QString() : ' ' + JsonText(colours[i]));
            return words.join(',');
        };
    } else if (aspect == "shading") {
        model = [](const TCell&, const TCellFormat& f) { return f.Shaded ? QString("solid C0C0C0") : QString(); };
        file = [](const QJsonObject& o) {
            return o["fill"].toString() == "solid" ? "solid " + JsonText(o["fill_colour"]) : QString();
        };
    }
    const QStringList expected = ModelCells(m_book, model);
    QVERIFY(expected.size() >= 15);
    QCOMPARE(FileCells(m_saved, file), expected);
}

void TstXlsxWriter::columnsAndRows()
{
    // A file stores whole pixels of a 7-pixel digit: a width comes back within half a
    // pixel, 256/14 of the model's units.
    const QJsonObject widths = m_saved["widths"].toObject();
    for (int col = 1; col <= 8; ++col) {
        const int width = m_book.ColumnWidth(col);
        const double saved = widths.contains(QString::number(col)) ? widths[QString::number(col)].toDouble() * 256
                                                                   : Sheet::DefaultColumnWidth;
        if (width == 0)
            continue;
        QVERIFY2(std::abs(saved - width) <= 256.0 / 14 + 0.5,
                 qPrintable(QStringLiteral("column %1: %2 saved as %3").arg(col).arg(width).arg(saved)));
    }
    QCOMPARE(m_saved["hidden_columns"].toArray(), QJsonArray {5});
    QCOMPARE(m_saved["default_row_height"].toDouble() * 20, double(m_book.PrevailingRowHeight()));
    // A row of no height is a hidden row in the file.
    QCOMPARE(m_saved["hidden_rows"].toArray(), QJsonArray {9});
    const QJsonObject heights = m_saved["heights"].toObject();
    for (int row = 1; row <= m_book.LastRow() + 2; ++row) {
        if (m_book.RowHeight(row) == 0)
            continue;
        const double saved = heights.contains(QString::number(row)) ? heights[QString::number(row)].toDouble()
                                                                    : m_saved["default_row_height"].toDouble();
        QCOMPARE(saved * 20, double(m_book.RowHeight(row)));
    }
    QCOMPARE(m_saved["selection"].toString(), QString("B5:C6"));
}

void TstXlsxWriter::pageSetup_data()
{
    QTest::addColumn<bool>("landscape");
    QTest::addColumn<int>("scale");
    QTest::addColumn<bool>("fit");
    QTest::addColumn<int>("wide");
    QTest::addColumn<int>("tall");
    QTest::addColumn<bool>("grid");
    QTest::newRow("portrait, full size, grid") << false << 100 << false << 1 << 1 << true;
    QTest::newRow("landscape at 90%, no grid") << true << 90 << false << 1 << 1 << false;
    QTest::newRow("fit one page wide, two tall") << true << 80 << true << 1 << 2 << false;
    QTest::newRow("fit one page wide, free down") << false << 100 << true << 1 << 0 << true;
}

void TstXlsxWriter::pageSetup()
{
    QFETCH(bool, landscape);
    QFETCH(int, scale);
    QFETCH(bool, fit);
    QFETCH(int, wide);
    QFETCH(int, tall);
    QFETCH(bool, grid);
    TWorkbook book;
    BuildSheet(book);
    book.SetPrintLandscape(landscape);
    book.SetPrintScaling(scale, fit, wide, tall);
    book.SetShowGridLines(grid);
    const QJsonObject saved = SaveAndRead(book, m_dir.filePath("setup.xlsx"));
    const QJsonObject setup = saved["setup"].toObject();
    QCOMPARE(setup["orientation"].toString(), QString(landscape ? "landscape" : "portrait"));
    // The file leaves out what equals its default.
    QCOMPARE(setup["scale"].isNull() ? 100 : setup["scale"].toInt(), scale);
    QCOMPARE(setup["fit_to_pages"].toBool(), fit);
    if (fit) {
        QCOMPARE(setup["fit_width"].isNull() ? 1 : setup["fit_width"].toInt(), wide);
        QCOMPARE(setup["fit_height"].isNull() ? 1 : setup["fit_height"].toInt(), tall);
    }
    QVERIFY(QList<int>({1, 9}).contains(setup["paper"].toVariant().toInt()));
    QCOMPARE(setup["margins"].toArray(), (QJsonArray {0.7, 0.7, 0.75, 0.75}));
    QCOMPARE(saved["show_grid"].toBool(), grid);
    QCOMPARE(saved["print_grid"].toBool(), grid);
}

void TstXlsxWriter::emptySheetOpens()
{
    TWorkbook book;
    const QJsonObject saved = SaveAndRead(book, m_dir.filePath("empty.xlsx"));
    QCOMPARE(saved["sheets"].toArray(), QJsonArray {"Sheet1"});
    QVERIFY(saved["cells"].toObject().isEmpty());
}

void TstXlsxWriter::replacesAnOlderFile()
{
    const QString file = m_dir.filePath("older.xlsx");
    {
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("not a workbook");
    }
    QVERIFY(QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
    const QFileDevice::Permissions permissions = QFile::permissions(file);
    const QJsonObject saved = SaveAndRead(m_book, file);
    QCOMPARE(saved["cells"].toObject()[Key(2, 2)].toObject()["value"].toString(), m_book.CellDisplayText(2, 2));
    QCOMPARE(QFile::permissions(file), permissions);
    QCOMPARE(QDir(m_dir.path()).entryList({"*.part-*"}, QDir::Files | QDir::Hidden), QStringList());
}

// A German or French user's decimal comma in the C library must not reach the file:
// spreadsheets misread "12,5" or refuse the file.
void TstXlsxWriter::sameInEveryLocale_data()
{
    QTest::addColumn<QString>("locale");
    QTest::newRow("German") << "de_DE.UTF-8";
    QTest::newRow("French") << "fr_FR.UTF-8";
}

void TstXlsxWriter::sameInEveryLocale()
{
    QFETCH(QString, locale);
    const std::string before = std::setlocale(LC_NUMERIC, nullptr);
    const auto restore = qScopeGuard([&] { std::setlocale(LC_NUMERIC, before.c_str()); });
    if (!std::setlocale(LC_NUMERIC, locale.toLatin1().constData()))
        QSKIP(qPrintable(locale + " is not generated on this machine"));
    const QJsonObject saved = SaveAndRead(m_book, m_dir.filePath(locale + ".xlsx"));
    QCOMPARE(saved, m_saved);
}

QTEST_GUILESS_MAIN(TstXlsxWriter)
#include "tst_xlsxwriter.moc"
