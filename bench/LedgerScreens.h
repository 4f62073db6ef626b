#pragma once
// The expense transactions screen over the bench's book: its first showing, a change of
// its filter, a line saved through OK and a line deleted, each timed from the user's
// action to the screen painted, beside the same data work done on our datasets and line
// storage with no widget at all (so the ratio is what the screen adds).
#include <QStringList>
#include <vector>

struct TScreenBook {
    int monthStart = 0;       // the book's last month, as day numbers: the date filter the
    int monthEnd = 0;         // user keeps, and the days lines are saved on
    int otherMonthStart = 0;  // an earlier first day the filter is widened to
    int expenseItems = 0;

    // The month holding `lastDay` and the month before it.
    static TScreenBook LastMonth(int lastDay, int expenseItems);
};

struct TScreenPair {
    std::vector<double> ours;   // through the screen, ms
    std::vector<double> plain;  // the same data work without widgets, ms
};

struct TScreenFigure {
    QString name;
    const TScreenPair* times;
    double target;  // ms
};

struct TScreenResults {
    TScreenPair show, filterChange, saveLine, deleteLine;
    // How the screen's time splits, one printable line each.
    QStringList details;
    int failures = 0;  // runs where the screen did not end where it should have

    // The four figures by name, with their targets.
    std::vector<TScreenFigure> Figures() const;
    // The failures, if any, and the details, ready to print.
    QString Details() const;
};

// Needs the data modules of the bench's book and a QApplication; creates and destroys
// the two transactions screens itself. Lines saved are deleted again, so the book keeps
// its size.
TScreenResults MeasureScreens(const TScreenBook& book, int runs);
