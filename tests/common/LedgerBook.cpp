// The ledger tests' shared book: items, raw lines and the roll-up invariants.
#include "LedgerBook.h"

#include "DayNumber.h"

int Day(int y, int m, int d)
{
    return DayNumber::FromDate(QDate(y, m, d));
}

TLineDay LineDay(int y, int m, int d)
{
    return TLineDay::FromDate(QDate(y, m, d));
}

// Three income items and three expenses to hang lines on.
void AddItems(TTestBook& book)
{
    book.Exec("INSERT INTO SALES (SALES_ID, SALES_DESCRIPTION, TAXABLE, AMOUNT) VALUES "
              "(1, 'BAR', 'Y', 0), (2, 'FOOD', 'N', 0), (3, 'ROOMS', 'Y', 0)");
    book.Exec("INSERT INTO EXPENSE (EXPENSE_ID, EXPENSE_DESCRIPTION, EXPENSE_TYPE_ID, TAXABLE, AMOUNT) VALUES "
              "(1, 'RENT', 1, 'Y', 0), (2, 'WAGES', 1, 'N', 0), (3, 'POWER', 1, 'Y', 0)");
}

void InsertRawLine(TTestBook& book, TLineKind kind, int day, int number, int item, qint64 scaled,
                   const QString& taxable)
{
    const QDate d = DayNumber::ToDate(day);
    const bool income = kind == TLineKind::Income;
    book.Exec(QStringLiteral("INSERT INTO %1 (YYYY, MM, TRANSACTION_DATE, %2, %3, %4, TAXABLE) "
                             "VALUES (%5, %6, %7, %8, %9, %10, %11)")
                  .arg(income ? "DAILY_SALES" : "DAILY_EXPENSE", income ? "DAILY_SALES_ID" : "DAILY_EXPENSE_ID",
                       income ? "SALES_ID" : "EXPENSE_ID", income ? "SALES_AMOUNT" : "EXPENSE_AMOUNT")
                  .arg(d.year())
                  .arg(d.month())
                  .arg(day)
                  .arg(number)
                  .arg(item)
                  .arg(scaled)
                  .arg(taxable));
}

QString Table(TLineKind kind)
{
    return kind == TLineKind::Income ? "DAILY_SALES" : "DAILY_EXPENSE";
}

// Every roll-up invariant of the book at once; an empty text when all hold.
QString BrokenInvariants(TTestBook& book)
{
    QStringList broken;
    auto check = [&](const QString& what, const QString& sql) {
        const int n = book.Scalar(sql).toInt();
        if (n != 0)
            broken << QStringLiteral("%1: %2 rows").arg(what).arg(n);
    };
    const QString dayMatch = "L.YYYY = D.YYYY AND L.MM = D.MM AND L.TRANSACTION_DATE = D.TRANSACTION_DATE";
    check("day takings",
          "SELECT count(*) FROM DAILY_TRANSACTION D WHERE TAKINGS IS NOT (SELECT COALESCE(SUM(SALES_AMOUNT), 0) "
          "FROM DAILY_SALES L WHERE "
              + dayMatch + " AND L.TAXABLE IN ('Y', 'N'))");
    check("day expenses",
          "SELECT count(*) FROM DAILY_TRANSACTION D WHERE EXPENSES IS NOT (SELECT COALESCE(SUM(EXPENSE_AMOUNT), 0) "
          "FROM DAILY_EXPENSE L WHERE "
              + dayMatch + " AND L.TAXABLE IN ('Y', 'N'))");
    check("month sales", "SELECT count(*) FROM PERIOD P WHERE SALES IS NOT (SELECT COALESCE(SUM(SALES_AMOUNT), 0) "
                         "FROM DAILY_SALES L WHERE L.YYYY = P.YYYY AND L.MM = P.MM)");
    check("month expenses",
          "SELECT count(*) FROM PERIOD P WHERE EXPENSES IS NOT (SELECT COALESCE(SUM(EXPENSE_AMOUNT), 0) "
          "FROM DAILY_EXPENSE L WHERE L.YYYY = P.YYYY AND L.MM = P.MM)");
    // Lines stored through the sequence always have their day and month.
    check("income line without its day",
          "SELECT count(*) FROM DAILY_SALES L WHERE NOT EXISTS (SELECT 1 FROM DAILY_TRANSACTION D WHERE " + dayMatch
              + ")");
    check("expense line without its day",
          "SELECT count(*) FROM DAILY_EXPENSE L WHERE NOT EXISTS (SELECT 1 FROM DAILY_TRANSACTION D WHERE " + dayMatch
              + ")");
    check("month out of step with its day",
          "SELECT (SELECT count(*) FROM DAILY_SALES WHERE "
          "(YYYY * 100 + MM) <> CAST(strftime('%Y%m', TRANSACTION_DATE + 2415018.5) AS INTEGER)) + "
          "(SELECT count(*) FROM DAILY_EXPENSE WHERE "
          "(YYYY * 100 + MM) <> CAST(strftime('%Y%m', TRANSACTION_DATE + 2415018.5) AS INTEGER))");
    return broken.join("; ");
}

qint64 Counter(TTestBook& book, TLineKind kind, int day)
{
    return book
        .Scalar(QStringLiteral("SELECT %1 FROM DAILY_TRANSACTION WHERE TRANSACTION_DATE = %2")
                    .arg(kind == TLineKind::Income ? "LAST_SALES_ID" : "LAST_EXPENSE_ID")
                    .arg(day))
        .toLongLong();
}

int HighestLine(TTestBook& book, TLineKind kind, int day)
{
    return book
        .Scalar(QStringLiteral("SELECT COALESCE(MAX(%1), 0) FROM %2 WHERE TRANSACTION_DATE = %3")
                    .arg(kind == TLineKind::Income ? "DAILY_SALES_ID" : "DAILY_EXPENSE_ID", Table(kind))
                    .arg(day))
        .toInt();
}

// Whatever the storage wrote, as one text, to prove a failure wrote nothing.
QString BookState(TTestBook& book)
{
    QStringList out;
    for (const char* sql : {"SELECT group_concat(YYYY || '/' || MM || ':' || IFNULL(SALES, '-') || ':' || "
                            "IFNULL(EXPENSES, '-'), ' ') FROM PERIOD",
                            "SELECT group_concat(TRANSACTION_DATE || ':' || IFNULL(TAKINGS, '-') || ':' || "
                            "IFNULL(EXPENSES, '-') || ':' || IFNULL(LAST_SALES_ID, '-') || ':' || "
                            "IFNULL(LAST_EXPENSE_ID, '-'), ' ') FROM DAILY_TRANSACTION",
                            "SELECT group_concat(TRANSACTION_DATE || '#' || DAILY_SALES_ID, ' ') FROM DAILY_SALES",
                            "SELECT group_concat(TRANSACTION_DATE || '#' || DAILY_EXPENSE_ID, ' ') FROM DAILY_EXPENSE"})
        out << book.Scalar(sql).toString();
    return out.join(" | ");
}

const char* ItemColumn(TLineKind kind)
{
    return kind == TLineKind::Income ? "SALES_ID" : "EXPENSE_ID";
}

// The rows of a line list as stored, each as BookRows gives it: a line being added is not
// stored yet, and a line being changed counts as it stands in the book.
QStringList StoredRows(TLines& lines)
{
    TQuery& q = lines.query;
    const QStringList names = {"YYYY",    "MM",  "TRANSACTION_DATE", lines.number, ItemColumn(lines.kind), lines.amount,
                               "TAXABLE", "NOTE"};
    QStringList rows;
    for (const QStringList& v : StoredValues(q, names))
        rows << QStringLiteral("%1/%2/%3#%4:%5:%6:%7:%8").arg(v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7]);
    rows.sort();
    return rows;
}

// Every line of a kind in the book, each as one text, in a fixed order.
QStringList BookRows(TTestBook& book, TLineKind kind)
{
    const bool income = kind == TLineKind::Income;
    QStringList rows = book.Column(
        QStringLiteral("SELECT YYYY || '/' || MM || '/' || TRANSACTION_DATE || '#' || %1 || ':' || IFNULL(%2, '-') "
                       "|| ':' || IFNULL(%3, '-') || ':' || IFNULL(TAXABLE, '-') || ':' || IFNULL(NOTE, '-') FROM %4")
            .arg(income ? "DAILY_SALES_ID" : "DAILY_EXPENSE_ID", ItemColumn(kind),
                 income ? "SALES_AMOUNT" : "EXPENSE_AMOUNT", Table(kind)));
    rows.sort();
    return rows;
}

// The whole book as one text: totals, counters and every line.
QString BookText(TTestBook& book)
{
    return QStringList {BookState(book), BookRows(book, TLineKind::Income).join(' '),
                        BookRows(book, TLineKind::Expense).join(' ')}
        .join(" | ");
}

// The number the day's next line gets: above its counter and above every line it holds.
int NextNumberOf(TTestBook& book, TLineKind kind, const TLineDay& day)
{
    return int(std::max<qint64>(Counter(book, kind, day.TRANSACTION_DATE),
                                HighestLine(book, kind, day.TRANSACTION_DATE)))
           + 1;
}

QString BrokenNumbering(TTestBook& book)
{
    QStringList broken;
    for (TLineKind kind : {TLineKind::Income, TLineKind::Expense}) {
        const QString number = kind == TLineKind::Income ? "DAILY_SALES_ID" : "DAILY_EXPENSE_ID";
        const int repeated = book.Scalar(QStringLiteral("SELECT count(*) FROM (SELECT 1 FROM %1 GROUP BY "
                                                        "TRANSACTION_DATE, %2 HAVING count(*) > 1)")
                                             .arg(Table(kind), number))
                                 .toInt();
        if (repeated)
            broken << QStringLiteral("%1 repeated %2 numbers").arg(Table(kind)).arg(repeated);
    }
    return broken.join("; ");
}
