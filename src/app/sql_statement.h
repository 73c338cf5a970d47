#pragma once
// A statement with the values bound to its placeholders, and the one way the
// program runs such a statement: prepared, every value bound, never spliced
// into the text.

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariantList>

struct Statement
{
    QString sql;
    QVariantList values;
};

// Prepares the statement, binds the values in order and executes it.
// Throws DbError with the database layer's message.
QSqlQuery runStatement(QSqlDatabase db, const QString &sql, const QVariantList &values = {});
