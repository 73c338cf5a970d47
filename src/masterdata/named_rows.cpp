#include "named_rows.h"

#include "db/db_error.h"
#include "db/gbk_text.h"
#include "db/named_query.h"
#include "db/sql_statement.h"
#include "db/transaction.h"

#include <QSqlQuery>

namespace masterdata {

bool valueTaken(QSqlDatabase db, const QString &table, const QString &column, const QVariant &value)
{
    QSqlQuery q = runStatement(db, QStringLiteral("select count(*) from %1 where %2=?").arg(table, column), {value});
    const bool taken = q.next() && q.value(0).toInt() > 0;
    q.finish();
    return taken;
}

bool storeUnlessTaken(NamedQuery &q, const QString &table, const QString &column,
                      const NamedQuery::StoreRecorder &recorder)
{
    const QVariant value = q.value(column);
    if (valueTaken(q.database(), table, column, value))
        return false;
    try {
        q.post(recorder);
    } catch (const DbError &) {
        if (valueTaken(q.database(), table, column, value))
            return false;
        throw;
    }
    return true;
}

bool deleteRow(QSqlDatabase db, const QString &table, const QString &keyColumn, const QVariant &key)
{
    QSqlQuery q = runStatement(db, QStringLiteral("delete from %1 where %2=?").arg(table, keyColumn), {key});
    const int deleted = q.numRowsAffected();
    q.finish();
    return deleted != 0;
}

void reopenAt(NamedQuery &q, int row)
{
    q.reopen();
    q.setCurrentRow(qMin(row, q.rowCount() - 1));
}

void deleteCurrentRow(NamedQuery &q, const QString &table, const QString &keyColumn, const DeletionRecorder &recorder)
{
    const int row = q.currentRow();
    if (row < 0)
        return;
    if (q.state() != NamedQuery::State::Browsing)
        q.cancel();
    const QVariant key = q.value(keyColumn);
    {
        Transaction transaction(q.database());
        // The row as stored, which another workstation may have changed since the list was read.
        QSqlQuery stored = runStatement(q.database(),
                                        QStringLiteral("select * from %1 where %2=?").arg(table, keyColumn), {key});
        const QSqlRecord was = stored.next() ? stored.record() : QSqlRecord();
        stored.finish();
        if (deleteRow(q.database(), table, keyColumn, key) && recorder && !was.isEmpty())
            recorder(q.database(), was);
        transaction.commit();
    }
    reopenAt(q, row);
}

void cutToWidth(NamedQuery &q, const QString &column, int maxBytes)
{
    const QString text = q.value(column).toString();
    if (!gbk::fits(text, maxBytes))
        q.setValue(column, gbk::truncated(text, maxBytes));
}

}  // namespace masterdata
