#pragma once
// TF1Book: the spreadsheet grid that every report screen hosts. It shows the workbook
// model (TWorkbook) with column letters and row numbers, lets the user scroll, select and
// copy, and prints and saves the sheet. The cell and format operations are the model's,
// passed through under the same names.
#include "Dialogs.h"
#include "Workbook.h"
#include <QAbstractScrollArea>
#include <QList>

class QPrinter;

class TF1Book : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit TF1Book(QWidget* parent = nullptr);
    ~TF1Book() override;

    TWorkbook& Book() { return m_book; }
    const TWorkbook& Book() const { return m_book; }

    // ---- Properties ----
    bool ShowGridLines() const { return m_book.ShowGridLines(); }
    void SetShowGridLines(bool show) { m_book.SetShowGridLines(show); }
    int MaxCol() const { return m_book.MaxCol(); }
    int MaxRow() const { return m_book.MaxRow(); }
    bool PrintLandscape() const { return m_book.PrintLandscape(); }
    void SetPrintLandscape(bool landscape) { m_book.SetPrintLandscape(landscape); }
    QString NumberFormat() const { return m_book.NumberFormat(); }
    void SetNumberFormat(const QString& format) { m_book.SetNumberFormat(format); }

    // ---- Operations ----
    QString GetColumnHeading(int col) const { return TWorkbook::GetColumnHeading(col); }
    void SetCellFormula(int row, int col, const QString& formula) { m_book.SetCellFormula(row, col, formula); }
    double GetCellNumber(int row, int col) const { return m_book.GetCellNumber(row, col); }
    void SetCellNumber(int row, int col, double value) { m_book.SetCellNumber(row, col, value); }
    void SetCellText(int row, int col, const QString& text) { m_book.SetCellText(row, col, text); }
    void SetColumnWidth(int col, int width) { m_book.SetColumnWidth(col, width); }
    void ClearCells(int row1, int col1, int row2, int col2, int kind)
    {
        m_book.ClearCells(row1, col1, row2, col2, kind);
    }
    // true: the user picks the printer first (and may cancel); false: the default printer.
    void PrintSheet(bool choosePrinter);
    void ApplyDateFormat(const QString& pattern = {}) { m_book.ApplyDateFormat(pattern); }
    void SetCellAlignment(int hAlign, bool wrap, int vAlign, int orientation)
    {
        m_book.SetCellAlignment(hAlign, wrap, vAlign, orientation);
    }
    void SetCellBorders(int outline, int left, int right, int top, int bottom, int shade, uint32_t outlineColour,
                        uint32_t leftColour, uint32_t rightColour, uint32_t topColour, uint32_t bottomColour)
    {
        m_book.SetCellBorders(outline, left, right, top, bottom, shade, outlineColour, leftColour, rightColour,
                              topColour, bottomColour);
    }
    void SetCellFont(const QString& name, int size, bool bold, bool italic, bool underline, bool strikeout,
                     uint32_t colour, bool outline, bool shadow)
    {
        m_book.SetCellFont(name, size, bold, italic, underline, strikeout, colour, outline, shadow);
    }
    void SetPrintScaling(int percent, bool fitToPages, int pagesWide, int pagesTall)
    {
        m_book.SetPrintScaling(percent, fitToPages, pagesWide, pagesTall);
    }
    void SetRowHeights(int row1, int row2, int height, bool defaultHeight)
    {
        m_book.SetRowHeights(row1, row2, height, defaultHeight);
    }
    void SelectRange(int row1, int col1, int row2, int col2) { m_book.SelectRange(row1, col1, row2, col2); }
    // fileType a Sheet::FileType: 4 Excel 97-2003 workbook, 5 Excel workbook (.xlsx),
    // 6 CSV, 7 PDF of the printed pages. An existing file is replaced only by a complete
    // one; errors throw ESheetError naming the file.
    void SaveWorkbook(const QString& path, int fileType) const;
    // A file type SaveWorkbook writes, as a save dialog offers it.
    struct TSaveType {
        int FileType;
        TFileType File;
    };
    // Every type SaveWorkbook writes, in the order a save dialog offers them: Excel 97-2003
    // first, the type reports have always been saved as.
    static QList<TSaveType> SaveTypes();

    // ---- Printing, copying, geometry ----
    // Sets the printer to the sheet's page set-up and prints on it; returns the page count.
    int PrintTo(QPrinter& printer) const;
    // Shows the pages in a preview window from which they can be printed.
    void PrintPreview();
    // The selection (within the used range) as tab-separated lines of the shown texts.
    QString SelectionText() const;
    void CopyToClipboard() const;
    // Where a cell is drawn in viewport coordinates (possibly outside the visible part).
    QRect CellRect(int row, int col) const;
    // The cell under a viewport point: row or column 0 on the headings.
    QPair<int, int> CellAt(const QPoint& pos) const;
    void ScrollToCell(int row, int col);
    int HeaderHeight() const;
    int HeaderWidth() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    enum class TDrag { None, Cells, Columns, Rows };
    double Unit() const;  // pixels per point
    void BookChanged();
    void UpdateScrollBars();
    void SelectFromAnchor(int row, int col);
    void PaintHeaders(QPainter& painter, int firstRow, int lastRow, int firstCol, int lastCol);

    TWorkbook m_book;
    bool m_layoutPending = false;
    TDrag m_drag = TDrag::None;
    int m_anchorRow = 1, m_anchorCol = 1;
    int m_cursorRow = 1, m_cursorCol = 1;
};
