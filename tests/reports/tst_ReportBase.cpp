// The report screen base: its show step, Spool, Save, and the period helpers.
#include "DayNumber.h"
#include "Formats.h"
#include "ScreenDriver.h"
#include "ScriptedDialogs.h"
#include "TestBook.h"
#include "frm_BaseF1Report.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {
class TProbeReport : public TfrmBaseF1Report {
public:
    TProbeReport() { setWindowTitle("Probe Report"); }
    int builds = 0;
    QString defaultName;

protected:
    void BuildReport() override
    {
        ++builds;
        WriteReportTitle("PROBE REPORT", 1, EdStartDate->date(), edEndDate->date(), 1);
        F1BookReport->SetCellText(3, 1, "Rent");
        F1BookReport->SetCellNumber(3, 2, 1234.5);
        F1BookReport->SetCellNumber(4, 2, -20);
        F1BookReport->SetCellFormula(5, 2, "SUM(B3:B4)");
        MoneyFormatRange(3, 2, 5, 2);
        TotalRuleRange(5, 2, 5, 2);
        SetColumnWidths(3000, 1, 2);
    }
    void GetDefaultFileName(QString& fileName) override { fileName = defaultName; }
};

QDate Day(int y, int m, int d)
{
    return QDate(y, m, d);
}

QString Text(TF1Book* book, int row, int col)
{
    const TCell* cell = book->Book().FindCell(row, col);
    return cell && cell->Kind == TCell::Text ? cell->Str : QString();
}
}  // namespace

class TestReportBase : public QObject {
    Q_OBJECT
private slots:
    void init() { FormatSettings() = TFormatSettings(); }

    void showStep_data()
    {
        QTest::addColumn<QString>("periods");
        QTest::addColumn<QDate>("start");
        QTest::addColumn<QDate>("end");
        QTest::newRow("no period yet") << "" << Day(1900, 1, 1) << Day(1900, 1, 31);
        QTest::newRow("latest by year and month")
            << "(2003, 12), (2004, 2), (2003, 1)" << Day(2004, 2, 1) << Day(2004, 2, 29);
        QTest::newRow("thirty days") << "(2002, 4)" << Day(2002, 4, 1) << Day(2002, 4, 30);
    }
    void showStep()
    {
        QFETCH(QString, periods);
        QFETCH(QDate, start);
        QFETCH(QDate, end);
        TTestBook book;
        if (!periods.isEmpty())
            book.Exec("INSERT INTO PERIOD (YYYY, MM) VALUES " + periods);
        // The other screens keep the user's own short date: a report's dates are its own.
        FormatSettings().ShortDateFormat = "yyyy/mm/dd";
        TProbeReport report;
        report.F1BookReport->SetShowGridLines(true);
        report.ReportPageControl->setCurrentWidget(report.tsOutput);
        report.show();
        QCOMPARE(report.EdStartDate->date(), start);
        QCOMPARE(report.edEndDate->date(), end);
        QCOMPARE(FormatSettings().ShortDateFormat, QString("yyyy/mm/dd"));
        QCOMPARE(ReportDate(Day(2004, 2, 1)), QString("01-Feb-2004"));
        QVERIFY(!report.F1BookReport->ShowGridLines());
        QCOMPARE(report.ReportPageControl->currentWidget(), report.tsParameters);
        QCOMPARE(report.rgGroupBy->ItemIndex(), 0);
        QCOMPARE(report.ReportPageControl->tabText(0), QString("Parameters"));
        QCOMPARE(report.ReportPageControl->tabText(1), QString("Output"));
    }

    void spoolStartsFromAnEmptySheet()
    {
        TTestBook book;
        book.Exec("INSERT INTO PERIOD (YYYY, MM) VALUES (2002, 1)");
        TProbeReport report;
        report.show();
        report.F1BookReport->SetCellText(40, 9, "left over");
        QTest::mouseClick(report.btnSpool, Qt::LeftButton);
        QCOMPARE(report.builds, 1);
        QCOMPARE(report.ReportPageControl->currentWidget(), report.tsOutput);
        QCOMPARE(Text(report.F1BookReport, 40, 9), QString());
        QCOMPARE(Text(report.F1BookReport, 1, 1), QString("PROBE REPORT FROM 1 JANUARY 2002 TO 31 JANUARY 2002"));
        QCOMPARE(report.F1BookReport->GetCellNumber(5, 2), 1214.5);
        QTest::mouseClick(report.btnSpool, Qt::LeftButton);
        QCOMPARE(report.builds, 2);
        QCOMPARE(report.F1BookReport->GetCellNumber(5, 2), 1214.5);
        report.resize(700, 500);
        report.grab().save(ShotsFolder() + "/report-output.png");
        report.ReportPageControl->setCurrentWidget(report.tsParameters);
        report.grab().save(ShotsFolder() + "/report-parameters.png");
    }

    void saveAsksThenWrites()
    {
        TTestBook book;
        TScriptedDialogsScope dialogs;
        TProbeReport report;
        report.defaultName = "Probe January";
        report.show();
        QTest::mouseClick(report.btnSpool, Qt::LeftButton);
        QTemporaryDir dir;
        const QString file = dir.path() + "/probe.xls";
        dialogs->AnswerSave(QString());  // cancelled: nothing written
        QTest::mouseClick(report.btnSave, Qt::LeftButton);
        QVERIFY(!QFile::exists(file));
        dialogs->AnswerSave(file);
        QTest::mouseClick(report.btnSave, Qt::LeftButton);
        QFile saved(file);
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QCOMPARE(saved.read(8), QByteArray::fromHex("D0CF11E0A1B11AE1"));  // an Excel 97-2003 file
        QVERIFY(saved.size() > 512);
        QCOMPARE(dialogs->SaveRequests().size(), 2);
        QCOMPARE(dialogs->SaveRequests().last().ProposedName, QString("Probe January"));
        // A save dialog that cannot say which type was picked is offered every type, and the
        // name's extension decides.
        QCOMPARE(dialogs->SaveRequests().last().Filter, QString("Excel 97-2003|*.xls|Excel|*.xlsx|PDF|*.pdf|CSV|*.csv"));
        QCOMPARE(dialogs->SaveRequests().last().DefaultExt, QString("xls"));
    }

    void monthAbbreviation()
    {
        QCOMPARE(TfrmBaseF1Report::MonthAbbreviation(1), QString("Jan"));
        QCOMPARE(TfrmBaseF1Report::MonthAbbreviation(9), QString("Sep"));
        QCOMPARE(TfrmBaseF1Report::MonthAbbreviation(12), QString("Dec"));
        QCOMPARE(TfrmBaseF1Report::MonthAbbreviation(0), QString());
        QCOMPARE(TfrmBaseF1Report::MonthAbbreviation(13), QString());
    }

    void weekIndex_data()
    {
        QTest::addColumn<double>("date");
        QTest::addColumn<double>("start");
        QTest::addColumn<int>("index");
        QTest::newRow("same day") << 37257.0 << 37257.0 << 0;
        QTest::newRow("sixth day") << 37263.0 << 37257.0 << 0;
        QTest::newRow("seventh day starts week 1") << 37264.0 << 37257.0 << 1;
        QTest::newRow("time of day ignored") << 37263.99 << 37257.0 << 0;
        QTest::newRow("six days before truncates to 0") << 37251.0 << 37257.0 << 0;
        QTest::newRow("seven days before") << 37250.0 << 37257.0 << -1;
    }
    void weekIndex()
    {
        QFETCH(double, date);
        QFETCH(double, start);
        QFETCH(int, index);
        QCOMPARE(TfrmBaseF1Report::WeekIndex(date, start), index);
        QCOMPARE(TfrmBaseF1Report::WeekStart(date, start), start + 7 * index);
    }

    void splitMonthIndex_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("year");
        QTest::addColumn<int>("month");
        QTest::newRow("November 2001") << 24023 << 2001 << 11;
        QTest::newRow("multiple of 12 is December before") << 24024 << 2001 << 12;
        QTest::newRow("January 2002") << 24025 << 2002 << 1;
    }
    void splitMonthIndex()
    {
        QFETCH(int, index);
        QFETCH(int, year);
        QFETCH(int, month);
        int y, m;
        TfrmBaseF1Report::SplitMonthIndex(index, y, m);
        QCOMPARE(y, year);
        QCOMPARE(m, month);
        QCOMPARE(TfrmBaseF1Report::MonthIndex(y, m), index);
    }

    void periodLabels_data()
    {
        QTest::addColumn<QDate>("start");
        QTest::addColumn<QDate>("end");
        QTest::addColumn<int>("grouping");
        QTest::addColumn<QStringList>("labels");
        QTest::addColumn<QStringList>("keys");
        // 1 January 2002 was a Tuesday: weeks run from the start date, not from a weekday.
        QTest::newRow("one week") << Day(2002, 1, 1) << Day(2002, 1, 7) << 1 << QStringList {"01-Jan-2002"}
                                  << QStringList {"01-Jan-2002"};
        QTest::newRow("two weeks") << Day(2002, 1, 1) << Day(2002, 1, 8) << 1
                                   << QStringList {"01-Jan-2002", "08-Jan-2002"}
                                   << QStringList {"01-Jan-2002", "08-Jan-2002"};
        QTest::newRow("end a few days before start")
            << Day(2002, 1, 8) << Day(2002, 1, 3) << 1 << QStringList {"08-Jan-2002"} << QStringList {"08-Jan-2002"};
        QTest::newRow("end a week before start")
            << Day(2002, 1, 8) << Day(2002, 1, 1) << 1 << QStringList {} << QStringList {};
        QTest::newRow("months across a year")
            << Day(2001, 11, 15) << Day(2002, 2, 2) << 2 << QStringList {"Nov 2001", "Dec 2001", "Jan 2002", "Feb 2002"}
            << QStringList {"24023", "24024", "24025", "24026"};
        QTest::newRow("end month before start month")
            << Day(2002, 3, 1) << Day(2002, 2, 28) << 2 << QStringList {} << QStringList {};
        QTest::newRow("days write nothing")
            << Day(2002, 1, 1) << Day(2002, 1, 31) << 0 << QStringList {} << QStringList {};
    }
    void periodLabels()
    {
        QFETCH(QDate, start);
        QFETCH(QDate, end);
        QFETCH(int, grouping);
        QFETCH(QStringList, labels);
        QFETCH(QStringList, keys);
        FormatSettings().ShortDateFormat = "yyyy/mm/dd";  // not what reports write
        TTestBook book;
        TProbeReport report;
        QStringList got {"kept"};
        report.WritePeriodLabels(4, 2, start, end, grouping, got);
        QCOMPARE(got, QStringList {"kept"} + keys);
        QStringList written;
        for (int r = 4; r < 4 + 10; ++r)
            if (!Text(report.F1BookReport, r, 2).isEmpty())
                written << Text(report.F1BookReport, r, 2);
        QCOMPARE(written, labels);
    }

    void periodKeys_data()
    {
        QTest::addColumn<QDate>("date");
        QTest::addColumn<int>("grouping");
        QTest::addColumn<QString>("key");
        QTest::newRow("day") << Day(2002, 1, 10) << 0 << "10-Jan-2002";
        QTest::newRow("week from the start date") << Day(2002, 1, 10) << 1 << "08-Jan-2002";
        QTest::newRow("first week") << Day(2002, 1, 7) << 1 << "01-Jan-2002";
        QTest::newRow("month") << Day(2002, 1, 10) << 2 << "24025";
    }
    void periodKeys()
    {
        QFETCH(QDate, date);
        QFETCH(int, grouping);
        QFETCH(QString, key);
        FormatSettings().ShortDateFormat = "yyyy/mm/dd";  // not what reports write
        QCOMPARE(TfrmBaseF1Report::PeriodKey(date, Day(2002, 1, 1), grouping), key);
    }

    void titleIsBold()
    {
        TTestBook book;
        TProbeReport report;
        report.WriteReportTitle("Expenses Report", 2, Day(2002, 1, 1), Day(2002, 1, 31), 3);
        QCOMPARE(Text(report.F1BookReport, 2, 3), QString("EXPENSES REPORT FROM 1 JANUARY 2002 TO 31 JANUARY 2002"));
        QVERIFY(report.F1BookReport->Book().CellFormat(2, 3).Bold);
    }
};

QTEST_MAIN(TestReportBase)
#include "tst_ReportBase.moc"
