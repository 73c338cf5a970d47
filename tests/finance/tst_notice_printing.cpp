// Printing a notice without a window, on the embedded file and on PostgreSQL:
// building the report changes nothing, recording the print stores state 3
// with its history row, and a notice changed or deleted by another
// workstation while the preview was open is not recorded as printed.

#include "notice_row.h"
#include "test_database.h"
#include "test_user.h"

#include "app/current_user.h"
#include "db/db_error.h"
#include "db/sql_statement.h"
#include "finance/notice_printing.h"

#include <QSqlQuery>
#include <QSqlRecord>
#include <QtTest>

#include <memory>

class TestNoticePrinting : public QObject
{
    Q_OBJECT
private slots:
    void buildChangesNothing_data() { addKindRows(); }
    void buildChangesNothing();
    void notPrintableBuildsNothing_data() { addKindRows(); }
    void notPrintableBuildsNothing();
    void recordRefusedAfterAnotherChange_data();
    void recordRefusedAfterAnotherChange();
};

namespace {

UserRecord shipAffairsClerk()
{
    return testUser(QStringLiteral("赵船务"), QStringLiteral("cw2"), 3);
}

std::unique_ptr<TestDatabase> database(DbKind kind)
{
    return TestDatabase::create(kind);
}

// An approved ship affairs notice with 登记 and 工本费 ticked, and lines of
// every kind: printed, of a type not ticked, without an amount.
void addNotice(TestDatabase &t, int status = 2)
{
    NoticeRow(QStringLiteral("0000012"))
        .status(status)
        .department(QStringLiteral("船务科"))
        .handler(QStringLiteral("赵船务"))
        .shipname(QStringLiteral("海安号"))
        .money(102.5)
        .dengji(true)
        .peixun(false)
        .gongbenfei(true)
        .neibuziliao(false)
        .null(QStringLiteral("Rdate"))
        .insert(t.connection());
    const QList<QVariantList> lines{
        {QStringLiteral("船舶登记费"), 90.0, QStringLiteral("登记"), 1},
        {QStringLiteral("证书工本费"), 12.5, QStringLiteral("工本费"), 2},
        {QStringLiteral("资料费"), 5.0, QStringLiteral("内部资料"), 3},
        {QStringLiteral("抵押登记费"), 0.0, QStringLiteral("登记"), 4},
    };
    for (const QVariantList &line : lines)
        t.exec(QStringLiteral("insert into itemofnotice (ID,itemname,money,type,orderx) values ('0000012',?,?,?,?)"),
               line);
}

// The notice row as the main window lists it.
QSqlRecord listedNotice(QSqlDatabase db)
{
    QSqlQuery q = runStatement(db, QStringLiteral("select * from notice where ID='0000012'"));
    return q.next() ? q.record() : QSqlRecord();
}

// Every notice and history row, to compare before and after.
QStringList dump(TestDatabase &t)
{
    QStringList rows;
    for (const QString &sql : {QStringLiteral("select ID,status,revision,money from notice order by ID"),
                               QStringLiteral("select ID,action,state_before,state_after,detail from notice_history "
                                              "order by historyid")}) {
        QSqlQuery q = runStatement(t.connection(), sql);
        while (q.next()) {
            QStringList cells;
            for (int i = 0; i < q.record().count(); ++i)
                cells << q.value(i).toString();
            rows << cells.join(QLatin1Char('|'));
        }
    }
    return rows;
}

}  // namespace

void TestNoticePrinting::buildChangesNothing()
{
    FIXTURE(t, rowKind(), database);
    addNotice(*t);
    QSqlDatabase db = t->connection(QStringLiteral("workstation"));
    const UserRecord clerk = shipAffairsClerk();
    const QStringList before = dump(*t);

    const std::optional<finance::NoticeReport> built = finance::buildNoticeReport(db, clerk, listedNotice(db));
    QVERIFY(built);
    QCOMPARE(dump(*t), before);
    const PreparedReport prepared = built->report.prepare();
    QVERIFY(prepared.templateFound);
    QCOMPARE(prepared.variables.value(QStringLiteral("memocw1")).toString(), QStringLiteral("登记费"));
    QCOMPARE(prepared.variables.value(QStringLiteral("memocw2")).toString(), QString());
    QCOMPARE(prepared.variables.value(QStringLiteral("memocw3")).toString(), QStringLiteral("工本费"));
    QCOMPARE(prepared.variables.value(QStringLiteral("bigmoney")).toString(), QStringLiteral("壹 佰 零贰 元 伍 角 "));
    QStringList items;
    for (const QSqlRecord &line : prepared.datasets.value(QStringLiteral("frDB_itemofnotice")).rows.records)
        items << line.value(QStringLiteral("itemname")).toString();
    QCOMPARE(items, (QStringList{QStringLiteral("船舶登记费"), QStringLiteral("证书工本费")}));
    const ReportRows notice = prepared.datasets.value(QStringLiteral("frDB_notice")).rows;
    QCOMPARE(notice.records.at(notice.current).value(QStringLiteral("is_shipaffairs")).toBool(), true);

    finance::recordNoticePrinted(db, clerk, built->notice);
    QCOMPARE(t->scalar(QStringLiteral("select status from notice where ID='0000012'")).toInt(), 3);
    QCOMPARE(t->scalar(QStringLiteral("select revision from notice where ID='0000012'")).toInt(),
             built->notice.revision + 1);
    QCOMPARE(dump(*t).last(), QStringLiteral("0000012|打印|2|3|合计 102.50"));
}

void TestNoticePrinting::notPrintableBuildsNothing()
{
    FIXTURE(t, rowKind(), database);
    addNotice(*t, 3);
    QSqlDatabase db = t->connection(QStringLiteral("workstation"));
    // Printed already; and another section's notice.
    QVERIFY(!finance::buildNoticeReport(db, shipAffairsClerk(), listedNotice(db)));
    t->exec(QStringLiteral("update notice set status=2"));
    UserRecord inspector;
    inspector.typeId = 5;
    inspector.deriveFromRole();
    QVERIFY(!finance::buildNoticeReport(db, inspector, listedNotice(db)));
}

void TestNoticePrinting::recordRefusedAfterAnotherChange_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("elsewhere");
    QTest::addColumn<bool>("deleted");
    for (DbKind kind : testedKinds()) {
        const QByteArray name = kindName(kind).toLocal8Bit();
        QTest::addRow("%s rejected meanwhile", name.constData())
            << int(kind) << QStringLiteral("update notice set status=-1, revision=revision+1") << false;
        QTest::addRow("%s deleted meanwhile", name.constData())
            << int(kind) << QStringLiteral("delete from notice") << true;
    }
}

void TestNoticePrinting::recordRefusedAfterAnotherChange()
{
    QFETCH(QString, elsewhere);
    QFETCH(bool, deleted);
    FIXTURE(t, rowKind(), database);
    addNotice(*t);
    QSqlDatabase db = t->connection(QStringLiteral("workstation"));
    const UserRecord clerk = shipAffairsClerk();
    const std::optional<finance::NoticeReport> built = finance::buildNoticeReport(db, clerk, listedNotice(db));
    QVERIFY(built);

    // While the preview is open.
    t->exec(elsewhere);
    const QStringList before = dump(*t);
    try {
        finance::recordNoticePrinted(db, clerk, built->notice);
        QFAIL("recorded as printed over another workstation's change");
    } catch (const StaleRowError &refusal) {
        QCOMPARE(refusal.rowDeleted(), deleted);
        QCOMPARE(refusal.message(), StaleRowError::text(deleted));
    }
    QCOMPARE(dump(*t), before);
}

QTEST_MAIN(TestNoticePrinting)
#include "tst_notice_printing.moc"
