// How the connection is used: statements that report every failure and are reset after
// every run, the one thread that may use an open book, the writes that need a transaction,
// and the version a book records, with the upgrade of an older book and the refusal of a
// newer one.
#include "DayNumber.h"
#include "DbConnection.h"
#include "Errors.h"
#include "LineStorage.h"
#include "Query.h"
#include "Schema.h"
#include "Statement.h"
#include "TestBook.h"
#include "tbl_DailyTransaction.h"
#include "tbl_period.h"

#include <QFile>
#include <QtTest>
#include <functional>
#include <map>
#include <optional>
#include <thread>

namespace {

const QString Password = QStringLiteral("$q4u8a5z$");

int Day(int y, int m, int d)
{
    return DayNumber::FromDate(QDate(y, m, d));
}

// Every row of the tables a write function could touch, as text.
QString BookState(TTestBook& book)
{
    QStringList parts;
    for (const char* sql :
         {"SELECT group_concat(YYYY || '/' || MM || ':' || ifnull(SALES, '-') || ':' || ifnull(EXPENSES, '-'), ',') "
          "FROM PERIOD",
          "SELECT group_concat(TRANSACTION_DATE || ':' || ifnull(TAKINGS, '-') || ':' || ifnull(EXPENSES, '-') || ':' "
          "|| ifnull(LAST_SALES_ID, '-') || ':' || ifnull(LAST_EXPENSE_ID, '-'), ',') FROM DAILY_TRANSACTION",
          "SELECT group_concat(SALES_ID || ':' || ifnull(SALES_DESCRIPTION, '-'), ',') FROM SALES",
          "SELECT group_concat(RESOURCE_NAME || '=' || RESOURCE_VALUE, ',') FROM RESOURCE"})
        parts << book.Scalar(sql).toString();
    return parts.join(" | ");
}

// What a book holds, read through any connection: every table's rows and the version.
QString Content(TDbConnection& c)
{
    QStringList parts;
    for (const char* sql :
         {"SELECT group_concat(x, ',') FROM (SELECT SALES_ID || ':' || SALES_DESCRIPTION AS x FROM SALES ORDER BY 1)",
          "SELECT group_concat(x, ',') FROM (SELECT RESOURCE_NAME || '=' || RESOURCE_VALUE AS x FROM RESOURCE "
          "ORDER BY 1)",
          "SELECT group_concat(x, ',') FROM (SELECT EXPENSE_TYPE_ID || ':' || EXPENSE_TYPE_DESCRIPTION AS x FROM "
          "EXPENSE_TYPE ORDER BY 1)",
          "SELECT group_concat(name, ',') FROM (SELECT name FROM sqlite_master ORDER BY name)"}) {
        TStatement st(c, QString::fromUtf8(sql));
        TExecution run(st);
        parts << (run.Step() ? QString::fromUtf8(st.Utf8(0)) : QString());
    }
    return parts.join(" | ");
}

// The message of what `action` raised on a thread of its own; empty when it raised nothing.
QString RaisedOnAnotherThread(const std::function<void()>& action)
{
    QString message = QStringLiteral("(nothing raised)");
    std::thread other([&] {
        try {
            action();
        } catch (const EDatabaseError& e) {
            message = e.Message();
        } catch (...) {
            message = QStringLiteral("(another kind of error)");
        }
    });
    other.join();
    return message;
}

}  // namespace

class TestConnection : public QObject {
    Q_OBJECT
private slots:
    // Each failure comes as a typed error with the engine's code and text, wherever in a
    // statement's life it happens.
    void statementFailuresAreTyped_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<int>("bindIndex");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("text");
        QTest::newRow("prepare") << "SELECT * FROM NO_SUCH_TABLE" << 0 << 1 << "no such table";
        QTest::newRow("bind") << "SELECT ?1" << 2 << 25 << "column index out of range";
        QTest::newRow("step") << "INSERT INTO SALES (SALES_ID) VALUES (?1)" << 1 << 19 << "UNIQUE";
    }
    void statementFailuresAreTyped()
    {
        QFETCH(QString, sql);
        QFETCH(int, bindIndex);
        QFETCH(int, code);
        QFETCH(QString, text);
        TTestBook book;
        book.Exec("INSERT INTO SALES (SALES_ID) VALUES (7)");
        try {
            TStatement st(book.Connection(), sql);
            TExecution run(st);
            st.BindInteger(bindIndex, 7);
            run.Finish();
            QFAIL("the statement ran");
        } catch (const EDatabaseError& e) {
            QCOMPARE(e.Code() & 0xff, code);
            QVERIFY2(e.Message().contains(text), qPrintable(e.Message()));
        }
        QCOMPARE(book.Scalar("SELECT group_concat(SALES_ID) FROM SALES").toString(), QString("7"));
    }

    // A run ends with the statement reset and its values unbound, also when it is left by
    // an error halfway through its rows: a reader left running would keep the table busy.
    void runsEndResetAndUnbound()
    {
        TTestBook book;
        book.Exec("CREATE TABLE SCRATCH (X)");
        book.Exec("INSERT INTO SCRATCH VALUES (1), (2), (3)");
        TStatement echo(book.Connection(), "SELECT ?1");
        {
            TExecution run(echo);
            echo.BindInteger(1, 5);
            QVERIFY(run.Step());
            QCOMPARE(echo.Integer(0), 5);
        }
        {
            TExecution run(echo);
            QVERIFY(run.Step());
            QVERIFY(echo.IsNull(0));
        }
        TStatement read(book.Connection(), "SELECT X FROM SCRATCH ORDER BY X");
        try {
            TExecution run(read);
            QVERIFY(run.Step());
            throw EAbortMessage("stopped halfway");
        } catch (const EAbortMessage&) {
        }
        book.Exec("DROP TABLE SCRATCH");
        QCOMPARE(book.Scalar("SELECT count(*) FROM sqlite_master WHERE name = 'SCRATCH'").toInt(), 0);
    }

    void statementsMoveTheirHandle()
    {
        TTestBook book;
        TStatement first(book.Connection(), "SELECT 42");
        TStatement second(std::move(first));
        QVERIFY(!first.Prepared());
        QVERIFY(second.Prepared());
        TStatement third;
        third = std::move(second);
        TExecution run(third);
        QVERIFY(run.Step());
        QCOMPARE(third.Integer(0), 42);
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, TExecution {first});
    }

    // The engine is opened without locks of its own, so another thread is turned away at
    // its first use of the book, which it leaves as it was.
    void otherThreadIsTurnedAway_data()
    {
        QTest::addColumn<QString>("use");
        QTest::newRow("command run before") << "prepared command";
        QTest::newRow("command new to it") << "new command";
        QTest::newRow("query") << "query";
        QTest::newRow("transaction") << "transaction";
        QTest::newRow("direct SQL") << "direct";
    }
    void otherThreadIsTurnedAway()
    {
        QFETCH(QString, use);
        TTestBook book;
        TDbConnection& c = book.Connection();
        book.Exec("INSERT INTO SALES (SALES_ID, SALES_DESCRIPTION) VALUES (1, 'BREAD')");
        TCommand add("qryAdd", c, "INSERT INTO SALES (SALES_ID, SALES_DESCRIPTION) VALUES (:iID, 'MILK')");
        add.ParamByName("iID").SetAsInteger(2);
        add.Execute();
        TQuery items("qryItems", c, "SELECT SALES_ID FROM SALES");
        items.Open();
        items.Close();
        const QString before = BookState(book);

        std::map<QString, std::function<void()>> uses {
            {"prepared command",
             [&] {
                 add.ParamByName("iID").SetAsInteger(3);
                 add.Execute();
             }},
            {"new command", [&] { TCommand("qryOther", c, "DELETE FROM SALES").Execute(); }},
            {"query", [&] { items.Open(); }},
            {"transaction",
             [&] {
                 TTransaction t(c);
                 t.Commit();
             }},
            {"direct", [&] { c.ExecuteDirect("DELETE FROM SALES"); }},
        };
        const QString message = RaisedOnAnotherThread(uses.at(use));
        QVERIFY2(message.contains("another part of the program") && message.contains(book.Path()), qPrintable(message));
        QVERIFY(!items.Active());
        QCOMPARE(c.TransactionDepth(), 0);
        QCOMPARE(BookState(book), before);
        // The thread that opened it goes on using it.
        add.ParamByName("iID").SetAsInteger(3);
        QCOMPARE(add.Execute(), 1);
    }

    // A write that belongs to a larger unit refuses to run outside one, naming itself, and
    // writes nothing; inside a transaction it runs.
    void writesNeedATransaction_data()
    {
        QTest::addColumn<QString>("write");
        for (const char* name : {"SetNextSalesID", "SetNextExpenseID", "UpdateDaySales", "UpdateDayExpenses",
                                 "InsertDailyTransactionRecord", "UpdatePeriodSales", "UpdatePeriodExpenses",
                                 "InsertPeriodRecord", "RollUpLineDay"})
            QTest::newRow(name) << QString(name);
    }
    void writesNeedATransaction()
    {
        QFETCH(QString, write);
        TTestBook book;
        const int d = Day(2004, 2, 3);
        EnsureDailyTransaction(2004, 2, d);
        // Lines the stored totals do not count yet, so every roll-up has something to write.
        book.Exec(QStringLiteral("INSERT INTO DAILY_SALES (YYYY, MM, TRANSACTION_DATE, DAILY_SALES_ID, SALES_AMOUNT, "
                                 "TAXABLE) VALUES (2004, 2, %1, 1, 50000, 'Y')")
                      .arg(d));
        book.Exec(QStringLiteral("INSERT INTO DAILY_EXPENSE (YYYY, MM, TRANSACTION_DATE, DAILY_EXPENSE_ID, "
                                 "EXPENSE_AMOUNT, TAXABLE) VALUES (2004, 2, %1, 1, 20000, 'N')")
                      .arg(d));
        const std::map<QString, std::function<void()>> writes {
            {"SetNextSalesID", [&] { SetNextSalesID(2004, 2, d, 9); }},
            {"SetNextExpenseID", [&] { SetNextExpenseID(2004, 2, d, 9); }},
            {"UpdateDaySales", [&] { UpdateDaySales(2004, 2, d); }},
            {"UpdateDayExpenses", [&] { UpdateDayExpenses(2004, 2, d); }},
            {"InsertDailyTransactionRecord",
             [&] { InsertDailyTransactionRecord(1, 2004, 2, QDate(2004, 2, 4), Money(), Money(), 0, 0); }},
            {"UpdatePeriodSales", [&] { UpdatePeriodSales(2004, 2); }},
            {"UpdatePeriodExpenses", [&] { UpdatePeriodExpenses(2004, 2); }},
            {"InsertPeriodRecord", [&] { InsertPeriodRecord(1, 2004, 3, Money(), Money()); }},
            {"RollUpLineDay", [&] { RollUpLineDay(TLineKind::Income, TLineDay::FromDayNumber(d)); }},
        };
        const QString before = BookState(book);
        try {
            writes.at(write)();
            QFAIL("the write ran outside a transaction");
        } catch (const EDatabaseError& e) {
            QVERIFY2(e.Message().contains(write) && e.Message().contains("transaction"), qPrintable(e.Message()));
        }
        QCOMPARE(BookState(book), before);
        Committed(book.Connection(), writes.at(write));
        QVERIFY(BookState(book) != before);
    }

    // The version a book records, as it opens: a new book gets this program's; an older
    // one, made by today's schema before versions were kept, opens with its rows as they
    // were and is brought up; a newer one is refused and left byte for byte. A failing
    // upgrade step, or a read-only book that needs one, leaves the book as it was.
    // Book: the version the test book is set to before it is opened again, -1 for none.
    // Step: statements of an extra upgrade to a version after this program's; "none" uses
    // this program's schema, "no schema" opens without one.
    void bookVersions_data()
    {
        QTest::addColumn<int>("bookVersion");
        QTest::addColumn<QString>("step");
        QTest::addColumn<bool>("readOnly");
        QTest::addColumn<QString>("refusal");
        QTest::addColumn<int>("versionAfter");
        const int current = BrindlemarkSchema().version;
        QTest::newRow("new book") << -1 << "none" << false << "" << current;
        QTest::newRow("current book") << current << "none" << false << "" << current;
        QTest::newRow("book from before versions") << 0 << "none" << false << "" << current;
        QTest::newRow("newer book") << 7 << "none" << false
                                    << "newer version of Brindlemark (book version 7, this "
                                       "program reads up to 1)"
                                    << 7;
        QTest::newRow("newer book, read-only")
            << 7 << "none" << true << "newer version of Brindlemark (book version 7" << 7;
        QTest::newRow("older book, read-only")
            << 0 << "none" << true << "older version of Brindlemark (book version 0)" << 0;
        QTest::newRow("older book, read-only, current") << current << "none" << true << "" << current;
        QTest::newRow("upgrade step") << current << "CREATE TABLE EXTRA (X);INSERT INTO EXTRA VALUES (1)" << false << ""
                                      << current + 1;
        QTest::newRow("failing upgrade step")
            << current << "CREATE TABLE EXTRA (X);INSERT INTO NO_SUCH_TABLE VALUES (1)" << false
            << "could not be brought up to date" << current;
        QTest::newRow("failing step from before versions")
            << 0 << "CREATE TABLE EXTRA (X);INSERT INTO NO_SUCH_TABLE VALUES (1)" << false
            << "could not be brought up to date" << 0;
        QTest::newRow("no schema, newer book") << 7 << "no schema" << false << "" << 7;
    }
    void bookVersions()
    {
        QFETCH(int, bookVersion);
        QFETCH(QString, step);
        QFETCH(bool, readOnly);
        QFETCH(QString, refusal);
        QFETCH(int, versionAfter);
        TTestBook book;
        QString content;
        if (bookVersion >= 0) {
            book.Exec("INSERT INTO SALES (SALES_ID, SALES_DESCRIPTION) VALUES (3, 'BREAD')");
            book.Exec(QStringLiteral("PRAGMA user_version = %1").arg(bookVersion));
            content = Content(book.Connection());
            book.Connection().Close();
        }
        const QByteArray bytes = FileBytes(book.Path());

        TDbConnection c;
        c.SetDataSource(book.Path());
        c.SetPassword(Password);
        c.SetOpenReadOnly(readOnly);
        TBookSchema schema = BrindlemarkSchema();
        if (step != "none" && step != "no schema") {
            schema.version += 1;
            schema.upgrades.push_back({schema.version, step.split(';')});
        }
        if (step != "no schema")
            c.SetSchema(schema);
        if (!refusal.isEmpty()) {
            try {
                c.Open();
                QFAIL("the book was opened");
            } catch (const EDatabaseError& e) {
                QVERIFY2(e.Message().contains(refusal) && e.Message().contains(book.Path()), qPrintable(e.Message()));
            }
            QVERIFY(!c.Connected());
            QCOMPARE(FileBytes(book.Path()), bytes);
            QVERIFY(!QFile::exists(book.Path() + "-journal"));
            // Whatever was refused, the book still opens as it was where it can be read.
            TDbConnection plain;
            plain.SetDataSource(book.Path());
            plain.SetPassword(Password);
            plain.Open();
            QCOMPARE(BookVersion::Read(plain), versionAfter);
            QCOMPARE(Content(plain), content);
            return;
        }
        c.Open();
        QCOMPARE(BookVersion::Read(c), versionAfter);
        if (bookVersion < 0) {
            QCOMPARE(Content(c).section(" | ", 0, 2),
                     QString(" | EXPENSE_ID=0,EXPENSE_TYPE_ID=1,SALES_ID=0 | 1:GENERAL"));
            return;
        }
        const QString extra = step.startsWith("CREATE TABLE EXTRA") ? QStringLiteral(",EXTRA") : QString();
        QString expected = content;
        if (!extra.isEmpty()) {
            // The new table is listed among the others in name order.
            QStringList names = content.section(" | ", 3).split(',');
            names << "EXTRA";
            names.sort();
            expected = content.section(" | ", 0, 2) + " | " + names.join(',');
        }
        QCOMPARE(Content(c), expected);
    }
};

QTEST_GUILESS_MAIN(TestConnection)

#include "tst_connection.moc"
