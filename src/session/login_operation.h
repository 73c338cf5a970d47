#pragma once

#include "app/current_user.h"

#include <optional>

class NamedQuery;

// Looks up the account with this login name and password (the database alone
// decides the match, with its own collation). Returns the first matching
// account, or nothing. Throws DbError.
std::optional<UserRecord> findAccount(NamedQuery &aq_login, const QString &nickname, const QString &password);
