#pragma once
// A user as the login makes one, for operations called without a window.

#include "app/current_user.h"

#include <QString>

UserRecord testUser(const QString &name, const QString &nickname, int typeId, int checker = 0);
