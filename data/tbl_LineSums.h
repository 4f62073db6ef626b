#pragma once
// What the income and expense line tables share: the day sum, the month sum and the
// highest line number of a day, each over one query of the table's data module.
#include "Money.h"

#include <QString>

class TQuery;

namespace LineSums {
// The day's lines flagged "Y" or "N": the day totals pass "N" for the taxable filter.
Money DaySum(TQuery& query, const QString& sumField, int year, int month, int day);
Money MonthSum(TQuery& query, const QString& sumField, int year, int month);
int HighestLine(TQuery& query, int year, int month, int day);
}  // namespace LineSums
