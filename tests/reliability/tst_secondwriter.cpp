// A second program writing the same book at the same time: this test program started again
// as a child (ZORP_SECOND_WRITER names the book's folder), which opens the book as the
// program does and answers one line for each command it reads. Parent and child keep in
// step through those lines alone. While the other program holds the book, a save waits for
// it and then gives up in words for the user, writing nothing; when the two take turns,
// every line is numbered after the other program's, the totals equal the lines, and the
// list shows the other program's lines too.
#include "DataModules.h"
#include "LedgerBook.h"
#include "sql_DailyExpenses.h"
#include "sql_DailySales.h"
#include "sql_K2V.h"
#include "sql_Sales.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QtTest>
#include <cstdio>
#include <iostream>
#include <optional>
#include <string>

namespace {

const char* ChildVariable = "ZORP_SECOND_WRITER";

void Say(const QString& answer)
{
    std::fputs(qPrintable(answer + '\n'), stdout);
    std::fflush(stdout);
}

// The second program. Commands: "hold" (a write transaction, as a save holds it), "hold
// exclusive" (as a save holds it while it commits, when nobody may even read), "release",
// "add <kind 0|1> <day number> <item> <amount in cents>" (a line saved through the
// storage sequence; answers its number) and "quit".
int RunSecondWriter(const QString& folder)
{
    TDataModules modules(folder);
    TDbConnection& book = dmK2V->ADOConnection;
    std::optional<TLines> lines[2];
    try {
        book.Open();
        lines[0].emplace(TLineKind::Income, *dmDailySales->qryGetTransactionSales);
        lines[1].emplace(TLineKind::Expense, *dmDailyExpenses->qryGetTransactionExpenses);
    } catch (const EZorpError& e) {
        Say("error " + e.Message());
        return 1;
    }
    Say("ready");
    for (std::string text; std::getline(std::cin, text);) {
        const QStringList words = QString::fromStdString(text).split(' ');
        try {
            if (words[0] == "hold") {
                book.ExecuteDirect(words.value(1) == "exclusive" ? "BEGIN EXCLUSIVE" : "BEGIN IMMEDIATE");
                Say("holding");
            } else if (words[0] == "release") {
                book.ExecuteDirect("ROLLBACK");
                Say("released");
            } else if (words[0] == "add" && words.size() == 5) {
                TLines& list = *lines[words[1].toInt()];
                const int number =
                    list.Add(TLineDay::FromDayNumber(words[2].toInt()), words[3].toInt(), words[4].toLongLong());
                Say(QStringLiteral("added %1").arg(number));
            } else if (words[0] == "quit") {
                Say("bye");
                return 0;
            } else {
                Say("error unknown command: " + QString::fromStdString(text));
            }
        } catch (const EZorpError& e) {
            Say("error " + e.Message());
        }
    }
    return 0;
}

// The parent's side of the child: each command is answered by one line.
class TSecondWriter {
public:
    explicit TSecondWriter(const QString& folder)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(ChildVariable, folder);
        m_process.setProcessEnvironment(environment);
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(QCoreApplication::applicationFilePath(), {});
    }
    ~TSecondWriter()
    {
        if (m_process.state() == QProcess::NotRunning)
            return;
        Ask("quit");
        if (!m_process.waitForFinished(30000))
            m_process.kill();
        m_process.waitForFinished();
    }
    // The next line the child writes; the wait only guards against a child that died.
    QString Answer()
    {
        while (!m_process.canReadLine())
            if (!m_process.waitForReadyRead(60000))
                return QStringLiteral("(no answer: %1)").arg(m_process.errorString());
        return QString::fromUtf8(m_process.readLine()).trimmed();
    }
    QString Ask(const QString& command)
    {
        m_process.write((command + '\n').toUtf8());
        return Answer();
    }

private:
    QProcess m_process;
};

// What `action` raised, as the user would read it; empty when it raised nothing.
QString Refusal(const std::function<void()>& action)
{
    try {
        action();
    } catch (const EZorpError& e) {
        return e.Message();
    }
    return {};
}

// Adds a line to the parent's list and saves it, as `how` says: through the storage's own
// Save, as the browse-and-edit screens save (one transaction, the list read again between
// the post and the roll-up), or in steps with the other program's save in between: the
// number drawn, the other program's line saved, then the post and the roll-up.
void SaveLine(TLines& lines, const QString& how, const TLineDay& day, int item, qint64 cents,
              const std::function<void()>& between)
{
    lines.query.Insert();
    lines.query.FieldByName(lines.amount).SetAsMoney(Money::FromScaled(cents));
    if (how == "steps") {
        lines.storage.BeforePost(day, item, true, TDayRecord::Ensure);
        between();
        TTransaction transaction(lines.query.Connection());
        lines.query.Post();
        lines.storage.AfterPost();
        transaction.Commit();
    } else {
        between();
        lines.Save(how == "screen", day, item, true);
    }
}

// The list as the screens leave it after a save: put in order, or read again.
void Refresh(TQuery& query)
{
    if (!query.RefreshRows()) {
        query.Close();
        query.Open();
    }
}

}  // namespace

class TestSecondWriter : public QObject {
    Q_OBJECT
private slots:
    // While the other program holds the book, the parent's save, item change or opening
    // waits for it as long as the connection waits, then gives up in the user's words,
    // naming the book; nothing of it is written, and once the other program lets go the
    // same step goes through.
    void bookHeldByAnotherProgram_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("hold");
        QTest::newRow("saving a line") << "line"
                                       << "hold";
        QTest::newRow("changing an item") << "item"
                                          << "hold";
        QTest::newRow("opening the book") << "open"
                                          << "hold exclusive";
    }
    void bookHeldByAnotherProgram()
    {
        QFETCH(QString, action);
        QFETCH(QString, hold);
        TTestBook book;
        AddItems(book);
        const TLineDay day = LineDay(2026, 3, 2);
        std::optional<TLines> income;
        income.emplace(TLineKind::Income, *dmDailySales->qryGetTransactionSales);
        QCOMPARE(income->Add(day, 1, 5000), 1);
        TQuery& items = *dmSales->qryGetAllSales;
        items.Open();
        QVERIFY(items.Locate("SALES_DESCRIPTION", {QString("BAR")}));
        const QString before = BookText(book);
        const QString itemsBefore = book.Column("SELECT SALES_DESCRIPTION FROM SALES ORDER BY SALES_ID").join(',');
        if (action == "open") {
            items.Close();
            income.reset();
            book.Connection().Close();
        }

        std::map<QString, std::function<void()>> steps {
            {"line",
             [&] {
                 if (!income->query.IsInserting()) {
                     income->query.Insert();
                     income->query.FieldByName(income->amount).SetAsMoney(Money::FromScaled(7000));
                 }
                 income->storage.Save(day, 2, true, TDayRecord::Ensure);
             }},
            {"item",
             [&] {
                 if (!items.IsEditing()) {
                     items.Edit();
                     items.FieldByName("SALES_DESCRIPTION").SetAsString("BAR AND GRILL");
                 }
                 TTransaction transaction(book.Connection());
                 items.Post();
                 transaction.Commit();
             }},
            {"open", [&] { book.Connection().Open(); }},
        };

        TSecondWriter other(book.Folder());
        QCOMPARE(other.Answer(), QString("ready"));
        QCOMPARE(other.Ask(hold), QString("holding"));
        QElapsedTimer waited;
        waited.start();
        const QString message = Refusal(steps.at(action));
        const qint64 elapsed = waited.elapsed();
        QCOMPARE(other.Ask("release"), QString("released"));

        // It waited for the other program (the connection waits seconds, not an instant).
        QVERIFY2(elapsed >= 1000, qPrintable(QString::number(elapsed)));
        QVERIFY2(message.contains("in use by another program") && message.contains(book.Path())
                     && !message.contains("locked"),
                 qPrintable(message));
        QCOMPARE(BookText(book), before);
        QCOMPARE(book.Column("SELECT SALES_DESCRIPTION FROM SALES ORDER BY SALES_ID").join(','), itemsBefore);
        // The refused save left the line or item pending, as the user entered it.
        if (action == "line")
            QVERIFY(income->query.IsInserting());
        if (action == "item")
            QVERIFY(items.IsEditing());

        steps.at(action)();
        if (action == "line") {
            QCOMPARE(int(income->query.FieldByName(income->number).AsInteger()), 2);
            QCOMPARE(BookRows(book, TLineKind::Income).size(), 2);
        }
        if (action == "item")
            QCOMPARE(book.Scalar("SELECT SALES_DESCRIPTION FROM SALES WHERE SALES_ID = 1").toString(),
                     QString("BAR AND GRILL"));
        QCOMPARE(BrokenInvariants(book), QString());
        QCOMPARE(BrokenNumbering(book), QString());
    }

    // The parent and the other program save lines to the same day by turns, each kind, in
    // each way the parent can save: every line is numbered after all the lines before it,
    // whichever program saved them, the totals equal the lines, and the parent's list,
    // refreshed as the screens refresh it, shows what the book holds.
    void savingByTurns_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("storage save") << "storage";
        QTest::newRow("screen save") << "screen";
        QTest::newRow("the other program saves between the steps") << "steps";
    }
    void savingByTurns()
    {
        QFETCH(QString, how);
        TTestBook book;
        AddItems(book);
        TLines income(TLineKind::Income, *dmDailySales->qryGetTransactionSales);
        TLines expense(TLineKind::Expense, *dmDailyExpenses->qryGetTransactionExpenses);
        TSecondWriter other(book.Folder());
        QCOMPARE(other.Answer(), QString("ready"));
        const TLineDay day = LineDay(2026, 3, 31);
        const int rounds = 8;
        for (TLines* lines : {&income, &expense}) {
            QStringList numbers;  // the other program's, as it was told them
            for (int round = 0; round < rounds; ++round) {
                const int item = 1 + round % 3;
                const auto otherSaves = [&] {
                    const QString answer = other.Ask(QStringLiteral("add %1 %2 %3 %4")
                                                         .arg(lines == &income ? 0 : 1)
                                                         .arg(day.TRANSACTION_DATE)
                                                         .arg(item)
                                                         .arg(1000 + round));
                    QVERIFY2(answer.startsWith("added "), qPrintable(answer));
                    numbers << answer.section(' ', 1);
                };
                SaveLine(*lines, how, day, item, 100000 + round, otherSaves);
                if (QTest::currentTestFailed())
                    return;
                Refresh(lines->query);
                QCOMPARE(StoredRows(*lines), BookRows(book, lines->kind));
            }
            // Numbered by turns, whichever program saved: 1, 2, 3 and on, none twice, and
            // the other program's lines hold the numbers it was told.
            const QString number = lines->number;
            const QString amount = lines->amount;
            QStringList expected;
            for (int n = 1; n <= 2 * rounds; ++n)
                expected << QString::number(n);
            QCOMPARE(book.Column(QStringLiteral("SELECT %1 FROM %2 WHERE TRANSACTION_DATE = %3 ORDER BY %1")
                                     .arg(number, Table(lines->kind))
                                     .arg(day.TRANSACTION_DATE)),
                     expected);
            QCOMPARE(book.Column(QStringLiteral("SELECT %1 FROM %2 WHERE %3 < 100000 ORDER BY %1")
                                     .arg(number, Table(lines->kind), amount)),
                     numbers);
        }
        QCOMPARE(BrokenInvariants(book), QString());
        QCOMPARE(BrokenNumbering(book), QString());
    }
};

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (qEnvironmentVariableIsSet(ChildVariable))
        return RunSecondWriter(qEnvironmentVariable(ChildVariable));
    TestSecondWriter test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_secondwriter.moc"
