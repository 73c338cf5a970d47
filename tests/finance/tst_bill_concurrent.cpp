// Eight workstations, each a process of its own on the PostgreSQL server,
// issuing a hundred bills each at the same moment, every one with the number
// it was shown: no number is stored twice, every refusal is reported, and
// the counter stands one above the largest number issued.

#include "bill_fixture.h"
#include "notice_row.h"

#include <QProcess>
#include <QtTest>

#include <set>

namespace {
constexpr int kWorkstations = 8;
constexpr int kBills = 100;
}  // namespace

class TestBillConcurrent : public QObject
{
    Q_OBJECT
private slots:
    void eightWorkstationsAtOnce();
};

void TestBillConcurrent::eightWorkstationsAtOnce()
{
    FIXTURE(db, DbKind::PostgreSQL, TestDatabase::create);
    QDateTime now = QDateTime::currentDateTime();
    now.setTime(QTime(now.time().hour(), now.time().minute(), now.time().second()));
    NoticeRows notices(db->connection());
    for (int w = 0; w < kWorkstations; ++w) {
        const QString department = w % 2 ? QStringLiteral("船检科") : QStringLiteral("船务科");
        for (int n = w * 1000 + 1; n <= w * 1000 + kBills; ++n) {
            notices.add(NoticeRow(QString::number(w % 2) + QStringLiteral("%1").arg(n, 6, 10, QLatin1Char('0')))
                            .status(3)
                            .department(department)
                            .handler(QStringLiteral("ws%1").arg(w))
                            .rdate(now));
        }
    }
    notices.finish();
    db->exec(QStringLiteral("update counter set billcode=1"));
    const QString database = db->settings().initialCatalog;

    QList<QProcess *> workstations;
    for (int w = 0; w < kWorkstations; ++w) {
        auto *p = new QProcess(this);
        p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        p->start(QStringLiteral(BILL_WORKSTATION), {database, QString::number(w), QString::number(kBills)});
        QVERIFY2(p->waitForStarted(10000), qPrintable(p->errorString()));
        workstations << p;
    }
    // All connected before any of them starts.
    for (QProcess *p : workstations) {
        while (!p->canReadLine())
            QVERIFY2(p->waitForReadyRead(20000), "a workstation did not get ready");
        QCOMPARE(p->readLine().trimmed(), QByteArray("ready"));
    }
    for (QProcess *p : workstations)
        p->write("go\n");
    for (QProcess *p : workstations)
        QVERIFY(p->waitForBytesWritten(10000));

    std::multiset<QString> issuedNumbers;
    QHash<QString, QString> billOf;
    QList<QPair<int, QString>> refused;  // workstation, number
    for (int w = 0; w < kWorkstations; ++w) {
        QProcess *p = workstations[w];
        QVERIFY2(p->waitForFinished(120000), "a workstation did not finish");
        const QList<QByteArray> lines = p->readAllStandardOutput().split('\n');
        int issued = 0;
        for (const QByteArray &line : lines) {
            const QList<QByteArray> words = line.trimmed().split(' ');
            if (words.first() == "issued") {
                ++issued;
                issuedNumbers.insert(QString::fromLatin1(words[2]));
                billOf.insert(QString::fromLatin1(words[1]), QString::fromLatin1(words[2]));
            } else if (words.first() == "refused") {
                // Every refusal names the number taken and a higher one to use.
                QVERIFY(words[2].toInt() > words[1].toInt());
                QCOMPARE(words[3], QByteArray("1"));
                refused << qMakePair(w, QStringLiteral("%1").arg(words[1].toInt(), 7, 10, QLatin1Char('0')));
            } else {
                QVERIFY2(words.first().isEmpty(), line.constData());
            }
        }
        QCOMPARE(p->exitCode(), 0);
        QCOMPARE(issued, kBills);
    }
    qInfo() << refused.size() << "refusals reported";
    QVERIFY2(!refused.isEmpty(), "the workstations never met: nothing was tested");
    // Each refused number went to another workstation's notice.
    for (const auto &[w, number] : std::as_const(refused))
        QCOMPARE_NE(db->scalar(QStringLiteral("select handler from notice where billcode=?"), {number}).toString(),
                    QStringLiteral("ws%1").arg(w));

    // No number twice, none skipped, all as the workstations were told.
    const std::set<QString> distinct(issuedNumbers.begin(), issuedNumbers.end());
    QCOMPARE(int(distinct.size()), kWorkstations * kBills);
    QCOMPARE(*distinct.begin(), QStringLiteral("0000001"));
    QCOMPARE(*distinct.rbegin(), QStringLiteral("%1").arg(kWorkstations * kBills, 7, 10, QLatin1Char('0')));
    QCOMPARE(db->scalar(QStringLiteral("select count(*) from (select billcode from notice where status=5 "
                                       "group by billcode having count(*)>1) as twice"))
                 .toInt(),
             0);
    QCOMPARE(db->scalar(QStringLiteral("select count(*) from notice where status=5")).toInt(), kWorkstations * kBills);
    for (auto it = billOf.cbegin(); it != billOf.cend(); ++it)
        QCOMPARE(db->scalar(QStringLiteral("select billcode from notice where ID=?"), {it.key()}).toString(),
                 it.value());
    QCOMPARE(storedCounter(*db), kWorkstations * kBills + 1);
}

QTEST_GUILESS_MAIN(TestBillConcurrent)
#include "tst_bill_concurrent.moc"
