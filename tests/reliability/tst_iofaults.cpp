// A failing disk under the book: the Nth write, read or sync of a save fails, once or
// from then on, or the disk reports itself full; and a real file-size limit on a growing
// book. Every save struck gives a clear error, leaves the line in the list as the user
// entered it, and the book reopened afterwards is exactly as it was before the attempt.
#include "CrashVfs.h"
#include "Workload.h"

#include <QtTest>
#include <csignal>
#include <sys/resource.h>

Q_DECLARE_METATYPE(TCrashVfs::TFault)

namespace {

// The list still holds what the user asked for: the line being added or changed is
// pending with its amount, a line that was to go is still there.
QString InputKept(TLines& list, const TOp& op)
{
    TQuery& q = list.query;
    if (op.type == TOpType::Delete) {
        if (q.State() != TDataSetState::Browse || !list.Find(TLineDay::FromDayNumber(op.day), op.number))
            return QStringLiteral("the line to delete is gone from the list");
        return {};
    }
    const TDataSetState wanted = op.type == TOpType::Add ? TDataSetState::Insert : TDataSetState::Edit;
    if (q.State() != wanted)
        return QStringLiteral("the line is no longer pending (state %1)").arg(int(q.State()));
    if (q.FieldByName(list.amount).AsMoney().Scaled() != op.amount)
        return QStringLiteral("the amount entered was lost");
    return {};
}

// A message a shop owner can act on: it names the book and says nothing was saved.
bool Clear(const QString& message)
{
    return message.contains("ZORP.DAT") && (message.contains("not saved") || message.contains("no change was saved"));
}

}  // namespace

class TestIoFaults : public QObject {
    Q_OBJECT
private slots:
    void faultsInSaves_data()
    {
        QTest::addColumn<TCrashVfs::TFault>("kind");
        QTest::addColumn<bool>("lasting");
        QTest::addColumn<QString>("says");
        QTest::newRow("a write fails once") << TCrashVfs::TFault::Write << false << "disk reported an error";
        QTest::newRow("writes fail from then on") << TCrashVfs::TFault::Write << true << "disk reported an error";
        QTest::newRow("a read fails once") << TCrashVfs::TFault::Read << false << "disk reported an error";
        QTest::newRow("reads fail from then on") << TCrashVfs::TFault::Read << true << "disk reported an error";
        QTest::newRow("a sync fails once") << TCrashVfs::TFault::Sync << false << "disk reported an error";
        QTest::newRow("syncs fail from then on") << TCrashVfs::TFault::Sync << true << "disk reported an error";
        QTest::newRow("the disk is full") << TCrashVfs::TFault::Full << true << "no room for it on the disk";
    }
    void faultsInSaves()
    {
        QFETCH(TCrashVfs::TFault, kind);
        QFETCH(bool, lasting);
        QFETCH(QString, says);
        TCrashVfs& vfs = TCrashVfs::Instance();
        TTestBook book;
        AddItems(book);
        TModel model = TModel::Read(book.Connection());
        {
            TWorkload work(book.Connection(), 5);
            for (int i = 0; i < 30; ++i) {
                const TOp op = work.Draw(model);
                model.Apply(op, work.Perform(op));
            }
        }
        // Line saves only: they are what a screen keeps the user's input for.
        int struck = 0;
        const int saves = qEnvironmentVariableIntValue("ZORP_LONG_RUN") ? 60 : 6;
        for (int save = 0; save < saves; ++save) {
            for (int nth = 1;; ++nth) {
                QVERIFY2(nth < 500, "a save that never ends");
                const QString before = BookText(book);
                auto work = std::make_unique<TWorkload>(book.Connection(), quint32(100 + save));
                TOp op = work->Draw(model);
                while (op.type != TOpType::Add && op.type != TOpType::Change && op.type != TOpType::Delete)
                    op = work->Draw(model);
                vfs.FailAt(kind, nth, lasting);
                QString error;
                int number = 0;
                try {
                    number = work->Perform(op, false);
                } catch (const EZorpError& e) {
                    error = e.Message();
                }
                const bool hit = vfs.Struck();
                vfs.Disarm();
                if (error.isEmpty()) {
                    // Past the last call of the save, or a fault the engine got over: the
                    // save was reported done, so the book must hold it after reopening.
                    model.Apply(op, number);
                    work.reset();
                    book.Restart();
                    QCOMPARE(BookImage(book), model.Image());
                    if (!hit)
                        break;
                    continue;
                }
                QVERIFY2(hit, qPrintable(error));
                ++struck;
                QVERIFY2(Clear(error) && error.contains(says), qPrintable(error));
                QCOMPARE(InputKept(work->List(op.kind), op), QString());
                // Reopened, the book is as it was, sound and in step.
                work.reset();
                book.Restart();
                QCOMPARE(Integrity(book), QStringLiteral("ok"));
                QCOMPARE(BookText(book), before);
                QCOMPARE(BookImage(book), model.Image());
            }
        }
        QVERIFY(struck > 0);
        m_struck += struck;
        m_kinds << QString::fromLatin1(QTest::currentDataTag());
    }

    // A real limit on the size of files the program may write, as a full disk sets one:
    // lines are saved until one no longer fits.
    void realFileSizeLimit()
    {
        TTestBook book;
        AddItems(book);
        TModel model = TModel::Read(book.Connection());
        auto work = std::make_unique<TWorkload>(book.Connection(), 9);
        rlimit old {};
        QVERIFY(::getrlimit(RLIMIT_FSIZE, &old) == 0);
        const auto oldSignal = std::signal(SIGXFSZ, SIG_IGN);
        const qint64 size = QFileInfo(book.Path()).size();
        rlimit limit = old;
        limit.rlim_cur = rlim_t(size + 16 * 1024);
        QVERIFY(::setrlimit(RLIMIT_FSIZE, &limit) == 0);
        QString error, before;
        TOp failed;
        int saved = 0;
        for (int i = 0; i < 5000 && error.isEmpty(); ++i) {
            TOp op;
            op.type = TOpType::Add;
            op.kind = i % 2;
            op.day = work->Days()[size_t(i % 8)];
            op.toDay = op.day;
            op.item = 1 + i % 3;
            op.amount = 100 * (i + 1);
            before = BookText(book);
            try {
                model.Apply(op, work->Perform(op));
                ++saved;
            } catch (const EZorpError& e) {
                error = e.Message();
                failed = op;
            }
        }
        ::setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, oldSignal);
        QVERIFY2(!error.isEmpty(), "the book never reached the limit");
        QVERIFY2(Clear(error) && error.contains("no room for it on the disk"), qPrintable(error));
        QCOMPARE(InputKept(work->List(failed.kind), failed), QString());
        work.reset();
        book.Restart();
        QCOMPARE(Integrity(book), QStringLiteral("ok"));
        QCOMPARE(BookText(book), before);
        QCOMPARE(BookImage(book), model.Image());
        qInfo("a real file-size limit: %d lines saved, the one past it refused: %s", saved, qPrintable(error));
        m_struck += 1;
        m_kinds << QStringLiteral("a real file-size limit");
    }

    void cleanupTestCase()
    {
        qInfo("faults injected: %d failed saves over %d kinds of fault (%s), each refused clearly, the input kept "
              "and the book as before; nothing lost",
              m_struck, int(m_kinds.size()), qPrintable(m_kinds.join(", ")));
    }

private:
    int m_struck = 0;
    QStringList m_kinds;
};

QTEST_GUILESS_MAIN(TestIoFaults)
#include "tst_iofaults.moc"
