#pragma once
// Sums over the income lines that the day and month totals are recomputed from.
#include "Money.h"

// Lines of the day flagged "Y" or "N"; 0 when there are none.
Money GetTotalSales(int year, int month, int day);
// Every line of the month, whatever its flag; 0 when there are none.
Money GetTotalSalesForPeriod(int year, int month);
// The highest line number the day's income lines carry; 0 when the day has none.
int GetMaxDailySalesID(int year, int month, int day);
