#pragma once
// The help file ZORP.hlp: its topics, read from our own plain-text format and turned into
// the HTML the help viewer shows. No widgets here.
//
// The format (UTF-8 text, one directive or text line per line):
//   # comment          a line that is "#" or starts with "# " is ignored
//   #topic Main Menu   starts a topic; the rest of the line is its jump identifier, which
//                      is matched without regard to case and must be unique
//   #title The main window
//                      optional, before the topic's text: the heading shown (default: the
//                      jump identifier)
//   = Sub-heading      a sub-heading
//   - text             a bullet item
//   1. text            a numbered item
//     continued        an indented line continues the item above it
//   (blank line)       ends a paragraph or list; other lines of a paragraph are joined
//   *bold*             bold text within a line
//   [[Main Menu]]      a link to another topic; [[Main Menu|the main window]] with own text
// Any other line starting with '#' is an error, as are text before the first topic and a
// link to a topic the file does not have; errors name the line.
#include "Errors.h"

#include <QList>
#include <QString>

class QUrl;

// A help file that cannot be read, is malformed or lacks the topic asked for.
class EHelpError : public EZorpError {
    using EZorpError::EZorpError;
};

struct THelpTopic {
    QString Id;  // jump identifier as written in the file
    QString Title;
    QString Html;  // the body, ready for a rich-text view; links are "topic:<identifier>"
};

class THelpFile {
public:
    QList<THelpTopic> Topics;

    // The topic with this jump identifier, or null.
    const THelpTopic* Find(const QString& id) const;
    // The same, but a missing topic is an EHelpError naming it and fileName.
    const THelpTopic& Topic(const QString& id, const QString& fileName) const;
};

// The jump identifier a topic link in a topic's HTML points to; empty when url is no topic link.
QString TopicOfLink(const QUrl& url);

// Parses the text of a help file; errors are EHelpError naming fileName and the line.
THelpFile ParseHelpFile(const QString& text, const QString& fileName = QStringLiteral("help file"));

// Reads and parses a help file; a file that cannot be read is an EHelpError naming it.
THelpFile LoadHelpFile(const QString& fileName);
