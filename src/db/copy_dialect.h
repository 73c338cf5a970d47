#pragma once
// What differs between the kinds of database when every row of one database
// is copied into another of any kind: how a value of each class of column is
// read and written so that it arrives unchanged, how the numbers a table
// hands out itself (its numbered key) are read and continued, and how two
// connections are told to reach the same database.

#include "db_settings.h"
#include "statement.h"

#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <optional>

// A column as the copy treats its values.
enum class ColumnClass { Text, Integer, Real, Boolean, DateTime };

// The class of a column by its declaration in a schema file ("varchar(7)
// not null", "double precision", "datetime2(0)", ...); nothing for a type
// the copy does not know, which must not be guessed.
std::optional<ColumnClass> columnClassOf(const QString &declaration);
// Whether the declaration makes a key that the database numbers itself.
bool isNumberedKey(const QString &declaration);

class CopyDialect
{
public:
    explicit CopyDialect(DbKind kind) : m_kind(kind) {}

    // The select-list item that reads the (quoted) column. Date-times are
    // read as text "yyyy-MM-dd HH:mm:ss" from the servers, whatever the
    // session's date style or time zone; the embedded file holds text.
    QString readExpression(const QString &quotedColumn, ColumnClass columnClass) const;
    // A date-time as read by readExpression in the form "yyyy-MM-dd
    // HH:mm:ss" (to the second; a fraction is cut off); empty when the text
    // is no date-time.
    static QString secondsText(const QString &stored);
    // That form as this kind of database is given it: the embedded file
    // keeps the program's own form (2025-04-04T09:30:00.000).
    QString timeValue(const QString &secondsText) const;

    // Statements run right after the reading transaction began, so that
    // every table is read as it stood at one moment.
    QStringList snapshotStatements() const;

    // The statement that reads the last number the numbered key column
    // handed out (bound: table, column; one value, NULL or no row when
    // none). On PostgreSQL it names the sequence instead, which
    // sequenceLastNumberStatement then reads.
    Statement lastNumberQuery(const QString &table, const QString &column) const;
    // PostgreSQL: the last number handed out by the sequence.
    static QString sequenceLastNumberStatement(const QString &sequence);

    // After the rows were copied with their own key values, each no higher
    // than `last`: statements that make the next number handed out
    // last + 1. `rowsCopied`: whether the table got any row (SQL Server
    // counts a reseed differently on a table that never held one).
    QList<Statement> continueNumbersStatements(const QString &table, const QString &column, qint64 last,
                                               qint64 copiedMaximum, bool rowsCopied) const;

    // One row of texts that, on two connections, are the same exactly when
    // both reach the same database of the same server (SQL Server). Empty on
    // the other kinds (see sessionMarkerStatement).
    QString databaseIdentityStatement() const;
    // PostgreSQL: one row (process id, start time as text) of the own
    // session; sessionSeenStatement, on another connection, counts the
    // sessions in its own database with that id and start.
    QString sessionMarkerStatement() const;
    QString sessionSeenStatement() const;

private:
    DbKind m_kind;
};
