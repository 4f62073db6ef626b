// The Tools menu, driven through its real items with the dialogs answered by script: Back
// Up Book, Restore Book (which closes the transactions screens and leaves them to read the
// restored book), Check Book with its list of differences and repair, and the closing
// backup taken as the main window closes.
#include "BookBackup.h"
#include "LedgerBook.h"
#include "MainMenu.h"
#include "ScreenDriver.h"
#include "ScriptedDialogs.h"
#include "ZorpApplication.h"
#include "frm_BookCheck.h"
#include "frm_ExpenseTransactions.h"
#include "frm_TransactionSales.h"
#include "sql_DailyExpenses.h"
#include "sql_DailySales.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString Password = QStringLiteral("$q4u8a5z$");

// Income and expense lines on three days of two months, through the storage sequence.
void AddLedger(TTestBook& book)
{
    AddItems(book);
    TLines income(TLineKind::Income, *dmDailySales->qryGetTransactionSales);
    TLines expense(TLineKind::Expense, *dmDailyExpenses->qryGetTransactionExpenses);
    income.Add(LineDay(2026, 1, 10), 1, 120000);
    income.Add(LineDay(2026, 1, 10), 2, 35000, false);
    income.Add(LineDay(2026, 2, 11), 3, 72500);
    expense.Add(LineDay(2026, 1, 10), 1, 50000);
}

// The lines of a file as another reader sees them: how many income lines it holds.
int IncomeLinesIn(const QString& path)
{
    TDbConnection c;
    c.SetDataSource(path);
    c.SetPassword(Password);
    c.SetOpenReadOnly(true);
    TStatement count(c, QStringLiteral("SELECT count(*) FROM DAILY_SALES"));
    TExecution run(count);
    return run.Step() ? int(count.Integer(0)) : -1;
}

QStringList Files(const QString& folder)
{
    QStringList names = QDir(folder).entryList(QDir::Files | QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot);
    names.sort();
    return names;
}

// The rows a grid shows, each its cells joined by '|'.
QStringList GridTexts(QTableWidget* grid)
{
    QStringList rows;
    for (int r = 0; r < grid->rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < grid->columnCount(); ++c)
            cells << grid->item(r, c)->text();
        rows << cells.join('|');
    }
    return rows;
}

}  // namespace

class TestBookTools : public QObject {
    Q_OBJECT

    std::unique_ptr<TTestBook> m_book;
    std::unique_ptr<TScriptedDialogsScope> m_dialogs;
    std::unique_ptr<TfrmExpenseTransactions> m_expense;
    std::unique_ptr<TfrmTransactionSales> m_income;
    std::unique_ptr<TfrmMainMenu> m_window;

    TScriptedDialogs& Dialog() { return **m_dialogs; }
    void Choose(const QString& item) { m_window->findChild<QAction*>(item)->trigger(); }

private slots:
    void init()
    {
        m_book = std::make_unique<TTestBook>();
        AddLedger(*m_book);
        m_dialogs = std::make_unique<TScriptedDialogsScope>();
        m_expense = std::make_unique<TfrmExpenseTransactions>();
        m_income = std::make_unique<TfrmTransactionSales>();
        m_window = std::make_unique<TfrmMainMenu>();
        m_window->show();
    }
    void cleanup()
    {
        m_window.reset();
        m_income.reset();
        m_expense.reset();
        m_dialogs.reset();
        m_book.reset();
    }

    // Back Up Book asks where, and says plainly where the checked copy went or why there
    // is none; a cancelled question does nothing.
    void backUpBook_data()
    {
        QTest::addColumn<QString>("answer");  // "": cancelled; else a name in a folder of its own
        QTest::addColumn<bool>("wrongTotals");
        QTest::addColumn<int>("type");        // of the one message, -1 for none
        QTest::addColumn<QString>("words");
        QTest::newRow("cancelled") << "" << false << -1 << "";
        QTest::newRow("a new file") << "copy.DAT" << false << int(mtInformation) << "was opened again and checked";
        QTest::newRow("a name that is a folder") << "a folder" << false << int(mtError) << "is a folder";
        QTest::newRow("totals that disagree") << "copy.DAT" << true << int(mtError) << "Check Book in the Tools menu";
    }
    void backUpBook()
    {
        QFETCH(QString, answer);
        QFETCH(bool, wrongTotals);
        QFETCH(int, type);
        QFETCH(QString, words);
        QTemporaryDir elsewhere;
        const QString target = answer.isEmpty() ? QString() : elsewhere.path() + '/' + answer;
        if (answer == "a folder")
            QVERIFY(QDir().mkdir(target));
        if (wrongTotals)
            m_book->Exec("UPDATE PERIOD SET SALES = 0");
        const QStringList before = Files(elsewhere.path());
        Dialog().AnswerSave(target);
        Choose("mnuBackUpBook");

        QCOMPARE(Dialog().SaveRequests().size(), 1);
        const auto request = Dialog().SaveRequests().first();
        QCOMPARE(request.Caption, QStringLiteral("Back Up Book"));
        QVERIFY2(request.ProposedName.startsWith(m_book->Folder() + "/ZORP backup "), qPrintable(request.ProposedName));
        QCOMPARE(request.DefaultExt, QStringLiteral("DAT"));
        QCOMPARE(Dialog().Messages().size(), type < 0 ? 0 : 1);
        if (type < 0) {
            QCOMPARE(Files(elsewhere.path()), before);
            return;
        }
        const auto message = Dialog().Messages().first();
        QCOMPARE(int(message.Type), type);
        QVERIFY2(message.Text.contains(words), qPrintable(message.Text));
        QVERIFY2(message.Text.contains(target), qPrintable(message.Text));
        if (type == mtInformation) {
            QCOMPARE(Files(elsewhere.path()), QStringList {answer});
            QCOMPARE(IncomeLinesIn(target), 3);
        } else {
            QCOMPARE(Files(elsewhere.path()), before);
        }
    }

    // Restore Book asks which backup and whether to replace the books; the transactions
    // screen that shows the book is closed and shows the restored lines when opened again.
    // A refused backup, a cancelled question or an entry the user keeps leaves the book.
    void restoreBook_data()
    {
        QTest::addColumn<QString>("file");   // "": cancelled; "good", "letter"
        QTest::addColumn<int>("confirm");    // the answer to the question, mrNone when none is asked
        QTest::addColumn<int>("entry");      // an entry pending: the answer to "Discard?", mrNone for none
        QTest::addColumn<bool>("restored");
        QTest::addColumn<QString>("told");   // words of the last message
        QTest::newRow("cancelled") << "" << int(mrNone) << int(mrNone) << false << "";
        QTest::newRow("declined") << "good" << int(mrCancel) << int(mrNone) << false << "Restore your books";
        QTest::newRow("restored") << "good" << int(mrOk) << int(mrNone) << true << "Your books were restored";
        QTest::newRow("restored, entry discarded") << "good" << int(mrOk) << int(mrOk) << true
                                                   << "Your books were restored";
        QTest::newRow("entry kept") << "good" << int(mrOk) << int(mrCancel) << false << "Discard the changes";
        QTest::newRow("not a backup") << "letter" << int(mrNone) << int(mrNone) << false << "was not restored";
    }
    void restoreBook()
    {
        QFETCH(QString, file);
        QFETCH(int, confirm);
        QFETCH(int, entry);
        QFETCH(bool, restored);
        QFETCH(QString, told);
        QTemporaryDir elsewhere;
        const QString backup = elsewhere.path() + "/backup.DAT";
        if (file == "good") {
            BookBackup::BackUp(m_book->Connection(), backup);
        } else if (file == "letter") {
            QFile f(backup);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("Dear accountant,\nhere are the books.\n");
        }
        const QString backedUp = BookText(*m_book);
        {
            TLines income(TLineKind::Income, *dmDailySales->qryGetTransactionSales);
            income.Add(LineDay(2026, 3, 1), 1, 440000);
            income.Add(LineDay(2026, 3, 2), 1, 10000);
        }
        const QString current = BookText(*m_book);
        Choose("mnuIncomeTransactions");
        QVERIFY(m_income->isVisible());
        QCOMPARE(m_income->DataSet()->RecordCount(), 5);
        // The restore is confirmed first; then a screen in the middle of an entry asks.
        Dialog().AnswerOpen(file.isEmpty() ? QString() : backup);
        if (confirm != mrNone)
            Dialog().AnswerConfirmation(confirm);
        if (entry != mrNone) {
            m_income->btnAdd->click();
            m_income->edSales->setFocus();
            QTest::keyClicks(m_income->edSales, "5");
            Dialog().AnswerConfirmation(entry);
        }
        const QStringList beside = Files(m_book->Folder());

        Choose("mnuRestoreBook");

        QCOMPARE(Dialog().OpenRequests().size(), 1);
        QCOMPARE(Dialog().OpenRequests().first().Caption, QStringLiteral("Restore Book"));
        QCOMPARE(Dialog().PendingAnswers(), 0);
        if (told.isEmpty())
            QVERIFY(Dialog().Messages().isEmpty());
        else
            QVERIFY2(Dialog().Messages().last().Text.contains(told), qPrintable(Dialog().MessageTexts().join("\n")));
        if (file == "letter")
            QCOMPARE(Dialog().Messages().first().Type, mtError);
        if (confirm != mrNone) {
            const auto question = Dialog().Messages().first();
            QCOMPARE(question.Type, mtConfirmation);
            QVERIFY2(question.Text.contains(backup) && question.Text.contains("before restore"),
                     qPrintable(question.Text));
        }
        QCOMPARE(BookText(*m_book), restored ? backedUp : current);
        QCOMPARE(m_income->isVisible(), !restored);
        if (!restored) {
            QCOMPARE(Files(m_book->Folder()), beside);
            QCOMPARE(m_income->DataSet()->IsInserting(), entry == mrCancel);
            return;
        }
        const auto done = Dialog().Messages().last();
        QCOMPARE(done.Type, mtInformation);
        const QStringList kept = QDir(m_book->Folder()).entryList({"ZORP * before restore.DAT"});
        QCOMPARE(kept.size(), 1);
        QVERIFY2(done.Text.contains(m_book->Folder() + '/' + kept.first()), qPrintable(done.Text));
        // Opened again, the screen reads the restored book.
        Choose("mnuIncomeTransactions");
        QVERIFY(m_income->isVisible());
        QCOMPARE(m_income->DataSet()->RecordCount(), 3);
        QCOMPARE(StoredValues(*m_income->DataSet(), {"SALES_AMOUNT"}).size(), BookRows(*m_book, TLineKind::Income).size());
    }

    // Check Book says "no differences" on a sound book; otherwise it lists each total that
    // disagrees and repairs them all at once when asked, or leaves them when closed.
    void checkBook_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<bool>("repair");
        const QString day = QString::number(Day(2026, 1, 10));
        const QString wrong = "UPDATE DAILY_TRANSACTION SET TAKINGS = 100000 WHERE TRANSACTION_DATE = " + day
                              + "; UPDATE PERIOD SET EXPENSES = NULL WHERE MM = 1";
        const QStringList rows = {"10/01/2026|income|10.00|15.50", "January 2026|expenses|none|5.00"};
        QTest::newRow("a sound book") << "" << QStringList() << false;
        QTest::newRow("a day and a month, repaired") << wrong << rows << true;
        QTest::newRow("a day and a month, left") << wrong << rows << false;
    }
    void checkBook()
    {
        QFETCH(QString, damage);
        QFETCH(QStringList, rows);
        QFETCH(bool, repair);
        if (!damage.isEmpty())
            m_book->Exec(damage);
        QStringList shown;
        bool opened = false;
        if (!rows.isEmpty())
            WhenModal([&](QWidget* modal) {
                auto* screen = qobject_cast<TfrmBookCheck*>(modal);
                QVERIFY(screen);
                opened = true;
                shown = GridTexts(screen->grdDifferences);
                Shot(screen, "check-book");
                Click(repair ? screen->btnRepair : screen->btnClose);
            });
        Choose("mnuCheckBook");
        QCOMPARE(opened, !rows.isEmpty());
        QCOMPARE(shown, rows);
        QCOMPARE(BrokenInvariants(*m_book).isEmpty(), rows.isEmpty() || repair);
        if (rows.isEmpty() || repair) {
            QCOMPARE(Dialog().Messages().size(), 1);
            QCOMPARE(Dialog().Messages().first().Type, mtInformation);
            QVERIFY2(Dialog().Messages().first().Text.contains(repair ? "repaired" : "no differences"),
                     qPrintable(Dialog().Messages().first().Text));
        } else {
            QVERIFY(Dialog().Messages().isEmpty());
        }
        QCOMPARE(QApplication::activeModalWidget(), nullptr);
    }

    // Closing the main window takes a closing backup into Backups beside the book; a backup
    // that cannot be taken is told, and the program closes all the same.
    void closingBackup_data()
    {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<int>("backups");
        QTest::addColumn<bool>("told");
        QTest::newRow("taken") << "" << 1 << false;
        QTest::newRow("turned off") << "0" << 0 << false;
        QTest::newRow("Backups is a file") << "file" << 0 << true;
    }
    void closingBackup()
    {
        QFETCH(QString, setup);
        QFETCH(int, backups);
        QFETCH(bool, told);
        const QString folder = m_book->Folder() + "/Backups";
        if (setup == "0")
            m_book->Exec(QStringLiteral("INSERT INTO RESOURCE VALUES ('%1', '0')").arg(BookBackup::KeptSetting));
        if (setup == "file") {
            QFile f(folder);
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        Choose("mnuIncomeTransactions");
        Choose("mnuExit");
        QVERIFY(!m_window->isVisible());
        QVERIFY(!m_income->isVisible());
        QCOMPARE(BookBackup::ClosingBackups(m_book->Path()).size(), backups);
        QCOMPARE(Dialog().Messages().size(), told ? 1 : 0);
        if (told) {
            QCOMPARE(Dialog().Messages().first().Type, mtError);
            QVERIFY2(Dialog().Messages().first().Text.contains("closes all the same"),
                     qPrintable(Dialog().Messages().first().Text));
        }
        if (backups > 0)
            QCOMPARE(IncomeLinesIn(BookBackup::ClosingBackups(m_book->Path()).first()), 3);
    }

    // A picture of the main window with the Tools menu open, for looking at.
    void toolsMenuPicture()
    {
        QMenu* tools = m_window->findChild<QMenu*>("mnuTools");
        QAction* title = tools->menuAction();
        const QRect at = m_window->menuBar()->actionGeometry(title);
        tools->popup(m_window->menuBar()->mapToGlobal(at.bottomLeft()));
        QVERIFY(tools->isVisible());
        QPixmap picture = m_window->grab();
        {
            QPainter painter(&picture);
            painter.drawPixmap(m_window->mapFromGlobal(tools->pos()), tools->grab());
        }
        tools->close();
        QVERIFY(!picture.isNull());
        QVERIFY(picture.save(ShotsFolder() + "/main-tools.png"));
        QCOMPARE(tools->actions().size(), 3);
    }
};

int main(int argc, char* argv[])
{
    TZorpApplication app(argc, argv);
    TestBookTools test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_BookTools.moc"
