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
    lblExpense = lblItem;
    lblExpense->setObjectName(QStringLiteral("lblExpense"));
    cbExpense = cbItem;
    cbExpense->setObjectName(QStringLiteral("cbExpense"));
    spdbtnExpense = spdbtnItem;
    spdbtnExpense->setObjectName(QStringLiteral("spdbtnExpense"));
    edExpenses = edAmount;
    edExpenses->setObjectName(QStringLiteral("edExpenses"));
    tsExpenseFilter = tsItemFilter;
    tsExpenseFilter->setObjectName(QStringLiteral("tsExpenseFilter"));
    cbExpenseFilter = cbItemFilter;
    cbExpenseFilter->setObjectName(QStringLiteral("cbExpenseFilter"));
    btnSales = btnSwitch;
    pnlNextDay = qobject_cast<QFrame*>(btnSales->parentWidget());
    mnuHelp->setObjectName(QStringLiteral("mnuHelp"));
    mnuExit->setObjectName(QStringLiteral("mnuExit"));

    lblReference = new QLabel(QStringLiteral("Reference"), RecordArea);
    lblReference->setObjectName(QStringLiteral("lblReference"));
    edReference = new TDBEdit(RecordArea);
    edReference->setObjectName(QStringLiteral("edReference"));
    lblReference->setBuddy(edReference);
    edReference->SetDataSource(dmDailyExpenses->dsGetTransactionExpenses);
    edReference->SetDataField(QStringLiteral("REFERENCE"));
    auto* record = static_cast<QGridLayout*>(RecordArea->layout());
    record->addWidget(lblReference, 3, 0);
    record->addWidget(edReference, 3, 1, 1, 2);

    setTabOrder(edDate, cbExpense);
    setTabOrder(cbExpense, spdbtnExpense);
    setTabOrder(spdbtnExpense, edExpenses);
    setTabOrder(edExpenses, edReference);
    setTabOrder(edReference, rgTaxable);
    setTabOrder(rgTaxable, edNote);
    setTabOrder(edNote, btnSave);
    setTabOrder(btnSave, btnCancel);

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
