#include "WorkbookSource.h"
#include "Workbook.h"

static_assert(int(TSourceCell::Blank) == int(TCell::None) && int(TSourceCell::Number) == int(TCell::Number)
              && int(TSourceCell::Text) == int(TCell::Text) && int(TSourceCell::Formula) == int(TCell::Formula));

int TWorkbookSource::LastRow() const
{
    return m_book.LastRow();
}

int TWorkbookSource::LastCol() const
{
    return m_book.LastCol();
}

void TWorkbookSource::ForEachCell(const TCellRange& range,
                                  const std::function<void(int, int, const TSourceCell&)>& visit) const
{
    // One view, refilled for each cell and pointing into it: a pass over the sheet copies
    // no cell and no stored text, only formula results.
    TSourceCell view;
    TCellValue result;
    m_book.ForEachCell(range, [&](int row, int col, const TCell& cell) {
        view.Kind = TSourceCell::Content(cell.Kind);
        view.Format = cell.Format;
        view.Num = cell.Num;
        view.Str = &cell.Str;
        view.Expr = cell.Expr.get();
        view.Result = nullptr;
        if (cell.Kind == TCell::Formula) {
            result = m_book.CellValue(cell);
            view.Result = &result;
        }
        visit(row, col, view);
    });
}

QString TWorkbookSource::CellText(int row, int col) const
{
    return m_book.CellDisplayText(row, col);
}

int TWorkbookSource::FormatCount() const
{
    return m_book.FormatCount();
}

const TCellFormat& TWorkbookSource::Format(int index) const
{
    return m_book.Format(index);
}

int TWorkbookSource::ColumnWidth(int col) const
{
    return m_book.ColumnWidth(col);
}

int TWorkbookSource::RowHeight(int row) const
{
    return m_book.RowHeight(row);
}

int TWorkbookSource::PrevailingRowHeight() const
{
    return m_book.PrevailingRowHeight();
}

bool TWorkbookSource::ShowGridLines() const
{
    return m_book.ShowGridLines();
}

TCellRange TWorkbookSource::Selection() const
{
    return m_book.Selection();
}

TPageSetup TWorkbookSource::PageSetup() const
{
    return {m_book.PrintLandscape(), m_book.PrintScale(), m_book.PrintFitToPages(), m_book.PrintPagesWide(),
            m_book.PrintPagesTall()};
}
