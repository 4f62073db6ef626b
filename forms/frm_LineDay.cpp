#include "frm_LineDay.h"

#include "DayNumber.h"
#include "ErrorHandler.h"
#include "Errors.h"
#include "Query.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QStyle>

TfrmLineDay::TfrmLineDay(const TLineScreenKind& kind, TDataSource* lines, const TSetup& setup, QWidget* parent)
    : TfrmLineScreen(kind, lines, parent)
{
    // The key area: the day, for information.
    QGridLayout* key = NewKeyGrid();
    NewYearMonth(lblYear, edYear, lblMonth, edMonth);
    lblDate = NewLabel(QStringLiteral("Date"), QStringLiteral("lblDate"), KeyArea);
    edDate = new TDatePicker(KeyArea);
    edDate->setObjectName(QStringLiteral("edDate"));
    edDate->setEnabled(false);
    SetInfoBackground(edDate);
    key->addWidget(lblYear, 0, 0);
    key->addWidget(edYear, 0, 1);
    key->addWidget(lblMonth, 0, 2);
    key->addWidget(edMonth, 0, 3);
    key->addWidget(lblDate, 1, 0);
    key->addWidget(edDate, 1, 1, 1, 4);
    key->setColumnStretch(4, 1);

    // The record: item, amount, [what a screen adds in row 2], taxable, note.
    auto* record = new QGridLayout(RecordArea);
    record->setContentsMargins(4, 8, 4, 4);
    record->addWidget(lblItem, 0, 0);
    record->addWidget(cbItem, 0, 1);
    record->addWidget(spdbtnItem, 0, 2);
    record->addWidget(lblAmount, 1, 0);
    record->addWidget(edAmount, 1, 1, 1, 2);
    record->addWidget(rgTaxable, 3, 0, 1, 3);
    record->addWidget(lblNote, 4, 0, 1, 3);
    record->addWidget(edNote, 5, 0, 1, 3);
    edNote->setFixedHeight(89);
    record->setColumnStretch(1, 1);
    record->setRowStretch(6, 1);

    MainMenu1 = new QMenuBar(this);
    MainMenu1->setObjectName(QStringLiteral("MainMenu1"));
    mnuExit = MainMenu1->addAction(QStringLiteral("Exit"));
    mnuExit->setObjectName(setup.exitName);
    layout()->setMenuBar(MainMenu1);

    btnSwitch = AddToolButton(setup.switchPanel, setup.switchName, setup.switchCaption, setup.switchHint,
                              style()->standardIcon(QStyle::SP_ArrowRight), 64);
    connect(btnSwitch, &QToolButton::clicked, this, Guarded([this] { btnSwitchClick(); }));
    connect(mnuExit, &QAction::triggered, this, Guarded([this] { close(); }));
}

void TfrmLineDay::SetDay(TDayKey& key)
{
    m_key = &key;
    ReadItemLists();
}

const TDayKey& TfrmLineDay::Key() const
{
    if (!m_key)
        throw EDatasetError(QStringLiteral("%1: no day was handed to the screen").arg(objectName()));
    return *m_key;
}

TLineDay TfrmLineDay::LineDay() const
{
    const TDayKey& key = Key();
    return TLineDay {key.YYYY, key.MM, key.TRANSACTION_DATE};
}

void TfrmLineDay::BeforeOpen()
{
    TfrmLineScreen::BeforeOpen();
    const TDayKey& key = Key();
    auto& lines = static_cast<TQuery&>(*DataSet());
    lines.ParamByName(QStringLiteral("iYYYY")).SetAsInteger(key.YYYY);
    lines.ParamByName(QStringLiteral("iMM")).SetAsInteger(key.MM);
    lines.ParamByName(QStringLiteral("iTRANSACTION_DATE")).SetAsInteger(key.TRANSACTION_DATE);
}

void TfrmLineDay::FormShow()
{
    TfrmLineScreen::FormShow();
    const TDayKey& key = Key();
    edYear->setText(QString::number(key.YYYY));
    edMonth->setText(QString::number(key.MM));
    edDate->SetDate(DayNumber::ToDate(key.TRANSACTION_DATE));
}

void TfrmLineDay::RecordChanged()
{
    TfrmLineScreen::RecordChanged();
    if (HasCurrentRow())
        return;
    // A day without lines: no item, and the flag a line without one would read as.
    cbItem->SetItemIndex(-1);
    rgTaxable->SetItemIndex(1);
}

void TfrmLineDay::btnAddClick()
{
    TfrmLineScreen::btnAddClick();
    cbItem->setFocus();
    cbItem->SetItemIndex(-1);
    DataSet()->FieldByName(Kind().amountField).SetAsMoney(Money());
}

void TfrmLineDay::btnEditClick()
{
    TfrmLineScreen::btnEditClick();
    edAmount->setFocus();
}

void TfrmLineDay::btnSwitchClick()
{
    m_key->SwitchScreen = true;
    close();
}
