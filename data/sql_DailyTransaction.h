#pragma once
// Statements over DAILY_TRANSACTION: the day records with their totals and line counters.
#include "DataModule.h"

class TdmDailyTransaction : public TDataModule {
    Q_OBJECT
public:
    explicit TdmDailyTransaction(TDbConnection& connection, QObject* parent = nullptr);
    ~TdmDailyTransaction() override;

    TQuery* qryGetDailyTransaction;
    TDataSource* dsGetDailyTransaction;
    TQuery* qryGetNextSalesID;
    TCommand* qrySetNextSalesID;
    TQuery* qryGetNextExpenseID;
    TCommand* qrySetNextExpenseID;
    TCommand* qryUpdateSales;
    TCommand* qryUpdateExpenses;
    TQuery* qryGetDailyTransactionRecord;
    TCommand* qryInsertDailyTransactionRecord;
    TQuery* qryGetDailyExpensesByDateRange;
};

extern TdmDailyTransaction* dmDailyTransaction;

// Fills a calculated DisplayDate field with the date of the row's TRANSACTION_DATE, left
// empty when that is null. Shared by every dataset that lists days or lines.
void CalcDisplayDate(TDataSet& dataSet);
