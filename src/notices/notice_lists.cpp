#include "notice_lists.h"

#include "app/codes.h"
#include "app/current_user.h"
#include "db/connection.h"
#include "db/db_error.h"

#include <QSqlError>
#include <QSqlQuery>

namespace {

enum class Scope { Section, Own, Empty };

// Newest first; the number settles notices of the same second, so the order
// is total and the list can be read page after page by key.
const QString kOrder = QStringLiteral(" order by Rdate desc, ID desc");
constexpr int kNoticeNumberLength = 7;

Statement scoped(Scope scope, const QString &condition, const QVariantList &conditionValues, const UserRecord &user)
{
    switch (scope) {
    case Scope::Section:
        return {QStringLiteral("select * from notice where department=?") + condition + kOrder,
                QVariantList{user.department} + conditionValues};
    case Scope::Own:
        return {QStringLiteral("select * from notice where handler=?") + condition + kOrder,
                QVariantList{user.userName} + conditionValues};
    case Scope::Empty:
        break;
    }
    return emptyNoticeList();
}

bool isClerk(int role)
{
    return role == codes::RoleShipAffairsStaff || role == codes::RoleInspectionStaff;
}

bool isLeader(int role)
{
    return role == codes::RoleShipAffairsLeader || role == codes::RoleInspectionLeader;
}

Scope scopeOf(NoticeList list, const UserRecord &user)
{
    const int role = user.typeId;
    const bool reviewer = user.hasReviewRight();
    if (list == NoticeList::NotReviewed) {
        // Ship affairs notices need no review: that section has no such list.
        if (role == codes::RoleInspectionLeader)
            return Scope::Section;
        if (role == codes::RoleInspectionStaff)
            return reviewer ? Scope::Section : Scope::Own;
        return Scope::Empty;
    }
    if (isLeader(role))
        return Scope::Section;
    if (isClerk(role)) {
        // Ship affairs clerks print any notice of their section.
        if (list == NoticeList::NotPrinted && role == codes::RoleShipAffairsStaff)
            return Scope::Section;
        return reviewer ? Scope::Section : Scope::Own;
    }
    return Scope::Empty;
}

QString conditionOf(NoticeList list, int role)
{
    switch (list) {
    case NoticeList::NotReviewed:
        return QStringLiteral(" and status=1");
    case NoticeList::NotPrinted:
        return role == codes::RoleShipAffairsStaff || role == codes::RoleShipAffairsLeader
                   ? QStringLiteral(" and (status=1 or status=2)")
                   : QStringLiteral(" and status=2");
    case NoticeList::NotBilled:
        return QStringLiteral(" and status=3");
    case NoticeList::Billed:
        return QStringLiteral(" and status=5");
    case NoticeList::Rejected:
        break;
    }
    return QStringLiteral(" and status=-1");
}

}  // namespace

Statement emptyNoticeList()
{
    return {QStringLiteral("select * from notice where status=-3"), {}};
}

Statement noticeListStatement(NoticeList list, const UserRecord &user)
{
    return scoped(scopeOf(list, user), conditionOf(list, user.typeId), {}, user);
}

Statement noticeSearchStatement(const QString &text, const UserRecord &user, const SqlDialect &dialect,
                                const std::optional<QStringList> &numbers)
{
    const int role = user.typeId;
    Scope scope = Scope::Empty;
    if (isLeader(role))
        scope = Scope::Section;
    else if (isClerk(role))
        scope = user.hasReviewRight() ? Scope::Section : Scope::Own;
    // A text as long as a notice number can only be contained in the number
    // itself: the same rows, found through the key instead of a scan.
    if (text.size() == kNoticeNumberLength)
        return scoped(scope, QStringLiteral(" and ID=?"), {text}, user);
    if (scope == Scope::Empty)
        return emptyNoticeList();
    Statement s = scope == Scope::Section
                      ? Statement{QStringLiteral("select * from notice where department=?"), {user.department}}
                      : Statement{QStringLiteral("select * from notice where handler=?"), {user.userName}};
    if (!text.isEmpty())
        s = numbers ? dialect.noticeIdAmong(s, *numbers) : dialect.noticeIdWalk(s, text);
    s.sql += kOrder;
    return s;
}

std::optional<QStringList> findNoticeNumbers(QSqlDatabase db, const QString &text, int limit)
{
    const SqlDialect dialect(db);
    if (text.size() == kNoticeNumberLength || !dialect.hasNoticeIdIndex(text))
        return std::nullopt;
    QSqlQuery q = runStatement(db, dialect.noticeIdMatches(text, limit));
    QStringList numbers;
    int read = 0;
    for (; q.next(); ++read) {
        // The index may ignore letter case; the search does not.
        const QString number = q.value(0).toString();
        if (number.contains(text))
            numbers << number;
    }
    const QSqlError error = q.lastError();
    q.finish();
    if (error.isValid())
        throwDbFailure(db, error);
    if (read >= limit)
        return std::nullopt;
    return numbers;
}

Statement noticeSearch(QSqlDatabase db, const QString &text, const UserRecord &user, int limit)
{
    return noticeSearchStatement(text, user, SqlDialect(db), findNoticeNumbers(db, text, limit));
}
