#pragma once
// The history of a notice: one row per change the program makes to it (who,
// when, what, the state before and after, a short detail), written in the
// transaction of the change itself, so that a change that is not stored leaves
// no row and a row that cannot be written undoes the change.

#include <QSqlDatabase>
#include <QString>
#include <QVariant>
#include <QVariantList>

namespace history {

// Who made a change: the account's login name and the person's name. The
// logged-in user (UserRecord) converts to it.
struct Actor
{
    QString account;
    QString fullName;
};

// The actions, as the history list shows them.
inline const QString kCreated = QStringLiteral("新建");
inline const QString kSaved = QStringLiteral("保存");
inline const QString kLinesCreated = QStringLiteral("建立收费项目");
inline const QString kLinesChanged = QStringLiteral("修改收费项目");
inline const QString kApproved = QStringLiteral("审核通过");
inline const QString kRejected = QStringLiteral("驳回");
inline const QString kPrinted = QStringLiteral("打印");
inline const QString kBilled = QStringLiteral("开票");
inline const QString kVoided = QStringLiteral("作废");
inline const QString kCounted = QStringLiteral("统计归档");
inline const QString kDeleted = QStringLiteral("删除");
inline const QString kRestored = QStringLiteral("恢复");

// The width of the detail column; longer details are cut.
constexpr int kDetailLength = 255;

struct Entry
{
    QString noticeId;
    QString department;  // the notice's section
    QString action;
    QVariant stateBefore;  // null: the notice did not exist before
    QVariant stateAfter;   // null: the notice no longer exists
    QString detail;
    QString snapshot;  // a deleted notice with its lines (notice_snapshot.h)
};

// The time a history row records: the workstation's local time to the second,
// as the notice's own creation time.
QDateTime historyTime();

// Holds the notice's row until the transaction ends (another workstation's
// change of it waits), without changing it; a notice that does not exist
// holds nothing. Throws DbError (RowInUse after the lock wait).
void lockNotice(QSqlDatabase db, const QString &noticeId);

// Appends one row for the actor. Call it inside the Transaction of the change.
// Throws DbError when the row cannot be written; the caller's transaction then
// rolls the change back.
// The notice is locked first (lockNotice): a change that writes its history
// row before storing itself would otherwise, when another workstation stores
// a change of the same notice in between, stand in the history before that
// change although it was stored after it, and the states before and after
// would not follow one another.
void appendHistory(QSqlDatabase db, const Actor &actor, const Entry &entry);

// Appends one row for every notice that the condition (on the notice table,
// with its bound values) selects, in one statement: the statistics run
// records the notices it archives without a round trip per notice. The rows
// take the notice's number and section and the given states. Returns the
// number of rows written.
int appendHistoryForNotices(QSqlDatabase db, const Actor &actor, const QString &action, int stateBefore, int stateAfter,
                            const QString &detail, const QString &condition, const QVariantList &conditionValues);

// The detail of a save: "修改：缴费单位、检验类型", or "未修改" when nothing
// changed; the columns as the main window labels them.
QString changedFieldsText(const QStringList &columns);

// An amount as the history shows it (two decimals).
QString amountText(double amount);

// The history of a notice as the list shows it, newest first.
inline const QString kHistoryOfNotice = QStringLiteral(
    "select acted_at,account,fullname,action,state_before,state_after,detail from notice_history "
    "where ID=? order by acted_at desc, historyid desc");

}  // namespace history
