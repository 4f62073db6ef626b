// Copies of the book: a backup is whole, encrypted with the book's password and checked
// before it takes its name, and nothing is left when it fails; a restore brings the
// backup's books back and keeps the book it replaced, and refuses anything that cannot
// take the book's place without touching the book; closing backups keep the last few.
#include "BookBackup.h"
#include "BookCheck.h"
#include "LedgerBook.h"
#include "Schema.h"
#include "sql_DailyExpenses.h"
#include "sql_DailySales.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>
#include <optional>
#include <sqlite3.h>

namespace {

const QString Password = QStringLiteral("$q4u8a5z$");
const QDateTime When(QDate(2026, 12, 8), QTime(23, 15, 2));

// Every row of every table, as one text: what a copy must hold the same.
QString Dump(TDbConnection& connection)
{
    QStringList out;
    for (const char* table : {"RESOURCE", "EXPENSE_TYPE", "EXPENSE", "SALES", "PERIOD", "DAILY_TRANSACTION",
                              "DAILY_SALES", "DAILY_EXPENSE"}) {
        TStatement st(connection, QStringLiteral("SELECT * FROM %1").arg(table));
        TExecution run(st);
        QStringList rows;
        while (run.Step()) {
            QStringList values;
            for (int c = 0; c < st.ColumnCount(); ++c)
                values << ValueText(st.Value(c));
            rows << values.join(',');
        }
        rows.sort();
        out << QStringLiteral("%1: %2").arg(table, rows.join(' '));
    }
    return out.join('\n');
}

// A file opened as the program opens a book, for reading only.
std::unique_ptr<TDbConnection> OpenFile(const QString& path, const QString& password = Password)
{
    auto connection = std::make_unique<TDbConnection>();
    connection->SetDataSource(path);
    connection->SetPassword(password);
    connection->SetOpenReadOnly(true);
    connection->Open();
    return connection;
}

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
    expense.Add(LineDay(2026, 2, 3), 2, 20000, false);
}

// Enough lines that they fill many pages, so a damaged page can lie among them.
void AddManyLines(TTestBook& book)
{
    AddItems(book);
    Committed(book.Connection(), [&] {
        for (int day = 0; day < 20; ++day)
            for (int n = 1; n <= 15; ++n) {
                InsertRawLine(book, TLineKind::Income, Day(2026, 3, 1) + day, n, 1 + n % 3, 1000 * n);
                InsertRawLine(book, TLineKind::Expense, Day(2026, 3, 1) + day, n, 1 + n % 3, 700 * n);
            }
        book.Exec("INSERT INTO PERIOD (PROFILE_ID, YYYY, MM, SALES, EXPENSES) SELECT 1, YYYY, MM, SUM(SALES_AMOUNT), "
                  "(SELECT SUM(EXPENSE_AMOUNT) FROM DAILY_EXPENSE) FROM DAILY_SALES GROUP BY YYYY, MM");
        book.Exec("INSERT INTO DAILY_TRANSACTION (PROFILE_ID, YYYY, MM, TRANSACTION_DATE, TAKINGS, EXPENSES, "
                  "LAST_EXPENSE_ID, LAST_SALES_ID) SELECT 1, YYYY, MM, TRANSACTION_DATE, SUM(SALES_AMOUNT), "
                  "(SELECT SUM(EXPENSE_AMOUNT) FROM DAILY_EXPENSE E WHERE E.TRANSACTION_DATE = S.TRANSACTION_DATE), "
                  "15, 15 FROM DAILY_SALES S GROUP BY YYYY, MM, TRANSACTION_DATE");
    });
}

QStringList Entries(const QString& folder)
{
    QStringList names = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    names.sort();
    return names;
}

void Write(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(bytes), bytes.size());
}

// Runs SQL on a file keyed with `password`, past every check, as another program might.
void Alter(const QString& path, const QString& sql, const QString& password = Password)
{
    TDbConnection c;
    c.SetDataSource(path);
    c.SetPassword(password);
    c.ExecuteDirect(sql);
}

QString Refusal(const std::function<void()>& action)
{
    try {
        action();
    } catch (const EDatabaseError& e) {
        return e.Message();
    }
    return {};
}

// A database as other programs keep them: not encrypted.
QByteArray PlainDatabase(const QString& folder)
{
    const QByteArray path = QFile::encodeName(folder + "/other.db");
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    sqlite3_exec(db, "CREATE TABLE CUSTOMERS (NAME TEXT); INSERT INTO CUSTOMERS VALUES ('Brindle & Sons')", nullptr,
                 nullptr, nullptr);
    sqlite3_close(db);
    const QByteArray bytes = FileBytes(folder + "/other.db");
    QFile::remove(folder + "/other.db");
    return bytes;
}

// Openings of one file that fail, as a disk that refuses it would: every new connection
// runs this, and it fails while failures are left for the file it opened.
QString failingFile;
int failuresLeft = 0;

int FailOpening(sqlite3* db, char** error, const sqlite3_api_routines*)
{
    const char* name = sqlite3_db_filename(db, "main");
    if (failuresLeft > 0 && name && QFileInfo(QString::fromUtf8(name)).canonicalFilePath() == failingFile) {
        --failuresLeft;
        *error = sqlite3_mprintf("the disk refused the file");
        return SQLITE_IOERR;
    }
    return SQLITE_OK;
}

}  // namespace

class TestBookBackup : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { sqlite3_auto_extension(reinterpret_cast<void (*)()>(FailOpening)); }
    void cleanupTestCase() { sqlite3_cancel_auto_extension(reinterpret_cast<void (*)()>(FailOpening)); }

    // Screens hold their lists open, a line may be half entered: the backup holds every
    // saved line and nothing of the one pending, and the screen goes on with its entry.
    void backupWhileListsAreOpen_data()
    {
        QTest::addColumn<QString>("pending");
        QTest::newRow("nothing pending") << "";
        QTest::newRow("a line being added") << "insert";
        QTest::newRow("a line being changed") << "edit";
    }
    void backupWhileListsAreOpen()
    {
        QFETCH(QString, pending);
        TTestBook book;
        AddLedger(book);
        QTemporaryDir elsewhere;
        const QString target = elsewhere.path() + "/My backup.DAT";
        TLines income(TLineKind::Income, *dmDailySales->qryGetTransactionSales);
        TLines expense(TLineKind::Expense, *dmDailyExpenses->qryGetTransactionExpenses);
        if (pending == "insert") {
            income.query.Insert();
            income.query.FieldByName(income.amount).SetAsMoney(Money::FromScaled(990000));
        } else if (pending == "edit") {
            QVERIFY(expense.Find(LineDay(2026, 1, 10), 1));
            expense.query.Edit();
            expense.query.FieldByName(expense.amount).SetAsMoney(Money::FromScaled(880000));
        }
        const QString stored = Dump(book.Connection());

        BookBackup::BackUp(book.Connection(), target);

        QCOMPARE(Entries(elsewhere.path()), QStringList {"My backup.DAT"});
        const QByteArray bytes = FileBytes(target);
        QVERIFY(!bytes.startsWith("SQLite format 3"));
        QVERIFY(!bytes.contains("ROOMS"));
        {
            auto copy = OpenFile(target);
            QCOMPARE(Dump(*copy), stored);
            QVERIFY(BookCheck::Check(*copy).Sound());
            QCOMPARE(BookVersion::Read(*copy), BrindlemarkSchema().version);
        }
        // The entry goes on and is saved as if nothing had happened.
        QCOMPARE(income.query.IsInserting(), pending == "insert");
        QCOMPARE(expense.query.IsEditing(), pending == "edit");
        if (pending == "insert")
            income.storage.Save(LineDay(2026, 1, 12), 1, true, TDayRecord::Ensure);
        else if (pending == "edit")
            expense.storage.Save(LineDay(2026, 1, 10), 1, true, TDayRecord::Ensure);
        QCOMPARE(BrokenInvariants(book), QString());
        QCOMPARE(Dump(book.Connection()) == stored, pending.isEmpty());
    }

    // A backup over a file of the chosen name replaces it once the copy is whole.
    void backupReplacesAFileOfThatName()
    {
        TTestBook book;
        AddLedger(book);
        QTemporaryDir elsewhere;
        const QString target = elsewhere.path() + "/copy.DAT";
        Write(target, "last week's backup");
        BookBackup::BackUp(book.Connection(), target);
        QCOMPARE(Entries(elsewhere.path()), QStringList {"copy.DAT"});
        QCOMPARE(Dump(*OpenFile(target)), Dump(book.Connection()));
    }

    // Whatever stops a backup, nothing is left under any name, a file of the chosen name
    // stays as it was, and the book is untouched.
    void failedBackupLeavesNoFile_data()
    {
        QTest::addColumn<QString>("where");
        QTest::addColumn<QString>("words");
        QTest::newRow("a folder that cannot be written") << "locked folder"
                                                         << "cannot be written";
        QTest::newRow("a name that is a folder") << "folder name"
                                                 << "is a folder";
        QTest::newRow("the book itself") << "book"
                                         << "the book itself";
        QTest::newRow("totals that disagree with their lines") << "wrong totals"
                                                               << "totals disagree";
        QTest::newRow("an older backup of that name stays") << "wrong totals over a file"
                                                            << "totals disagree";
    }
    void failedBackupLeavesNoFile()
    {
        QFETCH(QString, where);
        QFETCH(QString, words);
        TTestBook book;
        AddLedger(book);
        QTemporaryDir elsewhere;
        QString folder = elsewhere.path();
        QString target = folder + "/copy.DAT";
        std::optional<TUnwritable> lock;
        if (where == "locked folder") {
            lock.emplace(folder);
            if (!lock->Works())
                QSKIP("this system lets the tests write a folder they made unwritable");
        } else if (where == "folder name") {
            QVERIFY(QDir().mkdir(target));
        } else if (where == "book") {
            folder = book.Folder();
            target = book.Path();
        } else {
            book.Exec("UPDATE PERIOD SET SALES = SALES + 1 WHERE MM = 2");
            if (where.endsWith("over a file"))
                Write(target, "last week's backup");
        }
        const QStringList before = Entries(folder);
        const QByteArray targetBefore = FileBytes(target);
        const QString bookBefore = Dump(book.Connection());

        const QString message = Refusal([&] { BookBackup::BackUp(book.Connection(), target); });

        QVERIFY2(message.contains(words), qPrintable(message));
        QVERIFY2(message.startsWith("The backup was not made: "), qPrintable(message));
        QVERIFY2(message.contains(QDir::toNativeSeparators(QFileInfo(target).absoluteFilePath())), qPrintable(message));
        QCOMPARE(Entries(folder), before);
        QCOMPARE(FileBytes(target), targetBefore);
        QCOMPARE(Dump(book.Connection()), bookBefore);
    }

    // The backup's books come back, whether the book was open or not and from a backup of
    // an older version (brought up to date as it opens); the book they replace is kept
    // beside it under a dated name, and a second restore in the same minute keeps its own.
    void restoreBringsBackTheBackupsLines_data()
    {
        QTest::addColumn<bool>("open");
        QTest::addColumn<int>("version");  // the version recorded in the backup
        const int now = BrindlemarkSchema().version;
        QTest::newRow("book open") << true << now;
        QTest::newRow("book closed") << false << now;
        QTest::newRow("a backup of an older version") << true << now - 1;
    }
    void restoreBringsBackTheBackupsLines()
    {
        QFETCH(bool, open);
        QFETCH(int, version);
        TTestBook book;
        AddLedger(book);
        QTemporaryDir elsewhere;
        const QString backup = elsewhere.path() + "/backup.DAT";
        BookBackup::BackUp(book.Connection(), backup);
        const QString backedUp = Dump(book.Connection());
        if (version != BrindlemarkSchema().version)
            Alter(backup, QStringLiteral("PRAGMA user_version = %1").arg(version));
        {
            TLines income(TLineKind::Income, *dmDailySales->qryGetTransactionSales);
            income.Add(LineDay(2026, 3, 1), 1, 440000);
            income.Remove(LineDay(2026, 1, 10), 1);
        }
        const QString replaced = Dump(book.Connection());
        QVERIFY(replaced != backedUp);
        if (!open)
            book.Connection().Close();

        const QString kept = BookBackup::Restore(book.Connection(), backup, When);

        QCOMPARE(kept, book.Folder() + "/ZORP 2026-12-08 2315 before restore.DAT");
        QVERIFY(book.Connection().Connected());
        QCOMPARE(Dump(book.Connection()), backedUp);
        QCOMPARE(BookVersion::Read(book.Connection()), BrindlemarkSchema().version);
        QCOMPARE(BrokenInvariants(book), QString());
        QCOMPARE(Dump(*OpenFile(kept)), replaced);
        QCOMPARE(Entries(book.Folder()), QStringList({"ZORP 2026-12-08 2315 before restore.DAT", "ZORP.DAT"}));
        QCOMPARE(Entries(elsewhere.path()), QStringList {"backup.DAT"});
        // Lists read after the restore show its lines.
        TLines income(TLineKind::Income, *dmDailySales->qryGetTransactionSales);
        QCOMPARE(StoredRows(income), BookRows(book, TLineKind::Income));
        QCOMPARE(StoredRows(income).size(), 3);

        const QString second = BookBackup::Restore(book.Connection(), backup, When);
        QCOMPARE(second, book.Folder() + "/ZORP 2026-12-08 2315 before restore (2).DAT");
        QCOMPARE(Dump(*OpenFile(second)), backedUp);
        QCOMPARE(Dump(*OpenFile(kept)), replaced);
    }

    // A file that cannot take the book's place is refused before anything is touched: the
    // book stays byte for byte, open and in use, and nothing is added beside it.
    void restoreRefusesWhatCannotBeTheBook_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("words");
        QTest::newRow("damaged on a data page") << "damaged"
                                                << "is damaged";
        QTest::newRow("damaged at its start") << "damaged start"
                                              << "does not open with your books' password";
        QTest::newRow("a database of another program") << "plain"
                                                        << "not encrypted";
        QTest::newRow("a book with another password") << "other password"
                                                      << "does not open with your books' password";
        QTest::newRow("a book of a newer version") << "newer"
                                                   << "written by a newer version of Brindlemark";
        QTest::newRow("totals that disagree with their lines") << "wrong totals"
                                                               << "its totals disagree with their lines";
        QTest::newRow("the book itself") << "book"
                                         << "the book itself";
    }
    void restoreRefusesWhatCannotBeTheBook()
    {
        QFETCH(QString, kind);
        QFETCH(QString, words);
        QTemporaryDir elsewhere;
        QString backup = elsewhere.path() + "/backup.DAT";
        QByteArray content;
        {
            TTestBook source;
            AddManyLines(source);
            QCOMPARE(BrokenInvariants(source), QString());
            BookBackup::BackUp(source.Connection(), backup);
            const int pageSize = source.Scalar("PRAGMA page_size").toInt();
            const int linesPage = source.Scalar("SELECT rootpage FROM sqlite_master WHERE name = 'DAILY_SALES'").toInt();
            content = FileBytes(backup);
            if (kind == "damaged" || kind == "damaged start") {
                const qsizetype at = kind == "damaged" ? qsizetype(linesPage - 1) * pageSize + 100 : 100;
                for (qsizetype i = at; i < at + 8; ++i)
                    content[i] = char(~content[i]);
            } else if (kind == "plain") {
                content = PlainDatabase(elsewhere.path());
            } else if (kind == "other password") {
                TDbConnection other;
                other.SetDataSource(elsewhere.path() + "/other.DAT");
                other.SetPassword("not the program's password");
                other.SetSchema(BrindlemarkSchema());
                other.Open();
                other.Close();
                content = FileBytes(elsewhere.path() + "/other.DAT");
                QFile::remove(elsewhere.path() + "/other.DAT");
            } else if (kind == "newer" || kind == "wrong totals") {
                Alter(backup, kind == "newer"
                                  ? QStringLiteral("PRAGMA user_version = %1").arg(BrindlemarkSchema().version + 1)
                                  : QStringLiteral("UPDATE PERIOD SET SALES = 0"));
                content = FileBytes(backup);
            }
            Write(backup, content);
        }
        TTestBook book;
        AddLedger(book);
        if (kind == "book")
            backup = book.Path();
        const QByteArray bytes = FileBytes(book.Path());
        const QStringList beside = Entries(book.Folder());
        const QString text = Dump(book.Connection());

        const QString message = Refusal([&] { BookBackup::Restore(book.Connection(), backup, When); });

        QVERIFY2(message.contains(words), qPrintable(message));
        QVERIFY2(message.contains(QDir::toNativeSeparators(QFileInfo(backup).absoluteFilePath())), qPrintable(message));
        QVERIFY2(message.endsWith("Your book was left as it was."), qPrintable(message));
        QCOMPARE(FileBytes(book.Path()), bytes);
        QCOMPARE(Entries(book.Folder()), beside);
        QVERIFY(book.Connection().Connected());
        QCOMPARE(Dump(book.Connection()), text);
        if (kind != "book")
            QCOMPARE(FileBytes(backup), content);
        // The same refusal is given by the check alone, which comes before any question.
        QCOMPARE(Refusal([&] { BookBackup::CheckRestorable(book.Connection(), backup); }), message);
    }

    // Another program in the middle of a save: the restore waits as a save would, then
    // refuses, leaving the book and that program's journal as they were. One whose header is zero, as a save cut short may leave, or an empty one, is
    // nobody's save: the engine ignores it, and the restore goes ahead.
    void restoreBesideAJournal_data()
    {
        QTest::addColumn<QByteArray>("journal");  // "saving": another connection's save under way
        QTest::addColumn<bool>("refused");
        const QByteArray magic("\xd9\xd5\x05\xf9\x20\xa1\x63\xd7", 8);
        QTest::newRow("a save under way") << QByteArray("saving") << true;
        QTest::newRow("a header made zero") << QByteArray(512, '\0') + magic << false;
        QTest::newRow("empty") << QByteArray() << false;
    }
    void restoreBesideAJournal()
    {
        QFETCH(QByteArray, journal);
        QFETCH(bool, refused);
        TTestBook book;
        AddLedger(book);
        QTemporaryDir elsewhere;
        const QString backup = elsewhere.path() + "/backup.DAT";
        BookBackup::BackUp(book.Connection(), backup);
        const QString backedUp = Dump(book.Connection());
        TLines(TLineKind::Income, *dmDailySales->qryGetTransactionSales).Add(LineDay(2026, 3, 1), 1, 440000);
        std::unique_ptr<TDbConnection> other;
        if (journal == "saving") {
            other = std::make_unique<TDbConnection>();
            other->SetDataSource(book.Path());
            other->SetPassword(Password);
            other->Open();
            other->ExecuteDirect("BEGIN IMMEDIATE");
            other->ExecuteDirect("UPDATE PERIOD SET SALES = SALES");
            journal = FileBytes(book.Path() + "-journal");
            QVERIFY(!journal.isEmpty());
        } else {
            Write(book.Path() + "-journal", journal);
        }
        const QByteArray bytes = FileBytes(book.Path());
        const QStringList beside = Entries(book.Folder());
        if (refused) {
            const QString message = Refusal([&] { BookBackup::Restore(book.Connection(), backup, When); });
            QVERIFY2(message.contains("another program is saving"), qPrintable(message));
            QCOMPARE(FileBytes(book.Path()), bytes);
            QCOMPARE(Entries(book.Folder()), beside);
            QCOMPARE(FileBytes(book.Path() + "-journal"), journal);
            other->ExecuteDirect("ROLLBACK");
        } else {
            BookBackup::Restore(book.Connection(), backup, When);
            QCOMPARE(Dump(book.Connection()), backedUp);
            QCOMPARE(BrokenInvariants(book), QString());
        }
        QVERIFY(book.Connection().Connected());
    }

    // A checked backup that then does not open as the book is never left in its place: the
    // book it replaced goes back, and is open again when it can be.
    void restoreThatDoesNotOpenPutsTheBookBack_data()
    {
        QTest::addColumn<int>("failures");  // openings of the book that fail from the swap on
        QTest::newRow("the restored book does not open") << 1;
        QTest::newRow("nor does the book put back, at first") << 2;
    }
    void restoreThatDoesNotOpenPutsTheBookBack()
    {
        QFETCH(int, failures);
        TTestBook book;
        AddLedger(book);
        QTemporaryDir elsewhere;
        const QString backup = elsewhere.path() + "/backup.DAT";
        BookBackup::BackUp(book.Connection(), backup);
        book.Exec("DELETE FROM DAILY_EXPENSE");
        const QString text = Dump(book.Connection());
        const QByteArray bytes = FileBytes(book.Path());
        const QStringList beside = Entries(book.Folder());
        failingFile = QFileInfo(book.Path()).canonicalFilePath();
        failuresLeft = failures;

        const QString message = Refusal([&] { BookBackup::Restore(book.Connection(), backup, When); });
        const int left = failuresLeft;
        failuresLeft = 0;

        QCOMPARE(left, 0);
        QVERIFY2(message.contains("did not open as your book") && message.endsWith("put back as it was."),
                 qPrintable(message));
        QCOMPARE(book.Connection().Connected(), failures == 1);
        QCOMPARE(FileBytes(book.Path()), bytes);
        QCOMPARE(Entries(book.Folder()), beside);
        QCOMPARE(Dump(book.Connection()), text);
    }

    // Closing backups go into Backups beside the book and the last few are kept, as many
    // as the setting says (10 when it says nothing usable, none for 0); files of other
    // names in that folder are not touched.
    void closingBackupsKeepTheLastFew_data()
    {
        QTest::addColumn<QString>("setting");  // empty: not stored
        QTest::addColumn<int>("closes");
        QTest::addColumn<bool>("sameSecond");
        QTest::addColumn<int>("kept");
        QTest::newRow("the default") << "" << 12 << false << 10;
        QTest::newRow("three") << "3" << 5 << false << 3;
        QTest::newRow("one") << "1" << 3 << false << 1;
        QTest::newRow("fewer closes than kept") << "4" << 2 << false << 2;
        QTest::newRow("none") << "0" << 2 << false << 0;
        QTest::newRow("not a number") << "many" << 11 << false << 10;
        QTest::newRow("several in one second") << "2" << 4 << true << 2;
    }
    void closingBackupsKeepTheLastFew()
    {
        QFETCH(QString, setting);
        QFETCH(int, closes);
        QFETCH(bool, sameSecond);
        QFETCH(int, kept);
        TTestBook book;
        AddLedger(book);
        if (!setting.isEmpty())
            book.Exec(QStringLiteral("INSERT INTO RESOURCE (RESOURCE_NAME, RESOURCE_VALUE) VALUES ('%1', '%2')")
                          .arg(BookBackup::KeptSetting, setting));
        const QString folder = book.Folder() + "/Backups";
        QVERIFY(QDir().mkpath(folder));
        const QStringList others = {"notes.txt", "ZORP.DAT", "ZORP 2026-01-01.DAT", "ZORP backup 2026-01-01 1200.DAT"};
        for (const QString& name : others)
            Write(folder + '/' + name, name.toUtf8());
        QStringList written;
        for (int i = 0; i < closes; ++i) {
            const QDateTime when = sameSecond ? When : When.addSecs(60 * i);
            const QString path = BookBackup::TakeClosingBackup(book.Connection(), BookBackup::ClosingBackupsKept(), when);
            QCOMPARE(path.isEmpty(), kept == 0);
            if (!path.isEmpty())
                written << path;
        }
        const QStringList expected = written.mid(written.size() - kept);
        QCOMPARE(BookBackup::ClosingBackups(book.Path()), expected);
        QStringList names = others;
        for (const QString& path : expected)
            names << QFileInfo(path).fileName();
        names.sort();
        QCOMPARE(Entries(folder), names);
        for (const QString& name : others)
            QCOMPARE(FileBytes(folder + '/' + name), name.toUtf8());
        for (const QString& path : expected) {
            auto copy = OpenFile(path);
            QCOMPARE(Dump(*copy), Dump(book.Connection()));
        }
        if (kept > 0)
            QVERIFY(QFileInfo(expected.last()).fileName().startsWith(
                "ZORP " + (sameSecond ? When : When.addSecs(60 * (closes - 1))).toString("yyyy-MM-dd HHmmss")));
        // A book that can be written holds the setting from then on, to be changed there.
        QCOMPARE(book.Scalar(QStringLiteral("SELECT RESOURCE_VALUE FROM RESOURCE WHERE RESOURCE_NAME = '%1'")
                                 .arg(BookBackup::KeptSetting))
                     .toString(),
                 setting.isEmpty() ? QStringLiteral("10") : setting);
    }
};

QTEST_GUILESS_MAIN(TestBookBackup)
#include "tst_bookbackup.moc"
