#pragma once
#include "Money.h"

#include <QString>
#include <QStringList>

// The income item's description; empty text when no item has the id.
QString GetSalesDescription(int salesId, QString& text);
// Appends every income item, in description order; the lists are not cleared first.
void GetSalesList(QStringList& ids, QStringList& descriptions);
// The item's default amount and taxable flag as stored; 0 and "N" when none has the id.
void GetSalesDefaults(int salesId, Money& amount, QString& taxable);
