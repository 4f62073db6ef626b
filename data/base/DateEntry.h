#pragma once
// Dates as users type them into a date box, in their own language's forms.
#include <QDate>
#include <QString>

// What the user typed, as a date; an invalid QDate when it is none.
// Taken: the short date in the order the application's short date format gives day,
// month and year, with any separators ("08.01.2002", "8/1/02", "08012002"); a day alone,
// or a day and a month, in the month and year of `near`; the day, a month name (long or
// short, in the user's language or in English) and a year in any order ("5 January
// 2027", "January 5, 2027", "5. Januar 2027"), a day's name beside them being passed
// over; an ISO date ("2002-01-08"). A two-digit year is the one within twenty years
// ahead of this year or eighty behind.
QDate ParseTypedDate(const QString& text, const QDate& near);
