#include "XlsxWriter.h"
#include <QFile>
#include <QLocale>
#include <cmath>
#include <utility>
#include <vector>
#include <clocale>
#include <locale.h>
#include <xlsxwriter.h>

namespace {

// The library writes its numbers (cell values, widths, heights, margins) with the C
// library's printf, which follows LC_NUMERIC: under a German or French locale it would
// write "12,5" into the file, which spreadsheets misread or refuse. This thread writes
// in the C locale for as long as the file is being made.
class TCNumericScope {
public:
    TCNumericScope() : m_c(newlocale(LC_NUMERIC_MASK, "C", duplocale(LC_GLOBAL_LOCALE)))
    {
        if (!m_c)
            throw ESheetError(QStringLiteral("Out of memory"));
        m_old = uselocale(m_c);
    }
    ~TCNumericScope()
    {
        uselocale(m_old);
        freelocale(m_c);
    }
    TCNumericScope(const TCNumericScope&) = delete;
    TCNumericScope& operator=(const TCNumericScope&) = delete;

private:
    locale_t m_c;
    locale_t m_old = LC_GLOBAL_LOCALE;
};

void Check(lxw_error error)
{
    if (error != LXW_NO_ERROR)
        throw ESheetError(QString::fromUtf8(lxw_strerror(error)));
}

// Owns the library's workbook: it is freed by closing it, which also writes the file;
// a workbook abandoned half-way is closed into the file that is then thrown away.
class TLxwBook {
public:
    explicit TLxwBook(const QString& path) : m_book(workbook_new(QFile::encodeName(path).constData()))
    {
        if (!m_book)
            throw ESheetError(QStringLiteral("The workbook could not be started"));
    }
    ~TLxwBook()
    {
        if (m_book)
            workbook_close(m_book);
    }
    TLxwBook(const TLxwBook&) = delete;
    TLxwBook& operator=(const TLxwBook&) = delete;
    lxw_workbook* get() const { return m_book; }
    void Close()
    {
        lxw_workbook* book = std::exchange(m_book, nullptr);
        Check(workbook_close(book));
    }

private:
    lxw_workbook* m_book;
};

uint8_t BorderStyle(int8_t style)
{
    switch (style) {
    case Sheet::LineThin: return LXW_BORDER_THIN;
    case Sheet::LineMedium: return LXW_BORDER_MEDIUM;
    case Sheet::LineDashed: return LXW_BORDER_DASHED;
    case Sheet::LineDotted: return LXW_BORDER_DOTTED;
    case Sheet::LineThick: return LXW_BORDER_THICK;
    case Sheet::LineDouble: return LXW_BORDER_DOUBLE;
    default: return LXW_BORDER_NONE;
    }
}

// The library's format for one of the sheet's. Every cell gets one, the default look
// included: the library's own default font is not the grid's Arial 10.
lxw_format* MakeFormat(lxw_workbook* book, const TCellFormat& f)
{
    using XlsxWriter::Rgb;
    lxw_format* x = workbook_add_format(book);
    if (!x)
        throw ESheetError(QStringLiteral("Out of memory"));
    if (f.NumberFormat != QLatin1String("General"))
        format_set_num_format(x, f.NumberFormat.toUtf8().constData());
    format_set_font_name(x, f.FontName.toUtf8().constData());
    format_set_font_size(x, f.FontSize);
    if (f.Bold)
        format_set_bold(x);
    if (f.Italic)
        format_set_italic(x);
    if (f.Underline)
        format_set_underline(x, LXW_UNDERLINE_SINGLE);
    if (f.Strikeout)
        format_set_font_strikeout(x);
    if (f.Outline)
        format_set_font_outline(x);
    if (f.Shadow)
        format_set_font_shadow(x);
    // Black is the library's "no colour", which shows as the automatic black.
    if (f.FontColour)
        format_set_font_color(x, Rgb(f.FontColour));
    switch (f.HAlign) {
    case Sheet::HLeft: format_set_align(x, LXW_ALIGN_LEFT); break;
    case Sheet::HCentre: format_set_align(x, LXW_ALIGN_CENTER); break;
    case Sheet::HRight: format_set_align(x, LXW_ALIGN_RIGHT); break;
    default: break;
    }
    switch (f.VAlign) {
    case Sheet::VTop: format_set_align(x, LXW_ALIGN_VERTICAL_TOP); break;
    case Sheet::VCentre: format_set_align(x, LXW_ALIGN_VERTICAL_CENTER); break;
    default: break;  // bottom, the file's default
    }
    if (f.Wrap)
        format_set_text_wrap(x);
    const struct {
        const TBorderEdge& Edge;
        void (*Style)(lxw_format*, uint8_t);
        void (*Colour)(lxw_format*, lxw_color_t);
    } edges[] = {{f.Left, format_set_left, format_set_left_color},
                 {f.Right, format_set_right, format_set_right_color},
                 {f.Top, format_set_top, format_set_top_color},
                 {f.Bottom, format_set_bottom, format_set_bottom_color}};
    for (const auto& e : edges) {
        if (!e.Edge.Style)
            continue;
        e.Style(x, BorderStyle(e.Edge.Style));
        if (e.Edge.Colour)
            e.Colour(x, Rgb(e.Edge.Colour));
    }
    if (f.Shaded) {
        // The grey the .xls file and the printed page shade with.
        format_set_pattern(x, LXW_PATTERN_SOLID);
        format_set_bg_color(x, 0xC0C0C0);
    }
    return x;
}

void WriteCells(lxw_worksheet* ws, lxw_workbook* book, const TSheetSource& sheet)
{
    if (sheet.LastRow() == 0)
        return;
    std::vector<lxw_format*> formats(size_t(sheet.FormatCount()), nullptr);
    auto format = [&](int index) {
        lxw_format*& f = formats[size_t(index)];
        if (!f)
            f = MakeFormat(book, sheet.Format(index));
        return f;
    };
    sheet.ForEachCell({1, 1, sheet.LastRow(), sheet.LastCol()}, [&](int row, int col, const TSourceCell& cell) {
        const lxw_row_t r = lxw_row_t(row - 1);
        const lxw_col_t c = lxw_col_t(col - 1);
        switch (cell.Kind) {
        case TSourceCell::Blank: Check(worksheet_write_blank(ws, r, c, format(cell.Format))); break;
        case TSourceCell::Number: Check(worksheet_write_number(ws, r, c, cell.Num, format(cell.Format))); break;
        case TSourceCell::Text:
            Check(worksheet_write_string(ws, r, c, cell.Str->toUtf8().constData(), format(cell.Format)));
            break;
        case TSourceCell::Formula: {
            // The result is stored with the formula, so a reader that does not calculate
            // (a viewer, a script) sees what the grid shows.
            const QByteArray formula = ('=' + cell.Expr->Text()).toUtf8();
            const TCellValue& v = *cell.Result;
            if (v.Kind == TCellValue::Text || v.Kind == TCellValue::Error) {
                const QByteArray text = (v.Kind == TCellValue::Text ? v.Str : Sheet::ErrorText(v.Err)).toUtf8();
                Check(worksheet_write_formula_str(ws, r, c, formula.constData(), format(cell.Format),
                                                  text.constData()));
            } else {
                Check(worksheet_write_formula_num(ws, r, c, formula.constData(), format(cell.Format),
                                                  v.AsNumber()));
            }
            break;
        }
        }
    });
}

void WriteGeometry(lxw_worksheet* ws, const TSheetSource& sheet)
{
    for (int col = 1; col <= Sheet::ColLimit;) {
        const int width = sheet.ColumnWidth(col);
        int last = col;
        while (last < Sheet::ColLimit && sheet.ColumnWidth(last + 1) == width)
            ++last;
        if (width != Sheet::DefaultColumnWidth) {
            lxw_row_col_options hidden {1, 0, 0};
            Check(worksheet_set_column_pixels_opt(ws, lxw_col_t(col - 1), lxw_col_t(last - 1),
                                                  uint32_t(XlsxWriter::ColumnPixels(width)), nullptr,
                                                  width == 0 ? &hidden : nullptr));
        }
        col = last + 1;
    }
    // The height most rows have is the sheet's default; rows that differ are listed, up
    // to the last one that differs, used or not, as the .xls file does.
    const int defaultHeight = sheet.PrevailingRowHeight();
    worksheet_set_default_row(ws, defaultHeight / 20.0, LXW_FALSE);
    int lastListed = sheet.LastRow();
    for (int row = Sheet::RowLimit; row > lastListed; --row) {
        if (sheet.RowHeight(row) != defaultHeight) {
            lastListed = row;
            break;
        }
    }
    for (int row = 1; row <= lastListed; ++row)
        if (sheet.RowHeight(row) != defaultHeight)
            Check(worksheet_set_row(ws, lxw_row_t(row - 1), sheet.RowHeight(row) / 20.0, nullptr));
}

void WritePageSetup(lxw_worksheet* ws, const TSheetSource& sheet)
{
    const TPageSetup page = sheet.PageSetup();
    if (page.Landscape)
        worksheet_set_landscape(ws);
    else
        worksheet_set_portrait(ws);
    const bool letter = QLocale::system().measurementSystem() == QLocale::ImperialUSSystem;
    worksheet_set_paper(ws, letter ? 1 : 9);
    // Inches, the margins the printed page and the .xls file use.
    worksheet_set_margins(ws, 0.7, 0.7, 0.75, 0.75);
    worksheet_set_print_scale(ws, uint16_t(page.Scale));
    if (page.FitToPages)
        worksheet_fit_to_pages(ws, uint16_t(page.PagesWide), uint16_t(page.PagesTall));
    worksheet_gridlines(ws, sheet.ShowGridLines() ? LXW_SHOW_ALL_GRIDLINES : LXW_HIDE_ALL_GRIDLINES);
    const TCellRange sel = sheet.Selection();
    worksheet_set_selection(ws, lxw_row_t(sel.Row1 - 1), lxw_col_t(sel.Col1 - 1), lxw_row_t(sel.Row2 - 1),
                            lxw_col_t(sel.Col2 - 1));
}

}  // namespace

namespace XlsxWriter {

int ColumnPixels(int width)
{
    return int(std::lround(width * 7.0 / 256.0));
}

uint32_t Rgb(uint32_t colorRef)
{
    return ((colorRef & 0xFF) << 16) | (colorRef & 0xFF00) | ((colorRef >> 16) & 0xFF);
}

}  // namespace XlsxWriter

QString TXlsxExporter::FileFilter() const
{
    return QStringLiteral("Excel|*.xlsx");
}

QString TXlsxExporter::Extension() const
{
    return QStringLiteral("xlsx");
}

void TXlsxExporter::Export(const TSheetSource& sheet, const QString& path) const
{
    WriteFileBeside(path, [&](const QString& part) {
        const TCNumericScope cNumbers;
        TLxwBook book(part);
        lxw_worksheet* ws = workbook_add_worksheet(book.get(), "Sheet1");
        if (!ws)
            throw ESheetError(QStringLiteral("The worksheet could not be added"));
        WriteCells(ws, book.get(), sheet);
        WriteGeometry(ws, sheet);
        WritePageSetup(ws, sheet);
        book.Close();
    });
}
