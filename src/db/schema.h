#pragma once
// Creating the tables in an empty database from the schema file of its kind.

#include "db_settings.h"

#include <QSqlDatabase>
#include <QStringList>

// The statements of a schema file: separated by ";" at the end of a line
// (a trigger by "end;" on a line of its own), with "--" comment lines left out.
QStringList schemaStatements(const QString &fileContent);

// The statements of the schema file of the kind in the folder. Throws DbError
// when the file cannot be read.
QStringList schemaFileStatements(DbKind kind, const QString &schemaFolder);

// Runs the statements in order, in the caller's transaction. Throws DbError.
void runSchemaStatements(QSqlDatabase db, const QStringList &statements);

// Runs the schema file of the connection's kind from the folder, in one
// transaction where the database allows it. Throws DbError.
void createSchema(QSqlDatabase db, const QString &schemaFolder);

// The folder of schema files installed beside the program.
QString installedSchemaFolder();

// The twelve tables of the system.
QStringList systemTables();

// The names of the tables the database holds. Throws DbError when they
// cannot be read: a listing that failed is never taken for an empty database.
QStringList databaseTables(QSqlDatabase db);
// Whether the database holds the table, by a name in any letter case.
bool hasDatabaseTable(QSqlDatabase db, const QString &table);
// How many of the system's tables the database holds. Throws DbError.
int systemTablesPresent(QSqlDatabase db);
