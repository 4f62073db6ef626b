// Data-aware controls on their own: what they show while browsing and editing, and what
// they write back when the row is posted.
#include "DBControls.h"
#include "Errors.h"
#include "Formats.h"
#include "Query.h"
#include "TestBook.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QtTest>
#include <optional>

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

    // A new line numbered `number`, left pending.
    void Add(int number)
    {
        query.Insert();
        query.FieldByName("YYYY").SetAsInteger(2004);
        query.FieldByName("MM").SetAsInteger(2);
        query.FieldByName("TRANSACTION_DATE").SetAsInteger(38018);
        query.FieldByName("DAILY_EXPENSE_ID").SetAsInteger(number);
        query.FieldByName("EXPENSE_AMOUNT").SetAsString("7");
    }
};

// Each row of a model as the grid shows it.
QStringList ModelRows(const QAbstractItemModel& model)
{
    QStringList rows;
    for (int r = 0; r < model.rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < model.columnCount(); ++c)
            cells << model.data(model.index(r, c)).toString();
        rows << cells.join('|');
    }
    return rows;
}

// Each row of a set as a grid over it should show it.
QStringList SetRows(TDataSet& ds)
{
    QStringList rows;
    for (int r = 0; ds.Active() && r < ds.RecordCount(); ++r) {
        QStringList cells;
        for (int f = 0; f < ds.FieldCount(); ++f)
            if (ds.Fields(f).Visible)
                cells << ds.DisplayTextAt(r, f);
        rows << cells.join('|');
    }
    return rows;
}

// What a grid model tells its views, in order: "inserted 1-1", "removed 0-0", "changed
// 2-2" (rows first to last) or "reset".
struct TModelSignals {
    explicit TModelSignals(QAbstractItemModel& model)
    {
        auto rows = [this](const char* what) {
            return [this, what](const QModelIndex&, int first, int last) {
                told << QStringLiteral("%1 %2-%3").arg(QLatin1String(what)).arg(first).arg(last);
            };
        };
        QObject::connect(&model, &QAbstractItemModel::rowsInserted, &context, rows("inserted"));
        QObject::connect(&model, &QAbstractItemModel::rowsRemoved, &context, rows("removed"));
        QObject::connect(&model, &QAbstractItemModel::dataChanged, &context,
                         [this](const QModelIndex& from, const QModelIndex& to) {
                             told << QStringLiteral("changed %1-%2").arg(from.row()).arg(to.row());
                         });
        QObject::connect(&model, &QAbstractItemModel::modelReset, &context, [this] { told << "reset"; });
    }
    QStringList told;
    QObject context;  // goes first, and the connections with it
};

// Runs `step` as a unit of work whose next step fails: the transaction rolls back.
void InFailingTransaction(TTestBook& book, const std::function<void()>& step)
{
    TTransaction t(book.Connection());
    step();
    QVERIFY_THROWS_EXCEPTION(EZorpError, book.Exec("UPDATE NO_SUCH_TABLE SET X = 1"));
}
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

    // The toolkit's model tester watches the grid model through every kind of step, and
    // the model shows the set's rows after each.
    void gridModelKeepsItsViewsInStep()
    {
        TTestBook book;
        TLines lines(book);
        TDataSet& q = lines.query;
        q.Close();
        TDBGridModel model;
        model.SetDataSource(&lines.source);
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
        q.Open();
        QCOMPARE(ModelRows(model), SetRows(q));
        QCOMPARE(model.rowCount(), 2);
        q.MoveTo(1);
        lines.Add(3);
        QCOMPARE(ModelRows(model), SetRows(q));
        QCOMPARE(model.rowCount(), 3);
        q.Cancel();
        QCOMPARE(ModelRows(model), SetRows(q));
        QCOMPARE(model.rowCount(), 2);
        lines.Add(3);
        q.Post();
        QCOMPARE(ModelRows(model), SetRows(q));
        q.Edit();
        q.FieldByName("REFERENCE").SetAsString("R-9");
        q.Post();
        QCOMPARE(ModelRows(model), SetRows(q));
        QVERIFY(ModelRows(model).join('\n').contains("R-9"));
        q.Delete();
        QCOMPARE(ModelRows(model), SetRows(q));
        QCOMPARE(model.rowCount(), 2);
        q.SetFilter("DAILY_EXPENSE_ID <> 1");
        q.SetFiltered(true);
        QCOMPARE(ModelRows(model), SetRows(q));
        QCOMPARE(model.rowCount(), 1);
        q.SetFiltered(false);
        q.Close();
        QCOMPARE(model.rowCount(), 0);
        q.Open();
        QCOMPARE(ModelRows(model), SetRows(q));
        // Steps the book takes back: the post of a new line, a delete, a refresh.
        q.First();
        InFailingTransaction(book, [&] {
            lines.Add(4);
            q.Post();
        });
        QVERIFY(q.IsInserting());
        QCOMPARE(ModelRows(model), SetRows(q));
        QCOMPARE(model.rowCount(), 3);
        q.Cancel();
        QCOMPARE(ModelRows(model), SetRows(q));
        InFailingTransaction(book, [&] { q.Delete(); });
        QCOMPARE(ModelRows(model), SetRows(q));
        QCOMPARE(model.rowCount(), 2);
        InFailingTransaction(book, [&] { q.Requery(); });
        QCOMPARE(ModelRows(model), SetRows(q));
    }

    // Which signals each step on the set sends to the grid's views: rows that come and go
    // alone are told row by row; a full reset only when every row is read again.
    void rowLevelChanges_data()
    {
        QTest::addColumn<QString>("step");
        QTest::addColumn<QStringList>("told");
        const QStringList one = {"changed 1-1"};
        QTest::newRow("insert") << "insert" << QStringList {"inserted 1-1"};
        QTest::newRow("field set") << "field set" << one;
        QTest::newRow("cancel of an insert") << "cancel of an insert" << QStringList {"removed 1-1"};
        QTest::newRow("cancel of an edit") << "cancel of an edit" << one;
        QTest::newRow("post of an insert") << "post of an insert" << one;
        QTest::newRow("post of an edit") << "post of an edit" << one;
        QTest::newRow("delete") << "delete" << QStringList {"removed 1-1"};
        QTest::newRow("rolled back: post of an insert") << "rolled back: post of an insert" << one;
        QTest::newRow("rolled back: post of an edit") << "rolled back: post of an edit" << one;
        QTest::newRow("rolled back: delete") << "rolled back: delete" << QStringList {"inserted 1-1"};
        QTest::newRow("rolled back: refresh") << "rolled back: refresh" << QStringList {"reset", "reset"};
        QTest::newRow("filter") << "filter" << QStringList {"reset"};
        QTest::newRow("refresh") << "refresh" << QStringList {"reset", "reset"};
    }
    void rowLevelChanges()
    {
        QFETCH(QString, step);
        QFETCH(QStringList, told);
        TTestBook book;
        TLines lines(book);
        TDataSet& q = lines.query;
        TDBGridModel model;
        model.SetDataSource(&lines.source);
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
        q.MoveTo(1);
        // What the step starts from; a rolled-back step is taken inside the transaction.
        const bool rolledBack = step.startsWith("rolled back: ");
        const QString action = rolledBack ? step.mid(13) : step;
        std::optional<TTransaction> transaction;
        if (rolledBack)
            transaction.emplace(book.Connection());
        if (action.contains("of an insert"))
            lines.Add(3);
        if (action.contains("of an edit") || action == "field set") {
            q.Edit();
            q.FieldByName("REFERENCE").SetAsString("R-1");
        }
        std::optional<TModelSignals> signals_;
        if (!rolledBack)
            signals_.emplace(model);
        if (action == "insert")
            q.Insert();
        else if (action == "field set")
            q.FieldByName("REFERENCE").SetAsString("R-2");
        else if (action.startsWith("cancel"))
            q.Cancel();
        else if (action.startsWith("post"))
            q.Post();
        else if (action == "delete")
            q.Delete();
        else if (action == "filter")
            q.SetFiltered(true);
        else if (action == "refresh")
            q.Requery();
        if (rolledBack) {
            signals_.emplace(model);
            transaction->Rollback();
        }
        QCOMPARE(signals_->told, told);
        QCOMPARE(ModelRows(model), SetRows(q));
    }

    // Another view over the grid's rows keeps its current and selected row, the same
    // line, while a line is added before it and dropped again.
    void viewsKeepTheirPlaceAcrossAnInsert()
    {
        TTestBook book;
        TLines lines(book);
        TDBGrid grid;
        grid.SetDataSource(&lines.source);
        QTableView view;
        view.setModel(grid.GridModel());
        view.setSelectionBehavior(QAbstractItemView::SelectRows);
        view.setCurrentIndex(view.model()->index(1, 3));
        view.selectRow(1);
        const QString line = view.currentIndex().siblingAtColumn(3).data().toString();
        QCOMPARE(line, QString("2"));
        lines.query.First();
        lines.Add(3);
        QCOMPARE(view.currentIndex().row(), 2);
        QCOMPARE(view.currentIndex().siblingAtColumn(3).data().toString(), line);
        QVERIFY(view.selectionModel()->isRowSelected(2));
        QCOMPARE(grid.currentIndex().row(), 0);  // the grid itself is on the new line
        lines.query.Cancel();
        QCOMPARE(view.currentIndex().row(), 1);
        QCOMPARE(view.currentIndex().siblingAtColumn(3).data().toString(), line);
        QVERIFY(view.selectionModel()->isRowSelected(1));
    }
};

QTEST_MAIN(TestDBControls)
#include "tst_DBControls.moc"
