#pragma once
// The expense report: the expense lines of a date range as a cross reference of expenses
// against days, weeks or months, as a detail listing per expense with subtotals, or as a
// flat export list.
#include "frm_BaseF1Report.h"

class TfrmExpenseReport : public TfrmBaseF1Report {
    Q_OBJECT
public:
    explicit TfrmExpenseReport(QWidget* parent = nullptr);

    TRadioGroup* rgReportType;
    enum TReportType { rtCrossReference = 0, rtDetail = 1, rtExport = 2 };
    // Expenses side by side in one block; the next ones continue in a block below.
    static constexpr int ExpensesPerBlock = 250;

    void rgReportTypeClick();

protected:
    void BuildReport() override;

private:
    void BuildCrossReference();
    void BuildDetail();
    void BuildExport();
};
