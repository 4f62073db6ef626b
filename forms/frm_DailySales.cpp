#include "frm_DailySales.h"

#include "sql_DailySales.h"

TfrmDailySales::TfrmDailySales(QWidget* parent)
    : TfrmLineDay(TLineScreenKind::Income(), dmDailySales->dsGetDailySales,
                  {QStringLiteral("pnlExpenses"), QStringLiteral("btnExpenses"), QStringLiteral("&Expense"),
                   QStringLiteral("Goto Daily Expenses"), QStringLiteral("Exit1")},
                  parent)
{
    setObjectName(QStringLiteral("frmDailySales"));
    setWindowTitle(QStringLiteral("Daily Income"));
    lblSales = lblItem;
    lblSales->setObjectName(QStringLiteral("lblSales"));
    cbSales = cbItem;
    cbSales->setObjectName(QStringLiteral("cbSales"));
    SpeedButton1 = spdbtnItem;
    SpeedButton1->setObjectName(QStringLiteral("SpeedButton1"));
    edSales = edAmount;
    edSales->setObjectName(QStringLiteral("edSales"));
    btnExpenses = btnSwitch;
    pnlExpenses = qobject_cast<QFrame*>(btnExpenses->parentWidget());
    Exit1 = mnuExit;

    TabChain({cbSales, SpeedButton1, edSales, rgTaxable, edNote});
    FormCreate();
}
