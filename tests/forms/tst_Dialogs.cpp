// The dialog interface: installing dialogs, the standard message box and save dialog as
// the user meets them, and the scripted dialogs that other tests rely on.
#include <QDialog>
#include <QLineEdit>
#include <QVBoxLayout>
#include "Dialogs.h"
#include "ScriptedDialogs.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <functional>
#include <memory>

namespace {

// Runs act on the modal dialog of type T as soon as one is up; the caller then opens it.
template <class T> void WhenModal(std::function<void(T*)> act)
{
    auto* timer = new QTimer;
    auto started = std::make_shared<QElapsedTimer>();
    started->start();
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, act, started] {
        if (T* dialog = qobject_cast<T*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            act(dialog);
        } else if (started->elapsed() > 10000) {
            timer->stop();
            timer->deleteLater();
            qFatal("no modal dialog appeared");
        }
    });
    timer->start();
}

// Dialogs that only say who they are, to see which are installed.
class TNamedDialogs : public TDialogs {
public:
    explicit TNamedDialogs(int name) : Name(name) { }
    int MessageDlg(const QString&, TMsgDlgType, TMsgDlgButtons) override { return Name; }
    QString SaveFileName(QWidget*, const QString&, const QString&, const QString&, const QString&) override
    {
        return {};
    }
    bool ChoosePrinter(QPrinter&, QWidget*) override { return false; }
    int Name;
};

int Shown()
{
    return Dialogs().MessageDlg(QString(), mtInformation, mbOK);
}

}  // namespace

class TestDialogs : public QObject {
    Q_OBJECT
private slots:
    void nameFilter_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("expected");
        QTest::newRow("report files") << "Excel|*.xls"
                                      << "Excel (*.xls)";
        QTest::newRow("two pairs, two patterns") << "Text files|*.txt;*.csv|All files|*.*"
                                                 << "Text files (*.txt *.csv);;All files (*.*)";
        QTest::newRow("description without pattern dropped") << "Excel|*.xls|Other"
                                                             << "Excel (*.xls)";
        QTest::newRow("empty") << ""
                               << "";
    }
    void nameFilter()
    {
        QFETCH(QString, filter);
        QFETCH(QString, expected);
        QCOMPARE(QtNameFilter(filter), expected);
    }

    void installingDialogs()
    {
        auto outer = SetDialogs(nullptr);
        QVERIFY(dynamic_cast<TStandardDialogs*>(&Dialogs()));
        {
            TDialogsGuard guard(std::make_unique<TNamedDialogs>(1));
            QCOMPARE(Shown(), 1);
            auto first = SetDialogs(std::make_unique<TNamedDialogs>(2));
            QCOMPARE(Shown(), 2);
            QCOMPARE(static_cast<TNamedDialogs*>(first.get())->Name, 1);
            SetDialogs(std::move(first));
        }
        QVERIFY(dynamic_cast<TStandardDialogs*>(&Dialogs()));
        SetDialogs(std::move(outer));
    }

    void messageBox_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("buttons");
        QTest::addColumn<QString>("press");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<int>("icon");
        QTest::addColumn<int>("result");
        QTest::newRow("error, OK") << int(mtError) << int(mbOK) << "ok"
                                   << "Error" << int(QMessageBox::Critical) << int(mrOk);
        QTest::newRow("error, Esc is OK") << int(mtError) << int(mbOK) << "esc"
                                          << "Error" << int(QMessageBox::Critical) << int(mrOk);
        QTest::newRow("confirm, OK") << int(mtConfirmation) << int(mbOKCancel) << "ok"
                                     << "Confirm" << int(QMessageBox::Question) << int(mrOk);
        QTest::newRow("confirm, Cancel") << int(mtConfirmation) << int(mbOKCancel) << "cancel"
                                         << "Confirm" << int(QMessageBox::Question) << int(mrCancel);
        QTest::newRow("confirm, Esc is Cancel") << int(mtConfirmation) << int(mbOKCancel) << "esc"
                                                << "Confirm" << int(QMessageBox::Question) << int(mrCancel);
        QTest::newRow("confirm, Enter is OK") << int(mtConfirmation) << int(mbOKCancel) << "enter"
                                              << "Confirm" << int(QMessageBox::Question) << int(mrOk);
        QTest::newRow("warning") << int(mtWarning) << int(mbOK) << "ok"
                                 << "Warning" << int(QMessageBox::Warning) << int(mrOk);
        QTest::newRow("information") << int(mtInformation) << int(mbOK) << "ok"
                                     << "Information" << int(QMessageBox::Information) << int(mrOk);
    }
    void messageBox()
    {
        QFETCH(int, type);
        QFETCH(int, buttons);
        QFETCH(QString, press);
        QFETCH(QString, caption);
        QFETCH(int, icon);
        QFETCH(int, result);
        // Markup must show as typed: a database message can hold '<'.
        const QString text = QStringLiteral("Value <b>1</b> & more");
        QString seenTitle, seenText;
        int seenIcon = -1;
        QList<QMessageBox::StandardButton> seenButtons;
        bool plain = false;
        WhenModal<QMessageBox>([&](QMessageBox* box) {
            seenTitle = box->windowTitle();
            seenText = box->text();
            seenIcon = box->icon();
            plain = box->textFormat() == Qt::PlainText;
            for (QAbstractButton* b : box->buttons())
                seenButtons << box->standardButton(b);
            if (press == "ok")
                box->button(QMessageBox::Ok)->click();
            else if (press == "cancel")
                box->button(QMessageBox::Cancel)->click();
            else if (press == "esc")
                QTest::keyClick(box, Qt::Key_Escape);
            else
                QTest::keyClick(box, Qt::Key_Return);
        });
        TStandardDialogs dialogs;
        QCOMPARE(dialogs.MessageDlg(text, TMsgDlgType(type), TMsgDlgButtons(buttons)), result);
        QCOMPARE(seenTitle, caption);
        QCOMPARE(seenText, text);
        QVERIFY(plain);
        QCOMPARE(seenIcon, icon);
        std::sort(seenButtons.begin(), seenButtons.end());
        if (buttons == mbOK)
            QCOMPARE(seenButtons, QList<QMessageBox::StandardButton>({QMessageBox::Ok}));
        else
            QCOMPARE(seenButtons, QList<QMessageBox::StandardButton>({QMessageBox::Ok, QMessageBox::Cancel}));
    }

    // Once a message box closes, the keys go back where they were: Alt+letters and
    // shortcuts work without a click.
    void focusGoesBackToTheAskingWindow()
    {
        QDialog window;
        auto* first = new QLineEdit(&window);
        auto* second = new QLineEdit(&window);
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(first);
        layout->addWidget(second);
        window.show();
        QApplication::setActiveWindow(&window);
        second->setFocus();
        QCOMPARE(QApplication::focusWidget(), second);
        WhenModal<QMessageBox>([](QMessageBox* box) { box->button(QMessageBox::Ok)->click(); });
        TStandardDialogs dialogs;
        QCOMPARE(dialogs.MessageDlg("Saved.", mtInformation, mbOK), int(mrOk));
        QCoreApplication::processEvents();  // the system's word that the window is active again
        QCOMPARE(QApplication::activeWindow(), &window);
        QCOMPARE(QApplication::focusWidget(), second);
    }

    void saveDialogSetup_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("defaultExt");
        QTest::addColumn<QStringList>("nameFilters");
        QTest::addColumn<QString>("suffix");
        QTest::newRow("report") << "Excel|*.xls"
                                << "xls" << QStringList {"Excel (*.xls)"} << "xls";
        QTest::newRow("dotted extension") << "Excel|*.xls"
                                          << ".xls" << QStringList {"Excel (*.xls)"} << "xls";
        QTest::newRow("two filters") << "Excel|*.xls|Text|*.txt;*.csv"
                                     << "xls" << QStringList {"Excel (*.xls)", "Text (*.txt *.csv)"} << "xls";
        QTest::newRow("no filter") << ""
                                   << "" << QStringList {} << "";
    }

    void saveDialogSetup()
    {
        QFETCH(QString, filter);
        QFETCH(QString, defaultExt);
        QFETCH(QStringList, nameFilters);
        QFETCH(QString, suffix);
        const TSaveDialogSetup setup =
            SaveDialogSetup(QStringLiteral("Save Report"), QStringLiteral("ExpenseReport"), filter, defaultExt);
        QCOMPARE(setup.Caption, QStringLiteral("Save Report"));
        QCOMPARE(setup.ProposedName, QStringLiteral("ExpenseReport"));
        QCOMPARE(setup.NameFilters, nameFilters);
        QCOMPARE(setup.DefaultSuffix, suffix);

        // The real dialog takes the setup, read back through its public interface only.
        QFileDialog dialog;
        ConfigureSaveDialog(dialog, setup);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Save Report"));
        QCOMPARE(dialog.acceptMode(), QFileDialog::AcceptSave);
        QCOMPARE(dialog.fileMode(), QFileDialog::AnyFile);
        QCOMPARE(dialog.defaultSuffix(), suffix);
        if (!nameFilters.isEmpty())
            QCOMPARE(dialog.nameFilters(), nameFilters);
    }

    void defaultSuffixAddedToABareName_data()
    {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("suffix");
        QTest::addColumn<QString>("expected");
        QTest::newRow("bare name") << "/books/January"
                                   << "xls"
                                   << "/books/January.xls";
        QTest::newRow("has the suffix") << "/books/January.xls"
                                        << "xls"
                                        << "/books/January.xls";
        QTest::newRow("other suffix kept") << "/books/January.txt"
                                           << "xls"
                                           << "/books/January.txt";
        QTest::newRow("dot in the folder") << "/my.books/January"
                                           << "xls"
                                           << "/my.books/January.xls";
        QTest::newRow("cancelled") << ""
                                   << "xls"
                                   << "";
        QTest::newRow("no suffix asked") << "/books/January"
                                         << ""
                                         << "/books/January";
    }

    void defaultSuffixAddedToABareName()
    {
        QFETCH(QString, chosen);
        QFETCH(QString, suffix);
        QFETCH(QString, expected);
        QCOMPARE(WithDefaultSuffix(chosen, suffix), expected);
    }

    void shortMessageKeepsItsTitle_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("type");
        QTest::newRow("no data") << "No data" << int(mtError);
        QTest::newRow("confirm") << "Delete record?" << int(mtConfirmation);
        QTest::newRow("information") << "OK" << int(mtInformation);
    }

    void shortMessageKeepsItsTitle()
    {
        QFETCH(QString, text);
        QFETCH(int, type);
        const auto box = NewMessageBox(text, TMsgDlgType(type), mbOK);
        box->show();
        QCOMPARE(box->windowTitle(), MessageDlgCaption(TMsgDlgType(type)));
        QVERIFY2(box->width() >= MinimumMessageBoxWidth(*box),
                 qPrintable(QStringLiteral("%1 < %2").arg(box->width()).arg(MinimumMessageBoxWidth(*box))));
        QVERIFY(MinimumMessageBoxWidth(*box) > box->fontMetrics().horizontalAdvance(box->windowTitle()) + 100);
        box->hide();
    }

    void cancelledSaveDialogGivesEmptyName()
    {
        WhenModal<QFileDialog>([](QFileDialog* dialog) { dialog->reject(); });
        TStandardDialogs dialogs;
        QVERIFY(dialogs
                    .SaveFileName(nullptr, QStringLiteral("Save"), QStringLiteral("Report"),
                                  QStringLiteral("Excel|*.xls"), QStringLiteral(".xls"))
                    .isNull());
    }

    void scriptedDialogsRecordAndAnswer()
    {
        TScriptedDialogsScope dialogs;
        dialogs->AnswerConfirmation(mrCancel);
        dialogs->AnswerConfirmation(mrOk);
        dialogs->AnswerSave(QStringLiteral("/tmp/report.xls"));
        dialogs->AnswerSave(QString());
        QCOMPARE(Dialogs().MessageDlg(QStringLiteral("No data"), mtError, mbOK), int(mrOk));
        QCOMPARE(Dialogs().MessageDlg(QStringLiteral("Delete record?"), mtConfirmation, mbOKCancel), int(mrCancel));
        QCOMPARE(Dialogs().MessageDlg(QStringLiteral("Delete record?"), mtConfirmation, mbOKCancel), int(mrOk));
        QCOMPARE(Dialogs().SaveFileName(nullptr, QStringLiteral("Save"), QStringLiteral("Income"),
                                        QStringLiteral("Excel|*.xls"), QStringLiteral("xls")),
                 QStringLiteral("/tmp/report.xls"));
        QCOMPARE(Dialogs().SaveFileName(nullptr, QString(), QString(), QString(), QString()), QString());
        QCOMPARE(dialogs->MessageTexts(), QStringList({QStringLiteral("No data"), QStringLiteral("Delete record?"),
                                                       QStringLiteral("Delete record?")}));
        QCOMPARE(dialogs->Messages().first().Type, mtError);
        QCOMPARE(dialogs->Messages().last().Buttons, mbOKCancel);
        QCOMPARE(dialogs->SaveRequests().first().ProposedName, QStringLiteral("Income"));
        QCOMPARE(dialogs->SaveRequests().first().DefaultExt, QStringLiteral("xls"));
        QCOMPARE(dialogs->PendingAnswers(), 0);
    }
};

QTEST_MAIN(TestDialogs)
#include "tst_Dialogs.moc"
