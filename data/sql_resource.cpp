#include "sql_resource.h"

TdmResource* dmResource = nullptr;

TdmResource::TdmResource(TDbConnection& connection, QObject* parent)
    : TDataModule(QStringLiteral("dmResource"), connection, parent)
{
    qryGetResource =
        NewQuery(QStringLiteral("qryGetResource"), QStringLiteral("SELECT RESOURCE_NAME, RESOURCE_VALUE FROM RESOURCE "
                                                                  "WHERE RESOURCE_NAME = :iRESOURCE_NAME"));
    qryInsertResource = NewCommand(QStringLiteral("qryInsertResource"),
                                   QStringLiteral("INSERT INTO RESOURCE (RESOURCE_NAME, RESOURCE_VALUE) "
                                                  "VALUES (:iRESOURCE_NAME, :iRESOURCE_VALUE)"));
    qryUpdateResource = NewCommand(QStringLiteral("qryUpdateResource"),
                                   QStringLiteral("UPDATE RESOURCE SET RESOURCE_VALUE = :iRESOURCE_VALUE "
                                                  "WHERE RESOURCE_NAME = :iRESOURCE_NAME"));
    dmResource = this;
}

TdmResource::~TdmResource()
{
    if (dmResource == this)
        dmResource = nullptr;
}
