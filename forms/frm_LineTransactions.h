#pragma once
// The lines of every day in one list, narrowed by a date range and an item, with the
// line's date chosen in the record panel: what the income and the expense transactions
// screens share. Each lives from start-up to the end of the program; closing it only
// hides it, keeping its filter in the settings for the next showing, also after a restart.
#include "frm_LineScreen.h"

#include <QLineEdit>
#include <QMenuBar>
#include <QTabWidget>

class TfrmLineTransactions : public TfrmLineScreen {
    Q_OBJECT
public:
    // What tells the two screens of the pair apart besides the kind of line.
    struct TSetup {
        QString settingsPrefix;  // names <prefix>_DATE_FILTER, _START_DATE and _END_DATE
        QString helpTopic;
        QString switchPanel, switchName, switchCaption, switchHint;  // the button to the other
    };
    TfrmLineTransactions(const TLineScreenKind& kind, TDataSource* lines, const TSetup& setup,
                         QWidget* parent = nullptr);

    QFrame* pnlFilter;
    QTabWidget* PageControl1;
    QWidget* tsFilterDate;
    TLeftCheckBox* cbFilterDate;
    QLabel *lblDateFrom, *lblDateTo;
    TDatePicker *edFilterDateFrom, *edFilterDateTo;
    QWidget* tsItemFilter;
    TItemCombo* cbItemFilter;
    QLabel *lblYear, *lblMonth;
    QLineEdit *edYear, *edMonth;
    QLabel* lblDate;
    TDatePicker* edDate;
    QMenuBar* MainMenu1;
    QAction* mnuHelp;
    QAction* mnuExit;
    QToolButton* btnSwitch;  // to the other screen of the pair

    void btnAddClick() override;
    void btnEditClick() override;
    void btnCancelClick() override;
    // Closes this screen and then the other of the pair.
    void btnCloseClick();
    // Shows the other screen of the pair, brought to the front.
    void btnSwitchClick();
    void edDateChange();
    void ShowYearMonth();
    // The filter from the check box, the two dates and the item filter, applied to the
    // list at once.
    void ApplyFilter();
    // The filter's text as the list takes it.
    QString FilterText() const;
    QString HelpTopic() const override { return m_helpTopic; }

    // The other screen of the pair, once it exists.
    virtual TfrmLineTransactions* Partner() const = 0;

protected:
    TLineDay LineDay() const override;
    TDayRecord DayRecordMode() const override { return TDayRecord::Ensure; }
    void ItemListsRead() override;
    void FormShow() override;
    void FormClose() override;
    void RecordChanged() override;
    bool ValidateRecord() override;
    bool PositionAtEnd() override { return true; }
    void BeforeRefresh() override;

private:
    void LoadFilterSettings();
    // A filter whose item left the list while a line was being entered, applied once the
    // line is saved or cancelled.
    void ApplyChangedFilter();
    QString m_prefix;
    QString m_helpTopic;
};

// Shows a screen of the pair (from the main menu or the other's button): its lists are
// read first, so a book that cannot be read leaves it hidden with the error shown.
void ShowTransactionsScreen(TfrmLineTransactions* screen);
