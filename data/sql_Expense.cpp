#include "sql_Expense.h"

#include "Formats.h"

TdmExpense* dmExpense = nullptr;

void DeclareExpenseItemFields(TQuery& q)
{
    q.AddField("EXPENSE_ID", TFieldType::Smallint).Hidden();
    q.AddField("EXPENSE_DESCRIPTION", TFieldType::String).Titled("Description").Wide(30).Sized(50);
    q.AddField("EXPENSE_TYPE_ID", TFieldType::Integer).Titled("Type").Hidden();
    q.AddField("TAXABLE", TFieldType::String).Titled("Taxable").Sized(1);
    q.AddField("AMOUNT", TFieldType::Money).Titled("Amount").Wide(12).Formats(Masks::Money, Masks::MoneyEdit);
}

TdmExpense::TdmExpense(TDbConnection& connection, QObject* parent)
    : TDataModule(QStringLiteral("dmExpense"), connection, parent)
{
    qryGetAllExpenses = NewQuery(QStringLiteral("qryGetAllExpenses"),
                                 QStringLiteral("SELECT * FROM EXPENSE ORDER BY EXPENSE_DESCRIPTION"));
    DeclareExpenseItemFields(*qryGetAllExpenses);
    dsGetAllExpenses = NewDataSource(QStringLiteral("dsGetAllExpenses"), qryGetAllExpenses);

    qryGetExpenseDescription =
        NewQuery(QStringLiteral("qryGetExpenseDescription"),
                 QStringLiteral("SELECT EXPENSE_DESCRIPTION FROM EXPENSE WHERE EXPENSE_ID = :iEXPENSE_ID"));
    qryGetExpenseDefaults =
        NewQuery(QStringLiteral("qryGetExpenseDefaults"),
                 QStringLiteral("SELECT AMOUNT, TAXABLE FROM EXPENSE WHERE EXPENSE_ID = :iEXPENSE_ID"));
    qryGetExpenseDefaults->AddField("AMOUNT", TFieldType::Money);
    qryGetExpenseDefaults->AddField("TAXABLE", TFieldType::String).Sized(1);
    dmExpense = this;
}

TdmExpense::~TdmExpense()
{
    if (dmExpense == this)
        dmExpense = nullptr;
}
