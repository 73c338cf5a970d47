// Skipped bill numbers, on the embedded file and on PostgreSQL: the runs of a
// range that the sequence passed and no notice carries, and the count of the
// current year that the bill window shows.

#include "bill_fixture.h"
#include "notice_row.h"

#include "app/codes.h"
#include "finance/bill_gaps.h"
#include "finance/bill_operations.h"

#include <QtTest>

using namespace finance;

namespace {

const QString kShip = QStringLiteral("船务科");

QStringList runTexts(const QList<BillNumberRun> &runs)
{
    QStringList texts;
    for (const BillNumberRun &run : runs)
        texts << skippedRunLine(run);
    return texts;
}

void addBill(TestDatabase &db, const QString &id, int status, const QString &billCode, const QDateTime &at)
{
    NoticeRow(id).rdate(at).status(status).department(kShip).billcode(billCode).money(10).insert(db.connection());
}

}  // namespace

class TestBillGaps : public QObject
{
    Q_OBJECT
private slots:
    void runsOfARange_data();
    void runsOfARange();
    void skippedThisYear_data() { addKindRows(); }
    void skippedThisYear();
};

void TestBillGaps::runsOfARange_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("counter");
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("last");
    QTest::addColumn<QStringList>("skipped");
    for (DbKind kind : testedKinds()) {
        const QString k = kindName(kind) + QStringLiteral(": ");
        auto row = [&](const char *name) {
            return &(QTest::newRow(qPrintable(k + QString::fromUtf8(name))) << int(kind));
        };
        *row("runs and single numbers") << 112 << 101 << 120
                                        << QStringList{"缺号 0000104", "缺号 0000107–0000109", "缺号 0000111"};
        *row("a range inside a run") << 112 << 108 << 108 << QStringList{"缺号 0000108"};
        *row("every number carried, whatever the state") << 112 << 101 << 106 << QStringList{"缺号 0000104"};
        *row("numbers the counter has not reached are not skipped") << 112 << 112 << 130 << QStringList{};
        *row("a counter an older program left behind")
            << 100 << 101 << 120 << QStringList{"缺号 0000104", "缺号 0000107–0000109"};
        *row("an empty counter and nothing carried") << 0 << 1 << 20 << QStringList{};
    }
}

void TestBillGaps::runsOfARange()
{
    QFETCH(int, kind);
    QFETCH(int, counter);
    QFETCH(int, first);
    QFETCH(int, last);
    QFETCH(QStringList, skipped);
    FIXTURE(db, DbKind(kind), TestDatabase::create);
    const QDateTime at = QDateTime::currentDateTime().addDays(-1);
    addBill(*db, QStringLiteral("0000001"), 5, QStringLiteral("0000101"), at);
    addBill(*db, QStringLiteral("0000002"), 6, QStringLiteral("0000102"), at);
    addBill(*db, QStringLiteral("0000003"), -2, QStringLiteral("0000103"), at);
    addBill(*db, QStringLiteral("0000005"), 4, QStringLiteral("0000105"), at);  // paid: not in the ledger, not lost
    addBill(*db, QStringLiteral("0000006"), 5, QStringLiteral("0000106"), at);
    addBill(*db, QStringLiteral("0000010"), 5, QStringLiteral("0000110"), at);
    // Texts that are no seven-digit number account for nothing.
    addBill(*db, QStringLiteral("0000011"), 5, QStringLiteral("000011x"), at);
    db->exec(QStringLiteral("update counter set billcode=?"), {counter});
    QCOMPARE(runTexts(skippedBillNumbers(db->connection(), first, last)), skipped);
}

// Only what this year skipped: the run just below the year's first bill (it
// was typed above the proposed number) counts, the runs of the years before
// do not; a notice made last year and billed this year is this year's bill.
void TestBillGaps::skippedThisYear()
{
    QFETCH(int, kind);
    FIXTURE(db, DbKind(kind), TestDatabase::create);
    const int year = QDate::currentDate().year();
    const QDateTime lastYear(QDate(year - 1, 6, 1), QTime(9, 30));
    addBill(*db, QStringLiteral("0000040"), 6, QStringLiteral("0000040"), lastYear);
    addBill(*db, QStringLiteral("0000050"), 6, QStringLiteral("0000050"), lastYear);  // skipped 41-49
    db->exec(QStringLiteral("update counter set billcode=51"));
    QSqlDatabase c = db->connection(QStringLiteral("workstation"));
    QCOMPARE(skippedBillNumbersOfYear(c, year), 0);

    NoticeRow(QStringLiteral("0000061")).status(3).department(kShip).rdate(lastYear.addDays(200)).insert(c);
    for (const char *id : {"0000071", "0000072", "0000073"})
        NoticeRow(QString::fromLatin1(id)).status(3).department(kShip).rdate(QDateTime::currentDateTime()).insert(c);
    const UserRecord user = billManager(kShip);
    struct Bill
    {
        const char *id;
        const char *typed;
        int skipped;
    };
    for (const Bill &bill : {Bill{"0000071", "0000054", 3}, Bill{"0000072", "0000055", 3},
                             Bill{"0000061", "0000058", 5}, Bill{"0000073", "0000060", 6}}) {
        issueBill(c, user, {QString::fromLatin1(bill.id), 0, proposedBillNumber(c), QString::fromLatin1(bill.typed)});
        QCOMPARE(skippedBillNumbersOfYear(c, year), bill.skipped);
    }
    // A voided bill still accounts for its number.
    voidBill(c, user, QStringLiteral("0000073"), 1, QStringLiteral("填错"));
    QCOMPARE(skippedBillNumbersOfYear(c, year), 6);
    QCOMPARE(runTexts(skippedBillNumbers(c, 40, 60)),
             (QStringList{"缺号 0000041–0000049", "缺号 0000051–0000053", "缺号 0000056–0000057", "缺号 0000059"}));
    QCOMPARE(skippedBillNumbersOfYear(c, year + 1), 0);
}

QTEST_GUILESS_MAIN(TestBillGaps)
#include "tst_bill_gaps.moc"
