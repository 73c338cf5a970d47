#include "sql_dialect.h"

#include <QJsonArray>
#include <QJsonDocument>

QString SqlDialect::driverName() const
{
    switch (m_kind) {
    case DbKind::SQLite: return QStringLiteral("QSQLITE");
    case DbKind::PostgreSQL: return QStringLiteral("QPSQL");
    case DbKind::SqlServer: break;
    }
    return QStringLiteral("QODBC");
}

QString SqlDialect::schemaFileName() const
{
    switch (m_kind) {
    case DbKind::SQLite: return QStringLiteral("sqlite.sql");
    case DbKind::PostgreSQL: return QStringLiteral("postgresql.sql");
    case DbKind::SqlServer: break;
    }
    return QStringLiteral("sqlserver.sql");
}

QString SqlDialect::counterColumnName(CounterColumn column)
{
    switch (column) {
    case CounterColumn::Id: return QStringLiteral("id");
    case CounterColumn::BillCode: return QStringLiteral("billcode");
    case CounterColumn::OrderCj: return QStringLiteral("ordercj");
    case CounterColumn::OrderCw: return QStringLiteral("ordercw");
    }
    return {};
}

QString SqlDialect::advanceCounterStatement(CounterColumn column) const
{
    const QString c = counterColumnName(column);
    if (m_kind == DbKind::SqlServer)
        return QStringLiteral("update counter set %1 = %1 + 1 output inserted.%1").arg(c);
    return QStringLiteral("update counter set %1 = %1 + 1 returning %1").arg(c);
}

namespace {

// An ODBC attribute value in braces keeps ';' and '=' inside it.
QString odbcValue(const QString &value)
{
    if (!value.contains(QLatin1Char(';')) && !value.contains(QLatin1Char('{'))
        && !value.contains(QLatin1Char('}')) && value.trimmed() == value)
        return value;
    QString escaped = value;
    escaped.replace(QLatin1Char('}'), QStringLiteral("}}"));
    return QLatin1Char('{') + escaped + QLatin1Char('}');
}

}  // namespace

QString sqlServerOdbcString(const DbSettings &s)
{
    QString host = s.dataSource.trimmed();
    QString port = QStringLiteral("1433");
    const qsizetype comma = host.indexOf(QLatin1Char(','));
    if (comma >= 0) {
        port = host.mid(comma + 1).trimmed();
        host = host.left(comma).trimmed();
    } else if (host.contains(QLatin1Char('\\'))) {
        port.clear();  // a named instance is found through the server's browser service
    }
#ifdef Q_OS_WIN
    QString text = QStringLiteral("DRIVER={SQL Server};SERVER=") + odbcValue(host);
    if (!port.isEmpty())
        text = QStringLiteral("DRIVER={SQL Server};SERVER=") + odbcValue(host + QLatin1Char(',') + port);
#else
    QString text = QStringLiteral("DRIVER={FreeTDS};SERVER=") + odbcValue(host);
    if (!port.isEmpty())
        text += QStringLiteral(";PORT=") + odbcValue(port);
#endif
    text += QStringLiteral(";DATABASE=") + odbcValue(s.initialCatalog);
    text += QStringLiteral(";UID=") + odbcValue(s.userId);
    text += QStringLiteral(";PWD=") + odbcValue(s.password);
#ifndef Q_OS_WIN
    text += QStringLiteral(";TDS_Version=7.4;ClientCharset=UTF-8");
#endif
    return text;
}

HostPort splitHostPort(const QString &dataSource)
{
    HostPort hp;
    hp.host = dataSource.trimmed();
    const qsizetype colon = hp.host.lastIndexOf(QLatin1Char(':'));
    if (colon > 0) {
        bool ok = false;
        const int port = hp.host.mid(colon + 1).toInt(&ok);
        if (ok && port > 0 && port < 65536) {
            hp.port = port;
            hp.host.truncate(colon);
        }
    }
    return hp;
}

QString SqlDialect::monthColumn(int month) const
{
    if (m_kind == DbKind::SqlServer)
        return QStringLiteral("[%1]").arg(month);
    return QStringLiteral("\"%1\"").arg(month);
}

Statement SqlDialect::insertIfMissing(const QString &table, const QStringList &keyColumns,
                                      const QVariantList &keyValues) const
{
    const QString columns = keyColumns.join(QLatin1Char(','));
    QStringList marks;
    for (qsizetype i = 0; i < keyColumns.size(); ++i)
        marks << QStringLiteral("?");
    switch (m_kind) {
    case DbKind::SQLite:
        return {QStringLiteral("insert or ignore into %1 (%2) values (%3)").arg(table, columns, marks.join(QLatin1Char(','))),
                keyValues};
    case DbKind::PostgreSQL:
        return {QStringLiteral("insert into %1 (%2) values (%3) on conflict do nothing")
                    .arg(table, columns, marks.join(QLatin1Char(','))),
                keyValues};
    case DbKind::SqlServer: break;
    }
    // SQL Server has no "do nothing" clause: the keys are bound twice.
    QStringList conditions;
    for (const QString &column : keyColumns)
        conditions << column + QStringLiteral("=?");
    return {QStringLiteral("insert into %1 (%2) select %3 where not exists (select 1 from %1 with (updlock, holdlock) where %4)")
                .arg(table, columns, marks.join(QLatin1Char(',')), conditions.join(QStringLiteral(" and "))),
            keyValues + keyValues};
}

QStringList SqlDialect::lockCounterRowStatements() const
{
    switch (m_kind) {
    case DbKind::SQLite:
        // A write takes the database's write lock; the busy timeout of the
        // connection is the wait.
        return {QStringLiteral("update counter set statictime=statictime")};
    case DbKind::PostgreSQL:
        return {QStringLiteral("set local lock_timeout = '60s'"),
                QStringLiteral("select onerow from counter for update")};
    case DbKind::SqlServer: break;
    }
    return {QStringLiteral("set lock_timeout 60000"),
            QStringLiteral("select onerow from counter with (updlock, holdlock, rowlock)")};
}

bool SqlDialect::isLockTimeout(const QSqlError &error) const
{
    const QString code = error.nativeErrorCode();
    switch (m_kind) {
    case DbKind::SQLite:
        return code == QLatin1String("5") || code == QLatin1String("6")
               || error.databaseText().contains(QLatin1String("locked"));
    case DbKind::PostgreSQL: return code == QLatin1String("55P03");
    case DbKind::SqlServer: break;
    }
    return code == QLatin1String("1222");
}

QString SqlDialect::yearMonthExpression(const QString &column) const
{
    switch (m_kind) {
    case DbKind::SQLite: return QStringLiteral("cast(strftime('%Y%m', %1) as integer)").arg(column);
    case DbKind::PostgreSQL:
        return QStringLiteral("cast(extract(year from %1) * 100 + extract(month from %1) as integer)").arg(column);
    case DbKind::SqlServer: break;
    }
    return QStringLiteral("(year(%1) * 100 + month(%1))").arg(column);
}

QString SqlDialect::inTextListCondition(const QString &column) const
{
    switch (m_kind) {
    case DbKind::SQLite: return QStringLiteral("%1 in (select value from json_each(?))").arg(column);
    case DbKind::PostgreSQL: return QStringLiteral("%1 = any(cast(? as text[]))").arg(column);
    case DbKind::SqlServer: break;
    }
    return QStringLiteral("%1 in (select value from openjson(?))").arg(column);
}

QVariant SqlDialect::textListValue(const QStringList &texts) const
{
    if (m_kind == DbKind::PostgreSQL) {
        // An array literal: every element quoted, its quotes and backslashes escaped.
        QString literal;
        literal.reserve(texts.size() * 10 + 2);
        literal += QLatin1Char('{');
        for (qsizetype i = 0; i < texts.size(); ++i) {
            if (i)
                literal += QLatin1Char(',');
            QString element = texts[i];
            element.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
            element.replace(QLatin1Char('"'), QStringLiteral("\\\""));
            literal += QLatin1Char('"') + element + QLatin1Char('"');
        }
        literal += QLatin1Char('}');
        return literal;
    }
    return QString::fromUtf8(QJsonDocument(QJsonArray::fromStringList(texts)).toJson(QJsonDocument::Compact));
}
