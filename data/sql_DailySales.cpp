#include "sql_DailySales.h"

#include "sql_Sales.h"

#include "Formats.h"
#include "sql_DailyTransaction.h"
#include "tbl_Sales.h"

TdmDailySales* dmDailySales = nullptr;

namespace {
const QString Range =
    QStringLiteral("TRANSACTION_DATE >= :iTRANSACTION_DATE_START AND TRANSACTION_DATE <= :iTRANSACTION_DATE_END");
}

TdmDailySales::TdmDailySales(TDbConnection& connection, QObject* parent)
    : TDataModule(QStringLiteral("dmDailySales"), connection, parent)
{
    qryGetDailySales = NewQuery(
        QStringLiteral("qryGetDailySales"),
        QStringLiteral("SELECT YYYY, MM, TRANSACTION_DATE, DAILY_SALES_ID, SALES_ID, SALES_AMOUNT, TAXABLE, NOTE "
                       "FROM DAILY_SALES WHERE YYYY = :iYYYY AND MM = :iMM AND TRANSACTION_DATE = :iTRANSACTION_DATE"));
    {
        TQuery& q = *qryGetDailySales;
        q.AddField("YYYY", TFieldType::Smallint).Hidden();
        q.AddField("MM", TFieldType::Smallint).Hidden();
        q.AddField("TRANSACTION_DATE", TFieldType::Integer).Hidden();
        q.AddCalculatedField("DisplayDate", TFieldType::Date).Titled("Date");
        q.AddField("DAILY_SALES_ID", TFieldType::Smallint).Hidden();
        q.AddField("SALES_ID", TFieldType::Smallint).Hidden();
        q.AddCalculatedField("SalesDescription", TFieldType::String, 40).Titled("Income Description").Wide(26);
        q.AddField("SALES_AMOUNT", TFieldType::Money).Titled("Amount").Wide(12).Formats(Masks::Money, Masks::Money);
        q.AddField("TAXABLE", TFieldType::String).Titled("Taxable").Wide(5).Sized(50);
        q.AddField("NOTE", TFieldType::Memo).Hidden();
        q.OnCalcFields = [this](TDataSet& ds) { qryGetDailySalesCalcFields(ds); };
    }
    dsGetDailySales = NewDataSource(QStringLiteral("dsGetDailySales"), qryGetDailySales);

    qrySalesDescription = NewQuery(QStringLiteral("qrySalesDescription"),
                                   QStringLiteral("SELECT SALES_ID, SALES_DESCRIPTION, TAXABLE, AMOUNT FROM SALES "
                                                  "ORDER BY SALES_DESCRIPTION"));
    DeclareSalesItemFields(*qrySalesDescription);

    qryGetTransactionSales = NewQuery(QStringLiteral("qryGetTransactionSales"),
                                      QStringLiteral("SELECT PROFILE_ID, YYYY, MM, TRANSACTION_DATE, DAILY_SALES_ID, "
                                                     "SALES_ID, SALES_AMOUNT, TAXABLE, NOTE FROM DAILY_SALES "
                                                     "ORDER BY TRANSACTION_DATE, SALES_ID, YYYY, MM, DAILY_SALES_ID"));
    {
        TQuery& q = *qryGetTransactionSales;
        q.AddField("PROFILE_ID", TFieldType::Integer).Hidden();
        q.AddField("YYYY", TFieldType::Smallint).Hidden();
        q.AddField("MM", TFieldType::Smallint).Hidden();
        q.AddCalculatedField("DisplayDate", TFieldType::Date).Titled("Date").Wide(10);
        q.AddField("TRANSACTION_DATE", TFieldType::Integer).Hidden();
        q.AddField("DAILY_SALES_ID", TFieldType::Smallint).Hidden();
        q.AddField("SALES_ID", TFieldType::Smallint).Hidden();
        q.AddLookupField("SalesDescription", TFieldType::String, qrySalesDescription, "SALES_ID", "SALES_ID",
                         "SALES_DESCRIPTION")
            .Titled("Income")
            .Wide(26)
            .Sized(60);
        q.AddField("SALES_AMOUNT", TFieldType::Money).Titled("Amount").Wide(12).Formats(Masks::Money, Masks::MoneyEdit);
        q.AddField("TAXABLE", TFieldType::String).Titled("Taxable").Wide(1).Sized(50);
        q.AddField("NOTE", TFieldType::Memo).Hidden();
        q.OnCalcFields = CalcDisplayDate;
        q.SetFiltered(true);
        // Lines of one day and item follow their numbers, so the order is total and a save
        // need not read every line again to show the list as stored.
        q.OrderKeys = QStringList {"TRANSACTION_DATE", "SALES_ID", "YYYY", "MM", "DAILY_SALES_ID"};
    }
    dsGetTransactionSales = NewDataSource(QStringLiteral("dsGetTransactionSales"), qryGetTransactionSales);

    qryGetTotalSales =
        NewQuery(QStringLiteral("qryGetTotalSales"),
                 QStringLiteral("SELECT SUM(SALES_AMOUNT) AS SUM_SALES FROM DAILY_SALES "
                                "WHERE YYYY = :iYYYY AND MM = :iMM AND TRANSACTION_DATE = :iTRANSACTION_DATE "
                                "AND (TAXABLE = 'Y' OR TAXABLE = :iTAXABLE)"));
    qryGetTotalSales->AddField("SUM_SALES", TFieldType::Money);
    qryGetTotalSalesForPeriod = NewQuery(
        QStringLiteral("qryGetTotalSalesForPeriod"),
        QStringLiteral("SELECT SUM(SALES_AMOUNT) AS SUM_SALES FROM DAILY_SALES WHERE YYYY = :iYYYY AND MM = :iMM"));
    qryGetTotalSalesForPeriod->AddField("SUM_SALES", TFieldType::Money);
    qryGetLinesHeld = NewQuery(QStringLiteral("qryGetLinesHeld"),
                               QStringLiteral("SELECT COUNT(*) AS LINE_COUNT, SUM(SALES_AMOUNT) AS SUM_SALES FROM DAILY_SALES "
                                              "WHERE YYYY = :iYYYY AND MM = :iMM "
                                              "AND (:iTRANSACTION_DATE < 0 OR TRANSACTION_DATE = :iTRANSACTION_DATE)"));
    qryGetLinesHeld->AddField("LINE_COUNT", TFieldType::Integer);
    qryGetLinesHeld->AddField("SUM_SALES", TFieldType::Money);
    qryGetMaxDailySalesID =
        NewQuery(QStringLiteral("qryGetMaxDailySalesID"),
                 QStringLiteral("SELECT MAX(DAILY_SALES_ID) AS MAX_DAILY_SALES_ID FROM DAILY_SALES "
                                "WHERE YYYY = :iYYYY AND MM = :iMM AND TRANSACTION_DATE = :iTRANSACTION_DATE"));
    qryGetMaxDailySalesID->AddField("MAX_DAILY_SALES_ID", TFieldType::Integer);

    qryGetDistinctSalesForPeriod = NewQuery(QStringLiteral("qryGetDistinctSalesForPeriod"),
                                            QStringLiteral("SELECT DISTINCT SALES_ID FROM DAILY_SALES WHERE %1 "
                                                           "AND (TAXABLE = 'Y' OR TAXABLE = :iTAXABLE) "
                                                           // Items side by side by name, as the detail lists them.
                                                           "ORDER BY (SELECT S.SALES_DESCRIPTION FROM SALES S "
                                                           "WHERE S.SALES_ID = DAILY_SALES.SALES_ID), SALES_ID")
                                                .arg(Range));
    qryGetDistinctSalesForPeriod->AddField("SALES_ID", TFieldType::Smallint);
    qryGetSalesForPeriod = NewQuery(
        QStringLiteral("qryGetSalesForPeriod"),
        QStringLiteral("SELECT DS.SALES_ID, S.SALES_DESCRIPTION, DS.TRANSACTION_DATE, SUM(DS.SALES_AMOUNT) AS "
                       "SUM_SALES_AMOUNT FROM DAILY_SALES DS, SALES S WHERE S.SALES_ID = DS.SALES_ID AND %1 "
                       "AND(DS.TAXABLE = 'Y' OR DS.TAXABLE = :iTAXABLE) GROUP BY DS.SALES_ID, SALES_DESCRIPTION, "
                       "TRANSACTION_DATE "
                       // The detail report lists each item's days together, in date order.
                       "ORDER BY S.SALES_DESCRIPTION, DS.SALES_ID, DS.TRANSACTION_DATE")
            .arg(Range));
    {
        TQuery& q = *qryGetSalesForPeriod;
        q.AddField("SALES_ID", TFieldType::Smallint);
        q.AddField("SALES_DESCRIPTION", TFieldType::String).Sized(50);
        q.AddField("TRANSACTION_DATE", TFieldType::Integer);
        q.AddField("SUM_SALES_AMOUNT", TFieldType::Money);
    }
    qryGetDistinctDateForSales =
        NewQuery(QStringLiteral("qryGetDistinctDateForSales"),
                 QStringLiteral("SELECT DISTINCT TRANSACTION_DATE FROM DAILY_SALES WHERE %1 "
                                "AND (TAXABLE = 'Y' OR TAXABLE = :iTAXABLE) ORDER BY TRANSACTION_DATE")
                     .arg(Range));
    qryGetDistinctDateForSales->AddField("TRANSACTION_DATE", TFieldType::Integer);
    qryGetSumSalesByDateRange = NewQuery(
        QStringLiteral("qryGetSumSalesByDateRange"),
        QStringLiteral("SELECT DS.TRANSACTION_DATE, SUM(DS.SALES_AMOUNT) AS SUM_SALES_AMOUNT FROM DAILY_SALES DS, "
                       "SALES S WHERE S.SALES_ID = DS.SALES_ID AND %1 AND(DS.TAXABLE = 'Y' OR DS.TAXABLE = :iTAXABLE) "
                       "GROUP BY TRANSACTION_DATE")
            .arg(Range));
    qryGetSumSalesByDateRange->AddField("TRANSACTION_DATE", TFieldType::Integer);
    qryGetSumSalesByDateRange->AddField("SUM_SALES_AMOUNT", TFieldType::Money);
    qryGetSalesForExport = NewQuery(
        QStringLiteral("qryGetSalesForExport"),
        QStringLiteral("SELECT DS.SALES_ID, S.SALES_DESCRIPTION, DS.TRANSACTION_DATE, DS.SALES_AMOUNT, DS.TAXABLE "
                       "FROM DAILY_SALES DS, SALES S WHERE S.SALES_ID = DS.SALES_ID AND %1 "
                       "AND(DS.TAXABLE = 'Y' OR DS.TAXABLE = :iTAXABLE) ORDER BY TRANSACTION_DATE, SALES_DESCRIPTION, "
                       "DS.DAILY_SALES_ID")
            .arg(Range));
    {
        TQuery& q = *qryGetSalesForExport;
        q.AddField("SALES_ID", TFieldType::Smallint);
        q.AddField("SALES_DESCRIPTION", TFieldType::String).Sized(50);
        q.AddField("TRANSACTION_DATE", TFieldType::Integer);
        q.AddField("SALES_AMOUNT", TFieldType::Money);
        q.AddField("TAXABLE", TFieldType::String).Sized(50);
    }
    dmDailySales = this;
}

TdmDailySales::~TdmDailySales()
{
    if (dmDailySales == this)
        dmDailySales = nullptr;
}

void TdmDailySales::qryGetDailySalesCalcFields(TDataSet& dataSet)
{
    // One lookup per row calculated; the day's list is short.
    QString description;
    GetSalesDescription(int(dataSet.FieldByName("SALES_ID").AsInteger()), description);
    TField& field = dataSet.FieldByName("SalesDescription");
    field.SetAsString(description.left(field.Size));  // the field holds fewer characters than a description
    CalcDisplayDate(dataSet);
}
