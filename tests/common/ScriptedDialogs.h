#pragma once
// Dialogs for tests: every message box, save dialog and printer choice is recorded instead
// of shown, and answered from queued answers. A message with only an OK button needs no
// answer; anything else that finds no answer queued fails the running test.
//
// Needs no widgets, so it lives in the test support library; the scope class at the end
// installs the dialogs and so belongs to programs that link the dialog interface.
#include "../../forms/Dialogs.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

class TScriptedDialogs : public TDialogs {
public:
    struct TMessage {
        QString Text;
        TMsgDlgType Type;
        TMsgDlgButtons Buttons;
    };
    struct TOpenRequest {
        QString Caption;
        QString Filter;
    };
    struct TSaveRequest {
        QString Caption;
        QString ProposedName;
        QString Filter;
        QString DefaultExt;
    };

    // Answers are used once each, in the order queued.
    void AnswerConfirmation(int modalResult);  // the next OK/Cancel box: mrOk or mrCancel
    void AnswerSave(const QString& fileName);  // the next save dialog; empty cancels it
    void AnswerPrinter(bool accepted);         // the next printer choice
    void AnswerOpen(const QString& fileName);  // the next open dialog; empty cancels it

    const QList<TMessage>& Messages() const { return m_messages; }
    QStringList MessageTexts() const;
    const QList<TSaveRequest>& SaveRequests() const { return m_saveRequests; }
    int PrinterRequests() const { return m_printerRequests; }
    const QList<TOpenRequest>& OpenRequests() const { return m_openRequests; }
    // Answers queued but not asked for yet; a test that expects every answer used checks 0.
    int PendingAnswers() const;
    void Clear();

    // Runs while a message is "on screen", after it was recorded: lets a test act at the
    // moment a real box would be running its own event loop.
    std::function<void(const TMessage&)> WhileShowing;

    int MessageDlg(const QString& text, TMsgDlgType type, TMsgDlgButtons buttons) override;
    QString SaveFileName(QWidget* parent, const QString& caption, const QString& proposedName, const QString& filter,
                         const QString& defaultExt) override;
    bool ChoosePrinter(QPrinter& printer, QWidget* parent) override;
    QString OpenFileName(QWidget* parent, const QString& caption, const QString& filter) override;

private:
    QList<TMessage> m_messages;
    QList<TSaveRequest> m_saveRequests;
    int m_printerRequests = 0;
    QList<int> m_confirmations;
    QStringList m_saveAnswers;
    QList<bool> m_printerAnswers;
    QList<TOpenRequest> m_openRequests;
    QStringList m_openAnswers;
};

// Installs scripted dialogs for its lifetime:
//   TScriptedDialogsScope dialogs;  ...  QCOMPARE(dialogs->MessageTexts(), {"No data"});
class TScriptedDialogsScope {
public:
    TScriptedDialogsScope() : m_dialogs(new TScriptedDialogs), m_guard(std::unique_ptr<TDialogs>(m_dialogs)) { }
    TScriptedDialogs* operator->() const { return m_dialogs; }
    TScriptedDialogs& operator*() const { return *m_dialogs; }

private:
    TScriptedDialogs* m_dialogs;  // owned by the guard
    TDialogsGuard m_guard;
};
