#include "Field.h"

#include "Dataset.h"
#include "DayNumber.h"
#include "Errors.h"
#include "Formats.h"

#include <QLocale>
#include <cmath>
#include <limits>

using FieldText::IsTextType;
using FieldText::ParseWhole;

namespace {

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

// Characters as the book counts them: one beyond the first 65,536 is one character,
// though it takes two units of the text.
qsizetype Characters(const QString& text)
{
    qsizetype n = text.size();
    for (QChar c : text)
        if (c.isLowSurrogate())
            --n;
    return n;
}

}  // namespace

bool FieldText::IsTextType(TFieldType t)
{
    return t == TFieldType::String || t == TFieldType::Memo;
}

bool FieldText::ParseWhole(const QString& text, int64_t& out)
{
    bool ok = false;
    out = text.toLongLong(&ok, 10);
    return ok;
}

QString FieldText::KeyText(const TValue& v)
{
    if (v.IsInteger())
        return QString::number(v.Integer());
    if (v.IsFloat())
        return QString::number(v.Float(), 'g', 17);
    return v.IsText() ? v.Text() : QString();
}

// ---------------------------------------------------------------- TField

TField::TField(TDataSet* dataSet, const QString& name, TFieldType type, TFieldKind kind)
    : FieldName(name), DataType(type), FieldKind(kind), m_dataSet(dataSet)
{ }

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
    if (DataType == TFieldType::String && value.IsText() && Size > 0 && value.Text().size() > Size
        && Characters(value.Text()) > Size)
        throw EConvertError(QStringLiteral("%1 holds at most %2 characters; the text has %3")
                                .arg(Label())
                                .arg(Size)
                                .arg(Characters(value.Text())));
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
