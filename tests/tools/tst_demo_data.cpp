// The demonstration data agrees with itself: every archived notice is counted
// in the statistics, in its section's money and its inspection kind, and a
// statistics run over the billed ones keeps it so.

#include "test_database.h"
#include "test_user.h"

#include "db/sql_statement.h"
#include "demo_data.h"
#include "finance/statistics_run.h"

#include <QSqlQuery>
#include <QtTest>

namespace {

// Yuan per section over the twelve months of statistic, and the archived
// notices' money per section, both in cents.
QMap<QString, qint64> countedMoney(QSqlDatabase db)
{
    QMap<QString, qint64> sums;
    QSqlQuery q = runStatement(db, QStringLiteral("select * from statistic"));
    while (q.next())
        for (int m = 1; m <= 12; ++m)
            sums[q.value(QStringLiteral("department")).toString()] += std::llround(
                q.value(QString::number(m)).toDouble() * 100);
    return sums;
}

QMap<QString, qint64> archivedMoney(QSqlDatabase db)
{
    QMap<QString, qint64> sums;
    QSqlQuery q = runStatement(db, QStringLiteral("select department,money from notice where status=6"));
    while (q.next())
        sums[q.value(0).toString()] += std::llround(q.value(1).toDouble() * 100);
    return sums;
}

QMap<QString, qint64> countedInspections(QSqlDatabase db)
{
    QMap<QString, qint64> counts;
    QSqlQuery q = runStatement(db, QStringLiteral("select * from statistic2"));
    while (q.next())
        for (int m = 1; m <= 12; ++m)
            counts[q.value(QStringLiteral("type")).toString()] += q.value(QString::number(m)).toLongLong();
    return counts;
}

QMap<QString, qint64> archivedInspections(QSqlDatabase db)
{
    QMap<QString, qint64> counts;
    QSqlQuery q = runStatement(db, QStringLiteral("select checktype,checkcontent from notice where status=6"));
    while (q.next())
        counts[finance::inspectionKind(q.value(0).toString(), q.value(1).toString())] += 1;
    return counts;
}

}  // namespace

class TestDemoData : public QObject
{
    Q_OBJECT
private slots:
    void statisticsCountTheArchivedNotices_data() { addKindRows(); }
    void statisticsCountTheArchivedNotices();
};

void TestDemoData::statisticsCountTheArchivedNotices()
{
    FIXTURE(t, rowKind(), TestDatabase::create);
    QSqlDatabase db = t->connection();
    loadDemoData(db);
    QVERIFY(!archivedMoney(db).isEmpty());
    QCOMPARE(countedMoney(db), archivedMoney(db));
    QCOMPARE(countedInspections(db), archivedInspections(db));

    const int billed = finance::pendingNoticeCount(db);
    QVERIFY(billed > 0);
    QCOMPARE(finance::runStatistics(db, testUser(QStringLiteral("冯科长"), QStringLiteral("cwkld"), 8)).counted,
             billed);
    QCOMPARE(countedMoney(db), archivedMoney(db));
    QCOMPARE(countedInspections(db), archivedInspections(db));
}

QTEST_GUILESS_MAIN(TestDemoData)
#include "tst_demo_data.moc"
