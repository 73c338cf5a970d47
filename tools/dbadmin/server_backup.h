#pragma once
// Backup and restore of a PostgreSQL database through the server's own
// programs (pg_dump, pg_restore), for a nightly job; the embedded file has
// its own copy (backupSqlite, restoreSqlite).

#include "db/db_settings.h"

#include <QString>

namespace dbadmin {

// Writes the database to targetFile in pg_dump's archive format. An existing
// target is replaced only once the dump is complete. Refuses (UserRefusal)
// when pg_dump is not installed or fails.
QString backupPostgres(const DbSettings &settings, const QString &targetFile);

// Checks that the file is such an archive and that no other session uses
// the database, then restores it in one transaction: either every table is
// as in the backup or the database is as before.
QString restorePostgres(const DbSettings &settings, const QString &backupFile);

// Backup and restore by the kind of database; SQL Server is refused with the
// advice to use the server's own tools.
QString backupDatabase(const DbSettings &settings, const QString &targetFile);
QString restoreDatabase(const DbSettings &settings, const QString &backupFile);

}  // namespace dbadmin
