#pragma once
// The result of Check Book when totals disagree with their lines: one row per total (the
// day or month, which total, the stored value, the value from the lines) and the offer to
// repair them all in one go.
#include "BookCheck.h"

#include <QDialog>

class QLabel;
class QPushButton;
class QTableWidget;

class TfrmBookCheck : public QDialog {
    Q_OBJECT
public:
    TfrmBookCheck(const QList<TTotalDifference>& differences, QWidget* parent = nullptr);

    QLabel* lblSummary;
    QTableWidget* grdDifferences;
    QPushButton* btnRepair;
    QPushButton* btnClose;

    // Repairs every differing total in one transaction, checks the book again and says
    // what came of it; the window closes once nothing differs.
    void btnRepairClick();

private:
    void ShowDifferences(const QList<TTotalDifference>& differences);
};
