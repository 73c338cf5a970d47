// The yearly statistics run on 150,000 billed notices over five years, both
// sections and every inspection kind, beside the floor: the same totals
// written by set-based SQL (one aggregate statement per table plus the state
// update) on a copy of the same data. SQLite and the PostgreSQL server named
// by PGHOST/PGPORT/PGUSER; without that server the benchmark says so and fails.
//
//   bench_statistics [notices] [repeats]

#include "notice_row.h"

#include "app/current_user.h"
#include "db/connection.h"
#include "db/db_error.h"
#include "db/schema.h"
#include "db/sql_dialect.h"
#include "db/sql_statement.h"
#include "db/transaction.h"
#include "finance/statistics_run.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

const QString kPending = QStringLiteral("status=5 and billcode is not null and billcode<>''");

struct Kind
{
    const char *check;
    const char *content;
};

// Every row of the classification table, and the ship affairs section's
// notices without an inspection type.
const QList<Kind> kKinds{
    {"建造检验", "船体"},     {"营运检验", "年度检验"}, {"营运检验", "中间检验"},
    {"营运检验", "临时检验"}, {"营运检验", "特别检验"}, {"营运检验", "船舶检验"},
    {"营运检验", ""},         {"其它检验", "防污"},     {"", ""},
};

void fill(QSqlDatabase db, int billed)
{
    QRandomGenerator random(20261210);
    Transaction transaction(db);
    NoticeRows notices(db, 400);
    const int others = billed / 10;  // notices in other states beside the billed ones
    const int total = billed + others;
    for (int serial = 0; serial < total; ++serial) {
        const bool inspection = serial % 2;
        const Kind &kind = inspection ? kKinds[(serial / 2) % (kKinds.size() - 1)] : kKinds.last();
        const QDateTime at(QDate(2020 + (serial / 7) % 5, 1 + (serial / 3) % 12, 1 + serial % 28),
                           QTime(serial % 24, serial % 60, (serial * 7) % 60));
        const int status = serial < billed ? 5 : QList<int>{6, 3, -2}[serial % 3];
        notices.add(NoticeRow(QStringLiteral("%1%2").arg(inspection ? 1 : 0).arg(serial, 6, 10, QLatin1Char('0')))
                        .rdate(at)
                        .status(status)
                        .department(QString::fromUtf8(inspection ? "船检科" : "船务科"))
                        .checktype(QString::fromUtf8(kind.check))
                        .checkcontent(QString::fromUtf8(kind.content))
                        .money(double(random.bounded(1, 5000000)) / 100.0)
                        .billcode(status == 3 ? QString() : QStringLiteral("%1").arg(serial, 7, 10, QLatin1Char('0')))
                        .handler(QStringLiteral("张船务"))
                        .shipname(QStringLiteral("船")));
    }
    notices.finish();
    transaction.commit();
}

QString monthSums(const SqlDialect &dialect, const QString &value)
{
    QStringList sums;
    for (int m = 1; m <= 12; ++m)
        sums << QStringLiteral("sum(case when ym%100=%1 then %2 else 0 end)").arg(m).arg(value);
    (void)dialect;
    return sums.join(QLatin1Char(','));
}

QString monthColumns(const SqlDialect &dialect)
{
    QStringList columns;
    for (int m = 1; m <= 12; ++m)
        columns << dialect.monthColumn(m);
    return columns.join(QLatin1Char(','));
}

// The same totals by set-based SQL.
void floorRun(QSqlDatabase db)
{
    const SqlDialect dialect(db);
    const QString pending = QStringLiteral(
                                "(select %1 as ym,department,checktype,checkcontent,money from notice where %2) n")
                                .arg(dialect.yearMonthExpression(QStringLiteral("Rdate")), kPending);
    Transaction transaction(db);
    runStatement(db, QStringLiteral("insert into statistic (year,department,%1) select cast(ym/100 as varchar(4)),"
                                    "department,%2 from %3 group by ym/100,department")
                         .arg(monthColumns(dialect), monthSums(dialect, QStringLiteral("money")), pending));
    runStatement(db, QStringLiteral(
                         "insert into statistic2 (year,type,%1) select cast(ym/100 as varchar(4)),kind,%2 from "
                         "(select ym,case when checktype='建造检验' then '建造检验' "
                         "when checktype='其它检验' then '其它检验' "
                         "when checktype='营运检验' and checkcontent in ('年度检验','中间检验','临时检验','特别检验') "
                         "then checkcontent else '未知检验' end as kind from %3) k group by ym/100,kind")
                         .arg(monthColumns(dialect), monthSums(dialect, QStringLiteral("1")), pending));
    runStatement(db, QStringLiteral("update notice set status=6 where ") + kPending);
    runStatement(db, QStringLiteral("update counter set statictime=?"), {QDateTime::currentDateTime()});
    transaction.commit();
}

// Both tables as text, money rounded to cents (the floor sums floating point).
QStringList tables(QSqlDatabase db)
{
    const SqlDialect dialect(db);
    QStringList rows;
    for (const QString &table : {QStringLiteral("statistic"), QStringLiteral("statistic2")}) {
        QSqlQuery q = runStatement(db, QStringLiteral("select * from %1 order by 1,2").arg(table));
        while (q.next()) {
            QStringList parts{table};
            for (int c = 0; c < q.record().count(); ++c) {
                const QVariant v = q.value(c);
                parts << (c < 2 ? v.toString() : QString::number(std::llround(v.toDouble() * 100)));
            }
            rows << parts.join(QLatin1Char('|'));
        }
    }
    return rows;
}

int countOf(QSqlDatabase db, const QString &sql)
{
    QSqlQuery q = runStatement(db, sql);
    return q.next() ? q.value(0).toInt() : -1;
}

// The databases of one kind: a master filled once and copies of it.
class Databases
{
public:
    virtual ~Databases() = default;
    virtual DbSettings master() = 0;
    virtual DbSettings copy(const QString &name) = 0;
};

class SqliteDatabases : public Databases
{
public:
    DbSettings master() override { return settingsFor(QStringLiteral("master")); }
    DbSettings copy(const QString &name) override
    {
        const DbSettings s = settingsFor(name);
        QFile::remove(s.dataSource);
        if (!QFile::copy(master().dataSource, s.dataSource))
            throw DbError(QStringLiteral("cannot copy the database file"));
        return s;
    }

private:
    DbSettings settingsFor(const QString &name)
    {
        DbSettings s;
        s.provider = QStringLiteral("SQLite");
        s.dataSource = m_dir.filePath(name + QStringLiteral(".db"));
        return s;
    }
    QTemporaryDir m_dir;
};

class PostgresDatabases : public Databases
{
public:
    PostgresDatabases() : m_prefix(QStringLiteral("bench_statistics_%1").arg(QCoreApplication::applicationPid())) {}
    ~PostgresDatabases() override
    {
        for (const QString &name : std::as_const(m_made))
            admin(QStringLiteral("drop database if exists %1 with (force)").arg(name), true);
    }
    DbSettings master() override
    {
        const QString name = m_prefix + QStringLiteral("_master");
        if (!m_made.contains(name)) {
            admin(QStringLiteral("create database %1").arg(name));
            m_made << name;
        }
        return settingsFor(name);
    }
    DbSettings copy(const QString &suffix) override
    {
        const QString name = m_prefix + QLatin1Char('_') + suffix;
        admin(QStringLiteral("drop database if exists %1").arg(name), true);
        admin(QStringLiteral("create database %1 template %2").arg(name, m_prefix + QStringLiteral("_master")));
        m_made << name;
        return settingsFor(name);
    }

private:
    static DbSettings settingsFor(const QString &database)
    {
        DbSettings s;
        s.provider = QStringLiteral("PostgreSQL");
        const QString port = qEnvironmentVariable("PGPORT");
        s.dataSource = qEnvironmentVariable("PGHOST") + (port.isEmpty() ? QString() : QLatin1Char(':') + port);
        s.initialCatalog = database;
        s.userId = qEnvironmentVariable("PGUSER", QStringLiteral("postgres"));
        return s;
    }
    static void admin(const QString &sql, bool quiet = false)
    {
        {
            QSqlDatabase db = openConnection(settingsFor(QStringLiteral("postgres")), QStringLiteral("bench-admin"));
            QSqlQuery q(db);
            if (!q.exec(sql) && !quiet)
                throw DbError(q.lastError());
        }
        closeConnection(QStringLiteral("bench-admin"));
    }
    QString m_prefix;
    QStringList m_made;
};

struct Figures
{
    double floorSeconds = 0;
    double runSeconds = 0;
};

double seconds(const QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e9;
}

// Fills the master, then times the floor and the run on fresh copies, the
// best of the repeats of each; checks that both wrote the same totals.
Figures measure(Databases &dbs, const QString &kindName, int billed, int repeats)
{
    {
        QSqlDatabase db = openConnection(dbs.master(), QStringLiteral("fill"), OpenOptions{true});
        createSchema(db, QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("../db")));
        QElapsedTimer filling;
        filling.start();
        fill(db, billed);
        if (SqlDialect::kindOf(db) == DbKind::PostgreSQL) {
            QSqlQuery analyze(db);
            if (!analyze.exec(QStringLiteral("analyze")))
                throw DbError(analyze.lastError());
        }
        std::fprintf(stderr, "%s: filled %d billed notices in %.1f s\n", qPrintable(kindName), billed,
                     seconds(filling));
    }
    closeConnection(QStringLiteral("fill"));

    Figures best{1e9, 1e9};
    for (int r = 0; r < repeats; ++r) {
        const DbSettings floorDb = dbs.copy(QStringLiteral("floor"));
        const DbSettings runDb = dbs.copy(QStringLiteral("run"));
        QStringList floorTables;
        QStringList runTables;
        {
            QSqlDatabase db = openConnection(floorDb, QStringLiteral("floor"));
            QElapsedTimer timer;
            timer.start();
            floorRun(db);
            best.floorSeconds = std::min(best.floorSeconds, seconds(timer));
            floorTables = tables(db);
        }
        closeConnection(QStringLiteral("floor"));
        {
            QSqlDatabase db = openConnection(runDb, QStringLiteral("run"));
            QElapsedTimer timer;
            timer.start();
            UserRecord runner;
            runner.userName = QStringLiteral("冯科长");
            runner.nickname = QStringLiteral("cwkld");
            runner.typeId = 8;
            const finance::StatisticsResult result = finance::runStatistics(db, runner);
            best.runSeconds = std::min(best.runSeconds, seconds(timer));
            runTables = tables(db);
            if (result.counted != billed
                || countOf(db, QStringLiteral("select count(*) from notice where status=5")) != 0)
                throw DbError(QStringLiteral("the run counted %1 of %2 notices").arg(result.counted).arg(billed));
        }
        closeConnection(QStringLiteral("run"));
        if (floorTables != runTables || floorTables.size() != 5 * 2 + 5 * 7)
            throw DbError(QStringLiteral("the run's totals differ from the floor's"));
    }
    return best;
}

}  // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int billed = argc > 1 ? std::max(1000, QString::fromLocal8Bit(argv[1]).toInt()) : 150000;
    const int repeats = argc > 2 ? std::max(1, QString::fromLocal8Bit(argv[2]).toInt()) : 3;

    QList<QPair<QString, Figures>> table;
    bool failed = false;
    try {
        SqliteDatabases sqlite;
        table << qMakePair(QStringLiteral("SQLite"), measure(sqlite, QStringLiteral("SQLite"), billed, repeats));
    } catch (const DbError &e) {
        std::fprintf(stderr, "SQLite: could not measure: %s\n", qPrintable(e.message()));
        failed = true;
    }
    if (qEnvironmentVariableIsEmpty("PGHOST")) {
        std::fprintf(stderr, "PostgreSQL: could not measure: no server (PGHOST unset)\n");
        failed = true;
    } else {
        try {
            PostgresDatabases postgres;
            table << qMakePair(QStringLiteral("PostgreSQL"),
                               measure(postgres, QStringLiteral("PostgreSQL"), billed, repeats));
        } catch (const DbError &e) {
            std::fprintf(stderr, "PostgreSQL: could not measure: %s\n", qPrintable(e.message()));
            failed = true;
        }
    }

    std::printf("| database | billed notices | floor (set-based SQL) | statistics run | run / floor |\n");
    std::printf("|---|---:|---:|---:|---:|\n");
    for (const auto &[name, f] : std::as_const(table))
        std::printf("| %s | %d | %.2f s | %.2f s | %.2f |\n", qPrintable(name), billed, f.floorSeconds, f.runSeconds,
                    f.runSeconds / f.floorSeconds);
    return failed ? 1 : 0;
}
