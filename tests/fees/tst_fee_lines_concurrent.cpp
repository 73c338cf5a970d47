// Two workstations creating the lines of the same notice at the same moment:
// the notice gets its catalogue once, not twice.

#include "test_database.h"

#include "app/db_error.h"
#include "app/tdm.h"
#include "fees/fee_lines.h"

#include <QThread>
#include <QtTest>

#include <atomic>

class TestFeeLinesConcurrent : public QObject
{
    Q_OBJECT
private slots:
    void linesCreatedOnce_data();
    void linesCreatedOnce();
};

void TestFeeLinesConcurrent::linesCreatedOnce_data()
{
    addKindRows();
}

void TestFeeLinesConcurrent::linesCreatedOnce()
{
    QFETCH(int, kind);
    auto t = TestDatabase::create(DbKind(kind));
    if (!t)
        QSKIP("PostgreSQL is not running (PGHOST unset)");
    constexpr int kNotices = 40;
    constexpr int kCatalogue = 12;
    for (int i = 0; i < kCatalogue; ++i)
        t->exec(QStringLiteral("insert into itemcj (name,orderx) values (?,?)"),
                {QStringLiteral("检验费%1").arg(i), i});
    for (int n = 0; n < kNotices; ++n)
        t->exec(QStringLiteral("insert into notice (ID,status,department) values (?,1,'船检科')"),
                {QStringLiteral("1%1").arg(n, 6, 10, QLatin1Char('0'))});

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
                    fees::createLinesIfNone(dm, QStringLiteral("船检科"),
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
    QCOMPARE(t->scalar(QStringLiteral("select max(c) from (select count(*) as c from itemofnotice group by ID) x"))
                 .toInt(),
             kCatalogue);
}

QTEST_GUILESS_MAIN(TestFeeLinesConcurrent)
#include "tst_fee_lines_concurrent.moc"
