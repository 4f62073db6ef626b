#pragma once
// The lines of one day: what the daily income and daily expenses screens share. The day is
// handed over before the screen is shown and never changes; every new line is numbered
// from that day's counter, and a button leaves for the other daily screen of the day.
#include "DayKeys.h"
#include "frm_LineScreen.h"

#include <QLineEdit>
#include <QMenuBar>

class TfrmLineDay : public TfrmLineScreen {
    Q_OBJECT
public:
    struct TSetup {
        QString switchPanel, switchName, switchCaption, switchHint;  // the button to the other
        QString exitName;                                            // the menu's Exit item
    };
    TfrmLineDay(const TLineScreenKind& kind, TDataSource* lines, const TSetup& setup, QWidget* parent = nullptr);

    QLabel *lblYear, *lblMonth, *lblDate;
    QLineEdit *edYear, *edMonth;
    TDatePicker* edDate;
    QMenuBar* MainMenu1;
    QAction* mnuExit;
    QToolButton* btnSwitch;

    // The day whose lines are shown; the key belongs to the opener and outlives the screen.
    void SetDay(TDayKey& key);
    void btnAddClick() override;
    void btnEditClick() override;
    // Asks the opener for the other daily screen of the day, and closes this one.
    void btnSwitchClick();

protected:
    TLineDay LineDay() const override;
    TDayRecord DayRecordMode() const override { return TDayRecord::Exists; }
    void BeforeOpen() override;
    void FormShow() override;
    void RecordChanged() override;

private:
    const TDayKey& Key() const;
    TDayKey* m_key = nullptr;
};
