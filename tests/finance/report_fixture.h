#pragma once
// Two years of statistics and a run of bills around the range 0000101-0000120,
// in a fresh database of the kind, for the statistical reports and the ledger.

#include "test_database.h"

#include "db/tdm.h"

#include <memory>

class ReportFixture
{
public:
    // nullptr when the kind cannot run here.
    static std::unique_ptr<ReportFixture> create(DbKind kind,
                                                 const QString &connectionName = QStringLiteral("reports"));

    // The money of the ship affairs section: 2023 (no plan) and 2024 (plan 30000).
    static double shipAffairs2023(int month) { return month * 100.0 + 0.25; }
    static double shipAffairs2024(int month) { return month * 150.0 + 0.5; }
    static constexpr double kPlan2024 = 30000;
    // The inspection section has 2024 only: its table has no year before.
    static double inspection2024(int month) { return month == 3 ? 1234.56 : 0.0; }

    // Bills: 0000100 to 0000121 in states 5 and 6, except 0000107 and 0000113
    // (voided) and 0000119 (paid, no ledger state); 0000100 and 0000121 lie
    // outside the range. Money of bill n: n + 0.35.
    static QList<int> issuedInRange();
    static QList<int> voidedInRange() { return {107, 113}; }
    static double billMoney(int n) { return n + 0.35; }
    // Adds count more bills from 0000201 (a long ledger): every fiftieth
    // voided, every thirty-seventh paid by a party whose name takes several
    // lines in the ledger (longPartyName).
    void addLongRun(int count);
    static QString longPartyName(int n)
    {
        return QStringLiteral("舟山市普陀区沈家门远洋渔业捕捞有限公司所属浙舟渔%1号").arg(n);
    }

    std::unique_ptr<TestDatabase> db;
    std::unique_ptr<Tdm> dm;
};
