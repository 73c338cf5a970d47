#include "sql_statement.h"

#include "connection.h"
#include "db_error.h"
#include "embedded_file.h"
#include "gbk_text.h"
#include "sql_dialect.h"
#include "transaction.h"
#include "user_refusal.h"

#include <QSqlError>

namespace {

bool tryRun(QSqlQuery &q, const QString &sql, const QVariantList &values)
{
    // Rows are read front to back; nothing needs the driver to keep them all.
    q.setForwardOnly(true);
    if (!q.prepare(sql))
        return false;
    for (const QVariant &v : values)
        q.addBindValue(v);
    return q.exec();
}

}  // namespace

bool isReadOnlyStatement(const QString &sql)
{
    const QString s = sql.trimmed();
    return (s.startsWith(QLatin1String("select"), Qt::CaseInsensitive)
            || s.startsWith(QLatin1String("with"), Qt::CaseInsensitive))
           && !s.contains(QLatin1String("returning"), Qt::CaseInsensitive)
           && !s.contains(QLatin1String("for update"), Qt::CaseInsensitive);
}

QSqlQuery runStatement(QSqlDatabase db, const QString &sql, const QVariantList &values)
{
    // A control character that a field let through (pasted, or typed where
    // no field checks) stops here, before the database sees it.
    for (const QVariant &v : values) {
        if (v.typeId() == QMetaType::QString && gbk::hasControlCharacters(v.toString()))
            throw UserRefusal(gbk::controlCharacterMessage());
    }

    ensureOpen(db);
    if (!isReadOnlyStatement(sql))
        requireOpenedFile(db);
    QSqlQuery q(db);
    if (tryRun(q, sql, values)) {
        noteOpenedFile(db);
        return q;
    }
    const QSqlError error = q.lastError();
    q = QSqlQuery();
    const SqlDialect dialect(db);
    if (!dialect.isConnectionLost(error))
        throwDbFailure(db, error);

    const bool again = !inTransaction(db) && (isReadOnlyStatement(sql) || dialect.failedBeforeRunning(error));
    reopenConnection(db);  // throws ConnectionLost while the server is away
    if (!again)
        throw ConnectionLost();
    QSqlQuery retry(db);
    if (!tryRun(retry, sql, values))
        throwDbFailure(db, retry.lastError());
    return retry;
}

QSqlQuery runStatement(QSqlDatabase db, const Statement &statement)
{
    return runStatement(db, statement.sql, statement.values);
}
