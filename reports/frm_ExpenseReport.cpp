#include "frm_ExpenseReport.h"

#include "DataModule.h"
#include "ReportData.h"
#include "sql_DailyExpenses.h"
#include "tbl_Expense.h"

TfrmExpenseReport::TfrmExpenseReport(QWidget* parent) : TfrmLayoutReport(parent)
{
    setWindowTitle("Expense Report");
}

// Rows are periods and columns expenses. Each block of up to 250 expenses has its heading
// row, one row per period and a totals row; the TOTAL column stands right of the last
// expense, in the last block.
void TfrmExpenseReport::BuildCrossReference()
{
    const TReportRange range(EdStartDate->date(), edEndDate->date(), cbTaxable->isChecked());
    const int grouping = rgGroupBy->ItemIndex();

    // Everything is read and checked first, so that a report too big for the sheet is
    // refused before a cell is written. Each block takes its periods, a heading row, a
    // totals row and two rows apart.
    auto rowOfBlock = [](int block, int P) { return 4 + block * (P + 4); };
    auto blockCount = [](int items) { return items == 0 ? 1 : (items - 1) / ExpensesPerBlock + 1; };
    const TCrossReference x = ReadCrossReference(
        {dmDailyExpenses->qryGetDistinctExpensesForPeriod, dmDailyExpenses->qryGetDistinctDatesForExpenses,
         dmDailyExpenses->qryGetExpensesForPeriod, "EXPENSE_ID", "SUM_EXPENSE_AMOUNT"},
        range, grouping, 5,
        [&](int items, int periods) { CheckRowsFit(rowOfBlock(blockCount(items) - 1, periods) + periods + 1); });
    const QList<int>& expenses = x.Items;
    const int E = int(expenses.size());
    const int blocks = blockCount(E);
    const TPeriods& periods = x.Periods;
    const int P = periods.Count();
    const std::vector<Money>& periodTotals = x.PeriodTotals;
    auto headingRow = [&](int block) { return rowOfBlock(block, P); };

    TF1Book& book = *F1BookReport;
    SetColumnWidths(1000, 1, 1);
    SetColumnWidths(4500, 2, 253);
    book.SetPrintLandscape(true);
    book.SetPrintScaling(90, false, 1, 1);
    WriteReportTitle("EXPENSES REPORT", 2, range.Start, range.End, 2);

    const int lastBlockColumn = 2 + ExpensesPerBlock;  // 252
    for (int k = 0; k < E; ++k) {
        const int H = headingRow(k / ExpensesPerBlock);
        const int c = 3 + k % ExpensesPerBlock;
        QString description;
        GetExpenseDescription(expenses[k], description);
        book.SetCellText(H, c, description);
        WriteTotal(*this, H + P + 1, c, ColumnSum(c, H, H + P), P > 0);
    }
    for (int b = 0; b < blocks; ++b) {
        const int H = headingRow(b);
        const int T = H + P + 1;
        // The last block ends at its last expense (column 2 when there is none), with the
        // TOTAL column after it. Nothing is formatted beyond: printing takes every
        // formatted cell in, and would print pages of empty columns.
        const int last = b == blocks - 1 ? 3 + (E - 1) % ExpensesPerBlock : lastBlockColumn;
        const int formatTo = b == blocks - 1 ? last + 1 : lastBlockColumn;
        book.SetRowHeights(H, H, 500, false);
        book.SelectRange(H, 2, H, formatTo);
        book.SetCellAlignment(3, true, 3, 0);
        BoldRange(H, 2, H, formatTo);
        BoldRange(T, 2, T, formatTo);
        for (int i = 0; i < P; ++i)
            book.SetCellText(H + 1 + i, 2, periods.Labels[i]);
        if (P > 0)
            BoldRange(H + 1, 2, H + P, 2);
        BoxRange(H, 2, T, last);
        MoneyFormatRange(H, 2, T, formatTo);
    }
    for (const auto& [cell, amount] : x.Amounts) {
        const auto [k, p] = cell;
        book.SetCellNumber(headingRow(k / ExpensesPerBlock) + 1 + p, 3 + k % ExpensesPerBlock, amount.ToDouble());
    }

    // With no expenses the TOTAL column is column 3 of the one block.
    const int t = 4 + (E - 1) % ExpensesPerBlock;
    const int H = headingRow((E - 1) / ExpensesPerBlock);
    book.SetCellText(H, t, "TOTAL");
    book.SelectRange(H, t, H, t);
    book.SetCellAlignment(3, true, 3, 0);
    BoldRange(H, t, H + P + 1, t);
    BoxRange(H, t, H + P + 1, t);
    for (int i = 0; i < P; ++i)
        book.SetCellNumber(H + 1 + i, t, periodTotals[size_t(i)].ToDouble());
    WriteTotal(*this, H + P + 1, t, ColumnSum(t, H + 1, H + P), P > 0);
    WidenToFit(*this, 5, 3, H + P + 1, lastBlockColumn + 1);
}

void TfrmExpenseReport::BuildDetail()
{
    const TReportRange range(EdStartDate->date(), edEndDate->date(), cbTaxable->isChecked());
    TQuery& q = *dmDailyExpenses->qryGetExpensesForPeriod;
    SetReportParameters(q, range);
    const auto lines = ReadDetailLines(q, {"EXPENSE_ID", "EXPENSE_DESCRIPTION", "SUM_EXPENSE_AMOUNT", "REFERENCE"});
    WriteDetailLayout(*this, "EXPENSE DETAIL REPORT", lines, true);
}

void TfrmExpenseReport::BuildExport()
{
    const TReportRange range(EdStartDate->date(), edEndDate->date(), cbTaxable->isChecked());
    TQuery& q = *dmDailyExpenses->qryGetExpensesForExport;
    SetReportParameters(q, range);
    const auto lines = ReadExportLines(q, {"EXPENSE_ID", "EXPENSE_DESCRIPTION", "EXPENSE_AMOUNT", "REFERENCE"});
    WriteExportLayout(*this, "EXPENSE EXPORT", {"DATE", "EXPENSE", "AMOUNT", "TAXABLE", "REFERENCE"}, lines);
}
