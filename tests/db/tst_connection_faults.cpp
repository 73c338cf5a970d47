// What the user meets when the database gets in the way: the server restarts
// (the program comes back by itself and the edit kept through the outage
// saves), another workstation holds the row (a message within the lock wait,
// the edit kept), and failures told in plain words without statements or
// values.

#include "message_recorder.h"
#include "notice_row.h"
#include "postgres_server.h"
#include "test_database.h"

#include "app/gbk_width.h"
#include "db/db_error.h"
#include "db/named_query.h"
#include "db/sql_statement.h"
#include "db/tdm.h"
#include "db/transaction.h"
#include "notices/configure.h"

#include <QElapsedTimer>
#include <QSqlQuery>
#include <QtTest>

namespace {

const QString kList = QStringLiteral("select * from notice where department=? order by Rdate desc, ID desc");
const QString kSection = QStringLiteral("船检科");
const QString kShipname = QStringLiteral("shipname");

void addNotices(TestDatabase &t, int count)
{
    for (int i = 1; i <= count; ++i) {
        NoticeRow(QStringLiteral("1%1").arg(i, 6, 10, QLatin1Char('0')))
            .status(1)
            .department(kSection)
            .rdate(QDateTime(QDate(2026, 2, 1), QTime(9, 0)).addSecs(i))
            .shipname(QStringLiteral("原船名"))
            .insert(t.connection());
    }
}

QVariant storedShipname(TestDatabase &t, const QString &connection, const QString &id)
{
    QSqlQuery q(t.connection(connection));
    q.prepare(QStringLiteral("select shipname from notice where ID=?"));
    q.addBindValue(id);
    if (!q.exec() || !q.next())
        return {};
    return q.value(0);
}

}  // namespace

class TestConnectionFaults : public QObject
{
    Q_OBJECT
private slots:
    void serverRestart();
    void rowLockedElsewhere_data() { addKindRows(); }
    void rowLockedElsewhere();
    void plainMessages_data() { addKindRows(); }
    void plainMessages();
};

void TestConnectionFaults::serverRestart()
{
    REQUIRE_DATABASE(DbKind::PostgreSQL);
    if (!postgresServer::canRestart())
        QSKIP("No PostgreSQL server of the test script to restart");
    auto t = TestDatabase::create(DbKind::PostgreSQL);
    addNotices(*t, 5);
    const QString id = QStringLiteral("1000005");
    Tdm dm(t->settings(), QStringLiteral("restart"));
    dm.DataModuleCreate();
    notices::configure(dm);
    NamedQuery &notice = *dm.aq_notice;
    NamedQuery &list = *dm.aq_pj;
    list.open(kList, {kSection});
    notice.open(QStringLiteral("select * from notice where ID=?"), {id});
    notice.edit();
    notice.setValue(kShipname, QStringLiteral("远洋一号"));

    postgresServer::stop();
    MessageRecorder shown;
    QVERIFY(!messages::guarded([&] { notice.post(); }));
    QCOMPARE(shown.errors, QStringList{ConnectionLost::text()});
    QCOMPARE(notice.state(), NamedQuery::State::Editing);  // the edit is kept
    QCOMPARE(notice.value(kShipname).toString(), QStringLiteral("远洋一号"));
    // A refresh that fails keeps the list as it was shown.
    QVERIFY_THROWS_EXCEPTION(ConnectionLost, list.reopen());
    QCOMPARE(list.model()->rowCount(), 5);
    QCOMPARE(list.statement(), kList);

    postgresServer::start();
    QVERIFY(messages::guarded([&] { notice.post(); }));  // 保存 once the server is back
    QCOMPARE(notice.state(), NamedQuery::State::Browsing);
    QCOMPARE(storedShipname(*t, QStringLiteral("after-first"), id).toString(), QStringLiteral("远洋一号"));

    // With no failed action between stop and start, the first action after
    // the restart simply works: a read, a change the old connection never
    // sent, and a transaction.
    postgresServer::stop();
    postgresServer::start();
    list.reopen();
    QCOMPARE(list.model()->rowCount(), 5);
    postgresServer::stop();
    postgresServer::start();
    dm.aq_counter->execute(QStringLiteral("update counter set id=id+1"));
    postgresServer::stop();
    postgresServer::start();
    {
        Transaction change(dm.database());
        runStatement(dm.database(), QStringLiteral("update counter set id=id+1"));
        change.commit();
    }
    QSqlQuery counter(t->connection(QStringLiteral("after-last")));
    QVERIFY(counter.exec(QStringLiteral("select id from counter")) && counter.next());
    QCOMPARE(counter.value(0).toInt(), 3);  // each change made once, none twice
    QCOMPARE(shown.errors.size(), 1);
}

void TestConnectionFaults::rowLockedElsewhere()
{
    QFETCH(int, kind);
    FIXTURE(t, DbKind(kind), TestDatabase::create);
    addNotices(*t, 1);
    const QString id = QStringLiteral("1000001");
    Tdm dm(t->settings(), QStringLiteral("editor"));
    dm.DataModuleCreate();
    notices::configure(dm);
    NamedQuery &notice = *dm.aq_notice;
    notice.open(QStringLiteral("select * from notice where ID=?"), {id});
    notice.edit();
    notice.setValue(kShipname, QStringLiteral("远洋二号"));

    // Another workstation is in the middle of storing the same notice.
    QSqlDatabase other = t->connection(QStringLiteral("other-workstation"));
    QVERIFY(other.transaction());
    QSqlQuery hold(other);
    QVERIFY2(hold.exec(QStringLiteral("update notice set money=1 where ID='1000001'")),
             qPrintable(hold.lastError().text()));

    MessageRecorder shown;
    QElapsedTimer clock;
    clock.start();
    QVERIFY(!messages::guarded([&] { notice.post(); }));
    const qint64 waited = clock.elapsed();
    QVERIFY2(waited >= SqlDialect::kLockWaitMs - 500 && waited < SqlDialect::kLockWaitMs + 3000,
             qPrintable(QString::number(waited)));
    QCOMPARE(shown.informations, QStringList{RowInUse::text()});
    QVERIFY(shown.errors.isEmpty());
    QCOMPARE(notice.state(), NamedQuery::State::Editing);
    QCOMPARE(notice.value(kShipname).toString(), QStringLiteral("远洋二号"));

    hold.finish();
    QVERIFY(other.rollback());
    QVERIFY(messages::guarded([&] { notice.post(); }));
    QCOMPARE(storedShipname(*t, QStringLiteral("test-check"), id).toString(), QStringLiteral("远洋二号"));
}

void TestConnectionFaults::plainMessages()
{
    QFETCH(int, kind);
    FIXTURE(t, DbKind(kind), TestDatabase::create);
    addNotices(*t, 2);
    Tdm dm(t->settings(), QStringLiteral("plain"));
    dm.DataModuleCreate();
    notices::configure(dm);
    NamedQuery &notice = *dm.aq_notice;
    MessageRecorder shown;

    // A control character that got past a field is refused before the write.
    notice.open(QStringLiteral("select * from notice where ID=?"), {QStringLiteral("1000001")});
    notice.edit();
    notice.setValue(kShipname, QStringLiteral("船") + QChar(0) + QStringLiteral("名"));
    QVERIFY(!messages::guarded([&] { notice.post(); }));
    QCOMPARE(shown.informations, QStringList{gbk::controlCharacterMessage()});
    QCOMPARE(notice.state(), NamedQuery::State::Editing);
    notice.cancel();

    // A number that exists already is told in words and overwrites nothing.
    shown.clear();
    QVERIFY(!messages::guarded([&] {
        dm.aq_notice->execute(QStringLiteral("insert into notice (ID,status,department,shipname) values (?,1,?,?)"),
                              {QStringLiteral("1000002"), kSection, QStringLiteral("新船名")});
    }));
    QCOMPARE(shown.informations, QStringList{DuplicateKey::text()});
    QCOMPARE(storedShipname(*t, QStringLiteral("test-check"), QStringLiteral("1000002")).toString(),
             QStringLiteral("原船名"));

    // Any other refusal shows the database's own first line, without the
    // statement or the values.
    shown.clear();
    QVERIFY(!messages::guarded([&] {
        dm.aq_notice->execute(QStringLiteral("insert into notice (ID,status,shipname) values (?,1,?)"),
                              {QVariant(), QStringLiteral("秘密船名")});
    }));
    QCOMPARE(shown.errors.size(), 1);
    const QString text = shown.errors.first();
    QVERIFY2(text.contains(QLatin1String("null"), Qt::CaseInsensitive), qPrintable(text));
    for (const char *hidden : {"秘密船名", "insert", "values", "DETAIL"})
        QVERIFY2(!text.contains(QString::fromUtf8(hidden), Qt::CaseInsensitive), qPrintable(text));
}

QTEST_GUILESS_MAIN(TestConnectionFaults)
#include "tst_connection_faults.moc"
