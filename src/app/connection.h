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
QSqlDatabase openConnection(const DbSettings &settings, const QString &connectionName,
                            OpenOptions options = {});

// Removes a connection registered by openConnection.
void closeConnection(const QString &connectionName);

// Which kind of database an open connection talks to.
DbKind kindOf(const QSqlDatabase &db);
