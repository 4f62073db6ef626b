// Bad input typed into the real screens as a shop owner types it: years and months,
// descriptions, references and notes, amounts, a day's line numbers at their limit and
// totals beyond the largest amount. A refused input gets one message in words, leaves the
// whole book as it was and stays on the screen to be corrected; an accepted one is stored
// exactly as typed.
#include "DayNumber.h"
#include "Formats.h"
#include "LedgerBook.h"
#include "ScreenDriver.h"
#include "ScriptedDialogs.h"
#include "frm_DailyExpenses.h"
#include "frm_DailySales.h"
#include "frm_DailyTransaction.h"
#include "frm_Expense.h"
#include "frm_ExpenseTransactions.h"
#include "frm_ExpenseType.h"
#include "frm_Period.h"
#include "frm_Sales.h"
#include "frm_TransactionSales.h"

#include <QRegularExpression>
#include <QtTest>
#include <limits>
#include <memory>

namespace {

int tried = 0;  // inputs whose row passed, over the whole run

const QDate Jan10(2026, 1, 10), Jan20(2026, 1, 20);
const qint64 Largest = std::numeric_limits<qint64>::max() / 100 * 100;  // 922,337,203,685,477.58

struct TShop {
    TTestBook book;
    TScriptedDialogsScope dialogs;
    TShop()
    {
        AddItems(book);
        // The item screens number new items after the three above.
        book.Exec("UPDATE RESOURCE SET RESOURCE_VALUE = '3' WHERE RESOURCE_NAME IN ('SALES_ID', 'EXPENSE_ID')");
    }
    void Day(const QDate& d, int lastExpense = 0, int lastSales = 0)
    {
        book.Exec(QStringLiteral("INSERT OR IGNORE INTO PERIOD VALUES (1, %1, %2, 0, 0)").arg(d.year()).arg(d.month()));
        book.Exec(QStringLiteral("INSERT OR IGNORE INTO DAILY_TRANSACTION VALUES (1, %1, %2, %3, 0, 0, %4, %5)")
                      .arg(d.year())
                      .arg(d.month())
                      .arg(DayNumber::FromDate(d))
                      .arg(lastExpense)
                      .arg(lastSales));
    }
    // Everything the screens can write: totals, counters, lines with their references,
    // items, expense types, settings and the tables themselves.
    QString Whole()
    {
        return QStringList {
            BookText(book),
            book.Column("SELECT TRANSACTION_DATE || '#' || DAILY_EXPENSE_ID || ':' || IFNULL(REFERENCE, '-') "
                        "FROM DAILY_EXPENSE ORDER BY 1")
                .join(' '),
            book.Column("SELECT SALES_ID || ':' || IFNULL(SALES_DESCRIPTION, '-') || ':' || IFNULL(TAXABLE, '-') "
                        "|| ':' || IFNULL(AMOUNT, '-') FROM SALES ORDER BY SALES_ID")
                .join(' '),
            book.Column("SELECT EXPENSE_ID || ':' || IFNULL(EXPENSE_DESCRIPTION, '-') || ':' || "
                        "IFNULL(TAXABLE, '-') || ':' || IFNULL(AMOUNT, '-') FROM EXPENSE ORDER BY EXPENSE_ID")
                .join(' '),
            book.Column("SELECT EXPENSE_TYPE_ID || ':' || IFNULL(EXPENSE_TYPE_DESCRIPTION, '-') FROM EXPENSE_TYPE "
                        "ORDER BY 1")
                .join(' '),
            book.Column("SELECT RESOURCE_NAME || '=' || IFNULL(RESOURCE_VALUE, '-') FROM RESOURCE ORDER BY 1")
                .join(' '),
            book.Column("SELECT name FROM sqlite_master ORDER BY name").join(' ')}
            .join(" | ");
    }
    QString Broken() { return QStringList {BrokenInvariants(book), BrokenNumbering(book)}.join(' ').trimmed(); }
};

// One message, an error, that says `says` in the user's words: none of the engine's, no
// table or column names.
void CheckOneRefusal(const TShop& shop, const QString& says)
{
    const QStringList texts = shop.dialogs->MessageTexts();
    QCOMPARE(texts.size(), 1);
    QCOMPARE(shop.dialogs->Messages().first().Type, mtError);
    const QString& text = texts.first();
    QVERIFY2(text.contains(says, Qt::CaseInsensitive), qPrintable(text));
    static const QRegularExpression engine(
        "constraint|sqlite|\\bsql\\b|syntax|no such|integer overflow|unique|not null|unexpected error",
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression names("\\b[A-Z]+_[A-Z_]+\\b|\\b[A-Z]{5,}\\b|\\bYYYY\\b|\\bMM\\b");
    QVERIFY2(!engine.match(text).hasMatch() && !names.match(text).hasMatch(), qPrintable(text));
}

// Types over what the field holds; nothing typed is the field emptied with Backspace.
void Type(QLineEdit* edit, const QString& text)
{
    TypeInto(edit, text);
    if (text.isEmpty())
        QTest::keyClick(edit, Qt::Key_Backspace);
}

// What a paste puts into a field: the whole text at once, characters of any plane.
void Paste(QLineEdit* edit, const QString& text)
{
    edit->setFocus();
    edit->selectAll();
    edit->insert(text);
}
void Paste(QPlainTextEdit* memo, const QString& text)
{
    memo->setFocus();
    memo->selectAll();
    memo->insertPlainText(text);
}

// `count` characters (not UTF-16 units) of `pattern`, repeated.
QString Characters(const QString& pattern, int count)
{
    const QList<uint> all = pattern.toUcs4();
    QList<uint> out;
    for (int i = 0; i < count; ++i)
        out << all[i % all.size()];
    return QString::fromUcs4(reinterpret_cast<const char32_t*>(out.constData()), out.size());
}

enum TLineScreen { IncomeTransactions, ExpenseTransactions, DailyIncome, DailyExpenses };

const char* const ScreenNames[] = {"income transactions", "expense transactions", "daily income", "daily expenses"};

// One line screen on the shop's book: a transactions screen shown as the menu shows it,
// or a daily screen of `day` as the day list opens it, on a day that has its record.
struct TLineDesk {
    TLineKind kind;
    TDayKey key;
    std::unique_ptr<TfrmLineScreen> screen;

    TLineDesk(TShop& shop, int which, const QDate& day, int lastNumber = 0)
        : kind(which == IncomeTransactions || which == DailyIncome ? TLineKind::Income : TLineKind::Expense)
    {
        if (which == DailyIncome || which == DailyExpenses || lastNumber > 0)
            shop.Day(day, lastNumber, lastNumber);
        if (which == IncomeTransactions || which == ExpenseTransactions) {
            auto* lines = which == IncomeTransactions ? static_cast<TfrmLineTransactions*>(new TfrmTransactionSales)
                                                      : new TfrmExpenseTransactions;
            screen.reset(lines);
            ShowTransactionsScreen(lines);
            return;
        }
        key = {day.year(), day.month(), DayNumber::FromDate(day), false};
        auto* daily = which == DailyIncome ? static_cast<TfrmLineDay*>(new TfrmDailySales) : new TfrmDailyExpenses;
        screen.reset(daily);
        daily->SetDay(key);
        daily->show();
    }
    TfrmLineTransactions* Transactions() const { return qobject_cast<TfrmLineTransactions*>(screen.get()); }
    // Add, the date on a transactions screen, the first item of the kind.
    void Add(const QDate& day)
    {
        Click(screen->btnAdd);
        if (TfrmLineTransactions* t = Transactions())
            t->edDate->setDate(day);
        Choose(screen->cbItem, kind == TLineKind::Income ? "BAR" : "RENT");
    }
    TDBEdit* Reference() const { return screen->findChild<TDBEdit*>("edReference"); }
};

}  // namespace

class TestBadInput : public QObject {
    Q_OBJECT
private slots:
    void init() { FormatSettings() = TFormatSettings(); }
    void cleanupTestCase() { qInfo("inputs tried: %d, nothing written by any refused one", tried); }

    // ------------------------------------------------------------ years and months

    // The months screen is where a year and a month are typed as text.
    void monthKeys_data()
    {
        QTest::addColumn<QString>("year");
        QTest::addColumn<QString>("month");
        QTest::addColumn<QString>("says");  // empty: accepted
        auto row = [](const char* name, const QString& year, const QString& month, const QString& says) {
            QTest::newRow(name) << year << month << says;
        };
        row("year 20x4", "20x4", "5", "'20x4' is not");
        row("year empty", "", "5", "enter a year");
        row("year spaced", " 2024 ", "5", "");
        row("year 0", "0", "5", "0 is not a year");
        row("year 10000", "10000", "5", "10000 is not a year");
        row("month 0", "2024", "0", "0 is not a month");
        row("month 13", "2024", "13", "13 is not a month");
        row("month empty", "2024", "", "enter a month");
    }
    void monthKeys()
    {
        QFETCH(QString, year);
        QFETCH(QString, month);
        QFETCH(QString, says);
        TShop shop;
        TfrmPeriod screen;
        screen.show();
        Click(screen.btnAdd);
        const QString before = shop.Whole();
        Type(screen.edYear, year);
        Type(screen.edMonth, month);
        Click(screen.btnSave);
        if (says.isEmpty()) {
            QCOMPARE(shop.dialogs->MessageTexts(), QStringList());
            QCOMPARE(shop.book.Column("SELECT YYYY || '/' || MM || ':' || SALES || ':' || EXPENSES FROM PERIOD"),
                     QStringList {"2024/5:0:0"});
            QVERIFY(!screen.EditMode());
        } else {
            CheckOneRefusal(shop, says);
            QCOMPARE(shop.Whole(), before);
            QVERIFY(screen.EditMode());
            QCOMPARE(screen.edYear->text(), year);
            QCOMPARE(screen.edMonth->text(), month);
        }
        ++tried;
    }

    // A line's date and a new day's date are typed into the date box, the year boxes of
    // the key areas only showing it. Enter finishes the date and presses OK.
    void typedYears_data()
    {
        QTest::addColumn<int>("screen");  // a transactions screen, or -1 for the days of January 2026
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("says");
        QTest::addColumn<QDate>("shown");  // by the picker after a refusal
        const QDate typed2024(2024, 1, 10);
        for (int screen : {int(IncomeTransactions), int(ExpenseTransactions), -1}) {
            const char* name = screen < 0 ? "days" : ScreenNames[screen];
            // No date: the picker goes back to the one it had.
            for (const char* bad : {"10/01/20x4", "", "0", "10/01/10000", "10 Janury 2024", "32/01/2024"})
                QTest::addRow("%s, %s", name, bad) << screen << QString(bad) << QString("is not a date") << Jan10;
            // A date with spaces round it is a date: a line takes it, and the days of January
            // 2026 refuse a day of 2024 with the date kept for correcting.
            QTest::addRow("%s, spaced", name)
                << screen << QString(" 10/01/2024 ")
                << QString(screen < 0 ? "Date must be between 01/01/2026 and 31/01/2026" : "") << typed2024;
        }
    }
    void typedYears()
    {
        QFETCH(int, screen);
        QFETCH(QString, typed);
        QFETCH(QString, says);
        QFETCH(QDate, shown);
        TShop shop;
        std::unique_ptr<TLineDesk> lines;
        std::unique_ptr<TfrmDailyTransaction> days;
        TDatePicker* date;
        TfrmBaseDBGrid* s;
        if (screen >= 0) {
            lines = std::make_unique<TLineDesk>(shop, screen, Jan10);
            lines->Add(Jan10);
            TypeInto(lines->screen->edAmount, "1.00");
            s = lines->screen.get();
            date = lines->Transactions()->edDate;
        } else {
            shop.book.Exec("INSERT INTO PERIOD VALUES (1, 2026, 1, 0, 0)");
            days = std::make_unique<TfrmDailyTransaction>();
            days->SetPeriod({2026, 1});
            days->show();
            Click(days->btnAdd);
            days->edDate->setDate(Jan10);
            s = days.get();
            date = days->edDate;
        }
        const QString before = shop.Whole();
        date->setFocus();
        date->selectAll();
        if (typed.isEmpty())
            QTest::keyClick(date, Qt::Key_Backspace);
        QTest::keyClicks(date, typed);
        QTest::keyClick(date, Qt::Key_Return);
        if (says.isEmpty()) {
            QCOMPARE(shop.dialogs->MessageTexts(), QStringList());
            QCOMPARE(shop.book
                         .Scalar(QStringLiteral("SELECT count(*) FROM %1 WHERE YYYY = 2024 AND MM = 1 AND "
                                                "TRANSACTION_DATE = %2")
                                     .arg(Table(lines->kind))
                                     .arg(DayNumber::FromDate(QDate(2024, 1, 10))))
                         .toInt(),
                     1);
            QCOMPARE(lines->Transactions()->edYear->text(), QString("2024"));
            QCOMPARE(shop.Broken(), QString());
        } else {
            CheckOneRefusal(shop, says);
            QCOMPARE(shop.Whole(), before);
            QVERIFY(s->EditMode());
            QCOMPARE(date->date(), shown);
        }
        ++tried;
    }

    // ------------------------------------------------------------ amounts

    void amounts_data()
    {
        QTest::addColumn<int>("screen");  // a line screen, or 4 and 5 for the income items and expenses
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("says");
        QTest::addColumn<qint64>("stored");
        const char* names[] = {ScreenNames[0], ScreenNames[1], ScreenNames[2],
                               ScreenNames[3], "income items", "expenses"};
        for (int screen = 0; screen < 6; ++screen) {
            auto row = [&](const char* name, const QString& typed, const QString& says, qint64 stored = 0) {
                QTest::addRow("%s, %s", names[screen], name) << screen << typed << says << stored;
            };
            row("largest", "922337203685477.58", "", Largest);
            row("largest refund", "-922,337,203,685,477.58", "", -Largest);
            row("a cent more", "922337203685477.59", "too large");
            row("a cent more refund", "-922337203685477.59", "too large");
            // Text that is no amount is read alike by every amount field: a line list of
            // each family and the items are enough.
            if (screen == IncomeTransactions || screen == DailyExpenses || screen == 5) {
                row("1e20", "1e20", "'1e20' is not a valid amount");
                row("1,50", "1,50", "'1,50' is not a valid amount");
                row("--5", "--5", "'--5' is not a valid amount");
                row("abc", "abc", "'abc' is not a valid amount");
            }
            row("-0.001", "-0.001", "at most 2 decimals");
            // An item may go without a default amount; a line never goes without one.
            if (screen < 4)
                row("empty", "", "enter an amount");
        }
    }
    void amounts()
    {
        QFETCH(int, screen);
        QFETCH(QString, typed);
        QFETCH(QString, says);
        QFETCH(qint64, stored);
        TShop shop;
        std::unique_ptr<TLineDesk> lines;
        std::unique_ptr<TfrmBaseDBGrid> items;
        QLineEdit* amount;
        TfrmBaseDBGrid* s;
        if (screen < 4) {
            lines = std::make_unique<TLineDesk>(shop, screen, Jan10);
            lines->Add(Jan10);
            s = lines->screen.get();
            amount = lines->screen->edAmount;
        } else {
            if (screen == 4) {
                auto* sales = new TfrmSales;
                items.reset(sales);
                amount = sales->edIncome;
            } else {
                auto* expense = new TfrmExpense;
                items.reset(expense);
                amount = expense->edExpense;
            }
            s = items.get();
            s->show();
            Click(s->btnAdd);
            Paste(s->findChild<QLineEdit*>(screen == 4 ? "edSalesDescription" : "edExpenseDescription"), "CAKE");
        }
        const QString before = shop.Whole();
        Type(amount, typed);
        Click(s->btnSave);
        if (says.isEmpty()) {
            QCOMPARE(shop.dialogs->MessageTexts(), QStringList());
            const QString sql =
                screen < 4
                    ? QStringLiteral("SELECT %1 FROM %2")
                          .arg(lines->kind == TLineKind::Income ? "SALES_AMOUNT" : "EXPENSE_AMOUNT", Table(lines->kind))
                    : QStringLiteral("SELECT AMOUNT FROM %1 WHERE %1_ID = 4").arg(screen == 4 ? "SALES" : "EXPENSE");
            QCOMPARE(shop.book.Scalar(sql).toLongLong(), stored);
            QCOMPARE(shop.Broken(), QString());
            QVERIFY(!s->EditMode());
        } else {
            CheckOneRefusal(shop, says);
            QCOMPARE(shop.Whole(), before);
            QVERIFY(s->EditMode());
            QCOMPARE(amount->text(), typed);
        }
        ++tried;
    }

    // ------------------------------------------------------------ texts

    void texts_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("says");
        const QString multiByte = QStringLiteral("Caf\u00e9 \u00dcn\u00efc\u00f8d\u00e9 \u65e5\u672c ");
        const QString clef = QStringLiteral("\U0001D11E");  // one character, two UTF-16 units
        const QStringList quoted = {"O'Brien's \"Best\" Bar", "rent; water; power", "x'; DROP TABLE SALES; --"};
        for (const char* field : {"income item", "expense", "expense type", "reference"}) {
            const int size = QString(field) == "reference" ? 20 : 50;
            const QString refused = QStringLiteral("at most %1 characters").arg(size);
            QTest::addRow("%s, %d letters", field, size) << field << QString(size, 'a') << "";
            QTest::addRow("%s, %d letters", field, size + 1) << field << QString(size + 1, 'a') << refused;
            QTest::addRow("%s, %d accented", field, size) << field << Characters(multiByte, size) << "";
            QTest::addRow("%s, %d accented", field, size + 1) << field << Characters(multiByte, size + 1) << refused;
            QTest::addRow("%s, %d ending in a clef", field, size) << field << QString(size - 1, 'a') + clef << "";
            QTest::addRow("%s, %d ending in a clef", field, size + 1) << field << QString(size, 'a') + clef << refused;
            for (const QString& text : quoted)
                QTest::addRow("%s, %s", field, qPrintable(text))
                    << field << text << (text.size() > size ? refused : QString());
        }
        for (const char* field : {"income note", "expense note"}) {
            QTest::addRow("%s, 51 letters", field) << field << QString(51, 'a') << "";
            QTest::addRow("%s, 300 accented", field) << field << Characters(multiByte, 300) << "";
            QTest::addRow("%s, a clef", field) << field << clef + "-notes"
                                               << "";
            for (const QString& text : quoted)
                QTest::addRow("%s, %s", field, qPrintable(text)) << field << text << "";
        }
    }
    void texts()
    {
        QFETCH(QString, field);
        QFETCH(QString, text);
        QFETCH(QString, says);
        TShop shop;
        std::unique_ptr<TfrmBaseDBGrid> items;
        std::unique_ptr<TLineDesk> lines;
        QWidget* edit = nullptr;
        QString column, from;  // where the text is stored
        QString expected = text;
        if (field == "income item") {
            auto* s = new TfrmSales;
            items.reset(s);
            edit = s->edSalesDescription;
            column = "SALES_DESCRIPTION", from = "SALES WHERE SALES_ID = 4";
        } else if (field == "expense") {
            auto* s = new TfrmExpense;
            items.reset(s);
            edit = s->edExpenseDescription;
            column = "EXPENSE_DESCRIPTION", from = "EXPENSE WHERE EXPENSE_ID = 4";
        } else if (field == "expense type") {
            auto* s = new TfrmExpenseType;
            items.reset(s);
            edit = s->edExpenseType;
            column = "EXPENSE_TYPE_DESCRIPTION", from = "EXPENSE_TYPE WHERE EXPENSE_TYPE_ID = 2";
            expected = text.toUpper();  // types are kept in capitals
        } else {
            const int which = field == "income note" ? IncomeTransactions
                              : field == "reference" ? ExpenseTransactions
                                                     : DailyExpenses;
            lines = std::make_unique<TLineDesk>(shop, which, Jan10);
            edit = field == "reference" ? static_cast<QWidget*>(lines->Reference()) : lines->screen->edNote;
            column = field == "reference" ? "REFERENCE" : "NOTE", from = Table(lines->kind);
        }
        TfrmBaseDBGrid* s = items ? items.get() : lines->screen.get();
        if (items) {
            s->show();
            Click(s->btnAdd);
        } else {
            lines->Add(Jan10);
            TypeInto(lines->screen->edAmount, "2.50");
        }
        const QString before = shop.Whole();
        if (auto* line = qobject_cast<QLineEdit*>(edit))
            Paste(line, text);
        else
            Paste(qobject_cast<QPlainTextEdit*>(edit), text);
        Click(s->btnSave);
        if (says.isEmpty()) {
            QCOMPARE(shop.dialogs->MessageTexts(), QStringList());
            QCOMPARE(shop.book.Scalar(QStringLiteral("SELECT %1 FROM %2").arg(column, from)).toString(), expected);
            // The book counts the characters as the screen does.
            QCOMPARE(shop.book.Scalar(QStringLiteral("SELECT length(%1) FROM %2").arg(column, from)).toInt(),
                     expected.toUcs4().size());
            QCOMPARE(shop.book.Scalar("SELECT count(*) FROM sqlite_master WHERE name = 'SALES'").toInt(), 1);
            QVERIFY(!s->EditMode());
        } else {
            CheckOneRefusal(shop, says);
            QCOMPARE(shop.Whole(), before);
            QVERIFY(s->EditMode());
            QCOMPARE(qobject_cast<QLineEdit*>(edit)->text(), expected);
        }
        ++tried;
    }

    // ------------------------------------------------------------ limits of the book

    // A day whose counter stands at the highest number a line can carry takes no more lines.
    void lineNumbers_data()
    {
        QTest::addColumn<int>("screen");
        QTest::addColumn<int>("counter");
        QTest::addColumn<QString>("says");
        for (int screen = 0; screen < 4; ++screen) {
            QTest::addRow("%s, the last number", ScreenNames[screen]) << screen << 32766 << "";
            QTest::addRow("%s, beyond the last", ScreenNames[screen]) << screen << 32767 << "line number 32767";
        }
    }
    void lineNumbers()
    {
        QFETCH(int, screen);
        QFETCH(int, counter);
        QFETCH(QString, says);
        TShop shop;
        TLineDesk lines(shop, screen, Jan10, counter);
        lines.Add(Jan10);
        const QString before = shop.Whole();
        TypeInto(lines.screen->edAmount, "4.00");
        Click(lines.screen->btnSave);
        if (says.isEmpty()) {
            QCOMPARE(shop.dialogs->MessageTexts(), QStringList());
            QCOMPARE(HighestLine(shop.book, lines.kind, DayNumber::FromDate(Jan10)), 32767);
            QCOMPARE(Counter(shop.book, lines.kind, DayNumber::FromDate(Jan10)), 32767);
            QCOMPARE(shop.Broken(), QString());
        } else {
            CheckOneRefusal(shop, says);
            QCOMPARE(shop.Whole(), before);
            QVERIFY(lines.screen->EditMode());
            QCOMPARE(lines.screen->edAmount->text(), QString("4.00"));
        }
        ++tried;
    }

    // A day or month already at the largest amount takes no line that would carry its
    // total beyond it, in either direction.
    void overflowingTotals_data()
    {
        QTest::addColumn<int>("screen");
        QTest::addColumn<QDate>("day");  // of the new line; the largest one is on 10 January
        QTest::addColumn<qint64>("largest");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("total");  // the total the message names
        for (int screen = 0; screen < 4; ++screen) {
            const QString what = screen == IncomeTransactions || screen == DailyIncome ? "income" : "expenses";
            QTest::addRow("%s, the day", ScreenNames[screen])
                << screen << Jan10 << Largest << QString("0.01") << QString("The %1 of 10/01/2026").arg(what);
            QTest::addRow("%s, the month", ScreenNames[screen])
                << screen << Jan20 << Largest << QString("0.01") << QString("The %1 of January 2026").arg(what);
            QTest::addRow("%s, the month's refunds", ScreenNames[screen])
                << screen << Jan20 << -Largest << QString("-1.00") << QString("The %1 of January 2026").arg(what);
        }
    }
    void overflowingTotals()
    {
        QFETCH(int, screen);
        QFETCH(QDate, day);
        QFETCH(qint64, largest);
        QFETCH(QString, typed);
        QFETCH(QString, total);
        TShop shop;
        const TLineKind kind =
            screen == IncomeTransactions || screen == DailyIncome ? TLineKind::Income : TLineKind::Expense;
        // The largest line, with the totals it makes.
        shop.Day(Jan10, 1, 1);
        InsertRawLine(shop.book, kind, DayNumber::FromDate(Jan10), 1, 1, largest);
        shop.book.Exec(QStringLiteral("UPDATE DAILY_TRANSACTION SET %1 = %2")
                           .arg(kind == TLineKind::Income ? "TAKINGS" : "EXPENSES")
                           .arg(largest));
        shop.book.Exec(QStringLiteral("UPDATE PERIOD SET %1 = %2")
                           .arg(kind == TLineKind::Income ? "SALES" : "EXPENSES")
                           .arg(largest));
        QCOMPARE(shop.Broken(), QString());
        TLineDesk lines(shop, screen, day);
        lines.Add(day);
        const QString before = shop.Whole();
        TypeInto(lines.screen->edAmount, typed);
        Click(lines.screen->btnSave);
        CheckOneRefusal(shop, total);
        QVERIFY(shop.dialogs->MessageTexts().first().contains(FormatMoney(Masks::Money, Money::FromScaled(Largest))));
        QCOMPARE(shop.Whole(), before);
        QVERIFY(lines.screen->EditMode());
        QCOMPARE(lines.screen->edAmount->text(), typed);
        ++tried;
    }
};

QTEST_MAIN(TestBadInput)
#include "tst_badinput.moc"
