#pragma once
// The fee lines of a notice: creating them from the section's catalogue, the
// type filter of the ship affairs section and the line selections. The
// windows open the selections on the shared lines query (line_queries.h).

#include <QSqlDatabase>
#include <QSqlRecord>
#include <QString>
#include <QStringList>
#include <QVariantList>

#include "db/sql_statement.h"

struct UserRecord;

namespace fees {

// The ship affairs fee types whose flags are set on a notice, in the fixed
// flag order (dengji, peixun, gongbenfei, neibuziliao).
struct FeeTypeFilter
{
    QStringList types;

    bool isEmpty() const { return types.isEmpty(); }
    // The filter as the system writes it: " type='登记' or type='工本费'";
    // empty when no flag is set.
    QString text() const;
    // The same condition with a placeholder for each type name:
    // "type=? or type=?". The names are bound, never written into the SQL.
    QString condition() const;
};

// The filter from the four flags of a notice row.
FeeTypeFilter feeTypeFilter(const QSqlRecord &notice);

enum class LineSelection {
    EditorLoad,   // every line of the notice that the editor may fill
    EditorTotal,  // the lines that count in the notice total
    Display,      // the main window's line grid
    Print,        // the printed notice
};

using Statement = ::Statement;

// The statement of a line selection for a user of the department. The filter
// is used by the ship affairs section only.
Statement lineSelection(LineSelection use, const QString &department, const QString &noticeId,
                        const FeeTypeFilter &filter);

// Creates the lines of the notice from the catalogue of the user's section
// (itemcj for "船检科", itemcw for "船务科") when the notice has no line yet,
// with the notice's history row as the user. All lines are inserted in one
// transaction: either every catalogue row becomes a line or, on a database
// error, none does and DbError is thrown. Returns the number of lines created
// (0 when the notice already had lines or the section has no catalogue).
int createLinesIfNone(QSqlDatabase db, const UserRecord &user, const QString &noticeId);

}  // namespace fees
