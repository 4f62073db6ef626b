#pragma once
// The income lines of one day, opened from the day's record.
#include "frm_LineDay.h"

class TfrmDailySales : public TfrmLineDay {
    Q_OBJECT
public:
    explicit TfrmDailySales(QWidget* parent = nullptr);

    // The shared controls under this screen's names.
    QLabel* lblSales;
    TItemCombo* cbSales;
    QToolButton* SpeedButton1;
    TDBEdit* edSales;
    QFrame* pnlExpenses;
    QToolButton* btnExpenses;
    QAction* Exit1;

    void btnExpensesClick() { btnSwitchClick(); }
    void Exit1Click() { close(); }
    void cbSalesChange() { cbItemChange(); }
    void SpeedButton1Click() { spdbtnItemClick(); }
    void ApplySalesDefaults(int salesId) { ApplyItemDefaults(salesId); }
};
