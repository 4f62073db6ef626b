#pragma once
// The income report: the income lines of a date range as a cross reference of days, weeks
// or months against income items with row and column totals, as a detail listing per item
// with subtotals, or as a flat export list.
#include "frm_BaseF1Report.h"

class TrptSalesReport : public TfrmBaseF1Report {
    Q_OBJECT
public:
    explicit TrptSalesReport(QWidget* parent = nullptr);

    TRadioGroup* rgReportType;
    enum TReportType { rtCrossReference = 0, rtDetail = 1, rtExport = 2 };
    // All items stand side by side from column 3, with the TOTAL column after them.
    static constexpr int MaxItems = Sheet::ColLimit - 3;

    void rgReportTypeClick();

protected:
    void BuildReport() override;
    void GetDefaultFileName(QString& fileName) override { fileName = QStringLiteral("Income"); }

private:
    void BuildCrossReference();
    void BuildDetail();
    void BuildExport();
};
