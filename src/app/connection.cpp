#include "connection.h"

#include "db_error.h"
#include "sql_dialect.h"

#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>

namespace {

void configure(QSqlDatabase &db, const DbSettings &s)
{
    switch (s.kind()) {
    case DbKind::SQLite:
        db.setDatabaseName(s.dataSource);
        // Several programs may share the file; wait for a writer instead of failing at once.
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
        break;
    case DbKind::PostgreSQL: {
        const HostPort hp = splitHostPort(s.dataSource);
        db.setHostName(hp.host);
        if (hp.port > 0)
            db.setPort(hp.port);
        db.setDatabaseName(s.initialCatalog);
        db.setUserName(s.userId);
        db.setPassword(s.password);
        // An unreachable server must not keep the program waiting for minutes.
        db.setConnectOptions(QStringLiteral("connect_timeout=8"));
        break;
    }
    case DbKind::SqlServer:
        db.setDatabaseName(sqlServerOdbcString(s));
        db.setConnectOptions(QStringLiteral("SQL_ATTR_LOGIN_TIMEOUT=8"));
        break;
    }
}

// Qt's SQLite driver opens any file; the first statement finds out whether it
// is a database at all.
void checkSqliteFile(QSqlDatabase &db)
{
    QSqlQuery probe(db);
    if (!probe.exec(QStringLiteral("select count(*) from sqlite_master"))) {
        const QSqlError error = probe.lastError();
        probe.finish();
        throw DbError(QStringLiteral("%1: %2").arg(QFileInfo(db.databaseName()).fileName(),
                                                    error.databaseText()));
    }
}

}  // namespace

QSqlDatabase openConnection(const DbSettings &settings, const QString &connectionName,
                            OpenOptions options)
{
    const SqlDialect dialect(settings.kind());
    if (QSqlDatabase::contains(connectionName))
        QSqlDatabase::removeDatabase(connectionName);
    if (!QSqlDatabase::isDriverAvailable(dialect.driverName())) {
        QSqlDatabase::addDatabase(dialect.driverName(), connectionName);
        throw DbError(QStringLiteral("Driver not loaded: %1").arg(dialect.driverName()));
    }
    QSqlDatabase db = QSqlDatabase::addDatabase(dialect.driverName(), connectionName);
    configure(db, settings);

    if (settings.kind() == DbKind::SQLite && !options.createMissingFile
        && !QFileInfo::exists(settings.dataSource)) {
        throw DbError(QStringLiteral("unable to open database file: %1").arg(settings.dataSource));
    }
    if (!db.open())
        throw DbError(db.lastError());
    if (settings.kind() == DbKind::SQLite) {
        checkSqliteFile(db);
        QSqlQuery(db).exec(QStringLiteral("pragma foreign_keys = on"));
        // The shared journal: readers and one writer of several programs work
        // side by side, and the configuration program can tell whether any
        // program still has the file open before it restores a backup.
        QSqlQuery(db).exec(QStringLiteral("pragma journal_mode = wal"));
    }
    return db;
}

void closeConnection(const QString &connectionName)
{
    {
        QSqlDatabase db = QSqlDatabase::database(connectionName, false);
        if (db.isOpen())
            db.close();
    }
    QSqlDatabase::removeDatabase(connectionName);
}

DbKind kindOf(const QSqlDatabase &db)
{
    const QString driver = db.driverName();
    if (driver == QLatin1String("QSQLITE"))
        return DbKind::SQLite;
    if (driver == QLatin1String("QPSQL"))
        return DbKind::PostgreSQL;
    return DbKind::SqlServer;
}
