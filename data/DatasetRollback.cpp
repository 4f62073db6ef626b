#include "DatasetRollback.h"

#include "Dataset.h"
#include "DbConnection.h"

#include <QPointer>
#include <algorithm>

// What each step needs to put the rows back. The set may be gone by the time a
// transaction rolls back; a step then has nothing to do.
struct TDataSetRollback::TPosted {
    TRecord* row = nullptr;  // owned by the set
    TDataSetState state = TDataSetState::Insert;
    TRecord stored;  // a changed row's values before the post
    TRecord posted;  // the pending values at the post
    int savedCurrent = -1;
    bool savedEof = true, savedBof = true;
};

struct TDataSetRollback::TDeleted {
    std::unique_ptr<TRecord> row;
    size_t place = 0;  // among all rows
    int viewIndex = 0;
};

// The rows and cursor of a closed list, under the dataset's own member names, so that one
// move serves both ways.
struct TDataSetRollback::TClosed {
    std::vector<std::unique_ptr<TRecord>> m_all;
    std::vector<TRecord*> m_view;
    int m_current = -1;
    bool m_eof = true, m_bof = true;
    TDataSetState m_state = TDataSetState::Browse;
    TRecord m_buffer;
    TRecord* m_insertRecord = nullptr;
    int m_savedCurrent = -1;
    bool m_savedEof = true, m_savedBof = true;
};

// Hands the rows and cursor over rather than copying: closing a large list costs no more.
template <typename To, typename From> void TDataSetRollback::MoveRows(To& to, From& from)
{
    to.m_all = std::move(from.m_all);
    to.m_view = std::move(from.m_view);
    from.m_all.clear();
    from.m_view.clear();
    to.m_current = from.m_current;
    to.m_eof = from.m_eof;
    to.m_bof = from.m_bof;
    to.m_state = from.m_state;
    to.m_buffer = std::move(from.m_buffer);
    to.m_insertRecord = from.m_insertRecord;
    to.m_savedCurrent = from.m_savedCurrent;
    to.m_savedEof = from.m_savedEof;
    to.m_savedBof = from.m_savedBof;
}

namespace {

template <typename T> class TStep : public TRollbackStep {
public:
    TStep(TDataSet& ds, T data) : m_dataSet(&ds), m_data(std::move(data)) { }
    void Undo() override
    {
        if (m_dataSet)
            TDataSetRollback::Undo(*m_dataSet, m_data);
    }

private:
    QPointer<TDataSet> m_dataSet;
    T m_data;
};

class TOpenStep : public TRollbackStep {
public:
    explicit TOpenStep(TDataSet& ds) : m_dataSet(&ds) { }
    void Undo() override
    {
        if (m_dataSet)
            TDataSetRollback::UndoOpen(*m_dataSet);
    }

private:
    QPointer<TDataSet> m_dataSet;
};

}  // namespace

TDbConnection* TDataSetRollback::Journal(const TDataSet& ds)
{
    TDbConnection* connection = ds.TransactionConnection();
    return connection && connection->InTransaction() && !connection->RollingBack() ? connection : nullptr;
}

void TDataSetRollback::Posting(TDataSet& ds)
{
    TDbConnection* journal = Journal(ds);
    if (!journal)
        return;
    TPosted step;
    step.state = ds.m_state;
    step.posted = ds.m_buffer;
    if (ds.m_state == TDataSetState::Insert) {
        step.row = ds.m_insertRecord;
        step.savedCurrent = ds.m_savedCurrent;
        step.savedEof = ds.m_savedEof;
        step.savedBof = ds.m_savedBof;
    } else {
        step.row = ds.m_view[size_t(ds.m_current)];
        step.stored = *step.row;
    }
    journal->OnRollback(std::make_unique<TStep<TPosted>>(ds, std::move(step)));
}

void TDataSetRollback::Deleting(TDataSet& ds, std::unique_ptr<TRecord>& row, size_t place)
{
    TDbConnection* journal = Journal(ds);
    if (!journal)
        return;
    // The row is kept, not freed, so it can stand again where it stood.
    journal->OnRollback(std::make_unique<TStep<TDeleted>>(ds, TDeleted {std::move(row), place, ds.m_current}));
}

void TDataSetRollback::Closing(TDataSet& ds)
{
    TDbConnection* journal = Journal(ds);
    if (!journal)
        return;
    TClosed step;
    MoveRows(step, ds);
    journal->OnRollback(std::make_unique<TStep<TClosed>>(ds, std::move(step)));
}

void TDataSetRollback::Opened(TDataSet& ds)
{
    if (TDbConnection* journal = Journal(ds))
        journal->OnRollback(std::make_unique<TOpenStep>(ds));
}

void TDataSetRollback::Undo(TDataSet& ds, TPosted& step)
{
    if (!ds.Active())
        return;
    ds.Cancel();  // a row begun after the post was never stored
    const auto place =
        std::find_if(ds.m_all.begin(), ds.m_all.end(), [&](const auto& r) { return r.get() == step.row; });
    if (place == ds.m_all.end())
        return;
    const auto shown = std::find(ds.m_view.begin(), ds.m_view.end(), step.row);
    TRecord& row = *step.row;
    if (step.state == TDataSetState::Insert) {
        if (shown == ds.m_view.end()) {
            // Hidden by a filter set since: the book does not hold it, so neither does the set.
            ds.m_all.erase(place);
            ds.RowsChanged();
            emit ds.DataSetChanged();
            return;
        }
        row.values.assign(ds.m_fields.size(), TValue());
        ds.m_insertRecord = step.row;
        ds.m_savedCurrent = step.savedCurrent;
        ds.m_savedEof = step.savedEof;
        ds.m_savedBof = step.savedBof;
    } else {
        row = std::move(step.stored);
    }
    row.calculated = false;
    ds.RowsChanged();
    if (shown == ds.m_view.end()) {
        emit ds.DataSetChanged();
        return;
    }
    ds.m_current = int(shown - ds.m_view.begin());
    ds.m_eof = false;
    ds.m_bof = step.state == TDataSetState::Edit && ds.m_current == 0;
    ds.m_buffer = std::move(step.posted);
    ds.m_buffer.calculated = false;
    ds.m_state = step.state;
    emit ds.RecordChanged(ds.m_current);  // the row stands where it stood, pending again
    emit ds.DataSetChanged();
    emit ds.StateChanged();
    emit ds.Scrolled(ds.m_current);
}

void TDataSetRollback::Undo(TDataSet& ds, TDeleted& step)
{
    if (!ds.Active())
        return;
    ds.Cancel();
    TRecord* row = step.row.get();
    const int at = std::clamp(step.viewIndex, 0, int(ds.m_view.size()));
    emit ds.RowsAboutToBeInserted(at, at);
    ds.m_all.insert(ds.m_all.begin() + std::ptrdiff_t(std::min(step.place, ds.m_all.size())), std::move(step.row));
    ds.m_view.insert(ds.m_view.begin() + at, row);
    ds.m_current = at;
    ds.m_eof = false;
    ds.m_bof = at == 0;
    ds.RowsChanged();
    emit ds.RowsInserted(at, at);
    emit ds.DataSetChanged();
    emit ds.Scrolled(ds.m_current);
}

void TDataSetRollback::Undo(TDataSet& ds, TClosed& step)
{
    ds.Close();  // whatever was read since
    ds.ResetRows([&] {
        MoveRows(ds, step);
        ds.RowsChanged();
        ds.BuildLookups();
    });
    ds.FollowLookupLists(true);
    emit ds.ActiveChanged();
    emit ds.StateChanged();
    emit ds.DataSetChanged();
    emit ds.Scrolled(ds.m_current);
}

void TDataSetRollback::UndoOpen(TDataSet& ds)
{
    ds.Close();
}
