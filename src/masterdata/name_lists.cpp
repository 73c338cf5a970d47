#include "name_lists.h"

#include "audit_trail.h"
#include "named_rows.h"

#include "db/named_query.h"
#include "db/tdm.h"

namespace masterdata {

namespace {

// The widths of notice.company and notice.checkcontent.
constexpr int kCompanyBytes = 50;
constexpr int kContentBytes = 20;

}  // namespace

const NameList &companyList()
{
    static const NameList list{
        QStringLiteral("f_company"),
        QStringLiteral("company"),
        &Tdm::aq_company,
        QStringLiteral("DBGrid_company"),
        QStringLiteral("记账公司管理"),
        QStringLiteral("公司名称"),
        QStringLiteral("公司名称"),
        QStringLiteral("公司名称不可为空"),
        QStringLiteral("该公司已存在"),
        false,
        kCompanyBytes,
    };
    return list;
}

const NameList &buildTypeList()
{
    static const NameList list{
        QStringLiteral("f_buildtype"),
        QStringLiteral("buildtype"),
        &Tdm::aq_buildtype,
        QStringLiteral("DBGrid_buildtype1"),
        QStringLiteral("建造检查项目管理"),
        QStringLiteral("建造检验项目"),
        QStringLiteral("项目名称"),
        QStringLiteral("建造检验项目名称不可为空"),
        QStringLiteral("该建造检验项目已存在"),
        true,
        kContentBytes,
    };
    return list;
}

const NameList &runTypeList()
{
    static const NameList list{
        QStringLiteral("f_runtype"),
        QStringLiteral("runtype"),
        &Tdm::aq_runtype,
        QStringLiteral("DBGrid_runtype"),
        QStringLiteral("营运检查项目管理"),
        QStringLiteral("营运检验项目"),
        QStringLiteral("项目名称"),
        QStringLiteral("营运检验项目名称不可为空"),
        QStringLiteral("该营运检验项目名称已存在"),
        true,
        kContentBytes,
    };
    return list;
}

const NameList &otherTypeList()
{
    static const NameList list{
        QStringLiteral("f_othertype"),
        QStringLiteral("othertype"),
        &Tdm::aq_othertype,
        QStringLiteral("DBGrid_othertype"),
        QStringLiteral("其他检查管理"),
        QStringLiteral("其他检查项目名称"),
        QStringLiteral("项目名称"),
        QStringLiteral("其它检验项目名称不可为空"),
        QStringLiteral("该检验项目名称已存在"),
        true,
        kContentBytes,
    };
    return list;
}

QList<const NameList *> nameLists()
{
    return {&companyList(), &buildTypeList(), &runTypeList(), &otherTypeList()};
}

NewName storeNewName(NamedQuery &q, const NameList &list, const UserRecord &leader)
{
    const QString name = QStringLiteral("name");
    if (q.value(name).toString().isEmpty())
        return NewName::Empty;
    cutToWidth(q, name, list.nameBytes);
    return storeUnlessTaken(q, list.table, name, storeRecorder(list.table, leader)) ? NewName::Stored : NewName::Exists;
}

void deleteName(NamedQuery &q, const NameList &list, const UserRecord &leader)
{
    deleteCurrentRow(q, list.table, QStringLiteral("name"),
                     [&](QSqlDatabase db, const QSqlRecord &row) { recordDeletion(db, leader, list.table, row); });
}

}  // namespace masterdata
