#include "bench_database.h"

#include "notice_row.h"

#include "db/connection.h"
#include "db/db_error.h"
#include "db/schema.h"
#include "db/tdm.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <algorithm>
#include <cstdio>

namespace bench {

namespace {

// The notice n of the benchmark database, 1 the oldest of the number of notices:
// the recent ones (the last 90 of 1826 days) in every state, the older ones
// counted (6), one in 25 voided (-2).
NoticeRow benchNotice(int n, int notices, const QDateTime &start)
{
    static const int kRecentStates[11] = {1, 1, 2, 2, 3, 3, 5, 5, 5, -1, -2};
    const qint64 recent = notices - qint64(notices) * 90 / 1826;
    const int status = n > recent ? kRecentStates[(n * 7 + n / 11) % 11] : (n % 25 == 0 ? -2 : 6);
    const int section = (n * 13 / 7) % 2;
    NoticeRow notice(QString::number(section) + QStringLiteral("%1").arg(n % 1000000, 6, 10, QLatin1Char('0')));
    notice.rdate(start.addSecs(qint64(n) * 1826 * 86400 / notices))
        .money(n % 5000 + 0.5)
        .status(status)
        .department(section == 1 ? QStringLiteral("船检科") : QStringLiteral("船务科"))
        .shipname(QStringLiteral("船%1").arg(n % 3000))
        .handler(QStringLiteral("经办%1").arg(n % 25));
    if (status == 5 || status == 6 || status == -2)
        notice.billcode(QStringLiteral("%1").arg(n, 7, 10, QLatin1Char('0')));
    else
        notice.null(QStringLiteral("billcode"));
    return notice;
}

}  // namespace

void run(QSqlDatabase db, const QString &sql)
{
    QSqlQuery q(db);
    if (!q.exec(sql)) {
        std::fprintf(stderr, "%s\n%s\n", qPrintable(sql.left(200)), qPrintable(q.lastError().text()));
        std::exit(1);
    }
}

void fill(QSqlDatabase db, int notices)
{
    std::fprintf(stderr, "filling %d notices (once)...\n", notices);
    createSchema(db, QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("../db")));
    QDateTime now = QDateTime::currentDateTime();
    now.setTime(QTime(now.time().hour(), now.time().minute(), now.time().second()));
    const QDateTime start = now.addDays(-1826);
    db.transaction();
    NoticeRows rows(db, 500);
    for (int n = 1; n <= notices; ++n)
        rows.add(benchNotice(n, notices, start));
    rows.finish();
    db.commit();
    run(db, QStringLiteral("update counter set id=%1, billcode=%1").arg(notices + 1));
    run(db, QStringLiteral("analyze"));
}

DbSettings sqliteDatabase(const QString &path, int notices)
{
    DbSettings sqlite;
    sqlite.provider = QStringLiteral("SQLite");
    sqlite.dataSource = path;
    if (!QFileInfo::exists(path))
        fill(openConnection(sqlite, QStringLiteral("fill"), OpenOptions{true}), notices);
    closeConnection(QStringLiteral("fill"));
    return sqlite;
}

DbSettings postgresDatabase(int notices)
{
    DbSettings pg;
    pg.provider = QStringLiteral("PostgreSQL");
    const QString port = qEnvironmentVariable("PGPORT");
    pg.dataSource = qEnvironmentVariable("PGHOST") + (port.isEmpty() ? QString() : QLatin1Char(':') + port);
    pg.userId = qEnvironmentVariable("PGUSER", QStringLiteral("postgres"));
    pg.initialCatalog = QStringLiteral("postgres");
    const QString name = QStringLiteral("nollard_bench_bills");
    bool exists = false;
    {
        QSqlDatabase admin = openConnection(pg, QStringLiteral("admin"));
        QSqlQuery q(admin);
        q.exec(QStringLiteral("select 1 from pg_database where datname='%1'").arg(name));
        exists = q.next();
        if (!exists)
            run(admin, QStringLiteral("create database %1").arg(name));
    }
    closeConnection(QStringLiteral("admin"));
    pg.initialCatalog = name;
    if (!exists)
        fill(openConnection(pg, QStringLiteral("fill")), notices);
    closeConnection(QStringLiteral("fill"));
    return pg;
}

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? -1 : values[values.size() / 2];
}

bool measureOnEachDatabase(const QString &sqlitePath, int notices, const Measurement &measure, bool postgresRequired)
{
    bool ok = true;
    try {
        {
            Tdm dm(sqliteDatabase(sqlitePath, notices), QStringLiteral("bench-sqlite"));
            dm.DataModuleCreate();
            ok = measure(dm, "SQLite") && ok;
        }
        if (!qEnvironmentVariableIsEmpty("PGHOST")) {
            Tdm dm(postgresDatabase(notices), QStringLiteral("bench-postgresql"));
            dm.DataModuleCreate();
            ok = measure(dm, "PostgreSQL") && ok;
        } else {
            std::printf("\nPostgreSQL: not measured (PGHOST unset; run through scripts/with-postgres.sh)\n");
            ok = ok && !postgresRequired;
        }
    } catch (const DbError &e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.message()));
        return false;
    }
    return ok;
}

}  // namespace bench
