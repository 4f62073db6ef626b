#pragma once
// Checking a book: the engine's own check of every page and index, and every day's and
// month's totals worked out again from the lines and set against the stored ones, by the
// rules the program keeps them by (a day counts its lines flagged "Y" or "N", a month all
// of its lines). The check runs on any open connection: the program's book, or a copy
// being checked before it is trusted.
#include "Money.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

class TDbConnection;

// One stored total that disagrees with its lines.
struct TTotalDifference {
    enum TOf { Day, Month };
    TOf of = Day;
    int year = 0;
    int month = 0;
    int day = 0;            // the day number; 0 for a month
    bool income = true;     // the income total (a day's takings, a month's sales), else expenses
    bool missing = false;   // lines stand on a day or month that has no record of its own
    std::optional<Money> stored;  // empty when nothing is stored
    Money fromLines;

    // In words for the user: "10/01/2026" or "January 2026"; "income" or "expenses";
    // the stored value as an amount, or "none" / "no record".
    QString Where() const;
    QString Total() const;
    QString StoredText() const;
    QString FromLinesText() const;
    bool operator==(const TTotalDifference&) const = default;
};

struct TBookCheck {
    QStringList damage;                   // the engine's findings; empty when every page is sound
    QList<TTotalDifference> differences;  // in date order, days before the months
    bool Sound() const { return damage.isEmpty() && differences.isEmpty(); }
};

namespace BookCheck {
// What the engine finds wrong with the pages and indexes; empty when it finds them sound.
// A page that cannot be read at all counts as a finding, not as an error.
QStringList Damage(TDbConnection& connection);
// Every day and month whose stored totals differ from their lines.
QList<TTotalDifference> TotalDifferences(TDbConnection& connection);
// Both: the totals only when the pages are sound, as a damaged book's sums mean nothing.
TBookCheck Check(TDbConnection& connection);
// Puts every differing total of the program's book (the one the data modules use) right
// from its lines, in one transaction, making the day and month records lines stand on
// without one; returns what it corrected. A damaged book is refused, untouched.
QList<TTotalDifference> RepairTotals();
}  // namespace BookCheck
