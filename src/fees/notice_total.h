#pragma once
// A notice's amount is the sum of its lines that count (the editor total
// selection for the notice's section and fee-type flags). It is written in the
// same transaction as every change of the lines and every store of the flags,
// so that the amount printed under the lines is always what they add up to.

#include <QSqlDatabase>
#include <QString>
#include <QVariant>

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

    // Locks and reads the notice. Throws DbError.
    static LinesChange begin(QSqlDatabase db, const QString &noticeId);
    // Appends the history row as the user: the detail, then the totals.
    // Nothing for a notice that does not exist. Throws DbError.
    void record(QSqlDatabase db, const UserRecord &user, const QString &action, const QString &detail,
                double totalAfter) const;
};

// Whether two amounts are the same to the fen.
bool sameAmount(double a, double b);

}  // namespace fees
