#include "frm_Period.h"

#include "Controls.h"
#include "Dialogs.h"
#include "ErrorHandler.h"
#include "frm_DailyTransaction.h"
#include "Query.h"
#include "sql_Period.h"
#include "tbl_DailyTransaction.h"

#include <QGridLayout>
#include <memory>

TfrmPeriod::TfrmPeriod(QWidget* parent) : TfrmBaseDBGrid(parent)
{
    setObjectName(QStringLiteral("frmPeriod"));
    setWindowTitle(QStringLiteral("Period"));
    auto* record = new QGridLayout(RecordArea);
    record->setContentsMargins(8, 8, 4, 4);
    lblYear = NewLabel(QStringLiteral("Year"), QStringLiteral("lblYear"), RecordArea);
    edYear = new QLineEdit(RecordArea);
    edYear->setObjectName(QStringLiteral("edYear"));
    lblMonth = NewLabel(QStringLiteral("Month"), QStringLiteral("lblMonth"), RecordArea);
    edMonth = new QLineEdit(RecordArea);
    edMonth->setObjectName(QStringLiteral("edMonth"));
    lblSales = NewLabel(QStringLiteral("Income"), QStringLiteral("lblSales"), RecordArea);
    edSales = new TDBEdit(RecordArea);
    edSales->setObjectName(QStringLiteral("edSales"));
    lblExpenses = NewLabel(QStringLiteral("Expenses"), QStringLiteral("lblExpenses"), RecordArea);
    edExpenses = new TDBEdit(RecordArea);
    edExpenses->setObjectName(QStringLiteral("edExpenses"));
    lblProfitMargin = NewLabel(QStringLiteral("Profit Margin"), QStringLiteral("lblProfitMargin"), RecordArea);
    edProfitMargin = new TDBEdit(RecordArea);
    edProfitMargin->setObjectName(QStringLiteral("edProfitMargin"));
    int row = 0;
    for (auto [label, edit] : {std::pair<QLabel*, QLineEdit*> {lblYear, edYear},
                               {lblMonth, edMonth},
                               {lblSales, edSales},
                               {lblExpenses, edExpenses},
                               {lblProfitMargin, edProfitMargin}}) {
        label->setBuddy(edit);
        record->addWidget(label, row, 0);
        record->addWidget(edit, row++, 1);
    }
    record->setColumnStretch(1, 1);
    record->setRowStretch(row, 1);

    WidenList();

    MainMenu1 = new QMenuBar(this);
    MainMenu1->setObjectName(QStringLiteral("MainMenu1"));
    mnuDailyTransactions = MainMenu1->addAction(QStringLiteral("Daily Transactions"));
    mnuDailyTransactions->setObjectName(QStringLiteral("mnuDailyTransactions"));
    layout()->setMenuBar(MainMenu1);
    connect(mnuDailyTransactions, &QAction::triggered, this, Guarded([this] { mnuDailyTransactionsClick(); }));

    TDataSource* periods = dmPeriod->dsGetPeriod;
    dbGridBrowser->SetDataSource(periods);
    edSales->SetDataSource(periods);
    edSales->SetDataField(QStringLiteral("SALES"));
    edExpenses->SetDataSource(periods);
    edExpenses->SetDataField(QStringLiteral("EXPENSES"));
    edProfitMargin->SetDataSource(periods);
    edProfitMargin->SetDataField(QStringLiteral("Profit Margin"));
    setTabOrder(edYear, edMonth);
    setTabOrder(edMonth, btnSave);
    setTabOrder(btnSave, btnCancel);
    FormCreate();
}

void TfrmPeriod::FormShow()
{
    TfrmBaseDBGrid::FormShow();
    pnlEdit->hide();
    edSales->setEnabled(false);
    edExpenses->setEnabled(false);
    edProfitMargin->setEnabled(false);
}

void TfrmPeriod::RecordChanged()
{
    TfrmBaseDBGrid::RecordChanged();
    if (!HasCurrentRow())
        return;
    TDataSet& ds = *DataSet();
    edYear->setText(ds.FieldByName(QStringLiteral("YYYY")).AsString());
    edMonth->setText(ds.FieldByName(QStringLiteral("MM")).AsString());
}

void TfrmPeriod::BeforeAdd()
{
    TfrmBaseDBGrid::BeforeAdd();
    edYear->clear();
    edMonth->clear();
}

void TfrmPeriod::btnAddClick()
{
    TfrmBaseDBGrid::btnAddClick();
    edYear->setFocus();
}

bool TfrmPeriod::ValidateRecord()
{
    if (!TfrmBaseDBGrid::ValidateRecord())
        return false;
    // Text that is no whole number is refused by the field itself when it is stored; here
    // a number no month can have, or none at all, is refused in words the user understands.
    bool yearIsNumber = false, monthIsNumber = false;
    const int year = edYear->text().trimmed().toInt(&yearIsNumber);
    const int month = edMonth->text().trimmed().toInt(&monthIsNumber);
    QString refusal;
    QLineEdit* at = nullptr;
    if (edYear->text().trimmed().isEmpty()) {
        refusal = QStringLiteral("Please enter a year: years run from 1 to 9999.");
        at = edYear;
    } else if (edMonth->text().trimmed().isEmpty()) {
        refusal = QStringLiteral("Please enter a month: months run from 1 to 12.");
        at = edMonth;
    } else if (yearIsNumber && (year < 1 || year > 9999)) {
        refusal = QStringLiteral("%1 is not a year: years run from 1 to 9999.").arg(year);
        at = edYear;
    } else if (monthIsNumber && (month < 1 || month > 12)) {
        refusal = QStringLiteral("%1 is not a month: months run from 1 to 12.").arg(month);
        at = edMonth;
    } else if (yearIsNumber && monthIsNumber
               && OtherRowHolds({QStringLiteral("YYYY"), QStringLiteral("MM")}, {year, month})) {
        refusal = QStringLiteral("%1/%2 is already in the list of months.").arg(year).arg(month);
        at = edMonth;
    }
    if (refusal.isEmpty())
        return true;
    Dialogs().MessageDlg(refusal, mtError, mbOK);
    at->setFocus();
    return false;
}

void TfrmPeriod::BeforeSave()
{
    TfrmBaseDBGrid::BeforeSave();
    TDataSet& ds = *DataSet();
    if (!ds.IsInserting())
        return;
    ds.FieldByName(QStringLiteral("YYYY")).SetAsString(edYear->text());
    ds.FieldByName(QStringLiteral("MM")).SetAsString(edMonth->text());
}

void TfrmPeriod::BeforeRefresh()
{
    TfrmBaseDBGrid::BeforeRefresh();
    PositionYear = edYear->text().trimmed().toInt();
    PositionMonth = edMonth->text().trimmed().toInt();
}

void TfrmPeriod::AfterRefresh()
{
    TfrmBaseDBGrid::AfterRefresh();
    if (PositionYear > 0)
        DataSet()->Locate(QStringLiteral("YYYY;MM"), {TValue(PositionYear), TValue(PositionMonth)});
}

void TfrmPeriod::dbGridBrowserDblClick()
{
    TfrmBaseDBGrid::dbGridBrowserDblClick();
    mnuDailyTransactionsClick();
}

void TfrmPeriod::mnuDailyTransactionsClick()
{
    if (!HasCurrentRow())
        return;
    TDataSet& ds = *DataSet();
    {
        auto days = std::make_unique<TfrmDailyTransaction>(this);
        days->SetPeriod({int(ds.FieldByName(QStringLiteral("YYYY")).AsInteger()),
                         int(ds.FieldByName(QStringLiteral("MM")).AsInteger())});
        days->exec();
    }
    RefreshData();
}

void TfrmPeriod::RefuseDelete()
{
    TDataSet& ds = *DataSet();
    RefuseDeleteWithLines(int(ds.FieldByName(QStringLiteral("YYYY")).AsInteger()),
                          int(ds.FieldByName(QStringLiteral("MM")).AsInteger()), -1);
}
