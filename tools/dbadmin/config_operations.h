#pragma once
// What the configuration window does, without the window: each operation
// opens its own connection, does its work, closes the connection again, and
// returns a text for the user or throws (DbError from the database,
// UserRefusal for something the user can put right).

#include "db/db_settings.h"

#include <QSqlDatabase>
#include <QString>

namespace dbadmin {

// SQLite, PostgreSQL, SQLOLEDB.1 (any letter case), or empty, which the
// program reads as SQLOLEDB.1.
bool knownProvider(const QString &provider);

// The connection's encryption as configured and, on PostgreSQL, as the
// server reports it ("encryption: TLSv1.3 ..." or "encryption: none"); empty
// for the embedded file. Never the password.
QString encryptionSummary(const DbSettings &settings, QSqlDatabase db);

// How many of the system's tables the database already holds.
int systemTablesIn(const DbSettings &settings);

// Opens the connection; returns what was found ("连接成功…").
QString testConnection(const DbSettings &settings);

// Creates the tables; refuses a database that already holds any of them.
QString createSchemaIn(const DbSettings &settings, const QString &schemaFolder);

// Loads the demonstration data; refuses a database that holds accounts.
QString loadDemoInto(const DbSettings &settings);

// A consistent copy of an embedded database file, made while other programs
// may be using it. An existing target is replaced only once the copy is
// complete.
QString backupSqlite(const QString &databaseFile, const QString &targetFile);

// Checks the backup (a sound SQLite file holding every table of the system),
// refuses while any program has the database open, and puts the backup in
// its place. The database as it was is kept beside it (returned text names it).
QString restoreSqlite(const QString &databaseFile, const QString &backupFile);

// The embedded file the settings name, absolute: a relative name counts from
// the folder the program runs in.
QString sqliteFile(const DbSettings &settings, const QString &programFolder);

}  // namespace dbadmin
