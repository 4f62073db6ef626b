#include "Dataset.h"

#include "DatasetRollback.h"
#include "Errors.h"

#include <algorithm>

using FieldText::IsTextType;
using FieldText::KeyText;

namespace {

// The place of a row of the view among all rows: the same index while the filter leaves
// every row in, which spares a search through a large set on each add and delete.
std::vector<std::unique_ptr<TRecord>>::iterator PlaceAmongAll(std::vector<std::unique_ptr<TRecord>>& all,
                                                              const std::vector<TRecord*>& view, int index)
{
    const TRecord* row = view[size_t(index)];
    if (view.size() == all.size() && all[size_t(index)].get() == row)
        return all.begin() + index;
    return std::find_if(all.begin(), all.end(), [row](const auto& p) { return p.get() == row; });
}

}  // namespace

// ---------------------------------------------------------------- TDataSet

TDataSet::TDataSet(const QString& name, QObject* parent) : QObject(parent)
{
    setObjectName(name);
}

TDataSet::~TDataSet() = default;

TField& TDataSet::NewField(const QString& name, TFieldType type, TFieldKind kind)
{
    if (Active())
        throw EDatasetError(QStringLiteral("%1: fields cannot be added while it is open").arg(Name()));
    if (FindField(name))
        throw EDatasetError(QStringLiteral("%1: there is already a field %2").arg(Name(), name));
    auto field = std::make_unique<TField>(this, name, type, kind);
    field->m_index = int(m_fields.size());
    m_fieldIndex.insert(name.toUpper(), field->m_index);
    m_fields.push_back(std::move(field));
    return *m_fields.back();
}

TField& TDataSet::AddField(const QString& name, TFieldType type)
{
    if (m_autoFields) {
        // Declared fields replace the ones made from an earlier result.
        ReplaceDataFields({});
        m_autoFields = false;
    }
    m_declaredFields = true;
    return NewField(name, type, TFieldKind::Data);
}

TField& TDataSet::AddCalculatedField(const QString& name, TFieldType type, int size)
{
    TField& f = NewField(name, type, TFieldKind::Calculated);
    f.Size = size;
    return f;
}

TField& TDataSet::AddLookupField(const QString& name, TFieldType type, TDataSet* lookupDataSet,
                                 const QString& keyFields, const QString& lookupKeyFields,
                                 const QString& lookupResultField)
{
    TField& f = NewField(name, type, TFieldKind::Lookup);
    f.LookupDataSet = lookupDataSet;
    f.KeyFields = keyFields;
    f.LookupKeyFields = lookupKeyFields;
    f.LookupResultField = lookupResultField;
    return f;
}

TField* TDataSet::FindField(const QString& name) const
{
    const auto it = m_fieldIndex.constFind(name.trimmed().toUpper());
    return it == m_fieldIndex.constEnd() ? nullptr : m_fields[*it].get();
}

TField& TDataSet::FieldByName(const QString& name) const
{
    TField* f = FindField(name);
    if (!f)
        throw EDatasetError(QStringLiteral("%1: Field '%2' not found").arg(Name(), name));
    return *f;
}

void TDataSet::ReplaceDataFields(std::vector<std::unique_ptr<TField>> dataFields)
{
    // Data fields first, then the calculated and lookup fields in their declared order.
    for (auto& f : m_fields)
        if (f->FieldKind != TFieldKind::Data)
            dataFields.push_back(std::move(f));
    m_fields = std::move(dataFields);
    m_fieldIndex.clear();
    for (size_t i = 0; i < m_fields.size(); ++i) {
        m_fields[i]->m_index = int(i);
        m_fieldIndex.insert(m_fields[i]->FieldName.toUpper(), int(i));
    }
}

void TDataSet::BindFields(const std::vector<TColumn>& columns)
{
    // The first result column of a name, any case. Results are narrow, and a search
    // costs less than building an index on every open.
    auto columnOf = [&columns](const QString& name) {
        for (size_t j = 0; j < columns.size(); ++j)
            if (columns[j].name.compare(name, Qt::CaseInsensitive) == 0)
                return int(j);
        return -1;
    };

    if (!m_declaredFields) {
        // Fields made from the result, in its order, ahead of any calculated ones; kept
        // as they are when a reopen returns the same columns.
        bool same = m_autoFields;
        int dataCount = 0;
        for (auto& f : m_fields)
            if (f->FieldKind == TFieldKind::Data)
                ++dataCount;
        same = same && dataCount == int(columns.size());
        for (size_t j = 0; same && j < columns.size(); ++j)
            same = m_fields[j]->FieldName.compare(columns[j].name, Qt::CaseInsensitive) == 0;
        if (!same) {
            std::vector<std::unique_ptr<TField>> fields;
            for (const TColumn& c : columns) {
                auto f = std::make_unique<TField>(this, c.name, c.type, TFieldKind::Data);
                f->Size = c.size;
                fields.push_back(std::move(f));
            }
            ReplaceDataFields(std::move(fields));
            m_autoFields = true;
        }
    }

    m_fieldColumns.assign(m_fields.size(), -1);
    for (auto& f : m_fields) {
        if (f->FieldKind != TFieldKind::Data)
            continue;
        const int column = columnOf(f->FieldName);
        if (column < 0)
            throw EDatasetError(QStringLiteral("%1: Field '%2' not found in the result").arg(Name(), f->FieldName));
        m_fieldColumns[f->m_index] = column;
        const TColumn& c = columns[column];
        if (f->DataType == TFieldType::Unknown)
            f->DataType = c.type;
        if (f->Size == 0)
            f->Size = c.size;
    }
    m_lookups.assign(m_fields.size(), TLookupCache());
}

void TDataSet::Open()
{
    if (Active())
        return;
    OpenLookupLists();
    std::vector<std::unique_ptr<TRecord>> rows;
    const std::vector<TColumn> columns = DoPrepare();
    BindFields(columns);
    DoFetch(rows, m_fieldColumns, int(m_fields.size()));
    if (!m_filterText.isEmpty() && m_filter.Empty())
        SetFilter(m_filterText);  // a filter set before the fields were known
    ResetRows([&] {
        m_all = std::move(rows);
        RowsChanged();
        BuildLookups();
        RebuildView();
        m_current = m_view.empty() ? -1 : 0;
        m_eof = m_view.empty();
        m_bof = true;
        m_state = TDataSetState::Browse;
    });
    FollowLookupLists(true);
    TDataSetRollback::Opened(*this);
    emit ActiveChanged();
    emit StateChanged();
    emit DataSetChanged();
    emit Scrolled(m_current);
}

void TDataSet::Close()
{
    if (!Active())
        return;
    FollowLookupLists(false);
    ResetRows([&] {
        TDataSetRollback::Closing(*this);
        m_insertRecord = nullptr;
        m_buffer = TRecord();
        DoClose();
        m_view.clear();
        m_all.clear();
        m_current = -1;
        m_eof = m_bof = true;
        RowsChanged();
        m_state = TDataSetState::Inactive;
    });
    emit ActiveChanged();
    emit StateChanged();
    emit DataSetChanged();
}

void TDataSet::ResetRows(const std::function<void()>& change)
{
    emit RowsAboutToBeReset();
    try {
        change();
    } catch (...) {
        emit RowsReset();
        throw;
    }
    emit RowsReset();
}

void TDataSet::Requery()
{
    Close();
    Open();
}

void TDataSet::CheckActive() const
{
    if (!Active())
        throw EDatasetError(QStringLiteral("The list is closed; open the screen again to work with it."));
}

void TDataSet::CheckBrowse(const char* what) const
{
    CheckActive();
    if (IsEditing())
        throw EDatasetError(
            QStringLiteral("Save or cancel the changes to this record before %1.").arg(QString::fromLatin1(what)));
}

void TDataSet::SetState(TDataSetState state)
{
    if (m_state == state)
        return;
    m_state = state;
    emit StateChanged();
}

void TDataSet::First()
{
    CheckBrowse("moving");
    m_bof = true;
    m_eof = m_view.empty();
    m_current = m_view.empty() ? -1 : 0;
    emit Scrolled(m_current);
}

void TDataSet::Last()
{
    CheckBrowse("moving");
    m_eof = true;
    m_bof = m_view.size() <= 1;
    m_current = int(m_view.size()) - 1;
    emit Scrolled(m_current);
}

void TDataSet::Next()
{
    CheckBrowse("moving");
    if (m_view.empty()) {
        m_eof = m_bof = true;
    } else if (m_current < int(m_view.size()) - 1) {
        ++m_current;
        m_eof = m_bof = false;
    } else {
        m_eof = true;  // a move beyond the last row
    }
    emit Scrolled(m_current);
}

void TDataSet::Prior()
{
    CheckBrowse("moving");
    if (m_view.empty()) {
        m_eof = m_bof = true;
    } else {
        if (m_current > 0) {
            --m_current;
            m_bof = false;
        } else {
            m_bof = true;
        }
        m_eof = false;
    }
    emit Scrolled(m_current);
}

void TDataSet::MoveTo(int index)
{
    CheckBrowse("moving");
    if (index < 0 || index >= int(m_view.size()))
        throw EDatasetError(QStringLiteral("%1: there is no row %2").arg(Name()).arg(index + 1));
    m_current = index;
    m_eof = false;
    m_bof = index == 0;
    emit Scrolled(m_current);
}

const TRecord& TDataSet::RecordRef(int row) const
{
    if (row == m_current && IsEditing())
        return m_buffer;
    return *m_view.at(row);
}

const TRecord* TDataSet::ActiveRecord() const
{
    if (m_calcRecord)
        return m_calcRecord;
    if (IsEditing())
        return &m_buffer;
    if (m_current >= 0 && m_current < int(m_view.size()))
        return m_view[m_current];
    return nullptr;
}

TRecord* TDataSet::WritableRecord(const TField& field)
{
    if (m_calcWritable) {
        if (field.FieldKind != TFieldKind::Calculated)
            throw EDatasetError(QStringLiteral("%1: only calculated fields can be set while calculating").arg(Name()));
        return m_calcWritable;
    }
    if (field.FieldKind == TFieldKind::Calculated)
        throw EDatasetError(QStringLiteral("%1: %2 is calculated and cannot be changed").arg(Name(), field.FieldName));
    if (!IsEditing())
        throw EDatasetError(QStringLiteral("No record is being added or changed: press Add or Edit first."));
    return &m_buffer;
}

TValue TDataSet::ValueAt(int row, int fieldIndex) const
{
    return FieldValue(RecordRef(row), fieldIndex);
}

QString TDataSet::DisplayTextAt(int row, int fieldIndex) const
{
    return m_fields.at(fieldIndex)->DisplayTextOf(ValueAt(row, fieldIndex));
}

TValue TDataSet::FieldValue(const TRecord& record, int fieldIndex) const
{
    const TField& f = *m_fields[fieldIndex];
    switch (f.FieldKind) {
    case TFieldKind::Calculated: Calculate(record); return record.values[fieldIndex];
    case TFieldKind::Lookup: return LookupValue(record, f);
    default: return record.values[fieldIndex];
    }
}

void TDataSet::Calculate(const TRecord& record) const
{
    if (record.calculated)
        return;
    auto& writable = const_cast<TRecord&>(record);
    writable.calculated = true;  // a handler that reads its own fields must not recurse
    for (const auto& f : m_fields)
        if (f->FieldKind == TFieldKind::Calculated)
            writable.values[f->m_index] = TValue();
    if (!OnCalcFields)
        return;
    const TRecord* savedRecord = m_calcRecord;
    TRecord* savedWritable = m_calcWritable;
    m_calcRecord = &record;
    m_calcWritable = &writable;
    try {
        OnCalcFields(const_cast<TDataSet&>(*this));
    } catch (...) {
        m_calcRecord = savedRecord;
        m_calcWritable = savedWritable;
        writable.calculated = false;
        throw;
    }
    m_calcRecord = savedRecord;
    m_calcWritable = savedWritable;
}

void TDataSet::OpenLookupLists()
{
    // A list opens with the set that looks values up in it, never while a value is read.
    for (const auto& f : m_fields)
        if (f->FieldKind == TFieldKind::Lookup && f->LookupDataSet && f->LookupDataSet != this)
            f->LookupDataSet->Open();
}

bool TDataSet::BuildLookups()
{
    bool rebuilt = false;
    for (const auto& f : m_fields) {
        TDataSet* source = f->LookupDataSet;
        if (f->FieldKind != TFieldKind::Lookup || !source || !source->Active())
            continue;  // a closed list keeps what it last showed until it opens again
        TLookupCache& cache = m_lookups[size_t(f->m_index)];
        if (cache.source == source && cache.generation == source->Generation())
            continue;
        const TField& key = source->FieldByName(f->LookupKeyFields);
        const TField& result = source->FieldByName(f->LookupResultField);
        cache.values.clear();
        for (int r = 0; r < source->RecordCount(); ++r) {
            const QString k = KeyText(source->ValueAt(r, key.Index()));
            if (!cache.values.contains(k))
                cache.values.insert(k, source->ValueAt(r, result.Index()));
        }
        cache.source = source;
        cache.generation = source->Generation();
        rebuilt = true;
    }
    return rebuilt;
}

void TDataSet::FollowLookupLists(bool follow)
{
    for (const auto& link : m_lookupLinks)
        disconnect(link);
    m_lookupLinks.clear();
    if (!follow)
        return;
    // A list's rows change by a post, a delete or a refresh; its lookups follow.
    for (const auto& f : m_fields) {
        TDataSet* list = f->LookupDataSet;
        if (f->FieldKind != TFieldKind::Lookup || !list || list == this)
            continue;
        m_lookupLinks.push_back(connect(list, &TDataSet::ActiveChanged, this, &TDataSet::RefreshLookups));
        m_lookupLinks.push_back(connect(list, &TDataSet::DataSetChanged, this, &TDataSet::RefreshLookups));
        m_lookupLinks.push_back(connect(list, &TDataSet::RecordChanged, this, &TDataSet::RefreshLookups));
    }
}

void TDataSet::RefreshLookups()
{
    if (Active() && BuildLookups())
        emit LookupsChanged();
}

TValue TDataSet::LookupValue(const TRecord& record, const TField& field) const
{
    const TLookupCache& cache = m_lookups[size_t(field.m_index)];
    if (!cache.source || cache.source != field.LookupDataSet)
        return TValue();
    const TValue keyValue = FieldValue(record, FieldByName(field.KeyFields).Index());
    if (keyValue.IsNull())
        return TValue();
    return cache.values.value(KeyText(keyValue));
}

// ---------------------------------------------------------------- editing

void TDataSet::Insert()
{
    CheckBrowse("adding a row");
    m_savedCurrent = m_current;
    m_savedEof = m_eof;
    m_savedBof = m_bof;
    const int pos = m_current < 0 ? 0 : m_current;
    auto record = std::make_unique<TRecord>();
    record->values.resize(m_fields.size());
    TRecord* raw = record.get();
    // The new row stands before the current one, in the view and among all rows.
    auto at = m_view.empty() ? m_all.end() : PlaceAmongAll(m_all, m_view, pos);
    emit RowsAboutToBeInserted(pos, pos);
    m_all.insert(at, std::move(record));
    m_view.insert(m_view.begin() + pos, raw);
    m_insertRecord = raw;
    RowsChanged();
    m_buffer = *raw;
    m_current = pos;
    m_eof = m_bof = false;
    m_state = TDataSetState::Insert;
    emit RowsInserted(pos, pos);
    emit DataSetChanged();
    emit StateChanged();
    emit Scrolled(m_current);
}

void TDataSet::Edit()
{
    CheckActive();
    if (IsEditing())
        return;
    if (m_current < 0)
        throw EDatasetError(QStringLiteral("There is no record to edit. Choose one in the list first."));
    m_buffer = *m_view[m_current];
    SetState(TDataSetState::Edit);
}

void TDataSet::RunUpdateRecordHandlers()
{
    const auto handlers = m_updateHandlers;  // a handler may unbind itself
    for (const auto& h : handlers)
        h.second();
}

void TDataSet::Post()
{
    if (!Active() || !IsEditing())
        return;
    RunUpdateRecordHandlers();
    TRecord* posted = nullptr;
    if (m_state == TDataSetState::Insert) {
        TRecord written = m_buffer;
        DoInsert(written);
        written.calculated = false;
        TDataSetRollback::Posting(*this);
        *m_insertRecord = std::move(written);
        posted = std::exchange(m_insertRecord, nullptr);
    } else {
        TRecord& original = *m_view[m_current];
        posted = &original;
        DoUpdate(original, m_buffer);
        TDataSetRollback::Posting(*this);
        original = m_buffer;
        original.calculated = false;
    }
    m_buffer = TRecord();
    m_eof = false;
    RowsChanged();
    SetState(TDataSetState::Browse);
    RowPosted(posted);
    emit RecordChanged(m_current);
}

void TDataSet::Cancel()
{
    if (!Active() || !IsEditing())
        return;
    if (m_state == TDataSetState::Insert) {
        const auto shown = std::find(m_view.begin(), m_view.end(), m_insertRecord);
        const int row = int(shown - m_view.begin());
        emit RowsAboutToBeRemoved(row, row);
        m_view.erase(shown);
        m_all.erase(std::find_if(m_all.begin(), m_all.end(), [&](const auto& p) { return p.get() == m_insertRecord; }));
        m_insertRecord = nullptr;
        RowsChanged();
        m_current = m_savedCurrent;
        m_eof = m_savedEof;
        m_bof = m_savedBof;
        m_buffer = TRecord();
        m_state = TDataSetState::Browse;
        emit RowsRemoved(row, row);
        emit StateChanged();
        emit DataSetChanged();
        emit Scrolled(m_current);
        return;
    }
    m_buffer = TRecord();
    SetState(TDataSetState::Browse);
    emit RecordChanged(m_current);
}

void TDataSet::Delete()
{
    CheckActive();
    if (m_state == TDataSetState::Insert) {
        Cancel();
        return;
    }
    Cancel();
    if (m_current < 0)
        throw EDatasetError(QStringLiteral("There is no record to delete."));
    TRecord* victim = m_view[m_current];
    DoDelete(*victim);
    const int row = m_current;
    const auto place = PlaceAmongAll(m_all, m_view, row);
    emit RowsAboutToBeRemoved(row, row);
    TDataSetRollback::Deleting(*this, *place, size_t(place - m_all.begin()));
    m_all.erase(place);
    m_view.erase(m_view.begin() + row);
    if (m_view.empty()) {
        m_current = -1;
        m_eof = m_bof = true;
    } else {
        m_current = std::min(m_current, int(m_view.size()) - 1);
        m_eof = false;
        m_bof = m_current == 0;
    }
    RowsChanged();
    emit RowsRemoved(row, row);
    emit DataSetChanged();
    emit Scrolled(m_current);
}

int TDataSet::AddUpdateRecordHandler(std::function<void()> handler)
{
    const int id = m_nextHandlerId++;
    m_updateHandlers.emplace_back(id, std::move(handler));
    return id;
}

void TDataSet::RemoveUpdateRecordHandler(int id)
{
    std::erase_if(m_updateHandlers, [id](const auto& h) { return h.first == id; });
}

// ---------------------------------------------------------------- locate and filter

bool TDataSet::Locate(const QString& keyFields, const std::vector<TValue>& values, int options)
{
    CheckBrowse("locating a row");
    const QStringList names = keyFields.split(';', Qt::SkipEmptyParts);
    if (names.size() != int(values.size()))
        throw EDatasetError(
            QStringLiteral("%1: %2 fields to locate but %3 values").arg(Name()).arg(names.size()).arg(values.size()));
    std::vector<const TField*> fields;
    for (const QString& n : names)
        fields.push_back(&FieldByName(n));
    const Qt::CaseSensitivity cs = (options & loCaseInsensitive) ? Qt::CaseInsensitive : Qt::CaseSensitive;

    auto matches = [&](const TField& f, const TValue& have, const TValue& want) {
        if (want.IsNull() || have.IsNull())
            return want.IsNull() && have.IsNull();
        if (IsTextType(f.DataType) || have.IsText()) {
            const QString h = f.ToString(have);
            const QString w = want.IsText() ? want.Text() : KeyText(want);
            return (options & loPartialKey) ? h.startsWith(w, cs) : h.compare(w, cs) == 0;
        }
        if (want.IsText())
            return f.Convert(want.Text()) == have;
        if (have.IsInteger() && want.IsInteger())
            return have.Integer() == want.Integer();
        return f.ToFloat(have) == f.ToFloat(want);
    };

    for (int r = 0; r < int(m_view.size()); ++r) {
        bool all = true;
        for (size_t k = 0; all && k < fields.size(); ++k)
            all = matches(*fields[k], FieldValue(*m_view[r], fields[k]->Index()), values[k]);
        if (all) {
            m_current = r;
            m_eof = false;
            m_bof = r == 0;
            emit Scrolled(m_current);
            return true;
        }
    }
    return false;
}

void TDataSet::SetFilter(const QString& text)
{
    if (IsEditing())
        throw EDatasetError(QStringLiteral("Save or cancel the changes to this record first."));
    // Parsed once the fields are known; until then the text waits for the open.
    TDataSetFilter filter = m_fields.empty() ? TDataSetFilter() : TDataSetFilter::Parse(text, *this);
    m_filterText = text;
    m_filter = std::move(filter);
    if (Active() && m_filtered)
        ApplyView();
}

void TDataSet::SetFiltered(bool filtered)
{
    if (m_filtered == filtered)
        return;
    if (IsEditing())
        throw EDatasetError(QStringLiteral("Save or cancel the changes to this record first."));
    m_filtered = filtered;
    if (Active())
        ApplyView();
}

void TDataSet::ApplyView()
{
    // A changed filter starts again from the first row it lets through.
    ResetRows([&] {
        RebuildView();
        m_current = m_view.empty() ? -1 : 0;
        m_eof = m_view.empty();
        m_bof = true;
    });
    emit DataSetChanged();
    emit Scrolled(m_current);
}

void TDataSet::PlaceRows(const std::vector<TRecord*>& rows,
                         const std::function<bool(const TRecord&, const TRecord&)>& before)
{
    const TRecord* current = m_current >= 0 && m_current < int(m_view.size()) ? m_view[size_t(m_current)] : nullptr;
    ResetRows([&] {
        // Out first, so the rows that stay are in order when each is put back.
        std::vector<std::unique_ptr<TRecord>> moving;
        for (TRecord* row : rows) {
            const auto at = std::find_if(m_all.begin(), m_all.end(), [&](const auto& r) { return r.get() == row; });
            if (at == m_all.end())
                continue;
            moving.push_back(std::move(*at));
            m_all.erase(at);
        }
        for (auto& row : moving) {
            const auto place = std::lower_bound(m_all.begin(), m_all.end(), row,
                                                [&](const auto& a, const auto& b) { return before(*a, *b); });
            m_all.insert(place, std::move(row));
        }
        RowsChanged();
        RebuildView();
        const auto shown = std::find(m_view.begin(), m_view.end(), current);
        m_current = shown != m_view.end() ? int(shown - m_view.begin()) : (m_view.empty() ? -1 : 0);
        m_eof = m_view.empty();
        m_bof = m_current <= 0;
    });
    emit DataSetChanged();
    emit Scrolled(m_current);
}

void TDataSet::RowsChanged()
{
    ++m_generation;
    m_sortedBy.clear();
}

bool TDataSet::RowsSortedBy(int field) const
{
    // Known once per reading of the rows; any change to them forgets it.
    if (m_sortedBy.size() != m_fields.size())
        m_sortedBy.assign(m_fields.size(), -1);
    int8_t& known = m_sortedBy[size_t(field)];
    if (known < 0) {
        known = 1;
        for (size_t i = 0; i < m_all.size() && known; ++i) {
            const TValue& v = m_all[i]->values[size_t(field)];
            if (!v.IsInteger() || (i > 0 && m_all[i - 1]->values[size_t(field)].Integer() > v.Integer()))
                known = 0;
        }
    }
    return known == 1;
}

void TDataSet::RebuildView()
{
    m_view.clear();
    m_view.reserve(m_all.size());
    size_t from = 0, to = m_all.size();
    const bool filtering = m_filtered && !m_filter.Empty();
    if (filtering)
        m_filter.NarrowRange(*this, from, to);
    for (size_t i = from; i < to; ++i)
        if (!filtering || m_filter.Matches(*this, *m_all[i]))
            m_view.push_back(m_all[i].get());
}

// ---------------------------------------------------------------- TDataSource

TDataSource::TDataSource(const QString& name, TDataSet* dataSet, QObject* parent) : QObject(parent)
{
    setObjectName(name);
    SetDataSet(dataSet);
}

void TDataSource::SetDataSet(TDataSet* dataSet)
{
    if (m_dataSet == dataSet)
        return;
    if (m_dataSet)
        disconnect(m_dataSet, nullptr, this, nullptr);
    m_dataSet = dataSet;
    if (m_dataSet) {
        connect(m_dataSet, &TDataSet::ActiveChanged, this, &TDataSource::ActiveChanged);
        connect(m_dataSet, &TDataSet::DataSetChanged, this, &TDataSource::DataSetChanged);
        connect(m_dataSet, &TDataSet::RecordChanged, this, &TDataSource::RecordChanged);
        connect(m_dataSet, &TDataSet::RowsAboutToBeInserted, this, &TDataSource::RowsAboutToBeInserted);
        connect(m_dataSet, &TDataSet::RowsInserted, this, &TDataSource::RowsInserted);
        connect(m_dataSet, &TDataSet::RowsAboutToBeRemoved, this, &TDataSource::RowsAboutToBeRemoved);
        connect(m_dataSet, &TDataSet::RowsRemoved, this, &TDataSource::RowsRemoved);
        connect(m_dataSet, &TDataSet::RowsAboutToBeReset, this, &TDataSource::RowsAboutToBeReset);
        connect(m_dataSet, &TDataSet::RowsReset, this, &TDataSource::RowsReset);
        connect(m_dataSet, &TDataSet::LookupsChanged, this, &TDataSource::LookupsChanged);
        connect(m_dataSet, &TDataSet::Scrolled, this, &TDataSource::Scrolled);
        connect(m_dataSet, &TDataSet::StateChanged, this, &TDataSource::StateChanged);
        connect(m_dataSet, &QObject::destroyed, this, [this] {
            m_dataSet = nullptr;
            emit DataSetReplaced();
        });
    }
    emit DataSetReplaced();
}
