// The ledger under load: a realistic encrypted book of 150,000 or 1,500,000 lines, and the
// time and memory the screens and reports spend on it, each beside the same work done
// with plain SQL through the engine's C API (the limit no layer of ours can beat).
//
//   bench_ledger [--scale small|large|both] [--json FILE] [--runs N] [--keep]
//
// Both books span ten years (2010 to 2019) with 60 income items and 120 expenses, half
// the lines income and half expenses: about 40 lines a day in the small book and 400 in
// the large one, so a month, a day and a report year hold ten times as many lines there.
// Ours and the plain SQL take turns run by run, so a machine busy with other work slows
// both alike; the plain side reads the same rows into plain structures and filters them
// there, as the screen does.
//
// Figures, each the median of repeated runs:
//   save_expense_line      one expense line through the whole storage sequence (make the
//                          day, draw its number, post, day and month roll-up), committed,
//                          on a day of the book's last month; the screen's list is open
//   save_expense_line_new_day  the same on a day (and at first a month) not yet in the book
//   open_all_lines         the expense transactions screen's all-lines dataset opened with
//                          its lookup and calculated fields, a month's date filter applied
//                          and the visible rows read as the grid shows them
//   change_filter          another month's filter and the visible rows read again
//   report:<query>         each report query over one year, every row read
//   open_book              the book opened and its first statement run
//   memory_all_lines       resident memory held by the open all-lines dataset
//   grid_save_line         save_expense_line with the list shown in a browse grid: from the
//                          new row to the grid having taken in the change and painted again
//   grid_scroll_page       the all-lines grid scrolled a page further down and painted, per
//                          page (these two have no plain SQL counterpart)
// The screen figures put beside them the same data work on our own datasets and line
// storage with no widget, so the ratio is what the screen adds:
//   screen_show_expense_transactions  the expense transactions screen's first showing, painted
//   screen_filter_change   its filter changed by the user (date box, dates, expense), repainted
//   screen_save_line       OK on a new line to browsing again and painted, list reopened
//   screen_delete_line     Delete of the current line, confirmed, to painted
//   report_spool_expense_cross_reference  the expense report by day over the report year
//                          spooled on its screen to painted; plain: its data read alone
//   report_spool_income_cross_reference   the same for the income report
//   report_spool_profit_and_loss          the same for profit and loss by day
//   report_save_xls        the largest of them saved as .xls through Save
#include "DBControls.h"
#include "LedgerReports.h"
#include "LedgerScreens.h"
#include "DataModules.h"
#include "DayNumber.h"
#include "DbConnection.h"
#include "Errors.h"
#include "Formats.h"
#include "Statement.h"
#include "LineStorage.h"
#include "sql_DailyExpenses.h"
#include "sql_DailySales.h"
#include "sql_DailyTransaction.h"
#include "sql_K2V.h"
#include "tbl_Expense.h"

#include <QApplication>
#include <QCoreApplication>
#include <QScrollBar>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <malloc.h>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <unistd.h>
#include <unordered_map>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

QTextStream& Out()
{
    static QTextStream out(stdout);
    return out;
}

double Milliseconds(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double, std::milli>(to - from).count();
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n == 0 ? 0 : (n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2);
}

// Resident memory of the process, after giving freed memory back, in megabytes.
double ResidentMB()
{
    malloc_trim(0);
    FILE* f = std::fopen("/proc/self/statm", "r");
    long size = 0, resident = 0;
    if (f) {
        if (std::fscanf(f, "%ld %ld", &size, &resident) != 2)
            resident = 0;
        std::fclose(f);
    }
    return double(resident) * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

// ---------------------------------------------------------------- the plain engine

const char* Password = "$q4u8a5z$";

// The engine's statements as they come, each run bound, stepped and reset by hand; no
// parameters by name, no datasets.
class TPlainStatement {
public:
    TPlainStatement(TDbConnection& db, const char* sql) : m_st(db, QString::fromUtf8(sql)) { }
    const TStatement* operator->() const { return &m_st; }
    TPlainStatement& Bind(int i, long long v)
    {
        Started().BindInteger(i, v);
        return *this;
    }
    TPlainStatement& Bind(int i, const char* text)
    {
        Started().BindText(i, text);
        return *this;
    }
    TPlainStatement& BindNull(int i)
    {
        Started().BindNull(i);
        return *this;
    }
    bool Step()
    {
        Started();
        return m_run->Step();
    }
    void Run()
    {
        Started();
        m_run->Finish();
        m_run.reset();
    }
    void Reset() { m_run.reset(); }

private:
    TStatement& Started()
    {
        if (!m_run)
            m_run.emplace(m_st);
        return m_st;
    }
    TStatement m_st;
    std::optional<TExecution> m_run;
};

std::unique_ptr<TDbConnection> PlainOpen(const QString& path)
{
    auto db = std::make_unique<TDbConnection>();
    db->SetDataSource(path);
    db->SetPassword(QString::fromUtf8(Password));
    db->Open();
    return db;
}

void PlainExec(TDbConnection& db, const char* sql)
{
    db.ExecuteDirect(QString::fromUtf8(sql));
}

// Text as a grid shows it, written without our formatting layer.
std::string PlainDate(int day)
{
    // Civil date from days since 1970-01-01 (H. Hinnant's algorithm); day 0 is 1899-12-30.
    long z = long(day) - 25569 + 719468;
    const long era = (z >= 0 ? z : z - 146096) / 146097;
    const long doe = z - era * 146097;
    const long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long mp = (5 * doy + 2) / 153;
    const long d = doy - (153 * mp + 2) / 5 + 1;
    const long m = mp < 10 ? mp + 3 : mp - 9;
    const long y = yoe + era * 400 + (m <= 2);
    char buf[48];
    std::snprintf(buf, sizeof buf, "%02ld/%02ld/%04ld", d, m, y);
    return buf;
}

std::string PlainMoney(long long scaled)
{
    const bool negative = scaled < 0;
    unsigned long long a = negative ? 0ULL - (unsigned long long)scaled : (unsigned long long)scaled;
    a = (a + 50) / 100;  // to cents, half away from zero
    std::string digits = std::to_string(a / 100);
    std::string grouped;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i && (digits.size() - i) % 3 == 0)
            grouped += ',';
        grouped += digits[i];
    }
    char cents[4];
    std::snprintf(cents, sizeof cents, "%02llu", a % 100);
    return (negative ? "-" : "") + grouped + "." + cents;
}

// ---------------------------------------------------------------- the book

struct TScale {
    QString name;
    long lines;
};

constexpr int Years = 10;
constexpr int IncomeItems = 60;
constexpr int ExpenseItems = 120;
const QDate FirstDay(2010, 1, 1);

struct TBookShape {
    int firstDay = 0;
    int lastDay = 0;
    int reportYear = 0;  // the last full year
};

// Ten years of lines, half income and half expenses, spread evenly over the days, with
// every day record and month row holding the totals of its lines.
TBookShape BuildBook(TDbConnection& connection, long lines)
{
    TDbConnection& db = connection;
    TBookShape shape;
    shape.firstDay = DayNumber::FromDate(FirstDay);
    shape.lastDay = DayNumber::FromDate(FirstDay.addYears(Years)) - 1;
    shape.reportYear = FirstDay.year() + Years - 1;
    const int days = shape.lastDay - shape.firstDay + 1;
    std::mt19937 random(20100101);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); };

    PlainExec(db, "BEGIN IMMEDIATE");
    static const char* const nouns[] = {"STOCK", "SERVICE", "SUPPLIES", "REPAIRS", "FEES", "RENTAL", "GOODS", "HIRE"};
    {
        TPlainStatement sales(db,
                              "INSERT INTO SALES (SALES_ID, SALES_DESCRIPTION, TAXABLE, AMOUNT) VALUES (?, ?, ?, ?)");
        for (int i = 1; i <= IncomeItems; ++i) {
            const QByteArray d = QStringLiteral("INCOME %1 %2").arg(nouns[i % 8]).arg(i, 3, 10, QChar('0')).toUtf8();
            sales.Bind(1, i)
                .Bind(2, d.constData())
                .Bind(3, i % 4 ? "Y" : "N")
                .Bind(4, (long long)(pick(0, 500)) * 10000);
            sales.Run();
        }
        TPlainStatement expense(db, "INSERT INTO EXPENSE (EXPENSE_ID, EXPENSE_DESCRIPTION, EXPENSE_TYPE_ID, TAXABLE, "
                                    "AMOUNT) VALUES (?, ?, 1, ?, ?)");
        for (int i = 1; i <= ExpenseItems; ++i) {
            const QByteArray d = QStringLiteral("%1 %2 SUPPLIER").arg(nouns[(i * 7) % 8]).arg(1000 - i).toUtf8();
            expense.Bind(1, i)
                .Bind(2, d.constData())
                .Bind(3, i % 3 ? "Y" : "N")
                .Bind(4, (long long)(pick(0, 900)) * 10000);
            expense.Run();
        }
        PlainExec(db, "UPDATE RESOURCE SET RESOURCE_VALUE = '60' WHERE RESOURCE_NAME = 'SALES_ID'");
        PlainExec(db, "UPDATE RESOURCE SET RESOURCE_VALUE = '120' WHERE RESOURCE_NAME = 'EXPENSE_ID'");
    }

    TPlainStatement income(db, "INSERT INTO DAILY_SALES (PROFILE_ID, YYYY, MM, TRANSACTION_DATE, DAILY_SALES_ID, "
                               "SALES_ID, SALES_AMOUNT, TAXABLE, NOTE) VALUES (1, ?, ?, ?, ?, ?, ?, ?, ?)");
    TPlainStatement expense(db, "INSERT INTO DAILY_EXPENSE (PROFILE_ID, YYYY, MM, TRANSACTION_DATE, DAILY_EXPENSE_ID, "
                                "EXPENSE_ID, EXPENSE_AMOUNT, TAXABLE, REFERENCE, NOTE) "
                                "VALUES (1, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
    TPlainStatement day(db, "INSERT INTO DAILY_TRANSACTION (PROFILE_ID, YYYY, MM, TRANSACTION_DATE, TAKINGS, EXPENSES, "
                            "LAST_EXPENSE_ID, LAST_SALES_ID) VALUES (1, ?, ?, ?, ?, ?, ?, ?)");
    TPlainStatement period(db, "INSERT INTO PERIOD (PROFILE_ID, YYYY, MM, SALES, EXPENSES) VALUES (1, ?, ?, ?, ?)");
    const long perKind = lines / 2;
    long incomeLeft = perKind, expenseLeft = lines - perKind;
    long long monthSales = 0, monthExpenses = 0;
    for (int i = 0; i < days; ++i) {
        const int d = shape.firstDay + i;
        const QDate date = DayNumber::ToDate(d);
        const int y = date.year(), m = date.month();
        const int incomeToday = int(incomeLeft / (days - i));
        const int expenseToday = int(expenseLeft / (days - i));
        incomeLeft -= incomeToday;
        expenseLeft -= expenseToday;
        long long takings = 0, paid = 0;
        for (int n = 1; n <= incomeToday; ++n) {
            const long long amount = (long long)pick(100, 50000) * 100;
            const bool taxable = pick(0, 9) < 8;
            income.Bind(1, y).Bind(2, m).Bind(3, d).Bind(4, n).Bind(5, pick(1, IncomeItems)).Bind(6, amount);
            income.Bind(7, taxable ? "Y" : "N");
            if (pick(0, 19) == 0)
                income.Bind(8, "Paid by card");
            else
                income.BindNull(8);
            income.Run();
            takings += amount;
        }
        for (int n = 1; n <= expenseToday; ++n) {
            const long long amount = (long long)pick(100, 90000) * 100;
            const bool taxable = pick(0, 9) < 7;
            char reference[24];
            std::snprintf(reference, sizeof reference, "INV-%06d", pick(1, 999999));
            expense.Bind(1, y).Bind(2, m).Bind(3, d).Bind(4, n).Bind(5, pick(1, ExpenseItems)).Bind(6, amount);
            expense.Bind(7, taxable ? "Y" : "N");
            if (pick(0, 9) < 6)
                expense.Bind(8, reference);
            else
                expense.BindNull(8);
            if (pick(0, 14) == 0)
                expense.Bind(9, "Delivered late; credit note to follow");
            else
                expense.BindNull(9);
            expense.Run();
            paid += amount;
        }
        day.Bind(1, y).Bind(2, m).Bind(3, d).Bind(4, takings).Bind(5, paid).Bind(6, expenseToday).Bind(7, incomeToday);
        day.Run();
        monthSales += takings;
        monthExpenses += paid;
        if (date.addDays(1).month() != m) {
            period.Bind(1, y).Bind(2, m).Bind(3, monthSales).Bind(4, monthExpenses);
            period.Run();
            monthSales = monthExpenses = 0;
        }
    }
    PlainExec(db, "COMMIT");
    return shape;
}

// ---------------------------------------------------------------- figures

struct TFigure {
    QString name;
    double ours = 0;
    double plain = 0;
    QString unit;
    long scale = 0;
    double target = 0;  // 0: none
    bool ratioTarget = false;
    QString note;  // shown beside the name, kept out of it so runs compare by name
};

std::vector<TFigure> g_figures;

void Record(const TFigure& f)
{
    g_figures.push_back(f);
    Out() << QStringLiteral("  %1 %2 %3 %4  x%5\n")
                 .arg(f.note.isEmpty() ? f.name : f.name + ' ' + f.note, -44)
                 .arg(f.ours, 10, 'f', f.unit == "MB" ? 1 : 2)
                 .arg(f.plain, 10, 'f', f.unit == "MB" ? 1 : 2)
                 .arg(f.unit, -3)
                 .arg(f.plain > 0 ? f.ours / f.plain : 0, 0, 'f', 2);
    Out().flush();
}

// ---------------------------------------------------------------- (1) saving a line

std::vector<double> OursSaveLine(const std::vector<TLineDay>& days, int runs, std::mt19937& random)
{
    // The screen holds its all-lines dataset open while the user enters a line.
    TQuery& lines = *dmDailyExpenses->qryGetTransactionExpenses;
    lines.Open();
    TLineStorage storage(TLineKind::Expense, lines);
    std::vector<double> times;
    for (int r = 0; r < runs; ++r) {
        const TLineDay& day = days[size_t(r) % days.size()];
        const int item = std::uniform_int_distribution<int>(1, ExpenseItems)(random);
        lines.Last();  // where the screen stands: it opens at the end, and recent lines are there
        const auto t0 = Clock::now();
        lines.Insert();
        lines.FieldByName("EXPENSE_AMOUNT").SetAsMoney(Money::FromScaled(123400));
        lines.FieldByName("REFERENCE").SetAsString("INV-BENCH");
        storage.Save(day, item, true, TDayRecord::Ensure);
        times.push_back(Milliseconds(t0, Clock::now()));
    }
    lines.Close();
    return times;
}

std::vector<double> PlainSaveLine(TDbConnection& db, const std::vector<TLineDay>& days, int runs, std::mt19937& random)
{
    TPlainStatement periodExists(db, "SELECT YYYY, MM, SALES, EXPENSES FROM PERIOD WHERE YYYY = ? AND MM = ?");
    TPlainStatement periodInsert(db,
                                 "INSERT INTO PERIOD (PROFILE_ID, YYYY, MM, SALES, EXPENSES) VALUES (1, ?, ?, 0, 0)");
    TPlainStatement dayExists(db, "SELECT YYYY, MM, TRANSACTION_DATE, TAKINGS, EXPENSES FROM DAILY_TRANSACTION "
                                  "WHERE YYYY = ? AND MM = ? AND TRANSACTION_DATE = ?");
    TPlainStatement dayInsert(db, "INSERT INTO DAILY_TRANSACTION (PROFILE_ID, YYYY, MM, TRANSACTION_DATE, TAKINGS, "
                                  "EXPENSES, LAST_EXPENSE_ID, LAST_SALES_ID) VALUES (1, ?, ?, ?, 0, 0, 0, 0)");
    TPlainStatement counter(db, "SELECT LAST_EXPENSE_ID FROM DAILY_TRANSACTION WHERE YYYY = ? AND MM = ? AND "
                                "TRANSACTION_DATE = ?");
    TPlainStatement highest(db, "SELECT MAX(DAILY_EXPENSE_ID) FROM DAILY_EXPENSE WHERE YYYY = ? AND MM = ? AND "
                                "TRANSACTION_DATE = ?");
    TPlainStatement setCounter(db, "UPDATE DAILY_TRANSACTION SET LAST_EXPENSE_ID = ? WHERE YYYY = ? AND MM = ? AND "
                                   "TRANSACTION_DATE = ?");
    TPlainStatement insertLine(db, "INSERT INTO DAILY_EXPENSE (YYYY, MM, TRANSACTION_DATE, DAILY_EXPENSE_ID, "
                                   "EXPENSE_ID, EXPENSE_AMOUNT, TAXABLE, REFERENCE) VALUES (?, ?, ?, ?, ?, ?, 'Y', ?)");
    TPlainStatement daySum(db, "SELECT SUM(EXPENSE_AMOUNT) FROM DAILY_EXPENSE WHERE YYYY = ? AND MM = ? AND "
                               "TRANSACTION_DATE = ? AND (TAXABLE = 'Y' OR TAXABLE = 'N')");
    TPlainStatement dayUpdate(db, "UPDATE DAILY_TRANSACTION SET EXPENSES = ? WHERE YYYY = ? AND MM = ? AND "
                                  "TRANSACTION_DATE = ?");
    TPlainStatement monthSum(db, "SELECT SUM(EXPENSE_AMOUNT) FROM DAILY_EXPENSE WHERE YYYY = ? AND MM = ?");
    TPlainStatement monthUpdate(db, "UPDATE PERIOD SET EXPENSES = ? WHERE YYYY = ? AND MM = ?");
    std::vector<double> times;
    for (int r = 0; r < runs; ++r) {
        const TLineDay& d = days[size_t(r) % days.size()];
        const int item = std::uniform_int_distribution<int>(1, ExpenseItems)(random);
        const auto t0 = Clock::now();
        PlainExec(db, "BEGIN IMMEDIATE");
        periodExists.Bind(1, d.YYYY).Bind(2, d.MM);
        const bool hasPeriod = periodExists.Step();
        periodExists.Reset();
        if (!hasPeriod) {
            periodInsert.Bind(1, d.YYYY).Bind(2, d.MM);
            periodInsert.Run();
        }
        dayExists.Bind(1, d.YYYY).Bind(2, d.MM).Bind(3, d.TRANSACTION_DATE);
        const bool hasDay = dayExists.Step();
        dayExists.Reset();
        if (!hasDay) {
            dayInsert.Bind(1, d.YYYY).Bind(2, d.MM).Bind(3, d.TRANSACTION_DATE);
            dayInsert.Run();
        }
        counter.Bind(1, d.YYYY).Bind(2, d.MM).Bind(3, d.TRANSACTION_DATE);
        counter.Step();
        long long last = counter->Integer(0);
        counter.Reset();
        highest.Bind(1, d.YYYY).Bind(2, d.MM).Bind(3, d.TRANSACTION_DATE);
        highest.Step();
        last = std::max(last, (long long)highest->Integer(0));
        highest.Reset();
        setCounter.Bind(1, last + 1).Bind(2, d.YYYY).Bind(3, d.MM).Bind(4, d.TRANSACTION_DATE);
        setCounter.Run();
        insertLine.Bind(1, d.YYYY).Bind(2, d.MM).Bind(3, d.TRANSACTION_DATE).Bind(4, last + 1).Bind(5, item);
        insertLine.Bind(6, 123400).Bind(7, "INV-BENCH");
        insertLine.Run();
        daySum.Bind(1, d.YYYY).Bind(2, d.MM).Bind(3, d.TRANSACTION_DATE);
        daySum.Step();
        const long long dayTotal = daySum->Integer(0);
        daySum.Reset();
        dayUpdate.Bind(1, dayTotal).Bind(2, d.YYYY).Bind(3, d.MM).Bind(4, d.TRANSACTION_DATE);
        dayUpdate.Run();
        monthSum.Bind(1, d.YYYY).Bind(2, d.MM);
        monthSum.Step();
        const long long monthTotal = monthSum->Integer(0);
        monthSum.Reset();
        monthUpdate.Bind(1, monthTotal).Bind(2, d.YYYY).Bind(3, d.MM);
        monthUpdate.Run();
        PlainExec(db, "COMMIT");
        times.push_back(Milliseconds(t0, Clock::now()));
    }
    return times;
}

// ---------------------------------------------------------------- (2) the all-lines dataset

constexpr int VisibleRows = 30;

QString FilterText(int from, int to)
{
    return QStringLiteral(" TRANSACTION_DATE >= %1 AND TRANSACTION_DATE <= %2").arg(from).arg(to);
}

// The text of the rows a grid shows from the top, as its model reads them.
size_t PaintOurs(TDataSet& ds, const std::vector<int>& visible)
{
    size_t chars = 0;
    const int rows = std::min(VisibleRows, ds.RecordCount());
    for (int r = 0; r < rows; ++r)
        for (int f : visible)
            chars += size_t(ds.DisplayTextAt(r, f).size());
    return chars;
}

struct TOpenResult {
    double open = 0, change = 0, memory = 0;
    size_t rows = 0, painted = 0;
};

TOpenResult OursAllLines(int monthA0, int monthA1, int monthB0, int monthB1, int runs)
{
    TQuery& lines = *dmDailyExpenses->qryGetTransactionExpenses;
    TQuery& lookup = *dmDailyExpenses->qryGetExpensesDescription;
    std::vector<int> visible;
    for (int i = 0; i < lines.FieldCount(); ++i)
        if (lines.Fields(i).Visible)
            visible.push_back(i);
    TOpenResult result;
    std::vector<double> opens, changes, memory;
    for (int r = 0; r < runs; ++r) {
        lines.Close();
        lines.SetFilter(QString());
        lookup.Close();
        const double before = ResidentMB();
        const auto t0 = Clock::now();
        lines.Open();
        lines.Last();  // the screen opens at the last line
        lines.Prior();
        lines.Next();
        lines.SetFilter(FilterText(monthA0, monthA1));
        result.painted = PaintOurs(lines, visible);
        const auto t1 = Clock::now();
        opens.push_back(Milliseconds(t0, t1));
        memory.push_back(ResidentMB() - before);
        for (int c = 0; c < 3; ++c) {
            const bool b = c % 2 == 0;
            const auto c0 = Clock::now();
            lines.SetFilter(b ? FilterText(monthB0, monthB1) : FilterText(monthA0, monthA1));
            PaintOurs(lines, visible);
            changes.push_back(Milliseconds(c0, Clock::now()));
        }
        result.rows = size_t(lines.RecordCount());
    }
    lines.Close();
    lines.SetFilter(QString());
    lookup.Close();
    result.open = Median(opens);
    result.change = Median(changes);
    result.memory = Median(memory);
    return result;
}

struct TPlainLine {
    int profile = 0, yyyy = 0, mm = 0, date = 0, number = 0, expense = 0;
    long long amount = 0;
    bool amountNull = false;
    std::string taxable, reference, note;
};

TOpenResult PlainAllLines(TDbConnection& db, int monthA0, int monthA1, int monthB0, int monthB1, int runs)
{
    TOpenResult result;
    std::vector<double> opens, changes, memory;
    TPlainStatement all(db, "SELECT PROFILE_ID, YYYY, MM, TRANSACTION_DATE, DAILY_EXPENSE_ID, EXPENSE_ID, "
                            "EXPENSE_AMOUNT, TAXABLE, REFERENCE, NOTE FROM DAILY_EXPENSE "
                            "ORDER BY TRANSACTION_DATE, EXPENSE_ID");
    TPlainStatement descriptions(db, "SELECT * FROM EXPENSE ORDER BY EXPENSE_DESCRIPTION");
    auto text = [](const TPlainStatement& st, int c) { return std::string(st->Utf8(c)); };
    for (int r = 0; r < runs; ++r) {
        const double before = ResidentMB();
        const auto t0 = Clock::now();
        std::vector<TPlainLine> lines;
        while (all.Step()) {
            TPlainLine l;
            l.profile = int(all->Integer(0));
            l.yyyy = int(all->Integer(1));
            l.mm = int(all->Integer(2));
            l.date = int(all->Integer(3));
            l.number = int(all->Integer(4));
            l.expense = int(all->Integer(5));
            l.amountNull = all->IsNull(6);
            l.amount = all->Integer(6);
            l.taxable = text(all, 7);
            l.reference = text(all, 8);
            l.note = text(all, 9);
            lines.push_back(std::move(l));
        }
        all.Reset();
        std::unordered_map<int, std::string> names;
        while (descriptions.Step())
            names.emplace(int(descriptions->Integer(0)), text(descriptions, 1));
        descriptions.Reset();
        std::vector<const TPlainLine*> view;
        auto filter = [&](int from, int to) {
            view.clear();
            for (const TPlainLine& l : lines)
                if (l.date >= from && l.date <= to)
                    view.push_back(&l);
        };
        auto paint = [&] {
            size_t chars = 0;
            for (size_t i = 0; i < std::min<size_t>(VisibleRows, view.size()); ++i) {
                const auto it = names.find(view[i]->expense);
                chars += PlainDate(view[i]->date).size() + (it == names.end() ? 0 : it->second.size())
                         + (view[i]->amountNull ? 0 : PlainMoney(view[i]->amount).size()) + view[i]->taxable.size();
            }
            return chars;
        };
        filter(monthA0, monthA1);
        result.painted = paint();
        const auto t1 = Clock::now();
        opens.push_back(Milliseconds(t0, t1));
        memory.push_back(ResidentMB() - before);
        for (int c = 0; c < 3; ++c) {
            const bool b = c % 2 == 0;
            const auto c0 = Clock::now();
            b ? filter(monthB0, monthB1) : filter(monthA0, monthA1);
            paint();
            changes.push_back(Milliseconds(c0, Clock::now()));
        }
        result.rows = view.size();
    }
    result.open = Median(opens);
    result.change = Median(changes);
    result.memory = Median(memory);
    return result;
}

// ---------------------------------------------------------------- (3) report queries

// What the reads add up to, kept so the compiler cannot drop them.
volatile long long g_sink = 0;

struct TReportQuery {
    QString name;
    TQuery* query;
    bool setTaxable;  // the profit and loss sums leave it unset
    QStringList columns;
    QString plainSql;
};

std::vector<TReportQuery> ReportQueries()
{
    const QString range = "TRANSACTION_DATE >= :iTRANSACTION_DATE_START AND TRANSACTION_DATE <= :iTRANSACTION_DATE_END";
    std::vector<TReportQuery> q = {
        {"qryGetDistinctExpensesForPeriod", dmDailyExpenses->qryGetDistinctExpensesForPeriod, true, {"EXPENSE_ID"}, {}},
        {"qryGetDistinctDatesForExpenses",
         dmDailyExpenses->qryGetDistinctDatesForExpenses,
         true,
         {"TRANSACTION_DATE"},
         {}},
        {"qryGetExpensesForPeriod",
         dmDailyExpenses->qryGetExpensesForPeriod,
         true,
         {"EXPENSE_ID", "TRANSACTION_DATE", "SUM_EXPENSE_AMOUNT", "EXPENSE_DESCRIPTION", "REFERENCE"},
         {}},
        {"qryGetExpensesForExport",
         dmDailyExpenses->qryGetExpensesForExport,
         true,
         {"TRANSACTION_DATE", "EXPENSE_DESCRIPTION", "EXPENSE_AMOUNT", "TAXABLE", "REFERENCE"},
         {}},
        {"qryGetSumExpensesByDateRange",
         dmDailyExpenses->qryGetSumExpensesByDateRange,
         false,
         {"TRANSACTION_DATE", "SUM_EXPENSE_AMOUNT"},
         {}},
        {"qryGetDistinctSalesForPeriod", dmDailySales->qryGetDistinctSalesForPeriod, true, {"SALES_ID"}, {}},
        {"qryGetDistinctDateForSales", dmDailySales->qryGetDistinctDateForSales, true, {"TRANSACTION_DATE"}, {}},
        {"qryGetSalesForPeriod",
         dmDailySales->qryGetSalesForPeriod,
         true,
         {"SALES_ID", "TRANSACTION_DATE", "SUM_SALES_AMOUNT", "SALES_DESCRIPTION"},
         {}},
        {"qryGetSalesForExport",
         dmDailySales->qryGetSalesForExport,
         true,
         {"TRANSACTION_DATE", "SALES_DESCRIPTION", "SALES_AMOUNT", "TAXABLE"},
         {}},
        {"qryGetSumSalesByDateRange",
         dmDailySales->qryGetSumSalesByDateRange,
         false,
         {"TRANSACTION_DATE", "SUM_SALES_AMOUNT"},
         {}},
        {"qryGetDailyExpensesByDateRange",
         dmDailyTransaction->qryGetDailyExpensesByDateRange,
         false,
         {"TRANSACTION_DATE", "TAKINGS", "EXPENSES"},
         {}},
    };
    for (auto& r : q)
        r.plainSql = r.query->SQL();  // the very same text, parameters bound by name
    return q;
}

// Every row read the way the report reads it: each named column as its type.
double OursReport(const TReportQuery& r, int start, int end, int runs, long& rowCount)
{
    TQuery& q = *r.query;
    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        const auto t0 = Clock::now();
        q.ParamByName("iTRANSACTION_DATE_START").SetAsInteger(start);
        q.ParamByName("iTRANSACTION_DATE_END").SetAsInteger(end);
        if (r.setTaxable)
            q.ParamByName("iTAXABLE").SetAsString("N");
        q.Open();
        std::vector<const TField*> fields;
        for (const QString& c : r.columns)
            fields.push_back(&q.FieldByName(c));
        long rows = 0;
        qint64 check = 0;
        for (; !q.Eof(); q.Next(), ++rows)
            for (const TField* f : fields) {
                switch (f->DataType) {
                case TFieldType::Money: check += f->AsMoney().Scaled(); break;
                case TFieldType::String:
                case TFieldType::Memo: check += f->AsString().size(); break;
                default: check += f->AsInteger();
                }
            }
        q.Close();
        times.push_back(Milliseconds(t0, Clock::now()));
        rowCount = rows;
        g_sink = g_sink + check;
    }
    return Median(times);
}

double PlainReport(TDbConnection& db, const TReportQuery& r, int start, int end, int runs, long& rowCount)
{
    TPlainStatement st(db, r.plainSql.toUtf8().constData());
    std::vector<double> times;
    const int startIndex = st->ParameterIndex(":iTRANSACTION_DATE_START");
    const int endIndex = st->ParameterIndex(":iTRANSACTION_DATE_END");
    const int taxableIndex = st->ParameterIndex(":iTAXABLE");
    std::vector<int> columns;
    for (const QString& c : r.columns)
        for (int i = 0; i < st->ColumnCount(); ++i)
            if (c == st->ColumnName(i))
                columns.push_back(i);
    for (int run = 0; run < runs; ++run) {
        const auto t0 = Clock::now();
        st.Bind(startIndex, start).Bind(endIndex, end);
        if (taxableIndex > 0) {
            if (r.setTaxable)
                st.Bind(taxableIndex, "N");
            else
                st.BindNull(taxableIndex);
        }
        long rows = 0;
        long long check = 0;
        while (st.Step()) {
            ++rows;
            for (int c : columns) {
                if (st->IsText(c))
                    check += std::string(st->Utf8(c)).size();
                else
                    check += st->Integer(c);
            }
        }
        st.Reset();
        times.push_back(Milliseconds(t0, Clock::now()));
        rowCount = rows;
        g_sink = g_sink + check;
    }
    return Median(times);
}

// ---------------------------------------------------------------- (4) opening the book

double OursOpenBook(const QString& folder, std::unique_ptr<TDataModules>& modules, int runs)
{
    std::vector<double> times;
    for (int r = 0; r < runs; ++r) {
        modules.reset();
        const auto t0 = Clock::now();
        modules = std::make_unique<TDataModules>(folder);
        QStringList ids, descriptions;
        GetExpenseList(ids, descriptions);  // the first pick list a screen loads
        times.push_back(Milliseconds(t0, Clock::now()));
    }
    return Median(times);
}

double PlainOpenBook(const QString& path, int runs)
{
    std::vector<double> times;
    for (int r = 0; r < runs; ++r) {
        const auto t0 = Clock::now();
        std::unique_ptr<TDbConnection> db = PlainOpen(path);
        {
            TPlainStatement list(*db, "SELECT * FROM EXPENSE ORDER BY EXPENSE_DESCRIPTION");
            std::vector<std::pair<int, std::string>> items;
            while (list.Step())
                items.emplace_back(int(list->Integer(0)), std::string(list->Utf8(1)));
        }
        times.push_back(Milliseconds(t0, Clock::now()));
        db.reset();
    }
    return Median(times);
}

// ---------------------------------------------------------------- (5) the browse grid

// The all-lines list shown as the screen shows it, offscreen.
struct TShownLines {
    TDataSource source;
    TDBGrid grid;
    explicit TShownLines(TDataSet& lines) : source(QStringLiteral("dsBenchLines"), &lines)
    {
        grid.resize(1000, 700);
        grid.SetDataSource(&source);
        grid.show();
        QCoreApplication::processEvents();
    }
    void Paint() { grid.viewport()->grab(); }
};

std::vector<double> GridSaveLine(const std::vector<TLineDay>& days, int runs, std::mt19937& random)
{
    TQuery& lines = *dmDailyExpenses->qryGetTransactionExpenses;
    lines.Open();
    TShownLines shown(lines);
    TLineStorage storage(TLineKind::Expense, lines);
    std::vector<double> times;
    for (int r = 0; r < runs; ++r) {
        const TLineDay& day = days[size_t(r) % days.size()];
        const int item = std::uniform_int_distribution<int>(1, ExpenseItems)(random);
        lines.Last();
        QCoreApplication::processEvents();
        const auto t0 = Clock::now();
        lines.Insert();
        lines.FieldByName("EXPENSE_AMOUNT").SetAsMoney(Money::FromScaled(123400));
        lines.FieldByName("REFERENCE").SetAsString("INV-BENCH");
        storage.Save(day, item, true, TDayRecord::Ensure);
        QCoreApplication::processEvents();
        shown.Paint();
        times.push_back(Milliseconds(t0, Clock::now()));
    }
    lines.Close();
    return times;
}

// Pages down through the whole unfiltered list, each page painted as the user sees it.
std::vector<double> GridScrollPages(int pages)
{
    TQuery& lines = *dmDailyExpenses->qryGetTransactionExpenses;
    lines.Close();
    lines.SetFilter(QString());
    lines.Open();
    TShownLines shown(lines);
    shown.Paint();
    QScrollBar* bar = shown.grid.verticalScrollBar();
    const int step = std::max(1, (bar->maximum() - bar->minimum()) / std::max(1, pages));
    std::vector<double> times;
    for (int p = 1; p <= pages; ++p) {
        const auto t0 = Clock::now();
        bar->setValue(std::min(bar->maximum(), bar->minimum() + p * step));
        QCoreApplication::processEvents();
        shown.Paint();
        times.push_back(Milliseconds(t0, Clock::now()));
    }
    lines.Close();
    return times;
}

// ---------------------------------------------------------------- one scale

void RunScale(const TScale& scale, int runs, bool keep)
{
    QTemporaryDir dir;
    dir.setAutoRemove(!keep);
    const QString folder = dir.path();
    Out() << QStringLiteral("\n== %1 lines (%2), book in %3\n").arg(scale.lines).arg(scale.name, folder);
    Out().flush();

    auto modules = std::make_unique<TDataModules>(folder);
    const QString path = dmK2V->ADOConnection.DataSource();
    const auto b0 = Clock::now();
    const TBookShape shape = BuildBook(dmK2V->ADOConnection, scale.lines);
    Out() << QStringLiteral("  built in %1 s, %2 MB on disk\n")
                 .arg(Milliseconds(b0, Clock::now()) / 1000, 0, 'f', 1)
                 .arg(double(QFile(path).size()) / (1024.0 * 1024.0), 0, 'f', 1);
    Out() << QStringLiteral("  %1 %2 %3\n").arg("figure", -44).arg("ours", 13).arg("plain SQL", 14);
    Out().flush();

    std::mt19937 random(7);
    const int yearStart = DayNumber::FromDate(QDate(shape.reportYear, 1, 1));
    const int yearEnd = DayNumber::FromDate(QDate(shape.reportYear, 12, 31));
    const int monthA0 = DayNumber::FromDate(QDate(shape.reportYear, 11, 1));
    const int monthA1 = DayNumber::FromDate(QDate(shape.reportYear, 11, 30));
    const int monthB0 = DayNumber::FromDate(QDate(shape.reportYear, 6, 1));
    const int monthB1 = DayNumber::FromDate(QDate(shape.reportYear, 6, 30));

    // (4) opening the book, first: nothing of it is cached by the program yet.
    {
        std::vector<double> ours, plain;
        for (int r = 0; r < std::max(5, runs); ++r) {
            plain.push_back(PlainOpenBook(path, 1));
            ours.push_back(OursOpenBook(folder, modules, 1));
        }
        Record({"open_book", Median(ours), Median(plain), "ms", scale.lines, 1000, false, {}});
    }

    std::unique_ptr<TDbConnection> plainBook = PlainOpen(path);
    TDbConnection& plainDb = *plainBook;

    // (2) the all-lines dataset and its filter; memory with it.
    {
        TOpenResult plain, ours;
        std::vector<double> plainOpen, plainChange, plainMemory, oursOpen, oursChange, oursMemory;
        for (int r = 0; r < std::max(3, runs / 2); ++r) {
            plain = PlainAllLines(plainDb, monthA0, monthA1, monthB0, monthB1, 1);
            ours = OursAllLines(monthA0, monthA1, monthB0, monthB1, 1);
            plainOpen.push_back(plain.open);
            plainChange.push_back(plain.change);
            plainMemory.push_back(plain.memory);
            oursOpen.push_back(ours.open);
            oursChange.push_back(ours.change);
            oursMemory.push_back(ours.memory);
        }
        plain.open = Median(plainOpen);
        plain.change = Median(plainChange);
        plain.memory = Median(plainMemory);
        ours.open = Median(oursOpen);
        ours.change = Median(oursChange);
        ours.memory = Median(oursMemory);
        if (ours.rows != plain.rows || ours.painted != plain.painted)
            Out() << QStringLiteral("  (rows differ: ours %1 rows %2 chars, plain %3 rows %4 chars)\n")
                         .arg(ours.rows)
                         .arg(ours.painted)
                         .arg(plain.rows)
                         .arg(plain.painted);
        Record({"open_all_lines", ours.open, plain.open, "ms", scale.lines, 300, true, {}});
        Record({"change_filter", ours.change, plain.change, "ms", scale.lines, 50, true, {}});
        Record({"memory_all_lines", ours.memory, plain.memory, "MB", scale.lines, 150, false, {}});
    }

    // (3) each report query over the last full year.
    for (const TReportQuery& r : ReportQueries()) {
        long oursRows = 0, plainRows = 0;
        std::vector<double> plainTimes, oursTimes;
        for (int run = 0; run < std::max(5, runs); ++run) {
            plainTimes.push_back(PlainReport(plainDb, r, yearStart, yearEnd, 1, plainRows));
            oursTimes.push_back(OursReport(r, yearStart, yearEnd, 1, oursRows));
        }
        const double plain = Median(plainTimes), ours = Median(oursTimes);
        if (oursRows != plainRows)
            Out() << QStringLiteral("  (%1: ours %2 rows, plain %3)\n").arg(r.name).arg(oursRows).arg(plainRows);
        Record(
            {"report:" + r.name, ours, plain, "ms", scale.lines, 100, true, QStringLiteral("(%1 rows)").arg(oursRows)});
    }

    // (1) saving a line, durably: on the days of the book's last month, and on new days.
    {
        std::vector<TLineDay> days;
        for (int d = shape.lastDay - 29; d <= shape.lastDay; ++d)
            days.push_back(TLineDay::FromDayNumber(d));
        std::vector<TLineDay> newDays;
        for (int d = shape.lastDay + 1; d <= shape.lastDay + 60; ++d)
            newDays.push_back(TLineDay::FromDayNumber(d));
        std::vector<TLineDay> plainNewDays;
        for (int d = shape.lastDay + 61; d <= shape.lastDay + 120; ++d)
            plainNewDays.push_back(TLineDay::FromDayNumber(d));
        // In blocks taken in turn, each block of ours on the screen's open dataset.
        constexpr int Blocks = 5;
        const int perBlock = std::max(3, runs * 3 / Blocks);
        std::vector<double> plain, ours, plainNew, oursNew;
        for (int b = 0; b < Blocks; ++b) {
            auto slice = [&](const std::vector<TLineDay>& all) {
                std::vector<TLineDay> part;
                for (int i = 0; i < perBlock; ++i)
                    part.push_back(all[size_t(b * perBlock + i) % all.size()]);
                return part;
            };
            auto add = [](std::vector<double>& to, const std::vector<double>& from) {
                to.insert(to.end(), from.begin(), from.end());
            };
            add(plain, PlainSaveLine(plainDb, slice(days), perBlock, random));
            add(ours, OursSaveLine(slice(days), perBlock, random));
            add(plainNew, PlainSaveLine(plainDb, slice(plainNewDays), perBlock, random));
            add(oursNew, OursSaveLine(slice(newDays), perBlock, random));
        }
        Record({"save_expense_line", Median(ours), Median(plain), "ms", scale.lines, 20, false, {}});
        Record({"save_expense_line_new_day", Median(oursNew), Median(plainNew), "ms", scale.lines, 20, false, {}});
    }
    // (5) what the user feels in the browse grid.
    {
        std::vector<TLineDay> days;
        for (int d = shape.lastDay - 29; d <= shape.lastDay; ++d)
            days.push_back(TLineDay::FromDayNumber(d));
        Record({"grid_save_line",
                Median(GridSaveLine(days, std::max(5, runs), random)),
                0,
                "ms",
                scale.lines,
                0,
                false,
                {}});
        Record(
            {"grid_scroll_page", Median(GridScrollPages(std::max(20, runs * 4))), 0, "ms", scale.lines, 0, false, {}});
    }
    // The expense transactions screen itself, beside the same data work without it.
    {
        const TScreenResults s =
            MeasureScreens(TScreenBook::LastMonth(shape.lastDay, ExpenseItems), std::max(3, runs / 2));
        for (const TScreenFigure& f : s.Figures())
            Record({f.name, Median(f.times->ours), Median(f.times->plain), "ms", scale.lines, f.target, false, {}});
        Out() << s.Details();
    }
    for (const TReportFigure& f :
         MeasureReports(QDate(shape.reportYear, 1, 1), QDate(shape.reportYear, 12, 31), std::max(5, runs)))
        Record({f.name, f.ours, f.plain, "ms", scale.lines, f.target, false, f.note});
    plainBook.reset();
    modules.reset();
}

void WriteJson(const QString& file)
{
    QJsonArray figures;
    for (const TFigure& f : g_figures)
        figures.append(QJsonObject {
            {"name", f.name}, {"ours", f.ours}, {"plain", f.plain}, {"unit", f.unit}, {"scale", double(f.scale)}});
    const QJsonObject root {{"benchmark", "ledger"}, {"engine", TDbConnection::EngineVersion()}, {"figures", figures}};
    QFile out(file);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw EZorpError(QStringLiteral("Cannot write %1").arg(file));
    out.write(QJsonDocument(root).toJson());
}

// The targets, judged at the small scale; the save also against its small-scale time.
void PrintVerdicts()
{
    Out() << "\n== targets\n";
    double smallSave = 0, largeSave = 0, smallPlain = 0, largePlain = 0;
    for (const TFigure& f : g_figures) {
        if (f.name == "save_expense_line") {
            (f.scale < 1000000 ? smallSave : largeSave) = f.ours;
            (f.scale < 1000000 ? smallPlain : largePlain) = f.plain;
        }
        if (f.scale >= 1000000 || f.target <= 0)
            continue;
        const bool absolute = f.ours <= f.target;
        const double ratio = f.plain > 0 ? f.ours / f.plain : 0;
        QString line = QStringLiteral("  %1 %2 %3 (target %4 %3)")
                           .arg(f.name, -46)
                           .arg(f.ours, 9, 'f', 2)
                           .arg(f.unit)
                           .arg(f.target);
        line += absolute ? " met" : " MISSED";
        if (f.ratioTarget)
            line += QStringLiteral("; x%1 of plain SQL (target x1.5) %2")
                        .arg(ratio, 0, 'f', 2)
                        .arg(ratio <= 1.5 ? "met" : "MISSED");
        Out() << line << "\n";
    }
    if (smallSave > 0 && largeSave > 0)
        Out() << QStringLiteral("  save at 1.5M lines / at 150k lines: x%1 (target x1.5) %2; plain SQL x%3\n")
                     .arg(largeSave / smallSave, 0, 'f', 2)
                     .arg(largeSave / smallSave <= 1.5 ? "met" : "MISSED")
                     .arg(smallPlain > 0 ? largePlain / smallPlain : 0, 0, 'f', 2);
    Out().flush();
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);  // the grid figures paint offscreen
    QString scaleArg = "small", jsonFile;
    int runs = 9;
    bool keep = false;
    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == "--scale" && i + 1 < args.size())
            scaleArg = args[++i];
        else if (args[i] == "--json" && i + 1 < args.size())
            jsonFile = args[++i];
        else if (args[i] == "--runs" && i + 1 < args.size())
            runs = std::max(1, args[++i].toInt());
        else if (args[i] == "--keep")
            keep = true;
        else {
            Out() << "usage: bench_ledger [--scale small|large|both] [--json FILE] [--runs N] [--keep]\n";
            return 2;
        }
    }
    std::vector<TScale> scales;
    if (scaleArg == "small" || scaleArg == "both")
        scales.push_back({"small", 150000});
    if (scaleArg == "large" || scaleArg == "both")
        scales.push_back({"large", 1500000});
    if (scales.empty()) {
        Out() << "--scale takes small, large or both\n";
        return 2;
    }
    try {
        Out() << "engine " << TDbConnection::EngineVersion() << ", medians of repeated runs\n";
        for (const TScale& s : scales)
            RunScale(s, runs, keep);
        PrintVerdicts();
        if (!jsonFile.isEmpty())
            WriteJson(jsonFile);
    } catch (const EZorpError& e) {
        Out() << "error: " << e.Message() << "\n";
        return 1;
    }
    return 0;
}
