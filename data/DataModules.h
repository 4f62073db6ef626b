#pragma once
// The data modules of a run, created in start-up order and destroyed in reverse.
#include <QString>
#include <memory>

class TdmK2V;
class TdmResource;
class TdmSales;
class TdmExpense;
class TdmExpenseType;
class TdmPeriod;
class TdmDailyExpenses;
class TdmDailyTransaction;
class TdmDailySales;

class TDataModules {
public:
    // The book stands in the program's folder unless a test names another.
    explicit TDataModules(const QString& programFolder = {});
    ~TDataModules();
    TDataModules(const TDataModules&) = delete;
    TDataModules& operator=(const TDataModules&) = delete;

private:
    std::unique_ptr<TdmK2V> m_k2v;
    std::unique_ptr<TdmResource> m_resource;
    std::unique_ptr<TdmSales> m_sales;
    std::unique_ptr<TdmExpense> m_expense;
    std::unique_ptr<TdmExpenseType> m_expenseType;
    std::unique_ptr<TdmPeriod> m_period;
    std::unique_ptr<TdmDailyExpenses> m_dailyExpenses;
    std::unique_ptr<TdmDailyTransaction> m_dailyTransaction;
    std::unique_ptr<TdmDailySales> m_dailySales;
};
