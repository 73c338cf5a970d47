#pragma once
// A database transaction that is rolled back unless it was committed, so that an
// operation leaving by an exception (or an early return) never keeps half of a
// change that spans several statements.

#include <QSqlDatabase>

class Transaction
{
public:
    // Begins the transaction, opening the connection again when it broke.
    // Throws DbError when the database refuses.
    explicit Transaction(QSqlDatabase db);
    ~Transaction();

    Transaction(const Transaction &) = delete;
    Transaction &operator=(const Transaction &) = delete;

    // Commits. Throws DbError when the database refuses; the destructor then
    // rolls back what is left.
    void commit();

private:
    QSqlDatabase m_db;
    bool m_done = false;
};

// Whether a Transaction is open on the connection: a statement that fails
// there cannot simply be run again on a new connection.
bool inTransaction(const QSqlDatabase &db);
