#include "Startup.h"

#include "DataModules.h"
#include "Dialogs.h"
#include "ErrorHandler.h"
#include "Formats.h"
#include "sql_K2V.h"
#include "MainMenu.h"
#include "ZorpApplication.h"
#include "frm_ExpenseTransactions.h"
#include "frm_TransactionSales.h"

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
    std::unique_ptr<TfrmExpenseTransactions> expenseTransactions;
    std::unique_ptr<TfrmTransactionSales> transactionSales;
    try {
        FormatSettings().InitFromSystem();
        CreateDataModules();
        mainMenu = std::make_unique<TfrmMainMenu>();
        mainMenu->show();
        // Hidden until their menu item shows them; closing one only hides it. A book that
        // cannot be read does not stop them: they read it again when shown.
        expenseTransactions = std::make_unique<TfrmExpenseTransactions>();
        transactionSales = std::make_unique<TfrmTransactionSales>();
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
    transactionSales.reset();
    expenseTransactions.reset();
    mainMenu.reset();
    dataModules.reset();
    return exitCode;
}
