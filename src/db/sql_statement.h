#pragma once
// The one way the program runs a statement: prepared, every value bound,
// never spliced into the text.

#include "statement.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariantList>

// Prepares the statement, binds the values in order and executes it.
//
// A connection that broke (the server restarted) is opened again once, and
// the statement is run again when that cannot do it twice: a read, or a
// change that the server refused before running it; not inside a
// Transaction. Throws ConnectionLost when that is not possible, RowInUse
// after the lock wait, DuplicateKey for a key that exists, a UserRefusal
// for a value with control characters, and DbError with the database's
// first line otherwise.
QSqlQuery runStatement(QSqlDatabase db, const QString &sql, const QVariantList &values = {});
QSqlQuery runStatement(QSqlDatabase db, const Statement &statement);

// True for a statement that only reads.
bool isReadOnlyStatement(const QString &sql);
