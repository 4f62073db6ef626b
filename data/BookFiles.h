#pragma once
// The few things the book's files need of the file system, beyond what Qt offers: whether
// the program may write a file, flushing to the disk, and a rename that never replaces.
#include <QString>

namespace BookFiles {
// Why the program may not write `path`, in the system's words; empty when it may. The
// system's own answer, so it also holds for a privileged user: an immutable file, a
// read-only mount.
QString WriteRefusal(const QString& path);
// Whether the file starts as an unencrypted database does. An encrypted book starts with
// random bytes, so such a file was written by another program.
bool StartsAsPlainDatabase(const QString& path);
// Flushes a file, or a folder's list of names, to the disk; false with errno when it fails.
bool Sync(const QString& path, bool folder);
// Gives `from` the name `to` only while no file has that name: another program may have
// put one there meanwhile, and it must not be replaced. False with errno when not done
// (EEXIST when the name is taken).
bool RenameNoReplace(const QString& from, const QString& to);
}  // namespace BookFiles
