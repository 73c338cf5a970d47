#include "counter.h"

#include "connection.h"
#include "db_error.h"

#include <QSqlQuery>

int advanceCounter(QSqlDatabase db, CounterColumn column)
{
    const SqlDialect dialect(kindOf(db));
    QSqlQuery q(db);
    if (!q.exec(dialect.advanceCounterStatement(column)))
        throw DbError(q.lastError());
    if (!q.next()) {
        q.finish();
        throw DbError(QStringLiteral("The counter row is missing."));
    }
    const int value = q.value(0).toInt();
    // SQLite keeps the write open while the returning statement is active.
    q.finish();
    return value;
}

int takeCounterValue(QSqlDatabase db, CounterColumn column)
{
    return advanceCounter(db, column) - 1;
}
