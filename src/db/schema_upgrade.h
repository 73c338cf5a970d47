#pragma once
// Bringing a database of an older schema (the administration's original
// tables, or an earlier version of ours) to the current one, keeping every row.

#include "stored_dates.h"

#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

// What in the stored rows breaks a rule of the current schema (a number held
// twice, a key left empty, a column the current tables do not have), one
// line each, naming the table, the rule and the rows. Empty when the upgrade
// can go ahead. Throws DbError when the database cannot be read.
QStringList upgradeProblems(QSqlDatabase db, const QString &schemaFolder);

struct UpgradeOutcome
{
    int fromVersion = 0;
    int toVersion = 0;
    bool changed = false;  // false: the database was current already
    // Notice dates rewritten in the program's form.
    QList<StoredDate> repairedDates;
};

// Rebuilds every table of the system from the schema file of the kind and
// carries the rows over, and writes notice dates stored in another form
// year first in the program's form (also on a current schema), in one
// transaction: it is done whole or not at all.
// Throws UserRefusal with a report when the rows break a rule (nothing is
// changed then), or when the database is not the system's or is newer than
// this program; DbError when a statement fails (nothing is changed either).
UpgradeOutcome upgradeSchema(QSqlDatabase db, const QString &schemaFolder);
