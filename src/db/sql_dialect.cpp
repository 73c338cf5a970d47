#include "sql_dialect.h"

#include "connection_encryption.h"
#include "like_pattern.h"
#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QThread>

DbKind SqlDialect::kindOf(const QSqlDatabase &db)
{
    const QString driver = db.driverName();
    if (driver == QLatin1String("QSQLITE"))
        return DbKind::SQLite;
    if (driver == QLatin1String("QPSQL"))
        return DbKind::PostgreSQL;
    return DbKind::SqlServer;
}

QString SqlDialect::driverName() const
{
    switch (m_kind) {
    case DbKind::SQLite:
        return QStringLiteral("QSQLITE");
    case DbKind::PostgreSQL:
        return QStringLiteral("QPSQL");
    case DbKind::SqlServer:
        break;
    }
    return QStringLiteral("QODBC");
}

QString SqlDialect::schemaFileName() const
{
    switch (m_kind) {
    case DbKind::SQLite:
        return QStringLiteral("sqlite.sql");
    case DbKind::PostgreSQL:
        return QStringLiteral("postgresql.sql");
    case DbKind::SqlServer:
        break;
    }
    return QStringLiteral("sqlserver.sql");
}

QString SqlDialect::counterColumnName(CounterColumn column)
{
    switch (column) {
    case CounterColumn::Id:
        return QStringLiteral("id");
    case CounterColumn::BillCode:
        return QStringLiteral("billcode");
    case CounterColumn::OrderCj:
        return QStringLiteral("ordercj");
    case CounterColumn::OrderCw:
        return QStringLiteral("ordercw");
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

// libpq takes the servers as a list of hosts and a list of ports of the same
// length, an empty port standing for the default one.
QString serverListHosts(const QList<HostPort> &servers)
{
    QStringList hosts;
    for (const HostPort &hp : servers)
        hosts << hp.host;
    return hosts.join(QLatin1Char(','));
}

QString serverListPorts(const QList<HostPort> &servers)
{
    QStringList ports;
    bool any = false;
    for (const HostPort &hp : servers) {
        ports << (hp.port > 0 ? QString::number(hp.port) : QString());
        any = any || hp.port > 0;
    }
    return any ? ports.join(QLatin1Char(',')) : QString();
}

// Options of a connection to one of several servers. Qt hands the host name
// to libpq as it is and appends the options, so the list of ports goes there.
// Only the primary accepts writes: libpq tries the servers in turn until one
// does, when the connection opens and whenever it is opened again after it
// broke, so a promoted standby is found without a restart.
QString serverListOptions(const QList<HostPort> &servers)
{
    QString options = QStringLiteral(";target_session_attrs=read-write");
    const QString ports = serverListPorts(servers);
    if (!ports.isEmpty())
        options += QStringLiteral(";port=") + ports;
    return options;
}

// A value of a libpq connection string: quoted, its quotes and backslashes escaped.
QString connectionValue(const QString &value)
{
    QString escaped = value;
    escaped.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    escaped.replace(QLatin1Char('\''), QStringLiteral("\\'"));
    return QLatin1Char('\'') + escaped + QLatin1Char('\'');
}

}  // namespace

void SqlDialect::configure(QSqlDatabase &db, const DbSettings &s) const
{
    switch (m_kind) {
    case DbKind::SQLite:
        db.setDatabaseName(s.dataSource);
        break;
    case DbKind::PostgreSQL: {
        const QList<HostPort> servers = splitServerList(s.dataSource);
        db.setDatabaseName(s.initialCatalog);
        db.setUserName(s.userId);
        db.setPassword(s.password);
        if (servers.size() > 1) {
            db.setHostName(serverListHosts(servers));
            db.setConnectOptions(connectOptions() + serverListOptions(servers));
            return;
        }
        const HostPort hp = servers.value(0);
        db.setHostName(hp.host);
        if (hp.port > 0)
            db.setPort(hp.port);
        break;
    }
    case DbKind::SqlServer:
        db.setDatabaseName(sqlServerOdbcString(s));
        break;
    }
    db.setConnectOptions(connectOptions());

    if (m_kind == DbKind::PostgreSQL)
        db.setConnectOptions(db.connectOptions() + postgresEncryptionOptions(s));
}

QString SqlDialect::connectOptions() const
{
    switch (m_kind) {
    case DbKind::SQLite:
        // Waits for another program's write to end instead of failing at once.
        return QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(kLockWaitMs);
    case DbKind::PostgreSQL:
        // An unreachable server must not keep the program waiting for minutes.
        return QStringLiteral("connect_timeout=8");
    case DbKind::SqlServer:
        break;
    }
    return QStringLiteral("SQL_ATTR_LOGIN_TIMEOUT=8");
}

QStringList SqlDialect::sessionSetup() const
{
    switch (m_kind) {
    case DbKind::SQLite:
        // The write-ahead log is kept in the file: readers of a list never
        // block another program's writer, nor it them.
        return {QStringLiteral("pragma journal_mode = wal"), QStringLiteral("pragma foreign_keys = on")};
    case DbKind::PostgreSQL:
        return {QStringLiteral("set lock_timeout = %1").arg(kLockWaitMs)};
    case DbKind::SqlServer:
        break;
    }
    return {QStringLiteral("set lock_timeout %1").arg(kLockWaitMs)};
}

QString SqlDialect::fileCheckStatement() const
{
    if (m_kind == DbKind::SQLite)
        return QStringLiteral("select count(*) from sqlite_master");
    return {};
}

bool SqlDialect::waitToRetryBusy(qint64 waitedMs) const
{
    if (m_kind != DbKind::SQLite || waitedMs > kBusyRetryMs)
        return false;
    QThread::msleep(2 + waitedMs % 7);
    return true;
}

QString SqlDialect::quoted(const QString &identifier) const
{
    if (m_kind == DbKind::SqlServer) {
        QString inner = identifier;
        inner.replace(QLatin1Char(']'), QStringLiteral("]]"));
        return QLatin1Char('[') + inner + QLatin1Char(']');
    }
    QString inner = identifier;
    inner.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + inner + QLatin1Char('"');
}

Statement SqlDialect::insertIfMissing(const QString &table, const QStringList &columns, int keyCount,
                                      const QVariantList &values) const
{
    QStringList names, marks;
    for (const QString &c : columns) {
        names << quoted(c);
        marks << QStringLiteral("?");
    }
    const QString list = names.join(QLatin1Char(','));
    if (m_kind == DbKind::SqlServer) {
        // The key values are bound a second time for the test of existence;
        // the lock hints keep a concurrent insert of the same key out until
        // this statement ends.
        QStringList where;
        QVariantList bound = values;
        for (int i = 0; i < keyCount; ++i) {
            where << names[i] + QStringLiteral("=?");
            bound << values.value(i);
        }
        return {QStringLiteral("insert into %1 (%2) select %3 where not exists "
                               "(select 1 from %1 with (updlock, holdlock) where %4)")
                    .arg(table, list, marks.join(QLatin1Char(',')), where.join(QStringLiteral(" and "))),
                bound};
    }
    return {QStringLiteral("insert into %1 (%2) values (%3) on conflict do nothing")
                .arg(table, list, marks.join(QLatin1Char(','))),
            values};
}

Statement SqlDialect::pageStatement(const Statement &select, const QList<OrderKey> &order, int rows,
                                    const QVariantList &after, const QString &key) const
{
    QStringList orderBy;
    for (const OrderKey &k : order)
        orderBy << k.column + (k.descending ? QStringLiteral(" desc") : QString());

    // Rows after the last one shown: for each key column, the rows equal on
    // the columns before it and beyond it on this one. NULL sorts where this
    // database puts it, so a row without a date is neither lost nor repeated.
    QVariantList values = select.values;
    QString beyondLast;
    if (!after.isEmpty()) {
        QStringList alternatives;
        QStringList equal;
        QVariantList equalValues;
        for (int i = 0; i < order.size(); ++i) {
            const OrderKey &k = order[i];
            const QVariant v = after.value(i);
            // In this column's direction, do NULLs come after the values?
            const bool nullsAfter = k.descending != nullsSortHigh();
            QString beyond;
            QVariantList beyondValues;
            if (v.isNull()) {
                if (!nullsAfter)
                    beyond = k.column + QStringLiteral(" is not null");
            } else {
                beyond = k.column + (k.descending ? QStringLiteral(" < ?") : QStringLiteral(" > ?"));
                beyondValues << v;
                if (nullsAfter)
                    beyond = QLatin1Char('(') + beyond + QStringLiteral(" or ") + k.column
                             + QStringLiteral(" is null)");
            }
            if (!beyond.isEmpty()) {
                QStringList terms = equal;
                terms << beyond;
                alternatives << (terms.size() > 1
                                     ? QLatin1Char('(') + terms.join(QStringLiteral(" and ")) + QLatin1Char(')')
                                     : terms.first());
                values += equalValues;
                values += beyondValues;
            }
            if (v.isNull()) {
                equal << k.column + QStringLiteral(" is null");
            } else {
                equal << k.column + QStringLiteral(" = ?");
                equalValues << v;
            }
        }
        if (alternatives.isEmpty())
            alternatives << QStringLiteral("1=0");
        // A bound on the first column alone lets the database start in its
        // index where the next page begins, instead of walking past the pages shown.
        const OrderKey &first = order.first();
        const QVariant v = after.value(0);
        QString start;
        if (!v.isNull() && first.descending == nullsSortHigh()) {
            start = first.column + (first.descending ? QStringLiteral(" <= ?") : QStringLiteral(" >= ?"))
                    + QStringLiteral(" and ");
            values.insert(select.values.size(), v);
        }
        beyondLast = start + QLatin1Char('(') + alternatives.join(QStringLiteral(" or ")) + QLatin1Char(')');
    }
    const QString where = beyondLast.isEmpty() ? QString() : QStringLiteral(" where ") + beyondLast;

    const QString body =
        QStringLiteral("(%1) page%2 order by %3").arg(select.sql.trimmed(), where, orderBy.join(QStringLiteral(", ")));
    if (m_kind == DbKind::SqlServer)
        return {QStringLiteral("select top (%1) * from ").arg(rows) + body, values};
    if (m_kind == DbKind::PostgreSQL && !key.isEmpty()) {
        // The server reads a table row for every index entry it walks, even
        // to test a condition the index alone could answer. Where the key is
        // tested through a function (a search for a part of the number),
        // that condition bounds nothing and the walk passed thousands of
        // notices, reading them all. Such a page of a plain select over one
        // table is chosen by its keys first (from the index alone where an
        // index holds the columns), and only its rows are read.
        static const QRegularExpression oneTable(QStringLiteral("^select\\s+\\*\\s+from\\s+(\\w+)\\s+where\\s+(.+)$"),
                                                 QRegularExpression::CaseInsensitiveOption
                                                     | QRegularExpression::DotMatchesEverythingOption);
        const QRegularExpressionMatch m = oneTable.match(select.sql.trimmed());
        const QRegularExpression keyInFunction(QStringLiteral("\\w\\(\\s*") + QRegularExpression::escape(key)
                                                   + QStringLiteral("\\s*,"),
                                               QRegularExpression::CaseInsensitiveOption);
        if (m.hasMatch() && m.captured(2).contains(keyInFunction)) {
            const QString table = m.captured(1);
            const QString ordered = orderBy.join(QStringLiteral(", "));
            const QString keys = QStringLiteral("select ") + key + QStringLiteral(" from ") + table
                                 + QStringLiteral(" where (") + m.captured(2) + QLatin1Char(')')
                                 + (beyondLast.isEmpty() ? QString() : QStringLiteral(" and ") + beyondLast)
                                 + QStringLiteral(" order by ") + ordered + QStringLiteral(" limit %1").arg(rows);
            return {QStringLiteral("select * from %1 where %2 in (%3) order by %4").arg(table, key, keys, ordered),
                    values};
        }
    }
    // The first page is the statement itself with a limit: nothing to add
    // to its conditions, and a plainer statement to prepare on every click.
    if (after.isEmpty())
        return {select.sql.trimmed() + QStringLiteral(" order by ") + orderBy.join(QStringLiteral(", "))
                    + QStringLiteral(" limit %1").arg(rows),
                values};
    return {QStringLiteral("select * from ") + body + QStringLiteral(" limit %1").arg(rows), values};
}

namespace {

bool textHas(const QSqlError &error, std::initializer_list<const char *> parts)
{
    const QString text = error.databaseText() + QLatin1Char(' ') + error.driverText();
    for (const char *p : parts) {
        if (text.contains(QLatin1String(p), Qt::CaseInsensitive))
            return true;
    }
    return false;
}

bool codeIn(const QSqlError &error, std::initializer_list<const char *> codes)
{
    const QString code = error.nativeErrorCode().trimmed();
    for (const char *c : codes) {
        if (code == QLatin1String(c))
            return true;
    }
    return false;
}

}  // namespace

bool SqlDialect::isLockTimeout(const QSqlError &error) const
{
    switch (m_kind) {
    case DbKind::SQLite:
        return codeIn(error, {"5", "6", "261", "262", "517"}) || textHas(error, {"database is locked"});
    case DbKind::PostgreSQL:
        return codeIn(error, {"55P03"}) || textHas(error, {"lock timeout"});
    case DbKind::SqlServer:
        break;
    }
    return codeIn(error, {"1222", "HYT00"}) || textHas(error, {"Lock request time out"});
}

bool SqlDialect::isConnectionLost(const QSqlError &error) const
{
    switch (m_kind) {
    case DbKind::SQLite:
        return false;
    case DbKind::PostgreSQL:
        return error.nativeErrorCode().startsWith(QLatin1String("08")) || codeIn(error, {"57P01", "57P02", "57P03"})
               || textHas(error, {"server closed the connection", "no connection to the server",
                                  "terminating connection", "could not send data", "could not receive data",
                                  "connection to server", "SSL connection has been closed"});
    case DbKind::SqlServer:
        break;
    }
    // FreeTDS reports its own numbers: 20002 connection failed, 20003 timed
    // out, 20004 read failed, 20006 write failed, 20009 server unavailable,
    // 20017 unexpected EOF, 20047 connection dead; Microsoft's drivers 10054,
    // 233 and the SQLSTATE class 08 in the text.
    return error.nativeErrorCode().startsWith(QLatin1String("08"))
           || codeIn(error, {"10054", "233", "-1", "20002", "20003", "20004", "20006", "20009", "20017", "20047"})
           || textHas(error, {"Communication link failure", "connection is broken", "TCP Provider",
                              "Unexpected EOF from the server", "Read from the server failed",
                              "Write to the server failed", "Adaptive Server connection failed",
                              "Adaptive Server connection timed out", "DBPROCESS is dead", "Server is unavailable"});
}

bool SqlDialect::failedBeforeRunning(const QSqlError &error) const
{
    switch (m_kind) {
    case DbKind::SQLite:
        return true;
    case DbKind::PostgreSQL:
        // The server ended the session (shutdown or restart) and told so
        // before reading the statement; libpq's own "no connection" is said
        // without sending anything.
        return codeIn(error, {"57P01", "57P02", "57P03", "08003", "08006"})
               || textHas(error,
                          {"terminating connection due to administrator command", "no connection to the server"});
    case DbKind::SqlServer:
        break;
    }
    return codeIn(error, {"08003", "08001"});
}

bool SqlDialect::isDuplicateKey(const QSqlError &error) const
{
    switch (m_kind) {
    case DbKind::SQLite:
        return codeIn(error, {"1555", "2067"}) || textHas(error, {"UNIQUE constraint failed"});
    case DbKind::PostgreSQL:
        return codeIn(error, {"23505"}) || textHas(error, {"duplicate key value"});
    case DbKind::SqlServer:
        break;
    }
    return codeIn(error, {"2627", "2601"}) || textHas(error, {"duplicate key"});
}

namespace {

// The shortest text the trigram indexes can look up.
constexpr int kTrigram = 3;

// A phrase of the full-text table: in double quotes every other character is
// taken literally.
QString ftsPhrase(const QString &text)
{
    QString phrase = text;
    phrase.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + phrase + QLatin1Char('"');
}

}  // namespace

bool SqlDialect::hasNoticeIdIndex(const QString &text) const
{
    return m_kind != DbKind::SqlServer && text.size() >= kTrigram;
}

Statement SqlDialect::noticeIdMatches(const QString &text, int cap) const
{
    switch (m_kind) {
    case DbKind::SQLite:
        // The full-text table alone: no notice row is read.
        return {QStringLiteral("select ID from notice_search where notice_search match ? limit %1").arg(cap),
                {ftsPhrase(text)}};
    case DbKind::PostgreSQL:
        return {QStringLiteral("select ID from notice where ID like ?%1 limit %2").arg(kLikeEscape).arg(cap),
                {containsPattern(text)}};
    case DbKind::SqlServer:
        break;
    }
    return {QStringLiteral("select top (%1) ID from notice where ID like ?%2").arg(cap).arg(kLikeEscape),
            {containsPattern(text)}};
}

Statement SqlDialect::noticeIdWalk(const Statement &scope, const QString &text) const
{
    // The ordered index is walked and each number tested for the text,
    // literally and minding letter case: strpos and instr need no escaping,
    // and a trigram index could not serve them anyway.
    Statement s = scope;
    if (m_kind == DbKind::PostgreSQL || m_kind == DbKind::SQLite) {
        s.sql += m_kind == DbKind::PostgreSQL ? QStringLiteral(" and strpos(ID, ?) > 0")
                                              : QStringLiteral(" and instr(ID, ?) > 0");
        s.values << text;
        return s;
    }
    s.sql += QStringLiteral(" and ID like ?") + kLikeEscape;
    s.values << containsPattern(text);
    return s;
}

Statement SqlDialect::noticeIdAmong(const Statement &scope, const QStringList &numbers) const
{
    // No number found: "in (null)" holds for no row.
    Statement s = scope;
    const QStringList marks(numbers.size(), QStringLiteral("?"));
    s.sql += QStringLiteral(" and ID in (") + (marks.isEmpty() ? QStringLiteral("null") : marks.join(QLatin1Char(',')))
             + QLatin1Char(')');
    for (const QString &number : numbers)
        s.values << number;
    if (m_kind == DbKind::PostgreSQL) {
        // The rows are taken apart from the list's order, so the planner
        // cannot trade the key for a walk of the ordered index.
        s.sql = QStringLiteral("select * from (with found as materialized (%1) select * from found) found")
                    .arg(s.sql.trimmed());
    }
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
    case DbKind::SQLite:
        break;  // an autoincrement key continues past the largest stored one
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

const QString kFreeTds = QStringLiteral("FreeTDS");

// A value FreeTDS would read wrongly without braces.
bool needsBraces(const QString &value)
{
    return value.contains(QLatin1Char(';')) || value.startsWith(QLatin1Char('{')) || value.trimmed() != value;
}

// An ODBC attribute value in braces keeps ';' and '=' inside it. Microsoft's
// drivers read "}}" inside braces as one "}"; FreeTDS ends the value at the
// first "}", so there a value with a "}" goes without braces when it can
// (sqlServerSettingsProblem refuses the others).
QString odbcValue(const QString &value, bool freeTds)
{
    const bool brace = freeTds ? needsBraces(value) : needsBraces(value) || value.contains(QLatin1Char('}'));
    if (!brace)
        return value;
    QString escaped = value;
    escaped.replace(QLatin1Char('}'), QStringLiteral("}}"));
    return QLatin1Char('{') + escaped + QLatin1Char('}');
}

// SQL Server's own names for this computer, which FreeTDS would look up as
// host names: "(local)" and ".", alone or before "\instance".
QString localHostMapped(const QString &host)
{
    const qsizetype slash = host.indexOf(QLatin1Char('\\'));
    const QString machine = slash >= 0 ? host.left(slash) : host;
    if (machine.compare(QLatin1String("(local)"), Qt::CaseInsensitive) != 0 && machine != QLatin1String("."))
        return host;
    return QStringLiteral("127.0.0.1") + (slash >= 0 ? host.mid(slash) : QString());
}

}  // namespace

QStringList sqlServerOdbcDrivers()
{
#ifdef Q_OS_WIN
    return {QStringLiteral("ODBC Driver 18 for SQL Server"), QStringLiteral("ODBC Driver 17 for SQL Server"),
            QStringLiteral("SQL Server")};
#else
    return {kFreeTds};
#endif
}

QString sqlServerOdbcString(const DbSettings &s)
{
    return sqlServerOdbcString(s, sqlServerOdbcDrivers().constFirst());
}

QString sqlServerOdbcString(const DbSettings &s, const QString &driver)
{
    const bool freeTds = driver == kFreeTds;
    QString host = s.dataSource.trimmed();
    QString port = QStringLiteral("1433");
    const qsizetype comma = host.indexOf(QLatin1Char(','));
    if (comma >= 0) {
        port = host.mid(comma + 1).trimmed();
        host = host.left(comma).trimmed();
    } else if (host.contains(QLatin1Char('\\'))) {
        port.clear();  // a named instance is found through the server's browser service
    }
    QString text = QStringLiteral("DRIVER={%1};SERVER=").arg(driver);
    if (freeTds) {
        text += odbcValue(localHostMapped(host), true);
        if (!port.isEmpty())
            text += QStringLiteral(";PORT=") + odbcValue(port, true);
    } else {
        text += odbcValue(port.isEmpty() ? host : host + QLatin1Char(',') + port, false);
    }
    text += QStringLiteral(";DATABASE=") + odbcValue(s.initialCatalog, freeTds);
    text += QStringLiteral(";UID=") + odbcValue(s.userId, freeTds);
    text += QStringLiteral(";PWD=") + odbcValue(s.password, freeTds);
    if (freeTds)
        text += QStringLiteral(";TDS_Version=7.4;ClientCharset=UTF-8");
    else if (driver.startsWith(QLatin1String("ODBC Driver 18")) && !DbSettings::isYes(s.encrypt))
        // Version 18 insists on an encrypted connection with a certificate
        // the workstation trusts; the legacy driver and 17 ask for neither.
        text += QStringLiteral(";Encrypt=Optional");
    text += sqlServerEncryptionOptions(s, driver);
    return text;
}

QString sqlServerEncryptionOptions(const DbSettings &s, const QString &driver)
{
    if (!DbSettings::isYes(s.encrypt))
        return {};
    // FreeTDS 1.3 knows one key: "require" refuses a server that does not
    // encrypt. It checks the certificate against the "ca file" of its own
    // configuration (freetds.conf), which the connection string cannot name.
    if (driver == kFreeTds)
        return QStringLiteral(";Encryption=require");
    const bool trust = DbSettings::isYes(s.trustServerCertificate);
    if (driver.startsWith(QLatin1String("ODBC Driver 18")))
        return QStringLiteral(";Encrypt=Mandatory;TrustServerCertificate=%1").arg(trust ? "yes" : "no");
    return QStringLiteral(";Encrypt=yes;TrustServerCertificate=%1").arg(trust ? "yes" : "no");
}

QString sqlServerSettingsProblem(const DbSettings &s, const QString &driver)
{
    if (driver != kFreeTds)
        return {};
    const QList<QPair<QString, QString>> values{{QStringLiteral("Data Source"), s.dataSource},
                                                {QStringLiteral("Initial Catalog"), s.initialCatalog},
                                                {QStringLiteral("User ID"), s.userId},
                                                {QStringLiteral("Password"), s.password}};
    for (const auto &[key, value] : values)
        if (value.contains(QLatin1Char('}')) && needsBraces(value))
            return QStringLiteral("配置文件中“%1”的值同时含有“}”和“;”（或以“{”、空格开头），"
                                  "无法传给 SQL Server 的驱动程序。请更改这个值（例如数据库密码）后再连接。")
                .arg(key);
    return {};
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

QList<HostPort> splitServerList(const QString &dataSource)
{
    QList<HostPort> servers;
    for (const QString &entry : dataSource.split(QLatin1Char(','))) {
        if (!entry.trimmed().isEmpty())
            servers << splitHostPort(entry);
    }
    return servers;
}

QString postgresConnectionString(const DbSettings &settings)
{
    const QList<HostPort> servers = splitServerList(settings.dataSource);
    QStringList items;
    if (!servers.isEmpty())
        items << QStringLiteral("host=") + connectionValue(serverListHosts(servers));
    if (const QString ports = serverListPorts(servers); !ports.isEmpty())
        items << QStringLiteral("port=") + connectionValue(ports);
    items << QStringLiteral("dbname=") + connectionValue(settings.initialCatalog);
    items << QStringLiteral("user=") + connectionValue(settings.userId);
    if (servers.size() > 1)
        items << QStringLiteral("target_session_attrs=read-write");
    return items.join(QLatin1Char(' '));
}

QString SqlDialect::monthColumn(int month) const
{
    return quoted(QString::number(month));
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
        return {QStringLiteral("insert or ignore into %1 (%2) values (%3)")
                    .arg(table, columns, marks.join(QLatin1Char(','))),
                keyValues};
    case DbKind::PostgreSQL:
        return {QStringLiteral("insert into %1 (%2) values (%3) on conflict do nothing")
                    .arg(table, columns, marks.join(QLatin1Char(','))),
                keyValues};
    case DbKind::SqlServer:
        break;
    }
    // SQL Server has no "do nothing" clause: the keys are bound twice.
    QStringList conditions;
    for (const QString &column : keyColumns)
        conditions << column + QStringLiteral("=?");
    return {QStringLiteral(
                "insert into %1 (%2) select %3 where not exists (select 1 from %1 with (updlock, holdlock) where %4)")
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
    case DbKind::SqlServer:
        break;
    }
    return {QStringLiteral("set lock_timeout 60000"),
            QStringLiteral("select onerow from counter with (updlock, holdlock, rowlock)")};
}

QStringList SqlDialect::restoreLockWaitStatements() const
{
    if (m_kind == DbKind::SqlServer)
        return sessionSetup();
    return {};
}

namespace {

const QString kStatisticsPending = QStringLiteral("status=5 and billcode is not null and billcode<>''");

}  // namespace

QString SqlDialect::statisticsPendingCountStatement() const
{
    return QStringLiteral("select count(*) from notice where ") + kStatisticsPending;
}

QString SqlDialect::statisticsPendingStatement() const
{
    return QStringLiteral("select ID,%1,department,checktype,checkcontent,money,Rdate from notice where %2")
        .arg(yearMonthExpression(QStringLiteral("Rdate")), kStatisticsPending);
}

Statement SqlDialect::statisticsAddStatement(const QString &table, const QString &keyColumn, const QString &year,
                                             const QString &key, const QList<qint64> &monthSums, bool money) const
{
    // PostgreSQL rounds a double with one argument only; T-SQL's round takes two.
    const QString roundCents = m_kind == DbKind::SqlServer ? QStringLiteral("round(coalesce(%1,0)*100+?,0)/100.0")
                                                           : QStringLiteral("round(coalesce(%1,0)*100+?)/100.0");
    QStringList sets;
    QVariantList values;
    for (int m = 0; m < monthSums.size() && m < 12; ++m) {
        if (monthSums[m] == 0)
            continue;
        const QString column = monthColumn(m + 1);
        sets << column + QLatin1Char('=')
                    + (money ? roundCents.arg(column) : QStringLiteral("coalesce(%1,0)+?").arg(column));
        values << QVariant(monthSums[m]);
    }
    if (sets.isEmpty())
        return {};
    values << year << key;
    return {QStringLiteral("update %1 set %2 where year=? and %3=?").arg(table, sets.join(QLatin1Char(',')), keyColumn),
            values};
}

QString SqlDialect::statisticsChosenCondition() const
{
    return QStringLiteral("status=5 and ") + inTextListCondition(QStringLiteral("ID"));
}

QString SqlDialect::statisticsArchiveStatement() const
{
    return QStringLiteral("update notice set status=6 where ") + statisticsChosenCondition();
}

QString SqlDialect::statisticsTimeStatement() const
{
    return QStringLiteral("update counter set statictime=?");
}

QString SqlDialect::tableListStatement() const
{
    switch (m_kind) {
    case DbKind::SQLite:
        return QStringLiteral("select name from sqlite_master where type = 'table'");
    case DbKind::PostgreSQL:
        return QStringLiteral("select table_name from information_schema.tables "
                              "where table_schema = any(current_schemas(false)) and table_type = 'BASE TABLE'");
    case DbKind::SqlServer:
        break;
    }
    return QStringLiteral("select name from sys.tables");
}

QString SqlDialect::databaseTraitsStatement() const
{
    if (m_kind != DbKind::SqlServer)
        return {};
    // The code page comes as sql_variant, which not every driver reads: converted.
    return QStringLiteral("select name, collation_name, convert(int, collationproperty(collation_name, 'CodePage')), "
                          "compatibility_level from sys.databases where name = db_name()");
}

QString SqlDialect::yearMonthExpression(const QString &column) const
{
    switch (m_kind) {
    case DbKind::SQLite:
        return QStringLiteral("cast(strftime('%Y%m', %1) as integer)").arg(column);
    case DbKind::PostgreSQL:
        return QStringLiteral("cast(extract(year from %1) * 100 + extract(month from %1) as integer)").arg(column);
    case DbKind::SqlServer:
        break;
    }
    return QStringLiteral("(year(%1) * 100 + month(%1))").arg(column);
}

QString SqlDialect::inTextListCondition(const QString &column) const
{
    switch (m_kind) {
    case DbKind::SQLite:
        return QStringLiteral("%1 in (select value from json_each(?))").arg(column);
    case DbKind::PostgreSQL:
        return QStringLiteral("%1 = any(cast(? as text[]))").arg(column);
    case DbKind::SqlServer:
        break;
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
