#include "DataModules.h"

#include "sql_DailyExpenses.h"
#include "sql_DailySales.h"
#include "sql_DailyTransaction.h"
#include "sql_Expense.h"
#include "sql_ExpenseType.h"
#include "sql_K2V.h"
#include "sql_Period.h"
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
    m_period = std::make_unique<TdmPeriod>(c);
    m_dailyExpenses = std::make_unique<TdmDailyExpenses>(c);
    m_dailyTransaction = std::make_unique<TdmDailyTransaction>(c);
    m_dailySales = std::make_unique<TdmDailySales>(c);
}

TDataModules::~TDataModules()
{
    // Statements go before the connection they were prepared on.
    m_dailySales.reset();
    m_dailyTransaction.reset();
    m_dailyExpenses.reset();
    m_period.reset();
    m_expenseType.reset();
    m_expense.reset();
    m_sales.reset();
    m_resource.reset();
    m_k2v.reset();
}
