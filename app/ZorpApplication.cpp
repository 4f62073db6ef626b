#include "ZorpApplication.h"

#include "Dialogs.h"
#include "ErrorHandler.h"
#include "Errors.h"

#include <QtGlobal>
#include <clocale>

TZorpApplication::TZorpApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    // Qt has set the C library's locale from the user's; the screens follow the user's
    // locale through QLocale alone, and every file a library writes with printf (the .xlsx
    // writer, the engine) keeps the decimal point.
    std::setlocale(LC_NUMERIC, "C");
    setApplicationName(QStringLiteral("Brindlemark"));
    setApplicationVersion(QStringLiteral(ZORP_VERSION));
    SetDialogs(std::make_unique<TStandardDialogs>());
}

bool TZorpApplication::notify(QObject* receiver, QEvent* event)
{
    // The last resort: user actions report their own errors through Guard, so an error
    // reaching here came from somewhere no handler expected.
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        ::ShowException(std::current_exception());
    }
    return false;
}

void TZorpApplication::ShowException(std::exception_ptr error)
{
    ::ShowException(error);
}

QString TZorpApplication::ExceptionMessage(std::exception_ptr error)
{
    return ::ExceptionMessage(error);
}
