// The configuration program as an administrator runs it: write the
// initialisation file, check the connection, create the schema, load the
// demonstration data; on the embedded file and on a PostgreSQL server.

#include "test_database.h"

#include "db/connection.h"

#include <QProcess>
#include <QRegularExpression>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

class TestDbadmin : public QObject
{
    Q_OBJECT
private slots:
    void prepareDemoOnTheEmbeddedFile();
    void schemaAndDemoOnAServer();
    void refusesToOverwrite();
    void configFileAndCheckOutput();

private:
    struct Result
    {
        int code;
        QString out;
    };
    Result dbadmin(const QString &folder, const QStringList &arguments);
    void checkDemo(const DbSettings &settings);
};

TestDbadmin::Result TestDbadmin::dbadmin(const QString &folder, const QStringList &arguments)
{
    QProcess p;
    p.setWorkingDirectory(folder);
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(QStringLiteral(DBADMIN_PATH),
            arguments + QStringList{QStringLiteral("--schema-dir"), TestDatabase::schemaFolder()});
    if (!p.waitForFinished(60000))
        return {-1, QStringLiteral("dbadmin did not finish")};
    return {p.exitCode(), QString::fromUtf8(p.readAll())};
}

void TestDbadmin::checkDemo(const DbSettings &settings)
{
    QSqlDatabase db = openConnection(settings, QStringLiteral("demo-check"));
    QSqlQuery q(db);
    QVERIFY(q.exec(QStringLiteral("select typeid from person")));
    QSet<int> roles;
    while (q.next())
        roles << q.value(0).toInt();
    QCOMPARE(roles, (QSet<int>{1, 2, 3, 4, 5, 6, 7, 8}));
    QVERIFY(q.exec(QStringLiteral("select distinct status from notice")));
    QSet<int> states;
    while (q.next())
        states << q.value(0).toInt();
    QCOMPARE(states, (QSet<int>{1, 2, 3, 5, 6, -1, -2}));
    for (const char *table : {"itemcj", "itemcw", "company", "buildtype", "runtype", "othertype", "itemofnotice"}) {
        QVERIFY(q.exec(QStringLiteral("select count(*) from %1").arg(QLatin1String(table))));
        QVERIFY(q.next());
        QVERIFY2(q.value(0).toInt() > 0, table);
    }
    // Notice numbers came from the counter, which stands past them.
    QVERIFY(q.exec(QStringLiteral("select max(id) from counter")));
    QVERIFY(q.next());
    QCOMPARE(q.value(0).toInt(), 17);
    q.finish();
    db.close();
}

void TestDbadmin::prepareDemoOnTheEmbeddedFile()
{
    QTemporaryDir folder;
    Result r = dbadmin(folder.path(),
                       {QStringLiteral("write-config"), QStringLiteral("--provider"), QStringLiteral("SQLite"),
                        QStringLiteral("--data-source"), QStringLiteral("demo.db")});
    QVERIFY2(r.code == 0, qPrintable(r.out));
    const DbSettings written = DbSettings::fromFile(folder.filePath(QStringLiteral("config/config.ini")));
    QCOMPARE(written.provider, QStringLiteral("SQLite"));
    QCOMPARE(written.dataSource, QStringLiteral("demo.db"));

    r = dbadmin(folder.path(), {QStringLiteral("prepare-demo")});
    QVERIFY2(r.code == 0, qPrintable(r.out));
    r = dbadmin(folder.path(), {QStringLiteral("prepare-demo")});  // a second run keeps the file
    QVERIFY2(r.code == 0 && r.out.contains(QStringLiteral("ready")), qPrintable(r.out));
    r = dbadmin(folder.path(), {QStringLiteral("check")});
    QVERIFY2(r.code == 0 && r.out.contains(QStringLiteral("12 of 12")), qPrintable(r.out));

    DbSettings s = written;
    s.dataSource = folder.filePath(QStringLiteral("demo.db"));
    checkDemo(s);
}

void TestDbadmin::schemaAndDemoOnAServer()
{
    FIXTURE(server, DbKind::PostgreSQL, TestDatabase::create, false);
    const DbSettings s = server->settings();
    QTemporaryDir folder;
    Result r = dbadmin(folder.path(),
                       {QStringLiteral("write-config"), QStringLiteral("--provider"), s.provider,
                        QStringLiteral("--data-source"), s.dataSource, QStringLiteral("--catalog"), s.initialCatalog,
                        QStringLiteral("--user"), s.userId, QStringLiteral("--password"), QString()});
    QVERIFY2(r.code == 0, qPrintable(r.out));
    r = dbadmin(folder.path(), {QStringLiteral("check")});
    QVERIFY2(r.code == 0 && r.out.contains(QStringLiteral("0 of 12")), qPrintable(r.out));
    r = dbadmin(folder.path(), {QStringLiteral("create-schema")});
    QVERIFY2(r.code == 0, qPrintable(r.out));
    r = dbadmin(folder.path(), {QStringLiteral("load-demo")});
    QVERIFY2(r.code == 0, qPrintable(r.out));
    checkDemo(s);
}

void TestDbadmin::refusesToOverwrite()
{
    auto t = TestDatabase::create(DbKind::SQLite);  // schema present, no accounts
    QTemporaryDir folder;
    DbSettings s = t->settings();
    QString error;
    QVERIFY(s.writeFile(folder.filePath(QStringLiteral("config/config.ini")), &error));
    Result r = dbadmin(folder.path(), {QStringLiteral("create-schema")});
    QCOMPARE(r.code, 2);
    r = dbadmin(folder.path(), {QStringLiteral("load-demo")});
    QVERIFY2(r.code == 0, qPrintable(r.out));
    r = dbadmin(folder.path(), {QStringLiteral("load-demo")});  // accounts exist now
    QCOMPARE(r.code, 2);
    QCOMPARE(t->scalar(QStringLiteral("select count(*) from person")).toInt(), 10);
    // A file that does not exist is reported, not made.
    DbSettings missing = s;
    missing.dataSource = folder.filePath(QStringLiteral("absent.db"));
    QVERIFY(missing.writeFile(folder.filePath(QStringLiteral("config/config.ini")), &error));
    r = dbadmin(folder.path(), {QStringLiteral("check")});
    QCOMPARE(r.code, 1);
    QVERIFY(!QFile::exists(missing.dataSource));
}

void TestDbadmin::configFileAndCheckOutput()
{
    auto t = TestDatabase::create(DbKind::SQLite);
    QTemporaryDir folder;
    const QString file = folder.filePath(QStringLiteral("config/config.ini"));
    Result r = dbadmin(folder.path(), {QStringLiteral("write-config"), QStringLiteral("--provider"),
                                       QStringLiteral("Oracle"), QStringLiteral("--data-source"), QStringLiteral("x")});
    QCOMPARE(r.code, 2);
    QVERIFY(!QFile::exists(file));
    // Keys not given are written empty, never with their own names as values.
    r = dbadmin(folder.path(), {QStringLiteral("write-config"), QStringLiteral("--provider"), QStringLiteral("SQLite"),
                                QStringLiteral("--data-source"), t->settings().dataSource});
    QVERIFY2(r.code == 0, qPrintable(r.out));
    QFile written(file);
    QVERIFY(written.open(QIODevice::ReadOnly));
    const QString content = QString::fromUtf8(written.readAll());
    for (const char *key : {"Initial Catalog", "User ID", "Password"})
        QVERIFY2(content.contains(QRegularExpression(QLatin1String(key) + QStringLiteral("=\\r?\\n"))),
                 qPrintable(content));
    written.close();
    // check names the database but never prints the password.
    r = dbadmin(folder.path(),
                {QStringLiteral("write-config"), QStringLiteral("--password"), QStringLiteral("Geheim42")});
    QVERIFY2(r.code == 0, qPrintable(r.out));
    r = dbadmin(folder.path(), {QStringLiteral("check")});
    QVERIFY2(r.code == 0 && r.out.contains(QStringLiteral("12 of 12")), qPrintable(r.out));
    QVERIFY2(r.out.contains(t->settings().dataSource), qPrintable(r.out));
    QVERIFY2(!r.out.contains(QStringLiteral("Geheim42")), qPrintable(r.out));
    QCOMPARE(DbSettings::fromFile(file).password, QStringLiteral("Geheim42"));
}

QTEST_GUILESS_MAIN(TestDbadmin)
#include "tst_dbadmin.moc"
