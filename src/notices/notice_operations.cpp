#include "notice_operations.h"

#include "fees/notice_total.h"

#include "app/codes.h"
#include "app/counter.h"
#include "app/current_user.h"
#include "app/gbk_width.h"
#include "app/named_query.h"
#include "app/sql_statement.h"
#include "app/tdm.h"
#include "app/transaction.h"

#include <QDateTime>
#include <QSqlQuery>

namespace {

constexpr int kReasonBytes = 190;

// The typed columns of a notice and their widths in GBK bytes.
const QList<QPair<QString, int>> &textWidths()
{
    static const QList<QPair<QString, int>> widths{
        {QStringLiteral("shipname"), 50},    {QStringLiteral("company"), 50},
        {QStringLiteral("checktype"), 10},   {QStringLiteral("checkcontent"), 20},
        {QStringLiteral("memo_badcheck"), 200}, {QStringLiteral("leader"), 6},
    };
    return widths;
}

void cutToWidths(NamedQuery &q)
{
    for (const auto &[column, bytes] : textWidths()) {
        const QString text = q.value(column).toString();
        if (!gbk::fits(text, bytes))
            q.setValue(column, gbk::truncated(text, bytes));
    }
}

// Stores the edited notice; a refusal because of another workstation keeps
// the user's edit and says so.
void storeOrRefuse(NamedQuery &aq_notice, const QString &changedMessage)
{
    try {
        aq_notice.post();
    } catch (const StaleRowError &) {
        const bool kept = aq_notice.rebaseEdit();
        throw UserRefusal(kept ? changedMessage : kDeletedElsewhere);
    }
}

void review(Tdm &dm, const UserRecord &user, const QString &reason, int newStatus,
            const QString &ownMessage)
{
    NamedQuery &q = *dm.aq_notice;
    if (q.currentRow() < 0)
        return;
    if (q.value(QStringLiteral("handler")).toString() == user.userName)
        throw UserRefusal(ownMessage);
    q.edit();
    q.setValue(QStringLiteral("leader"), user.userName);
    q.setValue(QStringLiteral("status"), newStatus);
    const QString before = q.value(QStringLiteral("memo_badcheck")).toString();
    const QString kept = gbk::truncated(reason, kReasonBytes);
    if (kept != before)
        q.setValue(QStringLiteral("memo_badcheck"), kept);
    try {
        storeOrRefuse(q, kReviewChangedElsewhere);
    } catch (const UserRefusal &) {
        // A review is one click on what the reviewer saw: nothing of it is kept.
        if (q.state() == NamedQuery::State::Editing)
            q.cancel();
        q.reopen();
        throw;
    }
    q.reopen();
}

}  // namespace

QString noticeNumber(int typeId, int serial)
{
    return codes::sectionPrefix(typeId) + codes::PadSerial6(serial);
}

QString createNotice(Tdm &dm, const UserRecord &user)
{
    const int serial = takeCounterValue(dm.database(), CounterColumn::Id);
    const QString id = noticeNumber(user.typeId, serial);
    QDateTime now = QDateTime::currentDateTime();
    now.setTime(QTime(now.time().hour(), now.time().minute(), now.time().second()));

    NamedQuery &q = *dm.aq_notice;
    q.close();
    q.execute(QStringLiteral("insert into notice (ID,handler,department,Rdate,status) values (?,?,?,?,1)"),
              {id, user.userName, user.department, now});
    q.close();
    q.open(QStringLiteral("select * from notice where ID=?"), {id});
    q.edit();
    return id;
}

void saveNotice(Tdm &dm)
{
    NamedQuery &q = *dm.aq_notice;
    if (q.value(QStringLiteral("status")).toInt() == codes::StateRejected)
        q.setValue(QStringLiteral("status"), int(codes::StateNew));
    cutToWidths(q);
    const QString id = q.value(QStringLiteral("ID")).toString();
    {
        // The amount follows the flags as they are stored now: a fee type
        // unticked after the lines were computed no longer counts.
        Transaction transaction(dm.database());
        storeOrRefuse(q, kChangedElsewhere);
        fees::storeNoticeTotal(dm.database(), id);
        transaction.commit();
    }
    q.reopen();
}

void startChange(Tdm &dm)
{
    dm.aq_notice->edit();
}

void deleteNotice(Tdm &dm)
{
    NamedQuery &q = *dm.aq_notice;
    const int row = q.currentRow();
    if (row < 0)
        return;
    const QString id = q.value(QStringLiteral("ID")).toString();
    const int revision = q.value(QStringLiteral("revision")).toInt();
    const QString statement = q.statement();
    const QVariantList values = q.boundValues();

    QSqlQuery del = runStatement(dm.database(), QStringLiteral("delete from notice where ID=? and revision=?"),
                                 {id, revision});
    const int affected = del.numRowsAffected();
    del.finish();

    // The list keeps its other rows and moves to the next one.
    q.open(statement, values);
    if (!q.setCurrentRow(row) && !q.isEmpty())
        q.setCurrentRow(q.rowCount() - 1);  // the last row was deleted: the list is short
    if (affected == 0)
        throw UserRefusal(kReviewChangedElsewhere);
}

void approveNotice(Tdm &dm, const UserRecord &user, const QString &reason)
{
    review(dm, user, reason, codes::StateApproved, kNoOwnApproval);
}

void rejectNotice(Tdm &dm, const UserRecord &user, const QString &reason)
{
    review(dm, user, reason, codes::StateRejected, kNoOwnRejection);
}
