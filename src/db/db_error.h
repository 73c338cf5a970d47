#pragma once
// A failed database statement or connection, in words for the user: the
// database layer's own first line, never the statement, the values bound to
// it or anything of the connection string. Failures a user can act on have
// types of their own.

#include "db/refusal.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QString>
#include <stdexcept>

class DbError : public std::runtime_error
{
public:
    explicit DbError(const QString &message);
    explicit DbError(const QSqlError &error);
    QString message() const { return m_message; }

private:
    QString m_message;
};

// The connection to the server broke (a restart, the network) and could not
// be made again, or the statement may have run before it broke. Nothing the
// user typed is dropped: the edit stays, and the next action opens the
// connection again.
class ConnectionLost : public DbError
{
public:
    ConnectionLost();
    static const QString &text();
};

// A database failure that the user can act on (wait, choose another
// number): the message seam tells it as information, like a UserRefusal.
class DbRefusal : public DbError, public Refusal
{
public:
    using DbError::DbError;
    QString message() const override { return DbError::message(); }
};

// Another workstation holds the row (or, on the embedded file, the database)
// longer than the lock wait; the statement gave up and changed nothing.
class RowInUse : public DbRefusal
{
public:
    RowInUse();
    static const QString &text();
};

// A row with the same key exists already; nothing was overwritten.
class DuplicateKey : public DbRefusal
{
public:
    DuplicateKey();
    static const QString &text();
};

// A store refused because the row changed or disappeared since it was read
// (another workstation stored or deleted it); nothing was stored.
class StaleRowError : public DbError
{
public:
    explicit StaleRowError(bool rowDeleted);
    bool rowDeleted() const { return m_deleted; }
    static QString text(bool rowDeleted);

private:
    bool m_deleted;
};

// The embedded database file was replaced, moved away or deleted while the
// program had it open; the write was refused before anything was written.
class DatabaseFileReplaced : public DbError
{
public:
    explicit DatabaseFileReplaced(const QString &file);
    static QString text(const QString &file);
};

// What the embedded database's failure means for the user, in words (a
// read-only or corrupt file, a file that cannot be opened, a full disk),
// with the database's own line after it; empty for any other failure.
QString embeddedFileFailureText(const QSqlError &error, const QString &file);

// Throws the exception that says what the error means: one of the types
// above, or DbError with the database's message.
[[noreturn]] void throwDbFailure(const QSqlDatabase &db, const QSqlError &error);
