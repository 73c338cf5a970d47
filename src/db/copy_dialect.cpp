#include "copy_dialect.h"

#include <QRegularExpression>

std::optional<ColumnClass> columnClassOf(const QString &declaration)
{
    const QString type = declaration.trimmed().toLower().section(QRegularExpression(QStringLiteral("[\\s(]")), 0, 0);
    static const QStringList texts{QStringLiteral("varchar"), QStringLiteral("nvarchar"), QStringLiteral("char"),
                                   QStringLiteral("nchar"), QStringLiteral("text")};
    static const QStringList integers{QStringLiteral("integer"), QStringLiteral("int"), QStringLiteral("bigint"),
                                      QStringLiteral("smallint")};
    static const QStringList reals{QStringLiteral("double"), QStringLiteral("float"), QStringLiteral("real")};
    static const QStringList booleans{QStringLiteral("boolean"), QStringLiteral("bit")};
    static const QStringList times{QStringLiteral("datetime"), QStringLiteral("datetime2"),
                                   QStringLiteral("timestamp")};
    if (texts.contains(type))
        return ColumnClass::Text;
    if (integers.contains(type))
        return ColumnClass::Integer;
    if (reals.contains(type))
        return ColumnClass::Real;
    if (booleans.contains(type))
        return ColumnClass::Boolean;
    if (times.contains(type))
        return ColumnClass::DateTime;
    return std::nullopt;
}

bool isNumberedKey(const QString &declaration)
{
    const QString d = declaration.toLower();
    return d.contains(QStringLiteral("autoincrement")) || d.contains(QStringLiteral("identity"));
}

QString CopyDialect::readExpression(const QString &quotedColumn, ColumnClass columnClass) const
{
    if (columnClass != ColumnClass::DateTime)
        return quotedColumn;
    switch (m_kind) {
    case DbKind::SQLite:
        break;
    case DbKind::PostgreSQL:
        return QStringLiteral("to_char(%1, 'YYYY-MM-DD HH24:MI:SS')").arg(quotedColumn);
    case DbKind::SqlServer:
        return QStringLiteral("convert(varchar(19), %1, 120)").arg(quotedColumn);
    }
    return quotedColumn;
}

QString CopyDialect::secondsText(const QString &stored)
{
    // The servers' form, and the embedded file's own (with a "T" and
    // milliseconds); nothing else is taken for a date.
    static const QRegularExpression form(
        QStringLiteral("^(\\d{4}-\\d{2}-\\d{2})[T ](\\d{2}:\\d{2}:\\d{2})(\\.\\d+)?$"));
    const QRegularExpressionMatch m = form.match(stored.trimmed());
    if (!m.hasMatch())
        return {};
    return m.captured(1) + QLatin1Char(' ') + m.captured(2);
}

QString CopyDialect::timeValue(const QString &secondsText) const
{
    switch (m_kind) {
    case DbKind::SQLite:
        return QString(secondsText).replace(QLatin1Char(' '), QLatin1Char('T')) + QStringLiteral(".000");
    case DbKind::SqlServer:
        // The form with "T" is read alike under every language and date format.
        return QString(secondsText).replace(QLatin1Char(' '), QLatin1Char('T'));
    case DbKind::PostgreSQL:
        break;
    }
    return secondsText;
}

QStringList CopyDialect::snapshotStatements() const
{
    // The embedded file's reading transaction sees one state of the file from
    // its first read; SQL Server's snapshot needs a database option that an
    // administration rarely sets, so there the copy is made with the
    // workstations closed (db/README.md).
    if (m_kind == DbKind::PostgreSQL)
        return {QStringLiteral("set transaction isolation level repeatable read, read only")};
    return {};
}

Statement CopyDialect::lastNumberQuery(const QString &table, const QString &column) const
{
    switch (m_kind) {
    case DbKind::SQLite:
        // An autoincrement key's last number; the column is implied.
        return {QStringLiteral("select seq from sqlite_sequence where name = ?"), {table}};
    case DbKind::PostgreSQL:
        return {QStringLiteral("select pg_get_serial_sequence(?, ?)"), {table, column}};
    case DbKind::SqlServer:
        break;
    }
    return {QStringLiteral("select convert(bigint, last_value) from sys.identity_columns "
                           "where object_id = object_id(?) and name = ?"),
            {table, column}};
}

QString CopyDialect::sequenceLastNumberStatement(const QString &sequence)
{
    // The name comes from the server's catalogue, quoted by it.
    return QStringLiteral("select case when is_called then last_value else last_value - 1 end from %1").arg(sequence);
}

QList<Statement> CopyDialect::continueNumbersStatements(const QString &table, const QString &column, qint64 last,
                                                        qint64 copiedMaximum, bool rowsCopied) const
{
    switch (m_kind) {
    case DbKind::PostgreSQL:
        return {{QStringLiteral("select setval(pg_get_serial_sequence(?, ?), ?, false)"), {table, column, last + 1}}};
    case DbKind::SQLite:
        // The copied keys moved the last number to their maximum already.
        if (last <= copiedMaximum)
            return {};
        return {{QStringLiteral("insert into sqlite_sequence (name, seq) select ?, 0 "
                                "where not exists (select 1 from sqlite_sequence where name = ?)"),
                 {table, table}},
                {QStringLiteral("update sqlite_sequence set seq = ? where name = ?"), {last, table}}};
    case DbKind::SqlServer:
        break;
    }
    // Inserting keys moved the identity to their maximum already. A reseed
    // makes the next number the value + 1, except on a table that never held
    // a row, where the next number is the value itself.
    if (last <= copiedMaximum)
        return {};
    QString name = table;
    name.replace(QLatin1Char('\''), QStringLiteral("''"));
    return {{QStringLiteral("dbcc checkident ('%1', reseed, %2)").arg(name).arg(rowsCopied ? last : last + 1), {}}};
}

QString CopyDialect::databaseIdentityStatement() const
{
    if (m_kind != DbKind::SqlServer)
        return {};
    return QStringLiteral("select @@servername, db_name(), convert(nvarchar(36), service_broker_guid) "
                          "from sys.databases where database_id = db_id()");
}

QString CopyDialect::sessionMarkerStatement() const
{
    if (m_kind != DbKind::PostgreSQL)
        return {};
    return QStringLiteral("select pid, extract(epoch from backend_start)::text from pg_stat_activity "
                          "where pid = pg_backend_pid()");
}

QString CopyDialect::sessionSeenStatement() const
{
    if (m_kind != DbKind::PostgreSQL)
        return {};
    return QStringLiteral("select count(*) from pg_stat_activity where pid = ? "
                          "and extract(epoch from backend_start)::text = ? and datname = current_database()");
}
