#include "Startup.h"

#include "DataModules.h"
#include "Dialogs.h"
#include "ErrorHandler.h"
#include "Formats.h"
#include "sql_K2V.h"
#include "MainMenu.h"
#include "ZorpApplication.h"

#include <memory>

namespace {
std::unique_ptr<TDataModules> dataModules;
}

void CreateDataModules()
{
    // In start-up order; they live until the program ends.
    if (!dataModules)
        dataModules = std::make_unique<TDataModules>();
}

void ReportBookState()
{
    TDbConnection& book = dmK2V->ADOConnection;
    book.Open();
    if (book.ReadOnly())
        Dialogs().MessageDlg(book.ReadOnlyReason(), mtWarning, mbOK);
}

int RunProgram(TZorpApplication& app)
{
    std::unique_ptr<TfrmMainMenu> mainMenu;
    try {
        FormatSettings().InitFromSystem();
        CreateDataModules();
        mainMenu = std::make_unique<TfrmMainMenu>();
        mainMenu->show();
    } catch (...) {
        // Without its data modules and main window the program has nothing to run.
        TZorpApplication::ShowException(std::current_exception());
        return 1;
    }
    // A book that cannot be opened or changed is told at once, not at the first save;
    // the program goes on, so the user can still read his books or find help.
    Guard(ReportBookState);
    const int exitCode = app.exec();
    // Windows go before the data modules whose datasets they show.
    mainMenu.reset();
    dataModules.reset();
    return exitCode;
}
