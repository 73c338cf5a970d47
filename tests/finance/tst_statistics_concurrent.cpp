// Statistics runs started at the same moment on several workstations, each a
// process of its own: every notice is counted exactly once.

#include "statistics_fixture.h"

#include <QProcess>
#include <QtTest>

class TestStatisticsConcurrent : public QObject
{
    Q_OBJECT
private slots:
    void runsAtOnceCountOnce_data() { addKindRows(); }
    void runsAtOnceCountOnce();
};

void TestStatisticsConcurrent::runsAtOnceCountOnce()
{
    QFETCH(int, kind);
    FIXTURE(t, DbKind(kind), TestDatabase::create);
    addStatisticsFixture(*t);
    const DbSettings s = t->settings();

    constexpr int kWorkstations = 3;
    QList<QProcess *> runs;
    for (int i = 0; i < kWorkstations; ++i) {
        auto *p = new QProcess(this);
        p->setProcessChannelMode(QProcess::MergedChannels);
        p->start(QStringLiteral(STATISTICS_RUNNER),
                 {s.provider, s.dataSource, s.initialCatalog, s.userId, QStringLiteral("3000")});
        runs << p;
    }
    int counted = 0;
    qint64 lastStart = 0;
    qint64 firstEnd = std::numeric_limits<qint64>::max();
    for (QProcess *p : std::as_const(runs)) {
        QVERIFY(p->waitForFinished(60000));
        const QString out = QString::fromUtf8(p->readAll()).trimmed();
        QVERIFY2(p->exitCode() == 0 && out.startsWith(QLatin1String("counted ")), qPrintable(out));
        counted += out.section(QLatin1Char(' '), 1, 1).toInt();
        lastStart = std::max(lastStart, out.section(QLatin1Char(' '), 2, 2).toLongLong());
        firstEnd = std::min(firstEnd, out.section(QLatin1Char(' '), 3, 3).toLongLong());
    }
    QVERIFY2(lastStart < firstEnd, "the runs did not overlap");
    QCOMPARE(counted, kFixtureCounted);
    QCOMPARE(statisticRows(t->connection()), expectedStatistic());
    QCOMPARE(statistic2Rows(t->connection()), expectedStatistic2());
    QCOMPARE(t->scalar(QStringLiteral("select count(*) from notice where status=6")).toInt(), kFixtureCounted + 1);
}

QTEST_GUILESS_MAIN(TestStatisticsConcurrent)
#include "tst_statistics_concurrent.moc"
