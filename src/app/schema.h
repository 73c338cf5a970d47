#pragma once
// Creating the tables in an empty database from the schema file of its kind.

#include <QSqlDatabase>
#include <QStringList>

// The statements of a schema file: separated by ";" at the end of a line,
// with "--" comment lines left out.
QStringList schemaStatements(const QString &fileContent);

// Runs the schema file of the connection's kind from the folder, in one
// transaction where the database allows it. Throws DbError.
void createSchema(QSqlDatabase db, const QString &schemaFolder);

// The folder of schema files installed beside the program.
QString installedSchemaFolder();

// The twelve tables of the system.
QStringList systemTables();
