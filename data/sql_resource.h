#pragma once
// Statements over RESOURCE: named settings and the id counters.
#include "DataModule.h"

class TdmResource : public TDataModule {
    Q_OBJECT
public:
    explicit TdmResource(TDbConnection& connection, QObject* parent = nullptr);
    ~TdmResource() override;

    TQuery* qryGetResource;
    TCommand* qryInsertResource;
    TCommand* qryUpdateResource;
};

extern TdmResource* dmResource;
