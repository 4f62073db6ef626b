#include "frm_ExpenseTransactions.h"

#include "DayNumber.h"
#include "frm_TransactionSales.h"
#include "sql_DailyExpenses.h"

#include <QGridLayout>

TfrmExpenseTransactions* frmExpenseTransactions = nullptr;

TfrmExpenseTransactions::TfrmExpenseTransactions(QWidget* parent)
    : TfrmLineTransactions(TLineScreenKind::Expense(), dmDailyExpenses->dsGetTransactionExpenses,
                           {QStringLiteral("EXPENSE"), QStringLiteral("Expense Transaction"),
                            QStringLiteral("pnlNextDay"), QStringLiteral("btnSales"), QStringLiteral("&Income"),
                            QStringLiteral("Goto Daily Sales")},
                           parent)
{
    setObjectName(QStringLiteral("frmExpenseTransactions"));
    setWindowTitle(QStringLiteral("Expense Transactions"));
    NameItemControls(QStringLiteral("lblExpense"), QStringLiteral("cbExpense"), QStringLiteral("spdbtnExpense"),
                     QStringLiteral("edExpenses"));
    lblExpense = lblItem;
    cbExpense = cbItem;
    spdbtnExpense = spdbtnItem;
    edExpenses = edAmount;
    tsExpenseFilter = tsItemFilter;
    tsExpenseFilter->setObjectName(QStringLiteral("tsExpenseFilter"));
    cbExpenseFilter = cbItemFilter;
    cbExpenseFilter->setObjectName(QStringLiteral("cbExpenseFilter"));
    btnSales = btnSwitch;
    pnlNextDay = qobject_cast<QFrame*>(btnSales->parentWidget());
    mnuHelp->setObjectName(QStringLiteral("mnuHelp"));
    mnuExit->setObjectName(QStringLiteral("mnuExit"));

    edReference = AddReference(3);
    lblReference = RecordArea->findChild<QLabel*>(QStringLiteral("lblReference"));

    TabChain({edDate, cbExpense, spdbtnExpense, edExpenses, edReference, rgTaxable, edNote});

    FormCreate();
    if (!frmExpenseTransactions)
        frmExpenseTransactions = this;
}

TfrmExpenseTransactions::~TfrmExpenseTransactions()
{
    if (frmExpenseTransactions == this)
        frmExpenseTransactions = nullptr;
}

void TfrmExpenseTransactions::btnAddClick()
{
    TfrmLineTransactions::btnAddClick();
    DataSet()->FieldByName(QStringLiteral("TRANSACTION_DATE")).SetAsInteger(DayNumber::Today());
}

TfrmLineTransactions* TfrmExpenseTransactions::Partner() const
{
    return frmTransactionSales;
}
