#include "counter.h"

#include "connection.h"
#include "db_error.h"
#include "sql_statement.h"

#include <QElapsedTimer>
#include <QSqlQuery>
#include <QThread>

int advanceCounter(QSqlDatabase db, CounterColumn column)
{
    const SqlDialect dialect(kindOf(db));
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        try {
            QSqlQuery q = runStatement(db, dialect.advanceCounterStatement(column));
            if (!q.next())
                throw DbError(QStringLiteral("The counter row is missing."));
            const int value = q.value(0).toInt();
            // SQLite keeps the write open while the returning statement is active.
            q.finish();
            return value;
        } catch (const RowInUse &) {
            // The embedded file answers "locked" at once when two writers meet
            // in a way its busy wait cannot resolve; the step is tried again
            // until the lock wait is used up.
            if (dialect.kind() != DbKind::SQLite || waited.elapsed() > SqlDialect::kLockWaitMs)
                throw;
            QThread::msleep(2 + waited.elapsed() % 7);
        }
    }
}

int takeCounterValue(QSqlDatabase db, CounterColumn column)
{
    return advanceCounter(db, column) - 1;
}
