#pragma once
#include <QStringList>

// Appends every expense type, in description order: its id as text to `ids` and its
// description to `descriptions`. The lists are not cleared first.
void GetExpenseTypeList(QStringList& ids, QStringList& descriptions);
