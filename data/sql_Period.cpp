#include "sql_Period.h"

#include "Formats.h"
#include "tbl_period.h"

#include <cmath>

TdmPeriod* dmPeriod = nullptr;

TdmPeriod::TdmPeriod(TDbConnection& connection, QObject* parent)
    : TDataModule(QStringLiteral("dmPeriod"), connection, parent)
{
    qryGetPeriod = NewQuery(QStringLiteral("qryGetPeriod"),
                            QStringLiteral("SELECT YYYY, MM, SALES, EXPENSES FROM PERIOD ORDER BY YYYY, MM"));
    TQuery& period = *qryGetPeriod;
    period.AddField("YYYY", TFieldType::Smallint).Titled("Year").Wide(4);
    period.AddField("MM", TFieldType::Smallint).Titled("Month").Wide(4);
    // Totals are kept as money in the book, so they are read as money here too.
    period.AddField("SALES", TFieldType::Money).Titled("Income").Wide(12).Formats(Masks::Money);
    period.AddField("EXPENSES", TFieldType::Money).Titled("Expenses").Wide(12).Formats(Masks::Money);
    period.AddCalculatedField("Profit Margin", TFieldType::Money).Titled("Profit Margin").Formats(Masks::Percent);
    period.OnCalcFields = [this](TDataSet& ds) { qryGetPeriodCalcFields(ds); };
    // A month added on its screen starts from the lines it already holds.
    period.AfterInsertRow = [](TQuery& q) {
        UpdatePeriodTotals(int(q.FieldByName("YYYY").AsInteger()), int(q.FieldByName("MM").AsInteger()));
    };
    dsGetPeriod = NewDataSource(QStringLiteral("dsGetPeriod"), qryGetPeriod);

    qryGetLatestPeriod = NewQuery(QStringLiteral("qryGetLatestPeriod"),
                                  QStringLiteral("SELECT YYYY, MM FROM PERIOD "
                                                 "WHERE YYYY*100+MM = (SELECT MAX(YYYY*100+MM) FROM PERIOD)"));
    qrySetPeriod_Sales =
        NewCommand(QStringLiteral("qrySetPeriod_Sales"),
                   QStringLiteral("UPDATE PERIOD SET SALES = :iSALES WHERE YYYY = :iYYYY AND MM = :iMM"));
    qrySetPeriod_Expenses =
        NewCommand(QStringLiteral("qrySetPeriod_Expenses"),
                   QStringLiteral("UPDATE PERIOD SET EXPENSES = :iEXPENSES WHERE YYYY = :iYYYY AND MM = :iMM"));
    qryGetPeriodRecord =
        NewQuery(QStringLiteral("qryGetPeriodRecord"), QStringLiteral("SELECT YYYY, MM, SALES, EXPENSES FROM PERIOD "
                                                                      "WHERE YYYY = :iYYYY AND MM = :iMM"));
    QryInsertPeriodRecord = NewCommand(QStringLiteral("QryInsertPeriodRecord"),
                                       QStringLiteral("INSERT INTO PERIOD (PROFILE_ID, YYYY, MM, SALES, EXPENSES) "
                                                      "VALUES (:iPROFILE_ID, :iYYYY, :iMM, :iSALES, :iEXPENSES)"));
    dmPeriod = this;
}

TdmPeriod::~TdmPeriod()
{
    if (dmPeriod == this)
        dmPeriod = nullptr;
}

void TdmPeriod::qryGetPeriodCalcFields(TDataSet& dataSet)
{
    // The margin is measured on the month's expenses, not on its income.
    const Money expenses = dataSet.FieldByName("EXPENSES").AsMoney();
    TField& margin = dataSet.FieldByName("Profit Margin");
    if (expenses.IsZero()) {
        margin.SetAsMoney(Money());
        return;
    }
    const double sales = dataSet.FieldByName("SALES").AsMoney().ToDouble();
    const double value = (sales - expenses.ToDouble()) / expenses.ToDouble() * 100.0;
    // A margin too large for an amount (a tiny expense against a huge income) is left
    // empty rather than breaking the grid that shows it.
    if (std::isfinite(value) && std::fabs(value) < 9.0e14)
        margin.SetAsMoney(Money::FromDouble(value));
}
