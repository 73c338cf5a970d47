#include "current_user.h"

#include "codes.h"

UserRecord CurrentUser;

void UserRecord::deriveFromRole()
{
    identity = codes::identityForRole(typeId);
    department = codes::departmentForRole(typeId);
}
