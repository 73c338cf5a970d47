#pragma once
// The fee lines of a notice: creating them from the section's catalogue, the
// type filter of the ship affairs section, the line selections opened on the
// shared lines query, and the notice total. Operations only: no windows here.

#include <QString>
#include <QStringList>
#include <QVariantList>

#include "db/sql_statement.h"

class NamedQuery;
class Tdm;
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

// The filter from the four flags of the notice query's current row.
FeeTypeFilter feeTypeFilter(const NamedQuery &notice);

// The notice whose lines were last built or opened with bt_totalmoney; the
// fee-line editor works on this notice only.
extern QString CurrentNoticeID;
// The filter built when the editor was last shown to a ship affairs user;
// the editor's totals reuse it.
extern FeeTypeFilter LineTypeFilter;

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
// Closes the lines query and opens it on the selection. Throws DbError.
void openLineSelection(NamedQuery &lines, LineSelection use, const QString &department, const QString &noticeId,
                       const FeeTypeFilter &filter);

// The display or print selection of the notice query's current row on
// aq_itemofnotice, with the filter built afresh from that row's flags. A row
// without ID (no notice) closes the lines query instead. Throws DbError.
void openNoticeLines(Tdm &dm, LineSelection use, const QString &department);

// Creates the lines of the notice from the department's catalogue (itemcj for
// "船检科", itemcw for "船务科", read through aq_item) when the notice has no
// line yet. All lines are inserted in one transaction: either every catalogue
// row becomes a line or, on a database error, none does and DbError is thrown.
// Returns the number of lines created (0 when the notice already had lines or
// the department has no catalogue). Leaves aq_itemofnotice closed.
int createLinesIfNone(Tdm &dm, const QString &department, const QString &noticeId);

// What bt_totalmoney does before the editor is shown: for a clerk of either
// section, CurrentNoticeID becomes the ID of aq_notice's current row and the
// notice's lines are created if it has none. Returns true when the editor is
// to be shown; false, changing nothing, for a user of another section or when
// there is no current notice. Throws DbError.
bool prepareFeeLines(Tdm &dm, const UserRecord &user);

// Opens the editor's lines of CurrentNoticeID on aq_itemofnotice. For the
// ship affairs section LineTypeFilter is first rebuilt from aq_notice's
// current row. Throws DbError.
void openEditorLines(Tdm &dm, const QString &department);

// The sum of money over the rows of the query, added in the order returned,
// from 0, in double precision, without rounding.
double sumOfMoney(NamedQuery &lines);

// Opens the editor total selection on aq_itemofnotice (left open, on its first
// line), adds it up, puts aq_notice's current row into editing and sets its
// money to the total; the notice row is NOT stored here. Returns the total.
double writeNoticeTotal(Tdm &dm, const QString &department, const QString &noticeId, const FeeTypeFilter &filter);

}  // namespace fees
