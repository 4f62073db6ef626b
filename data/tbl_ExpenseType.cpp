#include "tbl_ExpenseType.h"

#include "sql_ExpenseType.h"
#include "tbl_Reference.h"

void GetExpenseTypeList(QStringList& ids, QStringList& descriptions)
{
    Reference::FillList(*dmExpenseType->qryGetAllExpenseTypes, "EXPENSE_TYPE_ID", "EXPENSE_TYPE_DESCRIPTION", ids,
                        descriptions);
}
