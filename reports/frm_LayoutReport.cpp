#include "frm_LayoutReport.h"

#include "ErrorHandler.h"

#include <QVBoxLayout>

TfrmLayoutReport::TfrmLayoutReport(QWidget* parent) : TfrmBaseF1Report(parent)
{
    auto* area = new QVBoxLayout(ParameterArea);
    area->setContentsMargins(0, 0, 0, 0);
    // The detail layout keeps the income report's caption on both reports, as their users
    // know it.
    rgReportType = new TRadioGroup("Report Type", {"Cross Reference", "Income Detail", "Export"}, 1, ParameterArea);
    rgReportType->setObjectName("rgReportType");
    rgReportType->SetItemIndex(rtCrossReference);
    area->addWidget(rgReportType);
    connect(rgReportType, &TRadioGroup::Click, this, Guarded([this] { rgReportTypeClick(); }));
}

void TfrmLayoutReport::rgReportTypeClick()
{
    rgGroupBy->setVisible(rgReportType->ItemIndex() == rtCrossReference);
}

void TfrmLayoutReport::BuildReport()
{
    switch (rgReportType->ItemIndex()) {
    case rtCrossReference: BuildCrossReference(); break;
    case rtDetail: BuildDetail(); break;
    default: BuildExport(); break;
    }
}
