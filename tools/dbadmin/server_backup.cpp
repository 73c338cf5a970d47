#include "server_backup.h"

#include "config_operations.h"

#include "db/connection.h"
#include "db/sql_dialect.h"
#include "db/sql_statement.h"
#include "db/user_refusal.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSqlQuery>
#include <QStandardPaths>

namespace dbadmin {

namespace {

QString shown(const QString &path)
{
    return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
}

QString clientProgram(const QString &name)
{
    const QString program = QStandardPaths::findExecutable(name);
    if (program.isEmpty())
        throw UserRefusal(QStringLiteral("找不到 PostgreSQL 的客户端程序 %1：请安装它（Debian 的软件包 "
                                         "postgresql-client），或用数据库服务器自己的备份方式")
                              .arg(name));
    return program;
}

// The connection options of the server's programs: a connection string, so
// that a list of servers reaches the primary as the program's own connection
// does. The password goes through the environment, never the command line
// that others may see.
QStringList connectionArguments(const DbSettings &s)
{
    return {QStringLiteral("--dbname=") + postgresConnectionString(s), QStringLiteral("--no-password")};
}

struct Outcome
{
    bool ok;
    QString messages;
};

Outcome runClient(const QString &program, const DbSettings &s, const QStringList &arguments)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("PGPASSWORD"), s.password);
    p.setProcessEnvironment(env);
    p.start(program, arguments);
    // A large database takes its time; a nightly job waits for it.
    p.waitForFinished(-1);
    const QString messages = QString::fromLocal8Bit(p.readAllStandardError()).trimmed();
    return {p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0, messages};
}

void refuseWhileInUse(const DbSettings &s)
{
    const QString name = QStringLiteral("dbadmin-restore-sessions");
    int others = 0;
    {
        QSqlDatabase db = openConnection(s, name);
        QSqlQuery q = runStatement(db,
                                   QStringLiteral("select count(*) from pg_stat_activity "
                                                  "where datname = current_database() and pid <> pg_backend_pid()"));
        if (q.next())
            others = q.value(0).toInt();
    }
    closeConnection(name);
    if (others > 0)
        throw UserRefusal(QStringLiteral("数据库 %1 正在使用中（另有 %2 个连接），请先关闭所有使用它的程序，再恢复")
                              .arg(s.initialCatalog)
                              .arg(others));
}

}  // namespace

QString backupPostgres(const DbSettings &settings, const QString &targetFile)
{
    const QString pgDump = clientProgram(QStringLiteral("pg_dump"));
    const QString part = targetFile + QStringLiteral(".part");
    QFile::remove(part);
    const Outcome dump = runClient(pgDump, settings,
                                   connectionArguments(settings)
                                       << QStringLiteral("--format=custom") << QStringLiteral("--file=") + part);
    if (!dump.ok) {
        QFile::remove(part);
        throw UserRefusal(
            QStringLiteral("pg_dump 没有完成备份，%1 没有改变：\n%2").arg(shown(targetFile), dump.messages));
    }
    if (QFile::exists(targetFile) && !QFile::remove(targetFile)) {
        QFile::remove(part);
        throw UserRefusal(QStringLiteral("无法替换已有的文件 %1").arg(shown(targetFile)));
    }
    if (!QFile::rename(part, targetFile))
        throw UserRefusal(QStringLiteral("无法写入 %1").arg(shown(targetFile)));
    return QStringLiteral("数据库 %1 已备份到 %2").arg(settings.initialCatalog, shown(targetFile));
}

QString restorePostgres(const DbSettings &settings, const QString &backupFile)
{
    const QString pgRestore = clientProgram(QStringLiteral("pg_restore"));
    if (!QFileInfo(backupFile).isFile())
        throw UserRefusal(QStringLiteral("找不到备份文件 %1").arg(shown(backupFile)));
    const Outcome list = runClient(pgRestore, settings, {QStringLiteral("--list"), backupFile});
    if (!list.ok)
        throw UserRefusal(
            QStringLiteral("%1 不是 pg_dump 的备份文件，数据库没有改变：\n%2").arg(shown(backupFile), list.messages));
    refuseWhileInUse(settings);
    const Outcome restore = runClient(pgRestore, settings,
                                      connectionArguments(settings)
                                          << QStringLiteral("--clean") << QStringLiteral("--if-exists")
                                          << QStringLiteral("--no-owner") << QStringLiteral("--single-transaction")
                                          << QStringLiteral("--exit-on-error") << backupFile);
    if (!restore.ok)
        throw UserRefusal(
            QStringLiteral("恢复没有完成，数据库 %1 没有改变：\n%2").arg(settings.initialCatalog, restore.messages));
    return QStringLiteral("已从 %1 恢复数据库 %2").arg(shown(backupFile), settings.initialCatalog);
}

QString backupDatabase(const DbSettings &settings, const QString &targetFile)
{
    switch (settings.kind()) {
    case DbKind::SQLite:
        return backupSqlite(settings.dataSource, targetFile);
    case DbKind::PostgreSQL:
        return backupPostgres(settings, targetFile);
    case DbKind::SqlServer:
        break;
    }
    throw UserRefusal(QStringLiteral("SQL Server 数据库请用服务器自己的备份方式（例如 SQL Server 的维护计划）"));
}

QString restoreDatabase(const DbSettings &settings, const QString &backupFile)
{
    switch (settings.kind()) {
    case DbKind::SQLite:
        return restoreSqlite(settings.dataSource, backupFile);
    case DbKind::PostgreSQL:
        return restorePostgres(settings, backupFile);
    case DbKind::SqlServer:
        break;
    }
    throw UserRefusal(QStringLiteral("SQL Server 数据库请用服务器自己的恢复方式"));
}

}  // namespace dbadmin
