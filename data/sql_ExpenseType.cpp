#include "sql_ExpenseType.h"

TdmExpenseType* dmExpenseType = nullptr;

TdmExpenseType::TdmExpenseType(TDbConnection& connection, QObject* parent)
    : TDataModule(QStringLiteral("dmExpenseType"), connection, parent)
{
    qryGetAllExpenseTypes = NewQuery(QStringLiteral("qryGetAllExpenseTypes"),
                                     QStringLiteral("SELECT * FROM EXPENSE_TYPE ORDER BY EXPENSE_TYPE_DESCRIPTION"));
    qryGetAllExpenseTypes->AddField("EXPENSE_TYPE_ID", TFieldType::Integer).Hidden();
    qryGetAllExpenseTypes->AddField("EXPENSE_TYPE_DESCRIPTION", TFieldType::String).Titled("Description").Sized(50);
    dsGetAllExpenseTypes = NewDataSource(QStringLiteral("dsGetAllExpenseTypes"), qryGetAllExpenseTypes);
    dmExpenseType = this;
}

TdmExpenseType::~TdmExpenseType()
{
    if (dmExpenseType == this)
        dmExpenseType = nullptr;
}
