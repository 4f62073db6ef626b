#include "frm_LineTransactions.h"

#include "DayNumber.h"
#include "Dialogs.h"
#include "ErrorHandler.h"
#include "Help.h"
#include "Query.h"
#include "tbl_Resource.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QStyle>
#include <QVBoxLayout>

namespace {

// A stored day number, or today when the text is not a day a date can be made of.
QDate StoredDate(const QString& text)
{
    bool ok = false;
    const qint64 day = text.trimmed().toLongLong(&ok);
    const QDate date =
        ok && day >= 0 && day <= DayNumber::FromDate(QDate(9999, 12, 31)) ? DayNumber::ToDate(day) : QDate();
    return date.isValid() ? date : QDate::currentDate();
}

}  // namespace

TfrmLineTransactions::TfrmLineTransactions(const TLineScreenKind& kind, TDataSource* lines, const TSetup& setup,
                                           QWidget* parent)
    : TfrmLineScreen(kind, lines, parent), m_prefix(setup.settingsPrefix), m_helpTopic(setup.helpTopic)
{

    // The filter, below the list.
    pnlFilter = new QFrame(pnldbGrid);
    pnlFilter->setObjectName(QStringLiteral("pnlFilter"));
    pnlFilter->setFixedHeight(78);
    auto* filterLayout = new QVBoxLayout(pnlFilter);
    filterLayout->setContentsMargins(0, 0, 0, 0);
    PageControl1 = new QTabWidget(pnlFilter);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    PageControl1->setDocumentMode(true);
    filterLayout->addWidget(PageControl1);
    tsFilterDate = new QWidget;
    tsFilterDate->setObjectName(QStringLiteral("tsFilterDate"));
    // From above To, so the long dates show whole in a narrow list.
    auto* dates = new QGridLayout(tsFilterDate);
    dates->setContentsMargins(4, 2, 4, 2);
    dates->setVerticalSpacing(2);
    cbFilterDate = new TLeftCheckBox(QStringLiteral("Use Date Filter?"), tsFilterDate);
    cbFilterDate->setObjectName(QStringLiteral("cbFilterDate"));
    lblDateFrom = NewLabel(QStringLiteral("From"), QStringLiteral("lblDateFrom"), tsFilterDate);
    edFilterDateFrom = new TDatePicker(tsFilterDate);
    edFilterDateFrom->setObjectName(QStringLiteral("edFilterDateFrom"));
    lblDateFrom->setBuddy(edFilterDateFrom);
    lblDateTo = NewLabel(QStringLiteral("to"), QStringLiteral("lblDateTo"), tsFilterDate);
    edFilterDateTo = new TDatePicker(tsFilterDate);
    edFilterDateTo->setObjectName(QStringLiteral("edFilterDateTo"));
    lblDateTo->setBuddy(edFilterDateTo);
    dates->addWidget(cbFilterDate, 0, 0);
    dates->addWidget(lblDateFrom, 0, 1, Qt::AlignAbsolute | Qt::AlignRight);
    dates->addWidget(edFilterDateFrom, 0, 2);
    dates->addWidget(lblDateTo, 1, 1, Qt::AlignAbsolute | Qt::AlignRight);
    dates->addWidget(edFilterDateTo, 1, 2);
    dates->setColumnStretch(2, 1);
    PageControl1->addTab(tsFilterDate, QStringLiteral("Date Filter"));
    tsItemFilter = new QWidget;
    auto* items = new QHBoxLayout(tsItemFilter);
    items->setContentsMargins(4, 4, 4, 4);
    cbItemFilter = new TItemCombo(tsItemFilter);
    cbItemFilter->setMinimumWidth(200);
    items->addWidget(cbItemFilter);
    items->addStretch(1);
    PageControl1->addTab(tsItemFilter, kind.itemCaption + QStringLiteral(" Filter"));
    PageControl1->setCurrentWidget(tsFilterDate);
    static_cast<QVBoxLayout*>(pnldbGrid->layout())->addWidget(pnlFilter);

    // The key area: the line's year and month.
    auto* key = new QHBoxLayout(KeyArea);
    key->setContentsMargins(4, 4, 4, 4);
    lblYear = NewLabel(QStringLiteral("Year"), QStringLiteral("lblYear"), KeyArea);
    edYear = NewInfoEdit(KeyArea, QStringLiteral("edYear"));
    lblMonth = NewLabel(QStringLiteral("Month"), QStringLiteral("lblMonth"), KeyArea);
    edMonth = NewInfoEdit(KeyArea, QStringLiteral("edMonth"));
    key->addWidget(lblYear);
    key->addWidget(edYear);
    key->addSpacing(12);
    key->addWidget(lblMonth);
    key->addWidget(edMonth);
    key->addStretch(1);

    // The record: date, item, amount, [what a screen adds in row 3], taxable, note.
    lblDate = NewLabel(QStringLiteral("Date"), QStringLiteral("lblDate"), RecordArea);
    edDate = new TDatePicker(RecordArea);
    edDate->setObjectName(QStringLiteral("edDate"));
    lblDate->setBuddy(edDate);
    auto* record = new QGridLayout(RecordArea);
    record->setContentsMargins(4, 8, 4, 4);
    record->addWidget(lblDate, 0, 0);
    record->addWidget(edDate, 0, 1, 1, 2);
    record->addWidget(lblItem, 1, 0);
    record->addWidget(cbItem, 1, 1);
    record->addWidget(spdbtnItem, 1, 2);
    record->addWidget(lblAmount, 2, 0);
    record->addWidget(edAmount, 2, 1, 1, 2);
    record->addWidget(rgTaxable, 4, 0, 1, 3);
    record->addWidget(lblNote, 5, 0, 1, 3);
    record->addWidget(edNote, 6, 0, 1, 3);
    record->setColumnStretch(1, 1);
    record->setRowStretch(6, 1);

    MainMenu1 = new QMenuBar(this);
    MainMenu1->setObjectName(QStringLiteral("MainMenu1"));
    mnuHelp = MainMenu1->addAction(QStringLiteral("Help"));
    mnuExit = MainMenu1->addAction(QStringLiteral("Exit"));
    layout()->setMenuBar(MainMenu1);

    btnSwitch = AddToolButton(setup.switchPanel, setup.switchName, setup.switchCaption, setup.switchHint,
                              style()->standardIcon(QStyle::SP_ArrowRight), 64);

    // Closing is this screen's own: the pair closes together.
    disconnect(btnClose, &QToolButton::clicked, this, nullptr);
    connect(btnClose, &QToolButton::clicked, this, Guarded([this] { btnCloseClick(); }));
    connect(btnSwitch, &QToolButton::clicked, this, Guarded([this] { btnSwitchClick(); }));
    connect(mnuHelp, &QAction::triggered, this, Guarded([this] { ShowHelpTopic(HelpTopic()); }));
    connect(mnuExit, &QAction::triggered, this, Guarded([this] { close(); }));
    connect(edDate, &TDatePicker::Change, this, Guarded([this] { edDateChange(); }));
    connect(cbFilterDate, &QCheckBox::clicked, this, Guarded([this] { ApplyFilter(); }));
    connect(edFilterDateFrom, &TDatePicker::Change, this, Guarded([this] { ApplyFilter(); }));
    connect(edFilterDateTo, &TDatePicker::Change, this, Guarded([this] { ApplyFilter(); }));
    connect(cbItemFilter, &TItemCombo::Change, this, Guarded([this] { ApplyFilter(); }));
    ItemListsRead();
}

void TfrmLineTransactions::ItemListsRead()
{
    TfrmLineScreen::ItemListsRead();
    // The item chosen in the filter stays chosen while it is in the list; one that was
    // removed gives way to "ALL".
    int chosen = 0;
    if (cbItemFilter->currentIndex() > 0 && cbItemFilter->HasItem())
        chosen = cbItemFilter->ItemId(Kind().itemCaption);
    cbItemFilter->SetItems(ItemIDs(), ItemDescriptions(), {QStringLiteral("ALL")});
    cbItemFilter->SelectId(chosen);
    if (cbItemFilter->currentIndex() < 0)
        cbItemFilter->SetItemIndex(0);
    TDataSet* ds = DataSet();
    if (ds && ds->Active() && !ds->IsEditing() && ds->Filter() != FilterText())
        ApplyFilter();
}

void TfrmLineTransactions::FormShow()
{
    // A line left pending when the screen was hidden by other means than closing.
    if (TDataSet* ds = DataSet(); ds && ds->IsEditing())
        ds->Cancel();
    // Items may have been added or renamed in their own screens since the last showing.
    ReadItemLists();
    TQuery* lookup = Kind().lookupList();
    if (lookup->Active()) {
        lookup->Close();
        lookup->Open();
    }
    TfrmLineScreen::FormShow();
    LoadFilterSettings();
    ApplyFilter();
    // The filter moved the list to its first row; the panel shows that row.
    ShowRecord();
}

void TfrmLineTransactions::LoadFilterSettings()
{
    const QString today = QString::number(DayNumber::Today());
    QString useFilter = QStringLiteral("N");
    QString start = today;
    QString end = today;
    GetResourceDefault(m_prefix + QStringLiteral("_DATE_FILTER"), useFilter);
    GetResourceDefault(m_prefix + QStringLiteral("_START_DATE"), start);
    GetResourceDefault(m_prefix + QStringLiteral("_END_DATE"), end);
    cbFilterDate->setChecked(useFilter == QStringLiteral("Y"));
    edFilterDateFrom->SetDate(StoredDate(start));
    edFilterDateTo->SetDate(StoredDate(end));
}

void TfrmLineTransactions::FormClose()
{
    TfrmLineScreen::FormClose();
    UpdateResource(m_prefix + QStringLiteral("_DATE_FILTER"),
                   cbFilterDate->isChecked() ? QStringLiteral("Y") : QStringLiteral("N"));
    UpdateResource(m_prefix + QStringLiteral("_START_DATE"),
                   QString::number(DayNumber::FromDate(edFilterDateFrom->date())));
    UpdateResource(m_prefix + QStringLiteral("_END_DATE"),
                   QString::number(DayNumber::FromDate(edFilterDateTo->date())));
}

QString TfrmLineTransactions::FilterText() const
{
    QString text;
    if (cbFilterDate->isChecked())
        text += QStringLiteral(" TRANSACTION_DATE >= %1 AND TRANSACTION_DATE <= %2")
                    .arg(DayNumber::FromDate(edFilterDateFrom->date()))
                    .arg(DayNumber::FromDate(edFilterDateTo->date()));
    if (cbItemFilter->currentIndex() > 0) {
        if (!text.isEmpty())
            text += QStringLiteral(" AND ");
        text += QStringLiteral("%1 = %2").arg(Kind().itemField).arg(cbItemFilter->ItemId(Kind().itemCaption));
    }
    return text;
}

void TfrmLineTransactions::ApplyFilter()
{
    DataSet()->SetFilter(FilterText());
    UpdateEditDeleteButtons();
}

void TfrmLineTransactions::btnAddClick()
{
    TfrmLineScreen::btnAddClick();
    cbItem->setFocus();
    cbItem->SetItemIndex(-1);
    DataSet()->FieldByName(Kind().amountField).SetAsMoney(Money());
    edDate->SetDate(QDate::currentDate());
    ShowYearMonth();
}

void TfrmLineTransactions::btnCancelClick()
{
    TfrmLineScreen::btnCancelClick();
    ApplyChangedFilter();
}

void TfrmLineTransactions::BeforeRefresh()
{
    TfrmLineScreen::BeforeRefresh();
    // A filter that changed while a line was entered takes effect with the reopen, so the
    // list then finds the saved line among the rows it lets through.
    TDataSet& ds = *DataSet();
    if (!ds.IsEditing() && ds.Filter() != FilterText())
        ds.SetFilter(FilterText());
}

void TfrmLineTransactions::ApplyChangedFilter()
{
    if (DataSet()->Filter() == FilterText())
        return;
    // The list stays on the line it stood on when the wider filter still shows it.
    BeforeRefresh();
    ApplyFilter();
    AfterRefresh();
}

void TfrmLineTransactions::btnEditClick()
{
    TfrmLineScreen::btnEditClick();
    edAmount->setFocus();
}

void TfrmLineTransactions::btnCloseClick()
{
    close();
    if (TfrmLineTransactions* other = Partner())
        other->close();
}

void TfrmLineTransactions::btnSwitchClick()
{
    ShowTransactionsScreen(Partner());
}

void TfrmLineTransactions::edDateChange()
{
    ShowYearMonth();
}

void TfrmLineTransactions::ShowYearMonth()
{
    edYear->setText(QString::number(edDate->date().year()));
    edMonth->setText(QString::number(edDate->date().month()));
}

bool TfrmLineTransactions::ValidateRecord()
{
    if (!TfrmLineScreen::ValidateRecord())
        return false;
    // A date typed that the picker could not take is said, not saved as the one before.
    const QString refusal = edDate->TakeRefusal();
    if (refusal.isEmpty())
        return true;
    Dialogs().MessageDlg(refusal, mtError, mbOK);
    edDate->setFocus();
    return false;
}

TLineDay TfrmLineTransactions::LineDay() const
{
    return TLineDay::FromDate(edDate->date());
}

void TfrmLineTransactions::RecordChanged()
{
    TfrmLineScreen::RecordChanged();
    if (!HasCurrentRow()) {
        edDate->SetDate(QDate::currentDate());
        return;
    }
    TDataSet& ds = *DataSet();
    edYear->setText(ds.FieldByName(QStringLiteral("YYYY")).AsString());
    edMonth->setText(ds.FieldByName(QStringLiteral("MM")).AsString());
    edDate->SetDate(DayNumber::ToDate(ds.FieldByName(QStringLiteral("TRANSACTION_DATE")).AsInteger()));
}

void ShowTransactionsScreen(TfrmLineTransactions* screen)
{
    if (!screen)
        return;
    screen->EnsureItemLists();
    screen->show();
    screen->raise();
    screen->activateWindow();
}
