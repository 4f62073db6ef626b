#pragma once
// Sums over the expense lines that the day and month totals are recomputed from.
#include "Money.h"

// Lines of the day flagged "Y" or "N"; 0 when there are none.
Money GetTotalExpenses(int year, int month, int day);
// Every line of the month, whatever its flag; 0 when there are none.
Money GetTotalExpensesForPeriod(int year, int month);
// The highest line number the day's expense lines carry; 0 when the day has none.
int GetMaxDailyExpenseID(int year, int month, int day);
