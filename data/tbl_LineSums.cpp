#include "tbl_LineSums.h"

#include "DataModule.h"

namespace LineSums {

namespace {
void SetDay(TQuery& query, int year, int month, int day)
{
    query.ParamByName("iYYYY").SetAsInteger(year);
    query.ParamByName("iMM").SetAsInteger(month);
    query.ParamByName("iTRANSACTION_DATE").SetAsInteger(day);
}

// A sum over no rows is null and reads as 0.
Money FirstAsMoney(TQuery& query, const QString& field)
{
    TOpenedQuery open(query);
    return query.Eof() ? Money() : query.FieldByName(field).AsMoney();
}
}  // namespace

Money DaySum(TQuery& query, const QString& sumField, int year, int month, int day)
{
    SetDay(query, year, month, day);
    query.ParamByName("iTAXABLE").SetAsString(QStringLiteral("N"));
    return FirstAsMoney(query, sumField);
}

Money MonthSum(TQuery& query, const QString& sumField, int year, int month)
{
    query.ParamByName("iYYYY").SetAsInteger(year);
    query.ParamByName("iMM").SetAsInteger(month);
    return FirstAsMoney(query, sumField);
}

int HighestLine(TQuery& query, int year, int month, int day)
{
    SetDay(query, year, month, day);
    TOpenedQuery open(query);
    return query.Eof() ? 0 : int(query.Fields(0).AsInteger());
}

}  // namespace LineSums
