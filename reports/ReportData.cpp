#include "ReportData.h"

#include "DataModule.h"
#include "DayNumber.h"
#include "Errors.h"
#include "Formats.h"
#include "Query.h"
#include "SheetTypes.h"
#include "frm_BaseF1Report.h"

#include <QFontMetricsF>
#include <QImage>
#include <cmath>
#include <map>

QString ReportDate(const QDate& date)
{
    return FormatDate(ReportDateFormat, date);
}

TReportRange::TReportRange(const QDate& start, const QDate& end, bool taxableOnly)
    : Start(start),
      End(end),
      StartDay(DayNumber::FromDate(start)),
      EndDay(DayNumber::FromDate(end)),
      TaxableOnly(taxableOnly)
{ }

void SetRangeParameters(TQuery& query, const TReportRange& range)
{
    query.ParamByName("iTRANSACTION_DATE_START").SetAsInteger(range.StartDay);
    query.ParamByName("iTRANSACTION_DATE_END").SetAsInteger(range.EndDay);
}

void SetReportParameters(TQuery& query, const TReportRange& range, bool taxableOnly)
{
    SetRangeParameters(query, range);
    query.ParamByName("iTAXABLE").SetAsString(taxableOnly ? QStringLiteral("Y") : QStringLiteral("N"));
}

void SetReportParameters(TQuery& query, const TReportRange& range)
{
    SetReportParameters(query, range, range.TaxableOnly);
}

void TPeriods::Add(const QString& key, const QString& label)
{
    Position.insert(key, int(Keys.size()));
    Keys << key;
    Labels << label;
}

int TPeriods::Find(int day, const TReportRange& range, int grouping) const
{
    return Position.value(TfrmBaseF1Report::PeriodKey(DayNumber::ToDate(day), range.Start, grouping), -1);
}

TPeriods RangePeriods(const TReportRange& range, int grouping, const std::vector<int>& days, int rowsAround)
{
    TPeriods periods;
    if (grouping == TfrmBaseF1Report::gbDay) {
        CheckRowsFit(int(days.size()) + rowsAround);
        for (int day : days) {
            const QString key = ReportDate(DayNumber::ToDate(day));
            periods.Add(key, key);
        }
        return periods;
    }
    if (range.Empty())
        return periods;
    if (grouping == TfrmBaseF1Report::gbWeek) {
        const int weeks = TfrmBaseF1Report::WeekIndex(range.EndDay, range.StartDay) + 1;
        CheckRowsFit(weeks + rowsAround);
        for (int i = 0; i < weeks; ++i) {
            const QString key = ReportDate(DayNumber::ToDate(range.StartDay + 7 * i));
            periods.Add(key, key);
        }
    } else {
        const int first = TfrmBaseF1Report::MonthIndex(range.Start.year(), range.Start.month());
        const int last = TfrmBaseF1Report::MonthIndex(range.End.year(), range.End.month());
        CheckRowsFit(last - first + 1 + rowsAround);
        for (int index = first; index <= last; ++index) {
            int year, month;
            TfrmBaseF1Report::SplitMonthIndex(index, year, month);
            periods.Add(QString::number(index),
                        TfrmBaseF1Report::MonthAbbreviation(month) + ' ' + QString::number(year));
        }
    }
    return periods;
}

std::vector<int> ReadDays(TQuery& query)
{
    std::vector<int> days;
    TOpenedQuery open(query);
    for (; !query.Eof(); query.Next())
        days.push_back(int(query.FieldByName("TRANSACTION_DATE").AsInteger()));
    return days;
}

TCrossReference ReadCrossReference(const TCrossReferenceSource& source, const TReportRange& range, int grouping,
                                   int rowsAround, const std::function<void(int items, int periods)>& check)
{
    TCrossReference x;
    QHash<int, int> position;
    {
        TQuery& q = *source.Items;
        SetReportParameters(q, range);
        TOpenedQuery open(q);
        for (; !q.Eof(); q.Next()) {
            const int id = int(q.FieldByName(source.IdColumn).AsInteger());
            position.insert(id, int(x.Items.size()));
            x.Items << id;
        }
    }
    std::vector<int> days;
    if (grouping == TfrmBaseF1Report::gbDay) {
        SetReportParameters(*source.Days, range);
        days = ReadDays(*source.Days);
    }
    x.Periods = RangePeriods(range, grouping, days, rowsAround);
    check(int(x.Items.size()), x.Periods.Count());

    x.PeriodTotals.resize(size_t(x.Periods.Count()));
    TQuery& q = *source.Sums;
    SetReportParameters(q, range);
    TOpenedQuery open(q);
    for (; !q.Eof(); q.Next()) {
        const int k = position.value(int(q.FieldByName(source.IdColumn).AsInteger()), -1);
        const int p = x.Periods.Find(int(q.FieldByName("TRANSACTION_DATE").AsInteger()), range, grouping);
        if (k < 0 || p < 0)
            continue;  // every list is read with the same filter: does not happen
        const Money amount = q.FieldByName(source.SumColumn).AsMoney();
        x.Amounts[{k, p}] += amount;
        x.PeriodTotals[size_t(p)] += amount;
    }
    return x;
}

void CheckRowsFit(int lastRow)
{
    if (lastRow > Sheet::RowLimit)
        throw EAbortMessage(QStringLiteral("This report would need %1 rows, and a sheet holds at most %2. "
                                           "Please choose a shorter date range.")
                                .arg(lastRow)
                                .arg(Sheet::RowLimit));
}

void CheckColumnsFit(int items, int maxItems, const QString& kind)
{
    if (items > maxItems)
        throw EAbortMessage(QStringLiteral("The range has %1 %2, and this report has room for at most %3 side by "
                                           "side (a sheet has %4 columns). Please choose a shorter date range.")
                                .arg(items)
                                .arg(kind)
                                .arg(maxItems)
                                .arg(Sheet::ColLimit));
}

std::vector<TDetailLine> ReadDetailLines(TQuery& query, const TLineColumns& columns)
{
    std::vector<TDetailLine> lines;
    TOpenedQuery open(query);
    for (; !query.Eof(); query.Next()) {
        TDetailLine line;
        line.ItemId = int(query.FieldByName(columns.Id).AsInteger());
        line.Description = query.FieldByName(columns.Description).AsString();
        line.Day = int(query.FieldByName("TRANSACTION_DATE").AsInteger());
        line.Amount = query.FieldByName(columns.Amount).AsMoney();
        if (!columns.Reference.isEmpty())
            line.Reference = query.FieldByName(columns.Reference).AsString();
        lines.push_back(line);
    }
    return lines;
}

std::vector<TExportLine> ReadExportLines(TQuery& query, const TLineColumns& columns)
{
    std::vector<TExportLine> lines;
    TOpenedQuery open(query);
    for (; !query.Eof(); query.Next()) {
        TExportLine line;
        line.Day = int(query.FieldByName("TRANSACTION_DATE").AsInteger());
        line.Description = query.FieldByName(columns.Description).AsString();
        line.Amount = query.FieldByName(columns.Amount).AsMoney();
        line.Taxable = query.FieldByName("TAXABLE").AsString();
        if (!columns.Reference.isEmpty())
            line.Reference = query.FieldByName(columns.Reference).AsString();
        lines.push_back(line);
    }
    return lines;
}

QString ColumnSum(int column, int firstRow, int lastRow)
{
    const QString letter = TWorkbook::GetColumnHeading(column);
    return QStringLiteral("SUM(%1%2:%1%3)").arg(letter).arg(firstRow).arg(lastRow);
}

void WriteTotal(TfrmBaseF1Report& report, int row, int column, const QString& sum, bool hasRows)
{
    if (hasRows)
        report.F1BookReport->SetCellFormula(row, column, sum);
    else
        report.F1BookReport->SetCellNumber(row, column, 0);
}

namespace {
// The title of a list layout, on an upright page, with its column widths from column 1.
void StartListLayout(TfrmBaseF1Report& report, const QString& title, std::initializer_list<int> widths)
{
    report.F1BookReport->SetPrintLandscape(false);
    report.WriteReportTitle(title, 2, report.EdStartDate->date(), report.edEndDate->date(), 2);
    int column = 1;
    for (int width : widths) {
        report.SetColumnWidths(width, column, column);
        ++column;
    }
}
}  // namespace

void WriteDetailLayout(TfrmBaseF1Report& report, const QString& title, const std::vector<TDetailLine>& lines,
                       bool withReference)
{
    // Each item takes a blank row, its description and its subtotal besides its lines.
    int items = 0;
    for (size_t i = 0; i < lines.size(); ++i)
        if (i == 0 || lines[i].ItemId != lines[i - 1].ItemId)
            ++items;
    CheckRowsFit(std::max(4, 3 + int(lines.size()) + 3 * items));

    TF1Book& book = *report.F1BookReport;
    StartListLayout(report, title, {500, 8000, 3000, 500, 8000});

    int r = 4;
    int groupStart = 0;  // first line row of the item being listed; 0 before the first
    auto closeGroup = [&] {
        // With no lines at all the subtotal has nothing to add: it reads 0.
        WriteTotal(report, r, 3, ColumnSum(3, groupStart, r - 1), groupStart != 0);
        report.BoldRange(r, 3, r, 3);
        report.TotalRuleRange(r, 3, r, 3);
    };
    for (size_t i = 0; i < lines.size(); ++i) {
        const TDetailLine& line = lines[i];
        if (i == 0 || line.ItemId != lines[i - 1].ItemId) {
            if (groupStart != 0) {
                closeGroup();
                ++r;
            }
            ++r;
            book.SetCellText(r, 2, line.Description);
            report.BoldRange(r, 2, r, 2);
            ++r;
            groupStart = r;
        }
        book.SetCellText(r, 2, ReportDate(DayNumber::ToDate(line.Day)));
        book.SetCellNumber(r, 3, line.Amount.ToDouble());
        if (withReference)
            book.SetCellText(r, 5, line.Reference);
        ++r;
    }
    closeGroup();
    report.MoneyFormatRange(1, 3, r, 3);
    WidenToFit(report, 1, 3, r, 3);
}

void WriteExportLayout(TfrmBaseF1Report& report, const QString& title, const QStringList& headings,
                       const std::vector<TExportLine>& lines)
{
    CheckRowsFit(5 + int(lines.size()));
    TF1Book& book = *report.F1BookReport;
    const bool withReference = headings.size() > 4;
    StartListLayout(report, title, {500, 3000, 8000, 3000, 3000, 8000});
    for (int i = 0; i < headings.size(); ++i)
        book.SetCellText(4, 2 + i, headings[i]);
    report.BoldRange(4, 2, 4, 1 + int(headings.size()));
    int r = 5;
    for (const TExportLine& line : lines) {
        book.SetCellNumber(r, 2, line.Day);
        book.SetCellText(r, 3, line.Description);
        book.SetCellNumber(r, 4, line.Amount.ToDouble());
        book.SetCellText(r, 5, line.Taxable);
        if (withReference)
            book.SetCellText(r, 6, line.Reference);
        ++r;
    }
    report.MoneyFormatRange(1, 4, r, 4);
    report.DateFormatRange(1, 2, r, 2);
    report.AlignRange(1, 2, r, 5);
    WidenToFit(report, 5, 4, r, 4);
}

void WidenToFit(TfrmBaseF1Report& report, int row1, int col1, int row2, int col2)
{
    TF1Book& grid = *report.F1BookReport;
    const TWorkbook& book = grid.Book();
    // Measured as the grid and the printer draw: the cell's font, two points of margin on
    // each side, in units of the default font's digit width.
    QImage probe(1, 1, QImage::Format_RGB32);
    probe.setDotsPerMeterX(int(1200 / 0.0254));
    probe.setDotsPerMeterY(int(1200 / 0.0254));
    std::map<int, int> need;
    book.ForEachCell({row1, col1, row2, col2}, [&](int, int col, const TCell& cell) {
        if (cell.Kind != TCell::Number && cell.Kind != TCell::Formula)
            return;
        const TCellFormat& f = book.Format(cell.Format);
        QFont font(f.FontName);
        font.setPointSizeF(f.FontSize);
        font.setBold(f.Bold);
        const double points = QFontMetricsF(font, &probe).horizontalAdvance(book.CellDisplayText(cell)) * 72.0 / 1200.0;
        const int width = int(std::ceil((points + 5.0) / book.DigitWidthPt() * 256.0));
        need[col] = std::max(need[col], width);
    });
    for (const auto& [col, width] : need)
        if (width > book.ColumnWidth(col))
            grid.SetColumnWidth(col, width);
}
