#pragma once
// What every master data list does with its rows: look a name up, store a
// new row whose name must not be taken yet, delete the current row.

#include "db/named_query.h"

#include <QSqlDatabase>
#include <QSqlRecord>
#include <QString>
#include <QVariant>

#include <functional>

namespace masterdata {

// Whether a row of the table holds the value in the column. The comparison is
// the database's own, so a name differing only in letter case counts as taken
// where the database ignores case.
bool valueTaken(QSqlDatabase db, const QString &table, const QString &column, const QVariant &value);

// Stores the query's new row. Returns false, the row still open for
// correction, when the column's value is taken already: by the check before
// the store, or by another workstation between that check and the store (the
// database's unique key then refuses it). Other database errors are thrown.
// The recorder runs in the store's transaction.
bool storeUnlessTaken(NamedQuery &q, const QString &table, const QString &column,
                      const NamedQuery::StoreRecorder &recorder = {});

// Deletes the query's current row by its key column and reads the list again;
// the cursor stays at the same position, on the row that followed. The
// recorder runs in the delete's transaction with the row as the list held it,
// unless another workstation had deleted the row already.
using DeletionRecorder = std::function<void(QSqlDatabase, const QSqlRecord &)>;
void deleteCurrentRow(NamedQuery &q, const QString &table, const QString &keyColumn,
                      const DeletionRecorder &recorder = {});
// The two steps of it, for a delete that is checked in a transaction first.
// Returns whether a row was deleted.
bool deleteRow(QSqlDatabase db, const QString &table, const QString &keyColumn, const QVariant &key);
void reopenAt(NamedQuery &q, int row);

// Cuts a text column of the row being edited to its width in GBK bytes.
void cutToWidth(NamedQuery &q, const QString &column, int maxBytes);

}  // namespace masterdata
