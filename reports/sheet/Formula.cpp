#include "Formula.h"
#include <QLocale>
#include <cmath>

namespace {

class TParser {
public:
    explicit TParser(const QString& text) : m_text(text) { }

    std::vector<TFormulaToken> Run()
    {
        SkipSpace();
        if (Peek() == '=') {
            ++m_pos;
        }
        Expr();
        SkipSpace();
        if (m_pos != m_text.size())
            Fail();
        return std::move(m_out);
    }

private:
    const QString& m_text;
    qsizetype m_pos = 0;
    std::vector<TFormulaToken> m_out;
    int m_depth = 0;

    [[noreturn]] void Fail() const { throw ESheetError(QStringLiteral("Invalid formula \"%1\"").arg(m_text)); }
    QChar Peek() const { return m_pos < m_text.size() ? m_text[m_pos] : QChar(); }
    void SkipSpace()
    {
        while (m_pos < m_text.size() && m_text[m_pos].isSpace())
            ++m_pos;
    }
    bool Accept(QChar c)
    {
        SkipSpace();
        if (Peek() == c) {
            ++m_pos;
            return true;
        }
        return false;
    }
    void Emit(TFormulaToken::Kind kind)
    {
        TFormulaToken t;
        t.Type = kind;
        m_out.push_back(t);
    }

    void Expr()
    {
        // Nesting is bounded so that a hostile text cannot exhaust the stack.
        if (++m_depth > 200)
            Fail();
        Term();
        for (;;) {
            if (Accept('+')) {
                Term();
                Emit(TFormulaToken::Add);
            } else if (Accept('-')) {
                Term();
                Emit(TFormulaToken::Sub);
            } else
                break;
        }
        --m_depth;
    }
    void Term()
    {
        Unary();
        for (;;) {
            if (Accept('*')) {
                Unary();
                Emit(TFormulaToken::Mul);
            } else if (Accept('/')) {
                Unary();
                Emit(TFormulaToken::Div);
            } else
                break;
        }
    }
    void Unary()
    {
        if (Accept('-')) {
            if (++m_depth > 200)
                Fail();
            Unary();
            Emit(TFormulaToken::Negate);
            --m_depth;
        } else if (Accept('+')) {
            if (++m_depth > 200)
                Fail();
            Unary();
            Emit(TFormulaToken::Plus);
            --m_depth;
        } else {
            Primary();
        }
    }
    void Primary()
    {
        SkipSpace();
        const QChar c = Peek();
        if (c.isDigit() || c == '.') {
            Number();
            return;
        }
        if (c == '(') {
            ++m_pos;
            Expr();
            if (!Accept(')'))
                Fail();
            Emit(TFormulaToken::Paren);
            return;
        }
        if (c == '$' || c.isLetter()) {
            const qsizetype start = m_pos;
            QString word;
            while (m_pos < m_text.size() && m_text[m_pos].isLetter())
                word += m_text[m_pos++].toUpper();
            SkipSpace();
            if (!word.isEmpty() && Peek() == '(') {
                ++m_pos;
                Function(word);
                return;
            }
            m_pos = start;
            TFormulaToken t;
            t.Type = TFormulaToken::Ref;
            CellRef(t.Row1, t.Col1, t.AbsRow1, t.AbsCol1);
            m_out.push_back(t);
            return;
        }
        Fail();
    }
    void Number()
    {
        const qsizetype start = m_pos;
        while (m_pos < m_text.size() && m_text[m_pos].isDigit())
            ++m_pos;
        if (Peek() == '.') {
            ++m_pos;
            while (m_pos < m_text.size() && m_text[m_pos].isDigit())
                ++m_pos;
        }
        if (Peek() == 'e' || Peek() == 'E') {
            const qsizetype mark = m_pos;
            ++m_pos;
            if (Peek() == '+' || Peek() == '-')
                ++m_pos;
            if (!Peek().isDigit())
                m_pos = mark;
            while (m_pos < m_text.size() && m_text[m_pos].isDigit())
                ++m_pos;
        }
        bool ok = false;
        const double v = QLocale::c().toDouble(m_text.mid(start, m_pos - start), &ok);
        if (!ok || !std::isfinite(v))
            Fail();
        TFormulaToken t;
        t.Type = TFormulaToken::Number;
        t.Num = v;
        m_out.push_back(t);
    }
    // [$]letters[$]digits, within the sheet.
    void CellRef(int& row, int& col, bool& absRow, bool& absCol)
    {
        SkipSpace();
        absCol = false;
        absRow = false;
        if (Peek() == '$') {
            absCol = true;
            ++m_pos;
        }
        qint64 c = 0;
        int letters = 0;
        while (m_pos < m_text.size() && m_text[m_pos].isLetter() && m_text[m_pos].unicode() < 128) {
            c = c * 26 + (m_text[m_pos].toUpper().unicode() - 'A' + 1);
            ++m_pos;
            if (++letters > 3)
                Fail();
        }
        if (letters == 0)
            Fail();
        if (Peek() == '$') {
            absRow = true;
            ++m_pos;
        }
        qint64 r = 0;
        int digits = 0;
        while (m_pos < m_text.size() && m_text[m_pos].isDigit()) {
            r = r * 10 + m_text[m_pos].digitValue();
            ++m_pos;
            if (++digits > 6)
                Fail();
        }
        if (digits == 0 || r < 1 || r > Sheet::RowLimit || c > Sheet::ColLimit)
            Fail();
        row = int(r);
        col = int(c);
    }
    void Function(const QString& name)
    {
        if (name != QLatin1String("SUM"))
            Fail();
        int args = 0;
        if (!Accept(')')) {
            do {
                Argument();
                ++args;
            } while (Accept(','));
            if (!Accept(')'))
                Fail();
        }
        if (args > 30)
            Fail();  // the most a function takes in the file format
        TFormulaToken t;
        t.Type = TFormulaToken::Sum;
        t.ArgCount = args;
        m_out.push_back(t);
    }
    // A range "C3:C9" standing alone as an argument, or any expression.
    void Argument()
    {
        SkipSpace();
        const qsizetype start = m_pos;
        const QChar c = Peek();
        if (c == '$' || c.isLetter()) {
            TFormulaToken t;
            t.Type = TFormulaToken::Area;
            bool isArea = false;
            try {
                CellRef(t.Row1, t.Col1, t.AbsRow1, t.AbsCol1);
                if (Accept(':')) {
                    CellRef(t.Row2, t.Col2, t.AbsRow2, t.AbsCol2);
                    SkipSpace();
                    isArea = Peek() == ',' || Peek() == ')';
                }
            } catch (const ESheetError&) {
                isArea = false;
            }
            if (isArea) {
                // Kept in order, whichever corner was written first.
                if (t.Row1 > t.Row2) {
                    std::swap(t.Row1, t.Row2);
                    std::swap(t.AbsRow1, t.AbsRow2);
                }
                if (t.Col1 > t.Col2) {
                    std::swap(t.Col1, t.Col2);
                    std::swap(t.AbsCol1, t.AbsCol2);
                }
                m_out.push_back(t);
                return;
            }
            m_pos = start;
        }
        Expr();
    }
};

// An operand on the evaluation stack: a plain value, or a reference that SUM reads
// differently from an operator.
struct TOperand {
    TCellValue Value;
    bool IsRange = false;
    TCellRange Range;
};

// Operator semantics: empty reads 0, text must spell a number.
bool ToNumber(const TCellValue& v, double& out, uint8_t& err)
{
    switch (v.Kind) {
    case TCellValue::Empty: out = 0; return true;
    case TCellValue::Number: out = v.Num; return true;
    case TCellValue::Error: err = v.Err; return false;
    case TCellValue::Text: {
        bool ok = false;
        out = QLocale::c().toDouble(v.Str.trimmed(), &ok);
        if (!ok)
            err = Sheet::ErrValue;
        return ok;
    }
    }
    return false;
}

TCellValue Arithmetic(TFormulaToken::Kind op, const TCellValue& a, const TCellValue& b)
{
    double x = 0, y = 0;
    uint8_t err = 0;
    if (!ToNumber(a, x, err) || !ToNumber(b, y, err))
        return TCellValue::FromError(err);
    double r = 0;
    switch (op) {
    case TFormulaToken::Add: r = x + y; break;
    case TFormulaToken::Sub: r = x - y; break;
    case TFormulaToken::Mul: r = x * y; break;
    case TFormulaToken::Div:
        if (y == 0)
            return TCellValue::FromError(Sheet::ErrDiv0);
        r = x / y;
        break;
    default: break;
    }
    if (!std::isfinite(r))
        return TCellValue::FromError(Sheet::ErrNum);
    return TCellValue::FromNumber(r);
}

}  // namespace

TFormula TFormula::Parse(const QString& text)
{
    TFormula f;
    f.m_tokens = TParser(text).Run();
    f.m_text = text.trimmed();
    if (f.m_text.startsWith('='))
        f.m_text = f.m_text.mid(1).trimmed();
    return f;
}

TCellValue EvaluateFormula(const TFormula& formula, TFormulaContext& context)
{
    std::vector<TOperand> stack;
    stack.reserve(formula.Tokens().size());
    auto pop = [&stack] {
        TOperand o = std::move(stack.back());
        stack.pop_back();
        return o;
    };
    for (const TFormulaToken& t : formula.Tokens()) {
        switch (t.Type) {
        case TFormulaToken::Number: stack.push_back({TCellValue::FromNumber(t.Num), false, {}}); break;
        case TFormulaToken::Ref:
            stack.push_back({context.CellValue(t.Row1, t.Col1), true, {t.Row1, t.Col1, t.Row1, t.Col1}});
            break;
        case TFormulaToken::Area: stack.push_back({{}, true, {t.Row1, t.Col1, t.Row2, t.Col2}}); break;
        case TFormulaToken::Add:
        case TFormulaToken::Sub:
        case TFormulaToken::Mul:
        case TFormulaToken::Div: {
            const TOperand b = pop();
            const TOperand a = pop();
            stack.push_back({Arithmetic(t.Type, a.Value, b.Value), false, {}});
            break;
        }
        case TFormulaToken::Negate:
        case TFormulaToken::Plus: {
            const TOperand a = pop();
            double x = 0;
            uint8_t err = 0;
            if (t.Type == TFormulaToken::Plus) {
                stack.push_back({a.Value, false, {}});
            } else if (ToNumber(a.Value, x, err)) {
                stack.push_back({TCellValue::FromNumber(-x), false, {}});
            } else {
                stack.push_back({TCellValue::FromError(err), false, {}});
            }
            break;
        }
        case TFormulaToken::Paren: stack.back().IsRange = false; break;
        case TFormulaToken::Sum: {
            double sum = 0;
            uint8_t err = 0;
            bool failed = false;
            const size_t first = stack.size() - size_t(t.ArgCount);
            // Every range is read even once an error has decided the result, so that the
            // context sees every cell the formula refers to.
            for (size_t i = first; i < stack.size(); ++i) {
                const TOperand& arg = stack[i];
                if (arg.IsRange) {
                    // Referenced cells: numbers count, text and empty cells are skipped.
                    context.ForEachValue(arg.Range, [&](const TCellValue& v) {
                        if (failed)
                            return;
                        if (v.Kind == TCellValue::Number)
                            sum += v.Num;
                        else if (v.Kind == TCellValue::Error) {
                            failed = true;
                            err = v.Err;
                        }
                    });
                } else if (!failed) {
                    double x = 0;
                    if (ToNumber(arg.Value, x, err))
                        sum += x;
                    else
                        failed = true;
                }
            }
            stack.resize(first);
            if (!failed && !std::isfinite(sum)) {
                failed = true;
                err = Sheet::ErrNum;
            }
            stack.push_back({failed ? TCellValue::FromError(err) : TCellValue::FromNumber(sum), false, {}});
            break;
        }
        }
    }
    if (stack.empty())
        return {};
    return stack.back().Value;
}
