#include "tbl_LineSums.h"

#include "DataModule.h"
#include "DayNumber.h"
#include "Errors.h"
#include "Formats.h"

#include <limits>

namespace LineSums {

namespace {
void SetDay(TQuery& query, int year, int month, int day)
{
    query.ParamByName("iYYYY").SetAsInteger(year);
    query.ParamByName("iMM").SetAsInteger(month);
    query.ParamByName("iTRANSACTION_DATE").SetAsInteger(day);
}

// A sum over no rows is null and reads as 0. A sum beyond the engine's whole numbers is
// refused by the engine in its own words; the user is told which total cannot hold it.
Money FirstAsMoney(TQuery& query, const QString& field, const QString& what, const QString& when)
{
    try {
        TOpenedQuery open(query);
        return query.Eof() ? Money() : query.FieldByName(field).AsMoney();
    } catch (const EDatabaseError& e) {
        if (!e.Message().contains(QLatin1String("integer overflow")))
            throw;
        const Money largest = Money::FromScaled(std::numeric_limits<int64_t>::max());
        throw EOverflowError(
            QStringLiteral("The %1 of %2 would add up to more than a total can hold: totals run from %3 to %4.")
                .arg(what, when, FormatMoney(Masks::Money, -largest), FormatMoney(Masks::Money, largest)));
    }
}
}  // namespace

Money DaySum(TQuery& query, const QString& sumField, const QString& what, int year, int month, int day)
{
    SetDay(query, year, month, day);
    query.ParamByName("iTAXABLE").SetAsString(QStringLiteral("N"));
    return FirstAsMoney(query, sumField, what, FormatSettings().DateToStr(DayNumber::ToDate(day)));
}

Money MonthSum(TQuery& query, const QString& sumField, const QString& what, int year, int month)
{
    query.ParamByName("iYYYY").SetAsInteger(year);
    query.ParamByName("iMM").SetAsInteger(month);
    return FirstAsMoney(query, sumField, what, FormatSettings().MonthToStr(year, month));
}

int HighestLine(TQuery& query, int year, int month, int day)
{
    SetDay(query, year, month, day);
    TOpenedQuery open(query);
    return query.Eof() ? 0 : int(query.Fields(0).AsInteger());
}

THeld Held(TQuery& query, const QString& sumField, int year, int month, int day)
{
    SetDay(query, year, month, day);
    TOpenedQuery open(query);
    if (query.Eof())
        return {};
    return {int(query.FieldByName(QStringLiteral("LINE_COUNT")).AsInteger()), query.FieldByName(sumField).AsMoney()};
}

}  // namespace LineSums
