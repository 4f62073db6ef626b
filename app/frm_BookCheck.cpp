#include "frm_BookCheck.h"

#include "Dialogs.h"
#include "ErrorHandler.h"
#include "sql_K2V.h"

#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

TfrmBookCheck::TfrmBookCheck(const QList<TTotalDifference>& differences, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmBookCheck"));
    setWindowTitle(QStringLiteral("Check Book"));

    lblSummary = new QLabel;
    lblSummary->setObjectName(QStringLiteral("lblSummary"));
    lblSummary->setWordWrap(true);

    grdDifferences = new QTableWidget(0, 4);
    grdDifferences->setObjectName(QStringLiteral("grdDifferences"));
    grdDifferences->setHorizontalHeaderLabels(
        {QStringLiteral("Day or month"), QStringLiteral("Total"), QStringLiteral("Stored"),
         QStringLiteral("From the lines")});
    grdDifferences->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdDifferences->setSelectionBehavior(QAbstractItemView::SelectRows);
    grdDifferences->verticalHeader()->hide();
    // The day or month takes the room; amounts are as wide as a large amount.
    grdDifferences->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);

    btnRepair = new QPushButton(QStringLiteral("&Repair All"));
    btnRepair->setObjectName(QStringLiteral("btnRepair"));
    btnRepair->setDefault(true);
    btnClose = new QPushButton(QStringLiteral("&Close"));
    btnClose->setObjectName(QStringLiteral("btnClose"));
    connect(btnRepair, &QPushButton::clicked, this, Guarded([this] { btnRepairClick(); }));
    connect(btnClose, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnRepair);
    buttons->addWidget(btnClose);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblSummary);
    layout->addWidget(grdDifferences);
    layout->addLayout(buttons);

    ShowDifferences(differences);
    resize(560, 360);
}

void TfrmBookCheck::ShowDifferences(const QList<TTotalDifference>& differences)
{
    const QString book = QDir::toNativeSeparators(dmK2V->ADOConnection.DataSource());
    lblSummary->setText(
        QStringLiteral("The book %1 was checked: no part of it is damaged, but %2 of its stored totals %3 with "
                       "the lines they are made of.\n\nRepair All sets each of them to the sum of its lines, all in "
                       "one go; the lines themselves are not changed.")
            .arg(book)
            .arg(differences.size())
            .arg(differences.size() == 1 ? QStringLiteral("disagrees") : QStringLiteral("disagree")));
    grdDifferences->setRowCount(int(differences.size()));
    for (int row = 0; row < differences.size(); ++row) {
        const TTotalDifference& d = differences[row];
        const QStringList cells = {d.Where(), d.Total(), d.StoredText(), d.FromLinesText()};
        for (int column = 0; column < cells.size(); ++column) {
            auto* item = new QTableWidgetItem(cells[column]);
            if (column >= 2)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            grdDifferences->setItem(row, column, item);
        }
    }
    grdDifferences->resizeColumnsToContents();
    const int amountWidth = grdDifferences->fontMetrics().horizontalAdvance(QStringLiteral("999,999,999,999.99")) + 16;
    for (int column = 2; column < 4; ++column)
        grdDifferences->setColumnWidth(column, std::max(grdDifferences->columnWidth(column), amountWidth));
}

void TfrmBookCheck::btnRepairClick()
{
    TDbConnection& book = dmK2V->ADOConnection;
    const QList<TTotalDifference> corrected = BookCheck::RepairTotals();
    const TBookCheck after = BookCheck::Check(book);
    if (!after.Sound()) {
        // Another program saved meanwhile, or the book is damaged: show what is left.
        ShowDifferences(after.differences);
        Dialogs().MessageDlg(QStringLiteral("%1 totals were repaired, but the check still finds %2 difference(s)%3.")
                                 .arg(corrected.size())
                                 .arg(after.differences.size())
                                 .arg(after.damage.isEmpty() ? QString()
                                                             : QStringLiteral(" and damage (%1)").arg(after.damage.first())),
                             mtWarning, mbOK);
        return;
    }
    Dialogs().MessageDlg(QStringLiteral("%1 %2 repaired from %3 lines, all in one go. The book was checked again: no "
                                        "differences.")
                             .arg(corrected.size())
                             .arg(corrected.size() == 1 ? QStringLiteral("total was") : QStringLiteral("totals were"))
                             .arg(corrected.size() == 1 ? QStringLiteral("its") : QStringLiteral("their")),
                         mtInformation, mbOK);
    accept();
}
