// The standard dialogs: installed by the application object, with the printer choice.
#include "ZorpApplication.h"
#include "Dialogs.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPrintDialog>
#include <QPrinter>
#include <QTest>
#include <QTimer>

class TestPrinterChoice : public QObject {
    Q_OBJECT
private slots:
    void applicationInstallsTheStandardDialogs() { QVERIFY(dynamic_cast<TStandardDialogs*>(&Dialogs())); }

    void printerChoice_data()
    {
        QTest::addColumn<bool>("accept");
        QTest::newRow("printer chosen") << true;
        QTest::newRow("cancelled") << false;
    }
    void printerChoice()
    {
        QFETCH(bool, accept);
        QPrinter printer;
        QPrinter* seen = nullptr;
        QTimer poll;
        QElapsedTimer waited;
        waited.start();
        connect(&poll, &QTimer::timeout, [&] {
            if (auto* dialog = qobject_cast<QPrintDialog*>(QApplication::activeModalWidget())) {
                poll.stop();
                seen = dialog->printer();
                accept ? dialog->accept() : dialog->reject();
            } else if (waited.elapsed() > 10000) {
                qFatal("no print dialog appeared");
            }
        });
        poll.start(10);
        QCOMPARE(Dialogs().ChoosePrinter(printer, nullptr), accept);
        QCOMPARE(seen, &printer);
    }
};

int main(int argc, char* argv[])
{
    TZorpApplication app(argc, argv);
    TestPrinterChoice test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_PrinterChoice.moc"
