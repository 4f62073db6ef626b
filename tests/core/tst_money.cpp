// Money, day numbers and the number and date formats shared by every screen and report.
#include "DayNumber.h"
#include "Errors.h"
#include "Formats.h"
#include "Money.h"

#include <QtTest>
#include <limits>

class TestMoney : public QObject {
    Q_OBJECT
private slots:
    void init() { FormatSettings() = TFormatSettings(); }

    void parseValid_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qint64>("scaled");
        QTest::newRow("whole") << "12" << qint64(120000);
        QTest::newRow("decimals") << "-12.5" << qint64(-125000);
        QTest::newRow("plus sign") << "+3" << qint64(30000);
        QTest::newRow("four decimals") << "0.0001" << qint64(1);
        QTest::newRow("grouped") << "1,234,567.8901" << qint64(12345678901);
        QTest::newRow("leading point") << ".5" << qint64(5000);
        QTest::newRow("trailing point") << "5." << qint64(50000);
        QTest::newRow("blanks around") << "  7 " << qint64(70000);
        QTest::newRow("largest") << "922,337,203,685,477.5807" << std::numeric_limits<qint64>::max();
        QTest::newRow("most negative but one") << "-922337203685477.5807" << -std::numeric_limits<qint64>::max();
    }
    void parseValid()
    {
        QFETCH(QString, text);
        QFETCH(qint64, scaled);
        QCOMPARE(Money::Parse(text).Scaled(), scaled);
    }

    void parseInvalid_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("empty") << "";
        QTest::newRow("letters") << "abc";
        QTest::newRow("trailing letters") << "12abc";
        QTest::newRow("five decimals") << "1.23456";
        QTest::newRow("short group") << "12,34";
        QTest::newRow("long group") << "1,2345";
        QTest::newRow("long first group") << "1234,567";
        QTest::newRow("two points") << "1..2";
        QTest::newRow("two signs") << "--1";
        QTest::newRow("exponent") << "1e5";
        QTest::newRow("inner blank") << "1 000";
        QTest::newRow("sign only") << "-";
        QTest::newRow("too large") << "922337203685478";
        QTest::newRow("too large by a fraction") << "922337203685477.5808";
    }
    void parseInvalid()
    {
        QFETCH(QString, text);
        try {
            Money::Parse(text);
            QFAIL("no error");
        } catch (const EConvertError& e) {
            // The message names what was typed, so the user sees what was refused.
            QVERIFY2(e.Message().contains("'" + text + "'"), qPrintable(e.Message()));
        }
    }

    void parseFollowsSeparators_data()
    {
        QTest::addColumn<QChar>("group");
        QTest::addColumn<QString>("text");
        QTest::addColumn<qint64>("scaled");  // -1: refused
        QTest::newRow("German") << QChar('.') << "1.234,5" << qint64(12345000);
        QTest::newRow("German refuses English") << QChar('.') << "1,234.5" << qint64(-1);
        // French shows a narrow no-break space; keyboards give the other two.
        for (const QChar shown : {QChar(0x202F), QChar(0xA0)}) {
            const QString locale = shown == QChar(0x202F) ? "French" : "Swiss French";
            QTest::addRow("%s, narrow space", qPrintable(locale)) << shown << "1\u202F234,5" << qint64(12345000);
            QTest::addRow("%s, no-break space", qPrintable(locale)) << shown << "1\u00A0234,5" << qint64(12345000);
            QTest::addRow("%s, ordinary space", qPrintable(locale)) << shown << "1 234 567,5" << qint64(12345675000);
            QTest::addRow("%s, misplaced space", qPrintable(locale)) << shown << "12 34,5" << qint64(-1);
            QTest::addRow("%s, dot is no group", qPrintable(locale)) << shown << "1.234,5" << qint64(-1);
        }
    }
    void parseFollowsSeparators()
    {
        QFETCH(QChar, group);
        QFETCH(QString, text);
        QFETCH(qint64, scaled);
        FormatSettings().DecimalSeparator = ',';
        FormatSettings().ThousandSeparator = group;
        if (scaled < 0)
            QVERIFY_THROWS_EXCEPTION(EConvertError, Money::Parse(text));
        else
            QCOMPARE(Money::Parse(text).Scaled(), scaled);
    }

    void arithmeticNeverWraps()
    {
        const Money max = Money::FromScaled(std::numeric_limits<qint64>::max());
        const Money min = Money::FromScaled(std::numeric_limits<qint64>::min());
        QVERIFY_THROWS_EXCEPTION(EOverflowError, max + Money::FromScaled(1));
        QVERIFY_THROWS_EXCEPTION(EOverflowError, min - Money::FromScaled(1));
        QVERIFY_THROWS_EXCEPTION(EOverflowError, -min);
        QVERIFY_THROWS_EXCEPTION(EOverflowError, Money::FromInteger(std::numeric_limits<qint64>::max() / 10000 + 1));
        QVERIFY_THROWS_EXCEPTION(EOverflowError, Money::FromDouble(1e300));
        QVERIFY_THROWS_EXCEPTION(EOverflowError, Money::FromDouble(std::nan("")));
        QCOMPARE((Money::Parse("0.1") + Money::Parse("0.2")).Scaled(), qint64(3000));
    }

    void fromDoubleRoundsHalfAwayFromZero_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<qint64>("scaled");
        QTest::newRow("half up") << 0.00005 << qint64(1);
        QTest::newRow("half down negative") << -0.00005 << qint64(-1);
        QTest::newRow("margin") << 50.0 << qint64(500000);
        QTest::newRow("third") << 100.0 / 3.0 << qint64(333333);
    }
    void fromDoubleRoundsHalfAwayFromZero()
    {
        QFETCH(double, value);
        QFETCH(qint64, scaled);
        QCOMPARE(Money::FromDouble(value).Scaled(), scaled);
    }

    void toStringRoundTrips_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("zero") << "0";
        QTest::newRow("fraction") << "-0.25";
        QTest::newRow("whole") << "1234";
        QTest::newRow("tiny") << "0.0001";
        QTest::newRow("largest") << "922337203685477.5807";
    }
    void toStringRoundTrips()
    {
        QFETCH(QString, text);
        QCOMPARE(Money::Parse(text).ToString(), text);
    }

    void formatMoney_data()
    {
        QTest::addColumn<QString>("mask");
        QTest::addColumn<QString>("amount");
        QTest::addColumn<QString>("expected");
        QTest::newRow("display") << Masks::Money << "1234567.891"
                                 << "1,234,567.89";
        QTest::newRow("display small") << Masks::Money << "0.5"
                                       << "0.50";
        QTest::newRow("display negative") << Masks::Money << "-1234.5"
                                          << "-1,234.50";
        QTest::newRow("display rounds half up") << Masks::Money << "0.125"
                                                << "0.13";
        QTest::newRow("display rounds away from zero") << Masks::Money << "-0.125"
                                                       << "-0.13";
        QTest::newRow("rounding carries") << Masks::Money << "999.995"
                                          << "1,000.00";
        QTest::newRow("negative rounds to zero") << Masks::Money << "-0.004"
                                                 << "0.00";
        QTest::newRow("edit") << Masks::MoneyEdit << "1234567.891"
                              << "1234567.89";
        QTest::newRow("report positive") << Masks::ReportMoney << "1234.5"
                                         << "1,234.50";
        QTest::newRow("report negative in brackets") << Masks::ReportMoney << "-1234.5"
                                                     << "(1,234.50)";
        QTest::newRow("report zero") << Masks::ReportMoney << "0"
                                     << "0.00";
        QTest::newRow("percent literal") << Masks::Percent << "50"
                                         << "50.00%";
        QTest::newRow("percent negative") << Masks::Percent << "-100"
                                          << "-100.00%";
        QTest::newRow("largest") << Masks::Money << "922337203685477.5807"
                                 << "922,337,203,685,477.58";
        QTest::newRow("optional decimals") << "0.##"
                                           << "2.5"
                                           << "2.5";
        QTest::newRow("no integer placeholder") << "#.00"
                                                << "0.5"
                                                << ".50";
        QTest::newRow("zero section") << "0.00;(0.00);\"nil\""
                                      << "0"
                                      << "nil";
        QTest::newRow("quoted literal") << "'$'#,##0"
                                        << "1234"
                                        << "$1,234";
    }
    void formatMoney()
    {
        QFETCH(QString, mask);
        QFETCH(QString, amount);
        QFETCH(QString, expected);
        QCOMPARE(FormatMoney(mask, Money::Parse(amount)), expected);
    }

    void formatFloat_data()
    {
        QTest::addColumn<QString>("mask");
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("expected");
        QTest::newRow("as written, not as stored") << "0.00" << 1.005 << "1.01";
        QTest::newRow("half away from zero") << "0" << 2.5 << "3";
        QTest::newRow("negative half") << "0" << -2.5 << "-3";
        QTest::newRow("large") << Masks::Money << 1234567890.125 << "1,234,567,890.13";
        QTest::newRow("percent") << Masks::Percent << 33.333333 << "33.33%";
        QTest::newRow("report negative") << Masks::ReportMoney << -0.5 << "(0.50)";
    }
    void formatFloat()
    {
        QFETCH(QString, mask);
        QFETCH(double, value);
        QFETCH(QString, expected);
        QCOMPARE(FormatFloat(mask, value), expected);
    }

    void formatUsesSeparators()
    {
        FormatSettings().DecimalSeparator = ',';
        FormatSettings().ThousandSeparator = '.';
        QCOMPARE(FormatMoney(Masks::Money, Money::Parse("1.234.567,5")), QString("1.234.567,50"));
    }

    void dayNumbers_data()
    {
        QTest::addColumn<int>("day");
        QTest::addColumn<QDate>("date");
        QTest::newRow("day zero") << 0 << QDate(1899, 12, 30);
        QTest::newRow("first of 1900") << 2 << QDate(1900, 1, 1);
        QTest::newRow("first of 2000") << 36526 << QDate(2000, 1, 1);
        QTest::newRow("end of January 2000") << 36556 << QDate(2000, 1, 31);
        QTest::newRow("first of 2004") << 37987 << QDate(2004, 1, 1);
        QTest::newRow("leap day 2004") << 38046 << QDate(2004, 2, 29);
        QTest::newRow("before day zero") << -1 << QDate(1899, 12, 29);
    }
    void dayNumbers()
    {
        QFETCH(int, day);
        QFETCH(QDate, date);
        QCOMPARE(DayNumber::FromDate(date), day);
        QCOMPARE(DayNumber::ToDate(day), date);
        QCOMPARE(DayNumber::YearOf(day), date.year());
        QCOMPARE(DayNumber::MonthOf(day), date.month());
    }

    void datePatterns_data()
    {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QDate>("date");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QString>("qtPattern");
        QTest::newRow("report short date") << "dd-mmm-yyyy" << QDate(2002, 1, 7) << "07-Jan-2002"
                                           << "dd-MMM-yyyy";
        QTest::newRow("report title") << "D MMMM YYYY" << QDate(2002, 1, 7) << "7 January 2002"
                                      << "d MMMM yyyy";
        QTest::newRow("numeric") << "d/m/yy" << QDate(2004, 2, 29) << "29/2/04"
                                 << "d/M/yy";
        QTest::newRow("long with day name") << "dddd, d mmmm yyyy" << QDate(2004, 2, 29) << "Sunday, 29 February 2004"
                                            << "dddd, d MMMM yyyy";
        QTest::newRow("quoted text") << "d \"of\" mmmm" << QDate(2004, 2, 29) << "29 of February"
                                     << "d 'of' MMMM";
    }
    void datePatterns()
    {
        QFETCH(QString, pattern);
        QFETCH(QDate, date);
        QFETCH(QString, expected);
        QFETCH(QString, qtPattern);
        QCOMPARE(FormatDate(pattern, date), expected);
        QCOMPARE(DatePatternToQt(pattern), qtPattern);
        QCOMPARE(QLocale::c().toString(date, DatePatternToQt(pattern)), expected);
    }

    void shortDateSwitch()
    {
        FormatSettings().ShortDateFormat = "dd-mmm-yyyy";
        QCOMPARE(FormatSettings().DateToStr(QDate(2004, 2, 1)), QString("01-Feb-2004"));
        QCOMPARE(FormatSettings().DateToStr(QDate()), QString());
    }
};

QTEST_GUILESS_MAIN(TestMoney)
#include "tst_money.moc"
