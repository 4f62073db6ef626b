#pragma once
// One stored value of a field or parameter: null, a whole number, a floating point number
// or text. Money and day numbers travel as whole numbers; the field's type says which.
#include <QString>
#include <concepts>
#include <cstdint>
#include <variant>

class TValue {
public:
    TValue() = default;
    template <std::integral T>
    requires(!std::is_same_v<T, bool>) TValue(T v) : m_v(int64_t(v)) { }
    TValue(double v) : m_v(v) { }
    TValue(const QString& v) : m_v(v) { }
    TValue(const char* v) : m_v(QString::fromUtf8(v)) { }

    bool IsNull() const { return std::holds_alternative<std::monostate>(m_v); }
    bool IsInteger() const { return std::holds_alternative<int64_t>(m_v); }
    bool IsFloat() const { return std::holds_alternative<double>(m_v); }
    bool IsText() const { return std::holds_alternative<QString>(m_v); }

    int64_t Integer() const { return std::get<int64_t>(m_v); }
    double Float() const { return std::get<double>(m_v); }
    const QString& Text() const { return std::get<QString>(m_v); }

    bool operator==(const TValue& other) const { return m_v == other.m_v; }

private:
    std::variant<std::monostate, int64_t, double, QString> m_v;
};
