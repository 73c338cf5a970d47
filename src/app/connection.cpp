#include "connection.h"

#include "db_error.h"
#include "sql_dialect.h"

#include <QFileInfo>
#include <QMutex>
#include <QSet>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>

namespace {

void configure(QSqlDatabase &db, const DbSettings &s)
{
    switch (s.kind()) {
    case DbKind::SQLite:
        db.setDatabaseName(s.dataSource);
        break;
    case DbKind::PostgreSQL: {
        const HostPort hp = splitHostPort(s.dataSource);
        db.setHostName(hp.host);
        if (hp.port > 0)
            db.setPort(hp.port);
        db.setDatabaseName(s.initialCatalog);
        db.setUserName(s.userId);
        db.setPassword(s.password);
        break;
    }
    case DbKind::SqlServer:
        db.setDatabaseName(sqlServerOdbcString(s));
        break;
    }
    db.setConnectOptions(SqlDialect(s.kind()).connectOptions());
}

// Connections that were open once: when such a one cannot be opened again,
// the server went away, which the user is told in plain words.
QMutex openedOnceLock;
QSet<QString> &openedOnce()
{
    static QSet<QString> names;
    return names;
}

void startSession(QSqlDatabase &db)
{
    for (const QString &sql : SqlDialect(kindOf(db)).sessionSetup()) {
        QSqlQuery q(db);
        // The embedded file may refuse the write-ahead log (a read-only
        // folder, a network share); it then keeps working as before.
        if (!q.exec(sql) && kindOf(db) != DbKind::SQLite)
            throw DbError(q.lastError());
    }
    const QMutexLocker lock(&openedOnceLock);
    openedOnce().insert(db.connectionName());
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
    if (settings.kind() == DbKind::SQLite)
        checkSqliteFile(db);
    startSession(db);
    return db;
}

void ensureOpen(QSqlDatabase &db)
{
    if (db.isOpen())
        return;
    bool wasOpen = false;
    {
        const QMutexLocker lock(&openedOnceLock);
        wasOpen = openedOnce().contains(db.connectionName());
    }
    if (!db.isValid())
        throw DbError(QStringLiteral("No database connection"));
    if (kindOf(db) == DbKind::SQLite && !QFileInfo::exists(db.databaseName()))
        throw DbError(QStringLiteral("unable to open database file: %1").arg(db.databaseName()));
    if (!db.open()) {
        if (wasOpen)
            throw ConnectionLost();
        throw DbError(db.lastError());
    }
    startSession(db);
}

void reopenConnection(QSqlDatabase &db)
{
    db.close();
    ensureOpen(db);
}

void closeConnection(const QString &connectionName)
{
    {
        QSqlDatabase db = QSqlDatabase::database(connectionName, false);
        if (db.isOpen())
            db.close();
    }
    {
        const QMutexLocker lock(&openedOnceLock);
        openedOnce().remove(connectionName);
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
