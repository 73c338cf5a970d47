// A primary server and its synchronous standby named together in the Data
// Source: when the primary fails and the standby is promoted, the same
// program connection goes on writing on the new primary, keeping the edit it
// held, with every notice and bill committed before the failure still there
// and no notice number or bill number given twice.
//
// Run through scripts/with-postgres-pair.sh, which starts the two servers.

#include "message_recorder.h"
#include "postgres_server.h"
#include "test_database.h"
#include "test_user.h"

#include "app/messages.h"
#include "db/connection.h"
#include "db/db_error.h"
#include "db/schema.h"
#include "db/sql_statement.h"
#include "db/tdm.h"
#include "finance/bill_operations.h"
#include "finance/notice_printing.h"
#include "notices/configure.h"
#include "notices/notice_operations.h"

#include <QSet>
#include <QSqlQuery>
#include <QtTest>

namespace {

const QString kShipname = QStringLiteral("shipname");

int serverPort(QSqlDatabase db)
{
    QSqlQuery q = runStatement(db, QStringLiteral("select inet_server_port()"));
    return q.next() ? q.value(0).toInt() : -1;
}

// Prints the new notice and bills it with the number the counter proposes,
// as a clerk at the window does. Returns the bill number stored.
QString printAndBill(QSqlDatabase db, const UserRecord &clerk, const QString &id)
{
    NoticeEdit read = readNoticeEdit(db, id);
    finance::recordNoticePrinted(db, clerk, {id, read.revision, read.status.toInt(), 0});
    read = readNoticeEdit(db, id);
    finance::BillRequest request;
    request.noticeId = id;
    request.revision = read.revision;
    request.shownNumber = finance::proposedBillNumber(db);
    request.typedNumber = QStringLiteral("%1").arg(request.shownNumber, 7, 10, QLatin1Char('0'));
    return finance::issueBill(db, clerk, request);
}

}  // namespace

class TestFailover : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void writesGoOnAfterPromotion();

private:
    DbSettings m_settings;
    QList<HostPort> m_servers;
};

void TestFailover::initTestCase()
{
    const QString missing = qEnvironmentVariable("NOLLARD_PAIR_MISSING");
    if (!missing.isEmpty())
        QSKIP(qPrintable(QStringLiteral("The PostgreSQL server program %1 is not installed (Debian package "
                                        "postgresql): no primary and standby to fail over between")
                             .arg(missing)));
    const QString source = qEnvironmentVariable("NOLLARD_PAIR_SOURCE");
    if (source.isEmpty())
        QFAIL("No primary and standby given: run this test through scripts/with-postgres-pair.sh");
    m_settings.provider = QStringLiteral("PostgreSQL");
    m_settings.dataSource = source;
    m_settings.initialCatalog = qEnvironmentVariable("NOLLARD_PAIR_DATABASE");
    m_settings.userId = QStringLiteral("postgres");
    m_settings.password = QString();
    m_servers = splitServerList(source);
    QCOMPARE(m_servers.size(), 2);
    QSqlDatabase setup = openConnection(m_settings, QStringLiteral("setup"));
    createSchema(setup, TestDatabase::schemaFolder());
    setup = QSqlDatabase();
    closeConnection(QStringLiteral("setup"));
}

void TestFailover::writesGoOnAfterPromotion()
{
    Tdm dm(m_settings, QStringLiteral("workstation"));
    dm.DataModuleCreate();
    notices::configure(dm);
    QSqlDatabase db = dm.database();
    QCOMPARE(serverPort(db), m_servers[0].port);

    UserRecord clerk = testUser(QStringLiteral("张三"), QStringLiteral("cw"), 3);
    clerk.isAdmin = 1;  // the bill right

    // Before the failure: notices made and billed, one edit begun.
    QStringList notices;
    QStringList bills;
    for (int i = 0; i < 3; ++i)
        notices << createNotice(db, clerk);
    bills << printAndBill(db, clerk, notices[0]) << printAndBill(db, clerk, notices[1]);
    NoticeEdit edit = readNoticeEdit(db, notices[2]);
    edit.edited.shipname = QStringLiteral("远洋一号");

    postgresServer::crash(qEnvironmentVariable("NOLLARD_PAIR_PRIMARY"));

    // While no server accepts writes, the save fails in words and the edit
    // stays in the window's hands; nothing is numbered.
    MessageRecorder shown;
    QVERIFY(!messages::guarded([&] { saveNotice(db, clerk, edit); }));
    QCOMPARE(shown.errors, QStringList{ConnectionLost::text()});
    QVERIFY_THROWS_EXCEPTION(ConnectionLost, createNotice(db, clerk));

    postgresServer::promote(qEnvironmentVariable("NOLLARD_PAIR_STANDBY"));

    // The same connection, opened again through the list, reaches the new primary.
    QVERIFY(messages::guarded([&] { saveNotice(db, clerk, edit); }));
    QCOMPARE(serverPort(db), m_servers[1].port);
    const QStringList before = notices;
    const QStringList billsBefore = bills;
    for (int i = 0; i < 2; ++i) {
        notices << createNotice(db, clerk);
        bills << printAndBill(db, clerk, notices.last());
    }
    QCOMPARE(shown.errors.size(), 1);

    QCOMPARE(QSet<QString>(notices.cbegin(), notices.cend()).size(), notices.size());
    QCOMPARE(QSet<QString>(bills.cbegin(), bills.cend()).size(), bills.size());

    // What the new primary holds: everything committed before the failure
    // and after it, each notice with its own bill.
    QSqlDatabase check = openConnection(m_settings, QStringLiteral("check"));
    {
        QSqlQuery q(check);
        QVERIFY(q.exec(QStringLiteral("select ID, status, billcode, shipname from notice order by ID")));
        QMap<QString, QStringList> stored;
        while (q.next())
            stored.insert(q.value(0).toString(), {q.value(1).toString(), q.value(2).toString(), q.value(3).toString()});
        QCOMPARE(stored.size(), notices.size());
        for (const QString &id : before)
            QVERIFY2(stored.contains(id), qPrintable(id));
        QCOMPARE(stored.value(before[0]), (QStringList{QStringLiteral("5"), billsBefore[0], QString()}));
        QCOMPARE(stored.value(before[1]), (QStringList{QStringLiteral("5"), billsBefore[1], QString()}));
        QCOMPARE(stored.value(before[2]).value(2), QStringLiteral("远洋一号"));
        QCOMPARE(stored.value(notices[3]).value(1), bills[2]);
        QCOMPARE(stored.value(notices[4]).value(1), bills[3]);
    }
    check = QSqlDatabase();
    closeConnection(QStringLiteral("check"));
}

QTEST_GUILESS_MAIN(TestFailover)
#include "tst_failover.moc"
