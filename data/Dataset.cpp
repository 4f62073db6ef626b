#include "Dataset.h"

#include "DatasetRollback.h"
#include "DayNumber.h"
#include "Errors.h"
#include "Formats.h"

#include <QLocale>
#include <algorithm>
#include <cmath>
#include <limits>

namespace {

bool IsTextType(TFieldType t)
{
    return t == TFieldType::String || t == TFieldType::Memo;
}

bool IsWholeType(TFieldType t)
{
    return t == TFieldType::Smallint || t == TFieldType::Integer;
}

void CheckRange(const TField& f, int64_t v)
{
    const int64_t lo = f.DataType == TFieldType::Smallint ? -32768 : std::numeric_limits<int32_t>::min();
    const int64_t hi = f.DataType == TFieldType::Smallint ? 32767 : std::numeric_limits<int32_t>::max();
    if (v < lo || v > hi)
        throw EConvertError(QStringLiteral("%1 is not a valid value for %2: it must be from %3 to %4")
                                .arg(v)
                                .arg(f.Label())
                                .arg(lo)
                                .arg(hi));
}

// Whole numbers as typed: optional sign and digits, nothing else.
bool ParseWhole(const QString& text, int64_t& out)
{
    bool ok = false;
    out = text.toLongLong(&ok, 10);
    return ok;
}

QString KeyText(const TValue& v)
{
    if (v.IsInteger())
        return QString::number(v.Integer());
    if (v.IsFloat())
        return QString::number(v.Float(), 'g', 17);
    return v.IsText() ? v.Text() : QString();
}

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

// ---------------------------------------------------------------- TField

TField::TField(TDataSet* dataSet, const QString& name, TFieldType type, TFieldKind kind)
    : FieldName(name), DataType(type), FieldKind(kind), m_dataSet(dataSet)
{
}

int TField::Width() const
{
    if (DisplayWidth > 0)
        return DisplayWidth;
    switch (DataType) {
    case TFieldType::String: return Size > 0 ? std::min(Size, 40) : 20;
    case TFieldType::Memo: return 20;
    case TFieldType::Date: return 10;
    case TFieldType::Smallint: return 6;
    default: return 10;
    }
}

TValue TField::Value() const
{
    const TRecord* r = m_dataSet->ActiveRecord();
    return r ? m_dataSet->FieldValue(*r, m_index) : TValue();
}

TValue TField::OldValue() const
{
    const TDataSet& ds = *m_dataSet;
    if (ds.m_state == TDataSetState::Insert || ds.m_current < 0 || ds.m_current >= int(ds.m_view.size()))
        return TValue();
    return ds.FieldValue(*ds.m_view[size_t(ds.m_current)], m_index);
}

int64_t TField::ToInteger(const TValue& v) const
{
    if (v.IsNull())
        return 0;
    if (v.IsInteger()) {
        if (DataType != TFieldType::Money)
            return v.Integer();
        const int64_t s = v.Integer();
        return (s >= 0 ? s + Money::Scale / 2 : s - Money::Scale / 2) / Money::Scale;
    }
    if (v.IsFloat())
        return std::llround(v.Float());
    int64_t out;
    if (!ParseWhole(v.Text().trimmed(), out))
        throw EConvertError(QStringLiteral("'%1' is not a valid whole number").arg(v.Text()));
    return out;
}

QString TField::ToString(const TValue& v) const
{
    if (v.IsNull())
        return QString();
    if (v.IsText())
        return v.Text();
    if (v.IsFloat())
        return QString::number(v.Float(), 'g', 15);
    switch (DataType) {
    case TFieldType::Money: return Money::FromScaled(v.Integer()).ToString();
    case TFieldType::Date: return FormatSettings().DateToStr(DayNumber::ToDate(v.Integer()));
    default: return QString::number(v.Integer());
    }
}

Money TField::ToMoney(const TValue& v) const
{
    if (v.IsNull())
        return Money();
    if (v.IsInteger())
        return DataType == TFieldType::Money ? Money::FromScaled(v.Integer()) : Money::FromInteger(v.Integer());
    if (v.IsFloat())
        return Money::FromDouble(v.Float());
    return Money::Parse(v.Text());
}

double TField::ToFloat(const TValue& v) const
{
    if (v.IsNull())
        return 0;
    if (v.IsInteger())
        return DataType == TFieldType::Money ? Money::FromScaled(v.Integer()).ToDouble() : double(v.Integer());
    if (v.IsFloat())
        return v.Float();
    bool ok = false;
    const double d = QLocale::c().toDouble(v.Text().trimmed(), &ok);
    if (!ok)
        throw EConvertError(QStringLiteral("'%1' is not a valid number").arg(v.Text()));
    return d;
}

QDate TField::ToDate(const TValue& v) const
{
    if (v.IsNull())
        return QDate();
    if (v.IsInteger())
        return DayNumber::ToDate(v.Integer());
    if (v.IsFloat())
        return DayNumber::ToDate(int64_t(std::floor(v.Float())));
    throw EConvertError(QStringLiteral("'%1' is not a valid date").arg(v.Text()));
}

QString TField::DisplayTextOf(const TValue& v) const
{
    if (v.IsNull())
        return QString();
    if (DataType == TFieldType::Date || (DataType == TFieldType::Unknown && false))
        return DisplayFormat.isEmpty() ? FormatSettings().DateToStr(ToDate(v)) : FormatDate(DisplayFormat, ToDate(v));
    if (!DisplayFormat.isEmpty() && !v.IsText()) {
        if (DataType == TFieldType::Money && v.IsInteger())
            return FormatMoney(DisplayFormat, Money::FromScaled(v.Integer()));
        return FormatFloat(DisplayFormat, ToFloat(v));
    }
    return ToString(v);
}

QString TField::EditText() const
{
    const TValue v = Value();
    if (v.IsNull() || EditFormat.isEmpty() || v.IsText())
        return ToString(v);
    if (DataType == TFieldType::Money && v.IsInteger())
        return FormatMoney(EditFormat, Money::FromScaled(v.Integer()));
    return FormatFloat(EditFormat, ToFloat(v));
}

TValue TField::Convert(const QString& text) const
{
    const QString trimmed = text.trimmed();
    if (!IsTextType(DataType) && trimmed.isEmpty())
        return TValue();
    try {
        switch (DataType) {
        case TFieldType::Smallint:
        case TFieldType::Integer: {
            int64_t v;
            if (!ParseWhole(trimmed, v))
                throw EConvertError(QStringLiteral("'%1' is not a valid whole number").arg(text));
            CheckRange(*this, v);
            return TValue(v);
        }
        case TFieldType::Money: return TValue(Money::Parse(trimmed).Scaled());
        case TFieldType::Float: return TValue(ToFloat(TValue(trimmed)));
        case TFieldType::Date: throw EConvertError(QStringLiteral("'%1' is not a valid date").arg(text));
        default: return CheckedValue(TValue(text));
        }
    } catch (const EConvertError& e) {
        if (e.Message().startsWith(Label()))
            throw;
        throw EConvertError(QStringLiteral("%1: %2").arg(Label(), e.Message()));
    }
}

TValue TField::CheckedValue(const TValue& value) const
{
    if (value.IsNull())
        return value;
    if (IsWholeType(DataType)) {
        if (value.IsText())
            return Convert(value.Text());
        const int64_t v = ToInteger(value);
        CheckRange(*this, v);
        return TValue(v);
    }
    if (DataType == TFieldType::String && value.IsText() && Size > 0 && value.Text().size() > Size)
        throw EConvertError(QStringLiteral("%1 holds at most %2 characters; the text has %3")
                                .arg(Label())
                                .arg(Size)
                                .arg(value.Text().size()));
    if (DataType == TFieldType::Money && value.IsText())
        return Convert(value.Text());
    return value;
}

void TField::SetValue(const TValue& value)
{
    if (FieldKind == TFieldKind::Lookup)
        throw EDatasetError(QStringLiteral("%1 is looked up and cannot be changed").arg(FieldName));
    const TValue checked = CheckedValue(value);
    TRecord* r = m_dataSet->WritableRecord(*this);
    r->values[m_index] = checked;
    if (FieldKind == TFieldKind::Data) {
        r->calculated = false;
        emit m_dataSet->RecordChanged(m_dataSet->m_current);
    }
}

void TField::SetAsInteger(int64_t value)
{
    if (DataType == TFieldType::Money)
        SetValue(TValue(Money::FromInteger(value).Scaled()));
    else
        SetValue(TValue(value));
}

void TField::SetAsString(const QString& text)
{
    SetValue(Convert(text));
}

void TField::SetAsMoney(Money value)
{
    switch (DataType) {
    case TFieldType::Smallint:
    case TFieldType::Integer:
        if (value.Scaled() % Money::Scale != 0)
            throw EConvertError(QStringLiteral("%1: %2 is not a whole number").arg(Label(), value.ToString()));
        SetValue(TValue(value.Scaled() / Money::Scale));
        break;
    case TFieldType::Float: SetValue(TValue(value.ToDouble())); break;
    case TFieldType::String:
    case TFieldType::Memo: SetValue(TValue(value.ToString())); break;
    default: SetValue(TValue(value.Scaled()));
    }
}

void TField::SetAsFloat(double value)
{
    switch (DataType) {
    case TFieldType::Money: SetValue(TValue(Money::FromDouble(value).Scaled())); break;
    case TFieldType::Smallint:
    case TFieldType::Integer:
        if (!std::isfinite(value) || std::fabs(value) > 9.0e18)
            throw EConvertError(QStringLiteral("%1: %2 is out of range").arg(Label()).arg(value));
        SetValue(TValue(int64_t(std::llround(value))));
        break;
    default: SetValue(TValue(value));
    }
}

void TField::SetAsDate(const QDate& date)
{
    if (!date.isValid())
        SetValue(TValue());
    else
        SetValue(TValue(int64_t(DayNumber::FromDate(date))));
}

// ---------------------------------------------------------------- filter

struct TDataSet::TFilterTerm {
    enum Op { Eq, Ne, Lt, Gt, Le, Ge } op;
    int field;
    TValue literal;
    // A whole-number literal in the field's stored units (money is stored scaled), worked
    // out once when the filter is set; `fits` is false when that is beyond every amount.
    int64_t whole = 0;
    bool fits = true;
};

namespace {

struct TFilterToken {
    enum Kind { Name, Number, Text, Operator, And, Or, End } kind;
    QString text;
};

std::vector<TFilterToken> TokenizeFilter(const QString& s)
{
    std::vector<TFilterToken> out;
    int i = 0;
    auto fail = [&](const QString& why) {
        throw EDatasetError(QStringLiteral("Invalid filter \"%1\": %2").arg(s.trimmed(), why));
    };
    while (i < s.size()) {
        const QChar c = s[i];
        if (c.isSpace()) {
            ++i;
        } else if (c.isLetter() || c == '_') {
            int j = i;
            while (j < s.size() && (s[j].isLetterOrNumber() || s[j] == '_'))
                ++j;
            const QString word = s.mid(i, j - i);
            if (word.compare("AND", Qt::CaseInsensitive) == 0)
                out.push_back({TFilterToken::And, word});
            else if (word.compare("OR", Qt::CaseInsensitive) == 0)
                out.push_back({TFilterToken::Or, word});
            else
                out.push_back({TFilterToken::Name, word});
            i = j;
        } else if (c == '[') {
            const int j = s.indexOf(']', i);
            if (j < 0)
                fail(QStringLiteral("missing ']'"));
            out.push_back({TFilterToken::Name, s.mid(i + 1, j - i - 1)});
            i = j + 1;
        } else if (c.isDigit() || (c == '-' && i + 1 < s.size() && s[i + 1].isDigit())) {
            int j = i + 1;
            while (j < s.size() && s[j].isDigit())
                ++j;
            if (j < s.size() && (s[j].isLetter() || s[j] == '.'))
                fail(QStringLiteral("'%1' is not a whole number").arg(s.mid(i, j - i + 1)));
            out.push_back({TFilterToken::Number, s.mid(i, j - i)});
            i = j;
        } else if (c == '\'') {
            QString text;
            int j = i + 1;
            for (;; ++j) {
                if (j >= s.size())
                    fail(QStringLiteral("missing closing quote"));
                if (s[j] == '\'') {
                    if (j + 1 < s.size() && s[j + 1] == '\'') {
                        text += '\'';
                        ++j;
                        continue;
                    }
                    break;
                }
                text += s[j];
            }
            out.push_back({TFilterToken::Text, text});
            i = j + 1;
        } else if (c == '<' || c == '>' || c == '=') {
            QString op(c);
            if (i + 1 < s.size() && (s[i + 1] == '=' || (c == '<' && s[i + 1] == '>')))
                op += s[i + 1];
            out.push_back({TFilterToken::Operator, op});
            i += op.size();
        } else {
            fail(QStringLiteral("unexpected '%1'").arg(c));
        }
    }
    out.push_back({TFilterToken::End, QString()});
    return out;
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
    std::vector<std::unique_ptr<TRecord>> rows;
    const std::vector<TColumn> columns = DoPrepare();
    BindFields(columns);
    DoFetch(rows, m_fieldColumns, int(m_fields.size()));
    if (!m_filterText.isEmpty() && m_filter.empty())
        SetFilter(m_filterText);  // a filter set before the fields were known
    m_all = std::move(rows);
    RowsChanged();
    RebuildView();
    m_current = m_view.empty() ? -1 : 0;
    m_eof = m_view.empty();
    m_bof = true;
    m_state = TDataSetState::Browse;
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
    emit ActiveChanged();
    emit StateChanged();
    emit DataSetChanged();
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
        throw EDatasetError(QStringLiteral("Save or cancel the changes to this record before %1.")
                                .arg(QString::fromLatin1(what)));
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
    case TFieldKind::Calculated:
        Calculate(record);
        return record.values[fieldIndex];
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

TValue TDataSet::LookupValue(const TRecord& record, const TField& field) const
{
    TDataSet* source = field.LookupDataSet;
    if (!source)
        return TValue();
    if (!source->Active())
        source->Open();  // the lookup list opens when first needed
    TLookupCache& cache = m_lookups[field.m_index];
    if (cache.source != source || cache.generation != source->Generation()) {
        const TField& key = source->FieldByName(field.LookupKeyFields);
        const TField& result = source->FieldByName(field.LookupResultField);
        cache.values.clear();
        for (int r = 0; r < source->RecordCount(); ++r) {
            const QString k = KeyText(source->ValueAt(r, key.Index()));
            if (!cache.values.contains(k))
                cache.values.insert(k, source->ValueAt(r, result.Index()));
        }
        cache.source = source;
        cache.generation = source->Generation();
    }
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
    m_all.insert(at, std::move(record));
    m_view.insert(m_view.begin() + pos, raw);
    m_insertRecord = raw;
    RowsChanged();
    m_buffer = *raw;
    m_current = pos;
    m_eof = m_bof = false;
    m_state = TDataSetState::Insert;
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
    if (m_state == TDataSetState::Insert) {
        TRecord written = m_buffer;
        DoInsert(written);
        written.calculated = false;
        TDataSetRollback::Posting(*this);
        *m_insertRecord = std::move(written);
        m_insertRecord = nullptr;
    } else {
        TRecord& original = *m_view[m_current];
        DoUpdate(original, m_buffer);
        TDataSetRollback::Posting(*this);
        original = m_buffer;
        original.calculated = false;
    }
    m_buffer = TRecord();
    m_eof = false;
    RowsChanged();
    SetState(TDataSetState::Browse);
    emit RecordChanged(m_current);
}

void TDataSet::Cancel()
{
    if (!Active() || !IsEditing())
        return;
    if (m_state == TDataSetState::Insert) {
        m_view.erase(std::find(m_view.begin(), m_view.end(), m_insertRecord));
        m_all.erase(std::find_if(m_all.begin(), m_all.end(),
                                 [&](const auto& p) { return p.get() == m_insertRecord; }));
        m_insertRecord = nullptr;
        RowsChanged();
        m_current = m_savedCurrent;
        m_eof = m_savedEof;
        m_bof = m_savedBof;
        m_buffer = TRecord();
        SetState(TDataSetState::Browse);
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
    const auto place = PlaceAmongAll(m_all, m_view, m_current);
    TDataSetRollback::Deleting(*this, *place, size_t(place - m_all.begin()));
    m_all.erase(place);
    m_view.erase(m_view.begin() + m_current);
    if (m_view.empty()) {
        m_current = -1;
        m_eof = m_bof = true;
    } else {
        m_current = std::min(m_current, int(m_view.size()) - 1);
        m_eof = false;
        m_bof = m_current == 0;
    }
    RowsChanged();
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
        throw EDatasetError(QStringLiteral("%1: %2 fields to locate but %3 values")
                                .arg(Name())
                                .arg(names.size())
                                .arg(values.size()));
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
    std::vector<std::vector<std::shared_ptr<TFilterTerm>>> groups;
    const bool fieldsKnown = !m_fields.empty();
    if (!text.trimmed().isEmpty() && fieldsKnown) {
        const auto tokens = TokenizeFilter(text);
        size_t i = 0;
        auto fail = [&](const QString& why) {
            throw EDatasetError(QStringLiteral("Invalid filter \"%1\": %2").arg(text.trimmed(), why));
        };
        groups.emplace_back();
        for (;;) {
            if (tokens[i].kind != TFilterToken::Name)
                fail(QStringLiteral("a field name was expected at '%1'").arg(tokens[i].text));
            const TField* f = FindField(tokens[i].text);
            if (!f)
                fail(QStringLiteral("there is no field %1").arg(tokens[i].text));
            ++i;
            if (tokens[i].kind != TFilterToken::Operator)
                fail(QStringLiteral("a comparison was expected after %1").arg(f->FieldName));
            static const QHash<QString, TFilterTerm::Op> ops = {
                {"=", TFilterTerm::Eq}, {"<>", TFilterTerm::Ne}, {"<", TFilterTerm::Lt},
                {">", TFilterTerm::Gt}, {"<=", TFilterTerm::Le}, {">=", TFilterTerm::Ge}};
            if (!ops.contains(tokens[i].text))
                fail(QStringLiteral("'%1' is not a comparison").arg(tokens[i].text));
            auto term = std::make_shared<TFilterTerm>();
            term->op = ops.value(tokens[i].text);
            term->field = f->Index();
            ++i;
            if (tokens[i].kind == TFilterToken::Number) {
                int64_t v;
                if (!ParseWhole(tokens[i].text, v))
                    fail(QStringLiteral("'%1' is too large").arg(tokens[i].text));
                term->literal = TValue(v);
                term->whole = v;
                if (f->DataType == TFieldType::Money)
                    term->fits = !__builtin_mul_overflow(v, Money::Scale, &term->whole);
            } else if (tokens[i].kind == TFilterToken::Text) {
                term->literal = TValue(tokens[i].text);
            } else {
                fail(QStringLiteral("a value was expected after %1 %2").arg(f->FieldName, tokens[i - 1].text));
            }
            ++i;
            groups.back().push_back(term);
            if (tokens[i].kind == TFilterToken::End)
                break;
            if (tokens[i].kind == TFilterToken::Or)
                groups.emplace_back();
            else if (tokens[i].kind != TFilterToken::And)
                fail(QStringLiteral("AND or OR was expected at '%1'").arg(tokens[i].text));
            ++i;
        }
    }
    m_filterText = text;
    m_filter = std::move(groups);
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
    RebuildView();
    m_current = m_view.empty() ? -1 : 0;
    m_eof = m_view.empty();
    m_bof = true;
    emit DataSetChanged();
    emit Scrolled(m_current);
}

namespace {
template <typename T>
int Compare(T a, T b)
{
    return a < b ? -1 : (a > b ? 1 : 0);
}
}  // namespace

bool TDataSet::TermHolds(const TFilterTerm& term, const TRecord& record) const
{
    const TField& f = *m_fields[term.field];
    // Data fields are compared where they stand: a filter change visits every row.
    TValue computed;
    const TValue* value = &record.values[term.field];
    if (f.FieldKind != TFieldKind::Data) {
        computed = FieldValue(record, term.field);
        value = &computed;
    }
    const TValue& v = *value;
    if (v.IsNull())
        return false;
    int cmp;
    if (term.literal.IsText())
        cmp = f.ToString(v).compare(term.literal.Text());
    else if (v.IsInteger())
        cmp = term.fits ? Compare(v.Integer(), term.whole) : (term.literal.Integer() > 0 ? -1 : 1);
    else if (v.IsFloat())
        cmp = Compare(v.Float(), double(term.literal.Integer()));
    else
        cmp = f.ToString(v).compare(QString::number(term.literal.Integer()));
    switch (term.op) {
    case TFilterTerm::Eq: return cmp == 0;
    case TFilterTerm::Ne: return cmp != 0;
    case TFilterTerm::Lt: return cmp < 0;
    case TFilterTerm::Gt: return cmp > 0;
    case TFilterTerm::Le: return cmp <= 0;
    default: return cmp >= 0;
    }
}

bool TDataSet::Matches(const TRecord& record) const
{
    for (const auto& group : m_filter) {
        bool all = true;
        for (const auto& term : group)
            if (!TermHolds(*term, record)) {
                all = false;
                break;
            }
        if (all)
            return true;
    }
    return false;
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
    const bool filtering = m_filtered && !m_filter.empty();
    if (filtering && m_filter.size() == 1) {
        // Rows read in the order of a whole-number field (the transaction lists are read
        // by date) let a range on that field be found by halving, like an index would.
        for (const auto& term : m_filter.front()) {
            const TField& f = *m_fields[term->field];
            if (f.FieldKind != TFieldKind::Data || !term->literal.IsInteger() || !term->fits
                || term->op == TFilterTerm::Ne || !RowsSortedBy(term->field))
                continue;
            const size_t field = size_t(term->field);
            auto firstAtLeast = [&](int64_t bound, bool strict) {
                return size_t(std::partition_point(m_all.begin() + from, m_all.begin() + to,
                                                   [&](const auto& r) {
                                                       const int64_t x = r->values[field].Integer();
                                                       return strict ? x <= bound : x < bound;
                                                   })
                              - m_all.begin());
            };
            const TFilterTerm::Op op = term->op;
            const size_t lo = (op == TFilterTerm::Ge || op == TFilterTerm::Eq) ? firstAtLeast(term->whole, false)
                              : op == TFilterTerm::Gt                          ? firstAtLeast(term->whole, true)
                                                                               : from;
            const size_t hi = (op == TFilterTerm::Le || op == TFilterTerm::Eq) ? firstAtLeast(term->whole, true)
                              : op == TFilterTerm::Lt                          ? firstAtLeast(term->whole, false)
                                                                               : to;
            from = lo;
            to = std::max(lo, hi);
        }
    }
    for (size_t i = from; i < to; ++i)
        if (!filtering || Matches(*m_all[i]))
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
        connect(m_dataSet, &TDataSet::Scrolled, this, &TDataSource::Scrolled);
        connect(m_dataSet, &TDataSet::StateChanged, this, &TDataSource::StateChanged);
        connect(m_dataSet, &QObject::destroyed, this, [this] { m_dataSet = nullptr; emit DataSetReplaced(); });
    }
    emit DataSetReplaced();
}
