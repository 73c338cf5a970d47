#include "config_operations.h"

#include "demo_data.h"

#include "db/connection.h"
#include "db/db_error.h"
#include "db/schema.h"
#include "db/sql_statement.h"
#include "db/user_refusal.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>

namespace dbadmin {

namespace {

const QString kConnection = QStringLiteral("dbadmin-window");

// Closes the operation's connection however the operation ends.
struct Connected
{
    QSqlDatabase db;
    QString name;
    Connected(const DbSettings &s, OpenOptions options = {}, const QString &connection = kConnection) : name(connection)
    {
        try {
            db = openConnection(s, name, options);
        } catch (...) {
            db = QSqlDatabase();
            closeConnection(name);
            throw;
        }
    }
    ~Connected()
    {
        db = QSqlDatabase();
        closeConnection(name);
    }
};

int tablesIn(QSqlDatabase db)
{
    return systemTablesPresent(db);
}

QString kindText(DbKind kind)
{
    switch (kind) {
    case DbKind::SQLite:
        return QStringLiteral("本机数据库文件 (SQLite)");
    case DbKind::PostgreSQL:
        return QStringLiteral("PostgreSQL");
    case DbKind::SqlServer:
        break;
    }
    return QStringLiteral("SQL Server");
}

DbSettings sqliteSettings(const QString &file)
{
    DbSettings s;
    s.provider = QStringLiteral("SQLite");
    s.dataSource = file;
    return s;
}

QString shown(const QString &path)
{
    return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
}

}  // namespace

bool knownProvider(const QString &provider)
{
    const QString p = provider.trimmed();
    for (const char *known : {"SQLite", "PostgreSQL", "SQLOLEDB.1"})
        if (p.compare(QLatin1String(known), Qt::CaseInsensitive) == 0)
            return true;
    return p.isEmpty();
}

QString encryptionSummary(const DbSettings &s, QSqlDatabase db)
{
    switch (s.kind()) {
    case DbKind::SQLite:
        return {};
    case DbKind::PostgreSQL: {
        QString text =
            QStringLiteral("encryption: SSL Mode=%1").arg(s.sslMode.isEmpty() ? QStringLiteral("(prefer)") : s.sslMode);
        if (!s.sslCaFile.isEmpty())
            text += QStringLiteral(";SSL CA File=") + QDir::toNativeSeparators(s.sslCaFile);
        QSqlQuery q = runStatement(db, QStringLiteral("select ssl, version, cipher from pg_stat_ssl "
                                                      "where pid = pg_backend_pid()"));
        if (q.next() && q.value(0).toBool())
            text += QStringLiteral("; in use: %1 %2").arg(q.value(1).toString(), q.value(2).toString());
        else
            text += QStringLiteral("; in use: none, the connection is not encrypted");
        return text;
    }
    case DbKind::SqlServer:
        break;
    }
    return QStringLiteral("encryption: Encrypt=%1;Trust Server Certificate=%2")
        .arg(s.encrypt.isEmpty() ? QStringLiteral("(no)") : s.encrypt,
             s.trustServerCertificate.isEmpty() ? QStringLiteral("(no)") : s.trustServerCertificate);
}

int systemTablesIn(const DbSettings &settings)
{
    Connected c(settings);
    return tablesIn(c.db);
}

QString testConnection(const DbSettings &settings)
{
    Connected c(settings);
    return QStringLiteral("连接成功：%1，数据源 %2。\n系统的 %3 张表中，数据库已有 %4 张。")
        .arg(kindText(settings.kind()), settings.dataSource)
        .arg(systemTables().size())
        .arg(tablesIn(c.db));
}

QString createSchemaIn(const DbSettings &settings, const QString &schemaFolder)
{
    Connected c(settings, OpenOptions{true});
    if (tablesIn(c.db) > 0)
        throw UserRefusal(QStringLiteral("数据库中已有本系统的表，没有创建任何表"));
    createSchema(c.db, schemaFolder);
    return QStringLiteral("已创建本系统的 %1 张表").arg(systemTables().size());
}

QString loadDemoInto(const DbSettings &settings)
{
    Connected c(settings);
    if (tablesIn(c.db) < systemTables().size())
        throw UserRefusal(QStringLiteral("数据库中还没有本系统的表，请先创建数据库表"));
    {
        QSqlQuery q = runStatement(c.db, QStringLiteral("select count(*) from person"));
        if (q.next() && q.value(0).toInt() > 0)
            throw UserRefusal(QStringLiteral("数据库中已有用户账号，没有载入演示数据"));
    }
    loadDemoData(c.db);
    return QStringLiteral("已载入演示数据（各角色的账号、收费项目、名称表和通知单）");
}

QString backupSqlite(const QString &databaseFile, const QString &targetFile)
{
    if (QFileInfo(targetFile).absoluteFilePath() == QFileInfo(databaseFile).absoluteFilePath())
        throw UserRefusal(QStringLiteral("备份文件不能是数据库文件本身"));
    const QString part = targetFile + QStringLiteral(".part");
    QFile::remove(part);
    {
        Connected c(sqliteSettings(databaseFile));
        // One read of the whole database: a consistent copy even while other
        // programs write to it.
        runStatement(c.db, QStringLiteral("vacuum into ?"), {part});
    }
    if (QFile::exists(targetFile) && !QFile::remove(targetFile)) {
        QFile::remove(part);
        throw UserRefusal(QStringLiteral("无法替换已有的文件 %1").arg(shown(targetFile)));
    }
    if (!QFile::rename(part, targetFile))
        throw UserRefusal(QStringLiteral("无法写入 %1").arg(shown(targetFile)));
    return QStringLiteral("数据库已备份到 %1").arg(shown(targetFile));
}

namespace {

void checkBackup(const QString &backupFile)
{
    if (!QFileInfo(backupFile).isFile())
        throw UserRefusal(QStringLiteral("找不到备份文件 %1").arg(shown(backupFile)));
    const QString refusal = QStringLiteral("%1 不是可以恢复的本系统数据库：%2").arg(shown(backupFile));
    try {
        const QString name = QStringLiteral("dbadmin-restore-check");
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(backupFile);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        QString problem;
        if (!db.open()) {
            problem = QStringLiteral("无法打开");
        } else {
            QSqlQuery q(db);
            if (!q.exec(QStringLiteral("pragma integrity_check")) || !q.next())
                problem = QStringLiteral("不是数据库文件");
            else if (q.value(0).toString() != QLatin1String("ok"))
                problem = QStringLiteral("文件已损坏（%1）").arg(q.value(0).toString());
            else if (tablesIn(db) < systemTables().size())
                problem = QStringLiteral("缺少本系统的表");
        }
        db = QSqlDatabase();
        closeConnection(name);
        if (!problem.isEmpty())
            throw UserRefusal(refusal.arg(problem));
    } catch (const DbError &e) {
        throw UserRefusal(refusal.arg(e.message()));
    }
}

// Takes the database for this program alone, or refuses: in the shared
// journal mode that the program uses, leaving that mode is possible only
// for the one connection left; a pending write of any program blocks the
// exclusive lock.
void refuseWhileInUse(const QString &databaseFile)
{
    const QString inUse =
        QStringLiteral("数据库 %1 正在使用中，请先关闭所有使用它的程序，再恢复").arg(shown(databaseFile));
    Connected c(sqliteSettings(databaseFile), {}, QStringLiteral("dbadmin-restore-target"));
    QSqlQuery q(c.db);
    if (!q.exec(QStringLiteral("pragma busy_timeout=0")))
        throw DbError(q.lastError());
    if (!q.exec(QStringLiteral("pragma journal_mode=delete")) || !q.next()
        || q.value(0).toString().compare(QLatin1String("delete"), Qt::CaseInsensitive) != 0)
        throw UserRefusal(inUse);
    q.finish();
    if (!q.exec(QStringLiteral("begin exclusive")))
        throw UserRefusal(inUse);
    q.exec(QStringLiteral("rollback"));
}

}  // namespace

QString restoreSqlite(const QString &databaseFile, const QString &backupFile)
{
    checkBackup(backupFile);
    if (QFileInfo(databaseFile).exists())
        refuseWhileInUse(databaseFile);

    const QString incoming = databaseFile + QStringLiteral(".restoring");
    const QString kept = databaseFile + QStringLiteral(".before-restore");
    QFile::remove(incoming);
    if (!QFile::copy(backupFile, incoming))
        throw UserRefusal(QStringLiteral("无法复制 %1").arg(shown(backupFile)));
    // The restored file is shared as the one it replaces was (group-writable
    // in the data folder), not as the backup happened to be.
    const QFile::Permissions permissions = QFileInfo::exists(databaseFile) ? QFile::permissions(databaseFile)
                                                                           : QFile::permissions(incoming);
    QFile::setPermissions(incoming, permissions | QFile::WriteOwner);
    if (QFileInfo(databaseFile).exists()) {
        QFile::remove(kept);
        if (!QFile::rename(databaseFile, kept)) {
            QFile::remove(incoming);
            throw UserRefusal(QStringLiteral("无法替换 %1").arg(shown(databaseFile)));
        }
    }
    for (const char *stale : {"-wal", "-shm", "-journal"})
        QFile::remove(databaseFile + QLatin1String(stale));
    if (!QFile::rename(incoming, databaseFile))
        throw UserRefusal(QStringLiteral("无法写入 %1").arg(shown(databaseFile)));
    return QStringLiteral("已从 %1 恢复数据库。\n恢复前的数据库保存为 %2").arg(shown(backupFile), shown(kept));
}

QString sqliteFile(const DbSettings &settings, const QString &programFolder)
{
    return QDir(programFolder).absoluteFilePath(settings.dataSource);
}

}  // namespace dbadmin
