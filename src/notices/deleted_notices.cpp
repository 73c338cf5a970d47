#include "deleted_notices.h"

#include "notice_snapshot.h"

#include "app/codes.h"
#include "app/current_user.h"
#include "db/db_error.h"
#include "db/notice_history.h"
#include "db/sql_statement.h"
#include "db/transaction.h"

#include <QSqlQuery>

namespace {

// The deletions whose notice was not restored (nor deleted again) since:
// each the last deletion or restore of its number.
const QString kLastDeletions = QStringLiteral(
    "select h.historyid,h.ID,h.acted_at,h.fullname,h.snapshot from notice_history h "
    "where h.action=? and h.department=? and h.snapshot is not null "
    "and h.historyid=(select max(l.historyid) from notice_history l where l.ID=h.ID and l.action in (?,?)) ");

DeletedNotice deletedNoticeOf(const QSqlQuery &q)
{
    DeletedNotice notice;
    notice.historyId = q.value(0).toLongLong();
    notice.id = q.value(1).toString();
    notice.deletedAt = q.value(2).toDateTime();
    notice.deletedBy = q.value(3).toString();
    const NoticeSnapshot snapshot = NoticeSnapshot::fromJson(q.value(4).toString());
    notice.shipName = snapshot.notice.value(QStringLiteral("shipname")).toString();
    notice.money = snapshot.money();
    notice.status = snapshot.status();
    notice.lineCount = int(snapshot.lines.size());
    return notice;
}

}  // namespace

bool mayRestoreNotices(const UserRecord &user)
{
    return user.typeId == 4 || user.typeId == 6;
}

QList<DeletedNotice> deletedNotices(QSqlDatabase db, const UserRecord &user)
{
    QList<DeletedNotice> notices;
    if (!mayRestoreNotices(user))
        return notices;
    QSqlQuery q = runStatement(db, kLastDeletions + QStringLiteral("order by h.acted_at desc, h.historyid desc"),
                               {history::kDeleted, user.department, history::kDeleted, history::kRestored});
    while (q.next())
        notices << deletedNoticeOf(q);
    return notices;
}

QString restoreNotice(QSqlDatabase db, const UserRecord &user, qint64 historyId)
{
    if (!mayRestoreNotices(user))
        throw UserRefusal(kNoRestoreRight);
    Transaction transaction(db);
    QSqlQuery q = runStatement(db, kLastDeletions + QStringLiteral("and h.historyid=?"),
                               {history::kDeleted, user.department, history::kDeleted, history::kRestored, historyId});
    if (!q.next())
        throw UserRefusal(kRestoreGone);
    const NoticeSnapshot snapshot = NoticeSnapshot::fromJson(q.value(4).toString());
    q.finish();
    const QString id = snapshot.id();
    if (id.isEmpty())
        throw DbError(QStringLiteral("The deleted notice's snapshot cannot be read."));

    QSqlQuery taken = runStatement(db, QStringLiteral("select count(*) from notice where ID=?"), {id});
    const bool inUse = taken.next() && taken.value(0).toInt() > 0;
    taken.finish();
    if (inUse)
        throw UserRefusal(kRestoreNumberInUse.arg(id));
    try {
        // A higher revision than the deleted row had: a workstation that
        // still shows the notice as it was before the deletion cannot store
        // over the restored one.
        writeNoticeSnapshot(db, snapshot, snapshot.revision() + 1);
    } catch (const DuplicateKey &) {
        throw UserRefusal(kRestoreNumberInUse.arg(id));  // taken at this very moment
    }
    history::appendHistory(db, user,
                           {id,
                            snapshot.department(),
                            history::kRestored,
                            QVariant(),
                            snapshot.status(),
                            QStringLiteral("恢复已删除的通知单，合计 %1，收费项目 %2 行")
                                .arg(history::amountText(snapshot.money()))
                                .arg(snapshot.lines.size()),
                            {}});
    transaction.commit();
    return id;
}
