#include "Workbook.h"
#include "Formats.h"
#include "NumberFormats.h"
#include <algorithm>
#include <cmath>

namespace Sheet {
QString ErrorText(uint8_t code)
{
    switch (code) {
    case ErrNull: return QStringLiteral("#NULL!");
    case ErrDiv0: return QStringLiteral("#DIV/0!");
    case ErrValue: return QStringLiteral("#VALUE!");
    case ErrRef: return QStringLiteral("#REF!");
    case ErrName: return QStringLiteral("#NAME?");
    case ErrNum: return QStringLiteral("#NUM!");
    default: return QStringLiteral("#N/A");
    }
}
}  // namespace Sheet

size_t qHash(const TCellFormat& f, size_t seed)
{
    QtPrivate::QHashCombine combine;
    seed = combine(seed, f.NumberFormat);
    seed = combine(seed, f.FontName);
    seed = combine(seed, f.FontSize);
    const uint flags = uint(f.Bold) | uint(f.Italic) << 1 | uint(f.Underline) << 2 | uint(f.Strikeout) << 3
                       | uint(f.Outline) << 4 | uint(f.Shadow) << 5 | uint(f.Wrap) << 6 | uint(f.Shaded) << 7
                       | uint(uint8_t(f.HAlign)) << 8 | uint(uint8_t(f.VAlign)) << 12
                       | uint(uint8_t(f.Left.Style)) << 16 | uint(uint8_t(f.Right.Style)) << 20
                       | uint(uint8_t(f.Top.Style)) << 24 | uint(uint8_t(f.Bottom.Style)) << 28;
    seed = combine(seed, flags);
    seed = combine(seed, f.FontColour);
    seed = combine(seed, f.Left.Colour ^ (f.Right.Colour << 1) ^ (f.Top.Colour << 2) ^ (f.Bottom.Colour << 3));
    return seed;
}

namespace {
// Formatting a range materialises a cell per position so that empty cells show borders
// too; beyond this many positions (whole columns, say) only the cells already stored are
// changed, which keeps memory bounded.
constexpr qint64 MaterialiseLimit = 1000000;
}  // namespace

TWorkbook::TWorkbook()
{
    m_formats.emplace_back();
    m_formatIndex.insert(m_formats.front(), 0);
    m_colWidths.assign(size_t(Sheet::ColLimit) + 1, Sheet::DefaultColumnWidth);
    m_rowHeightRuns[1] = Sheet::DefaultRowHeight;
}

// ---------------------------------------------------------------- checks and bookkeeping

void TWorkbook::CheckCell(int row, int col) const
{
    if (row < 1 || row > MaxRow() || col < 1 || col > MaxCol())
        throw ESheetError(QStringLiteral("Cell (%1, %2) is outside the sheet").arg(row).arg(col));
}

void TWorkbook::CheckRange(int row1, int col1, int row2, int col2) const
{
    CheckCell(row1, col1);
    CheckCell(row2, col2);
    if (row2 < row1 || col2 < col1)
        throw ESheetError(
            QStringLiteral("Range (%1, %2) to (%3, %4) is reversed").arg(row1).arg(col1).arg(row2).arg(col2));
}

TCell& TWorkbook::CellForWrite(int row, int col)
{
    return m_cells[Key(row, col)];
}

void TWorkbook::ContentChanged()
{
    ++m_calcGeneration;
    Changed();
}

void TWorkbook::Changed()
{
    ++m_revision;
    if (m_onChanged)
        m_onChanged();
}

int TWorkbook::InternFormat(const TCellFormat& format)
{
    const auto it = m_formatIndex.constFind(format);
    if (it != m_formatIndex.constEnd())
        return it.value();
    m_formats.push_back(format);
    const int index = int(m_formats.size()) - 1;
    m_formatIndex.insert(format, index);
    return index;
}

// ---------------------------------------------------------------- properties

void TWorkbook::SetShowGridLines(bool show)
{
    m_showGridLines = show;
    Changed();
}

void TWorkbook::SetPrintLandscape(bool landscape)
{
    m_printLandscape = landscape;
    Changed();
}

QString TWorkbook::NumberFormat() const
{
    return CellFormat(m_selection.Row1, m_selection.Col1).NumberFormat;
}

void TWorkbook::SetNumberFormat(const QString& format)
{
    if (format.trimmed().isEmpty() || format.size() > 255)
        throw ESheetError(QStringLiteral("Invalid number format \"%1\"").arg(format));
    FormatSelection([&](TCellFormat& f, int) { f.NumberFormat = format; });
}

// ---------------------------------------------------------------- cell values

QString TWorkbook::GetColumnHeading(int col)
{
    if (col < 1)
        throw ESheetError(QStringLiteral("Invalid column %1").arg(col));
    QString letters;
    while (col > 0) {
        const int rem = (col - 1) % 26;
        letters.prepend(QChar('A' + rem));
        col = (col - 1) / 26;
    }
    return letters;
}

void TWorkbook::SetCellFormula(int row, int col, const QString& formula)
{
    CheckCell(row, col);
    auto parsed = std::make_shared<const TFormula>(TFormula::Parse(formula));
    TCell& cell = CellForWrite(row, col);
    cell.Kind = TCell::Formula;
    cell.Expr = std::move(parsed);
    cell.Str.clear();
    cell.Num = 0;
    cell.CalcState = 0;
    ContentChanged();
}

double TWorkbook::GetCellNumber(int row, int col) const
{
    CheckCell(row, col);
    const TCell* cell = FindCell(row, col);
    return cell ? CellValue(*cell).AsNumber() : 0.0;
}

void TWorkbook::SetCellNumber(int row, int col, double value)
{
    CheckCell(row, col);
    if (!std::isfinite(value))
        throw ESheetError(QStringLiteral("A cell cannot hold an infinite number"));
    TCell& cell = CellForWrite(row, col);
    cell.Kind = TCell::Number;
    cell.Num = value;
    cell.Str.clear();
    cell.Expr.reset();
    ContentChanged();
}

void TWorkbook::SetCellText(int row, int col, const QString& text)
{
    CheckCell(row, col);
    if (text.size() > 32767)
        throw ESheetError(QStringLiteral("Text longer than 32767 characters"));
    if (text.isEmpty()) {
        const auto it = m_cells.find(Key(row, col));
        if (it == m_cells.end())
            return;
        if (it->second.Format == 0) {
            m_cells.erase(it);
        } else {
            it->second.Kind = TCell::None;
            it->second.Str.clear();
            it->second.Expr.reset();
        }
        ContentChanged();
        return;
    }
    TCell& cell = CellForWrite(row, col);
    cell.Kind = TCell::Text;
    cell.Str = text;
    cell.Num = 0;
    cell.Expr.reset();
    ContentChanged();
}

const TCell* TWorkbook::FindCell(int row, int col) const
{
    if (row < 1 || row > Sheet::RowLimit || col < 1 || col > Sheet::ColLimit)
        return nullptr;
    const auto it = m_cells.find(Key(row, col));
    return it == m_cells.end() ? nullptr : &it->second;
}

TCellValue TWorkbook::CellValue(const TCell& cell) const
{
    switch (cell.Kind) {
    case TCell::Number: return TCellValue::FromNumber(cell.Num);
    case TCell::Text: return TCellValue::FromText(cell.Str);
    case TCell::Formula: return Evaluate(cell);
    case TCell::None: break;
    }
    return {};
}

TCellValue TWorkbook::CellValue(int row, int col) const
{
    const TCell* cell = FindCell(row, col);
    return cell ? CellValue(*cell) : TCellValue();
}

QString TWorkbook::CellDisplayText(const TCell& cell) const
{
    if (cell.Kind == TCell::None)
        return {};
    const TCellValue v = CellValue(cell);
    switch (v.Kind) {
    case TCellValue::Text: return v.Str;
    case TCellValue::Error: return Sheet::ErrorText(v.Err);
    case TCellValue::Number:
    case TCellValue::Empty:  // a formula pointing at an empty cell shows 0
        return SheetFormats::FormatNumber(m_formats[size_t(cell.Format)].NumberFormat, v.AsNumber());
    }
    return {};
}

QString TWorkbook::CellDisplayText(int row, int col) const
{
    const TCell* cell = FindCell(row, col);
    return cell ? CellDisplayText(*cell) : QString();
}

QString TWorkbook::GetCellFormula(int row, int col) const
{
    const TCell* cell = FindCell(row, col);
    return cell && cell->Kind == TCell::Formula ? cell->Expr->Text() : QString();
}

const TCellFormat& TWorkbook::CellFormat(int row, int col) const
{
    const TCell* cell = FindCell(row, col);
    return m_formats[cell ? size_t(cell->Format) : 0];
}

// ---------------------------------------------------------------- geometry

void TWorkbook::SetColumnWidth(int col, int width)
{
    if (col < 1 || col > MaxCol())
        throw ESheetError(QStringLiteral("Invalid column %1").arg(col));
    if (width < 0 || width > 65280)
        throw ESheetError(QStringLiteral("Invalid column width %1").arg(width));
    m_colWidths[size_t(col)] = width;
    m_colLeftValid = false;
    Changed();
}

void TWorkbook::SetRowHeights(int row1, int row2, int height, bool defaultHeight)
{
    if (row1 < 1 || row2 > MaxRow() || row2 < row1)
        throw ESheetError(QStringLiteral("Invalid rows %1 to %2").arg(row1).arg(row2));
    if (defaultHeight)
        height = Sheet::DefaultRowHeight;
    if (height < 0 || height > 8192)
        throw ESheetError(QStringLiteral("Invalid row height %1").arg(height));
    // Heights are kept as runs of equal rows, so setting every row costs no more than one.
    const int after = row2 + 1;
    if (after <= Sheet::RowLimit) {
        const int heightAfter = RowHeight(after);
        m_rowHeightRuns[after] = heightAfter;
    }
    m_rowHeightRuns.erase(m_rowHeightRuns.lower_bound(row1), m_rowHeightRuns.lower_bound(after));
    m_rowHeightRuns[row1] = height;
    // Merge with equal neighbours.
    auto it = m_rowHeightRuns.find(row1);
    if (it != m_rowHeightRuns.begin() && std::prev(it)->second == height)
        it = m_rowHeightRuns.erase(it), --it;
    auto next = std::next(it);
    if (next != m_rowHeightRuns.end() && next->second == it->second)
        m_rowHeightRuns.erase(next);
    m_rowTopValid = false;
    Changed();
}

void TWorkbook::SetDigitWidthPt(double points)
{
    if (!(points >= 1 && points <= 100))
        throw ESheetError(QStringLiteral("Invalid character width %1").arg(points));
    m_digitWidthPt = points;
    m_colLeftValid = false;
    Changed();
}

int TWorkbook::RowHeight(int row) const
{
    auto it = m_rowHeightRuns.upper_bound(row);
    return std::prev(it)->second;
}

int TWorkbook::PrevailingRowHeight() const
{
    std::map<int, int> rowsPerHeight;
    for (auto it = m_rowHeightRuns.begin(); it != m_rowHeightRuns.end(); ++it) {
        const auto next = std::next(it);
        const int end = next == m_rowHeightRuns.end() ? Sheet::RowLimit + 1 : next->first;
        rowsPerHeight[it->second] += end - it->first;
    }
    const auto best = std::max_element(rowsPerHeight.begin(), rowsPerHeight.end(),
                                       [](const auto& a, const auto& b) { return a.second < b.second; });
    return best->first;
}

double TWorkbook::ColumnLeftPt(int col) const
{
    if (!m_colLeftValid) {
        m_colLeft.assign(size_t(Sheet::ColLimit) + 2, 0.0);
        for (int c = 1; c <= Sheet::ColLimit; ++c)
            m_colLeft[size_t(c) + 1] = m_colLeft[size_t(c)] + ColumnWidthPt(c);
        m_colLeftValid = true;
    }
    return m_colLeft[size_t(std::clamp(col, 1, Sheet::ColLimit + 1))];
}

double TWorkbook::RowTopPt(int row) const
{
    if (!m_rowTopValid) {
        m_rowTop.assign(size_t(Sheet::RowLimit) + 2, 0.0);
        int r = 1;
        for (auto it = m_rowHeightRuns.begin(); it != m_rowHeightRuns.end(); ++it) {
            const auto next = std::next(it);
            const int end = next == m_rowHeightRuns.end() ? Sheet::RowLimit + 1 : next->first;
            const double h = it->second / 20.0;
            for (; r < end; ++r)
                m_rowTop[size_t(r) + 1] = m_rowTop[size_t(r)] + h;
        }
        m_rowTopValid = true;
    }
    return m_rowTop[size_t(std::clamp(row, 1, Sheet::RowLimit + 1))];
}

int TWorkbook::ColumnAtPt(double x) const
{
    ColumnLeftPt(1);
    const auto it = std::upper_bound(m_colLeft.begin() + 1, m_colLeft.end(), x);
    return std::clamp(int(it - m_colLeft.begin()) - 1, 1, Sheet::ColLimit);
}

int TWorkbook::RowAtPt(double y) const
{
    RowTopPt(1);
    const auto it = std::upper_bound(m_rowTop.begin() + 1, m_rowTop.end(), y);
    return std::clamp(int(it - m_rowTop.begin()) - 1, 1, Sheet::RowLimit);
}

// ---------------------------------------------------------------- ranges

void TWorkbook::ForEachCell(const TCellRange& range, const std::function<void(int, int, const TCell&)>& visit) const
{
    auto it = m_cells.lower_bound(Key(range.Row1, range.Col1));
    const uint32_t end = Key(range.Row2, range.Col2);
    while (it != m_cells.end() && it->first <= end) {
        const int row = RowOf(it->first);
        const int col = ColOf(it->first);
        if (col < range.Col1) {
            it = m_cells.lower_bound(Key(row, range.Col1));
        } else if (col > range.Col2) {
            it = m_cells.lower_bound(Key(row + 1, range.Col1));
        } else {
            visit(row, col, it->second);
            ++it;
        }
    }
}

int TWorkbook::PreviousContentCol(int row, int col) const
{
    auto it = m_cells.lower_bound(Key(row, col));
    while (it != m_cells.begin()) {
        --it;
        if (RowOf(it->first) != row)
            return 0;
        if (it->second.Kind != TCell::None)
            return ColOf(it->first);
    }
    return 0;
}

int TWorkbook::NextContentCol(int row, int col) const
{
    for (auto it = m_cells.upper_bound(Key(row, col)); it != m_cells.end(); ++it) {
        if (RowOf(it->first) != row)
            return 0;
        if (it->second.Kind != TCell::None)
            return ColOf(it->first);
    }
    return 0;
}

int TWorkbook::LastRow() const
{
    if (m_usedRevision != m_revision) {
        m_lastRow = m_cells.empty() ? 0 : RowOf(m_cells.rbegin()->first);
        m_lastCol = 0;
        for (const auto& [key, cell] : m_cells)
            m_lastCol = std::max(m_lastCol, ColOf(key));
        m_usedRevision = m_revision;
    }
    return m_lastRow;
}

int TWorkbook::LastCol() const
{
    LastRow();
    return m_lastCol;
}

void TWorkbook::ClearCells(int row1, int col1, int row2, int col2, int kind)
{
    CheckRange(row1, col1, row2, col2);
    if (kind < Sheet::ClearAll || kind > Sheet::ClearContents)
        throw ESheetError(QStringLiteral("Unknown clear kind %1").arg(kind));
    auto it = m_cells.lower_bound(Key(row1, col1));
    const uint32_t end = Key(row2, col2);
    while (it != m_cells.end() && it->first <= end) {
        const int row = RowOf(it->first);
        const int col = ColOf(it->first);
        if (col < col1) {
            it = m_cells.lower_bound(Key(row, col1));
            continue;
        }
        if (col > col2) {
            it = m_cells.lower_bound(Key(row + 1, col1));
            continue;
        }
        TCell& cell = it->second;
        if (kind == Sheet::ClearFormats)
            cell.Format = 0;
        if (kind == Sheet::ClearContents) {
            cell.Kind = TCell::None;
            cell.Str.clear();
            cell.Expr.reset();
        }
        if (kind == Sheet::ClearAll || (cell.Kind == TCell::None && cell.Format == 0))
            it = m_cells.erase(it);
        else
            ++it;
    }
    ContentChanged();
}

// ---------------------------------------------------------------- formats

void TWorkbook::SelectRange(int row1, int col1, int row2, int col2)
{
    CheckRange(row1, col1, row2, col2);
    m_selection = {row1, col1, row2, col2};
    Changed();
}

void TWorkbook::FormatSelection(const std::function<void(TCellFormat&, int)>& change)
{
    const TCellRange s = m_selection;
    // Cells sharing a format and a place on the rim get the same new format.
    QHash<qint64, int> cache;
    auto apply = [&](int row, int col, TCell& cell) {
        const int edges =
            (col == s.Col1 ? 1 : 0) | (col == s.Col2 ? 2 : 0) | (row == s.Row1 ? 4 : 0) | (row == s.Row2 ? 8 : 0);
        const qint64 key = qint64(cell.Format) << 4 | edges;
        auto it = cache.constFind(key);
        if (it == cache.constEnd()) {
            TCellFormat f = m_formats[size_t(cell.Format)];
            change(f, edges);
            it = cache.insert(key, InternFormat(f));
        }
        cell.Format = it.value();
    };
    const qint64 positions = qint64(s.Row2 - s.Row1 + 1) * (s.Col2 - s.Col1 + 1);
    if (positions <= MaterialiseLimit) {
        for (int row = s.Row1; row <= s.Row2; ++row) {
            auto hint = m_cells.lower_bound(Key(row, s.Col1));
            for (int col = s.Col1; col <= s.Col2; ++col) {
                hint = m_cells.try_emplace(hint, Key(row, col));
                apply(row, col, hint->second);
                ++hint;
            }
        }
    } else {
        for (auto& [key, cell] : m_cells) {
            if (s.Contains(RowOf(key), ColOf(key)))
                apply(RowOf(key), ColOf(key), cell);
        }
    }
    // A format change that leaves the default look needs no stored empty cell.
    for (int row = s.Row1; positions <= MaterialiseLimit && row <= s.Row2; ++row) {
        for (auto it = m_cells.lower_bound(Key(row, s.Col1)); it != m_cells.end() && it->first <= Key(row, s.Col2);) {
            if (it->second.Kind == TCell::None && it->second.Format == 0)
                it = m_cells.erase(it);
            else
                ++it;
        }
    }
    Changed();
}

void TWorkbook::ApplyDateFormat(const QString& pattern)
{
    const QString excel =
        SheetFormats::DatePatternToExcel(pattern.isEmpty() ? FormatSettings().ShortDateFormat : pattern);
    FormatSelection([&](TCellFormat& f, int) { f.NumberFormat = excel; });
}

void TWorkbook::SetCellAlignment(int hAlign, bool wrap, int vAlign, int orientation)
{
    if (hAlign < Sheet::HGeneral || hAlign > Sheet::HRight)
        throw ESheetError(QStringLiteral("Unknown horizontal alignment %1").arg(hAlign));
    if (vAlign < Sheet::VTop || vAlign > Sheet::VBottom)
        throw ESheetError(QStringLiteral("Unknown vertical alignment %1").arg(vAlign));
    if (orientation != 0)
        throw ESheetError(QStringLiteral("Unknown text orientation %1").arg(orientation));
    FormatSelection([&](TCellFormat& f, int) {
        f.HAlign = int8_t(hAlign);
        f.VAlign = int8_t(vAlign);
        f.Wrap = wrap;
    });
}

void TWorkbook::SetCellBorders(int outline, int left, int right, int top, int bottom, int shade, uint32_t outlineColour,
                               uint32_t leftColour, uint32_t rightColour, uint32_t topColour, uint32_t bottomColour)
{
    for (const int style : {outline, left, right, top, bottom}) {
        if (style < Sheet::LeaveUnchanged || style > Sheet::LineDouble)
            throw ESheetError(QStringLiteral("Unknown border style %1").arg(style));
    }
    if (shade < Sheet::LeaveUnchanged || shade > 1)
        throw ESheetError(QStringLiteral("Unknown shade %1").arg(shade));
    for (const uint32_t colour : {outlineColour, leftColour, rightColour, topColour, bottomColour}) {
        if (colour > 0xFFFFFF)
            throw ESheetError(QStringLiteral("Invalid colour %1").arg(colour));
    }
    auto set = [](TBorderEdge& edge, int style, uint32_t colour) {
        if (style == Sheet::LeaveUnchanged)
            return;
        edge.Style = int8_t(style);
        edge.Colour = style ? colour : 0;
    };
    FormatSelection([&](TCellFormat& f, int edges) {
        set(f.Left, left, leftColour);
        set(f.Right, right, rightColour);
        set(f.Top, top, topColour);
        set(f.Bottom, bottom, bottomColour);
        if (edges & 1)
            set(f.Left, outline, outlineColour);
        if (edges & 2)
            set(f.Right, outline, outlineColour);
        if (edges & 4)
            set(f.Top, outline, outlineColour);
        if (edges & 8)
            set(f.Bottom, outline, outlineColour);
        if (shade != Sheet::LeaveUnchanged)
            f.Shaded = shade == 1;
    });
}

void TWorkbook::SetCellFont(const QString& name, int size, bool bold, bool italic, bool underline, bool strikeout,
                            uint32_t colour, bool outline, bool shadow)
{
    if (name.trimmed().isEmpty() || name.size() > 31)
        throw ESheetError(QStringLiteral("Invalid font name \"%1\"").arg(name));
    if (size < 1 || size > 409)
        throw ESheetError(QStringLiteral("Invalid font size %1").arg(size));
    if (colour > 0xFFFFFF)
        throw ESheetError(QStringLiteral("Invalid colour %1").arg(colour));
    FormatSelection([&](TCellFormat& f, int) {
        f.FontName = name;
        f.FontSize = size;
        f.Bold = bold;
        f.Italic = italic;
        f.Underline = underline;
        f.Strikeout = strikeout;
        f.FontColour = colour;
        f.Outline = outline;
        f.Shadow = shadow;
    });
}

// ---------------------------------------------------------------- page set-up

void TWorkbook::SetPrintScaling(int percent, bool fitToPages, int pagesWide, int pagesTall)
{
    if (percent < 10 || percent > 400)
        throw ESheetError(QStringLiteral("Invalid print scale %1").arg(percent));
    if (pagesWide < 0 || pagesTall < 0 || pagesWide > 32767 || pagesTall > 32767)
        throw ESheetError(QStringLiteral("Invalid page counts %1 by %2").arg(pagesWide).arg(pagesTall));
    m_printScale = percent;
    m_fitToPages = fitToPages;
    m_pagesWide = pagesWide;
    m_pagesTall = pagesTall;
    Changed();
}
