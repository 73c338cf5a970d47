#pragma once
// Opens the database that the settings name, on a connection of the given name.

#include "db_settings.h"

#include <QSqlDatabase>
#include <QString>

#include <optional>

struct OpenOptions
{
    // An embedded database file is made only where the caller means to create
    // a database; the program itself never makes an empty one by mistake.
    bool createMissingFile = false;
};

// Opens the connection or throws DbError with the database layer's message.
// The connection is registered under the name even when opening fails, so
// that a later statement reports the failure again instead of crashing.
QSqlDatabase openConnection(const DbSettings &settings, const QString &connectionName, OpenOptions options = {});

// Opens a registered connection that is closed (it broke, or it could not be
// opened at start-up), with the session settings of openConnection. Throws
// ConnectionLost when a connection that was open once cannot be made again,
// DbError otherwise.
void ensureOpen(QSqlDatabase &db);
// Closes the connection and opens it again: after the server restarted, the
// old one is dead.
void reopenConnection(QSqlDatabase &db);

// Removes a connection registered by openConnection.
void closeConnection(const QString &connectionName);

// How a SQL Server database keeps its texts, read whenever a connection opens.
// Texts go to the server in the code page of the database's collation (the
// FreeTDS driver binds them as VARCHAR), so only a Chinese (936) or a UTF-8
// (65001) collation keeps them; JSON lists need compatibility level 130.
struct DatabaseTraits
{
    QString database;
    QString collation;
    int codePage = 0;
    int compatibilityLevel = 0;
};
// The traits of the connection's database; none for the other kinds. Throws DbError.
std::optional<DatabaseTraits> databaseTraits(QSqlDatabase db);
// Why the program cannot work on such a database, for the administrator: the
// collation or level found and what to do. Empty when it can.
QString databaseTraitsProblem(const DatabaseTraits &traits);
