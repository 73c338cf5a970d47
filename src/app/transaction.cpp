#include "transaction.h"

#include "db_error.h"

#include <QSqlError>

Transaction::Transaction(QSqlDatabase db) : m_db(db)
{
    if (!m_db.transaction())
        throw DbError(m_db.lastError());
}

Transaction::~Transaction()
{
    if (!m_done)
        m_db.rollback();
}

void Transaction::commit()
{
    if (!m_db.commit())
        throw DbError(m_db.lastError());
    m_done = true;
}
