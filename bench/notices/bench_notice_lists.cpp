// The notice lists and the search on ten years' worth of notices: from the
// click to the first screen of rows in the main window, beside the bare
// statement on the same database (prepare, execute, read the first screen).
//
//   bench_notice_lists [database file] [notices]
//
// The database is made (and kept) on the first run: 1,000,000 notices of both
// sections in every state over five years, by about fifty handlers.

#include "app/codes.h"
#include "app/connection.h"
#include "app/current_user.h"
#include "app/named_query.h"
#include "app/schema.h"
#include "app/tdm.h"
#include "notices/main_window.h"
#include "notices/notice_lists.h"

#include <QAction>
#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QSqlError>
#include <QSqlQuery>
#include <QTableView>
#include <algorithm>
#include <cstdio>

namespace {

constexpr int kScreenRows = 25;
constexpr int kRuns = 7;

QString handlerName(int section, int n)
{
    static const QStringList family{"王", "李", "张", "刘", "陈", "杨", "黄", "赵", "周", "吴", "徐", "孙", "马"};
    static const QStringList given{"海", "洋", "帆", "航", "舟", "波", "涛", "港", "湾", "岸"};
    return family[(n + section * 5) % family.size()] + given[n % given.size()]
           + (section == 0 ? QStringLiteral("务") : QStringLiteral("检"));
}

void fill(QSqlDatabase db, int notices)
{
    QRandomGenerator rng(20261210);
    db.transaction();
    QSqlQuery insert(db);
    insert.prepare(QStringLiteral(
        "insert into notice (ID,Rdate,money,status,department,shipname,company,checktype,checkcontent,"
        "leader,handler,billcode,dengji,peixun,gongbenfei,neibuziliao) values (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)"));
    const QDateTime end = QDateTime::currentDateTime();
    const qint64 span = qint64(5) * 365 * 24 * 3600;
    const QList<int> recentStates{1, 1, 2, 2, 3, 3, 5, 5, 5, -1, -2};
    int bill = 1;
    for (int serial = 1; serial <= notices; ++serial) {
        const int section = rng.bounded(2);
        // Serials rise with time: the oldest notice has the smallest.
        const QDateTime at = end.addSecs(-span + span * serial / notices);
        const bool recent = at.daysTo(end) < 90;
        const int status = recent ? recentStates[rng.bounded(int(recentStates.size()))]
                                  : (rng.bounded(100) < 96 ? 6 : -2);
        const bool billed = status == 5 || status == 6 || status == -2;
        insert.addBindValue((section ? QStringLiteral("1") : QStringLiteral("0")) + codes::PadSerial6(serial));
        insert.addBindValue(at);
        insert.addBindValue(rng.bounded(5000) + 0.5);
        insert.addBindValue(status);
        insert.addBindValue(section ? codes::kInspection : codes::kShipAffairs);
        insert.addBindValue(QStringLiteral("船%1").arg(rng.bounded(3000)));
        insert.addBindValue(section ? QStringLiteral("公司%1").arg(rng.bounded(40)) : QString());
        insert.addBindValue(section ? codes::kRunInspection : QString());
        insert.addBindValue(section ? QStringLiteral("年度检验") : QString());
        insert.addBindValue(status == 1 ? QString() : handlerName(section, 99));
        insert.addBindValue(handlerName(section, rng.bounded(25)));
        insert.addBindValue(billed ? codes::PadBillCode7(bill++) : QString());
        for (int flag = 0; flag < 4; ++flag)
            insert.addBindValue(section == 0 && rng.bounded(2) == 1);
        if (!insert.exec()) {
            std::fprintf(stderr, "%s\n", qPrintable(insert.lastError().text()));
            std::exit(1);
        }
        if (serial % 100000 == 0) {
            std::fprintf(stderr, "  %d notices\n", serial);
        }
    }
    QSqlQuery(db).exec(QStringLiteral("update counter set id=%1, billcode=%2").arg(notices + 1).arg(bill));
    db.commit();
    QSqlQuery(db).exec(QStringLiteral("analyze"));
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
    q.prepare(s.sql);
    for (const QVariant &v : s.values)
        q.addBindValue(v);
    q.exec();
    for (int i = 0; i < kScreenRows && q.next(); ++i)
        q.value(0);
    const double ms = t.nsecsElapsed() / 1e6;
    q.finish();
    return ms;
}

struct Case
{
    const char *title;
    QString nickname;
    const char *button;  // empty: the search
    QString search;
};

}  // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString path = argc > 1 ? QString::fromLocal8Bit(argv[1])
                                  : QDir::temp().filePath(QStringLiteral("nollard-bench-million.db"));
    const int notices = argc > 2 ? QByteArray(argv[2]).toInt() : 1000000;

    DbSettings settings;
    settings.provider = QStringLiteral("SQLite");
    settings.dataSource = path;
    if (!QFileInfo::exists(path)) {
        std::fprintf(stderr, "filling %s with %d notices (once)...\n", qPrintable(path), notices);
        QSqlDatabase db = openConnection(settings, QStringLiteral("fill"), OpenOptions{true});
        createSchema(db, QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("../db")));
        fill(db, notices);
    }
    closeConnection(QStringLiteral("fill"));

    Tdm dm(settings, QStringLiteral("bench"));
    dm.DataModuleCreate();
    TF_main window(dm);

    const QList<Case> cases{
        {"未审核, inspection leader", QStringLiteral("6"), "bt_nochecked", {}},
        {"未打印, ship affairs leader", QStringLiteral("4"), "bt_checked", {}},
        {"未打印, ship affairs clerk", QStringLiteral("3"), "bt_checked", {}},
        {"未开票, inspection clerk (own)", QStringLiteral("5"), "bt_printed", {}},
        {"已开票, inspection leader", QStringLiteral("6"), "bt_payed", {}},
        {"被驳回, ship affairs leader", QStringLiteral("4"), "bt_badchecked", {}},
        {"search '12', leader", QStringLiteral("6"), nullptr, QStringLiteral("12")},
        {"search empty, clerk (own)", QStringLiteral("5"), nullptr, QString()},
        {"search full number, leader", QStringLiteral("4"), nullptr, QStringLiteral("0999999")},
        {"search rare digits, leader", QStringLiteral("4"), nullptr, QStringLiteral("999998")},
    };

    std::printf("%-34s %12s %12s %7s\n", "list (first screen of rows)", "window ms", "bare SQL ms", "ratio");
    for (const Case &c : cases) {
        UserRecord user;
        user.typeId = c.nickname.toInt();
        user.userName = handlerName(user.typeId >= 5 ? 1 : 0, 3);
        user.isChecker = 0;
        user.deriveFromRole();
        CurrentUser = user;
        window.hide();
        window.show();
        QCoreApplication::processEvents();

        Statement bare;
        if (c.button) {
            const NoticeList list = QByteArray(c.button) == "bt_nochecked" ? NoticeList::NotReviewed
                                    : QByteArray(c.button) == "bt_checked" ? NoticeList::NotPrinted
                                    : QByteArray(c.button) == "bt_printed" ? NoticeList::NotBilled
                                    : QByteArray(c.button) == "bt_payed"   ? NoticeList::Billed
                                                                           : NoticeList::Rejected;
            bare = noticeListStatement(list, user);
        } else {
            bare = noticeSearchStatement(c.search, user);
            window.findChild<QLineEdit *>(QStringLiteral("Edit_searchid"))->setText(c.search);
        }

        QList<double> windowTimes, bareTimes, paintTimes;
        for (int run = 0; run < kRuns; ++run) {
            bareTimes << bareStatement(dm.database(), bare);
            QElapsedTimer t;
            t.start();
            if (c.button)
                window.findChild<QAction *>(QString::fromLatin1(c.button))->trigger();
            else
                window.findChild<QPushButton *>(QStringLiteral("bt_search"))->click();
            const double clicked = t.nsecsElapsed() / 1e6;
            window.DBGrid_notice->viewport()->repaint();
            windowTimes << t.nsecsElapsed() / 1e6;
            paintTimes << windowTimes.last() - clicked;
        }
        const double w = median(windowTimes);
        const double b = median(bareTimes);
        std::printf("%-34s %12.2f %12.2f %7.2f   (painting %.2f ms, %d rows fetched)\n", c.title, w, b,
                    b > 0 ? w / b : 0.0, median(paintTimes), int(dm.aq_notice->model()->rowCount()));
    }
    return 0;
}
