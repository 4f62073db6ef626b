#pragma once
// The profit and loss report: income set against expenses per day, week or month of a date
// range, the profit or loss of each row, column totals and the profit margin.
#include "Money.h"
#include "frm_BaseF1Report.h"

#include <QHash>

class TrptIncome : public TfrmBaseF1Report {
    Q_OBJECT
public:
    explicit TrptIncome(QWidget* parent = nullptr);

    // "PROFIT MARGIN: 50.00% ": profit over expenses, in percent.
    static QString ProfitMarginText(Money profit, Money expenses);

protected:
    void BuildReport() override;
    void GetDefaultFileName(QString& fileName) override { fileName = QStringLiteral("ProfitLoss"); }

    // The taxable lines' sums of a day; 0 for a day without any.
    Money GetTaxableIncome(int day) const { return m_taxableIncome.value(day); }
    Money GetTaxableExpenses(int day) const { return m_taxableExpenses.value(day); }

private:
    QHash<int, Money> m_taxableIncome;
    QHash<int, Money> m_taxableExpenses;
};
