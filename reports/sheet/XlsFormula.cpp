// Formulas in the file format's own tokens (the "parsed expression" of a FORMULA
// record), written from the reverse Polish tokens the grid's formulas keep.
#include "LittleEndian.h"
#include "XlsWriter.h"

namespace {

enum : uint8_t {
    ptgAdd = 0x03,
    ptgSub = 0x04,
    ptgMul = 0x05,
    ptgDiv = 0x06,
    ptgUplus = 0x12,
    ptgUminus = 0x13,
    ptgParen = 0x15,
    ptgInt = 0x1E,
    ptgNum = 0x1F,
    ptgRefR = 0x24,
    ptgAreaR = 0x25,
    ptgFuncVarV = 0x42,
    ptgRefV = 0x44
};
constexpr uint16_t iftabSum = 4;

uint16_t ColumnField(int col, bool absCol, bool absRow)
{
    return uint16_t((col - 1) & 0xFF) | (absCol ? 0 : 0x4000) | (absRow ? 0 : 0x8000);
}

}  // namespace

namespace XlsWriter {

QByteArray EncodeFormula(const TFormula& formula)
{
    const auto& tokens = formula.Tokens();
    // A reference read directly by SUM is stored as a reference, one read by an
    // operator as a value: follow which token produced each operand.
    std::vector<bool> referenceClass(tokens.size(), false);
    std::vector<size_t> producers;
    for (size_t i = 0; i < tokens.size(); ++i) {
        const TFormulaToken& t = tokens[i];
        switch (t.Type) {
        case TFormulaToken::Add:
        case TFormulaToken::Sub:
        case TFormulaToken::Mul:
        case TFormulaToken::Div:
            producers.pop_back();
            producers.back() = i;
            break;
        case TFormulaToken::Negate:
        case TFormulaToken::Plus:
        case TFormulaToken::Paren: producers.back() = i; break;
        case TFormulaToken::Sum:
            for (int a = 0; a < t.ArgCount; ++a) {
                referenceClass[producers.back()] = true;
                producers.pop_back();
            }
            producers.push_back(i);
            break;
        default: producers.push_back(i); break;
        }
    }
    TBytes b;
    for (size_t i = 0; i < tokens.size(); ++i) {
        const TFormulaToken& t = tokens[i];
        switch (t.Type) {
        case TFormulaToken::Number:
            if (t.Num >= 0 && t.Num <= 65535 && t.Num == double(int(t.Num))) {
                b.U8(ptgInt);
                b.U16(uint16_t(t.Num));
            } else {
                b.U8(ptgNum);
                b.F64(t.Num);
            }
            break;
        case TFormulaToken::Ref:
            b.U8(referenceClass[i] ? ptgRefR : ptgRefV);
            b.U16(uint16_t(t.Row1 - 1));
            b.U16(ColumnField(t.Col1, t.AbsCol1, t.AbsRow1));
            break;
        case TFormulaToken::Area:
            b.U8(ptgAreaR);
            b.U16(uint16_t(t.Row1 - 1));
            b.U16(uint16_t(t.Row2 - 1));
            b.U16(ColumnField(t.Col1, t.AbsCol1, t.AbsRow1));
            b.U16(ColumnField(t.Col2, t.AbsCol2, t.AbsRow2));
            break;
        case TFormulaToken::Add: b.U8(ptgAdd); break;
        case TFormulaToken::Sub: b.U8(ptgSub); break;
        case TFormulaToken::Mul: b.U8(ptgMul); break;
        case TFormulaToken::Div: b.U8(ptgDiv); break;
        case TFormulaToken::Negate: b.U8(ptgUminus); break;
        case TFormulaToken::Plus: b.U8(ptgUplus); break;
        case TFormulaToken::Paren: b.U8(ptgParen); break;
        case TFormulaToken::Sum:
            b.U8(ptgFuncVarV);
            b.U8(uint8_t(t.ArgCount));
            b.U16(iftabSum);
            break;
        }
    }
    return b.Data;
}

}  // namespace XlsWriter
