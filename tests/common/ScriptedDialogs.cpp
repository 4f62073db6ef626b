#include "ScriptedDialogs.h"

#include <QTest>

void TScriptedDialogs::AnswerConfirmation(int modalResult)
{
    m_confirmations << modalResult;
}
void TScriptedDialogs::AnswerSave(const QString& fileName)
{
    m_saveAnswers << fileName;
}
void TScriptedDialogs::AnswerPrinter(bool accepted)
{
    m_printerAnswers << accepted;
}
void TScriptedDialogs::AnswerOpen(const QString& fileName)
{
    m_openAnswers << fileName;
}

QStringList TScriptedDialogs::MessageTexts() const
{
    QStringList texts;
    for (const TMessage& m : m_messages)
        texts << m.Text;
    return texts;
}

int TScriptedDialogs::PendingAnswers() const
{
    return int(m_confirmations.size() + m_saveAnswers.size() + m_printerAnswers.size() + m_openAnswers.size());
}

void TScriptedDialogs::Clear()
{
    m_messages.clear();
    m_saveRequests.clear();
    m_printerRequests = 0;
    m_confirmations.clear();
    m_saveAnswers.clear();
    m_printerAnswers.clear();
    m_openRequests.clear();
    m_openAnswers.clear();
}

int TScriptedDialogs::MessageDlg(const QString& text, TMsgDlgType type, TMsgDlgButtons buttons)
{
    m_messages << TMessage {text, type, buttons};
    if (WhileShowing)
        WhileShowing(m_messages.last());
    if (buttons == mbOK)
        return mrOk;
    if (m_confirmations.isEmpty()) {
        QTest::qFail(qPrintable(QStringLiteral("no answer queued for the question \"%1\"").arg(text)), __FILE__,
                     __LINE__);
        return mrCancel;
    }
    return m_confirmations.takeFirst();
}

QString TScriptedDialogs::SaveFileName(QWidget*, const QString& caption, const QString& proposedName,
                                       const QString& filter, const QString& defaultExt)
{
    m_saveRequests << TSaveRequest {caption, proposedName, filter, defaultExt};
    if (m_saveAnswers.isEmpty()) {
        QTest::qFail("no answer queued for a save dialog", __FILE__, __LINE__);
        return {};
    }
    return m_saveAnswers.takeFirst();
}

bool TScriptedDialogs::ChoosePrinter(QPrinter&, QWidget*)
{
    ++m_printerRequests;
    if (m_printerAnswers.isEmpty()) {
        QTest::qFail("no answer queued for a printer choice", __FILE__, __LINE__);
        return false;
    }
    return m_printerAnswers.takeFirst();
}

QString TScriptedDialogs::OpenFileName(QWidget*, const QString& caption, const QString& filter)
{
    m_openRequests << TOpenRequest {caption, filter};
    if (m_openAnswers.isEmpty()) {
        QTest::qFail("no answer queued for an open dialog", __FILE__, __LINE__);
        return {};
    }
    return m_openAnswers.takeFirst();
}
