#include "fee_fixture.h"

#include "notice_row.h"

#include "db/named_query.h"

#include <QtTest>

std::unique_ptr<FeeFixture> FeeFixture::create(DbKind kind, const QString &connectionName)
{
    auto db = TestDatabase::create(kind);
    if (!db)
        return nullptr;
    auto f = std::make_unique<FeeFixture>();
    f->db = std::move(db);
    fillShipAffairsCatalogue(*f->db);
    fillInspectionCatalogue(*f->db);
    f->dm = std::make_unique<Tdm>(f->db->settings(), connectionName);
    f->dm->DataModuleCreate();
    return f;
}

void FeeFixture::openNotice(const NoticeFlags &flags, const QString &id)
{
    if (db->scalar(QStringLiteral("select count(*) from notice where ID=?"), {id}).toInt() == 0)
        NoticeRow(id).status(1).department(QStringLiteral("船务科")).insert(db->connection());
    db->exec(QStringLiteral("update notice set dengji=?,peixun=?,gongbenfei=?,neibuziliao=? where ID=?"),
             {flags.dengji, flags.peixun, flags.gongbenfei, flags.neibuziliao, id});
    dm->aq_notice->open(QStringLiteral("select * from notice where ID=?"), {id});
}

QStringList FeeFixture::openLineNames()
{
    QStringList names;
    NamedQuery &lines = *dm->aq_itemofnotice;
    const int rows = lines.isActive() ? lines.rowCount() : 0;
    for (int r = 0; r < rows; ++r)
        names << lines.valueAt(r, QStringLiteral("itemname")).toString();
    return names;
}

int FeeFixture::lineCount(const QString &id)
{
    return db->scalar(QStringLiteral("select count(*) from itemofnotice where ID=?"), {id}).toInt();
}

void fillShipAffairsCatalogue(TestDatabase &db)
{
    const QString sql = QStringLiteral("insert into itemcw (name,danjia,type,orderx) values (?,?,?,?)");
    const QVariant none(QMetaType::fromType<double>());
    db.exec(sql, {QStringLiteral("船舶登记费"), 30.0, QStringLiteral("登记"), 2});
    db.exec(sql, {QStringLiteral("变更登记费"), 12.5, QStringLiteral("登记"), 1});
    db.exec(sql, {QStringLiteral("培训费"), 0.0, QStringLiteral("船员培训、申验、考试"), 1});
    db.exec(sql, {QStringLiteral("证书工本费"), 5.0, QStringLiteral("工本费"), 1});
    db.exec(sql, {QStringLiteral("资料费"), -1.0, QStringLiteral("内部资料"), 1});
    db.exec(sql, {QStringLiteral("船名'牌'费"), none, QStringLiteral("内部资料"), 2});
}

void fillInspectionCatalogue(TestDatabase &db)
{
    const QString sql = QStringLiteral("insert into itemcj (name,orderx) values (?,?)");
    db.exec(sql, {QStringLiteral("丈量费"), 3});
    db.exec(sql, {QStringLiteral("检验费"), 1});
    db.exec(sql, {QStringLiteral("图纸审查费"), 2});
}
