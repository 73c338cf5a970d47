#include "notice_operations.h"

#include "notice_snapshot.h"

#include "fees/notice_total.h"

#include "app/codes.h"
#include "app/current_user.h"
#include "db/counter.h"
#include "db/gbk_text.h"
#include "db/named_query.h"
#include "db/notice_history.h"
#include "db/sql_statement.h"
#include "db/tdm.h"
#include "db/transaction.h"

#include <QDateTime>
#include <QSqlQuery>
#include <QSqlRecord>
#include <functional>

namespace {

constexpr int kReasonBytes = 190;

// The typed columns of a notice and their widths in GBK bytes.
const QList<QPair<QString, int>> &textWidths()
{
    static const QList<QPair<QString, int>> widths{
        {QStringLiteral("shipname"), 50},     {QStringLiteral("company"), 50},        {QStringLiteral("checktype"), 10},
        {QStringLiteral("checkcontent"), 20}, {QStringLiteral("memo_badcheck"), 200}, {QStringLiteral("leader"), 6},
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

// Stores the edited notice after its history row; a refusal because of
// another workstation keeps the user's edit and says so. The history row is
// written first, so that when it cannot be written the edit stays as it was;
// on the embedded file it is also the statement that waits for another
// workstation's write.
void storeOrRefuse(NamedQuery &aq_notice, const QString &changedMessage, const std::function<void()> &writeHistory)
{
    try {
        writeHistory();
        aq_notice.post();
    } catch (const StaleRowError &) {
        const bool kept = aq_notice.rebaseEdit();
        throw UserRefusal(kept ? changedMessage : kDeletedElsewhere);
    } catch (const RowInUse &) {
        throw UserRefusal(kNoticeInUse);  // nothing was stored; the edit stays
    }
}

// The columns of the row in editing that differ from the row it is stored
// over (after a refused store, the row as stored then, not the list's row).
QStringList changedColumns(const NamedQuery &q)
{
    QStringList changed;
    const QSqlRecord edited = q.currentRecord();
    for (int i = 0; i < edited.count(); ++i) {
        const QString column = edited.fieldName(i);
        const QVariant before = q.originalValue(column);
        const QVariant after = edited.value(i);
        if (before != after || before.isNull() != after.isNull())
            changed << column;
    }
    return changed;
}

// The history entry of a store of the row in editing: the state as it was
// read and as it will be stored.
history::Entry entryOfEdit(const NamedQuery &q, const QString &action, const QString &detail)
{
    history::Entry entry;
    entry.noticeId = q.value(QStringLiteral("ID")).toString();
    entry.department = q.value(QStringLiteral("department")).toString();
    entry.action = action;
    entry.stateBefore = q.originalValue(QStringLiteral("status"));
    entry.stateAfter = q.value(QStringLiteral("status"));
    entry.detail = detail;
    return entry;
}

void review(Tdm &dm, const UserRecord &user, const QString &reason, int newStatus, const QString &ownMessage,
            const QString &action)
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
        // The history row first: when it cannot be written, the review stays
        // unstored and in editing, as after any failed store.
        Transaction transaction(dm.database());
        const history::Entry entry = entryOfEdit(
            q, action,
            newStatus == codes::StateRejected && !kept.isEmpty() ? QStringLiteral("理由：") + kept : QString());
        storeOrRefuse(q, kReviewChangedElsewhere, [&] { history::appendHistory(dm.database(), user, entry); });
        transaction.commit();
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
    try {
        Transaction transaction(dm.database());
        q.execute(QStringLiteral("insert into notice (ID,handler,department,Rdate,status) values (?,?,?,?,1)"),
                  {id, user.userName, user.department, now});
        history::appendHistory(dm.database(), user,
                               {id, user.department, history::kCreated, QVariant(), int(codes::StateNew), {}, {}});
        transaction.commit();
    } catch (const DuplicateKey &) {
        // The six-digit serial went round: the number is another notice's.
        throw UserRefusal(kNumberTaken.arg(id));
    }
    q.close();
    q.open(QStringLiteral("select * from notice where ID=?"), {id});
    q.edit();
    return id;
}

void saveNotice(Tdm &dm, const UserRecord &user)
{
    NamedQuery &q = *dm.aq_notice;
    // The state follows the notice as stored, never an earlier attempt: after
    // a refused save the edit lies on the notice as another workstation left
    // it, and saving again must not take an approval back.
    if (q.state() == NamedQuery::State::Editing) {
        const QVariant stored = q.originalValue(QStringLiteral("status"));
        q.setValue(QStringLiteral("status"),
                   stored.toInt() == codes::StateRejected ? QVariant(int(codes::StateNew)) : stored);
    }
    cutToWidths(q);
    const QString id = q.value(QStringLiteral("ID")).toString();
    {
        // The amount follows the flags as they are stored now: a fee type
        // unticked after the lines were computed no longer counts.
        Transaction transaction(dm.database());
        QStringList changed = changedColumns(q);
        changed.removeAll(QStringLiteral("status"));
        const history::Entry entry = entryOfEdit(q, history::kSaved, history::changedFieldsText(changed));
        storeOrRefuse(q, kChangedElsewhere, [&] { history::appendHistory(dm.database(), user, entry); });
        fees::storeNoticeTotal(dm.database(), id);
        transaction.commit();
    }
    q.reopen();
}

void startChange(Tdm &dm)
{
    dm.aq_notice->edit();
}

void deleteNotice(Tdm &dm, const UserRecord &user)
{
    NamedQuery &q = *dm.aq_notice;
    const int row = q.currentRow();
    if (row < 0)
        return;
    const QString id = q.value(QStringLiteral("ID")).toString();
    const int revision = q.value(QStringLiteral("revision")).toInt();
    const QString statement = q.statement();
    const QVariantList values = q.boundValues();

    int affected = 0;
    {
        // The notice and its lines go into the history as they are stored,
        // so that the section leader can bring the notice back.
        Transaction transaction(dm.database());
        const NoticeSnapshot snapshot = readNoticeSnapshot(dm.database(), id);
        QSqlQuery del = runStatement(dm.database(), QStringLiteral("delete from notice where ID=? and revision=?"),
                                     {id, revision});
        affected = del.numRowsAffected();
        del.finish();
        if (affected == 1) {
            history::Entry entry{id,
                                 snapshot.department(),
                                 history::kDeleted,
                                 snapshot.status(),
                                 QVariant(),
                                 QStringLiteral("合计 %1，收费项目 %2 行")
                                     .arg(history::amountText(snapshot.money()))
                                     .arg(snapshot.lines.size()),
                                 snapshot.toJson()};
            history::appendHistory(dm.database(), user, entry);
        }
        transaction.commit();
    }

    // The list keeps its other rows and moves to the next one.
    q.open(statement, values);
    if (!q.setCurrentRow(row) && !q.isEmpty())
        q.setCurrentRow(q.rowCount() - 1);  // the last row was deleted: the list is short
    if (affected == 0)
        throw UserRefusal(kReviewChangedElsewhere);
}

void approveNotice(Tdm &dm, const UserRecord &user, const QString &reason)
{
    review(dm, user, reason, codes::StateApproved, kNoOwnApproval, history::kApproved);
}

void rejectNotice(Tdm &dm, const UserRecord &user, const QString &reason)
{
    review(dm, user, reason, codes::StateRejected, kNoOwnRejection, history::kRejected);
}
