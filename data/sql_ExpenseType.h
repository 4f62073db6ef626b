#pragma once
// Statements over EXPENSE_TYPE.
#include "DataModule.h"

class TdmExpenseType : public TDataModule {
    Q_OBJECT
public:
    explicit TdmExpenseType(TDbConnection& connection, QObject* parent = nullptr);
    ~TdmExpenseType() override;

    TQuery* qryGetAllExpenseTypes;
    TDataSource* dsGetAllExpenseTypes;
};

extern TdmExpenseType* dmExpenseType;
