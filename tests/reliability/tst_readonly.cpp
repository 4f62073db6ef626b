// A book that its user may read but not write, as an ordinary user meets it: the file
// read-only, or its folder. The program is this test started again as a child
// (ZORP_READONLY_BOOK names the book's folder), as an unprivileged user: itself when it is
// not root, else "nobody" through setpriv. The child opens the book as the program does,
// lists, reads totals and tries the writes a user makes (a line saved through the storage
// sequence, an item changed), and reports what it met; the parent judges it and then checks
// that nothing was written: the book byte for byte as it was and no journal beside it.
// tst_database (bookThatCannotBeWritten) tries the same in-process, where root is held back
// by the immutable attribute, through plain statements and a list's own write-back.
#include "DataModules.h"
#include "LedgerBook.h"
#include "sql_DailyExpenses.h"
#include "sql_DailySales.h"
#include "sql_K2V.h"
#include "sql_Period.h"
#include "sql_Sales.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QtTest>
#include <cstdio>
#include <grp.h>
#include <pwd.h>
#include <unistd.h>

namespace {

const char* ChildVariable = "ZORP_READONLY_BOOK";

void Tell(const QString& fact, const QString& value)
{
    std::fputs(qPrintable(fact + ": " + QString(value).replace('\n', ' ') + '\n'), stdout);
    std::fflush(stdout);
}

// What `action` raised, as the user would read it; "(done)" when it raised nothing.
QString Refusal(const std::function<void()>& action)
{
    try {
        action();
    } catch (const EZorpError& e) {
        return e.Message();
    }
    return QStringLiteral("(done)");
}

// The month totals as a list of the program shows them: year/month:income:expenses.
QStringList MonthTotals(TQuery& months)
{
    QStringList rows;
    months.Open();
    for (months.First(); !months.Eof(); months.Next())
        rows << QStringLiteral("%1/%2:%3:%4")
                    .arg(months.FieldByName("YYYY").AsInteger())
                    .arg(months.FieldByName("MM").AsInteger())
                    .arg(months.FieldByName("SALES").AsMoney().Scaled())
                    .arg(months.FieldByName("EXPENSES").AsMoney().Scaled());
    months.Close();
    return rows;
}

// The program, as the user who may not write the book runs it. With "probe" as the
// folder it only says who it runs as.
int RunReader(const QString& folder)
{
    Tell("user", QString::number(::geteuid()));
    if (folder == "probe")
        return 0;
    TDataModules modules(folder);
    TDbConnection& book = dmK2V->ADOConnection;
    const QString opened = Refusal([&] { book.Open(); });
    Tell("opened", opened);
    if (!book.Connected())
        return 1;
    Tell("read-only", book.ReadOnlyReason());
    Tell("month totals", MonthTotals(*dmPeriod->qryGetPeriod).join(' '));
    TLines income(TLineKind::Income, *dmDailySales->qryGetTransactionSales);
    TLines expense(TLineKind::Expense, *dmDailyExpenses->qryGetTransactionExpenses);
    Tell("income lines", StoredRows(income).join(' '));
    Tell("expense lines", StoredRows(expense).join(' '));
    TQuery& items = *dmSales->qryGetAllSales;
    items.Open();
    Tell("items", QString::number(items.RecordCount()));

    Tell("line save", Refusal([&] { income.Add(LineDay(2026, 3, 3), 2, 4200); }));
    Tell("line pending", income.query.IsInserting() ? "yes" : "no");
    Tell("item change", Refusal([&] {
             items.First();
             items.Edit();
             items.FieldByName("SALES_DESCRIPTION").SetAsString("BAR AND GRILL");
             TTransaction transaction(book);
             items.Post();
             transaction.Commit();
         }));
    Tell("item pending", items.IsEditing() ? "yes" : "no");
    Tell("transactions open", QString::number(book.TransactionDepth()));
    // What the program shows after the refusals is still what the book holds.
    income.query.Cancel();
    Tell("income lines after", StoredRows(income).join(' '));
    Tell("month totals after", MonthTotals(*dmPeriod->qryGetPeriod).join(' '));
    items.Cancel();
    items.Close();
    return 0;
}

// The child's facts, one "fact: value" a line.
QMap<QString, QString> Facts(const QByteArray& output)
{
    QMap<QString, QString> facts;
    for (const QByteArray& line : output.split('\n'))
        if (const qsizetype colon = line.indexOf(": "); colon > 0)
            facts.insert(QString::fromUtf8(line.left(colon)), QString::fromUtf8(line.mid(colon + 2)));
    return facts;
}

}  // namespace

class TestReadOnly : public QObject {
    Q_OBJECT

    QTemporaryDir m_place;  // readable by everyone, so the unprivileged user reaches in
    QString m_program;      // a copy of this test there, which that user may run
    QStringList m_asUser;   // what runs it as that user; empty when this test is that user
    uid_t m_uid = 0;
    gid_t m_gid = 0;
    QString m_cannot;  // why the test cannot be run here as an unprivileged user

    QProcess* Start(const QString& folder, QProcess& process)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(ChildVariable, folder);
        environment.insert("HOME", m_place.path());
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(m_place.path());
        if (m_asUser.isEmpty())
            process.start(m_program, {});
        else
            process.start(m_asUser.first(), m_asUser.mid(1) << m_program);
        return &process;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_place.isValid());
        QFile::setPermissions(m_place.path(), QFile::permissions(m_place.path()) | QFile::ReadOther | QFile::ExeOther
                                                  | QFile::ReadGroup | QFile::ExeGroup);
        m_program = m_place.path() + "/reader";
        QVERIFY(QFile::copy(QCoreApplication::applicationFilePath(), m_program));
        QFile::setPermissions(m_program, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup
                                             | QFile::ReadOther | QFile::ExeOther);
        m_uid = ::geteuid();
        m_gid = ::getegid();
        if (m_uid == 0) {
            // Root writes whatever the permission bits say: the reader runs as nobody.
            const passwd* nobody = ::getpwnam("nobody");
            const QString setpriv = QStandardPaths::findExecutable("setpriv");
            if (!nobody)
                m_cannot = "running as root, and this system has no user \"nobody\" to run the program as";
            else if (setpriv.isEmpty())
                m_cannot = "running as root, and setpriv, which runs the program as the user \"nobody\", is not "
                           "installed";
            else {
                m_uid = nobody->pw_uid;
                m_gid = nobody->pw_gid;
                m_asUser = {setpriv, QStringLiteral("--reuid=%1").arg(m_uid), QStringLiteral("--regid=%1").arg(m_gid),
                            "--clear-groups", "--"};
            }
        }
        if (!m_cannot.isEmpty())
            return;
        // Proved by trying: the system may forbid the change of user, or that user may not
        // reach the copy.
        QProcess probe;
        Start("probe", probe);
        const bool ran =
            probe.waitForFinished(60000) && probe.exitStatus() == QProcess::NormalExit && probe.exitCode() == 0;
        const QString user = Facts(probe.readAllStandardOutput()).value("user");
        if (!ran || user != QString::number(m_uid))
            m_cannot = QStringLiteral("the program could not be run as user %1 here (%2 %3)")
                           .arg(m_uid)
                           .arg(probe.errorString(), QString::fromLocal8Bit(probe.readAllStandardError()).trimmed());
    }

    // What cannot be written: the file, or its folder (which must hold the journal).
    void readOnlyBook_data()
    {
        QTest::addColumn<QString>("unwritable");
        QTest::newRow("the file") << "file";
        QTest::newRow("its folder") << "folder";
    }
    void readOnlyBook()
    {
        QFETCH(QString, unwritable);
        if (!m_cannot.isEmpty())
            QSKIP(qPrintable(m_cannot));
        qInfo("the program runs as user %u", unsigned(m_uid));

        TTestBook made;
        AddItems(made);
        {
            TLines income(TLineKind::Income, *dmDailySales->qryGetTransactionSales);
            TLines expense(TLineKind::Expense, *dmDailyExpenses->qryGetTransactionExpenses);
            income.Add(LineDay(2026, 2, 27), 1, 12500);
            income.Add(LineDay(2026, 3, 2), 3, 30000);
            income.Add(LineDay(2026, 3, 2), 1, 4550, false);
            expense.Add(LineDay(2026, 3, 2), 2, 9900);
        }
        const QString monthTotals = MonthTotals(*dmPeriod->qryGetPeriod).join(' ');
        const QStringList incomeLines = BookRows(made, TLineKind::Income);
        const QStringList expenseLines = BookRows(made, TLineKind::Expense);
        const int items = made.Scalar("SELECT count(*) FROM SALES").toInt();
        made.Connection().Close();

        // The book in a folder of its own, given to the reading user but for what the row
        // takes away: the file or the folder stays the parent's (or loses its write bits).
        const QString folder = m_place.path() + "/Shop Books " + unwritable;
        QVERIFY(QDir().mkpath(folder));
        const QString path = folder + "/ZORP.DAT";
        QVERIFY(QFile::copy(made.Path(), path));
        const QByteArray bytes = FileBytes(path);
        const QString locked = unwritable == "file" ? path : folder;
        const QString other = unwritable == "file" ? folder : path;
        QFile::setPermissions(folder, QFile::permissions(folder) | QFile::ReadOther | QFile::ExeOther);
        QFile::setPermissions(path, QFile::permissions(path) | QFile::ReadOther);
        if (m_asUser.isEmpty())
            QFile::setPermissions(
                locked, QFile::permissions(locked)
                            & ~(QFile::WriteOwner | QFile::WriteUser | QFile::WriteGroup | QFile::WriteOther));
        else
            QCOMPARE(::chown(QFile::encodeName(other).constData(), m_uid, m_gid), 0);
        auto restore =
            qScopeGuard([&] { QFile::setPermissions(locked, QFile::permissions(locked) | QFile::WriteOwner); });

        QProcess reader;
        Start(folder, reader);
        QVERIFY2(reader.waitForFinished(60000), qPrintable(reader.errorString()));
        const QString errors = QString::fromLocal8Bit(reader.readAllStandardError());
        const QMap<QString, QString> facts = Facts(reader.readAllStandardOutput());
        QVERIFY2(reader.exitStatus() == QProcess::NormalExit && reader.exitCode() == 0,
                 qPrintable(facts.value("opened") + errors));

        QCOMPARE(facts.value("user"), QString::number(m_uid));
        // Said as it opens, naming what is to blame.
        const QString blamed = unwritable == "folder" ? QStringLiteral("its folder %1 ").arg(folder) : path;
        const QString reason = facts.value("read-only");
        QVERIFY2(reason.contains(path) && reason.contains(blamed) && reason.contains("read-only"), qPrintable(reason));
        // Reading works: the lists and the totals as the book holds them.
        QCOMPARE(facts.value("month totals"), monthTotals);
        QCOMPARE(facts.value("income lines"), incomeLines.join(' '));
        QCOMPARE(facts.value("expense lines"), expenseLines.join(' '));
        QCOMPARE(facts.value("items").toInt(), items);
        // Every write is refused, naming what is to blame, and waits with the user's input.
        for (const char* write : {"line save", "item change"}) {
            const QString message = facts.value(write);
            QVERIFY2(message.contains(path) && message.contains(blamed) && message.contains("read-only")
                         && message.contains("not saved"),
                     qPrintable(write + (": " + message)));
        }
        QCOMPARE(facts.value("line pending"), QString("yes"));
        QCOMPARE(facts.value("item pending"), QString("yes"));
        QCOMPARE(facts.value("transactions open"), QString("0"));
        QCOMPARE(facts.value("income lines after"), incomeLines.join(' '));
        QCOMPARE(facts.value("month totals after"), monthTotals);
        // Nothing half-written.
        QCOMPARE(FileBytes(path), bytes);
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList {"ZORP.DAT"});
    }
};

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (qEnvironmentVariableIsSet(ChildVariable))
        return RunReader(qEnvironmentVariable(ChildVariable));
    TestReadOnly test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_readonly.moc"
