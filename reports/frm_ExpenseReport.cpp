#include "frm_ExpenseReport.h"

#include "DataModule.h"
#include "ErrorHandler.h"
#include "ReportData.h"
#include "sql_DailyExpenses.h"
#include "tbl_Expense.h"

#include <QVBoxLayout>
#include <map>

TfrmExpenseReport::TfrmExpenseReport(QWidget* parent) : TfrmBaseF1Report(parent)
{
    setWindowTitle("Expense Report");
    auto* area = new QVBoxLayout(ParameterArea);
    area->setContentsMargins(0, 0, 0, 0);
    // The second layout is the expense detail; its caption is the one the income report
    // uses, as users of both reports know it.
    rgReportType = new TRadioGroup("Report Type", {"Cross Reference", "Income Detail", "Export"}, 1, ParameterArea);
    rgReportType->setObjectName("rgReportType");
    rgReportType->SetItemIndex(rtCrossReference);
    area->addWidget(rgReportType);
    connect(rgReportType, &TRadioGroup::Click, this, Guarded([this] { rgReportTypeClick(); }));
}

void TfrmExpenseReport::rgReportTypeClick()
{
    rgGroupBy->setVisible(rgReportType->ItemIndex() == rtCrossReference);
}

void TfrmExpenseReport::BuildReport()
{
    switch (rgReportType->ItemIndex()) {
    case rtCrossReference: BuildCrossReference(); break;
    case rtDetail: BuildDetail(); break;
    default: BuildExport(); break;
    }
}

// Rows are periods and columns expenses. Each block of up to 250 expenses has its heading
// row, one row per period and a totals row; the TOTAL column stands right of the last
// expense, in the last block.
void TfrmExpenseReport::BuildCrossReference()
{
    const TReportRange range(EdStartDate->date(), edEndDate->date(), cbTaxable->isChecked());
    const int grouping = rgGroupBy->ItemIndex();

    // Everything is read and checked first, so that a report too big for the sheet is
    // refused before a cell is written.
    QList<int> expenses;
    QHash<int, int> expensePosition;
    {
        TQuery& q = *dmDailyExpenses->qryGetDistinctExpensesForPeriod;
        SetReportParameters(q, range);
        TOpenedQuery open(q);
        for (; !q.Eof(); q.Next()) {
            const int id = int(q.FieldByName("EXPENSE_ID").AsInteger());
            expensePosition.insert(id, int(expenses.size()));
            expenses << id;
        }
    }
    const int E = int(expenses.size());
    const int blocks = E == 0 ? 1 : (E - 1) / ExpensesPerBlock + 1;
    std::vector<int> days;
    if (grouping == gbDay) {
        TQuery& q = *dmDailyExpenses->qryGetDistinctDatesForExpenses;
        SetReportParameters(q, range);
        days = ReadDays(q);
    }
    // Each block takes its periods, a heading row, a totals row and two rows apart.
    const TPeriods periods = RangePeriods(range, grouping, days, 5);
    const int P = periods.Count();
    auto headingRow = [P](int block) { return 4 + block * (P + 4); };
    CheckRowsFit(headingRow(blocks - 1) + P + 1);

    std::map<std::pair<int, int>, Money> amounts;  // (expense, period) -> sum
    std::vector<Money> periodTotals(static_cast<size_t>(P));
    {
        TQuery& q = *dmDailyExpenses->qryGetExpensesForPeriod;
        SetReportParameters(q, range);
        TOpenedQuery open(q);
        for (; !q.Eof(); q.Next()) {
            const int k = expensePosition.value(int(q.FieldByName("EXPENSE_ID").AsInteger()), -1);
            const int p = periods.Find(int(q.FieldByName("TRANSACTION_DATE").AsInteger()), range, grouping);
            if (k < 0 || p < 0)
                continue;  // every list is read with the same filter: does not happen
            const Money amount = q.FieldByName("SUM_EXPENSE_AMOUNT").AsMoney();
            amounts[{k, p}] += amount;
            periodTotals[size_t(p)] += amount;
        }
    }

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
        book.SetRowHeights(H, H, 500, false);
        book.SelectRange(H, 2, H, lastBlockColumn);
        book.SetCellAlignment(3, true, 1, 0);
        BoldRange(H, 2, H, lastBlockColumn);
        BoldRange(T, 2, T, lastBlockColumn);
        for (int i = 0; i < P; ++i)
            book.SetCellText(H + 1 + i, 2, periods.Labels[i]);
        if (P > 0)
            BoldRange(H + 1, 2, H + P, 2);
        // The last block ends at its last expense (column 2 when there is none).
        const int last = b == blocks - 1 ? 3 + (E - 1) % ExpensesPerBlock : lastBlockColumn;
        BoxRange(H, 2, T, last);
        MoneyFormatRange(H, 2, T, lastBlockColumn + 1);
    }
    for (const auto& [cell, amount] : amounts) {
        const auto [k, p] = cell;
        book.SetCellNumber(headingRow(k / ExpensesPerBlock) + 1 + p, 3 + k % ExpensesPerBlock, amount.ToDouble());
    }

    // With no expenses the TOTAL column is column 3 of the one block.
    const int t = 4 + (E - 1) % ExpensesPerBlock;
    const int H = headingRow((E - 1) / ExpensesPerBlock);
    book.SetCellText(H, t, "TOTAL");
    book.SelectRange(H, t, H, t);
    book.SetCellAlignment(3, true, 1, 0);
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
