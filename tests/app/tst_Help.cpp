// Help: the help-file format, the program's own ZORP.hlp, and opening topics from anywhere.
#include "HelpFile.h"
#include "HelpViewer.h"
#include "ScriptedDialogs.h"
#include "ZorpApplication.h"
#include "Help.h"

#include <QCoreApplication>
#include <QDir>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTimer>
#include <QUrl>

namespace {

QString ProgramFolder()
{
    return QCoreApplication::applicationDirPath();
}

QString PlainText(const QString& html)
{
    QTextDocument doc;
    doc.setHtml(html);
    return doc.toPlainText();
}

}  // namespace

class TestHelp : public QObject {
    Q_OBJECT

    QString m_startFolder;

private slots:
    void initTestCase() { m_startFolder = QDir::currentPath(); }
    void cleanup()
    {
        delete HelpViewer();
        QDir::setCurrent(m_startFolder);
    }

    // ---- the format ----

    void topicsTitlesAndComments()
    {
        const THelpFile help = ParseHelpFile(QStringLiteral("# a comment before the topics\n"
                                                            "#\n"
                                                            "#topic First One\n"
                                                            "#title The first\n"
                                                            "Hello\n"
                                                            "# a comment inside\n"
                                                            "#topic Second\n"
                                                            "Bye\n"));
        QCOMPARE(help.Topics.size(), 2);
        QCOMPARE(help.Topics[0].Id, QStringLiteral("First One"));
        QCOMPARE(help.Topics[0].Title, QStringLiteral("The first"));
        QCOMPARE(help.Topics[0].Html, QStringLiteral("<p>Hello</p>\n"));
        QCOMPARE(help.Topics[1].Title, QStringLiteral("Second"));
        QCOMPARE(help.Topics[1].Html, QStringLiteral("<p>Bye</p>\n"));
        // Jump identifiers are found whatever their case and surrounding blanks.
        QCOMPARE(help.Find(QStringLiteral(" first one ")), &help.Topics[0]);
        QCOMPARE(help.Find(QStringLiteral("Third")), nullptr);
    }

    void markup_data()
    {
        QTest::addColumn<QString>("body");
        QTest::addColumn<QString>("html");
        QTest::newRow("lines of a paragraph are joined") << "one\ntwo\n\nthree"
                                                         << "<p>one two</p>\n<p>three</p>\n";
        QTest::newRow("heading") << "= Adding a line\ntext"
                                 << "<h3>Adding a line</h3>\n<p>text</p>\n";
        QTest::newRow("bullets with a continued item")
            << "Intro\n- one\n  more\n- two\nAfter"
            << "<p>Intro</p>\n<ul>\n<li>one more</li>\n<li>two</li>\n</ul>\n<p>After</p>\n";
        QTest::newRow("numbered items") << "1. first\n2. second"
                                        << "<ol>\n<li>first</li>\n<li>second</li>\n</ol>\n";
        QTest::newRow("bullets then numbers are two lists") << "- a\n1. b"
                                                            << "<ul>\n<li>a</li>\n</ul>\n<ol>\n<li>b</li>\n</ol>\n";
        QTest::newRow("bold") << "Press *OK* now"
                              << "<p>Press <b>OK</b> now</p>\n";
        QTest::newRow("lone star stays") << "5 * 3 and *"
                                         << "<p>5 * 3 and *</p>\n";
        QTest::newRow("markup characters are text") << "a < b & \"c\""
                                                    << "<p>a &lt; b &amp; &quot;c&quot;</p>\n";
        QTest::newRow("link") << "See [[T]]."
                              << "<p>See <a href=\"topic:T\">T</a>.</p>\n";
        QTest::newRow("link with own text") << "[[Other Topic|the other one]]"
                                            << "<p><a href=\"topic:Other%20Topic\">the other one</a></p>\n";
        QTest::newRow("trailing blanks and CR") << "text \r\n\r\n"
                                                << "<p>text</p>\n";
    }
    void markup()
    {
        QFETCH(QString, body);
        QFETCH(QString, html);
        const THelpFile help = ParseHelpFile("#topic T\n#topic Other Topic\n#topic X\n" + body);
        QCOMPARE(help.Topics.last().Html, html);
    }

    void linkLeadsBackToItsTopic()
    {
        const THelpFile help =
            ParseHelpFile(QStringLiteral("#topic Income Transaction\n#topic A\n[[Income Transaction]]"));
        const QString html = help.Topics[1].Html;
        const QString href = html.section('"', 1, 1);
        QCOMPARE(TopicOfLink(QUrl(href)), QStringLiteral("Income Transaction"));
        QCOMPARE(TopicOfLink(QUrl(QStringLiteral("https://www.brindlemark.com"))), QString());
    }

    void formatErrors_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message");
        QTest::newRow("text before a topic") << "Hello\n#topic A"
                                             << "test.hlp, line 1: text before the first #topic";
        QTest::newRow("unknown directive") << "#topic A\n#tpoic B"
                                           << "test.hlp, line 2: unknown directive \"#tpoic\"";
        QTest::newRow("topic without identifier") << "#topic   \n"
                                                  << "test.hlp, line 1: #topic without a jump identifier";
        QTest::newRow("topic twice") << "#topic A\nx\n#topic a"
                                     << "test.hlp, line 3: topic \"a\" is defined twice";
        QTest::newRow("title after text") << "#topic A\nx\n#title T"
                                          << "test.hlp, line 3: #title after the text of topic \"A\"";
        QTest::newRow("title before a topic") << "#title T"
                                              << "test.hlp, line 1: #title before the first #topic";
        QTest::newRow("link to unknown topic") << "#topic A\n\n[[B]]"
                                               << "test.hlp, line 3: link to unknown topic \"B\"";
    }
    void formatErrors()
    {
        QFETCH(QString, text);
        QFETCH(QString, message);
        try {
            ParseHelpFile(text, QStringLiteral("test.hlp"));
            QFAIL("no error");
        } catch (const EHelpError& e) {
            QCOMPARE(e.Message(), message);
        }
    }

    // ---- the program's help file ----

    void programHelpFileHasTheTopics_data()
    {
        QTest::addColumn<QString>("topic");
        QTest::addColumn<QStringList>("mentions");
        QTest::newRow("Main Menu") << "Main Menu"
                                   << QStringList {"Ctrl+I", "Ctrl+Alt+P", "Statics", "ZORP.DAT", "Exit"};
        QTest::newRow("Income Transaction")
            << "Income Transaction"
            << QStringList {"Use Date Filter?", "Income Filter", "ALL", "Delete record?", "Taxable"};
        QTest::newRow("Expense Transaction")
            << "Expense Transaction"
            << QStringList {"Please select a Expense", "Reference", "Expense Filter", "Delete record?"};
    }
    void programHelpFileHasTheTopics()
    {
        QFETCH(QString, topic);
        QFETCH(QStringList, mentions);
        const THelpFile help = LoadHelpFile(QDir(ProgramFolder()).filePath(HelpFileName));
        const THelpTopic* found = help.Find(topic);
        QVERIFY(found);
        QCOMPARE(found->Id, topic);
        const QString text = PlainText(found->Html);
        QVERIFY2(text.size() > 1500, qPrintable(QString::number(text.size())));
        for (const QString& m : mentions)
            QVERIFY2(text.contains(m), qPrintable(m));
    }

    // ---- opening help ----

    void opensEachTopicFromAnotherDirectory_data()
    {
        QTest::addColumn<QString>("topic");
        QTest::addColumn<QString>("title");
        QTest::newRow("Main Menu") << "Main Menu"
                                   << "The main window";
        QTest::newRow("Income Transaction") << "Income Transaction"
                                            << "Income transactions";
        QTest::newRow("Expense Transaction") << "Expense Transaction"
                                             << "Expense transactions";
    }
    void opensEachTopicFromAnotherDirectory()
    {
        QFETCH(QString, topic);
        QFETCH(QString, title);
        QTemporaryDir elsewhere;
        QVERIFY(QDir::setCurrent(elsewhere.path()));
        ShowHelpTopic(topic);
        TfrmHelpViewer* viewer = HelpViewer();
        QVERIFY(viewer);
        QVERIFY(viewer->isVisible());
        QVERIFY(!viewer->isModal());
        QCOMPARE(viewer->CurrentTopic(), topic);
        QVERIFY(viewer->Browser()->toPlainText().startsWith(title));
        QCOMPARE(viewer->Contents()->currentItem()->text(), title);
        QCOMPARE(QDir::current(), QDir(ProgramFolder()));
    }

    void oneViewerForAllTopics()
    {
        ShowHelpTopic(QStringLiteral("Main Menu"));
        TfrmHelpViewer* first = HelpViewer();
        ShowHelpTopic(QStringLiteral("expense transaction"));
        QCOMPARE(HelpViewer(), first);
        QCOMPARE(first->CurrentTopic(), QStringLiteral("Expense Transaction"));
    }

    void linksAndContentsMoveBetweenTopics()
    {
        ShowHelpTopic(QStringLiteral("Expense Transaction"));
        TfrmHelpViewer* viewer = HelpViewer();
        emit viewer->Browser()->anchorClicked(QUrl(QStringLiteral("topic:Income%20Transaction")));
        QCOMPARE(viewer->CurrentTopic(), QStringLiteral("Income Transaction"));
        viewer->Contents()->setCurrentRow(0);
        QCOMPARE(viewer->CurrentTopic(), QStringLiteral("Main Menu"));
    }

    void unknownTopicIsAClearError()
    {
        try {
            ShowHelpTopic(QStringLiteral("Daily Sales"));
            QFAIL("no error");
        } catch (const EHelpError& e) {
            QCOMPARE(e.Message(), QStringLiteral("The help topic \"Daily Sales\" is not in the help file ZORP.hlp."));
        }
        QVERIFY(!HelpViewer() || !HelpViewer()->isVisible());
    }

    void missingHelpFileIsAClearError()
    {
        QTemporaryDir folderWithoutHelp;
        try {
            ShowHelpTopicIn(folderWithoutHelp.path(), QStringLiteral("Main Menu"));
            QFAIL("no error");
        } catch (const EHelpError& e) {
            QVERIFY2(e.Message().startsWith(QStringLiteral("Cannot open the help file ZORP.hlp")),
                     qPrintable(e.Message()));
        }
        QVERIFY(!HelpViewer());
    }

    // A folder that cannot be entered reaches the error handler as a message; no help shows.
    void unreachableProgramFolderIsReportedAndNoHelpShown()
    {
        TScriptedDialogsScope dialogs;
        const QString before = QDir::currentPath();
        QTimer::singleShot(0, [] { ShowHelpTopicIn(QStringLiteral("/no/such/folder"), QStringLiteral("Main Menu")); });
        QTRY_COMPARE(dialogs->Messages().size(), 1);
        QCOMPARE(dialogs->Messages().first().Text,
                 QStringLiteral("Cannot change the current directory to /no/such/folder."));
        QCOMPARE(dialogs->Messages().first().Type, mtError);
        QVERIFY(!HelpViewer());
        QCOMPARE(QDir::currentPath(), before);
    }
};

int main(int argc, char* argv[])
{
    TZorpApplication app(argc, argv);
    TestHelp test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_Help.moc"
