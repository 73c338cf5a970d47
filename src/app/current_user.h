#pragma once
// Who is working, and with which rights: filled by every successful login and
// read by every window. It is the only permission store of the program.

#include <QString>

namespace history {
struct Actor;
}

struct UserRecord
{
    QString userName;    // person.name: written into notice.handler / notice.leader
    QString nickname;    // login name
    QString password;    // the account's stored password
    int typeId = 0;      // role code
    int isChecker = 0;   // review right when 1
    int isAdmin = 0;     // bill right when 1
    QString identity;    // the role as shown to the user
    QString department;  // the user's section

    bool hasReviewRight() const { return isChecker == 1; }
    bool hasBillRight() const { return isAdmin == 1; }
    // Fills identity and department from the role code.
    void deriveFromRole();
    // The user as the notice history names who acted.
    operator history::Actor() const;
};

// The process-wide record. It keeps the last user until the next login.
extern UserRecord CurrentUser;
