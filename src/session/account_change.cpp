#include "account_change.h"

#include "app/codes.h"
#include "app/current_user.h"

#include "db/master_data_audit.h"
#include "db/named_query.h"
#include "db/transaction.h"
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
    Transaction transaction(aq_login.database());
    const int changed = aq_login.execute(
        QStringLiteral("update person set nickname=?,password=? where nickname=? and password=?"),
        {newNickname, newPassword, user.nickname, user.password});
    if (changed == 0)
        throw UserRefusal(QStringLiteral("本人账号已被管理员修改或删除，未作更改，请重新登录"));
    // The trail of account changes names the login name, never the password.
    const QString login = QStringLiteral("登录名：");
    const bool renamed = newNickname != user.nickname;
    const bool newPasswordGiven = newPassword != user.password;
    if (renamed || newPasswordGiven) {
        QStringList after;
        if (renamed)
            after << login + newNickname;
        if (newPasswordGiven)
            after << QStringLiteral("本人修改了密码（不记录密码）");
        audit::appendChange(aq_login.database(), user,
                            {codes::departmentForRole(user.typeId), QStringLiteral("person"),
                             QStringLiteral("%1（%2）").arg(user.nickname, user.userName), audit::kChanged,
                             renamed ? login + user.nickname : QString(), after.join(QStringLiteral("；"))});
    }
    transaction.commit();
}
