// The configuration program as an administrator runs it: write the
// initialisation file, check the connection, create the schema, load the
// demonstration data, make the first accounts, back up and restore; on the
// embedded file and on a PostgreSQL server.

#include "test_database.h"

#include "db/connection.h"

#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlQuery>
#include <QStandardPaths>
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
    void encryptionKeysWrittenAndShown();
    void initMakesTheFirstAccountsInTheDataFolder();
    void initRefusesBadAccounts_data();
    void initRefusesBadAccounts();
    void backupAndRestoreTheEmbeddedFile();
    void backupAndRestoreOnAServer();
    void commandsTakeAServerList();

private:
    struct Result
    {
        int code;
        QString out;
    };
    Result dbadmin(const QString &folder, const QStringList &arguments,
                   const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment());
    void checkDemo(const DbSettings &settings);
};

TestDbadmin::Result TestDbadmin::dbadmin(const QString &folder, const QStringList &arguments,
                                         const QProcessEnvironment &environment)
{
    QProcess p;
    p.setProcessEnvironment(environment);
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

// The encryption keys are written from their options, an invalid value is
// refused with the file left as it was, and check shows what is configured
// and whether the connection is encrypted.
void TestDbadmin::encryptionKeysWrittenAndShown()
{
    QTemporaryDir folder;
    const QString file = folder.filePath(QStringLiteral("config/config.ini"));
    Result r = dbadmin(folder.path(),
                       {QStringLiteral("write-config"), QStringLiteral("--provider"), QStringLiteral("PostgreSQL"),
                        QStringLiteral("--data-source"), QStringLiteral("db1"), QStringLiteral("--ssl-mode"),
                        QStringLiteral("verify-full"), QStringLiteral("--ssl-ca-file"),
                        QStringLiteral("/etc/nollard/ca.crt")});
    QVERIFY2(r.code == 0, qPrintable(r.out));
    DbSettings read = DbSettings::fromFile(file);
    QCOMPARE(read.sslMode, QStringLiteral("verify-full"));
    QCOMPARE(read.sslCaFile, QStringLiteral("/etc/nollard/ca.crt"));
    auto content = [&file] {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    };
    const QByteArray before = content();
    const QList<QStringList> refused{
        {QStringLiteral("--ssl-mode"), QStringLiteral("verify")},
        {QStringLiteral("--ssl-mode"), QStringLiteral("require")},  // the CA file given would not be used
        {QStringLiteral("--encrypt"), QStringLiteral("mandatory")},
        {QStringLiteral("--trust-server-certificate"), QStringLiteral("maybe")},
    };
    for (const QStringList &options : refused) {
        r = dbadmin(folder.path(), QStringList{QStringLiteral("write-config")} + options);
        QVERIFY2(r.code == 2, qPrintable(options.join(' ') + r.out));
        QVERIFY2(r.out.contains(QStringLiteral("无效")) || r.out.contains(QStringLiteral("SSL CA File")),
                 qPrintable(r.out));
        QCOMPARE(content(), before);
    }

    auto server = TestDatabase::create(DbKind::PostgreSQL);
    if (!server)
        QSKIP("check on a server needs the test script's PostgreSQL server");
    const DbSettings s = server->settings();
    r = dbadmin(folder.path(), {QStringLiteral("write-config"), QStringLiteral("--data-source"), s.dataSource,
                                QStringLiteral("--catalog"), s.initialCatalog, QStringLiteral("--user"), s.userId,
                                QStringLiteral("--password"), s.password, QStringLiteral("--ssl-mode"),
                                QStringLiteral("prefer"), QStringLiteral("--ssl-ca-file"), QString()});
    QVERIFY2(r.code == 0, qPrintable(r.out));
    r = dbadmin(folder.path(), {QStringLiteral("check")});
    QVERIFY2(r.code == 0, qPrintable(r.out));
    // The test server is reached through its socket, which is never encrypted.
    QVERIFY2(r.out.contains(QStringLiteral("encryption: SSL Mode=prefer; in use: none")), qPrintable(r.out));
}

namespace {

QMap<QString, QStringList> accountsIn(const DbSettings &settings)
{
    QMap<QString, QStringList> accounts;
    {
        QSqlDatabase db = openConnection(settings, QStringLiteral("accounts-check"));
        QSqlQuery q(db);
        q.exec(QStringLiteral("select nickname,name,password,typeid,checker,admin from person"));
        while (q.next())
            accounts[q.value(0).toString()] = {q.value(1).toString(), q.value(2).toString(), q.value(3).toString(),
                                               q.value(4).toString(), q.value(5).toString()};
    }
    closeConnection(QStringLiteral("accounts-check"));
    return accounts;
}

}  // namespace

void TestDbadmin::initMakesTheFirstAccountsInTheDataFolder()
{
    // An installed workstation: no configuration where the user stands, the
    // system's names a file of the data folder, which does not exist yet.
    QTemporaryDir root;
    const QString data = root.filePath(QStringLiteral("var/lib/nollard"));
    const QString system = root.filePath(QStringLiteral("etc/nollard/config.ini"));
    QVERIFY(QDir().mkpath(data) && QDir().mkpath(root.filePath(QStringLiteral("home"))));
    DbSettings written;
    written.provider = QStringLiteral("SQLite");
    written.dataSource = QStringLiteral("nollard.db");
    QString error;
    QVERIFY(written.writeFile(system, &error));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("NOLLARD_SYSTEM_CONFIG"), system);
    env.insert(QStringLiteral("NOLLARD_DATA_FOLDER"), data);

    Result r = dbadmin(root.filePath(QStringLiteral("home")),
                       {QStringLiteral("init"), QStringLiteral("--cw-leader"), QStringLiteral(":钱科长:s3cret:1"),
                        QStringLiteral("--finance-leader"), QStringLiteral("boss:冯科长")},
                       env);
    QVERIFY2(r.code == 0, qPrintable(r.out));
    const QString file = data + QStringLiteral("/nollard.db");
    QVERIFY(QFile::exists(file));
    // Shared with the other users of the workstation through the folder's group.
    QVERIFY(QFile::permissions(file).testFlag(QFile::WriteGroup));

    DbSettings s = written;
    s.dataSource = file;
    const QMap<QString, QStringList> accounts = accountsIn(s);
    QCOMPARE(accounts.keys(), (QStringList{QStringLiteral("boss"), QStringLiteral("cjld"), QStringLiteral("cwld")}));
    QCOMPARE(accounts[QStringLiteral("cwld")],
             (QStringList{QStringLiteral("钱科长"), QStringLiteral("s3cret:1"), QStringLiteral("4"),
                          QStringLiteral("1"), QStringLiteral("1")}));
    QCOMPARE(accounts[QStringLiteral("cjld")].at(2), QStringLiteral("6"));
    QCOMPARE(accounts[QStringLiteral("boss")].mid(0, 1), QStringList{QStringLiteral("冯科长")});
    QCOMPARE(accounts[QStringLiteral("boss")].at(2), QStringLiteral("8"));
    // Generated passwords differ and are shown, the once.
    const QString generated = accounts[QStringLiteral("cjld")].at(1);
    QCOMPARE(generated.size(), 8);
    QVERIFY(generated != accounts[QStringLiteral("boss")].at(1));
    for (const QString &login : accounts.keys())
        QVERIFY2(r.out.contains(QStringLiteral("登录名 %1").arg(login)) && r.out.contains(accounts[login].at(1)),
                 qPrintable(r.out));

    // The accounts exist: a second run changes nothing.
    r = dbadmin(root.filePath(QStringLiteral("home")), {QStringLiteral("init")}, env);
    QCOMPARE(r.code, 2);
    QVERIFY2(r.out.contains(QStringLiteral("已有 3 个用户账号")), qPrintable(r.out));
    QCOMPARE(accountsIn(s), accounts);
}

void TestDbadmin::initRefusesBadAccounts_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("message");
    QTest::newRow("a section leader's name wider than 6 bytes")
        << QStringList{QStringLiteral("--cj-leader"), QStringLiteral(":欧阳大海")} << QStringLiteral("超过 6 个字节");
    QTest::newRow("a login wider than 8 bytes")
        << QStringList{QStringLiteral("--cw-leader"), QStringLiteral("chuanwuld:王科长")}
        << QStringLiteral("超过 8 个字节");
    QTest::newRow("a password wider than 8 bytes")
        << QStringList{QStringLiteral("--finance-leader"), QStringLiteral(":冯科长:123456789")}
        << QStringLiteral("密码超过 8 个字节");
    QTest::newRow("one login twice") << QStringList{QStringLiteral("--cw-leader"), QStringLiteral("ld:王科长"),
                                                    QStringLiteral("--cj-leader"), QStringLiteral("ld:吴科长")}
                                     << QStringLiteral("用了两次");
    QTest::newRow("no name part") << QStringList{QStringLiteral("--cw-leader"), QStringLiteral("cwld")}
                                  << QStringLiteral("登录名:真实姓名");
}

void TestDbadmin::initRefusesBadAccounts()
{
    QFETCH(QStringList, options);
    QFETCH(QString, message);
    QTemporaryDir folder;
    DbSettings s;
    s.provider = QStringLiteral("SQLite");
    s.dataSource = QStringLiteral("new.db");
    QString error;
    QVERIFY(s.writeFile(folder.filePath(QStringLiteral("config/config.ini")), &error));
    const Result r = dbadmin(folder.path(), QStringList{QStringLiteral("init")} + options);
    QCOMPARE(r.code, 2);
    QVERIFY2(r.out.contains(message), qPrintable(r.out));
    // Refused before anything was made.
    QVERIFY(!QFile::exists(folder.filePath(QStringLiteral("new.db"))));
}

void TestDbadmin::backupAndRestoreTheEmbeddedFile()
{
    QTemporaryDir folder;
    DbSettings s;
    s.provider = QStringLiteral("SQLite");
    s.dataSource = QStringLiteral("nollard.db");
    QString error;
    QVERIFY(s.writeFile(folder.filePath(QStringLiteral("config/config.ini")), &error));
    Result r = dbadmin(folder.path(), {QStringLiteral("init")});
    QVERIFY2(r.code == 0, qPrintable(r.out));
    s.dataSource = folder.filePath(QStringLiteral("nollard.db"));
    const QMap<QString, QStringList> before = accountsIn(s);
    QCOMPARE(before.size(), 3);

    const QString backup = folder.filePath(QStringLiteral("nightly/nollard-backup.db"));
    QVERIFY(QDir().mkpath(folder.filePath(QStringLiteral("nightly"))));
    r = dbadmin(folder.path(), {QStringLiteral("backup"), backup});
    QVERIFY2(r.code == 0 && r.out.contains(backup), qPrintable(r.out));
    QVERIFY(QFile::exists(backup));

    // Later changes are undone by the restore.
    {
        QSqlDatabase db = openConnection(s, QStringLiteral("change"));
        QVERIFY(QSqlQuery(db).exec(QStringLiteral("delete from person where typeid=8")));
    }
    closeConnection(QStringLiteral("change"));
    QCOMPARE(accountsIn(s).size(), 2);

    // Refused while a program has the database open, and for a file that is
    // no database: the database stays as it is.
    QFile notes(folder.filePath(QStringLiteral("notes.db")));
    QVERIFY(notes.open(QIODevice::WriteOnly));
    notes.write(QByteArray(4096, 'x'));
    notes.close();
    r = dbadmin(folder.path(), {QStringLiteral("restore"), notes.fileName()});
    QCOMPARE(r.code, 2);
    QVERIFY2(r.out.contains(QStringLiteral("不是可以恢复的本系统数据库")), qPrintable(r.out));
    {
        QSqlDatabase open = openConnection(s, QStringLiteral("program"));
        r = dbadmin(folder.path(), {QStringLiteral("restore"), backup});
        QCOMPARE(r.code, 2);
        QVERIFY2(r.out.contains(QStringLiteral("正在使用中")), qPrintable(r.out));
    }
    closeConnection(QStringLiteral("program"));
    QCOMPARE(accountsIn(s).size(), 2);

    r = dbadmin(folder.path(), {QStringLiteral("restore"), backup});
    QVERIFY2(r.code == 0, qPrintable(r.out));
    QCOMPARE(accountsIn(s), before);

    r = dbadmin(folder.path(), {QStringLiteral("backup")});
    QCOMPARE(r.code, 2);
}

void TestDbadmin::backupAndRestoreOnAServer()
{
    FIXTURE(server, DbKind::PostgreSQL, TestDatabase::create, false);
    if (QStandardPaths::findExecutable(QStringLiteral("pg_dump")).isEmpty())
        QSKIP("pg_dump is not installed");
    const DbSettings s = server->settings();
    QTemporaryDir folder;
    QString error;
    QVERIFY(s.writeFile(folder.filePath(QStringLiteral("config/config.ini")), &error));
    // An empty server database gets its tables and accounts in one go.
    Result r = dbadmin(folder.path(), {QStringLiteral("init")});
    QVERIFY2(r.code == 0, qPrintable(r.out));
    const QMap<QString, QStringList> before = accountsIn(s);
    QCOMPARE(before.size(), 3);

    const QString backup = folder.filePath(QStringLiteral("nollard.dump"));
    r = dbadmin(folder.path(), {QStringLiteral("backup"), backup});
    QVERIFY2(r.code == 0, qPrintable(r.out));
    server->exec(QStringLiteral("delete from person where typeid=4"));
    server->exec(QStringLiteral("insert into company (name) values ('after the backup')"));

    // While another session uses the database, nothing is restored.
    r = dbadmin(folder.path(), {QStringLiteral("restore"), backup});
    QCOMPARE(r.code, 2);
    QVERIFY2(r.out.contains(QStringLiteral("正在使用中")), qPrintable(r.out));
    closeConnection(QStringLiteral("test-check"));
    // Nor from a file that is no archive of pg_dump.
    QFile notes(folder.filePath(QStringLiteral("notes.dump")));
    QVERIFY(notes.open(QIODevice::WriteOnly));
    notes.write("not an archive");
    notes.close();
    r = dbadmin(folder.path(), {QStringLiteral("restore"), notes.fileName()});
    QCOMPARE(r.code, 2);
    QCOMPARE(accountsIn(s).size(), 2);

    r = dbadmin(folder.path(), {QStringLiteral("restore"), backup});
    QVERIFY2(r.code == 0, qPrintable(r.out));
    QCOMPARE(accountsIn(s), before);
    {
        QSqlDatabase db = openConnection(s, QStringLiteral("company-check"));
        QSqlQuery q(db);
        QVERIFY(q.exec(QStringLiteral("select count(*) from company")) && q.next());
        QCOMPARE(q.value(0).toInt(), 0);
    }
    closeConnection(QStringLiteral("company-check"));
}

// A primary and its standby named together: here the first server is down
// (nothing listens on its port), and every command reaches the second, the
// server programs of backup and restore too. The file keeps the list as typed.
void TestDbadmin::commandsTakeAServerList()
{
    FIXTURE(server, DbKind::PostgreSQL, TestDatabase::create, false);
    if (QStandardPaths::findExecutable(QStringLiteral("pg_dump")).isEmpty())
        QSKIP("pg_dump is not installed");
    const DbSettings s = server->settings();
    const QString list = QStringLiteral("127.0.0.1:1,") + s.dataSource;
    QTemporaryDir folder;
    Result r = dbadmin(folder.path(),
                       {QStringLiteral("write-config"), QStringLiteral("--provider"), s.provider,
                        QStringLiteral("--data-source"), list, QStringLiteral("--catalog"), s.initialCatalog,
                        QStringLiteral("--user"), s.userId, QStringLiteral("--password"), QString()});
    QVERIFY2(r.code == 0, qPrintable(r.out));
    QCOMPARE(DbSettings::fromFile(folder.filePath(QStringLiteral("config/config.ini"))).dataSource, list);
    r = dbadmin(folder.path(), {QStringLiteral("check")});
    QVERIFY2(r.code == 0 && r.out.contains(QStringLiteral("Data Source=") + list), qPrintable(r.out));
    r = dbadmin(folder.path(), {QStringLiteral("create-schema")});
    QVERIFY2(r.code == 0, qPrintable(r.out));
    r = dbadmin(folder.path(), {QStringLiteral("load-demo")});
    QVERIFY2(r.code == 0, qPrintable(r.out));
    checkDemo(s);

    const QString backup = folder.filePath(QStringLiteral("nollard.dump"));
    r = dbadmin(folder.path(), {QStringLiteral("backup"), backup});
    QVERIFY2(r.code == 0 && QFileInfo(backup).size() > 0, qPrintable(r.out));
    const QVariant companies = server->scalar(QStringLiteral("select count(*) from company"));
    server->exec(QStringLiteral("delete from company"));
    closeConnection(QStringLiteral("test-check"));
    r = dbadmin(folder.path(), {QStringLiteral("restore"), backup});
    QVERIFY2(r.code == 0, qPrintable(r.out));
    QVERIFY(companies.toInt() > 0);
    QSqlQuery q(server->connection(QStringLiteral("after-restore")));
    QVERIFY(q.exec(QStringLiteral("select count(*) from company")) && q.next());
    QCOMPARE(q.value(0), companies);
}

QTEST_GUILESS_MAIN(TestDbadmin)
#include "tst_dbadmin.moc"
