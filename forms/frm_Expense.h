#pragma once
// The expenses (EXPENSE): the reference list of expense lines, with each expense's default
// amount and taxable flag.
#include "Controls.h"
#include "frm_BaseDBGrid.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QStringList>

class TfrmExpense : public TfrmBaseDBGrid {
    Q_OBJECT
public:
    explicit TfrmExpense(QWidget* parent = nullptr);

    QLabel* lblExpenseDescription;
    QLineEdit* edExpenseDescription;
    QLabel* lblAmount;
    TDBEdit* edExpense;
    TRadioGroup* rgTaxable;
    QLabel* lblExpenseType;
    TItemCombo* cbExpenseType;
    QToolButton* spdbtnExpenseType;

    // The expense last shown in the record panel, which the opener reads after closing.
    int CurrentExpenseID = 0;

    void btnAddClick() override;
    void btnEditClick() override;
    void spdbtnExpenseTypeClick();

protected:
    void FormShow() override;
    bool ValidateRecord() override;
    void BeforeSave() override;
    void RecordChanged() override;
    void BeforeAdd() override;
    void BeforeRefresh() override;
    void AfterRefresh() override;

private:
    void FillExpenseTypes();
    QStringList ExpenseTypeIDs;
    QStringList ExpenseTypeDescriptions;
};
