#include "F1Book.h"
#include "Dialogs.h"
#include "ErrorHandler.h"
#include "Exporters.h"
#include "SheetPainter.h"
#include "WorkbookSource.h"
#include <QApplication>
#include <QClipboard>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QScrollBar>
#include <algorithm>
#include <cmath>

namespace {
// How far past the used range the scroll bars reach, so that there is room to look
// around without scrolling through tens of thousands of empty rows.
constexpr int SpareColumns = 10;
constexpr int SpareRows = 50;
const QColor SelectionColour(0, 120, 215);
}  // namespace

TF1Book::TF1Book(QWidget* parent) : QAbstractScrollArea(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(false);
    // Column widths count digits of the default font; measure the font the system really
    // draws for it, unhinted, so that screen and paper agree.
    QImage probe(1, 1, QImage::Format_RGB32);
    probe.setDotsPerMeterX(int(1200 / 0.0254));
    probe.setDotsPerMeterY(int(1200 / 0.0254));
    const double digit = QFontMetricsF(QFont(QStringLiteral("Arial"), 10), &probe).horizontalAdvance(QLatin1Char('0'));
    if (digit > 0)
        m_book.SetDigitWidthPt(std::clamp(digit * 72.0 / 1200.0, 3.0, 10.0));
    m_book.SetChangeHandler([this] { BookChanged(); });
    UpdateScrollBars();
}

TF1Book::~TF1Book()
{
    m_book.SetChangeHandler({});
}

double TF1Book::Unit() const
{
    return viewport()->logicalDpiY() / 72.0;
}

int TF1Book::HeaderHeight() const
{
    return fontMetrics().height() + 6;
}

int TF1Book::HeaderWidth() const
{
    return fontMetrics().horizontalAdvance(QStringLiteral("65536")) + 12;
}

void TF1Book::BookChanged()
{
    viewport()->update();
    // A selection set by a caller becomes the keyboard's starting point.
    const TCellRange sel = m_book.Selection();
    const TCellRange mine {std::min(m_anchorRow, m_cursorRow), std::min(m_anchorCol, m_cursorCol),
                           std::max(m_anchorRow, m_cursorRow), std::max(m_anchorCol, m_cursorCol)};
    if (m_drag == TDrag::None && !(sel == mine)) {
        m_anchorRow = m_cursorRow = sel.Row1;
        m_anchorCol = m_cursorCol = sel.Col1;
    }
    // Reports write thousands of cells in a row; the scroll range is worked out once
    // after they are done, not after each one.
    if (!m_layoutPending) {
        m_layoutPending = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (m_layoutPending)
                    UpdateScrollBars();
            },
            Qt::QueuedConnection);
    }
}

void TF1Book::UpdateScrollBars()
{
    m_layoutPending = false;
    const double u = Unit();
    const int lastCol = std::min(Sheet::ColLimit, std::max(m_book.LastCol(), m_cursorCol) + SpareColumns);
    const int lastRow = std::min(Sheet::RowLimit, std::max(m_book.LastRow(), m_cursorRow) + SpareRows);
    const int cellsW = std::max(0, viewport()->width() - HeaderWidth());
    const int cellsH = std::max(0, viewport()->height() - HeaderHeight());
    const int totalW = int(std::ceil(m_book.ColumnLeftPt(lastCol + 1) * u));
    const int totalH = int(std::ceil(m_book.RowTopPt(lastRow + 1) * u));
    horizontalScrollBar()->setRange(0, std::max(0, totalW - cellsW));
    horizontalScrollBar()->setPageStep(std::max(1, cellsW));
    horizontalScrollBar()->setSingleStep(20);
    verticalScrollBar()->setRange(0, std::max(0, totalH - cellsH));
    verticalScrollBar()->setPageStep(std::max(1, cellsH));
    verticalScrollBar()->setSingleStep(20);
}

QRect TF1Book::CellRect(int row, int col) const
{
    const double u = Unit();
    const double x0 = HeaderWidth() - horizontalScrollBar()->value();
    const double y0 = HeaderHeight() - verticalScrollBar()->value();
    const QRectF r(QPointF(x0 + m_book.ColumnLeftPt(col) * u, y0 + m_book.RowTopPt(row) * u),
                   QPointF(x0 + m_book.ColumnLeftPt(col + 1) * u, y0 + m_book.RowTopPt(row + 1) * u));
    return r.toAlignedRect();
}

QPair<int, int> TF1Book::CellAt(const QPoint& pos) const
{
    const double u = Unit();
    const int col =
        pos.x() < HeaderWidth() ? 0 : m_book.ColumnAtPt((pos.x() - HeaderWidth() + horizontalScrollBar()->value()) / u);
    const int row =
        pos.y() < HeaderHeight() ? 0 : m_book.RowAtPt((pos.y() - HeaderHeight() + verticalScrollBar()->value()) / u);
    return {row, col};
}

void TF1Book::ScrollToCell(int row, int col)
{
    if (m_layoutPending)
        UpdateScrollBars();
    const double u = Unit();
    const int cellsW = viewport()->width() - HeaderWidth();
    const int cellsH = viewport()->height() - HeaderHeight();
    const int left = int(m_book.ColumnLeftPt(col) * u), right = int(std::ceil(m_book.ColumnLeftPt(col + 1) * u));
    const int top = int(m_book.RowTopPt(row) * u), bottom = int(std::ceil(m_book.RowTopPt(row + 1) * u));
    QScrollBar* h = horizontalScrollBar();
    QScrollBar* v = verticalScrollBar();
    if (left < h->value())
        h->setValue(left);
    else if (right > h->value() + cellsW)
        h->setValue(std::min(left, right - cellsW));
    if (top < v->value())
        v->setValue(top);
    else if (bottom > v->value() + cellsH)
        v->setValue(std::min(top, bottom - cellsH));
}

void TF1Book::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollBars();
}

void TF1Book::scrollContentsBy(int, int)
{
    viewport()->update();
}

void TF1Book::paintEvent(QPaintEvent*)
{
    if (m_layoutPending)
        UpdateScrollBars();
    QPainter p(viewport());
    const double u = Unit();
    const int hw = HeaderWidth(), hh = HeaderHeight();
    const QRect cells(hw, hh, std::max(0, viewport()->width() - hw), std::max(0, viewport()->height() - hh));
    p.fillRect(cells, palette().color(QPalette::Base));
    const double sx = horizontalScrollBar()->value(), sy = verticalScrollBar()->value();
    // Only the cells in sight are drawn, however many the sheet holds.
    SheetPainter::TArea area;
    area.Col1 = m_book.ColumnAtPt(sx / u);
    area.Col2 = m_book.ColumnAtPt((sx + cells.width()) / u);
    area.Row1 = m_book.RowAtPt(sy / u);
    area.Row2 = m_book.RowAtPt((sy + cells.height()) / u);
    area.Origin = QPointF(hw + m_book.ColumnLeftPt(area.Col1) * u - sx, hh + m_book.RowTopPt(area.Row1) * u - sy);
    area.Unit = u;
    area.GridLines = m_book.ShowGridLines();
    p.save();
    p.setClipRect(cells);
    SheetPainter::PaintCells(p, m_book, area);
    const TCellRange sel = m_book.Selection();
    const QRect selRect = CellRect(sel.Row1, sel.Col1)
                              .united(CellRect(std::min(sel.Row2, area.Row2 + 1), std::min(sel.Col2, area.Col2 + 1)));
    QColor fill = SelectionColour;
    fill.setAlpha(40);
    if (sel.Row1 != sel.Row2 || sel.Col1 != sel.Col2)
        p.fillRect(selRect, fill);
    p.setPen(QPen(SelectionColour, 2));
    p.setBrush(Qt::NoBrush);
    p.drawRect(selRect.adjusted(1, 1, -1, -1));
    p.restore();
    PaintHeaders(p, area.Row1, area.Row2, area.Col1, area.Col2);
}

void TF1Book::PaintHeaders(QPainter& p, int firstRow, int lastRow, int firstCol, int lastCol)
{
    const int hw = HeaderWidth(), hh = HeaderHeight();
    const QColor face = palette().color(QPalette::Button);
    const QColor line = palette().color(QPalette::Mid);
    const QColor marked = face.darker(115);
    const TCellRange sel = m_book.Selection();
    p.setFont(font());
    p.fillRect(QRect(0, 0, viewport()->width(), hh), face);
    p.fillRect(QRect(0, 0, hw, viewport()->height()), face);
    p.save();
    p.setClipRect(QRect(hw, 0, viewport()->width() - hw, hh));
    for (int c = firstCol; c <= lastCol; ++c) {
        const QRect r = CellRect(1, c);
        const QRect head(r.left(), 0, r.width(), hh);
        if (c >= sel.Col1 && c <= sel.Col2)
            p.fillRect(head, marked);
        p.setPen(line);
        p.drawLine(head.topRight(), head.bottomRight());
        p.setPen(palette().color(QPalette::ButtonText));
        p.drawText(head, Qt::AlignCenter, TWorkbook::GetColumnHeading(c));
    }
    p.restore();
    p.save();
    p.setClipRect(QRect(0, hh, hw, viewport()->height() - hh));
    for (int r = firstRow; r <= lastRow; ++r) {
        const QRect cr = CellRect(r, 1);
        if (cr.height() <= 0)
            continue;
        const QRect head(0, cr.top(), hw, cr.height());
        if (r >= sel.Row1 && r <= sel.Row2)
            p.fillRect(head, marked);
        p.setPen(line);
        p.drawLine(head.bottomLeft(), head.bottomRight());
        p.setPen(palette().color(QPalette::ButtonText));
        p.drawText(head.adjusted(2, 0, -4, 0), Qt::AlignRight | Qt::AlignVCenter, QString::number(r));
    }
    p.restore();
    p.setPen(line);
    p.drawLine(0, hh - 1, viewport()->width(), hh - 1);
    p.drawLine(hw - 1, 0, hw - 1, viewport()->height());
}

// ------------------------------------------------------------------ selection

void TF1Book::SelectFromAnchor(int row, int col)
{
    m_cursorRow = std::clamp(row, 1, MaxRow());
    m_cursorCol = std::clamp(col, 1, MaxCol());
    const TDrag drag = m_drag;
    m_drag = TDrag::Cells;  // keeps BookChanged from resetting the anchor
    m_book.SelectRange(std::min(m_anchorRow, m_cursorRow), std::min(m_anchorCol, m_cursorCol),
                       std::max(m_anchorRow, m_cursorRow), std::max(m_anchorCol, m_cursorCol));
    m_drag = drag;
}

void TF1Book::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return QAbstractScrollArea::mousePressEvent(event);
    const auto [row, col] = CellAt(event->position().toPoint());
    if (row == 0 && col == 0) {
        m_drag = TDrag::None;
        SelectRange(1, 1, MaxRow(), MaxCol());
        return;
    }
    if (row == 0) {
        m_drag = TDrag::Columns;
        m_anchorCol = m_cursorCol = col;
        m_anchorRow = m_cursorRow = 1;
        m_book.SelectRange(1, col, MaxRow(), col);
        return;
    }
    if (col == 0) {
        m_drag = TDrag::Rows;
        m_anchorRow = m_cursorRow = row;
        m_anchorCol = m_cursorCol = 1;
        m_book.SelectRange(row, 1, row, MaxCol());
        return;
    }
    if (!(event->modifiers() & Qt::ShiftModifier)) {
        m_anchorRow = row;
        m_anchorCol = col;
    }
    SelectFromAnchor(row, col);
    m_drag = TDrag::Cells;
}

void TF1Book::mouseMoveEvent(QMouseEvent* event)
{
    if (!(event->buttons() & Qt::LeftButton) || m_drag == TDrag::None)
        return;
    auto [row, col] = CellAt(event->position().toPoint());
    const double u = Unit();
    if (row == 0)
        row = m_book.RowAtPt(verticalScrollBar()->value() / u);
    if (col == 0)
        col = m_book.ColumnAtPt(horizontalScrollBar()->value() / u);
    switch (m_drag) {
    case TDrag::Cells: SelectFromAnchor(row, col); break;
    case TDrag::Columns: m_book.SelectRange(1, std::min(m_anchorCol, col), MaxRow(), std::max(m_anchorCol, col)); break;
    case TDrag::Rows: m_book.SelectRange(std::min(m_anchorRow, row), 1, std::max(m_anchorRow, row), MaxCol()); break;
    case TDrag::None: break;
    }
}

void TF1Book::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        m_drag = TDrag::None;
    event->accept();
}

void TF1Book::keyPressEvent(QKeyEvent* event)
{
    if (event->matches(QKeySequence::Copy)) {
        CopyToClipboard();
        return;
    }
    if (event->matches(QKeySequence::SelectAll)) {
        m_drag = TDrag::None;
        SelectRange(1, 1, MaxRow(), MaxCol());
        return;
    }
    const int pageRows =
        std::max(1, int((viewport()->height() - HeaderHeight()) / (Sheet::DefaultRowHeight / 20.0 * Unit())));
    int row = m_cursorRow, col = m_cursorCol;
    switch (event->key()) {
    case Qt::Key_Up: --row; break;
    case Qt::Key_Down: ++row; break;
    case Qt::Key_Left: --col; break;
    case Qt::Key_Right: ++col; break;
    case Qt::Key_PageUp: row -= pageRows; break;
    case Qt::Key_PageDown: row += pageRows; break;
    case Qt::Key_Home:
        col = 1;
        if (event->modifiers() & Qt::ControlModifier)
            row = 1;
        break;
    default: return QAbstractScrollArea::keyPressEvent(event);
    }
    row = std::clamp(row, 1, MaxRow());
    col = std::clamp(col, 1, MaxCol());
    if (!(event->modifiers() & Qt::ShiftModifier)) {
        m_anchorRow = row;
        m_anchorCol = col;
    }
    SelectFromAnchor(row, col);
    ScrollToCell(row, col);
}

QString TF1Book::SelectionText() const
{
    const TCellRange sel = m_book.Selection();
    const int lastRow = std::min(sel.Row2, m_book.LastRow());
    const int lastCol = std::min(sel.Col2, m_book.LastCol());
    QString text;
    for (int r = sel.Row1; r <= lastRow; ++r) {
        for (int c = sel.Col1; c <= lastCol; ++c) {
            if (c > sel.Col1)
                text += QLatin1Char('\t');
            text += m_book.CellDisplayText(r, c);
        }
        text += QLatin1Char('\n');
    }
    return text;
}

void TF1Book::CopyToClipboard() const
{
    QApplication::clipboard()->setText(SelectionText());
}

// ------------------------------------------------------------------ saving

void TF1Book::SaveWorkbook(const QString& path, int fileType) const
{
    if (fileType != Sheet::FilePdf) {
        ExporterForFileType(fileType)->Export(TWorkbookSource(m_book), path);
        return;
    }
    // The PDF is the printed pages, drawn by the very code that prints them.
    if (m_book.LastRow() == 0)
        throw ESheetError(QStringLiteral("The sheet has nothing to print"));
    WriteFileBeside(path, [&](const QString& part) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(part);
        printer.setDocName(QFileInfo(path).completeBaseName());
        PrintTo(printer);
        if (printer.printerState() == QPrinter::Error)
            throw ESheetError(QStringLiteral("The PDF could not be written"));
    });
}

QList<TF1Book::TSaveType> TF1Book::SaveTypes()
{
    QList<TSaveType> types;
    for (int fileType : {Sheet::FileExcel97, Sheet::FileExcel, Sheet::FilePdf, Sheet::FileCsv}) {
        if (fileType == Sheet::FilePdf) {
            types << TSaveType {fileType, {QStringLiteral("PDF"), QStringLiteral("pdf")}};
            continue;
        }
        const auto exporter = ExporterForFileType(fileType);
        types << TSaveType {fileType, {exporter->FileFilter().section('|', 0, 0), exporter->Extension()}};
    }
    return types;
}

// ------------------------------------------------------------------ printing

int TF1Book::PrintTo(QPrinter& printer) const
{
    SheetPainter::ApplyPageSetup(m_book, printer);
    return SheetPainter::PrintPages(m_book, printer);
}

void TF1Book::PrintSheet(bool choosePrinter)
{
    if (m_book.LastRow() == 0)
        throw ESheetError(QStringLiteral("The sheet has nothing to print"));
    QPrinter printer(QPrinter::HighResolution);
    // The dialog opens on the sheet's own orientation; what the user picks there stands.
    SheetPainter::ApplyPageSetup(m_book, printer);
    if (choosePrinter) {
        if (!Dialogs().ChoosePrinter(printer, this))
            return;
    }
    SheetPainter::PrintPages(m_book, printer);
}

void TF1Book::PrintPreview()
{
    if (m_book.LastRow() == 0)
        throw ESheetError(QStringLiteral("The sheet has nothing to print"));
    QPrinter printer(QPrinter::HighResolution);
    SheetPainter::ApplyPageSetup(m_book, printer);
    QPrintPreviewDialog preview(&printer, this);
    connect(&preview, &QPrintPreviewDialog::paintRequested, this,
            Guarded([this](QPrinter* p) { SheetPainter::PrintPages(m_book, *p); }));
    preview.exec();
}
