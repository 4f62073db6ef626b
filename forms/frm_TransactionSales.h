#pragma once
// What the business took in: the income lines of every day in one list, narrowed by a
// date range and an income item, each line entered with its date, item, amount, taxable
// flag and note.
#include "frm_LineTransactions.h"

class TfrmTransactionSales : public TfrmLineTransactions {
    Q_OBJECT
public:
    explicit TfrmTransactionSales(QWidget* parent = nullptr);
    ~TfrmTransactionSales() override;

    // The shared controls under this screen's names.
    QLabel* lblSales;
    TItemCombo* cbSales;
    QToolButton* spdbtnSales;
    TDBEdit* edSales;
    QWidget* tsIncomeFilter;
    TItemCombo* cbIncomeFilter;
    QFrame* pnlExpenses;
    QToolButton* btnExpenses;
    QAction* Help1;
    QAction* Exit1;

    void btnExpensesClick() { btnSwitchClick(); }
    void Help1Click() { Help1->trigger(); }
    void Exit1Click() { close(); }
    void cbSalesChange() { cbItemChange(); }
    void spdbtnSalesClick() { spdbtnItemClick(); }
    void cbFilterDateClick() { ApplyFilter(); }
    void edFilterDateFromChange() { ApplyFilter(); }
    void edFilterDateToChange() { ApplyFilter(); }
    void cbIncomeFilterChange() { ApplyFilter(); }
    void ApplySalesDefaults(int salesId) { ApplyItemDefaults(salesId); }

    TfrmLineTransactions* Partner() const override;
};

extern TfrmTransactionSales* frmTransactionSales;
