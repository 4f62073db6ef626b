#pragma once
// Draws cells the same way on the screen and on paper: values through their formats,
// fonts, alignment, wrapping, text running on into empty neighbours, shading, grid lines
// and borders. The grid view paints the visible part with it, printing paints page by
// page.
#include <QPointF>
#include <QRectF>
#include <vector>

class QPainter;
class QPagedPaintDevice;
class TWorkbook;

namespace SheetPainter {

struct TArea {
    int Row1 = 1, Col1 = 1, Row2 = 1, Col2 = 1;  // cells to draw
    QPointF Origin;                              // device position of the top-left corner of (Row1, Col1)
    double Unit = 1.0;                           // device units per point (zoom and print scaling included)
    bool GridLines = true;
};

void PaintCells(QPainter& painter, const TWorkbook& book, const TArea& area);

// How the used range falls on pages.
struct TPagePlan {
    double Scale = 1.0;                            // share of natural size
    std::vector<std::pair<int, int>> ColumnBands;  // first and last column per page across
    std::vector<std::pair<int, int>> RowBands;     // first and last row per page down
    int PageCount() const { return int(ColumnBands.size() * RowBands.size()); }
};
// Page area in points; an empty sheet gives no bands.
TPagePlan PlanPages(const TWorkbook& book, double pageWidthPt, double pageHeightPt);

// Orientation and margins of the sheet's page set-up, to be applied before painting
// starts (and before a print dialog is shown, so that it offers them).
void ApplyPageSetup(const TWorkbook& book, QPagedPaintDevice& device);

// Prints the used range, pages down then across; returns the number of pages. A sheet
// with nothing on it throws ESheetError.
int PrintPages(const TWorkbook& book, QPagedPaintDevice& device);

}  // namespace SheetPainter
