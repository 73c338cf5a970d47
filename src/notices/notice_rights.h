#pragma once
// What a user may do with a selected notice, from its state, section and
// handler and from the user's role and rights.

#include <QString>

struct UserRecord;

struct NoticeFacts
{
    QString id;
    int status = 0;
    QString department;
    QString handler;
};

struct SelectionRights
{
    bool modifyAndDelete = false;  // bt_modify, bt_del
    bool print = false;            // bt_print
    bool reviewArea = false;       // the reviewer labels, showing the user as current reviewer
    bool approve = false;          // bt_checknow
    bool reject = false;           // bt_badchecknow and the reason memo
};

SelectionRights selectionRights(const NoticeFacts &notice, const UserRecord &user);
