#pragma once
// The expense types (EXPENSE_TYPE), entered in capitals.
#include "frm_BaseDBGrid.h"

#include <QLabel>
#include <QLineEdit>

class TfrmExpenseType : public TfrmBaseDBGrid {
    Q_OBJECT
public:
    explicit TfrmExpenseType(QWidget* parent = nullptr);

    QLabel* lblExpenseType;
    QLineEdit* edExpenseType;
    // The type last shown in the record panel, which the opener reads after closing.
    int CurrentExpenseTypeID = 0;

    void btnAddClick() override;

protected:
    bool ValidateRecord() override;
    void BeforeSave() override;
    void RecordChanged() override;
    void BeforeAdd() override;
    void BeforeRefresh() override;
    void AfterRefresh() override;
};
