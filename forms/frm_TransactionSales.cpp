#include "frm_TransactionSales.h"

#include "frm_ExpenseTransactions.h"
#include "sql_DailySales.h"

TfrmTransactionSales* frmTransactionSales = nullptr;

TfrmTransactionSales::TfrmTransactionSales(QWidget* parent)
    : TfrmLineTransactions(TLineScreenKind::Income(), dmDailySales->dsGetTransactionSales,
                           {QStringLiteral("SALES"), QStringLiteral("Income Transaction"),
                            QStringLiteral("pnlExpenses"), QStringLiteral("btnExpenses"), QStringLiteral("E&xpense"),
                            QStringLiteral("Goto Daily Expenses")},
                           parent)
{
    setObjectName(QStringLiteral("frmTransactionSales"));
    setWindowTitle(QStringLiteral("Income Transactions"));
    NameItemControls(QStringLiteral("lblSales"), QStringLiteral("cbSales"), QStringLiteral("spdbtnSales"),
                     QStringLiteral("edSales"));
    lblSales = lblItem;
    cbSales = cbItem;
    spdbtnSales = spdbtnItem;
    edSales = edAmount;
    tsIncomeFilter = tsItemFilter;
    tsIncomeFilter->setObjectName(QStringLiteral("tsIncomeFilter"));
    cbIncomeFilter = cbItemFilter;
    cbIncomeFilter->setObjectName(QStringLiteral("cbIncomeFilter"));
    btnExpenses = btnSwitch;
    pnlExpenses = qobject_cast<QFrame*>(btnExpenses->parentWidget());
    Help1 = mnuHelp;
    Help1->setObjectName(QStringLiteral("Help1"));
    Exit1 = mnuExit;
    Exit1->setObjectName(QStringLiteral("Exit1"));

    TabChain({cbSales, spdbtnSales, edSales, rgTaxable, edNote});
    // The date comes last, after OK and Cancel: a line is most often entered for today.
    setTabOrder(btnCancel, edDate);

    FormCreate();
    if (!frmTransactionSales)
        frmTransactionSales = this;
}

TfrmTransactionSales::~TfrmTransactionSales()
{
    if (frmTransactionSales == this)
        frmTransactionSales = nullptr;
}

TfrmLineTransactions* TfrmTransactionSales::Partner() const
{
    return frmExpenseTransactions;
}
