#include "test_user.h"

UserRecord testUser(const QString &name, const QString &nickname, int typeId, int checker)
{
    UserRecord user;
    user.userName = name;
    user.nickname = nickname;
    user.typeId = typeId;
    user.isChecker = checker;
    user.deriveFromRole();
    return user;
}
