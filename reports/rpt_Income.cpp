#include "rpt_Income.h"

#include "DataModule.h"
#include "DayNumber.h"
#include "Formats.h"
#include "ReportData.h"
#include "sql_DailyExpenses.h"
#include "sql_DailySales.h"
#include "sql_DailyTransaction.h"

#include <vector>

namespace {
// The columns of the sheet: the day or period, income, expenses, profit or loss.
constexpr int LabelColumn = 2, IncomeColumn = 3, ExpensesColumn = 4, ProfitColumn = 5;
constexpr int FirstRow = 5;

// Per-day sums of the taxable lines of a range.
QHash<int, Money> TaxableSums(TQuery& query, const TReportRange& range, const QString& amountField)
{
    QHash<int, Money> sums;
    // Taxable lines only, whatever an earlier user of the query left in the filter.
    SetReportParameters(query, range, true);
    TOpenedQuery open(query);
    for (; !query.Eof(); query.Next())
        sums.insert(int(query.FieldByName("TRANSACTION_DATE").AsInteger()), query.FieldByName(amountField).AsMoney());
    return sums;
}

struct TDayRecord {
    int Day;
    Money Income, Expenses;
};
}  // namespace

TrptIncome::TrptIncome(QWidget* parent) : TfrmBaseF1Report(parent)
{
    setWindowTitle("Profit and Loss Report");
}

QString TrptIncome::ProfitMarginText(Money profit, Money expenses)
{
    const double margin = double(profit.Scaled()) / double(expenses.Scaled()) * 100.0;
    return QStringLiteral("PROFIT MARGIN: %1% ").arg(FormatFloat(QStringLiteral("#,##0.00"), margin));
}

void TrptIncome::BuildReport()
{
    const TReportRange range(EdStartDate->date(), edEndDate->date(), cbTaxable->isChecked());
    const int grouping = rgGroupBy->ItemIndex();

    // Everything is read and checked first, so that a report too big for the sheet is
    // refused before a cell is written.
    m_taxableIncome.clear();
    m_taxableExpenses.clear();
    if (range.TaxableOnly) {
        m_taxableIncome = TaxableSums(*dmDailySales->qryGetSumSalesByDateRange, range, "SUM_SALES_AMOUNT");
        m_taxableExpenses = TaxableSums(*dmDailyExpenses->qryGetSumExpensesByDateRange, range, "SUM_EXPENSE_AMOUNT");
    }
    std::vector<TDayRecord> records;
    {
        TQuery& q = *dmDailyTransaction->qryGetDailyExpensesByDateRange;
        SetRangeParameters(q, range);
        TOpenedQuery open(q);
        for (; !q.Eof(); q.Next()) {
            const int day = int(q.FieldByName("TRANSACTION_DATE").AsInteger());
            if (range.TaxableOnly)
                records.push_back({day, GetTaxableIncome(day), GetTaxableExpenses(day)});
            else
                records.push_back({day, q.FieldByName("TAKINGS").AsMoney(), q.FieldByName("EXPENSES").AsMoney()});
        }
    }

    // One row per day record, or per period of the range; each kept as money to the end.
    struct TRow {
        QString Label;
        bool HasRecords = false;
        Money Income, Expenses;
    };
    std::vector<TRow> rows;
    if (grouping == gbDay) {
        CheckRowsFit(FirstRow + int(records.size()) + 2);
        for (const TDayRecord& d : records)
            rows.push_back({ReportDate(DayNumber::ToDate(d.Day)), true, d.Income, d.Expenses});
    } else {
        const TPeriods periods = RangePeriods(range, grouping, {}, FirstRow + 2);
        for (const QString& label : periods.Labels)
            rows.push_back({label, false, {}, {}});
        for (const TDayRecord& d : records) {
            const int p = periods.Find(d.Day, range, grouping);
            if (p < 0)
                continue;  // the periods cover the whole range: does not happen
            TRow& row = rows[size_t(p)];
            row.HasRecords = true;
            row.Income += d.Income;
            row.Expenses += d.Expenses;
        }
    }

    TF1Book& book = *F1BookReport;
    WriteReportTitle("PROFIT/LOSS REPORT", 2, range.Start, range.End, 2);
    const QString labelHeading = grouping == gbDay ? "DATE" : grouping == gbWeek ? "WEEK STARTING" : "";
    book.SetCellText(4, LabelColumn, labelHeading);
    book.SetCellText(4, IncomeColumn, "INCOME");
    book.SetCellText(4, ExpensesColumn, "EXPENSES");
    book.SetCellText(4, ProfitColumn, "PROFIT/LOSS");
    SetColumnWidths(4500, LabelColumn, ProfitColumn);
    BoldRange(4, LabelColumn, 4, ProfitColumn);
    // The amount headings stand centred over their right-aligned amounts.
    book.SelectRange(4, IncomeColumn, 4, ProfitColumn);
    book.SetCellAlignment(3, false, 3, 0);
    // Four wide columns are wider than an upright page: the page is shrunk to take them
    // all, so that no column of figures goes to a page of its own.
    book.SetPrintLandscape(false);
    book.SetPrintScaling(100, true, 1, 0);

    int r = FirstRow;
    for (const TRow& row : rows) {
        book.SetCellText(r, LabelColumn, row.Label);
        // A week or month without day records keeps empty cells.
        if (row.HasRecords) {
            book.SetCellNumber(r, IncomeColumn, row.Income.ToDouble());
            book.SetCellNumber(r, ExpensesColumn, row.Expenses.ToDouble());
            book.SetCellNumber(r, ProfitColumn, (row.Income - row.Expenses).ToDouble());
        }
        ++r;
    }

    // With no rows the totals have nothing to add: they read 0 rather than sum themselves.
    const int t = r;
    for (int c = IncomeColumn; c <= ProfitColumn; ++c)
        WriteTotal(*this, t, c, ColumnSum(c, FirstRow, t - 1), t > FirstRow);
    const Money expenses = Money::FromDouble(book.GetCellNumber(t, ExpensesColumn));
    const Money profit = Money::FromDouble(book.GetCellNumber(t, ProfitColumn));

    BoldRange(FirstRow, ProfitColumn, t, ProfitColumn);
    BoldRange(t, IncomeColumn, t, ProfitColumn);
    BoldRange(FirstRow, LabelColumn, t, LabelColumn);
    MoneyFormatRange(FirstRow, IncomeColumn, t, ProfitColumn);
    BoxRange(4, LabelColumn, t, ProfitColumn);
    WidenToFit(*this, FirstRow, IncomeColumn, t, ProfitColumn);

    // The margin is profit over expenses; without expenses there is none to show.
    if (!expenses.IsZero())
        book.SetCellText(t + 2, LabelColumn, ProfitMarginText(profit, expenses));
    BoldRange(t + 2, LabelColumn, t + 2, LabelColumn);
}
