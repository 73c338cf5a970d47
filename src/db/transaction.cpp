#include "transaction.h"

#include "connection.h"
#include "db_error.h"
#include "embedded_file.h"
#include "sql_dialect.h"

#include <QHash>
#include <QMutex>
#include <QSqlError>

namespace {

QMutex openLock;
QHash<QString, int> &openTransactions()
{
    static QHash<QString, int> counts;
    return counts;
}

void count(const QSqlDatabase &db, int step)
{
    const QMutexLocker lock(&openLock);
    int &n = openTransactions()[db.connectionName()];
    n = qMax(0, n + step);
}

}  // namespace

bool inTransaction(const QSqlDatabase &db)
{
    const QMutexLocker lock(&openLock);
    return openTransactions().value(db.connectionName()) > 0;
}

Transaction::Transaction(QSqlDatabase db) : m_db(db)
{
    ensureOpen(m_db);
    requireOpenedFile(m_db);
    if (!m_db.transaction()) {
        const QSqlError error = m_db.lastError();
        // Nothing has run yet: on a connection that broke, begin on a new one.
        if (!SqlDialect(m_db).isConnectionLost(error))
            throwDbFailure(m_db, error);
        reopenConnection(m_db);
        if (!m_db.transaction())
            throwDbFailure(m_db, m_db.lastError());
    }
    count(m_db, +1);
}

Transaction::~Transaction()
{
    if (!m_done) {
        count(m_db, -1);
        if (m_db.isOpen())
            m_db.rollback();
    }
}

void Transaction::commit()
{
    // Replaced meanwhile: the destructor rolls back what was written.
    requireOpenedFile(m_db);
    if (!m_db.commit()) {
        const QSqlError error = m_db.lastError();
        if (SqlDialect(m_db).isConnectionLost(error)) {
            // Whether the server kept the change cannot be known; the
            // connection is made again for the next action.
            m_done = true;
            count(m_db, -1);
            try {
                reopenConnection(m_db);
            } catch (const DbError &) {
            }
            throw ConnectionLost();
        }
        throwDbFailure(m_db, error);
    }
    m_done = true;
    count(m_db, -1);
    noteOpenedFile(m_db);
}
