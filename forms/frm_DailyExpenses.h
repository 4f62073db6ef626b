#pragma once
// The expense lines of one day, opened from the day's record.
#include "frm_LineDay.h"

class TfrmDailyExpenses : public TfrmLineDay {
    Q_OBJECT
public:
    explicit TfrmDailyExpenses(QWidget* parent = nullptr);

    // The shared controls under this screen's names.
    QLabel* lblExpense;
    TItemCombo* cbExpense;
    QToolButton* spdbtnExpense;
    TDBEdit* edExpenses;
    QLabel* lblReference;
    TDBEdit* edReference;
    QFrame* pnlNextDay;
    QToolButton* btnIncome;

    void btnIncomeClick() { btnSwitchClick(); }
    void mnuExitClick() { close(); }
    void cbExpenseChange() { cbItemChange(); }
    void spdbtnExpenseClick() { spdbtnItemClick(); }
    void ApplyExpenseDefaults(int expenseId) { ApplyItemDefaults(expenseId); }
};
