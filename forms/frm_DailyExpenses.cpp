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
    NameItemControls(QStringLiteral("lblExpense"), QStringLiteral("cbExpense"), QStringLiteral("spdbtnExpense"),
                     QStringLiteral("edExpenses"));
    lblExpense = lblItem;
    cbExpense = cbItem;
    spdbtnExpense = spdbtnItem;
    edExpenses = edAmount;
    btnIncome = btnSwitch;
    pnlNextDay = qobject_cast<QFrame*>(btnIncome->parentWidget());

    edReference = AddReference(2);
    lblReference = RecordArea->findChild<QLabel*>(QStringLiteral("lblReference"));

    TabChain({cbExpense, spdbtnExpense, edExpenses, edReference, rgTaxable, edNote});
    FormCreate();
}
