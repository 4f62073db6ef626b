#pragma once
// Statements over DAILY_EXPENSE, the expense lines, and the expense list they look up.
#include "DataModule.h"

class TdmDailyExpenses : public TDataModule {
    Q_OBJECT
public:
    explicit TdmDailyExpenses(TDbConnection& connection, QObject* parent = nullptr);
    ~TdmDailyExpenses() override;

    // The lines of one day, and of every day.
    TQuery* qryGetDailyExpenses;
    TDataSource* dsGetDailyExpenses;
    TQuery* qryGetTransactionExpenses;
    TDataSource* dsGetTransactionExpenses;
    TQuery* qryGetExpensesDescription;
    // Roll-up sums.
    TQuery* qryGetTotalExpenses;
    TQuery* qryGetTotalExpensesForPeriod;
    TQuery* qryGetMaxDailyExpenseID;
    TQuery* qryGetLinesHeld;  // of a day, or of the whole month for day -1
    // Reports.
    TQuery* qryGetExpensesForPeriod;
    TQuery* qryGetDistinctExpensesForPeriod;
    TQuery* qryGetDistinctDatesForExpenses;
    TQuery* qryGetSumExpensesByDateRange;
    TQuery* qryGetExpensesForExport;

private:
    void qryGetDailyExpensesCalcFields(TDataSet& dataSet);
};

extern TdmDailyExpenses* dmDailyExpenses;
