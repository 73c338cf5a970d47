#pragma once
// What the master data operations write into the trail of changes: which
// section a row belongs to, the row's values as text (role and right codes as
// the windows show them, never a password), and the recorders that the stores
// run in their own transaction.

#include "db/master_data_audit.h"
#include "db/named_query.h"

#include <QSqlDatabase>
#include <QSqlRecord>
#include <QString>

struct UserRecord;

namespace masterdata {

// The section whose data a row of the table is: an account's by its role, a
// catalogue's by the catalogue, the name lists the ship inspection section's.
QString auditDepartment(const QString &table, const QSqlRecord &row);

// The row as the trail names it: an account by login name and name, any
// other row by its name.
QString auditRowKey(const QString &table, const QSqlRecord &row);

// The values of the columns the trail keeps, "身份：船务科工作人员；开票权：有";
// only the columns in `only` when it is not empty, and then a column without
// a value too ("（空）"); otherwise such a column is left out.
QString describeValues(const QString &table, const QSqlRecord &row, const QStringList &only = {});

// Records a row added, or the columns of a row that a change altered (none:
// nothing is recorded). Call inside the transaction of the change.
void recordStored(QSqlDatabase db, const UserRecord &actor, const QString &table, const NamedQuery::StoredRow &stored);
// A recorder for NamedQuery::post and EditableGrid that calls recordStored.
NamedQuery::StoreRecorder storeRecorder(const QString &table, const UserRecord &actor);

// Records a deleted row. Call inside the transaction of the delete.
void recordDeletion(QSqlDatabase db, const UserRecord &actor, const QString &table, const QSqlRecord &row);

// Records any other change, with its texts before and after.
void recordChange(QSqlDatabase db, const UserRecord &actor, const QString &table, const QSqlRecord &row,
                  const QString &action, const QString &before, const QString &after);

}  // namespace masterdata
