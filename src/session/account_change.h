#pragma once
// Changing the logged-in user's own login name and password.

#include <QString>

class NamedQuery;
struct UserRecord;

// True when an account other than the user's own (every row whose login name
// differs from the current one) already has exactly this login name. The
// comparison is the program's own, exact and case-sensitive, whatever the
// database's collation. Runs on the check query; throws DbError.
bool loginNameTakenByAnother(NamedQuery &aq_personcheck, const QString &currentNickname, const QString &newNickname);

// Writes the new login name and password into the user's own account row.
// The row is the one the user logged in with (login name and stored
// password), so an account that merely shares the login name keeps its own.
// Throws UserRefusal when that row no longer exists (changed or removed by an
// administrator meanwhile), DbError when the database refuses.
void changeOwnAccount(NamedQuery &aq_login, const UserRecord &user, const QString &newNickname,
                      const QString &newPassword);
