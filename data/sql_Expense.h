#pragma once
// Statements over EXPENSE, the reference list of expense lines.
#include "DataModule.h"

class TdmExpense : public TDataModule {
    Q_OBJECT
public:
    explicit TdmExpense(TDbConnection& connection, QObject* parent = nullptr);
    ~TdmExpense() override;

    TQuery* qryGetAllExpenses;
    TDataSource* dsGetAllExpenses;
    TQuery* qryGetExpenseDescription;
    TQuery* qryGetExpenseDefaults;
};

extern TdmExpense* dmExpense;

// The fields of an expense list ("SELECT * FROM EXPENSE ..."), as its grids show them.
void DeclareExpenseItemFields(TQuery& query);
