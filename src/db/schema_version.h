#pragma once
// The version of the schema a database holds. The current schema records it
// in the one-row table schemaversion; older databases are told apart by what
// they lack.
//
// To change the schema: edit the three files in db/ alike, raise
// kSchemaVersion and the number those files insert into schemaversion.
// `dbadmin upgrade` rebuilds every table from the files and carries the rows
// over, so a new table, a new column with a default or a new index needs
// nothing more; only a change that must rewrite stored values needs code in
// the upgrade (schema_upgrade.cpp).

#include <QSqlDatabase>
#include <QString>

// Versions:
//   0  the administration's original twelve tables, without the keys and
//      columns added here (notice.revision, itemofnotice.lineid, ...);
//   1  those additions, no recorded version;
//   2  recorded version, unique bill numbers, the number search index;
//   3  the notices' history (notice_history);
//   4  the trail of master data changes (masterdata_audit).
constexpr int kSchemaVersion = 4;
// A database that holds no notice table: not one of the system's.
constexpr int kNoSchema = -1;

// Throws DbError when the database cannot be read.
int schemaVersionOf(QSqlDatabase db);

// The words for the user when the database's schema is not the one this
// program works on; empty when it is (or when there is no schema at all,
// which the first statement reports).
QString schemaMismatchMessage(int version);

// Throws UserRefusal with that message when the schema is older or newer.
void requireCurrentSchema(QSqlDatabase db);
