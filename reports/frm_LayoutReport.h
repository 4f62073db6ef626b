#pragma once
// A report of the lines of one kind (expenses or income) in three layouts: a cross
// reference of items against days, weeks or months, a detail listing per item with
// subtotals, or a flat export list. The grouping applies to the cross reference only.
#include "frm_BaseF1Report.h"

class TfrmLayoutReport : public TfrmBaseF1Report {
    Q_OBJECT
public:
    explicit TfrmLayoutReport(QWidget* parent = nullptr);

    TRadioGroup* rgReportType;
    enum TReportType { rtCrossReference = 0, rtDetail = 1, rtExport = 2 };

    void rgReportTypeClick();

protected:
    void BuildReport() override;
    virtual void BuildCrossReference() = 0;
    virtual void BuildDetail() = 0;
    virtual void BuildExport() = 0;
};
