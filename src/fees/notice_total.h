#pragma once
// A notice's amount is the sum of its lines that count (the editor total
// selection for the notice's section and fee-type flags). It is written in the
// same transaction as every change of the lines and every store of the flags,
// so that the amount printed under the lines is always what they add up to.

#include "db/user_refusal.h"

#include <QSqlDatabase>
#include <QString>
#include <QVariant>

#include <optional>

struct UserRecord;

namespace fees {

// The lines of the notice that count, as the notice is stored: the flags
// stored in the notice row choose the ship affairs lines. 0 when the notice
// has no such line or no longer exists.
double countingTotal(QSqlDatabase db, const QString &noticeId);

// Writes countingTotal into notice.money and returns it. Call it inside the
// transaction that changes the lines or the flags. The notice's revision is
// left alone: the amount follows the lines and keeps no edit of the notice
// row (the header being edited) from being stored.
double storeNoticeTotal(QSqlDatabase db, const QString &noticeId);

// The lines of a notice that another workstation printed, billed, reviewed,
// changed or deleted since they were opened are not changed.
inline const QString kLinesProcessedElsewhere = QStringLiteral("该通知单已被其他工作站处理，收费项目未能修改。");
inline const QString kLinesNoticeDeleted = QStringLiteral("该通知单已被其他工作站删除，收费项目未能修改。");

class LinesNotStored : public UserRefusal
{
public:
    using UserRefusal::UserRefusal;
};

// A change of a notice's lines, for its history: the notice as stored before
// the change (read inside the change's transaction), and the row written
// after it with the total before and after.
struct LinesChange
{
    QString noticeId;
    bool exists = false;
    double totalBefore = 0;
    QVariant status;
    QString department;
    int revision = 0;

    // Locks and reads the notice. Throws DbError.
    static LinesChange begin(QSqlDatabase db, const QString &noticeId);
    // Lines change only while the notice is new or rejected, and, when the
    // revision they were opened at is given, unchanged since: a printed or
    // billed amount stays what was printed. Throws LinesNotStored otherwise.
    void requireOpenForLines(std::optional<int> openedRevision) const;
    // A change of the lines is a change of the notice: a deletion or a
    // review that read the notice before it is refused. Returns the new
    // revision. Throws DbError.
    int raiseRevision(QSqlDatabase db) const;
    // Appends the history row as the user: the detail, then the totals.
    // Nothing for a notice that does not exist. Throws DbError.
    void record(QSqlDatabase db, const UserRecord &user, const QString &action, const QString &detail,
                double totalAfter) const;
};

// Whether two amounts are the same to the fen.
bool sameAmount(double a, double b);

}  // namespace fees
