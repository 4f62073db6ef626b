#pragma once
// The months of the business with their income, expenses and profit margin: a month is
// added here, and its days are opened from here.
#include "frm_BaseDBGrid.h"

#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>

class TfrmPeriod : public TfrmBaseDBGrid {
    Q_OBJECT
public:
    explicit TfrmPeriod(QWidget* parent = nullptr);

    QLabel *lblYear, *lblMonth, *lblSales, *lblExpenses, *lblProfitMargin;
    QLineEdit *edYear, *edMonth;
    TDBEdit *edSales, *edExpenses, *edProfitMargin;
    QMenuBar* MainMenu1;
    QAction* mnuDailyTransactions;

    void btnAddClick() override;
    void dbGridBrowserDblClick() override;
    // The days of the current month, then the months again with their new totals.
    void mnuDailyTransactionsClick();

protected:
    void FormShow() override;
    bool PositionAtEnd() override { return true; }
    void RecordChanged() override;
    void BeforeAdd() override;
    bool ValidateRecord() override;
    void RefuseDelete() override;
    void BeforeSave() override;
    void BeforeRefresh() override;
    void AfterRefresh() override;

private:
    int PositionYear = 0;
    int PositionMonth = 0;
};
