// Issuing and voiding bills on the embedded file and on PostgreSQL: what is
// stored, what is refused with nothing written, and the database's own guard
// against a bill number stored twice.

#include "bill_fixture.h"
#include "notice_row.h"

#include "app/codes.h"
#include "db/connection.h"
#include "db/db_error.h"
#include "finance/bill_operations.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QtTest>

using namespace finance;

namespace {

const QString kShip = QStringLiteral("船务科");
const QString kInsp = QStringLiteral("船检科");

// Printed notices 0000021..0000023 and 1000021 of the other section, counter at 100.
std::unique_ptr<TestDatabase> printedNotices(DbKind kind)
{
    auto db = TestDatabase::create(kind);
    if (!db)
        return db;
    for (const char *id : {"0000021", "0000022", "0000023"})
        addNotice(*db, QString::fromLatin1(id), 3, kShip);
    addNotice(*db, QStringLiteral("1000021"), 3, kInsp);
    db->exec(QStringLiteral("update counter set billcode=100"));
    return db;
}

BillRequest request(const QString &id, int shown, const QString &typed, int revision = 0)
{
    BillRequest r;
    r.noticeId = id;
    r.revision = revision;
    r.shownNumber = shown;
    r.typedNumber = typed;
    return r;
}

}  // namespace

class TestBillOperations : public QObject
{
    Q_OBJECT
private slots:
    void billNumberStoredOnce_data() { addKindRows(); }
    void billNumberStoredOnce();
    void typedNumber_data();
    void typedNumber();
    void numberTakenMeanwhile_data() { addKindRows(); }
    void numberTakenMeanwhile();
    void noticeChangedMeanwhile_data() { addKindRows(); }
    void noticeChangedMeanwhile();
    void voidReason_data() { addKindRows(); }
    void voidReason();
    void voiding_data() { addKindRows(); }
    void voiding();
};

void TestBillOperations::billNumberStoredOnce()
{
    QFETCH(int, kind);
    FIXTURE(db, DbKind(kind), TestDatabase::create);
    addNotice(*db, QStringLiteral("0000001"), 5, kShip, QStringLiteral("0000100"));
    // Notices without a bill share the empty number freely.
    addNotice(*db, QStringLiteral("0000002"), 3, kShip);
    addNotice(*db, QStringLiteral("0000003"), 3, kShip);
    db->exec(QStringLiteral("update notice set billcode='' where ID in ('0000002','0000003')"));
    addNotice(*db, QStringLiteral("0000004"), 3, kShip);

    QSqlQuery q(db->connection());
    QVERIFY(!NoticeRow(QStringLiteral("1000001"))
                 .status(5)
                 .department(QStringLiteral("船检科"))
                 .billcode(QStringLiteral("0000100"))
                 .tryInsert(db->connection()));
    QVERIFY(!q.exec(QStringLiteral("update notice set billcode='0000100' where ID='0000004'")));
    QCOMPARE(db->scalar(QStringLiteral("select count(*) from notice where billcode='0000100'")).toInt(), 1);
}

void TestBillOperations::typedNumber_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("stored");  // empty: refused
    QTest::addColumn<int>("counter");
    QTest::addColumn<QString>("refusal");
    for (DbKind kind : testedKinds()) {
        const QByteArray k = kindName(kind).toLatin1() + ": ";
        auto row = [&](const char *name) { return &(QTest::newRow(k + name) << int(kind)); };
        *row("the counter's number") << "0000100"
                                     << "0000100" << 101 << QString();
        *row("a higher number") << "0000120"
                                << "0000120" << 121 << QString();
        // The same number as on the form: always stored with seven digits.
        *row("a higher number, short") << "120"
                                       << "0000120" << 121 << QString();
        *row("a lower number") << "0000099" << QString() << 100 << kBillBelowStart;
        *row("zero") << "0" << QString() << 100 << kBillBelowStart;
        *row("letters") << "12a4" << QString() << 100 << kBillNotANumber;
        *row("empty") << "" << QString() << 100 << kBillNotANumber;
        *row("signed") << "+000100" << QString() << 100 << kBillNotANumber;
        *row("blank inside") << "000 100" << QString() << 100 << kBillNotANumber;
        *row("full-width digits") << "０００１００" << QString() << 100 << kBillNotANumber;
    }
}

void TestBillOperations::typedNumber()
{
    QFETCH(int, kind);
    QFETCH(QString, typed);
    QFETCH(QString, stored);
    QFETCH(int, counter);
    QFETCH(QString, refusal);
    FIXTURE(db, DbKind(kind), printedNotices);
    QSqlDatabase c = db->connection(QStringLiteral("workstation"));

    QString outcome;
    try {
        QCOMPARE(issueBill(c, billManager(kShip), request(QStringLiteral("0000021"), 100, typed)), stored);
    } catch (const UserRefusal &r) {
        outcome = r.message();
    }
    QCOMPARE(outcome, refusal);
    QCOMPARE(storedNotice(*db, QStringLiteral("0000021")),
             stored.isEmpty() ? QStringLiteral("3  0") : QStringLiteral("5 %1 1").arg(stored));
    QCOMPARE(storedCounter(*db), counter);
    QCOMPARE(proposedBillNumber(c), counter);
}

void TestBillOperations::numberTakenMeanwhile()
{
    QFETCH(int, kind);
    FIXTURE(db, DbKind(kind), printedNotices);
    QSqlDatabase mine = db->connection(QStringLiteral("mine"));
    QSqlDatabase other = db->connection(QStringLiteral("other"));
    const UserRecord inspection = billManager(kInsp);
    const UserRecord shipAffairs = billManager(kShip);

    // Both were shown 0000100; the other section's workstation issues it first.
    QCOMPARE(issueBill(other, inspection, request(QStringLiteral("1000021"), 100, QStringLiteral("0000100"))),
             QStringLiteral("0000100"));
    try {
        issueBill(mine, shipAffairs, request(QStringLiteral("0000021"), 100, QStringLiteral("0000100")));
        QFAIL("a number issued elsewhere was stored again");
    } catch (const BillNumberTaken &taken) {
        QCOMPARE(taken.smallestUsable(), 101);
        QVERIFY(taken.issuedElsewhere());
        QVERIFY2(taken.message().contains(QStringLiteral("票据号0000100已被其他工作站开出")),
                 qPrintable(taken.message()));
        QVERIFY(taken.message().contains(QStringLiteral("最小票据号是0000101")));
    }
    QCOMPARE(storedNotice(*db, QStringLiteral("0000021")), QStringLiteral("3  0"));
    QCOMPARE(storedCounter(*db), 101);

    // The other one skips ahead to the form it holds; 0000101 is gone too.
    issueBill(other, shipAffairs, request(QStringLiteral("0000022"), 101, QStringLiteral("0000120")));
    try {
        issueBill(mine, shipAffairs, request(QStringLiteral("0000021"), 101, QStringLiteral("0000101")));
        QFAIL("a number below the counter was stored");
    } catch (const BillNumberTaken &taken) {
        QCOMPARE(taken.smallestUsable(), 121);
        QVERIFY(!taken.issuedElsewhere());
    }
    QCOMPARE(storedCounter(*db), 121);

    // A number above the counter that nobody holds may still be typed, even
    // though it was not the one first shown.
    QCOMPARE(issueBill(mine, shipAffairs, request(QStringLiteral("0000021"), 101, QStringLiteral("0000125"))),
             QStringLiteral("0000125"));
    QCOMPARE(storedCounter(*db), 126);

    // A number an older program stored ahead of the counter is refused, not
    // stored twice: also when it kept the number as typed, the same number in
    // another text.
    for (const QString &stored : {QStringLiteral("0000130"), QStringLiteral("130"), QStringLiteral("00130")}) {
        db->exec(QStringLiteral("update notice set billcode=?, status=5 where ID='0000023'"), {stored});
        try {
            issueBill(mine, inspection, request(QStringLiteral("1000021"), 126, QStringLiteral("130")));
            QFAIL(qPrintable(QStringLiteral("the number stored as '%1' was stored again").arg(stored)));
        } catch (const BillNumberTaken &taken) {
            QVERIFY(taken.issuedElsewhere());
        }
        QCOMPARE(storedCounter(*db), 126);
    }
}

void TestBillOperations::noticeChangedMeanwhile()
{
    QFETCH(int, kind);
    FIXTURE(db, DbKind(kind), printedNotices);
    QSqlDatabase c = db->connection(QStringLiteral("workstation"));
    const UserRecord user = billManager(kShip);

    struct Case
    {
        const char *what;
        QString id;
        QString change;
    };
    const QList<Case> cases{
        {"changed", QStringLiteral("0000021"),
         QStringLiteral("update notice set shipname='别的船', revision=revision+1 where ID='0000021'")},
        {"billed elsewhere", QStringLiteral("0000022"),
         QStringLiteral("update notice set status=5, billcode='0000090' where ID='0000022'")},
        {"deleted", QStringLiteral("0000023"), QStringLiteral("delete from notice where ID='0000023'")},
        {"of the other section", QStringLiteral("1000021"), QString()},
    };
    for (const Case &k : cases) {
        if (!k.change.isEmpty())
            db->exec(k.change);
        const QString before = storedNotice(*db, k.id);
        try {
            issueBill(c, user, request(k.id, 100, QStringLiteral("0000100")));
            QFAIL(k.what);
        } catch (const UserRefusal &r) {
            QCOMPARE(r.message(), kBillNoticeChanged);
        }
        // All or nothing: the counter did not move for a bill that was not issued.
        QCOMPARE(storedCounter(*db), 100);
        QCOMPARE(storedNotice(*db, k.id), before);
    }

    // Without the bill right nothing is issued at all.
    try {
        issueBill(c, billManager(kShip, false), request(QStringLiteral("0000021"), 100, QStringLiteral("0000100"), 1));
        QFAIL("issued without the bill right");
    } catch (const UserRefusal &r) {
        QCOMPARE(r.message(), kNoBillRight);
    }
    QCOMPARE(storedCounter(*db), 100);
}

void TestBillOperations::voiding()
{
    QFETCH(int, kind);
    FIXTURE(db, DbKind(kind), TestDatabase::create);
    addNotice(*db, QStringLiteral("0000031"), 5, kShip, QStringLiteral("0000031"));
    addNotice(*db, QStringLiteral("0000032"), 5, kShip, QStringLiteral("0000032"));
    addNotice(*db, QStringLiteral("0000033"), 5, kShip, QStringLiteral("0000033"));
    addNotice(*db, QStringLiteral("1000034"), 5, kInsp, QStringLiteral("0000034"));
    db->exec(QStringLiteral("update counter set billcode=35"));
    QSqlDatabase c = db->connection(QStringLiteral("workstation"));
    const UserRecord user = billManager(kShip);

    voidBill(c, user, QStringLiteral("0000031"), 0, QStringLiteral("填错缴费单位"));
    QCOMPARE(storedNotice(*db, QStringLiteral("0000031")), QStringLiteral("-2 0000031 1"));  // keeps its number
    QCOMPARE(storedCounter(*db), 35);  // which is not given out again

    struct Case
    {
        const char *what;
        QString id;
        QString change;
        QString refusal;
    };
    const QList<Case> cases{
        {"counted meanwhile", QStringLiteral("0000032"),
         QStringLiteral("update notice set status=6 where ID='0000032'"), kVoidCounted},
        {"voided already", QStringLiteral("0000031"), QString(), kVoidChanged},
        {"changed meanwhile", QStringLiteral("0000033"),
         QStringLiteral("update notice set revision=revision+1 where ID='0000033'"), kVoidChanged},
        {"of the other section", QStringLiteral("1000034"), QString(), kVoidChanged},
    };
    for (const Case &k : cases) {
        if (!k.change.isEmpty())
            db->exec(k.change);
        const QString before = storedNotice(*db, k.id);
        try {
            voidBill(c, user, k.id, 0, QStringLiteral("重复开票"));
            QFAIL(k.what);
        } catch (const UserRefusal &r) {
            QCOMPARE(r.message(), k.refusal);
        }
        QCOMPARE(storedNotice(*db, k.id), before);
    }
}

// The reason is the only record of why a paid notice lost its bill: a void
// without one, or with one too long to keep whole, writes nothing; the one
// given stands in the notice's history with the number and the amount.
void TestBillOperations::voidReason()
{
    QFETCH(int, kind);
    FIXTURE(db, DbKind(kind), TestDatabase::create);
    addNotice(*db, QStringLiteral("0000031"), 5, kShip, QStringLiteral("0000031"));
    QSqlDatabase c = db->connection(QStringLiteral("workstation"));
    const UserRecord user = billManager(kShip);
    const QString unchanged = storedNotice(*db, QStringLiteral("0000031"));

    struct Case
    {
        const char *what;
        QString reason;
        QString refusal;
    };
    const QList<Case> refused{
        {"empty", QString(), kVoidReasonMissing},
        {"blanks only", QStringLiteral("  \t "), kVoidReasonMissing},
        {"101 Chinese characters", QString(101, QChar(0x8D39)), kVoidReasonTooLong},
    };
    for (const Case &k : refused) {
        try {
            voidBill(c, user, QStringLiteral("0000031"), 0, k.reason);
            QFAIL(k.what);
        } catch (const UserRefusal &r) {
            QCOMPARE(r.message(), k.refusal);
        }
        QCOMPARE(storedNotice(*db, QStringLiteral("0000031")), unchanged);
    }
    QCOMPARE(db->scalar(QStringLiteral("select count(*) from notice_history")).toInt(), 0);

    // A hundred Chinese characters fit, and are kept whole.
    const QString longest = QString(99, QChar(0x8D39)) + QStringLiteral("错");
    checkVoidable(c, user, QStringLiteral("0000031"), 0);
    voidBill(c, user, QStringLiteral("0000031"), 0, QStringLiteral(" ") + longest + QStringLiteral(" "));
    QCOMPARE(
        db->scalar(QStringLiteral("select detail from notice_history where ID='0000031' and action='作废'")).toString(),
        QStringLiteral("票据号 0000031，金额 250.50；理由：") + longest);
    try {
        checkVoidable(c, user, QStringLiteral("0000031"), 1);
        QFAIL("a voided bill was offered again");
    } catch (const UserRefusal &r) {
        QCOMPARE(r.message(), kVoidChanged);
    }
}

QTEST_GUILESS_MAIN(TestBillOperations)
#include "tst_bill_operations.moc"
