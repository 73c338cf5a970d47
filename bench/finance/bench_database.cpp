#include "bench_database.h"

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

// One statement fills the notices, so that the server does the work: n runs
// from 1 to the number of notices, oldest first.
QString fillStatement(DbKind kind, int notices)
{
    // Recent notices (the last 90 of 1826 days) are in every state; the
    // older ones are counted (6), one in 25 voided (-2).
    const QString status = QStringLiteral(
        "case when n > {RECENT} then (case (n * 7 + n / 11) % 11 when 0 then 1 when 1 then 1 when 2 then 2 "
        "when 3 then 2 when 4 then 3 when 5 then 3 when 6 then 5 when 7 then 5 when 8 then 5 when 9 then -1 "
        "else -2 end) when n % 25 = 0 then -2 else 6 end");
    const QString section = QStringLiteral("(n * 13 / 7) % 2");
    QString sql;
    if (kind == DbKind::SQLite) {
        sql = QStringLiteral(
            "with recursive s(n) as (select 1 union all select n + 1 from s where n < {N}), "
            "t(n, status, section) as (select n, {STATUS}, {SECTION} from s) "
            "insert into notice (ID,Rdate,money,status,department,shipname,handler,billcode) "
            "select section || printf('%06d', n % 1000000), datetime(julianday('now') - 1826 + n * 1826.0 / {N}), "
            "n % 5000 + 0.5, status, case section when 1 then '船检科' else '船务科' end, "
            "'船' || (n % 3000), '经办' || (n % 25), "
            "case when status in (5, 6, -2) then printf('%07d', n) end from t");
    } else {
        sql = QStringLiteral(
            "insert into notice (ID,Rdate,money,status,department,shipname,handler,billcode) "
            "select section || lpad((n % 1000000)::text, 6, '0'), now() - interval '1826 days' + n * interval '1826 days' / {N}, "
            "n % 5000 + 0.5, status, case section when 1 then '船检科' else '船务科' end, "
            "'船' || (n % 3000), '经办' || (n % 25), "
            "case when status in (5, 6, -2) then lpad(n::text, 7, '0') end "
            "from (select n, {STATUS} as status, {SECTION} as section from generate_series(1, {N}) as n) as t");
    }
    return sql.replace(QStringLiteral("{STATUS}"), status)
        .replace(QStringLiteral("{SECTION}"), section)
        .replace(QStringLiteral("{RECENT}"), QString::number(notices - qint64(notices) * 90 / 1826))
        .replace(QStringLiteral("{N}"), QString::number(notices));
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

void fill(QSqlDatabase db, DbKind kind, int notices)
{
    std::fprintf(stderr, "filling %d notices (once)...\n", notices);
    createSchema(db, QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("../db")));
    run(db, fillStatement(kind, notices));
    run(db, QStringLiteral("update counter set id=%1, billcode=%1").arg(notices + 1));
    run(db, QStringLiteral("analyze"));
}

DbSettings sqliteDatabase(const QString &path, int notices)
{
    DbSettings sqlite;
    sqlite.provider = QStringLiteral("SQLite");
    sqlite.dataSource = path;
    if (!QFileInfo::exists(path))
        fill(openConnection(sqlite, QStringLiteral("fill"), OpenOptions{true}), DbKind::SQLite, notices);
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
        fill(openConnection(pg, QStringLiteral("fill")), DbKind::PostgreSQL, notices);
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
