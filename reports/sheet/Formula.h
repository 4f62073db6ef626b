#pragma once
// Formulas: what the reports write ("SUM(C3:C9)", "C5-D5", numbers, parentheses and the
// four arithmetic operators). A formula is parsed once into reverse Polish tokens, the
// same order the Excel file format stores them in, so that the evaluator and the file
// writer walk one list.
#include "SheetTypes.h"
#include <functional>
#include <vector>

struct TFormulaToken {
    enum Kind : uint8_t {
        Number,  // Num
        Ref,     // Row1, Col1
        Area,    // Row1, Col1 to Row2, Col2 (only as a function argument)
        Add,
        Sub,
        Mul,
        Div,
        Negate,
        Plus,   // unary
        Paren,  // kept so that the saved formula reads as written
        Sum     // ArgCount arguments
    };
    Kind Type = Number;
    double Num = 0;
    int Row1 = 0, Col1 = 0, Row2 = 0, Col2 = 0;
    // A '$' in front of the column or row: absolute in the saved file.
    bool AbsRow1 = false, AbsCol1 = false, AbsRow2 = false, AbsCol2 = false;
    int ArgCount = 0;
};

class TFormula {
public:
    // Throws ESheetError naming the text when it is not a formula the grid understands.
    // A leading '=' is allowed; names and references are case-insensitive.
    static TFormula Parse(const QString& text);

    const QString& Text() const { return m_text; }
    const std::vector<TFormulaToken>& Tokens() const { return m_tokens; }

private:
    QString m_text;
    std::vector<TFormulaToken> m_tokens;
};

// Where a formula reads its operands. EvaluateFormula reads every cell the formula refers
// to, whatever the values, so that a context learns all that the result depends on.
class TFormulaContext {
public:
    virtual ~TFormulaContext() = default;
    virtual TCellValue CellValue(int row, int col) = 0;
    // Calls visit for every cell in the range that holds something, in any order.
    virtual void ForEachValue(const TCellRange& range, const std::function<void(const TCellValue&)>& visit) = 0;
};

// Evaluates as a spreadsheet does: SUM adds the numbers of its ranges and skips text and
// empty cells; an operator reads an empty cell as 0 and text as the number it spells,
// otherwise #VALUE!; errors travel outwards; division by zero gives #DIV/0!.
TCellValue EvaluateFormula(const TFormula& formula, TFormulaContext& context);
