// A week of a shop's bookkeeping through the real windows, from an empty folder to the
// month's three reports, and a book that reads the same after the program is closed and
// started again.
#include "DayNumber.h"
#include "LedgerBook.h"
#include "MainMenu.h"
#include "ScreenDriver.h"
#include "ScriptedDialogs.h"
#include "ZorpApplication.h"
#include "frm_DailyTransaction.h"
#include "frm_Expense.h"
#include "frm_ExpenseTransactions.h"
#include "frm_LineDay.h"
#include "frm_Period.h"
#include "frm_Sales.h"
#include "frm_BaseF1Report.h"
#include "frm_TransactionSales.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QTest>
#include <memory>

namespace {

// The windows the start-up makes, over the book of the test's folder.
struct TProgram {
    std::unique_ptr<TfrmMainMenu> menu = std::make_unique<TfrmMainMenu>();
    std::unique_ptr<TfrmExpenseTransactions> expense = std::make_unique<TfrmExpenseTransactions>();
    std::unique_ptr<TfrmTransactionSales> income = std::make_unique<TfrmTransactionSales>();
    TProgram() { menu->show(); }
    ~TProgram()
    {
        income.reset();
        expense.reset();
        menu.reset();
    }
    void Choose(const char* item) { menu->findChild<QAction*>(item)->trigger(); }
};

// One item through its reference screen: Add, description, default amount, OK.
void AddItem(QWidget* w, const QString& description, const QString& amount)
{
    if (auto* s = qobject_cast<TfrmSales*>(w)) {
        Click(s->btnAdd);
        TypeInto(s->edSalesDescription, description);
        TypeInto(s->edIncome, amount);
        Click(s->btnSave);
    } else if (auto* e = qobject_cast<TfrmExpense*>(w)) {
        Click(e->btnAdd);
        TypeInto(e->edExpenseDescription, description);
        TypeInto(e->edExpense, amount);
        Click(e->btnSave);
    } else {
        QFAIL("not an item screen");
    }
}

void AddLine(TfrmLineScreen* s, const QString& item, const QString& amount)
{
    Click(s->btnAdd);
    Choose(s->cbItem, item);
    TypeInto(s->edAmount, amount);
    Click(s->btnSave);
}

const QDate March(2026, 3, 1);

QString Totals(TTestBook& book)
{
    return QStringList {book.Column("SELECT YYYY || '/' || MM || ':' || SALES || ':' || EXPENSES FROM PERIOD "
                                    "ORDER BY YYYY, MM")
                            .join(' '),
                        book.Column("SELECT TRANSACTION_DATE || ':' || TAKINGS || ':' || EXPENSES FROM "
                                    "DAILY_TRANSACTION ORDER BY TRANSACTION_DATE")
                            .join(' ')}
        .join(" | ");
}

}  // namespace

class TestProgramWalk : public QObject {
    Q_OBJECT
private slots:
    void aWeekOfBookkeeping()
    {
        TTestBook book;
        TScriptedDialogsScope dialogs;
        QVERIFY(!QFile::exists(book.Path()) || book.Scalar("SELECT count(*) FROM SALES").toInt() == 0);
        QString before;
        {
            TProgram zorp;
            // The items, through the Statics menu.
            WhenModal([](QWidget* w) {
                AddItem(w, "BAR", "0");
                AddItem(w, "ROOMS", "85.00");
                w->close();
            });
            zorp.Choose("mnuSales");
            WhenModal([](QWidget* w) {
                AddItem(w, "RENT", "500.00");
                AddItem(w, "STOCK", "0");
                w->close();
            });
            zorp.Choose("mnuExpense");

            // Monday to Wednesday through the months, the days and the daily screens.
            WhenModal([&](QWidget* w) {
                auto* months = qobject_cast<TfrmPeriod*>(w);
                QVERIFY(months);
                Click(months->btnAdd);
                TypeInto(months->edYear, "2026");
                TypeInto(months->edMonth, "3");
                Click(months->btnSave);
                WhenModal([&](QWidget* d) {
                    auto* days = qobject_cast<TfrmDailyTransaction*>(d);
                    QVERIFY(days);
                    for (int day = 2; day <= 4; ++day) {
                        Click(days->btnAdd);
                        days->edDate->setDate(QDate(2026, 3, day));
                        Click(days->btnSave);
                        // The expenses of the day, then its income through the switch.
                        WhenModal([&](QWidget* e) {
                            auto* s = qobject_cast<TfrmLineDay*>(e);
                            QVERIFY(s);
                            AddLine(s, "STOCK", QString::number(40 + day) + ".10");
                            WhenModal([&](QWidget* i) {
                                auto* t = qobject_cast<TfrmLineDay*>(i);
                                QVERIFY(t);
                                AddLine(t, "BAR", QString::number(200 + day) + ".55");
                                AddLine(t, "ROOMS", "85.00");
                                t->close();
                            });
                            Click(s->btnSwitch);
                        });
                        days->mnuExpenses->trigger();
                        QCOMPARE(days->edTakings->text(), QString("%1.55").arg(285 + day));
                        QCOMPARE(days->edExpenses->text(), QString("%1.10").arg(40 + day));
                    }
                    days->close();
                });
                months->mnuDailyTransactions->trigger();
                QCOMPARE(months->edSales->text(), QString("865.65"));
                QCOMPARE(months->edExpenses->text(), QString("129.30"));
                months->close();
            });
            zorp.Choose("mnuPeriodTransactions");

            // Thursday to Sunday through the transactions screens.
            zorp.Choose("mnuIncomeTransactions");
            zorp.Choose("mnuExpenseTransactions");
            for (int day = 5; day <= 8; ++day) {
                zorp.income->edDate->setDate(QDate(2026, 3, day));
                Click(zorp.income->btnAdd);
                zorp.income->edDate->setDate(QDate(2026, 3, day));
                Choose(zorp.income->cbItem, "BAR");
                TypeInto(zorp.income->edAmount, "150.00");
                Click(zorp.income->btnSave);
                Click(zorp.expense->btnAdd);
                zorp.expense->edDate->setDate(QDate(2026, 3, day));
                Choose(zorp.expense->cbItem, day == 5 ? "RENT" : "STOCK");
                if (day != 5)
                    TypeInto(zorp.expense->edAmount, "12.00");
                Click(zorp.expense->btnSave);
            }
            QCOMPARE(zorp.income->DataSet()->RecordCount(), 10);
            QCOMPARE(zorp.expense->DataSet()->RecordCount(), 7);
            QVERIFY2(dialogs->Messages().isEmpty(), qPrintable(dialogs->MessageTexts().join('|')));
            QCOMPARE(book.Scalar("SELECT SALES || ':' || EXPENSES FROM PERIOD").toString(),
                     QString("14656500:6653000"));  // 1,465.65 and 665.30
            QCOMPARE(BrokenInvariants(book), QString());
            QCOMPARE(BrokenNumbering(book), QString());
            // The three reports of the month, spooled and saved as workbooks.
            for (const char* item : {"mnuExpensesReport", "mnuSalesReport", "mnuIncomeReport"}) {
                const QString file = QDir(book.Folder()).filePath(QString(item) + ".xls");
                dialogs->AnswerSave(file);
                WhenModal([&](QWidget* w) {
                    auto* report = qobject_cast<TfrmBaseF1Report*>(w);
                    QVERIFY(report);
                    Click(report->btnSpool);
                    Click(report->btnSave);
                    report->close();
                });
                zorp.Choose(item);
                QVERIFY2(QFile(file).size() > 0, item);
            }
            QVERIFY2(dialogs->Messages().isEmpty(), qPrintable(dialogs->MessageTexts().join('|')));
            QCOMPARE(dialogs->PendingAnswers(), 0);
            before = Totals(book) + " | " + BookRows(book, TLineKind::Income).join(' ') + " | "
                     + BookRows(book, TLineKind::Expense).join(' ');
            zorp.Choose("mnuExit");
            QVERIFY(!zorp.menu->isVisible());
            QVERIFY(!zorp.income->isVisible());
        }

        // Started again: the same book, the same week.
        book.Restart();
        TProgram zorp;
        QCOMPARE(Totals(book) + " | " + BookRows(book, TLineKind::Income).join(' ') + " | "
                     + BookRows(book, TLineKind::Expense).join(' '),
                 before);
        zorp.Choose("mnuExpenseTransactions");
        QCOMPARE(zorp.expense->DataSet()->RecordCount(), 7);
        QCOMPARE(zorp.expense->cbItem->count(), 2);
        QCOMPARE(BrokenInvariants(book), QString());
    }
};

int main(int argc, char* argv[])
{
    TZorpApplication app(argc, argv);
    TestProgramWalk test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_ProgramWalk.moc"
