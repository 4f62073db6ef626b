// The browse-and-edit screen base and the reference screens, driven through their widgets.
#include "Errors.h"
#include "ScreenDriver.h"
#include "ScriptedDialogs.h"
#include "TestBook.h"
#include "frm_Expense.h"
#include "frm_ExpenseType.h"
#include "frm_Sales.h"
#include "sql_Sales.h"
#include "tbl_Resource.h"

#include <QDir>
#include <QLineEdit>
#include <memory>
#include <QtTest>

namespace {

// A screen over the income items that records its hooks and can be told to refuse or fail.
class TProbeScreen : public TfrmBaseDBGrid {
public:
    explicit TProbeScreen(bool atEnd = false) : m_atEnd(atEnd)
    {
        setWindowTitle("Probe");
        edDescription = new TDBEdit(RecordArea);
        edDescription->setGeometry(8, 8, 200, 24);
        dbGridBrowser->SetDataSource(dmSales->dsGetAllSales);
        edDescription->SetDataSource(dmSales->dsGetAllSales);
        edDescription->SetDataField("SALES_DESCRIPTION");
        FormCreate();
    }
    TDBEdit* edDescription;
    QStringList calls;
    int recordChangedRow = -2;
    bool valid = true;
    bool failAfterSave = false;
    bool failAfterDelete = false;

protected:
    void RecordChanged() override
    {
        TfrmBaseDBGrid::RecordChanged();
        calls << "RecordChanged";
        recordChangedRow = DataSet()->CurrentIndex();
    }
    bool PositionAtEnd() override { return m_atEnd; }
    bool ValidateRecord() override { return valid; }
    void BeforeSave() override
    {
        calls << "BeforeSave";
        TDataSet& ds = *DataSet();
        if (ds.IsInserting())
            ds.FieldByName("SALES_ID").SetAsInteger(IncrementResource("SALES_ID"));
    }
    void AfterSave() override
    {
        calls << "AfterSave";
        if (failAfterSave)
            throw EDatabaseError("disk full");
    }
    void AfterDelete() override
    {
        calls << "AfterDelete";
        if (failAfterDelete)
            throw EDatabaseError("disk full");
    }

private:
    bool m_atEnd;
};

void AddItems(TTestBook& book, int count)
{
    for (int i = 1; i <= count; ++i)
        book.Exec(QStringLiteral("INSERT INTO SALES (SALES_ID, SALES_DESCRIPTION, TAXABLE, AMOUNT) "
                                 "VALUES (%1, 'ITEM %1', 'Y', %2)")
                      .arg(i)
                      .arg(i * 10000));
}

int Count(TTestBook& book, const char* sql)
{
    return book.Scalar(sql).toInt();
}

}  // namespace

class TestRecordScreens : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { ShotsFolder(); }

    void emptyDataset()
    {
        TTestBook book;
        TScriptedDialogsScope dialogs;
        TProbeScreen screen;
        screen.show();
        QVERIFY(!screen.btnEdit->isEnabled());
        QVERIFY(!screen.btnDelete->isEnabled());
        QVERIFY(screen.btnAdd->isEnabled());
        QVERIFY(screen.pnlRecordButtons->isHidden());
        QVERIFY(!screen.pnlRecord->isEnabled());
        QTest::mouseDClick(screen.dbGridBrowser->viewport(), Qt::LeftButton);
        QCOMPARE(dialogs->MessageTexts(), QStringList {"No data"});
    }

    void positionAtEnd_data()
    {
        QTest::addColumn<int>("rows");
        QTest::addColumn<bool>("atEnd");
        QTest::addColumn<int>("current");
        QTest::newRow("one row") << 1 << true << 0;
        QTest::newRow("several rows") << 3 << true << 2;
        QTest::newRow("first row without it") << 3 << false << 0;
    }
    void positionAtEnd()
    {
        QFETCH(int, rows);
        QFETCH(bool, atEnd);
        QFETCH(int, current);
        TTestBook book;
        AddItems(book, rows);
        TScriptedDialogsScope dialogs;
        TProbeScreen screen(atEnd);
        screen.show();
        QCOMPARE(screen.DataSet()->CurrentIndex(), current);
        QVERIFY(!screen.DataSet()->Eof());
        QVERIFY(screen.btnEdit->isEnabled());
        QVERIFY(screen.btnDelete->isEnabled());
        QCOMPARE(screen.recordChangedRow, current);
        QCOMPARE(screen.dbGridBrowser->currentIndex().row(), current);
        QTest::mouseDClick(screen.dbGridBrowser->viewport(), Qt::LeftButton);
        QVERIFY(dialogs->Messages().isEmpty());
    }

    void downArrowOnTheLastRow()
    {
        TTestBook book;
        AddItems(book, 2);
        TScriptedDialogsScope dialogs;
        TProbeScreen screen;
        screen.show();
        screen.dbGridBrowser->setFocus();
        QTest::keyClick(screen.dbGridBrowser, Qt::Key_Down);
        QCOMPARE(screen.DataSet()->CurrentIndex(), 1);
        QVERIFY(screen.btnEdit->isEnabled());
        QTest::keyClick(screen.dbGridBrowser, Qt::Key_Down);
        QVERIFY(screen.DataSet()->Eof());
        QVERIFY(!screen.btnEdit->isEnabled());
        QVERIFY(!screen.btnDelete->isEnabled());
        QTest::mouseDClick(screen.dbGridBrowser->viewport(), Qt::LeftButton, {}, QPoint(1, 1000));
        QCOMPARE(dialogs->MessageTexts(), QStringList {"No data"});
        ClickRow(screen.dbGridBrowser, 1);  // back onto a row
        QVERIFY(!screen.DataSet()->Eof());
        QVERIFY(screen.btnEdit->isEnabled());
    }

    void navigatorMovesThePanelToo()
    {
        TTestBook book;
        AddItems(book, 3);
        TScriptedDialogsScope dialogs;
        TProbeScreen screen;
        screen.show();
        screen.calls.clear();
        Click(screen.dbGridNavigator->Button(TDBNavigator::nbLast));
        QCOMPARE(screen.dbGridBrowser->currentIndex().row(), 2);
        QCOMPARE(screen.edDescription->text(), QString("ITEM 3"));
        QCOMPARE(screen.calls, QStringList {"RecordChanged"});
        QCOMPARE(screen.recordChangedRow, 2);
        // Last lands on the last row itself, so Edit works on it; Next has nowhere to go.
        QVERIFY(!screen.DataSet()->Eof());
        QVERIFY(screen.btnEdit->isEnabled());
        QVERIFY(!screen.dbGridNavigator->Button(TDBNavigator::nbNext)->isEnabled());
        QVERIFY(!screen.dbGridNavigator->Button(TDBNavigator::nbLast)->isEnabled());
        Click(screen.dbGridNavigator->Button(TDBNavigator::nbPrior));
        QCOMPARE(screen.recordChangedRow, 1);
        QVERIFY(screen.dbGridNavigator->Button(TDBNavigator::nbNext)->isEnabled());
    }

    void declineDelete()
    {
        TTestBook book;
        AddItems(book, 2);
        TScriptedDialogsScope dialogs;
        TProbeScreen screen;
        screen.show();
        screen.calls.clear();
        dialogs->AnswerConfirmation(mrCancel);
        Click(screen.btnDelete);
        QCOMPARE(dialogs->MessageTexts(), QStringList {"Delete record?"});
        QCOMPARE(Count(book, "SELECT count(*) FROM SALES"), 2);
        QCOMPARE(screen.calls, (QStringList {"AfterDelete", "RecordChanged"}));
    }

    void confirmDelete()
    {
        TTestBook book;
        AddItems(book, 2);
        TScriptedDialogsScope dialogs;
        TProbeScreen screen;
        screen.show();
        dialogs->AnswerConfirmation(mrOk);
        Click(screen.btnDelete);
        QCOMPARE(Count(book, "SELECT count(*) FROM SALES"), 1);
        QCOMPARE(screen.DataSet()->RecordCount(), 1);
    }

    void failedDeleteKeepsTheRow()
    {
        TTestBook book;
        AddItems(book, 2);
        TScriptedDialogsScope dialogs;
        TProbeScreen screen;
        screen.show();
        screen.failAfterDelete = true;
        dialogs->AnswerConfirmation(mrOk);
        Click(screen.btnDelete);
        QCOMPARE(dialogs->MessageTexts(), (QStringList {"Delete record?", "disk full"}));
        QCOMPARE(Count(book, "SELECT count(*) FROM SALES"), 2);
        QCOMPARE(screen.DataSet()->RecordCount(), 2);  // the screen shows what is stored
    }

    void validationKeepsEditMode()
    {
        TTestBook book;
        AddItems(book, 1);
        TScriptedDialogsScope dialogs;
        TProbeScreen screen;
        screen.show();
        screen.valid = false;
        Click(screen.btnAdd);
        QVERIFY(!screen.pnlRecordButtons->isHidden());
        QVERIFY(!screen.pnlButtons->isEnabled());
        QVERIFY(!screen.pnldbGrid->isEnabled());
        QTest::keyClicks(screen.edDescription, "SCONES");
        Click(screen.btnSave);
        QVERIFY(screen.DataSet()->IsInserting());
        QVERIFY(!screen.pnlRecordButtons->isHidden());
        QCOMPARE(Count(book, "SELECT count(*) FROM SALES"), 1);
        Click(screen.btnCancel);
        QVERIFY(screen.pnlRecordButtons->isHidden());
        QCOMPARE(screen.DataSet()->RecordCount(), 1);
        QVERIFY(screen.btnAdd->isEnabled());
    }

    void saveReopensOnTheFirstRow()
    {
        TTestBook book;
        AddItems(book, 3);
        TScriptedDialogsScope dialogs;
        TProbeScreen screen(true);
        screen.show();
        QCOMPARE(screen.DataSet()->CurrentIndex(), 2);
        Click(screen.btnEdit);
        screen.edDescription->setFocus();
        screen.edDescription->selectAll();
        QTest::keyClicks(screen.edDescription, "ZUCCHINI");
        Click(screen.btnSave);
        QVERIFY(dialogs->Messages().isEmpty());
        QCOMPARE(book.Scalar("SELECT SALES_DESCRIPTION FROM SALES WHERE SALES_ID = 3").toString(), QString("ZUCCHINI"));
        QCOMPARE(screen.DataSet()->CurrentIndex(), 0);  // reopened; this screen finds no row again
        QVERIFY(screen.pnlRecordButtons->isHidden());
        QVERIFY(screen.btnEdit->isEnabled());
    }

    void enterSavesEscapeCancels()
    {
        TTestBook book;
        TScriptedDialogsScope dialogs;
        TProbeScreen screen;
        screen.show();
        Click(screen.btnAdd);
        screen.edDescription->setFocus();
        QTest::keyClicks(screen.edDescription, "TEA");
        QTest::keyClick(screen.edDescription, Qt::Key_Return);
        QCOMPARE(Count(book, "SELECT count(*) FROM SALES"), 1);
        Click(screen.btnAdd);
        screen.edDescription->setFocus();
        QTest::keyClicks(screen.edDescription, "COFFEE");
        dialogs->AnswerConfirmation(mrOk);  // typed input goes only when the user says so
        QTest::keyClick(screen.edDescription, Qt::Key_Escape);
        QCOMPARE(dialogs->MessageTexts(), QStringList {"Discard the changes to this record?"});
        QVERIFY(!screen.DataSet()->IsEditing());
        QCOMPARE(Count(book, "SELECT count(*) FROM SALES"), 1);
    }

    void failedSaveStoresNothing()
    {
        TTestBook book;
        AddItems(book, 1);
        UpdateResource("SALES_ID", "1");
        TScriptedDialogsScope dialogs;
        TProbeScreen screen;
        screen.show();
        screen.failAfterSave = true;
        Click(screen.btnAdd);
        screen.edDescription->setFocus();
        QTest::keyClicks(screen.edDescription, "SCONES");
        Click(screen.btnSave);
        QCOMPARE(dialogs->MessageTexts(), QStringList {"disk full"});
        // The row was written and the counter drawn before the failure: neither is kept.
        QCOMPARE(Count(book, "SELECT count(*) FROM SALES"), 1);
        QString counter;
        QCOMPARE(GetResource("SALES_ID", counter), QString("1"));
        // The row is pending again with what the user typed, for another try.
        QVERIFY(screen.DataSet()->IsInserting());
        QVERIFY(screen.EditMode());
        QVERIFY(!screen.btnAdd->isEnabled());
        QCOMPARE(screen.edDescription->text(), QString("SCONES"));
        screen.failAfterSave = false;
        Click(screen.btnSave);
        QCOMPARE(dialogs->MessageTexts(), QStringList {"disk full"});
        QCOMPARE(book.Scalar("SELECT group_concat(SALES_ID || ':' || SALES_DESCRIPTION) FROM SALES").toString(),
                 QString("1:ITEM 1,2:SCONES"));
        QCOMPARE(GetResource("SALES_ID", counter), QString("2"));
        QCOMPARE(screen.DataSet()->RecordCount(), 2);
        QVERIFY(!screen.EditMode());
        QVERIFY(screen.btnAdd->isEnabled());
    }

    void badAmountIsRefusedAndKept()
    {
        TTestBook book;
        TScriptedDialogsScope dialogs;
        TfrmSales screen;
        screen.show();
        Click(screen.btnAdd);
        QTest::keyClicks(screen.edSalesDescription, "CAKE");
        screen.edIncome->setFocus();
        QTest::keyClicks(screen.edIncome, "12.5x");
        Click(screen.btnSave);
        QCOMPARE(dialogs->Messages().size(), 1);
        QVERIFY2(dialogs->MessageTexts().first().contains("'12.5x'"), qPrintable(dialogs->MessageTexts().first()));
        QVERIFY(screen.DataSet()->IsInserting());
        QCOMPARE(screen.edIncome->text(), QString("12.5x"));
        QCOMPARE(Count(book, "SELECT count(*) FROM SALES"), 0);
        QString counter;
        QCOMPARE(GetResource("SALES_ID", counter), QString("0"));
        screen.edIncome->selectAll();
        QTest::keyClicks(screen.edIncome, "12.50");
        Click(screen.btnSave);
        QCOMPARE(book.Scalar("SELECT SALES_ID || '/' || AMOUNT FROM SALES").toString(), QString("1/125000"));
    }

    void newExpense()
    {
        TTestBook book;
        UpdateResource("EXPENSE_ID", "41");
        TScriptedDialogsScope dialogs;
        TfrmExpense screen;
        screen.show();
        QCOMPARE(screen.CurrentExpenseID, 0);
        QCOMPARE(screen.rgTaxable->ItemIndex(), 1);  // an empty list reads "Yes"
        QCOMPARE(screen.edExpenseDescription->text(), QString());
        Shot(&screen, "expense-empty");
        Click(screen.btnAdd);
        QCOMPARE(screen.edExpense->text(), QString("0.00"));
        QTest::keyClicks(screen.edExpenseDescription, "Rent");
        screen.rgTaxable->Item(0)->click();
        Shot(&screen, "expense-editing");
        Click(screen.btnSave);
        QCOMPARE(book.Scalar("SELECT EXPENSE_ID || '/' || EXPENSE_DESCRIPTION || '/' || AMOUNT || '/' || "
                             "EXPENSE_TYPE_ID || '/' || TAXABLE FROM EXPENSE")
                     .toString(),
                 QString("42/Rent/0/1/N"));
        QCOMPARE(screen.CurrentExpenseID, 42);
        QCOMPARE(screen.DataSet()->FieldByName("EXPENSE_ID").AsInteger(), 42);  // the saved row is current
        QString counter;
        QCOMPARE(GetResource("EXPENSE_ID", counter), QString("42"));
    }

    void editExpenseKeepsIdAndCounter()
    {
        TTestBook book;
        book.Exec("INSERT INTO EXPENSE (EXPENSE_ID, EXPENSE_DESCRIPTION, EXPENSE_TYPE_ID, TAXABLE, AMOUNT) VALUES "
                  "(5, 'POSTAGE', 1, '', 12500), (6, 'WAGES', 1, 'N', 0)");
        UpdateResource("EXPENSE_ID", "6");
        TScriptedDialogsScope dialogs;
        TfrmExpense screen;
        screen.show();
        QCOMPARE(screen.edExpenseDescription->text(), QString("POSTAGE"));
        QCOMPARE(screen.rgTaxable->ItemIndex(), 1);  // anything but "N" reads "Yes"
        QCOMPARE(screen.edExpense->text(), QString("1.25"));
        Click(screen.btnEdit);
        screen.edExpense->setFocus();
        screen.edExpense->selectAll();
        QTest::keyClicks(screen.edExpense, "2,500.5");
        Click(screen.btnSave);
        QCOMPARE(book.Scalar("SELECT EXPENSE_ID || '/' || AMOUNT || '/' || TAXABLE FROM EXPENSE WHERE EXPENSE_ID = 5")
                     .toString(),
                 QString("5/25005000/Y"));
        QString counter;
        QCOMPARE(GetResource("EXPENSE_ID", counter), QString("6"));
        // The opener reads the expense last shown in the panel, which follows the navigator too.
        ClickRow(screen.dbGridBrowser, 1);
        QCOMPARE(screen.CurrentExpenseID, 6);
        Click(screen.dbGridNavigator->Button(TDBNavigator::nbFirst));
        QCOMPARE(screen.edExpenseDescription->text(), QString("POSTAGE"));
        screen.close();
        QCOMPARE(screen.CurrentExpenseID, 5);
    }

    void idsStopAtTheirColumnsLimit()
    {
        TTestBook book;
        UpdateResource("EXPENSE_ID", "32767");
        TScriptedDialogsScope dialogs;
        TfrmExpense screen;
        screen.show();
        Click(screen.btnAdd);
        QTest::keyClicks(screen.edExpenseDescription, "ONE TOO MANY");
        Click(screen.btnSave);
        QCOMPARE(dialogs->Messages().size(), 1);
        QVERIFY2(dialogs->MessageTexts().first().contains("32768"), qPrintable(dialogs->MessageTexts().first()));
        QVERIFY(screen.DataSet()->IsInserting());
        QCOMPARE(Count(book, "SELECT count(*) FROM EXPENSE"), 0);
        QString counter;
        QCOMPARE(GetResource("EXPENSE_ID", counter), QString("32767"));
    }

    void expenseTypesInCapitals()
    {
        TTestBook book;
        TScriptedDialogsScope dialogs;
        TfrmExpenseType screen;
        screen.show();
        Click(screen.btnAdd);
        QTest::keyClicks(screen.edExpenseType, "Overheads");
        QCOMPARE(screen.edExpenseType->text(), QString("OVERHEADS"));
        Shot(&screen, "expense-type-editing");
        Click(screen.btnSave);
        QCOMPARE(book.Scalar("SELECT EXPENSE_TYPE_ID || '/' || EXPENSE_TYPE_DESCRIPTION FROM EXPENSE_TYPE WHERE "
                             "EXPENSE_TYPE_ID <> 1")
                     .toString(),
                 QString("2/OVERHEADS"));
        QCOMPARE(screen.CurrentExpenseTypeID, 2);
        Shot(&screen, "expense-type-browsing");
    }

    // A description longer than the book holds stays whole in the field and is refused on
    // OK, never cut short unseen.
    void longDescriptionsAreRefused()
    {
        TTestBook book;
        TScriptedDialogsScope dialogs;
        TfrmSales sales;
        sales.show();
        Click(sales.btnAdd);
        QTest::keyClicks(sales.edSalesDescription, QString(60, 'a'));
        Click(sales.btnSave);
        QCOMPARE(dialogs->MessageTexts(), QStringList {"Description holds at most 50 characters; the text has 60"});
        QCOMPARE(sales.edSalesDescription->text(), QString(60, 'a'));
        QVERIFY(sales.EditMode());
        QCOMPARE(book.Scalar("SELECT count(*) FROM SALES").toInt(), 0);
    }

    // A reference item with no description cannot be picked from any list: it is refused
    // on OK, whatever the screen, and nothing is stored.
    void blankDescriptionsAreRefused_data()
    {
        QTest::addColumn<QString>("screen");
        QTest::addColumn<QString>("typed");
        for (const char* screen : {"SALES", "EXPENSE", "EXPENSE_TYPE"}) {
            QTest::addRow("%s, nothing", screen) << screen << "";
            QTest::addRow("%s, spaces", screen) << screen << "   ";
        }
    }
    void blankDescriptionsAreRefused()
    {
        QFETCH(QString, screen);
        QFETCH(QString, typed);
        TTestBook book;
        TScriptedDialogsScope dialogs;
        std::unique_ptr<TfrmBaseDBGrid> form;
        QLineEdit* description = nullptr;
        if (screen == "SALES") {
            auto* f = new TfrmSales;
            description = f->edSalesDescription;
            form.reset(f);
        } else if (screen == "EXPENSE") {
            auto* f = new TfrmExpense;
            description = f->edExpenseDescription;
            form.reset(f);
        } else {
            auto* f = new TfrmExpenseType;
            description = f->edExpenseType;
            form.reset(f);
        }
        form->show();
        const int before = book.Scalar("SELECT count(*) FROM " + screen).toInt();
        Click(form->btnAdd);
        QTest::keyClicks(description, typed);
        Click(form->btnSave);
        QCOMPARE(dialogs->MessageTexts(), QStringList {"Please enter a description"});
        QVERIFY(form->EditMode());
        QCOMPARE(form->focusWidget(), description);
        QCOMPARE(book.Scalar("SELECT count(*) FROM " + screen).toInt(), before);
    }

    void incomeItems()
    {
        TTestBook book;
        book.Exec("INSERT INTO SALES (SALES_ID, SALES_DESCRIPTION, TAXABLE, AMOUNT) VALUES (3, 'BREAD', 'X', 9900)");
        UpdateResource("SALES_ID", "3");
        TScriptedDialogsScope dialogs;
        TfrmSales screen;
        screen.resize(900, 600);
        screen.show();
        QCOMPARE(screen.rgTaxable->ItemIndex(), 1);
        Shot(&screen, "income-browsing-resized");
        Click(screen.btnAdd);
        QCOMPARE(screen.edIncome->text(), QString());  // no amount preset
        QTest::keyClicks(screen.edSalesDescription, "CAKE");
        Shot(&screen, "income-editing-resized");
        Click(screen.btnSave);
        QCOMPARE(book.Scalar("SELECT SALES_ID || '/' || ifnull(AMOUNT, 'none') || '/' || TAXABLE FROM SALES WHERE "
                             "SALES_DESCRIPTION = 'CAKE'")
                     .toString(),
                 QString("4/none/Y"));
        QCOMPARE(screen.CurrentSalesID, 4);
        // Editing an item leaves the counter alone and saves "Y" for a flag shown as "Yes".
        QVERIFY(screen.DataSet()->Locate("SALES_ID", {TValue(3)}));
        ClickRow(screen.dbGridBrowser, screen.DataSet()->CurrentIndex());
        Click(screen.btnEdit);
        Click(screen.btnSave);
        QCOMPARE(book.Scalar("SELECT TAXABLE FROM SALES WHERE SALES_ID = 3").toString(), QString("Y"));
        QString counter;
        QCOMPARE(GetResource("SALES_ID", counter), QString("4"));
        screen.resize(700, 500);
        Shot(&screen, "income-browsing");
    }
};

QTEST_MAIN(TestRecordScreens)
#include "tst_RecordScreens.moc"
