#include "Formats.h"

#include <QStringList>
#include <charconv>
#include <cmath>

namespace {

// A non-negative decimal number as digit strings, rounded by the formatter.
struct Decimal {
    QString intDigits;   // no leading zeros; "0" for zero
    QString fracDigits;  // any length
};

Decimal FromMoney(Money value)
{
    const int64_t s = value.Scaled();
    const uint64_t abs = s < 0 ? uint64_t(0) - uint64_t(s) : uint64_t(s);
    return {QString::number(abs / Money::Scale), QStringLiteral("%1").arg(abs % Money::Scale, 4, 10, QLatin1Char('0'))};
}

Decimal FromDouble(double value)
{
    // The shortest text that reads back as the same double, so 1.005 rounds as written.
    char buf[400];
    const auto res = std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::fixed);
    const QString text = QString::fromLatin1(buf, int(res.ptr - buf));
    const int dot = text.indexOf('.');
    Decimal d {dot < 0 ? text : text.left(dot), dot < 0 ? QString() : text.mid(dot + 1)};
    while (d.intDigits.size() > 1 && d.intDigits.startsWith('0'))
        d.intDigits.remove(0, 1);
    return d;
}

// Round to `places` decimals, half away from zero (the sign is handled by the caller).
Decimal Round(Decimal d, int places)
{
    if (d.fracDigits.size() <= places) {
        d.fracDigits = d.fracDigits.leftJustified(places, '0');
        return d;
    }
    const bool up = d.fracDigits[places] >= '5';
    QString digits = d.intDigits + d.fracDigits.left(places);
    if (up) {
        int i = digits.size() - 1;
        for (; i >= 0; --i) {
            if (digits[i] == '9') {
                digits[i] = '0';
            } else {
                digits[i] = QChar(digits[i].unicode() + 1);
                break;
            }
        }
        if (i < 0)
            digits.prepend('1');
    }
    Decimal r {digits.left(digits.size() - places), digits.right(places)};
    while (r.intDigits.size() > 1 && r.intDigits.startsWith('0'))
        r.intDigits.remove(0, 1);
    if (r.intDigits.isEmpty())
        r.intDigits = "0";
    return r;
}

bool IsZero(const Decimal& d)
{
    for (QChar c : d.intDigits + d.fracDigits)
        if (c != '0')
            return false;
    return true;
}

QString ApplySection(const QString& section, const Decimal& value, bool minus)
{
    // Measure the mask: placeholders before and after the decimal point, grouping.
    int intPlaces = 0, minInt = 0, fracPlaces = 0, minFrac = 0;
    bool seenPoint = false, grouping = false, seenZero = false;
    QChar quote;
    for (QChar c : section) {
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
            continue;
        }
        if (c == '\'' || c == '"') {
            quote = c;
        } else if (c == '.' && !seenPoint) {
            seenPoint = true;
        } else if (c == ',' && !seenPoint) {
            grouping = true;
        } else if (c == '0' || c == '#') {
            if (!seenPoint) {
                ++intPlaces;
                if (c == '0')
                    seenZero = true;
                if (seenZero)
                    ++minInt;
            } else {
                ++fracPlaces;
                if (c == '0')
                    minFrac = fracPlaces;
            }
        }
    }

    Decimal r = Round(value, fracPlaces);
    while (r.fracDigits.size() > minFrac && r.fracDigits.endsWith('0'))
        r.fracDigits.chop(1);
    QString intText = r.intDigits == "0" ? QString() : r.intDigits;
    if (intText.size() < minInt)
        intText = QString(minInt - intText.size(), '0') + intText;
    if (grouping && intText.size() > 3) {
        const QChar sep = FormatSettings().ThousandSeparator;
        for (int pos = intText.size() - 3; pos > 0; pos -= 3)
            intText.insert(pos, sep);
    }
    if (minus && IsZero(r))
        minus = false;

    QString out;
    if (minus)
        out += '-';
    bool intDone = false;
    seenPoint = false;
    int fracIndex = 0;
    quote = QChar();
    for (QChar c : section) {
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
            else
                out += c;
            continue;
        }
        if (c == '\'' || c == '"') {
            quote = c;
        } else if ((c == '0' || c == '#') && !seenPoint) {
            if (!intDone) {
                out += intText;
                intDone = true;
            }
        } else if (c == ',' && !seenPoint) {
            // grouping was decided above
        } else if (c == '.' && !seenPoint) {
            seenPoint = true;
            if (!intDone) {
                out += intText;
                intDone = true;
            }
            if (!r.fracDigits.isEmpty())
                out += FormatSettings().DecimalSeparator;
        } else if ((c == '0' || c == '#') && seenPoint) {
            if (fracIndex < r.fracDigits.size())
                out += r.fracDigits[fracIndex];
            ++fracIndex;
        } else {
            out += c;
        }
    }
    if (!intDone && intPlaces == 0 && !seenPoint && !intText.isEmpty())
        out += intText;  // a mask without placeholders still shows the number
    return out;
}

QString FormatDecimal(const QString& mask, const Decimal& abs, int sign)
{
    if (mask.isEmpty()) {
        Decimal d = abs;
        while (d.fracDigits.endsWith('0'))
            d.fracDigits.chop(1);
        QString s = d.intDigits;
        if (!d.fracDigits.isEmpty())
            s += FormatSettings().DecimalSeparator + d.fracDigits;
        return sign < 0 ? '-' + s : s;
    }
    const QStringList sections = MaskSections(mask);
    if (sign == 0 && sections.size() >= 3 && !sections[2].isEmpty())
        return ApplySection(sections[2], abs, false);
    if (sign < 0 && sections.size() >= 2 && !sections[1].isEmpty())
        return ApplySection(sections[1], abs, false);
    return ApplySection(sections[0], abs, sign < 0);
}

}  // namespace

QStringList MaskSections(const QString& mask)
{
    QStringList sections;
    QString current;
    QChar quote;
    for (QChar c : mask) {
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (c == '\'' || c == '"') {
            quote = c;
        } else if (c == ';') {
            sections << current;
            current.clear();
            continue;
        }
        current += c;
    }
    sections << current;
    return sections;
}

QString FormatFloat(const QString& mask, double value)
{
    if (std::isnan(value))
        return QStringLiteral("NAN");
    if (std::isinf(value))
        return value < 0 ? QStringLiteral("-INF") : QStringLiteral("INF");
    return FormatDecimal(mask, FromDouble(value), value < 0 ? -1 : (value > 0 ? 1 : 0));
}

QString FormatMoney(const QString& mask, Money value)
{
    const int sign = value.Scaled() < 0 ? -1 : (value.Scaled() > 0 ? 1 : 0);
    return FormatDecimal(mask, FromMoney(value), sign);
}

namespace {

// Walks a classic date pattern, handing each letter run or literal to the callbacks.
template <typename Token, typename Literal> void WalkDatePattern(const QString& pattern, Token token, Literal literal)
{
    for (int i = 0; i < pattern.size();) {
        const QChar c = pattern[i];
        if (c == '\'' || c == '"') {
            const int end = pattern.indexOf(c, i + 1);
            const int stop = end < 0 ? pattern.size() : end;
            literal(pattern.mid(i + 1, stop - i - 1));
            i = stop + 1;
            continue;
        }
        const QChar lower = c.toLower();
        if (lower == 'd' || lower == 'm' || lower == 'y') {
            int j = i;
            while (j < pattern.size() && pattern[j].toLower() == lower)
                ++j;
            token(lower.toLatin1(), j - i);
            i = j;
            continue;
        }
        literal(QString(c));
        ++i;
    }
}

}  // namespace

QString FormatDate(const QString& pattern, const QDate& date)
{
    if (!date.isValid())
        return QString();
    const TFormatSettings& fs = FormatSettings();
    QString out;
    WalkDatePattern(
        pattern,
        [&](char letter, int count) {
            switch (letter) {
            case 'd':
                if (count == 1)
                    out += QString::number(date.day());
                else if (count == 2)
                    out += QStringLiteral("%1").arg(date.day(), 2, 10, QLatin1Char('0'));
                else if (count == 3)
                    out += fs.Locale.dayName(date.dayOfWeek(), QLocale::ShortFormat);
                else if (count == 4)
                    out += fs.Locale.dayName(date.dayOfWeek(), QLocale::LongFormat);
                else if (count == 5)
                    out += FormatDate(fs.ShortDateFormat, date);
                else
                    out += FormatDate(fs.LongDateFormat, date);
                break;
            case 'm':
                if (count == 1)
                    out += QString::number(date.month());
                else if (count == 2)
                    out += QStringLiteral("%1").arg(date.month(), 2, 10, QLatin1Char('0'));
                else if (count == 3)
                    out += fs.Locale.monthName(date.month(), QLocale::ShortFormat);
                else
                    out += fs.Locale.monthName(date.month(), QLocale::LongFormat);
                break;
            default:  // 'y'
                if (count <= 2)
                    out += QStringLiteral("%1").arg(date.year() % 100, 2, 10, QLatin1Char('0'));
                else
                    out += QStringLiteral("%1").arg(date.year(), 4, 10, QLatin1Char('0'));
            }
        },
        [&](const QString& text) { out += text; });
    return out;
}

QString DatePatternToQt(const QString& pattern)
{
    QString out;
    WalkDatePattern(
        pattern,
        [&](char letter, int count) {
            if (letter == 'd')
                out += QString(std::min(count, 4), 'd');
            else if (letter == 'm')
                out += QString(std::min(count, 4), 'M');
            else
                out += count <= 2 ? QStringLiteral("yy") : QStringLiteral("yyyy");
        },
        [&](const QString& text) {
            bool letters = false;
            for (QChar c : text)
                letters = letters || c.isLetter() || c == '\'';
            if (!letters) {
                out += text;
                return;
            }
            QString escaped = text;
            escaped.replace('\'', QStringLiteral("''"));
            out += '\'' + escaped + '\'';
        });
    return out;
}

namespace {
// Qt's pattern letters back into the classic ones (M for month becomes m).
QString QtPatternToClassic(const QString& qt)
{
    QString out;
    for (int i = 0; i < qt.size(); ++i) {
        const QChar c = qt[i];
        if (c == '\'') {
            const int end = qt.indexOf('\'', i + 1);
            const int stop = end < 0 ? qt.size() : end;
            out += '"' + qt.mid(i + 1, stop - i - 1) + '"';
            i = stop;
        } else if (c == 'M') {
            out += 'm';
        } else {
            out += c;
        }
    }
    return out;
}
}  // namespace

void TFormatSettings::InitFromSystem()
{
    Locale = QLocale::system();
    ShortDateFormat = QtPatternToClassic(Locale.dateFormat(QLocale::ShortFormat));
    LongDateFormat = QtPatternToClassic(Locale.dateFormat(QLocale::LongFormat));
    const QString dp = Locale.decimalPoint();
    const QString gs = Locale.groupSeparator();
    DecimalSeparator = dp.isEmpty() ? QChar('.') : dp[0];
    ThousandSeparator = gs.isEmpty() ? QChar(',') : gs[0];
}

TFormatSettings& FormatSettings()
{
    static TFormatSettings settings;
    return settings;
}
