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

    edReference = AddReference(2);
    lblReference = RecordArea->findChild<QLabel*>(QStringLiteral("lblReference"));

    TabChain({cbExpense, spdbtnExpense, edExpenses, edReference, rgTaxable, edNote});
    FormCreate();
}
