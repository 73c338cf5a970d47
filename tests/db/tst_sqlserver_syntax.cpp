// SQL Server cannot run here, so its statements are parsed instead: the
// schema file as the program splits it and every statement the dialect
// builds for SQL Server go through sqlfluff's T-SQL grammar. A statement the
// grammar does not know is let through only when tsql_syntax_gate.py names
// the gap and its reason.

#include "db/schema.h"
#include "db/sql_dialect.h"
#include "tsql_gate.h"

#include <QDateTime>
#include <QtTest>

namespace {

using Named = QList<QPair<QString, QString>>;

// Every statement the SQL Server dialect builds, with representative values.
Named dialectStatements()
{
    const SqlDialect d(DbKind::SqlServer);
    Named list;
    auto add = [&list](const QString &name, const QString &sql) {
        if (!sql.isEmpty())
            list.append({name, asSent(sql)});
    };
    for (CounterColumn c : {CounterColumn::Id, CounterColumn::BillCode, CounterColumn::OrderCj, CounterColumn::OrderCw})
        add(QStringLiteral("advanceCounter"), d.advanceCounterStatement(c));
    for (const QString &sql : d.sessionSetup())
        add(QStringLiteral("sessionSetup"), sql);
    for (const QString &sql : d.lockCounterRowStatements())
        add(QStringLiteral("lockCounterRow"), sql);
    for (const QString &sql : d.restoreLockWaitStatements())
        add(QStringLiteral("restoreLockWait"), sql);

    const Statement list1{QStringLiteral("select * from notice where department=? and status=2"),
                          {QStringLiteral("船检科")}};
    const QList<OrderKey> order{{QStringLiteral("Rdate"), true}, {QStringLiteral("ID"), true}};
    add(QStringLiteral("first page"), d.pageStatement(list1, order, 64).sql);
    add(QStringLiteral("next page"),
        d.pageStatement(list1, order, 256, {QDateTime::currentDateTime(), QStringLiteral("1000123")}).sql);
    add(QStringLiteral("next page, no date"),
        d.pageStatement(list1, order, 256, {QVariant(), QStringLiteral("1000123")}).sql);
    add(QStringLiteral("page, ascending"),
        d.pageStatement(list1, {{QStringLiteral("billcode"), false}, {QStringLiteral("ID"), false}}, 64,
                        {QStringLiteral("0000100"), QStringLiteral("1000123")})
            .sql);

    add(QStringLiteral("insertIfMissing"),
        d.insertIfMissing(QStringLiteral("statistic"),
                          {QStringLiteral("year"), QStringLiteral("department"), QStringLiteral("1")}, 2,
                          {QStringLiteral("2026"), QStringLiteral("船务科"), 1.0})
            .sql);
    add(QStringLiteral("insertIfMissing keys"),
        d.insertIfMissing(QStringLiteral("statistic2"), {QStringLiteral("year"), QStringLiteral("type")},
                          {QStringLiteral("2026"), QStringLiteral("年度检验")})
            .sql);

    const Statement scope{QStringLiteral("select * from notice where handler=?"), {QStringLiteral("周航检")}};
    add(QStringLiteral("noticeIdMatches"), d.noticeIdMatches(QStringLiteral("0012"), 500).sql);
    add(QStringLiteral("noticeIdWalk"), d.noticeIdWalk(scope, QStringLiteral("0012")).sql);
    add(QStringLiteral("noticeIdAmong"),
        d.noticeIdAmong(scope, {QStringLiteral("1000012"), QStringLiteral("1000120")}).sql);
    add(QStringLiteral("noticeIdAmong, none"), d.noticeIdAmong(scope, {}).sql);

    add(QStringLiteral("copyTable"),
        d.copyTableStatement(QStringLiteral("notice"), QStringLiteral("upgrade_old_notice")));
    add(QStringLiteral("identityColumns"), d.identityColumnsQuery());
    for (const QString &sql : d.beforeExplicitKeys(QStringLiteral("itemofnotice"), {QStringLiteral("lineid")}))
        add(QStringLiteral("beforeExplicitKeys"), sql);
    for (const QString &sql : d.afterExplicitKeys(QStringLiteral("itemofnotice"), {QStringLiteral("lineid")}))
        add(QStringLiteral("afterExplicitKeys"), sql);

    add(QStringLiteral("statistics count"), d.statisticsPendingCountStatement());
    add(QStringLiteral("statistics read"), d.statisticsPendingStatement());
    QList<qint64> sums(12, 0);
    sums[0] = 15000;
    sums[11] = 2550;
    add(QStringLiteral("statistics money"),
        d.statisticsAddStatement(QStringLiteral("statistic"), QStringLiteral("department"), QStringLiteral("2026"),
                                 QStringLiteral("船检科"), sums, true)
            .sql);
    add(QStringLiteral("statistics counts"),
        d.statisticsAddStatement(QStringLiteral("statistic2"), QStringLiteral("type"), QStringLiteral("2026"),
                                 QStringLiteral("年度检验"), sums, false)
            .sql);
    add(QStringLiteral("statistics archive"), d.statisticsArchiveStatement());
    add(QStringLiteral("statistics time"), d.statisticsTimeStatement());
    add(QStringLiteral("statistics history condition"),
        QStringLiteral("select ID from notice where ") + d.statisticsChosenCondition());
    add(QStringLiteral("text list"),
        QStringLiteral("select ID from notice where ") + d.inTextListCondition(QStringLiteral("ID")));
    add(QStringLiteral("year and month"),
        QStringLiteral("select %1 from notice").arg(d.yearMonthExpression(QStringLiteral("Rdate"))));

    add(QStringLiteral("tableList"), d.tableListStatement());
    add(QStringLiteral("databaseTraits"), d.databaseTraitsStatement());
    return list;
}

}  // namespace

class TestSqlServerSyntax : public QObject
{
    Q_OBJECT
private slots:
    void gateFindsAFault();
    void schemaFileParses();
    void dialectStatementsParse();
};

// The gate itself: a statement with a T-SQL fault (the one-argument round
// the statistics run once sent is valid grammar, so a plain syntax error
// stands in) fails it, and a statement of a kind it does not know is no pass.
void TestSqlServerSyntax::gateFindsAFault()
{
    const GateResult gate = runTsqlGate({{QStringLiteral("fault"), QStringLiteral("update notice set where ID=@P1")},
                                         {QStringLiteral("sound"), QStringLiteral("select 1")}});
    if (!gate.ran)
        QSKIP("sqlfluff is not installed (scripts/install-deps.sh installs it)");
    QCOMPARE(gate.exitCode, 1);
    QVERIFY2(gate.report.contains(QStringLiteral("NOT PARSED: fault")), qPrintable(gate.report));
    QVERIFY2(!gate.report.contains(QStringLiteral("NOT PARSED: sound")), qPrintable(gate.report));
}

void TestSqlServerSyntax::schemaFileParses()
{
    const QStringList statements = schemaFileStatements(DbKind::SqlServer, QStringLiteral(SCHEMA_DIR));
    QVERIFY(statements.size() > 20);
    Named named;
    for (const QString &sql : statements)
        named.append({sql.section(QLatin1Char('\n'), 0, 0), sql});
    const GateResult gate = runTsqlGate(named);
    if (!gate.ran)
        QSKIP("sqlfluff is not installed (scripts/install-deps.sh installs it)");
    QVERIFY2(gate.exitCode == 0, qPrintable(gate.report));
}

void TestSqlServerSyntax::dialectStatementsParse()
{
    const Named statements = dialectStatements();
    const GateResult gate = runTsqlGate(statements);
    if (!gate.ran)
        QSKIP("sqlfluff is not installed (scripts/install-deps.sh installs it)");
    QVERIFY2(gate.exitCode == 0, qPrintable(gate.report));
}

QTEST_GUILESS_MAIN(TestSqlServerSyntax)
#include "tst_sqlserver_syntax.moc"
