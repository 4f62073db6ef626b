// Recalculation: a stale formula is worked out when it is read, once every stale formula
// it reads has been. The order is found with a work list of its own rather than by
// recursion, so a chain of any length (a running balance down tens of thousands of rows)
// gives the same result whichever of its cells is read first.
//
// Formulas that read one another round a loop have no value: every formula of the loop
// shows #REF! (Excel's file format has no error value of its own for a loop, and a
// reference that cannot be resolved is the nearest), and formulas reading the loop show
// it too, as errors travel outwards. A loop is a matter of the references as written,
// not of the order of evaluation, so loops are found as the strongly connected
// components (Tarjan) of the stale formulas reached from the cell read.
#include "Workbook.h"
#include <algorithm>
#include <unordered_map>

namespace {
// What a formula in a loop of references yields.
constexpr uint8_t CircularError = Sheet::ErrRef;
}  // namespace

class TWorkbook::TRecalc {
public:
    explicit TRecalc(const TWorkbook& book) : m_book(book) { }
    // Brings root, and every stale formula it reads directly or not, up to date.
    void Run(const TCell& root);

private:
    // A formula waiting for the stale formulas it reads.
    struct TFrame {
        const TCell* Cell;
        size_t FirstOperand, NextOperand, EndOperand;  // its stale operands, in m_operands
        uint32_t Number;                               // in the order of visits
        uint32_t Low;                                  // lowest visit number reachable from it
        bool ReadsItself = false;
    };
    // Reads operands: values, texts and current formula results. A stale formula reads as
    // empty and is noted in `stale`, when given; the result is then only a trial.
    class TReader : public TFormulaContext {
    public:
        TReader(const TWorkbook& book, std::vector<const TCell*>* stale) : m_book(book), m_stale(stale) { }
        TCellValue CellValue(int row, int col) override
        {
            const TCell* cell = m_book.FindCell(row, col);
            return cell ? Value(*cell) : TCellValue();
        }
        void ForEachValue(const TCellRange& range, const std::function<void(const TCellValue&)>& visit) override
        {
            m_book.ForEachCell(range, [&](int, int, const TCell& cell) {
                if (cell.Kind != TCell::None)
                    visit(Value(cell));
            });
        }

    private:
        TCellValue Value(const TCell& cell) const
        {
            switch (cell.Kind) {
            case TCell::Number: return TCellValue::FromNumber(cell.Num);
            case TCell::Text: return TCellValue::FromText(cell.Str);
            case TCell::Formula:
                if (m_stale && !m_book.IsCurrent(cell)) {
                    m_stale->push_back(&cell);
                    return {};
                }
                return cell.Result;
            case TCell::None: break;
            }
            return {};
        }
        const TWorkbook& m_book;
        std::vector<const TCell*>* m_stale;
    };

    void Visit(const TCell& cell);
    void Settle(const TFrame& frame);

    const TWorkbook& m_book;
    std::vector<TFrame> m_frames;           // the path being walked
    std::vector<const TCell*> m_operands;   // stale formulas the frames read
    std::vector<const TCell*> m_unsettled;  // visited, waiting for their loop to close
    std::unordered_map<const TCell*, uint32_t> m_visitNumber;
};

const TCellValue& TWorkbook::Evaluate(const TCell& cell) const
{
    if (!IsCurrent(cell))
        TRecalc(*this).Run(cell);
    return cell.Result;
}

void TWorkbook::TRecalc::Visit(const TCell& cell)
{
    cell.CalcGeneration = m_book.m_calcGeneration;
    cell.CalcState = 1;
    // A trial evaluation reads every cell the formula refers to. Mostly nothing it reads
    // is stale and the trial is the result; otherwise it tells what to work out first.
    const size_t first = m_operands.size();
    TReader trial(m_book, &m_operands);
    TCellValue result = EvaluateFormula(*cell.Expr, trial);
    if (m_operands.size() == first) {
        cell.Result = std::move(result);
        cell.CalcState = 2;
        return;
    }
    const uint32_t number = uint32_t(m_visitNumber.size());
    m_visitNumber.emplace(&cell, number);
    m_unsettled.push_back(&cell);
    m_frames.push_back({&cell, first, first, m_operands.size(), number, number});
}

void TWorkbook::TRecalc::Run(const TCell& root)
{
    Visit(root);
    while (!m_frames.empty()) {
        TFrame& top = m_frames.back();
        if (top.NextOperand < top.EndOperand) {
            const TCell* operand = m_operands[top.NextOperand++];
            if (m_book.IsCurrent(*operand))
                continue;  // settled since it was noted
            const auto seen = m_visitNumber.find(operand);
            if (seen == m_visitNumber.end()) {
                Visit(*operand);  // top is not used after this
            } else {
                // Visited and not settled: it is on the path, so this closes a loop.
                top.Low = std::min(top.Low, seen->second);
                if (operand == top.Cell)
                    top.ReadsItself = true;
            }
            continue;
        }
        const TFrame done = top;
        m_frames.pop_back();
        m_operands.resize(done.FirstOperand);  // the last noted, as frames end last-in first-out
        if (!m_frames.empty())
            m_frames.back().Low = std::min(m_frames.back().Low, done.Low);
        if (done.Low == done.Number)
            Settle(done);
    }
}

// done is the first visited of a group of formulas that read one another (or of a group
// of one); everything they read outside the group is current.
void TWorkbook::TRecalc::Settle(const TFrame& done)
{
    if (m_unsettled.back() == done.Cell && !done.ReadsItself) {
        m_unsettled.pop_back();
        TReader reader(m_book, nullptr);
        done.Cell->Result = EvaluateFormula(*done.Cell->Expr, reader);
        done.Cell->CalcState = 2;
        return;
    }
    const TCell* member = nullptr;
    do {
        member = m_unsettled.back();
        m_unsettled.pop_back();
        member->Result = TCellValue::FromError(CircularError);
        member->CalcState = 2;
    } while (member != done.Cell);
}
