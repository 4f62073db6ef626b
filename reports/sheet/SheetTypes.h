#pragma once
// Value types shared by the workbook model, the formula engine, the file writer and the
// painter. Rows and columns count from 1, as the callers of the grid address them.
#include "Errors.h"
#include <QHashFunctions>
#include <QString>
#include <cstdint>

// A call the grid refuses: bad coordinates, an unknown code, a formula it cannot read.
class ESheetError : public EZorpError {
    using EZorpError::EZorpError;
};

namespace Sheet {
// The limits of an Excel 97-2003 worksheet, so that whatever the grid holds can be saved.
constexpr int RowLimit = 65536;
constexpr int ColLimit = 256;

// Horizontal alignment codes.
enum HAlign : int8_t { HGeneral = 1, HLeft = 2, HCentre = 3, HRight = 4 };
// Vertical alignment codes.
enum VAlign : int8_t { VTop = 1, VCentre = 2, VBottom = 3 };
// Border line styles; the numbers are those of the Excel file format as well.
enum LineStyle : int8_t {
    LineNone = 0,
    LineThin = 1,
    LineMedium = 2,
    LineDashed = 3,
    LineDotted = 4,
    LineThick = 5,
    LineDouble = 6
};
constexpr int LeaveUnchanged = -1;

// ClearCells kinds.
enum ClearKind { ClearAll = 1, ClearFormats = 2, ClearContents = 3 };
// SaveWorkbook file types. ExporterForFileType gives the exporter of each but PDF: the
// printed pages are drawn by the grid view, which owns the printer.
enum FileType { FileExcel97 = 4, FileExcel = 5, FileCsv = 6, FilePdf = 7 };

// Width of one character unit of the column widths, in points: the digit width of the
// default font (Arial 10, 7 pixels at 96 dpi), until a view measures the real font.
constexpr double DigitWidthPt = 5.25;
constexpr int DefaultColumnWidth = 2340;  // 8.43 characters, Excel's default
constexpr int DefaultRowHeight = 255;     // 12.75 points, Arial 10

// Error values of formula results, with their codes in the Excel file format.
enum ErrorCode : uint8_t {
    ErrNull = 0x00,
    ErrDiv0 = 0x07,
    ErrValue = 0x0F,
    ErrRef = 0x17,
    ErrName = 0x1D,
    ErrNum = 0x24,
    ErrNA = 0x2A
};
QString ErrorText(uint8_t code);
}  // namespace Sheet

struct TCellRange {
    int Row1 = 1, Col1 = 1, Row2 = 1, Col2 = 1;
    bool Contains(int row, int col) const { return row >= Row1 && row <= Row2 && col >= Col1 && col <= Col2; }
    bool operator==(const TCellRange&) const = default;
};

// The value a cell holds or a formula yields.
struct TCellValue {
    enum Type : uint8_t { Empty, Number, Text, Error };
    Type Kind = Empty;
    double Num = 0;
    QString Str;
    uint8_t Err = 0;

    static TCellValue FromNumber(double v)
    {
        TCellValue r;
        r.Kind = Number;
        r.Num = v;
        return r;
    }
    static TCellValue FromText(const QString& s)
    {
        TCellValue r;
        r.Kind = Text;
        r.Str = s;
        return r;
    }
    static TCellValue FromError(uint8_t e)
    {
        TCellValue r;
        r.Kind = Error;
        r.Err = e;
        return r;
    }
    // What GetCellNumber reads: the number, or 0 for anything else.
    double AsNumber() const { return Kind == Number ? Num : 0.0; }
};

struct TBorderEdge {
    int8_t Style = Sheet::LineNone;
    uint32_t Colour = 0;  // 0x00BBGGRR
    bool operator==(const TBorderEdge&) const = default;
};

// Everything the grid keeps about the look of one cell.
struct TCellFormat {
    QString NumberFormat = QStringLiteral("General");
    QString FontName = QStringLiteral("Arial");
    int FontSize = 10;  // points
    bool Bold = false, Italic = false, Underline = false, Strikeout = false;
    bool Outline = false, Shadow = false;
    uint32_t FontColour = 0;  // 0x00BBGGRR
    int8_t HAlign = Sheet::HGeneral;
    int8_t VAlign = Sheet::VBottom;
    bool Wrap = false;
    TBorderEdge Left, Right, Top, Bottom;
    bool Shaded = false;

    bool operator==(const TCellFormat&) const = default;
    bool HasVisibleDecoration() const { return Left.Style || Right.Style || Top.Style || Bottom.Style || Shaded; }
};

size_t qHash(const TCellFormat& f, size_t seed = 0);
