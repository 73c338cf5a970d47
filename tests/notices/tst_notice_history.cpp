// The history of a notice: every change the program makes writes one row in
// its own transaction, with the account, the states and a detail; a change
// that is refused writes none; a history row that cannot be written undoes
// the change.

#include "main_window_fixture.h"
#include "notice_row.h"

#include "db/named_query.h"
#include "db/notice_history.h"
#include "db/sql_statement.h"
#include "fees/fee_lines.h"
#include "fees/line_queries.h"
#include "fees/line_saving.h"
#include "fees/notice_total.h"
#include "finance/bill_operations.h"
#include "finance/notice_history_report.h"
#include "finance/notice_printing.h"
#include "finance/statistics_run.h"
#include "menu_clicks.h"
#include "notices/deleted_notices.h"
#include "notices/notice_operations.h"
#include "report/report_preview.h"
#include "report_test_support.h"
#include "session/login_operation.h"
#include "typing.h"

#include <QApplication>
#include <QLineEdit>
#include <QSqlError>
#include <QSqlQuery>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

class TestNoticeHistory : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void eachChangeWritesItsRow();
    void refusedChangeWritesNothing();
    void failedHistoryWriteUndoesTheChange();
    void deletedNoticeRestoredWithItsLines();
    void restoreRefusedWhenNumberInUse();
    void historyShownForSelectedNotice();
    void leaderRestoresFromTheMenu();
};

namespace {

UserRecord userOf(MainWindowFixture &f, const QString &nickname)
{
    const std::optional<UserRecord> user = findAccount(*f.dm->aq_login, nickname, QStringLiteral("pw"));
    if (!user)
        qFatal("no account %s", qPrintable(nickname));
    return *user;
}

// The notice alone in the notice query, as a search shows it.
void openNotice(MainWindowFixture &f, const QString &id)
{
    f.dm->aq_notice->open(QStringLiteral("select * from notice where ID=?"), {id});
    QCOMPARE(f.dm->aq_notice->currentRow(), 0);
}

// "action|account|name|before|after|detail" per row, oldest first.
QStringList historyOf(MainWindowFixture &f, const QString &id)
{
    QSqlQuery q = runStatement(f.db->connection(),
                               QStringLiteral("select action,account,fullname,state_before,state_after,detail "
                                              "from notice_history where ID=? order by historyid"),
                               {id});
    QStringList rows;
    while (q.next()) {
        QStringList cells;
        for (int i = 0; i < 6; ++i)
            cells << (q.isNull(i) ? QString() : q.value(i).toString());
        rows << cells.join(QLatin1Char('|'));
    }
    return rows;
}

int historyCount(MainWindowFixture &f)
{
    return f.db->scalar(QStringLiteral("select count(*) from notice_history")).toInt();
}

int revisionOf(MainWindowFixture &f, const QString &id)
{
    return f.db->scalar(QStringLiteral("select revision from notice where ID=?"), {id}).toInt();
}

// Everything a change of a notice could touch, to compare before and after.
QStringList dump(MainWindowFixture &f)
{
    QStringList rows;
    QSqlDatabase db = f.db->connection();
    for (const QString &sql : {QStringLiteral("select * from notice order by ID"),
                               QStringLiteral("select * from itemofnotice order by lineid"),
                               QStringLiteral("select billcode, statictime from counter"),
                               QStringLiteral("select * from statistic order by year, department"),
                               QStringLiteral("select * from notice_history order by historyid")}) {
        QSqlQuery q = runStatement(db, sql);
        while (q.next()) {
            QStringList cells;
            for (int i = 0; i < q.record().count(); ++i)
                cells << q.value(i).toString();
            rows << cells.join(QLatin1Char('|'));
        }
    }
    return rows;
}

// Makes every history write fail as a database failure would, on either
// kind of database.
void refuseHistoryWrites(MainWindowFixture &f)
{
    QSqlQuery q(f.db->connection());
    if (MainWindowFixture::defaultKind() == DbKind::PostgreSQL) {
        QVERIFY2(q.exec(QStringLiteral("create function refuse_history() returns trigger language plpgsql as "
                                       "$$ begin raise exception 'history refused'; end $$")),
                 qPrintable(q.lastError().text()));
        QVERIFY2(q.exec(QStringLiteral("create trigger refuse_history before insert on notice_history "
                                       "for each row execute function refuse_history()")),
                 qPrintable(q.lastError().text()));
    } else {
        QVERIFY2(q.exec(QStringLiteral("create trigger refuse_history before insert on notice_history "
                                       "begin select raise(abort, 'history refused'); end")),
                 qPrintable(q.lastError().text()));
    }
}

void addInspectionCatalogue(MainWindowFixture &f)
{
    f.db->exec(QStringLiteral("insert into itemcj (name,orderx) values ('检验费',1)"));
    f.db->exec(QStringLiteral("insert into itemcj (name,orderx) values ('证书费',2)"));
}

// Computes the first fee line of the notice as the editor does on Enter.
void computeFirstLine(MainWindowFixture &f, const QString &id, const QString &steps, double amount)
{
    openNotice(f, id);
    QVERIFY(fees::prepareFeeLines(*f.dm, CurrentUser));
    fees::openEditorLines(*f.dm, CurrentUser.department);
    NamedQuery &lines = *f.dm->aq_itemofnotice;
    lines.setCurrentRow(0);
    lines.edit();
    lines.setValue(QStringLiteral("description"), steps);
    lines.setValue(QStringLiteral("money"), amount);
    fees::storeFeeLine(f.dm->database(), CurrentUser, fees::noticeOfLines(lines), fees::lineAt(lines, 0));
}

// Prints the notice as the print button does, the preview closed at once.
void printAs(MainWindowFixture &f, const UserRecord &user, const QString &id)
{
    openNotice(f, id);
    const std::optional<finance::NoticeReport> built = finance::buildNoticeReport(f.dm->database(), user,
                                                                                  f.dm->aq_notice->currentRecord());
    QVERIFY(built);
    finance::recordNoticePrinted(f.dm->database(), user, built->notice);
}

}  // namespace

void TestNoticeHistory::initTestCase()
{
    REQUIRE_DATABASE(MainWindowFixture::defaultKind());
}

void TestNoticeHistory::init()
{
    ReportPreview::setHook([](const QList<PreparedReport> &) {});
}

void TestNoticeHistory::cleanup()
{
    ReportPreview::setHook({});
}

void TestNoticeHistory::eachChangeWritesItsRow()
{
    MainWindowFixture f;
    f.addNotices();
    addInspectionCatalogue(f);
    const QDateTime started = QDateTime::currentDateTime().addSecs(-1);
    const UserRecord clerk = userOf(f, QStringLiteral("cj"));
    const UserRecord reviewer = userOf(f, QStringLiteral("cjsh"));
    const UserRecord leader = userOf(f, QStringLiteral("cjld"));
    CurrentUser = clerk;

    // Created, changed, its lines computed.
    QSqlDatabase db = f.dm->database();
    const QString id = createNotice(db, clerk);
    QCOMPARE(id, QStringLiteral("1000041"));
    NoticeEdit edit = readNoticeEdit(db, id);
    edit.edited.shipname = QStringLiteral("海安轮");
    edit.edited.checktype = QStringLiteral("营运检验");
    saveNotice(db, clerk, edit);
    computeFirstLine(f, id, QStringLiteral("100*2.5"), 250.0);
    QCOMPARE(f.db->scalar(QStringLiteral("select money from notice where ID=?"), {id}).toDouble(), 250.0);

    // Reviewed twice, saved back to review, approved.
    approveNotice(db, reviewer, id, revisionOf(f, id), QString());
    rejectNotice(db, leader, id, revisionOf(f, id), QStringLiteral("金额有误"));
    saveNotice(db, clerk, readNoticeEdit(db, id));
    approveNotice(db, leader, id, revisionOf(f, id), QString());

    // Printed, billed, voided.
    printAs(f, clerk, id);
    const int proposed = finance::proposedBillNumber(f.db->connection());
    const QString bill = finance::issueBill(f.db->connection(), reviewer,
                                            {id, revisionOf(f, id), proposed, QString::number(proposed)});
    finance::voidBill(f.db->connection(), reviewer, id, revisionOf(f, id), QStringLiteral("缴费单位填错"));

    const QStringList expected{
        QStringLiteral("新建|cj|孙船检||1|"),
        QStringLiteral("保存|cj|孙船检|1|1|修改：缴费单位、检验类型"),
        QStringLiteral("建立收费项目|cj|孙船检|1|1|按收费目录建立 2 行；合计 0.00 → 0.00"),
        QStringLiteral("修改收费项目|cj|孙船检|1|1|检验费：100*2.5 = 250.00；合计 0.00 → 250.00"),
        QStringLiteral("审核通过|cjsh|周船检|1|2|"),
        QStringLiteral("驳回|cjld|吴科长|2|-1|理由：金额有误"),
        QStringLiteral("保存|cj|孙船检|-1|1|未修改"),
        QStringLiteral("审核通过|cjld|吴科长|1|2|"),
        QStringLiteral("打印|cj|孙船检|2|3|合计 250.00"),
        QStringLiteral("开票|cjsh|周船检|3|5|票据号 %1").arg(bill),
        QStringLiteral("作废|cjsh|周船检|5|-2|票据号 %1，金额 250.00；理由：缴费单位填错").arg(bill),
    };
    QCOMPARE(historyOf(f, id), expected);
    const QDateTime first = f.db->scalar(QStringLiteral("select min(acted_at) from notice_history")).toDateTime();
    const QDateTime last = f.db->scalar(QStringLiteral("select max(acted_at) from notice_history")).toDateTime();
    QVERIFY2(first >= started && last <= QDateTime::currentDateTime(), qPrintable(first.toString()));
    QCOMPARE(f.db->scalar(QStringLiteral("select count(distinct department) from notice_history")).toString(),
             QStringLiteral("1"));

    // Deleted by its handler: the row keeps the notice and its lines.
    CurrentUser = userOf(f, QStringLiteral("cw"));
    deleteNotice(db, CurrentUser, QStringLiteral("0000011"), revisionOf(f, QStringLiteral("0000011")));
    QCOMPARE(historyOf(f, QStringLiteral("0000011")),
             QStringList{QStringLiteral("删除|cw|张船务|1||合计 100.00，收费项目 0 行")});
    const QString snapshot =
        f.db->scalar(QStringLiteral("select snapshot from notice_history where ID='0000011'")).toString();
    QVERIFY2(snapshot.contains(QStringLiteral("\"shipname\":\"船11\"")), qPrintable(snapshot));
}

void TestNoticeHistory::refusedChangeWritesNothing()
{
    MainWindowFixture f;
    f.addNotices();
    const UserRecord clerk = userOf(f, QStringLiteral("cj"));
    const UserRecord reviewer = userOf(f, QStringLiteral("cjsh"));
    CurrentUser = clerk;

    // Changed by another workstation since it was read.
    QSqlDatabase db = f.dm->database();
    NoticeEdit late = readNoticeEdit(db, QStringLiteral("1000001"));
    late.edited.shipname = QStringLiteral("迟到的修改");
    f.db->exec(QStringLiteral("update notice set revision=revision+1 where ID='1000001'"));
    QVERIFY_THROWS_EXCEPTION(UserRefusal, saveNotice(db, clerk, late));
    const int listed = revisionOf(f, QStringLiteral("1000005"));
    f.db->exec(QStringLiteral("update notice set revision=revision+1 where ID='1000005'"));
    QVERIFY_THROWS_EXCEPTION(UserRefusal, deleteNotice(db, clerk, QStringLiteral("1000005"), listed));
    QCOMPARE(f.db->scalar(QStringLiteral("select count(*) from notice where ID='1000005'")).toInt(), 1);

    // The workflow's gates: one's own notice, a bill for an unprinted notice,
    // voiding a bill that was never issued.
    QVERIFY_THROWS_EXCEPTION(UserRefusal, approveNotice(db, reviewer, QStringLiteral("1000006"),
                                                        revisionOf(f, QStringLiteral("1000006")), QString()));
    const int proposed = finance::proposedBillNumber(f.db->connection());
    QVERIFY_THROWS_EXCEPTION(UserRefusal, finance::issueBill(f.db->connection(), reviewer,
                                                             {QStringLiteral("1000002"), revisionOf(f, "1000002"),
                                                              proposed, QString::number(proposed)}));
    QVERIFY_THROWS_EXCEPTION(UserRefusal, finance::voidBill(f.db->connection(), reviewer, QStringLiteral("1000003"),
                                                            revisionOf(f, "1000003"), QStringLiteral("重开")));
    QCOMPARE(finance::proposedBillNumber(f.db->connection()), proposed);
    QCOMPARE(historyCount(f), 0);

    // Another workstation holds the notice longer than the lock wait.
    NoticeEdit waiting = readNoticeEdit(db, QStringLiteral("1000001"));
    waiting.edited.shipname = QStringLiteral("等锁的修改");
    QSqlDatabase other = f.db->connection(QStringLiteral("other-workstation"));
    QVERIFY(other.transaction());
    QSqlQuery hold(other);
    QVERIFY(hold.exec(QStringLiteral("update notice set money=3 where ID='1000001'")));
    try {
        saveNotice(db, clerk, waiting);
        QFAIL("stored while another workstation held the notice");
    } catch (const UserRefusal &refusal) {
        QCOMPARE(refusal.message(), kNoticeInUse);
    }
    hold.finish();
    QVERIFY(other.rollback());
    QCOMPARE(historyCount(f), 0);
    // Once free, the same edit is stored with its row.
    saveNotice(db, clerk, waiting);
    QCOMPARE(historyOf(f, QStringLiteral("1000001")), QStringList{QStringLiteral("保存|cj|孙船检|1|1|修改：缴费单位")});
}

void TestNoticeHistory::failedHistoryWriteUndoesTheChange()
{
    MainWindowFixture f;
    f.addNotices();
    addInspectionCatalogue(f);
    f.db->exec(QStringLiteral("insert into itemofnotice (ID,itemname,money,orderx) values ('1000002','检验费',100,1)"));
    f.db->exec(QStringLiteral("insert into itemofnotice (ID,itemname,orderx) values ('1000001','检验费',1)"));
    f.db->exec(QStringLiteral("update notice set billcode='0000099' where ID='1000004'"));
    const UserRecord clerk = userOf(f, QStringLiteral("cj"));
    const UserRecord reviewer = userOf(f, QStringLiteral("cjsh"));
    CurrentUser = clerk;
    refuseHistoryWrites(f);
    const QStringList before = dump(f);
    const int proposed = finance::proposedBillNumber(f.db->connection());

    QSqlDatabase db = f.dm->database();
    QVERIFY_THROWS_EXCEPTION(DbError, createNotice(db, clerk));
    QCOMPARE(dump(f), before);

    NoticeEdit edit = readNoticeEdit(db, QStringLiteral("1000001"));
    edit.edited.shipname = QStringLiteral("不该存下");
    QVERIFY_THROWS_EXCEPTION(DbError, saveNotice(db, clerk, edit));
    QCOMPARE(dump(f), before);
    // In the main window, the edit is still there to be stored again.
    openNotice(f, QStringLiteral("1000001"));
    f.window->bt_modifyClick();
    f.dm->aq_notice->setValue(QStringLiteral("shipname"), QStringLiteral("不该存下"));
    f.window->bt_saveClick();
    QCOMPARE(f.shown.errors.size(), 1);
    QCOMPARE(dump(f), before);
    QCOMPARE(f.dm->aq_notice->state(), NamedQuery::State::Editing);
    QCOMPARE(f.dm->aq_notice->value(QStringLiteral("shipname")).toString(), QStringLiteral("不该存下"));
    f.dm->aq_notice->cancel();

    QVERIFY_THROWS_EXCEPTION(DbError, computeFirstLine(f, QStringLiteral("1000001"), QStringLiteral("7*3"), 21.0));
    QCOMPARE(dump(f), before);
    // The editor shows the line as it is stored.
    QCOMPARE(f.dm->aq_itemofnotice->valueAt(0, QStringLiteral("description")).toString(), QString());

    QVERIFY_THROWS_EXCEPTION(DbError, approveNotice(db, reviewer, QStringLiteral("1000001"),
                                                    revisionOf(f, QStringLiteral("1000001")), QString()));
    QCOMPARE(dump(f), before);

    QVERIFY_THROWS_EXCEPTION(DbError, printAs(f, clerk, QStringLiteral("1000002")));
    QCOMPARE(dump(f), before);

    QVERIFY_THROWS_EXCEPTION(DbError, finance::issueBill(f.db->connection(), reviewer,
                                                         {QStringLiteral("1000003"), revisionOf(f, "1000003"), proposed,
                                                          QString::number(proposed)}));
    QVERIFY_THROWS_EXCEPTION(DbError, finance::voidBill(f.db->connection(), reviewer, QStringLiteral("1000004"),
                                                        revisionOf(f, "1000004"), QStringLiteral("重开")));
    QVERIFY_THROWS_EXCEPTION(DbError, finance::runStatistics(f.db->connection(), userOf(f, QStringLiteral("cwkld"))));
    QCOMPARE(dump(f), before);

    QVERIFY_THROWS_EXCEPTION(
        DbError, deleteNotice(db, clerk, QStringLiteral("1000005"), revisionOf(f, QStringLiteral("1000005"))));
    QCOMPARE(dump(f), before);
}

namespace {

// The notice row and its lines, without the row keys and the revision.
QStringList noticeWithLines(MainWindowFixture &f, const QString &id)
{
    QStringList rows;
    QSqlQuery n = runStatement(f.db->connection(),
                               QStringLiteral("select ID,Rdate,money,status,department,shipname,handler,dengji,"
                                              "checktype,billcode from notice where ID=?"),
                               {id});
    while (n.next()) {
        QStringList cells;
        for (int i = 0; i < n.record().count(); ++i)
            cells << (n.isNull(i) ? QStringLiteral("<null>") : n.value(i).toString());
        rows << cells.join(QLatin1Char('|'));
    }
    QSqlQuery l = runStatement(
        f.db->connection(),
        QStringLiteral("select itemname,description,money,type,orderx from itemofnotice where ID=? order by orderx"),
        {id});
    while (l.next()) {
        QStringList cells;
        for (int i = 0; i < l.record().count(); ++i)
            cells << (l.isNull(i) ? QStringLiteral("<null>") : l.value(i).toString());
        rows << cells.join(QLatin1Char('|'));
    }
    return rows;
}

QStringList deletedIds(MainWindowFixture &f, const UserRecord &user)
{
    QStringList ids;
    for (const DeletedNotice &notice : deletedNotices(f.db->connection(), user))
        ids << notice.id;
    return ids;
}

qint64 deletionOf(MainWindowFixture &f, const UserRecord &user, const QString &id)
{
    for (const DeletedNotice &notice : deletedNotices(f.db->connection(), user))
        if (notice.id == id)
            return notice.historyId;
    return 0;
}

}  // namespace

void TestNoticeHistory::deletedNoticeRestoredWithItsLines()
{
    MainWindowFixture f;
    f.addNotices();
    f.db->exec(QStringLiteral("update notice set checktype='营运检验', billcode=null where ID='1000001'"));
    f.db->exec(QStringLiteral("insert into itemofnotice (ID,itemname,description,money,orderx) "
                              "values ('1000001','检验费','30*2',60,1)"));
    f.db->exec(QStringLiteral("insert into itemofnotice (ID,itemname,orderx) values ('1000001','证书费',2)"));
    const UserRecord clerk = userOf(f, QStringLiteral("cj"));
    const UserRecord leader = userOf(f, QStringLiteral("cjld"));
    const QStringList before = noticeWithLines(f, QStringLiteral("1000001"));
    const int revision = revisionOf(f, QStringLiteral("1000001"));

    // Rejected, then deleted: both come back.
    deleteNotice(f.dm->database(), clerk, QStringLiteral("1000005"), revisionOf(f, QStringLiteral("1000005")));
    deleteNotice(f.dm->database(), clerk, QStringLiteral("1000001"), revisionOf(f, QStringLiteral("1000001")));
    QCOMPARE(f.db->scalar(QStringLiteral("select count(*) from notice where ID='1000001'")).toInt(), 0);
    // Deleting leaves the lines in place; the snapshot is what is restored,
    // whatever happened to them since.
    f.db->exec(QStringLiteral("delete from itemofnotice where ID='1000001'"));

    // Only the section's leader sees the section's deleted notices.
    QCOMPARE(deletedIds(f, leader), (QStringList{QStringLiteral("1000001"), QStringLiteral("1000005")}));
    QCOMPARE(deletedIds(f, userOf(f, QStringLiteral("cwld"))), QStringList());
    QCOMPARE(deletedIds(f, clerk), QStringList());
    const DeletedNotice listed = deletedNotices(f.db->connection(), leader).first();
    QCOMPARE(listed.lineCount, 2);
    QCOMPARE(listed.money, 100.0);
    QCOMPARE(listed.status.toInt(), 1);
    QCOMPARE(listed.deletedBy, QStringLiteral("孙船检"));
    QCOMPARE(listed.shipName, QStringLiteral("船01"));
    try {
        restoreNotice(f.db->connection(), clerk, listed.historyId);
        QFAIL("a clerk restored a notice");
    } catch (const UserRefusal &refusal) {
        QCOMPARE(refusal.message(), kNoRestoreRight);
    }

    QCOMPARE(restoreNotice(f.db->connection(), leader, listed.historyId), QStringLiteral("1000001"));
    QCOMPARE(noticeWithLines(f, QStringLiteral("1000001")), before);
    QVERIFY(revisionOf(f, QStringLiteral("1000001")) > revision);
    QCOMPARE(historyOf(f, QStringLiteral("1000001")),
             (QStringList{QStringLiteral("删除|cj|孙船检|1||合计 100.00，收费项目 2 行"),
                          QStringLiteral("恢复|cjld|吴科长||1|恢复已删除的通知单，合计 100.00，收费项目 2 行")}));
    QCOMPARE(deletedIds(f, leader), QStringList{QStringLiteral("1000005")});
    // Once back, it is not restored a second time.
    try {
        restoreNotice(f.db->connection(), leader, listed.historyId);
        QFAIL("restored twice");
    } catch (const UserRefusal &refusal) {
        QCOMPARE(refusal.message(), kRestoreGone);
    }
    QCOMPARE(restoreNotice(f.db->connection(), leader, deletionOf(f, leader, QStringLiteral("1000005"))),
             QStringLiteral("1000005"));
    QCOMPARE(f.db->scalar(QStringLiteral("select status from notice where ID='1000005'")).toInt(), -1);

    // A restored notice works as before: deleted again, it is listed again.
    deleteNotice(f.dm->database(), clerk, QStringLiteral("1000001"), revisionOf(f, QStringLiteral("1000001")));
    QCOMPARE(deletedIds(f, leader), QStringList{QStringLiteral("1000001")});
}

void TestNoticeHistory::restoreRefusedWhenNumberInUse()
{
    MainWindowFixture f;
    f.addNotices();
    const UserRecord clerk = userOf(f, QStringLiteral("cj"));
    const UserRecord leader = userOf(f, QStringLiteral("cjld"));
    deleteNotice(f.dm->database(), clerk, QStringLiteral("1000005"), revisionOf(f, QStringLiteral("1000005")));
    const qint64 deletion = deletionOf(f, leader, QStringLiteral("1000005"));
    QVERIFY(deletion > 0);
    // The number is given to another notice (the counter went round, or a
    // number typed in by another program).
    NoticeRow(QStringLiteral("1000005"))
        .status(1)
        .department(QStringLiteral("船检科"))
        .handler(QStringLiteral("孙船检"))
        .shipname(QStringLiteral("新的通知单"))
        .insert(f.db->connection());
    const QStringList before = dump(f);
    try {
        restoreNotice(f.db->connection(), leader, deletion);
        QFAIL("restored over another notice");
    } catch (const UserRefusal &refusal) {
        QCOMPARE(refusal.message(), kRestoreNumberInUse.arg(QStringLiteral("1000005")));
    }
    QCOMPARE(dump(f), before);
}

void TestNoticeHistory::historyShownForSelectedNotice()
{
    MainWindowFixture f;
    f.addNotices();
    QList<PreparedReport> previews;
    ReportPreview::setHook([&previews](const QList<PreparedReport> &reports) { previews += reports; });

    // A clerk creates and saves a notice; a reviewer approves it.
    f.login(QStringLiteral("cj"));
    QTest::mouseClick(f.button("bt_new"), Qt::LeftButton);
    auto *ship = f.child<QLineEdit>("DBEdit_shipname");
    typeText(ship, QStringLiteral("历史轮"));
    QTest::mouseClick(f.button("bt_save"), Qt::LeftButton);
    QVERIFY2(f.shown.all().isEmpty(), qPrintable(f.shown.all().join(QLatin1Char('|'))));
    const QString id = QStringLiteral("1000041");
    f.login(QStringLiteral("cjsh"));
    f.child<QLineEdit>("Edit_searchid")->setText(id);
    QTest::mouseClick(f.button("bt_search"), Qt::LeftButton);
    f.clickRow(f.rowOf(id));
    QTest::mouseClick(f.button("bt_checknow"), Qt::LeftButton);
    QVERIFY(f.shown.all().isEmpty());

    // Another clerk of the section lists it and opens its history with the key.
    f.login(QStringLiteral("cj"));
    f.action("bt_checked")->trigger();
    f.clickRow(f.rowOf(id));
    QStringList shownRows;
    QString title;
    whenModal([&](QWidget *modal) {
        title = modal->windowTitle();
        auto *grid = modal->findChild<QTableView *>(QStringLiteral("DBGrid_history"));
        for (int r = 0; grid && r < grid->model()->rowCount(); ++r) {
            QStringList cells;
            for (int c = 1; c < 6; ++c)
                cells << grid->model()->index(r, c).data().toString();
            shownRows << cells.join(QLatin1Char('|'));
        }
        // Read-only: a double click edits nothing.
        QCOMPARE(grid->editTriggers(), QAbstractItemView::NoEditTriggers);
        QTest::mouseClick(modal->findChild<QPushButton *>(QStringLiteral("bt_preview")), Qt::LeftButton);
        QTest::mouseClick(modal->findChild<QPushButton *>(QStringLiteral("bt_close")), Qt::LeftButton);
    });
    QTest::keyClick(f.window.get(), Qt::Key_H, Qt::ControlModifier);
    QTRY_VERIFY(!QApplication::activeModalWidget());
    QCOMPARE(title, QStringLiteral("通知单历史 %1").arg(id));
    QCOMPARE(shownRows,
             (QStringList{QStringLiteral("cjsh|周船检|审核通过|新建、未经申核|船务科未打印、船检科已审核且未打印"),
                          QStringLiteral("cj|孙船检|保存|新建、未经申核|新建、未经申核"),
                          QStringLiteral("cj|孙船检|新建||新建、未经申核")}));

    // The preview got the rows newest first, and the same as a CSV table.
    QCOMPARE(previews.size(), 1);
    QVERIFY(previews.first().templateFound);
    QCOMPARE(previews.first().table.rows.size(), 4);
    QCOMPARE(previews.first().table.rows.at(1).at(3), QStringLiteral("审核通过"));
    QCOMPARE(previews.first().table.rows.at(3).at(3), QStringLiteral("新建"));
    QVERIFY(previews.first().exportName.contains(id));

    // Printed to PDF, it reads back with the notice and every step.
    QTemporaryDir dir;
    const Report report = finance::buildHistoryReport(finance::readNoticeHistory(f.db->connection(), id));
    const QStringList pages = pagesOf({&report}, dir.filePath(QStringLiteral("history.pdf")));
    QCOMPARE(pages.size(), 1);
    for (const QString &text : {QStringLiteral("通知单历史"), id, QStringLiteral("历史轮"), QStringLiteral("审核通过"),
                                QStringLiteral("周船检"), QStringLiteral("保存"), QStringLiteral("新建")})
        QVERIFY2(pages.first().contains(text), qPrintable(text + QStringLiteral("\n") + pages.first()));
    QVERIFY(pages.first().indexOf(QStringLiteral("审核通过")) < pages.first().indexOf(QStringLiteral("保存")));

    // With nothing selected there is no history to show.
    f.login(QStringLiteral("cj"));
    f.shown.clear();
    QTest::keyClick(f.window.get(), Qt::Key_H, Qt::ControlModifier);
    QCOMPARE(f.shown.informations.size(), 1);
    QVERIFY(!QApplication::activeModalWidget());
}

void TestNoticeHistory::leaderRestoresFromTheMenu()
{
    MainWindowFixture f;
    f.addNotices();
    const UserRecord clerk = userOf(f, QStringLiteral("cj"));
    deleteNotice(f.dm->database(), clerk, QStringLiteral("1000005"), revisionOf(f, QStringLiteral("1000005")));

    // Offered to the section leaders only.
    f.login(QStringLiteral("cj"));
    QVERIFY(!f.action("M_deleted")->isVisible());
    f.login(QStringLiteral("cwld"));
    QVERIFY(f.action("M_deleted")->isVisible());
    f.login(QStringLiteral("cjld"));
    QVERIFY(f.action("M_deleted")->isVisible());

    int listed = -1;
    whenModal([&](QWidget *modal) {
        auto *grid = modal->findChild<QTableView *>(QStringLiteral("DBGrid_deleted"));
        listed = grid->model()->rowCount();
        QCOMPARE(grid->model()->index(0, 0).data().toString(), QStringLiteral("1000005"));
        auto *restore = modal->findChild<QPushButton *>(QStringLiteral("bt_restore"));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(grid->model()->index(0, 0)).center());
        QVERIFY(restore->isEnabled());
        QTest::mouseClick(restore, Qt::LeftButton);
        QCOMPARE(grid->model()->rowCount(), 0);
        QTest::mouseClick(modal->findChild<QPushButton *>(QStringLiteral("bt_close")), Qt::LeftButton);
    });
    chooseMenuItem(f.window.get(), f.action("M_deleted"));
    QTRY_VERIFY(!QApplication::activeModalWidget());
    QCOMPARE(listed, 1);
    QCOMPARE(f.shown.informations, QStringList{QStringLiteral("通知单 1000005 已恢复。")});
    QCOMPARE(f.db->scalar(QStringLiteral("select status from notice where ID='1000005'")).toInt(), -1);
    // Back in the leader's list of rejected notices.
    f.action("bt_badchecked")->trigger();
    QVERIFY(f.rowOf(QStringLiteral("1000005")) >= 0);
}

QTEST_MAIN(TestNoticeHistory)
#include "tst_notice_history.moc"
