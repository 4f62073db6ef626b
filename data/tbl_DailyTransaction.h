#pragma once
// Day records: their line counters and day totals. A day is always found by its year,
// month and day number (whole days since 30 December 1899) together.
#include "Money.h"

#include <QDate>

// Hand out the next income / expense line number of the day and store it as the day's
// counter at once. 0, and nothing written, when the day has no record. The number always
// lies above every line the day already holds, even when the stored counter fell behind
// them; past 32767, the last number a line can carry, it is an EOverflowError and nothing
// is written.
int GetNextSalesID(int year, int month, int day);
void SetNextSalesID(int year, int month, int day, int lastSalesId);
int GetNextExpenseID(int year, int month, int day);
void SetNextExpenseID(int year, int month, int day, int lastExpenseId);
// Set the day's TAKINGS / EXPENSES to the sum of its lines flagged "Y" or "N"; 0 when it has
// none. A day without a record is left without one.
void UpdateDaySales(int year, int month, int day);
void UpdateDayExpenses(int year, int month, int day);
// Both of them.
void UpdateDayTotals(int year, int month, int day);
bool DailyTransactionExists(int year, int month, int day);
void InsertDailyTransactionRecord(int profileId, int year, int month, const QDate& day, Money takings, Money expenses,
                                  int lastExpenseId, int lastSalesId);
// The month's period and then the day's record exist afterwards; a missing day record is
// created with profile 1, zero counters and both totals the sums of the lines the day
// already holds (a day record deleted under its lines and made again starts from them).
void EnsureDailyTransaction(int year, int month, int day);
// A day record, or a month's period (day -1), that still has lines under it cannot go:
// the reports that read the records would lose those lines' money. An EAbortMessage that
// names how many lines of each kind it holds and their totals; nothing when it has none.
void RefuseDeleteWithLines(int year, int month, int day = -1);
