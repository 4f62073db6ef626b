#pragma once
// What the three reports share besides the screen base: the range and taxable choice that
// every report query is run with, the periods of a range, the lines read from the book
// before anything is written (so that a report that cannot fit the sheet is refused
// before its first cell), and the detail and export layouts, which differ between the
// expense and the income report only in their names and the reference column.
#include "Money.h"

#include <QDate>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <map>
#include <vector>

class TQuery;
class TfrmBaseF1Report;

// A date as the reports write it, 07-Jan-2002 (the day, the month's short name in the
// user's language, the year), whatever short date the other screens use.
inline const QString ReportDateFormat = QStringLiteral("dd-mmm-yyyy");
QString ReportDate(const QDate& date);

struct TReportRange {
    QDate Start, End;
    int StartDay = 0, EndDay = 0;  // day numbers, both included
    bool TaxableOnly = false;

    TReportRange(const QDate& start, const QDate& end, bool taxableOnly);
    // A start after the end: no day, no week and no month belongs to the range.
    bool Empty() const { return StartDay > EndDay; }
};

// Sets the range of a report query, and its taxable filter: "Y" keeps taxable lines
// only, "N" keeps every line. Both are set on every run, never left from an earlier one.
void SetRangeParameters(TQuery& query, const TReportRange& range);
void SetReportParameters(TQuery& query, const TReportRange& range);
void SetReportParameters(TQuery& query, const TReportRange& range, bool taxableOnly);

// The periods of a report in order, with each period's label and its position by key.
struct TPeriods {
    QStringList Keys;
    QStringList Labels;
    QHash<QString, int> Position;

    int Count() const { return int(Keys.size()); }
    void Add(const QString& key, const QString& label);
    // Position of the period a day belongs to; -1 when none does.
    int Find(int day, const TReportRange& range, int grouping) const;
};

// Weeks or months of the range (none for an empty range). Days are the days given, each
// one period. A range that needs more rows than the sheet has is refused first.
TPeriods RangePeriods(const TReportRange& range, int grouping, const std::vector<int>& days, int rowsAround);

// The day numbers a query returns in its TRANSACTION_DATE column.
std::vector<int> ReadDays(TQuery& query);

// Refusals of a report that would not fit the sheet, raised before anything is written.
void CheckRowsFit(int lastRow);
void CheckColumnsFit(int items, int maxItems, const QString& kind);

// What a cross reference shows: its items in order, its periods, the sum of each item in
// each period and each period's total.
struct TCrossReference {
    QList<int> Items;
    TPeriods Periods;
    std::map<std::pair<int, int>, Money> Amounts;  // (item position, period) -> sum
    std::vector<Money> PeriodTotals;
};
// The statements and columns a cross reference is read from: the items of the range, the
// days with lines (for grouping by day) and the per-day sums of each item.
struct TCrossReferenceSource {
    TQuery* Items;
    TQuery* Days;
    TQuery* Sums;
    QString IdColumn, SumColumn;
};
// Reads a cross reference; `check` sees the number of items and periods before the sums
// are read, and refuses a report that could not fit.
TCrossReference ReadCrossReference(const TCrossReferenceSource& source, const TReportRange& range, int grouping,
                                   int rowsAround, const std::function<void(int items, int periods)>& check);

// One row of a detail report: an item on a day (and with a reference, for expenses).
struct TDetailLine {
    int ItemId = 0;
    QString Description;
    int Day = 0;
    Money Amount;
    QString Reference;
};
// One row of an export: one line of the book.
struct TExportLine {
    int Day = 0;
    QString Description;
    Money Amount;
    QString Taxable;
    QString Reference;
};

struct TLineColumns {
    QString Id, Description, Amount, Reference;  // Reference empty: the lines have none
};
std::vector<TDetailLine> ReadDetailLines(TQuery& query, const TLineColumns& columns);
std::vector<TExportLine> ReadExportLines(TQuery& query, const TLineColumns& columns);

// The detail report: each item's description, its days and their subtotal below.
void WriteDetailLayout(TfrmBaseF1Report& report, const QString& title, const std::vector<TDetailLine>& lines,
                       bool withReference);
// The export: one row per line under the headings, day numbers shown as dates.
void WriteExportLayout(TfrmBaseF1Report& report, const QString& title, const QStringList& headings,
                       const std::vector<TExportLine>& lines);

// "SUM(C5:C9)": the sum of a column from one row to another.
QString ColumnSum(int column, int firstRow, int lastRow);
// A total cell: the sum over its rows, or 0 when there are none, so that a total never
// takes in its own cell or a range that runs backwards.
void WriteTotal(TfrmBaseF1Report& report, int row, int column, const QString& sum, bool hasRows);

// An amount column too narrow for its widest amount is widened to show it: the sheet
// would show #### in its place, on screen and on paper.
void WidenToFit(TfrmBaseF1Report& report, int row1, int col1, int row2, int col2);
