#pragma once
// Money: a 64-bit integer scaled by 10000, exact in memory and in the database.
#include <QString>
#include <cstdint>

class Money {
public:
    static constexpr int64_t Scale = 10000;

    constexpr Money() = default;
    static constexpr Money FromScaled(int64_t scaled)
    {
        Money m;
        m.m_scaled = scaled;
        return m;
    }
    // Whole units; an amount beyond the range is an EOverflowError.
    static Money FromInteger(int64_t units);
    // Rounded half away from zero to four decimals; NaN or out of range is an EOverflowError.
    static Money FromDouble(double value);
    // Exact parse of what a user types: optional sign, digits with optional thousands
    // separators, optional decimal point with at most four decimals. Anything else, or a
    // value beyond the range, is an EConvertError naming the text.
    static Money Parse(const QString& text);

    constexpr int64_t Scaled() const { return m_scaled; }
    double ToDouble() const { return double(m_scaled) / double(Scale); }
    // Plain decimal text without grouping, trailing zeros dropped ("1234.5", "-0.25", "0").
    QString ToString() const;
    bool IsZero() const { return m_scaled == 0; }

    // Arithmetic that overflows throws EOverflowError; it never wraps.
    Money operator+(Money other) const;
    Money operator-(Money other) const;
    Money operator-() const;
    Money& operator+=(Money other) { return *this = *this + other; }
    Money& operator-=(Money other) { return *this = *this - other; }
    auto operator<=>(const Money&) const = default;

private:
    int64_t m_scaled = 0;
};
