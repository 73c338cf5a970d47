// A list read page by page while other workstations change the table: no
// notice is shown twice and none that exists is missing, and a list left
// half read never holds up another program's write.

#include "notice_row.h"
#include "test_database.h"

#include "db/connection.h"
#include "db/named_query.h"
#include "db/tdm.h"
#include "notices/configure.h"

#include <QElapsedTimer>
#include <QSqlQuery>
#include <QtTest>

namespace {

const QString kList = QStringLiteral("select * from notice where department=? order by Rdate desc, ID desc");
const QString kSection = QStringLiteral("船检科");

QString number(int n)
{
    return QStringLiteral("1%1").arg(n, 6, 10, QLatin1Char('0'));
}

// 600 notices of the section; many share a second, and a few have no date
// at all, so only the number settles their place.
void fill(TestDatabase &t, int count)
{
    QSqlDatabase db = t.connection();
    db.transaction();
    NoticeRows notices(db);
    const QDateTime start(QDate(2026, 1, 1), QTime(8, 0));
    for (int i = 0; i < count; ++i) {
        NoticeRow notice(number(i));
        notice.status(1).department(kSection).rdate(start.addSecs((i / 4) * 60));
        if (i % 97 == 5)
            notice.null(QStringLiteral("Rdate"));
        notices.add(notice);
    }
    notices.finish();
    db.commit();
}

QStringList shownNumbers(NamedQuery &list)
{
    QStringList ids;
    const int rows = list.rowCount();
    for (int row = 0; row < rows; ++row)
        ids << list.valueAt(row, QStringLiteral("ID")).toString();
    return ids;
}

// The whole list in one statement, as the database orders it.
QStringList storedOrder(TestDatabase &t)
{
    QSqlQuery q(t.connection());
    q.prepare(kList);
    q.addBindValue(kSection);
    q.exec();
    QStringList ids;
    while (q.next())
        ids << q.value(QStringLiteral("ID")).toString();
    return ids;
}

}  // namespace

class TestListPaging : public QObject
{
    Q_OBJECT
private slots:
    void changesBetweenPages_data() { addKindRows(); }
    void changesBetweenPages();
    void writerWhileListHalfRead_data() { addKindRows(); }
    void writerWhileListHalfRead();
};

void TestListPaging::changesBetweenPages()
{
    QFETCH(int, kind);
    FIXTURE(t, DbKind(kind), TestDatabase::create);
    fill(*t, 600);
    const QStringList before = storedOrder(*t);
    QCOMPARE(before.size(), 600);

    Tdm dm(t->settings(), QStringLiteral("paging"));
    dm.DataModuleCreate();
    notices::configure(dm);
    NamedQuery &list = *dm.aq_notice;
    list.open(kList, {kSection});
    RowSetModel *model = list.model();
    QCOMPARE(model->rowCount(), RowSetModel::kFirstRows);
    QVERIFY(model->canFetchMore());

    // Another workstation, between the first page and the next: a new
    // notice at the top (it would push a row shown into the next page), one
    // already shown deleted (it would pull an unseen row into the gap), one
    // not yet shown deleted, and an old one inserted further down.
    const QString shownGone = before[10];
    const QString unseenGone = before[300];
    NoticeRow(number(900000))
        .status(1)
        .department(kSection)
        .rdate(QDateTime(QDate(2027, 1, 1), QTime(0, 0)))
        .insert(t->connection());
    t->exec(QStringLiteral("delete from notice where ID=?"), {shownGone});
    t->exec(QStringLiteral("delete from notice where ID=?"), {unseenGone});
    NoticeRow(number(900001))
        .status(1)
        .department(kSection)
        .rdate(QDateTime(QDate(2025, 6, 1), QTime(0, 0)))
        .insert(t->connection());

    const QStringList shown = shownNumbers(list);
    QCOMPARE(QSet<QString>(shown.begin(), shown.end()).size(), shown.size());  // none twice

    // Exactly what a reader of the first page should see afterwards: the rows
    // shown stay, the rest as the database holds them now.
    const QStringList now = storedOrder(*t);
    const QStringList expected = before.mid(0, RowSetModel::kFirstRows)
                                 + now.mid(now.indexOf(before[RowSetModel::kFirstRows - 1]) + 1);
    QCOMPARE(shown, expected);
    QVERIFY(shown.contains(number(900001)));
    QVERIFY(!shown.contains(unseenGone));
    QVERIFY(!shown.contains(number(900000)));  // newer than the page the user is on

    // Reading the list again shows the table as it is now, in its order.
    list.reopen();
    QCOMPARE(shownNumbers(list), now);
}

void TestListPaging::writerWhileListHalfRead()
{
    QFETCH(int, kind);
    FIXTURE(t, DbKind(kind), TestDatabase::create);
    fill(*t, 400);

    Tdm reader(t->settings(), QStringLiteral("reader"));
    reader.DataModuleCreate();
    notices::configure(reader);
    reader.aq_notice->open(kList, {kSection});
    QVERIFY(reader.aq_notice->model()->canFetchMore());  // half read

    // Another program writes at once, without waiting for the reader.
    Tdm writer(t->settings(), QStringLiteral("writer"));
    writer.DataModuleCreate();
    QElapsedTimer clock;
    clock.start();
    writer.aq_notice->execute(QStringLiteral("update notice set shipname=? where ID=?"),
                              {QStringLiteral("写入"), number(3)});
    writer.aq_counter->execute(QStringLiteral("update counter set id=id+1"));
    QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));

    // And the reader's own connection writes after it, then reads on.
    reader.aq_counter->execute(QStringLiteral("update counter set id=id+1"));
    QCOMPARE(reader.aq_notice->rowCount(), 400);
    QCOMPARE(t->scalar(QStringLiteral("select id from counter")).toInt(), 3);

    if (DbKind(kind) == DbKind::SQLite) {
        // The write-ahead log stays in the file for every program that opens it.
        QSqlQuery mode(t->connection(QStringLiteral("fresh")));
        QVERIFY(mode.exec(QStringLiteral("pragma journal_mode")) && mode.next());
        QCOMPARE(mode.value(0).toString(), QStringLiteral("wal"));
    }
}

QTEST_GUILESS_MAIN(TestListPaging)
#include "tst_list_paging.moc"
