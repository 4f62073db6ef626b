// A report's Save: the types its dialog offers, the type and name a choice leads to, the
// file dialog of the program set up for them, and what a failed save says and leaves.
// What each type of file holds is checked for every layout in the report tests.
#include "ReportSheet.h"
#include "TestBook.h"
#include "frm_ExpenseReport.h"

#include <QFileDialog>
#include <QListWidget>

using namespace ReportTest;

namespace {

void FillBook(TReportBook& b)
{
    b.Expense(D(2002, 1, 7), 1, "100", "Y", "R1");
    b.Expense(D(2002, 1, 9), 2, "1234567.89", "Y");
}

using TScreen = TReportScreen<TfrmExpenseReport>;

// A screen with the January expenses spooled.
struct TSpooled : TScreen {
    TSpooled() : TScreen(FillBook) { Spool(report, *dialogs, D(2002, 1, 1), D(2002, 1, 31), false, 0); }
};

// The type of a file by its first bytes, as any reader tells them apart.
QString Signature(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return "missing";
    const QByteArray head = f.read(8);
    if (head == QByteArray::fromHex("D0CF11E0A1B11AE1"))
        return "xls";
    if (head.startsWith("PK\x03\x04"))
        return "xlsx";
    if (head.startsWith("%PDF-"))
        return "pdf";
    if (head.startsWith("\xEF\xBB\xBF"))
        return "csv";
    return "unknown";
}

QStringList Files(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

QStringList FilterTexts(const QList<TFileType>& types)
{
    QStringList filters;
    for (const TFileType& t : types)
        filters << t.NameFilter();
    return filters;
}

const QStringList OfferedFilters {"Excel 97-2003 (*.xls)", "Excel (*.xlsx)", "PDF (*.pdf)", "CSV (*.csv)"};

}  // namespace

class TestSaveAs : public QObject {
    Q_OBJECT
private slots:
    void init() { FormatSettings() = TFormatSettings(); }

    // Excel 97-2003 first, as it is picked when the user picks nothing.
    void offersFourTypes()
    {
        TSpooled s;
        s.dialogs->AnswerSaveAs(QString(), "PDF");
        Click(s.report.btnSave);
        QCOMPARE(s.dialogs->OfferedTypes().size(), 1);
        QCOMPARE(FilterTexts(s.dialogs->OfferedTypes().first()), OfferedFilters);
        QCOMPARE(s.dialogs->MessageTexts(), QStringList());
        s.report.ReportPageControl->setCurrentWidget(s.report.tsOutput);
        ShotWide(s.report, "save-as-report-screen");
    }

    void typeChosen_data()
    {
        QTest::addColumn<QString>("typed");   // the name the user types; empty cancels
        QTest::addColumn<QString>("picked");  // the type picked from the list
        QTest::addColumn<QString>("file");    // the file written; empty: none
        QTest::addColumn<QString>("format");
        QTest::newRow("bare name, Excel 97-2003") << "Income" << "Excel 97-2003" << "Income.xls" << "xls";
        QTest::newRow("bare name, Excel") << "Income" << "Excel" << "Income.xlsx" << "xlsx";
        QTest::newRow("bare name, PDF") << "Income" << "PDF" << "Income.pdf" << "pdf";
        QTest::newRow("bare name, CSV") << "Income" << "CSV" << "Income.csv" << "csv";
        QTest::newRow("name with the type's extension") << "Income.pdf" << "PDF" << "Income.pdf" << "pdf";
        QTest::newRow("another type's extension wins over the list")
            << "Income.csv" << "Excel 97-2003" << "Income.csv" << "csv";
        QTest::newRow("extension in capitals") << "Income.XLSX" << "PDF" << "Income.XLSX" << "xlsx";
        QTest::newRow("dotted name gets the type's extension")
            << "Sales Jan.2002" << "CSV" << "Sales Jan.2002.csv" << "csv";
        QTest::newRow("cancelled") << "" << "PDF" << "" << "";
    }
    void typeChosen()
    {
        QFETCH(QString, typed);
        QFETCH(QString, picked);
        QFETCH(QString, file);
        QFETCH(QString, format);
        TSpooled s;
        QTemporaryDir dir;
        s.dialogs->AnswerSaveAs(typed.isEmpty() ? QString() : dir.filePath(typed), picked);
        Click(s.report.btnSave);
        QCOMPARE(s.dialogs->MessageTexts(), QStringList());
        QCOMPARE(Files(dir.path()), file.isEmpty() ? QStringList() : QStringList {file});
        if (!file.isEmpty())
            QCOMPARE(Signature(dir.filePath(file)), format);
    }

    // The program's file dialog, built as Save builds it: the four types with the first
    // chosen, and the extension added to a bare name following the type picked.
    void fileDialogFollowsThePickedType()
    {
        QList<TFileType> types;
        for (const TF1Book::TSaveType& t : TF1Book::SaveTypes())
            types << t.File;
        QFileDialog dialog;
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        ConfigureSaveAsDialog(dialog, "Save Report", "Income", types);
        QCOMPARE(dialog.windowTitle(), QString("Save Report"));
        QCOMPARE(dialog.acceptMode(), QFileDialog::AcceptSave);
        QCOMPARE(dialog.nameFilters(), OfferedFilters);
        QCOMPARE(dialog.selectedNameFilter(), OfferedFilters.first());
        QCOMPARE(dialog.defaultSuffix(), QString("xls"));
        dialog.resize(720, 420);
        Shot(&dialog, "save-as-dialog");
        // The list of types as the dialog holds it, the chosen one marked.
        QListWidget list;
        list.addItems(dialog.nameFilters());
        list.setCurrentRow(int(dialog.nameFilters().indexOf(dialog.selectedNameFilter())));
        list.resize(260, 110);
        Shot(&list, "save-as-dialog-types");
        // A pick in the list is announced by the dialog's filterSelected, which setting the
        // filter from the program does not send.
        for (const TFileType& t : types) {
            dialog.selectNameFilter(t.NameFilter());
            emit dialog.filterSelected(t.NameFilter());
            QCOMPARE(dialog.selectedNameFilter(), t.NameFilter());
            QCOMPARE(dialog.defaultSuffix(), t.Extension);
        }
    }

    void failedSave_data()
    {
        QTest::addColumn<QString>("picked");
        QTest::addColumn<QString>("trouble");
        for (const char* type : {"Excel 97-2003", "Excel", "PDF", "CSV"}) {
            QTest::addRow("%s, a folder that cannot be written", type) << type << "unwritable folder";
            QTest::addRow("%s, an older file that cannot be replaced", type) << type << "unwritable file";
            QTest::addRow("%s, an older file marked read-only", type) << type << "read-only file";
            QTest::addRow("%s, a folder that is not there", type) << type << "missing folder";
        }
        QTest::newRow("PDF, nothing spooled") << "PDF" << "nothing spooled";
    }
    // One clear message, naming the file and saying why; nothing under the chosen name, an
    // older file as it was, nothing left beside it.
    void failedSave()
    {
        QFETCH(QString, picked);
        QFETCH(QString, trouble);
        TScreen s(FillBook);
        if (trouble != "nothing spooled")
            Spool(s.report, *s.dialogs, D(2002, 1, 1), D(2002, 1, 31), false, 0);
        QTemporaryDir dir;
        const QString folder = dir.filePath(trouble == "missing folder" ? "gone/away" : "reports");
        if (trouble != "missing folder")
            QVERIFY(QDir().mkpath(folder));
        QString extension;
        for (const TF1Book::TSaveType& t : TF1Book::SaveTypes())
            if (t.File.Description == picked)
                extension = t.File.Extension;
        const QString path = folder + "/report." + extension;
        const QByteArray older("the older report");
        const bool olderFile = trouble.endsWith("file");
        if (olderFile) {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(older);
        }
        // Marked read-only the ordinary way, which binds root as much as anyone here.
        if (trouble == "read-only file")
            QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup));
        std::unique_ptr<TUnwritable> lock;
        if (trouble.startsWith("unwritable")) {
            lock = std::make_unique<TUnwritable>(trouble == "unwritable file" ? path : folder);
            if (!lock->Works())
                QSKIP("this system lets the tests write what they made unwritable");
        }
        s.dialogs->AnswerSaveAs(folder + "/report", picked);
        Click(s.report.btnSave);
        const QStringList messages = s.dialogs->MessageTexts();
        QCOMPARE(messages.size(), 1);
        QCOMPARE(s.dialogs->Messages().first().Type, mtError);
        if (trouble == "nothing spooled") {
            QCOMPARE(messages.first(), QString("The sheet has nothing to print"));
        } else {
            const QString start = QStringLiteral("Cannot write \"%1\": ").arg(path);
            QVERIFY2(messages.first().startsWith(start) && messages.first().size() > start.size() + 2,
                     qPrintable(messages.first()));
        }
        lock.reset();
        if (olderFile) {
            QFile f(path);
            QVERIFY(f.open(QIODevice::ReadOnly));
            QCOMPARE(f.readAll(), older);
            QCOMPARE(Files(folder), QStringList {"report." + extension});
        } else {
            QVERIFY(!QFileInfo::exists(path));
            QCOMPARE(Files(QFileInfo(path).absolutePath()), QStringList());
        }
    }
};

QTEST_MAIN(TestSaveAs)
#include "tst_SaveAs.moc"
