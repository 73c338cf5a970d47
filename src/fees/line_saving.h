#pragma once
// Storing fee lines as the editor holds them: one line when the clerk leaves
// it or presses Enter, and all of them when the editor is saved or closed.
// Each store keeps the notice's amount and its history row with the lines in
// one transaction.

#include "notice_total.h"

#include "db/user_refusal.h"

#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QVariant>

struct UserRecord;

namespace nollard {
class TParser;
}

namespace fees {

// The notice whose lines are stored: its number, and its revision when its
// lines were opened in the editor.
struct NoticeLines
{
    QString noticeId;
    int revision = 0;
};

// A fee line as the editor holds it: its steps and amount as read and as
// they are now (null: none).
struct FeeLineEdit
{
    QVariant lineId;
    QString itemName;
    QVariant stepsRead;
    QVariant amountRead;
    QVariant steps;
    QVariant amount;
    // The steps were typed since the amount was computed: the amount is
    // computed from them before anything is stored.
    bool computeSteps = false;
};

// What a store left: the notice's amount and its revision (raised when a
// line changed), which the next store of the same editor is made over.
struct StoredLines
{
    double total = 0;
    int revision = 0;
};

// Stores the line's steps and amount where they differ from what was read,
// the notice's amount and, when the line changed, its history row as the
// user, in one transaction. A changed line is refused (LinesNotStored) unless
// the notice is still new or rejected and at the revision given; a line left
// unchanged then stores nothing. Throws DbError; then nothing is stored.
StoredLines storeFeeLine(QSqlDatabase db, const UserRecord &user, const NoticeLines &notice, const FeeLineEdit &line);

// The steps of a line could not be computed; nothing of the save was stored.
class StepsNotComputed : public UserRefusal
{
public:
    StepsNotComputed(const QString &message, const QVariant &lineId) : UserRefusal(message), m_lineId(lineId) {}
    QVariant lineId() const { return m_lineId; }

private:
    QVariant m_lineId;
};

// The editor's save: computes the amounts of the lines whose steps are to be
// computed, in the order given, with the editor's parser; when one cannot be
// computed, throws StepsNotComputed naming its fee item, having stored
// nothing. Otherwise stores, in one transaction, every line given (the
// columns that differ from what was read), the notice's amount and the
// history row when anything changed; refused as storeFeeLine is when the
// notice was processed elsewhere. Returns the notice's amount as stored and
// its revision.
StoredLines saveEditorLines(QSqlDatabase db, const UserRecord &user, nollard::TParser &parser,
                            const NoticeLines &notice, const QList<FeeLineEdit> &lines);

}  // namespace fees
