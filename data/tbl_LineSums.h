#pragma once
// What the income and expense line tables share: the day sum, the month sum and the
// highest line number of a day, each over one query of the table's data module.
#include "Money.h"

#include <QString>

class TQuery;

namespace LineSums {
// The day's lines flagged "Y" or "N": the day totals pass "N" for the taxable filter.
// Lines that add up to more than an amount can hold are an EOverflowError that names the
// total, `what` ("income", "expenses") of the day or month.
Money DaySum(TQuery& query, const QString& sumField, const QString& what, int year, int month, int day);
Money MonthSum(TQuery& query, const QString& sumField, const QString& what, int year, int month);
int HighestLine(TQuery& query, int year, int month, int day);
// How many lines a day holds (day -1: the whole month) and what they add up to.
struct THeld {
    int Lines = 0;
    Money Total;
};
THeld Held(TQuery& query, const QString& sumField, int year, int month, int day);
}  // namespace LineSums
