#pragma once
// The days of one month with their income and expense totals: a day is added here, and
// its income and expense lines are opened from here.
#include "DayKeys.h"
#include "frm_BaseDBGridKeyPanel.h"

#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>

class TLineDay;
class TDatePicker;

class TfrmDailyTransaction : public TfrmBaseDBGridKeyPanel {
    Q_OBJECT
public:
    explicit TfrmDailyTransaction(QWidget* parent = nullptr);

    QLabel *lblYear, *lblMonth, *lblDate, *lblIncome, *lblExpenses;
    QLineEdit *edYear, *edMonth;
    TDatePicker* edDate;
    TDBEdit *edTakings, *edExpenses;
    QMenuBar* MainMenu1;
    QAction* mnuExpenses;
    QAction* mnuSales;

    // The month whose days are shown; set before the screen is shown.
    void SetPeriod(const TPeriodKey& period);
    void btnAddClick() override;
    void dbGridBrowserDblClick() override;
    void mnuExpensesClick() { ShowDailyExpenses(); }
    void mnuSalesClick() { ShowDailyIncome(); }
    void ShowDailyExpenses();
    void ShowDailyIncome();

protected:
    void BeforeOpen() override;
    void FormShow() override;
    void RecordChanged() override;
    void BeforeAdd() override;
    bool ValidateRecord() override;
    void RefuseDelete() override;
    void BeforeSave() override;
    void BeforeRefresh() override;
    void AfterRefresh() override;

private:
    // Opens the daily screens of the current day, starting with the expenses or the
    // income, and goes on with the other for as long as the user switches. One screen at a
    // time, each opened after the last has returned.
    void ShowDailyScreens(bool expensesFirst);
    TPeriodKey m_period;
    int m_positionDate = 0;
};
