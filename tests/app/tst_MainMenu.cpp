// The main window: its caption, title, information panel, links and the whole menu.
#include "HelpViewer.h"
#include "MainMenu.h"
#include "ScriptedDialogs.h"
#include "Startup.h"
#include "ZorpApplication.h"
#include "frm_BaseDBGrid.h"
#include "frm_ExpenseTransactions.h"
#include "frm_TransactionSales.h"
#include "TestBook.h"
#include "Help.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <memory>
#include <optional>

namespace {

// Replaces the desktop's opener for the lifetime of the object and records what it is given.
class TRecordedShell {
public:
    explicit TRecordedShell(bool accept = true)
        : m_previous(SetShellOpener([this, accept](const QUrl& url) {
              Opened << url;
              return accept;
          }))
    { }
    ~TRecordedShell() { SetShellOpener(std::move(m_previous)); }
    QList<QUrl> Opened;

private:
    TShellOpener m_previous;
};

}  // namespace

class TestMainMenu : public QObject {
    Q_OBJECT

    std::unique_ptr<TfrmMainMenu> m_window;

    QAction* Action(const QString& name) const { return m_window->findChild<QAction*>(name); }

    // Shows the window and makes it the active one, as it is when the user works in it.
    void ShowActive()
    {
        m_window->show();
        QApplication::setActiveWindow(m_window.get());
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    }

private slots:
    void init() { m_window = std::make_unique<TfrmMainMenu>(); }
    void cleanup()
    {
        m_window.reset();
        if (TfrmHelpViewer* viewer = HelpViewer())
            delete viewer;
    }

    void menuItems_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("menu");  // empty: a title on the menu bar
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QKeySequence>("shortcut");
        QTest::addColumn<bool>("visible");
        const QString bar;
        QTest::newRow("mnuTransaction") << "mnuTransaction" << bar << 0 << "&Transaction" << QKeySequence("Ctrl+T")
                                        << true;
        QTest::newRow("mnuIncomeTransactions")
            << "mnuIncomeTransactions"
            << "mnuTransaction" << 0 << "Income Transactions" << QKeySequence("Ctrl+I") << true;
        QTest::newRow("mnuExpenseTransactions")
            << "mnuExpenseTransactions"
            << "mnuTransaction" << 1 << "Expense Transactions" << QKeySequence("Ctrl+E") << true;
        QTest::newRow("mnuPeriodTransactions")
            << "mnuPeriodTransactions"
            << "mnuTransaction" << 2 << "Period Transactions" << QKeySequence("Ctrl+P") << true;
        QTest::newRow("mnuReports") << "mnuReports" << bar << 1 << "&Reports" << QKeySequence("Ctrl+R") << true;
        QTest::newRow("mnuExpensesReport")
            << "mnuExpensesReport"
            << "mnuReports" << 0 << "&Expense Report" << QKeySequence("Ctrl+Alt+E") << true;
        QTest::newRow("mnuSalesReport") << "mnuSalesReport"
                                        << "mnuReports" << 1 << "&Income Report" << QKeySequence("Ctrl+Alt+I") << true;
        QTest::newRow("mnuIncomeReport") << "mnuIncomeReport"
                                         << "mnuReports" << 2 << "&Profit and Loss Report" << QKeySequence("Ctrl+Alt+P")
                                         << true;
        QTest::newRow("mnuStatics") << "mnuStatics" << bar << 2 << "Statics" << QKeySequence() << true;
        QTest::newRow("mnuExpenseType") << "mnuExpenseType"
                                        << "mnuStatics" << 0 << "Expense Type" << QKeySequence() << false;
        QTest::newRow("mnuExpense") << "mnuExpense"
                                    << "mnuStatics" << 1 << "&Expense" << QKeySequence() << true;
        QTest::newRow("mnuSales") << "mnuSales"
                                  << "mnuStatics" << 2 << "Income" << QKeySequence() << true;
        QTest::newRow("mnuTools") << "mnuTools" << bar << 3 << "T&ools" << QKeySequence() << true;
        QTest::newRow("mnuBackUpBook") << "mnuBackUpBook"
                                       << "mnuTools" << 0 << "Back Up Book…" << QKeySequence() << true;
        QTest::newRow("mnuRestoreBook") << "mnuRestoreBook"
                                        << "mnuTools" << 1 << "Restore Book…" << QKeySequence() << true;
        QTest::newRow("mnuCheckBook") << "mnuCheckBook"
                                      << "mnuTools" << 2 << "Check Book" << QKeySequence() << true;
        QTest::newRow("Help1") << "Help1" << bar << 4 << "Help" << QKeySequence("F1") << true;
        QTest::newRow("mnuZORPHelp") << "mnuZORPHelp"
                                     << "Help1" << 0 << "ZORP Help" << QKeySequence() << true;
        QTest::newRow("mnuExit") << "mnuExit"
                                 << "Help1" << 1 << "Exit" << QKeySequence() << true;
    }
    void menuItems()
    {
        QFETCH(QString, name);
        QFETCH(QString, menu);
        QFETCH(int, position);
        QFETCH(QString, caption);
        QFETCH(QKeySequence, shortcut);
        QFETCH(bool, visible);
        QAction* action = Action(name);
        QVERIFY2(action, qPrintable(name));
        const QList<QAction*> siblings =
            menu.isEmpty() ? m_window->menuBar()->actions() : m_window->findChild<QMenu*>(menu)->actions();
        QCOMPARE(siblings.indexOf(action), position);
        QCOMPARE(action->text(), caption);
        QCOMPARE(action->shortcut(), shortcut);
        QCOMPARE(action->isVisible(), visible);
    }

    void menusHoldNothingElse()
    {
        QCOMPARE(m_window->menuBar()->objectName(), QStringLiteral("mnuMainMenu"));
        QCOMPARE(m_window->menuBar()->actions().size(), 5);
        QCOMPARE(m_window->findChild<QMenu*>("mnuTransaction")->actions().size(), 3);
        QCOMPARE(m_window->findChild<QMenu*>("mnuReports")->actions().size(), 3);
        QCOMPARE(m_window->findChild<QMenu*>("mnuStatics")->actions().size(), 3);
        QCOMPARE(m_window->findChild<QMenu*>("mnuTools")->actions().size(), 3);
        QCOMPARE(m_window->findChild<QMenu*>("Help1")->actions().size(), 2);
    }

    void captionAndSize()
    {
        const QString caption = m_window->windowTitle();
        QVERIFY(caption.startsWith(QStringLiteral("Brindlemark ")));
        QVERIFY(caption.endsWith(QStringLiteral(" Ver 1.0.2")));
        QCOMPARE(caption.size(), 11 + 67 + 9);
        QCOMPARE(caption.count(' '), 67 + 1);
        QCOMPARE(m_window->size(), QSize(700, 500));
        QCOMPARE(m_window->geometry().center(), m_window->screen()->availableGeometry().center());
    }

    void singleInstance()
    {
        QCOMPARE(frmMainMenu, m_window.get());
        m_window.reset();
        QCOMPARE(frmMainMenu, nullptr);
    }

    // The title is centred on the client area and its name fits on one line.
    void titleIsCentred()
    {
        ShowActive();
        auto* title = m_window->findChild<QLabel*>(QStringLiteral("Label1"));
        QCOMPARE(title->text(), QStringLiteral("BRINDLEMARK"));
        const QRect client = m_window->centralWidget()->geometry();
        const QPoint centre = title->mapTo(m_window.get(), title->rect().center());
        QVERIFY(qAbs(centre.x() - client.center().x()) <= 2);
        QVERIFY(qAbs(centre.y() - client.center().y()) <= 2);
        QVERIFY(QFontMetrics(title->font()).horizontalAdvance(title->text()) < title->width());
    }

    void informationPanelAtBottomLeft()
    {
        ShowActive();
        auto* panel = m_window->findChild<QWidget*>(QStringLiteral("pnlInfo"));
        QVERIFY(panel);
        const QRect client = m_window->centralWidget()->geometry();
        const QRect box(panel->mapTo(m_window.get(), QPoint(0, 0)), panel->size());
        QVERIFY(box.left() - client.left() <= 4);
        QVERIFY(client.bottom() - box.bottom() <= 4);
        QCOMPARE(panel->findChild<QLabel*>("lblWebsite")->text(), QStringLiteral("Website:"));
        QCOMPARE(panel->findChild<QLabel*>("lblEmail")->text(), QStringLiteral("Email:"));
    }

    void linksOpenWebPageAndMail()
    {
        ShowActive();
        TRecordedShell shell;
        auto* web = m_window->findChild<QLabel*>(QStringLiteral("lblWebAddress"));
        auto* mail = m_window->findChild<QLabel*>(QStringLiteral("lblEmailAddress"));
        QTest::mouseClick(web, Qt::LeftButton);
        QTest::mouseClick(mail, Qt::LeftButton);
        QTest::mouseClick(web, Qt::RightButton);  // not a click on a link
        QCOMPARE(shell.Opened, QList<QUrl>({QUrl("https://" + web->text()), QUrl("mailto:" + mail->text())}));
        QCOMPARE(shell.Opened.last().scheme(), QStringLiteral("mailto"));
    }

    void linkTheDesktopRefusesIsAnErrorMessage()
    {
        ShowActive();
        TScriptedDialogsScope dialogs;
        TRecordedShell shell(false);
        QTest::mouseClick(m_window->findChild<QLabel*>(QStringLiteral("lblWebAddress")), Qt::LeftButton);
        QCOMPARE(dialogs->Messages().size(), 1);
        QVERIFY(dialogs->Messages().first().Text.contains(QStringLiteral("www.brindlemark.com")));
        QCOMPARE(dialogs->Messages().first().Type, mtError);
    }

    void titleShortcutPopsItsMenu_data()
    {
        QTest::addColumn<QString>("menu");
        QTest::addColumn<QKeySequence>("keys");
        QTest::newRow("Transaction") << "mnuTransaction" << QKeySequence("Ctrl+T");
        QTest::newRow("Reports") << "mnuReports" << QKeySequence("Ctrl+R");
        QTest::newRow("Help") << "Help1" << QKeySequence("F1");
    }
    void titleShortcutPopsItsMenu()
    {
        QFETCH(QString, menu);
        QFETCH(QKeySequence, keys);
        ShowActive();
        auto* popup = m_window->findChild<QMenu*>(menu);
        QVERIFY(!popup->isVisible());
        QTest::keySequence(m_window.get(), keys);
        QTRY_VERIFY(popup->isVisible());
        QCOMPARE(m_window->menuBar()->activeAction(), popup->menuAction());
        popup->close();
    }

    void itemShortcutsRunTheirItems_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QKeySequence>("keys");
        QTest::addColumn<bool>("modal");  // the item opens a screen that must be closed again
        QTest::newRow("Income Transactions") << "mnuIncomeTransactions" << QKeySequence("Ctrl+I") << false;
        QTest::newRow("Expense Transactions") << "mnuExpenseTransactions" << QKeySequence("Ctrl+E") << false;
        QTest::newRow("Period Transactions") << "mnuPeriodTransactions" << QKeySequence("Ctrl+P") << true;
        QTest::newRow("Expense Report") << "mnuExpensesReport" << QKeySequence("Ctrl+Alt+E") << true;
        QTest::newRow("Income Report") << "mnuSalesReport" << QKeySequence("Ctrl+Alt+I") << true;
        QTest::newRow("Profit and Loss Report") << "mnuIncomeReport" << QKeySequence("Ctrl+Alt+P") << true;
    }
    void itemShortcutsRunTheirItems()
    {
        QFETCH(QString, name);
        QFETCH(QKeySequence, keys);
        QFETCH(bool, modal);
        TTestBook book;
        TScriptedDialogsScope dialogs;
        ShowActive();
        QSignalSpy triggered(Action(name), &QAction::triggered);
        bool closed = false;
        if (modal)
            QTimer::singleShot(0, [&closed] {
                if (QWidget* screen = QApplication::activeModalWidget())
                    closed = screen->close();
            });
        QTest::keySequence(m_window.get(), keys);
        QCOMPARE(triggered.count(), 1);
        QCOMPARE(closed, modal);
    }

    void helpItemShowsMainMenuTopic()
    {
        ShowActive();
        Action(QStringLiteral("mnuZORPHelp"))->trigger();
        QVERIFY(HelpViewer());
        QVERIFY(HelpViewer()->isVisible());
        QCOMPARE(HelpViewer()->CurrentTopic(), QStringLiteral("Main Menu"));
    }

    void exitClosesTheWindow()
    {
        ShowActive();
        Action(QStringLiteral("mnuExit"))->trigger();
        QVERIFY(!m_window->isVisible());
    }
    void bookStateIsToldAtStart_data()
    {
        QTest::addColumn<bool>("locked");
        QTest::newRow("writable book") << false;
        QTest::newRow("read-only book") << true;
    }

    void bookStateIsToldAtStart()
    {
        QFETCH(bool, locked);
        TTestBook book;
        book.Scalar("SELECT count(*) FROM SALES");  // the book file is made on first use
        book.Connection().Close();
        std::optional<TUnwritable> lock;
        if (locked) {
            lock.emplace(book.Path());
            if (!lock->Works())
                QSKIP("this system lets the tests write a file they made unwritable");
        }
        TScriptedDialogsScope dialogs;
        ReportBookState();
        if (!locked) {
            QVERIFY(dialogs->Messages().isEmpty());
            return;
        }
        QCOMPARE(dialogs->Messages().size(), 1);
        QCOMPARE(dialogs->Messages().first().Type, mtWarning);
        const QString text = dialogs->MessageTexts().first();
        QVERIFY2(text.contains(book.Path()) && text.contains("read-only"), qPrintable(text));
    }

    void menuOpensAFreshModalScreenEachTime_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("caption");
        QTest::newRow("Expense") << "mnuExpense"
                                 << "Expense";
        QTest::newRow("Income") << "mnuSales"
                                << "Income";
        QTest::newRow("Expense Type") << "mnuExpenseType"
                                      << "Expense Type";
        QTest::newRow("Period Transactions") << "mnuPeriodTransactions"
                                             << "Period";
    }
    void menuOpensAFreshModalScreenEachTime()
    {
        QFETCH(QString, item);
        QFETCH(QString, caption);
        TTestBook book;
        TScriptedDialogsScope dialogs;
        TfrmMainMenu menu;
        menu.show();
        QList<QWidget*> seen;
        for (int round = 0; round < 2; ++round) {
            QTimer::singleShot(0, [&] {
                QWidget* screen = QApplication::activeModalWidget();
                seen << screen;
                if (screen) {
                    QCOMPARE(screen->windowTitle(), caption);
                    QVERIFY(qobject_cast<TfrmBaseDBGrid*>(screen)->DataSet()->Active());
                    screen->close();
                }
            });
            menu.findChild<QAction*>(item)->trigger();
            QCOMPARE(QApplication::activeModalWidget(), nullptr);
        }
        QCOMPARE(seen.size(), 2);
        QVERIFY(seen[0] && seen[1]);
        QVERIFY(menu.findChildren<TfrmBaseDBGrid*>().isEmpty());  // freed when it closed
        QVERIFY(dialogs->Messages().isEmpty());
    }

    // The two transactions screens exist once: their items show the same window again.
    void transactionItemsShowTheOneWindow_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("caption");
        QTest::newRow("income") << "mnuIncomeTransactions"
                                << "Income Transactions";
        QTest::newRow("expense") << "mnuExpenseTransactions"
                                 << "Expense Transactions";
    }
    void transactionItemsShowTheOneWindow()
    {
        QFETCH(QString, item);
        QFETCH(QString, caption);
        TTestBook book;
        TScriptedDialogsScope dialogs;
        TfrmExpenseTransactions expense;
        TfrmTransactionSales income;
        ShowActive();
        QWidget* screen = caption == expense.windowTitle() ? static_cast<QWidget*>(&expense) : &income;
        const qsizetype windows = QApplication::topLevelWidgets().size();
        for (int round = 0; round < 2; ++round) {
            Action(item)->trigger();
            QVERIFY(screen->isVisible());
            QCOMPARE(QApplication::topLevelWidgets().size(), windows);  // no new window came
        }
        QVERIFY(dialogs->Messages().isEmpty());
    }

    // Closing the main window ends the program with both screens open; one in the middle
    // of an entry asks first and, kept, keeps the program running.
    void closingTheMainWindowWithScreensOpen_data()
    {
        QTest::addColumn<bool>("editing");
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("closes");
        QTest::newRow("browsing") << false << int(mrNone) << true;
        QTest::newRow("entering, discard") << true << int(mrOk) << true;
        QTest::newRow("entering, keep") << true << int(mrCancel) << false;
    }
    void closingTheMainWindowWithScreensOpen()
    {
        QFETCH(bool, editing);
        QFETCH(int, answer);
        QFETCH(bool, closes);
        TTestBook book;
        TScriptedDialogsScope dialogs;
        TfrmExpenseTransactions expense;
        TfrmTransactionSales income;
        ShowActive();
        Action("mnuIncomeTransactions")->trigger();
        Action("mnuExpenseTransactions")->trigger();
        if (editing) {
            expense.btnAdd->click();
            expense.edExpenses->setFocus();
            QTest::keyClicks(expense.edExpenses, "5");
            dialogs->AnswerConfirmation(answer);
        }
        Action(QStringLiteral("mnuExit"))->trigger();
        QCOMPARE(m_window->isVisible(), !closes);
        QCOMPARE(expense.isVisible(), !closes);
        QCOMPARE(income.isVisible(), !closes);
        QCOMPARE(dialogs->Messages().size(), editing ? 1 : 0);
        if (closes)  // the filters were kept on the way out
            QCOMPARE(book.Scalar("SELECT count(*) FROM RESOURCE WHERE RESOURCE_NAME LIKE '%_DATE_FILTER'").toInt(), 2);
    }
};

int main(int argc, char* argv[])
{
    TZorpApplication app(argc, argv);
    TestMainMenu test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_MainMenu.moc"
