#include "tbl_DailyExpenses.h"

#include "sql_DailyExpenses.h"
#include "tbl_LineSums.h"

Money GetTotalExpenses(int year, int month, int day)
{
    return LineSums::DaySum(*dmDailyExpenses->qryGetTotalExpenses, "SUM_EXPENSE", "expenses", year, month, day);
}

Money GetTotalExpensesForPeriod(int year, int month)
{
    return LineSums::MonthSum(*dmDailyExpenses->qryGetTotalExpensesForPeriod, "SUM_EXPENSE", "expenses", year, month);
}

int GetMaxDailyExpenseID(int year, int month, int day)
{
    return LineSums::HighestLine(*dmDailyExpenses->qryGetMaxDailyExpenseID, year, month, day);
}
