#pragma once
// Number masks and date patterns, and the application-wide format settings.
//
// Number masks follow the classic rules: '0' a digit always shown, '#' a digit shown when
// significant, ',' anywhere in the integer part turns on thousands grouping, the first '.'
// is the decimal point, text in quotes and any other character is literal. Up to three
// sections separated by ';' give the positive, negative and zero forms; a negative value
// formatted by its own section gets no minus sign. Rounding is half away from zero.
// Masks in use: "###,###,###,##0.00", "###########0.00", "##0.00%", "#,##0.00;(#,##0.00)".
//
// Date patterns use the classic letters in either case: d, dd, ddd, dddd, m, mm, mmm,
// mmmm, yy, yyyy; text in quotes and other characters are literal
// ("dd-mmm-yyyy" gives 07-Jan-2002, "D MMMM YYYY" gives 7 January 2002).
#include "Money.h"
#include <QDate>
#include <QLocale>
#include <QString>
#include <QStringList>

QString FormatFloat(const QString& mask, double value);
// The sections of a mask, split at each ';' outside quotes.
QStringList MaskSections(const QString& mask);
QString FormatMoney(const QString& mask, Money value);
QString FormatDate(const QString& pattern, const QDate& date);

// The same pattern in Qt's notation, for QDateEdit::setDisplayFormat and the like.
QString DatePatternToQt(const QString& pattern);

// One global object: starts from fixed English defaults; the program calls
// InitFromSystem at start, and the report screens switch the short date format to
// "dd-mmm-yyyy" for the rest of the run.
class TFormatSettings {
public:
    QString ShortDateFormat = "dd/mm/yyyy";
    QString LongDateFormat = "dddd, d mmmm yyyy";
    QChar DecimalSeparator = '.';
    QChar ThousandSeparator = ',';
    QLocale Locale = QLocale::c();  // month and day names

    void InitFromSystem();
    QString DateToStr(const QDate& date) const { return FormatDate(ShortDateFormat, date); }
    QString LongDateToStr(const QDate& date) const { return FormatDate(LongDateFormat, date); }
    // A month as the messages name it: "February 2004", in the user's language.
    QString MonthToStr(int year, int month) const
    {
        return Locale.monthName(month, QLocale::LongFormat) + ' ' + QString::number(year);
    }
};

TFormatSettings& FormatSettings();

namespace Masks {
inline const QString Money = QStringLiteral("###,###,###,##0.00");
inline const QString MoneyEdit = QStringLiteral("###########0.00");
inline const QString Percent = QStringLiteral("##0.00%");
inline const QString ReportMoney = QStringLiteral("#,##0.00;(#,##0.00)");
}  // namespace Masks
