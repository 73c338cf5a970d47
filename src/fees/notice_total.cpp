#include "notice_total.h"

#include "fee_lines.h"

#include "app/codes.h"
#include "app/current_user.h"
#include "db/named_query.h"
#include "db/notice_history.h"
#include "db/sql_statement.h"
#include "db/tdm.h"
#include "db/transaction.h"

#include <QSqlRecord>

#include <cmath>

namespace fees {

double countingTotal(QSqlDatabase db, const QString &noticeId)
{
    QSqlQuery notice = runStatement(
        db, QStringLiteral("select department,dengji,peixun,gongbenfei,neibuziliao from notice where ID=?"),
        {noticeId});
    if (!notice.next())
        return 0;
    const QString department = notice.value(0).toString();
    FeeTypeFilter filter;
    for (const codes::FeeType &feeType : codes::feeTypes())
        if (notice.record().value(feeType.flag).toBool())
            filter.types << feeType.literal;
    notice.finish();

    const Statement s = lineSelection(LineSelection::EditorTotal, department, noticeId, filter);
    QSqlQuery lines = runStatement(db, s.sql, s.values);
    double total = 0;  // added in the order returned, as the editor adds them
    while (lines.next())
        total += lines.record().value(QStringLiteral("money")).toDouble();
    lines.finish();
    return total;
}

double storeNoticeTotal(QSqlDatabase db, const QString &noticeId)
{
    const double total = countingTotal(db, noticeId);
    runStatement(db, QStringLiteral("update notice set money=? where ID=?"), {total, noticeId}).finish();
    return total;
}

LinesChange LinesChange::begin(QSqlDatabase db, const QString &noticeId)
{
    LinesChange change;
    change.noticeId = noticeId;
    // The state read is the one the change is stored over: a review stored
    // by another workstation meanwhile is waited for, not read past.
    history::lockNotice(db, noticeId);
    QSqlQuery q = runStatement(db, QStringLiteral("select money,status,department,revision from notice where ID=?"),
                               {noticeId});
    if (q.next()) {
        change.exists = true;
        change.totalBefore = q.value(0).toDouble();
        change.status = q.value(1);
        change.department = q.value(2).toString();
        change.revision = q.value(3).toInt();
    }
    q.finish();
    return change;
}

void LinesChange::requireOpenForLines(std::optional<int> openedRevision) const
{
    if (!exists)
        throw LinesNotStored(kLinesNoticeDeleted);
    const int state = status.toInt();
    const bool open = !status.isNull() && (state == codes::StateNew || state == codes::StateRejected);
    if (!open || (openedRevision && *openedRevision != revision))
        throw LinesNotStored(kLinesProcessedElsewhere);
}

int LinesChange::raiseRevision(QSqlDatabase db) const
{
    runStatement(db, QStringLiteral("update notice set revision=revision+1 where ID=?"), {noticeId}).finish();
    return revision + 1;
}

void LinesChange::record(QSqlDatabase db, const UserRecord &user, const QString &action, const QString &detail,
                         double totalAfter) const
{
    if (!exists)
        return;
    QString text =
        QStringLiteral("合计 %1 → %2").arg(history::amountText(totalBefore), history::amountText(totalAfter));
    if (!detail.isEmpty())
        text = detail + QStringLiteral("；") + text;
    history::appendHistory(db, user, {noticeId, department, action, status, status, text, {}});
}

bool sameAmount(double a, double b)
{
    return std::llround(a * 100) == std::llround(b * 100);
}

}  // namespace fees
