#include "Help.h"

#include "HelpFile.h"
#include "HelpViewer.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QUrl>

namespace {

TShellOpener& Opener()
{
    static TShellOpener opener;
    return opener;
}

}  // namespace

void ShowHelpTopic(const QString& topic)
{
    ShowHelpTopicIn(QCoreApplication::applicationDirPath(), topic);
}

void ShowHelpTopicIn(const QString& programFolder, const QString& topic)
{
    if (!QDir::setCurrent(programFolder))
        throw EInOutError(QStringLiteral("Cannot change the current directory to %1.").arg(programFolder));
    // Relative on purpose: it resolves in the program folder just made current.
    const THelpFile help = LoadHelpFile(HelpFileName);
    help.Topic(topic, HelpFileName);  // an unknown topic fails before a window appears
    EnsureHelpViewer().ShowTopic(help, HelpFileName, topic);
}

void ShellOpen(const QUrl& url)
{
    const TShellOpener& opener = Opener();
    const bool opened = opener ? opener(url) : QDesktopServices::openUrl(url);
    if (!opened)
        throw EInOutError(QStringLiteral("Cannot open %1.").arg(url.toString()));
}

TShellOpener SetShellOpener(TShellOpener opener)
{
    return std::exchange(Opener(), std::move(opener));
}
