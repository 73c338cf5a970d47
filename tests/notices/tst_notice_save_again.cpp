// A save refused because another workstation changed the notice, then
// pressed again on the refreshed notice: the notice keeps the state the other
// workstation gave it (an approval is not taken back), and the history
// records the state and the fields as they were stored over, even when the
// refreshed list no longer shows the notice at the row it was edited from.

#include "main_window_fixture.h"

#include "db/named_query.h"
#include "db/sql_statement.h"
#include "notices/notice_lists.h"
#include "notices/notice_operations.h"
#include "session/login_operation.h"

#include <QSqlQuery>
#include <QtTest>

class TestNoticeSaveAgain : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void historyOfTheSecondSave_data();
    void historyOfTheSecondSave();
};

void TestNoticeSaveAgain::initTestCase()
{
    REQUIRE_DATABASE(MainWindowFixture::defaultKind());
}

void TestNoticeSaveAgain::historyOfTheSecondSave_data()
{
    QTest::addColumn<QString>("elsewhere");
    QTest::addColumn<QString>("stateAfter");
    QTest::addColumn<QStringList>("listedAfter");
    // Approved meanwhile: the rejected list no longer holds the notice.
    QTest::newRow("left the list") << QStringLiteral("update notice set status=2, leader='吴科长', "
                                                     "revision=revision+1 where ID='1000005'")
                                   << QStringLiteral("2") << QStringList{};
    // Rejected again, and a notice of the clerk rejected since now lists first.
    QTest::newRow("moved down the list") << QStringLiteral(
        "update notice set memo_badcheck='再次驳回', revision=revision+1 where ID='1000005'; "
        "update notice set status=-1, Rdate=Rdate+interval '1 day' where ID='1000001'")
                                         << QStringLiteral("1")
                                         << QStringList{QStringLiteral("1000001"), QStringLiteral("1000005")};
}

void TestNoticeSaveAgain::historyOfTheSecondSave()
{
    QFETCH(QString, elsewhere);
    QFETCH(QString, stateAfter);
    QFETCH(QStringList, listedAfter);
    MainWindowFixture f;
    f.addNotices();
    const std::optional<UserRecord> clerk = findAccount(*f.dm->aq_login, QStringLiteral("cj"), QStringLiteral("pw"));
    QVERIFY(clerk);
    CurrentUser = *clerk;

    // The clerk's rejected notices, the first one changed.
    NamedQuery &q = *f.dm->aq_notice;
    const Statement rejected = noticeListStatement(NoticeList::Rejected, *clerk);
    q.open(rejected.sql, rejected.values);
    QCOMPARE(q.value(QStringLiteral("ID")).toString(), QStringLiteral("1000005"));
    f.window->bt_modifyClick();
    q.setValue(QStringLiteral("shipname"), QStringLiteral("改过的船名"));

    // The embedded file has no "interval": the date moves in text, written
    // as the program writes its dates (a "T" between date and time), so that
    // it sorts among them by its time.
    if (MainWindowFixture::defaultKind() == DbKind::SQLite)
        elsewhere.replace(QStringLiteral("Rdate+interval '1 day'"),
                          QStringLiteral("strftime('%Y-%m-%dT%H:%M:%f', Rdate, '+1 day')"));
    for (const QString &statement : elsewhere.split(QStringLiteral("; ")))
        f.db->exec(statement);
    f.window->bt_saveClick();
    QCOMPARE(f.shown.informations, QStringList{kChangedElsewhere});
    QVERIFY(f.shown.errors.isEmpty());
    QCOMPARE(q.state(), NamedQuery::State::Editing);
    QStringList listed;
    for (int row = 0; row < q.rowCount(); ++row)
        listed << q.valueAt(row, QStringLiteral("ID")).toString();
    QCOMPARE(listed, listedAfter);

    f.window->bt_saveClick();
    QCOMPARE(f.shown.all().size(), 1);  // stored: nothing more was said
    QSqlQuery h = runStatement(f.db->connection(),
                               QStringLiteral("select action,state_before,state_after,detail from notice_history "
                                              "where ID='1000005' order by historyid"));
    QVERIFY(h.next());
    const QString before = stateAfter == QLatin1String("2") ? QStringLiteral("2") : QStringLiteral("-1");
    QCOMPARE((QStringList{h.value(0).toString(), h.value(1).toString(), h.value(2).toString(), h.value(3).toString()}),
             (QStringList{QStringLiteral("保存"), before, stateAfter, QStringLiteral("修改：缴费单位")}));
    QVERIFY(!h.next());
    QCOMPARE(f.db->scalar(QStringLiteral("select shipname from notice where ID='1000005'")).toString(),
             QStringLiteral("改过的船名"));
    QCOMPARE(f.db->scalar(QStringLiteral("select status from notice where ID='1000005'")).toString(), stateAfter);
}

QTEST_MAIN(TestNoticeSaveAgain)
#include "tst_notice_save_again.moc"
