#include "tbl_Resource.h"

#include "DbConnection.h"
#include "Errors.h"
#include "sql_resource.h"

#include <limits>

int IncrementResource(const QString& name)
{
    TQuery& q = *dmResource->qryGetResource;
    TTransaction transaction(dmResource->Connection());
    q.ParamByName("iRESOURCE_NAME").SetAsString(name);
    int next;
    {
        TOpenedQuery open(q);
        if (q.Eof())
            throw EDatabaseError(QStringLiteral("The counter \"%1\" is missing from the settings").arg(name));
        bool ok = false;
        const QString stored = q.FieldByName("RESOURCE_VALUE").AsString();
        const int n = stored.trimmed().toInt(&ok);
        if (!ok)
            throw EConvertError(QStringLiteral("'%1' is not a valid integer value (setting \"%2\")").arg(stored, name));
        if (n == std::numeric_limits<int>::max())
            throw EOverflowError(QStringLiteral("The counter \"%1\" cannot go past %2").arg(name).arg(n));
        next = n + 1;
        q.Edit();
        q.FieldByName("RESOURCE_VALUE").SetAsString(QString::number(next));
        q.Post();
    }
    transaction.Commit();
    return next;
}

QString GetResource(const QString& name, QString& value)
{
    TQuery& q = *dmResource->qryGetResource;
    q.ParamByName("iRESOURCE_NAME").SetAsString(name);
    TOpenedQuery open(q);
    value = q.FieldByName("RESOURCE_VALUE").AsString();
    return value;
}

bool ResourceExists(const QString& name)
{
    TQuery& q = *dmResource->qryGetResource;
    q.ParamByName("iRESOURCE_NAME").SetAsString(name);
    TOpenedQuery open(q);
    return !q.Eof();
}

void InsertResource(const QString& name, const QString& value)
{
    TCommand& c = *dmResource->qryInsertResource;
    // A setting is complete in itself: written on its own it gets a unit of its own.
    TTransaction transaction(dmResource->Connection());
    c.ParamByName("iRESOURCE_NAME").SetAsString(name);
    c.ParamByName("iRESOURCE_VALUE").SetAsString(value);
    c.Execute();
    transaction.Commit();
}

void UpdateResource(const QString& name, const QString& value)
{
    TCommand& c = *dmResource->qryUpdateResource;
    // A setting is complete in itself: written on its own it gets a unit of its own.
    TTransaction transaction(dmResource->Connection());
    c.ParamByName("iRESOURCE_NAME").SetAsString(name);
    c.ParamByName("iRESOURCE_VALUE").SetAsString(value);
    c.Execute();
    transaction.Commit();
}

void GetResourceDefault(const QString& name, QString& value)
{
    // Looked up and stored in one unit, so two callers cannot both store a default.
    TTransaction transaction(dmResource->Connection());
    if (ResourceExists(name))
        GetResource(name, value);
    else
        InsertResource(name, value);
    transaction.Commit();
}
