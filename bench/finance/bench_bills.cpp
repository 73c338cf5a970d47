// The bill window on ten years' worth of notices: each area's list and each
// search, from the click to the first screen of rows painted, beside the bare
// statement reading its first screen plus the painting of the grid; and the
// issuing of one bill (the transaction) on its own.
//
//   bench_bills [sqlite file] [notices]
//
// Runs on the SQLite file (made and kept on the first run) and, when PGHOST is
// set (scripts/with-postgres.sh bench/bench_bills), on a PostgreSQL database
// filled the same way. 1,000,000 notices of both sections over five years:
// the recent ones in every state, the older ones counted or voided, every
// billed notice with its own bill number.

#include "app/codes.h"
#include "app/connection.h"
#include "app/current_user.h"
#include "app/db_error.h"
#include "app/named_query.h"
#include "app/schema.h"
#include "app/sql_statement.h"
#include "app/tdm.h"
#include "finance/bill_lists.h"
#include "finance/bill_operations.h"
#include "finance/bill_window.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlError>
#include <QSqlQuery>
#include <QTableView>
#include <algorithm>
#include <cstdio>

namespace {

constexpr int kRuns = 9;
constexpr int kScreenRows = 25;
constexpr int kBills = 60;

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

double median(QList<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double bareStatement(QSqlDatabase db, const Statement &s)
{
    QElapsedTimer t;
    t.start();
    QSqlQuery q(db);
    q.setForwardOnly(true);
    q.prepare(s.sql + (kindOf(db) == DbKind::SQLite ? QString() : QStringLiteral(" limit 64")));
    for (const QVariant &v : s.values)
        q.addBindValue(v);
    if (!q.exec()) {
        std::fprintf(stderr, "%s\n", qPrintable(q.lastError().text()));
        std::exit(1);
    }
    for (int i = 0; i < kScreenRows && q.next(); ++i)
        q.value(0);
    const double ms = t.nsecsElapsed() / 1e6;
    q.finish();
    return ms;
}

struct Case
{
    const char *title;
    const char *field;   // empty for the opening list
    const char *button;
    const char *grid;
    QString text;
    Statement (*statement)(const UserRecord &, const QString &);
};

bool measureLists(Tdm &dm, const char *kindTitle)
{
    UserRecord user;
    user.userName = QStringLiteral("经办3");
    user.typeId = codes::RoleShipAffairsLeader;
    user.isAdmin = 1;
    user.deriveFromRole();
    CurrentUser = user;

    finance::TF_cjkpj window(dm);
    window.show();
    QCoreApplication::processEvents();

    const QList<Case> cases{
        {"area 1: opening list", nullptr, nullptr, "DBGrid1", {}, finance::unbilledNotices},
        {"area 1: serial '12'", "Edit5", "Button8", "DBGrid1", QStringLiteral("12"), finance::unbilledNotices},
        {"area 1: serial, rare", "Edit5", "Button8", "DBGrid1", QStringLiteral("99999"), finance::unbilledNotices},
        {"area 1: serial, whole", "Edit5", "Button8", "DBGrid1", QStringLiteral("0999956"), finance::unbilledNotices},
        {"area 2: bill number empty", "Edit3", "Button2", "DBGrid2", {}, finance::issuedBills},
        {"area 2: bill number '12'", "Edit3", "Button2", "DBGrid2", QStringLiteral("12"), finance::issuedBills},
        {"area 2: bill number, rare", "Edit3", "Button2", "DBGrid2", QStringLiteral("99999"), finance::issuedBills},
        {"area 2: bill number, whole", "Edit3", "Button2", "DBGrid2", QStringLiteral("0999960"), finance::issuedBills},
        {"area 3: serial empty", "Edit4", "Button5", "DBGrid3", {}, finance::voidedBillsBySerial},
        {"area 3: serial '12'", "Edit4", "Button5", "DBGrid3", QStringLiteral("12"), finance::voidedBillsBySerial},
        {"area 3: serial, rare", "Edit4", "Button5", "DBGrid3", QStringLiteral("99999"), finance::voidedBillsBySerial},
        {"area 3: bill number '12'", "Edit6", "Button10", "DBGrid3", QStringLiteral("12"), finance::voidedBillsByBillNumber},
        {"area 3: bill number, rare", "Edit6", "Button10", "DBGrid3", QStringLiteral("99999"), finance::voidedBillsByBillNumber},
        {"area 3: bill number, whole", "Edit6", "Button10", "DBGrid3", QStringLiteral("0000025"), finance::voidedBillsByBillNumber},
    };

    std::printf("\n%s: lists (first screen of rows)\n", kindTitle);
    std::printf("%-30s %10s %10s %10s %12s %7s %6s\n", "", "window ms", "bare ms", "paint ms", "bare+paint", "ratio",
                "rows");
    bool ok = true;
    for (const Case &c : cases) {
        auto *grid = window.findChild<QTableView *>(QString::fromLatin1(c.grid));
        if (c.field)
            window.findChild<QLineEdit *>(QString::fromLatin1(c.field))->setText(c.text);
        const Statement bare = c.statement(user, c.text);
        QList<double> windowTimes, bareTimes, paintTimes;
        for (int i = 0; i < kRuns; ++i) {
            bareTimes << bareStatement(dm.database(), bare);
            QElapsedTimer t;
            t.start();
            if (c.button)
                window.findChild<QPushButton *>(QString::fromLatin1(c.button))->click();
            else
                window.FormShow();
            const double clicked = t.nsecsElapsed() / 1e6;
            grid->viewport()->repaint();
            windowTimes << t.nsecsElapsed() / 1e6;
            QElapsedTimer p;
            p.start();
            grid->viewport()->repaint();
            paintTimes << p.nsecsElapsed() / 1e6;
            (void)clicked;
        }
        const double w = median(windowTimes), b = median(bareTimes), p = median(paintTimes);
        const double ratio = w / (b + p);
        const bool within = w <= 16.0 && ratio <= 1.5;
        ok = ok && within;
        std::printf("%-30s %10.2f %10.2f %10.2f %12.2f %7.2f %6d %s\n", c.title, w, b, p, b + p, ratio,
                    int(grid->model()->rowCount()), within ? "" : "  <-- over");
    }
    return ok;
}

bool measureIssuing(Tdm &dm, const char *kindTitle)
{
    UserRecord user;
    user.userName = QStringLiteral("经办3");
    user.typeId = codes::RoleShipAffairsStaff;
    user.isAdmin = 1;
    user.deriveFromRole();

    QSqlDatabase db = dm.database();
    QSqlQuery pick = runStatement(db,
                                  QStringLiteral("select ID, revision from notice where status=3 and department=? "
                                                 "order by Rdate desc"),
                                  {user.department});
    QList<QPair<QString, int>> printed;
    while (printed.size() < kBills && pick.next())
        printed << qMakePair(pick.value(0).toString(), pick.value(1).toInt());
    pick.finish();
    if (printed.size() < kBills) {
        std::fprintf(stderr, "not enough printed notices to bill\n");
        return false;
    }

    QList<double> times;
    for (const auto &[id, revision] : printed) {
        finance::BillRequest request;
        request.noticeId = id;
        request.revision = revision;
        request.shownNumber = finance::proposedBillNumber(db);
        request.typedNumber = codes::PadBillCode7(request.shownNumber);
        QElapsedTimer t;
        t.start();
        finance::issueBill(db, user, request);
        times << t.nsecsElapsed() / 1e6;
    }
    // Put the notices back for the next run.
    for (const auto &[id, revision] : printed)
        runStatement(db, QStringLiteral("update notice set status=3, billcode=null where ID=?"), {id});
    std::sort(times.begin(), times.end());
    const double m = median(times), worst = times.last();
    std::printf("\n%s: issuing one bill (transaction), %d bills: median %.2f ms, 90%% %.2f ms, worst %.2f ms %s\n",
                kindTitle, int(times.size()), m, times[times.size() * 9 / 10], worst, m < 10.0 ? "" : "  <-- over");
    return m < 10.0;
}

}  // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString path = argc > 1 ? QString::fromLocal8Bit(argv[1])
                                  : QDir::temp().filePath(QStringLiteral("nollard-bench-bills.db"));
    const int notices = argc > 2 ? QByteArray(argv[2]).toInt() : 1000000;
    bool ok = true;
    try {
        DbSettings sqlite;
        sqlite.provider = QStringLiteral("SQLite");
        sqlite.dataSource = path;
        if (!QFileInfo::exists(path))
            fill(openConnection(sqlite, QStringLiteral("fill"), OpenOptions{true}), DbKind::SQLite, notices);
        closeConnection(QStringLiteral("fill"));
        {
            Tdm dm(sqlite, QStringLiteral("bench-sqlite"));
            dm.DataModuleCreate();
            ok = measureLists(dm, "SQLite") && ok;
            ok = measureIssuing(dm, "SQLite") && ok;
        }

        if (!qEnvironmentVariableIsEmpty("PGHOST")) {
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
            Tdm dm(pg, QStringLiteral("bench-postgresql"));
            dm.DataModuleCreate();
            ok = measureLists(dm, "PostgreSQL") && ok;
            ok = measureIssuing(dm, "PostgreSQL") && ok;
        } else {
            std::printf("\nPostgreSQL: not measured (PGHOST unset; run through scripts/with-postgres.sh)\n");
        }
    } catch (const DbError &e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.message()));
        return 1;
    }
    return ok ? 0 : 1;
}
