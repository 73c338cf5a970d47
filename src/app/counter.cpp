#include "counter.h"

#include "connection.h"
#include "db_error.h"

#include <QElapsedTimer>
#include <QSqlQuery>
#include <QThread>

namespace {

// SQLite answers "database is locked" at once when two writers meet in a way
// its busy wait cannot resolve; the step is simply tried again.
bool isSqliteBusy(const QSqlDatabase &db, const QSqlError &error)
{
    return kindOf(db) == DbKind::SQLite
           && (error.nativeErrorCode() == QLatin1String("5") || error.nativeErrorCode() == QLatin1String("6")
               || error.databaseText().contains(QLatin1String("locked")));
}

}  // namespace

int advanceCounter(QSqlDatabase db, CounterColumn column)
{
    const SqlDialect dialect(kindOf(db));
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        QSqlQuery q(db);
        const bool ran = q.exec(dialect.advanceCounterStatement(column));
        if (ran && q.next()) {
            const int value = q.value(0).toInt();
            // SQLite keeps the write open while the returning statement is active.
            q.finish();
            return value;
        }
        const QSqlError error = q.lastError();
        q.finish();
        if (ran && !error.isValid())
            throw DbError(QStringLiteral("The counter row is missing."));
        if (!isSqliteBusy(db, error) || waited.elapsed() > 10000)
            throw DbError(error);
        QThread::msleep(2 + waited.elapsed() % 7);
    }
}

int takeCounterValue(QSqlDatabase db, CounterColumn column)
{
    return advanceCounter(db, column) - 1;
}
