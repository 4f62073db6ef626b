#include "sql_Sales.h"

#include "Formats.h"

TdmSales* dmSales = nullptr;

void DeclareSalesItemFields(TQuery& q)
{
    q.AddField("SALES_ID", TFieldType::Smallint).Hidden();
    q.AddField("SALES_DESCRIPTION", TFieldType::String).Titled("Description").Wide(30).Sized(50);
    q.AddField("AMOUNT", TFieldType::Money).Titled("Amount").Wide(12).Formats(Masks::Money, Masks::MoneyEdit);
    q.AddField("TAXABLE", TFieldType::String).Titled("Taxable").Sized(1);
}

TdmSales::TdmSales(TDbConnection& connection, QObject* parent)
    : TDataModule(QStringLiteral("dmSales"), connection, parent)
{
    qryGetAllSales = NewQuery(QStringLiteral("qryGetAllSales"),
                              QStringLiteral("SELECT SALES_ID, SALES_DESCRIPTION, TAXABLE, AMOUNT FROM SALES "
                                             "ORDER BY SALES_DESCRIPTION"));
    DeclareSalesItemFields(*qryGetAllSales);
    dsGetAllSales = NewDataSource(QStringLiteral("dsGetAllSales"), qryGetAllSales);

    qryGetSalesDescription =
        NewQuery(QStringLiteral("qryGetSalesDescription"),
                 QStringLiteral("SELECT SALES_DESCRIPTION FROM SALES WHERE SALES_ID = :iSALES_ID"));
    qryGetSalesDefaults = NewQuery(QStringLiteral("qryGetSalesDefaults"),
                                   QStringLiteral("SELECT AMOUNT, TAXABLE FROM SALES WHERE SALES_ID = :iSALES_ID"));
    qryGetSalesDefaults->AddField("AMOUNT", TFieldType::Money);
    qryGetSalesDefaults->AddField("TAXABLE", TFieldType::String).Sized(1);
    dmSales = this;
}

TdmSales::~TdmSales()
{
    if (dmSales == this)
        dmSales = nullptr;
}
