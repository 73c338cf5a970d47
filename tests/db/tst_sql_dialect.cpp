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
    void errors_data();
    void errors();
    void shownTextHasNoStatementOrValues();
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

QTEST_GUILESS_MAIN(TestSqlDialect)
#include "tst_sql_dialect.moc"
