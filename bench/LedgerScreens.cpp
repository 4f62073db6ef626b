#include "LedgerScreens.h"

#include "DayNumber.h"
#include "DbConnection.h"
#include "Dialogs.h"
#include "LineStorage.h"
#include "Money.h"
#include "Query.h"
#include "Statement.h"
#include "frm_ExpenseTransactions.h"
#include "frm_TransactionSales.h"
#include "sql_DailyExpenses.h"
#include "tbl_Resource.h"

#include <QCoreApplication>
#include <QTest>
#include <algorithm>
#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <random>

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double, std::milli>(to - from).count();
}

double MedianOf(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n == 0 ? 0 : (n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2);
}

// Every question answered OK, nothing shown: a bench has nobody to click.
class TAnswerOk : public TDialogs {
public:
    int MessageDlg(const QString&, TMsgDlgType, TMsgDlgButtons) override { return mrOk; }
    QString SaveFileName(QWidget*, const QString&, const QString&, const QString&, const QString&) override
    {
        return {};
    }
    bool ChoosePrinter(QPrinter&, QWidget*) override { return false; }
};

constexpr int VisibleRows = 30;
const QString BenchReference = QStringLiteral("BENCH");
const QString LineKey = QStringLiteral("PROFILE_ID;YYYY;MM;TRANSACTION_DATE;EXPENSE_ID");

// The filter text the screen builds from its date range.
QString DateFilter(int from, int to)
{
    return QStringLiteral(" TRANSACTION_DATE >= %1 AND TRANSACTION_DATE <= %2").arg(from).arg(to);
}

// What the screen reads back when it is shown again: the date filter on the last month.
void StoreFilterSettings(const TScreenBook& book)
{
    const std::pair<QString, QString> settings[] = {
        {QStringLiteral("EXPENSE_DATE_FILTER"), QStringLiteral("Y")},
        {QStringLiteral("EXPENSE_START_DATE"), QString::number(book.monthStart)},
        {QStringLiteral("EXPENSE_END_DATE"), QString::number(book.monthEnd)},
    };
    for (const auto& [name, value] : settings) {
        QString v = value;
        GetResourceDefault(name, v);  // makes the row when the book has none yet
        UpdateResource(name, value);
    }
}

// The rows a grid shows from the top, read as its model reads them.
size_t ReadVisible(TDataSet& ds)
{
    size_t chars = 0;
    const int rows = std::min(VisibleRows, ds.RecordCount());
    for (int r = 0; r < rows; ++r)
        for (int f = 0; f < ds.FieldCount(); ++f)
            if (ds.Fields(f).Visible)
                chars += size_t(ds.DisplayTextAt(r, f).size());
    return chars;
}

void Settle()
{
    QCoreApplication::processEvents();
}

// Time stamps of what the dataset announces while the screen works on it. Our handlers
// run after the grid's and the edits' (connected earlier), so a stamp marks the end of
// what the screen did on that signal.
class TPhaseClock {
public:
    explicit TPhaseClock(TDataSet& ds)
    {
        auto on = [&](auto signal, std::function<QString()> name) {
            m_links.push_back(QObject::connect(&ds, signal, &ds, [this, name] { Mark(name()); }));
        };
        TDataSet* set = &ds;
        on(&TDataSet::StateChanged, [set] {
            switch (set->State()) {
            case TDataSetState::Browse: return QStringLiteral("browse");
            case TDataSetState::Insert: return QStringLiteral("inserting");
            case TDataSetState::Edit: return QStringLiteral("editing");
            default: return QStringLiteral("inactive");
            }
        });
        on(&TDataSet::ActiveChanged,
           [set] { return set->Active() ? QStringLiteral("opened") : QStringLiteral("closed"); });
        // Closing resets the rows of an active set and leaves it inactive; opening the reverse.
        on(&TDataSet::RowsAboutToBeReset,
           [set] { return set->Active() ? QStringLiteral("rows going") : QStringLiteral("rows read"); });
        on(&TDataSet::RowsReset,
           [set] { return set->Active() ? QStringLiteral("rows shown") : QStringLiteral("rows gone"); });
        on(&TDataSet::RowsAboutToBeRemoved, [] { return QStringLiteral("removal begun"); });
        on(&TDataSet::RowsRemoved, [] { return QStringLiteral("removed"); });
        on(&TDataSet::RowsAboutToBeInserted, [] { return QStringLiteral("row add begun"); });
        on(&TDataSet::RowsInserted, [] { return QStringLiteral("row added"); });
        on(&TDataSet::DataSetChanged, [] { return QStringLiteral("changed"); });
        on(&TDataSet::Scrolled, [] { return QStringLiteral("moved"); });
    }
    ~TPhaseClock()
    {
        for (const auto& l : m_links)
            QObject::disconnect(l);
    }
    void Start()
    {
        m_marks.clear();
        m_on = true;
        Mark(QStringLiteral("start"));
    }
    void Mark(const QString& what)
    {
        if (m_on)
            m_marks.emplace_back(what, Clock::now());
    }
    // Adds this run's segments, same-named ones summed, to the totals.
    void Stop()
    {
        m_on = false;
        std::map<QString, double> run;
        for (size_t i = 1; i < m_marks.size(); ++i) {
            const QString name = m_marks[i - 1].first + QStringLiteral(" -> ") + m_marks[i].first;
            if (!run.count(name) && std::find(m_order.begin(), m_order.end(), name) == m_order.end())
                m_order.push_back(name);
            run[name] += Ms(m_marks[i - 1].second, m_marks[i].second);
        }
        for (const auto& [name, ms] : run)
            m_segments[name].push_back(ms);
        ++m_runs;
    }
    // The segments in the order they first came, median over the runs (0 where absent).
    void Report(const QString& title, QStringList& into) const
    {
        into << title;
        for (const QString& name : m_order) {
            std::vector<double> v = m_segments.at(name);
            v.resize(size_t(m_runs), 0.0);
            const double median = MedianOf(v);
            if (median >= 0.05)
                into << QStringLiteral("      %1 %2 ms").arg(name, -40).arg(median, 8, 'f', 2);
        }
    }

private:
    std::vector<QMetaObject::Connection> m_links;
    std::vector<std::pair<QString, Clock::time_point>> m_marks;
    std::map<QString, std::vector<double>> m_segments;
    std::vector<QString> m_order;
    int m_runs = 0;
    bool m_on = false;
};

struct TDetailTimes {
    std::map<QString, std::vector<double>> byName;
    std::vector<QString> order;
    void Add(const QString& name, double ms)
    {
        if (!byName.count(name))
            order.push_back(name);
        byName[name].push_back(ms);
    }
    void Report(const QString& title, QStringList& into) const
    {
        into << title;
        for (const QString& name : order)
            into << QStringLiteral("      %1 %2 ms").arg(name, -40).arg(MedianOf(byName.at(name)), 8, 'f', 2);
    }
};

// Our saved line made current, found by its reference, outside any timing.
void StandOnBenchLine(TDataSet& lines, int day)
{
    if (lines.CurrentIndex() >= 0 && lines.FieldByName(QStringLiteral("REFERENCE")).AsString() == BenchReference)
        return;
    lines.Locate(QStringLiteral("TRANSACTION_DATE;REFERENCE"), {TValue(int64_t(day)), TValue(BenchReference)});
}

std::vector<TValue> KeyOfCurrent(TDataSet& lines)
{
    return {TValue(int64_t(1)), lines.FieldByName(QStringLiteral("YYYY")).Value(),
            lines.FieldByName(QStringLiteral("MM")).Value(),
            lines.FieldByName(QStringLiteral("TRANSACTION_DATE")).Value(),
            lines.FieldByName(QStringLiteral("EXPENSE_ID")).Value()};
}

struct TFilterStep {
    QString kind;
    std::function<void(TfrmExpenseTransactions&)> act;
};

class TScreenBench {
public:
    TScreenBench(const TScreenBook& book, TScreenResults& results)
        : m_book(book),
          m_results(results),
          m_lines(*dmDailyExpenses->qryGetTransactionExpenses),
          m_lookup(*dmDailyExpenses->qryGetExpensesDescription),
          m_kept(DateFilter(book.monthStart, book.monthEnd)),
          m_savePhases(m_lines),
          m_deletePhases(m_lines)
    {
        m_steps = {
            {QStringLiteral("date filter box cleared"), [](auto& s) { s.cbFilterDate->click(); }},
            {QStringLiteral("date filter box ticked"), [](auto& s) { s.cbFilterDate->click(); }},
            {QStringLiteral("from date a month earlier"),
             [this](auto& s) { s.edFilterDateFrom->setDate(DayNumber::ToDate(m_book.otherMonthStart)); }},
            {QStringLiteral("from date back"),
             [this](auto& s) { s.edFilterDateFrom->setDate(DayNumber::ToDate(m_book.monthStart)); }},
            {QStringLiteral("one expense chosen"),
             [this](auto& s) {
                 const int i = 1 + int(m_random() % unsigned(std::max(1, s.cbExpenseFilter->count() - 1)));
                 s.cbExpenseFilter->setCurrentIndex(i);
                 emit s.cbExpenseFilter->activated(i);
             }},
            {QStringLiteral("all expenses again"),
             [](auto& s) {
                 s.cbExpenseFilter->setCurrentIndex(0);
                 emit s.cbExpenseFilter->activated(0);
             }},
        };
    }

    void ScreenRun(int saves)
    {
        // As at start-up: nothing open yet, the filter still to be read from the settings.
        m_lines.Close();
        m_lookup.Close();
        m_lines.SetFilter(QString());
        StoreFilterSettings(m_book);
        auto screen = std::make_unique<TfrmExpenseTransactions>();
        Settle();

        auto t0 = Clock::now();
        ShowTransactionsScreen(screen.get());
        Settle();
        screen->grab();
        m_results.show.ours.push_back(Ms(t0, Clock::now()));
        if (!m_lines.Active() || m_lines.Filter() != m_kept)
            ++m_results.failures;

        for (int k = 0; k < 5; ++k) {
            Settle();
            t0 = Clock::now();
            screen->grab();
            m_details.Add(QStringLiteral("painting the whole screen, nothing changed"), Ms(t0, Clock::now()));
        }

        m_filterTexts.clear();
        for (const TFilterStep& step : m_steps) {
            Settle();
            t0 = Clock::now();
            step.act(*screen);
            Settle();
            screen->grab();
            const double ms = Ms(t0, Clock::now());
            m_results.filterChange.ours.push_back(ms);
            m_filterKinds.Add(step.kind, ms);
            m_filterTexts.push_back(m_lines.Filter());
        }
        if (m_lines.Filter() != m_kept)
            ++m_results.failures;

        for (int s = 0; s < saves; ++s)
            ScreenSaveAndDelete(*screen);
        screen.reset();  // closes the list, as the program's end does
        Settle();
    }

    void PlainRun(int saves)
    {
        m_lines.Close();
        m_lookup.Close();
        m_lines.SetFilter(QString());
        auto t0 = Clock::now();
        m_lines.Open();
        m_lines.Last();
        m_lines.SetFilter(m_kept);
        ReadVisible(m_lines);
        m_results.show.plain.push_back(Ms(t0, Clock::now()));

        for (const QString& text : m_filterTexts) {
            t0 = Clock::now();
            m_lines.SetFilter(text);
            ReadVisible(m_lines);
            m_results.filterChange.plain.push_back(Ms(t0, Clock::now()));
        }
        m_lines.SetFilter(m_kept);

        TLineStorage storage(TLineKind::Expense, m_lines);
        for (int s = 0; s < saves; ++s) {
            const int day = NextDay();
            const int item = 1 + int(m_random() % unsigned(m_book.expenseItems));
            m_lines.Insert();
            m_lines.FieldByName(QStringLiteral("EXPENSE_AMOUNT")).SetAsMoney(Money::FromScaled(123400));
            m_lines.FieldByName(QStringLiteral("REFERENCE")).SetAsString(BenchReference);
            t0 = Clock::now();
            storage.Save(TLineDay::FromDayNumber(day), item, true, TDayRecord::Ensure);
            const auto saved = Clock::now();
            const std::vector<TValue> key = KeyOfCurrent(m_lines);
            m_lines.Close();
            m_lines.Open();
            const auto reopened = Clock::now();
            m_lines.Locate(LineKey, key, loPartialKey);
            auto t1 = Clock::now();
            m_results.saveLine.plain.push_back(Ms(t0, t1));
            m_plainPieces.Add(QStringLiteral("save: post with day and month roll-up"), Ms(t0, saved));
            m_plainPieces.Add(QStringLiteral("save: close and open of the list"), Ms(saved, reopened));
            m_plainPieces.Add(QStringLiteral("save: locate"), Ms(reopened, t1));

            StandOnBenchLine(m_lines, day);
            const TLineDay lineDay = TLineDay::FromDayNumber(day);
            t0 = Clock::now();
            storage.Delete();
            const auto deleted = Clock::now();
            m_lines.Close();
            m_lines.Open();
            t1 = Clock::now();
            m_results.deleteLine.plain.push_back(Ms(t0, t1));
            m_plainPieces.Add(QStringLiteral("delete: delete with roll-up"), Ms(t0, deleted));
            m_plainPieces.Add(QStringLiteral("delete: close and open of the list"), Ms(deleted, t1));
            t0 = Clock::now();
            {
                TTransaction transaction(m_lines.Connection());
                RollUpLineDay(TLineKind::Expense, lineDay);
                transaction.Commit();
            }
            m_plainPieces.Add(QStringLiteral("roll-up of one day and month alone"), Ms(t0, Clock::now()));
        }
        m_lines.Close();
    }

    // The list's reopen taken to pieces: the engine stepping the query's rows alone, our close
    // and open around it, and both again with the engine's page cache big enough to hold
    // the whole book (put back as it was afterwards), each after a committed write.
    void ReopenPieces()
    {
        TDbConnection& db = m_lines.Connection();
        auto pragma = [&](const char* name) {
            TStatement st(db, QString::fromLatin1(name));
            TExecution run(st);
            return run.Step() ? st.Integer(0) : 0;
        };
        const int64_t cacheWas = pragma("PRAGMA cache_size");
        const int64_t pageSize = pragma("PRAGMA page_size"), pages = pragma("PRAGMA page_count");
        m_results.details << QStringLiteral(
                                 "  the reopen taken to pieces (book of %1 pages of %2 bytes, page cache %3):")
                                 .arg(pages)
                                 .arg(pageSize)
                                 .arg(cacheWas);
        for (const int64_t cache : {cacheWas, int64_t(-262144)}) {
            db.ExecuteDirect(QStringLiteral("PRAGMA cache_size = %1").arg(cache));
            TDetailTimes pieces;
            m_lines.SetFilter(m_kept);
            m_lines.Open();
            for (int r = 0; r < 7; ++r) {
                {
                    // A save's roll-up goes before each reopen, as on the screen.
                    TTransaction transaction(db);
                    RollUpLineDay(TLineKind::Expense, TLineDay::FromDayNumber(m_book.monthEnd));
                    transaction.Commit();
                }
                auto t0 = Clock::now();
                m_lines.Close();
                auto t1 = Clock::now();
                m_lines.Open();
                auto t2 = Clock::now();
                pieces.Add(QStringLiteral("close"), Ms(t0, t1));
                pieces.Add(QStringLiteral("open"), Ms(t1, t2));
                TStatement st(db, m_lines.SQL());
                long rows = 0;
                t0 = Clock::now();
                {
                    TExecution run(st);
                    while (run.Step())
                        ++rows;
                }
                pieces.Add(QStringLiteral("the engine stepping its %1 rows alone").arg(rows), Ms(t0, Clock::now()));
            }
            m_lines.Close();
            pieces.Report(QStringLiteral("    page cache %1:").arg(cache), m_results.details);
        }
        db.ExecuteDirect(QStringLiteral("PRAGMA cache_size = %1").arg(cacheWas));
    }

    void Report()
    {
        m_filterKinds.Report(QStringLiteral("  screen_filter_change by kind of change:"), m_results.details);
        m_details.Report(QStringLiteral("  painting:"), m_results.details);
        m_savePhases.Report(QStringLiteral("  screen_save_line, what the list announced (median ms between):"),
                            m_results.details);
        m_deletePhases.Report(QStringLiteral("  screen_delete_line, what the list announced (median ms between):"),
                              m_results.details);
        m_plainPieces.Report(QStringLiteral("  the data work alone, piece by piece:"), m_results.details);
    }

private:
    int NextDay()
    {
        const int days = m_book.monthEnd - m_book.monthStart + 1;
        return m_book.monthStart + (m_dayTurn++ % days);
    }

    void ScreenSaveAndDelete(TfrmExpenseTransactions& screen)
    {
        // What the user does before OK: Add, an expense, the date, an amount, a reference.
        const int day = NextDay();
        Settle();
        screen.btnAdd->click();
        const int i = int(m_random() % unsigned(std::max(1, screen.cbExpense->count())));
        screen.cbExpense->setCurrentIndex(i);
        emit screen.cbExpense->activated(i);
        screen.edDate->setDate(DayNumber::ToDate(day));
        screen.edExpenses->selectAll();
        QTest::keyClicks(screen.edExpenses, QStringLiteral("12.34"));
        screen.edReference->selectAll();
        QTest::keyClicks(screen.edReference, BenchReference);
        Settle();

        m_savePhases.Start();
        auto t0 = Clock::now();
        screen.btnSave->click();
        m_savePhases.Mark(QStringLiteral("OK handled"));
        Settle();
        m_savePhases.Mark(QStringLiteral("events handled"));
        screen.grab();
        m_savePhases.Mark(QStringLiteral("painted"));
        m_results.saveLine.ours.push_back(Ms(t0, Clock::now()));
        m_savePhases.Stop();
        if (screen.EditMode()) {
            ++m_results.failures;
            screen.btnCancel->click();
            return;
        }

        StandOnBenchLine(m_lines, day);
        Settle();
        const int before = m_lines.RecordCount();
        m_deletePhases.Start();
        t0 = Clock::now();
        screen.btnDelete->click();
        m_deletePhases.Mark(QStringLiteral("Delete handled"));
        Settle();
        m_deletePhases.Mark(QStringLiteral("events handled"));
        screen.grab();
        m_deletePhases.Mark(QStringLiteral("painted"));
        m_results.deleteLine.ours.push_back(Ms(t0, Clock::now()));
        m_deletePhases.Stop();
        if (m_lines.RecordCount() != before - 1)
            ++m_results.failures;
    }

    const TScreenBook& m_book;
    TScreenResults& m_results;
    TQuery& m_lines;
    TQuery& m_lookup;
    const QString m_kept;
    std::vector<TFilterStep> m_steps;
    std::vector<QString> m_filterTexts;
    TPhaseClock m_savePhases, m_deletePhases;
    TDetailTimes m_filterKinds, m_details, m_plainPieces;
    std::mt19937 m_random {11};
    int m_dayTurn = 0;
};

}  // namespace

TScreenBook TScreenBook::LastMonth(int lastDay, int expenseItems)
{
    const QDate last = DayNumber::ToDate(lastDay);
    const QDate first(last.year(), last.month(), 1);
    TScreenBook book;
    book.monthStart = DayNumber::FromDate(first);
    book.monthEnd = lastDay;
    book.otherMonthStart = DayNumber::FromDate(first.addMonths(-1));
    book.expenseItems = expenseItems;
    return book;
}

std::vector<TScreenFigure> TScreenResults::Figures() const
{
    return {{QStringLiteral("screen_show_expense_transactions"), &show, 300},
            {QStringLiteral("screen_filter_change"), &filterChange, 30},
            {QStringLiteral("screen_save_line"), &saveLine, 100},
            {QStringLiteral("screen_delete_line"), &deleteLine, 100}};
}

QString TScreenResults::Details() const
{
    QString text;
    if (failures)
        text += QStringLiteral("  (%1 screen steps did not end as expected)\n").arg(failures);
    for (const QString& line : details)
        text += line + QLatin1Char('\n');
    return text;
}

TScreenResults MeasureScreens(const TScreenBook& book, int runs)
{
    TScreenResults results;
    TDialogsGuard answers(std::make_unique<TAnswerOk>());
    // Made as the program makes them, after the data modules; the income screen is there
    // because the expense screen's button leads to it.
    auto sales = std::make_unique<TfrmTransactionSales>();
    {
        TScreenBench bench(book, results);
        // Screen and data work take turns, so a machine busy with other things slows both.
        for (int r = 0; r < runs; ++r) {
            bench.ScreenRun(2);
            bench.PlainRun(2);
        }
        bench.Report();
        bench.ReopenPieces();
    }
    sales.reset();
    Settle();
    return results;
}
