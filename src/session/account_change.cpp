#include "account_change.h"

#include "app/current_user.h"

#include "db/named_query.h"
#include "db/user_refusal.h"

bool loginNameTakenByAnother(NamedQuery &aq_personcheck, const QString &currentNickname, const QString &newNickname)
{
    aq_personcheck.close();
    aq_personcheck.open(QStringLiteral("select nickname from person where nickname<>?"), {currentNickname});
    bool taken = false;
    for (bool row = !aq_personcheck.isEmpty(); row && !taken; row = aq_personcheck.next())
        taken = aq_personcheck.value(QStringLiteral("nickname")).toString() == newNickname;
    aq_personcheck.close();
    return taken;
}

void changeOwnAccount(NamedQuery &aq_login, const UserRecord &user, const QString &newNickname,
                      const QString &newPassword)
{
    aq_login.close();
    const int changed = aq_login.execute(
        QStringLiteral("update person set nickname=?,password=? where nickname=? and password=?"),
        {newNickname, newPassword, user.nickname, user.password});
    if (changed == 0)
        throw UserRefusal(QStringLiteral("本人账号已被管理员修改或删除，未作更改，请重新登录"));
}
