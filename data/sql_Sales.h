#pragma once
// Statements over SALES, the reference list of income lines.
#include "DataModule.h"

class TdmSales : public TDataModule {
    Q_OBJECT
public:
    explicit TdmSales(TDbConnection& connection, QObject* parent = nullptr);
    ~TdmSales() override;

    TQuery* qryGetAllSales;
    TDataSource* dsGetAllSales;
    TQuery* qryGetSalesDescription;
    TQuery* qryGetSalesDefaults;
};

extern TdmSales* dmSales;

// The fields of an income item list (SALES_ID, SALES_DESCRIPTION, TAXABLE, AMOUNT), as its
// grids show them.
void DeclareSalesItemFields(TQuery& query);
