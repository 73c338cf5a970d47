#pragma once
// What differs between the three kinds of database: the Qt driver, how the
// settings become connection options, the schema file, and the few statements
// whose syntax is not shared. Everything else is common SQL.

#include "db_settings.h"
#include "sql_statement.h"

#include <QString>
#include <QStringList>

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

    // The condition (" and ...") that a notice's number contains the text,
    // matched literally: "%" and "_" are no wildcards. Texts of three
    // characters or more are looked up in the kind's substring index (a
    // trigram index); shorter ones are matched while a list's ordered index
    // is walked, where most numbers contain them.
    Statement noticeIdContains(const QString &text) const;

    // The schema upgrade: setting a table's rows aside in a new table.
    QString copyTableStatement(const QString &from, const QString &to) const;
    // The key columns the database numbers itself in a table (one bound
    // value: the table's name); empty where copied keys need no care.
    QString identityColumnsQuery() const;
    // Around an insert that gives such key columns their stored values.
    QStringList beforeExplicitKeys(const QString &table, const QStringList &keyColumns) const;
    QStringList afterExplicitKeys(const QString &table, const QStringList &keyColumns) const;

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
