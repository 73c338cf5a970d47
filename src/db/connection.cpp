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
    const SqlDialect dialect(db);
    for (const QString &sql : dialect.sessionSetup()) {
        QSqlQuery q(db);
        if (!q.exec(sql) && !dialect.sessionSetupIsOptional())
            throw DbError(q.lastError());
    }
    const QMutexLocker lock(&openedOnceLock);
    openedOnce().insert(db.connectionName());
}

// The driver of an embedded file opens any file; the first statement finds
// out whether it is a database at all.
void checkDatabaseFile(QSqlDatabase &db, const SqlDialect &dialect)
{
    QSqlQuery probe(db);
    if (!probe.exec(dialect.fileCheckStatement())) {
        const QSqlError error = probe.lastError();
        probe.finish();
        throw DbError(QStringLiteral("%1: %2").arg(QFileInfo(db.databaseName()).fileName(), error.databaseText()));
    }
}

}  // namespace

QSqlDatabase openConnection(const DbSettings &settings, const QString &connectionName, OpenOptions options)
{
    const SqlDialect dialect(settings.kind());
    if (QSqlDatabase::contains(connectionName))
        QSqlDatabase::removeDatabase(connectionName);
    if (!QSqlDatabase::isDriverAvailable(dialect.driverName())) {
        QSqlDatabase::addDatabase(dialect.driverName(), connectionName);
        throw DbError(QStringLiteral("Driver not loaded: %1").arg(dialect.driverName()));
    }
    QSqlDatabase db = QSqlDatabase::addDatabase(dialect.driverName(), connectionName);
    dialect.configure(db, settings);

    if (dialect.isEmbeddedFile() && !options.createMissingFile && !QFileInfo::exists(settings.dataSource))
        throw DbError(QStringLiteral("unable to open database file: %1").arg(settings.dataSource));
    if (!db.open())
        throw DbError(db.lastError());
    if (dialect.isEmbeddedFile())
        checkDatabaseFile(db, dialect);
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
    if (SqlDialect(db).isEmbeddedFile() && !QFileInfo::exists(db.databaseName()))
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
