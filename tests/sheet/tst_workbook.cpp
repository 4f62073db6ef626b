// The workbook model and its formula engine, without widgets.
#include "Exporters.h"
#include "Formats.h"
#include "Workbook.h"
#include "WorkbookSource.h"
#include <QtTest>
#include <algorithm>
#include <functional>

using TBookCall = std::function<void(TWorkbook&)>;
Q_DECLARE_METATYPE(TBookCall)

class TstWorkbook : public QObject {
    Q_OBJECT
private slots:
    void columnHeading_data();
    void columnHeading();
    void formulaResult_data();
    void formulaResult();
    void formulaErrors_data();
    void formulaErrors();
    void recalculatesAfterChange();
    void circularReference_data();
    void circularReference();
    void circularReferenceEndsWhenBroken();
    void deepChain_data();
    void deepChain();
    void emptyAndTextCellsReadZero();
    void clearCells_data();
    void clearCells();
    void clearWholeSheetLeavesItEmpty();
    void formatsApplyToSelectionOnly();
    void bordersOutlineAndCellEdges();
    void totalRuleKeepsOutline();
    void displayText_data();
    void displayText();
    void dateFormatFollowsShortDatePattern();
    void rowHeightsAndColumnWidths();
    void rejectedCalls_data();
    void rejectedCalls();
    void changeHandlerSeesEveryChange();
};

void TstWorkbook::columnHeading_data()
{
    QTest::addColumn<int>("col");
    QTest::addColumn<QString>("heading");
    QTest::newRow("first") << 1 << "A";
    QTest::newRow("C for SUM") << 3 << "C";
    QTest::newRow("last single") << 26 << "Z";
    QTest::newRow("first double") << 27 << "AA";
    QTest::newRow("AZ") << 52 << "AZ";
    QTest::newRow("BA") << 53 << "BA";
    QTest::newRow("last of sheet") << 256 << "IV";
    QTest::newRow("last double") << 702 << "ZZ";
    QTest::newRow("first triple") << 703 << "AAA";
    QTest::newRow("last triple") << 18278 << "ZZZ";
}

void TstWorkbook::columnHeading()
{
    QFETCH(int, col);
    QFETCH(QString, heading);
    QCOMPARE(TWorkbook::GetColumnHeading(col), heading);
}

// Cells used by the formula rows: C3 10, C4 "Heading", C5 2.5, C6 empty, C7 -1.25,
// C8 "12" (text that spells a number), C9 SUM(C3:C5) (a formula read by formulas).
static void FillColumnC(TWorkbook& book)
{
    book.SetCellNumber(3, 3, 10);
    book.SetCellText(4, 3, "Heading");
    book.SetCellNumber(5, 3, 2.5);
    book.SetCellNumber(7, 3, -1.25);
    book.SetCellText(8, 3, "12");
    book.SetCellFormula(9, 3, "SUM(C3:C5)");
}

void TstWorkbook::formulaResult_data()
{
    QTest::addColumn<QString>("formula");
    QTest::addColumn<double>("expected");
    QTest::newRow("sum skips text and empty cells") << "SUM(C3:C7)" << 11.25;
    QTest::newRow("sum over a formula cell") << "SUM(C7:C9)" << 11.25;
    QTest::newRow("sum of a report column with heading") << "SUM(C4:C7)" << 1.25;
    QTest::newRow("reversed corners") << "SUM(C7:C3)" << 11.25;
    QTest::newRow("absolute references") << "SUM($C$3:$C$7)" << 11.25;
    QTest::newRow("lower case with equals sign") << "=sum(c3:c5)" << 12.5;
    QTest::newRow("several arguments") << "SUM(C3, C5:C7, 4)" << 15.25;
    QTest::newRow("sum of empty range") << "SUM(E1:F10)" << 0.0;
    QTest::newRow("single cell") << "C5" << 2.5;
    QTest::newRow("empty cell in arithmetic") << "C6+1" << 1.0;
    QTest::newRow("text that spells a number") << "C8*2" << 24.0;
    QTest::newRow("precedence") << "1+2*3-4/2" << 5.0;
    QTest::newRow("parentheses") << "(1+2)*3" << 9.0;
    QTest::newRow("unary minus") << "-C3+4" << -6.0;
    QTest::newRow("difference of cells") << "C3-C5" << 7.5;
    QTest::newRow("decimal and exponent") << "1.5E2+.5" << 150.5;
    QTest::newRow("spaces") << " SUM( C3 : C5 ) * 2 " << 25.0;
    QTest::newRow("nested sum") << "SUM(SUM(C3:C5),1)" << 13.5;
}

void TstWorkbook::formulaResult()
{
    QFETCH(QString, formula);
    QFETCH(double, expected);
    TWorkbook book;
    FillColumnC(book);
    book.SetCellFormula(20, 5, formula);
    QCOMPARE(book.GetCellNumber(20, 5), expected);
    QVERIFY(!book.GetCellFormula(20, 5).startsWith('='));
}

void TstWorkbook::formulaErrors_data()
{
    QTest::addColumn<QString>("formula");
    QTest::addColumn<QString>("shown");
    QTest::newRow("division by zero") << "C3/0"
                                      << "#DIV/0!";
    QTest::newRow("division by empty cell") << "C3/C6"
                                            << "#DIV/0!";
    QTest::newRow("text in arithmetic") << "C4*2"
                                        << "#VALUE!";
    QTest::newRow("error travels through sum") << "SUM(C3,D1)"
                                               << "#DIV/0!";
}

void TstWorkbook::formulaErrors()
{
    QFETCH(QString, formula);
    QFETCH(QString, shown);
    TWorkbook book;
    FillColumnC(book);
    book.SetCellFormula(1, 4, "1/0");
    book.SetCellFormula(20, 5, formula);
    QCOMPARE(book.CellDisplayText(20, 5), shown);
    QCOMPARE(book.GetCellNumber(20, 5), 0.0);
    QCOMPARE(book.CellValue(20, 5).Kind, TCellValue::Error);
}

void TstWorkbook::recalculatesAfterChange()
{
    TWorkbook book;
    book.SetCellNumber(5, 3, 100);
    book.SetCellNumber(6, 3, 50);
    book.SetCellFormula(8, 3, "SUM(C5:C7)");
    book.SetCellFormula(8, 4, "C8*2");
    QCOMPARE(book.GetCellNumber(8, 3), 150.0);
    QCOMPARE(book.GetCellNumber(8, 4), 300.0);
    // The running-sum pattern of the reports: read, add, write back.
    book.SetCellNumber(7, 3, book.GetCellNumber(7, 3) + 25.5);
    QCOMPARE(book.GetCellNumber(8, 3), 175.5);
    QCOMPARE(book.GetCellNumber(8, 4), 351.0);
    book.SetCellText(5, 3, "replaced by text");
    QCOMPARE(book.GetCellNumber(8, 3), 75.5);
    book.ClearCells(6, 3, 7, 3, Sheet::ClearAll);
    QCOMPARE(book.GetCellNumber(8, 3), 0.0);
    book.SetCellFormula(8, 3, "SUM(C5:C7)+1");
    QCOMPARE(book.GetCellNumber(8, 4), 2.0);
}

// "C5" as row and column.
static std::pair<int, int> CellOf(const QString& name)
{
    int col = 0;
    qsizetype i = 0;
    for (; i < name.size() && name[i].isLetter(); ++i)
        col = col * 26 + (name[i].unicode() - 'A' + 1);
    return {name.mid(i).toInt(), col};
}

void TstWorkbook::circularReference_data()
{
    // Cells as "A1=formula" (a bare number is stored as a number); shown as "A1=text".
    QTest::addColumn<QStringList>("cells");
    QTest::addColumn<QStringList>("shown");
    QTest::newRow("cell reads itself") << QStringList {"A6=A6+1"} << QStringList {"A6=#REF!"};
    QTest::newRow("two cells read each other")
        << QStringList {"A1=B1", "B1=A1"} << QStringList {"A1=#REF!", "B1=#REF!"};
    QTest::newRow("loop through three cells")
        << QStringList {"A1=B1+1", "B1=C1*2", "C1=A1-3"} << QStringList {"A1=#REF!", "B1=#REF!", "C1=#REF!"};
    // A totals column that lands inside its own range.
    QTest::newRow("sum range holds its own cell")
        << QStringList {"C5=7", "D5=SUM(C5:D5)"} << QStringList {"C5=7", "D5=#REF!"};
    QTest::newRow("sum ranges read each other")
        << QStringList {"A1=SUM(B1:B2)", "B2=SUM(A1:A3)", "A3=4"} << QStringList {"A1=#REF!", "B2=#REF!", "A3=4"};
    QTest::newRow("cells reading a loop show its error")
        << QStringList {"A1=B1", "B1=A1", "C1=A1+1", "D1=SUM(C1:C2)*2", "E1=2+3", "F1=E1*2"}
        << QStringList {"A1=#REF!", "B1=#REF!", "C1=#REF!", "D1=#REF!", "E1=5", "F1=10"};
    // Whatever else a formula in the loop would give, the loop is what it shows.
    QTest::newRow("loop with a division by zero")
        << QStringList {"A1=1/0+B1", "B1=A1"} << QStringList {"A1=#REF!", "B1=#REF!"};
    // An error that decides the sum does not hide the loop in a range after it.
    QTest::newRow("loop behind an error in a sum")
        << QStringList {"C1=1/0", "A1=SUM(C1,A1:A2)"} << QStringList {"C1=#DIV/0!", "A1=#REF!"};
    QTest::newRow("loop beside a cell read twice")
        << QStringList {"A1=B1+C1", "B1=D1", "C1=D1*2", "D1=1", "E1=F1+A1", "F1=E1"}
        << QStringList {"A1=3", "B1=1", "C1=2", "D1=1", "E1=#REF!", "F1=#REF!"};
}

void TstWorkbook::circularReference()
{
    QFETCH(QStringList, cells);
    QFETCH(QStringList, shown);
    // Read in the order given and in reverse: the texts must not depend on which comes first.
    for (const bool reversed : {false, true}) {
        TWorkbook book;
        for (const QString& c : cells) {
            const qsizetype eq = c.indexOf('=');
            const auto [row, col] = CellOf(c.left(eq));
            bool number = false;
            const double v = c.mid(eq + 1).toDouble(&number);
            if (number)
                book.SetCellNumber(row, col, v);
            else
                book.SetCellFormula(row, col, c.mid(eq + 1));
        }
        QStringList order = shown;
        if (reversed)
            std::reverse(order.begin(), order.end());
        for (const QString& s : order) {
            const qsizetype eq = s.indexOf('=');
            const auto [row, col] = CellOf(s.left(eq));
            QVERIFY2(book.CellDisplayText(row, col) == s.mid(eq + 1),
                     qPrintable(QStringLiteral("%1 shows %2%3")
                                    .arg(s, book.CellDisplayText(row, col), reversed ? " (read in reverse)" : "")));
            if (s.mid(eq + 1).startsWith('#')) {
                QCOMPARE(book.CellValue(row, col).Kind, TCellValue::Error);
                QCOMPARE(book.GetCellNumber(row, col), 0.0);
            }
        }
    }
}

void TstWorkbook::circularReferenceEndsWhenBroken()
{
    TWorkbook book;
    book.SetCellFormula(1, 1, "B1*2");
    book.SetCellFormula(1, 2, "A1+1");
    book.SetCellFormula(1, 3, "A1+B1");
    QCOMPARE(book.CellDisplayText(1, 3), QString("#REF!"));
    book.SetCellNumber(1, 2, 4);
    QCOMPARE(book.CellDisplayText(1, 1), QString("8"));
    QCOMPARE(book.GetCellNumber(1, 3), 12.0);
    book.SetCellFormula(1, 2, "C1");
    QCOMPARE(book.CellDisplayText(1, 1), QString("#REF!"));
}

void TstWorkbook::deepChain_data()
{
    QTest::addColumn<int>("length");
    QTest::addColumn<QString>("link");   // the formula of row r, %1 standing for r - 1
    QTest::addColumn<int>("readFirst");  // the row read before any other
    QTest::newRow("plus one, last row first") << 10000 << "A%1+1" << 10000;
    QTest::newRow("plus one, first row first") << 10000 << "A%1+1" << 1;
    QTest::newRow("plus one, middle row first") << 10000 << "A%1+1" << 5000;
    QTest::newRow("sum, last row first") << 10000 << "SUM(A%1,1)" << 10000;
    QTest::newRow("sum of a range, last row first") << 10000 << "SUM(A%1:A%1)+1" << 10000;
    QTest::newRow("whole sheet, last row first") << 65536 << "A%1+1" << 65536;
}

void TstWorkbook::deepChain()
{
    QFETCH(int, length);
    QFETCH(QString, link);
    QFETCH(int, readFirst);
    // A1 1, A2 "=A1+1", A3 "=A2+1" and so on: row r holds r.
    TWorkbook book;
    book.SetCellNumber(1, 1, 1);
    for (int r = 2; r <= length; ++r)
        book.SetCellFormula(r, 1, link.arg(r - 1));
    QCOMPARE(book.GetCellNumber(readFirst, 1), double(readFirst));
    QCOMPARE(book.GetCellNumber(length, 1), double(length));
    for (int r = 1; r <= length; r += 997)
        QCOMPARE(book.GetCellNumber(r, 1), double(r));
    QCOMPARE(book.CellDisplayText(length, 1), QString::number(length));
    // A change at the head carries down the whole chain.
    book.SetCellNumber(1, 1, 101);
    QCOMPARE(book.GetCellNumber(length, 1), double(length + 100));
    QCOMPARE(book.GetCellNumber(2, 1), 102.0);
}

void TstWorkbook::emptyAndTextCellsReadZero()
{
    TWorkbook book;
    QCOMPARE(book.GetCellNumber(1, 1), 0.0);
    QCOMPARE(book.GetCellNumber(book.MaxRow(), book.MaxCol()), 0.0);
    book.SetCellText(2, 2, "TOTAL");
    QCOMPARE(book.GetCellNumber(2, 2), 0.0);
    book.SetCellNumber(3, 3, -4.75);
    QCOMPARE(book.GetCellNumber(3, 3), -4.75);
    // Reading does not create cells.
    QCOMPARE(book.LastRow(), 3);
    QCOMPARE(book.LastCol(), 3);
}

void TstWorkbook::clearCells_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<bool>("valueKept");
    QTest::addColumn<bool>("formatKept");
    QTest::newRow("contents and formats") << 1 << false << false;
    QTest::newRow("formats only") << 2 << true << false;
    QTest::newRow("contents only") << 3 << false << true;
}

void TstWorkbook::clearCells()
{
    QFETCH(int, kind);
    QFETCH(bool, valueKept);
    QFETCH(bool, formatKept);
    TWorkbook book;
    for (int r = 1; r <= 4; ++r)
        for (int c = 1; c <= 4; ++c)
            book.SetCellNumber(r, c, r * 10 + c);
    book.SelectRange(1, 1, 4, 4);
    book.SetCellFont("Arial", 10, true, false, false, false, 0, false, false);
    book.ClearCells(2, 2, 3, 3, kind);
    QCOMPARE(book.GetCellNumber(2, 2), valueKept ? 22.0 : 0.0);
    QCOMPARE(book.GetCellNumber(3, 3), valueKept ? 33.0 : 0.0);
    QCOMPARE(book.CellFormat(3, 2).Bold, formatKept);
    // Outside the range nothing changes.
    QCOMPARE(book.GetCellNumber(1, 1), 11.0);
    QCOMPARE(book.GetCellNumber(4, 4), 44.0);
    QCOMPARE(book.GetCellNumber(2, 4), 24.0);
    QVERIFY(book.CellFormat(2, 4).Bold);
}

void TstWorkbook::clearWholeSheetLeavesItEmpty()
{
    TWorkbook book;
    book.SetCellText(2, 2, "EXPENSES REPORT");
    book.SetCellNumber(300, 200, 1);
    book.SetCellFormula(301, 200, "SUM(GR1:GR300)");
    book.SelectRange(4, 2, 10, 10);
    book.SetCellBorders(1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0);
    book.ClearCells(1, 1, book.MaxRow(), book.MaxCol(), 1);
    QCOMPARE(book.LastRow(), 0);
    QCOMPARE(book.LastCol(), 0);
    QVERIFY(book.FindCell(5, 5) == nullptr);
    QCOMPARE(book.CellFormat(5, 5), TCellFormat());
}

void TstWorkbook::formatsApplyToSelectionOnly()
{
    TWorkbook book;
    book.SetCellNumber(2, 2, -1234.5);
    book.SetCellNumber(1, 1, -1234.5);
    book.SelectRange(2, 2, 3, 4);
    book.SetNumberFormat("#,##0.00;(#,##0.00)");
    book.SetCellFont("Arial", 10, true, false, false, false, 0, false, false);
    book.SetCellAlignment(3, true, 1, 0);
    QCOMPARE(book.NumberFormat(), QString("#,##0.00;(#,##0.00)"));
    for (const auto& [r, c] : {std::pair {2, 2}, {3, 4}, {2, 4}, {3, 3}}) {
        const TCellFormat& f = book.CellFormat(r, c);
        QCOMPARE(f.NumberFormat, QString("#,##0.00;(#,##0.00)"));
        QVERIFY(f.Bold);
        QCOMPARE(int(f.HAlign), 3);
        QCOMPARE(int(f.VAlign), 1);
        QVERIFY(f.Wrap);
    }
    for (const auto& [r, c] : {std::pair {1, 1}, {1, 2}, {4, 2}, {2, 5}, {2, 1}})
        QCOMPARE(book.CellFormat(r, c), TCellFormat());
    // A value written after the format takes it on; one outside does not.
    book.SetCellNumber(3, 3, 0.5);
    QCOMPARE(book.CellDisplayText(3, 3), QString("0.50"));
    QCOMPARE(book.CellDisplayText(2, 2), QString("(1,234.50)"));
    QCOMPARE(book.CellDisplayText(1, 1), QString("-1234.5"));
    book.SelectRange(1, 1, 1, 1);
    QCOMPARE(book.NumberFormat(), QString("General"));
}

void TstWorkbook::bordersOutlineAndCellEdges()
{
    TWorkbook book;
    // Medium outline round a 3 by 3 block, nothing inside.
    book.SelectRange(2, 2, 4, 4);
    book.SetCellBorders(2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0);
    QCOMPARE(int(book.CellFormat(2, 2).Left.Style), 2);
    QCOMPARE(int(book.CellFormat(2, 2).Top.Style), 2);
    QCOMPARE(int(book.CellFormat(2, 2).Right.Style), 0);
    QCOMPARE(int(book.CellFormat(3, 3).Left.Style), 0);
    QCOMPARE(int(book.CellFormat(3, 3).Bottom.Style), 0);
    QCOMPARE(int(book.CellFormat(4, 4).Right.Style), 2);
    QCOMPARE(int(book.CellFormat(4, 4).Bottom.Style), 2);
    QCOMPARE(int(book.CellFormat(3, 4).Top.Style), 0);
    // The report box: every cell boxed thin.
    book.SetCellBorders(1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0);
    for (int r = 2; r <= 4; ++r) {
        for (int c = 2; c <= 4; ++c) {
            const TCellFormat& f = book.CellFormat(r, c);
            QCOMPARE(int(f.Left.Style) * 1000 + f.Right.Style * 100 + f.Top.Style * 10 + f.Bottom.Style, 1111);
        }
    }
    QCOMPARE(book.CellFormat(5, 3), TCellFormat());
    // Colours are kept per edge.
    book.SelectRange(6, 6, 6, 6);
    book.SetCellBorders(-1, 1, -1, -1, -1, 1, 0, 0x0000FF, 0, 0, 0);
    QCOMPARE(book.CellFormat(6, 6).Left.Colour, 0x0000FFu);
    QVERIFY(book.CellFormat(6, 6).Shaded);
    QCOMPARE(int(book.CellFormat(6, 6).Right.Style), 0);
}

void TstWorkbook::totalRuleKeepsOutline()
{
    TWorkbook book;
    book.SelectRange(5, 3, 5, 3);
    book.SetCellBorders(1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0);
    // Subtotal rule: outline left as it is, sides cleared, single rule above, double below.
    book.SetCellBorders(-1, 0, 0, 1, 6, 0, 0, 0, 0, 0, 0);
    const TCellFormat& f = book.CellFormat(5, 3);
    QCOMPARE(int(f.Left.Style), 0);
    QCOMPARE(int(f.Right.Style), 0);
    QCOMPARE(int(f.Top.Style), 1);
    QCOMPARE(int(f.Bottom.Style), 6);
}

void TstWorkbook::displayText_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("shown");
    QTest::newRow("money positive") << "#,##0.00;(#,##0.00)" << 1234567.891 << "1,234,567.89";
    QTest::newRow("money negative in brackets") << "#,##0.00;(#,##0.00)" << -50.0 << "(50.00)";
    QTest::newRow("money rounds half away from zero") << "#,##0.00;(#,##0.00)" << 0.125 << "0.13";
    QTest::newRow("general drops float noise") << "General" << 0.1 + 0.2 << "0.3";
    QTest::newRow("general integer") << "General" << 150.0 << "150";
    QTest::newRow("general negative") << "General" << -2.5 << "-2.5";
    QTest::newRow("general large") << "General" << 1.5e12 << "1.5E+12";
    QTest::newRow("date pattern") << "dd-mmm-yyyy" << 37263.0 << "07-Jan-2002";
    QTest::newRow("date ignores time of day") << "dd-mmm-yyyy" << 37263.75 << "07-Jan-2002";
    // A '%' shows the number times a hundred, as a spreadsheet does.
    QTest::newRow("percent two places") << "0.00%" << 0.125 << "12.50%";
    QTest::newRow("percent whole") << "0%" << 0.5 << "50%";
    QTest::newRow("percent mask of the ledger") << "##0.00%" << 0.3333333 << "33.33%";
    QTest::newRow("percent rounds as written") << "0%" << 0.285 << "29%";
    QTest::newRow("percent negative") << "0.0%" << -0.125 << "-12.5%";
    QTest::newRow("percent over a hundred, grouped") << "#,##0.00%" << 1234.5 << "123,450.00%";
    QTest::newRow("percent in the negative section") << "0.00;(0.00%)" << -0.5 << "(50.00%)";
    QTest::newRow("percent only in the negative section") << "0.00;(0.00%)" << 0.5 << "0.50";
    QTest::newRow("percent zero section") << "0%;-0%;\"nil\"" << 0.0 << "nil";
    QTest::newRow("quoted percent is only a sign") << "0.00\"%\"" << 12.5 << "12.50%";
}

void TstWorkbook::displayText()
{
    QFETCH(QString, format);
    QFETCH(double, value);
    QFETCH(QString, shown);
    TWorkbook book;
    book.SelectRange(1, 1, 1, 1);
    book.SetNumberFormat(format);
    book.SetCellNumber(1, 1, value);
    QCOMPARE(book.CellDisplayText(1, 1), shown);
    // A formula shows its result through the same format.
    book.SelectRange(2, 1, 2, 1);
    book.SetNumberFormat(format);
    book.SetCellFormula(2, 1, "A1");
    QCOMPARE(book.CellDisplayText(2, 1), shown);
}

void TstWorkbook::dateFormatFollowsShortDatePattern()
{
    const QString saved = FormatSettings().ShortDateFormat;
    FormatSettings().ShortDateFormat = "dd-mmm-yyyy";
    TWorkbook book;
    book.SetCellNumber(5, 2, 37263);
    book.SetCellNumber(6, 2, 37288);
    book.SelectRange(1, 2, 6, 2);
    book.ApplyDateFormat();
    QCOMPARE(book.CellDisplayText(5, 2), QString("07-Jan-2002"));
    QCOMPARE(book.CellDisplayText(6, 2), QString("01-Feb-2002"));
    QCOMPARE(book.CellFormat(5, 2).NumberFormat, QString("dd-mmm-yyyy"));
    FormatSettings().ShortDateFormat = "dd/mm/yyyy";
    book.SelectRange(7, 2, 7, 2);
    book.ApplyDateFormat();
    book.SetCellNumber(7, 2, 37263);
    QCOMPARE(book.CellDisplayText(7, 2), QString("07/01/2002"));
    FormatSettings().ShortDateFormat = saved;
}

void TstWorkbook::rowHeightsAndColumnWidths()
{
    TWorkbook book;
    QCOMPARE(book.ColumnWidth(5), Sheet::DefaultColumnWidth);
    QCOMPARE(book.RowHeight(5), Sheet::DefaultRowHeight);
    book.SetRowHeights(1, book.MaxRow(), 250, false);
    book.SetRowHeights(4, 4, 500, false);
    QCOMPARE(book.RowHeight(1), 250);
    QCOMPARE(book.RowHeight(3), 250);
    QCOMPARE(book.RowHeight(4), 500);
    QCOMPARE(book.RowHeight(5), 250);
    QCOMPARE(book.RowHeight(book.MaxRow()), 250);
    QCOMPARE(book.PrevailingRowHeight(), 250);
    QCOMPARE(book.RowTopPt(6), 3 * 12.5 + 25 + 12.5);
    QCOMPARE(book.RowAtPt(3 * 12.5 + 1), 4);
    QCOMPARE(book.RowAtPt(3 * 12.5 + 25 + 1), 5);
    book.SetRowHeights(3, 5, 0, true);
    QCOMPARE(book.RowHeight(4), Sheet::DefaultRowHeight);
    QCOMPARE(book.RowHeight(6), 250);
    book.SetColumnWidth(1, 500);
    book.SetColumnWidth(2, 4500);
    QCOMPARE(book.ColumnWidth(2), 4500);
    QCOMPARE(book.ColumnLeftPt(3), (500 + 4500) / 256.0 * Sheet::DigitWidthPt);
    QCOMPARE(book.ColumnAtPt(book.ColumnLeftPt(2) + 1), 2);
}

void TstWorkbook::rejectedCalls_data()
{
    QTest::addColumn<TBookCall>("call");
    auto row = [](const char* name, TBookCall call) { QTest::newRow(name) << call; };
    row("row 0", [](TWorkbook& b) { b.SetCellNumber(0, 1, 1); });
    row("column 257", [](TWorkbook& b) { b.SetCellText(1, 257, "x"); });
    row("row past the sheet", [](TWorkbook& b) { b.GetCellNumber(65537, 1); });
    row("column heading 0", [](TWorkbook& b) { b.GetColumnHeading(0); });
    row("infinite number", [](TWorkbook& b) { b.SetCellNumber(1, 1, qInf()); });
    row("reversed selection", [](TWorkbook& b) { b.SelectRange(5, 1, 4, 1); });
    row("selection outside", [](TWorkbook& b) { b.SelectRange(1, 1, 1, 300); });
    row("horizontal alignment 5", [](TWorkbook& b) { b.SetCellAlignment(5, false, 1, 0); });
    row("vertical alignment 0", [](TWorkbook& b) { b.SetCellAlignment(1, false, 0, 0); });
    row("rotated text", [](TWorkbook& b) { b.SetCellAlignment(1, false, 1, 90); });
    row("border style 7", [](TWorkbook& b) { b.SetCellBorders(7, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0); });
    row("border style -2", [](TWorkbook& b) { b.SetCellBorders(0, -2, 0, 0, 0, 0, 0, 0, 0, 0, 0); });
    row("shade 2", [](TWorkbook& b) { b.SetCellBorders(0, 0, 0, 0, 0, 2, 0, 0, 0, 0, 0); });
    row("clear kind 0", [](TWorkbook& b) { b.ClearCells(1, 1, 2, 2, 0); });
    row("clear kind 4", [](TWorkbook& b) { b.ClearCells(1, 1, 2, 2, 4); });
    row("clear reversed", [](TWorkbook& b) { b.ClearCells(3, 1, 2, 2, 1); });
    row("save type 1",
        [](TWorkbook& b) { ExporterForFileType(1)->Export(TWorkbookSource(b), QDir::tempPath() + "/never.xls"); });
    row("unfinished formula", [](TWorkbook& b) { b.SetCellFormula(1, 1, "SUM(C3:"); });
    row("unknown function", [](TWorkbook& b) { b.SetCellFormula(1, 1, "AVERAGE(C3:C4)"); });
    row("dangling operator", [](TWorkbook& b) { b.SetCellFormula(1, 1, "C3+"); });
    row("range outside a function", [](TWorkbook& b) { b.SetCellFormula(1, 1, "C3:C4"); });
    row("empty formula", [](TWorkbook& b) { b.SetCellFormula(1, 1, ""); });
    row("reference past the sheet", [](TWorkbook& b) { b.SetCellFormula(1, 1, "SUM(IW1:IW2)"); });
    row("row 0 reference", [](TWorkbook& b) { b.SetCellFormula(1, 1, "C0+1"); });
    row("unbalanced parenthesis", [](TWorkbook& b) { b.SetCellFormula(1, 1, "(1+2"); });
    row("column width 0 column", [](TWorkbook& b) { b.SetColumnWidth(0, 500); });
    row("negative width", [](TWorkbook& b) { b.SetColumnWidth(1, -1); });
    row("row heights reversed", [](TWorkbook& b) { b.SetRowHeights(5, 4, 250, false); });
    row("row height too tall", [](TWorkbook& b) { b.SetRowHeights(1, 1, 9000, false); });
    row("font size 0", [](TWorkbook& b) { b.SetCellFont("Arial", 0, true, false, false, false, 0, false, false); });
    row("font without name", [](TWorkbook& b) { b.SetCellFont("", 10, true, false, false, false, 0, false, false); });
    row("print scale 5", [](TWorkbook& b) { b.SetPrintScaling(5, false, 1, 1); });
    row("negative page count", [](TWorkbook& b) { b.SetPrintScaling(90, true, -1, 1); });
    row("empty number format", [](TWorkbook& b) { b.SetNumberFormat(""); });
}

void TstWorkbook::rejectedCalls()
{
    QFETCH(TBookCall, call);
    TWorkbook book;
    book.SetCellNumber(1, 1, 42);
    book.SelectRange(1, 1, 1, 1);
    const uint64_t revision = book.Revision();
    QVERIFY_THROWS_EXCEPTION(ESheetError, call(book));
    // Also catchable as the system's own error type, and nothing changed.
    try {
        call(book);
    } catch (const EZorpError& e) {
        QVERIFY(!e.Message().isEmpty());
    }
    QCOMPARE(book.Revision(), revision);
    QCOMPARE(book.GetCellNumber(1, 1), 42.0);
    QCOMPARE(book.Selection(), (TCellRange {1, 1, 1, 1}));
}

void TstWorkbook::changeHandlerSeesEveryChange()
{
    TWorkbook book;
    int calls = 0;
    book.SetChangeHandler([&] { ++calls; });
    book.SetCellNumber(1, 1, 1);
    book.SetCellText(1, 2, "a");
    book.SelectRange(1, 1, 1, 2);
    book.SetNumberFormat("0.00");
    book.SetShowGridLines(false);
    QCOMPARE(calls, 5);
    book.GetCellNumber(1, 1);
    QCOMPARE(calls, 5);
}

QTEST_GUILESS_MAIN(TstWorkbook)
#include "tst_workbook.moc"
