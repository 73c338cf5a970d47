#pragma once
// What differs between the three kinds of database: the Qt driver, how the
// settings become connection options, what every connection sets when it
// opens, the schema file, the statements whose syntax is not shared (page of
// a list, counter step, insert-if-missing, quoted names), how each kind
// reports a lock wait, a lost connection and a duplicate key, and how long a
// busy embedded file is waited for. Everything else is common SQL.

#include "db_settings.h"
#include "statement.h"

#include <QList>
#include <QSqlDatabase>
#include <QSqlError>
#include <QString>
#include <QStringList>

// The columns of the counter row that hand out numbers.
enum class CounterColumn { Id, BillCode, OrderCj, OrderCw };

// One column of a list's order.
struct OrderKey
{
    QString column;
    bool descending = false;
    bool operator==(const OrderKey &) const = default;
};

class SqlDialect
{
public:
    explicit SqlDialect(DbKind kind) : m_kind(kind) {}
    // The dialect of the database a connection talks to.
    explicit SqlDialect(const QSqlDatabase &db) : m_kind(kindOf(db)) {}

    // Which kind of database a connection talks to, told by its driver.
    static DbKind kindOf(const QSqlDatabase &db);

    // How long a statement waits for a row or table that another connection
    // holds before it gives up: long enough for a neighbour's save to finish,
    // short enough that a window never seems frozen.
    static constexpr int kLockWaitMs = 4000;

    DbKind kind() const { return m_kind; }
    QString driverName() const;
    // The file in db/ that creates the schema for this kind of database.
    QString schemaFileName() const;

    // Points a new connection of this kind's driver at the database the
    // settings name (file, or server, catalog and account) with the
    // connectOptions.
    void configure(QSqlDatabase &db, const DbSettings &settings) const;
    // Driver options of a new connection (lock wait, connect timeout).
    QString connectOptions() const;
    // Statements run on every connection right after it opens (and after it
    // is opened again): the write-ahead log and foreign keys of the embedded
    // file, the lock wait of the servers.
    QStringList sessionSetup() const;
    // Whether the connection may go on when a statement of sessionSetup is
    // refused: the embedded file may refuse the write-ahead log (a read-only
    // folder, a network share) and then keeps working as before.
    bool sessionSetupIsOptional() const { return m_kind == DbKind::SQLite; }

    // The database is a file that the driver opens in this process: opening
    // a missing one would make an empty database, and the driver opens any
    // file, database or not.
    bool isEmbeddedFile() const { return m_kind == DbKind::SQLite; }
    // For an embedded file: a statement that fails when the opened file is
    // no database. Empty for the servers.
    QString fileCheckStatement() const;

    // A statement gave up waiting for a lock (RowInUse), `waitedMs` after
    // the first try of a step that nobody holds for long (taking a number).
    // On the embedded file a crowd of programs doing it at once only has to
    // queue, so the step is tried again for a while longer than one lock
    // wait: the dialect then waits a moment and returns true. A server's lock
    // wait is final: false.
    bool waitToRetryBusy(qint64 waitedMs) const;
    static constexpr int kBusyRetryMs = 10000;

    // One statement that advances a counter column by one and returns the
    // column's new value, so that no two connections can see the same value.
    QString advanceCounterStatement(CounterColumn column) const;
    static QString counterColumnName(CounterColumn column);

    // A name quoted for this database, for names that are no plain words
    // (the month columns "1" to "12").
    QString quoted(const QString &identifier) const;

    // Inserts the row unless a row with the same key exists already; the
    // first keyCount columns are the key. The values are in column order.
    Statement insertIfMissing(const QString &table, const QStringList &columns, int keyCount,
                              const QVariantList &values) const;

    // Reads `rows` rows of the select (which has no order of its own) in the
    // given order, starting after the row whose order values are `after`
    // (empty: from the first row). The order must be total (end in a unique
    // key), so that rows inserted or deleted by others between two pages
    // neither repeat nor hide a row. `key`, when given, is the one column
    // that tells the rows of the select's table apart.
    Statement pageStatement(const Statement &select, const QList<OrderKey> &order, int rows,
                            const QVariantList &after = {}, const QString &key = {}) const;

    // How the database said what went wrong.
    bool isLockTimeout(const QSqlError &error) const;
    bool isConnectionLost(const QSqlError &error) const;
    // The statement was refused before the server ran any of it, so running
    // it again on a new connection cannot do it twice.
    bool failedBeforeRunning(const QSqlError &error) const;
    bool isDuplicateKey(const QSqlError &error) const;

    // The search by any part of a notice number. The text is matched
    // literally: "%" and "_" are no wildcards.
    //
    // Whether the database has an index of substrings that serves this text
    // (a trigram index, so texts of three characters or more).
    bool hasNoticeIdIndex(const QString &text) const;
    // The numbers of the notices of every section that may contain the
    // text, read through that index, at most `cap` of them: quick however
    // common the text is. One column, ID. SQLite's full-text table ignores
    // letter case: the caller keeps the numbers that contain the text as it
    // is.
    Statement noticeIdMatches(const QString &text, int cap) const;
    // The notices of a select over the notice table ("select * from notice
    // where ...", no order) whose number contains the text; the result is a
    // select without order, for the caller to order. The list's ordered index
    // is walked and each number tested: the first screen fills early when
    // many numbers contain the text.
    Statement noticeIdWalk(const Statement &scope, const QString &text) const;
    // The notices of the select among `numbers` (those found through
    // noticeIdMatches that contain the text): read by their key and sorted,
    // quick when they are few.
    Statement noticeIdAmong(const Statement &scope, const QStringList &numbers) const;

    // The schema upgrade: setting a table's rows aside in a new table.
    QString copyTableStatement(const QString &from, const QString &to) const;
    // The key columns the database numbers itself in a table (one bound
    // value: the table's name); empty where copied keys need no care.
    QString identityColumnsQuery() const;
    // Around an insert that gives such key columns their stored values.
    QStringList beforeExplicitKeys(const QString &table, const QStringList &keyColumns) const;
    QStringList afterExplicitKeys(const QString &table, const QStringList &keyColumns) const;

    // The statistics tables.
    // A month column of statistic and statistic2 ("1" to "12"), quoted: the
    // bare digits would be read as a number.
    QString monthColumn(int month) const;
    // Inserts a row made of its key columns only, and does nothing when a row
    // with those keys exists already.
    Statement insertIfMissing(const QString &table, const QStringList &keyColumns, const QVariantList &keyValues) const;
    // Statements that lock the counter row until the transaction ends; a
    // second connection asking for the same lock waits, for a minute at most.
    QStringList lockCounterRowStatements() const;
    // Run once that transaction has ended, committed or rolled back: SQL
    // Server's lock wait belongs to the session, not to the transaction, and
    // every later wait of the workstation would last the minute.
    QStringList restoreLockWaitStatements() const;
    // The statistics run, statement by statement. The notices it counts:
    // billed (state 5) with a bill number.
    QString statisticsPendingCountStatement() const;
    // One row per pending notice: ID, year * 100 + month of Rdate,
    // department, checktype, checkcontent, money, and Rdate as stored.
    QString statisticsPendingStatement() const;
    // Adds month sums to the row of (year, key) of statistic (money, bound
    // in cents and kept to two decimals) or statistic2 (counts); months
    // whose sum is 0 are left alone. Empty when every sum is 0.
    Statement statisticsAddStatement(const QString &table, const QString &keyColumn, const QString &year,
                                     const QString &key, const QList<qint64> &monthSums, bool money) const;
    // Archives the pending notices among the bound list (inTextListCondition).
    QString statisticsArchiveStatement() const;
    // The condition that chooses the notices of a run among the pending ones.
    QString statisticsChosenCondition() const;
    // Records when the run ended (one bound value).
    QString statisticsTimeStatement() const;
    // The names of the tables of the database (one column). A statement,
    // not the driver's catalogue call, so that a listing that fails is an
    // error and not an empty list.
    QString tableListStatement() const;

    // SQL Server only (empty elsewhere): one row with the database's name,
    // collation, the code page of its non-Unicode texts and its
    // compatibility level, read when a connection opens.
    QString databaseTraitsStatement() const;

    // An integer year * 100 + month of a date-time column.
    QString yearMonthExpression(const QString &column) const;
    // A condition "column is one of a list of texts", the list bound as the
    // one value that textListValue makes of it.
    QString inTextListCondition(const QString &column) const;
    QVariant textListValue(const QStringList &texts) const;

private:
    // Whether NULL sorts above every value (PostgreSQL) or below (the others).
    bool nullsSortHigh() const { return m_kind == DbKind::PostgreSQL; }

    DbKind m_kind;
};

// The ODBC drivers for SQL Server tried in turn: FreeTDS where it is the one
// driver (Linux); on Windows Microsoft's current drivers first (the legacy
// "SQL Server" driver predates datetime2), the legacy one last.
QStringList sqlServerOdbcDrivers();

// The ODBC connection string used for SQL Server: the four settings mapped onto
// the driver (by default the first of sqlServerOdbcDrivers). "host,port" and
// "host\instance" are accepted as the data source, as SQL Server's tools accept
// them, and so are "(local)" and "." for this computer.
QString sqlServerOdbcString(const DbSettings &settings);
QString sqlServerOdbcString(const DbSettings &settings, const QString &driver);

// The connection string's part for the "Encrypt" and "Trust Server
// Certificate" keys, as the driver names them; empty when Encrypt is not yes.
QString sqlServerEncryptionOptions(const DbSettings &settings, const QString &driver);

// Why the settings cannot be handed to the driver, or empty. FreeTDS takes a
// value in braces up to the first "}" and does not read "}}" as one: a value
// that needs the braces (it holds ";" or starts with "{" or a blank) cannot
// hold a "}".
QString sqlServerSettingsProblem(const DbSettings &settings, const QString &driver);

// host[:port] of a PostgreSQL data source; the port is -1 when not given.
struct HostPort
{
    QString host;
    int port = -1;
};
HostPort splitHostPort(const QString &dataSource);
// The servers of a PostgreSQL data source: one host[:port], or several
// separated by commas ("db1:5432,db2:5432"), a primary and its standbys.
// Empty entries are left out.
QList<HostPort> splitServerList(const QString &dataSource);
// The libpq connection string of the settings' PostgreSQL server(s), without
// the password, for the server's own programs (pg_dump, pg_restore). With
// several servers it asks for the one that accepts writes.
QString postgresConnectionString(const DbSettings &settings);
