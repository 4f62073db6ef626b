#include "sql_Expense.h"

#include "Formats.h"

TdmExpense* dmExpense = nullptr;

TdmExpense::TdmExpense(TDbConnection& connection, QObject* parent)
    : TDataModule(QStringLiteral("dmExpense"), connection, parent)
{
    qryGetAllExpenses = NewQuery(QStringLiteral("qryGetAllExpenses"),
                                 QStringLiteral("SELECT * FROM EXPENSE ORDER BY EXPENSE_DESCRIPTION"));
    TQuery& all = *qryGetAllExpenses;
    all.AddField("EXPENSE_ID", TFieldType::Smallint).Visible = false;
    TField& description = all.AddField("EXPENSE_DESCRIPTION", TFieldType::String);
    description.DisplayLabel = "Description";
    description.DisplayWidth = 30;
    description.Size = 50;
    TField& type = all.AddField("EXPENSE_TYPE_ID", TFieldType::Integer);
    type.DisplayLabel = "Type";
    type.Visible = false;
    TField& taxable = all.AddField("TAXABLE", TFieldType::String);
    taxable.DisplayLabel = "Taxable";
    taxable.Size = 1;
    TField& amount = all.AddField("AMOUNT", TFieldType::Money);
    amount.DisplayLabel = "Amount";
    amount.DisplayWidth = 12;
    amount.DisplayFormat = Masks::Money;
    amount.EditFormat = Masks::MoneyEdit;
    dsGetAllExpenses = NewDataSource(QStringLiteral("dsGetAllExpenses"), qryGetAllExpenses);

    qryGetExpenseDescription =
        NewQuery(QStringLiteral("qryGetExpenseDescription"),
                 QStringLiteral("SELECT EXPENSE_DESCRIPTION FROM EXPENSE WHERE EXPENSE_ID = :iEXPENSE_ID"));
    qryGetExpenseDefaults = NewQuery(QStringLiteral("qryGetExpenseDefaults"),
                                     QStringLiteral("SELECT AMOUNT, TAXABLE FROM EXPENSE WHERE EXPENSE_ID = :iEXPENSE_ID"));
    qryGetExpenseDefaults->AddField("AMOUNT", TFieldType::Money);
    qryGetExpenseDefaults->AddField("TAXABLE", TFieldType::String).Size = 1;
    dmExpense = this;
}

TdmExpense::~TdmExpense()
{
    if (dmExpense == this)
        dmExpense = nullptr;
}
