// Damaged and foreign files under the book's name, opened as the program opens its book at
// start: none brings the program down, each is refused in words that say what is wrong with
// it as far as the file shows (empty; another password or not a book; not encrypted at all;
// damaged; of a newer version), and each is left byte for byte as it was, with no journal
// beside it. tst_database tries the refusal of a few foreign files; here every kind of
// damage is set against the words it gets.
#include "LedgerBook.h"
#include "Schema.h"
#include "sql_DailySales.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QtTest>
#include <sqlite3.h>

namespace {

// The words that tell each kind of refusal; a message belongs to exactly one kind.
const QList<QPair<QString, QString>> KindWords = {
    {"empty", "is empty (0 bytes)"},
    {"another password or not a book", "saved with another password"},
    {"not encrypted", "is a database that is not encrypted"},
    {"damaged", "is damaged: part of it cannot be read"},
    {"newer version", "written by a newer version"},
};

QString KindOf(const QString& message)
{
    QStringList kinds;
    for (const auto& [kind, words] : KindWords)
        if (message.contains(words))
            kinds << kind;
    return kinds.join(" + ");
}

// What `action` raised, as the user would read it; empty when it raised nothing.
QString Refusal(const std::function<void()>& action)
{
    try {
        action();
    } catch (const EZorpError& e) {
        return e.Message();
    }
    return {};
}

QByteArray Flipped(QByteArray bytes, qsizetype at)
{
    for (qsizetype i = at; i < at + 8; ++i)
        bytes[i] = char(~bytes[i]);
    return bytes;
}

// A database as other programs keep them: not encrypted, with a table of its own.
QByteArray PlainDatabase()
{
    QTemporaryDir dir;
    const QByteArray path = QFile::encodeName(dir.path() + "/other.db");
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    sqlite3_exec(db, "CREATE TABLE CUSTOMERS (NAME TEXT); INSERT INTO CUSTOMERS VALUES ('Brindle & Sons')", nullptr,
                 nullptr, nullptr);
    sqlite3_close(db);
    return FileBytes(dir.path() + "/other.db");
}

}  // namespace

class TestDamagedFiles : public QObject {
    Q_OBJECT

    QByteArray m_book;      // a book of this program with lines over many pages
    QByteArray m_newer;     // the same book, marked with a version after this program's
    QByteArray m_otherKey;  // a book keyed with another password
    int m_pageSize = 0;
    int m_linesPage = 0;  // the first page of the income lines' table (its root)
    int m_tried = 0;
    int m_leftAsTheyWere = 0;

private slots:
    void initTestCase()
    {
        TTestBook book;
        AddItems(book);
        Committed(book.Connection(), [&] {
            for (int day = 0; day < 20; ++day)
                for (int n = 1; n <= 15; ++n) {
                    InsertRawLine(book, TLineKind::Income, Day(2026, 3, 1) + day, n, 1 + n % 3, 1000 * n);
                    InsertRawLine(book, TLineKind::Expense, Day(2026, 3, 1) + day, n, 1 + n % 3, 700 * n);
                }
        });
        m_pageSize = book.Scalar("PRAGMA page_size").toInt();
        m_linesPage = book.Scalar("SELECT rootpage FROM sqlite_master WHERE name = 'DAILY_SALES'").toInt();
        const int pages = book.Scalar("PRAGMA page_count").toInt();
        book.Connection().Close();
        m_book = FileBytes(book.Path());
        // Reading the lines must take more than their first page, or a cut could miss them.
        QVERIFY(m_linesPage > 1 && pages > 2 * m_linesPage);
        QCOMPARE(m_book.size(), qsizetype(pages) * m_pageSize);

        book.Exec(QStringLiteral("PRAGMA user_version = %1").arg(BrindlemarkSchema().version + 1));
        book.Connection().Close();
        m_newer = FileBytes(book.Path());

        QTemporaryDir dir;
        TDbConnection other;
        other.SetDataSource(dir.path() + "/ZORP.DAT");
        other.SetPassword("not the program's password");
        other.SetSchema(BrindlemarkSchema());
        other.Open();
        other.Close();
        m_otherKey = FileBytes(dir.path() + "/ZORP.DAT");
        QVERIFY(!m_otherKey.isEmpty());
    }

    // Content: what stands under the book's name. Refused: the kind of refusal as the book
    // opens, empty when it opens; on reading: the kind when its lines are read after that.
    // The cipher checks each page with the key, so a first page it refuses cannot be told
    // from another password or another program's file; a file that is not encrypted at all
    // can, and so can damage anywhere after the first page.
    void damagedOrForeignFile_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("refused");
        QTest::addColumn<QString>("onReading");
        const qsizetype half = m_book.size() / m_pageSize / 2 * m_pageSize;
        QTest::newRow("zero bytes") << QByteArray("") << "empty"
                                    << "";
        QTest::newRow("cut at a page boundary") << m_book.left(half) << "damaged"
                                                << "";
        QTest::newRow("cut inside a page") << m_book.left(half + m_pageSize / 2) << "damaged"
                                           << "";
        QTest::newRow("bytes flipped on the first page") << Flipped(m_book, 100) << "another password or not a book"
                                                         << "";
        QTest::newRow("bytes flipped on a data page")
            << Flipped(m_book, qsizetype(m_linesPage - 1) * m_pageSize + 100) << ""
            << "damaged";
        QByteArray random(16 * m_pageSize, '\0');
        QRandomGenerator generator(2026);
        for (char& c : random)
            c = char(generator.bounded(256));
        QTest::newRow("random bytes") << random << "another password or not a book"
                                      << "";
        QTest::newRow("a database that is not encrypted") << PlainDatabase() << "not encrypted"
                                                          << "";
        QTest::newRow("a book keyed with another password") << m_otherKey << "another password or not a book"
                                                            << "";
        QTest::newRow("a book of a newer version") << m_newer << "newer version"
                                                   << "";
    }
    void damagedOrForeignFile()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, refused);
        QFETCH(QString, onReading);
        TTestBook book;
        {
            QFile f(book.Path());
            QVERIFY(f.open(QIODevice::WriteOnly));
            QCOMPARE(f.write(content), content.size());
        }
        ++m_tried;
        TDbConnection& c = book.Connection();
        const QString message = Refusal([&] { c.Open(); });
        const bool opened = c.Connected();
        QString reading;
        if (opened) {
            // Its first pages are whole: the damage shows where it lies, when the income
            // lines are listed.
            reading = Refusal([&] { TLines income(TLineKind::Income, *dmDailySales->qryGetTransactionSales); });
            c.Close();
        }
        QVERIFY(QFileInfo(book.Path()).isFile());
        QCOMPARE(FileBytes(book.Path()), content);
        for (const char* beside : {"-journal", "-wal", "-shm"})
            QVERIFY2(!QFile::exists(book.Path() + beside), beside);
        QCOMPARE(QDir(book.Folder()).entryList(QDir::Files | QDir::Hidden), QStringList {"ZORP.DAT"});
        ++m_leftAsTheyWere;

        QCOMPARE(opened, refused.isEmpty());
        QVERIFY2(KindOf(message) == refused, qPrintable(message));
        QVERIFY2(refused.isEmpty() || message.contains(book.Path()), qPrintable(message));
        QVERIFY2(KindOf(reading) == onReading, qPrintable(reading));
        QVERIFY2(onReading.isEmpty() || reading.contains(book.Path()), qPrintable(reading));
    }

    void cleanupTestCase()
    {
        if (m_tried > 0 && m_tried == m_leftAsTheyWere)
            qInfo("files tried: %d, every one left as it was", m_tried);
        else
            qInfo("files tried: %d, %d of them checked as left as they were", m_tried, m_leftAsTheyWere);
    }
};

QTEST_GUILESS_MAIN(TestDamagedFiles)
#include "tst_damagedfiles.moc"
