// The general error handler: an error leaving an event handler is shown as an error box,
// the rest of the handler does not run, and the program goes on.
#include "Errors.h"
#include "ScriptedDialogs.h"
#include "ZorpApplication.h"

#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <stdexcept>

namespace {

const QEvent::Type Fail = QEvent::Type(QEvent::User + 1);
const QEvent::Type Work = QEvent::Type(QEvent::User + 2);

// Throws what it is told on a Fail event; counts Work events.
class TWorker : public QObject {
public:
    std::function<void()> Throw = [] { throw EDatabaseError(QStringLiteral("Disk full")); };
    int Reached = 0;  // steps after the throw that ran
    int Worked = 0;

protected:
    void customEvent(QEvent* event) override
    {
        if (event->type() == Fail) {
            Throw();
            ++Reached;
        } else if (event->type() == Work) {
            ++Worked;
        }
    }
};

// Dialogs whose message box itself fails.
class TBrokenDialogs : public TScriptedDialogs {
public:
    int MessageDlg(const QString& text, TMsgDlgType type, TMsgDlgButtons buttons) override
    {
        TScriptedDialogs::MessageDlg(text, type, buttons);
        throw std::runtime_error("no display");
    }
};

}  // namespace

class TestErrorHandler : public QObject {
    Q_OBJECT
private slots:
    void errorIsShownAndProgramGoesOn_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("message");
        QTest::newRow("our error") << 0 << "Disk full";
        QTest::newRow("standard error") << 1 << "vector::_M_range_check: out of range";
        QTest::newRow("anything else") << 2 << "An unexpected error occurred.";
        QTest::newRow("empty message") << 3 << "An unexpected error occurred.";
    }
    void errorIsShownAndProgramGoesOn()
    {
        QFETCH(int, kind);
        QFETCH(QString, message);
        TScriptedDialogsScope dialogs;
        TWorker worker;
        switch (kind) {
        case 0: break;
        case 1: worker.Throw = [] { throw std::out_of_range("vector::_M_range_check: out of range"); }; break;
        case 2: worker.Throw = [] { throw 42; }; break;
        case 3: worker.Throw = [] { throw EAbortMessage(QString()); }; break;
        }
        QCoreApplication::postEvent(&worker, new QEvent(Fail));
        QCoreApplication::postEvent(&worker, new QEvent(Work));
        QCoreApplication::sendPostedEvents(&worker);
        QCOMPARE(dialogs->MessageTexts(), QStringList {message});
        QCOMPARE(dialogs->Messages().first().Type, mtError);
        QCOMPARE(dialogs->Messages().first().Buttons, mbOK);
        QCOMPARE(worker.Reached, 0);
        QCOMPARE(worker.Worked, 1);
    }

    // The usual road: a button's click slot fails.
    void errorInAClickHandler()
    {
        TScriptedDialogsScope dialogs;
        QPushButton button(QStringLiteral("Save"));
        int after = 0;
        QObject::connect(&button, &QPushButton::clicked, [&after] {
            throw EConvertError(QStringLiteral("'12x' is not a valid amount"));
            ++after;
        });
        button.show();
        QTest::mouseClick(&button, Qt::LeftButton);
        QTest::mouseClick(&button, Qt::LeftButton);
        QCOMPARE(dialogs->MessageTexts(), QStringList(2, QStringLiteral("'12x' is not a valid amount")));
        QCOMPARE(after, 0);
    }

    // A real box runs its own event loop; an error in an event it lets through must not put
    // a box on top of the box, or a steady failure would nest boxes without end.
    void errorWhileShowingAnErrorIsNotShownAgain()
    {
        TScriptedDialogsScope dialogs;
        TWorker worker;
        int nested = 0;
        dialogs->WhileShowing = [&](const TScriptedDialogs::TMessage&) {
            if (++nested > 5)
                return;  // would be endless without the guard
            QCoreApplication::postEvent(&worker, new QEvent(Fail));
            QCoreApplication::sendPostedEvents(&worker);
        };
        QTest::ignoreMessage(QtWarningMsg, "Error while an error message was up: Disk full");
        QCoreApplication::postEvent(&worker, new QEvent(Fail));
        QCoreApplication::sendPostedEvents(&worker);
        QCOMPARE(dialogs->Messages().size(), 1);
        QCOMPARE(nested, 1);

        // Once the box is closed, the next error is shown again.
        dialogs->WhileShowing = nullptr;
        QCoreApplication::postEvent(&worker, new QEvent(Fail));
        QCoreApplication::sendPostedEvents(&worker);
        QCOMPARE(dialogs->Messages().size(), 2);
    }

    void failingMessageBoxDoesNotRecurse()
    {
        TDialogsGuard guard(std::make_unique<TBrokenDialogs>());
        auto& dialogs = static_cast<TBrokenDialogs&>(Dialogs());
        TWorker worker;
        QTest::ignoreMessage(QtWarningMsg, "Error could not be shown: Disk full (no display)");
        QCoreApplication::postEvent(&worker, new QEvent(Fail));
        QCoreApplication::postEvent(&worker, new QEvent(Work));
        QCoreApplication::sendPostedEvents(&worker);
        QCOMPARE(dialogs.Messages().size(), 1);
        QCOMPARE(worker.Worked, 1);
    }

    void errorInATimerInTheEventLoop()
    {
        TScriptedDialogsScope dialogs;
        QTimer::singleShot(0, [] { throw EAbortMessage(QStringLiteral("No data")); });
        bool later = false;
        QTimer::singleShot(20, [&later] { later = true; });
        QTRY_VERIFY(later);
        QCOMPARE(dialogs->MessageTexts(), QStringList {QStringLiteral("No data")});
    }
};

int main(int argc, char* argv[])
{
    TZorpApplication app(argc, argv);
    TestErrorHandler test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_ErrorHandler.moc"
