#pragma once
// Opens the database that the settings name, on a connection of the given name.

#include "db_settings.h"

#include <QSqlDatabase>
#include <QString>

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
