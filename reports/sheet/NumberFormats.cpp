#include "NumberFormats.h"
#include "DayNumber.h"
#include "Formats.h"
#include <cmath>

namespace SheetFormats {

bool IsDateFormat(const QString& format) {
    bool quoted = false;
    bool dateLetter = false;
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format[i];
        if (c == '"') { quoted = !quoted; continue; }
        if (quoted) continue;
        if (c == '\\') { ++i; continue; }
        if (c == '0' || c == '#') return false;
        const QChar l = c.toLower();
        if (l == 'd' || l == 'm' || l == 'y') dateLetter = true;
    }
    return dateLetter && format.compare(QLatin1String("General"), Qt::CaseInsensitive) != 0;
}

QString FormatGeneral(double value) {
    if (value == 0) return QStringLiteral("0");
    const double a = std::fabs(value);
    if (a >= 1e11 || a < 1e-9) {
        QString s = QString::number(value, 'E', 5);
        // 1.50000E+12 reads as 1.5E+12
        const qsizetype e = s.indexOf('E');
        QString mant = s.left(e);
        while (mant.endsWith('0')) mant.chop(1);
        if (mant.endsWith('.')) mant.chop(1);
        return mant + s.mid(e);
    }
    const int intDigits = a >= 1 ? int(std::floor(std::log10(a))) + 1 : 0;
    const int decimals = std::max(0, 10 - intDigits);
    QString s = QString::number(value, 'f', decimals);
    if (s.contains('.')) {
        while (s.endsWith('0')) s.chop(1);
        if (s.endsWith('.')) s.chop(1);
    }
    if (s == QLatin1String("-0")) s = QStringLiteral("0");
    return s;
}

QString FormatNumber(const QString& format, double value) {
    if (format.isEmpty() || format.compare(QLatin1String("General"), Qt::CaseInsensitive) == 0)
        return FormatGeneral(value);
    if (IsDateFormat(format)) {
        // Day numbers outside what a calendar can show read as the number itself.
        if (value < -657434 || value > 2958465) return FormatGeneral(value);
        return FormatDate(format, DayNumber::ToDate(qint64(std::floor(value))));
    }
    return FormatFloat(format, value);
}

QString DatePatternToExcel(const QString& pattern) {
    QString out;
    QString literal;
    auto flush = [&] {
        if (!literal.isEmpty()) out += '"' + literal + '"';
        literal.clear();
    };
    bool quoted = false;
    QChar quote;
    for (const QChar c : pattern) {
        if (quoted) {
            if (c == quote) quoted = false;
            else literal += c;
            continue;
        }
        if (c == '"' || c == '\'') { quoted = true; quote = c; continue; }
        const QChar l = c.toLower();
        if (l == 'd' || l == 'm' || l == 'y') { flush(); out += l; continue; }
        if (QStringLiteral("-/.,: ").contains(c)) { flush(); out += c; continue; }
        literal += c;
    }
    flush();
    return out;
}

}  // namespace SheetFormats
