#pragma once
// The bookkeeping the reliability tests put the book through, one operation at a time:
// new lines, changed amounts and items, lines moved across days and months, deletes,
// empty days made and dropped, and day records made again under their lines. Each
// operation is drawn at random from what the book holds, performed through the storage
// sequence the screens use, written as one line of text (so a child process can report
// it to the test that kills it) and applied to an in-memory model of what the book must
// hold once it is committed.
#include "LedgerBook.h"

#include <QRandomGenerator>
#include <QString>
#include <QStringList>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <vector>

enum class TOpType { Add, Change, Delete, NewDay, DropEmptyDay, RemakeDay };

struct TOp {
    TOpType type = TOpType::Add;
    int kind = 0;  // 0 income, 1 expense
    int day = 0;   // the day the line is on, or the day record's day
    int number = 0;
    int item = 0;
    qint64 amount = 0;
    bool taxable = true;
    int toDay = 0;  // where a changed line ends up; its own day when it stays

    QString Text() const;
    // Empty when `text` is not an operation.
    static std::optional<TOp> FromText(const QString& text);
};

struct TModelLine {
    int item = 0;
    qint64 amount = 0;
    bool taxable = true;
};

// What the book must hold: every line with its number, the day records, and the last
// number each day has handed out.
struct TModel {
    std::map<std::tuple<int, int, int>, TModelLine> lines;  // kind, day, number
    std::map<std::pair<int, int>, int> counters;            // kind, day -> last number given
    std::set<int> days;                                     // days with a record

    // The number the day's next line gets.
    int Next(int kind, int day) const;
    // The operation's effect once committed; `number` is what the book gave a new or
    // moved line. Returns that number.
    int Apply(const TOp& op, int number);
    // The number the book will give the line the operation adds or moves.
    int Predict(const TOp& op) const;
    bool HoldsLines(int day) const;
    // Every line of a kind as BookRows gives it.
    QStringList Rows(int kind) const;
    QStringList DayList() const;
    // The whole of it as one text, to compare with BookImage.
    QString Image() const;
    // The model of a book the storage alone has written.
    static TModel Read(TDbConnection& book);
};

// The lines, day records and counters of the book as one text, comparable with a model.
QString BookImage(TTestBook& book);

// Every day's next line numbers lie above the lines it holds; an empty text when so.
// Draws them in a transaction that is rolled back, so the book is left as it was.
QString BrokenNextNumbers(TTestBook& book);

// PRAGMA integrity_check's answer, "ok" for a sound file.
QString Integrity(TTestBook& book);

// Both lists of lines of a book, and the operations drawn at random and performed on them.
class TWorkload {
public:
    TWorkload(TDbConnection& book, quint32 seed);
    ~TWorkload();

    // Days the work is spread over: eight over a month's turn, so moves cross months.
    const std::vector<int>& Days() const { return m_days; }
    // An operation the book can take now, drawn from what the lists hold and `model`.
    TOp Draw(const TModel& model);
    // Performs it, each operation committed as one unit, and returns the number the book
    // gave the line it added or moved (0 for the others). Unless told not to, the list
    // saved through is then put in order again, as the screens do.
    int Perform(const TOp& op, bool refresh = true);
    void Refresh(int kind);
    // Brings both lists back in line with the book, after a failed save.
    void Reread();
    TLines& List(int kind) { return *m_lists[kind]; }

private:
    int Store(const TOp& op);

    TDbConnection& m_book;
    QRandomGenerator m_random;
    std::vector<int> m_days;
    std::unique_ptr<TLines> m_lists[2];
};
