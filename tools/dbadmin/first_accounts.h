#pragma once
// The first accounts of a new database: the leaders of the ship affairs and
// ship inspection sections and of finance. Each of them keeps the accounts of
// the own section from then on; nobody else can make an account.

#include "db/db_settings.h"

#include <QList>
#include <QString>

namespace dbadmin {

struct FirstAccount
{
    int typeId = 0;  // 4, 6 or 8
    QString name;
    QString login;
    QString password;  // empty: generated
};

// The three accounts with their usual logins (cwld, cjld, cwkld), the
// section's name in place of a person's, and no password.
QList<FirstAccount> defaultFirstAccounts();

// Parses "LOGIN:NAME[:PASSWORD]" over the account; a part left empty keeps
// what the account has. Throws UserRefusal for a text without a name.
void applyAccountOption(FirstAccount &account, const QString &option);

// A password of eight letters and digits that are not mistaken for each
// other, from the system's random source.
QString generatedPassword();

// Makes the database ready for its first login: the embedded file and the
// tables where the database has none, then the accounts, with passwords
// generated where none was given, in one transaction. Refuses (UserRefusal)
// a database that holds accounts already, or only some of the tables, and
// a name, login or password wider than its field. Returns the accounts as
// stored.
QList<FirstAccount> initDatabase(const DbSettings &settings, const QString &schemaFolder, QList<FirstAccount> accounts);

// The accounts with their passwords, for the one time they are shown.
QString firstAccountsText(const QList<FirstAccount> &accounts);

}  // namespace dbadmin
