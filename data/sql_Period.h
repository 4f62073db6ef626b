#pragma once
// Statements over PERIOD: the month rows and their income and expense totals.
#include "DataModule.h"

class TdmPeriod : public TDataModule {
    Q_OBJECT
public:
    explicit TdmPeriod(TDbConnection& connection, QObject* parent = nullptr);
    ~TdmPeriod() override;

    TQuery* qryGetPeriod;
    TDataSource* dsGetPeriod;
    TQuery* qryGetLatestPeriod;
    TCommand* qrySetPeriod_Sales;
    TCommand* qrySetPeriod_Expenses;
    TQuery* qryGetPeriodRecord;
    TCommand* QryInsertPeriodRecord;

private:
    void qryGetPeriodCalcFields(TDataSet& dataSet);
};

extern TdmPeriod* dmPeriod;
