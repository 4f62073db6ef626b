#pragma once
// The income items (SALES): the reference list of income lines, with each item's default
// amount and taxable flag.
#include "Controls.h"
#include "frm_BaseDBGrid.h"

#include <QLabel>

class TfrmSales : public TfrmBaseDBGrid {
    Q_OBJECT
public:
    explicit TfrmSales(QWidget* parent = nullptr);

    QLabel* lblSalesDescription;
    TDBEdit* edSalesDescription;
    QLabel* lblAmount;
    TDBEdit* edIncome;
    TRadioGroup* rgTaxable;

    // The item last shown in the record panel, which the opener reads after closing.
    int CurrentSalesID = 0;

    void btnAddClick() override;
    void btnEditClick() override;

protected:
    bool ValidateRecord() override;
    void BeforeSave() override;
    void RecordChanged() override;
    void BeforeRefresh() override;
    void AfterRefresh() override;
};
