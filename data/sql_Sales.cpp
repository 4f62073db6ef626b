#include "sql_Sales.h"

#include "Formats.h"

TdmSales* dmSales = nullptr;

TdmSales::TdmSales(TDbConnection& connection, QObject* parent)
    : TDataModule(QStringLiteral("dmSales"), connection, parent)
{
    qryGetAllSales = NewQuery(QStringLiteral("qryGetAllSales"),
                              QStringLiteral("SELECT SALES_ID, SALES_DESCRIPTION, TAXABLE, AMOUNT FROM SALES "
                                             "ORDER BY SALES_DESCRIPTION"));
    TQuery& all = *qryGetAllSales;
    all.AddField("SALES_ID", TFieldType::Smallint).Visible = false;
    TField& description = all.AddField("SALES_DESCRIPTION", TFieldType::String);
    description.DisplayLabel = "Description";
    description.DisplayWidth = 30;
    description.Size = 50;
    TField& amount = all.AddField("AMOUNT", TFieldType::Money);
    amount.DisplayLabel = "Amount";
    amount.DisplayWidth = 12;
    amount.DisplayFormat = Masks::Money;
    amount.EditFormat = Masks::MoneyEdit;
    TField& taxable = all.AddField("TAXABLE", TFieldType::String);
    taxable.DisplayLabel = "Taxable";
    taxable.Size = 1;
    dsGetAllSales = NewDataSource(QStringLiteral("dsGetAllSales"), qryGetAllSales);

    qryGetSalesDescription =
        NewQuery(QStringLiteral("qryGetSalesDescription"),
                 QStringLiteral("SELECT SALES_DESCRIPTION FROM SALES WHERE SALES_ID = :iSALES_ID"));
    qryGetSalesDefaults = NewQuery(QStringLiteral("qryGetSalesDefaults"),
                                   QStringLiteral("SELECT AMOUNT, TAXABLE FROM SALES WHERE SALES_ID = :iSALES_ID"));
    qryGetSalesDefaults->AddField("AMOUNT", TFieldType::Money);
    qryGetSalesDefaults->AddField("TAXABLE", TFieldType::String).Size = 1;
    dmSales = this;
}

TdmSales::~TdmSales()
{
    if (dmSales == this)
        dmSales = nullptr;
}
