#include "HelpViewer.h"

#include "ErrorHandler.h"
#include "Help.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QMainWindow>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSplitter>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace {
QPointer<TfrmHelpViewer> theViewer;
}

TfrmHelpViewer::TfrmHelpViewer(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmHelpViewer"));
    setWindowTitle(QStringLiteral("Brindlemark Help"));
    // Help is read beside the window it explains; it must not block that window.
    setModal(false);
    setAttribute(Qt::WA_QuitOnClose, false);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setSizeGripEnabled(true);

    m_contents = new QListWidget;
    m_contents->setObjectName(QStringLiteral("lstContents"));
    m_browser = new QTextBrowser;
    m_browser->setObjectName(QStringLiteral("brwTopic"));
    // Links name topics of our own file (or web pages), which QTextBrowser cannot load itself.
    m_browser->setOpenLinks(false);

    auto* splitter = new QSplitter;
    splitter->addWidget(m_contents);
    splitter->addWidget(m_browser);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({160, 440});

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    buttons->button(QDialogButtonBox::Close)->setObjectName(QStringLiteral("btnClose"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(splitter, 1);
    layout->addWidget(buttons);

    connect(m_browser, &QTextBrowser::anchorClicked, this,
            Guarded([this](const QUrl& url) { browserAnchorClicked(url); }));
    connect(m_contents, &QListWidget::currentRowChanged, this,
            Guarded([this](int row) { lstContentsCurrentRowChanged(row); }));
    resize(640, 480);
}

void TfrmHelpViewer::ShowTopic(const THelpFile& help, const QString& fileName, const QString& topicId)
{
    const THelpTopic& topic = help.Topic(topicId, fileName);
    m_help = help;
    m_fileName = fileName;
    {
        const QSignalBlocker block(m_contents);
        m_contents->clear();
        for (const THelpTopic& t : std::as_const(m_help.Topics))
            m_contents->addItem(t.Title);
    }
    Display(*m_help.Find(topic.Id));
    show();
    raise();
    activateWindow();
}

void TfrmHelpViewer::Display(const THelpTopic& topic)
{
    m_current = topic.Id;
    setWindowTitle(QStringLiteral("Brindlemark Help - %1").arg(topic.Title));
    m_browser->setHtml(QStringLiteral("<h2>%1</h2>\n%2").arg(topic.Title.toHtmlEscaped(), topic.Html));
    const QSignalBlocker block(m_contents);
    m_contents->setCurrentRow(int(&topic - m_help.Topics.constData()));
}

void TfrmHelpViewer::browserAnchorClicked(const QUrl& url)
{
    const QString id = TopicOfLink(url);
    if (id.isEmpty()) {
        ShellOpen(url);
        return;
    }
    Display(m_help.Topic(id, m_fileName));
}

void TfrmHelpViewer::lstContentsCurrentRowChanged(int row)
{
    if (row >= 0 && row < m_help.Topics.size())
        Display(m_help.Topics.at(row));
}

TfrmHelpViewer* HelpViewer()
{
    return theViewer;
}

namespace {

// The window help belongs to: the screen the user is held in when one is modal (a window
// outside it would be blocked until that screen closed), otherwise the main window.
QWidget* HelpOwner()
{
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (qobject_cast<QMainWindow*>(w))
            return w;
    return nullptr;
}

}  // namespace

TfrmHelpViewer& EnsureHelpViewer()
{
    QWidget* owner = HelpOwner();
    if (!theViewer) {
        // A child window of its owner stays in front of it and goes when it goes.
        theViewer = new TfrmHelpViewer(owner);
    } else if (owner && owner != theViewer && !theViewer->isAncestorOf(owner) && theViewer->parentWidget() != owner) {
        // Moves to the window that now asks, keeping its place on the screen.
        const QPoint at = theViewer->pos();
        theViewer->setParent(owner, theViewer->windowFlags());
        theViewer->move(at);
    }
    return *theViewer;
}
