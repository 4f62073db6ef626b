#pragma once
// The report screen: a "Parameters" page where the user sets the date range and options,
// and an "Output" page with the spreadsheet grid the report is laid out in. Spool builds,
// Print prints and Save saves the grid as an Excel workbook (97-2003 or .xlsx), as the
// printed pages in a PDF, or as CSV. The cell-format and
// period-grouping helpers are shared by every report.
#include "Controls.h"
#include "F1Book.h"
#include "ReportData.h"

#include <QDialog>
#include <QFrame>
#include <QLabel>
#include <QStringList>
#include <QTabWidget>
#include <QToolButton>

class TfrmBaseF1Report : public QDialog {
    Q_OBJECT
public:
    explicit TfrmBaseF1Report(QWidget* parent = nullptr);

    QFrame* pnlButtons;
    QFrame *pnlSpool, *pnlPrint, *pnlSave, *pnlClose;
    QToolButton *btnSpool, *btnPrint, *btnSave, *btnClose;
    QFrame* pnlF1Book;
    QTabWidget* ReportPageControl;
    QWidget* tsParameters;
    QWidget* tsOutput;
    TF1Book* F1BookReport;
    QLabel* lblStartDate;
    TDatePicker* EdStartDate;
    QLabel* lblEndDate;
    TDatePicker* edEndDate;
    TLeftCheckBox* cbTaxable;
    TRadioGroup* rgGroupBy;
    QWidget* ParameterArea;  // where a report adds its own options, below the shared ones

    enum TGrouping { gbDay = 0, gbWeek = 1, gbMonth = 2 };

    virtual void btnSpoolClick();
    virtual void btnPrintClick();
    virtual void btnSaveClick();

    // Formats of a rectangle of cells: each selects it, then applies one format.
    void BoldRange(int row1, int col1, int row2, int col2);
    void MoneyFormatRange(int row1, int col1, int row2, int col2);
    void DateFormatRange(int row1, int col1, int row2, int col2);
    void AlignRange(int row1, int col1, int row2, int col2);
    void BoxRange(int row1, int col1, int row2, int col2);
    void TotalRuleRange(int row1, int col1, int row2, int col2);

    void SetColumnWidths(int width, int firstColumn, int lastColumn);
    // "<TITLE> FROM <D MMMM YYYY> TO <D MMMM YYYY>" in capitals, in bold.
    void WriteReportTitle(const QString& title, int row, const QDate& startDate, const QDate& endDate, int column);
    // One label per week or month of the range down a column; each period's key is
    // appended to `keys` in the same order. Days write nothing.
    void WritePeriodLabels(int row, int column, const QDate& startDate, const QDate& endDate, int grouping,
                           QStringList& keys);

    static QString MonthAbbreviation(int month);
    // Weeks are runs of seven days counted from the start date; both steps truncate toward zero.
    static int WeekIndex(double date, double start);
    static double WeekStart(double date, double start);
    // Month index = year * 12 + month; a multiple of 12 is December of the year before.
    static void SplitMonthIndex(int index, int& year, int& month);
    static int MonthIndex(int year, int month) { return year * 12 + month; }
    // A date's key in the grouping: its short-date text, its week's start, or its month index.
    static QString PeriodKey(const QDate& date, const QDate& startDate, int grouping);

protected:
    virtual void BuildReport() = 0;
    virtual void GetDefaultFileName(QString& fileName) { fileName.clear(); }

    // The report short date format, no grid lines, the parameters page in front, and the
    // dates preset to the latest month that has a period.
    virtual void FormShow();
    void showEvent(QShowEvent* event) override;

private:
    bool m_shown = false;
};
