#pragma once
// Moving an administration's data whole into another database, of any kind:
// from the embedded file to a server when it outgrows the file, from one
// server to another when it leaves one.

#include "db/db_settings.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace dbadmin {

// One table as the copy counted it: rows, and the amounts of money it holds
// (the sum of its amount columns, each value to the cent). The source is
// counted as it was read; the target after the copy was committed.
struct TableTally
{
    QString table;
    QStringList amountColumns;
    qint64 sourceRows = 0;
    qint64 targetRows = 0;
    qint64 sourceCents = 0;
    qint64 targetCents = 0;
    bool matches() const { return sourceRows == targetRows && sourceCents == targetCents; }
};

struct CopyOutcome
{
    QString from;  // the databases in words, never a password
    QString to;
    bool schemaCreated = false;  // false: the target had the empty schema already
    QList<TableTally> tables;
    // Tables of the source that are not the system's (another program's, or
    // left by hand): not copied, and named in the report.
    QStringList otherTables;
    bool matches() const;
};

// Copies every table of the source into the target in one transaction on
// the target, creating the schema there when it has none, with every value
// as it is (texts unchanged, times to the second, amounts exact, NULL kept
// apart from an empty text) and with the numbers the tables hand out
// themselves continuing after the copied ones. Then counts both.
//
// Throws UserRefusal, and writes nothing, when the target is the source,
// holds rows in any table or an older or newer schema, when the source is
// not of this program's schema version (an older one is upgraded first), or
// when a stored value cannot be carried over unchanged. DbError when a
// statement fails: nothing is written then either. An embedded target file
// that the copy created is removed again when it fails.
CopyOutcome copyDatabase(const DbSettings &source, const DbSettings &target, const QString &schemaFolder);

// The report of a copy: a line per table and the verdict.
QString copyReport(const CopyOutcome &outcome);

// A database named in words: its kind and where it is, never a password.
QString databaseInWords(const DbSettings &settings);

}  // namespace dbadmin
