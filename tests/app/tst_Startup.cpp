// Start-up: the program comes up with its main window and runs until that window closes.
#include "MainMenu.h"
#include "Startup.h"
#include "ZorpApplication.h"
#include "frm_ExpenseTransactions.h"
#include "frm_TransactionSales.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

QString ProgramPath()
{
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("ZORP"));
}

// Starts the built program without a display, from a folder that is not its own.
struct TRunningProgram {
    QTemporaryDir elsewhere;
    QProcess process;

    explicit TRunningProgram(const QStringList& arguments = {})
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        process.setProcessEnvironment(env);
        process.setWorkingDirectory(elsewhere.path());
        process.start(ProgramPath(), arguments);
    }
    ~TRunningProgram()
    {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(5000);
        }
    }
};

}  // namespace

class TestStartup : public QObject {
    Q_OBJECT
private slots:
    void programRunsUntilEnded()
    {
        QVERIFY2(QFile::exists(ProgramPath()), qPrintable(ProgramPath()));
        TRunningProgram zorp;
        QVERIFY2(zorp.process.waitForStarted(5000), qPrintable(zorp.process.errorString()));
        // A program that failed to start up would be gone by now.
        QVERIFY(!zorp.process.waitForFinished(2000));
        QCOMPARE(zorp.process.state(), QProcess::Running);
        zorp.process.terminate();
        QVERIFY(zorp.process.waitForFinished(5000));
    }

    // Not even Qt's own options are read: an impossible platform changes nothing.
    void commandLineIsNotRead()
    {
        TRunningProgram zorp({QStringLiteral("-platform"), QStringLiteral("no-such-platform")});
        QVERIFY(zorp.process.waitForStarted(5000));
        QVERIFY(!zorp.process.waitForFinished(2000));
        QCOMPARE(zorp.process.state(), QProcess::Running);
    }

    // The same start-up in this process: the main window is up when the loop runs, the
    // two transactions screens are made hidden and shown by their items, and choosing Exit
    // ends the loop with both still open.
    void mainWindowIsShownAndExitEndsTheLoop()
    {
        // The program keeps its book beside itself; one that another user's run made there
        // opens for reading only, and says so in a box that waits for him.
        const QFileInfo book(QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("ZORP.DAT")));
        if (book.exists() ? !book.isWritable() : !QFileInfo(book.absolutePath()).isWritable())
            QSKIP(qPrintable(book.absoluteFilePath() + " cannot be written by this user"));
        bool shown = false;
        bool screensHidden = false;
        bool screensShown = false;
        QTimer::singleShot(50, [&] {
            shown = frmMainMenu && frmMainMenu->isVisible();
            if (!frmMainMenu)
                return;
            screensHidden = frmExpenseTransactions && frmTransactionSales && !frmExpenseTransactions->isVisible()
                            && !frmTransactionSales->isVisible();
            frmMainMenu->findChild<QAction*>(QStringLiteral("mnuIncomeTransactions"))->trigger();
            frmMainMenu->findChild<QAction*>(QStringLiteral("mnuExpenseTransactions"))->trigger();
            screensShown = screensHidden && frmExpenseTransactions->isVisible() && frmTransactionSales->isVisible();
            frmMainMenu->findChild<QAction*>(QStringLiteral("mnuExit"))->trigger();
        });
        QTimer failsafe;
        QObject::connect(&failsafe, &QTimer::timeout, [] { QCoreApplication::exit(99); });
        failsafe.start(10000);
        const int result = RunProgram(*static_cast<TZorpApplication*>(qApp));
        QVERIFY(shown);
        QVERIFY(screensHidden);
        QVERIFY(screensShown);
        QCOMPARE(result, 0);
        QCOMPARE(frmMainMenu, nullptr);
        QCOMPARE(frmExpenseTransactions, nullptr);
        QCOMPARE(frmTransactionSales, nullptr);
    }
};

int main(int argc, char* argv[])
{
    TZorpApplication app(argc, argv);
    TestStartup test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_Startup.moc"
