#pragma once
// The main window: the program's title screen with the menu from which every other screen
// is reached. One instance, frmMainMenu, from start-up to the end of the program.
#include <QMainWindow>

class QAction;
class QFrame;
class QLabel;
class QMenu;
class TLinkLabel;

// The maker's details in the information panel.
namespace Maker {
inline const QString Name = QStringLiteral("Brindlemark Software");
inline const QString Line = QStringLiteral("Bookkeeping for small business");
inline const QString WebAddress = QStringLiteral("www.brindlemark.com");
inline const QString WebUrl = QStringLiteral("https://www.brindlemark.com");
inline const QString EmailAddress = QStringLiteral("info@brindlemark.com");
}  // namespace Maker

class TfrmMainMenu : public QMainWindow {
    Q_OBJECT
public:
    explicit TfrmMainMenu(QWidget* parent = nullptr);
    ~TfrmMainMenu() override;

public slots:
    void mnuIncomeTransactionsClick();
    void mnuExpenseTransactionsClick();
    void mnuPeriodTransactionsClick();
    void mnuExpensesReportClick();
    void mnuSalesReportClick();
    void mnuIncomeReportClick();
    void mnuExpenseTypeClick();
    void mnuExpenseClick();
    void mnuSalesClick();
    void mnuBackUpBookClick();
    void mnuRestoreBookClick();
    void mnuCheckBookClick();
    void mnuZORPHelpClick();
    void mnuExitClick();
    void lblWebAddressClick();
    void lblEmailAddressClick();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void CreateMenu();
    QFrame* CreateInfoPanel();
    QMenu* AddMenu(const QString& name, const QString& caption, const QKeySequence& shortcut);
    QAction* AddItem(QMenu* menu, const QString& name, const QString& caption, const QKeySequence& shortcut,
                     void (TfrmMainMenu::*handler)());

    QFrame* pnlMainForm;
    QLabel* Label1;
    QFrame* pnlInfo;
    TLinkLabel* lblWebAddress;
    TLinkLabel* lblEmailAddress;
};

extern TfrmMainMenu* frmMainMenu;
