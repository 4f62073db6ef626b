#include "LineStorage.h"

#include "Dataset.h"
#include "DayNumber.h"
#include "DbConnection.h"
#include "Errors.h"
#include "sql_DailyExpenses.h"
#include "sql_DailySales.h"
#include "tbl_DailyTransaction.h"
#include "tbl_period.h"

namespace {

struct TKindColumns {
    const char* numberField;
    const char* itemField;
    const char* itemName;
    int (*nextNumber)(int, int, int);
    void (*updateDay)(int, int, int);
    void (*updatePeriod)(int, int);
};

const TKindColumns& ColumnsOf(TLineKind kind)
{
    static const TKindColumns income {"DAILY_SALES_ID", "SALES_ID",     "income item",
                                      GetNextSalesID,   UpdateDaySales, UpdatePeriodSales};
    static const TKindColumns expense {"DAILY_EXPENSE_ID", "EXPENSE_ID",      "expense",
                                       GetNextExpenseID,   UpdateDayExpenses, UpdatePeriodExpenses};
    return kind == TLineKind::Income ? income : expense;
}

TDbConnection& ConnectionOf(TLineKind kind)
{
    return kind == TLineKind::Income ? dmDailySales->Connection() : dmDailyExpenses->Connection();
}

void CheckDay(const TLineDay& day)
{
    const QDate date = DayNumber::ToDate(day.TRANSACTION_DATE);
    if (!date.isValid() || date.year() != day.YYYY || date.month() != day.MM)
        throw EConvertError(QStringLiteral("%1/%2 is not the year and month of day %3")
                                .arg(day.YYYY)
                                .arg(day.MM)
                                .arg(day.TRANSACTION_DATE));
}

}  // namespace

TLineDay TLineDay::FromDayNumber(int day)
{
    const QDate date = DayNumber::ToDate(day);
    return TLineDay {date.year(), date.month(), day};
}

TLineDay TLineDay::FromDate(const QDate& date)
{
    return TLineDay {date.year(), date.month(), DayNumber::FromDate(date)};
}

void RollUpLineDay(TLineKind kind, const TLineDay& day)
{
    ConnectionOf(kind).RequireTransaction("RollUpLineDay");
    const TKindColumns& c = ColumnsOf(kind);
    c.updateDay(day.YYYY, day.MM, day.TRANSACTION_DATE);
    c.updatePeriod(day.YYYY, day.MM);
}

TLineStorage::TLineStorage(TLineKind kind, TDataSet& lines) : m_kind(kind), m_lines(lines) { }

TLineStorage::~TLineStorage() = default;

TLineDay TLineStorage::RowDay() const
{
    return TLineDay {int(m_lines.FieldByName("YYYY").AsInteger()), int(m_lines.FieldByName("MM").AsInteger()),
                     int(m_lines.FieldByName("TRANSACTION_DATE").AsInteger())};
}

TLineDay TLineStorage::StoredDay() const
{
    auto stored = [this](const char* name) {
        const TField& f = m_lines.FieldByName(name);
        return int(f.ToInteger(f.OldValue()));
    };
    return TLineDay {stored("YYYY"), stored("MM"), stored("TRANSACTION_DATE")};
}

void TLineStorage::BeforePost(const TLineDay& day, int itemId, bool taxable, TDayRecord dayRecord)
{
    const TKindColumns& c = ColumnsOf(m_kind);
    if (!m_lines.IsEditing())
        throw EDatasetError(QStringLiteral("No line is being added or changed: press Add or Edit first."));
    CheckDay(day);
    // Item ids are short integers in the book; a wrapped or clipped id would point at
    // another item.
    if (itemId < 1 || itemId > 32767)
        throw EConvertError(
            QStringLiteral("%1 is not a valid %2 id: ids run from 1 to 32767").arg(itemId).arg(c.itemName));
    TField& year = m_lines.FieldByName("YYYY");
    TField& month = m_lines.FieldByName("MM");
    TField& date = m_lines.FieldByName("TRANSACTION_DATE");
    TField& number = m_lines.FieldByName(c.numberField);
    m_lines.FieldByName(c.itemField).SetAsInteger(itemId);
    m_lines.FieldByName("TAXABLE").SetAsString(taxable ? QStringLiteral("Y") : QStringLiteral("N"));

    // A changed line is told by the row as stored, not by the pending one: a save refused
    // after the line was moved has already written the other day, and the number drawn
    // there, into it.
    const bool inserting = m_lines.IsInserting();
    std::optional<TLineDay> movedFrom;
    int lineNumber = 0;
    if (!inserting) {
        const TLineDay stored = StoredDay();
        lineNumber = int(number.ToInteger(number.OldValue()));
        if (!(stored == day))
            movedFrom = stored;
    }

    TTransaction transaction(ConnectionOf(m_kind));
    if (dayRecord == TDayRecord::Ensure)
        EnsureDailyTransaction(day.YYYY, day.MM, day.TRANSACTION_DATE);
    if (inserting || movedFrom) {
        lineNumber = c.nextNumber(day.YYYY, day.MM, day.TRANSACTION_DATE);
        if (lineNumber == 0) {
            // The day record was deleted after the screen was opened on it; a line
            // numbered 0 would collide with the next one.
            EnsureDailyTransaction(day.YYYY, day.MM, day.TRANSACTION_DATE);
            lineNumber = c.nextNumber(day.YYYY, day.MM, day.TRANSACTION_DATE);
        }
    }
    transaction.Commit();

    year.SetAsInteger(day.YYYY);
    month.SetAsInteger(day.MM);
    date.SetAsInteger(day.TRANSACTION_DATE);
    number.SetAsInteger(lineNumber);
    m_plan = TPlan {day, movedFrom, lineNumber};
}

void TLineStorage::AfterPost()
{
    if (!m_plan)
        throw EDatasetError(QStringLiteral("%1: no line was prepared for storing").arg(m_lines.Name()));
    const TPlan plan = *m_plan;
    TTransaction transaction(ConnectionOf(m_kind));
    // The day the line now belongs to first, then the one it left.
    RollUpLineDay(m_kind, plan.day);
    if (plan.movedFrom)
        RollUpLineDay(m_kind, *plan.movedFrom);
    transaction.Commit();
    m_plan.reset();
}

void TLineStorage::AfterDelete(const TLineDay& day)
{
    TTransaction transaction(ConnectionOf(m_kind));
    RollUpLineDay(m_kind, day);
    transaction.Commit();
}

void TLineStorage::Save(const TLineDay& day, int itemId, bool taxable, TDayRecord dayRecord)
{
    TTransaction transaction(ConnectionOf(m_kind));
    BeforePost(day, itemId, taxable, dayRecord);
    m_lines.Post();
    AfterPost();
    transaction.Commit();
}

std::optional<TLineDay> TLineStorage::Delete()
{
    if (m_lines.IsInserting()) {
        m_lines.Cancel();
        return std::nullopt;
    }
    m_lines.Cancel();
    if (m_lines.CurrentIndex() < 0)
        throw EDatasetError(QStringLiteral("There is no line to delete."));
    const TLineDay day = RowDay();
    TTransaction transaction(ConnectionOf(m_kind));
    m_lines.Delete();
    RollUpLineDay(m_kind, day);
    transaction.Commit();
    return day;
}

TLineDay TLineStorage::Day() const
{
    return m_plan ? m_plan->day : TLineDay();
}

std::optional<TLineDay> TLineStorage::MovedFrom() const
{
    return m_plan ? m_plan->movedFrom : std::nullopt;
}

int TLineStorage::LineNumber() const
{
    return m_plan ? m_plan->lineNumber : 0;
}
