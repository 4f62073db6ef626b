#include "Schema.h"

#include <QString>
#include <QStringList>

namespace {

// Column declarations that refuse what their type cannot hold, with a constraint name
// that reads as the reason when the engine reports it.
QString Text(const QString& table, const QString& column, int size, bool notNull = false)
{
    return QStringLiteral("%2 VARCHAR(%3)%4 CONSTRAINT \"%1.%2 holds at most %3 characters\" "
                          "CHECK (length(%2) <= %3)")
        .arg(table, column)
        .arg(size)
        .arg(notNull ? QStringLiteral(" NOT NULL") : QString());
}

QString Whole(const QString& table, const QString& column, const QString& type, qint64 lo, qint64 hi,
              const QString& extra = {})
{
    return QStringLiteral("%2 %3%6 CONSTRAINT \"%1.%2 must be a whole number from %4 to %5\" "
                          "CHECK (%2 IS NULL OR (typeof(%2) = 'integer' AND %2 BETWEEN %4 AND %5))")
        .arg(table, column, type)
        .arg(lo)
        .arg(hi)
        .arg(extra);
}

QString Short(const QString& table, const QString& column, const QString& extra = {})
{
    return Whole(table, column, QStringLiteral("SMALLINT"), -32768, 32767, extra);
}

QString Int(const QString& table, const QString& column, const QString& extra = {})
{
    return Whole(table, column, QStringLiteral("INTEGER"), -2147483648LL, 2147483647LL, extra);
}

QString Month(const QString& table)
{
    return Whole(table, QStringLiteral("MM"), QStringLiteral("SMALLINT"), 1, 12, QStringLiteral(" NOT NULL"));
}

// Money is stored as the amount times 10000, so sums in SQL stay exact.
QString MoneyColumn(const QString& table, const QString& column)
{
    return QStringLiteral("%2 MONEY CONSTRAINT \"%1.%2 must be an amount\" "
                          "CHECK (%2 IS NULL OR typeof(%2) = 'integer')")
        .arg(table, column);
}

QString Memo(const QString& column)
{
    return column + QStringLiteral(" CLOB");
}

}  // namespace

TBookSchema BrindlemarkSchema()
{
    const QString nn = QStringLiteral(" NOT NULL");
    QStringList sql;

    sql << QStringLiteral("CREATE TABLE RESOURCE (%1, %2, PRIMARY KEY (RESOURCE_NAME))")
               .arg(Text("RESOURCE", "RESOURCE_NAME", 64, true), Text("RESOURCE", "RESOURCE_VALUE", 255));

    sql << QStringLiteral("CREATE TABLE EXPENSE_TYPE (%1, %2, PRIMARY KEY (EXPENSE_TYPE_ID))")
               .arg(Int("EXPENSE_TYPE", "EXPENSE_TYPE_ID", nn), Text("EXPENSE_TYPE", "EXPENSE_TYPE_DESCRIPTION", 50));

    sql << QStringLiteral("CREATE TABLE EXPENSE (%1, %2, %3, %4, %5, PRIMARY KEY (EXPENSE_ID))")
               .arg(Short("EXPENSE", "EXPENSE_ID", nn), Text("EXPENSE", "EXPENSE_DESCRIPTION", 50),
                    Int("EXPENSE", "EXPENSE_TYPE_ID"), Text("EXPENSE", "TAXABLE", 1), MoneyColumn("EXPENSE", "AMOUNT"));

    sql << QStringLiteral("CREATE TABLE SALES (%1, %2, %3, %4, PRIMARY KEY (SALES_ID))")
               .arg(Short("SALES", "SALES_ID", nn), Text("SALES", "SALES_DESCRIPTION", 50), Text("SALES", "TAXABLE", 1),
                    MoneyColumn("SALES", "AMOUNT"));

    sql << QStringLiteral("CREATE TABLE PERIOD (%1, %2, %3, %4, %5, PRIMARY KEY (YYYY, MM))")
               .arg(Int("PERIOD", "PROFILE_ID"), Short("PERIOD", "YYYY", nn), Month("PERIOD"),
                    MoneyColumn("PERIOD", "SALES"), MoneyColumn("PERIOD", "EXPENSES"));

    sql << QStringLiteral("CREATE TABLE DAILY_TRANSACTION (%1, %2, %3, %4, %5, %6, %7, %8, "
                          "PRIMARY KEY (YYYY, MM, TRANSACTION_DATE))")
               .arg(Int("DAILY_TRANSACTION", "PROFILE_ID"), Short("DAILY_TRANSACTION", "YYYY", nn),
                    Month("DAILY_TRANSACTION"), Int("DAILY_TRANSACTION", "TRANSACTION_DATE", nn),
                    MoneyColumn("DAILY_TRANSACTION", "TAKINGS"), MoneyColumn("DAILY_TRANSACTION", "EXPENSES"),
                    Int("DAILY_TRANSACTION", "LAST_EXPENSE_ID"), Int("DAILY_TRANSACTION", "LAST_SALES_ID"));

    // Lines default PROFILE_ID to 1, the value every other insert writes, so a line is
    // found again after a refresh by the same key as any other.
    sql << QStringLiteral("CREATE TABLE DAILY_SALES (%1, %2, %3, %4, %5, %6, %7, %8, %9, "
                          "PRIMARY KEY (YYYY, MM, TRANSACTION_DATE, DAILY_SALES_ID))")
               .arg(Int("DAILY_SALES", "PROFILE_ID", " DEFAULT 1"), Short("DAILY_SALES", "YYYY", nn),
                    Month("DAILY_SALES"), Int("DAILY_SALES", "TRANSACTION_DATE", nn),
                    Short("DAILY_SALES", "DAILY_SALES_ID", nn), Short("DAILY_SALES", "SALES_ID"),
                    MoneyColumn("DAILY_SALES", "SALES_AMOUNT"), Text("DAILY_SALES", "TAXABLE", 50), Memo("NOTE"));

    sql << QStringLiteral("CREATE TABLE DAILY_EXPENSE (%1, %2, %3, %4, %5, %6, %7, %8, %9, %10, "
                          "PRIMARY KEY (YYYY, MM, TRANSACTION_DATE, DAILY_EXPENSE_ID))")
               .arg(Int("DAILY_EXPENSE", "PROFILE_ID", " DEFAULT 1"), Short("DAILY_EXPENSE", "YYYY", nn),
                    Month("DAILY_EXPENSE"), Int("DAILY_EXPENSE", "TRANSACTION_DATE", nn),
                    Short("DAILY_EXPENSE", "DAILY_EXPENSE_ID", nn), Short("DAILY_EXPENSE", "EXPENSE_ID"),
                    MoneyColumn("DAILY_EXPENSE", "EXPENSE_AMOUNT"), Text("DAILY_EXPENSE", "TAXABLE", 50),
                    Text("DAILY_EXPENSE", "REFERENCE", 20))
               .arg(Memo("NOTE"));

    // A save recomputes its month's total; these answer that sum from the index alone.
    sql << QStringLiteral("CREATE INDEX IX_DAILY_SALES_MONTH ON DAILY_SALES (YYYY, MM, SALES_AMOUNT)");
    sql << QStringLiteral("CREATE INDEX IX_DAILY_EXPENSE_MONTH ON DAILY_EXPENSE (YYYY, MM, EXPENSE_AMOUNT)");
    // Date ranges (reports, the transaction lists in date order) and day totals.
    sql << QStringLiteral("CREATE INDEX IX_DAILY_SALES_DATE ON DAILY_SALES (TRANSACTION_DATE, SALES_ID)");
    sql << QStringLiteral("CREATE INDEX IX_DAILY_EXPENSE_DATE ON DAILY_EXPENSE (TRANSACTION_DATE, EXPENSE_ID)");
    sql << QStringLiteral("CREATE INDEX IX_DAILY_TRANSACTION_DATE ON DAILY_TRANSACTION (TRANSACTION_DATE)");
    sql << QStringLiteral("CREATE INDEX IX_EXPENSE_DESCRIPTION ON EXPENSE (EXPENSE_DESCRIPTION)");
    sql << QStringLiteral("CREATE INDEX IX_SALES_DESCRIPTION ON SALES (SALES_DESCRIPTION)");

    // The counters hold the last id handed out; every expense belongs to type 1.
    QStringList rows;
    rows << QStringLiteral(
        "INSERT INTO EXPENSE_TYPE (EXPENSE_TYPE_ID, EXPENSE_TYPE_DESCRIPTION) VALUES (1, 'GENERAL')");
    rows << QStringLiteral("INSERT INTO RESOURCE (RESOURCE_NAME, RESOURCE_VALUE) VALUES ('EXPENSE_TYPE_ID', '1')");
    rows << QStringLiteral("INSERT INTO RESOURCE (RESOURCE_NAME, RESOURCE_VALUE) VALUES ('EXPENSE_ID', '0')");
    rows << QStringLiteral("INSERT INTO RESOURCE (RESOURCE_NAME, RESOURCE_VALUE) VALUES ('SALES_ID', '0')");

    TBookSchema schema;
    schema.program = QStringLiteral("Brindlemark");
    schema.create = sql;
    schema.startRows = rows;
    // Version 1 is the schema above, unchanged from the books made before versions were
    // kept (version 0): bringing such a book up only records the number.
    schema.version = 1;
    schema.upgrades.push_back({1, {}});
    return schema;
}
