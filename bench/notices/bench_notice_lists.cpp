// The notice lists and the search on ten years' worth of notices: from the
// click to the first screen of rows painted in the main window, beside the
// bare statement reading the same rows (for a search through the substring
// index, the numbers read from it first) plus painting what the list shows of
// them (the state as text, the time formatted) into a plain QTableView of the
// same size. Target: within 1.5 times that, and within one
// frame (16 ms).
//
//   bench_notice_lists sqlite [database file] [notices]
//   bench_notice_lists postgresql [notices]
//
// SQLite: the file is made (and kept) on the first run. PostgreSQL: the
// server of PGHOST/PGPORT/PGUSER (scripts/with-postgres.sh starts one); the
// database nollard_bench is made and filled when it holds no notices. Either
// way: 1,000,000 notices of both sections over five years, by fifty handlers.
// A run that cannot measure (a statement fails, the window shows other rows
// than the statement) says so and exits with 1, printing no figures.

#include "notice_row.h"

#include "app/codes.h"
#include "app/column_proxy_model.h"
#include "app/current_user.h"
#include "app/nollard_application.h"
#include "db/connection.h"
#include "db/db_error.h"
#include "db/like_pattern.h"
#include "db/named_query.h"
#include "db/row_set_model.h"
#include "db/schema.h"
#include "db/schema_upgrade.h"
#include "db/schema_version.h"
#include "db/tdm.h"
#include "notices/main_window.h"
#include "notices/notice_lists.h"

#include <QAction>
#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStandardItemModel>
#include <QTableView>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

constexpr int kRuns = 9;
constexpr int kBatch = 500;

[[noreturn]] void cannotMeasure(const QString &why)
{
    std::fprintf(stderr, "cannot measure: %s\n", qPrintable(why));
    std::exit(1);
}

QString handlerName(int section, int n)
{
    static const QStringList family{"王", "李", "张", "刘", "陈", "杨", "黄", "赵", "周", "吴", "徐", "孙", "马"};
    static const QStringList given{"海", "洋", "帆", "航", "舟", "波", "涛", "港", "湾", "岸"};
    return family[(n + section * 5) % family.size()] + given[n % given.size()]
           + (section == 0 ? QStringLiteral("务") : QStringLiteral("检"));
}

void exec(QSqlDatabase db, const QString &sql)
{
    QSqlQuery q(db);
    if (!q.exec(sql))
        cannotMeasure(sql + QStringLiteral(": ") + q.lastError().text());
}

// The same notices on both kinds of database, inserted a batch at a time.
void fill(QSqlDatabase db, int notices)
{
    QRandomGenerator rng(20261210);
    const QDateTime end = QDateTime::currentDateTime();
    const qint64 span = qint64(5) * 365 * 24 * 3600;
    const QList<int> recentStates{1, 1, 2, 2, 3, 3, 5, 5, 5, -1, -2};
    int bill = 1;
    db.transaction();
    try {
        NoticeRows rows(db, kBatch);
        for (int serial = 1; serial <= notices; ++serial) {
            const int section = rng.bounded(2);
            // Serials rise with time: the oldest notice has the smallest.
            const QDateTime at = end.addSecs(-span + span * serial / notices);
            const bool recent = at.daysTo(end) < 90;
            const int status = recent ? recentStates[rng.bounded(int(recentStates.size()))]
                                      : (rng.bounded(100) < 96 ? 6 : -2);
            const bool billed = status == 5 || status == 6 || status == -2;
            const double money = rng.bounded(5000) + 0.5;
            const QString ship = QStringLiteral("船%1").arg(rng.bounded(3000));
            const QString company = section ? QStringLiteral("公司%1").arg(rng.bounded(40)) : QString();
            const QString handler = handlerName(section, rng.bounded(25));
            NoticeRow notice((section ? QStringLiteral("1") : QStringLiteral("0")) + codes::PadSerial6(serial));
            notice.rdate(at)
                .money(money)
                .status(status)
                .department(section ? codes::kInspection : codes::kShipAffairs)
                .shipname(ship)
                .company(company)
                .checktype(section ? codes::kRunInspection : QString())
                .checkcontent(section ? QStringLiteral("年度检验") : QString())
                .leader(status == 1 ? QString() : handlerName(section, 99))
                .handler(handler);
            if (billed)
                notice.billcode(codes::PadBillCode7(bill++));
            else
                notice.null(QStringLiteral("billcode"));
            const bool dengji = section == 0 && rng.bounded(2) == 1;
            const bool peixun = section == 0 && rng.bounded(2) == 1;
            const bool gongbenfei = section == 0 && rng.bounded(2) == 1;
            const bool neibuziliao = section == 0 && rng.bounded(2) == 1;
            rows.add(notice.dengji(dengji).peixun(peixun).gongbenfei(gongbenfei).neibuziliao(neibuziliao));
            if (serial % 100000 == 0)
                std::fprintf(stderr, "  %d notices\n", serial);
        }
        rows.finish();
    } catch (const DbError &e) {
        cannotMeasure(e.message());
    }
    exec(db, QStringLiteral("update counter set id=%1, billcode=%2").arg(notices + 1).arg(bill));
    db.commit();
    exec(db, QStringLiteral("analyze"));
}

int noticeCount(QSqlDatabase db)
{
    QSqlQuery q(db);
    return q.exec(QStringLiteral("select count(*) from notice")) && q.next() ? q.value(0).toInt() : -1;
}

QString schemaFolder()
{
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("../db"));
}

DbSettings prepareSqlite(const QString &path, int notices)
{
    DbSettings s;
    s.provider = QStringLiteral("SQLite");
    s.dataSource = path;
    const bool made = QFileInfo::exists(path);
    QSqlDatabase db = openConnection(s, QStringLiteral("fill"), OpenOptions{true});
    if (!made) {
        std::fprintf(stderr, "filling %s with %d notices (once)...\n", qPrintable(path), notices);
        // A cache as large as the indexes: the rows arrive in random order
        // of section and handler, and a small cache rewrites the same index
        // pages over and over.
        exec(db, QStringLiteral("pragma cache_size = -1000000"));
        createSchema(db, schemaFolder());
        fill(db, notices);
    } else if (schemaVersionOf(db) < kSchemaVersion) {
        std::fprintf(stderr, "upgrading %s to the current schema (once)...\n", qPrintable(path));
        QElapsedTimer t;
        t.start();
        upgradeSchema(db, schemaFolder());
        exec(db, QStringLiteral("analyze"));
        std::fprintf(stderr, "  upgraded in %.1f s\n", t.elapsed() / 1000.0);
    }
    closeConnection(QStringLiteral("fill"));
    return s;
}

DbSettings preparePostgres(int notices)
{
    if (qEnvironmentVariableIsEmpty("PGHOST"))
        cannotMeasure(QStringLiteral("PGHOST is not set (run under scripts/with-postgres.sh)"));
    DbSettings s;
    s.provider = QStringLiteral("PostgreSQL");
    const QString port = qEnvironmentVariable("PGPORT");
    s.dataSource = qEnvironmentVariable("PGHOST") + (port.isEmpty() ? QString() : QLatin1Char(':') + port);
    s.userId = qEnvironmentVariable("PGUSER", QStringLiteral("postgres"));
    s.initialCatalog = QStringLiteral("postgres");
    {
        QSqlDatabase admin = openConnection(s, QStringLiteral("admin"));
        QSqlQuery q(admin);
        q.exec(QStringLiteral("create database nollard_bench"));  // fails harmlessly when it is there
    }
    closeConnection(QStringLiteral("admin"));
    s.initialCatalog = QStringLiteral("nollard_bench");
    QSqlDatabase db = openConnection(s, QStringLiteral("fill"));
    if (schemaVersionOf(db) == kNoSchema)
        createSchema(db, schemaFolder());
    if (noticeCount(db) == 0) {
        std::fprintf(stderr, "filling the server's nollard_bench with %d notices...\n", notices);
        QElapsedTimer t;
        t.start();
        // The trigram index is built once at the end rather than row by row.
        exec(db, QStringLiteral("drop index notice_id_trgm"));
        fill(db, notices);
        exec(db, QStringLiteral("create index notice_id_trgm on notice using gin (ID gin_trgm_ops)"));
        exec(db, QStringLiteral("vacuum analyze notice"));
        std::fprintf(stderr, "  filled in %.1f s\n", t.elapsed() / 1000.0);
    }
    closeConnection(QStringLiteral("fill"));
    return s;
}

double median(QList<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// The columns of the main window's list, in its order.
const QStringList kListColumns{QStringLiteral("ID"),       QStringLiteral("status"),     QStringLiteral("Rdate"),
                               QStringLiteral("shipname"), QStringLiteral("department"), QStringLiteral("handler"),
                               QStringLiteral("leader")};

// The bare statements reading the rows the window reads first (a search by
// the substring index reads the matching numbers first, then those notices),
// and painting what the list shows of them into a plain table view.
double bareAndPainted(QSqlDatabase db, const std::function<Statement()> &statement, QStandardItemModel &model,
                      QTableView &view, QStringList *ids)
{
    QElapsedTimer t;
    t.start();
    const Statement s = statement();
    QSqlQuery q(db);
    q.setForwardOnly(true);
    const QString sql = SqlDialect::kindOf(db) == DbKind::SQLite
                            ? s.sql
                            : s.sql + QStringLiteral(" limit %1").arg(RowSetModel::kFirstRows);
    if (!q.prepare(sql))
        cannotMeasure(q.lastError().text());
    for (const QVariant &v : s.values)
        q.addBindValue(v);
    if (!q.exec())
        cannotMeasure(q.lastError().text());
    // The columns the list shows, as the user reads them: the state as its
    // text, the time in the workstation's format.
    // The columns stay (and keep the window's widths); the rows are new.
    model.removeRows(0, model.rowCount());
    const QSqlRecord record = q.record();
    const QStringList shown = kListColumns;
    QList<int> sourceColumns;
    for (const QString &name : shown)
        sourceColumns << record.indexOf(name);
    int read = 0;
    for (; read < RowSetModel::kFirstRows && q.next(); ++read) {
        QList<QStandardItem *> items;
        for (int c = 0; c < int(shown.size()); ++c) {
            const QVariant v = q.value(sourceColumns[c]);
            const QString text = shown[c] == QLatin1String("status")  ? codes::stateText(v.toInt())
                                 : shown[c] == QLatin1String("Rdate") ? dateTimeText(v)
                                                                      : v.toString();
            items << new QStandardItem(text);
        }
        model.appendRow(items);
    }
    view.viewport()->repaint();
    const double ms = t.nsecsElapsed() / 1e6;
    q.finish();
    ids->clear();
    for (int row = 0; row < read; ++row)
        *ids << model.item(row, 0)->text();
    return ms;
}

// The first screen of a search as a plain "like" over the list's order finds it.
QStringList plainLikeIds(QSqlDatabase db, const QString &text, const UserRecord &user)
{
    const bool own = !user.hasReviewRight() && (user.typeId == 3 || user.typeId == 5);
    QSqlQuery q(db);
    q.prepare(QStringLiteral("select ID from notice where %1=? and ID like ? escape '\\' "
                             "order by Rdate desc, ID desc limit %2")
                  .arg(own ? QStringLiteral("handler") : QStringLiteral("department"))
                  .arg(RowSetModel::kFirstRows));
    q.addBindValue(own ? user.userName : user.department);
    q.addBindValue(containsPattern(text));
    if (!q.exec())
        cannotMeasure(q.lastError().text());
    QStringList ids;
    while (q.next())
        ids << q.value(0).toString();
    return ids;
}

struct Case
{
    const char *title;
    int role;
    bool reviewer;
    const char *button;  // null: the search
    QString search;
};

NoticeList listOf(const QByteArray &button)
{
    return button == "bt_nochecked" ? NoticeList::NotReviewed
           : button == "bt_checked" ? NoticeList::NotPrinted
           : button == "bt_printed" ? NoticeList::NotBilled
           : button == "bt_payed"   ? NoticeList::Billed
                                    : NoticeList::Rejected;
}

}  // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    NollardApplication app(argc, argv);  // as the program runs, allocator settings included
    const QString kind = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("sqlite");
    DbSettings settings;
    try {
        if (kind == QLatin1String("sqlite")) {
            const QString path = argc > 2 ? QString::fromLocal8Bit(argv[2])
                                          : QDir::temp().filePath(QStringLiteral("nollard-bench-million.db"));
            settings = prepareSqlite(path, argc > 3 ? QByteArray(argv[3]).toInt() : 1000000);
        } else if (kind == QLatin1String("postgresql")) {
            settings = preparePostgres(argc > 2 ? QByteArray(argv[2]).toInt() : 1000000);
        } else {
            std::fprintf(stderr, "usage: bench_notice_lists sqlite [file] [notices] | postgresql [notices]\n");
            return 2;
        }
    } catch (const std::exception &e) {
        cannotMeasure(QString::fromUtf8(e.what()));
    }

    Tdm dm(settings, QStringLiteral("bench"));
    try {
        dm.DataModuleCreate();
    } catch (const DbError &e) {
        cannotMeasure(e.message());
    }
    const int notices = noticeCount(dm.database());
    TF_main window(dm);
    window.resize(1024, 740);
    QTableView plain;
    QStandardItemModel plainModel(0, int(kListColumns.size()));
    plain.setModel(&plainModel);

    const QList<Case> cases{
        {"未审核, inspection leader", 6, true, "bt_nochecked", {}},
        {"未打印, ship affairs leader", 4, true, "bt_checked", {}},
        {"未打印, ship affairs clerk", 3, false, "bt_checked", {}},
        {"未开票, inspection clerk (own)", 5, false, "bt_printed", {}},
        {"已开票, inspection leader", 6, true, "bt_payed", {}},
        {"被驳回, ship affairs leader", 4, true, "bt_badchecked", {}},
        {"search empty, clerk (own)", 5, false, nullptr, QString()},
        {"search '1', leader", 6, true, nullptr, QStringLiteral("1")},
        {"search '12', leader", 6, true, nullptr, QStringLiteral("12")},
        {"search '123', leader", 4, true, nullptr, QStringLiteral("123")},
        {"search '123', clerk (own)", 5, false, nullptr, QStringLiteral("123")},
        {"search '4567', leader", 6, true, nullptr, QStringLiteral("4567")},
        {"search full number, leader", 4, true, nullptr, QStringLiteral("0999999")},
        {"search rare digits, leader", 4, true, nullptr, QStringLiteral("999998")},
        {"search rare digits, clerk (own)", 5, false, nullptr, QStringLiteral("99998")},
        {"search no such text, leader", 6, true, nullptr, QStringLiteral("abc")},
    };

    std::printf("%s, %d notices; median of %d runs after one unmeasured\n", qPrintable(kind), notices, kRuns);
    std::printf("%-34s %10s %14s %7s %6s  %s\n", "list or search", "window ms", "bare+paint ms", "ratio", "rows",
                "target (<=1.5x and <16 ms)");
    int missed = 0;
    for (const Case &c : cases) {
        UserRecord user;
        user.typeId = c.role;
        user.userName = handlerName(c.role >= 5 ? 1 : 0, 3);
        user.isChecker = c.reviewer && (c.role == 3 || c.role == 5) ? 1 : 0;
        user.deriveFromRole();
        CurrentUser = user;
        window.hide();
        window.show();
        QCoreApplication::processEvents();
        plain.resize(window.DBGrid_notice->size());
        plain.show();
        for (int i = 0; i < kListColumns.size(); ++i)
            plain.setColumnWidth(i, window.DBGrid_notice->columnWidth(i));
        // Both shown on the screen before anything is timed: a window not yet
        // exposed paints nothing and would time as free.
        if (!QTest::qWaitForWindowExposed(&window) || !QTest::qWaitForWindowExposed(&plain))
            cannotMeasure(QStringLiteral("the windows were not shown"));

        std::function<Statement()> bare;
        if (c.button) {
            const Statement list = noticeListStatement(listOf(c.button), user);
            bare = [list] { return list; };
        } else {
            bare = [&dm, &c, user] {
                return noticeSearchStatement(c.search, user, dm.dialect(), findNoticeNumbers(dm.database(), c.search));
            };
            window.findChild<QLineEdit *>(QStringLiteral("Edit_searchid"))->setText(c.search);
        }

        QList<double> windowTimes, bareTimes;
        QStringList bareIds;
        for (int run = 0; run <= kRuns; ++run) {
            const double b = bareAndPainted(dm.database(), bare, plainModel, plain, &bareIds);
            QElapsedTimer t;
            t.start();
            if (c.button)
                window.findChild<QAction *>(QString::fromLatin1(c.button))->trigger();
            else
                window.findChild<QPushButton *>(QStringLiteral("bt_search"))->click();
            window.DBGrid_notice->viewport()->repaint();
            const double w = t.nsecsElapsed() / 1e6;
            if (run > 0) {
                windowTimes << w;
                bareTimes << b;
            }
        }
        const int shown = std::min(int(dm.aq_notice->model()->rowCount()), RowSetModel::kFirstRows);
        QStringList shownIds;
        for (int row = 0; row < shown; ++row)
            shownIds << dm.aq_notice->valueAt(row, QStringLiteral("ID")).toString();
        if (shownIds != bareIds)
            cannotMeasure(QStringLiteral("%1: the window shows other rows than the statement reads")
                              .arg(QString::fromUtf8(c.title)));
        // And the rows are those of a plain "like" in the list's order,
        // whichever way the search went.
        if (!c.button && shownIds != plainLikeIds(dm.database(), c.search, user))
            cannotMeasure(
                QStringLiteral("%1: the search shows other rows than a plain like").arg(QString::fromUtf8(c.title)));
        const double w = median(windowTimes);
        const double b = median(bareTimes);
        const bool met = w <= 1.5 * b && w < 16;
        missed += met ? 0 : 1;
        std::printf("%-34s %10.2f %14.2f %7.2f %6d  %s\n", c.title, w, b, b > 0 ? w / b : 0.0, shown,
                    met ? "met" : "MISSED");
    }
    std::printf("%d of %d within target\n", int(cases.size()) - missed, int(cases.size()));
    return 0;
}
