// The client-side dataset: navigation and the end-of-data flag, editing written back to
// the book, locate, the client-side filter, calculated and lookup fields.
#include "DayNumber.h"
#include "DbConnection.h"
#include "Errors.h"
#include "Formats.h"
#include "Query.h"
#include "TestBook.h"

#include <QSignalSpy>
#include <QtTest>
#include <optional>

namespace {
const char* LinesSql =
    "SELECT PROFILE_ID, YYYY, MM, TRANSACTION_DATE, DAILY_EXPENSE_ID, EXPENSE_ID, EXPENSE_AMOUNT, TAXABLE, "
    "REFERENCE, NOTE FROM DAILY_EXPENSE ORDER BY TRANSACTION_DATE, EXPENSE_ID";

void AddLine(TTestBook& book, int day, int number, int expense, qint64 scaled, const char* taxable = "Y")
{
    const QDate d = DayNumber::ToDate(day);
    book.Exec(QStringLiteral("INSERT INTO DAILY_EXPENSE (YYYY, MM, TRANSACTION_DATE, DAILY_EXPENSE_ID, EXPENSE_ID, "
                             "EXPENSE_AMOUNT, TAXABLE) VALUES (%1, %2, %3, %4, %5, %6, '%7')")
                  .arg(d.year())
                  .arg(d.month())
                  .arg(day)
                  .arg(number)
                  .arg(expense)
                  .arg(scaled)
                  .arg(taxable));
}

// Three expenses, listed by description.
void AddExpenses(TTestBook& book)
{
    book.Exec("INSERT INTO EXPENSE (EXPENSE_ID, EXPENSE_DESCRIPTION, EXPENSE_TYPE_ID, TAXABLE, AMOUNT) VALUES "
              "(7, 'RENT', 1, 'Y', 5000000), (8, 'ELECTRICITY', 1, 'N', 0), (9, 'ELEVATOR', 1, 'Y', 10000)");
}

const QStringList LineColumns = {"PROFILE_ID", "YYYY",           "MM",      "TRANSACTION_DATE", "DAILY_EXPENSE_ID",
                                 "EXPENSE_ID", "EXPENSE_AMOUNT", "TAXABLE", "REFERENCE",        "NOTE"};

// The lines in the book, each as one text.
QStringList BookLines(TTestBook& book)
{
    QStringList parts;
    for (const QString& c : LineColumns)
        parts << QStringLiteral("IFNULL(%1, '-')").arg(c);
    QStringList rows = book.Column("SELECT " + parts.join(" || '|' || ") + " FROM DAILY_EXPENSE");
    rows.sort();
    return rows;
}

// The rows of the set as stored, each as BookLines gives it: a row being added is not
// stored yet, and a row being changed counts as it stands in the book.
QStringList StoredLines(TDataSet& ds)
{
    QStringList rows;
    for (const QStringList& v : StoredValues(ds, LineColumns))
        rows << v.join('|');
    rows.sort();
    return rows;
}

QList<int> Numbers(TDataSet& ds, const QString& field)
{
    QList<int> out;
    const int f = ds.FieldByName(field).Index();
    for (int r = 0; r < ds.RecordCount(); ++r)
        out << int(ds.Fields(f).ToInteger(ds.ValueAt(r, f)));
    return out;
}
}  // namespace

class TestDataSet : public QObject {
    Q_OBJECT
private slots:
    void init() { FormatSettings() = TFormatSettings(); }

    // Each step is one letter: F first, P prior, N next, L last, O reopen.
    void endOfData_data()
    {
        QTest::addColumn<int>("rows");
        QTest::addColumn<QString>("steps");
        QTest::addColumn<int>("current");
        QTest::addColumn<bool>("eof");
        QTest::newRow("empty after open") << 0 << "" << -1 << true;
        QTest::newRow("empty after any move") << 0 << "FNPL" << -1 << true;
        QTest::newRow("open on rows") << 3 << "" << 0 << false;
        QTest::newRow("jump to last sets it") << 3 << "L" << 2 << true;
        QTest::newRow("prior clears it") << 3 << "LP" << 1 << false;
        QTest::newRow("last, prior, next: on the last row, clear") << 3 << "LPN" << 2 << false;
        QTest::newRow("move beyond the last row sets it") << 3 << "LPNN" << 2 << true;
        QTest::newRow("next within the rows") << 3 << "N" << 1 << false;
        QTest::newRow("first clears it") << 3 << "LF" << 0 << false;
        QTest::newRow("single row, next") << 1 << "N" << 0 << true;
        QTest::newRow("single row, last, prior") << 1 << "LP" << 0 << false;
        QTest::newRow("prior before the first row") << 3 << "P" << 0 << false;
        QTest::newRow("reopen clears it") << 3 << "LO" << 0 << false;
    }
    void endOfData()
    {
        QFETCH(int, rows);
        QFETCH(QString, steps);
        QFETCH(int, current);
        QFETCH(bool, eof);
        TTestBook book;
        for (int i = 0; i < rows; ++i)
            AddLine(book, 38018 + i, 1, 7, 10000);
        TQuery q("qryLines", book.Connection(), LinesSql);
        q.Open();
        for (QChar s : steps) {
            switch (s.toLatin1()) {
            case 'F': q.First(); break;
            case 'P': q.Prior(); break;
            case 'N': q.Next(); break;
            case 'L': q.Last(); break;
            case 'O': q.Requery(); break;
            }
        }
        QCOMPARE(q.CurrentIndex(), current);
        QCOMPARE(q.Eof(), eof);
        QCOMPARE(q.RecordCount(), rows);
    }

    void openTwiceDoesNothingReopenRereads()
    {
        TTestBook book;
        AddLine(book, 38018, 1, 7, 10000);
        AddLine(book, 38019, 1, 7, 20000);
        TQuery q("qryLines", book.Connection(), LinesSql);
        q.Open();
        q.Next();
        AddLine(book, 38020, 1, 7, 30000);
        q.Open();
        QCOMPARE(q.RecordCount(), 2);
        QCOMPARE(q.CurrentIndex(), 1);
        q.Requery();
        QCOMPARE(q.RecordCount(), 3);
        QCOMPARE(q.CurrentIndex(), 0);
    }

    void typedFieldsFromTheSchema()
    {
        TTestBook book;
        AddLine(book, 38018, 1, 7, 123456789);
        TQuery q("qryLines", book.Connection(), LinesSql);
        q.Open();
        QCOMPARE(q.FieldByName("EXPENSE_AMOUNT").DataType, TFieldType::Money);
        QCOMPARE(q.FieldByName("DAILY_EXPENSE_ID").DataType, TFieldType::Smallint);
        QCOMPARE(q.FieldByName("TRANSACTION_DATE").DataType, TFieldType::Integer);
        QCOMPARE(q.FieldByName("REFERENCE").DataType, TFieldType::String);
        QCOMPARE(q.FieldByName("REFERENCE").Size, 20);
        QCOMPARE(q.FieldByName("NOTE").DataType, TFieldType::Memo);
        QCOMPARE(q.FieldByName("expense_amount").AsMoney().Scaled(), qint64(123456789));
        QCOMPARE(q.FieldByName("EXPENSE_AMOUNT").AsString(), QString("12345.6789"));
        QCOMPARE(q.FieldByName("TRANSACTION_DATE").AsDate(), QDate(2004, 1, 32 - 1).addDays(1));
        QVERIFY(q.FieldByName("NOTE").IsNull());
        QCOMPARE(q.FieldByName("NOTE").AsString(), QString());
        QVERIFY_THROWS_EXCEPTION(EDatasetError, q.FieldByName("NO_SUCH_FIELD"));
    }

    void sumOverNoRowsReadsZero()
    {
        TTestBook book;
        TQuery q("qrySum", book.Connection(), "SELECT SUM(EXPENSE_AMOUNT) AS SUM_EXPENSE FROM DAILY_EXPENSE");
        q.AddField("SUM_EXPENSE", TFieldType::Money);
        q.Open();
        QVERIFY(q.FieldByName("SUM_EXPENSE").IsNull());
        QCOMPARE(q.FieldByName("SUM_EXPENSE").AsMoney(), Money());
        q.Close();
        AddLine(book, 38018, 1, 7, 15000);
        AddLine(book, 38018, 2, 7, 2500);
        q.Open();
        QCOMPARE(q.FieldByName("SUM_EXPENSE").AsMoney(), Money::Parse("1.75"));
    }

    void insertPostsAndReadsDefaultsBack()
    {
        TTestBook book;
        AddLine(book, 38018, 1, 7, 10000);
        TQuery q("qryLines", book.Connection(), LinesSql);
        q.Open();
        QSignalSpy state(&q, &TDataSet::StateChanged);
        q.Insert();
        QVERIFY(q.IsInserting());
        QCOMPARE(q.RecordCount(), 2);
        QCOMPARE(q.CurrentIndex(), 0);  // before the current row
        q.FieldByName("YYYY").SetAsInteger(2004);
        q.FieldByName("MM").SetAsInteger(2);
        q.FieldByName("TRANSACTION_DATE").SetAsDate(QDate(2004, 2, 2));
        q.FieldByName("DAILY_EXPENSE_ID").SetAsInteger(2);
        q.FieldByName("EXPENSE_AMOUNT").SetAsString("1,250.50");
        q.FieldByName("TAXABLE").SetAsString("N");
        QCOMPARE(book.Scalar("SELECT count(*) FROM DAILY_EXPENSE").toInt(), 1);
        q.Post();
        QVERIFY(!q.IsEditing());
        QCOMPARE(state.count(), 2);
        QCOMPARE(book.Scalar("SELECT EXPENSE_AMOUNT FROM DAILY_EXPENSE WHERE DAILY_EXPENSE_ID = 2").toLongLong(),
                 12505000LL);
        QCOMPARE(q.FieldByName("PROFILE_ID").AsInteger(), 1);  // the table's default, read back
        QCOMPARE(q.FieldByName("TRANSACTION_DATE").AsInteger(), 38019);
    }

    void cancelDropsTheNewRow()
    {
        TTestBook book;
        AddLine(book, 38018, 1, 7, 10000);
        AddLine(book, 38019, 1, 7, 10000);
        TQuery q("qryLines", book.Connection(), LinesSql);
        q.Open();
        q.Last();
        q.Insert();
        q.FieldByName("YYYY").SetAsInteger(2004);
        q.Cancel();
        QCOMPARE(q.RecordCount(), 2);
        QCOMPARE(q.CurrentIndex(), 1);
        QVERIFY(q.Eof());  // as it was before the insert
        QCOMPARE(book.Scalar("SELECT count(*) FROM DAILY_EXPENSE").toInt(), 2);
    }

    void editCancelRestores()
    {
        TTestBook book;
        AddLine(book, 38018, 1, 7, 10000);
        TQuery q("qryLines", book.Connection(), LinesSql);
        q.Open();
        q.Edit();
        q.FieldByName("EXPENSE_AMOUNT").SetAsString("99");
        QCOMPARE(q.FieldByName("EXPENSE_AMOUNT").AsMoney(), Money::Parse("99"));
        q.Cancel();
        QCOMPARE(q.FieldByName("EXPENSE_AMOUNT").AsMoney(), Money::Parse("1"));
        QCOMPARE(book.Scalar("SELECT EXPENSE_AMOUNT FROM DAILY_EXPENSE").toLongLong(), 10000LL);
    }

    void editOfKeyColumnsMovesTheRow()
    {
        TTestBook book;
        AddLine(book, 38018, 1, 7, 10000);
        AddLine(book, 38018, 2, 8, 20000);
        TQuery q("qryLines", book.Connection(), LinesSql);
        q.Open();
        QVERIFY(q.Locate("DAILY_EXPENSE_ID", {TValue(2)}));
        q.Edit();
        // Moved to another month: new day, new line number.
        q.FieldByName("TRANSACTION_DATE").SetAsDate(QDate(2004, 3, 5));
        q.FieldByName("YYYY").SetAsInteger(2004);
        q.FieldByName("MM").SetAsInteger(3);
        q.FieldByName("DAILY_EXPENSE_ID").SetAsInteger(1);
        q.Post();
        QCOMPARE(book.Scalar("SELECT count(*) FROM DAILY_EXPENSE WHERE MM = 2").toInt(), 1);
        QCOMPARE(book.Scalar("SELECT EXPENSE_AMOUNT FROM DAILY_EXPENSE WHERE MM = 3 AND DAILY_EXPENSE_ID = 1 AND "
                             "TRANSACTION_DATE = 38051")
                     .toLongLong(),
                 20000LL);
        // The row is found by its new key from now on.
        q.Edit();
        q.FieldByName("REFERENCE").SetAsString("INV-1");
        q.Post();
        QCOMPARE(book.Scalar("SELECT REFERENCE FROM DAILY_EXPENSE WHERE MM = 3").toString(), QString("INV-1"));
    }

    void failedPostKeepsTheRowPending()
    {
        TTestBook book;
        AddLine(book, 38018, 1, 7, 10000);
        TQuery q("qryLines", book.Connection(), LinesSql);
        q.Open();
        q.Insert();
        q.FieldByName("YYYY").SetAsInteger(2004);
        q.FieldByName("MM").SetAsInteger(2);
        q.FieldByName("TRANSACTION_DATE").SetAsInteger(38018);
        q.FieldByName("DAILY_EXPENSE_ID").SetAsInteger(1);  // taken
        q.FieldByName("EXPENSE_AMOUNT").SetAsString("5");
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, q.Post());
        QVERIFY(q.IsInserting());
        QCOMPARE(q.FieldByName("EXPENSE_AMOUNT").AsMoney(), Money::Parse("5"));
        QCOMPARE(book.Scalar("SELECT count(*) FROM DAILY_EXPENSE").toInt(), 1);
        q.FieldByName("DAILY_EXPENSE_ID").SetAsInteger(2);
        q.Post();
        QCOMPARE(book.Scalar("SELECT count(*) FROM DAILY_EXPENSE").toInt(), 2);
    }

    void badInputChangesNothing_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("text");
        QTest::newRow("amount letters") << "EXPENSE_AMOUNT"
                                        << "12x";
        QTest::newRow("amount too precise") << "EXPENSE_AMOUNT"
                                            << "1.00001";
        QTest::newRow("line number too big") << "DAILY_EXPENSE_ID"
                                             << "32768";
        QTest::newRow("line number not a number") << "DAILY_EXPENSE_ID"
                                                  << "one";
        QTest::newRow("day beyond 32 bits") << "TRANSACTION_DATE"
                                            << "3000000000";
        QTest::newRow("reference too long") << "REFERENCE"
                                            << "123456789012345678901";
    }
    void badInputChangesNothing()
    {
        QFETCH(QString, field);
        QFETCH(QString, text);
        TTestBook book;
        AddLine(book, 38018, 1, 7, 10000);
        TQuery q("qryLines", book.Connection(), LinesSql);
        q.Open();
        q.Edit();
        const TValue before = q.FieldByName(field).Value();
        try {
            q.FieldByName(field).SetAsString(text);
            QFAIL("accepted");
        } catch (const EConvertError& e) {
            QVERIFY2(e.Message().startsWith(field), qPrintable(e.Message()));
        }
        QCOMPARE(q.FieldByName(field).Value(), before);
        q.Post();
        QCOMPARE(book.Scalar("SELECT EXPENSE_AMOUNT || '/' || DAILY_EXPENSE_ID || '/' || ifnull(REFERENCE, '') FROM "
                             "DAILY_EXPENSE")
                     .toString(),
                 QString("10000/1/"));
    }

    void anUpdateHandlerThatFailsStopsThePost()
    {
        TTestBook book;
        AddLine(book, 38018, 1, 7, 10000);
        TQuery q("qryLines", book.Connection(), LinesSql);
        q.Open();
        const int id = q.AddUpdateRecordHandler([&] { q.FieldByName("EXPENSE_AMOUNT").SetAsString("not money"); });
        q.Edit();
        q.FieldByName("REFERENCE").SetAsString("X");
        QVERIFY_THROWS_EXCEPTION(EConvertError, q.Post());
        QVERIFY(q.IsEditing());
        QVERIFY(book.Scalar("SELECT REFERENCE FROM DAILY_EXPENSE").isNull());
        q.RemoveUpdateRecordHandler(id);
        q.Post();
        QCOMPARE(book.Scalar("SELECT REFERENCE FROM DAILY_EXPENSE").toString(), QString("X"));
    }

    void deleteRemovesFromBookAndSet()
    {
        TTestBook book;
        AddLine(book, 38018, 1, 7, 10000);
        AddLine(book, 38019, 1, 7, 10000);
        TQuery q("qryLines", book.Connection(), LinesSql);
        q.Open();
        q.Last();
        q.Delete();
        QCOMPARE(q.RecordCount(), 1);
        QCOMPARE(q.CurrentIndex(), 0);
        QVERIFY(!q.Eof());
        q.Delete();
        QVERIFY(q.IsEmpty());
        QVERIFY(q.Eof());
        QCOMPARE(book.Scalar("SELECT count(*) FROM DAILY_EXPENSE").toInt(), 0);
        QVERIFY_THROWS_EXCEPTION(EDatasetError, q.Delete());
        QVERIFY_THROWS_EXCEPTION(EDatasetError, q.Edit());
    }

    void rowChangedElsewhereIsAClearError()
    {
        TTestBook book;
        AddLine(book, 38018, 1, 7, 10000);
        TQuery q("qryLines", book.Connection(), LinesSql);
        q.Open();
        book.Exec("DELETE FROM DAILY_EXPENSE");
        q.Edit();
        q.FieldByName("REFERENCE").SetAsString("X");
        try {
            q.Post();
            QFAIL("posted");
        } catch (const EDatabaseError& e) {
            QVERIFY(e.Message().contains("no longer in DAILY_EXPENSE"));
        }
        QCOMPARE(book.Scalar("SELECT count(*) FROM DAILY_EXPENSE").toInt(), 0);
    }

    void joinedQueryCannotBeChanged()
    {
        TTestBook book;
        AddExpenses(book);
        AddLine(book, 38018, 1, 7, 10000);
        TQuery q("qryJoined", book.Connection(),
                 "SELECT DEXP.EXPENSE_ID, EXP.EXPENSE_DESCRIPTION FROM DAILY_EXPENSE DEXP, EXPENSE EXP WHERE "
                 "EXP.EXPENSE_ID = DEXP.EXPENSE_ID");
        q.Open();
        q.Edit();
        q.FieldByName("EXPENSE_DESCRIPTION").SetAsString("X");
        QVERIFY_THROWS_EXCEPTION(EDatasetError, q.Post());
    }

    void locate_data()
    {
        QTest::addColumn<QString>("fields");
        QTest::addColumn<QVariantList>("values");
        QTest::addColumn<int>("options");
        QTest::addColumn<int>("found");  // row index, -1 when none
        QTest::newRow("one field") << "EXPENSE_ID" << QVariantList {9} << 0 << 1;
        QTest::newRow("text exact") << "EXPENSE_DESCRIPTION" << QVariantList {"ELEVATOR"} << 0 << 1;
        QTest::newRow("text exact needs all") << "EXPENSE_DESCRIPTION" << QVariantList {"ELE"} << 0 << -1;
        QTest::newRow("partial key") << "EXPENSE_DESCRIPTION" << QVariantList {"ELE"} << int(loPartialKey) << 0;
        QTest::newRow("case") << "EXPENSE_DESCRIPTION" << QVariantList {"rent"} << int(loCaseInsensitive) << 2;
        QTest::newRow("two fields") << "TAXABLE;EXPENSE_TYPE_ID" << QVariantList {"Y", 1} << 0 << 1;
        QTest::newRow("two fields, none") << "TAXABLE;EXPENSE_ID" << QVariantList {"N", 9} << 0 << -1;
        QTest::newRow("number given as text") << "EXPENSE_ID" << QVariantList {"8"} << 0 << 0;
    }
    void locate()
    {
        QFETCH(QString, fields);
        QFETCH(QVariantList, values);
        QFETCH(int, options);
        QFETCH(int, found);
        TTestBook book;
        AddExpenses(book);
        TQuery q("qryGetAllExpenses", book.Connection(), "SELECT * FROM EXPENSE ORDER BY EXPENSE_DESCRIPTION");
        q.Open();
        q.Last();
        std::vector<TValue> keys;
        for (const QVariant& v : values)
            keys.push_back(v.typeId() == QMetaType::QString ? TValue(v.toString()) : TValue(v.toLongLong()));
        QCOMPARE(q.Locate(fields, keys, options), found >= 0);
        QCOMPARE(q.CurrentIndex(), found >= 0 ? found : 2);  // unchanged when none matches
        QCOMPARE(q.Eof(), found < 0);
    }

    void filter_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QList<int>>("expenses");
        // Lines: day 36525 expense 7, 36526 expense 7, 36530 expense 8, 36556 expense 7, 36557 expense 9.
        QTest::newRow("empty lets everything through") << "" << QList<int> {7, 7, 8, 7, 9};
        QTest::newRow("blank lets everything through") << "   " << QList<int> {7, 7, 8, 7, 9};
        QTest::newRow("date range and expense, as the screen writes it")
            << " TRANSACTION_DATE >= 36526 AND TRANSACTION_DATE <= 36556 AND EXPENSE_ID = 7" << QList<int> {7, 7};
        QTest::newRow("bounds are inclusive")
            << " TRANSACTION_DATE >= 36526 AND TRANSACTION_DATE <= 36556" << QList<int> {7, 8, 7};
        QTest::newRow("from after to shows none")
            << " TRANSACTION_DATE >= 36557 AND TRANSACTION_DATE <= 36556" << QList<int> {};
        QTest::newRow("expense only") << "EXPENSE_ID = 9" << QList<int> {9};
        QTest::newRow("text literal") << "TAXABLE = 'N'" << QList<int> {8};
        QTest::newRow("amount in whole units") << "EXPENSE_AMOUNT > 2" << QList<int> {9};
        QTest::newRow("or") << "EXPENSE_ID = 8 OR EXPENSE_ID = 9" << QList<int> {8, 9};
        QTest::newRow("not equal, lower case words")
            << "expense_id <> 7 and transaction_date < 36557" << QList<int> {8};
        QTest::newRow("one day") << "TRANSACTION_DATE = 36556" << QList<int> {7};
        QTest::newRow("strict bounds") << "TRANSACTION_DATE > 36525 AND TRANSACTION_DATE < 36557"
                                       << QList<int> {7, 8, 7};
        QTest::newRow("range beyond every row") << "TRANSACTION_DATE >= 40000" << QList<int> {};
        QTest::newRow("range and an OR") << "TRANSACTION_DATE <= 36525 OR TRANSACTION_DATE >= 36557"
                                         << QList<int> {7, 9};
        QTest::newRow("money beyond every amount") << "EXPENSE_AMOUNT < 922337203685478" << QList<int> {7, 7, 8, 7, 9};
    }
    void filter()
    {
        QFETCH(QString, filter);
        QFETCH(QList<int>, expenses);
        TTestBook book;
        AddLine(book, 36525, 1, 7, 10000);
        AddLine(book, 36526, 1, 7, 10000);
        AddLine(book, 36530, 1, 8, 20000, "N");
        AddLine(book, 36556, 1, 7, 10000);
        AddLine(book, 36557, 1, 9, 30000);
        TQuery q("qryGetTransactionExpenses", book.Connection(), LinesSql);
        q.SetFiltered(true);
        q.Open();
        q.Last();
        q.SetFilter(filter);
        QCOMPARE(Numbers(q, "EXPENSE_ID"), expenses);
        QCOMPARE(q.CurrentIndex(), expenses.isEmpty() ? -1 : 0);
        QCOMPARE(q.Eof(), expenses.isEmpty());
        q.SetFiltered(false);
        QCOMPARE(q.RecordCount(), 5);
    }

    void malformedFilterKeepsTheOldOne_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::newRow("no value") << "EXPENSE_ID =";
        QTest::newRow("no comparison") << "EXPENSE_ID 7";
        QTest::newRow("unknown field") << "EXPENSE_NO = 7";
        QTest::newRow("dangling and") << "EXPENSE_ID = 7 AND";
        QTest::newRow("stray character") << "EXPENSE_ID = 7;";
        QTest::newRow("decimal") << "EXPENSE_ID = 7.5";
        QTest::newRow("open quote") << "TAXABLE = 'Y";
    }
    void malformedFilterKeepsTheOldOne()
    {
        QFETCH(QString, filter);
        TTestBook book;
        AddLine(book, 36525, 1, 7, 10000);
        AddLine(book, 36530, 1, 8, 20000);
        TQuery q("qryLines", book.Connection(), LinesSql);
        q.SetFiltered(true);
        q.Open();
        q.SetFilter("EXPENSE_ID = 8");
        try {
            q.SetFilter(filter);
            QFAIL("accepted");
        } catch (const EDatasetError& e) {
            QVERIFY2(e.Message().startsWith("Invalid filter"), qPrintable(e.Message()));
        }
        QCOMPARE(q.Filter(), QString("EXPENSE_ID = 8"));
        QCOMPARE(Numbers(q, "EXPENSE_ID"), QList<int> {8});
    }

    void filterAfterRowsWereAddedOutOfOrder()
    {
        TTestBook book;
        AddLine(book, 36525, 1, 7, 10000);
        AddLine(book, 36530, 1, 8, 20000);
        TQuery q("qryLines", book.Connection(), LinesSql);
        q.SetFiltered(true);
        q.Open();
        q.SetFilter(" TRANSACTION_DATE >= 36530");
        QCOMPARE(Numbers(q, "EXPENSE_ID"), QList<int> {8});
        q.SetFilter("");
        q.Insert();  // before the first row, though its day is the latest
        q.FieldByName("YYYY").SetAsInteger(2000);
        q.FieldByName("MM").SetAsInteger(3);
        q.FieldByName("TRANSACTION_DATE").SetAsInteger(36600);
        q.FieldByName("DAILY_EXPENSE_ID").SetAsInteger(1);
        q.FieldByName("EXPENSE_ID").SetAsInteger(9);
        q.Post();
        q.SetFilter(" TRANSACTION_DATE >= 36530");
        QCOMPARE(Numbers(q, "EXPENSE_ID"), (QList<int> {9, 8}));
        q.SetFilter(" TRANSACTION_DATE <= 36525");
        QCOMPARE(Numbers(q, "EXPENSE_ID"), QList<int> {7});
    }

    void filterSetBeforeOpenAppliesOnOpen()
    {
        TTestBook book;
        AddLine(book, 36525, 1, 7, 10000);
        AddLine(book, 36530, 1, 8, 20000);
        TQuery q("qryLines", book.Connection(), LinesSql);
        q.SetFiltered(true);
        q.SetFilter("EXPENSE_ID = 8");
        q.Open();
        QCOMPARE(Numbers(q, "EXPENSE_ID"), QList<int> {8});
        q.Requery();
        QCOMPARE(Numbers(q, "EXPENSE_ID"), QList<int> {8});
    }

    void calculatedFields()
    {
        TTestBook book;
        AddLine(book, 38018, 1, 7, 10000);
        AddLine(book, 38019, 1, 7, 10000);
        FormatSettings().ShortDateFormat = "dd-mmm-yyyy";
        TQuery q("qryLines", book.Connection(), "SELECT TRANSACTION_DATE, EXPENSE_ID FROM DAILY_EXPENSE");
        q.AddField("TRANSACTION_DATE");
        q.AddCalculatedField("DisplayDate", TFieldType::Date).DisplayLabel = "Date";
        q.AddField("EXPENSE_ID");
        int calculations = 0;
        q.OnCalcFields = [&](TDataSet& ds) {
            ++calculations;
            if (!ds.FieldByName("TRANSACTION_DATE").IsNull())
                ds.FieldByName("DisplayDate").SetAsDate(ds.FieldByName("TRANSACTION_DATE").AsDate());
        };
        q.Open();
        QCOMPARE(q.Fields(1).Label(), QString("Date"));
        QCOMPARE(q.FieldByName("DisplayDate").DisplayText(), QString("01-Feb-2004"));
        QCOMPARE(q.DisplayTextAt(1, 1), QString("02-Feb-2004"));
        QCOMPARE(q.FieldByName("DisplayDate").DisplayText(), QString("01-Feb-2004"));
        QCOMPARE(calculations, 2);  // once a row until the row changes
        // A calculated field follows the pending values while editing, and cannot be set.
        q.Edit();
        q.FieldByName("TRANSACTION_DATE").SetAsInteger(38020);
        QCOMPARE(q.FieldByName("DisplayDate").AsDate(), QDate(2004, 2, 3));
        QVERIFY_THROWS_EXCEPTION(EDatasetError, q.FieldByName("DisplayDate").SetAsDate(QDate(2000, 1, 1)));
        q.Cancel();
        QCOMPARE(q.FieldByName("DisplayDate").AsDate(), QDate(2004, 2, 1));
    }

    void lookupFields()
    {
        TTestBook book;
        AddExpenses(book);
        AddLine(book, 38018, 1, 7, 10000);
        AddLine(book, 38018, 2, 9, 10000);
        AddLine(book, 38018, 3, 42, 10000);  // its expense was deleted
        TQuery names("qryGetExpensesDescription", book.Connection(),
                     "SELECT * FROM EXPENSE ORDER BY EXPENSE_DESCRIPTION");
        TQuery lines("qryGetTransactionExpenses", book.Connection(), LinesSql);
        lines.AddField("DAILY_EXPENSE_ID");
        lines.AddField("EXPENSE_ID").Visible = false;
        lines
            .AddLookupField("ExpenseDescription", TFieldType::String, &names, "EXPENSE_ID", "EXPENSE_ID",
                            "EXPENSE_DESCRIPTION")
            .DisplayLabel = "Expense";
        lines.Open();
        QVERIFY(names.Active());  // opened with the set, not by the first read
        QCOMPARE(lines.FieldCount(), 3);
        QCOMPARE(lines.FieldByName("ExpenseDescription").AsString(), QString("RENT"));
        QCOMPARE(lines.DisplayTextAt(1, 2), QString("ELEVATOR"));
        QVERIFY(lines.ValueAt(2, 2).IsNull());
        // A changed description shows once the lookup list is read again.
        QSignalSpy lookups(&lines, &TDataSet::LookupsChanged);
        book.Exec("UPDATE EXPENSE SET EXPENSE_DESCRIPTION = 'LIFT' WHERE EXPENSE_ID = 9");
        QCOMPARE(lines.DisplayTextAt(1, 2), QString("ELEVATOR"));
        names.Requery();
        QCOMPARE(lines.DisplayTextAt(1, 2), QString("LIFT"));
        QCOMPARE(lookups.count(), 1);
        // So does a description changed, added or removed through the list itself.
        QVERIFY(names.Locate("EXPENSE_ID", {TValue(7)}));
        names.Edit();
        names.FieldByName("EXPENSE_DESCRIPTION").SetAsString("LEASE");
        QCOMPARE(lines.DisplayTextAt(0, 2), QString("RENT"));  // not until it is stored
        names.Post();
        QCOMPARE(lines.DisplayTextAt(0, 2), QString("LEASE"));
        QCOMPARE(lookups.count(), 2);
        names.Delete();
        QVERIFY(lines.ValueAt(0, 2).IsNull());
        names.Insert();
        names.FieldByName("EXPENSE_ID").SetAsInteger(42);
        names.FieldByName("EXPENSE_DESCRIPTION").SetAsString("WATER");
        names.FieldByName("EXPENSE_TYPE_ID").SetAsInteger(1);
        names.Post();
        QCOMPARE(lines.DisplayTextAt(2, 2), QString("WATER"));
        QVERIFY_THROWS_EXCEPTION(EDatasetError, lines.FieldByName("ExpenseDescription").SetAsString("X"));
    }

    // Reading a value changes nothing: a lookup list closed under an open set stays closed
    // however often the set's rows are read, and they show what the list last held.
    void readingOpensNoLookupList()
    {
        TTestBook book;
        AddExpenses(book);
        AddLine(book, 38018, 1, 9, 10000);
        TQuery names("qryGetExpensesDescription", book.Connection(), "SELECT * FROM EXPENSE");
        TQuery lines("qryGetTransactionExpenses", book.Connection(), LinesSql);
        lines.AddField("EXPENSE_ID");
        lines.AddLookupField("ExpenseDescription", TFieldType::String, &names, "EXPENSE_ID", "EXPENSE_ID",
                             "EXPENSE_DESCRIPTION");
        lines.Open();
        names.Close();
        QSignalSpy opened(&names, &TDataSet::ActiveChanged);
        QCOMPARE(lines.DisplayTextAt(0, 1), QString("ELEVATOR"));
        QCOMPARE(lines.FieldByName("ExpenseDescription").AsString(), QString("ELEVATOR"));
        QVERIFY(!names.Active());
        QCOMPARE(opened.count(), 0);
        // Opened again with the set.
        lines.Close();
        lines.Open();
        QVERIFY(names.Active());
    }

    void declaredFieldsMustBeInTheResult()
    {
        TTestBook book;
        TQuery q("qryBad", book.Connection(), "SELECT EXPENSE_ID FROM EXPENSE");
        q.AddField("EXPENSE_DESCRIPTION");
        QVERIFY_THROWS_EXCEPTION(EDatasetError, q.Open());
        QVERIFY(!q.Active());
    }

    void engineErrorsOnOpen()
    {
        TTestBook book;
        TQuery q("qryBad", book.Connection(), "SELECT NOPE FROM EXPENSE");
        try {
            q.Open();
            QFAIL("opened");
        } catch (const EDatabaseError& e) {
            QVERIFY2(e.Message().contains("no such column"), qPrintable(e.Message()));
        }
        QVERIFY(!q.Active());
    }

    void notifications()
    {
        TTestBook book;
        AddLine(book, 38018, 1, 7, 10000);
        AddLine(book, 38019, 1, 7, 10000);
        TQuery q("qryLines", book.Connection(), LinesSql);
        TDataSource ds("dsLines", &q);
        QSignalSpy changed(&ds, &TDataSource::DataSetChanged);
        QSignalSpy scrolled(&ds, &TDataSource::Scrolled);
        QSignalSpy record(&ds, &TDataSource::RecordChanged);
        q.Open();
        QCOMPARE(changed.count(), 1);
        q.Next();
        QCOMPARE(scrolled.last().at(0).toInt(), 1);
        q.Edit();
        q.FieldByName("REFERENCE").SetAsString("A");
        QCOMPARE(record.last().at(0).toInt(), 1);
        q.Post();
        q.SetFiltered(true);
        QCOMPARE(changed.count(), 2);
        TQuery other("qryOther", book.Connection(), LinesSql);
        QSignalSpy replaced(&ds, &TDataSource::DataSetReplaced);
        ds.SetDataSet(&other);
        QCOMPARE(replaced.count(), 1);
        q.Requery();
        QCOMPARE(changed.count(), 2);  // no longer bound to the first set
    }

    void oldValueIsTheRowAsStored()
    {
        TTestBook book;
        AddLine(book, 38018, 1, 7, 10000);
        TQuery q("qryLines", book.Connection(), LinesSql);
        q.Open();
        const TField& amount = q.FieldByName("EXPENSE_AMOUNT");
        QCOMPARE(amount.OldValue(), TValue(10000));
        q.Edit();
        q.FieldByName("EXPENSE_AMOUNT").SetAsString("2");
        QCOMPARE(amount.Value(), TValue(20000));
        QCOMPARE(amount.OldValue(), TValue(10000));
        q.Post();
        QCOMPARE(amount.OldValue(), TValue(20000));
        q.Insert();
        q.FieldByName("EXPENSE_AMOUNT").SetAsString("3");
        QVERIFY(amount.OldValue().IsNull());
    }

    // A step taken on a set inside a transaction is undone in the set when the transaction,
    // or the savepoint it was taken in, rolls back: the set shows the book again, a row
    // posted there is pending again with what it held at the post, and posting it again
    // stores it once. Kept transactions keep the step.
    void rowsFollowTheBookBack_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QString>("ending");
        QTest::addColumn<bool>("undone");
        const char* operations[] = {"insert",
                                    "edit",
                                    "edit of the key",
                                    "delete",
                                    "insert, refresh",
                                    "edit, refresh",
                                    "delete, refresh",
                                    "open after a write",
                                    "insert, another begun"};
        const std::pair<const char*, bool> endings[] = {{"no transaction", false},
                                                        {"committed", false},
                                                        {"rolled back", true},
                                                        {"rolled back by its destructor", true},
                                                        {"savepoint rolled back, outer committed", true},
                                                        {"savepoint released, outer rolled back", true},
                                                        {"savepoint released, outer committed", false}};
        for (const char* operation : operations)
            for (const auto& [ending, undone] : endings) {
                if (QByteArray(operation) == "open after a write" && QByteArray(ending) == "no transaction")
                    continue;
                QTest::addRow("%s, %s", operation, ending) << QString(operation) << QString(ending) << undone;
            }
    }
    void rowsFollowTheBookBack()
    {
        QFETCH(QString, operation);
        QFETCH(QString, ending);
        QFETCH(bool, undone);
        TTestBook book;
        AddLine(book, 38018, 1, 7, 10000);
        AddLine(book, 38019, 1, 8, 20000);
        AddLine(book, 38020, 1, 9, 30000);
        TQuery q("qryLines", book.Connection(), LinesSql);
        const bool opening = operation == "open after a write";
        if (!opening) {
            q.Open();
            q.MoveTo(1);
        }
        const QStringList before = BookLines(book);
        const bool inserting = operation.startsWith("insert");
        const bool editing = operation.startsWith("edit");

        std::optional<TTransaction> outer, inner;
        if (ending != "no transaction")
            outer.emplace(book.Connection());
        if (ending.startsWith("savepoint"))
            inner.emplace(book.Connection());
        if (inserting) {
            q.Insert();
            q.FieldByName("YYYY").SetAsInteger(2004);
            q.FieldByName("MM").SetAsInteger(2);
            q.FieldByName("TRANSACTION_DATE").SetAsInteger(38021);
            q.FieldByName("DAILY_EXPENSE_ID").SetAsInteger(1);
            q.FieldByName("EXPENSE_ID").SetAsInteger(9);
            q.FieldByName("EXPENSE_AMOUNT").SetAsString("4");
            q.FieldByName("NOTE").SetAsString("mine");
            q.Post();
        } else if (editing) {
            q.Edit();
            q.FieldByName("EXPENSE_AMOUNT").SetAsString("5.5");
            q.FieldByName("NOTE").SetAsString("mine");
            if (operation == "edit of the key")
                q.FieldByName("DAILY_EXPENSE_ID").SetAsInteger(7);
            q.Post();
        } else if (operation.startsWith("delete")) {
            q.Delete();
        } else if (opening) {
            book.Exec("UPDATE DAILY_EXPENSE SET NOTE = 'written' WHERE TRANSACTION_DATE = 38019");
            q.Open();
            QCOMPARE(q.RecordCount(), 3);
        }
        if (operation.endsWith("refresh"))
            q.Requery();
        if (operation.endsWith("another begun")) {
            q.Insert();
            q.FieldByName("NOTE").SetAsString("never stored");
        }

        if (ending == "committed") {
            outer->Commit();
        } else if (ending == "rolled back") {
            outer->Rollback();
        } else if (ending == "rolled back by its destructor") {
            outer.reset();
        } else if (ending == "savepoint rolled back, outer committed") {
            inner->Rollback();
            outer->Commit();
        } else if (ending == "savepoint released, outer rolled back") {
            inner->Commit();
            outer->Rollback();
        } else if (ending == "savepoint released, outer committed") {
            inner->Commit();
            outer->Commit();
        }
        QCOMPARE(book.Connection().TransactionDepth(), 0);

        if (!undone) {
            if (operation.endsWith("another begun")) {
                QVERIFY(q.IsInserting());  // kept as it was, never stored
                q.Cancel();
            }
            QVERIFY(!q.IsEditing());
            QCOMPARE(StoredLines(q), BookLines(book));
            const int added = inserting ? 1 : operation.startsWith("delete") ? -1 : 0;
            QCOMPARE(BookLines(book).size(), before.size() + added);
            return;
        }
        QCOMPARE(BookLines(book), before);
        if (opening) {
            QVERIFY(!q.Active());  // as it was when the transaction began
            return;
        }
        QCOMPARE(StoredLines(q), before);
        if (inserting || editing) {
            QCOMPARE(q.State(), inserting ? TDataSetState::Insert : TDataSetState::Edit);
            QCOMPARE(q.FieldByName("NOTE").AsString(), QString("mine"));
            QCOMPARE(q.FieldByName("EXPENSE_AMOUNT").AsMoney(), Money::Parse(inserting ? "4" : "5.5"));
            if (editing)
                QCOMPARE(q.FieldByName("DAILY_EXPENSE_ID").OldValue(), TValue(1));
            // Saved again, it is stored once.
            q.Post();
            QCOMPARE(book.Scalar("SELECT count(*) FROM DAILY_EXPENSE WHERE NOTE = 'mine'").toInt(), 1);
            QCOMPARE(book.Scalar("SELECT count(*) FROM DAILY_EXPENSE").toInt(), before.size() + (inserting ? 1 : 0));
        } else {
            // The deleted row stands where it stood, as the current row.
            QVERIFY(!q.IsEditing());
            QCOMPARE(q.CurrentIndex(), 1);
            QCOMPARE(q.FieldByName("TRANSACTION_DATE").AsInteger(), 38019);
            q.Delete();
        }
        QCOMPARE(StoredLines(q), BookLines(book));
    }

    // What a rolled-back post does to the signals: the controls bound to the set are told
    // its rows and state changed.
    void rollbackTellsTheBoundControls()
    {
        TTestBook book;
        AddLine(book, 38018, 1, 7, 10000);
        TQuery q("qryLines", book.Connection(), LinesSql);
        q.Open();
        q.Edit();
        q.FieldByName("EXPENSE_AMOUNT").SetAsString("2");
        TTransaction t(book.Connection());
        q.Post();
        QSignalSpy state(&q, &TDataSet::StateChanged);
        QSignalSpy rows(&q, &TDataSet::DataSetChanged);
        t.Rollback();
        QVERIFY(q.IsEditing());
        QVERIFY(state.count() >= 1);
        QVERIFY(rows.count() >= 1);
        QCOMPARE(q.FieldByName("EXPENSE_AMOUNT").AsMoney(), Money::Parse("2"));
    }

    void navigationWhileEditingIsRefused()
    {
        TTestBook book;
        AddLine(book, 38018, 1, 7, 10000);
        AddLine(book, 38019, 1, 7, 10000);
        TQuery q("qryLines", book.Connection(), LinesSql);
        q.Open();
        q.Edit();
        QVERIFY_THROWS_EXCEPTION(EDatasetError, q.Next());
        QVERIFY_THROWS_EXCEPTION(EDatasetError, q.SetFilter("EXPENSE_ID = 7"));
        QVERIFY(q.IsEditing());
        q.Close();  // closing drops the pending edit
        QVERIFY(!q.IsEditing());
        QVERIFY_THROWS_EXCEPTION(EDatasetError, q.Edit());
    }
};

QTEST_GUILESS_MAIN(TestDataSet)
#include "tst_dataset.moc"
