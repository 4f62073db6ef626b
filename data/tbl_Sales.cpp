#include "tbl_Sales.h"

#include "sql_Sales.h"
#include "tbl_Reference.h"

QString GetSalesDescription(int salesId, QString& text)
{
    return Reference::Description(*dmSales->qryGetSalesDescription, "iSALES_ID", salesId, text);
}

void GetSalesList(QStringList& ids, QStringList& descriptions)
{
    Reference::FillList(*dmSales->qryGetAllSales, "SALES_ID", "SALES_DESCRIPTION", ids, descriptions);
}

void GetSalesDefaults(int salesId, Money& amount, QString& taxable)
{
    Reference::Defaults(*dmSales->qryGetSalesDefaults, "iSALES_ID", salesId, amount, taxable);
}
