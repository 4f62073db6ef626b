#include "Dialogs.h"

#include <QApplication>
#include <QPrintDialog>

#include "Errors.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QSpacerItem>
#include <QMessageBox>
#include <QPushButton>
#include <QStringList>
#include <algorithm>
#include <utility>

namespace {

std::unique_ptr<TDialogs>& Installed()
{
    static std::unique_ptr<TDialogs> dialogs;
    return dialogs;
}

// A message box belongs to whatever window the user is working in, so it stays in front
// of it and blocks it.
QWidget* ActiveWindow()
{
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    return QApplication::activeWindow();
}

QMessageBox::Icon IconOf(TMsgDlgType type)
{
    switch (type) {
    case mtWarning: return QMessageBox::Warning;
    case mtError: return QMessageBox::Critical;
    case mtInformation: return QMessageBox::Information;
    case mtConfirmation: return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

}  // namespace

TDialogs& Dialogs()
{
    auto& dialogs = Installed();
    if (!dialogs)
        dialogs = std::make_unique<TStandardDialogs>();
    return *dialogs;
}

std::unique_ptr<TDialogs> SetDialogs(std::unique_ptr<TDialogs> dialogs)
{
    return std::exchange(Installed(), std::move(dialogs));
}

QString MessageDlgCaption(TMsgDlgType type)
{
    switch (type) {
    case mtWarning: return QStringLiteral("Warning");
    case mtError: return QStringLiteral("Error");
    case mtInformation: return QStringLiteral("Information");
    case mtConfirmation: return QStringLiteral("Confirm");
    }
    return {};
}

QString QtNameFilter(const QString& filter)
{
    const QStringList parts = filter.split('|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns = parts[i + 1].split(';', Qt::SkipEmptyParts);
        for (QString& p : patterns)
            p = p.trimmed();
        filters << QStringLiteral("%1 (%2)").arg(parts[i].trimmed(), patterns.join(' '));
    }
    return filters.join(QStringLiteral(";;"));
}

std::unique_ptr<QMessageBox> NewMessageBox(const QString& text, TMsgDlgType type, TMsgDlgButtons buttons,
                                           QWidget* parent)
{
    auto box =
        std::make_unique<QMessageBox>(IconOf(type), MessageDlgCaption(type), text, QMessageBox::NoButton, parent);
    // Database and file messages may hold '<' and must show as written.
    box->setTextFormat(Qt::PlainText);
    QPushButton* ok = box->addButton(QMessageBox::Ok);
    box->setDefaultButton(ok);
    if (buttons == mbOKCancel)
        box->setEscapeButton(box->addButton(QMessageBox::Cancel));
    else
        box->setEscapeButton(ok);
    // A short text ("No data") would make a box too narrow for its own title; the message
    // box sizes itself from its layout, so the width goes in there.
    if (auto* grid = qobject_cast<QGridLayout*>(box->layout())) {
        const int width = MinimumMessageBoxWidth(*box);
        grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Minimum), grid->rowCount(), 0, 1,
                      grid->columnCount());
    }
    return box;
}

int MinimumMessageBoxWidth(const QWidget& box)
{
    // Room for the title and the title bar's own buttons, whatever the window manager.
    return std::max(280, box.fontMetrics().horizontalAdvance(box.windowTitle()) * 2 + 160);
}

int TStandardDialogs::MessageDlg(const QString& text, TMsgDlgType type, TMsgDlgButtons buttons)
{
    const TFocusReturn focus;
    const std::unique_ptr<QMessageBox> box = NewMessageBox(text, type, buttons, ActiveWindow());
    QAbstractButton* ok = box->defaultButton();
    box->exec();
    return box->clickedButton() == ok ? mrOk : mrCancel;
}

TSaveDialogSetup SaveDialogSetup(const QString& caption, const QString& proposedName, const QString& filter,
                                 const QString& defaultExt)
{
    TSaveDialogSetup setup;
    setup.Caption = caption;
    const QString nameFilter = QtNameFilter(filter);
    if (!nameFilter.isEmpty())
        setup.NameFilters = nameFilter.split(QStringLiteral(";;"));
    setup.DefaultSuffix = defaultExt;
    while (setup.DefaultSuffix.startsWith('.'))
        setup.DefaultSuffix.remove(0, 1);
    setup.ProposedName = proposedName;
    return setup;
}

void ConfigureSaveDialog(QFileDialog& dialog, const TSaveDialogSetup& setup)
{
    dialog.setWindowTitle(setup.Caption);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    if (!setup.NameFilters.isEmpty())
        dialog.setNameFilters(setup.NameFilters);
    dialog.setDefaultSuffix(setup.DefaultSuffix);
    if (!setup.ProposedName.isEmpty())
        dialog.selectFile(setup.ProposedName);
}

QString WithDefaultSuffix(const QString& path, const QString& suffix)
{
    if (path.isEmpty() || suffix.isEmpty() || !QFileInfo(path).suffix().isEmpty())
        return path;
    return path + '.' + suffix;
}

QString TStandardDialogs::SaveFileName(QWidget* parent, const QString& caption, const QString& proposedName,
                                       const QString& filter, const QString& defaultExt)
{
    const TSaveDialogSetup setup = SaveDialogSetup(caption, proposedName, filter, defaultExt);
    const TFocusReturn focus;
    QFileDialog dialog(parent ? parent : ActiveWindow());
    ConfigureSaveDialog(dialog, setup);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    // Not every platform's dialog adds the suffix itself.
    return WithDefaultSuffix(dialog.selectedFiles().value(0), setup.DefaultSuffix);
}

QString TFileType::NameFilter() const
{
    return QStringLiteral("%1 (*.%2)").arg(Description, Extension);
}

QString FileTypesFilter(const QList<TFileType>& types)
{
    QStringList parts;
    for (const TFileType& t : types)
        parts << t.Description << QStringLiteral("*.") + t.Extension;
    return parts.join('|');
}

int FileTypeOfName(const QString& path, const QList<TFileType>& types)
{
    const QString suffix = QFileInfo(path).suffix();
    for (qsizetype i = 0; i < types.size(); ++i)
        if (suffix.compare(types[i].Extension, Qt::CaseInsensitive) == 0)
            return int(i);
    return -1;
}

TSaveChoice TDialogs::SaveFileAs(QWidget* parent, const QString& caption, const QString& proposedName,
                                 const QList<TFileType>& types)
{
    const QString path = SaveFileName(parent, caption, proposedName, FileTypesFilter(types),
                                      types.isEmpty() ? QString() : types.first().Extension);
    if (path.isEmpty())
        return {};
    return {path, std::max(0, FileTypeOfName(path, types))};
}

void ConfigureSaveAsDialog(QFileDialog& dialog, const QString& caption, const QString& proposedName,
                           const QList<TFileType>& types)
{
    ConfigureSaveDialog(dialog, SaveDialogSetup(caption, proposedName, FileTypesFilter(types),
                                                types.isEmpty() ? QString() : types.first().Extension));
    if (types.isEmpty())
        return;
    dialog.selectNameFilter(types.first().NameFilter());
    // The suffix follows the filter, so that the dialog's own question about replacing a
    // file asks about the file that will really be written.
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog, types](const QString& filter) {
        for (const TFileType& t : types)
            if (t.NameFilter() == filter)
                dialog.setDefaultSuffix(t.Extension);
    });
}

TSaveChoice SaveChoiceOf(const QString& selectedFile, const QString& selectedNameFilter,
                         const QList<TFileType>& types)
{
    if (selectedFile.isEmpty() || types.isEmpty())
        return {};
    // A name that ends in an offered type's extension is saved as that type, whatever
    // filter is showing: name and contents never disagree.
    const int named = FileTypeOfName(selectedFile, types);
    if (named >= 0)
        return {selectedFile, named};
    int type = 0;
    for (qsizetype i = 0; i < types.size(); ++i)
        if (types[i].NameFilter() == selectedNameFilter)
            type = int(i);
    // Any other name gets the type's extension, a dotted one too ("Sales Jan.2002").
    const QString dot = selectedFile.endsWith('.') ? QString() : QStringLiteral(".");
    return {selectedFile + dot + types[type].Extension, type};
}

TSaveChoice TStandardDialogs::SaveFileAs(QWidget* parent, const QString& caption, const QString& proposedName,
                                         const QList<TFileType>& types)
{
    const TFocusReturn focus;
    QFileDialog dialog(parent ? parent : ActiveWindow());
    ConfigureSaveAsDialog(dialog, caption, proposedName, types);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    const QString selected = dialog.selectedFiles().value(0);
    const TSaveChoice choice = SaveChoiceOf(selected, dialog.selectedNameFilter(), types);
    // The dialog asked about replacing the name it was given; a name that then got its
    // extension has not been asked about yet.
    if (!choice.Path.isEmpty() && choice.Path != selected && QFileInfo::exists(choice.Path)
        && MessageDlg(QStringLiteral("%1 already exists.\nDo you want to replace it?")
                          .arg(QFileInfo(choice.Path).fileName()),
                      mtConfirmation, mbOKCancel)
               != mrOk)
        return {};
    return choice;
}

bool TStandardDialogs::ChoosePrinter(QPrinter& printer, QWidget* parent)
{
    if (!parent)
        parent = QApplication::activeModalWidget() ? QApplication::activeModalWidget() : QApplication::activeWindow();
    const TFocusReturn focus;
    QPrintDialog dialog(&printer, parent);
    return dialog.exec() == QDialog::Accepted;
}

QString TDialogs::OpenFileName(QWidget* parent, const QString& caption, const QString& filter)
{
    const TFocusReturn focus;
    QFileDialog dialog(parent ? parent : ActiveWindow(), caption);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (const QString nameFilter = QtNameFilter(filter); !nameFilter.isEmpty())
        dialog.setNameFilters(nameFilter.split(QStringLiteral(";;")));
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.selectedFiles().value(0);
}

TFocusReturn::TFocusReturn() : m_window(ActiveWindow())
{
    if (m_window)
        m_focus = m_window->focusWidget();
}

TFocusReturn::~TFocusReturn()
{
    if (!m_window || !m_window->isVisible())
        return;
    m_window->activateWindow();
    if (m_focus && m_focus->isVisible() && m_focus->isEnabled())
        m_focus->setFocus(Qt::ActiveWindowFocusReason);
}
