#pragma once
// What differs between the three kinds of database: the Qt driver, how the
// settings become connection options, the schema file, and the few statements
// whose syntax is not shared. Everything else is common SQL.

#include "db_settings.h"

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
