#pragma once
// The help window: the topics of a help file, one shown at a time. The program keeps one
// window and shows every topic asked for in it, beside the window that asked.
#include "HelpFile.h"

#include <QDialog>

class QListWidget;
class QTextBrowser;
class QUrl;

class TfrmHelpViewer : public QDialog {
    Q_OBJECT
public:
    explicit TfrmHelpViewer(QWidget* parent = nullptr);

    // Shows the topic with this jump identifier of help; an unknown topic is an EHelpError
    // and leaves the window as it was.
    void ShowTopic(const THelpFile& help, const QString& fileName, const QString& topicId);

    QString CurrentTopic() const { return m_current; }
    QTextBrowser* Browser() const { return m_browser; }
    QListWidget* Contents() const { return m_contents; }

private slots:
    void browserAnchorClicked(const QUrl& url);
    void lstContentsCurrentRowChanged(int row);

private:
    void Display(const THelpTopic& topic);

    THelpFile m_help;
    QString m_fileName;
    QString m_current;
    QListWidget* m_contents;
    QTextBrowser* m_browser;
};

// The help window in use, or null before the first help was shown (or after its owner went).
TfrmHelpViewer* HelpViewer();
// The help window, created on first use as a child window of the main window when there is one.
TfrmHelpViewer& EnsureHelpViewer();
