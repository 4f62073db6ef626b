#include "frm_BaseDBGrid.h"

#include "Controls.h"

#include "DbConnection.h"
#include "Errors.h"
#include "Query.h"

#include "Dialogs.h"
#include "ErrorHandler.h"
#include "Help.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QShortcut>
#include <QKeyEvent>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>
#include <QScopeGuard>
#include <functional>
#include <optional>

namespace {
QFrame* NewPanel(QWidget* parent, const QString& name, QFrame::Shape shape = QFrame::NoFrame)
{
    auto* f = new QFrame(parent);
    f->setObjectName(name);
    f->setFrameShape(shape);
    if (shape != QFrame::NoFrame)
        f->setFrameShadow(QFrame::Sunken);
    return f;
}
}  // namespace

TfrmBaseDBGrid::TfrmBaseDBGrid(QWidget* parent) : QDialog(parent)
{
    resize(700, 500);
    setSizeGripEnabled(true);
    auto* main = new QVBoxLayout(this);
    main->setContentsMargins(0, 0, 0, 0);
    main->setSpacing(0);

    pnlButtons = NewPanel(this, "pnlButtons", QFrame::StyledPanel);
    pnlButtons->setFixedHeight(64);
    auto* bar = new QHBoxLayout(pnlButtons);
    bar->setContentsMargins(4, 4, 4, 4);
    bar->setSpacing(0);
    auto toolButton = [&](QFrame*& panel, QToolButton*& button, const char* panelName, const char* name,
                          const QString& caption, const QString& hint, QStyle::StandardPixmap icon, int width) {
        button = NewPanelButton(pnlButtons, panel, panelName, name, caption, hint, style()->standardIcon(icon), width);
        bar->addWidget(panel);
    };
    toolButton(pnlAdd, btnAdd, "pnlAdd", "btnAdd", "&Add", "Add Record", QStyle::SP_FileIcon, 52);
    toolButton(pnlEdit, btnEdit, "pnlEdit", "btnEdit", "&Edit", "Edit Record", QStyle::SP_FileDialogDetailedView, 52);
    toolButton(pnlDelete, btnDelete, "pnlDelete", "btnDelete", "&Delete", "Delete Record", QStyle::SP_TrashIcon, 52);
    toolButton(pnlRefresh, btnRefresh, "pnlRefresh", "btnRefresh", "&Refresh", "Refresh Data", QStyle::SP_BrowserReload,
               52);
    bar->addStretch(1);
    Panel1 = NewPanel(pnlButtons, "Panel1");
    Panel1->setFixedWidth(300);
    auto* navLayout = new QHBoxLayout(Panel1);
    navLayout->setContentsMargins(0, 0, 8, 0);
    navLayout->addStretch(1);
    dbGridNavigator = new TDBNavigator(Panel1);
    dbGridNavigator->setObjectName("dbGridNavigator");
    navLayout->addWidget(dbGridNavigator);
    bar->addWidget(Panel1);
    toolButton(pnlCose, btnClose, "pnlCose", "btnClose", "&Close", "Close Form", QStyle::SP_DialogCloseButton, 57);
    main->addWidget(pnlButtons);

    Splitter1 = new QSplitter(Qt::Horizontal, this);
    Splitter1->setObjectName("Splitter1");
    Splitter1->setChildrenCollapsible(false);
    pnldbGrid = NewPanel(Splitter1, "pnldbGrid");
    auto* gridLayout = new QVBoxLayout(pnldbGrid);
    gridLayout->setContentsMargins(4, 4, 4, 4);
    gridLayout->setSpacing(4);
    dbGridBrowser = new TDBGrid(pnldbGrid);
    dbGridBrowser->setObjectName("dbGridBrowser");
    gridLayout->addWidget(dbGridBrowser);

    pnlRecord = NewPanel(Splitter1, "pnlRecord", QFrame::StyledPanel);
    auto* recordLayout = new QVBoxLayout(pnlRecord);
    recordLayout->setContentsMargins(4, 4, 4, 4);
    RecordArea = new QWidget(pnlRecord);
    RecordArea->setObjectName("RecordArea");
    recordLayout->addWidget(RecordArea, 1);
    pnlRecordButtons = NewPanel(pnlRecord, "pnlRecordButtons");
    pnlRecordButtons->setFixedHeight(41);
    auto* okLayout = new QHBoxLayout(pnlRecordButtons);
    okLayout->setContentsMargins(4, 4, 4, 4);
    okLayout->addStretch(1);
    btnSave = new QPushButton(style()->standardIcon(QStyle::SP_DialogOkButton), "OK", pnlRecordButtons);
    btnSave->setObjectName("btnSave");
    btnSave->setDefault(true);
    btnCancel = new QPushButton(style()->standardIcon(QStyle::SP_DialogCancelButton), "Cancel", pnlRecordButtons);
    btnCancel->setObjectName("btnCancel");
    btnCancel->setAutoDefault(false);
    okLayout->addWidget(btnSave);
    okLayout->addWidget(btnCancel);
    recordLayout->addWidget(pnlRecordButtons);
    Splitter1->addWidget(pnldbGrid);
    Splitter1->addWidget(pnlRecord);
    // A bigger window gives the list more room; the entry fields need no more than they have.
    Splitter1->setStretchFactor(0, 1);
    Splitter1->setStretchFactor(1, 0);
    Splitter1->setSizes({345, 355});
    main->addWidget(Splitter1, 1);

    connect(btnAdd, &QToolButton::clicked, this, Guarded([this] { btnAddClick(); }));
    connect(btnEdit, &QToolButton::clicked, this, Guarded([this] { btnEditClick(); }));
    connect(btnDelete, &QToolButton::clicked, this, Guarded([this] { btnDeleteClick(); }));
    connect(btnRefresh, &QToolButton::clicked, this, Guarded([this] { btnRefreshClick(); }));
    connect(btnClose, &QToolButton::clicked, this, Guarded([this] { close(); }));
    connect(btnSave, &QPushButton::clicked, this, Guarded([this] { btnSaveClick(); }));
    connect(btnCancel, &QPushButton::clicked, this, Guarded([this] { btnCancelClick(); }));
    connect(dbGridBrowser, &TDBGrid::DblClick, this, Guarded([this] { dbGridBrowserDblClick(); }));
    connect(dbGridBrowser, &TDBGrid::KeyUp, this, Guarded([this] { dbGridBrowserKeyUp(); }));
    connect(dbGridBrowser, &TDBGrid::MouseUp, this, Guarded([this] { dbGridBrowserMouseUp(); }));
    connect(qApp, &QApplication::focusChanged, this, &TfrmBaseDBGrid::FocusChanged);
    auto* help = new QShortcut(QKeySequence::HelpContents, this);
    connect(help, &QShortcut::activated, this, Guarded([this] { ShowHelpTopic(HelpTopic()); }));

    pnlRecordButtons->hide();
    pnlRecord->setEnabled(false);
}

TfrmBaseDBGrid::~TfrmBaseDBGrid()
{
    // The next screen on the same data module opens the dataset afresh.
    try {
        if (TDataSet* ds = DataSet())
            ds->Close();
    } catch (...) {
    }
}

void TfrmBaseDBGrid::FormCreate()
{
    dbGridNavigator->SetDataSource(dbGridBrowser->DataSource());
    if (TDataSource* source = dbGridBrowser->DataSource()) {
        // The navigator, a filter or a locate move the row without the grid's events.
        connect(source, &TDataSource::Scrolled, this, Guarded([this] { DataSetScrolled(); }));
        connect(source, &TDataSource::DataSetChanged, this, Guarded([this] { DataSetScrolled(); }));
    }
    WatchRecordControls();
}

void TfrmBaseDBGrid::WatchRecordControls()
{
    // What counts as the user changing the record: typing, choosing, clicking. Values the
    // screen puts in itself do not count.
    auto modified = [this] {
        if (m_editMode)
            m_recordModified = true;
    };
    for (QWidget* w : pnlRecord->findChildren<QWidget*>()) {
        if (pnlRecordButtons->isAncestorOf(w))
            continue;
        if (auto* edit = qobject_cast<QLineEdit*>(w))
            connect(edit, &QLineEdit::textEdited, this, modified);
        else if (auto* combo = qobject_cast<QComboBox*>(w))
            connect(combo, &QComboBox::activated, this, modified);
        else if (auto* button = qobject_cast<QAbstractButton*>(w))
            connect(button, &QAbstractButton::clicked, this, modified);
        else if (auto* picker = qobject_cast<TDatePicker*>(w))
            connect(picker, &TDatePicker::Change, this, modified);
        else if (auto* memo = qobject_cast<QPlainTextEdit*>(w))
            connect(memo, &QPlainTextEdit::textChanged, this, [this, memo, modified] {
                if (memo->hasFocus())
                    modified();
            });
    }
}

QString TfrmBaseDBGrid::HelpTopic() const
{
    return QStringLiteral("Main Menu");
}

bool TfrmBaseDBGrid::HasCurrentRow() const
{
    TDataSet* ds = DataSet();
    return ds && ds->Active() && !ds->IsEmpty() && !ds->Eof() && ds->CurrentIndex() >= 0
           && ds->CurrentIndex() < ds->RecordCount();
}

void TfrmBaseDBGrid::DataSetScrolled()
{
    TDataSet* ds = DataSet();
    if (m_quiet > 0 || !m_shown || !ds || ds->IsEditing())
        return;
    ShowRecord();
}

void TfrmBaseDBGrid::ShowRecord()
{
    RecordChanged();
    for (QLineEdit* edit : pnlRecord->findChildren<QLineEdit*>()) {
        if (!edit->hasFocus() && !qobject_cast<QAbstractSpinBox*>(edit->parentWidget()))
            edit->setCursorPosition(0);
    }
}

TDataSet* TfrmBaseDBGrid::DataSet() const
{
    TDataSource* source = dbGridBrowser->DataSource();
    return source ? source->DataSet() : nullptr;
}

TDbConnection* TfrmBaseDBGrid::Connection() const
{
    auto* query = qobject_cast<TQuery*>(DataSet());
    return query ? &query->Connection() : nullptr;
}

void TfrmBaseDBGrid::showEvent(QShowEvent* event)
{
    if (!m_shown && !parentWidget()) {
        if (QScreen* s = screen())
            move(s->availableGeometry().center() - rect().center());
    }
    m_shown = true;
    QDialog::showEvent(event);
    Guard([this] { FormShow(); });
}

void TfrmBaseDBGrid::FormShow()
{
    {
        ++m_quiet;
        const auto loud = qScopeGuard([this] { --m_quiet; });
        BeforeOpen();
        TDataSet* ds = DataSet();
        if (ds) {
            ds->Open();
            if (PositionAtEnd() && ds->RecordCount() > 1) {
                ds->Last();
                ds->Prior();
                ds->Next();
            }
        }
    }
    ShowRecord();
    SetEditMode(false);
    UpdateEditDeleteButtons();
}

void TfrmBaseDBGrid::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && m_editMode) {
        event->accept();
        Guard([this] {
            if (btnCancel->isVisible() && btnCancel->isEnabled() && MayDiscardChanges())
                btnCancelClick();
        });
        return;
    }
    // Enter on a focused button presses that button, as everywhere on the desktop; in an
    // entry field it presses OK, the default button.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && event->modifiers() == Qt::NoModifier) {
        auto* button = qobject_cast<QAbstractButton*>(focusWidget());
        if (button && (qobject_cast<QPushButton*>(button) || qobject_cast<QToolButton*>(button)) && button->isEnabled()
            && button->window() == this) {
            event->accept();
            button->click();
            return;
        }
    }
    QDialog::keyPressEvent(event);
}

bool TfrmBaseDBGrid::MayDiscardChanges()
{
    if (!m_editMode || !m_recordModified)
        return true;
    return Dialogs().MessageDlg(QStringLiteral("Discard the changes to this record?"), mtConfirmation, mbOKCancel)
           == mrOk;
}

void TfrmBaseDBGrid::done(int result)
{
    bool stay = false;
    Guard([&] {
        if (m_editMode) {
            if (!MayDiscardChanges()) {
                stay = true;  // the user goes on editing
                return;
            }
            btnCancelClick();
        }
    });
    if (stay || m_editMode)
        return;
    Guard([this] { FormClose(); });
    QDialog::done(result);
}

void TfrmBaseDBGrid::AbandonEdit()
{
    try {
        if (TDataSet* ds = DataSet(); ds && ds->IsEditing())
            ds->Cancel();
    } catch (...) {
    }
    SetEditMode(false);
    SetButtonsEnabled(true);
}

void TfrmBaseDBGrid::btnAddClick()
{
    btnAdd->setFocus();
    m_recordModified = false;
    SetEditMode(true);
    try {
        BeforeAdd();
        dbGridNavigator->Insert();
    } catch (...) {
        AbandonEdit();
        throw;
    }
    SetButtonsEnabled(false);
}

void TfrmBaseDBGrid::btnEditClick()
{
    if (!HasCurrentRow()) {
        UpdateEditDeleteButtons();
        throw EAbortMessage(QStringLiteral("There is no record to edit. Choose one in the list first."));
    }
    btnEdit->setFocus();
    m_recordModified = false;
    SetEditMode(true);
    try {
        dbGridNavigator->Edit();
    } catch (...) {
        AbandonEdit();
        throw;
    }
    SetButtonsEnabled(false);
}

void TfrmBaseDBGrid::ShowStored()
{
    // After a rollback the screen shows what the book holds, not what was attempted.
    try {
        if (TDataSet* ds = DataSet(); ds && ds->IsEditing())
            ds->Cancel();
        RefreshData();
        SetEditMode(false);
        SetButtonsEnabled(true);
        ShowRecord();
    } catch (...) {
        // The first error is the one the user needs to see.
    }
}

void TfrmBaseDBGrid::RunAsOneTransaction(const std::function<void()>& action, const std::function<void()>& recover)
{
    TDbConnection* connection = Connection();
    std::optional<TTransaction> transaction;
    if (connection)
        transaction.emplace(*connection);
    try {
        action();
        if (transaction)
            transaction->Commit();
    } catch (...) {
        if (transaction)
            transaction->Rollback();
        recover();
        throw;
    }
}

void TfrmBaseDBGrid::btnDeleteClick()
{
    // The question comes before any change, so declining writes nothing.
    if (!HasCurrentRow()) {
        UpdateEditDeleteButtons();
        throw EAbortMessage(QStringLiteral("There is no record to delete."));
    }
    RefuseDelete();
    const bool confirmed = dbGridNavigator->ConfirmDelete();
    RunAsOneTransaction(
        [&] {
            if (confirmed) {
                RefuseDelete();
                BeforeDelete();
                DataSet()->Delete();
            }
            AfterDelete();
        },
        [&] {
            if (confirmed)
                ShowStored();
        });
    ShowRecord();
}

void TfrmBaseDBGrid::btnSaveClick()
{
    if (!ValidateRecord())
        return;
    // One save is one transaction: the row, the ids it drew and the totals it changed are
    // stored together or not at all. Whatever step fails, the rollback puts the row back
    // as pending with the user's input, so he can correct it and press OK again.
    RunAsOneTransaction(
        [&] {
            BeforeSave();
            dbGridNavigator->Post();
            RefreshData();
            SetEditMode(false);
            AfterSave();
        },
        [&] {
            if (TDataSet* ds = DataSet(); ds && ds->IsEditing()) {
                SetEditMode(true);
                SetButtonsEnabled(false);
            } else {
                ShowStored();
            }
        });
    SetButtonsEnabled(true);
}

void TfrmBaseDBGrid::btnCancelClick()
{
    dbGridNavigator->Cancel();
    SetEditMode(false);
    ShowRecord();
    SetButtonsEnabled(true);
}

void TfrmBaseDBGrid::pnlRecordExit()
{
    dbGridNavigator->Cancel();
    SetEditMode(false);
    SetButtonsEnabled(true);
}

void TfrmBaseDBGrid::FocusChanged(QWidget* old, QWidget* now)
{
    if (!m_editMode || !old || !now || now->window() != this)
        return;
    if (pnlRecord->isAncestorOf(old) && now != pnlRecord && !pnlRecord->isAncestorOf(now))
        pnlRecordExit();
}

void TfrmBaseDBGrid::btnRefreshClick()
{
    RefreshData();
}

void TfrmBaseDBGrid::RefreshData()
{
    {
        ++m_quiet;
        const auto loud = qScopeGuard([this] { --m_quiet; });
        BeforeRefresh();
        if (TDataSet* ds = DataSet()) {
            // A list nothing else has written since it was read is put in order where it
            // stands; any other is read again.
            auto* query = qobject_cast<TQuery*>(ds);
            if (!query || !query->RefreshRows()) {
                ds->Close();
                ds->Open();
            }
        }
        AfterRefresh();
    }
    UpdateEditDeleteButtons();
    if (TDataSet* ds = DataSet(); m_shown && ds && !ds->IsEditing())
        ShowRecord();
}

void TfrmBaseDBGrid::dbGridBrowserDblClick()
{
    TDataSet* ds = DataSet();
    if (!ds || ds->Eof())
        throw EAbortMessage(QStringLiteral("No data"));
}

void TfrmBaseDBGrid::SetEditMode(bool editing)
{
    m_editMode = editing;
    pnlRecordButtons->setVisible(editing);
    pnlRecord->setEnabled(editing);
    pnldbGrid->setEnabled(!editing);
    pnlButtons->setEnabled(!editing);
    UpdateEditDeleteButtons();
}

void TfrmBaseDBGrid::SetButtonsEnabled(bool enabled)
{
    const QList<QObject*> all = findChildren<QObject*>();
    for (auto it = all.crbegin(); it != all.crend(); ++it) {
        if (auto* button = qobject_cast<QToolButton*>(*it)) {
            QWidget* panel = button->parentWidget();
            if (panel && panel->parentWidget() == pnlButtons) {
                button->setFocusPolicy(enabled ? Qt::StrongFocus : Qt::NoFocus);
                button->setEnabled(enabled);
            }
        } else if (auto* grid = qobject_cast<TDBGrid*>(*it)) {
            grid->setFocusPolicy(enabled ? Qt::StrongFocus : Qt::NoFocus);
        }
    }
    // Edit and Delete only where there is a row to work on.
    if (enabled)
        UpdateEditDeleteButtons();
}

void TfrmBaseDBGrid::UpdateEditDeleteButtons()
{
    const bool row = HasCurrentRow();
    btnEdit->setEnabled(row);
    btnDelete->setEnabled(row);
}

void TfrmBaseDBGrid::WidenList()
{
    // The list has its columns to show whole; the record needs less than the base gives it.
    Splitter1->setSizes({430, 270});
}

bool TfrmBaseDBGrid::OtherRowHolds(const QStringList& fields, const std::vector<qint64>& values) const
{
    TDataSet& ds = *DataSet();
    for (int row = 0; row < ds.RecordCount(); ++row) {
        if (row == ds.CurrentIndex())
            continue;
        bool same = true;
        for (qsizetype i = 0; i < fields.size() && same; ++i) {
            const TField& f = ds.FieldByName(fields[i]);
            same = f.ToInteger(ds.ValueAt(row, f.Index())) == values[size_t(i)];
        }
        if (same)
            return true;
    }
    return false;
}

QToolButton* TfrmBaseDBGrid::AddToolButton(const QString& panelName, const QString& name, const QString& caption,
                                           const QString& hint, const QIcon& icon, int width)
{
    QFrame* panel;
    QToolButton* button = NewPanelButton(pnlButtons, panel, panelName, name, caption, hint, icon, width);
    auto* bar = static_cast<QHBoxLayout*>(pnlButtons->layout());
    bar->insertWidget(bar->indexOf(pnlRefresh) + 1, panel);
    return button;
}

bool TfrmBaseDBGrid::DescriptionGiven(QLineEdit* box)
{
    if (!box->text().trimmed().isEmpty())
        return true;
    Dialogs().MessageDlg(QStringLiteral("Please enter a description"), mtError, mbOK);
    box->setFocus();
    return false;
}
