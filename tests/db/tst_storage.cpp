// The schema, the counter, login and the shared queries on a real SQLite file
// and a real PostgreSQL server.

#include "message_recorder.h"
#include "notice_row.h"
#include "test_database.h"

#include "db/connection.h"
#include "db/counter.h"
#include "db/db_error.h"
#include "db/named_query.h"
#include "db/schema.h"
#include "db/tdm.h"
#include "masterdata/configure.h"
#include "session/login_operation.h"

#include <QSqlQuery>
#include <QtTest>

class TestStorage : public QObject
{
    Q_OBJECT
private slots:
    void schema_data() { addKindRows(); }
    void schema();
    void counter_data() { addKindRows(); }
    void counter();
    void login_data();
    void login();
    void buildtypeRefusesEmptyName_data() { addKindRows(); }
    void buildtypeRefusesEmptyName();
    void reopenRepeatsStatement_data() { addKindRows(); }
    void reopenRepeatsStatement();
    void notADatabaseFile();
    void missingDatabaseFile();
    void unreachableServer();
};

void TestStorage::schema()
{
    FIXTURE(t, rowKind(), TestDatabase::create);
    QSqlDatabase db = t->connection();
    for (const QString &table : systemTables())
        QVERIFY2(db.tables().contains(table, Qt::CaseInsensitive), qPrintable(table));
    QCOMPARE(t->scalar(QStringLiteral("select count(*) from counter")).toInt(), 1);

    // What the program relies on is enforced by the database itself.
    QSqlQuery q(db);
    QVERIFY(!q.exec(QStringLiteral("insert into counter (onerow,id) values (2,5)")));
    t->exec(QStringLiteral("insert into person (name,nickname,password,typeid) values ('甲','same','1',3)"));
    QVERIFY(!q.exec(QStringLiteral("insert into person (name,nickname,password,typeid) values ('乙','same','2',5)")));
    NoticeRow(QStringLiteral("0000001")).status(1).insert(db);
    QVERIFY(!NoticeRow(QStringLiteral("0000001")).status(2).tryInsert(db));

    // Fee lines get their own key; month columns named by number work.
    t->exec(QStringLiteral("insert into itemofnotice (ID,itemname) values ('0000001','a')"));
    t->exec(QStringLiteral("insert into itemofnotice (ID,itemname) values ('0000001','b')"));
    QCOMPARE(t->scalar(QStringLiteral("select count(distinct lineid) from itemofnotice")).toInt(), 2);
    t->exec(QStringLiteral("insert into statistic (year,department,\"3\") values ('2026','船务科',12.5)"));
    QCOMPARE(t->scalar(QStringLiteral("select \"3\" from statistic where year='2026'")).toDouble(), 12.5);
    // A text of the full width in Chinese is stored whole.
    t->exec(QStringLiteral("update notice set shipname=? where ID='0000001'"),
            {QStringLiteral("一二三四五六七八九十一二三四五六七八九十一二三四五")});
    QCOMPARE(t->scalar(QStringLiteral("select shipname from notice")).toString(),
             QStringLiteral("一二三四五六七八九十一二三四五六七八九十一二三四五"));
}

void TestStorage::counter()
{
    FIXTURE(t, rowKind(), TestDatabase::create);
    QSqlDatabase db = t->connection();
    t->exec(QStringLiteral("update counter set id=41, billcode=100, ordercj=7"));
    QCOMPARE(takeCounterValue(db, CounterColumn::Id), 41);
    QCOMPARE(takeCounterValue(db, CounterColumn::Id), 42);
    QCOMPARE(t->scalar(QStringLiteral("select id from counter")).toInt(), 43);
    QCOMPARE(takeCounterValue(db, CounterColumn::BillCode), 100);
    // The catalogue order numbers record the value last given.
    QCOMPARE(advanceCounter(db, CounterColumn::OrderCj), 8);
    QCOMPARE(t->scalar(QStringLiteral("select ordercj from counter")).toInt(), 8);
    // Nothing is left open: a write on another connection goes through at once.
    QSqlDatabase other = t->connection(QStringLiteral("other"));
    QSqlQuery q(other);
    QVERIFY2(q.exec(QStringLiteral("update counter set ordercw=3")), qPrintable(q.lastError().text()));

    t->exec(QStringLiteral("delete from counter"));
    QVERIFY_THROWS_EXCEPTION(DbError, takeCounterValue(db, CounterColumn::Id));
}

void TestStorage::login_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("nickname");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("expectedName");  // empty: nobody logs in
    const QList<QList<QString>> cases{
        {"right", "cjld", "pw6", "吴科长"},
        {"wrong password", "cjld", "pw", ""},
        {"unknown user", "nobody", "pw6", ""},
        {"quote in name", "o'neil", "q'1", "欧尼尔"},
        {"quote injection", "cjld' --", "x", ""},
        {"or injection", "x' or '1'='1", "x' or '1'='1", ""},
        {"percent", "%", "%", ""},
        {"statement", "a'; delete from person; --", "x", ""},
    };
    for (DbKind kind : testedKinds())
        for (const auto &c : cases)
            QTest::newRow(qPrintable(kindName(kind) + QLatin1Char(' ') + c[0])) << int(kind) << c[1] << c[2] << c[3];
}

void TestStorage::login()
{
    QFETCH(QString, nickname);
    QFETCH(QString, password);
    QFETCH(QString, expectedName);
    FIXTURE(t, rowKind(), TestDatabase::create);
    t->exec(QStringLiteral("insert into person (name,nickname,password,typeid,checker,admin) values (?,?,?,?,?,?)"),
            {QStringLiteral("吴科长"), QStringLiteral("cjld"), QStringLiteral("pw6"), 6, 1, 2});
    t->exec(QStringLiteral("insert into person (name,nickname,password,typeid,checker,admin) values (?,?,?,?,?,?)"),
            {QStringLiteral("欧尼尔"), QStringLiteral("o'neil"), QStringLiteral("q'1"), 9, 0, 1});

    Tdm dm(t->settings(), QStringLiteral("login-test"));
    dm.DataModuleCreate();
    const std::optional<UserRecord> user = findAccount(*dm.aq_login, nickname, password);
    QVERIFY(!dm.aq_login->isActive());  // closed at the end in both cases
    QCOMPARE(user.has_value(), !expectedName.isEmpty());
    QCOMPARE(t->scalar(QStringLiteral("select count(*) from person")).toInt(), 2);
    if (!user)
        return;
    QCOMPARE(user->userName, expectedName);
    QCOMPARE(user->nickname, nickname);
    QCOMPARE(user->password, password);
    if (nickname == QLatin1String("cjld")) {
        QCOMPARE(user->typeId, 6);
        QCOMPARE(user->isChecker, 1);
        QCOMPARE(user->isAdmin, 2);
        QVERIFY(!user->hasBillRight());
        QCOMPARE(user->identity, QStringLiteral("船检科领导"));
        QCOMPARE(user->department, QStringLiteral("船检科"));
    } else {
        QCOMPARE(user->identity, QStringLiteral("非本系统人员"));
        QCOMPARE(user->department, QStringLiteral("无效"));
    }
}

void TestStorage::buildtypeRefusesEmptyName()
{
    FIXTURE(t, rowKind(), TestDatabase::create);
    MessageRecorder shown;
    Tdm dm(t->settings(), QStringLiteral("buildtype-test"));
    dm.DataModuleCreate();
    masterdata::configure(dm);
    NamedQuery &q = *dm.aq_buildtype;
    q.open(QStringLiteral("select * from buildtype order by name"));
    q.insert();
    q.setValue(QStringLiteral("name"), QString());
    QVERIFY(!q.post());
    QCOMPARE(q.state(), NamedQuery::State::Inserting);  // still editing, the user can type a name
    QCOMPARE(t->scalar(QStringLiteral("select count(*) from buildtype")).toInt(), 0);
    QVERIFY(shown.all().isEmpty());

    q.setValue(QStringLiteral("name"), QStringLiteral("新建船舶"));
    QVERIFY(q.post());
    QCOMPARE(q.state(), NamedQuery::State::Browsing);
    QCOMPARE(t->scalar(QStringLiteral("select name from buildtype")).toString(), QStringLiteral("新建船舶"));
    QCOMPARE(q.value(QStringLiteral("name")).toString(), QStringLiteral("新建船舶"));

    // Editing an existing row to an empty name is refused the same way.
    q.edit();
    q.setValue(QStringLiteral("name"), QString());
    QVERIFY(!q.post());
    QCOMPARE(t->scalar(QStringLiteral("select name from buildtype")).toString(), QStringLiteral("新建船舶"));
}

void TestStorage::reopenRepeatsStatement()
{
    FIXTURE(t, rowKind(), TestDatabase::create);
    Tdm dm(t->settings(), QStringLiteral("reopen-test"));
    dm.DataModuleCreate();
    NamedQuery &q = *dm.aq_notice;
    NoticeRow(QStringLiteral("1000001")).status(1).department(QStringLiteral("船检科")).insert(t->connection());
    q.open(QStringLiteral("select * from notice where department=? and status=1"), {QStringLiteral("船检科")});
    QCOMPARE(q.rowCount(), 1);
    QCOMPARE(q.value(QStringLiteral("id")).toString(), QStringLiteral("1000001"));  // any letter case
    NoticeRow(QStringLiteral("1000002")).status(1).department(QStringLiteral("船检科")).insert(t->connection());
    t->exec(QStringLiteral("update notice set status=2 where ID='1000001'"));
    q.close();
    QVERIFY(!q.isActive());
    q.reopen();
    QCOMPARE(q.rowCount(), 1);
    QCOMPARE(q.value(QStringLiteral("ID")).toString(), QStringLiteral("1000002"));
}

void TestStorage::notADatabaseFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("notes.db"));
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(4096, 'x'));
    f.close();
    DbSettings s;
    s.provider = QStringLiteral("SQLite");
    s.dataSource = path;
    try {
        openConnection(s, QStringLiteral("bad-file"));
        QFAIL("a file that is no database was opened");
    } catch (const DbError &e) {
        QVERIFY2(e.message().contains(QStringLiteral("not a database")), qPrintable(e.message()));
        QVERIFY(e.message().contains(QStringLiteral("notes.db")));
    }
    // Later statements on that connection fail with a message too.
    Tdm dm(s, QStringLiteral("bad-file-tdm"));
    QVERIFY_THROWS_EXCEPTION(DbError, dm.DataModuleCreate());
    QVERIFY_THROWS_EXCEPTION(DbError, findAccount(*dm.aq_login, QStringLiteral("a"), QStringLiteral("b")));
}

void TestStorage::missingDatabaseFile()
{
    QTemporaryDir dir;
    DbSettings s;
    s.provider = QStringLiteral("SQLite");
    s.dataSource = dir.filePath(QStringLiteral("absent.db"));
    QVERIFY_THROWS_EXCEPTION(DbError, openConnection(s, QStringLiteral("absent")));
    QVERIFY(!QFile::exists(s.dataSource));  // the program makes no empty database by mistake
}

void TestStorage::unreachableServer()
{
    DbSettings s;
    s.provider = QStringLiteral("PostgreSQL");
    s.dataSource = QStringLiteral("127.0.0.1:9");  // nothing listens on the discard port
    s.initialCatalog = QStringLiteral("nollard");
    Tdm dm(s, QStringLiteral("unreachable"));
    try {
        dm.DataModuleCreate();
        QFAIL("connected to nothing");
    } catch (const DbError &e) {
        QVERIFY(!e.message().isEmpty());
    }
    QVERIFY(!dm.isConnected());
    MessageRecorder shown;
    QVERIFY(!messages::guarded([&] { findAccount(*dm.aq_login, QStringLiteral("a"), QStringLiteral("b")); }));
    QCOMPARE(shown.errors.size(), 1);
}

QTEST_MAIN(TestStorage)
#include "tst_storage.moc"
