#include "tbl_DailyTransaction.h"

#include "DayNumber.h"
#include "DbConnection.h"
#include "Errors.h"
#include "Formats.h"
#include "sql_DailyExpenses.h"
#include "sql_DailySales.h"
#include "sql_DailyTransaction.h"
#include "tbl_LineSums.h"
#include "tbl_DailyExpenses.h"
#include "tbl_DailySales.h"
#include "tbl_period.h"

namespace {

// Line numbers and item ids are short integers in the book.
constexpr int LastLineNumber = 32767;

void SetDayKey(TParameters& params, int year, int month, int day)
{
    params.ParamByName("iYYYY").SetAsInteger(year);
    params.ParamByName("iMM").SetAsInteger(month);
    params.ParamByName("iTRANSACTION_DATE").SetAsInteger(day);
}

// The counter and the highest line present are read and the new counter written in one
// unit of work, so a number is never handed out twice.
int NextLineNumber(TQuery& counterQuery, const QString& counterField, int (*highestLine)(int, int, int),
                   void (*store)(int, int, int, int), const QString& kind, int year, int month, int day)
{
    TTransaction transaction(counterQuery.Connection());
    int last;
    SetDayKey(counterQuery.Parameters(), year, month, day);
    {
        TOpenedQuery open(counterQuery);
        if (counterQuery.Eof())
            return 0;
        last = int(counterQuery.FieldByName(counterField).AsInteger());
    }
    // A day record deleted and made again starts its counter below the lines it kept.
    last = std::max(last, highestLine(year, month, day));
    if (last >= LastLineNumber)
        throw EOverflowError(QStringLiteral("%1 already has %2 line number %3, the highest a line can carry; "
                                            "no further %2 line can be numbered on that day")
                                 .arg(FormatSettings().DateToStr(DayNumber::ToDate(day)), kind)
                                 .arg(LastLineNumber));
    const int next = last + 1;
    store(year, month, day, next);
    transaction.Commit();
    return next;
}

}  // namespace

int GetNextSalesID(int year, int month, int day)
{
    return NextLineNumber(*dmDailyTransaction->qryGetNextSalesID, QStringLiteral("LAST_SALES_ID"), GetMaxDailySalesID,
                          SetNextSalesID, QStringLiteral("income"), year, month, day);
}

void SetNextSalesID(int year, int month, int day, int lastSalesId)
{
    TCommand& c = *dmDailyTransaction->qrySetNextSalesID;
    dmDailyTransaction->Connection().RequireTransaction("SetNextSalesID");
    c.ParamByName("iLAST_SALES_ID").SetAsInteger(lastSalesId);
    SetDayKey(c.Parameters(), year, month, day);
    c.Execute();
}

int GetNextExpenseID(int year, int month, int day)
{
    return NextLineNumber(*dmDailyTransaction->qryGetNextExpenseID, QStringLiteral("LAST_EXPENSE_ID"),
                          GetMaxDailyExpenseID, SetNextExpenseID, QStringLiteral("expense"), year, month, day);
}

void SetNextExpenseID(int year, int month, int day, int lastExpenseId)
{
    TCommand& c = *dmDailyTransaction->qrySetNextExpenseID;
    dmDailyTransaction->Connection().RequireTransaction("SetNextExpenseID");
    c.ParamByName("iLAST_EXPENSE_ID").SetAsInteger(lastExpenseId);
    SetDayKey(c.Parameters(), year, month, day);
    c.Execute();
}

void UpdateDaySales(int year, int month, int day)
{
    TCommand& c = *dmDailyTransaction->qryUpdateSales;
    dmDailyTransaction->Connection().RequireTransaction("UpdateDaySales");
    SetDayKey(c.Parameters(), year, month, day);
    c.ParamByName("iTAKINGS").SetAsMoney(GetTotalSales(year, month, day));
    c.Execute();
}

void UpdateDayExpenses(int year, int month, int day)
{
    TCommand& c = *dmDailyTransaction->qryUpdateExpenses;
    dmDailyTransaction->Connection().RequireTransaction("UpdateDayExpenses");
    SetDayKey(c.Parameters(), year, month, day);
    c.ParamByName("iEXPENSES").SetAsMoney(GetTotalExpenses(year, month, day));
    c.Execute();
}

void UpdateDayTotals(int year, int month, int day)
{
    UpdateDaySales(year, month, day);
    UpdateDayExpenses(year, month, day);
}

bool DailyTransactionExists(int year, int month, int day)
{
    TQuery& q = *dmDailyTransaction->qryGetDailyTransactionRecord;
    SetDayKey(q.Parameters(), year, month, day);
    TOpenedQuery open(q);
    return !q.Eof();
}

void InsertDailyTransactionRecord(int profileId, int year, int month, const QDate& day, Money takings, Money expenses,
                                  int lastExpenseId, int lastSalesId)
{
    TCommand& c = *dmDailyTransaction->qryInsertDailyTransactionRecord;
    dmDailyTransaction->Connection().RequireTransaction("InsertDailyTransactionRecord");
    c.ParamByName("iPROFILE_ID").SetAsInteger(profileId);
    c.ParamByName("iYYYY").SetAsInteger(year);
    c.ParamByName("iMM").SetAsInteger(month);
    c.ParamByName("iTRANSACTION_DATE").SetAsDate(day);
    c.ParamByName("iTAKINGS").SetAsMoney(takings);
    c.ParamByName("iEXPENSES").SetAsMoney(expenses);
    c.ParamByName("iLAST_EXPENSE_ID").SetAsInteger(lastExpenseId);
    c.ParamByName("iLAST_SALES_ID").SetAsInteger(lastSalesId);
    c.Execute();
}

void EnsureDailyTransaction(int year, int month, int day)
{
    EnsurePeriod(year, month);
    if (DailyTransactionExists(year, month, day))
        return;
    // Both totals from the lines present, whichever kind of line is being stored: the
    // sums and the row they go into in one unit of work.
    TTransaction transaction(dmDailyTransaction->Connection());
    InsertDailyTransactionRecord(1, year, month, DayNumber::ToDate(day), GetTotalSales(year, month, day),
                                 GetTotalExpenses(year, month, day), 0, 0);
    transaction.Commit();
}

void RefuseDeleteWithLines(int year, int month, int day)
{
    const LineSums::THeld income =
        LineSums::Held(*dmDailySales->qryGetLinesHeld, QStringLiteral("SUM_SALES"), year, month, day);
    const LineSums::THeld expenses =
        LineSums::Held(*dmDailyExpenses->qryGetLinesHeld, QStringLiteral("SUM_EXPENSE"), year, month, day);
    if (income.Lines == 0 && expenses.Lines == 0)
        return;
    auto lines = [](const LineSums::THeld& held, const QString& kind) {
        return QStringLiteral("%1 %2 %3 (%4)")
            .arg(held.Lines)
            .arg(kind, held.Lines == 1 ? QStringLiteral("line") : QStringLiteral("lines"),
                 FormatMoney(Masks::Money, held.Total));
    };
    const QString what =
        day >= 0 ? FormatSettings().DateToStr(DayNumber::ToDate(day)) : FormatSettings().MonthToStr(year, month);
    throw EAbortMessage(QStringLiteral("%1 cannot be deleted: it still holds %2 and %3. Delete those lines or move "
                                       "them to another %4 first.")
                            .arg(what, lines(income, QStringLiteral("income")),
                                 lines(expenses, QStringLiteral("expense")),
                                 day >= 0 ? QStringLiteral("day") : QStringLiteral("month")));
}
