#include "connection.h"

#include "connection_encryption.h"
#include "db_error.h"
#include "embedded_file.h"
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
        // Forward-only: a scrollable query would open a server cursor for
        // a statement that returns nothing.
        QSqlQuery q(db);
        q.setForwardOnly(true);
        if (!q.exec(sql) && !dialect.sessionSetupIsOptional())
            throw DbError(q.lastError());
    }
    if (const std::optional<DatabaseTraits> traits = databaseTraits(db)) {
        const QString problem = databaseTraitsProblem(*traits);
        if (!problem.isEmpty()) {
            // Nothing may run on a database that would garble the texts.
            db.close();
            throw DbError(problem);
        }
    }
    rememberOpenedFile(db);
    const QMutexLocker lock(&openedOnceLock);
    openedOnce().insert(db.connectionName());
}

// The embedded file's failure in words, or the database layer's own.
[[noreturn]] void throwOpenFailure(const QSqlDatabase &db, const QSqlError &error)
{
    if (SqlDialect(db).isEmbeddedFile()) {
        const QString words = embeddedFileFailureText(error, db.databaseName());
        if (!words.isEmpty())
            throw DbError(words);
    }
    throw DbError(error);
}

QString missingFileText(const QString &file)
{
    QSqlError error(QString(), QStringLiteral("unable to open database file"), QSqlError::ConnectionError,
                    QStringLiteral("14"));
    return embeddedFileFailureText(error, QFileInfo(file).absoluteFilePath());
}

// The driver of an embedded file opens any file; the first statement finds
// out whether it is a database at all.
void checkDatabaseFile(QSqlDatabase &db, const SqlDialect &dialect)
{
    QSqlQuery probe(db);
    if (!probe.exec(dialect.fileCheckStatement())) {
        const QSqlError error = probe.lastError();
        probe.finish();
        const QString words = embeddedFileFailureText(error, QFileInfo(db.databaseName()).absoluteFilePath());
        if (!words.isEmpty())
            throw DbError(words);
        throw DbError(QStringLiteral("%1: %2").arg(QFileInfo(db.databaseName()).fileName(), error.databaseText()));
    }
}

// Tries the platform's SQL Server drivers in turn; a driver that is not
// installed gives way to the next, any other failure is the answer.
void openSqlServer(QSqlDatabase &db, const DbSettings &settings)
{
    const QStringList drivers = sqlServerOdbcDrivers();
    for (qsizetype i = 0; i < drivers.size(); ++i) {
        const QString problem = sqlServerSettingsProblem(settings, drivers[i]);
        if (!problem.isEmpty())
            throw DbError(problem);
        db.setDatabaseName(sqlServerOdbcString(settings, drivers[i]));
        if (db.open())
            return;
        const QSqlError error = db.lastError();
        const bool missing = error.nativeErrorCode() == QLatin1String("IM002")
                             || error.databaseText().contains(QLatin1String("Data source name not found"));
        if (missing && i + 1 < drivers.size())
            continue;
        // The drivers say no more than that the connection failed: a server
        // refusing the encryption looks like one that is not there.
        if (DbSettings::isYes(settings.encrypt) && SqlDialect(DbKind::SqlServer).isConnectionLost(error))
            throw DbError(QStringLiteral("无法连接数据库服务器 %1。配置要求加密连接（Encrypt=yes）："
                                         "服务器没有启用加密、或它的证书不能验证时，连接也会这样失败。\n（%2）")
                              .arg(settings.dataSource, DbError(error).message()));
        throw DbError(error);
    }
}

}  // namespace

std::optional<DatabaseTraits> databaseTraits(QSqlDatabase db)
{
    const QString sql = SqlDialect(db).databaseTraitsStatement();
    if (sql.isEmpty())
        return std::nullopt;
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!q.exec(sql))
        throw DbError(q.lastError());
    if (!q.next())
        throw DbError(QStringLiteral("The database's collation could not be read."));
    return DatabaseTraits{q.value(0).toString(), q.value(1).toString(), q.value(2).toInt(), q.value(3).toInt()};
}

QString databaseTraitsProblem(const DatabaseTraits &t)
{
    if (t.codePage != 936 && t.codePage != 65001)
        return QStringLiteral(
                   "数据库 %1 的排序规则是 %2（代码页 %3），保存或查找中文时会出错，本系统不能使用这个数据库。"
                   "请数据库管理员改用中文排序规则（代码页 936，如 Chinese_PRC_CI_AS）"
                   "或 UTF-8 排序规则（如 Chinese_PRC_100_CI_AS_SC_UTF8）的数据库；"
                   "还没有本系统的表时，可执行 alter database [%1] collate Chinese_PRC_CI_AS。")
            .arg(t.database, t.collation)
            .arg(t.codePage);
    if (t.compatibilityLevel < 130)
        return QStringLiteral("数据库 %1 的兼容级别是 %2，本系统需要 130（SQL Server 2016）或更高。"
                              "请数据库管理员执行 alter database [%1] set compatibility_level = 130。")
            .arg(t.database)
            .arg(t.compatibilityLevel);
    return {};
}

QSqlDatabase openConnection(const DbSettings &settings, const QString &connectionName, OpenOptions options)
{
    const SqlDialect dialect(settings.kind());
    forgetOpenedFile(connectionName);
    if (QSqlDatabase::contains(connectionName))
        QSqlDatabase::removeDatabase(connectionName);
    if (!QSqlDatabase::isDriverAvailable(dialect.driverName())) {
        QSqlDatabase::addDatabase(dialect.driverName(), connectionName);
        throw DbError(QStringLiteral("Driver not loaded: %1").arg(dialect.driverName()));
    }
    QSqlDatabase db = QSqlDatabase::addDatabase(dialect.driverName(), connectionName);
    dialect.configure(db, settings);

    if (dialect.isEmbeddedFile() && !options.createMissingFile && !QFileInfo::exists(settings.dataSource))
        throw DbError(missingFileText(settings.dataSource));
    if (const QString problem = settings.encryptionProblem(); !problem.isEmpty() && !dialect.isEmbeddedFile())
        throw DbError(problem);
    if (dialect.kind() == DbKind::SqlServer) {
        openSqlServer(db, settings);
    } else if (!db.open()) {
        const QSqlError error = db.lastError();
        if (dialect.kind() == DbKind::PostgreSQL) {
            const QString words = postgresEncryptionFailure(settings, error.databaseText());
            if (!words.isEmpty())
                throw DbError(words);
        }
        throwOpenFailure(db, error);
    }
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
        throw DbError(missingFileText(db.databaseName()));
    if (!db.open()) {
        if (wasOpen)
            throw ConnectionLost();
        throwOpenFailure(db, db.lastError());
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
    forgetOpenedFile(connectionName);
    QSqlDatabase::removeDatabase(connectionName);
}
