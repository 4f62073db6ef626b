#pragma once
// The storage sequence of income and expense lines, in one place for every screen that
// writes them: make sure the day exists, number a new line (or a line moved to another
// day) from that day's counter, fill its key columns, post it, and recompute the day and
// month totals from the lines, for the old day and month as well when the line moved.
//
// A screen keeps one TLineStorage for its line dataset and calls BeforePost before the
// post and AfterPost after it, or Save for the whole sequence; after a delete it calls
// AfterDelete, or Delete for the whole of it. Each step runs in a transaction of its own,
// which becomes a savepoint inside a transaction the caller holds, so a screen can wrap a
// whole save in one TTransaction and have every write kept or none. When such a
// transaction rolls back, the dataset follows the book back (see DatasetRollback.h): the
// line is pending again with what it held at the post, ready to be saved again.
//
// The key columns (YYYY, MM, TRANSACTION_DATE and the line number), the item id and the
// taxable flag belong to this sequence: screens never write them themselves.
#include <QDate>
#include <optional>

class TDataSet;

enum class TLineKind { Income, Expense };

// The transaction screens take any date and need the day record made on demand; the
// daily screens work on a day that already has one.
enum class TDayRecord { Exists, Ensure };

// The day of a line: year, month and day number (whole days since 30 December 1899).
struct TLineDay {
    int YYYY = 0;
    int MM = 0;
    int TRANSACTION_DATE = 0;

    static TLineDay FromDayNumber(int day);
    static TLineDay FromDate(const QDate& date);
    bool operator==(const TLineDay&) const = default;
};

class TLineStorage {
public:
    // `lines` is an updatable dataset over DAILY_SALES (Income) or DAILY_EXPENSE (Expense)
    // with the key columns, the item id and TAXABLE among its fields.
    TLineStorage(TLineKind kind, TDataSet& lines);
    ~TLineStorage();
    TLineStorage(const TLineStorage&) = delete;
    TLineStorage& operator=(const TLineStorage&) = delete;

    // While the dataset is inserting or editing a line, before it is posted: checks the
    // item id (1 to 32767) and the day, creates the period and day record when asked to,
    // draws the day's next line number for a new line or for an edited line whose day
    // differs from the one it has as stored, and writes the key columns, the item id and
    // the taxable flag ("Y" or "N") into the pending row. A line that stays on, or comes
    // back to, its stored day keeps its stored number, whatever an earlier refused save
    // wrote into the pending row. A value the line cannot hold stops it before anything
    // is written.
    void BeforePost(const TLineDay& day, int itemId, bool taxable, TDayRecord dayRecord);
    // After the post: the day and then the month of the line, and when it moved, the day
    // and month it came from.
    void AfterPost();
    // After a line of `day` was deleted: that day and its month. Counters are not lowered.
    void AfterDelete(const TLineDay& day);

    // BeforePost, post and AfterPost in one transaction. On failure, at whatever step,
    // nothing is kept in the book and the dataset shows what the book holds, with the line
    // pending again (being added or changed) with the values it had at the post, so the
    // screen can correct it and save again.
    void Save(const TLineDay& day, int itemId, bool taxable, TDayRecord dayRecord);
    // Deletes the current line and recomputes its day and month, in one transaction, and
    // returns the day the line belonged to; on failure the line is back in the book and
    // in the dataset. A line being added is dropped instead, as a dataset's delete does,
    // and nothing is returned.
    std::optional<TLineDay> Delete();

    // The day of the line the dataset stands on, as the row holds it.
    TLineDay RowDay() const;

    // What the last BeforePost decided, until AfterPost has run.
    bool Prepared() const { return m_plan.has_value(); }
    TLineDay Day() const;
    std::optional<TLineDay> MovedFrom() const;
    int LineNumber() const;

private:
    struct TPlan {
        TLineDay day;
        std::optional<TLineDay> movedFrom;
        int lineNumber = 0;
    };
    TLineDay StoredDay() const;

    TLineKind m_kind;
    TDataSet& m_lines;
    std::optional<TPlan> m_plan;
};

// The roll-up of one day: its total and then its month's total, recomputed from the lines.
void RollUpLineDay(TLineKind kind, const TLineDay& day);
