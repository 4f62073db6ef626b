#include "frm_DailyTransaction.h"

#include "Controls.h"
#include "DayNumber.h"
#include "Dialogs.h"
#include "ErrorHandler.h"
#include "Formats.h"
#include "Query.h"
#include "frm_DailyExpenses.h"
#include "frm_DailySales.h"
#include "sql_DailyTransaction.h"
#include "tbl_DailyTransaction.h"

#include <QGridLayout>
#include <memory>

TfrmDailyTransaction::TfrmDailyTransaction(QWidget* parent) : TfrmBaseDBGridKeyPanel(parent)
{
    setObjectName(QStringLiteral("frmDailyTransaction"));
    setWindowTitle(QStringLiteral("Daily Transaction"));
    QPalette black = dbGridBrowser->palette();
    black.setColor(QPalette::Text, Qt::black);
    dbGridBrowser->setPalette(black);

    QGridLayout* key = NewKeyGrid();
    NewYearMonth(lblYear, edYear, lblMonth, edMonth);
    key->addWidget(lblYear, 0, 0);
    key->addWidget(edYear, 0, 1);
    key->addWidget(lblMonth, 1, 0);
    key->addWidget(edMonth, 1, 1);
    key->setColumnStretch(2, 1);

    auto* record = new QGridLayout(RecordArea);
    record->setContentsMargins(4, 8, 4, 4);
    lblDate = NewLabel(QStringLiteral("Date"), QStringLiteral("lblDate"), RecordArea);
    edDate = new TDatePicker(RecordArea);
    edDate->setObjectName(QStringLiteral("edDate"));
    lblDate->setBuddy(edDate);
    lblIncome = NewLabel(QStringLiteral("Income"), QStringLiteral("lblIncome"), RecordArea);
    edTakings = new TDBEdit(RecordArea);
    edTakings->setObjectName(QStringLiteral("edTakings"));
    lblExpenses = NewLabel(QStringLiteral("Expenses"), QStringLiteral("lblExpenses"), RecordArea);
    edExpenses = new TDBEdit(RecordArea);
    edExpenses->setObjectName(QStringLiteral("edExpenses"));
    record->addWidget(lblDate, 0, 0);
    record->addWidget(edDate, 0, 1);
    record->addWidget(lblIncome, 1, 0);
    record->addWidget(edTakings, 1, 1);
    record->addWidget(lblExpenses, 2, 0);
    record->addWidget(edExpenses, 2, 1);
    record->setColumnStretch(1, 1);
    record->setRowStretch(3, 1);

    WidenList();

    MainMenu1 = new QMenuBar(this);
    MainMenu1->setObjectName(QStringLiteral("MainMenu1"));
    mnuExpenses = MainMenu1->addAction(QStringLiteral("E&xpenses"));
    mnuExpenses->setObjectName(QStringLiteral("mnuExpenses"));
    mnuSales = MainMenu1->addAction(QStringLiteral("Income"));
    mnuSales->setObjectName(QStringLiteral("mnuSales"));
    layout()->setMenuBar(MainMenu1);
    connect(mnuExpenses, &QAction::triggered, this, Guarded([this] { mnuExpensesClick(); }));
    connect(mnuSales, &QAction::triggered, this, Guarded([this] { mnuSalesClick(); }));

    TDataSource* days = dmDailyTransaction->dsGetDailyTransaction;
    dbGridBrowser->SetDataSource(days);
    edTakings->SetDataSource(days);
    edTakings->SetDataField(QStringLiteral("TAKINGS"));
    edExpenses->SetDataSource(days);
    edExpenses->SetDataField(QStringLiteral("EXPENSES"));
    FormCreate();
}

void TfrmDailyTransaction::SetPeriod(const TPeriodKey& period)
{
    m_period = period;
}

void TfrmDailyTransaction::BeforeOpen()
{
    TfrmBaseDBGridKeyPanel::BeforeOpen();
    auto& days = static_cast<TQuery&>(*DataSet());
    days.ParamByName(QStringLiteral("iYYYY")).SetAsInteger(m_period.YYYY);
    days.ParamByName(QStringLiteral("iMM")).SetAsInteger(m_period.MM);
}

void TfrmDailyTransaction::FormShow()
{
    TfrmBaseDBGridKeyPanel::FormShow();
    edYear->setText(QString::number(m_period.YYYY));
    edMonth->setText(QString::number(m_period.MM));
    pnlEdit->hide();
    edTakings->setEnabled(false);
    edExpenses->setEnabled(false);
}

void TfrmDailyTransaction::RecordChanged()
{
    TfrmBaseDBGridKeyPanel::RecordChanged();
    if (HasCurrentRow())
        edDate->SetDate(DayNumber::ToDate(DataSet()->FieldByName(QStringLiteral("TRANSACTION_DATE")).AsInteger()));
}

void TfrmDailyTransaction::BeforeAdd()
{
    TfrmBaseDBGridKeyPanel::BeforeAdd();
    edDate->SetDate(QDate::currentDate());
}

void TfrmDailyTransaction::btnAddClick()
{
    TfrmBaseDBGridKeyPanel::btnAddClick();
    edDate->setEnabled(true);
    // A new day is stored with both totals 0.00, never left empty.
    TDataSet& ds = *DataSet();
    ds.FieldByName(QStringLiteral("TAKINGS")).SetAsMoney(Money());
    ds.FieldByName(QStringLiteral("EXPENSES")).SetAsMoney(Money());
    edDate->setFocus();
}

bool TfrmDailyTransaction::ValidateRecord()
{
    if (!TfrmBaseDBGridKeyPanel::ValidateRecord())
        return false;
    const QDate first(m_period.YYYY, m_period.MM, 1);
    const QDate last(m_period.YYYY, m_period.MM, first.daysInMonth());
    const QDate chosen = edDate->date();
    // A date typed that the picker could not take is said, not saved as the one before.
    QString refusal = edDate->TakeRefusal();
    if (refusal.isEmpty() && (chosen < first || chosen > last)) {
        refusal = QStringLiteral("Date must be between ") + FormatSettings().DateToStr(first) + QStringLiteral(" and ")
                  + FormatSettings().DateToStr(last);
    } else if (refusal.isEmpty()
               && OtherRowHolds({QStringLiteral("TRANSACTION_DATE")}, {DayNumber::FromDate(chosen)})) {
        // The day list holds the whole month: a second record of one day is refused here
        // rather than by the book with its own words.
        refusal = QStringLiteral("%1 is already in the list of days.").arg(FormatSettings().DateToStr(chosen));
    }
    if (refusal.isEmpty())
        return true;
    Dialogs().MessageDlg(refusal, mtError, mbOK);
    edDate->setFocus();
    return false;
}

void TfrmDailyTransaction::BeforeSave()
{
    TfrmBaseDBGridKeyPanel::BeforeSave();
    TDataSet& ds = *DataSet();
    if (!ds.IsInserting())
        return;
    ds.FieldByName(QStringLiteral("YYYY")).SetAsInteger(m_period.YYYY);
    ds.FieldByName(QStringLiteral("MM")).SetAsInteger(m_period.MM);
    ds.FieldByName(QStringLiteral("TRANSACTION_DATE")).SetAsInteger(DayNumber::FromDate(edDate->date()));
}

void TfrmDailyTransaction::BeforeRefresh()
{
    TfrmBaseDBGridKeyPanel::BeforeRefresh();
    m_positionDate = DayNumber::FromDate(edDate->date());
}

void TfrmDailyTransaction::AfterRefresh()
{
    TfrmBaseDBGridKeyPanel::AfterRefresh();
    DataSet()->Locate(QStringLiteral("TRANSACTION_DATE"), {TValue(m_positionDate)});
}

void TfrmDailyTransaction::dbGridBrowserDblClick()
{
    TfrmBaseDBGridKeyPanel::dbGridBrowserDblClick();
    ShowDailyExpenses();
}

void TfrmDailyTransaction::ShowDailyExpenses()
{
    ShowDailyScreens(true);
}

void TfrmDailyTransaction::ShowDailyIncome()
{
    ShowDailyScreens(false);
}

void TfrmDailyTransaction::ShowDailyScreens(bool expenses)
{
    if (!HasCurrentRow())
        return;
    for (;;) {
        TDataSet& ds = *DataSet();
        TDayKey key {int(ds.FieldByName(QStringLiteral("YYYY")).AsInteger()),
                     int(ds.FieldByName(QStringLiteral("MM")).AsInteger()),
                     int(ds.FieldByName(QStringLiteral("TRANSACTION_DATE")).AsInteger()), false};
        {
            std::unique_ptr<TfrmLineDay> screen;
            if (expenses)
                screen = std::make_unique<TfrmDailyExpenses>(this);
            else
                screen = std::make_unique<TfrmDailySales>(this);
            screen->SetDay(key);
            screen->exec();
        }
        RefreshData();
        if (!key.SwitchScreen || !HasCurrentRow())
            return;
        expenses = !expenses;
    }
}

void TfrmDailyTransaction::RefuseDelete()
{
    TDataSet& ds = *DataSet();
    RefuseDeleteWithLines(int(ds.FieldByName(QStringLiteral("YYYY")).AsInteger()),
                          int(ds.FieldByName(QStringLiteral("MM")).AsInteger()), int(ds.FieldByName(QStringLiteral("TRANSACTION_DATE")).AsInteger()));
}
