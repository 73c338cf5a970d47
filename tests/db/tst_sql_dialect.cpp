// The statements that differ between kinds of database, exactly as each kind
// receives them: SQL Server cannot run here, so its text is the test. How
// each kind's errors are read, and that an error shown to the user carries
// neither the statement nor the values.

#include "db/db_error.h"
#include "db/sql_dialect.h"

#include <QDateTime>
#include <QtTest>

Q_DECLARE_METATYPE(DbKind)
Q_DECLARE_METATYPE(QSqlError)

class TestSqlDialect : public QObject
{
    Q_OBJECT
private slots:
    void statements_data();
    void statements();
    void pageAfterKey_data();
    void pageAfterKey();
    void pagesByKeyFirst();
    void insertIfMissing();
    void statisticsStatements_data();
    void statisticsStatements();
    void errors_data();
    void errors();
    void sqlServerDrivers_data();
    void sqlServerDrivers();
    void shownTextHasNoStatementOrValues();
    void serverList_data();
    void serverList();
};

void TestSqlDialect::statements_data()
{
    QTest::addColumn<DbKind>("kind");
    QTest::addColumn<QString>("counter");
    QTest::addColumn<QString>("month");
    QTest::addColumn<QStringList>("session");
    QTest::addColumn<QString>("options");
    QTest::addColumn<QString>("firstPage");

    QTest::newRow("SQL Server") << DbKind::SqlServer
                                << QStringLiteral("update counter set billcode = billcode + 1 output inserted.billcode")
                                << QStringLiteral("[1]") << QStringList{QStringLiteral("set lock_timeout 4000")}
                                << QStringLiteral("SQL_ATTR_LOGIN_TIMEOUT=8")
                                << QStringLiteral(
                                       "select top (64) * from (select * from notice where department=?) page "
                                       "order by Rdate desc, ID desc");
    QTest::newRow("PostgreSQL") << DbKind::PostgreSQL
                                << QStringLiteral("update counter set billcode = billcode + 1 returning billcode")
                                << QStringLiteral("\"1\"") << QStringList{QStringLiteral("set lock_timeout = 4000")}
                                << QStringLiteral("connect_timeout=8")
                                << QStringLiteral("select * from notice where department=? "
                                                  "order by Rdate desc, ID desc limit 64");
    QTest::newRow("SQLite") << DbKind::SQLite
                            << QStringLiteral("update counter set billcode = billcode + 1 returning billcode")
                            << QStringLiteral("\"1\"")
                            << QStringList{QStringLiteral("pragma journal_mode = wal"),
                                           QStringLiteral("pragma foreign_keys = on")}
                            << QStringLiteral("QSQLITE_BUSY_TIMEOUT=4000")
                            << QStringLiteral("select * from notice where department=? "
                                              "order by Rdate desc, ID desc limit 64");
}

void TestSqlDialect::statements()
{
    QFETCH(DbKind, kind);
    const SqlDialect d(kind);
    QTEST(d.advanceCounterStatement(CounterColumn::BillCode), "counter");
    QTEST(d.quoted(QStringLiteral("1")), "month");
    QTEST(d.sessionSetup(), "session");
    QTEST(d.connectOptions(), "options");
    const QList<OrderKey> order{{QStringLiteral("Rdate"), true}, {QStringLiteral("ID"), true}};
    const Statement first = d.pageStatement(
        {QStringLiteral("select * from notice where department=?"), {QStringLiteral("船检科")}}, order, 64);
    QTEST(first.sql, "firstPage");
    QCOMPARE(first.values, QVariantList{QStringLiteral("船检科")});
}

void TestSqlDialect::pageAfterKey_data()
{
    // The next page starts after the last row shown; NULL sorts low on SQL
    // Server and SQLite (last in a descending list) and high on PostgreSQL.
    QTest::addColumn<DbKind>("kind");
    QTest::addColumn<QVariant>("lastDate");
    QTest::addColumn<QString>("sql");
    QTest::addColumn<int>("boundValues");

    const QVariant date = QDateTime(QDate(2026, 3, 1), QTime(9, 30, 5));
    const QString select = QStringLiteral("(select * from notice where department=?) page");
    QTest::newRow("SQL Server") << DbKind::SqlServer << date
                                << QStringLiteral("select top (256) * from ") + select
                                       + QStringLiteral(
                                           " where ((Rdate < ? or Rdate is null) or (Rdate = ? and (ID < ? "
                                           "or ID is null))) order by Rdate desc, ID desc")
                                << 4;
    QTest::newRow("SQL Server, no date") << DbKind::SqlServer << QVariant()
                                         << QStringLiteral("select top (256) * from ") + select
                                                + QStringLiteral(" where ((Rdate is null and (ID < ? or ID is null))) "
                                                                 "order by Rdate desc, ID desc")
                                         << 2;
    QTest::newRow("PostgreSQL") << DbKind::PostgreSQL << date
                                << QStringLiteral("select * from ") + select
                                       + QStringLiteral(" where Rdate <= ? and (Rdate < ? or (Rdate = ? and ID < ?)) "
                                                        "order by Rdate desc, ID desc limit 256")
                                << 5;
    QTest::newRow("PostgreSQL, no date") << DbKind::PostgreSQL << QVariant()
                                         << QStringLiteral("select * from ") + select
                                                + QStringLiteral(
                                                    " where (Rdate is not null or (Rdate is null and ID < ?)) "
                                                    "order by Rdate desc, ID desc limit 256")
                                         << 2;
}

void TestSqlDialect::pageAfterKey()
{
    QFETCH(DbKind, kind);
    QFETCH(QVariant, lastDate);
    const QList<OrderKey> order{{QStringLiteral("Rdate"), true}, {QStringLiteral("ID"), true}};
    const Statement s = SqlDialect(kind).pageStatement(
        {QStringLiteral("select * from notice where department=?"), {QStringLiteral("船检科")}}, order, 256,
        {lastDate, QStringLiteral("1000123")});
    QTEST(s.sql, "sql");
    QCOMPARE(s.values.size(), s.sql.count(QLatin1Char('?')));
    QTEST(int(s.values.size()), "boundValues");
    QCOMPARE(s.values.first(), QVariant(QStringLiteral("船检科")));
    QCOMPARE(s.values.last(), QVariant(QStringLiteral("1000123")));
}

// PostgreSQL chooses a page of a plain one-table select that tests its key
// through a function by the key first, then reads those rows; the other
// databases and other selects page as they are.
void TestSqlDialect::pagesByKeyFirst()
{
    const QList<OrderKey> order{{QStringLiteral("Rdate"), true}, {QStringLiteral("ID"), true}};
    const Statement search{QStringLiteral("select * from notice where handler=? and strpos(ID, ?) > 0"),
                           {QStringLiteral("周航检"), QStringLiteral("123")}};
    const SqlDialect postgres(DbKind::PostgreSQL);

    const Statement first = postgres.pageStatement(search, order, 64, {}, QStringLiteral("ID"));
    QCOMPARE(first.sql, QStringLiteral("select * from notice where ID in (select ID from notice where (handler=? and "
                                       "strpos(ID, ?) > 0) order by Rdate desc, ID desc limit 64) "
                                       "order by Rdate desc, ID desc"));
    QCOMPARE(first.values, search.values);

    const QDateTime last(QDate(2026, 3, 1), QTime(9, 30, 5));
    const Statement next = postgres.pageStatement(search, order, 256, {last, QStringLiteral("1000123")},
                                                  QStringLiteral("ID"));
    QCOMPARE(next.sql, QStringLiteral("select * from notice where ID in (select ID from notice where (handler=? and "
                                      "strpos(ID, ?) > 0) and Rdate <= ? and (Rdate < ? or (Rdate = ? and ID < ?)) "
                                      "order by Rdate desc, ID desc limit 256) order by Rdate desc, ID desc"));
    QCOMPARE(next.values, (QVariantList{QStringLiteral("周航检"), QStringLiteral("123"), last, last, last,
                                        QStringLiteral("1000123")}));

    // A condition the index can bound: paged as it is.
    const Statement list{QStringLiteral("select * from notice where department=? and status=2"),
                         {QStringLiteral("船检科")}};
    QCOMPARE(postgres.pageStatement(list, order, 64, {}, QStringLiteral("ID")).sql,
             list.sql + QStringLiteral(" order by Rdate desc, ID desc limit 64"));
    // Not a plain select over one table: paged as it is.
    const Statement found{QStringLiteral("select * from (with found as materialized (select * from notice where "
                                         "department=? and ID in (?)) select * from found) found"),
                          {QStringLiteral("船检科"), QStringLiteral("1000123")}};
    QCOMPARE(postgres.pageStatement(found, order, 64, {}, QStringLiteral("ID")).sql,
             found.sql + QStringLiteral(" order by Rdate desc, ID desc limit 64"));
    // Without a key, and on the other databases, the page is read as it is.
    QCOMPARE(postgres.pageStatement(search, order, 64).sql,
             search.sql + QStringLiteral(" order by Rdate desc, ID desc limit 64"));
    for (DbKind kind : {DbKind::SQLite, DbKind::SqlServer})
        QCOMPARE(SqlDialect(kind).pageStatement(search, order, 64, {}, QStringLiteral("ID")).sql,
                 SqlDialect(kind).pageStatement(search, order, 64).sql);
}

void TestSqlDialect::insertIfMissing()
{
    const QStringList columns{QStringLiteral("year"), QStringLiteral("department"), QStringLiteral("1")};
    const QVariantList values{QStringLiteral("2026"), QStringLiteral("船务科"), 12.5};
    const Statement server =
        SqlDialect(DbKind::SqlServer).insertIfMissing(QStringLiteral("statistic"), columns, 2, values);
    QCOMPARE(server.sql, QStringLiteral("insert into statistic ([year],[department],[1]) select ?,?,? where not exists "
                                        "(select 1 from statistic with (updlock, holdlock) where [year]=? and "
                                        "[department]=?)"));
    const QVariantList withKey = values + QVariantList{QStringLiteral("2026"), QStringLiteral("船务科")};
    QCOMPARE(server.values, withKey);
    const Statement pg =
        SqlDialect(DbKind::PostgreSQL).insertIfMissing(QStringLiteral("statistic"), columns, 2, values);
    QCOMPARE(pg.sql, QStringLiteral("insert into statistic (\"year\",\"department\",\"1\") values (?,?,?) "
                                    "on conflict do nothing"));
    QCOMPARE(pg.values, values);
}

void TestSqlDialect::statisticsStatements_data()
{
    QTest::addColumn<DbKind>("kind");
    QTest::addColumn<QString>("read");
    QTest::addColumn<QString>("money");
    QTest::addColumn<QString>("counts");
    QTest::addColumn<QString>("archive");
    QTest::addColumn<QStringList>("lock");
    QTest::addColumn<QStringList>("restore");

    QTest::newRow("SQL Server")
        << DbKind::SqlServer
        << QStringLiteral("select ID,(year(Rdate) * 100 + month(Rdate)),department,checktype,checkcontent,money,Rdate "
                          "from notice where status=5 and billcode is not null and billcode<>''")
        << QStringLiteral("update statistic set [1]=round(coalesce([1],0)*100+?,0)/100.0,"
                          "[12]=round(coalesce([12],0)*100+?,0)/100.0 where year=? and department=?")
        << QStringLiteral("update statistic2 set [1]=coalesce([1],0)+?,[12]=coalesce([12],0)+? "
                          "where year=? and type=?")
        << QStringLiteral("update notice set status=6 where status=5 and ID in (select value from openjson(?))")
        << QStringList{QStringLiteral("set lock_timeout 60000"),
                       QStringLiteral("select onerow from counter with (updlock, holdlock, rowlock)")}
        << QStringList{QStringLiteral("set lock_timeout 4000")};
    QTest::newRow("PostgreSQL")
        << DbKind::PostgreSQL
        << QStringLiteral(
               "select ID,cast(extract(year from Rdate) * 100 + extract(month from Rdate) as integer),"
               "department,checktype,checkcontent,money,Rdate from notice where status=5 and billcode is not "
               "null and billcode<>''")
        << QStringLiteral("update statistic set \"1\"=round(coalesce(\"1\",0)*100+?)/100.0,"
                          "\"12\"=round(coalesce(\"12\",0)*100+?)/100.0 where year=? and department=?")
        << QStringLiteral("update statistic2 set \"1\"=coalesce(\"1\",0)+?,\"12\"=coalesce(\"12\",0)+? "
                          "where year=? and type=?")
        << QStringLiteral("update notice set status=6 where status=5 and ID = any(cast(? as text[]))")
        << QStringList{QStringLiteral("set local lock_timeout = '60s'"),
                       QStringLiteral("select onerow from counter for update")}
        << QStringList{};
    QTest::newRow("SQLite") << DbKind::SQLite
                            << QStringLiteral(
                                   "select ID,cast(strftime('%Y%m', Rdate) as integer),department,"
                                   "checktype,checkcontent,money,Rdate from notice where status=5 and billcode "
                                   "is not null and billcode<>''")
                            << QStringLiteral("update statistic set \"1\"=round(coalesce(\"1\",0)*100+?)/100.0,"
                                              "\"12\"=round(coalesce(\"12\",0)*100+?)/100.0 where year=? and "
                                              "department=?")
                            << QStringLiteral("update statistic2 set \"1\"=coalesce(\"1\",0)+?,"
                                              "\"12\"=coalesce(\"12\",0)+? where year=? and type=?")
                            << QStringLiteral("update notice set status=6 where status=5 and ID in "
                                              "(select value from json_each(?))")
                            << QStringList{QStringLiteral("update counter set statictime=statictime")} << QStringList{};
}

// Every statement of the statistics run, exactly as each kind receives it:
// T-SQL's round takes the number of decimals, the other two round a double
// with one argument only; SQL Server's lock wait belongs to the session and
// is set back after the run.
void TestSqlDialect::statisticsStatements()
{
    QFETCH(DbKind, kind);
    const SqlDialect d(kind);
    QCOMPARE(d.statisticsPendingCountStatement(),
             QStringLiteral("select count(*) from notice where status=5 and billcode is not null and billcode<>''"));
    QTEST(d.statisticsPendingStatement(), "read");
    QList<qint64> sums(12, 0);
    sums[0] = 15000;
    sums[11] = 2550;
    const Statement money = d.statisticsAddStatement(QStringLiteral("statistic"), QStringLiteral("department"),
                                                     QStringLiteral("2005"), QStringLiteral("船检科"), sums, true);
    QTEST(money.sql, "money");
    QCOMPARE(money.values,
             (QVariantList{qint64(15000), qint64(2550), QStringLiteral("2005"), QStringLiteral("船检科")}));
    QTEST(d.statisticsAddStatement(QStringLiteral("statistic2"), QStringLiteral("type"), QStringLiteral("2005"),
                                   QStringLiteral("年度检验"), sums, false)
              .sql,
          "counts");
    QVERIFY(d.statisticsAddStatement(QStringLiteral("statistic"), QStringLiteral("department"), QStringLiteral("2005"),
                                     QStringLiteral("船检科"), QList<qint64>(12, 0), true)
                .sql.isEmpty());
    QTEST(d.statisticsArchiveStatement(), "archive");
    QTEST(d.lockCounterRowStatements(), "lock");
    QTEST(d.restoreLockWaitStatements(), "restore");
    QCOMPARE(d.statisticsTimeStatement(), QStringLiteral("update counter set statictime=?"));
}

void TestSqlDialect::errors_data()
{
    QTest::addColumn<DbKind>("kind");
    QTest::addColumn<QSqlError>("error");
    QTest::addColumn<QString>("meaning");

    auto e = [](const char *text, const char *code) {
        return QSqlError(QString(), QString::fromUtf8(text), QSqlError::StatementError, QString::fromLatin1(code));
    };
    QTest::newRow("SQL Server lock") << DbKind::SqlServer
                                     << e("[FreeTDS][SQL Server]Lock request time out period exceeded.", "1222")
                                     << QStringLiteral("lock");
    QTest::newRow("SQL Server duplicate") << DbKind::SqlServer
                                          << e("Violation of PRIMARY KEY constraint 'PK_notice'. Cannot insert "
                                               "duplicate key in object 'dbo.notice'.",
                                               "2627")
                                          << QStringLiteral("duplicate");
    QTest::newRow("SQL Server link") << DbKind::SqlServer
                                     << e("[FreeTDS][SQL Server]Communication link failure", "08S01")
                                     << QStringLiteral("lost");
    QTest::newRow("SQL Server syntax") << DbKind::SqlServer << e("Incorrect syntax near 'x'.", "102")
                                       << QStringLiteral("other");
    // FreeTDS under Qt 6.4: the native number is the driver's own, not the SQLSTATE.
    QTest::newRow("FreeTDS EOF") << DbKind::SqlServer
                                 << e("[FreeTDS][SQL Server]Unexpected EOF from the server", "20017")
                                 << QStringLiteral("lost");
    QTest::newRow("FreeTDS read") << DbKind::SqlServer << e("[FreeTDS][SQL Server]Read from the server failed", "20004")
                                  << QStringLiteral("lost");
    QTest::newRow("FreeTDS write") << DbKind::SqlServer << e("[FreeTDS][SQL Server]Write to the server failed", "20006")
                                   << QStringLiteral("lost");
    QTest::newRow("FreeTDS text only") << DbKind::SqlServer
                                       << e("[FreeTDS][SQL Server]Unexpected EOF from the server", "")
                                       << QStringLiteral("lost");
    QTest::newRow("FreeTDS conversion") << DbKind::SqlServer
                                        << e("[FreeTDS][SQL Server]Error converting characters into server's "
                                             "character set. Some character(s) could not be converted",
                                             "2403")
                                        << QStringLiteral("other");
    QTest::newRow("PostgreSQL lock") << DbKind::PostgreSQL
                                     << e("ERROR:  canceling statement due to lock timeout", "55P03")
                                     << QStringLiteral("lock");
    QTest::newRow("PostgreSQL duplicate")
        << DbKind::PostgreSQL << e("ERROR:  duplicate key value violates unique constraint \"notice_pkey\"", "23505")
        << QStringLiteral("duplicate");
    QTest::newRow("PostgreSQL shutdown") << DbKind::PostgreSQL
                                         << e("FATAL:  terminating connection due to administrator command", "57P01")
                                         << QStringLiteral("lost");
    QTest::newRow("PostgreSQL closed") << DbKind::PostgreSQL
                                       << e("server closed the connection unexpectedly\n\tThis probably means...", "")
                                       << QStringLiteral("lost");
    QTest::newRow("SQLite busy") << DbKind::SQLite << e("database is locked", "5") << QStringLiteral("lock");
    QTest::newRow("SQLite unique") << DbKind::SQLite << e("UNIQUE constraint failed: notice.ID", "2067")
                                   << QStringLiteral("duplicate");
    QTest::newRow("SQLite other") << DbKind::SQLite << e("no such table: x", "1") << QStringLiteral("other");
}

void TestSqlDialect::errors()
{
    QFETCH(DbKind, kind);
    QFETCH(QSqlError, error);
    QFETCH(QString, meaning);
    const SqlDialect d(kind);
    const QString found = d.isConnectionLost(error) ? QStringLiteral("lost")
                          : d.isLockTimeout(error)  ? QStringLiteral("lock")
                          : d.isDuplicateKey(error) ? QStringLiteral("duplicate")
                                                    : QStringLiteral("other");
    QCOMPARE(found, meaning);
}

void TestSqlDialect::sqlServerDrivers_data()
{
    QTest::addColumn<QString>("driver");
    QTest::addColumn<QString>("dataSource");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<bool>("refused");

    const QString tail = QStringLiteral(";TDS_Version=7.4;ClientCharset=UTF-8");
    QTest::newRow("(local)") << "FreeTDS"
                             << "(local)"
                             << "pw"
                             << "DRIVER={FreeTDS};SERVER=127.0.0.1;PORT=1433;DATABASE=fees;UID=sa;PWD=pw" + tail
                             << false;
    QTest::newRow("., port") << "FreeTDS"
                             << ".,1533"
                             << "pw"
                             << "DRIVER={FreeTDS};SERVER=127.0.0.1;PORT=1533;DATABASE=fees;UID=sa;PWD=pw" + tail
                             << false;
    QTest::newRow("(LOCAL)\\instance") << "FreeTDS"
                                       << "(LOCAL)\\SQLEXPRESS"
                                       << "pw"
                                       << "DRIVER={FreeTDS};SERVER=127.0.0.1\\SQLEXPRESS;DATABASE=fees;UID=sa;PWD=pw"
                                              + tail
                                       << false;
    QTest::newRow("a host named like it")
        << "FreeTDS"
        << "local"
        << "pw"
        << "DRIVER={FreeTDS};SERVER=local;PORT=1433;DATABASE=fees;UID=sa;PWD=pw" + tail << false;
    // FreeTDS ends a braced value at its first "}": a "}" goes unbraced.
    QTest::newRow("} without ;") << "FreeTDS"
                                 << "db01"
                                 << "p}w=x"
                                 << "DRIVER={FreeTDS};SERVER=db01;PORT=1433;DATABASE=fees;UID=sa;PWD=p}w=x" + tail
                                 << false;
    QTest::newRow("} with ;") << "FreeTDS"
                              << "db01"
                              << "a;b}c"
                              << "DRIVER={FreeTDS};SERVER=db01;PORT=1433;DATABASE=fees;UID=sa;PWD={a;b}}c}" + tail
                              << true;
    QTest::newRow("} after {") << "FreeTDS"
                               << "db01"
                               << "{a}"
                               << "DRIVER={FreeTDS};SERVER=db01;PORT=1433;DATABASE=fees;UID=sa;PWD={{a}}}" + tail
                               << true;
    // Microsoft's drivers read "}}" as one "}" and know "(local)" themselves.
    QTest::newRow("driver 18") << "ODBC Driver 18 for SQL Server"
                               << "(local)"
                               << "a;b}c"
                               << "DRIVER={ODBC Driver 18 for SQL Server};SERVER=(local),1433;DATABASE=fees;UID=sa;"
                                  "PWD={a;b}}c};Encrypt=Optional"
                               << false;
    QTest::newRow("legacy driver") << "SQL Server"
                                   << "db01\\SQLEXPRESS"
                                   << "p}w"
                                   << "DRIVER={SQL Server};SERVER=db01\\SQLEXPRESS;DATABASE=fees;UID=sa;PWD={p}}w}"
                                   << false;
}

void TestSqlDialect::sqlServerDrivers()
{
    QFETCH(QString, driver);
    QFETCH(QString, dataSource);
    QFETCH(QString, password);
    QFETCH(bool, refused);
    DbSettings s;
    s.dataSource = dataSource;
    s.initialCatalog = QStringLiteral("fees");
    s.userId = QStringLiteral("sa");
    s.password = password;
    QTEST(sqlServerOdbcString(s, driver), "expected");
    const QString problem = sqlServerSettingsProblem(s, driver);
    QCOMPARE(!problem.isEmpty(), refused);
    if (refused)
        QVERIFY2(problem.contains(QStringLiteral("Password")), qPrintable(problem));
#ifndef Q_OS_WIN
    QCOMPARE(sqlServerOdbcDrivers(), QStringList{QStringLiteral("FreeTDS")});
#else
    QCOMPARE(sqlServerOdbcDrivers().constLast(), QStringLiteral("SQL Server"));
#endif
}

void TestSqlDialect::shownTextHasNoStatementOrValues()
{
    // What the servers add after the first line names the values and the statement.
    const QSqlError error(QStringLiteral("QPSQL: Unable to create query"),
                          QStringLiteral("ERROR:  null value in column \"status\" violates not-null constraint\n"
                                         "DETAIL:  Failing row contains (1000001, secret-ship, null).\n"
                                         "CONTEXT:  SQL statement \"insert into notice values ('1000001')\""),
                          QSqlError::StatementError, QStringLiteral("23502"));
    const QString shown = DbError(error).message();
    QVERIFY2(shown.contains(QLatin1String("violates not-null constraint")), qPrintable(shown));
    for (const char *hidden : {"secret-ship", "1000001", "insert", "DETAIL", "ERROR"})
        QVERIFY2(!shown.contains(QLatin1String(hidden)), qPrintable(shown));

    const QSqlError typed(QString(), QStringLiteral("ERROR:  invalid input syntax for type integer: \"abc12\""),
                          QSqlError::StatementError, QStringLiteral("22P02"));
    QVERIFY(!DbError(typed).message().contains(QLatin1String("abc12")));
}

// A Data Source naming a primary and its standbys reaches libpq as lists of
// hosts and ports with the demand for a writable server; one server is
// configured as it always was. The server's own programs get the same.
void TestSqlDialect::serverList_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("host");
    QTest::addColumn<int>("port");
    QTest::addColumn<QString>("options");
    QTest::addColumn<QString>("programs");

    const QString account = QStringLiteral(" dbname='nol\\'lard' user='clerk'");
    const QString single = QStringLiteral("connect_timeout=8");
    const QString writable = QStringLiteral("connect_timeout=8;target_session_attrs=read-write");
    QTest::newRow("one server") << QStringLiteral("db1:5433") << QStringLiteral("db1") << 5433 << single
                                << QStringLiteral("host='db1' port='5433'") + account;
    QTest::newRow("one server, default port")
        << QStringLiteral("db1") << QStringLiteral("db1") << -1 << single << QStringLiteral("host='db1'") + account;
    QTest::newRow("one server and a stray comma") << QStringLiteral("db1:5433,") << QStringLiteral("db1") << 5433
                                                  << single << QStringLiteral("host='db1' port='5433'") + account;
    QTest::newRow("two servers") << QStringLiteral(" db1:5432 , db2:5433 ") << QStringLiteral("db1,db2") << -1
                                 << writable + QStringLiteral(";port=5432,5433")
                                 << QStringLiteral("host='db1,db2' port='5432,5433'") + account
                                        + QStringLiteral(" target_session_attrs=read-write");
    QTest::newRow("a port for one of them")
        << QStringLiteral("10.0.0.1,10.0.0.2:6543,10.0.0.3") << QStringLiteral("10.0.0.1,10.0.0.2,10.0.0.3") << -1
        << writable + QStringLiteral(";port=,6543,")
        << QStringLiteral("host='10.0.0.1,10.0.0.2,10.0.0.3' port=',6543,'") + account
               + QStringLiteral(" target_session_attrs=read-write");
    QTest::newRow("default ports") << QStringLiteral("db1,db2") << QStringLiteral("db1,db2") << -1 << writable
                                   << QStringLiteral("host='db1,db2'") + account
                                          + QStringLiteral(" target_session_attrs=read-write");
}

void TestSqlDialect::serverList()
{
    QFETCH(QString, source);
    DbSettings s;
    s.provider = QStringLiteral("PostgreSQL");
    s.dataSource = source;
    s.initialCatalog = QStringLiteral("nol'lard");
    s.userId = QStringLiteral("clerk");
    s.password = QStringLiteral("secret");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QStringLiteral("server-list"));
        SqlDialect(DbKind::PostgreSQL).configure(db, s);
        QTEST(db.hostName(), "host");
        QTEST(db.port(), "port");
        QTEST(db.connectOptions(), "options");
        QCOMPARE(db.databaseName(), s.initialCatalog);
    }
    QSqlDatabase::removeDatabase(QStringLiteral("server-list"));
    const QString programs = postgresConnectionString(s);
    QTEST(programs, "programs");
    QVERIFY(!programs.contains(s.password));
}

QTEST_GUILESS_MAIN(TestSqlDialect)
#include "tst_sql_dialect.moc"
