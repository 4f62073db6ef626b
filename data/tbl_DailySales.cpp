#include "tbl_DailySales.h"

#include "sql_DailySales.h"
#include "tbl_LineSums.h"

Money GetTotalSales(int year, int month, int day)
{
    return LineSums::DaySum(*dmDailySales->qryGetTotalSales, "SUM_SALES", "income", year, month, day);
}

Money GetTotalSalesForPeriod(int year, int month)
{
    return LineSums::MonthSum(*dmDailySales->qryGetTotalSalesForPeriod, "SUM_SALES", "income", year, month);
}

int GetMaxDailySalesID(int year, int month, int day)
{
    return LineSums::HighestLine(*dmDailySales->qryGetMaxDailySalesID, year, month, day);
}
