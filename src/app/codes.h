#pragma once
// The numeric codes stored in coded columns, their texts, and the fixed
// literals that the workflow compares against. One place for all of them.

#include <QString>
#include <QStringList>

namespace codes {

// Notice states (notice.status).
enum NoticeState : int {
    StateNew = 1,
    StateApproved = 2,
    StatePrinted = 3,
    StatePaid = 4,
    StateBilled = 5,
    StateArchived = 6,
    StateRejected = -1,
    StateVoided = -2,
    StateAbnormal = -3,
};

// Role codes (person.typeid).
enum Role : int {
    RoleMaintenance = 1,
    RoleCollector = 2,
    RoleShipAffairsStaff = 3,
    RoleShipAffairsLeader = 4,
    RoleInspectionStaff = 5,
    RoleInspectionLeader = 6,
    RoleFinanceStaff = 7,
    RoleFinanceLeader = 8,
};

// Department literals.
inline const QString kShipAffairs = QStringLiteral("船务科");
inline const QString kInspection = QStringLiteral("船检科");
inline const QString kFinance = QStringLiteral("财务科");
inline const QString kNoDepartment = QStringLiteral("无效");

// Inspection type literals and the name list table that supplies each one's contents.
inline const QString kBuildInspection = QStringLiteral("建造检验");
inline const QString kRunInspection = QStringLiteral("营运检验");
inline const QString kOtherInspection = QStringLiteral("其它检验");
QStringList inspectionTypes();
// The name list table of an inspection type ("buildtype", "runtype", "othertype"),
// or an empty string for a text that is no inspection type.
QString inspectionContentTable(const QString &inspectionType);

// Ship affairs fee types, in the order of the notice flags that select them.
struct FeeType
{
    QString literal;  // itemcw.type / itemofnotice.type
    QString flag;     // the notice column that selects it
};
const QList<FeeType> &feeTypes();

// Display texts.
QString stateText(int status);
QString roleText(int typeId);               // the role as listed in user lists
int roleCodeFromText(const QString &text);  // 1..8, any other text 9
QString identityForRole(int typeId);        // CurrentUser.identity
QString departmentForRole(int typeId);      // CurrentUser.department
QString sectionPrefix(int typeId);          // "0", "1" or "" for roles that create no notices
QString rightText(int value);               // checker/admin: 1 "有", else "没有"
int rightCodeFromText(const QString &text);

// Whether a user of the department may print a notice in this state: ship
// inspection notices after approval, ship affairs notices also before it.
bool printable(const QString &userDepartment, int status);

// Zero-filled serials: the last six (seven) characters of the decimal value
// behind six (seven) zeros.
QString PadSerial6(int value);
QString PadBillCode7(int value);

}  // namespace codes
