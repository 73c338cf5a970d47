// Several workstations taking numbers from the counter row at the same moment:
// every value is handed out exactly once.

#include "test_database.h"

#include "db/connection.h"
#include "db/counter.h"
#include "db/db_error.h"

#include <QThread>
#include <QtTest>

#include <atomic>
#include <set>

class TestCounterConcurrent : public QObject
{
    Q_OBJECT
private slots:
    void everyValueOnce_data();
    void everyValueOnce();
};

void TestCounterConcurrent::everyValueOnce_data()
{
    addKindRows();
}

void TestCounterConcurrent::everyValueOnce()
{
    QFETCH(int, kind);
    FIXTURE(t, DbKind(kind), TestDatabase::create);
    t->exec(QStringLiteral("update counter set id=1000, billcode=1"));

    constexpr int kWorkstations = 8;
    constexpr int kTakes = 150;
    QList<QList<int>> taken(kWorkstations);
    std::atomic<int> failures{0};
    std::atomic<int> ready{0};
    QList<QThread *> threads;
    for (int w = 0; w < kWorkstations; ++w) {
        threads << QThread::create([&, w] {
            const QString name = QStringLiteral("workstation-%1").arg(w);
            try {
                QSqlDatabase db = openConnection(t->settings(), name);
                ++ready;
                while (ready < kWorkstations)
                    QThread::yieldCurrentThread();
                for (int i = 0; i < kTakes; ++i) {
                    // Alternate the two columns, as notices and bills interleave.
                    taken[w] << takeCounterValue(db, CounterColumn::Id);
                    takeCounterValue(db, CounterColumn::BillCode);
                }
            } catch (const DbError &e) {
                qWarning() << e.message();
                ++failures;
                ++ready;
            }
            closeConnection(name);
        });
    }
    for (QThread *thread : threads)
        thread->start();
    for (QThread *thread : threads) {
        thread->wait();
        delete thread;
    }
    QCOMPARE(failures.load(), 0);

    std::set<int> all;
    for (const QList<int> &values : taken) {
        QCOMPARE(values.size(), kTakes);
        for (int i = 1; i < values.size(); ++i)
            QVERIFY(values[i] > values[i - 1]);  // each workstation sees the counter rise
        all.insert(values.begin(), values.end());
    }
    QCOMPARE(int(all.size()), kWorkstations * kTakes);  // no value twice
    QCOMPARE(*all.begin(), 1000);
    QCOMPARE(*all.rbegin(), 1000 + kWorkstations * kTakes - 1);  // and none skipped
    QCOMPARE(t->scalar(QStringLiteral("select id from counter")).toInt(), 1000 + kWorkstations * kTakes);
    QCOMPARE(t->scalar(QStringLiteral("select billcode from counter")).toInt(), 1 + kWorkstations * kTakes);
}

QTEST_GUILESS_MAIN(TestCounterConcurrent)
#include "tst_counter_concurrent.moc"
