#pragma once
// The Tools menu's work on the book as a whole: backing it up, restoring it from a backup
// and checking it, and the backup taken as the program closes. Each asks and tells the
// user through the dialog interface; errors travel to the error handler.
class QWidget;

namespace BookTools {
// Asks where to put the backup, writes a checked copy there and says where it went.
void BackUpBook(QWidget* parent);
// Asks which backup to restore and for confirmation, closes the transactions screens (one
// in the middle of an entry asks first; kept, it stops the restore), puts the backup in
// the book's place and says where the book it replaced was kept. Every list is read again
// from the restored book when it is next shown.
void RestoreBook(QWidget* parent);
// Checks the book and says "no differences" when all is well; otherwise lists the totals
// that disagree with their lines and offers to repair them in one go.
void CheckBook(QWidget* parent);
// Takes the closing backup into the Backups folder beside the book, keeping as many as the
// setting says. A failure is reported and goes no further: the program closes all the same.
void TakeClosingBackup() noexcept;
}  // namespace BookTools
