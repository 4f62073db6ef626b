#include "Money.h"

#include "Errors.h"
#include "Formats.h"

#include <cmath>
#include <limits>

namespace {
constexpr int64_t MaxUnits = std::numeric_limits<int64_t>::max() / Money::Scale;

// Where the locale groups with a space of any kind, people type whichever their keyboard
// gives: an ordinary space, a no-break space or the narrow one the locale shows.
bool IsGroupSeparator(QChar c, QChar thousands)
{
    auto isSpace = [](QChar s) { return s == QChar(0x20) || s == QChar(0xA0) || s == QChar(0x202F); };
    return c == thousands || (isSpace(thousands) && isSpace(c));
}

[[noreturn]] void ThrowInvalid(const QString& text, const QString& why)
{
    throw EConvertError(QStringLiteral("'%1' is not a valid amount: %2").arg(text, why));
}
}  // namespace

Money Money::FromInteger(int64_t units)
{
    if (units > MaxUnits || units < -MaxUnits)
        throw EOverflowError(QStringLiteral("%1 is too large for an amount").arg(units));
    return FromScaled(units * Scale);
}

Money Money::FromDouble(double value)
{
    const double scaled = std::round(value * double(Scale));  // half away from zero
    // 2^63 is exactly representable; anything at or beyond it does not fit.
    if (!std::isfinite(scaled) || scaled >= 9223372036854775808.0 || scaled < -9223372036854775808.0)
        throw EOverflowError(QStringLiteral("%1 is too large for an amount").arg(value));
    return FromScaled(int64_t(scaled));
}

Money Money::Parse(const QString& input)
{
    const QString text = input.trimmed();
    const QChar decimal = FormatSettings().DecimalSeparator;
    const QChar thousands = FormatSettings().ThousandSeparator;
    if (text.isEmpty())
        ThrowInvalid(input, QStringLiteral("it is empty"));

    int i = 0;
    bool negative = false;
    if (text[0] == '-' || text[0] == '+') {
        negative = text[0] == '-';
        ++i;
    }
    // Integer part, with optional grouping: 1 to 3 digits, then groups of exactly 3.
    QString intDigits;
    int groupLen = 0;
    bool grouped = false;
    bool firstGroup = true;
    for (; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c >= '0' && c <= '9') {
            intDigits += c;
            ++groupLen;
        } else if (IsGroupSeparator(c, thousands) && thousands != decimal) {
            if (groupLen == 0 || (firstGroup && groupLen > 3) || (!firstGroup && groupLen != 3))
                ThrowInvalid(input, QStringLiteral("misplaced thousands separator"));
            grouped = true;
            firstGroup = false;
            groupLen = 0;
        } else {
            break;
        }
    }
    if (grouped && groupLen != 3)
        ThrowInvalid(input, QStringLiteral("misplaced thousands separator"));

    QString fracDigits;
    if (i < text.size() && text[i] == decimal) {
        for (++i; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
            fracDigits += text[i];
    }
    if (i != text.size())
        ThrowInvalid(input, QStringLiteral("unexpected character '%1'").arg(text[i]));
    if (intDigits.isEmpty() && fracDigits.isEmpty())
        ThrowInvalid(input, QStringLiteral("no digits"));
    if (fracDigits.size() > 4)
        ThrowInvalid(input, QStringLiteral("more than four decimal places"));

    // Accumulate exactly; the range check comes before each step can overflow.
    int64_t units = 0;
    for (QChar c : intDigits) {
        const int d = c.unicode() - '0';
        if (units > (MaxUnits - d) / 10)
            throw EOverflowError(QStringLiteral("'%1' is too large for an amount").arg(input));
        units = units * 10 + d;
    }
    int64_t frac = 0;
    for (int k = 0; k < 4; ++k)
        frac = frac * 10 + (k < fracDigits.size() ? fracDigits[k].unicode() - '0' : 0);
    int64_t scaled = units * Scale;
    if (__builtin_add_overflow(scaled, frac, &scaled))
        throw EOverflowError(QStringLiteral("'%1' is too large for an amount").arg(input));
    return FromScaled(negative ? -scaled : scaled);
}

QString Money::ToString() const
{
    const bool negative = m_scaled < 0;
    const uint64_t abs = negative ? uint64_t(0) - uint64_t(m_scaled) : uint64_t(m_scaled);
    QString s = QString::number(abs / Scale);
    uint64_t frac = abs % Scale;
    if (frac != 0) {
        QString f = QStringLiteral("%1").arg(frac, 4, 10, QLatin1Char('0'));
        while (f.endsWith('0'))
            f.chop(1);
        s += '.' + f;
    }
    return negative ? '-' + s : s;
}

Money Money::operator+(Money other) const
{
    int64_t r;
    if (__builtin_add_overflow(m_scaled, other.m_scaled, &r))
        throw EOverflowError(
            QStringLiteral("The sum of %1 and %2 is too large for an amount").arg(ToString(), other.ToString()));
    return FromScaled(r);
}

Money Money::operator-(Money other) const
{
    int64_t r;
    if (__builtin_sub_overflow(m_scaled, other.m_scaled, &r))
        throw EOverflowError(
            QStringLiteral("The difference of %1 and %2 is too large for an amount").arg(ToString(), other.ToString()));
    return FromScaled(r);
}

Money Money::operator-() const
{
    if (m_scaled == std::numeric_limits<int64_t>::min())
        throw EOverflowError(QStringLiteral("The amount is too large to negate"));
    return FromScaled(-m_scaled);
}
