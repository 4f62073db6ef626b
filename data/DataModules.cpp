#include "DataModules.h"

#include "sql_Expense.h"
#include "sql_ExpenseType.h"
#include "sql_K2V.h"
#include "sql_Sales.h"
#include "sql_resource.h"

TDataModules::TDataModules(const QString& programFolder)
{
    m_k2v = programFolder.isEmpty() ? std::make_unique<TdmK2V>() : std::make_unique<TdmK2V>(programFolder);
    TDbConnection& c = m_k2v->ADOConnection;
    m_resource = std::make_unique<TdmResource>(c);
    m_sales = std::make_unique<TdmSales>(c);
    m_expense = std::make_unique<TdmExpense>(c);
    m_expenseType = std::make_unique<TdmExpenseType>(c);
}

TDataModules::~TDataModules()
{
    // Statements go before the connection they were prepared on.
    m_expenseType.reset();
    m_expense.reset();
    m_sales.reset();
    m_resource.reset();
    m_k2v.reset();
}
