// The embedded database file replaced under a running program, and the
// failures of the file itself, on real SQLite files.

#include "test_database.h"

#include "db/connection.h"
#include "db/counter.h"
#include "db/db_error.h"
#include "db/named_query.h"
#include "db/sql_statement.h"
#include "db/transaction.h"

#include <QFile>
#include <QProcess>
#include <QSqlQuery>
#include <QtTest>

#include <unistd.h>

namespace {

QByteArray bytesOf(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void run(const QString &program, const QStringList &arguments)
{
    QProcess p;
    p.start(program, arguments);
    QVERIFY(p.waitForFinished(10000));
    QCOMPARE(p.exitCode(), 0);
}

// Runs as an ordinary user for as long as it lives: root writes any file.
class AsOrdinaryUser
{
public:
    AsOrdinaryUser()
    {
        if (::geteuid() == 0)
            m_dropped = ::setegid(65534) == 0 && ::seteuid(65534) == 0;
    }
    ~AsOrdinaryUser()
    {
        if (m_dropped) {
            QVERIFY(::seteuid(0) == 0);
            QVERIFY(::setegid(0) == 0);
        }
    }

private:
    bool m_dropped = false;
};

const QString kProgram = QStringLiteral("program");

}  // namespace

class TestEmbeddedFile : public QObject
{
    Q_OBJECT
private slots:
    void cleanup() { closeConnection(kProgram); }
    void replacedFileRefusesEveryWrite_data();
    void replacedFileRefusesEveryWrite();
    void otherWritersAndCheckpointsAreNoReplacement();
    void fileFailuresInWords_data();
    void fileFailuresInWords();
};

void TestEmbeddedFile::replacedFileRefusesEveryWrite_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("mv over it") << QStringLiteral("mv");
    QTest::newRow("deleted") << QStringLiteral("rm");
}

void TestEmbeddedFile::replacedFileRefusesEveryWrite()
{
    QFETCH(QString, how);
    FIXTURE(t, DbKind::SQLite, TestDatabase::create);
    FIXTURE(other, DbKind::SQLite, TestDatabase::create);
    t->exec(QStringLiteral("update counter set id=100"));
    other->exec(QStringLiteral("update counter set id=500"));
    const QString path = t->settings().dataSource;
    const QString source = other->settings().dataSource;
    closeConnection(QStringLiteral("test-check"));  // the other file is clean and whole on disk
    QVERIFY(QFile::exists(source) && !QFile::exists(source + QStringLiteral("-wal")));
    const QByteArray sourceBytes = bytesOf(source);

    QSqlDatabase db = openConnection(t->settings(), kProgram);
    QCOMPARE(takeCounterValue(db, CounterColumn::Id), 100);  // the normal path
    // The file the program opened stays reachable through a second name.
    const QString kept = path + QStringLiteral(".kept");
    QCOMPARE(::link(QFile::encodeName(path).constData(), QFile::encodeName(kept).constData()), 0);

    if (how == QLatin1String("mv"))
        run(QStringLiteral("mv"), {source, path});
    else if (how == QLatin1String("cp"))
        run(QStringLiteral("cp"), {source, path});
    else
        run(QStringLiteral("rm"), {path});
    const QByteArray newFile = bytesOf(path);
    const QByteArray oldFile = bytesOf(kept);
    const QByteArray log = bytesOf(path + QStringLiteral("-wal"));

    NamedQuery q(QStringLiteral("aq_counter"), kProgram);
    const QList<std::function<void()>> writes{
        [&] { takeCounterValue(db, CounterColumn::Id); },
        [&] { q.execute(QStringLiteral("update counter set billcode=billcode+1")); },
        [&] { Transaction transaction(db); },
    };
    for (const auto &write : writes) {
        try {
            write();
            QFAIL("a write went into a file that was replaced");
        } catch (const DatabaseFileReplaced &e) {
            QVERIFY2(e.message().contains(path) && e.message().contains(QStringLiteral("没有保存")),
                     qPrintable(e.message()));
            QVERIFY2(e.message().contains(QStringLiteral("dbadmin")), qPrintable(e.message()));
        }
    }
    // Nothing was written: not into the file now at the path, not into the
    // one the program opened, not into the log beside them.
    QCOMPARE(bytesOf(path), newFile);
    QCOMPARE(bytesOf(kept), oldFile);
    QCOMPARE(bytesOf(path + QStringLiteral("-wal")), log);
    if (how == QLatin1String("rm"))
        QVERIFY(!QFile::exists(path));
    else
        QCOMPARE(newFile, sourceBytes);
}

void TestEmbeddedFile::otherWritersAndCheckpointsAreNoReplacement()
{
    FIXTURE(t, DbKind::SQLite, TestDatabase::create);
    t->exec(QStringLiteral("update counter set id=1"));
    QSqlDatabase db = openConnection(t->settings(), kProgram);
    // Another connection writes and copies the log into the file, again and
    // again, between the program's own writes: the file changes, but only
    // through the database.
    for (int i = 1; i <= 30; ++i) {
        QCOMPARE(takeCounterValue(db, CounterColumn::Id), 2 * i - 1);
        t->exec(QStringLiteral("update counter set id=id+1"));
        t->scalar(i % 2 ? QStringLiteral("pragma wal_checkpoint(truncate)")
                        : QStringLiteral("pragma wal_checkpoint(passive)"));
    }
    QCOMPARE(t->scalar(QStringLiteral("select id from counter")).toInt(), 61);
}

void TestEmbeddedFile::fileFailuresInWords_data()
{
    QTest::addColumn<QString>("condition");
    QTest::addColumn<QString>("words");
    QTest::newRow("read-only file") << QStringLiteral("read-only") << QStringLiteral("是只读的");
    QTest::newRow("corrupted file") << QStringLiteral("corrupt") << QStringLiteral("已损坏");
    QTest::newRow("missing folder") << QStringLiteral("no-folder") << QStringLiteral("无法打开数据库文件");
    QTest::newRow("disk full") << QStringLiteral("full") << QStringLiteral("磁盘已满");
}

void TestEmbeddedFile::fileFailuresInWords()
{
    QFETCH(QString, condition);
    QFETCH(QString, words);
    FIXTURE(t, DbKind::SQLite, TestDatabase::create);
    DbSettings settings = t->settings();
    const QString path = settings.dataSource;
    closeConnection(QStringLiteral("test-check"));

    QString message;
    auto attempt = [&](const std::function<void()> &action) {
        try {
            action();
        } catch (const DbError &e) {
            message = e.message();
        }
    };
    auto write = [&] {
        QSqlDatabase db = openConnection(settings, kProgram);
        runStatement(db, QStringLiteral("insert into company (name) values (?)"), {QString(60000, QChar(u'船'))});
    };
    if (condition == QLatin1String("read-only")) {
        const QString folder = QFileInfo(path).absolutePath();
        QVERIFY(QFile::setPermissions(QFileInfo(folder).absolutePath(), QFile::Permissions(0x7755)));
        QVERIFY(QFile::setPermissions(folder, QFile::Permissions(0x7777)));
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        AsOrdinaryUser clerk;
        attempt(write);
    } else if (condition == QLatin1String("corrupt")) {
        // Every page after the first overwritten: the tables' pages are garbage.
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadWrite));
        const qint64 size = f.size();
        QVERIFY(size > 8192);
        f.seek(4096);
        f.write(QByteArray(size - 4096, '\x5a'));
        f.close();
        attempt(write);
    } else if (condition == QLatin1String("no-folder")) {
        settings.dataSource = QFileInfo(path).absolutePath() + QStringLiteral("/gone/nollard.db");
        attempt([&] { openConnection(settings, kProgram, OpenOptions{true}); });
        QVERIFY2(message.contains(words), qPrintable(message));
        message.clear();
        attempt([&] { openConnection(settings, kProgram); });
    } else {
        attempt([&] {
            // The file may grow by two pages only.
            QSqlDatabase db = openConnection(settings, kProgram);
            QSqlQuery q = runStatement(db, QStringLiteral("pragma page_count"));
            QVERIFY(q.next());
            const int pages = q.value(0).toInt();
            q.finish();
            runStatement(db, QStringLiteral("pragma max_page_count=%1").arg(pages + 2));
            for (int i = 0; i < 20; ++i)
                runStatement(db, QStringLiteral("insert into company (name) values (?)"),
                             {QString(3000, QChar(u'a' + i))});
        });
    }
    QVERIFY2(message.contains(words), qPrintable(message));
    // Words first, for the clerk; the database's own line after them.
    QVERIFY2(message.at(0).unicode() > 0x2e80, qPrintable(message));
}

QTEST_MAIN(TestEmbeddedFile)
#include "tst_embedded_file.moc"
