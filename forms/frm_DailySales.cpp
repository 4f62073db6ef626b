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
    NameItemControls(QStringLiteral("lblSales"), QStringLiteral("cbSales"), QStringLiteral("SpeedButton1"),
                     QStringLiteral("edSales"));
    lblSales = lblItem;
    cbSales = cbItem;
    SpeedButton1 = spdbtnItem;
    edSales = edAmount;
    btnExpenses = btnSwitch;
    pnlExpenses = qobject_cast<QFrame*>(btnExpenses->parentWidget());
    Exit1 = mnuExit;

    TabChain({cbSales, SpeedButton1, edSales, rgTaxable, edNote});
    FormCreate();
}
