#pragma once
// What a file exporter may read of a sheet. Exporters (.xls, .xlsx, CSV) see the sheet
// only through this, never the workbook model itself, so that a new format needs no
// change to the model. TWorkbookSource gives a workbook this face.
//
// Units are those of the Excel file format, as in the model: column widths in 1/256 of a
// character width, row heights in twentieths of a point.
#include "Formula.h"
#include "SheetTypes.h"
#include <functional>

// One stored cell as an exporter sees it. It points into the sheet rather than copying
// from it, so it is valid only during the visit that hands it over.
struct TSourceCell {
    enum Content : uint8_t { Blank, Number, Text, Formula };
    Content Kind = Blank;                // Blank: a cell that holds only a format (a border round it)
    int Format = 0;                      // index into the sheet's formats; 0 is the default look
    double Num = 0;                      // Number: the number
    const QString* Str = nullptr;        // Text: the text
    const TFormula* Expr = nullptr;      // Formula: the formula, as written and as tokens
    const TCellValue* Result = nullptr;  // Formula: its calculated result

    // The value whatever the kind: the number, the text or the result; Empty when blank.
    TCellValue Value() const
    {
        switch (Kind) {
        case Number: return TCellValue::FromNumber(Num);
        case Text: return TCellValue::FromText(*Str);
        case Formula: return *Result;
        case Blank: break;
        }
        return {};
    }
};

// How the sheet is to be printed.
struct TPageSetup {
    bool Landscape = false;
    int Scale = 100;  // percent
    // Shrink the used range to at most PagesWide by PagesTall pages; 0 leaves that
    // direction free.
    bool FitToPages = false;
    int PagesWide = 1, PagesTall = 1;
};

class TSheetSource {
public:
    virtual ~TSheetSource() = default;

    // The used range: the last row and column that hold a value or a format; 0 when the
    // sheet is empty.
    virtual int LastRow() const = 0;
    virtual int LastCol() const = 0;
    // Visits the stored cells of a range in row order, then column order. The cell is
    // only valid during the call.
    virtual void ForEachCell(const TCellRange& range,
                             const std::function<void(int row, int col, const TSourceCell&)>& visit) const = 0;
    // The text a cell shows: its value through its number format.
    virtual QString CellText(int row, int col) const = 0;

    virtual int FormatCount() const = 0;
    virtual const TCellFormat& Format(int index) const = 0;

    virtual int ColumnWidth(int col) const = 0;
    virtual int RowHeight(int row) const = 0;
    // The height most rows have, which a file can declare as its default.
    virtual int PrevailingRowHeight() const = 0;

    virtual bool ShowGridLines() const = 0;
    virtual TCellRange Selection() const = 0;
    virtual TPageSetup PageSetup() const = 0;
};
