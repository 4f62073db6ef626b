#include "SheetPainter.h"
#include "Workbook.h"
#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace SheetPainter {
namespace {

QColor FromColorRef(uint32_t c)
{
    return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

class TCellGeometry {
public:
    TCellGeometry(const TWorkbook& book, const TArea& area)
        : m_book(book), m_area(area), m_left0(book.ColumnLeftPt(area.Col1)), m_top0(book.RowTopPt(area.Row1))
    { }
    double X(int col) const { return m_area.Origin.x() + (m_book.ColumnLeftPt(col) - m_left0) * m_area.Unit; }
    double Y(int row) const { return m_area.Origin.y() + (m_book.RowTopPt(row) - m_top0) * m_area.Unit; }
    QRectF Cell(int row, int col) const { return QRectF(QPointF(X(col), Y(row)), QPointF(X(col + 1), Y(row + 1))); }

private:
    const TWorkbook& m_book;
    const TArea& m_area;
    double m_left0, m_top0;
};

QFont CellFont(const TCellFormat& f, double unit, const QPainter& painter)
{
    QFont font(f.FontName);
    // The device turns points into its own units; scale so that one point is `unit`.
    const double dpi = painter.device()->logicalDpiY();
    font.setPointSizeF(std::max(1.0, f.FontSize * unit * 72.0 / dpi));
    font.setBold(f.Bold);
    font.setItalic(f.Italic);
    font.setUnderline(f.Underline);
    font.setStrikeOut(f.Strikeout);
    return font;
}

void PaintText(QPainter& painter, const TWorkbook& book, const TCellGeometry& geo, const TArea& area, int row, int col,
               const TCell& cell)
{
    const TCellFormat& f = book.Format(cell.Format);
    const TCellValue value = book.CellValue(cell);
    QString text = book.CellDisplayText(cell);
    if (text.isEmpty())
        return;
    const bool numeric = value.Kind == TCellValue::Number || value.Kind == TCellValue::Empty;
    int h = f.HAlign;
    if (h == Sheet::HGeneral)
        h = numeric ? Sheet::HRight : value.Kind == TCellValue::Error ? Sheet::HCentre : Sheet::HLeft;
    const QFont font = CellFont(f, area.Unit, painter);
    painter.setFont(font);
    painter.setPen(FromColorRef(f.FontColour));
    const double pad = 2.0 * area.Unit;
    QRectF cellRect = geo.Cell(row, col);
    int vflag = f.VAlign == Sheet::VTop      ? Qt::AlignTop
                : f.VAlign == Sheet::VCentre ? Qt::AlignVCenter
                                             : Qt::AlignBottom;
    const int hflag = h == Sheet::HLeft ? Qt::AlignLeft : h == Sheet::HRight ? Qt::AlignRight : Qt::AlignHCenter;
    if (f.Wrap && !numeric) {
        painter.save();
        painter.setClipRect(cellRect, Qt::IntersectClip);
        painter.drawText(cellRect.adjusted(pad, 0, -pad, 0), hflag | vflag | Qt::TextWordWrap, text);
        painter.restore();
        return;
    }
    const QFontMetricsF fm(font, painter.device());
    const double need = fm.horizontalAdvance(text) + 2 * pad;
    QRectF box = cellRect;
    if (need > cellRect.width()) {
        if (numeric) {
            // A number that does not fit shows as #### rather than a misleading part.
            const double hashWidth = std::max(1.0, fm.horizontalAdvance(QLatin1Char('#')));
            text = QString(std::max(1, int((cellRect.width() - 2 * pad) / hashWidth)), QLatin1Char('#'));
        } else {
            // Text runs on into empty neighbours on the side(s) its alignment leaves open.
            const bool right = h != Sheet::HRight, left = h != Sheet::HLeft;
            int c1 = col, c2 = col;
            const int stopRight = book.NextContentCol(row, col);
            const int stopLeft = book.PreviousContentCol(row, col);
            for (;;) {
                const double width = geo.X(c2 + 1) - geo.X(c1);
                if (width >= need)
                    break;
                bool grew = false;
                if (right && c2 < Sheet::ColLimit && (stopRight == 0 || c2 + 1 < stopRight)) {
                    ++c2;
                    grew = true;
                }
                if (left && c1 > 1 && c1 - 1 > stopLeft) {
                    --c1;
                    grew = true;
                }
                if (!grew)
                    break;
            }
            box = QRectF(QPointF(geo.X(c1), cellRect.top()), QPointF(geo.X(c2 + 1), cellRect.bottom()));
            if (h == Sheet::HCentre) {
                // Stay centred on the cell itself, as far as the room allows.
                const double half = std::min(cellRect.center().x() - box.left(), box.right() - cellRect.center().x());
                if (half * 2 >= need)
                    box = QRectF(cellRect.center().x() - half, box.top(), half * 2, box.height());
            }
        }
    }
    painter.save();
    painter.setClipRect(box, Qt::IntersectClip);
    painter.drawText(box.adjusted(pad, 0, -pad, 0), hflag | vflag | Qt::TextSingleLine, text);
    painter.restore();
}

void PaintEdge(QPainter& painter, const TBorderEdge& edge, QPointF a, QPointF b, double unit, bool vertical)
{
    if (edge.Style == Sheet::LineNone)
        return;
    const double thin = std::max(1.0, 0.5 * unit);
    QPen pen(FromColorRef(edge.Colour));
    pen.setCapStyle(Qt::FlatCap);
    switch (edge.Style) {
    case Sheet::LineMedium: pen.setWidthF(std::max(2.0, 1.0 * unit)); break;
    case Sheet::LineThick: pen.setWidthF(std::max(3.0, 1.5 * unit)); break;
    case Sheet::LineDashed:
        pen.setWidthF(thin);
        pen.setStyle(Qt::DashLine);
        break;
    case Sheet::LineDotted:
        pen.setWidthF(thin);
        pen.setStyle(Qt::DotLine);
        break;
    default: pen.setWidthF(thin); break;
    }
    painter.setPen(pen);
    if (edge.Style == Sheet::LineDouble) {
        const double gap = std::max(1.0, 0.75 * unit);
        const QPointF off = vertical ? QPointF(gap, 0) : QPointF(0, gap);
        painter.drawLine(a - off, b - off);
        painter.drawLine(a + off, b + off);
    } else {
        painter.drawLine(a, b);
    }
}

}  // namespace

void PaintCells(QPainter& painter, const TWorkbook& book, const TArea& area)
{
    const TCellGeometry geo(book, area);
    const TCellRange range {area.Row1, area.Col1, area.Row2, area.Col2};
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);

    book.ForEachCell(range, [&](int row, int col, const TCell& cell) {
        if (book.Format(cell.Format).Shaded)
            painter.fillRect(geo.Cell(row, col), QColor(0xC0, 0xC0, 0xC0));
    });

    if (area.GridLines) {
        QPen grid(QColor(0xD4, 0xD4, 0xD4));
        grid.setWidthF(std::max(1.0, 0.25 * area.Unit));
        painter.setPen(grid);
        const double x1 = geo.X(area.Col1), x2 = geo.X(area.Col2 + 1);
        const double y1 = geo.Y(area.Row1), y2 = geo.Y(area.Row2 + 1);
        for (int c = area.Col1; c <= area.Col2 + 1; ++c)
            painter.drawLine(QPointF(geo.X(c), y1), QPointF(geo.X(c), y2));
        for (int r = area.Row1; r <= area.Row2 + 1; ++r)
            painter.drawLine(QPointF(x1, geo.Y(r)), QPointF(x2, geo.Y(r)));
    }

    for (int row = area.Row1; row <= area.Row2; ++row) {
        // Text from outside the area may run into it.
        const int before = book.PreviousContentCol(row, area.Col1);
        if (before)
            PaintText(painter, book, geo, area, row, before, *book.FindCell(row, before));
        book.ForEachCell({row, area.Col1, row, area.Col2}, [&](int r, int c, const TCell& cell) {
            if (cell.Kind != TCell::None)
                PaintText(painter, book, geo, area, r, c, cell);
        });
        const int after = book.NextContentCol(row, area.Col2);
        if (after)
            PaintText(painter, book, geo, area, row, after, *book.FindCell(row, after));
    }

    // Borders last, over text that ran on; neighbours' edges on the rim are included.
    const TCellRange borderRange {std::max(1, area.Row1 - 1), std::max(1, area.Col1 - 1),
                                  std::min(Sheet::RowLimit, area.Row2 + 1), std::min(Sheet::ColLimit, area.Col2 + 1)};
    book.ForEachCell(borderRange, [&](int row, int col, const TCell& cell) {
        const TCellFormat& f = book.Format(cell.Format);
        if (!f.Left.Style && !f.Right.Style && !f.Top.Style && !f.Bottom.Style)
            return;
        const QRectF r = geo.Cell(row, col);
        PaintEdge(painter, f.Left, r.topLeft(), r.bottomLeft(), area.Unit, true);
        PaintEdge(painter, f.Right, r.topRight(), r.bottomRight(), area.Unit, true);
        PaintEdge(painter, f.Top, r.topLeft(), r.topRight(), area.Unit, false);
        PaintEdge(painter, f.Bottom, r.bottomLeft(), r.bottomRight(), area.Unit, false);
    });
    painter.restore();
}

TPagePlan PlanPages(const TWorkbook& book, double pageWidthPt, double pageHeightPt)
{
    TPagePlan plan;
    const int lastRow = book.LastRow(), lastCol = book.LastCol();
    if (lastRow == 0 || lastCol == 0)
        return plan;
    // The used range is printed from the sheet's corner, so the margin column and the
    // empty rows a report leaves above its title keep their place.
    const double totalW = book.ColumnLeftPt(lastCol + 1), totalH = book.RowTopPt(lastRow + 1);
    double scale = book.PrintScale() / 100.0;
    if (book.PrintFitToPages()) {
        // Shrink only, never enlarge, to the pages asked for.
        scale = 1.0;
        if (book.PrintPagesWide() > 0 && totalW > 0)
            scale = std::min(scale, book.PrintPagesWide() * pageWidthPt / totalW);
        if (book.PrintPagesTall() > 0 && totalH > 0)
            scale = std::min(scale, book.PrintPagesTall() * pageHeightPt / totalH);
        scale = std::max(scale, 0.1);
    }
    plan.Scale = scale;
    auto bands = [&](int last, auto size, double room, std::vector<std::pair<int, int>>& out) {
        int first = 1;
        double used = 0;
        for (int i = 1; i <= last; ++i) {
            const double s = size(i) * scale;
            if (i > first && used + s > room + 1e-6) {
                out.emplace_back(first, i - 1);
                first = i;
                used = 0;
            }
            used += s;
        }
        out.emplace_back(first, last);
    };
    bands(
        lastCol, [&](int c) { return book.ColumnWidthPt(c); }, pageWidthPt, plan.ColumnBands);
    bands(
        lastRow, [&](int r) { return book.RowHeightPt(r); }, pageHeightPt, plan.RowBands);
    return plan;
}

void ApplyPageSetup(const TWorkbook& book, QPagedPaintDevice& device)
{
    device.setPageOrientation(book.PrintLandscape() ? QPageLayout::Landscape : QPageLayout::Portrait);
    // The margins the saved file declares: 0.7 inch at the sides, 0.75 at top and bottom.
    device.setPageMargins(QMarginsF(50.4, 54, 50.4, 54), QPageLayout::Point);
}

int PrintPages(const TWorkbook& book, QPagedPaintDevice& device)
{
    const double dpiX = device.logicalDpiX(), dpiY = device.logicalDpiY();
    const double pageW = device.width() * 72.0 / dpiX, pageH = device.height() * 72.0 / dpiY;
    const TPagePlan plan = PlanPages(book, pageW, pageH);
    if (plan.PageCount() == 0)
        throw ESheetError(QStringLiteral("The sheet has nothing to print"));
    QPainter painter;
    if (!painter.begin(&device))
        throw ESheetError(QStringLiteral("The printer could not be started"));
    bool first = true;
    for (const auto& [c1, c2] : plan.ColumnBands) {
        for (const auto& [r1, r2] : plan.RowBands) {
            if (!first && !device.newPage()) {
                painter.end();
                throw ESheetError(QStringLiteral("The printer could not start a new page"));
            }
            first = false;
            TArea area;
            area.Row1 = r1;
            area.Col1 = c1;
            area.Row2 = r2;
            area.Col2 = c2;
            area.Unit = dpiX / 72.0 * plan.Scale;
            area.GridLines = book.ShowGridLines();
            const double w = (book.ColumnLeftPt(c2 + 1) - book.ColumnLeftPt(c1)) * area.Unit;
            const double h = (book.RowTopPt(r2 + 1) - book.RowTopPt(r1)) * area.Unit;
            painter.save();
            // A little room round the band for the rims of borders drawn on its edge.
            const double rim = 2 * area.Unit;
            painter.setClipRect(QRectF(-rim, -rim, w + 2 * rim, h + 2 * rim));
            PaintCells(painter, book, area);
            painter.restore();
        }
    }
    painter.end();
    return plan.PageCount();
}

}  // namespace SheetPainter
