#pragma once
// The browse-and-edit screen: a grid of one dataset on the left, a record panel on the
// right in which one row is entered or changed, and a toolbar with Add, Edit, Delete,
// Refresh, a navigator and Close. Screens derive from it, bind their data source and
// override the hooks they need. Each hook does nothing (or the stated base step) by
// default; an override calls the base first and then does its own work.
#include "DBControls.h"

#include <QDialog>
#include <QFrame>
#include <QPushButton>
#include <QSplitter>
#include <QToolButton>
#include <functional>

class QLineEdit;
class TDbConnection;

class TfrmBaseDBGrid : public QDialog {
    Q_OBJECT
public:
    explicit TfrmBaseDBGrid(QWidget* parent = nullptr);
    ~TfrmBaseDBGrid() override;

    // The components screens and tests reach.
    QFrame* pnlButtons;
    QFrame *pnlAdd, *pnlEdit, *pnlDelete, *pnlRefresh;
    QToolButton *btnAdd, *btnEdit, *btnDelete, *btnRefresh;
    QFrame* Panel1;
    TDBNavigator* dbGridNavigator;
    QFrame* pnlCose;
    QToolButton* btnClose;
    QSplitter* Splitter1;
    QFrame* pnldbGrid;
    TDBGrid* dbGridBrowser;
    QFrame* pnlRecord;
    QWidget* RecordArea;  // where each screen lays out its entry controls
    QFrame* pnlRecordButtons;
    QPushButton* btnSave;
    QPushButton* btnCancel;

    TDataSet* DataSet() const;

    // Toolbar, record panel and grid events. A screen may replace one with its own that
    // calls the base first.
    virtual void btnAddClick();
    virtual void btnEditClick();
    virtual void btnDeleteClick();
    virtual void btnSaveClick();
    virtual void btnCancelClick();
    virtual void btnRefreshClick();
    virtual void pnlRecordExit();
    virtual void dbGridBrowserDblClick();
    virtual void dbGridBrowserKeyUp() { ShowRecord(); }
    virtual void dbGridBrowserMouseUp() { ShowRecord(); }

    void SetEditMode(bool editing);
    bool EditMode() const { return m_editMode; }
    void SetButtonsEnabled(bool enabled);
    void UpdateEditDeleteButtons();
    // RecordChanged, then long texts shown from their start. Runs on every change of the
    // current row, whatever moved it, so the panel never shows another row than the grid.
    void ShowRecord();
    // Whether the dataset has a row the record panel shows and Edit and Delete work on.
    bool HasCurrentRow() const;
    // Set once the user typed, chose or clicked something in the record panel since Add or
    // Edit; leaving then asks before the changes are thrown away.
    bool RecordModified() const { return m_recordModified; }

    // The help topic F1 opens on this screen.
    virtual QString HelpTopic() const;

    // Whether a row other than the current one holds these whole numbers in these fields:
    // an entry the list already has, told before the book refuses a second one.
    bool OtherRowHolds(const QStringList& fields, const std::vector<qint64>& values) const;

    // Adds a button to the toolbar after Refresh, in a small panel like the others.
    QToolButton* AddToolButton(const QString& panelName, const QString& name, const QString& caption,
                               const QString& hint, const QIcon& icon, int width = 52);

protected:
    // For screens whose list has more columns than the base's share of the width shows.
    void WidenList();
    // Binds the navigator to the grid's data source; a screen calls it after assigning its
    // data source to the grid, at the end of its constructor.
    virtual void FormCreate();

    // The hooks, in slot order.
    virtual void BeforeSave() { }
    virtual void AfterSave() { }
    virtual void AfterDelete() { }
    virtual void BeforeOpen() { }
    virtual void RecordChanged() { UpdateEditDeleteButtons(); }
    virtual void BeforeAdd() { }
    virtual bool PositionAtEnd() { return false; }
    virtual bool ValidateRecord() { return true; }
    // For ValidateRecord: false, after saying "Please enter a description" and putting
    // the cursor there, when the box holds nothing but spaces.
    bool DescriptionGiven(QLineEdit* box);
    virtual void RefreshData();
    virtual void BeforeRefresh() { }
    virtual void AfterRefresh() { }
    // Delete, before the user is asked: a row that must not go throws here, so the user
    // is told why rather than asked for nothing. It runs again, in the delete's own
    // transaction, before the row goes.
    virtual void RefuseDelete() { }
    // Delete, once the user confirmed and before the row goes: it is still current, so a
    // screen takes here what its AfterDelete needs (a line's day, say).
    virtual void BeforeDelete() { }
    // Every way of closing the screen (Close, the close box, Esc) runs this once the
    // record panel holds nothing pending; screens keep here what they remember on close.
    virtual void FormClose() { }

    virtual void FormShow();
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

public:
    // All closing ends here: the close box and Close reach it through reject().
    void done(int result) override;

protected:
    // The connection a save or delete runs its one transaction on.
    TDbConnection* Connection() const;

private:
    // One user action, one transaction: committed when `action` completes; rolled back when
    // an error leaves it, after which `recover` puts the screen right and the error goes on.
    void RunAsOneTransaction(const std::function<void()>& action, const std::function<void()>& recover);
    void FocusChanged(QWidget* old, QWidget* now);
    void ShowStored();
    void DataSetScrolled();
    // Back to browsing after Add or Edit could not start.
    void AbandonEdit();
    void WatchRecordControls();
    // Asks before typed changes are thrown away; true when the screen may leave edit mode.
    bool MayDiscardChanges();
    bool m_editMode = false;
    bool m_shown = false;
    bool m_recordModified = false;
    int m_quiet = 0;  // while the screen itself moves the dataset (show, refresh)
};
