// The notice flow when the database gets in the way: the server restarts
// while a clerk edits (the program comes back by itself, the edit kept
// saves), another workstation holds the notice, a number that is taken, and
// a control character typed into a field.

#include "main_window_fixture.h"
#include "postgres_server.h"

#include "app/gbk_width.h"
#include "db/db_error.h"
#include "db/named_query.h"
#include "notices/notice_operations.h"
#include "typing.h"

#include <QClipboard>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QLineEdit>
#include <QSqlQuery>
#include <QTableView>
#include <QtTest>

class TestNoticeOutage : public QObject
{
    Q_OBJECT
private slots:
    void serverRestartWhileEditing();
    void noticeInUseElsewhere();
    void numberTaken();
    void controlCharacterRefusedWhereTyped();
};

void TestNoticeOutage::serverRestartWhileEditing()
{
    if (MainWindowFixture::defaultKind() != DbKind::PostgreSQL)
        QSKIP("Runs on the test script's PostgreSQL server");
    REQUIRE_DATABASE(DbKind::PostgreSQL);
    if (!postgresServer::canRestart())
        QSKIP("No PostgreSQL server of the test script to restart");
    MainWindowFixture f;
    f.addNotices();
    f.login(QStringLiteral("cj"));
    f.action("bt_nochecked")->trigger();
    const QStringList listed = f.listedIds();
    f.clickRow(0);
    QTest::mouseClick(f.button("bt_modify"), Qt::LeftButton);
    auto *ship = f.child<QLineEdit>("DBEdit_shipname");
    ship->selectAll();
    typeText(ship, QStringLiteral("停机时的修改"));

    postgresServer::stop();
    QTest::mouseClick(f.button("bt_save"), Qt::LeftButton);
    QCOMPARE(f.shown.errors, QStringList{ConnectionLost::text()});
    // Still editing, the edit on screen, the list as it was.
    QVERIFY(f.button("bt_save")->isEnabled());
    QCOMPARE(ship->text(), QStringLiteral("停机时的修改"));
    QCOMPARE(f.listedIds().first(), listed.first());

    postgresServer::start();
    f.shown.clear();
    QTest::mouseClick(f.button("bt_save"), Qt::LeftButton);
    QVERIFY2(f.shown.all().isEmpty(), qPrintable(f.shown.all().join(QLatin1Char('|'))));
    QVERIFY(!f.button("bt_save")->isEnabled());
    QSqlQuery check(f.db->connection(QStringLiteral("after-restart")));
    QVERIFY(check.exec(QStringLiteral("select shipname from notice where ID='") + listed.first() + QLatin1Char('\''))
            && check.next());
    QCOMPARE(check.value(0).toString(), QStringLiteral("停机时的修改"));
    // And the lists work again without a restart of the program.
    f.action("bt_nochecked")->trigger();
    QCOMPARE(f.listedIds(), listed);
    QVERIFY(f.shown.all().isEmpty());
}

void TestNoticeOutage::noticeInUseElsewhere()
{
    REQUIRE_DATABASE(MainWindowFixture::defaultKind());
    MainWindowFixture f;
    f.addNotices();
    f.login(QStringLiteral("cj"));
    f.action("bt_nochecked")->trigger();
    f.clickRow(0);
    const QString id = f.listedIds().first();
    QTest::mouseClick(f.button("bt_modify"), Qt::LeftButton);
    auto *ship = f.child<QLineEdit>("DBEdit_shipname");
    ship->selectAll();
    typeText(ship, QStringLiteral("等锁的修改"));

    // Another workstation is storing the same notice and has not finished.
    QSqlDatabase other = f.db->connection(QStringLiteral("other-workstation"));
    QVERIFY(other.transaction());
    QSqlQuery hold(other);
    QVERIFY(hold.exec(QStringLiteral("update notice set money=3 where ID='") + id + QLatin1Char('\'')));

    QElapsedTimer clock;
    clock.start();
    QTest::mouseClick(f.button("bt_save"), Qt::LeftButton);
    QVERIFY2(clock.elapsed() < SqlDialect::kLockWaitMs + 3000, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(f.shown.informations, QStringList{kNoticeInUse});
    QVERIFY(f.shown.errors.isEmpty());
    QVERIFY(f.button("bt_save")->isEnabled());
    QCOMPARE(ship->text(), QStringLiteral("等锁的修改"));

    hold.finish();
    QVERIFY(other.rollback());
    f.shown.clear();
    QTest::mouseClick(f.button("bt_save"), Qt::LeftButton);
    QVERIFY2(f.shown.all().isEmpty(), qPrintable(f.shown.all().join(QLatin1Char('|'))));
    QCOMPARE(f.db->scalar(QStringLiteral("select shipname from notice where ID='") + id + QLatin1Char('\'')).toString(),
             QStringLiteral("等锁的修改"));
}

void TestNoticeOutage::numberTaken()
{
    REQUIRE_DATABASE(MainWindowFixture::defaultKind());
    MainWindowFixture f;
    f.addNotices();
    // The serial went round to a number that an old notice carries.
    f.db->exec(QStringLiteral("update counter set id=1"));
    const QString before = f.db->scalar(QStringLiteral("select shipname from notice where ID='1000001'")).toString();
    f.login(QStringLiteral("cj"));
    QTest::mouseClick(f.button("bt_new"), Qt::LeftButton);
    QCOMPARE(f.shown.informations, QStringList{kNumberTaken.arg(QStringLiteral("1000001"))});
    QVERIFY(f.shown.errors.isEmpty());
    QCOMPARE(f.db->scalar(QStringLiteral("select shipname from notice where ID='1000001'")).toString(), before);
    QCOMPARE(f.db->scalar(QStringLiteral("select handler from notice where ID='1000001'")).toString(),
             QStringLiteral("孙船检"));
}

void TestNoticeOutage::controlCharacterRefusedWhereTyped()
{
    REQUIRE_DATABASE(MainWindowFixture::defaultKind());
    MainWindowFixture f;
    f.addNotices();
    f.login(QStringLiteral("cw"));
    QTest::mouseClick(f.button("bt_new"), Qt::LeftButton);
    auto *ship = f.child<QLineEdit>("DBEdit_shipname");
    ship->setFocus();
    typeText(ship, QStringLiteral("海安"));
    // Text copied from another program with control characters in it.
    QGuiApplication::clipboard()->setText(QStringLiteral("号") + QChar(0x1b) + QChar(0));
    QTest::keyClick(ship, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(ship->text(), QStringLiteral("海安"));
    QGuiApplication::clipboard()->setText(QStringLiteral("号"));
    QTest::keyClick(ship, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(ship->text(), QStringLiteral("海安号"));
    QVERIFY(!gbk::hasControlCharacters(ship->text()));
}

QTEST_MAIN(TestNoticeOutage)
#include "tst_notice_outage.moc"
