#include "postgres_server.h"

#include <QDir>
#include <QProcess>
#include <QtTest>

namespace postgresServer {

namespace {

void pgCtl(const QStringList &arguments)
{
    const QString pgCtl = QDir(qEnvironmentVariable("NOLLARD_PGBIN")).filePath(QStringLiteral("pg_ctl"));
    const QString owner = qEnvironmentVariable("NOLLARD_PGRUNAS");
    QString program = pgCtl;
    QStringList args = arguments;
    if (!owner.isEmpty()) {
        program = QStringLiteral("runuser");
        args = QStringList{QStringLiteral("-u"), owner, QStringLiteral("--"), pgCtl} + arguments;
    }
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        qFatal("pg_ctl %s failed: %s", qPrintable(arguments.join(QLatin1Char(' '))),
               p.readAllStandardError().constData());
}

QString dataFolder()
{
    return qEnvironmentVariable("NOLLARD_PGDATA");
}

}  // namespace

bool canRestart()
{
    return !dataFolder().isEmpty() && !qEnvironmentVariableIsEmpty("NOLLARD_PGBIN");
}

void stop()
{
    pgCtl({QStringLiteral("-D"), dataFolder(), QStringLiteral("-m"), QStringLiteral("fast"), QStringLiteral("-w"),
           QStringLiteral("stop")});
}

void start()
{
    pgCtl({QStringLiteral("-D"), dataFolder(), QStringLiteral("-l"),
           QDir(dataFolder()).filePath(QStringLiteral("../server.log")), QStringLiteral("-w"), QStringLiteral("-t"),
           QStringLiteral("30"), QStringLiteral("start")});
}

void crash(const QString &dataFolder)
{
    pgCtl({QStringLiteral("-D"), dataFolder, QStringLiteral("-m"), QStringLiteral("immediate"), QStringLiteral("-w"),
           QStringLiteral("stop")});
}

void promote(const QString &dataFolder)
{
    pgCtl({QStringLiteral("-D"), dataFolder, QStringLiteral("-w"), QStringLiteral("-t"), QStringLiteral("30"),
           QStringLiteral("promote")});
}

}  // namespace postgresServer
