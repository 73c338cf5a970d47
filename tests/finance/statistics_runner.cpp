// One workstation's statistics run, as a process of its own, for the test of
// runs started at once: statistics_runner <provider> <data source> <database>
// <user> <hold ms>. Holds the run (after it has taken the lock and read the
// notices) for the given time, prints "counted N <start ms> <end ms>" and exits 0, or prints the
// error and exits 1.

#include "app/current_user.h"
#include "db/connection.h"
#include "db/db_error.h"
#include "db/user_refusal.h"
#include "finance/statistics_run.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QThread>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 6) {
        std::fprintf(stderr, "usage: statistics_runner provider source database user hold-ms\n");
        return 2;
    }
    DbSettings settings;
    settings.provider = args[1];
    settings.dataSource = args[2];
    settings.initialCatalog = args[3];
    settings.userId = args[4];
    const int holdMs = args[5].toInt();
    try {
        const qint64 started = QDateTime::currentMSecsSinceEpoch();
        QSqlDatabase db = openConnection(settings, QStringLiteral("runner"));
        UserRecord runner;
        runner.userName = QStringLiteral("冯科长");
        runner.nickname = QStringLiteral("cwkld");
        runner.typeId = 8;
        finance::StatisticsHooks hooks;
        bool held = false;
        hooks.beforeWrite = [&](const QString &) {
            if (!held)
                QThread::msleep(holdMs);
            held = true;
        };
        const finance::StatisticsResult result = finance::runStatistics(db, runner, hooks);
        std::printf("counted %d %lld %lld\n", result.counted, started, QDateTime::currentMSecsSinceEpoch());
        return 0;
    } catch (const UserRefusal &refusal) {
        std::printf("refused %s\n", refusal.message().toUtf8().constData());
    } catch (const DbError &error) {
        std::printf("error %s\n", error.message().toUtf8().constData());
    }
    return 1;
}
