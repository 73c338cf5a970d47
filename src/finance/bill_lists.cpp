#include "bill_lists.h"

#include "app/codes.h"
#include "app/current_user.h"
#include "db/like_pattern.h"

namespace finance {

namespace {

// Both numbers are seven characters long: a text of that length can only be
// the whole number, found through the index instead of a scan.
constexpr int kNumberLength = 7;

Statement stateOfSection(int status, const UserRecord &user, const QString &column, const QString &text)
{
    // Without the bill right nothing is listed, whatever is typed.
    if (!managesBills(user))
        return {QStringLiteral("select * from notice where 1=0"), {}};
    QString sql = QStringLiteral("select * from notice where status=%1 and department=?").arg(status);
    QVariantList values{user.department};
    if (text.size() == kNumberLength) {
        sql += QStringLiteral(" and %1=?").arg(column);
        values << text;
    } else if (!text.isEmpty()) {
        sql += QStringLiteral(" and %1 like ?").arg(column) + kLikeEscape;
        values << containsPattern(text);
    }
    // Newest first; the number settles notices of the same second, so the
    // order is total and the grid reads the list page by page by key.
    return {sql + QStringLiteral(" order by Rdate desc, ID desc"), values};
}

}  // namespace

bool managesBills(const UserRecord &user)
{
    return user.hasBillRight() && user.typeId >= codes::RoleShipAffairsStaff
           && user.typeId <= codes::RoleInspectionLeader;
}

Statement unbilledNotices(const UserRecord &user, const QString &serialText)
{
    return stateOfSection(codes::StatePrinted, user, QStringLiteral("ID"), serialText);
}

Statement issuedBills(const UserRecord &user, const QString &billText)
{
    return stateOfSection(codes::StateBilled, user, QStringLiteral("billcode"), billText);
}

Statement voidedBillsBySerial(const UserRecord &user, const QString &serialText)
{
    return stateOfSection(codes::StateVoided, user, QStringLiteral("ID"), serialText);
}

Statement voidedBillsByBillNumber(const UserRecord &user, const QString &billText)
{
    return stateOfSection(codes::StateVoided, user, QStringLiteral("billcode"), billText);
}

}  // namespace finance
