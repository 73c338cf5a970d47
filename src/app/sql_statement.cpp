#include "sql_statement.h"

#include "db_error.h"

QSqlQuery runStatement(QSqlDatabase db, const QString &sql, const QVariantList &values)
{
    QSqlQuery q(db);
    // Rows are read front to back; nothing needs the driver to keep them all.
    q.setForwardOnly(true);
    if (!q.prepare(sql))
        throw DbError(q.lastError());
    for (const QVariant &v : values)
        q.addBindValue(v);
    if (!q.exec())
        throw DbError(q.lastError());
    return q;
}
