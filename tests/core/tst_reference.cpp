// Settings and id counters, and the reference lists the entry screens pick from.
#include "Errors.h"
#include "TestBook.h"
#include "sql_Expense.h"
#include "tbl_Expense.h"
#include "tbl_ExpenseType.h"
#include "tbl_Resource.h"
#include "tbl_Sales.h"

#include <QtTest>

class TestReference : public QObject {
    Q_OBJECT
private slots:
    void defaultStoredOnceThenKept()
    {
        TTestBook book;
        QString value = "38018";
        GetResourceDefault("EXPENSE_START_DATE", value);
        QCOMPARE(value, QString("38018"));
        QVERIFY(ResourceExists("EXPENSE_START_DATE"));
        value = "40000";
        GetResourceDefault("EXPENSE_START_DATE", value);
        QCOMPARE(value, QString("38018"));
        QCOMPARE(book.Scalar("SELECT count(*) FROM RESOURCE WHERE RESOURCE_NAME = 'EXPENSE_START_DATE'").toInt(), 1);
    }

    void updateAndGet()
    {
        TTestBook book;
        UpdateResource("SALES_DATE_FILTER", "Y");  // no row: nothing added, no error
        QVERIFY(!ResourceExists("SALES_DATE_FILTER"));
        QString value = "stale";
        QCOMPARE(GetResource("SALES_DATE_FILTER", value), QString());
        QCOMPARE(value, QString());
        InsertResource("SALES_DATE_FILTER", "N");
        UpdateResource("SALES_DATE_FILTER", "Y");
        QCOMPARE(GetResource("SALES_DATE_FILTER", value), QString("Y"));
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, InsertResource("SALES_DATE_FILTER", "N"));  // names are unique
    }

    void incrementCounter()
    {
        TTestBook book;
        UpdateResource("EXPENSE_ID", "41");
        QCOMPARE(IncrementResource("EXPENSE_ID"), 42);
        QCOMPARE(IncrementResource("EXPENSE_ID"), 43);
        QString value;
        QCOMPARE(GetResource("EXPENSE_ID", value), QString("43"));
        QCOMPARE(IncrementResource("SALES_ID"), 1);  // a new book starts its counters at 0
    }

    void badCounterWritesNothing_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("missing");
        QTest::newRow("not a number") << "forty" << false;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("fraction") << "4.5" << false;
        QTest::newRow("at the limit") << "2147483647" << false;
        QTest::newRow("missing row") << "" << true;
    }
    void badCounterWritesNothing()
    {
        QFETCH(QString, stored);
        QFETCH(bool, missing);
        TTestBook book;
        if (missing)
            book.Exec("DELETE FROM RESOURCE WHERE RESOURCE_NAME = 'SALES_ID'");
        else
            UpdateResource("SALES_ID", stored);
        QVERIFY_THROWS_EXCEPTION(EZorpError, IncrementResource("SALES_ID"));
        QVERIFY(!dmExpense->Connection().TransactionDepth());
        QString value;
        QCOMPARE(GetResource("SALES_ID", value), stored);
        QCOMPARE(ResourceExists("SALES_ID"), !missing);
    }

    void counterInsideAnAbandonedSaveIsNotKept()
    {
        TTestBook book;
        {
            TTransaction save(book.Connection());
            QCOMPARE(IncrementResource("EXPENSE_ID"), 1);
        }
        QCOMPARE(IncrementResource("EXPENSE_ID"), 1);
    }

    void emptyListsStayUnchanged()
    {
        TTestBook book;
        QStringList ids {"x"}, descriptions {"y"};
        GetExpenseList(ids, descriptions);
        GetSalesList(ids, descriptions);
        QCOMPARE(ids, QStringList {"x"});
        QCOMPARE(descriptions, QStringList {"y"});
        GetExpenseTypeList(ids, descriptions);  // type 1 of a new book is appended
        QCOMPARE(ids, (QStringList {"x", "1"}));
        QCOMPARE(descriptions.size(), 2);
    }

    void listsInDescriptionOrderWithDuplicates()
    {
        TTestBook book;
        book.Exec("INSERT INTO SALES (SALES_ID, SALES_DESCRIPTION) VALUES (1, 'TEA'), (2, 'CAKE'), (3, 'TEA'), "
                  "(4, 'BREAD')");
        book.Exec("INSERT INTO EXPENSE (EXPENSE_ID, EXPENSE_DESCRIPTION) VALUES (5, 'WAGES'), (6, 'RENT')");
        QStringList ids, descriptions;
        GetSalesList(ids, descriptions);
        QCOMPARE(descriptions, (QStringList {"BREAD", "CAKE", "TEA", "TEA"}));
        QCOMPARE(ids, (QStringList {"4", "2", "1", "3"}));
        // Callers map a description to the id at its first position.
        QCOMPARE(ids.at(descriptions.indexOf("TEA")), QString("1"));
        ids.clear();
        descriptions.clear();
        GetExpenseList(ids, descriptions);
        QCOMPARE(ids, (QStringList {"6", "5"}));
        QVERIFY(!dmExpense->qryGetAllExpenses->Active());
    }

    void descriptionsAndDefaults_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("description");
        QTest::addColumn<QString>("amount");
        QTest::addColumn<QString>("taxable");
        QTest::newRow("stored") << 1 << "COFFEE"
                                << "2.5"
                                << "Y";
        QTest::newRow("untaxed") << 2 << "NEWSPAPER"
                                 << "0"
                                 << "N";
        QTest::newRow("odd flag handed back") << 3 << "GIFT CARD"
                                              << "10"
                                              << "X";
        QTest::newRow("no amount reads 0") << 4 << ""
                                           << "0"
                                           << "";
        QTest::newRow("deleted item") << 99 << ""
                                      << "0"
                                      << "N";
    }
    void descriptionsAndDefaults()
    {
        QFETCH(int, id);
        QFETCH(QString, description);
        QFETCH(QString, amount);
        QFETCH(QString, taxable);
        TTestBook book;
        for (const char* table : {"SALES", "EXPENSE"}) {
            book.Exec(QStringLiteral("INSERT INTO %1 (%1_ID, %1_DESCRIPTION, TAXABLE, AMOUNT) VALUES "
                                     "(1, 'COFFEE', 'Y', 25000), (2, 'NEWSPAPER', 'N', 0), (3, 'GIFT CARD', 'X', "
                                     "100000), (4, '', '', NULL)")
                          .arg(table));
        }
        QString text = "stale";
        Money money;
        QString flag;
        QCOMPARE(GetSalesDescription(id, text), description);
        QCOMPARE(text, description);
        GetSalesDefaults(id, money, flag);
        QCOMPARE(money, Money::Parse(amount));
        QCOMPARE(flag, taxable);
        QCOMPARE(GetExpenseDescription(id, text), description);
        GetExpenseDefaults(id, money, flag);
        QCOMPARE(money, Money::Parse(amount));
        QCOMPARE(flag, taxable);
    }
};

QTEST_GUILESS_MAIN(TestReference)
#include "tst_reference.moc"
