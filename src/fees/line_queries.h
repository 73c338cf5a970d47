#pragma once
// The fee lines on the shared queries, as the main window and the fee-line
// editor show them: the line selections opened on aq_itemofnotice, what
// bt_totalmoney does before the editor shows, the lines as the editor holds
// them, and the total put into the notice being edited. The storing itself
// is the operations' (fee_lines.h, line_saving.h).

#include "fee_lines.h"
#include "line_saving.h"

#include <QList>
#include <QString>
#include <QVariant>

class NamedQuery;
class Tdm;
struct UserRecord;

namespace fees {

// The notice whose lines were last built or opened with bt_totalmoney, and
// its revision when they were; the fee-line editor works on this notice only.
extern QString CurrentNoticeID;
extern int CurrentNoticeRevision;
// The filter built when the editor was last shown to a ship affairs user;
// the editor's totals reuse it.
extern FeeTypeFilter LineTypeFilter;

// The filter from the four flags of the notice query's current row (or of
// the row in editing).
FeeTypeFilter feeTypeFilter(const NamedQuery &notice);

// Closes the lines query and opens it on the selection. Throws DbError.
void openLineSelection(NamedQuery &lines, LineSelection use, const QString &department, const QString &noticeId,
                       const FeeTypeFilter &filter);

// The display or print selection of the notice query's current row on
// aq_itemofnotice, with the filter built afresh from that row's flags. A row
// without ID (no notice) closes the lines query instead. Throws DbError.
void openNoticeLines(Tdm &dm, LineSelection use, const QString &department);

// What bt_totalmoney does before the editor is shown: for a clerk of either
// section, CurrentNoticeID becomes the ID of aq_notice's current row (its
// revision CurrentNoticeRevision), the notice's lines are created if it has
// none, and the lines query is closed. Returns true when the editor is to be
// shown; false, changing nothing, for a user of another section or when
// there is no current notice. Throws DbError.
bool prepareFeeLines(Tdm &dm, const UserRecord &user);

// Opens the editor's lines of CurrentNoticeID on aq_itemofnotice. For the
// ship affairs section LineTypeFilter is first rebuilt from aq_notice's
// current row. Throws DbError.
void openEditorLines(Tdm &dm, const QString &department);

// The notice of the line in editing on the lines query (CurrentNoticeID for
// a line without one), with CurrentNoticeRevision.
NoticeLines noticeOfLines(const NamedQuery &lines);

// A row of the lines query as the editor holds it: the current row shows its
// edit buffer while it is in editing.
FeeLineEdit lineAt(const NamedQuery &lines, int row);

// Whether the lines query's current row is in editing.
bool lineInEditing(const NamedQuery &lines);

// Stores the line in editing on the lines query as the user, over
// CurrentNoticeRevision, which then follows the store, and reads the lines
// again on the same line; also when the store is refused (LinesNotStored),
// so that the lines show as stored. Nothing when no line is in editing.
// Throws DbError, LinesNotStored.
void storeEditedLine(NamedQuery &lines, const UserRecord &user);

// Reads the lines query again after its lines were stored and makes the
// line current again (or the row where it stood, when it left the
// selection). Throws DbError.
void reopenOnLine(NamedQuery &lines, const QVariant &lineId);

// The sum of money over the rows of the query, added in the order returned,
// from 0, in double precision, without rounding.
double sumOfMoney(NamedQuery &lines);

// Opens the editor total selection on aq_itemofnotice (left open, on its first
// line), adds it up, puts aq_notice's current row into editing and sets its
// money to the total, and its revision to CurrentNoticeRevision (the one the
// editor's stores left); the notice row is NOT stored here. Returns the total.
double writeNoticeTotal(Tdm &dm, const QString &department, const QString &noticeId, const FeeTypeFilter &filter);

}  // namespace fees
