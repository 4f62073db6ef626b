#pragma once
// The income report: the income lines of a date range as a cross reference of days, weeks
// or months against income items with row and column totals, as a detail listing per item
// with subtotals, or as a flat export list.
#include "frm_LayoutReport.h"

class TrptSalesReport : public TfrmLayoutReport {
    Q_OBJECT
public:
    explicit TrptSalesReport(QWidget* parent = nullptr);

    // All items stand side by side from column 3, with the TOTAL column after them.
    static constexpr int MaxItems = Sheet::ColLimit - 3;

protected:
    void GetDefaultFileName(QString& fileName) override { fileName = QStringLiteral("Income"); }

    void BuildCrossReference() override;
    void BuildDetail() override;
    void BuildExport() override;
};
