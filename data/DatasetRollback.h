#pragma once
// The rows of a dataset follow the book back when a transaction rolls back. Each step that
// changes them inside a transaction of the set's connection (a post, a delete, a close, an
// open) leaves a rollback step there, which puts the rows back as they were before it:
//
//   post of a new row     the row is being added again, with the values it had at the post
//   post of a change      the row shows what is stored and is being changed again, with
//                         the values it had at the post
//   delete                the row is back where it stood
//   close (or refresh)    the rows, the current row and any pending row from before it
//   open                  the set is closed again
//
// Steps are undone newest first, so a save that posted a row, refreshed the list and then
// failed leaves the list as it was and the row pending, ready to be corrected and saved
// again. A row begun after the post and never stored is dropped on the way.
#include <cstddef>
#include <memory>

class TDataSet;
class TDbConnection;
struct TRecord;

class TDataSetRollback {
public:
    // Called by the set's own steps once the book has accepted them, before its rows
    // change; each leaves a step only inside a transaction.
    static void Posting(TDataSet& ds);
    static void Deleting(TDataSet& ds, std::unique_ptr<TRecord>& row, size_t place);
    static void Closing(TDataSet& ds);
    static void Opened(TDataSet& ds);

    struct TPosted;
    struct TDeleted;
    struct TClosed;
    static void Undo(TDataSet& ds, TPosted& step);
    static void Undo(TDataSet& ds, TDeleted& step);
    static void Undo(TDataSet& ds, TClosed& step);
    static void UndoOpen(TDataSet& ds);

private:
    static TDbConnection* Journal(const TDataSet& ds);
    template <typename To, typename From> static void MoveRows(To& to, From& from);
};
