#include "sql_dialect.h"

#include "like_pattern.h"

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

// The shortest text the trigram indexes can look up.
constexpr int kTrigram = 3;

}  // namespace

Statement SqlDialect::noticeIdContains(const QString &text) const
{
    Statement s{QStringLiteral(" and ID like ?") + kLikeEscape, {containsPattern(text)}};
    if (m_kind == DbKind::SQLite && text.size() >= kTrigram) {
        // The full-text table gives the few numbers holding the text; "like"
        // keeps its exact meaning. A phrase in double quotes takes every
        // other character literally.
        QString phrase = text;
        phrase.replace(QLatin1Char('"'), QStringLiteral("\"\""));
        s.sql += QStringLiteral(" and ID in (select ID from notice_search where notice_search match ?)");
        s.values << QString(QLatin1Char('"') + phrase + QLatin1Char('"'));
    }
    // PostgreSQL's trigram index serves the "like" itself; SQL Server has none.
    return s;
}

QString SqlDialect::copyTableStatement(const QString &from, const QString &to) const
{
    if (m_kind == DbKind::SqlServer)
        return QStringLiteral("select * into %1 from %2").arg(to, from);
    return QStringLiteral("create table %1 as select * from %2").arg(to, from);
}

QString SqlDialect::identityColumnsQuery() const
{
    switch (m_kind) {
    case DbKind::SQLite: break;  // an autoincrement key continues past the largest stored one
    case DbKind::PostgreSQL:
        return QStringLiteral("select column_name from information_schema.columns "
                              "where table_name = ? and is_identity = 'YES'");
    case DbKind::SqlServer:
        return QStringLiteral("select name from sys.identity_columns where object_id = object_id(?)");
    }
    return {};
}

QStringList SqlDialect::beforeExplicitKeys(const QString &table, const QStringList &keyColumns) const
{
    if (m_kind == DbKind::SqlServer && !keyColumns.isEmpty())
        return {QStringLiteral("set identity_insert %1 on").arg(table)};
    return {};
}

QStringList SqlDialect::afterExplicitKeys(const QString &table, const QStringList &keyColumns) const
{
    QStringList statements;
    if (keyColumns.isEmpty())
        return statements;
    if (m_kind == DbKind::SqlServer)
        statements << QStringLiteral("set identity_insert %1 off").arg(table);
    if (m_kind == DbKind::PostgreSQL)
        for (const QString &column : keyColumns)
            statements << QStringLiteral("select setval(pg_get_serial_sequence('%1', '%2'), "
                                         "coalesce(max(%2), 0) + 1, false) from %1")
                              .arg(table, column);
    return statements;
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
