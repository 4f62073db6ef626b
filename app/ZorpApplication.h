#pragma once
// The application object. It is also the program's general error handler: an error that
// leaves an event handler is shown in an error box and the program goes on; the rest of
// that handler does not run.
#include <QApplication>
#include <exception>

class TZorpApplication : public QApplication {
    Q_OBJECT
public:
    // Installs the standard dialogs.
    TZorpApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;

    // Shows an error in an error box with an OK button, through the dialog interface.
    // An error that arises while such a box is up (in an event it lets through, or in the
    // box itself) is written to the standard error stream instead of stacking another box,
    // so a failing display can never recurse.
    static void ShowException(std::exception_ptr error);

    // The text shown for an error: our own errors' message, a standard error's what().
    static QString ExceptionMessage(std::exception_ptr error);
};
