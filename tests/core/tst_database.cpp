// The encrypted book: creation of a new book, the cipher, refusal of bad files without
// touching them, the program folder, the keys and checks of the schema, transactions.
#include "DbConnection.h"
#include "Errors.h"
#include "Query.h"
#include "Schema.h"
#include "TestBook.h"
#include "sql_K2V.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QtTest>
#include <cstring>
#include <optional>
#include <sqlite3.h>

namespace {
// Run as a copied program: open the book beside the program and report its path.
int RunProbe()
{
    TdmK2V dm;
    TCommand add("qryProbe", dm.ADOConnection,
                 "INSERT INTO RESOURCE (RESOURCE_NAME, RESOURCE_VALUE) VALUES ('PROBE', :iVALUE)");
    add.ParamByName("iVALUE").SetAsString(QDir::currentPath());
    add.Execute();
    QTextStream(stdout) << dm.ADOConnection.DataSource() << Qt::endl;
    return 0;
}

const QString Password = QStringLiteral("$q4u8a5z$");

// The ids a set holds as stored, leaving out a row being added.
QStringList StoredIds(TDataSet& ds)
{
    QStringList ids;
    for (int r = 0; r < ds.RecordCount(); ++r)
        if (!(r == ds.CurrentIndex() && ds.IsInserting()))
            ids << QString::number(ds.ValueAt(r, ds.FieldByName("SALES_ID").Index()).Integer());
    return ids;
}

// A step that only tells when it is undone.
class TNamedStep : public TRollbackStep {
public:
    TNamedStep(QStringList& undone, const QString& name) : m_undone(undone), m_name(name) { }
    void Undo() override { m_undone << m_name; }

private:
    QStringList& m_undone;
    QString m_name;
};

int RefuseCommit(void*)
{
    return 1;
}

// What a statement of a book's schema saw while the book was being made, and what it did
// then: zorp_during(folder, action) notes whether the book's name was taken and which
// files stood in its folder, and with action "appear" or "appear empty" puts a file of
// another program under the book's name, as if it had been copied there meanwhile.
struct TDuringMaking {
    bool bookExisted = true;
    QStringList files;
};
TDuringMaking during;
const QByteArray AppearingFile("This file was copied here by another program.\n");

void DuringMaking(sqlite3_context* context, int, sqlite3_value** args)
{
    const QString folder = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_value_text(args[0])));
    const QString action = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_value_text(args[1])));
    during.bookExisted = QFile::exists(folder + "/ZORP.DAT");
    during.files = QDir(folder).entryList(QDir::Files | QDir::Hidden);
    if (action.startsWith("appear")) {
        QFile f(folder + "/ZORP.DAT");
        if (f.open(QIODevice::WriteOnly))
            f.write(action == "appear" ? AppearingFile : QByteArray());
    }
    sqlite3_result_null(context);
}

int RegisterDuringMaking(sqlite3* db, char**, const sqlite3_api_routines*)
{
    return sqlite3_create_function(db, "zorp_during", 2, SQLITE_UTF8, nullptr, DuringMaking, nullptr, nullptr);
}
}  // namespace

class TestDatabase : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { sqlite3_auto_extension(reinterpret_cast<void (*)()>(RegisterDuringMaking)); }
    void cleanupTestCase() { sqlite3_cancel_auto_extension(reinterpret_cast<void (*)()>(RegisterDuringMaking)); }

    void newBookHasEveryTableAndKey_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("key");
        QTest::newRow("RESOURCE") << "RESOURCE"
                                  << "RESOURCE_NAME";
        QTest::newRow("EXPENSE_TYPE") << "EXPENSE_TYPE"
                                      << "EXPENSE_TYPE_ID";
        QTest::newRow("EXPENSE") << "EXPENSE"
                                 << "EXPENSE_ID";
        QTest::newRow("SALES") << "SALES"
                               << "SALES_ID";
        QTest::newRow("PERIOD") << "PERIOD"
                                << "YYYY,MM";
        QTest::newRow("DAILY_TRANSACTION") << "DAILY_TRANSACTION"
                                           << "YYYY,MM,TRANSACTION_DATE";
        QTest::newRow("DAILY_SALES") << "DAILY_SALES"
                                     << "YYYY,MM,TRANSACTION_DATE,DAILY_SALES_ID";
        QTest::newRow("DAILY_EXPENSE") << "DAILY_EXPENSE"
                                       << "YYYY,MM,TRANSACTION_DATE,DAILY_EXPENSE_ID";
    }
    void newBookHasEveryTableAndKey()
    {
        QFETCH(QString, table);
        QFETCH(QString, key);
        TTestBook book;
        QVERIFY(!QFile::exists(book.Path()));
        TQuery info("qryInfo", book.Connection(), QStringLiteral("PRAGMA table_info(%1)").arg(table));
        info.Open();
        QMap<qint64, QString> keyColumns;
        for (; !info.Eof(); info.Next())
            if (info.FieldByName("pk").AsInteger() > 0)
                keyColumns.insert(info.FieldByName("pk").AsInteger(), info.FieldByName("name").AsString());
        const QString pk = keyColumns.values().join(',');
        QCOMPARE(pk, key);
        QVERIFY(QFile::exists(book.Path()));
    }

    void newBookHasCountersAndTypeOne()
    {
        TTestBook book;
        QCOMPARE(book.Scalar("SELECT RESOURCE_VALUE FROM RESOURCE WHERE RESOURCE_NAME = 'EXPENSE_TYPE_ID'").toString(),
                 QString("1"));
        QCOMPARE(book.Scalar("SELECT RESOURCE_VALUE FROM RESOURCE WHERE RESOURCE_NAME = 'EXPENSE_ID'").toString(),
                 QString("0"));
        QCOMPARE(book.Scalar("SELECT RESOURCE_VALUE FROM RESOURCE WHERE RESOURCE_NAME = 'SALES_ID'").toString(),
                 QString("0"));
        QCOMPARE(book.Scalar("SELECT count(*) FROM EXPENSE_TYPE WHERE EXPENSE_TYPE_ID = 1").toInt(), 1);
        QCOMPARE(book.Scalar("SELECT count(*) FROM RESOURCE").toInt(), 3);
    }

    // A new book is made under a name of its own in the book's folder and takes the book's
    // name only once it is whole, and only while nothing else has that name; whatever fails
    // leaves the folder as it was. (An empty file is refused, never made into a book: see
    // tst_damagedfiles.)
    void newBookIsWholeOrNotMadeAtAll_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("refusal");
        QTest::addColumn<QString>("after");  // what has the book's name afterwards
        QTest::newRow("made") << "none"
                              << ""
                              << "the new book";
        QTest::newRow("a statement of the schema fails") << "fail"
                                                         << "NO_SUCH_TABLE"
                                                         << "nothing";
        QTest::newRow("another program's file appears meanwhile") << "appear"
                                                                  << "cannot be opened as a Brindlemark book"
                                                                  << "that file";
        QTest::newRow("an empty file appears meanwhile") << "appear empty"
                                                         << "is empty"
                                                         << "that file";
    }
    void newBookIsWholeOrNotMadeAtAll()
    {
        QFETCH(QString, action);
        QFETCH(QString, refusal);
        QFETCH(QString, after);
        QTemporaryDir dir;
        const QString path = dir.path() + "/ZORP.DAT";
        TBookSchema schema = BrindlemarkSchema();
        schema.startRows << QStringLiteral("SELECT zorp_during('%1', '%2')").arg(dir.path(), action);
        if (action == "fail")
            schema.startRows << "INSERT INTO NO_SUCH_TABLE VALUES (1)";
        during = {};
        TDbConnection c;
        c.SetDataSource(path);
        c.SetPassword(Password);
        c.SetSchema(schema);
        try {
            c.Open();
            QVERIFY2(refusal.isEmpty(), "the book was opened");
        } catch (const EDatabaseError& e) {
            QVERIFY2(!refusal.isEmpty() && e.Message().contains(refusal), qPrintable(e.Message()));
        }
        // While it was being made, the new book stood in the folder, not under the book's name.
        QVERIFY(!during.bookExisted);
        QVERIFY(!during.files.isEmpty() && !during.files.contains("ZORP.DAT"));
        QCOMPARE(c.Connected(), refusal.isEmpty());
        if (after == "the new book")
            QCOMPARE(BookVersion::Read(c), schema.version);
        else if (after == "that file")
            QCOMPARE(FileBytes(path), action == "appear" ? AppearingFile : QByteArray());
        c.Close();
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
                 after == "nothing" ? QStringList() : QStringList {"ZORP.DAT"});
    }

    void bookIsEncryptedAndOpensInTheShell()
    {
        TTestBook book;
        book.Exec("INSERT INTO SALES (SALES_ID, SALES_DESCRIPTION, TAXABLE, AMOUNT) VALUES (5, 'COFFEE', 'Y', 25000)");
        book.Connection().Close();
        const QByteArray bytes = FileBytes(book.Path());
        QVERIFY(bytes.size() > 0);
        QVERIFY(!bytes.startsWith("SQLite format 3"));
        QVERIFY(!bytes.contains("COFFEE"));

        QProcess shell;
        shell.start("sqlcipher", {book.Path()});
        QVERIFY2(shell.waitForStarted(), "the sqlcipher shell is not installed");
        // An engine of version 4 or later needs to be told the file's format; older ones
        // ignore the setting.
        shell.write(QStringLiteral("PRAGMA key = '%1';\nPRAGMA cipher_compatibility = 3;\n"
                                   "SELECT SALES_DESCRIPTION || '/' || AMOUNT FROM SALES;\n")
                        .arg(Password)
                        .toUtf8());
        shell.closeWriteChannel();
        QVERIFY(shell.waitForFinished());
        QVERIFY2(shell.readAllStandardOutput().contains("COFFEE/25000"), shell.readAllStandardError().constData());
    }

    void badFilesAreRefusedAndLeftAlone_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("password");
        QTest::newRow("wrong password") << QByteArray() << "not the password";
        QByteArray garbage;
        for (int i = 0; i < 8192; ++i)
            garbage += char((i * 131 + 7) % 251);
        QTest::newRow("garbage") << garbage << Password;
        QTest::newRow("plain text") << QByteArray("Dear accountant,\nhere are the books.\n") << Password;
        QByteArray plainSqlite = "SQLite format 3";
        plainSqlite += '\0';
        plainSqlite += QByteArray(4080, '\x01');
        QTest::newRow("damaged header") << plainSqlite << Password;
    }
    void badFilesAreRefusedAndLeftAlone()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, password);
        TTestBook book;
        if (content.isEmpty()) {
            book.Exec("INSERT INTO SALES (SALES_ID, SALES_DESCRIPTION) VALUES (1, 'BREAD')");
            book.Connection().Close();
        } else {
            QFile f(book.Path());
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(content);
            f.close();
        }
        const QByteArray before = FileBytes(book.Path());

        TDbConnection other;
        other.SetDataSource(book.Path());
        other.SetPassword(password);
        for (int attempt = 0; attempt < 2; ++attempt) {
            try {
                other.Open();
                QFAIL("the file was opened");
            } catch (const EDatabaseError& e) {
                // Which words each kind of file gets is tried in tst_damagedfiles.
                QVERIFY2(e.Message().contains(book.Path()), qPrintable(e.Message()));
                QVERIFY2(e.Message().contains("Brindlemark book") && e.Message().contains("left as it was"),
                         qPrintable(e.Message()));
            }
            QVERIFY(!other.Connected());
        }
        QCOMPARE(FileBytes(book.Path()), before);
        QVERIFY(!QFile::exists(book.Path() + "-journal"));
    }

    void missingFolderIsAnError()
    {
        TDbConnection c;
        c.SetDataSource(QDir::tempPath() + "/no such folder here/ZORP.DAT");
        c.SetPassword(Password);
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, c.Open());
        QVERIFY(!QFile::exists(QDir::tempPath() + "/no such folder here"));
    }

    void programFolderWithSpacesFromAnotherDirectory()
    {
        TTestBook place("Shop Books/Brindle mark");
        const QString program = place.Folder() + "/probe program";
        QVERIFY(QFile::copy(QCoreApplication::applicationFilePath(), program));
        QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QTemporaryDir elsewhere;
        QProcess p;
        p.setWorkingDirectory(elsewhere.path());
        p.start(program, {"--probe"});
        QVERIFY(p.waitForFinished(30000));
        QCOMPARE(p.exitCode(), 0);
        QCOMPARE(QString::fromUtf8(p.readAllStandardOutput()).trimmed(), place.Folder() + "/ZORP.DAT");
        QVERIFY(QFile::exists(place.Path()));
        QVERIFY(!QFile::exists(elsewhere.path() + "/ZORP.DAT"));
        QCOMPARE(place.Scalar("SELECT RESOURCE_VALUE FROM RESOURCE WHERE RESOURCE_NAME = 'PROBE'").toString(),
                 elsewhere.path());
    }

    void durableSettings()
    {
        TTestBook book;
        QCOMPARE(book.Scalar("PRAGMA synchronous").toInt(), 2);  // FULL
        QCOMPARE(book.Scalar("PRAGMA journal_mode").toString(), QString("delete"));
    }

    void schemaRefusesBadRows_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("reason");
        QTest::newRow("second period") << "INSERT INTO PERIOD (YYYY, MM, SALES, EXPENSES) VALUES (2004, 2, 0, 0)"
                                       << "UNIQUE";
        QTest::newRow("second day")
            << "INSERT INTO DAILY_TRANSACTION (YYYY, MM, TRANSACTION_DATE) VALUES (2004, 2, 38018)"
            << "UNIQUE";
        QTest::newRow("month 13") << "INSERT INTO PERIOD (YYYY, MM) VALUES (2004, 13)"
                                  << "MM must be";
        QTest::newRow("month 0") << "INSERT INTO DAILY_TRANSACTION (YYYY, MM, TRANSACTION_DATE) VALUES (2004, 0, 1)"
                                 << "MM must be";
        QTest::newRow("long description")
            << QStringLiteral("INSERT INTO EXPENSE (EXPENSE_ID, EXPENSE_DESCRIPTION) VALUES (9, '%1')")
                   .arg(QString(51, 'X'))
            << "at most 50 characters";
        QTest::newRow("long reference")
            << QStringLiteral("INSERT INTO DAILY_EXPENSE (YYYY, MM, TRANSACTION_DATE, DAILY_EXPENSE_ID, REFERENCE) "
                              "VALUES (2004, 2, 38018, 1, '%1')")
                   .arg(QString(21, 'R'))
            << "at most 20 characters";
        QTest::newRow("line number past 32767")
            << "INSERT INTO DAILY_SALES (YYYY, MM, TRANSACTION_DATE, DAILY_SALES_ID) VALUES (2004, 2, 38018, 32768)"
            << "from -32768 to 32767";
        QTest::newRow("amount as text") << "INSERT INTO SALES (SALES_ID, AMOUNT) VALUES (3, 'lots')"
                                        << "amount";
        QTest::newRow("amount as fraction") << "INSERT INTO SALES (SALES_ID, AMOUNT) VALUES (3, 1.5)"
                                            << "amount";
        QTest::newRow("no line number")
            << "INSERT INTO DAILY_EXPENSE (YYYY, MM, TRANSACTION_DATE) VALUES (2004, 2, 38018)"
            << "NOT NULL";
    }
    void schemaRefusesBadRows()
    {
        QFETCH(QString, sql);
        QFETCH(QString, reason);
        TTestBook book;
        book.Exec("INSERT INTO PERIOD (YYYY, MM, SALES, EXPENSES) VALUES (2004, 2, 0, 0)");
        book.Exec("INSERT INTO DAILY_TRANSACTION (YYYY, MM, TRANSACTION_DATE) VALUES (2004, 2, 38018)");
        const int rowsBefore = book.Scalar("SELECT (SELECT count(*) FROM PERIOD) + (SELECT count(*) FROM "
                                           "DAILY_TRANSACTION) + (SELECT count(*) FROM EXPENSE) + (SELECT count(*) "
                                           "FROM SALES) + (SELECT count(*) FROM DAILY_SALES) + (SELECT count(*) FROM "
                                           "DAILY_EXPENSE)")
                                   .toInt();
        try {
            book.Exec(sql);
            QFAIL("the row was stored");
        } catch (const EDatabaseError& e) {
            QVERIFY2(e.Message().contains(reason), qPrintable(e.Message()));
        }
        QCOMPARE(book.Scalar("SELECT (SELECT count(*) FROM PERIOD) + (SELECT count(*) FROM DAILY_TRANSACTION) + "
                             "(SELECT count(*) FROM EXPENSE) + (SELECT count(*) FROM SALES) + (SELECT count(*) FROM "
                             "DAILY_SALES) + (SELECT count(*) FROM DAILY_EXPENSE)")
                     .toInt(),
                 rowsBefore);
    }

    void linesDefaultProfileToOne()
    {
        TTestBook book;
        book.Exec("INSERT INTO DAILY_SALES (YYYY, MM, TRANSACTION_DATE, DAILY_SALES_ID) VALUES (2004, 2, 38018, 1)");
        book.Exec(
            "INSERT INTO DAILY_EXPENSE (YYYY, MM, TRANSACTION_DATE, DAILY_EXPENSE_ID) VALUES (2004, 2, 38018, 1)");
        QCOMPARE(book.Scalar("SELECT PROFILE_ID FROM DAILY_SALES").toInt(), 1);
        QCOMPARE(book.Scalar("SELECT PROFILE_ID FROM DAILY_EXPENSE").toInt(), 1);
    }

    void transactionsRollBackUnlessCommitted()
    {
        TTestBook book;
        auto count = [&] { return book.Scalar("SELECT count(*) FROM SALES").toInt(); };
        {
            TTransaction t(book.Connection());
            book.Exec("INSERT INTO SALES (SALES_ID) VALUES (1)");
        }
        QCOMPARE(count(), 0);
        {
            TTransaction outer(book.Connection());
            book.Exec("INSERT INTO SALES (SALES_ID) VALUES (1)");
            {
                TTransaction inner(book.Connection());
                book.Exec("INSERT INTO SALES (SALES_ID) VALUES (2)");
            }
            {
                TTransaction inner(book.Connection());
                book.Exec("INSERT INTO SALES (SALES_ID) VALUES (3)");
                inner.Commit();
            }
            outer.Commit();
        }
        QCOMPARE(book.Scalar("SELECT group_concat(SALES_ID) FROM SALES").toString(), QString("1,3"));
        QCOMPARE(book.Connection().TransactionDepth(), 0);
        // A failing statement inside leaves the whole unit undone once it is abandoned.
        try {
            TTransaction t(book.Connection());
            book.Exec("INSERT INTO SALES (SALES_ID) VALUES (4)");
            book.Exec("INSERT INTO SALES (SALES_ID) VALUES (4)");
            t.Commit();
        } catch (const EDatabaseError&) {
        }
        QCOMPARE(count(), 2);
    }

    // Steps left on the connection are undone, newest first, by the rollback of the unit
    // they were left in or of any unit around it, and dropped once the outermost commits.
    // Script: "begin", "commit", "rollback", "refused commit" (the engine turns the
    // commit into a rollback) and a letter for a step left.
    void rollbackStepsFollowTheirUnit_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("undone");
        QTest::newRow("outside a transaction") << "A"
                                               << "";
        QTest::newRow("committed") << "begin A B commit"
                                   << "";
        QTest::newRow("rolled back") << "begin A B rollback"
                                     << "B A";
        QTest::newRow("savepoint rolled back") << "begin A begin B rollback C commit"
                                               << "B";
        QTest::newRow("savepoint released, outer rolled back") << "begin A begin B commit C rollback"
                                                               << "C B A";
        QTest::newRow("released savepoint, then a sibling rolled back")
            << "begin A begin B commit begin C rollback commit"
            << "C";
        QTest::newRow("three deep, middle rolled back") << "begin A begin B begin C commit rollback commit"
                                                        << "C B";
        QTest::newRow("commit refused by the engine") << "begin A B refused-commit"
                                                      << "B A";
        QTest::newRow("next transaction starts clean") << "begin A commit begin B rollback"
                                                       << "B";
    }
    void rollbackStepsFollowTheirUnit()
    {
        QFETCH(QString, script);
        QFETCH(QString, undone);
        TTestBook book;
        TDbConnection& c = book.Connection();
        QStringList done;
        std::vector<std::unique_ptr<TTransaction>> open;
        for (const QString& word : script.split(' ')) {
            if (word == "begin") {
                open.push_back(std::make_unique<TTransaction>(c));
            } else if (word == "commit") {
                open.back()->Commit();
                open.pop_back();
            } else if (word == "rollback") {
                open.back()->Rollback();
                open.pop_back();
            } else if (word == "refused-commit") {
                sqlite3_commit_hook(c.Handle(), RefuseCommit, nullptr);
                QVERIFY_THROWS_EXCEPTION(EDatabaseError, open.back()->Commit());
                sqlite3_commit_hook(c.Handle(), nullptr, nullptr);
                open.back()->Rollback();
                open.pop_back();
            } else {
                c.OnRollback(std::make_unique<TNamedStep>(done, word));
            }
        }
        QVERIFY(open.empty());
        QCOMPARE(done.join(' '), undone);
        QCOMPARE(c.TransactionDepth(), 0);
    }

    void writableBookIsNotReadOnly()
    {
        TTestBook book;
        book.Connection().Open();
        QVERIFY(!book.Connection().ReadOnly());
        QVERIFY(book.Connection().ReadOnlyReason().isEmpty());
    }

    // A book that cannot be written is said to be read-only as it opens, naming the file or
    // the folder to blame, and every write refused afterwards names it too. The book is
    // left as it was and opens for writing again once the cause is gone. Root is not
    // stopped by permission bits: the file or folder is made immutable.
    void bookThatCannotBeWritten_data()
    {
        QTest::addColumn<QString>("cause");
        QTest::newRow("opened for reading only") << "asked";
        QTest::newRow("the file cannot be written") << "file";
        QTest::newRow("its folder cannot be written") << "folder";
    }
    void bookThatCannotBeWritten()
    {
        QFETCH(QString, cause);
        TTestBook book("Shop Books");
        TDbConnection& c = book.Connection();
        book.Exec("INSERT INTO SALES (SALES_ID, SALES_DESCRIPTION) VALUES (1, 'BREAD')");
        c.Close();
        const QByteArray bytes = FileBytes(book.Path());
        std::optional<TUnwritable> lock;
        if (cause == "file")
            lock.emplace(book.Path());
        else if (cause == "folder")
            lock.emplace(book.Folder());
        else
            c.SetOpenReadOnly(true);
        if (lock && !lock->Works())
            QSKIP("this system lets the tests write a file they made unwritable");
        const QString blamed = cause == "folder" ? QStringLiteral("its folder %1 ").arg(book.Folder()) : book.Path();

        c.Open();
        QVERIFY(c.ReadOnly());
        QVERIFY2(c.ReadOnlyReason().contains(book.Path()) && c.ReadOnlyReason().contains(blamed),
                 qPrintable(c.ReadOnlyReason()));
        QCOMPARE(book.Scalar("SELECT SALES_DESCRIPTION FROM SALES").toString(), QString("BREAD"));

        auto refused = [&](const std::function<void()>& write) {
            try {
                write();
                QFAIL("the write was taken");
            } catch (const EDatabaseError& e) {
                QVERIFY2(e.Message().contains("read-only") && e.Message().contains(blamed), qPrintable(e.Message()));
            }
        };
        refused([&] { book.Exec("INSERT INTO SALES (SALES_ID) VALUES (2)"); });
        TCommand add("qryAdd", c, "INSERT INTO SALES (SALES_ID, SALES_DESCRIPTION) VALUES (:iID, 'MILK')");
        add.ParamByName("iID").SetAsInteger(3);
        refused([&] { add.Execute(); });
        TQuery items("qryItems", c, "SELECT SALES_ID, SALES_DESCRIPTION FROM SALES");
        items.Open();
        items.Insert();
        items.FieldByName("SALES_ID").SetAsInteger(4);
        refused([&] {
            TTransaction t(c);
            items.Post();
            t.Commit();
        });
        QVERIFY(items.IsInserting());
        QCOMPARE(StoredIds(items), QStringList {"1"});
        items.Close();
        QCOMPARE(c.TransactionDepth(), 0);
        c.Close();
        QVERIFY(!QFile::exists(book.Path() + "-journal"));
        QCOMPARE(FileBytes(book.Path()), bytes);

        lock.reset();
        c.SetOpenReadOnly(false);
        c.Open();
        QVERIFY(!c.ReadOnly());
        book.Exec("INSERT INTO SALES (SALES_ID) VALUES (2)");
        QCOMPARE(book.Scalar("SELECT count(*) FROM SALES").toInt(), 2);
    }

    // No book can be made in a folder the program cannot write; the message says so.
    void noBookIsMadeInAFolderThatCannotBeWritten()
    {
        QTemporaryDir dir;
        const QString folder = dir.path() + "/Shop Books";
        QVERIFY(QDir().mkpath(folder));
        TUnwritable lock(folder);
        if (!lock.Works())
            QSKIP("this system lets the tests write a folder they made unwritable");
        TDbConnection c;
        c.SetDataSource(folder + "/ZORP.DAT");
        c.SetPassword(Password);
        try {
            c.Open();
            QFAIL("a book was made");
        } catch (const EDatabaseError& e) {
            QVERIFY2(e.Message().contains(QStringLiteral("its folder %1 cannot be written").arg(folder)),
                     qPrintable(e.Message()));
        }
        QVERIFY(!c.Connected());
        QVERIFY(!QFile::exists(folder + "/ZORP.DAT"));
    }

    void commandParametersAreNullUntilSet()
    {
        TTestBook book;
        book.Exec("INSERT INTO SALES (SALES_ID, TAXABLE) VALUES (1, 'Y'), (2, 'N'), (3, NULL)");
        TQuery q("qryTaxable", book.Connection(),
                 "SELECT SALES_ID FROM SALES WHERE (TAXABLE = 'Y' OR TAXABLE = :iTAXABLE) ORDER BY SALES_ID");
        q.Open();
        QCOMPARE(q.RecordCount(), 1);
        q.Close();
        q.ParamByName("iTAXABLE").SetAsString("N");
        q.Open();
        QCOMPARE(q.RecordCount(), 2);
        q.Close();
        q.Open();  // the value stays until set again
        QCOMPARE(q.RecordCount(), 2);
        QVERIFY_THROWS_EXCEPTION(EDatasetError, q.ParamByName("iNOPE"));
    }
};

int main(int argc, char** argv)
{
    if (argc > 1 && std::strcmp(argv[1], "--probe") == 0) {
        QCoreApplication app(argc, argv);
        return RunProbe();
    }
    QCoreApplication app(argc, argv);
    TestDatabase test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_database.moc"
