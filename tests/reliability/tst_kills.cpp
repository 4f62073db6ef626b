// Kills in the middle of saves. A child process saves line after line through the storage
// sequence, saying on its output what it starts ("B <operation>") and what it has
// committed ("C <number>"); the test kills it with SIGKILL as it works and reopens the book
// each time. The book must be sound, hold every change the child reported committed and
// the one it was working on wholly or not at all, with every total equal to its lines and
// every line number unique. ZORP_LONG_RUN=1 kills ten times as often.
#include "DataModules.h"
#include "Workload.h"
#include "sql_K2V.h"

#include <QProcess>
#include <QtTest>
#include <atomic>
#include <csignal>
#include <unistd.h>

namespace {

const char* const kChildFolder = "ZORP_KILL_CHILD";
const char* const kChildSeed = "ZORP_KILL_SEED";

void Say(const QString& line)
{
    const QByteArray bytes = (line + '\n').toUtf8();
    // Straight to the pipe, unbuffered: whatever was said before the kill reaches the test.
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(STDOUT_FILENO, bytes.constData() + done, size_t(bytes.size() - done));
        if (n <= 0)
            ::_exit(3);
        done += n;
    }
}

// The child: saves until it is killed.
int RunChild()
{
    const QString folder = qEnvironmentVariable(kChildFolder);
    TDataModules modules(folder);
    TDbConnection& book = dmK2V->ADOConnection;
    TWorkload work(book, quint32(qEnvironmentVariableIntValue(kChildSeed)));
    TModel model = TModel::Read(book);
    try {
        for (;;) {
            const TOp op = work.Draw(model);
            Say("B " + op.Text());
            const int number = work.Perform(op);
            Say(QStringLiteral("C %1").arg(number));
            model.Apply(op, number);
        }
    } catch (const std::exception& e) {
        Say(QStringLiteral("E %1").arg(QString::fromUtf8(e.what())));
        return 1;
    }
}

int Kills()
{
    return qEnvironmentVariableIntValue("ZORP_LONG_RUN") ? 2000 : 200;
}

}  // namespace

class TestKills : public QObject {
    Q_OBJECT
private slots:
    void killedWhileSaving()
    {
        TTestBook book;
        AddItems(book);
        TModel model = TModel::Read(book.Connection());
        QRandomGenerator random(2026);
        const int kills = Kills();
        int reported = 0, wholeAfterKill = 0, goneAfterKill = 0;
        for (int kill = 0; kill < kills; ++kill) {
            QProcess child;
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(kChildFolder, book.Folder());
            env.insert(kChildSeed, QString::number(random.generate() & 0x7fffffff));
            child.setProcessEnvironment(env);
            child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
            child.start(QCoreApplication::applicationFilePath(), QStringList());
            QVERIFY2(child.waitForStarted(), qPrintable(child.errorString()));
            // Killed as it starts the chosen save, a little way into it.
            const int target = random.bounded(1, 8);
            int started = 0;
            QByteArray said;
            while (started < target) {
                if (!child.canReadLine() && !child.waitForReadyRead(60000))
                    QFAIL(qPrintable("the child stopped: " + said));
                const QByteArray line = child.readLine();
                said += line;
                QVERIFY2(!line.startsWith("E "), line.constData());
                if (line.startsWith("B "))
                    ++started;
            }
            for (int spin = random.bounded(3000000); spin > 0; --spin)
                std::atomic_signal_fence(std::memory_order_seq_cst);
            ::kill(pid_t(child.processId()), SIGKILL);
            QVERIFY(child.waitForFinished(60000));
            said += child.readAllStandardOutput();

            // What the child reported committed goes into the model; the save it had started
            // but not reported may be there whole or not at all.
            std::optional<TOp> pending;
            for (const QByteArray& raw : said.split('\n')) {
                const QString line = QString::fromUtf8(raw);
                if (line.startsWith("B ")) {
                    pending = TOp::FromText(line.mid(2));
                    QVERIFY2(pending, qPrintable(line));
                } else if (line.startsWith("C ")) {
                    QVERIFY(pending);
                    const int number = line.mid(2).toInt();
                    QCOMPARE(number, model.Predict(*pending));
                    model.Apply(*pending, number);
                    pending.reset();
                    ++reported;
                }
            }
            book.Restart();
            QCOMPARE(Integrity(book), QStringLiteral("ok"));
            QCOMPARE(BrokenInvariants(book), QString());
            QCOMPARE(BrokenNumbering(book), QString());
            QCOMPARE(BrokenNextNumbers(book), QString());
            const QString image = BookImage(book);
            if (image == model.Image()) {
                goneAfterKill += pending ? 1 : 0;
                continue;
            }
            QVERIFY2(pending, "the book changed without a save being started");
            TModel after = model;
            after.Apply(*pending, after.Predict(*pending));
            QCOMPARE(image, after.Image());
            model = after;
            ++wholeAfterKill;
        }
        qInfo("kills survived: %d, %d saves reported committed and all present; of the saves cut short, %d "
              "were kept whole and %d left no trace; %d lines in the book; nothing lost",
              kills, reported, wholeAfterKill, goneAfterKill, int(model.lines.size()));
    }
};

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsSet(kChildFolder))
        return RunChild();
    QCoreApplication app(argc, argv);
    TestKills test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_kills.moc"
