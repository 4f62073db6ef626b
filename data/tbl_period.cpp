#include "tbl_period.h"

#include "DbConnection.h"
#include "sql_Period.h"
#include "tbl_DailyExpenses.h"
#include "tbl_DailySales.h"

void GetLatestPeriod(int& year, int& month)
{
    TQuery& q = *dmPeriod->qryGetLatestPeriod;
    TOpenedQuery open(q);
    if (q.Eof()) {
        year = 1900;
        month = 1;
    } else {
        year = int(q.FieldByName("YYYY").AsInteger());
        month = int(q.FieldByName("MM").AsInteger());
    }
}

void UpdatePeriodSales(int year, int month)
{
    TCommand& c = *dmPeriod->qrySetPeriod_Sales;
    dmPeriod->Connection().RequireTransaction("UpdatePeriodSales");
    c.ParamByName("iYYYY").SetAsInteger(year);
    c.ParamByName("iMM").SetAsInteger(month);
    c.ParamByName("iSALES").SetAsMoney(GetTotalSalesForPeriod(year, month));
    c.Execute();
}

void UpdatePeriodExpenses(int year, int month)
{
    TCommand& c = *dmPeriod->qrySetPeriod_Expenses;
    dmPeriod->Connection().RequireTransaction("UpdatePeriodExpenses");
    c.ParamByName("iYYYY").SetAsInteger(year);
    c.ParamByName("iMM").SetAsInteger(month);
    c.ParamByName("iEXPENSES").SetAsMoney(GetTotalExpensesForPeriod(year, month));
    c.Execute();
}

void UpdatePeriodTotals(int year, int month)
{
    UpdatePeriodSales(year, month);
    UpdatePeriodExpenses(year, month);
}

bool PeriodExists(int year, int month)
{
    TQuery& q = *dmPeriod->qryGetPeriodRecord;
    q.ParamByName("iYYYY").SetAsInteger(year);
    q.ParamByName("iMM").SetAsInteger(month);
    TOpenedQuery open(q);
    return !q.Eof();
}

void InsertPeriodRecord(int profileId, int year, int month, Money sales, Money expenses)
{
    TCommand& c = *dmPeriod->QryInsertPeriodRecord;
    dmPeriod->Connection().RequireTransaction("InsertPeriodRecord");
    c.ParamByName("iPROFILE_ID").SetAsInteger(profileId);
    c.ParamByName("iYYYY").SetAsInteger(year);
    c.ParamByName("iMM").SetAsInteger(month);
    c.ParamByName("iSALES").SetAsMoney(sales);
    c.ParamByName("iEXPENSES").SetAsMoney(expenses);
    c.Execute();
}

void EnsurePeriod(int year, int month)
{
    if (PeriodExists(year, month))
        return;
    TTransaction transaction(dmPeriod->Connection());
    InsertPeriodRecord(1, year, month, GetTotalSalesForPeriod(year, month), GetTotalExpensesForPeriod(year, month));
    transaction.Commit();
}
