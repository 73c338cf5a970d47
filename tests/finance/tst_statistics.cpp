// The statistics run over a fixture whose results are written out by hand:
// exact sums, every inspection kind, nothing counted twice, and a run broken
// anywhere (an error, a cancel, a killed connection) leaving every table as
// it was. The plan amount's rule.

#include "statistics_fixture.h"
#include "test_user.h"

#include "app/current_user.h"
#include "db/connection.h"
#include "db/db_error.h"
#include "db/notice_history.h"
#include "db/sql_dialect.h"
#include "db/sql_statement.h"
#include "db/user_refusal.h"
#include "finance/statistics_plan.h"
#include "finance/statistics_run.h"

#include <QSqlQuery>
#include <QtTest>

using namespace finance;

class TestStatistics : public QObject
{
    Q_OBJECT
private slots:
    void countsTheFixtureOnce_data() { addKindRows(); }
    void countsTheFixtureOnce();
    void emptyRunRecordsTheTime_data() { addKindRows(); }
    void emptyRunRecordsTheTime();
    void brokenRunChangesNothing_data();
    void brokenRunChangesNothing();
    void killedConnectionChangesNothing_data();
    void killedConnectionChangesNothing();
    void noticeBilledDuringTheRunWaits();
    void noticeVoidedDuringTheRunVoidsTheRun();
    void planAmounts_data();
    void planAmounts();
    void savesPlans_data() { addKindRows(); }
    void savesPlans();
    void sqlServerStatements();

private:
    std::unique_ptr<TestDatabase> fixture(DbKind kind);
};

namespace {

// The finance leader who runs the statistics.
UserRecord runner()
{
    return testUser(QStringLiteral("冯科长"), QStringLiteral("cwkld"), 8);
}

}  // namespace

std::unique_ptr<TestDatabase> TestStatistics::fixture(DbKind kind)
{
    auto t = TestDatabase::create(kind);
    if (t)
        addStatisticsFixture(*t);
    return t;
}

void TestStatistics::countsTheFixtureOnce()
{
    QFETCH(int, kind);
    FIXTURE(t, DbKind(kind), fixture);
    QSqlDatabase db = t->connection(QStringLiteral("run"));
    const QStringList statesBefore = noticeStates(db);

    const QDateTime started = QDateTime::currentDateTime().addSecs(-1);
    const StatisticsResult first = runStatistics(db, runner());
    QCOMPARE(first.counted, kFixtureCounted);
    QCOMPARE(statisticRows(db), expectedStatistic());
    QCOMPARE(statistic2Rows(db), expectedStatistic2());

    QStringList statesAfter = statesBefore;
    for (QString &row : statesAfter) {
        const QString id = row.section(QLatin1Char('|'), 0, 0);
        if (row.endsWith(QLatin1String("|5")) && id != QLatin1String("0000013") && id != QLatin1String("0000014"))
            row = id + QStringLiteral("|6");
    }
    QCOMPARE(noticeStates(db), statesAfter);
    // Each archived notice has one history row of the run, as the leader.
    QStringList counted;
    for (const QString &row : statesAfter)
        if (row.endsWith(QLatin1String("|6")) && !statesBefore.contains(row))
            counted << row.section(QLatin1Char('|'), 0, 0);
    QCOMPARE(counted.size(), kFixtureCounted);
    QSqlQuery history = runStatement(db,
                                     QStringLiteral("select ID,account,fullname,state_before,state_after,detail,"
                                                    "department from notice_history where action=? order by ID"),
                                     {history::kCounted});
    QStringList recordedIds;
    while (history.next()) {
        recordedIds << history.value(0).toString();
        QCOMPARE(history.value(1).toString(), QStringLiteral("cwkld"));
        QCOMPARE(history.value(2).toString(), QStringLiteral("冯科长"));
        QCOMPARE(history.value(3).toInt(), 5);
        QCOMPARE(history.value(4).toInt(), 6);
        QVERIFY(history.value(5).toString().startsWith(QStringLiteral("统计时间")));
        QCOMPARE(history.value(6).toString(),
                 t->scalar(QStringLiteral("select department from notice where ID=?"), {history.value(0)}).toString());
    }
    history.finish();
    QCOMPARE(recordedIds, counted);
    const QDateTime recorded = t->scalar(QStringLiteral("select statictime from counter")).toDateTime();
    QVERIFY2(recorded >= started && recorded <= QDateTime::currentDateTime(), qPrintable(recorded.toString()));
    QCOMPARE(recorded, first.time);

    // Nothing new: only the time moves.
    t->exec(QStringLiteral("update counter set statictime=?"), {QDateTime(QDate(2000, 1, 2), QTime(3, 4, 5))});
    QStringList before = dumpTouchedTables(db);
    const StatisticsResult second = runStatistics(db, runner());
    QCOMPARE(second.counted, 0);
    QStringList after = dumpTouchedTables(db);
    QVERIFY(before.takeLast() != after.takeLast());
    QCOMPARE(after, before);
    QVERIFY(t->scalar(QStringLiteral("select statictime from counter")).toDateTime() >= started);
}

void TestStatistics::emptyRunRecordsTheTime()
{
    QFETCH(int, kind);
    FIXTURE(t, DbKind(kind), TestDatabase::create);
    QVERIFY(t->scalar(QStringLiteral("select statictime from counter")).isNull());
    QCOMPARE(runStatistics(t->connection(QStringLiteral("run")), runner()).counted, 0);
    QVERIFY(!t->scalar(QStringLiteral("select statictime from counter")).isNull());
    QCOMPARE(t->scalar(QStringLiteral("select count(*) from statistic")).toInt(), 0);
    QCOMPARE(t->scalar(QStringLiteral("select count(*) from statistic2")).toInt(), 0);
}

void TestStatistics::brokenRunChangesNothing_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("step");  // the write that fails, or "cancel ..." for a cancel
    QTest::addColumn<int>("occurrence");
    const QList<QPair<QString, int>> breaks{
        {QStringLiteral("statistic"), 1},  {QStringLiteral("statistic"), 3},      {QStringLiteral("statistic2"), 1},
        {QStringLiteral("statistic2"), 8}, {QStringLiteral("notice_history"), 1}, {QStringLiteral("notice"), 1},
        {QStringLiteral("counter"), 1},    {QStringLiteral("cancel reading"), 1}, {QStringLiteral("cancel writing"), 5},
    };
    for (DbKind kind : testedKinds())
        for (const auto &[step, occurrence] : breaks)
            QTest::addRow("%s %s %d", qPrintable(kindName(kind)), qPrintable(step), occurrence)
                << int(kind) << step << occurrence;
}

void TestStatistics::brokenRunChangesNothing()
{
    QFETCH(int, kind);
    QFETCH(QString, step);
    QFETCH(int, occurrence);
    FIXTURE(t, DbKind(kind), fixture);
    QSqlDatabase db = t->connection(QStringLiteral("run"));
    const QStringList before = dumpTouchedTables(db);

    int seen = 0;
    StatisticsHooks hooks;
    if (step.startsWith(QLatin1String("cancel"))) {
        const StatisticsPhase phase = step.endsWith(QLatin1String("reading")) ? StatisticsPhase::Reading
                                                                              : StatisticsPhase::Writing;
        hooks.progress = [&](StatisticsPhase p, int, int) { return !(p == phase && ++seen == occurrence); };
        QVERIFY_THROWS_EXCEPTION(StatisticsCancelled, runStatistics(db, runner(), hooks));
    } else {
        hooks.beforeWrite = [&](const QString &name) {
            if (name == step && ++seen == occurrence)
                throw DbError(QStringLiteral("injected failure"));
        };
        QVERIFY_THROWS_EXCEPTION(DbError, runStatistics(db, runner(), hooks));
    }
    QCOMPARE(seen, occurrence);  // the break happened where it was meant to
    QCOMPARE(dumpTouchedTables(db), before);

    // The next run counts everything once.
    QCOMPARE(runStatistics(db, runner()).counted, kFixtureCounted);
    QCOMPARE(statisticRows(db), expectedStatistic());
    QCOMPARE(statistic2Rows(db), expectedStatistic2());
}

void TestStatistics::killedConnectionChangesNothing_data()
{
    QTest::addColumn<QString>("step");
    QTest::newRow("before statistic2") << QStringLiteral("statistic2");
    QTest::newRow("before the notices") << QStringLiteral("notice");
    QTest::newRow("before the time") << QStringLiteral("counter");
}

void TestStatistics::killedConnectionChangesNothing()
{
    QFETCH(QString, step);
    FIXTURE(t, DbKind::PostgreSQL, fixture);
    QSqlDatabase run = openConnection(t->settings(), QStringLiteral("doomed"));
    QSqlQuery pidQuery(run);
    QVERIFY(pidQuery.exec(QStringLiteral("select pg_backend_pid()")) && pidQuery.next());
    const int pid = pidQuery.value(0).toInt();
    pidQuery.finish();
    const QStringList before = dumpTouchedTables(t->connection());

    StatisticsHooks hooks;
    bool killed = false;
    hooks.beforeWrite = [&](const QString &name) {
        if (name != step || killed)
            return;
        killed = t->scalar(QStringLiteral("select pg_terminate_backend(?)"), {pid}).toBool();
    };
    QVERIFY_THROWS_EXCEPTION(DbError, runStatistics(run, runner(), hooks));
    QVERIFY(killed);
    closeConnection(QStringLiteral("doomed"));
    QCOMPARE(dumpTouchedTables(t->connection()), before);

    QCOMPARE(runStatistics(t->connection(QStringLiteral("again")), runner()).counted, kFixtureCounted);
    QCOMPARE(statisticRows(t->connection()), expectedStatistic());
}

void TestStatistics::noticeBilledDuringTheRunWaits()
{
    FIXTURE(t, DbKind::PostgreSQL, fixture);
    QSqlDatabase db = t->connection(QStringLiteral("run"));
    StatisticsHooks hooks;
    hooks.beforeWrite = [&](const QString &name) {
        // Another workstation bills a notice (and commits) while the run works.
        if (name == QLatin1String("statistic")
            && t->scalar(QStringLiteral("select status from notice where ID='0000016'")).toInt() == 3)
            t->exec(QStringLiteral("update notice set status=5, billcode='0000016' where ID='0000016'"));
    };
    QCOMPARE(runStatistics(db, runner(), hooks).counted, kFixtureCounted);
    QCOMPARE(statisticRows(db), expectedStatistic());
    QCOMPARE(t->scalar(QStringLiteral("select status from notice where ID='0000016'")).toInt(), 5);

    const StatisticsResult next = runStatistics(db, runner());
    QCOMPARE(next.counted, 1);
    QCOMPARE(
        t->scalar(QStringLiteral("select \"1\" from statistic where year='2005' and department='船务科'")).toDouble(),
        1006.5);
    QCOMPARE(t->scalar(QStringLiteral("select status from notice where ID='0000016'")).toInt(), 6);
}

void TestStatistics::noticeVoidedDuringTheRunVoidsTheRun()
{
    FIXTURE(t, DbKind::PostgreSQL, fixture);
    QSqlDatabase db = t->connection(QStringLiteral("run"));
    const QStringList before = dumpTouchedTables(t->connection());
    StatisticsHooks hooks;
    hooks.beforeWrite = [&](const QString &name) {
        // The bill of a notice the run has read is voided meanwhile: its
        // amount may not be counted.
        if (name == QLatin1String("statistic2"))
            t->exec(QStringLiteral("update notice set status=-2 where ID='1000006' and status=5"));
    };
    try {
        runStatistics(db, runner(), hooks);
        QFAIL("the run went through");
    } catch (const UserRefusal &refusal) {
        QCOMPARE(refusal.message(), QStringLiteral("统计期间有通知单被修改，本次统计未生效，请重新统计"));
    }
    QStringList expected = before;
    expected.replace(expected.indexOf(QStringLiteral("1000006|5")), QStringLiteral("1000006|-2"));
    QCOMPARE(dumpTouchedTables(t->connection()), expected);
}

void TestStatistics::planAmounts_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint64>("cents");  // -1: refused
    const QList<QPair<const char *, qint64>> cases{
        {"0", 0},
        {"12", 1200},
        {"12.5", 1250},
        {"12.34", 1234},
        {" 7.05 ", 705},
        {"12.", 1200},
        {"1234567890123.99", 123456789012399},
        {"", -1},
        {"-1", -1},
        {"1.234", -1},
        {"abc", -1},
        {"1e3", -1},
        {".5", -1},
        {"1,000", -1},
        {"１２", -1},
        {"12 34", -1},
        {"12345678901234", -1},
    };
    for (const auto &[text, cents] : cases)
        QTest::newRow(text) << QString::fromUtf8(text) << cents;
}

void TestStatistics::planAmounts()
{
    QFETCH(QString, text);
    QFETCH(qint64, cents);
    const std::optional<qint64> parsed = parsePlanAmount(text);
    QCOMPARE(parsed.value_or(-1), cents);
}

void TestStatistics::savesPlans()
{
    QFETCH(int, kind);
    FIXTURE(t, DbKind(kind), fixture);
    QSqlDatabase db = t->connection(QStringLiteral("run"));
    runStatistics(db, runner());
    savePlan(db, QStringLiteral("2005"), QStringLiteral("船检科"), QStringLiteral("80000.1"));
    QCOMPARE(
        t->scalar(QStringLiteral("select expect from statistic where year='2005' and department='船检科'")).toDouble(),
        80000.1);

    const QStringList before = statisticRows(db);
    try {
        savePlan(db, QStringLiteral("2005"), QStringLiteral("船检科"), QStringLiteral("-5"));
        QFAIL("a negative plan was stored");
    } catch (const UserRefusal &refusal) {
        QCOMPARE(refusal.message(), kPlanRefused);
    }
    // Plans exist only for rows that a run made.
    QVERIFY_THROWS_EXCEPTION(UserRefusal,
                             savePlan(db, QStringLiteral("2006"), QStringLiteral("船检科"), QStringLiteral("5")));
    QCOMPARE(statisticRows(db), before);
    QCOMPARE(t->scalar(QStringLiteral("select count(*) from statistic")).toInt(), 4);
}

// SQL Server cannot run here: its statements are checked as text.
void TestStatistics::sqlServerStatements()
{
    const SqlDialect dialect(DbKind::SqlServer);
    QCOMPARE(dialect.monthColumn(12), QStringLiteral("[12]"));
    const Statement insert = dialect.insertIfMissing(QStringLiteral("statistic2"),
                                                     {QStringLiteral("year"), QStringLiteral("type")},
                                                     {QStringLiteral("2005"), QStringLiteral("年度检验")});
    QCOMPARE(insert.sql, QStringLiteral("insert into statistic2 (year,type) select ?,? where not exists "
                                        "(select 1 from statistic2 with (updlock, holdlock) where year=? and type=?)"));
    QCOMPARE(insert.values, QVariantList({QStringLiteral("2005"), QStringLiteral("年度检验"), QStringLiteral("2005"),
                                          QStringLiteral("年度检验")}));
    QCOMPARE(dialect.inTextListCondition(QStringLiteral("ID")),
             QStringLiteral("ID in (select value from openjson(?))"));
    QCOMPARE(dialect.textListValue({QStringLiteral("0000001"), QStringLiteral("a\"b")}).toString(),
             QStringLiteral("[\"0000001\",\"a\\\"b\"]"));
    QCOMPARE(
        SqlDialect(DbKind::PostgreSQL).textListValue({QStringLiteral("0000001"), QStringLiteral("a\"b,c")}).toString(),
        QStringLiteral("{\"0000001\",\"a\\\"b,c\"}"));
}

QTEST_GUILESS_MAIN(TestStatistics)
#include "tst_statistics.moc"
