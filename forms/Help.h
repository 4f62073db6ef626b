#pragma once
// Application-wide services of the shell: help topics and handing addresses to the desktop.
#include "Errors.h"

#include <QString>
#include <functional>

class QUrl;

// A file or folder operation the system refused.
class EInOutError : public EZorpError {
    using EZorpError::EZorpError;
};

// The help file, named relative to the program folder.
inline const QString HelpFileName = QStringLiteral("ZORP.hlp");

// Shows the help topic with this jump identifier ("Main Menu", "Income Transaction",
// "Expense Transaction") in the help window. The program folder becomes the current
// directory first; a folder that cannot be entered is an EInOutError, a missing or
// malformed help file or an unknown topic an EHelpError, and no help is shown.
void ShowHelpTopic(const QString& topic);

// The same with the program folder given, so tests can point it somewhere else.
void ShowHelpTopicIn(const QString& programFolder, const QString& topic);

// Asks the desktop to open a web address or a "mailto:" address; an address the desktop
// cannot open is an EInOutError.
void ShellOpen(const QUrl& url);

// What ShellOpen calls (QDesktopServices::openUrl unless replaced); returns whether the
// desktop took the address. Tests replace it to see what would be opened; the previous
// opener is handed back, and an empty one puts back the desktop's.
using TShellOpener = std::function<bool(const QUrl&)>;
TShellOpener SetShellOpener(TShellOpener opener);
