// The notice operations called with the connection and plain values, without
// a main window or a shared query, on the embedded file and on PostgreSQL:
// what each returns, and the refusals by which the window tells what became
// of the edit (changed, deleted, one's own notice).

#include "notice_row.h"
#include "test_database.h"
#include "test_user.h"

#include "app/current_user.h"
#include "db/sql_statement.h"
#include "notices/notice_operations.h"

#include <QSqlQuery>
#include <QtTest>

#include <memory>
#include <optional>

class TestNoticeOperations : public QObject
{
    Q_OBJECT
private slots:
    void createThenSave_data() { addKindRows(); }
    void createThenSave();
    void saveRefusedOverAnotherChange_data() { addKindRows(); }
    void saveRefusedOverAnotherChange();
    void reviewRefusals_data() { addKindRows(); }
    void reviewRefusals();
};

namespace {

std::unique_ptr<TestDatabase> database(DbKind kind)
{
    return TestDatabase::create(kind);
}

int historyRows(TestDatabase &t, const QString &id)
{
    return t.scalar(QStringLiteral("select count(*) from notice_history where ID=?"), {id}).toInt();
}

}  // namespace

void TestNoticeOperations::createThenSave()
{
    FIXTURE(t, rowKind(), database);
    QSqlDatabase db = t->connection(QStringLiteral("workstation"));
    const UserRecord clerk = testUser(QStringLiteral("孙船检"), QStringLiteral("cj"), 5);
    t->exec(QStringLiteral("update counter set id=41"));

    const QString id = createNotice(db, clerk);
    QCOMPARE(id, QStringLiteral("1000041"));
    QCOMPARE(t->scalar(QStringLiteral("select id from counter")).toInt(), 42);
    NoticeEdit edit = readNoticeEdit(db, id);
    QCOMPARE(edit.id, id);
    QCOMPARE(edit.status.toInt(), 1);

    // Lines computed meanwhile; the window still holds an older total.
    t->exec(QStringLiteral("insert into itemofnotice (ID,itemname,money,orderx) values (?,'检验费',100,1)"), {id});
    t->exec(QStringLiteral("insert into itemofnotice (ID,itemname,money,orderx) values (?,'丈量费',25.5,2)"), {id});
    edit.edited.shipname = QStringLiteral("海安轮");
    edit.edited.money = 999.0;
    const SavedNotice saved = saveNotice(db, clerk, edit);
    QCOMPARE(saved.revision, edit.revision + 1);
    QCOMPARE(saved.status, 1);
    QCOMPARE(saved.money, 125.5);
    QCOMPARE(t->scalar(QStringLiteral("select money from notice where ID=?"), {id}).toDouble(), 125.5);
    QCOMPARE(t->scalar(QStringLiteral("select revision from notice where ID=?"), {id}).toInt(), saved.revision);
    QCOMPARE(t->scalar(QStringLiteral("select shipname from notice where ID=?"), {id}).toString(),
             QStringLiteral("海安轮"));

    // A rejected notice saved without a change goes back to review.
    t->exec(QStringLiteral("update notice set status=-1, revision=revision+1 where ID=?"), {id});
    const NoticeEdit rejected = readNoticeEdit(db, id);
    const SavedNotice again = saveNotice(db, clerk, rejected);
    QCOMPARE(again.status, 1);
    QCOMPARE(again.revision, rejected.revision + 1);
    QCOMPARE(
        t->scalar(QStringLiteral("select detail from notice_history where ID=? and state_before=-1"), {id}).toString(),
        QStringLiteral("未修改"));
}

void TestNoticeOperations::saveRefusedOverAnotherChange()
{
    FIXTURE(t, rowKind(), database);
    QSqlDatabase db = t->connection(QStringLiteral("workstation"));
    const UserRecord clerk = testUser(QStringLiteral("孙船检"), QStringLiteral("cj"), 5);
    NoticeRow(QStringLiteral("1000001"))
        .status(1)
        .department(QStringLiteral("船检科"))
        .handler(QStringLiteral("孙船检"))
        .shipname(QStringLiteral("船01"))
        .null(QStringLiteral("Rdate"))
        .insert(t->connection());
    NoticeEdit edit = readNoticeEdit(db, QStringLiteral("1000001"));
    edit.edited.shipname = QStringLiteral("迟到的修改");
    t->exec(QStringLiteral("update notice set leader='吴科长', revision=revision+1 where ID='1000001'"));

    try {
        saveNotice(db, clerk, edit);
        QFAIL("stored over another workstation's change");
    } catch (const NoticeNotStored &refusal) {
        QCOMPARE(refusal.why(), NoticeNotStored::Why::Changed);
        QCOMPARE(refusal.message(), kChangedElsewhere);
    }
    QCOMPARE(t->scalar(QStringLiteral("select shipname from notice where ID='1000001'")).toString(),
             QStringLiteral("船01"));
    QCOMPARE(historyRows(*t, QStringLiteral("1000001")), 0);

    // Saved with the notice as stored now, the same change goes in; the
    // other workstation's reviewer stays.
    NoticeEdit rebased = readNoticeEdit(db, QStringLiteral("1000001"));
    rebased.edited.shipname = edit.edited.shipname;
    saveNotice(db, clerk, rebased);
    QCOMPARE(t->scalar(QStringLiteral("select shipname from notice where ID='1000001'")).toString(),
             QStringLiteral("迟到的修改"));
    QCOMPARE(t->scalar(QStringLiteral("select leader from notice where ID='1000001'")).toString(),
             QStringLiteral("吴科长"));

    t->exec(QStringLiteral("delete from notice where ID='1000001'"));
    try {
        saveNotice(db, clerk, rebased);
        QFAIL("stored a deleted notice");
    } catch (const NoticeNotStored &refusal) {
        QCOMPARE(refusal.why(), NoticeNotStored::Why::Deleted);
        QCOMPARE(refusal.message(), kDeletedElsewhere);
    }
    QCOMPARE(t->scalar(QStringLiteral("select count(*) from notice")).toInt(), 0);
}

void TestNoticeOperations::reviewRefusals()
{
    FIXTURE(t, rowKind(), database);
    QSqlDatabase db = t->connection(QStringLiteral("workstation"));
    const UserRecord handler = testUser(QStringLiteral("孙船检"), QStringLiteral("cj"), 5, 1);
    const UserRecord reviewer = testUser(QStringLiteral("周船检"), QStringLiteral("cjsh"), 5, 1);
    const UserRecord leader = testUser(QStringLiteral("吴科长"), QStringLiteral("cjld"), 6);
    NoticeRow(QStringLiteral("1000001"))
        .status(1)
        .department(QStringLiteral("船检科"))
        .handler(QStringLiteral("孙船检"))
        .null(QStringLiteral("Rdate"))
        .insert(t->connection());
    const auto revision = [&t] {
        return t->scalar(QStringLiteral("select revision from notice where ID='1000001'")).toInt();
    };
    const int listed = revision();

    // One's own notice: refused as such, not as a change elsewhere, so that
    // the window leaves its list as it is.
    try {
        approveNotice(db, handler, QStringLiteral("1000001"), listed, QString());
        QFAIL("approved one's own notice");
    } catch (const NoticeNotStored &) {
        QFAIL("one's own notice refused as changed elsewhere");
    } catch (const UserRefusal &refusal) {
        QCOMPARE(refusal.message(), kNoOwnApproval);
    }

    QCOMPARE(approveNotice(db, reviewer, QStringLiteral("1000001"), listed, QString()), listed + 1);
    QCOMPARE(t->scalar(QStringLiteral("select status from notice where ID='1000001'")).toInt(), 2);
    QCOMPARE(t->scalar(QStringLiteral("select leader from notice where ID='1000001'")).toString(),
             QStringLiteral("周船检"));

    // The leader still holds the list read before the approval.
    try {
        rejectNotice(db, leader, QStringLiteral("1000001"), listed, QStringLiteral("金额有误"));
        QFAIL("rejected over the approval");
    } catch (const NoticeNotStored &refusal) {
        QCOMPARE(refusal.why(), NoticeNotStored::Why::Changed);
        QCOMPARE(refusal.message(), kReviewChangedElsewhere);
    }
    QCOMPARE(t->scalar(QStringLiteral("select status from notice where ID='1000001'")).toInt(), 2);
    QCOMPARE(historyRows(*t, QStringLiteral("1000001")), 1);

    // Read again, the rejection goes in with its reason cut to its width.
    const QString reason(120, QChar(0x8D39));  // 费: two bytes each
    QCOMPARE(rejectNotice(db, leader, QStringLiteral("1000001"), revision(), reason), listed + 2);
    QCOMPARE(t->scalar(QStringLiteral("select memo_badcheck from notice where ID='1000001'")).toString(),
             QString(95, QChar(0x8D39)));
    QCOMPARE(t->scalar(QStringLiteral("select status from notice where ID='1000001'")).toInt(), -1);
}

QTEST_GUILESS_MAIN(TestNoticeOperations)
#include "tst_notice_operations.moc"
