// The dialog interface: installing dialogs, the standard message box and save dialog as
// the user meets them, and the scripted dialogs that other tests rely on.
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
template <class T>
void WhenModal(std::function<void(T*)> act)
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
    explicit TNamedDialogs(int name) : Name(name) {}
    int MessageDlg(const QString&, TMsgDlgType, TMsgDlgButtons) override { return Name; }
    QString SaveFileName(QWidget*, const QString&, const QString&, const QString&, const QString&) override { return {}; }
    bool ChoosePrinter(QPrinter&, QWidget*) override { return false; }
    int Name;
};

int Shown() { return Dialogs().MessageDlg(QString(), mtInformation, mbOK); }

}  // namespace

class TestDialogs : public QObject {
    Q_OBJECT
private slots:
    void nameFilter_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("expected");
        QTest::newRow("report files") << "Excel|*.xls" << "Excel (*.xls)";
        QTest::newRow("two pairs, two patterns")
            << "Text files|*.txt;*.csv|All files|*.*" << "Text files (*.txt *.csv);;All files (*.*)";
        QTest::newRow("description without pattern dropped") << "Excel|*.xls|Other" << "Excel (*.xls)";
        QTest::newRow("empty") << "" << "";
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
        QTest::newRow("error, OK") << int(mtError) << int(mbOK) << "ok" << "Error" << int(QMessageBox::Critical) << int(mrOk);
        QTest::newRow("error, Esc is OK") << int(mtError) << int(mbOK) << "esc" << "Error" << int(QMessageBox::Critical) << int(mrOk);
        QTest::newRow("confirm, OK") << int(mtConfirmation) << int(mbOKCancel) << "ok" << "Confirm" << int(QMessageBox::Question) << int(mrOk);
        QTest::newRow("confirm, Cancel") << int(mtConfirmation) << int(mbOKCancel) << "cancel" << "Confirm" << int(QMessageBox::Question) << int(mrCancel);
        QTest::newRow("confirm, Esc is Cancel") << int(mtConfirmation) << int(mbOKCancel) << "esc" << "Confirm" << int(QMessageBox::Question) << int(mrCancel);
        QTest::newRow("confirm, Enter is OK") << int(mtConfirmation) << int(mbOKCancel) << "enter" << "Confirm" << int(QMessageBox::Question) << int(mrOk);
        QTest::newRow("warning") << int(mtWarning) << int(mbOK) << "ok" << "Warning" << int(QMessageBox::Warning) << int(mrOk);
        QTest::newRow("information") << int(mtInformation) << int(mbOK) << "ok" << "Information" << int(QMessageBox::Information) << int(mrOk);
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

    void saveDialogProposesNameAndAddsExtension()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QString title, typed, suffix;
        QStringList filters;
        bool saving = false;
        WhenModal<QFileDialog>([&](QFileDialog* dialog) {
            title = dialog->windowTitle();
            filters = dialog->nameFilters();
            suffix = dialog->defaultSuffix();
            saving = dialog->acceptMode() == QFileDialog::AcceptSave;
            if (auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
                typed = edit->text();
            dialog->selectFile(dir.filePath(QStringLiteral("January")));
            auto* buttons = dialog->findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
            QVERIFY(buttons);
            buttons->button(QDialogButtonBox::Save)->click();
        });
        TStandardDialogs dialogs;
        const QString chosen = dialogs.SaveFileName(nullptr, QStringLiteral("Save Report"),
                                                    QStringLiteral("ExpenseReport"),
                                                    QStringLiteral("Excel|*.xls"), QStringLiteral("xls"));
        QCOMPARE(chosen, dir.filePath(QStringLiteral("January.xls")));
        QCOMPARE(title, QStringLiteral("Save Report"));
        QCOMPARE(filters, QStringList{QStringLiteral("Excel (*.xls)")});
        QCOMPARE(suffix, QStringLiteral("xls"));
        QCOMPARE(typed, QStringLiteral("ExpenseReport"));
        QVERIFY(saving);
    }

    void cancelledSaveDialogGivesEmptyName()
    {
        WhenModal<QFileDialog>([](QFileDialog* dialog) { dialog->reject(); });
        TStandardDialogs dialogs;
        QVERIFY(dialogs.SaveFileName(nullptr, QStringLiteral("Save"), QStringLiteral("Report"),
                                     QStringLiteral("Excel|*.xls"), QStringLiteral(".xls")).isNull());
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
        QCOMPARE(dialogs->MessageTexts(),
                 QStringList({QStringLiteral("No data"), QStringLiteral("Delete record?"), QStringLiteral("Delete record?")}));
        QCOMPARE(dialogs->Messages().first().Type, mtError);
        QCOMPARE(dialogs->Messages().last().Buttons, mbOKCancel);
        QCOMPARE(dialogs->SaveRequests().first().ProposedName, QStringLiteral("Income"));
        QCOMPARE(dialogs->SaveRequests().first().DefaultExt, QStringLiteral("xls"));
        QCOMPARE(dialogs->PendingAnswers(), 0);
    }
};

QTEST_MAIN(TestDialogs)
#include "tst_Dialogs.moc"
