#include "rpt_SalesReport.h"

#include "DataModule.h"
#include "ReportData.h"
#include "sql_DailySales.h"
#include "tbl_Sales.h"

TrptSalesReport::TrptSalesReport(QWidget* parent) : TfrmLayoutReport(parent)
{
    setWindowTitle("Income Report");
}

// Rows are periods from row 5 down, columns income items from column 3 right, then the
// TOTAL column; the totals row follows the last period.
void TrptSalesReport::BuildCrossReference()
{
    const TReportRange range(EdStartDate->date(), edEndDate->date(), cbTaxable->isChecked());
    const int grouping = rgGroupBy->ItemIndex();

    // Everything is read and checked first, so that a report too big for the sheet is
    // refused before a cell is written.
    const TCrossReference x = ReadCrossReference(
        {dmDailySales->qryGetDistinctSalesForPeriod, dmDailySales->qryGetDistinctDateForSales,
         dmDailySales->qryGetSalesForPeriod, "SALES_ID", "SUM_SALES_AMOUNT"},
        range, grouping, 5, [](int items, int) { CheckColumnsFit(items, MaxItems, QStringLiteral("income items")); });
    const QList<int>& items = x.Items;
    const int E = int(items.size());
    const TPeriods& periods = x.Periods;
    const int P = periods.Count();

    TF1Book& book = *F1BookReport;
    SetColumnWidths(500, 1, 1);
    book.SetPrintLandscape(true);
    book.SetPrintScaling(90, false, 1, 1);
    WriteReportTitle("INCOME REPORT", 2, range.Start, range.End, 2);
    book.SetRowHeights(4, 4, 500, false);
    for (int i = 0; i < E; ++i) {
        QString description;
        GetSalesDescription(items[i], description);
        book.SetCellText(4, 3 + i, description);
    }

    const int t = E + 3;
    book.SelectRange(4, 1, 4, t);
    book.SetCellAlignment(3, true, 3, 0);
    book.SetCellText(4, t, "TOTAL");
    if (grouping == gbWeek)
        book.SetCellText(4, 2, "WEEK STARTING");
    BoldRange(4, 2, 4, t);
    SetColumnWidths(3500, 2, t);

    for (int i = 0; i < P; ++i)
        book.SetCellText(5 + i, 2, periods.Labels[i]);
    for (const auto& [cell, amount] : x.Amounts)
        book.SetCellNumber(5 + cell.second, 3 + cell.first, amount.ToDouble());

    // With no items a row has nothing to add, and its total would stand in its own range.
    const QString first = TWorkbook::GetColumnHeading(3), last = TWorkbook::GetColumnHeading(E + 2);
    for (int r = 5; r <= P + 4; ++r)
        WriteTotal(*this, r, t, QStringLiteral("SUM(%1%3:%2%3)").arg(first, last).arg(r), E > 0);
    // The column sums start at the heading row, whose text adds nothing, so even with no
    // period rows a sum never takes in its own cell.
    for (int c = 3; c <= t; ++c)
        F1BookReport->SetCellFormula(P + 5, c, ColumnSum(c, 4, P + 4));

    BoxRange(4, 2, P + 5, t);
    MoneyFormatRange(5, 3, P + 5, t);
    BoldRange(5, t, P + 5, t);
    BoldRange(P + 5, 3, P + 5, t);
    BoldRange(5, 2, P + 5, 2);
    WidenToFit(*this, 5, 3, P + 5, t);
}

void TrptSalesReport::BuildDetail()
{
    const TReportRange range(EdStartDate->date(), edEndDate->date(), cbTaxable->isChecked());
    TQuery& q = *dmDailySales->qryGetSalesForPeriod;
    SetReportParameters(q, range);
    const auto lines = ReadDetailLines(q, {"SALES_ID", "SALES_DESCRIPTION", "SUM_SALES_AMOUNT", QString()});
    WriteDetailLayout(*this, "INCOME DETAIL REPORT", lines, false);
}

void TrptSalesReport::BuildExport()
{
    const TReportRange range(EdStartDate->date(), edEndDate->date(), cbTaxable->isChecked());
    TQuery& q = *dmDailySales->qryGetSalesForExport;
    SetReportParameters(q, range);
    const auto lines = ReadExportLines(q, {"SALES_ID", "SALES_DESCRIPTION", "SALES_AMOUNT", QString()});
    WriteExportLayout(*this, "INCOME EXPORT", {"DATE", "INCOME", "AMOUNT", "TAXABLE"}, lines);
}
