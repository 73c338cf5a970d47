// Bringing an existing database to the current schema: from the tables an
// administration brings (filled with the demonstration data) and from our
// earlier schema, on the embedded file and on a PostgreSQL server; by the
// operation and by `dbadmin upgrade` / `dbadmin check` as an administrator runs them.

#include "notice_row.h"
#include "test_database.h"

#include "db/connection.h"
#include "db/counter.h"
#include "db/db_error.h"
#include "db/schema.h"
#include "db/schema_upgrade.h"
#include "db/schema_version.h"
#include "db/user_refusal.h"
#include "demo_data.h"

#include <QFile>
#include <QProcess>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QString dataFile(DbKind kind)
{
    return QStringLiteral(TEST_DATA_DIR "/original_tables_%1.sql").arg(kindName(kind));
}

// A database made to the administration's original tables.
std::unique_ptr<TestDatabase> originalDatabase(DbKind kind, bool withDemo = true)
{
    auto t = TestDatabase::create(kind, false);
    if (!t)
        return t;
    QFile file(dataFile(kind));
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot read %s", qPrintable(file.fileName()));
    QSqlDatabase db = t->connection();
    runSchemaStatements(db, schemaStatements(QString::fromUtf8(file.readAll())));
    if (withDemo)
        loadDemoData(db);
    return t;
}

// Every row of the twelve tables, in the columns the original tables have,
// as sorted text: what an upgrade must keep.
QStringList contents(QSqlDatabase db)
{
    QStringList rows;
    for (const QString &table : systemTables()) {
        QSqlQuery q(db);
        if (!q.exec(QStringLiteral("select * from %1").arg(table)))
            return {QStringLiteral("cannot read ") + table};
        while (q.next()) {
            const QSqlRecord r = q.record();
            QStringList fields;
            for (int i = 0; i < r.count(); ++i) {
                const QString name = r.fieldName(i).toLower();
                if (name == QLatin1String("lineid") || name == QLatin1String("revision")
                    || name == QLatin1String("onerow"))
                    continue;
                QVariant v = r.value(i);
                // The current schema keeps times to the second (PostgreSQL rounds).
                if (v.typeId() == QMetaType::QDateTime)
                    v = v.toDateTime().addMSecs(500).toString(Qt::ISODate);
                if (v.typeId() == QMetaType::Bool)
                    v = int(v.toBool());
                fields << name + QLatin1Char('=') + (v.isNull() ? QStringLiteral("null") : v.toString());
            }
            fields.sort();
            rows << table + QLatin1Char(':') + fields.join(QLatin1Char('|'));
        }
    }
    rows.sort();
    return rows;
}

QStringList columnsOf(QSqlDatabase db, const QString &table)
{
    const QSqlRecord r = db.record(table);
    QStringList names;
    for (int i = 0; i < r.count(); ++i)
        names << r.fieldName(i).toLower();
    return names;
}

// Statements that change the schema, which a server will not prepare.
void ddl(QSqlDatabase db, const QString &sql)
{
    QSqlQuery q(db);
    if (!q.exec(sql))
        qFatal("%s: %s", qPrintable(sql), qPrintable(q.lastError().text()));
}

QString writeConfig(const QTemporaryDir &folder, const DbSettings &s)
{
    QString error;
    if (!s.writeFile(folder.filePath(QStringLiteral("config/config.ini")), &error))
        qFatal("%s", qPrintable(error));
    return folder.path();
}

struct Run
{
    int code;
    QString out;
};

Run dbadmin(const QString &folder, const QString &command)
{
    QProcess p;
    p.setWorkingDirectory(folder);
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(QStringLiteral(DBADMIN_PATH), {command, QStringLiteral("--schema-dir"), TestDatabase::schemaFolder()});
    if (!p.waitForFinished(120000))
        return {-1, QStringLiteral("dbadmin did not finish")};
    return {p.exitCode(), QString::fromUtf8(p.readAll())};
}

}  // namespace

class TestSchemaUpgrade : public QObject
{
    Q_OBJECT
private slots:
    void originalTablesBecomeCurrent_data() { addKindRows(); }
    void originalTablesBecomeCurrent();
    void refusesRepeatedNumbersUnchanged_data() { addKindRows(); }
    void refusesRepeatedNumbersUnchanged();
    void earlierVersionKeepsLineKeys_data() { addKindRows(); }
    void earlierVersionKeepsLineKeys();
    void version2GainsHistory_data() { addKindRows(); }
    void version2GainsHistory();
    void version3GainsMasterDataTrail_data() { addKindRows(); }
    void version3GainsMasterDataTrail();
    void notADatabaseOfTheSystem();
    void valuesFromElsewhere_data() { addKindRows(); }
    void valuesFromElsewhere();
};

void TestSchemaUpgrade::originalTablesBecomeCurrent()
{
    QFETCH(int, kind);
    FIXTURE(t, DbKind(kind), originalDatabase);
    QSqlDatabase db = t->connection();
    const QStringList before = contents(db);
    QVERIFY(before.size() > 100);
    QCOMPARE(schemaVersionOf(db), 0);
    // The program tells the user at start instead of failing at the first fee line.
    try {
        requireCurrentSchema(db);
        QFAIL("an old schema was accepted");
    } catch (const UserRefusal &e) {
        QVERIFY2(e.message().contains(QStringLiteral("dbadmin upgrade")), qPrintable(e.message()));
    }

    QTemporaryDir folder;
    writeConfig(folder, t->settings());
    Run r = dbadmin(folder.path(), QStringLiteral("check"));
    QVERIFY2(r.code == 0 && r.out.contains(QStringLiteral("run dbadmin upgrade")), qPrintable(r.out));
    r = dbadmin(folder.path(), QStringLiteral("upgrade"));
    QVERIFY2(r.code == 0 && r.out.contains(QStringLiteral("from version 0 to %1").arg(kSchemaVersion)),
             qPrintable(r.out));

    db = t->connection(QStringLiteral("after"));
    QCOMPARE(schemaVersionOf(db), kSchemaVersion);
    requireCurrentSchema(db);
    QCOMPARE(contents(db), before);
    // The tables are those of a new database, column for column.
    auto fresh = TestDatabase::create(DbKind(kind));
    for (const QString &table : systemTables())
        QCOMPARE(columnsOf(db, table), columnsOf(fresh->connection(QStringLiteral("fresh")), table));
    QVERIFY(!db.tables().join(QLatin1Char(' ')).contains(QStringLiteral("upgrade_old")));

    // The keys of the current schema hold from now on.
    QSqlQuery q(db);
    const QString billed = t->scalar(QStringLiteral("select max(billcode) from notice")).toString();
    QVERIFY(!billed.isEmpty());
    QVERIFY(!NoticeRow(QStringLiteral("9000001")).billcode(billed).tryInsert(db));
    QVERIFY(!q.exec(QStringLiteral("insert into person (name,nickname) values ('某','cjld')")));
    QVERIFY(!q.exec(QStringLiteral("insert into company (name) select name from company")));
    QVERIFY(!q.exec(QStringLiteral("insert into counter (id) values (5)")));
    // The counter goes on from where the old database left it; fee lines get keys.
    QCOMPARE(takeCounterValue(db, CounterColumn::Id), 17);
    QCOMPARE(t->scalar(QStringLiteral("select count(distinct lineid) from itemofnotice")).toInt(),
             t->scalar(QStringLiteral("select count(*) from itemofnotice")).toInt());
    // The number search finds the carried notices through its index.
    QCOMPARE(t->scalar(QStringLiteral("select count(*) from notice where ID like '%0000%'")).toInt(), 16);
    if (DbKind(kind) == DbKind::SQLite)
        QCOMPARE(t->scalar(QStringLiteral("select count(*) from notice_search where notice_search match '\"0000\"'"))
                     .toInt(),
                 16);

    // A second run finds nothing to do.
    r = dbadmin(folder.path(), QStringLiteral("upgrade"));
    QVERIFY2(r.code == 0 && r.out.contains(QStringLiteral("nothing to do")), qPrintable(r.out));
    QCOMPARE(contents(db).size(), before.size());
}

void TestSchemaUpgrade::refusesRepeatedNumbersUnchanged()
{
    QFETCH(int, kind);
    FIXTURE(t, DbKind(kind), originalDatabase);
    // Rows the old tables let in: a bill number given twice, a login name
    // used twice, a company listed twice.
    const QString billed =
        t->scalar(QStringLiteral("select min(billcode) from notice where billcode <> ''")).toString();
    const QString holder = t->scalar(QStringLiteral("select ID from notice where billcode=?"), {billed}).toString();
    t->exec(QStringLiteral("insert into notice (ID,status,billcode) values ('0999999',5,?)"), {billed});
    t->exec(QStringLiteral("insert into notice (ID,status,billcode) values ('0999998',1,'')"));
    t->exec(QStringLiteral("insert into person (name,nickname,password,typeid) values ('重名','cw','x',3)"));
    t->exec(QStringLiteral("insert into company (name) values ('海安船务公司')"));
    QSqlDatabase db = t->connection();
    const QStringList before = contents(db);
    const QStringList tablesBefore = db.tables();

    QTemporaryDir folder;
    writeConfig(folder, t->settings());
    Run r = dbadmin(folder.path(), QStringLiteral("upgrade"));
    QCOMPARE(r.code, 2);
    for (const QString &expected :
         {QStringLiteral("bill number '%1' is held by 2 rows (ID %2, 0999999)").arg(billed, holder),
          QStringLiteral("login name 'cw' is held by 2 rows"),
          QStringLiteral("company '海安船务公司' is held by 2 rows"), QStringLiteral("unchanged")})
        QVERIFY2(r.out.contains(expected), qPrintable(expected + QStringLiteral("\n") + r.out));
    // Empty bill numbers are no repeats.
    QVERIFY2(!r.out.contains(QStringLiteral("bill number ''")), qPrintable(r.out));

    // Not half done: the tables and rows are as they were.
    db = t->connection(QStringLiteral("after"));
    QCOMPARE(schemaVersionOf(db), 0);
    QCOMPARE(db.tables(), tablesBefore);
    QCOMPARE(contents(db), before);

    // The check reports the same rows instead of indexing them away.
    r = dbadmin(folder.path(), QStringLiteral("check"));
    QCOMPARE(r.code, 3);
    QVERIFY2(r.out.contains(QStringLiteral("bill number '%1'").arg(billed)), qPrintable(r.out));

    // Mended, the upgrade goes through.
    t->exec(QStringLiteral("update notice set billcode='9999999' where ID='0999999'"));
    t->exec(QStringLiteral("delete from person where name='重名'"));
    t->exec(QStringLiteral("delete from company where name='海安船务公司'"));
    t->exec(QStringLiteral("insert into company (name) values ('海安船务公司')"));
    r = dbadmin(folder.path(), QStringLiteral("upgrade"));
    QVERIFY2(r.code == 0, qPrintable(r.out));
}

void TestSchemaUpgrade::earlierVersionKeepsLineKeys()
{
    QFETCH(int, kind);
    // Our schema before the version was recorded: the current one without
    // what came with the version.
    FIXTURE(t, DbKind(kind), TestDatabase::create);
    QSqlDatabase db = t->connection();
    ddl(db, QStringLiteral("drop table schemaversion"));
    ddl(db, QStringLiteral("drop table notice_history"));
    ddl(db, QStringLiteral("drop index notice_billcode_unique"));
    if (DbKind(kind) == DbKind::SQLite) {
        for (const char *trigger : {"insert", "delete", "update"})
            ddl(db, QStringLiteral("drop trigger notice_search_%1").arg(QLatin1String(trigger)));
        ddl(db, QStringLiteral("drop table notice_search"));
    } else {
        ddl(db, QStringLiteral("drop index notice_id_trgm"));
    }
    loadDemoData(db);
    QCOMPARE(schemaVersionOf(db), 1);
    t->exec(QStringLiteral("delete from itemofnotice where lineid < 10"));
    const int lastLine = t->scalar(QStringLiteral("select max(lineid) from itemofnotice")).toInt();
    const QStringList before = contents(db);
    t->exec(QStringLiteral("update notice set revision=4 where ID='0000001'"));

    const UpgradeOutcome outcome = upgradeSchema(db, TestDatabase::schemaFolder());
    QVERIFY(outcome.changed);
    QCOMPARE(outcome.fromVersion, 1);
    QCOMPARE(schemaVersionOf(db), kSchemaVersion);
    QCOMPARE(contents(db), before);
    // Keys and revisions stay what they were; new fee lines number on from the last.
    QCOMPARE(t->scalar(QStringLiteral("select min(lineid) from itemofnotice")).toInt(), 10);
    QCOMPARE(t->scalar(QStringLiteral("select revision from notice where ID='0000001'")).toInt(), 4);
    t->exec(QStringLiteral("insert into itemofnotice (ID,itemname) values ('0000001','新')"));
    QCOMPARE(t->scalar(QStringLiteral("select lineid from itemofnotice where itemname='新'")).toInt(), lastLine + 1);
    QVERIFY(!upgradeSchema(db, TestDatabase::schemaFolder()).changed);
}

void TestSchemaUpgrade::version2GainsHistory()
{
    QFETCH(int, kind);
    // Version 2: the current schema without the notices' history.
    FIXTURE(t, DbKind(kind), TestDatabase::create);
    QSqlDatabase db = t->connection();
    ddl(db, QStringLiteral("drop table notice_history"));
    t->exec(QStringLiteral("update schemaversion set version=2"));
    loadDemoData(db);
    QCOMPARE(schemaVersionOf(db), 2);
    const QStringList before = contents(db);

    QTemporaryDir folder;
    writeConfig(folder, t->settings());
    const Run r = dbadmin(folder.path(), QStringLiteral("upgrade"));
    QVERIFY2(r.code == 0 && r.out.contains(QStringLiteral("from version 2 to %1").arg(kSchemaVersion)),
             qPrintable(r.out));
    db = t->connection(QStringLiteral("after"));
    QCOMPARE(schemaVersionOf(db), kSchemaVersion);
    QCOMPARE(contents(db), before);
    auto fresh = TestDatabase::create(DbKind(kind));
    QCOMPARE(columnsOf(db, QStringLiteral("notice_history")),
             columnsOf(fresh->connection(QStringLiteral("fresh")), QStringLiteral("notice_history")));
    t->exec(QStringLiteral("insert into notice_history (ID,acted_at,action) values ('0000001',?,'新建')"),
            {QDateTime::currentDateTime()});
    QCOMPARE(t->scalar(QStringLiteral("select count(*) from notice_history")).toInt(), 1);
}

void TestSchemaUpgrade::version3GainsMasterDataTrail()
{
    QFETCH(int, kind);
    // Version 3: the current schema without the master data trail; the
    // notices' history it holds is carried over.
    FIXTURE(t, DbKind(kind), TestDatabase::create);
    QSqlDatabase db = t->connection();
    ddl(db, QStringLiteral("drop table masterdata_audit"));
    t->exec(QStringLiteral("update schemaversion set version=3"));
    loadDemoData(db);
    t->exec(QStringLiteral("insert into notice_history (ID,acted_at,action) values ('0000001',?,'新建')"),
            {QDateTime::currentDateTime()});
    QCOMPARE(schemaVersionOf(db), 3);
    const QStringList before = contents(db);

    QTemporaryDir folder;
    writeConfig(folder, t->settings());
    const Run r = dbadmin(folder.path(), QStringLiteral("upgrade"));
    QVERIFY2(r.code == 0 && r.out.contains(QStringLiteral("from version 3 to %1").arg(kSchemaVersion)),
             qPrintable(r.out));
    db = t->connection(QStringLiteral("after"));
    QCOMPARE(schemaVersionOf(db), kSchemaVersion);
    QCOMPARE(contents(db), before);
    QCOMPARE(t->scalar(QStringLiteral("select count(*) from notice_history")).toInt(), 1);
    auto fresh = TestDatabase::create(DbKind(kind));
    QCOMPARE(columnsOf(db, QStringLiteral("masterdata_audit")),
             columnsOf(fresh->connection(QStringLiteral("fresh")), QStringLiteral("masterdata_audit")));
    t->exec(QStringLiteral(
                "insert into masterdata_audit (acted_at,tablename,rowkey,action) values (?,'person','cw','修改')"),
            {QDateTime::currentDateTime()});
    QCOMPARE(t->scalar(QStringLiteral("select count(*) from masterdata_audit")).toInt(), 1);
}

void TestSchemaUpgrade::notADatabaseOfTheSystem()
{
    auto t = TestDatabase::create(DbKind::SQLite, false);
    QSqlDatabase db = t->connection();
    QCOMPARE(schemaVersionOf(db), kNoSchema);
    QVERIFY_THROWS_EXCEPTION(UserRefusal, upgradeSchema(db, TestDatabase::schemaFolder()));
    // A database newer than the program is not touched either.
    createSchema(db, TestDatabase::schemaFolder());
    t->exec(QStringLiteral("update schemaversion set version=%1").arg(kSchemaVersion + 1));
    QVERIFY_THROWS_EXCEPTION(UserRefusal, upgradeSchema(db, TestDatabase::schemaFolder()));
    QVERIFY(schemaMismatchMessage(kSchemaVersion + 1).contains(QStringLiteral("新版本")));
}

// A current database holding what another tool wrote: the same bill number
// in two texts, and (on the embedded file, whose dates are texts) dates in
// other forms. The check reports them; the upgrade refuses while a number is
// held twice or a date cannot be read unambiguously, then rewrites the dates
// it can read, reporting each.
void TestSchemaUpgrade::valuesFromElsewhere()
{
    FIXTURE(t, rowKind(), TestDatabase::create);
    const bool textDates = rowKind() == DbKind::SQLite;
    NoticeRow(QStringLiteral("1000001")).status(5).billcode(QStringLiteral("0000005")).insert(t->connection());
    NoticeRow(QStringLiteral("1000002")).status(5).billcode(QStringLiteral("5")).insert(t->connection());
    const QMap<QString, QString> dates{{QStringLiteral("1000003"), QStringLiteral("2025/4/4 9:30:00")},
                                       {QStringLiteral("1000004"), QStringLiteral("2025-4-5")},
                                       {QStringLiteral("1000005"), QStringLiteral("4/5/2025")}};
    if (textDates)
        for (auto it = dates.cbegin(); it != dates.cend(); ++it) {
            NoticeRow(it.key()).status(4).insert(t->connection());
            t->exec(QStringLiteral("update notice set Rdate=? where ID=?"), {it.value(), it.key()});
        }

    QTemporaryDir folder;
    writeConfig(folder, t->settings());
    Run r = dbadmin(folder.path(), QStringLiteral("check"));
    QCOMPARE(r.code, 3);
    QStringList expected{QStringLiteral("bill number 5 is held as '0000005' (ID 1000001) and '5' (ID 1000002)")};
    if (textDates)
        expected << QStringLiteral("'4/5/2025' of notice 1000005 cannot be read as a date unambiguously")
                 << QStringLiteral("'2025/4/4 9:30:00' of notice 1000003 is not in the program's form; "
                                   "dbadmin upgrade writes it as '2025-04-04T09:30:00.000'");
    for (const QString &line : expected)
        QVERIFY2(r.out.contains(line), qPrintable(line + QStringLiteral("\n") + r.out));

    const QStringList before = contents(t->connection());
    r = dbadmin(folder.path(), QStringLiteral("upgrade"));
    if (textDates) {
        QCOMPARE(r.code, 2);
        for (const QString &line : expected.mid(0, 2))
            QVERIFY2(r.out.contains(line), qPrintable(line + QStringLiteral("\n") + r.out));
        QCOMPARE(contents(t->connection(QStringLiteral("refused"))), before);
    }

    t->exec(QStringLiteral("update notice set billcode='0000006' where ID='1000002'"));
    if (textDates)
        t->exec(QStringLiteral("update notice set Rdate='2025-04-05 10:00' where ID='1000005'"));
    r = dbadmin(folder.path(), QStringLiteral("check"));
    QCOMPARE(r.code, textDates ? 3 : 0);
    r = dbadmin(folder.path(), QStringLiteral("upgrade"));
    QVERIFY2(r.code == 0, qPrintable(r.out));
    if (!textDates)
        return;
    QVERIFY2(r.out.contains(QStringLiteral("notice 1000003: date '2025/4/4 9:30:00' written as "
                                           "'2025-04-04T09:30:00.000'")),
             qPrintable(r.out));
    const QMap<QString, QString> written{{QStringLiteral("1000003"), QStringLiteral("2025-04-04T09:30:00.000")},
                                         {QStringLiteral("1000004"), QStringLiteral("2025-04-05T00:00:00.000")},
                                         {QStringLiteral("1000005"), QStringLiteral("2025-04-05T10:00:00.000")}};
    for (auto it = written.cbegin(); it != written.cend(); ++it)
        QCOMPARE(t->scalar(QStringLiteral("select Rdate from notice where ID=?"), {it.key()}).toString(), it.value());
    r = dbadmin(folder.path(), QStringLiteral("check"));
    QVERIFY2(r.code == 0, qPrintable(r.out));
}

QTEST_GUILESS_MAIN(TestSchemaUpgrade)
#include "tst_schema_upgrade.moc"
