// Measures the report grid with a large sheet: filling 20,000 cells, saving them as an
// Excel 97-2003 workbook, recalculating, and laying them out in the view.
//
//   bench_sheet                 prints the figures; exit code 1 when a target is missed
//   bench_sheet --pictures DIR  leaves in DIR a report-like sheet as report.xls,
//                               view.png (the grid on screen) and report.pdf (printed),
//                               and the 20,000 cells as large.xls, for a look by eye
#include "F1Book.h"
#include "Formats.h"
#include "WorkbookSource.h"
#include "XlsWriter.h"
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QPrinter>
#include <QScrollBar>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int Rows = 1000, Cols = 20;  // 20,000 cells
constexpr double SaveTargetMs = 200.0;

// Amounts across, with a SUM at each row's end, texts down the first column: the mix
// of a cross reference report.
void FillLarge(TF1Book& grid)
{
    grid.SetRowHeights(1, grid.MaxRow(), 250, false);
    for (int r = 1; r <= Rows; ++r) {
        grid.SetCellText(r, 1, QStringLiteral("Line %1").arg(r));
        for (int c = 2; c < Cols; ++c)
            grid.SetCellNumber(r, c, r * 1.25 + c);
        grid.SetCellFormula(
            r, Cols, QStringLiteral("SUM(B%1:%2%1)").arg(QString::number(r), TWorkbook::GetColumnHeading(Cols - 1)));
    }
    grid.SelectRange(1, 2, Rows, Cols);
    grid.SetNumberFormat("#,##0.00;(#,##0.00)");
    grid.SetCellBorders(1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0);
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void FillReport(TF1Book& grid)
{
    FormatSettings().ShortDateFormat = "dd-mmm-yyyy";
    grid.SetShowGridLines(false);
    grid.SetRowHeights(1, grid.MaxRow(), 250, false);
    grid.SetColumnWidth(1, 1000);
    for (int c = 2; c <= 7; ++c)
        grid.SetColumnWidth(c, 4500);
    grid.SetPrintLandscape(true);
    grid.SetPrintScaling(90, false, 1, 1);
    grid.SetCellText(2, 2, "EXPENSES REPORT FROM 1 JANUARY 2002 TO 31 JANUARY 2002");
    grid.SelectRange(2, 2, 2, 2);
    grid.SetCellFont("Arial", 10, true, false, false, false, 0, false, false);
    const QStringList items {"Rent", "Power and heating", "Wages (part-time staff)", "Stationery", "Bank charges"};
    const int p = 8, h = 4, t = h + p + 1, total = 3 + int(items.size());
    grid.SetRowHeights(h, h, 500, false);
    grid.SetCellText(h, 2, "WEEK STARTING");
    for (int k = 0; k < items.size(); ++k)
        grid.SetCellText(h, 3 + k, items[k]);
    grid.SetCellText(h, total, "TOTAL");
    grid.SelectRange(h, 2, h, total);
    grid.SetCellAlignment(3, true, 1, 0);
    grid.SetCellFont("Arial", 10, true, false, false, false, 0, false, false);
    for (int i = 0; i < p; ++i) {
        const int r = h + 1 + i;
        grid.SetCellText(r, 2, FormatSettings().DateToStr(QDate(2002, 1, 1).addDays(7 * i)));
        for (int k = 0; k < items.size(); ++k)
            grid.SetCellNumber(r, 3 + k, (k == 4 && i == 2) ? -12.5 : 100.0 * (k + 1) + i * 3.75);
        grid.SetCellFormula(
            r, total, QStringLiteral("SUM(C%1:%2%1)").arg(QString::number(r), TWorkbook::GetColumnHeading(total - 1)));
    }
    for (int c = 3; c <= total; ++c) {
        const QString l = TWorkbook::GetColumnHeading(c);
        grid.SetCellFormula(t, c, QStringLiteral("SUM(%1%2:%1%3)").arg(l).arg(h).arg(h + p));
    }
    grid.SelectRange(h + 1, 2, t, 2);
    grid.SetCellFont("Arial", 10, true, false, false, false, 0, false, false);
    grid.SelectRange(t, 3, t, total);
    grid.SetCellFont("Arial", 10, true, false, false, false, 0, false, false);
    grid.SelectRange(h, 2, t, total);
    grid.SetCellBorders(1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0);
    grid.SelectRange(h, 2, t, total + 1);
    grid.SetNumberFormat("#,##0.00;(#,##0.00)");
    grid.SetCellText(t + 2, 2, "PROFIT MARGIN: 12.50% ");
    grid.SelectRange(t + 2, 2, t + 2, 2);
    grid.SetCellFont("Arial", 10, true, false, false, false, 0, false, false);
    grid.SetCellText(t + 4, 2, "Export dates");
    for (int i = 0; i < 3; ++i)
        grid.SetCellNumber(t + 5 + i, 2, 37263 + i);
    grid.SelectRange(t + 5, 2, t + 7, 2);
    grid.ApplyDateFormat();
    grid.SelectRange(t + 7, 3, t + 7, 3);
    grid.SetCellBorders(-1, 0, 0, 1, 6, 0, 0, 0, 0, 0, 0);
    grid.SetCellFormula(t + 7, 3, QStringLiteral("SUM(C%1:C%2)").arg(h + 1).arg(h + 2));
    grid.SelectRange(t + 7, 3, t + 7, 3);
    grid.SetNumberFormat("#,##0.00;(#,##0.00)");
    grid.SelectRange(h + 2, 3, h + 3, 4);
}

int Pictures(const QString& dir)
{
    QDir().mkpath(dir);
    TF1Book grid;
    FillReport(grid);
    grid.resize(1000, 420);
    grid.show();
    QApplication::processEvents();
    grid.grab().save(dir + "/view.png");
    const TXlsExporter xls;
    xls.Export(TWorkbookSource(grid.Book()), dir + "/report.xls");
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir + "/report.pdf");
    const int pages = grid.PrintTo(printer);
    TF1Book large;
    FillLarge(large);
    xls.Export(TWorkbookSource(large.Book()), dir + "/large.xls");
    std::printf("pictures in %s: view.png, report.xls, report.pdf (%d page%s), large.xls\n", qPrintable(dir), pages,
                pages == 1 ? "" : "s");
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY")
        && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int pictures = int(args.indexOf("--pictures"));
    if (pictures > 0 && pictures + 1 < args.size())
        return Pictures(args[pictures + 1]);

    QTemporaryDir dir;
    TF1Book grid;
    grid.resize(1200, 800);
    grid.show();
    QApplication::processEvents();

    QElapsedTimer timer;
    timer.start();
    FillLarge(grid);
    const double fillMs = timer.nsecsElapsed() / 1e6;

    // A change makes every formula stale; reading all row totals recalculates them.
    const double before = grid.GetCellNumber(Rows, Cols);
    timer.restart();
    grid.SetCellNumber(Rows, 2, grid.GetCellNumber(Rows, 2) + 1);
    double totals = 0;
    for (int r = 1; r <= Rows; ++r)
        totals += grid.GetCellNumber(r, Cols);
    const double recalcMs = timer.nsecsElapsed() / 1e6;
    if (grid.GetCellNumber(Rows, Cols) != before + 1 || totals <= 0) {
        std::printf("recalculation is wrong\n");
        return 1;
    }

    const TXlsExporter xls;
    std::vector<double> saves;
    qint64 bytes = 0;
    for (int i = 0; i < 7; ++i) {
        const QString file = dir.filePath(QStringLiteral("bench%1.xls").arg(i));
        timer.restart();
        xls.Export(TWorkbookSource(grid.Book()), file);
        saves.push_back(timer.nsecsElapsed() / 1e6);
        bytes = QFileInfo(file).size();
    }
    const double saveMs = Median(saves);

    // The first paint after the fill includes working out the scroll range.
    timer.restart();
    QImage first = grid.grab().toImage();
    const double firstPaintMs = timer.nsecsElapsed() / 1e6;
    std::vector<double> paints;
    for (int i = 0; i < 9; ++i) {
        grid.verticalScrollBar()->setValue(grid.verticalScrollBar()->maximum() * i / 8);
        timer.restart();
        first = grid.grab().toImage();
        paints.push_back(timer.nsecsElapsed() / 1e6);
    }
    const double paintMs = Median(paints);

    std::printf("cells                      %d\n", Rows * Cols);
    std::printf("fill through the view      %8.1f ms\n", fillMs);
    std::printf("change + read %d SUMs       %8.2f ms\n", Rows, recalcMs);
    std::printf("save .xls (median of 7)    %8.1f ms  (%lld bytes, target <= %.0f ms)\n", saveMs,
                static_cast<long long>(bytes), SaveTargetMs);
    std::printf("first paint of the view    %8.1f ms\n", firstPaintMs);
    std::printf("paint while scrolling      %8.1f ms (median of 9 positions)\n", paintMs);
    if (saveMs > SaveTargetMs) {
        std::printf("FAILED: saving took longer than %.0f ms\n", SaveTargetMs);
        return 1;
    }
    return 0;
}
