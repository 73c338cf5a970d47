#include "codes.h"

#include <array>

namespace codes {

namespace {

struct RoleRow
{
    int code;
    const char *roleText;
    const char *identity;
    const char *department;
    const char *prefix;
};

// Roles 1 and 2 are listed under their role texts but identify as outsiders.
constexpr std::array<RoleRow, 8> kRoles{{
    {1, "系统维护人员", "非本系统人员", "无效", ""},
    {2, "收费人员", "非本系统人员", "财务科", ""},
    {3, "船务科工作人员", "船务科工作人员", "船务科", "0"},
    {4, "船务科领导", "船务科领导", "船务科", "0"},
    {5, "船检科工作人员", "船检科工作人员", "船检科", "1"},
    {6, "船检科领导", "船检科领导", "船检科", "1"},
    {7, "财务科工作人员", "财务科工作人员", "财务科", ""},
    {8, "财务科领导", "财务科领导", "财务科", ""},
}};

const RoleRow *findRole(int code)
{
    for (const RoleRow &row : kRoles)
        if (row.code == code)
            return &row;
    return nullptr;
}

QString padded(int value, int width)
{
    const QString text = QString(width, QLatin1Char('0')) + QString::number(value);
    return text.right(width);
}

}  // namespace

QStringList inspectionTypes()
{
    return {kBuildInspection, kRunInspection, kOtherInspection};
}

QString inspectionContentTable(const QString &inspectionType)
{
    if (inspectionType == kBuildInspection)
        return QStringLiteral("buildtype");
    if (inspectionType == kRunInspection)
        return QStringLiteral("runtype");
    if (inspectionType == kOtherInspection)
        return QStringLiteral("othertype");
    return {};
}

const QList<FeeType> &feeTypes()
{
    static const QList<FeeType> types{
        {QStringLiteral("登记"), QStringLiteral("dengji")},
        {QStringLiteral("船员培训、申验、考试"), QStringLiteral("peixun")},
        {QStringLiteral("工本费"), QStringLiteral("gongbenfei")},
        {QStringLiteral("内部资料"), QStringLiteral("neibuziliao")},
    };
    return types;
}

QString stateText(int status)
{
    switch (status) {
    case StateNew:
        return QStringLiteral("新建、未经申核");
    case StateApproved:
        return QStringLiteral("船务科未打印、船检科已审核且未打印");
    case StatePrinted:
        return QStringLiteral("已打印且未被开票");
    case StatePaid:
        return QStringLiteral("已收费");
    case StateBilled:
        return QStringLiteral("已开票且未被统计");
    case StateArchived:
        return QStringLiteral("已统计、归档数据");
    case StateRejected:
        return QStringLiteral("被领导驳回等待修改");
    case StateVoided:
        return QStringLiteral("废票");
    case StateAbnormal:
        return QStringLiteral("不正常");
    default:
        return QStringLiteral("  ");
    }
}

QString roleText(int typeId)
{
    const RoleRow *row = findRole(typeId);
    return row ? QString::fromUtf8(row->roleText) : QStringLiteral("非系统人员");
}

int roleCodeFromText(const QString &text)
{
    for (const RoleRow &row : kRoles)
        if (text == QString::fromUtf8(row.roleText))
            return row.code;
    return 9;
}

QString identityForRole(int typeId)
{
    const RoleRow *row = findRole(typeId);
    return row ? QString::fromUtf8(row->identity) : QStringLiteral("非本系统人员");
}

QString departmentForRole(int typeId)
{
    const RoleRow *row = findRole(typeId);
    return row ? QString::fromUtf8(row->department) : kNoDepartment;
}

QString sectionPrefix(int typeId)
{
    const RoleRow *row = findRole(typeId);
    return row ? QString::fromUtf8(row->prefix) : QString();
}

QString rightText(int value)
{
    return value == 1 ? QStringLiteral("有") : QStringLiteral("没有");
}

int rightCodeFromText(const QString &text)
{
    return text == QStringLiteral("有") ? 1 : 0;
}

bool printable(const QString &userDepartment, int status)
{
    if (userDepartment == kInspection)
        return status == StateApproved;
    if (userDepartment == kShipAffairs)
        return status == StateNew || status == StateApproved;
    return false;
}

QString PadSerial6(int value)
{
    return padded(value, 6);
}

QString PadBillCode7(int value)
{
    return padded(value, 7);
}

}  // namespace codes
