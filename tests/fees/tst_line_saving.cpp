// Storing fee lines without the editor, on the embedded file and on
// PostgreSQL: the lines as the editor would hold them go in with the notice's
// amount, which is returned; steps that cannot be computed store nothing and
// name their line; a line stored unchanged writes no history row.

#include "notice_row.h"
#include "test_database.h"
#include "test_user.h"

#include "app/current_user.h"
#include "db/sql_statement.h"
#include "expr/parser.h"
#include "fees/line_saving.h"

#include <QSqlQuery>
#include <QtTest>

#include <functional>
#include <memory>

class TestLineSaving : public QObject
{
    Q_OBJECT
private slots:
    void editorSave_data() { addKindRows(); }
    void editorSave();
    void oneLine_data() { addKindRows(); }
    void oneLine();
    void processedElsewhere_data();
    void processedElsewhere();
    void storesFollowOneAnother_data() { addKindRows(); }
    void storesFollowOneAnother();
};

namespace {

const QString kNotice = QStringLiteral("1000001");

UserRecord inspectionClerk()
{
    return testUser(QStringLiteral("孙船检"), QStringLiteral("cj"), 5);
}

std::unique_ptr<TestDatabase> database(DbKind kind)
{
    auto t = TestDatabase::create(kind);
    if (t) {
        NoticeRow(kNotice)
            .status(1)
            .department(QStringLiteral("船检科"))
            .handler(QStringLiteral("孙船检"))
            .null(QStringLiteral("Rdate"))
            .insert(t->connection());
        for (const QString &item : {QStringLiteral("检验费"), QStringLiteral("丈量费"), QStringLiteral("证书费")})
            t->exec(QStringLiteral("insert into itemofnotice (ID,itemname,orderx) values (?,?,?)"),
                    {kNotice, item, int(item.at(0).unicode() % 7)});
    }
    return t;
}

// The stored line of the item, as the editor reads it.
fees::FeeLineEdit storedLine(TestDatabase &t, const QString &item)
{
    QSqlQuery q = runStatement(
        t.connection(), QStringLiteral("select lineid,description,money from itemofnotice where itemname=?"), {item});
    fees::FeeLineEdit line;
    if (q.next()) {
        line.lineId = q.value(0);
        line.itemName = item;
        line.stepsRead = line.steps = q.value(1);
        line.amountRead = line.amount = q.value(2);
    }
    return line;
}

QStringList historyRows(TestDatabase &t)
{
    QSqlQuery q = runStatement(t.connection(),
                               QStringLiteral("select action,detail from notice_history order by historyid"));
    QStringList rows;
    while (q.next())
        rows << q.value(0).toString() + QLatin1Char('|') + q.value(1).toString();
    return rows;
}

}  // namespace

void TestLineSaving::editorSave()
{
    FIXTURE(t, rowKind(), database);
    QSqlDatabase db = t->connection(QStringLiteral("workstation"));
    nollard::TParser parser;
    const fees::NoticeLines notice{kNotice, 0};

    fees::FeeLineEdit fee = storedLine(*t, QStringLiteral("检验费"));
    fee.steps = QStringLiteral("10*3");
    fee.computeSteps = true;
    fees::FeeLineEdit measure = storedLine(*t, QStringLiteral("丈量费"));
    measure.steps = QStringLiteral("2*(3+");
    measure.computeSteps = true;
    try {
        fees::saveEditorLines(db, inspectionClerk(), parser, notice, {fee, measure});
        QFAIL("saved steps that cannot be computed");
    } catch (const fees::StepsNotComputed &refusal) {
        QCOMPARE(refusal.lineId().toString(), measure.lineId.toString());
        QVERIFY2(refusal.message().contains(QStringLiteral("丈量费")), qPrintable(refusal.message()));
    }
    // Nothing of the save: not even the line that could be computed.
    QVERIFY(storedLine(*t, QStringLiteral("检验费")).amountRead.isNull());
    QVERIFY(historyRows(*t).isEmpty());

    measure.steps = QStringLiteral("2.5");
    QCOMPARE(fees::saveEditorLines(db, inspectionClerk(), parser, notice, {fee, measure}).total, 32.5);
    QCOMPARE(storedLine(*t, QStringLiteral("检验费")).amountRead.toDouble(), 30.0);
    QCOMPARE(storedLine(*t, QStringLiteral("检验费")).stepsRead.toString(), QStringLiteral("10*3"));
    QCOMPARE(storedLine(*t, QStringLiteral("丈量费")).amountRead.toDouble(), 2.5);
    QCOMPARE(t->scalar(QStringLiteral("select money from notice where ID=?"), {kNotice}).toDouble(), 32.5);
    QCOMPARE(historyRows(*t),
             QStringList{QStringLiteral("修改收费项目|保存收费项目明细表，计算 2 行；合计 0.00 → 32.50")});
}

void TestLineSaving::oneLine()
{
    FIXTURE(t, rowKind(), database);
    QSqlDatabase db = t->connection(QStringLiteral("workstation"));
    const fees::NoticeLines notice{kNotice, 0};

    // Left without a change: the amount is stored again, nothing is recorded.
    QCOMPARE(fees::storeFeeLine(db, inspectionClerk(), notice, storedLine(*t, QStringLiteral("证书费"))).total, 0.0);
    QVERIFY(historyRows(*t).isEmpty());

    fees::FeeLineEdit line = storedLine(*t, QStringLiteral("证书费"));
    line.steps = QStringLiteral("20*2");
    line.amount = 40.0;
    QCOMPARE(fees::storeFeeLine(db, inspectionClerk(), notice, line).total, 40.0);
    QCOMPARE(storedLine(*t, QStringLiteral("证书费")).stepsRead.toString(), QStringLiteral("20*2"));
    QCOMPARE(t->scalar(QStringLiteral("select money from notice where ID=?"), {kNotice}).toDouble(), 40.0);
    QCOMPARE(historyRows(*t), QStringList{QStringLiteral("修改收费项目|证书费：20*2 = 40.00；合计 0.00 → 40.00")});
}

void TestLineSaving::processedElsewhere_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("elsewhere");
    QTest::addColumn<QString>("message");
    const QString processed = fees::kLinesProcessedElsewhere;
    for (DbKind kind : testedKinds()) {
        const auto row = [&](const char *name, const QString &sql, const QString &message) {
            QTest::addRow("%s %s", qPrintable(kindName(kind)), name) << int(kind) << sql << message;
        };
        row("approved", QStringLiteral("update notice set status=2, revision=revision+1 where ID=?"), processed);
        row("printed", QStringLiteral("update notice set status=3, revision=revision+1 where ID=?"), processed);
        row("billed", QStringLiteral("update notice set status=5, billcode='0000001', revision=revision+1 where ID=?"),
            processed);
        // Still new, but its header stored by another workstation since the
        // lines were opened.
        row("saved", QStringLiteral("update notice set shipname='东方', revision=revision+1 where ID=?"), processed);
        row("deleted", QStringLiteral("delete from notice where ID=?"), fees::kLinesNoticeDeleted);
    }
}

// Lines opened in the editor, then the notice taken further by another
// workstation: neither a line nor the editor's save changes anything, and
// the clerk is told why; passing through an unchanged line says nothing.
void TestLineSaving::processedElsewhere()
{
    QFETCH(QString, elsewhere);
    QFETCH(QString, message);
    FIXTURE(t, rowKind(), database);
    QSqlDatabase db = t->connection(QStringLiteral("workstation"));
    nollard::TParser parser;
    const fees::NoticeLines notice{
        kNotice, t->scalar(QStringLiteral("select revision from notice where ID=?"), {kNotice}).toInt()};
    fees::FeeLineEdit line = storedLine(*t, QStringLiteral("证书费"));
    const fees::FeeLineEdit unchanged = line;
    line.steps = QStringLiteral("20*2");
    line.amount = 40.0;

    t->exec(elsewhere, {kNotice});
    const QVariant moneyBefore = t->scalar(QStringLiteral("select money from notice where ID=?"), {kNotice});
    const auto refused = [&](const std::function<void()> &store) {
        try {
            store();
            QFAIL("the lines of a notice processed elsewhere were changed");
        } catch (const fees::LinesNotStored &refusal) {
            QCOMPARE(refusal.message(), message);
        }
    };
    refused([&] { fees::storeFeeLine(db, inspectionClerk(), notice, line); });
    line.computeSteps = true;
    refused([&] { fees::saveEditorLines(db, inspectionClerk(), parser, notice, {line}); });
    fees::storeFeeLine(db, inspectionClerk(), notice, unchanged);
    fees::saveEditorLines(db, inspectionClerk(), parser, notice, {});

    QVERIFY(storedLine(*t, QStringLiteral("证书费")).amountRead.isNull());
    QCOMPARE(t->scalar(QStringLiteral("select money from notice where ID=?"), {kNotice}), moneyBefore);
    QVERIFY(historyRows(*t).isEmpty());
}

// Each store raises the revision it was made over and returns it: the same
// editor stores again over the one it left, and a deletion or review read
// before the change is refused.
void TestLineSaving::storesFollowOneAnother()
{
    FIXTURE(t, rowKind(), database);
    QSqlDatabase db = t->connection(QStringLiteral("workstation"));
    nollard::TParser parser;
    const auto revision = [&] {
        return t->scalar(QStringLiteral("select revision from notice where ID=?"), {kNotice}).toInt();
    };
    const int opened = revision();

    fees::FeeLineEdit line = storedLine(*t, QStringLiteral("证书费"));
    line.steps = QStringLiteral("20*2");
    line.amount = 40.0;
    const fees::StoredLines first = fees::storeFeeLine(db, inspectionClerk(), {kNotice, opened}, line);
    QCOMPARE(first.revision, opened + 1);
    QCOMPARE(revision(), first.revision);

    fees::FeeLineEdit fee = storedLine(*t, QStringLiteral("检验费"));
    fee.steps = QStringLiteral("10*3");
    fee.computeSteps = true;
    QVERIFY_THROWS_EXCEPTION(fees::LinesNotStored,
                             fees::saveEditorLines(db, inspectionClerk(), parser, {kNotice, opened}, {fee}));
    const fees::StoredLines saved = fees::saveEditorLines(db, inspectionClerk(), parser, {kNotice, first.revision},
                                                          {fee});
    QCOMPARE(saved.total, 70.0);
    QCOMPARE(saved.revision, first.revision + 1);
    QCOMPARE(revision(), saved.revision);
}

QTEST_GUILESS_MAIN(TestLineSaving)
#include "tst_line_saving.moc"
