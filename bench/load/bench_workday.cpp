// A day of many workstations against one PostgreSQL server.
//
//   bench_workday [workstations] [seconds] [think ms] [--keep] [--checks-only]
//
// Prepares a new database (schema, demonstration data, an account per
// workstation), starts one process per workstation (this program again, with
// --workstation), lets them work through the program's operations for the
// given time, and then reports the operations per second and the 50th and
// 99th percentile of each operation's time, and checks what must hold after
// such a day (workday_checks.h). Exits non-zero when a check fails, a
// workstation broke down, or an operation could not be measured (with
// --checks-only, as the test runs it, only the checks count). --keep leaves
// the database on the server.
// Run from the build folder through scripts/with-postgres.sh.

#include "app/nollard_application.h"
#include "workday_checks.h"
#include "workday_database.h"
#include "workday_plan.h"
#include "workstation.h"

#include "db/db_error.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QProcess>
#include <QSaveFile>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

using namespace workday;

namespace {

// The interactive target: the 99th percentile of every operation a person
// waits for.
constexpr double kTargetMs = 100.0;
// The program exits with this when no PostgreSQL server is given (a test
// counts it as skipped).
constexpr int kNoServer = 77;

qint64 now()
{
    return QDateTime::currentMSecsSinceEpoch();
}

double percentile(QList<qint64> micros, double p)
{
    std::sort(micros.begin(), micros.end());
    // Nearest rank.
    const qsizetype rank = std::max<qsizetype>(1, qsizetype(std::ceil(p / 100.0 * double(micros.size()))));
    return double(micros[std::min(rank, micros.size()) - 1]) / 1000.0;
}

QString loadAverage()
{
    QFile file(QStringLiteral("/proc/loadavg"));  // where the system offers it
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("not available");
    return QString::fromLatin1(file.readAll()).section(QLatin1Char(' '), 0, 2);
}

struct Station
{
    std::unique_ptr<QProcess> process;
    QString output;
    QString errors;
};

QStringList linesOf(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

int workstationMain(const QStringList &args)
{
    // --workstation <index> <database> <start file> <think ms>
    if (args.size() != 6)
        return 2;
    DbSettings settings;
    settings.provider = QStringLiteral("PostgreSQL");
    const QString port = qEnvironmentVariable("PGPORT");
    settings.dataSource = qEnvironmentVariable("PGHOST") + (port.isEmpty() ? QString() : QLatin1Char(':') + port);
    settings.userId = qEnvironmentVariable("PGUSER", QStringLiteral("postgres"));
    settings.initialCatalog = args[3];
    return runWorkstation(settings, workstation(args[2].toInt()), args[4], args[5].toInt());
}

void printTable(const QList<Record> &records, int seconds, bool &allMeasured)
{
    QHash<QString, QList<qint64>> times;
    QHash<QString, int> refused;
    qsizetype interactive = 0;
    for (const Record &r : records) {
        times[r.operation] << r.micros;
        if (r.outcome == Outcome::Refused)
            ++refused[r.operation];
        if (isInteractive(r.operation))
            ++interactive;
    }
    std::printf("\n%lld interactive operations in %d s: %.1f per second\n\n", qlonglong(interactive), seconds,
                double(interactive) / seconds);
    std::printf("%-16s %7s %8s %9s %9s  %s\n", "operation", "count", "refused", "p50 ms", "p99 ms", "p99 under 100 ms");
    for (const QString &operation : operationOrder()) {
        const QList<qint64> &t = times[operation];
        if (t.isEmpty()) {
            std::printf("%-16s %7d %8s %9s %9s  %s\n", qPrintable(operation), 0, "-", "-", "-", "not measured");
            allMeasured = false;
            continue;
        }
        const double p99 = percentile(t, 99);
        std::printf("%-16s %7lld %8d %9.1f %9.1f  %s\n", qPrintable(operation), qlonglong(t.size()),
                    refused.value(operation), percentile(t, 50), p99,
                    !isInteractive(operation) ? "(not interactive)"
                    : p99 < kTargetMs         ? "met"
                                              : "missed");
    }
}

int dayMain(const QStringList &args)
{
    QStringList plain;
    bool keep = false;
    bool checksOnly = false;  // a test: the end checks decide, not whether every operation came round
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--keep"))
            keep = true;
        else if (args[i] == QLatin1String("--checks-only"))
            checksOnly = true;
        else
            plain << args[i];
    }
    const int workstations = plain.value(0, QStringLiteral("50")).toInt();
    const int seconds = plain.value(1, QStringLiteral("90")).toInt();
    const int thinkMs = plain.value(2, QStringLiteral("500")).toInt();
    if (workstations < 4 || seconds < 1 || thinkMs < 0) {
        std::fprintf(stderr, "usage: bench_workday [workstations >= 4] [seconds] [think ms] [--keep]\n");
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("PGHOST")) {
        std::printf("not measured: no PostgreSQL server (PGHOST unset; run through scripts/with-postgres.sh)\n");
        return kNoServer;
    }
    if (!QFile::exists(QStringLiteral("report/notice.frf"))) {
        std::printf("not measured: the notice template is not in ./report (run from the build folder)\n");
        return 1;
    }

    std::unique_ptr<DayDatabase> database;
    DayStart start;
    try {
        database = DayDatabase::create(workstations);
        if (keep)
            database->keep();
        start.noticeStates = database->noticeStates();
        start.statistics = readStatistics(database->connection());
    } catch (const DbError &error) {
        std::printf("not measured: the database could not be prepared: %s\n", qPrintable(error.message()));
        return 1;
    }
    std::printf("database %s: %d workstations, %d s, pauses of %d ms on average\n", qPrintable(database->name()),
                workstations, seconds, thinkMs);
    std::fflush(stdout);

    QTemporaryDir logs;
    const QString startFile = logs.filePath(QStringLiteral("start"));
    std::vector<Station> stations(workstations);
    for (int i = 0; i < workstations; ++i) {
        Station &s = stations[i];
        s.output = logs.filePath(QStringLiteral("ws%1.out").arg(i));
        s.errors = logs.filePath(QStringLiteral("ws%1.err").arg(i));
        s.process = std::make_unique<QProcess>();
        s.process->setStandardOutputFile(s.output);
        s.process->setStandardErrorFile(s.errors);
        s.process->setWorkingDirectory(QDir::currentPath());
        s.process->start(QCoreApplication::applicationFilePath(),
                         {QStringLiteral("--workstation"), QString::number(i), database->name(), startFile,
                          QString::number(thinkMs)});
    }

    // Every workstation connected before the day begins.
    const qint64 readyBy = now() + 120000;
    for (int i = 0; i < workstations; ++i) {
        while (!linesOf(stations[i].output).contains(QStringLiteral("ready"))) {
            if (stations[i].process->state() == QProcess::NotRunning || now() > readyBy) {
                std::printf("not measured: workstation %d did not start\n%s\n", i,
                            qPrintable(linesOf(stations[i].errors).join(QLatin1Char('\n'))));
                for (Station &s : stations)
                    s.process->kill();
                for (Station &s : stations)
                    s.process->waitForFinished();
                return 1;
            }
            QThread::msleep(50);
        }
    }
    DayTimes times;
    times.startAt = now() + 300;
    times.endAt = times.startAt + qint64(seconds) * 1000;
    times.statisticsAt = times.startAt + qint64(seconds) * 500;
    {
        QSaveFile file(startFile);  // appears whole or not at all
        file.open(QIODevice::WriteOnly);
        file.write(times.toText().toLatin1());
        file.commit();
    }

    // Operations that began before the end finish; a workstation still at it
    // two minutes later hangs.
    QStringList broken;
    for (int i = 0; i < workstations; ++i) {
        QProcess &p = *stations[i].process;
        const qint64 left = std::max<qint64>(1000, times.endAt + 120000 - now());
        if (!p.waitForFinished(int(left))) {
            p.kill();
            p.waitForFinished();
            broken << QStringLiteral("workstation %1 still working two minutes after the end of the day").arg(i);
        } else if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
            broken << QStringLiteral("workstation %1 ended with %2: %3")
                          .arg(i)
                          .arg(p.exitCode())
                          .arg(linesOf(stations[i].errors).join(QLatin1Char(' ')));
        }
    }
    const QString load = loadAverage();

    QList<Record> records;
    for (int i = 0; i < workstations; ++i) {
        const QStringList lines = linesOf(stations[i].output);
        if (!lines.contains(QStringLiteral("done")) && broken.isEmpty())
            broken << QStringLiteral("workstation %1 did not finish its day").arg(i);
        for (const QString &line : lines) {
            Record r;
            if (Record::fromLine(line, r))
                records << r;
        }
    }

    bool allMeasured = true;
    printTable(records, seconds, allMeasured);
    std::printf("\nload average at the end of the day (1, 5, 15 min): %s\n", qPrintable(load));

    // Checks.
    QList<Check> checks;
    Check health{QStringLiteral("every workstation worked through the day without a raw error"), broken};
    for (const Record &r : records)
        if (r.outcome == Outcome::Failed && health.faults.size() < 12)
            health.faults << QStringLiteral("workstation %1, %2 of %3: %4")
                                 .arg(r.workstation)
                                 .arg(r.operation, r.notice, r.detail);
    checks << health;
    try {
        checks << checkDay(database->connection(), records, start);
    } catch (const DbError &error) {
        checks << Check{QStringLiteral("the checks could read the database"), {error.message()}};
    }
    bool passed = true;
    std::printf("\nchecks:\n");
    for (const Check &check : checks) {
        std::printf("  %s  %s\n", check.passed() ? "passed" : "FAILED", qPrintable(check.name));
        for (const QString &f : check.faults)
            std::printf("      %s\n", qPrintable(f));
        passed = passed && check.passed();
    }
    if (!passed) {
        std::printf("\nthe day FAILED its checks: the figures above count for nothing\n");
        return 1;
    }
    if (!allMeasured && !checksOnly) {
        std::printf("\nchecks passed, but an operation was never measured (a longer day measures it)\n");
        return 3;
    }
    return 0;
}

}  // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");  // the workstations print without a screen
    NollardApplication app(argc, argv);           // as the program runs
    const QStringList args = app.arguments();
    if (args.value(1) == QLatin1String("--workstation"))
        return workstationMain(args);
    return dayMain(args);
}
