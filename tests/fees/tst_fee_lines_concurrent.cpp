// Two workstations creating the lines of the same notice at the same moment:
// the notice gets its catalogue once, not twice. A line stored while the
// notice is reviewed elsewhere: the history lists both in the order stored.

#include "fee_fixture.h"
#include "notice_row.h"
#include "test_database.h"
#include "test_user.h"

#include "app/current_user.h"
#include "db/db_error.h"
#include "db/named_query.h"
#include "db/tdm.h"
#include "fees/fee_lines.h"
#include "fees/line_queries.h"
#include "fees/line_saving.h"
#include "notices/notice_operations.h"

#include <QSqlQuery>
#include <QThread>
#include <QtTest>

#include <array>
#include <atomic>
#include <functional>
#include <optional>
#include <stdexcept>

class TestFeeLinesConcurrent : public QObject
{
    Q_OBJECT
private slots:
    void linesCreatedOnce_data();
    void linesCreatedOnce();
    void lineAndReviewInStoredOrder_data();
    void lineAndReviewInStoredOrder();
    void lineAndDeletionInStoredOrder_data() { lineAndReviewInStoredOrder_data(); }
    void lineAndDeletionInStoredOrder();
};

void TestFeeLinesConcurrent::linesCreatedOnce_data()
{
    addKindRows();
}

void TestFeeLinesConcurrent::linesCreatedOnce()
{
    QFETCH(int, kind);
    FIXTURE(t, DbKind(kind), TestDatabase::create);
    constexpr int kNotices = 40;
    constexpr int kCatalogue = 12;
    for (int i = 0; i < kCatalogue; ++i)
        t->exec(QStringLiteral("insert into itemcj (name,orderx) values (?,?)"),
                {QStringLiteral("检验费%1").arg(i), i});
    for (int n = 0; n < kNotices; ++n)
        NoticeRow(QStringLiteral("1%1").arg(n, 6, 10, QLatin1Char('0')))
            .status(1)
            .department(QStringLiteral("船检科"))
            .insert(t->connection());

    UserRecord inspector;
    inspector.userName = QStringLiteral("孙船检");
    inspector.typeId = 5;
    inspector.deriveFromRole();
    std::atomic<int> failures{0};
    std::atomic<int> ready{0};
    QList<QThread *> workstations;
    for (int w = 0; w < 2; ++w) {
        workstations << QThread::create([&, w] {
            Tdm dm(t->settings(), QStringLiteral("workstation-%1").arg(w));
            try {
                dm.DataModuleCreate();
                ++ready;
                while (ready < 2)
                    QThread::yieldCurrentThread();
                for (int n = 0; n < kNotices; ++n)
                    fees::createLinesIfNone(dm.database(), inspector,
                                            QStringLiteral("1%1").arg(n, 6, 10, QLatin1Char('0')));
            } catch (const DbError &e) {
                // A workstation refused by a busy embedded file retries by pressing again.
                qWarning() << e.message();
                ++failures;
                ++ready;
            }
        });
    }
    for (QThread *thread : workstations)
        thread->start();
    for (QThread *thread : workstations) {
        thread->wait();
        delete thread;
    }
    QCOMPARE(failures.load(), 0);
    QCOMPARE(t->scalar(QStringLiteral("select count(*) from itemofnotice")).toInt(), kNotices * kCatalogue);
    QCOMPARE(
        t->scalar(QStringLiteral("select max(c) from (select count(*) as c from itemofnotice group by ID) x")).toInt(),
        kCatalogue);
}

namespace {

// Waits until this many sessions of the database wait for a lock.
bool lockWaiters(TestDatabase &t, int sessions)
{
    for (int i = 0; i < 400; ++i) {
        if (t.scalar(QStringLiteral("select count(*) from pg_stat_activity where wait_event_type='Lock' "
                                    "and datname=current_database()"))
                .toInt()
            >= sessions)
            return true;
        QThread::msleep(10);
    }
    return false;
}

// A slow machine may take longer than the program's lock wait to bring the
// second workstation to its wait; the test's workstations wait a minute.
void waitLong(Tdm &dm)
{
    QSqlQuery q(dm.database());
    if (!q.exec(QStringLiteral("set lock_timeout = 60000")))
        qWarning() << "lock wait unchanged";
}

// A change made on a workstation of its own: true when it was stored, false
// when it was refused in words; anything else it throws is reported and
// leaves it undecided.
using RacingChange = std::function<bool(Tdm &)>;

// Runs the two changes, each on its own workstation, while the holder keeps
// the notice: the first waits on it before the second starts, then the
// holder commits. Returns false when the waits were not seen or a
// workstation did not finish; `stored` tells how each change ended.
bool raceBehindHolder(TestDatabase &t, QSqlDatabase holder, const std::array<RacingChange, 2> &changes,
                      std::array<std::optional<bool>, 2> &stored)
{
    std::array<QThread *, 2> threads{};
    for (int i = 0; i < 2; ++i)
        threads[i] = QThread::create([&t, &changes, &stored, i] {
            Tdm dm(t.settings(), QStringLiteral("racing-%1").arg(i));
            try {
                dm.DataModuleCreate();
                waitLong(dm);
                stored[i] = changes[i](dm);
            } catch (const std::exception &e) {
                qWarning() << e.what();
            }
        });
    threads[0]->start();
    bool seen = lockWaiters(t, 1);
    threads[1]->start();
    seen = seen && lockWaiters(t, 2) && holder.commit();
    for (QThread *thread : threads) {
        seen = thread->wait(10000) && seen;
        delete thread;
    }
    return seen;
}

}  // namespace

void TestFeeLinesConcurrent::lineAndReviewInStoredOrder_data()
{
    QTest::addColumn<bool>("reviewFirst");
    QTest::newRow("the review waits first") << true;
    QTest::newRow("the line waits first") << false;
}

// A clerk stores a fee line while a section leader approves the notice, both
// read before and held up by a third workstation holding the notice (one or
// the other waiting first): whichever is stored first, the other is refused,
// for it was made over the notice as it was before; the history's states
// follow one another and end in the notice's.
void TestFeeLinesConcurrent::lineAndReviewInStoredOrder()
{
    QFETCH(bool, reviewFirst);
    FIXTURE(f, DbKind::PostgreSQL, FeeFixture::create, QStringLiteral("clerk"));
    const QString id = FeeFixture::kNoticeId;
    f->openNotice({true, false, false, false});
    UserRecord clerk;
    clerk.userName = QStringLiteral("张船务");
    clerk.nickname = QStringLiteral("cw");
    clerk.typeId = 3;
    clerk.deriveFromRole();
    CurrentUser = clerk;
    QCOMPARE(fees::createLinesIfNone(f->dm->database(), clerk, id), 6);
    UserRecord leader;
    leader.userName = QStringLiteral("钱科长");
    leader.nickname = QStringLiteral("cwld");
    leader.typeId = 4;
    leader.isChecker = 1;
    leader.deriveFromRole();

    // The third workstation holds the notice.
    QSqlDatabase holder = f->db->connection(QStringLiteral("holder"));
    QVERIFY(holder.transaction());
    QSqlQuery hold(holder);
    QVERIFY(hold.exec(QStringLiteral("update notice set revision=revision where ID='%1'").arg(id)));

    const int listed = f->db->scalar(QStringLiteral("select revision from notice where ID=?"), {id}).toInt();
    const double moneyBefore = f->db->scalar(QStringLiteral("select money from notice where ID=?"), {id}).toDouble();
    const RacingChange review = [&](Tdm &dm) {
        try {
            approveNotice(dm.database(), leader, id, listed, QString());
            return true;
        } catch (const NoticeNotStored &) {
            return false;
        }
    };
    const RacingChange line = [&](Tdm &dm) {
        NamedQuery &lines = *dm.aq_itemofnotice;
        lines.open(QStringLiteral("select * from itemofnotice where ID=? and itemname=?"),
                   {id, QStringLiteral("船舶登记费")});
        lines.edit();
        lines.setValue(QStringLiteral("description"), QStringLiteral("30*2"));
        lines.setValue(QStringLiteral("money"), 60.0);
        try {
            fees::storeFeeLine(dm.database(), clerk, {id, listed}, fees::lineAt(lines, 0));
            return true;
        } catch (const fees::LinesNotStored &) {
            return false;
        }
    };
    std::array<std::optional<bool>, 2> stored;
    QVERIFY(
        raceBehindHolder(*f->db, holder, reviewFirst ? std::array{review, line} : std::array{line, review}, stored));
    const std::optional<bool> reviewStored = stored[reviewFirst ? 0 : 1];
    const std::optional<bool> lineStored = stored[reviewFirst ? 1 : 0];
    // The server decides which of the two waiting changes goes first.
    QVERIFY(reviewStored.has_value() && lineStored.has_value());
    QVERIFY(*reviewStored != *lineStored);
    const bool reviewed = *reviewStored;

    QSqlQuery rows(f->db->connection());
    QVERIFY(rows.exec(QStringLiteral("select action,state_before,state_after from notice_history where ID='%1' "
                                     "order by historyid")
                          .arg(id)));
    QStringList actions;
    QVariant state = 1;
    while (rows.next()) {
        actions << rows.value(0).toString();
        QCOMPARE(rows.value(1).toInt(), state.toInt());
        state = rows.value(2);
    }
    QCOMPARE(actions, QStringList({QStringLiteral("建立收费项目"),
                                   reviewed ? QStringLiteral("审核通过") : QStringLiteral("修改收费项目")}));
    QCOMPARE(f->db->scalar(QStringLiteral("select status from notice where ID=?"), {id}).toInt(), reviewed ? 2 : 1);
    QCOMPARE(state.toInt(), reviewed ? 2 : 1);
    QCOMPARE(f->db->scalar(QStringLiteral("select money from notice where ID=?"), {id}).toDouble(),
             reviewed ? moneyBefore : 60.0);
}

// A clerk stores a fee line while the notice is deleted from another
// workstation, both held up by a third one: one of the two is refused, and a
// deletion that goes through keeps the lines as they were stored, so that a
// restore brings back what the notice held.
void TestFeeLinesConcurrent::lineAndDeletionInStoredOrder()
{
    QFETCH(bool, reviewFirst);
    const bool deletionFirst = reviewFirst;
    FIXTURE(f, DbKind::PostgreSQL, FeeFixture::create, QStringLiteral("clerk"));
    const QString id = FeeFixture::kNoticeId;
    f->openNotice({true, false, false, false});
    const UserRecord clerk = testUser(QStringLiteral("张船务"), QStringLiteral("cw"), 3);
    CurrentUser = clerk;
    QCOMPARE(fees::createLinesIfNone(f->dm->database(), clerk, id), 6);
    const auto lineOf = [&](Tdm &dm, const QString &item, const QString &steps, double amount) {
        NamedQuery &lines = *dm.aq_itemofnotice;
        lines.open(QStringLiteral("select * from itemofnotice where ID=? and itemname=?"), {id, item});
        lines.edit();
        lines.setValue(QStringLiteral("description"), steps);
        lines.setValue(QStringLiteral("money"), amount);
        return fees::lineAt(lines, 0);
    };
    const auto revision = [&] {
        return f->db->scalar(QStringLiteral("select revision from notice where ID=?"), {id}).toInt();
    };
    QCOMPARE(fees::storeFeeLine(f->dm->database(), clerk, {id, revision()},
                                lineOf(*f->dm, QStringLiteral("船舶登记费"), QStringLiteral("30*4"), 120.0))
                 .total,
             120.0);
    const int listed = revision();

    QSqlDatabase holder = f->db->connection(QStringLiteral("holder"));
    QVERIFY(holder.transaction());
    QSqlQuery hold(holder);
    QVERIFY(hold.exec(QStringLiteral("update notice set revision=revision where ID='%1'").arg(id)));

    const RacingChange deletion = [&](Tdm &dm) {
        try {
            deleteNotice(dm.database(), clerk, id, listed);
            return true;
        } catch (const UserRefusal &) {
            return false;
        }
    };
    const RacingChange line = [&](Tdm &dm) {
        try {
            fees::storeFeeLine(dm.database(), clerk, {id, listed},
                               lineOf(dm, QStringLiteral("变更登记费"), QStringLiteral("12.5+17.5"), 30.0));
            return true;
        } catch (const fees::LinesNotStored &) {
            return false;
        }
    };
    std::array<std::optional<bool>, 2> stored;
    QVERIFY(raceBehindHolder(*f->db, holder, deletionFirst ? std::array{deletion, line} : std::array{line, deletion},
                             stored));
    const std::optional<bool> deletionStored = stored[deletionFirst ? 0 : 1];
    const std::optional<bool> lineStored = stored[deletionFirst ? 1 : 0];
    QVERIFY(deletionStored.has_value() && lineStored.has_value());
    QVERIFY(*deletionStored != *lineStored);
    const bool deleted = *deletionStored;

    const double linesStored =
        f->db->scalar(QStringLiteral("select sum(money) from itemofnotice where ID=?"), {id}).toDouble();
    QCOMPARE(linesStored, deleted ? 120.0 : 150.0);
    if (deleted) {
        const QString detail = f->db
                                   ->scalar(QStringLiteral("select detail from notice_history where ID=? "
                                                           "and action='删除'"),
                                            {id})
                                   .toString();
        QVERIFY2(detail.startsWith(QStringLiteral("合计 120.00，")), qPrintable(detail));
    } else {
        QCOMPARE(f->db->scalar(QStringLiteral("select money from notice where ID=?"), {id}).toDouble(), 150.0);
    }
}

QTEST_GUILESS_MAIN(TestFeeLinesConcurrent)
#include "tst_fee_lines_concurrent.moc"
