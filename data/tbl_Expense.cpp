#include "tbl_Expense.h"

#include "sql_Expense.h"
#include "tbl_Reference.h"

QString GetExpenseDescription(int expenseId, QString& text)
{
    return Reference::Description(*dmExpense->qryGetExpenseDescription, "iEXPENSE_ID", expenseId, text);
}

void GetExpenseList(QStringList& ids, QStringList& descriptions)
{
    Reference::FillList(*dmExpense->qryGetAllExpenses, "EXPENSE_ID", "EXPENSE_DESCRIPTION", ids, descriptions);
}

void GetExpenseDefaults(int expenseId, Money& amount, QString& taxable)
{
    Reference::Defaults(*dmExpense->qryGetExpenseDefaults, "iEXPENSE_ID", expenseId, amount, taxable);
}
