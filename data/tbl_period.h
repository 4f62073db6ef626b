#pragma once
// Month rows of PERIOD and their totals. Every call sets its parameters, runs its
// statement and closes it again; nothing is cached.
#include "Money.h"

// The year and month of the latest period by YYYY*100+MM; 1900 and 1 when there is none.
void GetLatestPeriod(int& year, int& month);
// Set the month's SALES / EXPENSES to the sum of all its lines, whatever their taxable
// flag; 0 when it has none. A month without a row is left without one.
void UpdatePeriodSales(int year, int month);
void UpdatePeriodExpenses(int year, int month);
// Both of them.
void UpdatePeriodTotals(int year, int month);
bool PeriodExists(int year, int month);
void InsertPeriodRecord(int profileId, int year, int month, Money sales, Money expenses);
// Creates the month's row when it is missing: profile 1 and both totals the sums of the
// lines the month already holds (a month deleted under its lines starts from them).
void EnsurePeriod(int year, int month);
