#include "BookTools.h"

#include "BookBackup.h"
#include "BookCheck.h"
#include "Dialogs.h"
#include "ErrorHandler.h"
#include "Errors.h"
#include "frm_BookCheck.h"
#include "frm_ExpenseTransactions.h"
#include "frm_TransactionSales.h"
#include "sql_DailyExpenses.h"
#include "sql_DailySales.h"
#include "sql_DailyTransaction.h"
#include "sql_Expense.h"
#include "sql_ExpenseType.h"
#include "sql_K2V.h"
#include "sql_Period.h"
#include "sql_Sales.h"
#include "sql_resource.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QScopeGuard>
#include <memory>

namespace {

const QString BookFilter = QStringLiteral("Brindlemark books|*.DAT;*.dat|All files|*");

TDbConnection& Book()
{
    if (!dmK2V)
        throw EDatabaseError(QStringLiteral("There is no book open."));
    return dmK2V->ADOConnection;
}

QString Shown(const QString& path)
{
    return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
}

// Closes the transactions screens as the user would; false when one in the middle of an
// entry is kept open.
bool CloseTransactionScreens()
{
    for (QWidget* screen : {static_cast<QWidget*>(frmExpenseTransactions), static_cast<QWidget*>(frmTransactionSales)})
        if (screen && screen->isVisible() && !screen->close())
            return false;
    return true;
}

// Every list of every data module is closed, so each reads the book again when a screen
// next shows it instead of showing what the book held before.
void CloseAllLists()
{
    const QList<QObject*> modules = {dmResource, dmSales,           dmExpense,          dmExpenseType,
                                     dmPeriod,   dmDailyExpenses,   dmDailyTransaction, dmDailySales};
    for (QObject* module : modules)
        if (module)
            for (TDataSet* list : module->findChildren<TDataSet*>())
                list->Close();
}

}  // namespace

void BookTools::BackUpBook(QWidget* parent)
{
    TDbConnection& book = Book();
    const QFileInfo bookFile(book.DataSource());
    const QString proposed =
        QStringLiteral("%1/%2 backup %3.%4")
            .arg(bookFile.absolutePath(), bookFile.completeBaseName(),
                 QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HHmm")), bookFile.suffix());
    const QString target =
        Dialogs().SaveFileName(parent, QStringLiteral("Back Up Book"), proposed, BookFilter, bookFile.suffix());
    if (target.isEmpty())
        return;
    BookBackup::BackUp(book, target);
    Dialogs().MessageDlg(QStringLiteral("Your books were backed up to %1.\n\nThe copy was opened again and checked "
                                        "before it was given that name: it opens with your password, no part of it "
                                        "is damaged, and every total in it agrees with its lines.")
                             .arg(Shown(target)),
                         mtInformation, mbOK);
}

void BookTools::RestoreBook(QWidget* parent)
{
    TDbConnection& book = Book();
    const QString backup = Dialogs().OpenFileName(parent, QStringLiteral("Restore Book"), BookFilter);
    if (backup.isEmpty())
        return;
    // A backup that cannot be restored is said at once, before the user is asked anything
    // or a screen is closed.
    {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        const auto restoreCursor = qScopeGuard([] { QApplication::restoreOverrideCursor(); });
        BookBackup::CheckRestorable(book, backup);
    }
    const QDateTime when = QDateTime::currentDateTime();
    const QString kept = BookBackup::KeptBookPath(book.DataSource(), when);
    const QString question =
        QStringLiteral("Restore your books from the backup %1?\n\nEverything Brindlemark shows is replaced by what "
                       "the backup holds; changes made since it was taken are no longer shown. The book you have now "
                       "is kept beside it as \"%2\", so nothing is lost.")
            .arg(Shown(backup), QFileInfo(kept).fileName());
    if (Dialogs().MessageDlg(question, mtConfirmation, mbOKCancel) != mrOk)
        return;
    if (!CloseTransactionScreens())
        return;
    CloseAllLists();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const auto restoreCursor = qScopeGuard([] { QApplication::restoreOverrideCursor(); });
    const QString keptAs = BookBackup::Restore(book, backup, when);
    QString told = QStringLiteral("Your books were restored from %1.\n\nThe backup was checked before it was put in "
                                  "place: it opens with your password, no part of it is damaged, and every total in "
                                  "it agrees with its lines.")
                       .arg(Shown(backup));
    if (!keptAs.isEmpty())
        told += QStringLiteral(" The book you had before is kept as %1.").arg(Shown(keptAs));
    Dialogs().MessageDlg(told, mtInformation, mbOK);
}

void BookTools::CheckBook(QWidget* parent)
{
    TDbConnection& book = Book();
    const TBookCheck check = BookCheck::Check(book);
    const QString shown = Shown(book.DataSource());
    if (!check.damage.isEmpty())
        throw EDatabaseError(QStringLiteral("The book %1 is damaged: %2. Restore it from a backup with Restore Book "
                                            "in the Tools menu.")
                                 .arg(shown, check.damage.mid(0, 3).join(QStringLiteral("; "))));
    if (check.differences.isEmpty()) {
        Dialogs().MessageDlg(QStringLiteral("The book %1 was checked: no differences.\n\nNo part of it is damaged, and "
                                            "every day's and month's totals agree with their lines.")
                                 .arg(shown),
                             mtInformation, mbOK);
        return;
    }
    const TFocusReturn focus;
    auto screen = std::make_unique<TfrmBookCheck>(check.differences, parent);
    screen->exec();
}

void BookTools::TakeClosingBackup() noexcept
{
    if (!dmK2V)
        return;
    try {
        TDbConnection& book = dmK2V->ADOConnection;
        BookBackup::TakeClosingBackup(book, BookBackup::ClosingBackupsKept());
    } catch (...) {
        try {
            const QString folder = Shown(BookBackup::BackupsFolder(dmK2V->ADOConnection.DataSource()));
            ShowException(std::make_exception_ptr(
                EDatabaseError(QStringLiteral("%1\n\nThis was the backup Brindlemark takes into %2 as it closes. "
                                              "Brindlemark closes all the same; your book is as you left it.")
                                   .arg(ExceptionMessage(std::current_exception()), folder))));
        } catch (...) {
            // Closing goes on whatever happens to the report.
        }
    }
}
