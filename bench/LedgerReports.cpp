#include "LedgerReports.h"

#include "Dialogs.h"
#include "Query.h"
#include "ReportData.h"
#include "frm_ExpenseReport.h"
#include "rpt_Income.h"
#include "rpt_SalesReport.h"
#include "sql_DailyExpenses.h"
#include "sql_DailySales.h"
#include "sql_DailyTransaction.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <functional>
#include <memory>

namespace {

using Clock = std::chrono::steady_clock;

double Since(Clock::time_point from)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - from).count();
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n == 0 ? 0 : (n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2);
}

// Nobody sits at a bench: every save goes to the file given, every question is OK and no
// printer is chosen.
class TSaveTo : public TDialogs {
public:
    explicit TSaveTo(QString file) : m_file(std::move(file)) { }
    int MessageDlg(const QString& text, TMsgDlgType, TMsgDlgButtons) override
    {
        m_messages << text;
        return mrOk;
    }
    QString SaveFileName(QWidget*, const QString&, const QString&, const QString&, const QString&) override
    {
        return m_file;
    }
    bool ChoosePrinter(QPrinter&, QWidget*) override { return false; }
    QStringList m_messages;

private:
    QString m_file;
};

// Cells that hold something: the size of a report.
long FilledCells(const TfrmBaseF1Report& report)
{
    const TWorkbook& book = report.F1BookReport->Book();
    long cells = 0;
    if (book.LastRow() > 0)
        book.ForEachCell({1, 1, book.LastRow(), book.LastCol()},
                         [&](int, int, const TCell& cell) { cells += cell.Kind != TCell::None; });
    return cells;
}

// One report on its screen: set up as the user would, spooled `runs` times, the grid
// painted each time; with the same data read without the sheet, in turn with it.
struct TReportRun {
    QString name;
    std::function<std::unique_ptr<TfrmBaseF1Report>()> make;
    std::function<void()> plain;
};

void SetParameters(TfrmBaseF1Report& report, const QDate& start, const QDate& end, int grouping)
{
    report.EdStartDate->setDate(start);
    report.edEndDate->setDate(end);
    report.cbTaxable->setChecked(false);
    report.rgGroupBy->SetItemIndex(grouping);
}

long g_sink = 0;  // what the plain reads add up to, so they cannot be dropped

}  // namespace

std::vector<TReportFigure> MeasureReports(const QDate& start, const QDate& end, int runs)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("report.xls");
    auto dialogs = std::make_unique<TSaveTo>(file);
    TSaveTo& answers = *dialogs;
    TDialogsGuard guard(std::move(dialogs));
    const TReportRange range(start, end, false);
    const int byDay = TfrmBaseF1Report::gbDay;
    auto crossReference = [&](const TCrossReferenceSource& source) {
        g_sink += long(ReadCrossReference(source, range, byDay, 5, [](int, int) {}).Amounts.size());
    };

    const std::vector<TReportRun> reports = {
        {"report_spool_expense_cross_reference", [] { return std::make_unique<TfrmExpenseReport>(); },
         [&] {
             crossReference({dmDailyExpenses->qryGetDistinctExpensesForPeriod,
                             dmDailyExpenses->qryGetDistinctDatesForExpenses, dmDailyExpenses->qryGetExpensesForPeriod,
                             "EXPENSE_ID", "SUM_EXPENSE_AMOUNT"});
         }},
        {"report_spool_income_cross_reference", [] { return std::make_unique<TrptSalesReport>(); },
         [&] {
             crossReference({dmDailySales->qryGetDistinctSalesForPeriod, dmDailySales->qryGetDistinctDateForSales,
                             dmDailySales->qryGetSalesForPeriod, "SALES_ID", "SUM_SALES_AMOUNT"});
         }},
        {"report_spool_profit_and_loss", [] { return std::make_unique<TrptIncome>(); },
         [&] {
             TQuery& q = *dmDailyTransaction->qryGetDailyExpensesByDateRange;
             SetRangeParameters(q, range);
             TOpenedQuery open(q);
             for (; !q.Eof(); q.Next())
                 g_sink +=
                     long(q.FieldByName("TRANSACTION_DATE").AsInteger() + q.FieldByName("TAKINGS").AsMoney().Scaled()
                          + q.FieldByName("EXPENSES").AsMoney().Scaled());
         }},
    };

    std::vector<TReportFigure> figures;
    std::unique_ptr<TfrmBaseF1Report> largest;
    long largestCells = -1;
    for (const TReportRun& r : reports) {
        std::unique_ptr<TfrmBaseF1Report> report = r.make();
        report->resize(1000, 600);
        report->show();
        QApplication::processEvents();
        SetParameters(*report, start, end, byDay);
        std::vector<double> ours, plain;
        for (int run = 0; run < runs; ++run) {
            auto t0 = Clock::now();
            r.plain();
            plain.push_back(Since(t0));
            t0 = Clock::now();
            report->btnSpool->click();
            report->repaint();
            ours.push_back(Since(t0));
        }
        const long cells = FilledCells(*report);
        figures.push_back(
            {r.name, Median(ours), Median(plain), 300,
             QStringLiteral("(%1 rows, %2 cells)").arg(report->F1BookReport->Book().LastRow()).arg(cells)});
        if (cells > largestCells) {
            largestCells = cells;
            largest = std::move(report);
        }
    }

    std::vector<double> save;
    for (int run = 0; run < runs; ++run) {
        QFile::remove(file);
        const auto t0 = Clock::now();
        largest->btnSave->click();
        save.push_back(Since(t0));
    }
    const qint64 bytes = QFile(file).size();
    figures.push_back({"report_save_xls", Median(save), 0, 100,
                       QStringLiteral("(%1, %2 KB)").arg(largest->windowTitle()).arg(bytes / 1024)});
    if (!answers.m_messages.isEmpty())
        figures.back().note += " messages: " + answers.m_messages.join(" / ");
    return figures;
}
