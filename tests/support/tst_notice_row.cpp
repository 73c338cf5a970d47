// The notice builder writes every column of the notice table as the schema
// files have it, so a column added there without a default here fails here
// first; what a test leaves out is stored as the defaults say, and NULL stays
// apart from an empty text on every kind of database.

#include "notice_row.h"
#include "test_database.h"

#include <QSqlQuery>
#include <QSqlRecord>
#include <QtTest>

class TestNoticeRow : public QObject
{
    Q_OBJECT
private slots:
    void everyColumnOfTheTable_data() { addKindRows(); }
    void everyColumnOfTheTable();
    void defaultsAndNull_data() { addKindRows(); }
    void defaultsAndNull();
    void manyRows_data() { addKindRows(); }
    void manyRows();
};

void TestNoticeRow::everyColumnOfTheTable()
{
    FIXTURE(t, rowKind(), TestDatabase::create);
    const QSqlRecord table = t->connection().record(QStringLiteral("notice"));
    QStringList stored;
    for (int i = 0; i < table.count(); ++i)
        stored << table.fieldName(i).toLower();
    QCOMPARE(NoticeRow::columnList().toLower().split(QLatin1Char(',')), stored);
}

void TestNoticeRow::defaultsAndNull()
{
    FIXTURE(t, rowKind(), TestDatabase::create);
    QSqlDatabase db = t->connection();
    NoticeRow(QStringLiteral("1000001")).insert(db);
    NoticeRow(QStringLiteral("0000001")).shipname(QStringLiteral("")).billcode(QStringLiteral("0000007")).insert(db);
    NoticeRow(QStringLiteral("0000002"))
        .null(QStringLiteral("Rdate"))
        .set(QStringLiteral("status"), QVariant())
        .insert(db);
    QVERIFY(!NoticeRow(QStringLiteral("0000001")).tryInsert(db));  // the number is taken

    QSqlQuery q(db);
    QVERIFY(q.exec(QStringLiteral("select ID, Rdate, status, department, money, shipname, billcode, handler, "
                                  "dengji, neibuziliao, revision from notice order by ID")));
    QStringList rows;
    while (q.next()) {
        QStringList row;
        for (int c = 0; c < 11; ++c) {
            const QVariant v = q.value(c);
            if (v.isNull())
                row << QStringLiteral("NULL");
            else if (c == 1)
                row << v.toDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm"));
            else if (c >= 8 && c <= 9)
                row << (v.toBool() ? QStringLiteral("true") : QStringLiteral("false"));
            else
                row << QLatin1Char('\'') + v.toString() + QLatin1Char('\'');
        }
        rows << row.join(QLatin1Char(' '));
    }
    QCOMPARE(rows, QStringList({
                       QStringLiteral("'0000001' 2024-03-01 09:00 '1' '船务科' NULL '' '0000007' NULL false false '0'"),
                       QStringLiteral("'0000002' NULL NULL '船务科' NULL NULL NULL NULL false false '0'"),
                       QStringLiteral("'1000001' 2024-03-01 09:00 '1' '船检科' NULL NULL NULL NULL false false '0'"),
                   }));
}

void TestNoticeRow::manyRows()
{
    FIXTURE(t, rowKind(), TestDatabase::create);
    QSqlDatabase db = t->connection();
    NoticeRows rows(db, 7);
    for (int n = 1; n <= 30; ++n)
        rows.add(NoticeRow(QStringLiteral("1%1").arg(n, 6, 10, QLatin1Char('0'))).money(n));
    rows.finish();
    QCOMPARE(t->scalar(QStringLiteral("select count(*) from notice")).toInt(), 30);
    QCOMPARE(t->scalar(QStringLiteral("select sum(money) from notice")).toDouble(), 465.0);
}

QTEST_GUILESS_MAIN(TestNoticeRow)
#include "tst_notice_row.moc"
