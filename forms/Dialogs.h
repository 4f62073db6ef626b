#pragma once
// The one way the program asks the user something or tells him something: message boxes,
// the save-file dialog and the printer choice. All code goes through Dialogs(), so tests
// can install their own answers instead of real windows.
//
// This header stays free of widget headers on purpose: test support code that has no
// widgets can implement the interface.
#include <QPointer>
#include <QWidget>
#include <QList>
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

// One type of file a save dialog offers: "Excel 97-2003" with the extension "xls" (no dot).
struct TFileType {
    QString Description;
    QString Extension;
    // As a Qt name filter: "Excel 97-2003 (*.xls)".
    QString NameFilter() const;
};

// The answer to a save dialog that offers several types: the path, which carries the
// chosen type's extension when the name was given without one, and the index of the
// chosen type; an empty path when the user cancelled.
struct TSaveChoice {
    QString Path;
    int Type = -1;
};

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

    // Asks where to save a file and as which of `types` (at least one), the first chosen
    // to begin with. A name ending in one type's extension is of that type; otherwise the
    // chosen type counts and its extension is added to the name. Unless overridden it
    // asks SaveFileName with every type in its filter and takes the type from the name's
    // extension (the first type when none matches), for dialogs that cannot say which
    // filter was chosen.
    virtual TSaveChoice SaveFileAs(QWidget* parent, const QString& caption, const QString& proposedName,
                                   const QList<TFileType>& types);

    // Asks for an existing file to open; filter as for SaveFileName. Returns the full path,
    // or an empty text when the user cancelled. The standard open dialog unless overridden.
    virtual QString OpenFileName(QWidget* parent, const QString& caption, const QString& filter);
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

// Gives the keyboard back, once a modal window opened meanwhile has closed, to the window
// that was active and the widget that had the focus in it. A window manager mostly does
// this itself; without one the keys went nowhere until a click.
class TFocusReturn {
public:
    TFocusReturn();
    ~TFocusReturn();
    TFocusReturn(const TFocusReturn&) = delete;
    TFocusReturn& operator=(const TFocusReturn&) = delete;

private:
    QPointer<QWidget> m_window, m_focus;
};

// The standard dialogs: QMessageBox, QFileDialog and QPrintDialog.
class TStandardDialogs : public TDialogs {
public:
    int MessageDlg(const QString& text, TMsgDlgType type, TMsgDlgButtons buttons) override;
    QString SaveFileName(QWidget* parent, const QString& caption, const QString& proposedName, const QString& filter,
                         const QString& defaultExt) override;
    bool ChoosePrinter(QPrinter& printer, QWidget* parent) override;
    TSaveChoice SaveFileAs(QWidget* parent, const QString& caption, const QString& proposedName,
                           const QList<TFileType>& types) override;
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

// Save dialogs with a choice of types. The types as a SaveFileName filter
// ("Excel 97-2003|*.xls|PDF|*.pdf").
QString FileTypesFilter(const QList<TFileType>& types);
// The type whose extension a name ends in, in any case; -1 when none.
int FileTypeOfName(const QString& path, const QList<TFileType>& types);
// Sets a Qt file dialog up to save as one of `types`: their name filters with the first
// selected, and the suffix added to a bare name following the filter the user picks.
void ConfigureSaveAsDialog(QFileDialog& dialog, const QString& caption, const QString& proposedName,
                           const QList<TFileType>& types);
// The answer a Qt file dialog gave: the type whose extension the file's name ends in; or
// else the type of the selected name filter (the first when it is none of them), its
// extension added to the name.
TSaveChoice SaveChoiceOf(const QString& selectedFile, const QString& selectedNameFilter,
                         const QList<TFileType>& types);

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
