#pragma once
// Statements over DAILY_SALES, the income lines, and the income item list they look up.
#include "DataModule.h"

class TdmDailySales : public TDataModule {
    Q_OBJECT
public:
    explicit TdmDailySales(TDbConnection& connection, QObject* parent = nullptr);
    ~TdmDailySales() override;

    // The lines of one day, and of every day.
    TQuery* qryGetDailySales;
    TDataSource* dsGetDailySales;
    TQuery* qryGetTransactionSales;
    TDataSource* dsGetTransactionSales;
    TQuery* qrySalesDescription;
    // Roll-up sums.
    TQuery* qryGetTotalSales;
    TQuery* qryGetTotalSalesForPeriod;
    TQuery* qryGetMaxDailySalesID;
    TQuery* qryGetLinesHeld;  // of a day, or of the whole month for day -1
    // Reports.
    TQuery* qryGetDistinctSalesForPeriod;
    TQuery* qryGetSalesForPeriod;
    TQuery* qryGetDistinctDateForSales;
    TQuery* qryGetSumSalesByDateRange;
    TQuery* qryGetSalesForExport;

private:
    void qryGetDailySalesCalcFields(TDataSet& dataSet);
};

extern TdmDailySales* dmDailySales;
