#pragma once
// The workbook behind the report grid: one worksheet of sparse cells with their formats,
// column widths, row heights, the current selection and the page set-up. It has no
// widgets and knows of no file format: the grid view, the printed page and
// TWorkbookSource (the one face that saved files are made from) read it.
//
// Units are those of the Excel file format: column widths in 1/256 of a character width,
// row heights in twentieths of a point. Format calls act on the current selection
// (SelectRange first). Every refused call throws ESheetError and changes nothing.
#include "Formula.h"
#include "SheetTypes.h"
#include <QHash>
#include <functional>
#include <map>
#include <memory>
#include <vector>

// One stored cell. A cell may hold only a format (a border round an empty cell).
struct TCell {
    enum Content : uint8_t { None, Number, Text, Formula };
    Content Kind = None;
    int Format = 0;  // index into the workbook's format table; 0 is the default look
    double Num = 0;
    QString Str;
    std::shared_ptr<const TFormula> Expr;

    // Formula result, valid while CalcGeneration matches the workbook's.
    mutable TCellValue Result;
    mutable uint32_t CalcGeneration = 0;
    mutable uint8_t CalcState = 0;  // 1 while its recalculation is under way, 2 when Result is current
};

class TWorkbook {
public:
    TWorkbook();
    TWorkbook(const TWorkbook&) = delete;
    TWorkbook& operator=(const TWorkbook&) = delete;

    // ---- Properties ----
    bool ShowGridLines() const { return m_showGridLines; }
    void SetShowGridLines(bool show);
    // The last row and column a cell may have.
    int MaxRow() const { return Sheet::RowLimit; }
    int MaxCol() const { return Sheet::ColLimit; }
    bool PrintLandscape() const { return m_printLandscape; }
    void SetPrintLandscape(bool landscape);
    // Reads the format of the selection's first cell; setting applies to the selection.
    QString NumberFormat() const;
    void SetNumberFormat(const QString& format);

    // ---- Operations ----
    // Column letters: 1 "A", 26 "Z", 27 "AA", 702 "ZZ", 703 "AAA".
    static QString GetColumnHeading(int col);
    void SetCellFormula(int row, int col, const QString& formula);
    // The number a cell holds or its formula yields; 0 for empty, text and error cells.
    double GetCellNumber(int row, int col) const;
    void SetCellNumber(int row, int col, double value);
    // Text cell; an empty text empties the cell but keeps its format.
    void SetCellText(int row, int col, const QString& text);
    void SetColumnWidth(int col, int width);
    // kind 1 contents and formats, 2 formats only, 3 contents only.
    void ClearCells(int row1, int col1, int row2, int col2, int kind);
    // The selection shows day numbers as dates in the pattern given, or in the
    // application's short date format.
    void ApplyDateFormat(const QString& pattern = {});
    // horizontal 1 general, 2 left, 3 centre, 4 right; vertical 1 top, 2 centre, 3 bottom;
    // orientation 0 (horizontal text) only.
    void SetCellAlignment(int hAlign, bool wrap, int vAlign, int orientation);
    // Line styles 0 none, 1 thin, 2 medium, 3 dashed, 4 dotted, 5 thick, 6 double, -1 leave
    // unchanged. outline draws round the selection as a whole, left/right/top/bottom on every
    // cell's own edges (applied first, so the outline wins on the rim). shade 0 clear,
    // 1 grey, -1 unchanged. Colours are 0x00BBGGRR.
    void SetCellBorders(int outline, int left, int right, int top, int bottom, int shade, uint32_t outlineColour,
                        uint32_t leftColour, uint32_t rightColour, uint32_t topColour, uint32_t bottomColour);
    // size in points (1 to 409).
    void SetCellFont(const QString& name, int size, bool bold, bool italic, bool underline, bool strikeout,
                     uint32_t colour, bool outline, bool shadow);
    // percent 10 to 400; with fitToPages the used range is shrunk to at most pagesWide by
    // pagesTall pages (0 leaves that direction free).
    void SetPrintScaling(int percent, bool fitToPages, int pagesWide, int pagesTall);
    // height in twentieths of a point (0 to 8192); defaultHeight true gives the rows the
    // default height instead.
    void SetRowHeights(int row1, int row2, int height, bool defaultHeight);
    void SelectRange(int row1, int col1, int row2, int col2);

    // ---- Reading, for the view, the printer, TWorkbookSource and tests ----
    const TCell* FindCell(int row, int col) const;
    // The evaluated value: a formula's result, a number, a text, or Empty.
    TCellValue CellValue(int row, int col) const;
    TCellValue CellValue(const TCell& cell) const;
    // The text a cell shows: the value through its number format.
    QString CellDisplayText(int row, int col) const;
    QString CellDisplayText(const TCell& cell) const;
    // The formula as written (without '='), or empty when the cell holds none.
    QString GetCellFormula(int row, int col) const;
    const TCellFormat& CellFormat(int row, int col) const;
    const TCellFormat& Format(int index) const { return m_formats[size_t(index)]; }
    int FormatCount() const { return int(m_formats.size()); }

    int ColumnWidth(int col) const { return m_colWidths[size_t(col)]; }
    int RowHeight(int row) const;
    // The height that most rows have; the saved file declares it as the default.
    int PrevailingRowHeight() const;
    double ColumnWidthPt(int col) const { return ColumnWidth(col) / 256.0 * m_digitWidthPt; }
    double RowHeightPt(int row) const { return RowHeight(row) / 20.0; }
    // The width of one character unit of the column widths, in points: the digit width
    // of the default font. A view sets it from the font the system really draws with, so
    // that what fits a column on screen fits it on paper too.
    double DigitWidthPt() const { return m_digitWidthPt; }
    void SetDigitWidthPt(double points);
    // Distance from the sheet's top-left corner to the column's left / the row's top edge.
    double ColumnLeftPt(int col) const;
    double RowTopPt(int row) const;
    // The column or row under a distance from the corner, clamped to the sheet.
    int ColumnAtPt(double x) const;
    int RowAtPt(double y) const;

    TCellRange Selection() const { return m_selection; }
    // Last row and column that hold a value or a format; 0 when the sheet is empty.
    int LastRow() const;
    int LastCol() const;
    int PrintScale() const { return m_printScale; }
    bool PrintFitToPages() const { return m_fitToPages; }
    int PrintPagesWide() const { return m_pagesWide; }
    int PrintPagesTall() const { return m_pagesTall; }

    // Visits the stored cells of a range in row order, then column order.
    void ForEachCell(const TCellRange& range, const std::function<void(int row, int col, const TCell&)>& visit) const;
    // Nearest cell with content left or right of col in the row (0 when none), for text
    // that spills into empty neighbours.
    int PreviousContentCol(int row, int col) const;
    int NextContentCol(int row, int col) const;

    // Called after every change, so that a view can repaint.
    void SetChangeHandler(std::function<void()> handler) { m_onChanged = std::move(handler); }
    uint64_t Revision() const { return m_revision; }

private:
    class TRecalc;  // Recalc.cpp
    using TCellMap = std::map<uint32_t, TCell>;
    static uint32_t Key(int row, int col) { return (uint32_t(row) << 9) | uint32_t(col); }
    static int RowOf(uint32_t key) { return int(key >> 9); }
    static int ColOf(uint32_t key) { return int(key & 0x1FF); }

    void CheckCell(int row, int col) const;
    void CheckRange(int row1, int col1, int row2, int col2) const;
    TCell& CellForWrite(int row, int col);
    void ContentChanged();
    void Changed();
    int InternFormat(const TCellFormat& format);
    // Applies a change to the format of every cell of the selection; edges tells the
    // cell's place on the selection's rim (1 left, 2 right, 4 top, 8 bottom).
    void FormatSelection(const std::function<void(TCellFormat&, int edges)>& change);
    // The formula's result, worked out first when a change has made it stale.
    const TCellValue& Evaluate(const TCell& cell) const;
    bool IsCurrent(const TCell& cell) const { return cell.CalcGeneration == m_calcGeneration && cell.CalcState == 2; }

    TCellMap m_cells;
    std::vector<TCellFormat> m_formats;
    QHash<TCellFormat, int> m_formatIndex;
    std::vector<int> m_colWidths;        // index 1..ColLimit
    std::map<int, int> m_rowHeightRuns;  // first row of a run -> height of the run
    mutable std::vector<double> m_colLeft;
    mutable std::vector<double> m_rowTop;
    mutable bool m_colLeftValid = false;
    mutable bool m_rowTopValid = false;
    mutable uint64_t m_usedRevision = ~uint64_t(0);
    mutable int m_lastRow = 0, m_lastCol = 0;
    mutable uint32_t m_calcGeneration = 1;

    double m_digitWidthPt = Sheet::DigitWidthPt;
    TCellRange m_selection;
    bool m_showGridLines = true;
    bool m_printLandscape = false;
    int m_printScale = 100;
    bool m_fitToPages = false;
    int m_pagesWide = 1, m_pagesTall = 1;
    uint64_t m_revision = 0;
    std::function<void()> m_onChanged;
};
