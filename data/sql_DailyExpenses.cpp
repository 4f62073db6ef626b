#include "sql_DailyExpenses.h"

#include "sql_Expense.h"

#include "Formats.h"
#include "sql_DailyTransaction.h"
#include "tbl_Expense.h"

TdmDailyExpenses* dmDailyExpenses = nullptr;

namespace {
const QString Range =
    QStringLiteral("TRANSACTION_DATE >= :iTRANSACTION_DATE_START AND TRANSACTION_DATE <= :iTRANSACTION_DATE_END");
}  // namespace

TdmDailyExpenses::TdmDailyExpenses(TDbConnection& connection, QObject* parent)
    : TDataModule(QStringLiteral("dmDailyExpenses"), connection, parent)
{
    qryGetDailyExpenses =
        NewQuery(QStringLiteral("qryGetDailyExpenses"),
                 QStringLiteral("SELECT YYYY, MM, TRANSACTION_DATE, DAILY_EXPENSE_ID, EXPENSE_ID, "
                                "EXPENSE_AMOUNT, TAXABLE, REFERENCE, NOTE FROM DAILY_EXPENSE "
                                "WHERE YYYY = :iYYYY AND MM = :iMM AND TRANSACTION_DATE = :iTRANSACTION_DATE"));
    {
        TQuery& q = *qryGetDailyExpenses;
        q.AddField("YYYY", TFieldType::Smallint).Hidden();
        q.AddField("MM", TFieldType::Smallint).Hidden();
        q.AddField("TRANSACTION_DATE", TFieldType::Integer).Hidden();
        q.AddCalculatedField("DisplayDate", TFieldType::Date).Titled("Date");
        q.AddField("DAILY_EXPENSE_ID", TFieldType::Smallint).Hidden();
        q.AddField("EXPENSE_ID", TFieldType::Smallint).Hidden();
        q.AddCalculatedField("ExpenseDescription", TFieldType::String, 30).Titled("Expense").Wide(26);
        q.AddField("EXPENSE_AMOUNT", TFieldType::Money)
            .Titled("Amount")
            .Wide(12)
            .Formats(Masks::Money, Masks::MoneyEdit);
        q.AddField("TAXABLE", TFieldType::String).Titled("Taxable").Wide(5).Sized(50);
        q.AddField("REFERENCE", TFieldType::String).Titled("Reference").Sized(20);
        q.AddField("NOTE", TFieldType::Memo).Hidden();
        q.OnCalcFields = [this](TDataSet& ds) { qryGetDailyExpensesCalcFields(ds); };
    }
    dsGetDailyExpenses = NewDataSource(QStringLiteral("dsGetDailyExpenses"), qryGetDailyExpenses);

    qryGetExpensesDescription = NewQuery(QStringLiteral("qryGetExpensesDescription"),
                                         QStringLiteral("SELECT * FROM EXPENSE ORDER BY EXPENSE_DESCRIPTION"));
    DeclareExpenseItemFields(*qryGetExpensesDescription);

    qryGetTransactionExpenses =
        NewQuery(QStringLiteral("qryGetTransactionExpenses"),
                 QStringLiteral("SELECT PROFILE_ID, YYYY, MM, TRANSACTION_DATE, DAILY_EXPENSE_ID, EXPENSE_ID, "
                                "EXPENSE_AMOUNT, TAXABLE, REFERENCE, NOTE FROM DAILY_EXPENSE "
                                "ORDER BY TRANSACTION_DATE, EXPENSE_ID, YYYY, MM, DAILY_EXPENSE_ID"));
    {
        TQuery& q = *qryGetTransactionExpenses;
        q.AddField("PROFILE_ID", TFieldType::Integer).Hidden();
        q.AddField("YYYY", TFieldType::Smallint).Hidden();
        q.AddField("MM", TFieldType::Smallint).Hidden();
        q.AddField("TRANSACTION_DATE", TFieldType::Integer).Titled("Date").Hidden();
        q.AddCalculatedField("DisplayDate", TFieldType::Date).Titled("Date");
        q.AddField("DAILY_EXPENSE_ID", TFieldType::Smallint).Hidden();
        q.AddField("EXPENSE_ID", TFieldType::Smallint).Hidden();
        q.AddLookupField("ExpenseDescription", TFieldType::String, qryGetExpensesDescription, "EXPENSE_ID",
                         "EXPENSE_ID", "EXPENSE_DESCRIPTION")
            .Titled("Expense")
            .Wide(26)
            .Sized(30);
        q.AddField("EXPENSE_AMOUNT", TFieldType::Money)
            .Titled("Amount")
            .Wide(12)
            .Formats(Masks::Money, Masks::MoneyEdit);
        q.AddField("TAXABLE", TFieldType::String).Titled("Taxable").Sized(50);
        q.AddField("REFERENCE", TFieldType::String).Titled("Reference").Sized(20).Hidden();
        q.AddField("NOTE", TFieldType::Memo).Hidden();
        q.OnCalcFields = CalcDisplayDate;
        q.SetFiltered(true);
        // Lines of one day and expense follow their numbers, so the order is total and a
        // save need not read every line again to show the list as stored.
        q.OrderKeys = QStringList {"TRANSACTION_DATE", "EXPENSE_ID", "YYYY", "MM", "DAILY_EXPENSE_ID"};
    }
    dsGetTransactionExpenses = NewDataSource(QStringLiteral("dsGetTransactionExpenses"), qryGetTransactionExpenses);

    qryGetTotalExpenses =
        NewQuery(QStringLiteral("qryGetTotalExpenses"),
                 QStringLiteral("SELECT SUM(EXPENSE_AMOUNT) AS SUM_EXPENSE FROM DAILY_EXPENSE "
                                "WHERE YYYY = :iYYYY AND MM = :iMM AND TRANSACTION_DATE = :iTRANSACTION_DATE "
                                "AND (TAXABLE = 'Y' OR TAXABLE = :iTAXABLE)"));
    qryGetTotalExpenses->AddField("SUM_EXPENSE", TFieldType::Money);
    qryGetTotalExpensesForPeriod =
        NewQuery(QStringLiteral("qryGetTotalExpensesForPeriod"),
                 QStringLiteral(
                     "SELECT SUM(EXPENSE_AMOUNT) AS SUM_EXPENSE FROM DAILY_EXPENSE WHERE YYYY = :iYYYY AND MM = :iMM"));
    qryGetTotalExpensesForPeriod->AddField("SUM_EXPENSE", TFieldType::Money);
    qryGetLinesHeld = NewQuery(QStringLiteral("qryGetLinesHeld"),
                               QStringLiteral("SELECT COUNT(*) AS LINE_COUNT, SUM(EXPENSE_AMOUNT) AS SUM_EXPENSE FROM DAILY_EXPENSE "
                                              "WHERE YYYY = :iYYYY AND MM = :iMM "
                                              "AND (:iTRANSACTION_DATE < 0 OR TRANSACTION_DATE = :iTRANSACTION_DATE)"));
    qryGetLinesHeld->AddField("LINE_COUNT", TFieldType::Integer);
    qryGetLinesHeld->AddField("SUM_EXPENSE", TFieldType::Money);
    qryGetMaxDailyExpenseID =
        NewQuery(QStringLiteral("qryGetMaxDailyExpenseID"),
                 QStringLiteral("SELECT MAX(DAILY_EXPENSE_ID) AS MAX_DAILY_EXPENSE_ID FROM DAILY_EXPENSE "
                                "WHERE YYYY = :iYYYY AND MM = :iMM AND TRANSACTION_DATE = :iTRANSACTION_DATE"));
    qryGetMaxDailyExpenseID->AddField("MAX_DAILY_EXPENSE_ID", TFieldType::Integer);

    qryGetExpensesForPeriod = NewQuery(
        QStringLiteral("qryGetExpensesForPeriod"),
        QStringLiteral(
            "SELECT DEXP.EXPENSE_ID, EXP.EXPENSE_DESCRIPTION, DEXP.TRANSACTION_DATE, DEXP.REFERENCE,"
            "DEXP.NOTE, SUM(DEXP.EXPENSE_AMOUNT) AS SUM_EXPENSE_AMOUNT FROM DAILY_EXPENSE DEXP, EXPENSE EXP "
            "WHERE EXP.EXPENSE_ID = DEXP.EXPENSE_ID AND %1 AND(DEXP.TAXABLE = 'Y' OR DEXP.TAXABLE = :iTAXABLE) "
            "GROUP BY DEXP.EXPENSE_ID, EXPENSE_DESCRIPTION, TRANSACTION_DATE, DEXP.REFERENCE, DEXP.NOTE "
            // The detail report lists each expense's lines together, expenses in the order
            // the cross reference shows them, each expense's days in date order.
            "ORDER BY EXP.EXPENSE_DESCRIPTION, DEXP.EXPENSE_ID, DEXP.TRANSACTION_DATE, DEXP.REFERENCE, DEXP.NOTE")
            .arg(Range));
    {
        TQuery& q = *qryGetExpensesForPeriod;
        q.AddField("EXPENSE_ID", TFieldType::Smallint);
        q.AddField("EXPENSE_DESCRIPTION", TFieldType::String).Sized(50);
        q.AddField("TRANSACTION_DATE", TFieldType::Integer);
        q.AddField("REFERENCE", TFieldType::String).Sized(20);
        q.AddField("NOTE", TFieldType::Memo);
        q.AddField("SUM_EXPENSE_AMOUNT", TFieldType::Money);
    }
    qryGetDistinctExpensesForPeriod = NewQuery(
        QStringLiteral("qryGetDistinctExpensesForPeriod"),
        QStringLiteral("SELECT DISTINCT DEXP.EXPENSE_ID, EXP.EXPENSE_DESCRIPTION FROM DAILY_EXPENSE DEXP, EXPENSE EXP "
                       "WHERE DEXP.TRANSACTION_DATE >= :iTRANSACTION_DATE_START AND DEXP.TRANSACTION_DATE <= "
                       ":iTRANSACTION_DATE_END AND (DEXP.TAXABLE = 'Y' OR DEXP.TAXABLE = :iTAXABLE) AND "
                       "DEXP.EXPENSE_ID = EXP.EXPENSE_ID ORDER BY EXP.EXPENSE_DESCRIPTION, DEXP.EXPENSE_ID"));
    qryGetDistinctExpensesForPeriod->AddField("EXPENSE_ID", TFieldType::Smallint);
    qryGetDistinctExpensesForPeriod->AddField("EXPENSE_DESCRIPTION", TFieldType::String).Sized(50);
    qryGetDistinctDatesForExpenses =
        NewQuery(QStringLiteral("qryGetDistinctDatesForExpenses"),
                 QStringLiteral("SELECT DISTINCT TRANSACTION_DATE FROM DAILY_EXPENSE DEXP WHERE %1 "
                                "AND (TAXABLE = 'Y' OR TAXABLE = :iTAXABLE) ORDER BY TRANSACTION_DATE")
                     .arg(Range));
    qryGetDistinctDatesForExpenses->AddField("TRANSACTION_DATE", TFieldType::Integer);
    qryGetSumExpensesByDateRange =
        NewQuery(QStringLiteral("qryGetSumExpensesByDateRange"),
                 QStringLiteral(
                     "SELECT DEXP.TRANSACTION_DATE, SUM(DEXP.EXPENSE_AMOUNT) AS SUM_EXPENSE_AMOUNT FROM DAILY_EXPENSE "
                     "DEXP, EXPENSE EXP WHERE EXP.EXPENSE_ID = DEXP.EXPENSE_ID AND %1 "
                     "AND(DEXP.TAXABLE = 'Y' OR DEXP.TAXABLE = :iTAXABLE) GROUP BY TRANSACTION_DATE")
                     .arg(Range));
    qryGetSumExpensesByDateRange->AddField("TRANSACTION_DATE", TFieldType::Integer);
    qryGetSumExpensesByDateRange->AddField("SUM_EXPENSE_AMOUNT", TFieldType::Money);
    qryGetExpensesForExport = NewQuery(
        QStringLiteral("qryGetExpensesForExport"),
        QStringLiteral(
            "SELECT DEXP.EXPENSE_ID, EXP.EXPENSE_DESCRIPTION, DEXP.TRANSACTION_DATE, DEXP.REFERENCE,"
            "DEXP.NOTE, DEXP.EXPENSE_AMOUNT, DEXP.TAXABLE FROM DAILY_EXPENSE DEXP, EXPENSE EXP "
            "WHERE EXP.EXPENSE_ID = DEXP.EXPENSE_ID AND %1 AND(DEXP.TAXABLE = 'Y' OR DEXP.TAXABLE = :iTAXABLE) "
            // Lines of one expense on one day in the order they were entered.
            "ORDER BY TRANSACTION_DATE, EXPENSE_DESCRIPTION, DEXP.DAILY_EXPENSE_ID")
            .arg(Range));
    {
        TQuery& q = *qryGetExpensesForExport;
        q.AddField("EXPENSE_ID", TFieldType::Smallint);
        q.AddField("EXPENSE_DESCRIPTION", TFieldType::String).Sized(50);
        q.AddField("TRANSACTION_DATE", TFieldType::Integer);
        q.AddField("REFERENCE", TFieldType::String).Sized(20);
        q.AddField("NOTE", TFieldType::Memo);
        q.AddField("EXPENSE_AMOUNT", TFieldType::Money);
        q.AddField("TAXABLE", TFieldType::String).Sized(50);
    }
    dmDailyExpenses = this;
}

TdmDailyExpenses::~TdmDailyExpenses()
{
    if (dmDailyExpenses == this)
        dmDailyExpenses = nullptr;
}

void TdmDailyExpenses::qryGetDailyExpensesCalcFields(TDataSet& dataSet)
{
    // One lookup per row calculated; the day's list is short.
    QString description;
    GetExpenseDescription(int(dataSet.FieldByName("EXPENSE_ID").AsInteger()), description);
    TField& field = dataSet.FieldByName("ExpenseDescription");
    field.SetAsString(description.left(field.Size));  // the field holds fewer characters than a description
    CalcDisplayDate(dataSet);
}
