#include "DateEntry.h"

#include "Formats.h"

#include <QList>
#include <QStringList>

namespace {

struct TToken {
    QString Text;
    bool Number;
};

QList<TToken> Tokens(const QString& text)
{
    QList<TToken> tokens;
    for (qsizetype i = 0; i < text.size();) {
        const QChar c = text[i];
        if (c.isDigit() || c.isLetter()) {
            const bool number = c.isDigit();
            qsizetype j = i;
            while (j < text.size() && (number ? text[j].isDigit() : text[j].isLetter()))
                ++j;
            tokens.push_back({text.mid(i, j - i), number});
            i = j;
        } else {
            ++i;
        }
    }
    return tokens;
}

// The month a word names, 1 to 12: the whole name or at least its first three letters,
// in the user's language or English; 0 for none, -1 for a day's name.
int MonthOfWord(const QString& word)
{
    const QString w = word.toCaseFolded();
    // The name whole, or the word at least `least` letters long and the name's start;
    // abbreviations' dots do not count.
    auto names = [&w](const QString& name, int least) {
        QString n = name.toCaseFolded();
        n.remove('.');
        return !n.isEmpty() && (w == n || (w.size() >= least && n.startsWith(w)));
    };
    for (const QLocale& locale : {FormatSettings().Locale, QLocale::c()}) {
        for (int m = 1; m <= 12; ++m)
            if (names(locale.monthName(m, QLocale::LongFormat), 3)
                || names(locale.standaloneMonthName(m, QLocale::LongFormat), 3)
                || names(locale.monthName(m, QLocale::ShortFormat), 3))
                return m;
        for (int d = 1; d <= 7; ++d)
            if (names(locale.dayName(d, QLocale::LongFormat), 2) || names(locale.dayName(d, QLocale::ShortFormat), 2))
                return -1;
    }
    return 0;
}

int FullYear(const QString& digits)
{
    const int y = digits.toInt();
    if (digits.size() > 2)
        return y;
    const int century = QDate::currentDate().year() / 100 * 100;
    int year = century + y;
    if (year > QDate::currentDate().year() + 20)
        year -= 100;
    return year;
}

// The order of day, month and year in the short date format: "dmy", "mdy", "ymd".
QString ShortDateOrder()
{
    QString order;
    bool quoted = false;
    for (const QChar c : FormatSettings().ShortDateFormat) {
        if (c == '"' || c == '\'') {
            quoted = !quoted;
            continue;
        }
        const QChar l = c.toLower();
        if (!quoted && (l == 'd' || l == 'm' || l == 'y') && !order.contains(l))
            order += l;
    }
    return order.size() == 3 ? order : QStringLiteral("dmy");
}

QDate Make(int year, int month, int day)
{
    const QDate date(year, month, day);
    return date.isValid() ? date : QDate();
}

}  // namespace

QDate ParseTypedDate(const QString& text, const QDate& near)
{
    QStringList numbers;
    int month = 0;
    for (const TToken& t : Tokens(text)) {
        if (t.Number) {
            numbers << t.Text;
            continue;
        }
        const int m = MonthOfWord(t.Text);
        if (m == 0 || (m > 0 && month > 0))
            return {};
        if (m > 0)
            month = m;
    }
    if (numbers.isEmpty() || numbers.size() > 3)
        return {};
    const QDate base = near.isValid() ? near : QDate::currentDate();
    if (month > 0) {
        // The year is the long number, or the later one; the day the other.
        if (numbers.size() == 1)
            return numbers[0].size() <= 2 ? Make(base.year(), month, numbers[0].toInt()) : QDate();
        if (numbers.size() != 2)
            return {};
        const bool firstIsYear = numbers[0].size() > 2 && numbers[1].size() <= 2;
        const QString day = firstIsYear ? numbers[1] : numbers[0];
        const QString year = firstIsYear ? numbers[0] : numbers[1];
        return day.size() <= 2 ? Make(FullYear(year), month, day.toInt()) : QDate();
    }
    QString order = ShortDateOrder();
    // Digits typed without separators, in the short date's order.
    if (numbers.size() == 1 && (numbers[0].size() == 6 || numbers[0].size() == 8)) {
        const QString all = numbers[0];
        const int yearLength = all.size() - 4;
        numbers.clear();
        qsizetype at = 0;
        for (const QChar part : order) {
            const int length = part == 'y' ? yearLength : 2;
            numbers << all.mid(at, length);
            at += length;
        }
    }
    if (numbers[0].size() == 4)
        order = QStringLiteral("ymd");  // ISO, whatever the short date says
    for (const QString& n : numbers)
        if (n.size() > 4)
            return {};
    if (numbers.size() < 3)
        order.remove('y');
    if (numbers.size() < 2)
        order.remove('m');
    int day = 0, year = base.year();
    month = base.month();
    for (qsizetype i = 0; i < numbers.size(); ++i) {
        const QString& n = numbers[i];
        switch (order[i].unicode()) {
        case 'd': day = n.size() <= 2 ? n.toInt() : 0; break;
        case 'm': month = n.size() <= 2 ? n.toInt() : 0; break;
        default: year = FullYear(n); break;
        }
    }
    return Make(year, month, day);
}
