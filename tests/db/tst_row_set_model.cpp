// Rows read as the grid asks for them: the first screen at once, the rest on
// demand, in the statement's order, with other statements running between.

#include "notice_row.h"
#include "test_database.h"

#include "db/named_query.h"
#include "db/row_set_model.h"
#include "db/tdm.h"
#include "notices/configure.h"

#include <QSqlQuery>
#include <QtTest>

class TestRowSetModel : public QObject
{
    Q_OBJECT
private slots:
    void readsOnDemand_data();
    void readsOnDemand();
    void replacesInPlace_data();
    void replacesInPlace();
    void sortsAWholeListAsRead_data();
    void sortsAWholeListAsRead();
};

void TestRowSetModel::readsOnDemand_data()
{
    addKindRows();
}

void TestRowSetModel::readsOnDemand()
{
    QFETCH(int, kind);
    FIXTURE(t, DbKind(kind), TestDatabase::create);
    constexpr int kRows = 700;
    QSqlDatabase check = t->connection();
    check.transaction();
    NoticeRows notices(check);
    const QDateTime start(QDate(2026, 1, 1), QTime(8, 0));
    for (int i = 0; i < kRows; ++i) {
        notices.add(NoticeRow(QStringLiteral("1%1").arg(i, 6, 10, QLatin1Char('0')))
                        .status(1)
                        .department(i % 7 == 0 ? QStringLiteral("船务科") : QStringLiteral("船检科"))
                        .rdate(start.addSecs(i * 60)));
    }
    notices.finish();
    check.commit();
    const int section = t->scalar(QStringLiteral("select count(*) from notice where department='船检科'")).toInt();

    Tdm dm(t->settings(), QStringLiteral("rows"));
    dm.DataModuleCreate();
    notices::configure(dm);
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

void TestRowSetModel::replacesInPlace_data()
{
    addKindRows();
}

// A list read again under the same columns changes only the rows that differ:
// views see rows changed, removed or added, never a reset, and nothing at all
// when the rows are the same. The rows are always exactly the new ones.
void TestRowSetModel::replacesInPlace()
{
    QFETCH(int, kind);
    FIXTURE(t, DbKind(kind), TestDatabase::create);
    QSqlDatabase check = t->connection();
    const QDateTime start(QDate(2026, 3, 1), QTime(9, 0));
    for (int i = 0; i < 10; ++i) {
        NoticeRow(QStringLiteral("100000%1").arg(i))
            .status(i < 6 ? 1 : 2)
            .department(QStringLiteral("船检科"))
            .rdate(start.addSecs(i * 60))
            .insert(check);
    }

    Tdm dm(t->settings(), QStringLiteral("inplace"));
    dm.DataModuleCreate();
    notices::configure(dm);
    NamedQuery &list = *dm.aq_notice;
    RowSetModel *model = list.model();
    model->setReplacesInPlace(true);
    const QString byStatus = QStringLiteral("select * from notice where status=? order by Rdate desc, ID desc");
    const QString all = QStringLiteral("select * from notice where status>? order by Rdate desc, ID desc");
    list.open(byStatus, {1});

    QSignalSpy resets(model, &QAbstractItemModel::modelReset);
    QSignalSpy changed(model, &QAbstractItemModel::dataChanged);
    QSignalSpy removed(model, &QAbstractItemModel::rowsRemoved);
    QSignalSpy inserted(model, &QAbstractItemModel::rowsInserted);
    const auto ids = [&] {
        QStringList shown;
        for (int row = 0; row < model->rowCount(); ++row)
            shown << model->record(row).value(QStringLiteral("ID")).toString();
        return shown;
    };
    const auto clearSpies = [&] {
        for (QSignalSpy *spy : {&resets, &changed, &removed, &inserted})
            spy->clear();
    };

    // The same rows again: no signal, so no view repaints a thing.
    list.open(byStatus, {1});
    QCOMPARE(resets.size() + changed.size() + removed.size() + inserted.size(), 0);
    QCOMPARE(ids().size(), 6);

    // One value changed elsewhere: that row alone.
    QVERIFY(QSqlQuery(check).exec(QStringLiteral("update notice set shipname='新船名' where ID='1000003'")));
    list.open(byStatus, {1});
    QCOMPARE(changed.size(), 1);
    QCOMPARE(changed[0][0].toModelIndex().row(), 2);
    QCOMPARE(changed[0][1].toModelIndex().row(), 2);
    QCOMPARE(model->record(2).value(QStringLiteral("shipname")).toString(), QStringLiteral("新船名"));
    QCOMPARE(resets.size() + removed.size() + inserted.size(), 0);
    clearSpies();

    // Fewer rows: the tail is removed and the rest rewritten.
    list.open(byStatus, {2});
    QCOMPARE(ids(), (QStringList{"1000009", "1000008", "1000007", "1000006"}));
    QCOMPARE(removed.size(), 1);
    QCOMPARE(removed[0][1].toInt(), 4);
    QCOMPARE(removed[0][2].toInt(), 5);
    QCOMPARE(inserted.size() + resets.size(), 0);
    clearSpies();

    // More rows: the new ones are added after those rewritten.
    list.open(all, {0});
    QCOMPARE(ids(), (QStringList{"1000009", "1000008", "1000007", "1000006", "1000005", "1000004", "1000003", "1000002",
                                 "1000001", "1000000"}));
    QCOMPARE(inserted.size(), 1);
    QCOMPARE(inserted[0][1].toInt(), 4);
    QCOMPARE(inserted[0][2].toInt(), 9);
    QCOMPARE(removed.size() + resets.size(), 0);
    clearSpies();

    // Other columns: the views start over.
    list.open(QStringLiteral("select ID, status, Rdate from notice order by Rdate desc, ID desc"));
    QCOMPARE(resets.size(), 1);
    QCOMPARE(model->columnCount(), 3);
    QCOMPARE(ids().size(), 10);
}

void TestRowSetModel::sortsAWholeListAsRead_data()
{
    addKindRows();
}

// A list without a key is read whole and sorted as read: missing values
// first going up and last going down, equal ones in the statement's order;
// the current row stays the same row, and the order holds when the list is
// read again, until the statement's own order is asked for.
void TestRowSetModel::sortsAWholeListAsRead()
{
    QFETCH(int, kind);
    FIXTURE(t, DbKind(kind), TestDatabase::create);
    const QList<std::pair<const char *, QVariant>> rows{
        {"1000001", QStringLiteral("乙")}, {"1000002", QVariant()},           {"1000003", QStringLiteral("甲")},
        {"1000004", QStringLiteral("乙")}, {"1000005", QStringLiteral("丙")}, {"1000006", QVariant()}};
    double money = 30;
    for (const auto &[id, ship] : rows) {
        NoticeRow row(QString::fromLatin1(id));
        row.status(1).money(money);
        money = money == 30 ? 5 : money + 100;  // 30, 5, 105, 205, 305, 405
        if (ship.isNull())
            row.null(QStringLiteral("shipname"));
        else
            row.shipname(ship.toString());
        row.insert(t->connection());
    }
    Tdm dm(t->settings(), QStringLiteral("sorting"));
    dm.DataModuleCreate();
    NamedQuery list(QStringLiteral("aq_plain"), dm.connectionName());
    list.open(QStringLiteral("select ID, shipname, money from notice order by ID"));
    RowSetModel *model = list.model();
    QVERIFY(!model->canFetchMore());
    list.setCurrentRow(3);
    const auto ids = [&] {
        QStringList shown;
        for (int row = 0; row < model->rowCount(); ++row)
            shown << model->record(row).value(QStringLiteral("ID")).toString().right(1);
        return shown.join(QString());
    };
    const int ship = model->record().indexOf(QStringLiteral("shipname"));
    const int amount = model->record().indexOf(QStringLiteral("money"));

    model->sort(amount, Qt::AscendingOrder);
    QCOMPARE(ids(), QStringLiteral("213456"));
    QCOMPARE(list.value(QStringLiteral("ID")).toString(), QStringLiteral("1000004"));
    QCOMPARE(list.currentRow(), 3);
    model->sort(ship, Qt::AscendingOrder);
    // "丙" < "乙" < "甲" by their code points (U+4E19, U+4E59, U+7532).
    QCOMPARE(ids(), QStringLiteral("265143"));
    QCOMPARE(list.value(QStringLiteral("ID")).toString(), QStringLiteral("1000004"));
    model->sort(ship, Qt::DescendingOrder);
    QCOMPARE(ids(), QStringLiteral("314526"));
    QCOMPARE(list.currentRow(), 2);
    list.reopen();
    QCOMPARE(ids(), QStringLiteral("314526"));
    model->sort(-1);
    QCOMPARE(ids(), QStringLiteral("123456"));
}

QTEST_GUILESS_MAIN(TestRowSetModel)
#include "tst_row_set_model.moc"
