#pragma once
// What differs between the three kinds of database: the Qt driver, how the
// settings become connection options, the schema file, and the few statements
// whose syntax is not shared. Everything else is common SQL.

#include "db_settings.h"
#include "sql_statement.h"

#include <QSqlError>
#include <QString>

// The columns of the counter row that hand out numbers.
enum class CounterColumn { Id, BillCode, OrderCj, OrderCw };

class SqlDialect
{
public:
    explicit SqlDialect(DbKind kind) : m_kind(kind) {}

    DbKind kind() const { return m_kind; }
    QString driverName() const;
    // The file in db/ that creates the schema for this kind of database.
    QString schemaFileName() const;

    // One statement that advances a counter column by one and returns the
    // column's new value, so that no two connections can see the same value.
    QString advanceCounterStatement(CounterColumn column) const;

    static QString counterColumnName(CounterColumn column);

    // The statistics tables.
    // A month column of statistic and statistic2 ("1" to "12"), quoted: the
    // bare digits would be read as a number.
    QString monthColumn(int month) const;
    // Inserts a row made of its key columns only, and does nothing when a row
    // with those keys exists already.
    Statement insertIfMissing(const QString &table, const QStringList &keyColumns,
                              const QVariantList &keyValues) const;
    // Statements that lock the counter row until the transaction ends; a
    // second connection asking for the same lock waits, for a minute at most.
    QStringList lockCounterRowStatements() const;
    // True when a statement failed because another connection held a lock
    // for longer than the wait allows.
    bool isLockTimeout(const QSqlError &error) const;
    // An integer year * 100 + month of a date-time column.
    QString yearMonthExpression(const QString &column) const;
    // A condition "column is one of a list of texts", the list bound as the
    // one value that textListValue makes of it.
    QString inTextListCondition(const QString &column) const;
    QVariant textListValue(const QStringList &texts) const;

private:
    DbKind m_kind;
};

// The ODBC connection string used for SQL Server: the four settings mapped onto
// the FreeTDS (or the platform's) SQL Server driver. "host,port" and
// "host\instance" are accepted as the data source, as SQL Server's tools accept them.
QString sqlServerOdbcString(const DbSettings &settings);

// host[:port] of a PostgreSQL data source; the port is -1 when not given.
struct HostPort
{
    QString host;
    int port = -1;
};
HostPort splitHostPort(const QString &dataSource);
