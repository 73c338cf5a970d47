#include "demo_data.h"

#include "app/codes.h"
#include "db/counter.h"
#include "db/db_error.h"
#include "db/sql_statement.h"
#include "db/transaction.h"
#include "finance/statistics_run.h"

#include <QDateTime>
#include <QMap>
#include <QSqlDriver>
#include <QSqlQuery>
#include <QVariant>

#include <array>
#include <cmath>

namespace {

void run(QSqlDatabase db, const QString &sql, const QVariantList &values = {})
{
    runStatement(db, sql, values).finish();
}

struct CatalogueRow
{
    const char *name;
    double price;
    const char *type;
};

const QList<CatalogueRow> kShipAffairsCatalogue{
    {"船舶所有权登记费", 30, "登记"},
    {"船舶国籍登记费", 20, "登记"},
    {"船舶抵押权登记费", 0, "登记"},
    {"船员培训费", 120, "船员培训、申验、考试"},
    {"船员考试费", 45.5, "船员培训、申验、考试"},
    {"适任证书申验费", 0, "船员培训、申验、考试"},
    {"证书工本费", 12.5, "工本费"},
    {"船员服务簿工本费", 5, "工本费"},
    {"航行资料费", 0, "内部资料"},
    {"法规汇编资料费", 18, "内部资料"},
};

const QList<const char *> kInspectionCatalogue{
    "船舶检验费", "图纸审查费", "船用产品检验费", "吨位丈量费", "载重线检验费", "防污染检验费", "证书费", "交通费",
};

const QList<const char *> kCompanies{
    "东港航运有限公司", "海安船务公司", "北湾渔业合作社", "兴达海运集团", "南岛客运公司",
};
const QList<const char *> kBuildContents{"新建船舶", "改建船舶", "船舶图纸"};
const QList<const char *> kRunContents{"年度检验", "中间检验", "特别检验", "临时检验"};
const QList<const char *> kOtherContents{"拖航检验", "公证检验", "其它"};

const QList<const char *> kShipNames{
    "海安号", "东港168", "渔丰3号", "兴达之星", "南岛1号", "李大海", "陈小渔", "北湾7号",
};

// What the statistics runs that archived the demo's notices counted: cents
// per year, section and month, inspections per year, kind and month.
struct ArchivedTally
{
    QMap<QPair<QString, QString>, std::array<qint64, 12>> cents;
    QMap<QPair<QString, QString>, std::array<qint64, 12>> counts;

    void add(const QDateTime &date, const QString &department, const QString &kind, double money)
    {
        const QString year = QString::number(date.date().year());
        const int month = date.date().month() - 1;
        cents[{year, department}][month] += std::llround(money * 100);
        counts[{year, kind}][month] += 1;
    }

    void store(QSqlDatabase db) const
    {
        QStringList months;
        QStringList marks;
        for (int m = 1; m <= 12; ++m) {
            months << db.driver()->escapeIdentifier(QString::number(m), QSqlDriver::FieldName);
            marks << QStringLiteral("?");
        }
        const auto write = [&](const QString &table, const QString &keyColumn, const auto &rows, bool asMoney) {
            for (auto it = rows.cbegin(); it != rows.cend(); ++it) {
                QVariantList values{it.key().first, it.key().second};
                for (qint64 v : it.value())
                    values << (asMoney ? QVariant(double(v) / 100.0) : QVariant(v));
                run(db,
                    QStringLiteral("insert into %1 (year,%2,%3) values (?,?,%4)")
                        .arg(table, keyColumn, months.join(QLatin1Char(',')), marks.join(QLatin1Char(','))),
                    values);
            }
        };
        write(QStringLiteral("statistic"), QStringLiteral("department"), cents, true);
        write(QStringLiteral("statistic2"), QStringLiteral("type"), counts, false);
    }
};

}  // namespace

const QList<DemoAccount> &demoAccounts()
{
    static const QList<DemoAccount> accounts{
        {"王维护", "weihu", "1234", 1, 0, 0}, {"李收费", "shoufei", "1234", 2, 0, 0},
        {"张船务", "cw", "1234", 3, 0, 0},    {"赵船务", "cwsh", "1234", 3, 1, 1},
        {"钱科长", "cwld", "1234", 4, 1, 1},  {"孙船检", "cj", "1234", 5, 0, 0},
        {"周船检", "cjsh", "1234", 5, 1, 1},  {"吴科长", "cjld", "1234", 6, 1, 1},
        {"郑财务", "cwk", "1234", 7, 0, 0},   {"冯科长", "cwkld", "1234", 8, 0, 0},
    };
    return accounts;
}

void loadDemoData(QSqlDatabase db)
{
    Transaction transaction(db);
    for (const DemoAccount &a : demoAccounts())
        run(db,
            QStringLiteral("insert into person (name,nickname,password,typeid,checker,admin) "
                           "values (?,?,?,?,?,?)"),
            {QString::fromUtf8(a.name), QString::fromUtf8(a.nickname), QString::fromUtf8(a.password), a.typeId,
             a.checker, a.admin});

    for (const CatalogueRow &row : kShipAffairsCatalogue) {
        const int order = advanceCounter(db, CounterColumn::OrderCw);
        run(db, QStringLiteral("insert into itemcw (name,danjia,type,orderx) values (?,?,?,?)"),
            {QString::fromUtf8(row.name), row.price, QString::fromUtf8(row.type), order});
    }
    for (const char *name : kInspectionCatalogue) {
        const int order = advanceCounter(db, CounterColumn::OrderCj);
        run(db, QStringLiteral("insert into itemcj (name,orderx) values (?,?)"), {QString::fromUtf8(name), order});
    }
    const QList<QPair<QString, QList<const char *>>> lists{
        {QStringLiteral("company"), kCompanies},
        {QStringLiteral("buildtype"), kBuildContents},
        {QStringLiteral("runtype"), kRunContents},
        {QStringLiteral("othertype"), kOtherContents},
    };
    for (const auto &[table, names] : lists)
        for (const char *name : names)
            run(db, QStringLiteral("insert into %1 (name) values (?)").arg(table), {QString::fromUtf8(name)});

    // Notices of both sections in every state of the workflow, a few days apart.
    const QList<int> states{1, 1, 2, 3, 5, 6, -1, -2};
    const QDateTime now = QDateTime::currentDateTime();
    ArchivedTally archived;
    int shipIndex = 0;
    for (const bool inspection : {false, true}) {
        const QString department = inspection ? codes::kInspection : codes::kShipAffairs;
        const QString handler = QString::fromUtf8(inspection ? "孙船检" : "张船务");
        const QString leader = QString::fromUtf8(inspection ? "吴科长" : "钱科长");
        for (int i = 0; i < states.size(); ++i) {
            const int status = states[i];
            const int serial = takeCounterValue(db, CounterColumn::Id);
            const QString id = (inspection ? QStringLiteral("1") : QStringLiteral("0")) + codes::PadSerial6(serial);
            const QDateTime created = now.addDays(-3 * (states.size() - i)).addSecs(-3600 * i);
            const QString ship = QString::fromUtf8(kShipNames[shipIndex++ % kShipNames.size()]);
            const bool reviewed = status != 1 && !(status == 3 && !inspection && i % 2);
            QString billcode;
            if (status == 5 || status == 6 || status == -2)
                billcode = codes::PadBillCode7(takeCounterValue(db, CounterColumn::BillCode));

            // Lines: every catalogue item, some of them computed.
            double total = 0;
            if (inspection) {
                for (int k = 0; k < kInspectionCatalogue.size(); ++k) {
                    const bool computed = k < 3;
                    const double amount = computed ? 100.0 * (k + 1) + 50 * i : 0;
                    total += amount;
                    run(db,
                        QStringLiteral("insert into itemofnotice (ID,itemname,description,money,orderx) "
                                       "values (?,?,?,?,?)"),
                        {id, QString::fromUtf8(kInspectionCatalogue[k]),
                         computed ? QStringLiteral("%1+%2").arg(100 * (k + 1)).arg(50 * i)
                                  : QVariant(QMetaType(QMetaType::QString)),
                         computed ? QVariant(amount) : QVariant(QMetaType(QMetaType::Double)), k + 1});
                }
            } else {
                for (int k = 0; k < kShipAffairsCatalogue.size(); ++k) {
                    const CatalogueRow &row = kShipAffairsCatalogue[k];
                    const bool computed = row.price > 0
                                          && (QString::fromUtf8(row.type) == QStringLiteral("登记")
                                              || QString::fromUtf8(row.type) == QStringLiteral("工本费"));
                    const double amount = computed ? row.price * 2 : 0;
                    total += amount;
                    run(db,
                        QStringLiteral("insert into itemofnotice (ID,itemname,description,money,type,orderx) "
                                       "values (?,?,?,?,?,?)"),
                        {id, QString::fromUtf8(row.name),
                         row.price > 0
                             ? QVariant(computed ? QStringLiteral("%1*2").arg(row.price) : QString::number(row.price))
                             : QVariant(QMetaType(QMetaType::QString)),
                         computed ? QVariant(amount) : QVariant(QMetaType(QMetaType::Double)),
                         QString::fromUtf8(row.type), k + 1});
                }
            }

            run(db,
                QStringLiteral(
                    "insert into notice (ID,Rdate,money,status,department,shipname,company,checktype,"
                    "checkcontent,leader,handler,billcode,memo_badcheck,dengji,peixun,gongbenfei,neibuziliao) "
                    "values (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)"),
                {id, created, total, status, department, ship,
                 inspection ? QString::fromUtf8(kCompanies[i % kCompanies.size()]) : QString(),
                 inspection ? codes::kRunInspection : QString(),
                 inspection ? QString::fromUtf8(kRunContents[i % kRunContents.size()]) : QString(),
                 reviewed ? leader : QString(), handler,
                 billcode.isEmpty() ? QVariant(QMetaType(QMetaType::QString)) : QVariant(billcode),
                 status == -1 ? QStringLiteral("请核对收费项目后重新提交") : QString(), !inspection, !inspection,
                 !inspection, false});
            if (status == 6)
                archived.add(created, department,
                             finance::inspectionKind(
                                 inspection ? codes::kRunInspection : QString(),
                                 inspection ? QString::fromUtf8(kRunContents[i % kRunContents.size()]) : QString()),
                             total);
        }
    }
    // The archived notices are counted in the statistics, as the run that
    // archived them left them.
    archived.store(db);
    transaction.commit();
}
