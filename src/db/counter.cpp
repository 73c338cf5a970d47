#include "counter.h"

#include "db_error.h"
#include "embedded_file.h"
#include "sql_statement.h"

#include <QElapsedTimer>
#include <QSqlQuery>

int advanceCounter(QSqlDatabase db, CounterColumn column)
{
    const SqlDialect dialect(db);
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
            noteOpenedFile(db);  // committed only now
            return value;
        } catch (const RowInUse &) {
            // Nobody holds the counter row for long.
            if (!dialect.waitToRetryBusy(waited.elapsed()))
                throw;
        }
    }
}

int takeCounterValue(QSqlDatabase db, CounterColumn column)
{
    return advanceCounter(db, column) - 1;
}
