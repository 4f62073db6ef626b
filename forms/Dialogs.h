#pragma once
// The one way the program asks the user something or tells him something: message boxes,
// the save-file dialog and the printer choice. All code goes through Dialogs(), so tests
// can install their own answers instead of real windows.
//
// This header stays free of widget headers on purpose: test support code that has no
// widgets can implement the interface.
#include <QString>
#include <QStringList>
#include <memory>

class QFileDialog;
class QMessageBox;
class QPrinter;
class QWidget;

enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation };
enum TMsgDlgButtons { mbOK, mbOKCancel };

// The button that closed a message box.
enum TModalResult : int { mrNone = 0, mrOk = 1, mrCancel = 2 };

class TDialogs {
public:
    virtual ~TDialogs() = default;

    // Shows text in a modal message box and returns the button pressed (mrOk or mrCancel).
    // Closing the box without a button counts as Cancel, or as OK when OK is the only button.
    virtual int MessageDlg(const QString& text, TMsgDlgType type, TMsgDlgButtons buttons) = 0;

    // Asks where to save a file. filter is written "Description|*.ext" with further
    // "|Description|pattern" pairs and ';' between patterns of one pair; defaultExt ("xls")
    // is added to a name typed without an extension. Returns the full path, or an empty
    // text when the user cancelled.
    virtual QString SaveFileName(QWidget* parent, const QString& caption, const QString& proposedName,
                                 const QString& filter, const QString& defaultExt) = 0;

    // Lets the user pick and set up a printer; false when he cancelled.
    virtual bool ChoosePrinter(QPrinter& printer, QWidget* parent) = 0;
};

// The dialogs in use. Until some are installed, the standard ones below.
TDialogs& Dialogs();

// Installs dialogs (null puts back the standard ones) and hands back the ones that were
// installed before, which may be null.
std::unique_ptr<TDialogs> SetDialogs(std::unique_ptr<TDialogs> dialogs);

// Installs dialogs for the lifetime of the guard and puts the previous ones back after.
class TDialogsGuard {
public:
    explicit TDialogsGuard(std::unique_ptr<TDialogs> dialogs) : m_previous(SetDialogs(std::move(dialogs))) { }
    ~TDialogsGuard() { SetDialogs(std::move(m_previous)); }
    TDialogsGuard(const TDialogsGuard&) = delete;
    TDialogsGuard& operator=(const TDialogsGuard&) = delete;

private:
    std::unique_ptr<TDialogs> m_previous;
};

// The standard dialogs: QMessageBox, QFileDialog and QPrintDialog.
class TStandardDialogs : public TDialogs {
public:
    int MessageDlg(const QString& text, TMsgDlgType type, TMsgDlgButtons buttons) override;
    QString SaveFileName(QWidget* parent, const QString& caption, const QString& proposedName, const QString& filter,
                         const QString& defaultExt) override;
    bool ChoosePrinter(QPrinter& printer, QWidget* parent) override;
};

// What the save-file dialog is set up with: the caption, Qt name filters, the suffix added
// to a name typed without one (no leading dot) and the name proposed.
struct TSaveDialogSetup {
    QString Caption;
    QStringList NameFilters;
    QString DefaultSuffix;
    QString ProposedName;
};
TSaveDialogSetup SaveDialogSetup(const QString& caption, const QString& proposedName, const QString& filter,
                                 const QString& defaultExt);
void ConfigureSaveDialog(QFileDialog& dialog, const TSaveDialogSetup& setup);
// The chosen path with the suffix added when its name has none.
QString WithDefaultSuffix(const QString& path, const QString& suffix);

// The message box MessageDlg shows, built but not shown; the first button is OK (the
// default), the second Cancel when asked for.
std::unique_ptr<QMessageBox> NewMessageBox(const QString& text, TMsgDlgType type, TMsgDlgButtons buttons,
                                           QWidget* parent = nullptr);
// The least width of a message box, so that its title is never cut short.
int MinimumMessageBoxWidth(const QWidget& box);

// "Excel|*.xls|Text|*.txt;*.csv" as Qt name filters: "Excel (*.xls);;Text (*.txt *.csv)".
// A description without a pattern at the end is dropped.
QString QtNameFilter(const QString& filter);

// The title of a message box of each type: "Error", "Warning", "Information", "Confirm".
QString MessageDlgCaption(TMsgDlgType type);
