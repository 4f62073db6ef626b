// Data-aware controls on their own: what they show while browsing and editing, and what
// they write back when the row is posted.
#include "DBControls.h"
#include "Errors.h"
#include "Formats.h"
#include "Query.h"
#include "TestBook.h"

#include <QtTest>

namespace {
struct TLines {
    explicit TLines(TTestBook& book)
        : query("qryLines", book.Connection(),
                "SELECT YYYY, MM, TRANSACTION_DATE, DAILY_EXPENSE_ID, EXPENSE_AMOUNT, REFERENCE, NOTE FROM "
                "DAILY_EXPENSE ORDER BY DAILY_EXPENSE_ID"),
          source("dsLines", &query)
    {
        book.Exec("INSERT INTO DAILY_EXPENSE (YYYY, MM, TRANSACTION_DATE, DAILY_EXPENSE_ID, EXPENSE_AMOUNT, NOTE) "
                  "VALUES (2004, 2, 38018, 1, 12345000, 'first'), (2004, 2, 38018, 2, -5000, NULL)");
        query.AddField("YYYY");
        query.AddField("MM");
        query.AddField("TRANSACTION_DATE");
        query.AddField("DAILY_EXPENSE_ID");
        TField& amount = query.AddField("EXPENSE_AMOUNT");
        amount.DisplayFormat = Masks::Money;
        amount.EditFormat = Masks::MoneyEdit;
        query.AddField("REFERENCE");
        query.AddField("NOTE");
        amount_edit.SetDataSource(&source);
        amount_edit.SetDataField("EXPENSE_AMOUNT");
        reference.SetDataSource(&source);
        reference.SetDataField("REFERENCE");
        note.SetDataSource(&source);
        note.SetDataField("NOTE");
        query.Open();
    }
    TQuery query;
    TDataSource source;
    TDBEdit amount_edit;
    TDBEdit reference;
    TDBMemo note;
};
}  // namespace

class TestDBControls : public QObject {
    Q_OBJECT
private slots:
    void init() { FormatSettings() = TFormatSettings(); }

    void followTheCurrentRow()
    {
        TTestBook book;
        TLines lines(book);
        QCOMPARE(lines.amount_edit.text(), QString("1,234.50"));
        QCOMPARE(lines.note.toPlainText(), QString("first"));
        QVERIFY(lines.amount_edit.isReadOnly());
        QCOMPARE(lines.reference.maxLength(), 20);
        lines.query.Next();
        QCOMPARE(lines.amount_edit.text(), QString("-0.50"));
        QCOMPARE(lines.note.toPlainText(), QString());
        lines.query.Close();
        QCOMPARE(lines.amount_edit.text(), QString());
    }

    void editFormatWhileEditing()
    {
        TTestBook book;
        TLines lines(book);
        lines.query.Edit();
        QCOMPARE(lines.amount_edit.text(), QString("1234.50"));
        QVERIFY(!lines.amount_edit.isReadOnly());
        lines.query.Cancel();
        QCOMPARE(lines.amount_edit.text(), QString("1,234.50"));
    }

    void typedTextIsWrittenOnPost()
    {
        TTestBook book;
        TLines lines(book);
        lines.query.Edit();
        lines.amount_edit.selectAll();
        QTest::keyClicks(&lines.amount_edit, "99.95");
        lines.note.setFocus();
        lines.note.selectAll();
        QTest::keyClicks(&lines.note, "paid in cash");
        QTest::keyClicks(&lines.reference, "R-7");
        QVERIFY(book.Scalar("SELECT REFERENCE FROM DAILY_EXPENSE WHERE DAILY_EXPENSE_ID = 1").isNull());
        lines.query.Post();
        QCOMPARE(book.Scalar("SELECT EXPENSE_AMOUNT || '/' || REFERENCE || '/' || NOTE FROM DAILY_EXPENSE WHERE "
                             "DAILY_EXPENSE_ID = 1")
                     .toString(),
                 QString("999500/R-7/paid in cash"));
        QCOMPARE(lines.amount_edit.text(), QString("99.95"));
    }

    void clearedMemoStoresNoNote()
    {
        TTestBook book;
        TLines lines(book);
        lines.query.Edit();
        lines.note.clear();
        lines.query.Post();
        QVERIFY(book.Scalar("SELECT NOTE FROM DAILY_EXPENSE WHERE DAILY_EXPENSE_ID = 1").isNull());
    }

    void textThatDoesNotConvertStopsThePost()
    {
        TTestBook book;
        TLines lines(book);
        lines.query.Edit();
        lines.amount_edit.selectAll();
        QTest::keyClicks(&lines.amount_edit, "lots");
        QTest::keyClicks(&lines.reference, "R-8");
        QVERIFY_THROWS_EXCEPTION(EConvertError, lines.query.Post());
        QVERIFY(lines.query.IsEditing());
        QCOMPARE(lines.amount_edit.text(), QString("lots"));  // kept for correcting
        QVERIFY(book.Scalar("SELECT REFERENCE FROM DAILY_EXPENSE WHERE DAILY_EXPENSE_ID = 1").isNull());
    }

    void gridFollowsAndLeads()
    {
        TTestBook book;
        TLines lines(book);
        TDBGrid grid;
        grid.SetDataSource(&lines.source);
        grid.show();
        QCOMPARE(grid.model()->columnCount(), 7);
        QCOMPARE(grid.model()->headerData(4, Qt::Horizontal).toString(), QString("EXPENSE_AMOUNT"));
        QCOMPARE(grid.model()->data(grid.model()->index(1, 4)).toString(), QString("-0.50"));
        QCOMPARE(grid.currentIndex().row(), 0);
        lines.query.Last();
        QCOMPARE(grid.currentIndex().row(), 1);
        grid.setCurrentIndex(grid.model()->index(0, 0));
        QCOMPARE(lines.query.CurrentIndex(), 0);
        QCOMPARE(lines.amount_edit.text(), QString("1,234.50"));
        lines.query.Edit();
        QCOMPARE(grid.model()->headerData(0, Qt::Vertical).toString(), QString("I"));
    }
};

QTEST_MAIN(TestDBControls)
#include "tst_DBControls.moc"
