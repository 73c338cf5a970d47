#include "login_operation.h"

#include "db/named_query.h"

std::optional<UserRecord> findAccount(NamedQuery &aq_login, const QString &nickname, const QString &password)
{
    struct CloseAtEnd
    {
        NamedQuery &q;
        ~CloseAtEnd() { q.close(); }
    } closeAtEnd{aq_login};

    aq_login.close();
    aq_login.open(QStringLiteral("select * from person where nickname=? and password=?"), {nickname, password});
    if (aq_login.isEmpty())
        return std::nullopt;

    UserRecord user;
    user.userName = aq_login.value(QStringLiteral("name")).toString();
    user.nickname = aq_login.value(QStringLiteral("nickname")).toString();
    user.password = aq_login.value(QStringLiteral("password")).toString();
    user.typeId = aq_login.value(QStringLiteral("typeid")).toInt();
    user.isChecker = aq_login.value(QStringLiteral("checker")).toInt();
    user.isAdmin = aq_login.value(QStringLiteral("admin")).toInt();
    user.deriveFromRole();
    return user;
}
