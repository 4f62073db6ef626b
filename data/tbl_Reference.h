#pragma once
// What the three reference lists share: a pick list read in description order, a
// description looked up by id, and an item's defaults.
#include "Money.h"

#include <QString>
#include <QStringList>

class TQuery;

namespace Reference {
void FillList(TQuery& query, const QString& idField, const QString& descriptionField, QStringList& ids,
              QStringList& descriptions);
QString Description(TQuery& query, const QString& idParam, int id, QString& text);
void Defaults(TQuery& query, const QString& idParam, int id, Money& amount, QString& taxable);
}  // namespace Reference
