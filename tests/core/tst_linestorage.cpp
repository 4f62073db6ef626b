// The storage of income and expense lines: numbering, the roll-up that keeps day and
// month totals equal to their lines, moves between days and months, and every way a save
// can fail without leaving a trace.
#include "DayNumber.h"
#include "DbConnection.h"
#include "Errors.h"
#include "Formats.h"
#include "LedgerBook.h"
#include "sql_DailyExpenses.h"
#include "sql_DailySales.h"
#include "sql_DailyTransaction.h"
#include "sql_Period.h"
#include "tbl_DailyTransaction.h"
#include "tbl_period.h"

#include <QRandomGenerator>
#include <QtTest>
#include <map>
#include <sqlite3.h>

namespace {

// Where a save is made to fail. Each is a refusal of the engine itself: triggers that
// refuse a step while it is armed, the commit hook turning the commit into a rollback,
// and a deferred key left unmet, which the engine refuses at the commit with the
// transaction still open.
enum class TFault {
    None,
    ItemRefused,
    NumberRefused,
    Post,
    DayRollUp,
    MonthRollUp,
    DayTotalOverflow,
    CommitRefused,
    CommitKeyUnmet
};

class TFaults {
public:
    explicit TFaults(TTestBook& book) : m_book(book)
    {
        book.Exec("PRAGMA foreign_keys = ON");
        book.Exec("CREATE TABLE FAULT (STEP TEXT)");
        book.Exec("CREATE TABLE FAULT_PARENT (ID INTEGER PRIMARY KEY)");
        book.Exec("CREATE TABLE FAULT_CHILD (PARENT_ID INTEGER REFERENCES FAULT_PARENT (ID) "
                  "DEFERRABLE INITIALLY DEFERRED)");
        auto when = [](const char* step) {
            return QStringLiteral(" WHEN EXISTS (SELECT 1 FROM FAULT WHERE STEP = '%1') BEGIN ").arg(step);
        };
        book.Exec("CREATE TRIGGER FAULT_NUMBER BEFORE UPDATE OF LAST_SALES_ID, LAST_EXPENSE_ID ON DAILY_TRANSACTION"
                  + when("number") + "SELECT RAISE(ABORT, 'no number for the line'); END");
        book.Exec("CREATE TRIGGER FAULT_DAY BEFORE UPDATE OF TAKINGS, EXPENSES ON DAILY_TRANSACTION" + when("day")
                  + "SELECT RAISE(ABORT, 'day total refused'); END");
        book.Exec("CREATE TRIGGER FAULT_MONTH BEFORE UPDATE OF SALES, EXPENSES ON PERIOD" + when("month")
                  + "SELECT RAISE(ABORT, 'month total refused'); END");
        for (const char* table : {"DAILY_SALES", "DAILY_EXPENSE"})
            for (const char* event : {"INSERT", "UPDATE"}) {
                book.Exec(QStringLiteral("CREATE TRIGGER FAULT_POST_%1_%2 BEFORE %2 ON %1").arg(table, event)
                          + when("post") + "SELECT RAISE(ABORT, 'line refused'); END");
                book.Exec(QStringLiteral("CREATE TRIGGER FAULT_KEY_%1_%2 AFTER %2 ON %1").arg(table, event)
                          + when("key") + "INSERT INTO FAULT_CHILD VALUES (1); END");
            }
        sqlite3_commit_hook(book.Connection().Handle(), &TFaults::CommitHook, this);
    }
    ~TFaults() { sqlite3_commit_hook(m_book.Connection().Handle(), nullptr, nullptr); }
    TFaults(const TFaults&) = delete;
    TFaults& operator=(const TFaults&) = delete;

    void Arm(TFault fault)
    {
        const char* step = fault == TFault::NumberRefused    ? "number"
                           : fault == TFault::Post           ? "post"
                           : fault == TFault::DayRollUp      ? "day"
                           : fault == TFault::MonthRollUp    ? "month"
                           : fault == TFault::CommitKeyUnmet ? "key"
                                                             : nullptr;
        if (step)
            m_book.Exec(QStringLiteral("INSERT INTO FAULT VALUES ('%1')").arg(step));
        m_armed = fault;
    }
    void Disarm()
    {
        m_armed = TFault::None;
        m_book.Exec("DELETE FROM FAULT");
    }

private:
    static int CommitHook(void* self) { return static_cast<TFaults*>(self)->m_armed == TFault::CommitRefused; }

    TTestBook& m_book;
    TFault m_armed = TFault::None;
};

// The highest amount a line can hold is a little above this; two of them on one day make a
// total beyond the money range.
constexpr qint64 HugeAmount = 9000000000000000000LL;  // 900,000,000,000,000 scaled

}  // namespace

class TestLineStorage : public QObject {
    Q_OBJECT
private slots:
    void init() { FormatSettings() = TFormatSettings(); }

    // ------------------------------------------------------------ the storage sequence

    void newLinesNumberedFromTheirDay()
    {
        TTestBook book;
        AddItems(book);
        TLines expenses(TLineKind::Expense, *dmDailyExpenses->qryGetTransactionExpenses);
        const TLineDay day = LineDay(2004, 1, 5);
        QCOMPARE(expenses.Add(day, 1, 125000), 1);
        QCOMPARE(expenses.Add(day, 2, 10000, false), 2);
        expenses.Remove(day, 2);
        QCOMPARE(expenses.Add(day, 3, 30000), 3);  // the deleted number is not handed out again
        QCOMPARE(book.Scalar("SELECT EXPENSE_ID || ':' || TAXABLE || ':' || PROFILE_ID FROM DAILY_EXPENSE "
                             "WHERE DAILY_EXPENSE_ID = 3")
                     .toString(),
                 QString("3:Y:1"));
        QCOMPARE(book.Scalar("SELECT TAKINGS || ':' || EXPENSES || ':' || LAST_EXPENSE_ID || ':' || LAST_SALES_ID "
                             "FROM DAILY_TRANSACTION")
                     .toString(),
                 QString("0:155000:3:0"));
        QCOMPARE(book.Scalar("SELECT SALES || ':' || EXPENSES FROM PERIOD").toString(), QString("0:155000"));
        QCOMPARE(BrokenInvariants(book), QString());
    }

    void deletingTheLastLineLeavesZeroNotNull()
    {
        for (TLineKind kind : {TLineKind::Income, TLineKind::Expense}) {
            TTestBook book;
            AddItems(book);
            TLines lines(kind, kind == TLineKind::Income ? *dmDailySales->qryGetTransactionSales
                                                         : *dmDailyExpenses->qryGetTransactionExpenses);
            const TLineDay day = LineDay(2004, 6, 30);
            lines.Add(LineDay(2004, 6, 1), 1, 20000);
            lines.Add(day, 1, 50000);
            lines.Remove(day, 1);
            const QString column = kind == TLineKind::Income ? "TAKINGS" : "EXPENSES";
            QCOMPARE(book.Scalar(QStringLiteral("SELECT typeof(%1) || ':' || %1 FROM DAILY_TRANSACTION "
                                                "WHERE TRANSACTION_DATE = %2")
                                     .arg(column)
                                     .arg(day.TRANSACTION_DATE))
                         .toString(),
                     QString("integer:0"));
            QCOMPARE(
                book.Scalar(
                        QStringLiteral("SELECT %1 FROM PERIOD").arg(kind == TLineKind::Income ? "SALES" : "EXPENSES"))
                    .toLongLong(),
                20000LL);
            lines.Remove(LineDay(2004, 6, 1), 1);
            QCOMPARE(book.Scalar("SELECT typeof(SALES) || typeof(EXPENSES) FROM PERIOD").toString(),
                     QString("integerinteger"));
            QCOMPARE(book.Scalar("SELECT SALES + EXPENSES FROM PERIOD").toLongLong(), 0LL);
            QCOMPARE(Counter(book, kind, day.TRANSACTION_DATE), 1LL);  // a delete never lowers the counter
            QCOMPARE(BrokenInvariants(book), QString());
        }
    }

    // An edited line keeps its number unless its day changes; a moved line takes the next
    // number of its new day, and both days and both months are recomputed.
    void editAndMove_data()
    {
        QTest::addColumn<QDate>("to");
        QTest::addColumn<int>("expectedNumber");
        QTest::addColumn<QString>("periods");  // SALES of each month after the move
        QTest::newRow("same day keeps its number") << QDate(2004, 1, 5) << 2 << "2004/1:350000";
        QTest::newRow("another day of the month") << QDate(2004, 1, 6) << 5 << "2004/1:350000";
        QTest::newRow("another month") << QDate(2004, 2, 6) << 1 << "2004/1:150000 2004/2:200000";
        QTest::newRow("another year, a day without record") << QDate(2005, 1, 1) << 1 << "2004/1:150000 2005/1:200000";
    }
    void editAndMove()
    {
        QFETCH(QDate, to);
        QFETCH(int, expectedNumber);
        QFETCH(QString, periods);
        TTestBook book;
        AddItems(book);
        TLines income(TLineKind::Income, *dmDailySales->qryGetTransactionSales);
        const TLineDay from = LineDay(2004, 1, 5);
        income.Add(from, 1, 100000);
        income.Add(from, 2, 200000);
        income.Add(LineDay(2004, 1, 6), 1, 50000);
        book.Exec(QStringLiteral("UPDATE DAILY_TRANSACTION SET LAST_SALES_ID = 4 WHERE TRANSACTION_DATE = %1")
                      .arg(from.TRANSACTION_DATE + 1));
        EnsureDailyTransaction(2004, 2, Day(2004, 2, 6));
        const int number = income.Move(from, 2, TLineDay::FromDate(to), 200000);
        QCOMPARE(number, expectedNumber);
        QCOMPARE(book.Scalar(QStringLiteral("SELECT count(*) FROM DAILY_SALES WHERE YYYY = %1 AND MM = %2 AND "
                                            "TRANSACTION_DATE = %3 AND DAILY_SALES_ID = %4 AND SALES_ID = 2")
                                 .arg(to.year())
                                 .arg(to.month())
                                 .arg(DayNumber::FromDate(to))
                                 .arg(number))
                     .toInt(),
                 1);
        QCOMPARE(book.Scalar("SELECT group_concat(YYYY || '/' || MM || ':' || SALES, ' ') FROM "
                             "(SELECT * FROM PERIOD WHERE SALES <> 0 ORDER BY YYYY, MM)")
                     .toString(),
                 periods);
        // The old day keeps its record, with the line no longer counted.
        QCOMPARE(book.Scalar(QStringLiteral("SELECT TAKINGS FROM DAILY_TRANSACTION WHERE TRANSACTION_DATE = %1")
                                 .arg(from.TRANSACTION_DATE))
                     .toLongLong(),
                 to == QDate(2004, 1, 5) ? 300000LL : 100000LL);
        QCOMPARE(BrokenInvariants(book), QString());
    }

    void dailyScreenStoresOnItsExistingDay()
    {
        TTestBook book;
        AddItems(book);
        const TLineDay day = LineDay(2004, 7, 14);
        EnsureDailyTransaction(day.YYYY, day.MM, day.TRANSACTION_DATE);
        Committed(book.Connection(), [&] { SetNextExpenseID(day.YYYY, day.MM, day.TRANSACTION_DATE, 4); });
        TQuery& q = *dmDailyExpenses->qryGetDailyExpenses;
        q.ParamByName("iYYYY").SetAsInteger(day.YYYY);
        q.ParamByName("iMM").SetAsInteger(day.MM);
        q.ParamByName("iTRANSACTION_DATE").SetAsInteger(day.TRANSACTION_DATE);
        TLines lines(TLineKind::Expense, q);
        QCOMPARE(lines.Add(day, 3, 10000, false, TDayRecord::Exists), 5);
        // Editing on the daily screen keeps day and number.
        q.Edit();
        q.FieldByName("REFERENCE").SetAsString("INV 7");
        lines.storage.Save(day, 1, true, TDayRecord::Exists);
        QCOMPARE(book.Scalar("SELECT DAILY_EXPENSE_ID || ':' || EXPENSE_ID || ':' || TAXABLE || ':' || REFERENCE "
                             "FROM DAILY_EXPENSE")
                     .toString(),
                 QString("5:1:Y:INV 7"));
        // A day record removed while its screen was open is made again rather than
        // numbering the line 0, and the new number still lies above the day's lines.
        book.Exec("DELETE FROM DAILY_TRANSACTION");
        QCOMPARE(lines.Add(day, 2, 20000, true, TDayRecord::Exists), 6);
        QCOMPARE(BrokenInvariants(book), QString());
    }

    // A day record deleted on its screen leaves its lines; made again, it must not hand
    // out the numbers they hold.
    void dayRecordMadeAgainContinuesAfterItsLines()
    {
        TTestBook book;
        AddItems(book);
        TLines expenses(TLineKind::Expense, *dmDailyExpenses->qryGetTransactionExpenses);
        const TLineDay day = LineDay(2004, 1, 5);
        expenses.Add(day, 1, 10000);
        expenses.Add(day, 1, 20000);
        book.Exec("DELETE FROM DAILY_TRANSACTION");
        QCOMPARE(expenses.Add(day, 2, 40000), 3);
        QCOMPARE(book.Scalar("SELECT LAST_EXPENSE_ID || ':' || EXPENSES FROM DAILY_TRANSACTION").toString(),
                 QString("3:70000"));
        QCOMPARE(BrokenInvariants(book), QString());
    }

    void itemIdOutOfRangeWritesNothing_data()
    {
        QTest::addColumn<int>("item");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("last id") << 32767 << true;
        QTest::newRow("first id") << 1 << true;
        QTest::newRow("one past the last") << 32768 << false;
        QTest::newRow("would wrap to a small id") << 65537 << false;
        QTest::newRow("no item chosen") << 0 << false;
        QTest::newRow("negative") << -1 << false;
    }
    void itemIdOutOfRangeWritesNothing()
    {
        QFETCH(int, item);
        QFETCH(bool, accepted);
        for (TLineKind kind : {TLineKind::Income, TLineKind::Expense}) {
            TTestBook book;
            TLines lines(kind, kind == TLineKind::Income ? *dmDailySales->qryGetTransactionSales
                                                         : *dmDailyExpenses->qryGetTransactionExpenses);
            const TLineDay day = LineDay(2004, 8, 8);
            if (accepted) {
                QCOMPARE(lines.Add(day, item, 10000), 1);
                QCOMPARE(book.Scalar(QStringLiteral("SELECT %1 FROM %2")
                                         .arg(kind == TLineKind::Income ? "SALES_ID" : "EXPENSE_ID", Table(kind)))
                             .toInt(),
                         item);
            } else {
                const QString before = BookState(book);
                QVERIFY_THROWS_EXCEPTION(EConvertError, lines.Add(day, item, 10000));
                QCOMPARE(BookState(book), before);
                lines.query.Cancel();
            }
        }
    }

    void wrongYearOrMonthForTheDayIsRefused()
    {
        TTestBook book;
        AddItems(book);
        TLines lines(TLineKind::Expense, *dmDailyExpenses->qryGetTransactionExpenses);
        TLineDay day = LineDay(2004, 1, 31);
        day.MM = 2;
        QVERIFY_THROWS_EXCEPTION(EConvertError, lines.Add(day, 1, 10000));
        QCOMPARE(book.Scalar("SELECT count(*) FROM DAILY_TRANSACTION").toInt()
                     + book.Scalar("SELECT count(*) FROM PERIOD").toInt(),
                 0);
    }

    // A screen that wraps its save in one transaction and abandons it leaves no trace,
    // however far the sequence had gone.
    void abandonedTransactionLeavesNothing_data()
    {
        QTest::addColumn<int>("stepsDone");  // 1 before post, 2 posted, 3 rolled up
        QTest::newRow("after the number was drawn") << 1;
        QTest::newRow("after the post") << 2;
        QTest::newRow("after the roll-up") << 3;
    }
    void abandonedTransactionLeavesNothing()
    {
        QFETCH(int, stepsDone);
        TTestBook book;
        AddItems(book);
        TLines lines(TLineKind::Expense, *dmDailyExpenses->qryGetTransactionExpenses);
        const TLineDay kept = LineDay(2004, 1, 4);
        lines.Add(kept, 1, 10000);
        const QString before = BookState(book);
        {
            TTransaction screen(book.Connection());
            lines.query.Insert();
            lines.query.FieldByName("EXPENSE_AMOUNT").SetAsMoney(Money::Parse("12.5"));
            lines.storage.BeforePost(LineDay(2004, 2, 1), 2, true, TDayRecord::Ensure);
            if (stepsDone >= 2)
                lines.query.Post();
            if (stepsDone >= 3)
                lines.storage.AfterPost();
            QCOMPARE(book.Scalar("SELECT count(*) FROM DAILY_TRANSACTION").toInt(), 2);  // seen inside
        }
        QCOMPARE(book.Connection().TransactionDepth(), 0);
        QCOMPARE(BookState(book), before);
        // The list follows the book back: the line is being added again, as it was entered.
        QVERIFY(lines.query.IsInserting());
        QCOMPARE(lines.query.FieldByName("EXPENSE_AMOUNT").AsMoney(), Money::Parse("12.5"));
        QCOMPARE(StoredRows(lines), BookRows(book, TLineKind::Expense));
        lines.query.Requery();
        lines.query.Insert();
        // Drawn again after the rollback, the new day starts at 1.
        lines.storage.Save(LineDay(2004, 2, 1), 2, true, TDayRecord::Ensure);
        QCOMPARE(lines.query.FieldByName("DAILY_EXPENSE_ID").AsInteger(), 1);
        QCOMPARE(BrokenInvariants(book), QString());
    }

    // A post that the book refuses leaves nothing of the save behind and the line pending;
    // saved again, a moved line still recomputes the day it came from.
    void refusedPostThenSavedAgain_data()
    {
        QTest::addColumn<bool>("moving");
        QTest::newRow("new line") << false;
        QTest::newRow("line moved to another month") << true;
    }
    void refusedPostThenSavedAgain()
    {
        QFETCH(bool, moving);
        TTestBook book;
        AddItems(book);
        book.Exec("CREATE TRIGGER REFUSE_INSERT BEFORE INSERT ON DAILY_EXPENSE WHEN NEW.NOTE = 'refuse' "
                  "BEGIN SELECT RAISE(ABORT, 'refused'); END");
        book.Exec("CREATE TRIGGER REFUSE_UPDATE BEFORE UPDATE ON DAILY_EXPENSE WHEN NEW.NOTE = 'refuse' "
                  "BEGIN SELECT RAISE(ABORT, 'refused'); END");
        TLines lines(TLineKind::Expense, *dmDailyExpenses->qryGetTransactionExpenses);
        const TLineDay from = LineDay(2004, 1, 5);
        const TLineDay to = LineDay(2004, 3, 9);
        lines.Add(from, 1, 10000);
        lines.Add(from, 2, 30000);
        const QString before = BookState(book);
        if (moving) {
            QVERIFY(lines.Find(from, 2));
            lines.query.Edit();
        } else {
            lines.query.Insert();
            lines.query.FieldByName("EXPENSE_AMOUNT").SetAsMoney(Money::Parse("3"));
        }
        lines.query.FieldByName("NOTE").SetAsString("refuse");
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, lines.storage.Save(to, 3, false, TDayRecord::Ensure));
        QVERIFY(lines.query.IsEditing());
        QCOMPARE(BookState(book), before);
        lines.query.FieldByName("NOTE").SetAsString("accepted");
        lines.storage.Save(to, 3, false, TDayRecord::Ensure);
        QCOMPARE(lines.query.FieldByName("DAILY_EXPENSE_ID").AsInteger(), 1);
        QCOMPARE(book.Scalar("SELECT group_concat(YYYY || '/' || MM || ':' || EXPENSES, ' ') FROM PERIOD").toString(),
                 moving ? QString("2004/1:10000 2004/3:30000") : QString("2004/1:40000 2004/3:30000"));
        QCOMPARE(BrokenInvariants(book), QString());
    }

    // A save made to fail at each of its steps, in both ways a screen saves: afterwards the
    // book is as before, the list shows what the book holds with the line pending as the
    // user left it, and the line corrected and saved again is stored once, with the number
    // it should have.
    void failedSave_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<int>("fault");
        QTest::addColumn<bool>("screen");
        const char* operations[] = {"new line on a new day", "new line on a day with lines", "changed on its day",
                                    "moved to another day",  "moved to another month",       "moved, then put back"};
        const std::pair<TFault, const char*> faults[] = {
            {TFault::ItemRefused, "before the post: item refused"},
            {TFault::NumberRefused, "before the post: no number"},
            {TFault::Post, "in the post"},
            {TFault::DayRollUp, "in the day roll-up"},
            {TFault::MonthRollUp, "in the month roll-up"},
            {TFault::DayTotalOverflow, "day total beyond the money range"},
            {TFault::CommitRefused, "at the commit, rolled back by the engine"},
            {TFault::CommitKeyUnmet, "at the commit, transaction left open"}};
        for (const char* operation : operations)
            for (const auto& [fault, faultName] : faults)
                for (bool screen : {false, true}) {
                    // A line changed on its own day draws no number.
                    if (fault == TFault::NumberRefused && QByteArray(operation) == "changed on its day")
                        continue;
                    QTest::addRow("%s, %s, %s", operation, faultName, screen ? "screen transaction" : "storage save")
                        << QString(operation) << int(fault) << screen;
                }
    }
    void failedSave()
    {
        QFETCH(QString, operation);
        QFETCH(int, fault);
        QFETCH(bool, screen);
        const TFault f = TFault(fault);
        TTestBook book;
        AddItems(book);
        TLines lines(TLineKind::Expense, *dmDailyExpenses->qryGetTransactionExpenses);
        const TLineDay home = LineDay(2004, 1, 5);
        const TLineDay neighbour = LineDay(2004, 1, 6);
        const TLineDay away = LineDay(2004, 3, 9);  // no day record, no month yet
        lines.Add(home, 1, 100000);
        lines.Add(home, 2, 300000);
        lines.Add(neighbour, 3, 50000);
        Committed(book.Connection(), [&] {
            SetNextExpenseID(neighbour.YYYY, neighbour.MM, neighbour.TRANSACTION_DATE, 4);  // ahead of its lines
        });
        const bool adding = operation.startsWith("new line");
        const TLineDay target = operation == "new line on a new day" || operation == "moved to another month" ? away
                                : operation == "moved to another day" || operation == "moved, then put back" ? neighbour
                                                                                                             : home;
        const TLineDay retryDay = operation == "moved, then put back" ? home : target;
        qint64 amount = 1234500;
        if (f == TFault::DayTotalOverflow) {
            lines.Add(target, 1, HugeAmount);
            amount = HugeAmount;
        }
        TFaults faults(book);
        if (adding) {
            lines.query.Insert();
        } else {
            QVERIFY(lines.Find(home, 2));
            lines.query.Edit();
        }
        lines.query.FieldByName("EXPENSE_AMOUNT").SetAsMoney(Money::FromScaled(amount));
        lines.query.FieldByName("NOTE").SetAsString("mine");
        const int expected = retryDay == home && !adding ? 2 : NextNumberOf(book, TLineKind::Expense, retryDay);
        const int linesBefore = book.Scalar("SELECT count(*) FROM DAILY_EXPENSE").toInt();
        const QString before = BookText(book);

        faults.Arm(f);
        QVERIFY_THROWS_EXCEPTION(EZorpError, lines.Save(screen, target, f == TFault::ItemRefused ? 0 : 2, true));
        faults.Disarm();
        QCOMPARE(book.Connection().TransactionDepth(), 0);
        QCOMPARE(BookText(book), before);
        QCOMPARE(lines.query.State(), adding ? TDataSetState::Insert : TDataSetState::Edit);
        QCOMPARE(lines.query.FieldByName("EXPENSE_AMOUNT").AsMoney(), Money::FromScaled(amount));
        QCOMPARE(lines.query.FieldByName("NOTE").AsString(), QString("mine"));
        QCOMPARE(StoredRows(lines), BookRows(book, TLineKind::Expense));

        // Corrected and saved again.
        lines.query.FieldByName("EXPENSE_AMOUNT").SetAsMoney(Money::FromScaled(777700));
        lines.Save(screen, retryDay, 2, true);
        QVERIFY(!lines.query.IsEditing());
        QCOMPARE(book.Column("SELECT YYYY || '/' || MM || '/' || TRANSACTION_DATE || '#' || DAILY_EXPENSE_ID || ':' || "
                             "EXPENSE_AMOUNT FROM DAILY_EXPENSE WHERE NOTE = 'mine'"),
                 QStringList {QStringLiteral("%1/%2/%3#%4:777700")
                                  .arg(retryDay.YYYY)
                                  .arg(retryDay.MM)
                                  .arg(retryDay.TRANSACTION_DATE)
                                  .arg(expected)});
        QCOMPARE(book.Scalar("SELECT count(*) FROM DAILY_EXPENSE").toInt(), linesBefore + (adding ? 1 : 0));
        if (adding || !(retryDay == home))
            QCOMPARE(Counter(book, TLineKind::Expense, retryDay.TRANSACTION_DATE), qint64(expected));
        QCOMPARE(StoredRows(lines), BookRows(book, TLineKind::Expense));
        QCOMPARE(BrokenInvariants(book), QString());
    }

    // Two lines of 900,000,000,000,000 on one day: the second is refused by the day's
    // total. The list must not keep it as stored, or deleting it there would delete the
    // next line given its number.
    void lineRefusedByTheDayTotalIsNotLeftInTheList_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<bool>("screen");
        for (TLineKind kind : {TLineKind::Income, TLineKind::Expense})
            for (bool screen : {false, true})
                QTest::addRow("%s, %s", kind == TLineKind::Income ? "income" : "expense",
                              screen ? "screen transaction" : "storage save")
                    << int(kind) << screen;
    }
    void lineRefusedByTheDayTotalIsNotLeftInTheList()
    {
        QFETCH(int, kind);
        QFETCH(bool, screen);
        TTestBook book;
        AddItems(book);
        const TLineKind k = TLineKind(kind);
        TLines lines(k, k == TLineKind::Income ? *dmDailySales->qryGetTransactionSales
                                               : *dmDailyExpenses->qryGetTransactionExpenses);
        const TLineDay day = LineDay(2004, 4, 1);
        lines.Add(day, 1, HugeAmount);
        const QString before = BookText(book);
        lines.query.Insert();
        lines.query.FieldByName(lines.amount).SetAsMoney(Money::FromScaled(HugeAmount));
        QVERIFY_THROWS_EXCEPTION(EOverflowError, lines.Save(screen, day, 2, true));
        QCOMPARE(BookText(book), before);
        QVERIFY(lines.query.IsInserting());
        QCOMPARE(StoredRows(lines), BookRows(book, k));
        // Given up: deleting it drops only the line being added.
        QVERIFY(!lines.storage.Delete().has_value());
        QCOMPARE(BookText(book), before);
        QCOMPARE(StoredRows(lines), BookRows(book, k));
        // The next line takes the number the refused one would have had; deleting it there
        // deletes that line.
        QCOMPARE(lines.Add(day, 3, 10000), 2);
        QCOMPARE(StoredRows(lines), BookRows(book, k));
        lines.Remove(day, 2);
        QCOMPARE(book.Scalar(QStringLiteral("SELECT group_concat(%1) FROM %2")
                                 .arg(k == TLineKind::Income ? "DAILY_SALES_ID" : "DAILY_EXPENSE_ID", Table(k)))
                     .toString(),
                 QString("1"));
        QCOMPARE(StoredRows(lines), BookRows(book, k));
        QCOMPARE(BrokenInvariants(book), QString());
    }

    // A delete whose roll-up fails leaves the line in the book and in the list.
    void failedDeleteKeepsTheLine()
    {
        TTestBook book;
        AddItems(book);
        TLines lines(TLineKind::Income, *dmDailySales->qryGetTransactionSales);
        const TLineDay day = LineDay(2004, 4, 1);
        lines.Add(day, 1, 10000);
        lines.Add(day, 2, 20000);
        lines.Add(day, 3, 30000);
        TFaults faults(book);
        const QString before = BookText(book);
        QVERIFY(lines.Find(day, 2));
        const int at = lines.query.CurrentIndex();
        faults.Arm(TFault::MonthRollUp);
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, lines.storage.Delete());
        faults.Disarm();
        QCOMPARE(BookText(book), before);
        QCOMPARE(StoredRows(lines), BookRows(book, TLineKind::Income));
        QCOMPARE(lines.query.CurrentIndex(), at);
        QCOMPARE(lines.query.FieldByName("DAILY_SALES_ID").AsInteger(), 2);
        QVERIFY(lines.storage.Delete().has_value());
        QCOMPARE(StoredRows(lines), BookRows(book, TLineKind::Income));
        QCOMPARE(BrokenInvariants(book), QString());
    }

    // Split into the steps a browse-and-edit screen runs: before the post, the post and a
    // refresh of the dataset, then the roll-up.
    void stepsAroundARefresh()
    {
        TTestBook book;
        AddItems(book);
        TQuery& q = *dmDailySales->qryGetTransactionSales;
        TLineStorage storage(TLineKind::Income, q);
        q.Open();
        q.Insert();
        q.FieldByName("SALES_AMOUNT").SetAsMoney(Money::Parse("20"));
        storage.BeforePost(LineDay(2004, 5, 5), 1, false, TDayRecord::Ensure);
        QVERIFY(storage.Prepared());
        QCOMPARE(storage.LineNumber(), 1);
        QVERIFY(!storage.MovedFrom());
        q.Post();
        q.Requery();
        storage.AfterPost();
        QVERIFY(!storage.Prepared());
        QVERIFY_THROWS_EXCEPTION(EDatasetError, storage.AfterPost());
        QCOMPARE(book.Scalar("SELECT TAKINGS FROM DAILY_TRANSACTION").toLongLong(), 200000LL);

        // The move is told from the day the line had when editing began.
        q.First();
        q.Edit();
        storage.BeforePost(LineDay(2004, 6, 1), 1, false, TDayRecord::Ensure);
        QVERIFY(storage.MovedFrom().has_value());
        QCOMPARE(storage.MovedFrom()->TRANSACTION_DATE, Day(2004, 5, 5));
        q.Post();
        q.Requery();
        storage.AfterPost();
        QCOMPARE(book.Scalar("SELECT group_concat(SALES, ' ') FROM PERIOD").toString(), QString("0 200000"));
        QVERIFY_THROWS_EXCEPTION(EDatasetError, storage.BeforePost(LineDay(2004, 6, 1), 1, false, TDayRecord::Ensure));
        q.Close();
    }

    void deleteThroughTheScreenHookRollsUpTheDayShown()
    {
        TTestBook book;
        AddItems(book);
        TQuery& q = *dmDailyExpenses->qryGetTransactionExpenses;
        TLineStorage storage(TLineKind::Expense, q);
        TLines lines(TLineKind::Expense, q);
        const TLineDay day = LineDay(2004, 9, 9);
        lines.Add(day, 1, 10000);
        lines.Add(day, 2, 20000);
        QVERIFY(lines.Find(day, 1));
        q.Delete();
        storage.AfterDelete(day);
        QCOMPARE(book.Scalar("SELECT EXPENSES FROM DAILY_TRANSACTION").toLongLong(), 20000LL);
        QCOMPARE(book.Scalar("SELECT EXPENSES FROM PERIOD").toLongLong(), 20000LL);
    }

    void deleteWhileAddingDropsOnlyTheNewLine()
    {
        TTestBook book;
        AddItems(book);
        TLines lines(TLineKind::Income, *dmDailySales->qryGetTransactionSales);
        const TLineDay day = LineDay(2004, 9, 9);
        lines.Add(day, 1, 10000);
        lines.query.Insert();
        QVERIFY(!lines.storage.Delete().has_value());
        QVERIFY(!lines.query.IsEditing());
        QCOMPARE(book.Scalar("SELECT count(*) FROM DAILY_SALES").toInt(), 1);
        QVERIFY(lines.Find(day, 1));
        const std::optional<TLineDay> deleted = lines.storage.Delete();
        QVERIFY(deleted.has_value() && *deleted == day);
        QCOMPARE(book.Scalar("SELECT count(*) || ':' || SUM(TAKINGS) FROM DAILY_TRANSACTION").toString(),
                 QString("1:0"));
    }

    void lineOfADeletedItemStillCounts()
    {
        TTestBook book;
        AddItems(book);
        TLines expenses(TLineKind::Expense, *dmDailyExpenses->qryGetTransactionExpenses);
        const TLineDay day = LineDay(2004, 1, 5);
        expenses.Add(day, 3, 10000);
        book.Exec("DELETE FROM EXPENSE WHERE EXPENSE_ID = 3");
        expenses.Add(day, 1, 20000);
        QCOMPARE(book.Scalar("SELECT EXPENSES FROM DAILY_TRANSACTION").toLongLong(), 30000LL);
        QCOMPARE(book.Scalar("SELECT EXPENSES FROM PERIOD").toLongLong(), 30000LL);
    }

    // Adds, edits, moves between days and months, deletes, day records and months deleted
    // under their lines, odd lines written around the storage and saves made to fail at a
    // step, in a fixed random order. After each step the stored totals are compared with
    // the sums of the lines, and each list with the book; no total is ever recomputed here.
    void randomSequenceKeepsEveryInvariant()
    {
        TTestBook book;
        AddItems(book);
        TQuery& salesQuery = *dmDailySales->qryGetTransactionSales;
        TQuery& expenseQuery = *dmDailyExpenses->qryGetTransactionExpenses;
        TLines income(TLineKind::Income, salesQuery);
        TLines expenses(TLineKind::Expense, expenseQuery);
        TFaults faults(book);
        QRandomGenerator random(20040105);
        // Days around a month and a year end, so moves cross both.
        const QList<int> days = {Day(2003, 12, 30), Day(2003, 12, 31), Day(2004, 1, 1),
                                 Day(2004, 1, 2),   Day(2004, 1, 31),  Day(2004, 2, 1)};
        const TFault failures[] = {TFault::ItemRefused, TFault::NumberRefused, TFault::Post,          TFault::DayRollUp,
                                   TFault::MonthRollUp, TFault::CommitRefused, TFault::CommitKeyUnmet};
        std::map<std::pair<int, int>, qint64> counters;  // (kind, day) -> counter last seen
        int failedSaves = 0;
        for (int step = 0; step < 400; ++step) {
            TLines& lines = random.bounded(2) ? income : expenses;
            const TLineDay day = TLineDay::FromDayNumber(days[random.bounded(days.size())]);
            const int action = random.bounded(12);
            const QString where = QStringLiteral("step %1").arg(step);
            QString what;
            if (action < 4 || lines.query.IsEmpty()) {
                const qint64 before = Counter(book, lines.kind, day.TRANSACTION_DATE);
                const int highest = HighestLine(book, lines.kind, day.TRANSACTION_DATE);
                const int number =
                    lines.Add(day, 1 + random.bounded(3), 10000 * (1 + random.bounded(500)), random.bounded(3) > 0);
                QVERIFY2(number > before && number > highest,
                         qPrintable(QStringLiteral("%1: number %2 after counter %3 and line %4")
                                        .arg(where)
                                        .arg(number)
                                        .arg(before)
                                        .arg(highest)));
                what = "add";
            } else {
                lines.query.MoveTo(random.bounded(lines.query.RecordCount()));
                const TLineDay at {int(lines.query.FieldByName("YYYY").AsInteger()),
                                   int(lines.query.FieldByName("MM").AsInteger()),
                                   int(lines.query.FieldByName("TRANSACTION_DATE").AsInteger())};
                const int number = int(lines.query.FieldByName(lines.number).AsInteger());
                if (action < 7) {
                    lines.Move(at, number, action == 4 ? at : day, 10000 * random.bounded(500));
                    what = "edit";
                } else if (action < 9) {
                    lines.Remove(at, number);
                    what = "delete";
                } else if (action == 9) {
                    // Deleted on the day record or period screen: the lines stay, a day
                    // record's counters go. The next line stored there makes them again.
                    const int which = random.bounded(3);
                    if (which != 1) {
                        book.Exec(QStringLiteral("DELETE FROM DAILY_TRANSACTION WHERE TRANSACTION_DATE = %1")
                                      .arg(at.TRANSACTION_DATE));
                        counters.erase({0, at.TRANSACTION_DATE});
                        counters.erase({1, at.TRANSACTION_DATE});
                    }
                    if (which != 0)
                        book.Exec(
                            QStringLiteral("DELETE FROM PERIOD WHERE YYYY = %1 AND MM = %2").arg(at.YYYY).arg(at.MM));
                    what = which == 0 ? "day record made again" : which == 1 ? "month made again" : "both made again";
                    TLines& other = random.bounded(2) ? income : expenses;
                    const int highest = HighestLine(book, other.kind, at.TRANSACTION_DATE);
                    const int n = other.Add(at, 2, 10000);
                    QVERIFY2(n > highest,
                             qPrintable(QStringLiteral("%1: number %2 under line %3").arg(where).arg(n).arg(highest)));
                } else if (action == 10) {
                    // A line with no taxable flag, written around the storage, counts in its
                    // month only; the next line stored on its day rolls the day up again.
                    lines.query.Edit();
                    lines.query.FieldByName("TAXABLE").Clear();
                    lines.query.Post();
                    lines.Add(at, 1, 10000);
                    what = "flag cleared";
                } else {
                    what = "failed save";
                    ++failedSaves;
                    const TFault fault = failures[random.bounded(int(std::size(failures)))];
                    const bool screen = random.bounded(2);
                    const int operation = random.bounded(3);  // add, change on its day, move
                    const bool adding = operation == 0;
                    const TLineDay target = operation == 1 ? at : day;
                    const int original = number;
                    if (adding)
                        lines.query.Insert();
                    else
                        lines.query.Edit();
                    const Money amount = Money::FromScaled(10000 * (1 + random.bounded(500)));
                    lines.query.FieldByName(lines.amount).SetAsMoney(amount);
                    lines.query.FieldByName("NOTE").SetAsString(where);
                    // Only a new or moved line draws a number to refuse.
                    const bool fails = fault != TFault::NumberRefused || adding || !(target == at);
                    const int expected = !adding && target == at ? original : NextNumberOf(book, lines.kind, target);
                    const QString before = BookText(book);
                    faults.Arm(fault);
                    bool threw = false;
                    try {
                        lines.Save(screen, target, fault == TFault::ItemRefused ? 0 : 1 + random.bounded(3), true);
                    } catch (const EZorpError&) {
                        threw = true;
                    }
                    faults.Disarm();
                    QVERIFY2(threw == fails, qPrintable(where));
                    if (threw) {
                        QVERIFY2(BookText(book) == before, qPrintable(where + ": the book changed"));
                        QVERIFY2(lines.query.State() == (adding ? TDataSetState::Insert : TDataSetState::Edit),
                                 qPrintable(where + ": the line is no longer pending"));
                        QVERIFY2(lines.query.FieldByName(lines.amount).AsMoney() == amount
                                     && lines.query.FieldByName("NOTE").AsString() == where,
                                 qPrintable(where + ": the pending line lost what was entered"));
                        QVERIFY2(StoredRows(lines) == BookRows(book, lines.kind),
                                 qPrintable(where + ": the list differs from the book"));
                        if (random.bounded(3) == 0) {
                            lines.query.Cancel();
                            what += ", given up";
                        } else {
                            lines.Save(screen, target, 1 + random.bounded(3), true);
                            const QStringList stored = book.Column(
                                QStringLiteral("SELECT TRANSACTION_DATE || '#' || %1 FROM %2 WHERE NOTE = '%3'")
                                    .arg(lines.number, Table(lines.kind), where));
                            QVERIFY2(
                                stored
                                    == QStringList {QStringLiteral("%1#%2").arg(target.TRANSACTION_DATE).arg(expected)},
                                qPrintable(QStringLiteral("%1: saved again as %2, not %3#%4")
                                               .arg(where, stored.join(' '))
                                               .arg(target.TRANSACTION_DATE)
                                               .arg(expected)));
                            what += ", saved again";
                        }
                    }
                }
            }
            const QString broken = BrokenInvariants(book);
            QVERIFY2(broken.isEmpty(), qPrintable(QStringLiteral("%1 (%2): %3").arg(where, what, broken)));
            for (TLines* l : {&income, &expenses})
                QVERIFY2(StoredRows(*l) == BookRows(book, l->kind),
                         qPrintable(QStringLiteral("%1 (%2): a list differs from the book").arg(where, what)));
            for (int d : days)
                for (int k = 0; k < 2; ++k) {
                    const QVariant now =
                        book.Scalar(QStringLiteral("SELECT %1 FROM DAILY_TRANSACTION WHERE TRANSACTION_DATE = %2")
                                        .arg(k == int(TLineKind::Income) ? "LAST_SALES_ID" : "LAST_EXPENSE_ID")
                                        .arg(d));
                    if (now.isNull())
                        continue;
                    const auto it = counters.find({k, d});
                    QVERIFY2(it == counters.end() || now.toLongLong() >= it->second,
                             qPrintable(QStringLiteral("%1: a counter went down").arg(where)));
                    counters[{k, d}] = now.toLongLong();
                }
        }
        QVERIFY(book.Scalar("SELECT count(*) FROM DAILY_SALES").toInt() > 20);
        QVERIFY(book.Scalar("SELECT count(*) FROM DAILY_EXPENSE").toInt() > 20);
        QVERIFY(book.Scalar("SELECT count(*) FROM PERIOD").toInt() >= 3);
        QVERIFY(failedSaves > 20);
    }
};

QTEST_GUILESS_MAIN(TestLineStorage)
#include "tst_linestorage.moc"
