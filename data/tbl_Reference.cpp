#include "tbl_Reference.h"

#include "DataModule.h"

namespace Reference {

void FillList(TQuery& query, const QString& idField, const QString& descriptionField, QStringList& ids,
              QStringList& descriptions)
{
    TOpenedQuery open(query);
    const TField& id = query.FieldByName(idField);
    const TField& description = query.FieldByName(descriptionField);
    while (!query.Eof()) {
        ids << id.AsString();
        descriptions << description.AsString();
        query.Next();
    }
}

QString Description(TQuery& query, const QString& idParam, int id, QString& text)
{
    query.ParamByName(idParam).SetAsInteger(id);
    TOpenedQuery open(query);
    text = query.Eof() ? QString() : query.Fields(0).AsString();
    return text;
}

void Defaults(TQuery& query, const QString& idParam, int id, Money& amount, QString& taxable)
{
    query.ParamByName(idParam).SetAsInteger(id);
    TOpenedQuery open(query);
    if (query.Eof()) {
        amount = Money();
        taxable = QStringLiteral("N");
    } else {
        amount = query.FieldByName("AMOUNT").AsMoney();
        taxable = query.FieldByName("TAXABLE").AsString();
    }
}

}  // namespace Reference
