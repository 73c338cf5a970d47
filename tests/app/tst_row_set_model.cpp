// Rows read as the grid asks for them: the first screen at once, the rest on
// demand, in the statement's order, with other statements running between.

#include "test_database.h"

#include "app/named_query.h"
#include "app/tdm.h"

#include <QSqlQuery>
#include <QtTest>

class TestRowSetModel : public QObject
{
    Q_OBJECT
private slots:
    void readsOnDemand_data();
    void readsOnDemand();
};

void TestRowSetModel::readsOnDemand_data()
{
    addKindRows();
}

void TestRowSetModel::readsOnDemand()
{
    QFETCH(int, kind);
    auto t = TestDatabase::create(DbKind(kind));
    if (!t)
        QSKIP("PostgreSQL is not running (PGHOST unset)");
    constexpr int kRows = 700;
    QSqlDatabase check = t->connection();
    check.transaction();
    QSqlQuery insert(check);
    insert.prepare(QStringLiteral("insert into notice (ID,status,department,Rdate) values (?,1,?,?)"));
    const QDateTime start(QDate(2026, 1, 1), QTime(8, 0));
    for (int i = 0; i < kRows; ++i) {
        insert.addBindValue(QStringLiteral("1%1").arg(i, 6, 10, QLatin1Char('0')));
        insert.addBindValue(i % 7 == 0 ? QStringLiteral("船务科") : QStringLiteral("船检科"));
        insert.addBindValue(start.addSecs(i * 60));
        QVERIFY(insert.exec());
    }
    check.commit();
    const int section = t->scalar(QStringLiteral("select count(*) from notice where department='船检科'")).toInt();

    Tdm dm(t->settings(), QStringLiteral("rows"));
    dm.DataModuleCreate();
    NamedQuery &list = *dm.aq_notice;
    list.open(QStringLiteral("select * from notice where department=? order by Rdate desc, ID desc"),
              {QStringLiteral("船检科")});
    RowSetModel *model = list.model();
    QCOMPARE(model->rowCount(), RowSetModel::kFirstRows);  // the first screen, not the whole list
    QVERIFY(model->canFetchMore());
    QCOMPARE(list.value(QStringLiteral("ID")).toString(), QStringLiteral("1000699"));

    // Other statements on the same connection in between lose no rows.
    dm.aq_itemofnotice->open(QStringLiteral("select * from itemofnotice where ID=?"), {QStringLiteral("1000699")});
    dm.aq_counter->execute(QStringLiteral("update counter set id=id+1"));
    QSignalSpy inserted(model, &QAbstractItemModel::rowsInserted);
    model->fetchMore();
    QCOMPARE(model->rowCount(), RowSetModel::kFirstRows + RowSetModel::kMoreRows);
    QCOMPARE(inserted.size(), 1);

    QCOMPARE(list.rowCount(), section);
    QStringList ids;
    for (int row = 0; row < section; ++row)
        ids << list.valueAt(row, QStringLiteral("ID")).toString();
    QStringList expected = ids;
    std::sort(expected.begin(), expected.end(), std::greater<QString>());  // newest first
    QCOMPARE(ids, expected);
    QCOMPARE(QSet<QString>(ids.begin(), ids.end()).size(), section);
    QVERIFY(!model->canFetchMore());

    // A statement without an order over the key is read whole at once: pages
    // of it could repeat or skip rows.
    list.open(QStringLiteral("select * from notice where status=?"), {1});
    QCOMPARE(list.model()->rowCount(), kRows);
    QVERIFY(!model->canFetchMore());
    list.open(QStringLiteral("select * from notice where status=? order by Rdate desc"), {1});
    QCOMPARE(list.model()->rowCount(), kRows);
    // Closing leaves nothing behind.
    list.close();
    QCOMPARE(model->rowCount(), 0);
    QCOMPARE(model->columnCount(), 0);
}

QTEST_GUILESS_MAIN(TestRowSetModel)
#include "tst_row_set_model.moc"
