#pragma once
// Named settings and id counters in RESOURCE. Every call reads or writes the table; there
// is no cache.
#include <QString>

// The stored counter plus one, written back in the same transaction. A missing row or a
// value that is not a whole number is an error and nothing is written.
int IncrementResource(const QString& name);
// The stored value; empty text when no row has the name.
QString GetResource(const QString& name, QString& value);
bool ResourceExists(const QString& name);
void InsertResource(const QString& name, const QString& value);
// Overwrites an existing row; a name without a row is left without one.
void UpdateResource(const QString& name, const QString& value);
// On entry `value` holds the default; on return the stored value, or the default, which
// has then been stored.
void GetResourceDefault(const QString& name, QString& value);
