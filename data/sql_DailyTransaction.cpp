#include "sql_DailyTransaction.h"

#include "Formats.h"
#include "tbl_DailyTransaction.h"

TdmDailyTransaction* dmDailyTransaction = nullptr;

namespace {
const QString DayKey = QStringLiteral(" WHERE YYYY = :iYYYY AND MM = :iMM AND TRANSACTION_DATE = :iTRANSACTION_DATE");

}  // namespace

void CalcDisplayDate(TDataSet& dataSet)
{
    const TField& day = dataSet.FieldByName("TRANSACTION_DATE");
    if (!day.IsNull())
        dataSet.FieldByName("DisplayDate").SetAsInteger(day.AsInteger());
}

TdmDailyTransaction::TdmDailyTransaction(TDbConnection& connection, QObject* parent)
    : TDataModule(QStringLiteral("dmDailyTransaction"), connection, parent)
{
    qryGetDailyTransaction =
        NewQuery(QStringLiteral("qryGetDailyTransaction"),
                 QStringLiteral("SELECT YYYY, MM, TRANSACTION_DATE, TAKINGS, EXPENSES FROM DAILY_TRANSACTION "
                                "WHERE YYYY = :iYYYY AND MM = :iMM ORDER BY TRANSACTION_DATE"));
    TQuery& days = *qryGetDailyTransaction;
    days.AddField("YYYY", TFieldType::Smallint).Hidden();
    days.AddField("MM", TFieldType::Smallint).Hidden();
    days.AddCalculatedField("DisplayDate", TFieldType::Date).Titled("Date");
    days.AddField("TRANSACTION_DATE", TFieldType::Integer).Hidden();
    days.AddField("TAKINGS", TFieldType::Money).Titled("Income").Wide(18).Formats(Masks::Money, Masks::Money);
    days.AddField("EXPENSES", TFieldType::Money).Titled("Expenses").Wide(18).Formats(Masks::Money, Masks::Money);
    days.OnCalcFields = CalcDisplayDate;
    // A day added on its screen starts from the lines it already holds.
    days.AfterInsertRow = [](TQuery& q) {
        UpdateDayTotals(int(q.FieldByName("YYYY").AsInteger()), int(q.FieldByName("MM").AsInteger()),
                        int(q.FieldByName("TRANSACTION_DATE").AsInteger()));
    };
    dsGetDailyTransaction = NewDataSource(QStringLiteral("dsGetDailyTransaction"), qryGetDailyTransaction);

    qryGetNextSalesID = NewQuery(QStringLiteral("qryGetNextSalesID"),
                                 QStringLiteral("SELECT LAST_SALES_ID FROM DAILY_TRANSACTION") + DayKey);
    qrySetNextSalesID =
        NewCommand(QStringLiteral("qrySetNextSalesID"),
                   QStringLiteral("UPDATE DAILY_TRANSACTION SET LAST_SALES_ID = :iLAST_SALES_ID") + DayKey);
    qryGetNextExpenseID = NewQuery(QStringLiteral("qryGetNextExpenseID"),
                                   QStringLiteral("SELECT LAST_EXPENSE_ID FROM DAILY_TRANSACTION") + DayKey);
    qrySetNextExpenseID =
        NewCommand(QStringLiteral("qrySetNextExpenseID"),
                   QStringLiteral("UPDATE DAILY_TRANSACTION SET LAST_EXPENSE_ID = :iLAST_EXPENSE_ID") + DayKey);
    qryUpdateSales = NewCommand(QStringLiteral("qryUpdateSales"),
                                QStringLiteral("UPDATE DAILY_TRANSACTION SET TAKINGS = :iTAKINGS") + DayKey);
    qryUpdateExpenses = NewCommand(QStringLiteral("qryUpdateExpenses"),
                                   QStringLiteral("UPDATE DAILY_TRANSACTION SET EXPENSES = :iEXPENSES") + DayKey);
    qryGetDailyTransactionRecord = NewQuery(
        QStringLiteral("qryGetDailyTransactionRecord"),
        QStringLiteral("SELECT YYYY, MM, TRANSACTION_DATE, TAKINGS, EXPENSES FROM DAILY_TRANSACTION") + DayKey);
    qryInsertDailyTransactionRecord = NewCommand(
        QStringLiteral("qryInsertDailyTransactionRecord"),
        QStringLiteral("INSERT INTO DAILY_TRANSACTION (PROFILE_ID, YYYY, MM, TRANSACTION_DATE, TAKINGS, EXPENSES, "
                       "LAST_EXPENSE_ID, LAST_SALES_ID) VALUES (:iPROFILE_ID, :iYYYY, :iMM, :iTRANSACTION_DATE, "
                       ":iTAKINGS, :iEXPENSES, :iLAST_EXPENSE_ID, :iLAST_SALES_ID)"));
    qryGetDailyExpensesByDateRange = NewQuery(
        QStringLiteral("qryGetDailyExpensesByDateRange"),
        QStringLiteral(
            "SELECT YYYY, MM, TRANSACTION_DATE, TAKINGS, EXPENSES FROM DAILY_TRANSACTION "
            "WHERE TRANSACTION_DATE >= :iTRANSACTION_DATE_START AND TRANSACTION_DATE <= :iTRANSACTION_DATE_END "
            "ORDER BY TRANSACTION_DATE"));
    dmDailyTransaction = this;
}

TdmDailyTransaction::~TdmDailyTransaction()
{
    if (dmDailyTransaction == this)
        dmDailyTransaction = nullptr;
}
