#include "ZorpApplication.h"

#include "Dialogs.h"
#include "Errors.h"

#include <QtGlobal>

namespace {
int showingError = 0;
}

TZorpApplication::TZorpApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("Brindlemark"));
    setApplicationVersion(QStringLiteral("1.0.2"));
    SetDialogs(std::make_unique<TStandardDialogs>());
}

bool TZorpApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        ShowException(std::current_exception());
    }
    return false;
}

void TZorpApplication::ShowException(std::exception_ptr error)
{
    const QString message = ExceptionMessage(error);
    if (showingError > 0) {
        qWarning("Error while an error message was up: %s", qUtf8Printable(message));
        return;
    }
    ++showingError;
    try {
        Dialogs().MessageDlg(message, mtError, mbOK);
    } catch (...) {
        qWarning("Error could not be shown: %s (%s)", qUtf8Printable(message),
                 qUtf8Printable(ExceptionMessage(std::current_exception())));
    }
    --showingError;
}

QString TZorpApplication::ExceptionMessage(std::exception_ptr error)
{
    QString message;
    try {
        std::rethrow_exception(error);
    } catch (const EZorpError& e) {
        message = e.Message();
    } catch (const std::exception& e) {
        message = QString::fromUtf8(e.what());
    } catch (...) {
    }
    if (message.trimmed().isEmpty())
        message = QStringLiteral("An unexpected error occurred.");
    return message;
}
