#include "rpt_SalesReport.h"

#include "DataModule.h"
#include "ErrorHandler.h"
#include "ReportData.h"
#include "sql_DailySales.h"
#include "tbl_Sales.h"

#include <QVBoxLayout>
#include <map>

TrptSalesReport::TrptSalesReport(QWidget* parent) : TfrmBaseF1Report(parent)
{
    setWindowTitle("Income Report");
    auto* area = new QVBoxLayout(ParameterArea);
    area->setContentsMargins(0, 0, 0, 0);
    rgReportType = new TRadioGroup("Report Type", {"Cross Reference", "Income Detail", "Export"}, 1, ParameterArea);
    rgReportType->setObjectName("rgReportType");
    rgReportType->SetItemIndex(rtCrossReference);
    area->addWidget(rgReportType);
    connect(rgReportType, &TRadioGroup::Click, this, Guarded([this] { rgReportTypeClick(); }));
}

void TrptSalesReport::rgReportTypeClick()
{
    rgGroupBy->setVisible(rgReportType->ItemIndex() == rtCrossReference);
}

void TrptSalesReport::BuildReport()
{
    F1BookReport->SetRowHeights(4, 4, 250, false);
    switch (rgReportType->ItemIndex()) {
    case rtCrossReference: BuildCrossReference(); break;
    case rtDetail: BuildDetail(); break;
    default: BuildExport(); break;
    }
}

// Rows are periods from row 5 down, columns income items from column 3 right, then the
// TOTAL column; the totals row follows the last period.
void TrptSalesReport::BuildCrossReference()
{
    const TReportRange range(EdStartDate->date(), edEndDate->date(), cbTaxable->isChecked());
    const int grouping = rgGroupBy->ItemIndex();

    // Everything is read and checked first, so that a report too big for the sheet is
    // refused before a cell is written.
    QList<int> items;
    QHash<int, int> itemPosition;
    {
        TQuery& q = *dmDailySales->qryGetDistinctSalesForPeriod;
        SetReportParameters(q, range);
        TOpenedQuery open(q);
        for (; !q.Eof(); q.Next()) {
            const int id = int(q.FieldByName("SALES_ID").AsInteger());
            itemPosition.insert(id, int(items.size()));
            items << id;
        }
    }
    const int E = int(items.size());
    CheckColumnsFit(E, MaxItems, QStringLiteral("income items"));
    std::vector<int> days;
    if (grouping == gbDay) {
        TQuery& q = *dmDailySales->qryGetDistinctDateForSales;
        SetReportParameters(q, range);
        days = ReadDays(q);
    }
    const TPeriods periods = RangePeriods(range, grouping, days, 5);
    const int P = periods.Count();

    std::map<std::pair<int, int>, Money> amounts;  // (item, period) -> sum
    {
        TQuery& q = *dmDailySales->qryGetSalesForPeriod;
        SetReportParameters(q, range);
        TOpenedQuery open(q);
        for (; !q.Eof(); q.Next()) {
            const int k = itemPosition.value(int(q.FieldByName("SALES_ID").AsInteger()), -1);
            const int p = periods.Find(int(q.FieldByName("TRANSACTION_DATE").AsInteger()), range, grouping);
            if (k < 0 || p < 0)
                continue;  // every list is read with the same filter: does not happen
            amounts[{k, p}] += q.FieldByName("SUM_SALES_AMOUNT").AsMoney();
        }
    }

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
    book.SetCellAlignment(3, true, 1, 0);
    book.SetCellText(4, t, "TOTAL");
    if (grouping == gbWeek)
        book.SetCellText(4, 2, "WEEK STARTING");
    BoldRange(4, 2, 4, t);
    SetColumnWidths(3500, 2, t);

    for (int i = 0; i < P; ++i)
        book.SetCellText(5 + i, 2, periods.Labels[i]);
    for (const auto& [cell, amount] : amounts)
        book.SetCellNumber(5 + cell.second, 3 + cell.first, amount.ToDouble());

    // With no items a row has nothing to add, and its total would stand in its own range.
    const QString first = TWorkbook::GetColumnHeading(3), last = TWorkbook::GetColumnHeading(E + 2);
    for (int r = 5; r <= P + 4; ++r)
        WriteTotal(*this, r, t, QStringLiteral("SUM(%1%3:%2%3)").arg(first, last).arg(r), E > 0);
    // The column sums start at the heading row, whose text adds nothing.
    for (int c = 3; c <= t; ++c)
        WriteTotal(*this, P + 5, c, ColumnSum(c, 4, P + 4), P > 0);

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
