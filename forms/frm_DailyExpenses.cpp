#include "frm_DailyExpenses.h"

#include "sql_DailyExpenses.h"

#include <QGridLayout>

TfrmDailyExpenses::TfrmDailyExpenses(QWidget* parent)
    : TfrmLineDay(TLineScreenKind::Expense(), dmDailyExpenses->dsGetDailyExpenses,
                  {QStringLiteral("pnlNextDay"), QStringLiteral("btnIncome"), QStringLiteral("&Income"),
                   QStringLiteral("Goto Daily Sales"), QStringLiteral("mnuExit")},
                  parent)
{
    setObjectName(QStringLiteral("frmDailyExpenses"));
    setWindowTitle(QStringLiteral("Daily Expenses"));
    lblExpense = lblItem;
    lblExpense->setObjectName(QStringLiteral("lblExpense"));
    cbExpense = cbItem;
    cbExpense->setObjectName(QStringLiteral("cbExpense"));
    spdbtnExpense = spdbtnItem;
    spdbtnExpense->setObjectName(QStringLiteral("spdbtnExpense"));
    edExpenses = edAmount;
    edExpenses->setObjectName(QStringLiteral("edExpenses"));
    btnIncome = btnSwitch;
    pnlNextDay = qobject_cast<QFrame*>(btnIncome->parentWidget());

    lblReference = NewLabel(QStringLiteral("Reference"), QStringLiteral("lblReference"), RecordArea);
    edReference = new TDBEdit(RecordArea);
    edReference->setObjectName(QStringLiteral("edReference"));
    lblReference->setBuddy(edReference);
    edReference->SetDataSource(dmDailyExpenses->dsGetDailyExpenses);
    edReference->SetDataField(QStringLiteral("REFERENCE"));
    auto* record = static_cast<QGridLayout*>(RecordArea->layout());
    record->addWidget(lblReference, 2, 0);
    record->addWidget(edReference, 2, 1, 1, 2);

    setTabOrder(cbExpense, spdbtnExpense);
    setTabOrder(spdbtnExpense, edExpenses);
    setTabOrder(edExpenses, edReference);
    setTabOrder(edReference, rgTaxable);
    setTabOrder(rgTaxable, edNote);
    setTabOrder(edNote, btnSave);
    setTabOrder(btnSave, btnCancel);
    FormCreate();
}
