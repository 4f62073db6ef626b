#pragma once
// The expense report: the expense lines of a date range as a cross reference of expenses
// against days, weeks or months, as a detail listing per expense with subtotals, or as a
// flat export list.
#include "frm_LayoutReport.h"

class TfrmExpenseReport : public TfrmLayoutReport {
    Q_OBJECT
public:
    explicit TfrmExpenseReport(QWidget* parent = nullptr);

    // Expenses side by side in one block; the next ones continue in a block below.
    static constexpr int ExpensesPerBlock = 250;

protected:
    void BuildCrossReference() override;
    void BuildDetail() override;
    void BuildExport() override;
};
