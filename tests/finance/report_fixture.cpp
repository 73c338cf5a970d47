#include "report_fixture.h"

#include "notice_row.h"

#include "app/codes.h"

#include <QDateTime>

namespace {

void addStatistic(TestDatabase &db, const QString &year, const QString &department, double plan, double (*month)(int))
{
    db.exec(QStringLiteral("insert into statistic (year,department,expect) values (?,?,?)"), {year, department, plan});
    for (int m = 1; m <= 12; ++m)
        db.exec(QStringLiteral("update statistic set \"%1\"=? where year=? and department=?").arg(m),
                {month(m), year, department});
}

void addCounts(TestDatabase &db, const QString &year, const QString &type, int base)
{
    db.exec(QStringLiteral("insert into statistic2 (year,type) values (?,?)"), {year, type});
    for (int m = 1; m <= 12; ++m)
        db.exec(QStringLiteral("update statistic2 set \"%1\"=? where year=? and type=?").arg(m),
                {base + m, year, type});
}

void addBill(TestDatabase &db, int n, int status, const QString &party = QString())
{
    const bool inspection = n % 2 == 1;
    NoticeRow((inspection ? QStringLiteral("1") : QStringLiteral("0")) + codes::PadSerial6(n))
        .rdate(QDateTime(QDate(2024, 6, 1).addDays(n % 28), QTime(9, 30)))
        .money(ReportFixture::billMoney(n))
        .status(status)
        .department(inspection ? codes::kInspection : codes::kShipAffairs)
        .shipname(party.isEmpty() ? QStringLiteral("浙舟渔%1").arg(n) : party)
        .billcode(codes::PadBillCode7(n))
        .insert(db.connection());
}

}  // namespace

QList<int> ReportFixture::issuedInRange()
{
    QList<int> bills;
    for (int n = 101; n <= 120; ++n) {
        if (n != 107 && n != 113 && n != 119)
            bills << n;
    }
    return bills;
}

std::unique_ptr<ReportFixture> ReportFixture::create(DbKind kind, const QString &connectionName)
{
    auto db = TestDatabase::create(kind);
    if (!db)
        return nullptr;
    auto f = std::make_unique<ReportFixture>();
    f->db = std::move(db);
    TestDatabase &d = *f->db;
    QSqlDatabase c = d.connection();
    c.transaction();  // one write to disk instead of one per row
    addStatistic(d, QStringLiteral("2023"), codes::kShipAffairs, 0, &ReportFixture::shipAffairs2023);
    addStatistic(d, QStringLiteral("2024"), codes::kShipAffairs, kPlan2024, &ReportFixture::shipAffairs2024);
    addStatistic(d, QStringLiteral("2024"), codes::kInspection, 0, &ReportFixture::inspection2024);
    // Counts of type t in month m: base + m.
    addCounts(d, QStringLiteral("2024"), QStringLiteral("建造检验"), 0);
    addCounts(d, QStringLiteral("2024"), QStringLiteral("年度检验"), 10);
    addCounts(d, QStringLiteral("2024"), QStringLiteral("未知检验"), 500);  // never printed
    addCounts(d, QStringLiteral("2023"), QStringLiteral("临时检验"), 20);
    for (int n = 100; n <= 121; ++n) {
        const bool voided = n == 107 || n == 113;
        addBill(d, n, voided ? codes::StateVoided : n == 119 ? codes::StatePaid : (n % 3 == 0 ? 6 : 5));
    }
    c.commit();
    f->dm = std::make_unique<Tdm>(d.settings(), connectionName);
    f->dm->DataModuleCreate();
    return f;
}

void ReportFixture::addLongRun(int count)
{
    QSqlDatabase c = db->connection();
    c.transaction();
    for (int n = 201; n < 201 + count; ++n)
        addBill(*db, n, n % 50 == 0 ? codes::StateVoided : codes::StateBilled,
                n % 37 == 0 ? longPartyName(n) : QString());
    c.commit();
}
