#pragma once
// A dataset's fields: their definitions, and typed access to and conversions of their
// values (typed text to stored values and back, display and edit text).
#include "Money.h"
#include "Value.h"

#include <QDate>
#include <QString>
#include <vector>

class TDataSet;

enum class TFieldType { Unknown, Smallint, Integer, String, Memo, Money, Float, Date };
enum class TFieldKind { Data, Calculated, Lookup };

struct TRecord {
    std::vector<TValue> values;
    bool calculated = false;  // calculated fields are filled on first read
};

// A field of a dataset: its definition (label, visibility, width, formats) and typed access
// to its value in the dataset's current row.
class TField {
public:
    QString FieldName;
    TFieldType DataType = TFieldType::Unknown;
    TFieldKind FieldKind = TFieldKind::Data;
    QString DisplayLabel;  // the grid's column title; the field name when empty
    bool Visible = true;
    int DisplayWidth = 0;  // characters; 0 picks one from the type
    QString DisplayFormat;
    QString EditFormat;
    int Size = 0;  // most characters a text field holds; 0 for no limit
    // Lookup fields: the value of LookupResultField in the LookupDataSet row whose
    // LookupKeyFields equals this dataset's KeyFields.
    TDataSet* LookupDataSet = nullptr;
    QString KeyFields;
    QString LookupKeyFields;
    QString LookupResultField;

    TField(TDataSet* dataSet, const QString& name, TFieldType type, TFieldKind kind);

    // Declaring a field in one line: q.AddField("AMOUNT").Titled("Amount").Wide(12).Formats(...).
    TField& Titled(const QString& label)
    {
        DisplayLabel = label;
        return *this;
    }
    TField& Wide(int characters)
    {
        DisplayWidth = characters;
        return *this;
    }
    TField& Formats(const QString& display, const QString& edit = {})
    {
        DisplayFormat = display;
        EditFormat = edit;
        return *this;
    }
    TField& Sized(int characters)
    {
        Size = characters;
        return *this;
    }
    TField& Hidden()
    {
        Visible = false;
        return *this;
    }

    TDataSet* DataSet() const { return m_dataSet; }
    int Index() const { return m_index; }
    QString Label() const { return DisplayLabel.isEmpty() ? FieldName : DisplayLabel; }
    int Width() const;

    // The value in the current row (the row being calculated inside a calculation).
    TValue Value() const;
    // The current row's value as stored, before its pending change: as read or last
    // posted. Null while a row is being added.
    TValue OldValue() const;
    bool IsNull() const { return Value().IsNull(); }
    int64_t AsInteger() const { return ToInteger(Value()); }
    QString AsString() const { return ToString(Value()); }
    Money AsMoney() const { return ToMoney(Value()); }
    double AsFloat() const { return ToFloat(Value()); }
    QDate AsDate() const { return ToDate(Value()); }
    QString DisplayText() const { return DisplayTextOf(Value()); }
    QString EditText() const;

    // Assignments need the dataset in insert or edit state, or a calculation of this
    // calculated field. Text that does not convert to the field's type is an EConvertError
    // and changes nothing.
    void SetValue(const TValue& value);
    void SetAsInteger(int64_t value);
    void SetAsString(const QString& text);
    void SetAsMoney(Money value);
    void SetAsFloat(double value);
    void SetAsDate(const QDate& date);
    void Clear() { SetValue(TValue()); }

    // Conversions of a value of this field, for readers that hold a row themselves.
    int64_t ToInteger(const TValue& v) const;
    QString ToString(const TValue& v) const;
    Money ToMoney(const TValue& v) const;
    double ToFloat(const TValue& v) const;
    QDate ToDate(const TValue& v) const;
    QString DisplayTextOf(const TValue& v) const;
    // Typed text to a stored value, checked against the type, range and size.
    TValue Convert(const QString& text) const;

private:
    friend class TDataSet;
    TValue CheckedValue(const TValue& value) const;

    TDataSet* m_dataSet;
    int m_index = -1;
};

// Conversions the dataset, its filter and its lookups share with the fields.
namespace FieldText {
bool IsTextType(TFieldType t);
// Whole numbers as typed: optional sign and digits, nothing else.
bool ParseWhole(const QString& text, int64_t& out);
// A value as the key of a lookup or a located value.
QString KeyText(const TValue& v);
}  // namespace FieldText
