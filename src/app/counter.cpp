#include "counter.h"

#include "connection.h"
#include "db_error.h"
#include "sql_statement.h"

#include <QElapsedTimer>
#include <QSqlQuery>
#include <QThread>

namespace {
constexpr int kCounterWaitMs = 10000;
}

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
            // Nobody holds the counter row for long: on the embedded file a
            // crowd of programs taking numbers at once only has to queue, so
            // the step is tried again for a while longer than one lock wait.
            if (dialect.kind() != DbKind::SQLite || waited.elapsed() > kCounterWaitMs)
                throw;
            QThread::msleep(2 + waited.elapsed() % 7);
        }
    }
}

int takeCounterValue(QSqlDatabase db, CounterColumn column)
{
    return advanceCounter(db, column) - 1;
}
