#include "NumberFormats.h"
#include "DayNumber.h"
#include "Formats.h"
#include <QStringList>
#include <algorithm>
#include <charconv>
#include <cmath>

namespace SheetFormats {
namespace {

// The section of a number mask that shows the value, picked the way FormatFloat picks
// it: the second for negatives and the third for zero, when present and not empty.
QString SectionFor(const QString& format, double value)
{
    const QStringList sections = MaskSections(format);
    if (value == 0 && sections.size() >= 3 && !sections[2].isEmpty())
        return sections[2];
    if (value < 0 && sections.size() >= 2 && !sections[1].isEmpty())
        return sections[1];
    return sections[0];
}

// '%' signs outside quotes; an escaped one is only a sign.
int PercentSigns(const QString& section)
{
    int count = 0;
    QChar quote;
    for (qsizetype i = 0; i < section.size(); ++i) {
        const QChar c = section[i];
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '\\') {
            ++i;
        } else if (c == '%') {
            ++count;
        }
    }
    return count;
}

// The value with its decimal point moved right by `places`, on the number as written
// (its shortest form), so that 0.285 becomes 28.5 and rounds as written rather than
// from 28.499999999999996.
double ShiftDecimal(double value, int places)
{
    char buf[64];
    const auto written = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific);
    char* const e = std::find(buf, written.ptr, 'e');
    int exponent = 0;
    std::from_chars(e + 1 + (e[1] == '+'), written.ptr, exponent);
    const auto end = std::to_chars(e + 1, buf + sizeof buf, exponent + places).ptr;
    double shifted = 0;
    if (std::from_chars(buf, end, shifted).ec != std::errc())
        return value * std::pow(10.0, places);
    return shifted;
}

}  // namespace

bool IsDateFormat(const QString& format)
{
    bool quoted = false;
    bool dateLetter = false;
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format[i];
        if (c == '"') {
            quoted = !quoted;
            continue;
        }
        if (quoted)
            continue;
        if (c == '\\') {
            ++i;
            continue;
        }
        if (c == '0' || c == '#')
            return false;
        const QChar l = c.toLower();
        if (l == 'd' || l == 'm' || l == 'y')
            dateLetter = true;
    }
    return dateLetter && format.compare(QLatin1String("General"), Qt::CaseInsensitive) != 0;
}

QString FormatGeneral(double value)
{
    if (value == 0)
        return QStringLiteral("0");
    const double a = std::fabs(value);
    if (a >= 1e11 || a < 1e-9) {
        QString s = QString::number(value, 'E', 5);
        // 1.50000E+12 reads as 1.5E+12
        const qsizetype e = s.indexOf('E');
        QString mant = s.left(e);
        while (mant.endsWith('0'))
            mant.chop(1);
        if (mant.endsWith('.'))
            mant.chop(1);
        return mant + s.mid(e);
    }
    const int intDigits = a >= 1 ? int(std::floor(std::log10(a))) + 1 : 0;
    const int decimals = std::max(0, 10 - intDigits);
    QString s = QString::number(value, 'f', decimals);
    if (s.contains('.')) {
        while (s.endsWith('0'))
            s.chop(1);
        if (s.endsWith('.'))
            s.chop(1);
    }
    if (s == QLatin1String("-0"))
        s = QStringLiteral("0");
    return s;
}

namespace {
bool IsGeneral(const QString& format)
{
    return format.isEmpty() || format.compare(QLatin1String("General"), Qt::CaseInsensitive) == 0;
}

// The day a number under a date format shows; none for day numbers outside what a
// calendar can show, which read as the number itself.
QDate CalendarDay(double value)
{
    if (value < -657434 || value > 2958465)
        return {};
    return DayNumber::ToDate(qint64(std::floor(value)));
}
}  // namespace

QString FormatNumber(const QString& format, double value)
{
    if (IsGeneral(format))
        return FormatGeneral(value);
    if (IsDateFormat(format)) {
        const QDate day = CalendarDay(value);
        return day.isValid() ? FormatDate(format, day) : FormatGeneral(value);
    }
    // A '%' shows the number as a percentage, times a hundred for each sign, as the
    // saved workbook shows it. The application's own masks (FormatFloat) keep '%' as a
    // plain sign, their values being percentages already, so the scaling is done here.
    const int percents = PercentSigns(SectionFor(format, value));
    if (percents > 0 && value != 0)
        value = ShiftDecimal(value, 2 * percents);
    return FormatFloat(format, value);
}

QString PlainNumber(const QString& format, double value)
{
    if (IsGeneral(format))
        return FormatGeneral(value);
    if (IsDateFormat(format)) {
        const QDate day = CalendarDay(value);
        return day.isValid() ? day.toString(Qt::ISODate) : FormatGeneral(value);
    }
    // The decimals the section shows, two more for each '%' it scales by.
    const QString section = SectionFor(format, value);
    int decimals = 0;
    bool quoted = false;
    const qsizetype point = section.indexOf('.');
    for (qsizetype i = point < 0 ? section.size() : point + 1; i < section.size(); ++i) {
        if (section[i] == '"')
            quoted = !quoted;
        else if (!quoted && (section[i] == '0' || section[i] == '#'))
            ++decimals;
    }
    decimals += 2 * PercentSigns(section);
    // Through the grid's own rounding, on a mask whose only separator is the decimal one.
    const QString mask = decimals > 0 ? QStringLiteral("0.") + QString(decimals, '0') : QStringLiteral("0");
    QString text = FormatFloat(mask, value);
    text.replace(FormatSettings().DecimalSeparator, QLatin1Char('.'));
    // A value that rounds to nothing is written without a sign.
    if (text.startsWith('-') && std::none_of(text.cbegin(), text.cend(), [](QChar c) { return c >= '1' && c <= '9'; }))
        text.remove(0, 1);
    return text;
}

QString DatePatternToExcel(const QString& pattern)
{
    QString out;
    QString literal;
    auto flush = [&] {
        if (!literal.isEmpty())
            out += '"' + literal + '"';
        literal.clear();
    };
    bool quoted = false;
    QChar quote;
    for (const QChar c : pattern) {
        if (quoted) {
            if (c == quote)
                quoted = false;
            else
                literal += c;
            continue;
        }
        if (c == '"' || c == '\'') {
            quoted = true;
            quote = c;
            continue;
        }
        const QChar l = c.toLower();
        if (l == 'd' || l == 'm' || l == 'y') {
            flush();
            out += l;
            continue;
        }
        if (QStringLiteral("-/.,: ").contains(c)) {
            flush();
            out += c;
            continue;
        }
        literal += c;
    }
    flush();
    return out;
}

}  // namespace SheetFormats
