#include "frm_LineScreen.h"

#include "Dialogs.h"
#include "ErrorHandler.h"
#include "Money.h"
#include "Query.h"
#include "frm_Expense.h"
#include "frm_Sales.h"
#include "sql_DailyExpenses.h"
#include "sql_DailySales.h"
#include "tbl_Expense.h"
#include "tbl_Sales.h"

#include <QGridLayout>
#include <memory>

namespace {

template <class TPicker> int PickFrom(QWidget* parent, int TPicker::*current)
{
    auto picker = std::make_unique<TPicker>(parent);
    picker->exec();
    return (*picker).*current;
}

}  // namespace

const TLineScreenKind& TLineScreenKind::Income()
{
    static const TLineScreenKind kind {
        TLineKind::Income,
        QStringLiteral("SALES_ID"),
        QStringLiteral("SALES_AMOUNT"),
        QStringLiteral("DAILY_SALES_ID"),
        QStringLiteral("Income"),
        QStringLiteral("Please select an Income item"),
        GetSalesList,
        GetSalesDefaults,
        [] { return dmDailySales->qrySalesDescription; },
        [](QWidget* parent) { return PickFrom(parent, &TfrmSales::CurrentSalesID); },
    };
    return kind;
}

const TLineScreenKind& TLineScreenKind::Expense()
{
    static const TLineScreenKind kind {
        TLineKind::Expense,
        QStringLiteral("EXPENSE_ID"),
        QStringLiteral("EXPENSE_AMOUNT"),
        QStringLiteral("DAILY_EXPENSE_ID"),
        QStringLiteral("Expense"),
        QStringLiteral("Please select a Expense"),
        GetExpenseList,
        GetExpenseDefaults,
        [] { return dmDailyExpenses->qryGetExpensesDescription; },
        [](QWidget* parent) { return PickFrom(parent, &TfrmExpense::CurrentExpenseID); },
    };
    return kind;
}

TfrmLineScreen::TfrmLineScreen(const TLineScreenKind& kind, TDataSource* lines, QWidget* parent)
    : TfrmBaseDBGridKeyPanel(parent), m_kind(kind), m_lines(lines), m_storage(kind.kind, *lines->DataSet())
{
    lblItem = new QLabel(kind.itemCaption, RecordArea);
    cbItem = new TItemCombo(RecordArea);
    lblItem->setBuddy(cbItem);
    spdbtnItem = new QToolButton(RecordArea);
    spdbtnItem->setText(QStringLiteral("..."));
    spdbtnItem->setToolTip(QStringLiteral("Open the list of %1 items").arg(kind.itemCaption.toLower()));
    lblAmount = new QLabel(QStringLiteral("Amount"), RecordArea);
    edAmount = new TDBEdit(RecordArea);
    lblAmount->setBuddy(edAmount);
    rgTaxable =
        new TRadioGroup(QStringLiteral("Taxable"), {QStringLiteral("No"), QStringLiteral("Yes")}, 2, RecordArea);
    rgTaxable->setObjectName(QStringLiteral("rgTaxable"));
    rgTaxable->SetItemIndex(0);
    lblNote = new QLabel(QStringLiteral("Note"), RecordArea);
    lblNote->setObjectName(QStringLiteral("lblNote"));
    edNote = new TDBMemo(RecordArea);
    edNote->setObjectName(QStringLiteral("edNote"));
    edNote->setTabChangesFocus(true);
    lblNote->setBuddy(edNote);
    lblAmount->setObjectName(QStringLiteral("lblAmount"));

    dbGridBrowser->SetDataSource(lines);
    edAmount->SetDataSource(lines);
    edAmount->SetDataField(kind.amountField);
    edNote->SetDataSource(lines);
    edNote->SetDataField(QStringLiteral("NOTE"));

    WidenList();

    connect(cbItem, &TItemCombo::Change, this, Guarded([this] { cbItemChange(); }));
    connect(spdbtnItem, &QToolButton::clicked, this, Guarded([this] { spdbtnItemClick(); }));

    // A book that cannot be read yet is reported by the start-up; the lists are read again
    // when the screen is shown.
    try {
        ReadItemLists();
    } catch (...) {
    }
}

TfrmLineScreen::~TfrmLineScreen() = default;

void TfrmLineScreen::NameItemControls(const QString& label, const QString& combo, const QString& picker,
                                      const QString& amount)
{
    lblItem->setObjectName(label);
    cbItem->setObjectName(combo);
    spdbtnItem->setObjectName(picker);
    edAmount->setObjectName(amount);
}

TDBEdit* TfrmLineScreen::AddReference(int row)
{
    QLabel* label = NewLabel(QStringLiteral("Reference"), QStringLiteral("lblReference"), RecordArea);
    auto* edit = new TDBEdit(RecordArea);
    edit->setObjectName(QStringLiteral("edReference"));
    label->setBuddy(edit);
    edit->SetDataSource(m_lines);
    edit->SetDataField(QStringLiteral("REFERENCE"));
    auto* record = static_cast<QGridLayout*>(RecordArea->layout());
    record->addWidget(label, row, 0);
    record->addWidget(edit, row, 1, 1, 2);
    return edit;
}

void TfrmLineScreen::TabChain(const QList<QWidget*>& chain)
{
    QList<QWidget*> all = chain;
    all << btnSave << btnCancel;
    for (qsizetype i = 1; i < all.size(); ++i)
        setTabOrder(all[i - 1], all[i]);
}

void TfrmLineScreen::ReadItemLists()
{
    m_itemsRead = false;
    QStringList ids, descriptions;
    m_kind.itemList(ids, descriptions);
    m_itemIDs = ids;
    m_itemDescriptions = descriptions;
    cbItem->SetItems(m_itemIDs, m_itemDescriptions);
    m_itemsRead = true;
    ItemListsRead();
}

void TfrmLineScreen::EnsureItemLists()
{
    if (!m_itemsRead)
        ReadItemLists();
}

void TfrmLineScreen::cbItemChange()
{
    ApplyItemDefaults(cbItem->ItemId(m_kind.itemCaption));
}

void TfrmLineScreen::ApplyItemDefaults(int itemId)
{
    TDataSet* ds = DataSet();
    if (!ds || !ds->IsInserting())
        return;
    Money amount;
    QString taxable;
    m_kind.itemDefaults(itemId, amount, taxable);
    ds->FieldByName(m_kind.amountField).SetAsMoney(amount);
    // An item without a stored flag has no defaults: "No", as for an item not found.
    rgTaxable->SetItemIndex(taxable == QStringLiteral("N") || taxable.isEmpty() ? 0 : 1);
}

void TfrmLineScreen::spdbtnItemClick()
{
    const int id = m_kind.pickItem(this);
    // Items may have been added, renamed or removed there.
    ReadItemLists();
    cbItem->SelectId(id);
    ApplyItemDefaults(id);
    TQuery* lookup = m_kind.lookupList();
    lookup->Close();
    lookup->Open();
}

bool TfrmLineScreen::ValidateRecord()
{
    if (!TfrmBaseDBGridKeyPanel::ValidateRecord())
        return false;
    if (!cbItem->HasItem()) {
        Dialogs().MessageDlg(m_kind.missingItem, mtError, mbOK);
        cbItem->setFocus();
        return false;
    }
    // A line without an amount would be stored with none, counted in no total.
    if (edAmount->text().trimmed().isEmpty()) {
        Dialogs().MessageDlg(QStringLiteral("Please enter an amount"), mtError, mbOK);
        edAmount->setFocus();
        return false;
    }
    return true;
}

void TfrmLineScreen::BeforeSave()
{
    TfrmBaseDBGridKeyPanel::BeforeSave();
    m_storage.BeforePost(LineDay(), cbItem->ItemId(m_kind.itemCaption), rgTaxable->ItemIndex() != 0, DayRecordMode());
}

void TfrmLineScreen::AfterSave()
{
    TfrmBaseDBGridKeyPanel::AfterSave();
    m_storage.AfterPost();
}

void TfrmLineScreen::BeforeDelete()
{
    TfrmBaseDBGridKeyPanel::BeforeDelete();
    m_deletedDay = m_storage.RowDay();
}

void TfrmLineScreen::AfterDelete()
{
    TfrmBaseDBGridKeyPanel::AfterDelete();
    // Declining the question deletes nothing; the day shown is recomputed all the same,
    // which changes nothing.
    const TLineDay day = m_deletedDay.value_or(LineDay());
    m_deletedDay.reset();
    m_storage.AfterDelete(day);
}

void TfrmLineScreen::RecordChanged()
{
    TfrmBaseDBGridKeyPanel::RecordChanged();
    if (!HasCurrentRow())
        return;
    TDataSet& ds = *DataSet();
    cbItem->SelectId(int(ds.FieldByName(m_kind.itemField).AsInteger()));
    rgTaxable->SetItemIndex(ds.FieldByName(QStringLiteral("TAXABLE")).AsString() == QStringLiteral("N") ? 0 : 1);
}

void TfrmLineScreen::BeforeRefresh()
{
    TfrmBaseDBGridKeyPanel::BeforeRefresh();
    m_refreshKey.reset();
    TDataSet& ds = *DataSet();
    if (ds.CurrentIndex() < 0 || ds.IsEmpty())
        return;
    // The day, item and number of the line make the key its own: another line of the same
    // item on that day is not the one just saved. PROFILE_ID, where the list has it, is 1
    // on every line the program writes.
    m_refreshFields = QStringList {QStringLiteral("YYYY"), QStringLiteral("MM"), QStringLiteral("TRANSACTION_DATE"),
                                   m_kind.itemField, m_kind.numberField};
    std::vector<TValue> key;
    if (ds.FindField(QStringLiteral("PROFILE_ID"))) {
        m_refreshFields.prepend(QStringLiteral("PROFILE_ID"));
        key.push_back(TValue(1));
    }
    for (const QString& name : m_refreshFields)
        if (name != QStringLiteral("PROFILE_ID"))
            key.push_back(ds.FieldByName(name).Value());
    m_refreshKey = std::move(key);
}

void TfrmLineScreen::AfterRefresh()
{
    TfrmBaseDBGridKeyPanel::AfterRefresh();
    if (!m_refreshKey)
        return;
    DataSet()->Locate(m_refreshFields.join(QLatin1Char(';')), *m_refreshKey, loPartialKey);
    m_refreshKey.reset();
}
