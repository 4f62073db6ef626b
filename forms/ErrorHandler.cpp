#include "ErrorHandler.h"

#include "Dialogs.h"
#include "Errors.h"

#include <QtGlobal>

namespace {
int showingError = 0;
}

void ShowException(std::exception_ptr error)
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

QString ExceptionMessage(std::exception_ptr error)
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
