#pragma once
// Demonstration data: an account for every role, both fee catalogues, the
// name lists, and notices of both sections in every state, so that a new
// installation can be tried out at once.

#include <QSqlDatabase>
#include <QString>

struct DemoAccount
{
    const char *name;      // person.name
    const char *nickname;  // login name
    const char *password;
    int typeId;
    int checker;
    int admin;
};

// The accounts that loadDemoData creates (the README lists them).
const QList<DemoAccount> &demoAccounts();

// Loads the demonstration data into an empty schema, in one transaction.
// Throws DbError.
void loadDemoData(QSqlDatabase db);
