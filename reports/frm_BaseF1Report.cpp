#include "frm_BaseF1Report.h"

#include "DayNumber.h"
#include "Dialogs.h"
#include "ErrorHandler.h"
#include "Formats.h"
#include "tbl_period.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>
#include <cmath>

TfrmBaseF1Report::TfrmBaseF1Report(QWidget* parent) : QDialog(parent)
{
    resize(700, 500);
    setSizeGripEnabled(true);
    auto* main = new QVBoxLayout(this);
    main->setContentsMargins(0, 0, 0, 0);
    main->setSpacing(0);

    pnlButtons = new QFrame(this);
    pnlButtons->setObjectName("pnlButtons");
    pnlButtons->setFrameShape(QFrame::StyledPanel);
    pnlButtons->setFrameShadow(QFrame::Sunken);
    pnlButtons->setFixedHeight(64);
    auto* bar = new QHBoxLayout(pnlButtons);
    bar->setContentsMargins(4, 4, 4, 4);
    bar->setSpacing(0);
    auto button = [&](QFrame*& panel, QToolButton*& b, const char* panelName, const char* name, const QString& caption,
                      const QString& hint, QStyle::StandardPixmap icon) {
        b = NewPanelButton(pnlButtons, panel, panelName, name, caption, hint, style()->standardIcon(icon));
    };
    button(pnlSpool, btnSpool, "pnlSpool", "btnSpool", "Spool", "Build the report", QStyle::SP_MediaPlay);
    button(pnlPrint, btnPrint, "pnlPrint", "btnPrint", "Print", "Print the report", QStyle::SP_FileDialogContentsView);
    button(pnlSave, btnSave, "pnlSave", "btnSave", "Save", "Save the report as a workbook, a PDF or a CSV file",
           QStyle::SP_DialogSaveButton);
    button(pnlClose, btnClose, "pnlClose", "btnClose", "&Close", "Close Form", QStyle::SP_DialogCloseButton);
    bar->addWidget(pnlSpool);
    bar->addWidget(pnlPrint);
    bar->addWidget(pnlSave);
    bar->addStretch(1);
    bar->addWidget(pnlClose);
    main->addWidget(pnlButtons);

    pnlF1Book = new QFrame(this);
    pnlF1Book->setObjectName("pnlF1Book");
    auto* bookLayout = new QVBoxLayout(pnlF1Book);
    bookLayout->setContentsMargins(0, 0, 0, 0);
    ReportPageControl = new QTabWidget(pnlF1Book);
    ReportPageControl->setObjectName("ReportPageControl");
    tsParameters = new QWidget;
    tsParameters->setObjectName("tsParameters");
    tsOutput = new QWidget;
    tsOutput->setObjectName("tsOutput");
    ReportPageControl->addTab(tsParameters, "Parameters");
    ReportPageControl->addTab(tsOutput, "Output");
    bookLayout->addWidget(ReportPageControl);
    main->addWidget(pnlF1Book, 1);

    auto* outputLayout = new QVBoxLayout(tsOutput);
    outputLayout->setContentsMargins(0, 0, 0, 0);
    F1BookReport = new TF1Book(tsOutput);
    F1BookReport->setObjectName("F1BookReport");
    outputLayout->addWidget(F1BookReport);

    auto* params = new QGridLayout(tsParameters);
    params->setContentsMargins(16, 16, 16, 16);
    params->setHorizontalSpacing(12);
    lblStartDate = new QLabel("Start Date", tsParameters);
    lblStartDate->setObjectName("lblStartDate");
    EdStartDate = new TDatePicker(tsParameters);
    EdStartDate->setObjectName("EdStartDate");
    lblStartDate->setBuddy(EdStartDate);
    lblEndDate = new QLabel("End Date", tsParameters);
    lblEndDate->setObjectName("lblEndDate");
    edEndDate = new TDatePicker(tsParameters);
    edEndDate->setObjectName("edEndDate");
    lblEndDate->setBuddy(edEndDate);
    cbTaxable = new TLeftCheckBox("Taxable", tsParameters);
    cbTaxable->setObjectName("cbTaxable");
    rgGroupBy = new TRadioGroup("Group By", {"Day", "Week", "Month"}, 1, tsParameters);
    rgGroupBy->setObjectName("rgGroupBy");
    rgGroupBy->SetItemIndex(gbDay);
    ParameterArea = new QWidget(tsParameters);
    ParameterArea->setObjectName("ParameterArea");
    params->addWidget(lblStartDate, 0, 0);
    params->addWidget(EdStartDate, 0, 1);
    params->addWidget(lblEndDate, 1, 0);
    params->addWidget(edEndDate, 1, 1);
    params->addWidget(cbTaxable, 2, 0, 1, 2, Qt::AlignLeft);
    params->addWidget(rgGroupBy, 3, 0, 1, 2);
    params->addWidget(ParameterArea, 4, 0, 1, 2);
    params->setColumnStretch(2, 1);
    params->setRowStretch(5, 1);

    connect(btnSpool, &QToolButton::clicked, this, Guarded([this] { btnSpoolClick(); }));
    connect(btnPrint, &QToolButton::clicked, this, Guarded([this] { btnPrintClick(); }));
    connect(btnSave, &QToolButton::clicked, this, Guarded([this] { btnSaveClick(); }));
    connect(btnClose, &QToolButton::clicked, this, Guarded([this] { close(); }));
}

void TfrmBaseF1Report::showEvent(QShowEvent* event)
{
    if (!m_shown && !parentWidget())
        if (QScreen* s = screen())
            move(s->availableGeometry().center() - rect().center());
    m_shown = true;
    QDialog::showEvent(event);
    Guard([this] { FormShow(); });
}

void TfrmBaseF1Report::FormShow()
{
    F1BookReport->SetShowGridLines(false);
    ReportPageControl->setCurrentWidget(tsParameters);
    int year, month;
    GetLatestPeriod(year, month);
    const QDate first(year, month, 1);
    EdStartDate->setDate(first);
    edEndDate->setDate(QDate(year, month, first.daysInMonth()));
}

void TfrmBaseF1Report::btnSpoolClick()
{
    ReportPageControl->setCurrentWidget(tsOutput);
    F1BookReport->ClearCells(1, 1, F1BookReport->MaxRow(), F1BookReport->MaxCol(), 1);
    F1BookReport->SetRowHeights(1, F1BookReport->MaxRow(), 250, false);
    BuildReport();
    // The report's last format call leaves its range selected; the reader starts at the top.
    F1BookReport->SelectRange(1, 1, 1, 1);
}

void TfrmBaseF1Report::btnPrintClick()
{
    F1BookReport->PrintSheet(true);
}

void TfrmBaseF1Report::btnSaveClick()
{
    QString name;
    GetDefaultFileName(name);
    const QList<TF1Book::TSaveType> saveTypes = TF1Book::SaveTypes();
    QList<TFileType> offered;
    for (const TF1Book::TSaveType& t : saveTypes)
        offered << t.File;
    const TSaveChoice choice = Dialogs().SaveFileAs(this, "Save Report", name, offered);
    if (choice.Path.isEmpty())
        return;  // cancelled: nothing is written
    F1BookReport->SaveWorkbook(choice.Path, saveTypes.value(choice.Type, saveTypes.first()).FileType);
}

void TfrmBaseF1Report::BoldRange(int row1, int col1, int row2, int col2)
{
    F1BookReport->SelectRange(row1, col1, row2, col2);
    F1BookReport->SetCellFont("Arial", 10, true, false, false, false, 0, false, false);
}

void TfrmBaseF1Report::MoneyFormatRange(int row1, int col1, int row2, int col2)
{
    F1BookReport->SelectRange(row1, col1, row2, col2);
    F1BookReport->SetNumberFormat(Masks::ReportMoney);
}

void TfrmBaseF1Report::DateFormatRange(int row1, int col1, int row2, int col2)
{
    F1BookReport->SelectRange(row1, col1, row2, col2);
    F1BookReport->ApplyDateFormat(ReportDateFormat);
}

void TfrmBaseF1Report::AlignRange(int row1, int col1, int row2, int col2)
{
    F1BookReport->SelectRange(row1, col1, row2, col2);
    F1BookReport->SetCellAlignment(2, false, 2, 0);
}

void TfrmBaseF1Report::BoxRange(int row1, int col1, int row2, int col2)
{
    F1BookReport->SelectRange(row1, col1, row2, col2);
    F1BookReport->SetCellBorders(1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0);
}

void TfrmBaseF1Report::TotalRuleRange(int row1, int col1, int row2, int col2)
{
    F1BookReport->SelectRange(row1, col1, row2, col2);
    F1BookReport->SetCellBorders(-1, 0, 0, 1, 6, 0, 0, 0, 0, 0, 0);
}

void TfrmBaseF1Report::SetColumnWidths(int width, int firstColumn, int lastColumn)
{
    for (int c = firstColumn; c <= lastColumn; ++c)
        F1BookReport->SetColumnWidth(c, width);
}

void TfrmBaseF1Report::WriteReportTitle(const QString& title, int row, const QDate& startDate, const QDate& endDate,
                                        int column)
{
    const QString text = QStringLiteral("%1 FROM %2 TO %3")
                             .arg(title, FormatDate("D MMMM YYYY", startDate), FormatDate("D MMMM YYYY", endDate))
                             .toUpper();
    F1BookReport->SetCellText(row, column, text);
    BoldRange(row, column, row, column);
}

QString TfrmBaseF1Report::MonthAbbreviation(int month)
{
    static const char* names[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    return month >= 1 && month <= 12 ? QString::fromLatin1(names[month - 1]) : QString();
}

int TfrmBaseF1Report::WeekIndex(double date, double start)
{
    return int(std::trunc(date - start)) / 7;  // integer division truncates toward zero too
}

double TfrmBaseF1Report::WeekStart(double date, double start)
{
    return start + 7.0 * WeekIndex(date, start);
}

void TfrmBaseF1Report::SplitMonthIndex(int index, int& year, int& month)
{
    year = index / 12;
    month = index % 12;
    if (month == 0) {
        --year;
        month = 12;
    }
}

QString TfrmBaseF1Report::PeriodKey(const QDate& date, const QDate& startDate, int grouping)
{
    switch (grouping) {
    case gbWeek: {
        const double start = DayNumber::FromDate(startDate);
        return ReportDate(DayNumber::ToDate(qint64(WeekStart(DayNumber::FromDate(date), start))));
    }
    case gbMonth: return QString::number(MonthIndex(date.year(), date.month()));
    default: return ReportDate(date);
    }
}

void TfrmBaseF1Report::WritePeriodLabels(int row, int column, const QDate& startDate, const QDate& endDate,
                                         int grouping, QStringList& keys)
{
    if (grouping == gbWeek) {
        const int start = DayNumber::FromDate(startDate);
        const int weeks = WeekIndex(DayNumber::FromDate(endDate), start);
        for (int i = 0; i <= weeks; ++i) {
            const QString key = ReportDate(DayNumber::ToDate(start + 7 * i));
            F1BookReport->SetCellText(row + i, column, key);
            keys << key;
        }
    } else if (grouping == gbMonth) {
        const int first = MonthIndex(startDate.year(), startDate.month());
        const int last = MonthIndex(endDate.year(), endDate.month());
        for (int index = first, i = 0; index <= last; ++index, ++i) {
            int year, month;
            SplitMonthIndex(index, year, month);
            F1BookReport->SetCellText(row + i, column, MonthAbbreviation(month) + ' ' + QString::number(year));
            keys << QString::number(index);
        }
    }
}
