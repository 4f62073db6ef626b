#pragma once
#include "Money.h"

#include <QString>
#include <QStringList>

// The expense's description; empty text when no expense has the id.
QString GetExpenseDescription(int expenseId, QString& text);
// Appends every expense, in description order; the lists are not cleared first.
void GetExpenseList(QStringList& ids, QStringList& descriptions);
// The expense's default amount and taxable flag as stored; 0 and "N" when none has the id.
void GetExpenseDefaults(int expenseId, Money& amount, QString& taxable);
