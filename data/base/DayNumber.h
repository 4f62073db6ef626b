#pragma once
// Day numbers: whole days since 30 December 1899 (day 0). 1 January 2000 is 36526.
#include <QDate>

namespace DayNumber {
constexpr qint64 JulianDayOfDayZero = 2415019;  // 30 December 1899

inline int FromDate(const QDate& date)
{
    return int(date.toJulianDay() - JulianDayOfDayZero);
}
inline QDate ToDate(qint64 day)
{
    return QDate::fromJulianDay(day + JulianDayOfDayZero);
}
inline int Today()
{
    return FromDate(QDate::currentDate());
}
// Year and month of a day number, as every table that stores a day keeps them beside it.
inline int YearOf(qint64 day)
{
    return ToDate(day).year();
}
inline int MonthOf(qint64 day)
{
    return ToDate(day).month();
}
}  // namespace DayNumber
