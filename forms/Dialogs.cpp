#include "Dialogs.h"

#include <QApplication>
#include <QPrintDialog>

#include "Errors.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QStringList>
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

int TStandardDialogs::MessageDlg(const QString& text, TMsgDlgType type, TMsgDlgButtons buttons)
{
    QMessageBox box(IconOf(type), MessageDlgCaption(type), text, QMessageBox::NoButton,
                    ActiveWindow());
    // Database and file messages may hold '<' and must show as written.
    box.setTextFormat(Qt::PlainText);
    QPushButton* ok = box.addButton(QMessageBox::Ok);
    box.setDefaultButton(ok);
    if (buttons == mbOKCancel)
        box.setEscapeButton(box.addButton(QMessageBox::Cancel));
    else
        box.setEscapeButton(ok);
    box.exec();
    return box.clickedButton() == ok ? mrOk : mrCancel;
}

QString TStandardDialogs::SaveFileName(QWidget* parent, const QString& caption,
                                       const QString& proposedName, const QString& filter,
                                       const QString& defaultExt)
{
    QFileDialog dialog(parent ? parent : ActiveWindow(), caption);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    const QString nameFilter = QtNameFilter(filter);
    if (!nameFilter.isEmpty())
        dialog.setNameFilters(nameFilter.split(QStringLiteral(";;")));
    QString suffix = defaultExt;
    while (suffix.startsWith('.'))
        suffix.remove(0, 1);
    dialog.setDefaultSuffix(suffix);
    if (!proposedName.isEmpty())
        dialog.selectFile(proposedName);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.selectedFiles().value(0);
}

bool TStandardDialogs::ChoosePrinter(QPrinter& printer, QWidget* parent)
{
    if (!parent)
        parent = QApplication::activeModalWidget() ? QApplication::activeModalWidget() : QApplication::activeWindow();
    QPrintDialog dialog(&printer, parent);
    return dialog.exec() == QDialog::Accepted;
}
