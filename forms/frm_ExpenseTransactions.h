#pragma once
// What the business paid out: the expense lines of every day in one list, narrowed by a
// date range and an expense, each line entered with its date, expense, amount, reference,
// taxable flag and note.
#include "frm_LineTransactions.h"

class TfrmExpenseTransactions : public TfrmLineTransactions {
    Q_OBJECT
public:
    explicit TfrmExpenseTransactions(QWidget* parent = nullptr);
    ~TfrmExpenseTransactions() override;

    // The shared controls under this screen's names.
    QLabel* lblExpense;
    TItemCombo* cbExpense;
    QToolButton* spdbtnExpense;
    TDBEdit* edExpenses;
    QLabel* lblReference;
    TDBEdit* edReference;
    QWidget* tsExpenseFilter;
    TItemCombo* cbExpenseFilter;
    QFrame* pnlNextDay;
    QToolButton* btnSales;

    void btnAddClick() override;
    void btnSalesClick() { btnSwitchClick(); }
    void mnuHelpClick() { mnuHelp->trigger(); }
    void mnuExitClick() { close(); }
    void cbExpenseChange() { cbItemChange(); }
    void spdbtnExpenseClick() { spdbtnItemClick(); }
    void cbFilterDateClick() { ApplyFilter(); }
    void edFilterDateFromChange() { ApplyFilter(); }
    void edFilterDateToChange() { ApplyFilter(); }
    void cbExpenseFilterChange() { ApplyFilter(); }
    void ApplyExpenseDefaults(int expenseId) { ApplyItemDefaults(expenseId); }

    TfrmLineTransactions* Partner() const override;
};

extern TfrmExpenseTransactions* frmExpenseTransactions;
