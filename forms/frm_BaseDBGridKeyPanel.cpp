#include "frm_BaseDBGridKeyPanel.h"

#include "Controls.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

TfrmBaseDBGridKeyPanel::TfrmBaseDBGridKeyPanel(QWidget* parent) : TfrmBaseDBGrid(parent)
{
    pnlKeyArea = new QFrame(pnlRecord);
    pnlKeyArea->setObjectName("pnlKeyArea");
    pnlKeyArea->setFixedHeight(59);
    auto* layout = new QVBoxLayout(pnlKeyArea);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    KeyArea = new QWidget(pnlKeyArea);
    KeyArea->setObjectName("KeyArea");
    layout->addWidget(KeyArea, 1);
    Bevel1 = new QFrame(pnlKeyArea);
    Bevel1->setObjectName("Bevel1");
    Bevel1->setFrameShape(QFrame::HLine);
    Bevel1->setFrameShadow(QFrame::Sunken);
    layout->addWidget(Bevel1);
    static_cast<QVBoxLayout*>(pnlRecord->layout())->insertWidget(0, pnlKeyArea);
}

void TfrmBaseDBGridKeyPanel::FormCreate()
{
    TfrmBaseDBGrid::FormCreate();
    pnlKeyArea->setEnabled(false);
}

QGridLayout* TfrmBaseDBGridKeyPanel::NewKeyGrid()
{
    auto* key = new QGridLayout(KeyArea);
    key->setContentsMargins(4, 2, 4, 2);
    key->setVerticalSpacing(2);
    return key;
}

void TfrmBaseDBGridKeyPanel::NewYearMonth(QLabel*& lblYear, QLineEdit*& edYear, QLabel*& lblMonth, QLineEdit*& edMonth)
{
    lblYear = NewLabel(QStringLiteral("Year"), QStringLiteral("lblYear"), KeyArea);
    edYear = NewInfoEdit(KeyArea, QStringLiteral("edYear"));
    lblMonth = NewLabel(QStringLiteral("Month"), QStringLiteral("lblMonth"), KeyArea);
    edMonth = NewInfoEdit(KeyArea, QStringLiteral("edMonth"));
}
