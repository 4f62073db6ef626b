#pragma once
// The report screens over the bench's book: each report spooled through its screen, its
// parameters set on its widgets and Spool pressed, to the grid painted; beside it the same
// report data read without the sheet. And the largest report saved as .xls through Save.
#include <QDate>
#include <QString>
#include <vector>

struct TReportFigure {
    QString name;
    double ours = 0;   // through the screen, ms (median)
    double plain = 0;  // the same data read without the sheet, ms (median); 0: none
    double target = 0;
    QString note;  // the size of the report, shown beside the name
};

// Needs the data modules of the bench's book and a QApplication; creates and destroys the
// report screens itself and leaves the book as it was.
std::vector<TReportFigure> MeasureReports(const QDate& start, const QDate& end, int runs);
