#include "MainMenu.h"

#include "BookTools.h"
#include "LinkLabel.h"
#include "frm_Expense.h"
#include "frm_Period.h"
#include "frm_ExpenseReport.h"
#include "frm_ExpenseTransactions.h"
#include "frm_ExpenseType.h"
#include "frm_Sales.h"
#include "frm_TransactionSales.h"
#include "rpt_Income.h"
#include "rpt_SalesReport.h"
#include "ErrorHandler.h"
#include "Help.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QStyle>
#include <QUrl>
#include <memory>

TfrmMainMenu* frmMainMenu = nullptr;

namespace {

// Classic desktop colours: green title, maroon maker text.
const QColor Green(0, 128, 0);
const QColor Maroon(128, 0, 0);

QLabel* MakerLabel(const QString& name, const QString& text)
{
    auto* label = new QLabel(text);
    label->setObjectName(name);
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, Maroon);
    label->setPalette(p);
    return label;
}

}  // namespace

TfrmMainMenu::TfrmMainMenu(QWidget* parent) : QMainWindow(parent)
{
    frmMainMenu = this;
    setObjectName(QStringLiteral("frmMainMenu"));
    setWindowTitle(QStringLiteral("Brindlemark") + QString(67, ' ') + QStringLiteral("Ver " ZORP_VERSION));

    pnlMainForm = new QFrame;
    pnlMainForm->setObjectName(QStringLiteral("pnlMainForm"));
    pnlMainForm->setFrameStyle(QFrame::Panel | QFrame::Raised);
    setCentralWidget(pnlMainForm);

    Label1 = new QLabel(QStringLiteral("BRINDLEMARK"));
    Label1->setObjectName(QStringLiteral("Label1"));
    QFont title(QStringLiteral("Times New Roman"));
    title.setStyleHint(QFont::Serif);  // any serif face where Times New Roman is missing
    title.setPixelSize(48);
    title.setBold(true);
    title.setItalic(true);
    Label1->setFont(title);
    QPalette p = Label1->palette();
    p.setColor(QPalette::WindowText, Green);
    Label1->setPalette(p);
    Label1->setAlignment(Qt::AlignCenter);
    Label1->setWordWrap(true);

    pnlInfo = CreateInfoPanel();

    // The title is centred on the whole window and the information panel sits over its
    // bottom-left corner, as on the classic title screen.
    auto* layout = new QGridLayout(pnlMainForm);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(Label1, 0, 0);
    layout->addWidget(pnlInfo, 0, 0, Qt::AlignLeft | Qt::AlignBottom);

    CreateMenu();

    const QRect desktop = screen()->availableGeometry();
    setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, QSize(700, 500), desktop));
}

TfrmMainMenu::~TfrmMainMenu()
{
    if (frmMainMenu == this)
        frmMainMenu = nullptr;
}

QFrame* TfrmMainMenu::CreateInfoPanel()
{
    auto* panel = new QFrame;
    panel->setObjectName(QStringLiteral("pnlInfo"));
    panel->setFrameShape(QFrame::NoFrame);
    panel->setMinimumWidth(201);

    lblWebAddress = new TLinkLabel(Maker::WebAddress);
    lblWebAddress->setObjectName(QStringLiteral("lblWebAddress"));
    connect(lblWebAddress, &TLinkLabel::clicked, this, Guarded([this] { lblWebAddressClick(); }));
    lblEmailAddress = new TLinkLabel(Maker::EmailAddress);
    lblEmailAddress->setObjectName(QStringLiteral("lblEmailAddress"));
    connect(lblEmailAddress, &TLinkLabel::clicked, this, Guarded([this] { lblEmailAddressClick(); }));

    auto* grid = new QGridLayout(panel);
    grid->setContentsMargins(6, 1, 6, 6);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(1);
    grid->addWidget(MakerLabel(QStringLiteral("Label2"), Maker::Name), 0, 0, 1, 2);
    grid->addWidget(MakerLabel(QStringLiteral("Label3"), Maker::Line), 1, 0, 1, 2);
    grid->addWidget(MakerLabel(QStringLiteral("lblWebsite"), QStringLiteral("Website:")), 2, 0);
    grid->addWidget(lblWebAddress, 2, 1);
    grid->addWidget(MakerLabel(QStringLiteral("lblEmail"), QStringLiteral("Email:")), 3, 0);
    grid->addWidget(lblEmailAddress, 3, 1);
    grid->setColumnStretch(1, 1);
    return panel;
}

void TfrmMainMenu::CreateMenu()
{
    menuBar()->setObjectName(QStringLiteral("mnuMainMenu"));

    QMenu* transaction =
        AddMenu(QStringLiteral("mnuTransaction"), QStringLiteral("&Transaction"), QKeySequence(Qt::CTRL | Qt::Key_T));
    AddItem(transaction, QStringLiteral("mnuIncomeTransactions"), QStringLiteral("Income Transactions"),
            QKeySequence(Qt::CTRL | Qt::Key_I), &TfrmMainMenu::mnuIncomeTransactionsClick);
    AddItem(transaction, QStringLiteral("mnuExpenseTransactions"), QStringLiteral("Expense Transactions"),
            QKeySequence(Qt::CTRL | Qt::Key_E), &TfrmMainMenu::mnuExpenseTransactionsClick);
    AddItem(transaction, QStringLiteral("mnuPeriodTransactions"), QStringLiteral("Period Transactions"),
            QKeySequence(Qt::CTRL | Qt::Key_P), &TfrmMainMenu::mnuPeriodTransactionsClick);

    QMenu* reports =
        AddMenu(QStringLiteral("mnuReports"), QStringLiteral("&Reports"), QKeySequence(Qt::CTRL | Qt::Key_R));
    AddItem(reports, QStringLiteral("mnuExpensesReport"), QStringLiteral("&Expense Report"),
            QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_E), &TfrmMainMenu::mnuExpensesReportClick);
    AddItem(reports, QStringLiteral("mnuSalesReport"), QStringLiteral("&Income Report"),
            QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_I), &TfrmMainMenu::mnuSalesReportClick);
    AddItem(reports, QStringLiteral("mnuIncomeReport"), QStringLiteral("&Profit and Loss Report"),
            QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_P), &TfrmMainMenu::mnuIncomeReportClick);

    QMenu* statics = AddMenu(QStringLiteral("mnuStatics"), QStringLiteral("Statics"), QKeySequence());
    // Every expense belongs to the one expense type, so its list is kept out of reach.
    AddItem(statics, QStringLiteral("mnuExpenseType"), QStringLiteral("Expense Type"), QKeySequence(),
            &TfrmMainMenu::mnuExpenseTypeClick)
        ->setVisible(false);
    AddItem(statics, QStringLiteral("mnuExpense"), QStringLiteral("&Expense"), QKeySequence(),
            &TfrmMainMenu::mnuExpenseClick);
    AddItem(statics, QStringLiteral("mnuSales"), QStringLiteral("Income"), QKeySequence(),
            &TfrmMainMenu::mnuSalesClick);

    QMenu* tools = AddMenu(QStringLiteral("mnuTools"), QStringLiteral("T&ools"), QKeySequence());
    AddItem(tools, QStringLiteral("mnuBackUpBook"), QStringLiteral("Back Up Book…"), QKeySequence(),
            &TfrmMainMenu::mnuBackUpBookClick);
    AddItem(tools, QStringLiteral("mnuRestoreBook"), QStringLiteral("Restore Book…"), QKeySequence(),
            &TfrmMainMenu::mnuRestoreBookClick);
    AddItem(tools, QStringLiteral("mnuCheckBook"), QStringLiteral("Check Book"), QKeySequence(),
            &TfrmMainMenu::mnuCheckBookClick);

    QMenu* help = AddMenu(QStringLiteral("Help1"), QStringLiteral("Help"), QKeySequence(Qt::Key_F1));
    AddItem(help, QStringLiteral("mnuZORPHelp"), QStringLiteral("ZORP Help"), QKeySequence(),
            &TfrmMainMenu::mnuZORPHelpClick);
    AddItem(help, QStringLiteral("mnuExit"), QStringLiteral("Exit"), QKeySequence(), &TfrmMainMenu::mnuExitClick);
}

QMenu* TfrmMainMenu::AddMenu(const QString& name, const QString& caption, const QKeySequence& shortcut)
{
    QMenu* menu = menuBar()->addMenu(caption);
    menu->setObjectName(name);
    QAction* action = menu->menuAction();
    action->setObjectName(name);
    if (!shortcut.isEmpty()) {
        // A menu title has no command of its own: its shortcut pops the menu open.
        action->setShortcut(shortcut);
        connect(action, &QAction::triggered, this, [this, action] { menuBar()->setActiveAction(action); });
    }
    return menu;
}

QAction* TfrmMainMenu::AddItem(QMenu* menu, const QString& name, const QString& caption, const QKeySequence& shortcut,
                               void (TfrmMainMenu::*handler)())
{
    QAction* action = menu->addAction(caption);
    action->setObjectName(name);
    action->setShortcut(shortcut);
    connect(action, &QAction::triggered, this, Guarded([this, handler] { (this->*handler)(); }));
    return action;
}

// The screens behind these items are wired in as they are built.
void TfrmMainMenu::mnuIncomeTransactionsClick()
{
    ShowTransactionsScreen(frmTransactionSales);
}

void TfrmMainMenu::mnuExpenseTransactionsClick()
{
    ShowTransactionsScreen(frmExpenseTransactions);
}

namespace {
// A per-use screen: created for one showing, modal, freed as soon as it closes.
template <typename TScreen> void ShowModalScreen(QWidget* owner)
{
    const TFocusReturn focus;
    auto screen = std::make_unique<TScreen>(owner);
    screen->exec();
}
}  // namespace

void TfrmMainMenu::mnuPeriodTransactionsClick()
{
    ShowModalScreen<TfrmPeriod>(this);
}

void TfrmMainMenu::mnuExpensesReportClick()
{
    ShowModalScreen<TfrmExpenseReport>(this);
}

// The menu's income report is the report of income items.
void TfrmMainMenu::mnuSalesReportClick()
{
    ShowModalScreen<TrptSalesReport>(this);
}

// The menu's profit and loss report carries the older name of income report.
void TfrmMainMenu::mnuIncomeReportClick()
{
    ShowModalScreen<TrptIncome>(this);
}

void TfrmMainMenu::mnuExpenseTypeClick()
{
    ShowModalScreen<TfrmExpenseType>(this);
}

void TfrmMainMenu::mnuExpenseClick()
{
    ShowModalScreen<TfrmExpense>(this);
}

void TfrmMainMenu::mnuSalesClick()
{
    ShowModalScreen<TfrmSales>(this);
}

void TfrmMainMenu::mnuBackUpBookClick()
{
    BookTools::BackUpBook(this);
}

void TfrmMainMenu::mnuRestoreBookClick()
{
    BookTools::RestoreBook(this);
}

void TfrmMainMenu::mnuCheckBookClick()
{
    BookTools::CheckBook(this);
}

void TfrmMainMenu::mnuZORPHelpClick()
{
    ShowHelpTopic(QStringLiteral("Main Menu"));
}

void TfrmMainMenu::mnuExitClick()
{
    close();
}

void TfrmMainMenu::lblWebAddressClick()
{
    ShellOpen(QUrl(Maker::WebUrl));
}

void TfrmMainMenu::lblEmailAddressClick()
{
    ShellOpen(QUrl(QStringLiteral("mailto:") + Maker::EmailAddress));
}

// Closing the main window ends the program, even while other windows are still open. A
// transactions screen in the middle of an entry asks first, and keeps its filter. Once
// closing is sure, the closing backup is taken; its failure is told but never keeps the
// program open.
void TfrmMainMenu::closeEvent(QCloseEvent* event)
{
    for (QWidget* screen : {static_cast<QWidget*>(frmExpenseTransactions), static_cast<QWidget*>(frmTransactionSales)})
        if (screen && screen->isVisible() && !screen->close()) {
            event->ignore();
            return;
        }
    QMainWindow::closeEvent(event);
    if (event->isAccepted()) {
        BookTools::TakeClosingBackup();
        QCoreApplication::quit();
    }
}
