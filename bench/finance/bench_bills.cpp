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
#include "app/current_user.h"
#include "app/nollard_application.h"
#include "bench_database.h"
#include "db/connection.h"
#include "db/db_error.h"
#include "db/named_query.h"
#include "db/schema.h"
#include "db/sql_statement.h"
#include "db/tdm.h"
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

double bareStatement(QSqlDatabase db, const Statement &s)
{
    QElapsedTimer t;
    t.start();
    QSqlQuery q(db);
    q.setForwardOnly(true);
    q.prepare(s.sql + (SqlDialect::kindOf(db) == DbKind::SQLite ? QString() : QStringLiteral(" limit 64")));
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
    const char *field;  // empty for the opening list
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
        {"area 3: bill number '12'", "Edit6", "Button10", "DBGrid3", QStringLiteral("12"),
         finance::voidedBillsByBillNumber},
        {"area 3: bill number, rare", "Edit6", "Button10", "DBGrid3", QStringLiteral("99999"),
         finance::voidedBillsByBillNumber},
        {"area 3: bill number, whole", "Edit6", "Button10", "DBGrid3", QStringLiteral("0000025"),
         finance::voidedBillsByBillNumber},
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
        const double w = bench::median(windowTimes), b = bench::median(bareTimes), p = bench::median(paintTimes);
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
    const double m = bench::median(times), worst = times.last();
    std::printf("\n%s: issuing one bill (transaction), %d bills: median %.2f ms, 90%% %.2f ms, worst %.2f ms %s\n",
                kindTitle, int(times.size()), m, times[times.size() * 9 / 10], worst, m < 10.0 ? "" : "  <-- over");
    return m < 10.0;
}

}  // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    NollardApplication app(argc, argv);  // as the program runs
    const QString path = argc > 1 ? QString::fromLocal8Bit(argv[1])
                                  : QDir::temp().filePath(QStringLiteral("nollard-bench-bills.db"));
    const int notices = argc > 2 ? QByteArray(argv[2]).toInt() : 1000000;
    const bool ok = bench::measureOnEachDatabase(
        path, notices,
        [](Tdm &dm, const char *title) {
            const bool lists = measureLists(dm, title);
            return measureIssuing(dm, title) && lists;
        },
        false);
    return ok ? 0 : 1;
}
