#pragma once
// Copies of the book. A backup is written with the engine's online backup into a new file
// keyed with the book's own password, under a name of its own beside the one chosen; it
// is opened again and checked (pages, indexes, totals) and only then takes the chosen
// name. A restore checks the backup first, keeps the book it replaces under a dated name
// beside it, and puts the backup in place in one rename. Closing backups go into a Backups
// folder beside the book, the last few of them kept.
//
// Errors are EDatabaseError in words for the user: what was not done, why, and what was
// left as it was.
#include <QDateTime>
#include <QString>
#include <QStringList>

class TDbConnection;

namespace BookBackup {

// Writes a checked copy of `book` as `target`, replacing a file of that name only once the
// copy is whole and checked. A target that is a folder or the book itself is refused.
// Nothing is left under any name when it fails.
void BackUp(TDbConnection& book, const QString& target);

// Refuses, with the reason, a file that cannot take the book's place: one that does not
// open with the book's password, is damaged, has totals that disagree with its lines, is
// no book of this program, or was written by a newer version of it.
void CheckRestorable(TDbConnection& book, const QString& file);

// Where the book is kept when a restore replaces it: beside it, named by the date and time
// ("ZORP 2026-12-08 2315 before restore.DAT"), numbered when that name is taken.
QString KeptBookPath(const QString& bookPath, const QDateTime& when);

// Puts the backup `file` in the book's place and opens it; returns where the book it
// replaced was kept (empty when there was none). Checked before anything is touched; on
// any failure the book stays, or is put back, as it was, and the connection is open on it
// again when it can be.
QString Restore(TDbConnection& book, const QString& file, const QDateTime& when = QDateTime::currentDateTime());

// How many closing backups are kept: the setting of that name in the program's book, a
// whole number; 0 takes none. Without it (or with something else stored) the default.
inline const QString KeptSetting = QStringLiteral("CLOSING_BACKUPS_KEPT");
constexpr int DefaultKept = 10;
int ClosingBackupsKept();

// The folder beside the book that closing backups go into.
QString BackupsFolder(const QString& bookPath);
// The closing backups in `folder` of the book at `bookPath`, oldest first; files of other
// names are none of them.
QStringList ClosingBackups(const QString& bookPath);
// Takes a closing backup of `book` named by `when` and removes the oldest beyond `keep`;
// the path written, or empty when `keep` is 0.
QString TakeClosingBackup(TDbConnection& book, int keep, const QDateTime& when = QDateTime::currentDateTime());

}  // namespace BookBackup
