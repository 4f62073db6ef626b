#pragma once
// A book with income and expense lines: items to hang lines on, lines written past the
// storage sequence, the storage sequence driven as the line screens drive it, and the
// roll-up invariants every test of the ledger ends by checking.
#include "Errors.h"
#include "LineStorage.h"
#include "Query.h"
#include "TestBook.h"

#include <QDate>
#include <QString>
#include <QStringList>

int Day(int y, int m, int d);
TLineDay LineDay(int y, int m, int d);

// Three income items and three expenses to hang lines on.
void AddItems(TTestBook& book);

// A line written straight into the book, past the storage sequence.
void InsertRawLine(TTestBook& book, TLineKind kind, int day, int number, int item, qint64 scaled,
                   const QString& taxable = "'Y'");

// The storage side of one kind of line, through the all-lines dataset of its
// transactions screen, as that screen uses it.
struct TLines {
    TLineKind kind;
    TQuery& query;
    TLineStorage storage;
    const char* number;
    const char* amount;

    TLines(TLineKind k, TQuery& q)
        : kind(k),
          query(q),
          storage(k, q),
          number(k == TLineKind::Income ? "DAILY_SALES_ID" : "DAILY_EXPENSE_ID"),
          amount(k == TLineKind::Income ? "SALES_AMOUNT" : "EXPENSE_AMOUNT")
    {
        query.Open();
    }
    ~TLines() { query.Close(); }

    // Saves the pending line as a screen does: through the storage's own Save, or as the
    // browse-and-edit screens save, one transaction around the steps and the list
    // refreshed between the post and the roll-up, rolled back on any failure.
    void Save(bool screen, const TLineDay& day, int item, bool taxable)
    {
        if (!screen) {
            storage.Save(day, item, taxable, TDayRecord::Ensure);
            return;
        }
        TTransaction transaction(query.Connection());
        try {
            storage.BeforePost(day, item, taxable, TDayRecord::Ensure);
            query.Post();
            query.Close();
            query.Open();
            storage.AfterPost();
            transaction.Commit();
        } catch (...) {
            transaction.Rollback();
            throw;
        }
    }
    // Adds a line and returns its number.
    int Add(const TLineDay& day, int item, qint64 scaled, bool taxable = true, TDayRecord record = TDayRecord::Ensure)
    {
        query.Insert();
        query.FieldByName(amount).SetAsMoney(Money::FromScaled(scaled));
        storage.Save(day, item, taxable, record);
        return int(query.FieldByName(number).AsInteger());
    }
    bool Find(const TLineDay& day, int lineNumber)
    {
        return query.Locate(QStringLiteral("YYYY;MM;TRANSACTION_DATE;%1").arg(number),
                            {day.YYYY, day.MM, day.TRANSACTION_DATE, lineNumber});
    }
    // Changes the line's day (and amount when given) and returns its number afterwards.
    int Move(const TLineDay& from, int lineNumber, const TLineDay& to, qint64 scaled = -1)
    {
        if (!Find(from, lineNumber))
            throw EDatasetError("line not found");
        const int item = int(query.FieldByName(kind == TLineKind::Income ? "SALES_ID" : "EXPENSE_ID").AsInteger());
        const bool taxable = query.FieldByName("TAXABLE").AsString() != "N";
        query.Edit();
        if (scaled >= 0)
            query.FieldByName(amount).SetAsMoney(Money::FromScaled(scaled));
        storage.Save(to, item, taxable, TDayRecord::Ensure);
        return int(query.FieldByName(number).AsInteger());
    }
    void Remove(const TLineDay& day, int lineNumber)
    {
        if (!Find(day, lineNumber))
            throw EDatasetError("line not found");
        storage.Delete();
    }
};

QString Table(TLineKind kind);
const char* ItemColumn(TLineKind kind);

// Every roll-up invariant of the book at once; an empty text when all hold.
QString BrokenInvariants(TTestBook& book);

qint64 Counter(TTestBook& book, TLineKind kind, int day);
int HighestLine(TTestBook& book, TLineKind kind, int day);

// Whatever the storage wrote, as one text, to prove a failure wrote nothing.
QString BookState(TTestBook& book);

// The rows of a line list as stored, each as BookRows gives it: a line being added is not
// stored yet, and a line being changed counts as it stands in the book.
QStringList StoredRows(TLines& lines);

// Every line of a kind in the book, each as one text, in a fixed order.
QStringList BookRows(TTestBook& book, TLineKind kind);

// The whole book as one text: totals, counters and every line.
QString BookText(TTestBook& book);

// The number the day's next line gets: above its counter and above every line it holds.
int NextNumberOf(TTestBook& book, TLineKind kind, const TLineDay& day);

// Line numbers: none repeats within a day. (The next number is drawn above both the day's
// counter and every line it holds, so a day made again with its lines still numbers on
// after them.) Empty when it holds.
QString BrokenNumbering(TTestBook& book);
