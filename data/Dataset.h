#pragma once
// Client-side datasets: the rows of a query held in memory with a current row, navigation
// with the end-of-data flag, insert/edit/post/cancel/delete written back to the database,
// locate, a client-side filter, calculated and lookup fields, and notifications for the
// controls bound to them through a data source. Fields and their conversions are in
// Field.h, the filter language in DatasetFilter.h.
#include "DatasetFilter.h"
#include "Field.h"

#include <QDate>
#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

class TDataSet;
class TDbConnection;

enum class TDataSetState { Inactive, Browse, Edit, Insert };

enum TLocateOption { loCaseInsensitive = 1, loPartialKey = 2 };

class TDataSet : public QObject {
    Q_OBJECT
public:
    explicit TDataSet(const QString& name, QObject* parent = nullptr);
    ~TDataSet() override;

    QString Name() const { return objectName(); }

    // Fields declared before opening fix the dataset's fields and their order; without
    // declarations every column of the result becomes a field.
    TField& AddField(const QString& name, TFieldType type = TFieldType::Unknown);
    TField& AddCalculatedField(const QString& name, TFieldType type, int size = 0);
    TField& AddLookupField(const QString& name, TFieldType type, TDataSet* lookupDataSet, const QString& keyFields,
                           const QString& lookupKeyFields, const QString& lookupResultField);
    int FieldCount() const { return int(m_fields.size()); }
    TField& Fields(int index) const { return *m_fields.at(index); }
    TField* FindField(const QString& name) const;
    // Raises EDatasetError naming the dataset when the field does not exist.
    TField& FieldByName(const QString& name) const;

    // Fills calculated fields: FieldByName reads and writes the row being calculated.
    std::function<void(TDataSet&)> OnCalcFields;

    // Opening an open dataset does nothing; Close drops a pending insert or edit.
    void Open();
    void Close();
    bool Active() const { return m_state != TDataSetState::Inactive; }
    void SetActive(bool active) { active ? Open() : Close(); }
    // Reads the rows again; the first row becomes current.
    void Requery();
    TDataSetState State() const { return m_state; }
    bool IsInserting() const { return m_state == TDataSetState::Insert; }
    bool IsEditing() const { return m_state == TDataSetState::Edit || m_state == TDataSetState::Insert; }

    // Navigation over the rows the filter lets through. The end-of-data flag is set when
    // there are no rows, by Last, and by a move beyond the last row; it is cleared by
    // opening a non-empty set and by any step that lands on a row other than Last.
    void First();
    void Prior();
    void Next();
    void Last();
    // Moves to a row by index (0-based), as a click in a grid does.
    void MoveTo(int index);
    bool Eof() const { return m_eof; }
    bool Bof() const { return m_bof; }
    bool IsEmpty() const { return m_view.empty(); }
    int RecordCount() const { return int(m_view.size()); }
    int CurrentIndex() const { return m_current; }  // -1 when there is no row

    // Rows as the grid reads them, without moving the current row. The current row reads
    // its pending values while inserting or editing.
    TValue ValueAt(int row, int fieldIndex) const;
    QString DisplayTextAt(int row, int fieldIndex) const;

    // Editing. Insert adds an empty row before the current one; Post writes the pending
    // row to the database (a failure leaves it pending) and Cancel drops it.
    //
    // Inside a transaction of the set's connection the rows follow the book: should that
    // transaction, or the savepoint the step was taken in, roll back, a row posted in it
    // is pending again (added or changed, as the current row) with the values it had at
    // the post, a row deleted in it is back, and a set closed, refreshed or opened in it
    // is as it was before; see DatasetRollback.h.
    void Insert();
    void Edit();
    void Post();
    void Cancel();
    // Deletes the current row from the database and the set.
    void Delete();

    // Moves to the first row whose fields (names joined by ';') equal the values; the
    // position is unchanged when none does. With loPartialKey a text field matches when
    // it begins with the value.
    bool Locate(const QString& keyFields, const std::vector<TValue>& values, int options = 0);

    // Client-side filter: field names, = <> < > <= >=, AND, OR, whole-number and quoted
    // text literals. An empty text lets every row through; a malformed one is an
    // EDatasetError and leaves the filter as it was.
    void SetFilter(const QString& text);
    QString Filter() const { return m_filterText; }
    void SetFiltered(bool filtered);
    bool Filtered() const { return m_filtered; }

    // Called before each post so bound controls can write their pending text into fields.
    int AddUpdateRecordHandler(std::function<void()> handler);
    void RemoveUpdateRecordHandler(int id);

    // Bumped whenever the rows change, so lookups built on this set know to rebuild.
    quint64 Generation() const { return m_generation; }

signals:
    void ActiveChanged();
    void DataSetChanged();        // rows added, removed, reread or filtered
    void RecordChanged(int row);  // values of one row changed
    // The same changes row by row, each announced before and after it happens so a model
    // over the rows can tell its views in step: rows [first, last] added or removed, or
    // every row read again (open, close, refresh, a changed filter).
    void RowsAboutToBeInserted(int first, int last);
    void RowsInserted(int first, int last);
    void RowsAboutToBeRemoved(int first, int last);
    void RowsRemoved(int first, int last);
    void RowsAboutToBeReset();
    void RowsReset();
    // A lookup list's rows changed: lookup fields of any row may show other values.
    void LookupsChanged();
    void Scrolled(int row);  // the current row moved
    void StateChanged();

protected:
    // After a post, the row as it now stands; a dataset that keeps its rows in an order
    // notes it here to put it in its place later.
    virtual void RowPosted(TRecord* /*row*/) { }
    // Moves each of `rows` still in the set to where `before` puts it among the others,
    // which are in that order already, and shows the set again with the same current row.
    void PlaceRows(const std::vector<TRecord*>& rows,
                   const std::function<bool(const TRecord&, const TRecord&)>& before);

    // What a concrete dataset does with its source: describe the result's columns, then
    // read every row, putting result column fieldColumns[i] into slot i of each record.
    struct TColumn {
        QString name;
        TFieldType type;
        int size;
    };
    virtual std::vector<TColumn> DoPrepare() = 0;
    virtual void DoFetch(std::vector<std::unique_ptr<TRecord>>& rows, const std::vector<int>& fieldColumns,
                         int slotCount) = 0;
    virtual void DoClose() { }
    // Writes back; DoInsert may refresh the record with what the database stored.
    virtual void DoInsert(TRecord& record) = 0;
    virtual void DoUpdate(const TRecord& original, const TRecord& changed) = 0;
    virtual void DoDelete(const TRecord& record) = 0;
    // The connection whose transactions the rows follow back on a rollback; none by default.
    virtual TDbConnection* TransactionConnection() const { return nullptr; }

    const TRecord& RecordRef(int row) const;
    int ResultColumnOf(int fieldIndex) const { return m_fieldColumns.at(fieldIndex); }

private:
    friend class TField;
    friend class TDataSetRollback;
    friend class TDataSetFilter;
    // A lookup field's list as key text to result, built when the set opens and again
    // whenever the list's rows change, so reading a value never reads the list.
    struct TLookupCache {
        quint64 generation = ~0ull;
        const TDataSet* source = nullptr;
        QHash<QString, TValue> values;
    };

    TField& NewField(const QString& name, TFieldType type, TFieldKind kind);
    void BindFields(const std::vector<TColumn>& columns);
    void ReplaceDataFields(std::vector<std::unique_ptr<TField>> dataFields);
    void ApplyView();
    // Every row read again, announced around the change.
    void ResetRows(const std::function<void()>& change);
    void OpenLookupLists();
    bool BuildLookups();
    void FollowLookupLists(bool follow);
    void RefreshLookups();
    const TRecord* ActiveRecord() const;
    TRecord* WritableRecord(const TField& field);
    TValue FieldValue(const TRecord& record, int fieldIndex) const;
    void Calculate(const TRecord& record) const;
    TValue LookupValue(const TRecord& record, const TField& field) const;
    void RebuildView();
    bool RowsSortedBy(int field) const;
    void RowsChanged();
    void CheckActive() const;
    void CheckBrowse(const char* what) const;
    void SetState(TDataSetState state);
    void RunUpdateRecordHandlers();

    std::vector<std::unique_ptr<TField>> m_fields;
    QHash<QString, int> m_fieldIndex;  // upper-case name to index
    bool m_declaredFields = false;
    bool m_autoFields = false;        // data fields made from the result's columns
    std::vector<int> m_fieldColumns;  // result column of each data field, -1 for others

    std::vector<std::unique_ptr<TRecord>> m_all;  // every row read, in result order
    std::vector<TRecord*> m_view;                 // the rows the filter lets through
    int m_current = -1;
    bool m_eof = true;
    bool m_bof = true;
    TDataSetState m_state = TDataSetState::Inactive;

    TRecord m_buffer;                   // pending values while inserting or editing
    TRecord* m_insertRecord = nullptr;  // the new row's place in the set until posted
    int m_savedCurrent = -1;
    bool m_savedEof = true, m_savedBof = true;

    QString m_filterText;
    bool m_filtered = false;
    TDataSetFilter m_filter;
    mutable std::vector<int8_t> m_sortedBy;  // per field: -1 not known, 0 no, 1 ascending

    mutable const TRecord* m_calcRecord = nullptr;
    mutable TRecord* m_calcWritable = nullptr;
    std::vector<TLookupCache> m_lookups;
    std::vector<QMetaObject::Connection> m_lookupLinks;  // to the lookup lists while open
    quint64 m_generation = 0;

    int m_nextHandlerId = 1;
    std::vector<std::pair<int, std::function<void()>>> m_updateHandlers;
};

// Binds a dataset to grids and data-aware controls; a screen can point it at another set.
class TDataSource : public QObject {
    Q_OBJECT
public:
    explicit TDataSource(const QString& name, TDataSet* dataSet = nullptr, QObject* parent = nullptr);
    TDataSet* DataSet() const { return m_dataSet; }
    void SetDataSet(TDataSet* dataSet);

signals:
    void DataSetReplaced();
    void ActiveChanged();
    void DataSetChanged();
    void RecordChanged(int row);
    void RowsAboutToBeInserted(int first, int last);
    void RowsInserted(int first, int last);
    void RowsAboutToBeRemoved(int first, int last);
    void RowsRemoved(int first, int last);
    void RowsAboutToBeReset();
    void RowsReset();
    void LookupsChanged();
    void Scrolled(int row);
    void StateChanged();

private:
    TDataSet* m_dataSet = nullptr;
};
