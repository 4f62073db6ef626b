// The income and expense transactions screens, driven through their widgets as a shop
// owner uses them. Every scenario ends with the whole book checked: totals equal their
// lines, and line numbers neither repeat nor fall behind their day's counter.
#include "DayNumber.h"
#include "HelpViewer.h"
#include "LedgerBook.h"
#include "ScreenDriver.h"
#include "ScriptedDialogs.h"
#include "frm_Expense.h"
#include "frm_ExpenseTransactions.h"
#include "frm_Sales.h"
#include "frm_TransactionSales.h"

#include <QDir>
#include <QTimer>
#include <QtTest>
#include <memory>

namespace {

// The two screens over one book, made as the start-up makes them.
struct TScreens {
    TTestBook book;
    TScriptedDialogsScope dialogs;
    std::unique_ptr<TfrmExpenseTransactions> expense;
    std::unique_ptr<TfrmTransactionSales> income;

    TScreens()
    {
        AddItems(book);
        Make();
    }
    ~TScreens() { Unmake(); }
    void Make()
    {
        expense = std::make_unique<TfrmExpenseTransactions>();
        income = std::make_unique<TfrmTransactionSales>();
    }
    void Unmake()
    {
        income.reset();
        expense.reset();
    }
    TfrmLineTransactions& Screen(TLineKind kind)
    {
        return kind == TLineKind::Income ? static_cast<TfrmLineTransactions&>(*income) : *expense;
    }
    TfrmLineTransactions& Shown(TLineKind kind)
    {
        TfrmLineTransactions& s = Screen(kind);
        ShowTransactionsScreen(&s);
        return s;
    }
    // Empty when the book holds together.
    QString Broken() { return QStringList {BrokenInvariants(book), BrokenNumbering(book)}.join(' ').trimmed(); }
};

const char* Number(TLineKind kind)
{
    return kind == TLineKind::Income ? "DAILY_SALES_ID" : "DAILY_EXPENSE_ID";
}
const char* Amount(TLineKind kind)
{
    return kind == TLineKind::Income ? "SALES_AMOUNT" : "EXPENSE_AMOUNT";
}
// The first item of each kind's test list, and another.
QString FirstItem(TLineKind kind)
{
    return kind == TLineKind::Income ? "BAR" : "RENT";
}
QString OtherItem(TLineKind kind)
{
    return kind == TLineKind::Income ? "FOOD" : "WAGES";
}

// Add, a date, an item, an amount, OK.
void AddLine(TfrmLineTransactions& s, const QDate& date, const QString& item, const QString& amount)
{
    Click(s.btnAdd);
    s.edDate->setDate(date);
    if (!item.isEmpty())
        Choose(s.cbItem, item);
    TypeInto(s.edAmount, amount);
    Click(s.btnSave);
}

// Clicks the row of a line in the grid, as the user picks it.
void PickLine(TfrmLineTransactions& s, TLineKind kind, const QDate& date, int number)
{
    TDataSet& ds = *s.DataSet();
    QVERIFY(ds.Locate(QStringLiteral("TRANSACTION_DATE;%1").arg(Number(kind)),
                      {TValue(DayNumber::FromDate(date)), TValue(number)}));
    ClickRow(s.dbGridBrowser, ds.CurrentIndex());
}

int CurrentNumber(TfrmLineTransactions& s, TLineKind kind)
{
    return int(s.DataSet()->FieldByName(Number(kind)).AsInteger());
}

QString LinesOf(TTestBook& book, TLineKind kind, const QDate& date)
{
    return book
        .Column(QStringLiteral("SELECT %1 || ':' || %2 FROM %3 WHERE TRANSACTION_DATE = %4 ORDER BY %1")
                    .arg(Number(kind), Amount(kind), Table(kind))
                    .arg(DayNumber::FromDate(date)))
        .join(' ');
}

void KindRows()
{
    QTest::addColumn<TLineKind>("kind");
    QTest::newRow("income") << TLineKind::Income;
    QTest::newRow("expense") << TLineKind::Expense;
}

const QDate Jan10(2026, 1, 10), Jan20(2026, 1, 20), Feb5(2026, 2, 5);

}  // namespace

Q_DECLARE_METATYPE(TLineKind)

class TestTransactionScreens : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { ShotsFolder(); }

    void numbersAreNeverReused_data() { KindRows(); }
    void numbersAreNeverReused()
    {
        QFETCH(TLineKind, kind);
        TScreens screens;
        TfrmLineTransactions& s = screens.Shown(kind);
        AddLine(s, Jan10, FirstItem(kind), "10.00");
        AddLine(s, Jan10, OtherItem(kind), "20.00");
        QCOMPARE(LinesOf(screens.book, kind, Jan10), QString("1:100000 2:200000"));
        PickLine(s, kind, Jan10, 2);
        screens.dialogs->AnswerConfirmation(mrOk);
        Click(s.btnDelete);
        AddLine(s, Jan10, FirstItem(kind), "30.00");
        QCOMPARE(LinesOf(screens.book, kind, Jan10), QString("1:100000 3:300000"));
        QCOMPARE(screens.Broken(), QString());
    }

    // A day and month without records get them, with both totals from the lines.
    void saveMakesDayAndMonth_data() { KindRows(); }
    void saveMakesDayAndMonth()
    {
        QFETCH(TLineKind, kind);
        TScreens screens;
        TfrmLineTransactions& s = screens.Shown(kind);
        AddLine(s, Jan10, FirstItem(kind), "12.34");
        QCOMPARE(screens.book.Scalar("SELECT count(*) FROM PERIOD WHERE YYYY = 2026 AND MM = 1").toInt(), 1);
        const QString day = screens.book
                                .Scalar(QStringLiteral("SELECT TAKINGS || ':' || EXPENSES FROM DAILY_TRANSACTION "
                                                       "WHERE TRANSACTION_DATE = %1")
                                            .arg(DayNumber::FromDate(Jan10)))
                                .toString();
        QCOMPARE(day, kind == TLineKind::Income ? QString("123400:0") : QString("0:123400"));
        QCOMPARE(screens.Broken(), QString());
        QVERIFY(!s.EditMode());
        QCOMPARE(screens.dialogs->Messages().size(), 0);
    }

    // Moving a line to another day and month renumbers it there and recomputes both days
    // and both months; the day it left keeps its record. Staying keeps the number.
    void editAndMove_data()
    {
        QTest::addColumn<TLineKind>("kind");
        QTest::addColumn<QDate>("to");
        QTest::addColumn<int>("number");
        for (TLineKind kind : {TLineKind::Income, TLineKind::Expense}) {
            const char* k = kind == TLineKind::Income ? "income" : "expense";
            QTest::addRow("%s same day", k) << kind << Jan10 << 2;
            QTest::addRow("%s other day", k) << kind << Jan20 << 2;
            QTest::addRow("%s other month", k) << kind << Feb5 << 2;
        }
    }
    void editAndMove()
    {
        QFETCH(TLineKind, kind);
        QFETCH(QDate, to);
        QFETCH(int, number);
        TScreens screens;
        TfrmLineTransactions& s = screens.Shown(kind);
        AddLine(s, Jan10, FirstItem(kind), "1.00");
        AddLine(s, Jan10, FirstItem(kind), "2.00");
        AddLine(s, to == Jan10 ? Jan20 : to, FirstItem(kind), "5.00");  // the other day has line 1
        PickLine(s, kind, Jan10, 2);
        Click(s.btnEdit);
        QCOMPARE(s.focusWidget(), s.edAmount);
        s.edDate->setDate(to);
        QCOMPARE(s.edYear->text(), QString::number(to.year()));
        QCOMPARE(s.edMonth->text(), QString::number(to.month()));
        TypeInto(s.edAmount, "7.00");
        Click(s.btnSave);
        QCOMPARE(CurrentNumber(s, kind), number);
        QCOMPARE(s.DataSet()->FieldByName("TRANSACTION_DATE").AsInteger(), DayNumber::FromDate(to));
        if (to == Jan10)
            QCOMPARE(LinesOf(screens.book, kind, Jan10), QString("1:10000 2:70000"));
        else
            QCOMPARE(LinesOf(screens.book, kind, Jan10), QString("1:10000"));
        QCOMPARE(screens.book.Scalar("SELECT count(*) FROM DAILY_TRANSACTION").toInt(), 2);
        QCOMPARE(screens.Broken(), QString());
    }

    // While changing a line, another item changes only the item; a new line takes the
    // item's defaults, and an item without any gives 0 and "No".
    void itemDefaults_data() { KindRows(); }
    void itemDefaults()
    {
        QFETCH(TLineKind, kind);
        TScreens screens;
        const bool income = kind == TLineKind::Income;
        screens.book.Exec(income ? "INSERT INTO SALES (SALES_ID, SALES_DESCRIPTION, TAXABLE, AMOUNT) VALUES "
                                   "(4, 'TIPS', 'Y', 55000), (5, 'BARE', NULL, NULL)"
                                 : "INSERT INTO EXPENSE (EXPENSE_ID, EXPENSE_DESCRIPTION, EXPENSE_TYPE_ID, TAXABLE, "
                                   "AMOUNT) VALUES (4, 'TIPS', 1, 'Y', 55000), (5, 'BARE', 1, NULL, NULL)");
        TfrmLineTransactions& s = screens.Shown(kind);
        Click(s.btnAdd);
        QCOMPARE(s.cbItem->currentIndex(), -1);
        QCOMPARE(s.focusWidget(), s.cbItem);
        Choose(s.cbItem, "TIPS");
        QCOMPARE(s.edAmount->text(), QString("5.50"));
        QCOMPARE(s.rgTaxable->ItemIndex(), 1);
        Choose(s.cbItem, "BARE");
        QCOMPARE(s.edAmount->text(), QString("0.00"));
        QCOMPARE(s.rgTaxable->ItemIndex(), 0);
        Choose(s.cbItem, "TIPS");
        Click(s.btnSave);
        Click(s.btnEdit);
        TypeInto(s.edAmount, "9.99");
        s.rgTaxable->Item(0)->click();
        Choose(s.cbItem, "BARE");
        QCOMPARE(s.edAmount->text(), QString("9.99"));
        Click(s.btnSave);
        QCOMPARE(screens.book.Column(QStringLiteral("SELECT %1 || ':' || %2 || ':' || TAXABLE FROM %3")
                                         .arg(income ? "SALES_ID" : "EXPENSE_ID", Amount(kind), Table(kind))),
                 QStringList {"5:99900:N"});
        QCOMPARE(screens.Broken(), QString());
    }

    // A save without an item is refused with a box naming what is missing; nothing is
    // written and the entry stays open at the item.
    void saveWithoutItemIsRefused_data()
    {
        QTest::addColumn<TLineKind>("kind");
        QTest::addColumn<QString>("message");
        QTest::newRow("income") << TLineKind::Income << "Please select an Income item";
        QTest::newRow("expense") << TLineKind::Expense << "Please select a Expense";
    }
    void saveWithoutItemIsRefused()
    {
        QFETCH(TLineKind, kind);
        QFETCH(QString, message);
        TScreens screens;
        TfrmLineTransactions& s = screens.Shown(kind);
        AddLine(s, Jan10, QString(), "3.00");
        QCOMPARE(screens.dialogs->MessageTexts(), QStringList {message});
        QCOMPARE(screens.dialogs->Messages().first().Type, mtError);
        QVERIFY(s.EditMode());
        QCOMPARE(s.focusWidget(), s.cbItem);
        QCOMPARE(screens.book.Scalar("SELECT count(*) FROM " + Table(kind)).toInt(), 0);
        QCOMPARE(screens.book.Scalar("SELECT count(*) FROM DAILY_TRANSACTION").toInt(), 0);
        // Corrected, it saves once.
        Choose(s.cbItem, FirstItem(kind));
        Click(s.btnSave);
        QCOMPARE(LinesOf(screens.book, kind, Jan10), QString("1:30000"));
        QCOMPARE(screens.Broken(), QString());
    }

    // The filters narrow the list at once; From after To shows nothing.
    void filters_data()
    {
        QTest::addColumn<TLineKind>("kind");
        QTest::addColumn<bool>("byDate");
        QTest::addColumn<QDate>("from");
        QTest::addColumn<QDate>("to");
        QTest::addColumn<QString>("item");
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("restartRows");  // the item filter is not kept
        for (TLineKind kind : {TLineKind::Income, TLineKind::Expense}) {
            const char* k = kind == TLineKind::Income ? "income" : "expense";
            QTest::addRow("%s all", k) << kind << false << Feb5 << Jan10 << "ALL" << 3 << 3;
            QTest::addRow("%s january", k)
                << kind << true << QDate(2026, 1, 1) << QDate(2026, 1, 31) << "ALL" << 2 << 2;
            QTest::addRow("%s bounds inclusive", k) << kind << true << Jan10 << Jan20 << "ALL" << 2 << 2;
            QTest::addRow("%s january, one item", k)
                << kind << true << QDate(2026, 1, 1) << QDate(2026, 1, 31) << FirstItem(kind) << 1 << 2;
            QTest::addRow("%s item only", k) << kind << false << Jan10 << Jan10 << FirstItem(kind) << 2 << 3;
            QTest::addRow("%s from after to", k) << kind << true << Feb5 << Jan10 << "ALL" << 0 << 0;
        }
    }
    void filters()
    {
        QFETCH(TLineKind, kind);
        QFETCH(bool, byDate);
        QFETCH(QDate, from);
        QFETCH(QDate, to);
        QFETCH(QString, item);
        QFETCH(int, rows);
        QFETCH(int, restartRows);
        TScreens screens;
        TfrmLineTransactions& s = screens.Shown(kind);
        AddLine(s, Jan10, FirstItem(kind), "1.00");
        AddLine(s, Jan20, OtherItem(kind), "2.00");
        AddLine(s, Feb5, FirstItem(kind), "3.00");
        QCOMPARE(s.DataSet()->RecordCount(), 3);
        s.edFilterDateFrom->setDate(from);
        s.edFilterDateTo->setDate(to);
        if (byDate)
            s.cbFilterDate->click();
        Choose(s.cbItemFilter, item);
        QCOMPARE(s.DataSet()->RecordCount(), rows);
        QCOMPARE(s.btnEdit->isEnabled(), rows > 0);
        QCOMPARE(s.btnDelete->isEnabled(), rows > 0);
        if (!byDate && item == "ALL")
            QCOMPARE(s.FilterText(), QString());
        if (byDate)
            QVERIFY(s.FilterText().startsWith(" TRANSACTION_DATE >= "));
        // The panel shows the row the grid stands on.
        if (rows > 0)
            QCOMPARE(s.edDate->date(), DayNumber::ToDate(s.DataSet()->FieldByName("TRANSACTION_DATE").AsInteger()));

        // Kept when closed and back on the next showing, also after a restart.
        s.close();
        screens.Unmake();
        screens.Make();
        TfrmLineTransactions& again = screens.Shown(kind);
        QCOMPARE(again.cbFilterDate->isChecked(), byDate);
        QCOMPARE(again.edFilterDateFrom->date(), from);
        QCOMPARE(again.edFilterDateTo->date(), to);
        QCOMPARE(again.cbItemFilter->currentIndex(), 0);
        QCOMPARE(again.DataSet()->RecordCount(), restartRows);
        QCOMPARE(screens.Broken(), QString());
    }

    // A stored filter date that is no date at all gives today.
    void storedFilterDates_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QDate>("shown");
        const QDate today = QDate::currentDate();
        QTest::newRow("a day") << "36526" << QDate(2000, 1, 1);
        QTest::newRow("letters") << "abc" << today;
        QTest::newRow("empty") << "" << today;
        QTest::newRow("negative") << "-5" << today;
        QTest::newRow("past year 9999") << "99999999" << today;
        QTest::newRow("fraction") << "36526.5" << today;
    }
    void storedFilterDates()
    {
        QFETCH(QString, stored);
        QFETCH(QDate, shown);
        TScreens screens;
        screens.book.Exec(QStringLiteral("INSERT INTO RESOURCE VALUES ('EXPENSE_START_DATE', '%1'), "
                                         "('EXPENSE_END_DATE', '%1'), ('EXPENSE_DATE_FILTER', 'Y')")
                              .arg(stored));
        TfrmLineTransactions& s = screens.Shown(TLineKind::Expense);
        QCOMPARE(s.edFilterDateFrom->date(), shown);
        QCOMPARE(s.edFilterDateTo->date(), shown);
        QVERIFY(screens.dialogs->Messages().isEmpty());
    }

    // After a save the list stands on the saved line; outside the filter, on the first.
    void listFollowsTheSavedLine_data() { KindRows(); }
    void listFollowsTheSavedLine()
    {
        QFETCH(TLineKind, kind);
        TScreens screens;
        TfrmLineTransactions& s = screens.Shown(kind);
        AddLine(s, Jan20, FirstItem(kind), "1.00");
        AddLine(s, Feb5, FirstItem(kind), "2.00");
        AddLine(s, Jan10, OtherItem(kind), "3.00");
        QCOMPARE(s.DataSet()->FieldByName("TRANSACTION_DATE").AsInteger(), DayNumber::FromDate(Jan10));
        QCOMPARE(s.DataSet()->CurrentIndex(), 0);
        AddLine(s, Jan20, OtherItem(kind), "4.00");
        QCOMPARE(s.DataSet()->FieldByName(Amount(kind)).AsMoney(), Money::FromScaled(40000));
        QCOMPARE(s.edDate->date(), Jan20);
        // Only February shown: a January line saved is outside, the first row is current.
        s.edFilterDateFrom->setDate(Feb5);
        s.edFilterDateTo->setDate(Feb5);
        s.cbFilterDate->click();
        AddLine(s, Jan20, FirstItem(kind), "5.00");
        QCOMPARE(s.DataSet()->RecordCount(), 1);
        QCOMPARE(s.DataSet()->FieldByName("TRANSACTION_DATE").AsInteger(), DayNumber::FromDate(Feb5));
        QCOMPARE(screens.Broken(), QString());
    }

    void emptyBookShowsToday_data() { KindRows(); }
    void emptyBookShowsToday()
    {
        QFETCH(TLineKind, kind);
        TScreens screens;
        TfrmLineTransactions& s = screens.Shown(kind);
        QCOMPARE(s.edDate->date(), QDate::currentDate());
        QVERIFY(!s.btnEdit->isEnabled());
        QVERIFY(!s.btnDelete->isEnabled());
        QVERIFY(s.btnAdd->isEnabled());
        Shot(&s, kind == TLineKind::Income ? "income-transactions-empty" : "expense-transactions-empty");
    }

    // Declining the question deletes nothing; the totals stay right either way.
    void deleteRollsUp_data() { KindRows(); }
    void deleteRollsUp()
    {
        QFETCH(TLineKind, kind);
        TScreens screens;
        TfrmLineTransactions& s = screens.Shown(kind);
        AddLine(s, Jan10, FirstItem(kind), "1.00");
        AddLine(s, Feb5, FirstItem(kind), "2.00");
        PickLine(s, kind, Jan10, 1);
        screens.dialogs->AnswerConfirmation(mrCancel);
        Click(s.btnDelete);
        QCOMPARE(s.DataSet()->RecordCount(), 2);
        screens.dialogs->AnswerConfirmation(mrOk);
        Click(s.btnDelete);
        QCOMPARE(s.DataSet()->RecordCount(), 1);
        QCOMPARE(LinesOf(screens.book, kind, Jan10), QString());
        QCOMPARE(screens.Broken(), QString());
    }

    // Hiding in the middle of an entry asks first; the next showing starts clean.
    void hidingMidEntry_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("byEsc");
        QTest::newRow("discard, close box") << int(mrOk) << false;
        QTest::newRow("keep editing, close box") << int(mrCancel) << false;
        QTest::newRow("discard, Esc") << int(mrOk) << true;
    }
    void hidingMidEntry()
    {
        QFETCH(int, answer);
        QFETCH(bool, byEsc);
        TScreens screens;
        TfrmLineTransactions& s = screens.Shown(TLineKind::Expense);
        Click(s.btnAdd);
        Choose(s.cbItem, "RENT");
        TypeInto(s.edAmount, "8.00");
        screens.dialogs->AnswerConfirmation(answer);
        if (byEsc)
            QTest::keyClick(s.edAmount, Qt::Key_Escape);
        else
            s.close();
        QCOMPARE(screens.dialogs->MessageTexts(), QStringList {"Discard the changes to this record?"});
        const bool discarded = answer == mrOk;
        QCOMPARE(s.EditMode(), !discarded);
        if (!discarded) {
            QVERIFY(s.isVisible());
            Click(s.btnSave);
            QCOMPARE(LinesOf(screens.book, TLineKind::Expense, QDate::currentDate()), QString("1:80000"));
        } else if (!byEsc) {
            QVERIFY(!s.isVisible());
        }
        // Hidden behind the screen's back mid-entry: the next showing does not fail.
        Click(s.btnAdd);
        s.hide();
        ShowTransactionsScreen(&s);
        QVERIFY(!s.EditMode());
        QCOMPARE(screens.book.Scalar("SELECT count(*) FROM DAILY_EXPENSE").toInt(), discarded ? 0 : 1);
        QCOMPARE(screens.Broken(), QString());
    }

    // The switch buttons show the other screen; Close closes both, keeping both filters.
    void pairSwitchesAndClosesTogether()
    {
        TScreens screens;
        TfrmLineTransactions& e = screens.Shown(TLineKind::Expense);
        QCOMPARE(screens.expense->btnSales->text(), QString("&Income"));
        QCOMPARE(screens.expense->btnSales->toolTip(), QString("Goto Daily Sales"));
        QCOMPARE(screens.income->btnExpenses->text(), QString("E&xpense"));
        QCOMPARE(screens.income->btnExpenses->toolTip(), QString("Goto Daily Expenses"));
        Click(screens.expense->btnSales);
        QVERIFY(screens.income->isVisible());
        screens.income->cbFilterDate->click();
        Click(screens.income->btnClose);
        QVERIFY(!screens.income->isVisible());
        QVERIFY(!e.isVisible());
        QCOMPARE(screens.book.Scalar("SELECT RESOURCE_VALUE FROM RESOURCE WHERE RESOURCE_NAME = 'SALES_DATE_FILTER'")
                     .toString(),
                 QString("Y"));
        QCOMPARE(screens.book.Scalar("SELECT RESOURCE_VALUE FROM RESOURCE WHERE RESOURCE_NAME = 'EXPENSE_DATE_FILTER'")
                     .toString(),
                 QString("N"));
        ShowTransactionsScreen(screens.income.get());
        Click(screens.income->btnExpenses);
        QVERIFY(e.isVisible());
        screens.income->Exit1->trigger();
        QVERIFY(!screens.income->isVisible());
        QVERIFY(e.isVisible());
    }

    // "...": the reference screen opens modally; the item it stood on comes back chosen,
    // with its defaults, and the lists (the filter's too) are read again.
    void pickerReadsTheListsAgain()
    {
        TScreens screens;
        TfrmLineTransactions& s = screens.Shown(TLineKind::Expense);
        AddLine(s, Jan10, "POWER", "1.00");
        Choose(s.cbItemFilter, "POWER");
        QCOMPARE(s.DataSet()->RecordCount(), 1);
        // Meanwhile POWER is removed and a new expense comes in.
        screens.book.Exec("DELETE FROM EXPENSE WHERE EXPENSE_ID = 3");
        screens.book.Exec("INSERT INTO EXPENSE VALUES (9, 'STOCK', 1, 'N', 42000)");
        Click(s.btnAdd);
        bool picked = false;
        QTimer::singleShot(0, [&] {
            auto* picker = qobject_cast<TfrmExpense*>(QApplication::activeModalWidget());
            if (!picker)
                return;
            TDataSet& list = *picker->DataSet();
            picked = list.Locate("EXPENSE_ID", {TValue(9)});
            picker->close();
        });
        Click(s.spdbtnItem);
        QVERIFY(picked);
        QCOMPARE(s.cbItem->currentText(), QString("STOCK"));
        QCOMPARE(s.edAmount->text(), QString("4.20"));
        QCOMPARE(s.rgTaxable->ItemIndex(), 0);
        QVERIFY(s.cbItem->findText("POWER") < 0);
        QCOMPARE(s.cbItemFilter->itemText(0), QString("ALL"));
        QVERIFY(s.cbItemFilter->findText("STOCK") > 0);
        Click(s.btnSave);
        // The filter's item is gone: "ALL" shows every line again.
        QCOMPARE(s.cbItemFilter->currentIndex(), 0);
        QCOMPARE(s.DataSet()->RecordCount(), 2);
        QCOMPARE(s.DataSet()->FieldByName("ExpenseDescription").AsString(), QString("STOCK"));
        QCOMPARE(screens.Broken(), QString());
    }

    void helpTopics_data()
    {
        QTest::addColumn<TLineKind>("kind");
        QTest::addColumn<bool>("byKey");
        QTest::addColumn<QString>("topic");
        QTest::newRow("income menu") << TLineKind::Income << false << "Income Transaction";
        QTest::newRow("income F1") << TLineKind::Income << true << "Income Transaction";
        QTest::newRow("expense menu") << TLineKind::Expense << false << "Expense Transaction";
        QTest::newRow("expense F1") << TLineKind::Expense << true << "Expense Transaction";
    }
    void helpTopics()
    {
        QFETCH(TLineKind, kind);
        QFETCH(bool, byKey);
        QFETCH(QString, topic);
        TScreens screens;
        TfrmLineTransactions& s = screens.Shown(kind);
        s.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&s));
        if (byKey)
            QTest::keySequence(&s, QKeySequence::HelpContents);
        else
            s.mnuHelp->trigger();
        QVERIFY2(screens.dialogs->Messages().isEmpty(), qPrintable(screens.dialogs->MessageTexts().join('|')));
        QVERIFY(HelpViewer());
        QCOMPARE(HelpViewer()->CurrentTopic(), topic);
        delete HelpViewer();
    }

    // A book that cannot be read does not stop the screens being made; showing one then
    // reports the error and leaves it hidden.
    void unreadableBook()
    {
        TTestBook book;
        TScriptedDialogsScope dialogs;
        book.Connection().Close();
        QFile file(book.Path());
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(QByteArray(4096, 'x'));
        file.close();
        TfrmExpenseTransactions expense;
        TfrmTransactionSales income;
        QVERIFY_THROWS_EXCEPTION(EZorpError, ShowTransactionsScreen(&expense));
        QVERIFY(!expense.isVisible());
        QVERIFY(dialogs->Messages().isEmpty());
    }

    // Tab walks the record as the user enters a line.
    void tabOrder_data()
    {
        QTest::addColumn<TLineKind>("kind");
        QTest::addColumn<QStringList>("order");
        QTest::newRow("income") << TLineKind::Income << QStringList {"cbSales", "spdbtnSales", "edSales",   "rgTaxable",
                                                                     "edNote",  "btnSave",     "btnCancel", "edDate"};
        QTest::newRow("expense") << TLineKind::Expense
                                 << QStringList {"edDate",    "cbExpense", "spdbtnExpense", "edExpenses", "edReference",
                                                 "rgTaxable", "edNote",    "btnSave",       "btnCancel"};
    }
    void tabOrder()
    {
        QFETCH(TLineKind, kind);
        QFETCH(QStringList, order);
        TScreens screens;
        TfrmLineTransactions& s = screens.Shown(kind);
        s.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&s));
        Click(s.btnAdd);
        s.findChild<QWidget*>(order.first())->setFocus();
        QStringList visited;
        for (int i = 0; i < order.size(); ++i) {
            QWidget* w = QApplication::focusWidget();
            while (w && w->objectName().isEmpty())
                w = w->parentWidget();  // a radio button of the group, a picker's own edit
            visited << (w ? w->objectName() : QString("none"));
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        QCOMPARE(visited, order);
    }

    void screenshots_data() { KindRows(); }
    void screenshots()
    {
        QFETCH(TLineKind, kind);
        TScreens screens;
        TfrmLineTransactions& s = screens.Shown(kind);
        AddLine(s, Jan10, FirstItem(kind), "1,234.50");
        AddLine(s, Jan20, OtherItem(kind), "99.95");
        const QString name = kind == TLineKind::Income ? "income-transactions" : "expense-transactions";
        Shot(&s, name + "-browse");
        s.PageControl1->setCurrentIndex(1);
        Shot(&s, name + "-item-filter");
        s.PageControl1->setCurrentIndex(0);
        Click(s.btnAdd);
        Shot(&s, name + "-adding");
        Click(s.btnCancel);
        // As maximised: the whole of the screen the window stands on.
        s.setGeometry(s.screen()->availableGeometry());
        Shot(&s, name + "-maximised");
        QCOMPARE(screens.Broken(), QString());
    }
};

QTEST_MAIN(TestTransactionScreens)
#include "tst_TransactionScreens.moc"
