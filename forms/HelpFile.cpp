#include "HelpFile.h"

#include <QFile>
#include <QRegularExpression>
#include <QStringList>
#include <QUrl>

namespace {

const QString TopicScheme = QStringLiteral("topic");

const QRegularExpression& LinkPattern()
{
    static const QRegularExpression re(QStringLiteral(R"(\[\[([^\]|]+)(?:\|([^\]]+))?\]\])"));
    return re;
}

QString TopicHref(const QString& id)
{
    return TopicScheme + ':' + QString::fromLatin1(QUrl::toPercentEncoding(id.trimmed()));
}

// Bold and links within one paragraph, heading or item; everything else is plain text.
QString InlineHtml(const QString& text)
{
    static const QRegularExpression bold(QStringLiteral(R"(\*([^*\s](?:[^*]*[^*\s])?)\*)"));
    QString html;
    qsizetype done = 0;
    auto it = LinkPattern().globalMatch(text);
    while (it.hasNext()) {
        const auto m = it.next();
        html += text.mid(done, m.capturedStart() - done).toHtmlEscaped();
        const QString shown = m.capturedLength(2) ? m.captured(2) : m.captured(1);
        html += QStringLiteral("<a href=\"%1\">%2</a>").arg(TopicHref(m.captured(1)), shown.trimmed().toHtmlEscaped());
        done = m.capturedEnd();
    }
    html += text.mid(done).toHtmlEscaped();
    return html.replace(bold, QStringLiteral("<b>\\1</b>"));
}

class TParser {
public:
    explicit TParser(const QString& fileName) : m_fileName(fileName) { }

    THelpFile Parse(const QString& text)
    {
        const QStringList lines = text.split('\n');
        for (qsizetype i = 0; i < lines.size(); ++i) {
            m_line = int(i + 1);
            QString line = lines[i];
            while (line.endsWith('\r') || line.endsWith(' ') || line.endsWith('\t'))
                line.chop(1);
            ReadLine(line);
        }
        EndTopic();
        for (const auto& [target, line] : m_links) {
            if (!m_file.Find(target))
                Fail(line, QStringLiteral("link to unknown topic \"%1\"").arg(target));
        }
        return std::move(m_file);
    }

private:
    enum TList { None, Bullets, Numbers };

    QString m_fileName;
    int m_line = 0;
    THelpFile m_file;
    THelpTopic* m_topic = nullptr;
    bool m_hasText = false;  // the current topic has had text, so #title is too late
    QStringList m_paragraph;
    TList m_list = None;
    QStringList m_items;
    QList<std::pair<QString, int>> m_links;

    [[noreturn]] void Fail(int line, const QString& what) const
    {
        throw EHelpError(QStringLiteral("%1, line %2: %3").arg(m_fileName).arg(line).arg(what));
    }
    [[noreturn]] void Fail(const QString& what) const { Fail(m_line, what); }

    void ReadLine(const QString& line)
    {
        if (line.startsWith('#')) {
            ReadDirective(line);
            return;
        }
        if (line.trimmed().isEmpty()) {
            EndBlocks();
            return;
        }
        if (!m_topic)
            Fail(QStringLiteral("text before the first #topic"));
        m_hasText = true;
        for (auto it = LinkPattern().globalMatch(line); it.hasNext();)
            m_links.append({it.next().captured(1).trimmed(), m_line});

        static const QRegularExpression numbered(QStringLiteral(R"(^(\d+)\.\s+(.*)$)"));
        if (line.startsWith(QStringLiteral("= "))) {
            EndBlocks();
            m_topic->Html += QStringLiteral("<h3>%1</h3>\n").arg(InlineHtml(line.mid(2).trimmed()));
        } else if (line.startsWith(QStringLiteral("- "))) {
            StartItem(Bullets, line.mid(2).trimmed());
        } else if (const auto m = numbered.match(line); m.hasMatch()) {
            StartItem(Numbers, m.captured(2).trimmed());
        } else if (m_list != None && (line.startsWith(' ') || line.startsWith('\t'))) {
            m_items.last() += ' ' + line.trimmed();
        } else {
            EndList();
            m_paragraph << line.trimmed();
        }
    }

    void ReadDirective(const QString& line)
    {
        if (line == QStringLiteral("#") || line.startsWith(QStringLiteral("# ")))
            return;
        const qsizetype space = line.indexOf(' ');
        const QString name = line.mid(1, space < 0 ? -1 : space - 1);
        const QString value = space < 0 ? QString() : line.mid(space + 1).trimmed();
        if (name == QStringLiteral("topic")) {
            if (value.isEmpty())
                Fail(QStringLiteral("#topic without a jump identifier"));
            if (m_file.Find(value))
                Fail(QStringLiteral("topic \"%1\" is defined twice").arg(value));
            EndTopic();
            m_file.Topics.append(THelpTopic {value, value, QString()});
            m_topic = &m_file.Topics.last();
            m_hasText = false;
        } else if (name == QStringLiteral("title")) {
            if (!m_topic)
                Fail(QStringLiteral("#title before the first #topic"));
            if (m_hasText)
                Fail(QStringLiteral("#title after the text of topic \"%1\"").arg(m_topic->Id));
            if (value.isEmpty())
                Fail(QStringLiteral("#title without a title"));
            m_topic->Title = value;
        } else {
            Fail(QStringLiteral("unknown directive \"#%1\"").arg(name));
        }
    }

    void StartItem(TList kind, const QString& text)
    {
        EndParagraph();
        if (m_list != kind)
            EndList();
        m_list = kind;
        m_items << text;
    }

    void EndParagraph()
    {
        if (m_paragraph.isEmpty())
            return;
        m_topic->Html += QStringLiteral("<p>%1</p>\n").arg(InlineHtml(m_paragraph.join(' ')));
        m_paragraph.clear();
    }

    void EndList()
    {
        if (m_list == None)
            return;
        const QString tag = m_list == Bullets ? QStringLiteral("ul") : QStringLiteral("ol");
        QString html = '<' + tag + ">\n";
        for (const QString& item : std::as_const(m_items))
            html += QStringLiteral("<li>%1</li>\n").arg(InlineHtml(item));
        m_topic->Html += html + QStringLiteral("</%1>\n").arg(tag);
        m_items.clear();
        m_list = None;
    }

    void EndBlocks()
    {
        EndParagraph();
        EndList();
    }

    void EndTopic()
    {
        if (m_topic)
            EndBlocks();
    }
};

}  // namespace

const THelpTopic* THelpFile::Find(const QString& id) const
{
    const QString wanted = id.trimmed();
    for (const THelpTopic& topic : Topics) {
        if (topic.Id.compare(wanted, Qt::CaseInsensitive) == 0)
            return &topic;
    }
    return nullptr;
}

const THelpTopic& THelpFile::Topic(const QString& id, const QString& fileName) const
{
    if (const THelpTopic* topic = Find(id))
        return *topic;
    throw EHelpError(QStringLiteral("The help topic \"%1\" is not in the help file %2.").arg(id, fileName));
}

QString TopicOfLink(const QUrl& url)
{
    return url.scheme() == TopicScheme ? url.path() : QString();
}

THelpFile ParseHelpFile(const QString& text, const QString& fileName)
{
    return TParser(fileName).Parse(text);
}

THelpFile LoadHelpFile(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw EHelpError(QStringLiteral("Cannot open the help file %1: %2.").arg(fileName, file.errorString()));
    return ParseHelpFile(QString::fromUtf8(file.readAll()), fileName);
}
