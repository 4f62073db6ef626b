// The record panel and the base screen as a first-time user meets them: the panel follows
// the row whatever moved it, keys do what the focused control says, typed input is never
// dropped without a word, and values the screen puts in are stored.
#include "Controls.h"
#include "Errors.h"
#include "Formats.h"
#include "HelpViewer.h"
#include "ScreenDriver.h"
#include "ScriptedDialogs.h"
#include "TestBook.h"
#include "frm_Expense.h"
#include "frm_ExpenseType.h"
#include "frm_Sales.h"
#include "sql_Expense.h"
#include "sql_Sales.h"
#include "tbl_Resource.h"

#include <QHeaderView>
#include <QDialog>
#include <QVBoxLayout>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

namespace {

// A screen over the income items that counts how it is closed and what it deletes.
class TProbeScreen : public TfrmBaseDBGrid {
public:
    TProbeScreen()
    {
        setWindowTitle("Probe");
        edDescription = new TDBEdit(RecordArea);
        edDescription->setObjectName("edDescription");
        edDescription->setGeometry(8, 8, 200, 24);
        dbGridBrowser->SetDataSource(dmSales->dsGetAllSales);
        edDescription->SetDataSource(dmSales->dsGetAllSales);
        edDescription->SetDataField("SALES_DESCRIPTION");
        FormCreate();
    }
    TDBEdit* edDescription;
    int closes = 0;
    int deletingId = 0;
    QList<int> deletedIds;
    QString topic = QStringLiteral("Main Menu");
    bool failBeforeOpen = false;
    bool failBeforeAdd = false;

protected:
    void BeforeOpen() override
    {
        TfrmBaseDBGrid::BeforeOpen();
        if (failBeforeOpen)
            throw EDatabaseError("disk I/O error");
    }
    void BeforeAdd() override
    {
        TfrmBaseDBGrid::BeforeAdd();
        if (failBeforeAdd)
            throw EAbortMessage("Add refused");
    }
    void BeforeSave() override
    {
        TfrmBaseDBGrid::BeforeSave();
        if (DataSet()->IsInserting())
            DataSet()->FieldByName("SALES_ID").SetAsInteger(IncrementResource("SALES_ID"));
    }
    void BeforeDelete() override
    {
        TfrmBaseDBGrid::BeforeDelete();
        deletingId = int(DataSet()->FieldByName("SALES_ID").AsInteger());
    }
    void AfterDelete() override
    {
        TfrmBaseDBGrid::AfterDelete();
        if (deletingId)
            deletedIds << deletingId;
        deletingId = 0;
    }
    void FormClose() override
    {
        TfrmBaseDBGrid::FormClose();
        ++closes;
    }
    QString HelpTopic() const override { return topic; }
};

void AddExpense(TTestBook& book, int id, const QString& name, const QString& taxable, qint64 scaled = 0)
{
    book.Exec(QStringLiteral("INSERT INTO EXPENSE (EXPENSE_ID, EXPENSE_DESCRIPTION, EXPENSE_TYPE_ID, TAXABLE, AMOUNT) "
                             "VALUES (%1, '%2', 1, '%3', %4)")
                  .arg(id)
                  .arg(name, taxable)
                  .arg(scaled));
    UpdateResource("EXPENSE_ID", QString::number(id));
}

void AddSales(TTestBook& book, int id, const QString& name, qint64 scaled = 0)
{
    book.Exec(QStringLiteral("INSERT INTO SALES (SALES_ID, SALES_DESCRIPTION, TAXABLE, AMOUNT) "
                             "VALUES (%1, '%2', 'Y', %3)")
                  .arg(id)
                  .arg(name)
                  .arg(scaled));
    UpdateResource("SALES_ID", QString::number(id));
}

QString Row(TTestBook& book, const QString& sql)
{
    return book.Scalar(sql).toString();
}

bool InternalNames(const QStringList& messages)
{
    for (const QString& m : messages)
        if (m.contains("qry") || m.contains("Dataset") || m.contains("dm"))
            return true;
    return false;
}

}  // namespace

class TestBaseScreen : public QObject {
    Q_OBJECT
private slots:
    void panelFollowsEveryRowChange_data()
    {
        QTest::addColumn<QString>("move");
        QTest::newRow("navigator next") << "next";
        QTest::newRow("navigator last") << "last";
        QTest::newRow("filter") << "filter";
        QTest::newRow("locate") << "locate";
    }

    // Alpha (No) and Beta (Yes): whatever moves to Beta, Edit then Enter keeps Beta as it is.
    void panelFollowsEveryRowChange()
    {
        QFETCH(QString, move);
        TTestBook book;
        AddExpense(book, 1, "Alpha", "N");
        AddExpense(book, 2, "Beta", "Y");
        TScriptedDialogsScope dialogs;
        TfrmExpense screen;
        screen.show();
        ClickRow(screen.dbGridBrowser, 0);
        QCOMPARE(screen.edExpenseDescription->text(), QString("Alpha"));
        if (move == "next")
            Click(screen.dbGridNavigator->Button(TDBNavigator::nbNext));
        else if (move == "last")
            Click(screen.dbGridNavigator->Button(TDBNavigator::nbLast));
        else if (move == "filter") {
            screen.DataSet()->SetFilter("EXPENSE_ID = 2");
            screen.DataSet()->SetFiltered(true);
        } else
            screen.DataSet()->Locate("EXPENSE_ID", {TValue(2)});
        QCOMPARE(screen.edExpenseDescription->text(), QString("Beta"));
        QCOMPARE(screen.rgTaxable->ItemIndex(), 1);
        QCOMPARE(screen.CurrentExpenseID, 2);
        Click(screen.btnEdit);
        QTest::keyClick(screen.edExpenseDescription, Qt::Key_Return);
        QVERIFY(dialogs->Messages().isEmpty());
        QCOMPARE(Row(book, "SELECT group_concat(EXPENSE_DESCRIPTION || ':' || TAXABLE, ',') FROM "
                           "(SELECT * FROM EXPENSE ORDER BY EXPENSE_ID)"),
                 QString("Alpha:N,Beta:Y"));
    }

    // No application-wide handler here: the screen's own guard shows the error and stops
    // only the action that failed.
    void errorsStopTheActionAndAreShown()
    {
        TTestBook book;
        AddSales(book, 1, "BREAD");
        TScriptedDialogsScope dialogs;
        TProbeScreen screen;
        screen.failBeforeOpen = true;
        screen.show();
        QCOMPARE(dialogs->MessageTexts(), QStringList {"disk I/O error"});
        QVERIFY(screen.isVisible());
        screen.close();
        screen.failBeforeOpen = false;
        screen.failBeforeAdd = true;
        screen.show();
        Click(screen.btnAdd);
        QCOMPARE(dialogs->MessageTexts(), (QStringList {"disk I/O error", "Add refused"}));
        // Add could not start: the screen is browsing again, nothing pending.
        QVERIFY(!screen.EditMode());
        QVERIFY(!screen.DataSet()->IsEditing());
        QVERIFY(screen.btnAdd->isEnabled());
        QVERIFY(screen.btnEdit->isEnabled());
    }

    void enterPressesTheFocusedButton()
    {
        TTestBook book;
        TScriptedDialogsScope dialogs;
        TProbeScreen screen;
        screen.show();
        Click(screen.btnAdd);
        QTest::keyClicks(screen.edDescription, "SCONES");
        screen.btnCancel->setFocus();
        QTest::keyClick(screen.btnCancel, Qt::Key_Return);
        QCOMPARE(book.Scalar("SELECT count(*) FROM SALES").toInt(), 0);
        QVERIFY(!screen.EditMode());
        // A focused toolbar button takes Enter too.
        screen.btnAdd->setFocus();
        QTest::keyClick(screen.btnAdd, Qt::Key_Return);
        QVERIFY(screen.EditMode());
        QVERIFY(screen.DataSet()->IsInserting());
        // In an entry field Enter is OK.
        QTest::keyClicks(screen.edDescription, "TEA");
        QTest::keyClick(screen.edDescription, Qt::Key_Enter);
        QCOMPARE(Row(book, "SELECT SALES_DESCRIPTION FROM SALES"), QString("TEA"));
        QVERIFY(dialogs->Messages().isEmpty());
    }

    void editAndDeleteFollowTheRow()
    {
        TTestBook book;
        TScriptedDialogsScope dialogs;
        TfrmSales screen;
        screen.show();
        QVERIFY(!screen.btnEdit->isEnabled());
        Click(screen.btnAdd);
        Click(screen.btnCancel);
        QVERIFY(!screen.btnEdit->isEnabled());
        QVERIFY(!screen.btnDelete->isEnabled());
        // Reached anyway (a key, a screen's own code): a plain refusal, the screen browsing.
        QStringList refusals;
        for (void (TfrmBaseDBGrid::*action)() : {&TfrmBaseDBGrid::btnEditClick, &TfrmBaseDBGrid::btnDeleteClick}) {
            try {
                (screen.*action)();
                QFAIL("no refusal");
            } catch (const EAbortMessage& e) {
                refusals << e.Message();
            }
        }
        QVERIFY2(!InternalNames(refusals), qPrintable(refusals.join('|')));
        QVERIFY(!screen.EditMode());
        QVERIFY(screen.pnlRecordButtons->isHidden());
        QVERIFY(screen.btnAdd->isEnabled());
        QVERIFY(dialogs->Messages().isEmpty());
    }

    void closingWhileEditingAsks_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("answer");
        QTest::newRow("close box, go on editing") << "close" << int(mrCancel);
        QTest::newRow("close box, discard") << "close" << int(mrOk);
        QTest::newRow("Esc, go on editing") << "esc" << int(mrCancel);
        QTest::newRow("Esc twice, discard") << "esc" << int(mrOk);
    }

    void closingWhileEditingAsks()
    {
        QFETCH(QString, how);
        QFETCH(int, answer);
        TTestBook book;
        TScriptedDialogsScope dialogs;
        TProbeScreen screen;
        screen.show();
        Click(screen.btnAdd);
        screen.edDescription->setFocus();
        QTest::keyClicks(screen.edDescription, "SCONES");
        dialogs->AnswerConfirmation(answer);
        if (how == "close")
            screen.close();
        else
            QTest::keyClick(screen.edDescription, Qt::Key_Escape);
        QCOMPARE(dialogs->MessageTexts(), QStringList {"Discard the changes to this record?"});
        if (answer == mrCancel) {
            QVERIFY(screen.isVisible());
            QVERIFY(screen.EditMode());
            QCOMPARE(screen.edDescription->text(), QString("SCONES"));
            QCOMPARE(screen.closes, 0);
            return;
        }
        QVERIFY(!screen.EditMode());
        if (how == "esc")
            QTest::keyClick(&screen, Qt::Key_Escape);  // the second Esc closes the screen
        QVERIFY(!screen.isVisible());
        QCOMPARE(screen.closes, 1);
        QCOMPARE(book.Scalar("SELECT count(*) FROM SALES").toInt(), 0);
        QCOMPARE(dialogs->Messages().size(), 1);
    }

    void untouchedRecordLeavesWithoutAQuestion()
    {
        TTestBook book;
        TScriptedDialogsScope dialogs;
        TProbeScreen screen;
        screen.show();
        Click(screen.btnAdd);
        QTest::keyClick(screen.edDescription, Qt::Key_Escape);
        QVERIFY(!screen.EditMode());
        Click(screen.btnAdd);
        screen.close();
        QVERIFY(!screen.isVisible());
        QVERIFY(dialogs->Messages().isEmpty());
    }

    void everyWayOfClosingRunsTheCloseHandling_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("Esc") << "esc";
        QTest::newRow("close box") << "close";
        QTest::newRow("Close button") << "button";
    }

    void everyWayOfClosingRunsTheCloseHandling()
    {
        QFETCH(QString, how);
        TTestBook book;
        TScriptedDialogsScope dialogs;
        TProbeScreen screen;
        screen.show();
        if (how == "esc")
            QTest::keyClick(screen.dbGridBrowser, Qt::Key_Escape);
        else if (how == "close")
            screen.close();
        else
            Click(screen.btnClose);
        QVERIFY(!screen.isVisible());
        QCOMPARE(screen.closes, 1);
    }

    void valuesPutInByTheScreenAreStored_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("typedFirst");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("stored");
        QTest::newRow("put in, untouched") << "" << false << "7.00"
                                           << "70000";
        QTest::newRow("typed, then put in") << "5" << true << "7.00"
                                            << "70000";
        QTest::newRow("put in, then typed") << "9" << false << "9"
                                            << "90000";
    }

    void valuesPutInByTheScreenAreStored()
    {
        QFETCH(QString, typed);
        QFETCH(bool, typedFirst);
        QFETCH(QString, shown);
        QFETCH(QString, stored);
        TTestBook book;
        TScriptedDialogsScope dialogs;
        TfrmSales screen;
        screen.show();
        Click(screen.btnAdd);
        QTest::keyClicks(screen.edSalesDescription, "CAKE");
        if (typedFirst)
            QTest::keyClicks(screen.edIncome, typed);
        screen.DataSet()->FieldByName("AMOUNT").SetAsMoney(Money::FromInteger(7));
        if (!typedFirst && !typed.isEmpty()) {
            screen.edIncome->selectAll();
            QTest::keyClicks(screen.edIncome, typed);
        }
        QCOMPARE(screen.edIncome->text(), shown);
        Click(screen.btnSave);
        QVERIFY(dialogs->Messages().isEmpty());
        QCOMPARE(Row(book, "SELECT AMOUNT FROM SALES"), stored);
    }

    void amountsHaveTheDecimalsShown_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("stored");  // empty: refused
        QTest::newRow("a thousandth below zero") << "-0.001"
                                                 << "";
        QTest::newRow("half a cent") << "0.005"
                                     << "";
        QTest::newRow("four decimals") << "12.3456"
                                       << "";
        QTest::newRow("a refund") << "-0.01"
                                  << "-100";
        QTest::newRow("grouped") << "1,000.50"
                                 << "10005000";
        QTest::newRow("trailing zeros") << "12.3400"
                                        << "123400";
        QTest::newRow("whole") << "25"
                               << "250000";
    }

    void amountsHaveTheDecimalsShown()
    {
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        TTestBook book;
        TScriptedDialogsScope dialogs;
        TfrmExpense screen;
        screen.show();
        Click(screen.btnAdd);
        QTest::keyClicks(screen.edExpenseDescription, "RENT");
        screen.edExpense->selectAll();
        QTest::keyClicks(screen.edExpense, typed);
        Click(screen.btnSave);
        if (stored.isEmpty()) {
            QCOMPARE(dialogs->Messages().size(), 1);
            const QString message = dialogs->MessageTexts().first();
            QVERIFY2(message.contains("'" + typed + "'") && message.contains("2 decimals"), qPrintable(message));
            QVERIFY(screen.EditMode());
            QCOMPARE(screen.edExpense->text(), typed);
            QCOMPARE(book.Scalar("SELECT count(*) FROM EXPENSE").toInt(), 0);
        } else {
            QVERIFY2(dialogs->Messages().isEmpty(), qPrintable(dialogs->MessageTexts().join('|')));
            QCOMPARE(Row(book, "SELECT AMOUNT FROM EXPENSE"), stored);
        }
    }

    void deleteKnowsTheRowBeforeItGoes()
    {
        TTestBook book;
        AddSales(book, 4, "BREAD");
        AddSales(book, 9, "CAKE");
        TScriptedDialogsScope dialogs;
        TProbeScreen screen;
        screen.show();
        ClickRow(screen.dbGridBrowser, 1);
        dialogs->AnswerConfirmation(mrCancel);
        Click(screen.btnDelete);
        QVERIFY(screen.deletedIds.isEmpty());
        dialogs->AnswerConfirmation(mrOk);
        Click(screen.btnDelete);
        QCOMPARE(screen.deletedIds, QList<int> {9});
        QCOMPARE(Row(book, "SELECT group_concat(SALES_ID) FROM SALES"), QString("4"));
    }

    void taxableGroupByKeyboard()
    {
        TTestBook book;
        AddExpense(book, 1, "Alpha", "Y");
        TScriptedDialogsScope dialogs;
        TfrmExpense screen;
        screen.show();
        screen.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&screen));
        Click(screen.btnAdd);
        QCOMPARE(screen.rgTaxable->ItemIndex(), 1);  // the choice kept from the row shown
        QTest::keyClicks(screen.edExpenseDescription, "Beta");
        screen.edExpense->setFocus();
        QTest::keyClick(screen.edExpense, Qt::Key_Tab);
        // Tab lands on the chosen item, and the arrows choose.
        QCOMPARE(QApplication::focusWidget(), screen.rgTaxable->Item(1));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Left);
        QCOMPARE(screen.rgTaxable->ItemIndex(), 0);
        QCOMPARE(QApplication::focusWidget(), screen.rgTaxable->Item(0));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right);
        QCOMPARE(screen.rgTaxable->ItemIndex(), 1);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right);
        QCOMPARE(screen.rgTaxable->ItemIndex(), 0);
        // One tab stop: Tab leaves the group for the next control.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QVERIFY(!screen.rgTaxable->isAncestorOf(QApplication::focusWidget()));
        QVERIFY(screen.RecordModified());
        Click(screen.btnSave);
        QCOMPARE(Row(book, "SELECT TAXABLE FROM EXPENSE WHERE EXPENSE_DESCRIPTION = 'Beta'"), QString("N"));
    }

    void longTextsShowFromTheirStart()
    {
        TTestBook book;
        const QString longName = QString("Deliveries to the market stall ").repeated(2).left(50);
        AddExpense(book, 1, longName, "Y");
        AddSales(book, 1, longName);
        TScriptedDialogsScope dialogs;
        TfrmExpense expenses;
        expenses.resize(700, 500);
        expenses.show();
        QCOMPARE(expenses.edExpenseDescription->text(), longName);
        QCOMPARE(expenses.edExpenseDescription->cursorPosition(), 0);
        TfrmSales income;
        income.show();
        QCOMPARE(income.edSalesDescription->text(), longName);
        QCOMPARE(income.edSalesDescription->cursorPosition(), 0);
    }

    // Amounts up to a thousand billion show whole; the largest an amount can be shows
    // with an ellipsis where the column has no room for it, never cut by the grid's edge.
    void largeAmountsFitTheirColumn()
    {
        TTestBook book;
        AddExpense(book, 1, "Alpha", "Y", Q_INT64_C(9223372036854775807));
        AddExpense(book, 2, "Beta", "Y", Q_INT64_C(-9999999999999900));
        TScriptedDialogsScope dialogs;
        TfrmExpense screen;
        screen.show();
        TDBGrid* grid = screen.dbGridBrowser;
        int amountColumn = -1;
        for (int c = 0; c < grid->model()->columnCount(); ++c)
            if (grid->GridModel()->FieldAt(c)->FieldName == "AMOUNT")
                amountColumn = c;
        QVERIFY(amountColumn >= 0);
        const QString text = grid->model()->index(0, amountColumn).data().toString();
        QCOMPARE(text, QString("922,337,203,685,477.58"));
        QCOMPARE(NumbersShownInPart(grid), QStringList());
        const QString wide = grid->model()->index(1, amountColumn).data().toString();
        QCOMPARE(wide, QString("-999,999,999,999.99"));
        QVERIFY2(grid->columnWidth(amountColumn) > grid->fontMetrics().horizontalAdvance(wide),
                 qPrintable(QString::number(grid->columnWidth(amountColumn))));
    }

    void theListTakesTheExtraRoom()
    {
        TTestBook book;
        AddExpense(book, 1, "Alpha", "Y");
        TScriptedDialogsScope dialogs;
        TfrmExpense screen;
        screen.resize(700, 500);
        screen.show();
        const int grid = screen.pnldbGrid->width();
        const int record = screen.pnlRecord->width();
        screen.resize(1200, 800);
        QVERIFY2(screen.pnldbGrid->width() - grid >= 400,
                 qPrintable(QStringLiteral("%1 -> %2").arg(grid).arg(screen.pnldbGrid->width())));
        QCOMPARE(screen.pnlRecord->width(), record);
    }

    void f1OpensTheScreensHelp_data()
    {
        QTest::addColumn<QString>("topic");
        QTest::newRow("main topic") << "Main Menu";
        QTest::newRow("screen's own") << "Expense Transaction";
    }

    void f1OpensTheScreensHelp()
    {
        QFETCH(QString, topic);
        TTestBook book;
        TScriptedDialogsScope dialogs;
        TProbeScreen screen;
        screen.topic = topic;
        // Modal, as the screens are: help must be usable while it is up.
        screen.setWindowModality(Qt::ApplicationModal);
        screen.show();
        screen.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&screen));
        QCOMPARE(QApplication::activeModalWidget(), &screen);
        QTest::keySequence(&screen, QKeySequence::HelpContents);
        QVERIFY2(dialogs->Messages().isEmpty(), qPrintable(dialogs->MessageTexts().join('|')));
        TfrmHelpViewer* viewer = HelpViewer();
        QVERIFY(viewer);
        QVERIFY(viewer->isVisible());
        QCOMPARE(viewer->CurrentTopic(), topic);
        // A window outside the modal screen would be blocked until it closed.
        QWidget* owner = viewer->parentWidget();
        while (owner && owner != &screen)
            owner = owner->parentWidget();
        QCOMPARE(owner, &screen);
        screen.close();
    }

    void pickListCombo()
    {
        TItemCombo combo;
        QSignalSpy changes(&combo, &TItemCombo::Change);
        combo.SetItems({"3", "5", "8"}, {"BREAD", "CAKE", "CAKE"}, {"ALL"});
        QCOMPARE(combo.count(), 4);
        QVERIFY(!combo.HasItem());
        QVERIFY_THROWS_EXCEPTION(EAbortMessage, combo.ItemId("an income item"));
        try {
            combo.ItemId("an income item");
        } catch (const EAbortMessage& e) {
            QCOMPARE(e.Message(), QString("Please choose an income item from the list."));
        }
        combo.SetItemIndex(0);  // "ALL" has no id
        QVERIFY_THROWS_EXCEPTION(EAbortMessage, combo.ItemId("an income item"));
        combo.SelectId(8);
        QCOMPARE(combo.currentIndex(), 3);
        QCOMPARE(combo.ItemId("x"), 5);  // a description's first position decides
        combo.SelectId(42);
        QCOMPARE(combo.currentIndex(), -1);
        QCOMPARE(changes.count(), 0);  // code never counts as the user's choice
        combo.SelectId(3);
        combo.setFocus();
        QTest::keyClick(&combo, Qt::Key_Down);
        QCOMPARE(changes.count(), 1);
        QCOMPARE(combo.ItemId("x"), 5);
    }

    void datePickerChangeIsTheUsers()
    {
        TDatePicker picker;
        QSignalSpy changes(&picker, &TDatePicker::Change);
        picker.SetDate(QDate(2002, 1, 7));
        QCOMPARE(picker.date(), QDate(2002, 1, 7));
        QCOMPARE(changes.count(), 0);
        QTest::keyClick(&picker, Qt::Key_Up);
        QCOMPARE(picker.date(), QDate(2002, 1, 8));
        QTest::keyClick(&picker, Qt::Key_PageDown);
        QCOMPARE(picker.date(), QDate(2001, 12, 8));
        QCOMPARE(changes.count(), 2);
        QCOMPARE(picker.text(), FormatDate("d mmmm yyyy", QDate(2001, 12, 8)));
    }

    // What a user types into a date box, in the forms his language shows dates in, is
    // the date he meant, or refused: never another date.
    void typedDates_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("shortDate");  // the screens' short date
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QDate>("taken");  // invalid: refused, the date stays
        const QDate none;
        const QDate jan8(2002, 1, 8), jan5(2027, 1, 5);
        const struct {
            const char* locale;
            const char* shortDate;
            const char* typed;
            QDate taken;
        } rows[] = {
            {"en_GB", "dd/mm/yyyy", "08/01/2002", jan8},
            {"en_GB", "dd/mm/yyyy", "8/1/02", jan8},
            {"en_GB", "dd/mm/yyyy", "08012002", jan8},
            {"en_GB", "dd/mm/yyyy", "2002-01-08", jan8},
            {"en_GB", "dd/mm/yyyy", "5 January 2027", jan5},
            {"en_GB", "dd/mm/yyyy", "Tuesday, 8 January 2002", jan8},
            {"en_GB", "dd/mm/yyyy", "9  ", QDate(2026, 12, 9)},
            {"en_GB", "dd/mm/yyyy", "9/1", QDate(2026, 1, 9)},
            {"en_GB", "dd/mm/yyyy", "31/02/2002", none},
            {"en_GB", "dd/mm/yyyy", "5 Janxary 2027", none},
            {"en_GB", "dd/mm/yyyy", "10/01/20x4", none},
            {"en_GB", "dd/mm/yyyy", "", none},
            {"en_GB", "dd/mm/yyyy", "1/1/10000", none},
            {"en_GB", "dd/mm/yyyy", "29/12/1899", none},
            {"en_US", "m/d/yy", "1/8/2002", jan8},
            {"en_US", "m/d/yy", "1/8/02", jan8},
            {"en_US", "m/d/yy", "January 5, 2027", jan5},
            {"de_DE", "dd.mm.yy", "08.01.2002", jan8},
            {"de_DE", "dd.mm.yy", "08.01.02", jan8},
            {"de_DE", "dd.mm.yy", "5. Januar 2027", jan5},
            {"de_DE", "dd.mm.yy", "Dienstag, 8. Januar 2002", jan8},
            {"de_DE", "dd.mm.yy", "8. Jan. 2002", jan8},
            {"de_DE", "dd.mm.yy", "5 January 2027", jan5},
            {"fr_FR", "dd/mm/yyyy", "08/01/2002", jan8},
            {"fr_FR", "dd/mm/yyyy", "5 janvier 2027", jan5},
            {"fr_FR", "dd/mm/yyyy", "mardi 8 janvier 2002", jan8},
            {"fr_FR", "dd/mm/yyyy", "8 févr. 2002", QDate(2002, 2, 8)},
        };
        for (const auto& r : rows)
            QTest::addRow("%s: %s", r.locale, r.typed) << r.locale << r.shortDate << QString::fromUtf8(r.typed) << r.taken;
    }
    void typedDates()
    {
        QFETCH(QString, locale);
        QFETCH(QString, shortDate);
        QFETCH(QString, typed);
        QFETCH(QDate, taken);
        const TFormatSettings saved = FormatSettings();
        const auto restore = qScopeGuard([&] { FormatSettings() = saved; });
        FormatSettings().Locale = QLocale(locale);
        FormatSettings().ShortDateFormat = shortDate;
        const QDate before(2026, 12, 20);
        TDatePicker picker;
        picker.SetDate(before);
        QSignalSpy changes(&picker, &TDatePicker::Change);
        picker.selectAll();
        if (typed.isEmpty())
            QTest::keyClick(&picker, Qt::Key_Backspace);
        for (const QChar c : typed)  // letters beyond ASCII as a keyboard sends them
            QTest::sendKeyEvent(QTest::Click, &picker, c.unicode() < 128 ? Qt::Key(c.toUpper().unicode()) : Qt::Key_unknown,
                                QString(c), Qt::NoModifier);
        QTest::keyClick(&picker, Qt::Key_Return);
        const QString refusal = picker.TakeRefusal();
        if (taken.isValid()) {
            QCOMPARE(picker.date(), taken);
            QCOMPARE(refusal, QString());
            QCOMPARE(changes.count(), 1);
        } else {
            QCOMPARE(picker.date(), before);
            QVERIFY2(refusal.startsWith("'" + typed.trimmed() + "' is not a date"), qPrintable(refusal));
            QCOMPARE(changes.count(), 0);
        }
    }

    // Typing into a date box never leaves it: a space is part of the date, and the
    // screen's OK is pressed by Enter alone.
    void dateBoxKeepsItsKeys()
    {
        QDialog dialog;
        auto* picker = new TDatePicker(&dialog);
        auto* ok = new QPushButton("OK", &dialog);
        ok->setDefault(true);
        auto* layout = new QVBoxLayout(&dialog);
        layout->addWidget(picker);
        layout->addWidget(ok);
        QSignalSpy pressed(ok, &QPushButton::clicked);
        picker->SetDate(QDate(2026, 12, 20));
        dialog.show();
        QApplication::setActiveWindow(&dialog);
        picker->setFocus();  // as a screen's Add puts the cursor there: typing replaces the date
        QTest::keyClicks(picker, "9");
        QTest::keyClick(picker, Qt::Key_Space);
        QTest::keyClick(picker, Qt::Key_Space);
        QCOMPARE(dialog.focusWidget(), picker);
        QCOMPARE(pressed.count(), 0);
        QTest::keyClick(picker, Qt::Key_Return);
        QCOMPARE(picker->date(), QDate(2026, 12, 9));
        QCOMPARE(pressed.count(), 1);
    }

    void screenshots_data()
    {
        QTest::addColumn<QString>("screen");
        QTest::newRow("expense") << "expense";
        QTest::newRow("income") << "income";
        QTest::newRow("expense type") << "type";
    }

    void screenshots()
    {
        QFETCH(QString, screen);
        TTestBook book;
        AddExpense(book, 1, "Deliveries to the market stall and back again", "N", 1234567890000);
        AddExpense(book, 2, "Rent", "Y", 5000000);
        AddSales(book, 1, "Cakes and pastries sold at the weekend market", 125000);
        AddSales(book, 2, "Bread", 35000);
        book.Exec("INSERT INTO EXPENSE_TYPE (EXPENSE_TYPE_ID, EXPENSE_TYPE_DESCRIPTION) VALUES (2, 'PREMISES')");
        TScriptedDialogsScope dialogs;
        std::unique_ptr<TfrmBaseDBGrid> form;
        if (screen == "expense")
            form = std::make_unique<TfrmExpense>();
        else if (screen == "income")
            form = std::make_unique<TfrmSales>();
        else
            form = std::make_unique<TfrmExpenseType>();
        form->resize(700, 500);
        form->show();
        Shot(form.get(), screen + "-browsing");
        Click(form->btnAdd);
        Shot(form.get(), screen + "-adding");
        Click(form->btnCancel);
        form->resize(1200, 800);
        Shot(form.get(), screen + "-1200x800");
        QVERIFY(form->pnldbGrid->width() > form->pnlRecord->width());
    }
};

QTEST_MAIN(TestBaseScreen)
#include "tst_BaseScreen.moc"
