#include "current_user.h"

#include "codes.h"

#include "db/notice_history.h"

UserRecord CurrentUser;

void UserRecord::deriveFromRole()
{
    identity = codes::identityForRole(typeId);
    department = codes::departmentForRole(typeId);
}

UserRecord::operator history::Actor() const
{
    return {nickname, userName};
}
