#include "notice_operations.h"

#include "notice_snapshot.h"

#include "fees/notice_total.h"

#include "app/codes.h"
#include "app/current_user.h"
#include "app/gbk_width.h"
#include "db/counter.h"
#include "db/db_error.h"
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

NoticeFields cutToWidths(NoticeFields fields)
{
    for (const auto &[column, bytes] : textWidths()) {
        const QString text = fields.value(column).toString();
        if (!gbk::fits(text, bytes))
            fields.setValue(column, gbk::truncated(text, bytes));
    }
    return fields;
}

bool differs(const QVariant &before, const QVariant &after)
{
    return before != after || before.isNull() != after.isNull();
}

// The notice as stored, read after it was locked: the state a change is
// stored over.
struct StoredNotice
{
    bool exists = false;
    int revision = 0;
    QVariant status;
    QString department;
    QString handler;
    QVariant leader;
    QVariant memoBadcheck;
};

StoredNotice readStored(QSqlDatabase db, const QString &id)
{
    StoredNotice stored;
    QSqlQuery q = runStatement(
        db, QStringLiteral("select revision,status,department,handler,leader,memo_badcheck from notice where ID=?"),
        {id});
    if (q.next()) {
        stored.exists = true;
        stored.revision = q.value(0).toInt();
        stored.status = q.value(1);
        stored.department = q.value(2).toString();
        stored.handler = q.value(3).toString();
        stored.leader = q.value(4);
        stored.memoBadcheck = q.value(5);
    }
    q.finish();
    return stored;
}

// Locks the notice, reads it, writes the history row and stores the columns
// over the revision read. Another workstation's change or deletion since the
// notice was read, or its lock held past the wait, stores nothing. The
// history row is written first: on the embedded file it is the statement
// that waits for another workstation's write.
void storeOver(QSqlDatabase db, const QString &id, int revision, const QList<QPair<QString, QVariant>> &columns,
               const QString &changedMessage, const std::function<void(const StoredNotice &)> &writeHistory)
{
    try {
        history::lockNotice(db, id);
        const StoredNotice stored = readStored(db, id);
        if (!stored.exists)
            throw NoticeNotStored(kDeletedElsewhere, NoticeNotStored::Why::Deleted);
        // A store that changes nothing needs only the notice to be there.
        if (!columns.isEmpty() && stored.revision != revision)
            throw NoticeNotStored(changedMessage, NoticeNotStored::Why::Changed);
        writeHistory(stored);
        if (columns.isEmpty())
            return;
        QStringList sets;
        QVariantList values;
        for (const auto &[column, value] : columns) {
            sets << column + QStringLiteral("=?");
            values << value;
        }
        sets << QStringLiteral("revision=revision+1");
        values << id << revision;
        QSqlQuery update = runStatement(
            db, QStringLiteral("update notice set %1 where ID=? and revision=?").arg(sets.join(QLatin1Char(','))),
            values);
        const int affected = update.numRowsAffected();
        update.finish();
        if (affected != 1)
            throw NoticeNotStored(changedMessage, NoticeNotStored::Why::Changed);
    } catch (const RowInUse &) {
        throw NoticeNotStored(kNoticeInUse, NoticeNotStored::Why::InUse);
    }
}

int review(QSqlDatabase db, const UserRecord &user, const QString &id, int revision, const QString &reason,
           int newStatus, const QString &ownMessage, const QString &action)
{
    const QString kept = gbk::truncated(reason, kReasonBytes);
    // Nothing is locked or written for one's own notice. Read before the
    // transaction: its first statement is the lock, which waits for another
    // workstation's write (a read first could not wait on the embedded file).
    const StoredNotice before = readStored(db, id);
    if (before.exists && before.handler == user.userName)
        throw UserRefusal(ownMessage);
    Transaction transaction(db);
    QList<QPair<QString, QVariant>> columns;
    if (differs(before.leader, user.userName))
        columns.append({QStringLiteral("leader"), user.userName});
    if (differs(before.status, newStatus))
        columns.append({QStringLiteral("status"), newStatus});
    if (kept != before.memoBadcheck.toString())
        columns.append({QStringLiteral("memo_badcheck"), kept});
    storeOver(db, id, revision, columns, kReviewChangedElsewhere, [&](const StoredNotice &stored) {
        history::appendHistory(
            db, user,
            {id,
             stored.department,
             action,
             stored.status,
             newStatus,
             newStatus == codes::StateRejected && !kept.isEmpty() ? QStringLiteral("理由：") + kept : QString(),
             {}});
    });
    transaction.commit();
    return columns.isEmpty() ? revision : revision + 1;
}

}  // namespace

const QStringList &NoticeFields::columns()
{
    static const QStringList names{
        QStringLiteral("shipname"),     QStringLiteral("company"),       QStringLiteral("checktype"),
        QStringLiteral("checkcontent"), QStringLiteral("dengji"),        QStringLiteral("peixun"),
        QStringLiteral("gongbenfei"),   QStringLiteral("neibuziliao"),   QStringLiteral("money"),
        QStringLiteral("leader"),       QStringLiteral("memo_badcheck"),
    };
    return names;
}

namespace {

QVariant NoticeFields::*memberOf(const QString &column)
{
    static const QList<QVariant NoticeFields::*> members{
        &NoticeFields::shipname, &NoticeFields::company, &NoticeFields::checktype,    &NoticeFields::checkcontent,
        &NoticeFields::dengji,   &NoticeFields::peixun,  &NoticeFields::gongbenfei,   &NoticeFields::neibuziliao,
        &NoticeFields::money,    &NoticeFields::leader,  &NoticeFields::memoBadcheck,
    };
    const qsizetype i = NoticeFields::columns().indexOf(column.toLower());
    return i < 0 ? nullptr : members[i];
}

}  // namespace

QVariant NoticeFields::value(const QString &column) const
{
    QVariant NoticeFields::*member = memberOf(column);
    return member ? this->*member : QVariant();
}

void NoticeFields::setValue(const QString &column, const QVariant &value)
{
    if (QVariant NoticeFields::*member = memberOf(column))
        this->*member = value;
}

QString noticeNumber(int typeId, int serial)
{
    return codes::sectionPrefix(typeId) + codes::PadSerial6(serial);
}

QString createNotice(QSqlDatabase db, const UserRecord &user)
{
    const int serial = takeCounterValue(db, CounterColumn::Id);
    const QString id = noticeNumber(user.typeId, serial);
    QDateTime now = QDateTime::currentDateTime();
    now.setTime(QTime(now.time().hour(), now.time().minute(), now.time().second()));
    try {
        Transaction transaction(db);
        runStatement(db, QStringLiteral("insert into notice (ID,handler,department,Rdate,status) values (?,?,?,?,1)"),
                     {id, user.userName, user.department, now})
            .finish();
        history::appendHistory(db, user,
                               {id, user.department, history::kCreated, QVariant(), int(codes::StateNew), {}, {}});
        transaction.commit();
    } catch (const DuplicateKey &) {
        // The six-digit serial went round: the number is another notice's.
        throw UserRefusal(kNumberTaken.arg(id));
    }
    return id;
}

NoticeEdit readNoticeEdit(QSqlDatabase db, const QString &id)
{
    NoticeEdit edit;
    QSqlQuery q = runStatement(db, QStringLiteral("select * from notice where ID=?"), {id});
    if (!q.next())
        return edit;
    const QSqlRecord row = q.record();
    edit.id = row.value(QStringLiteral("ID")).toString();
    edit.revision = row.value(QStringLiteral("revision")).toInt();
    edit.status = row.value(QStringLiteral("status"));
    for (const QString &column : NoticeFields::columns())
        edit.read.setValue(column, row.value(column));
    edit.edited = edit.read;
    return edit;
}

SavedNotice saveNotice(QSqlDatabase db, const UserRecord &user, const NoticeEdit &edit)
{
    // The state follows the notice the edit lies on, never an earlier
    // attempt: after a refused save the edit lies on the notice as another
    // workstation left it, and saving again must not take an approval back.
    const QVariant status = edit.status.toInt() == codes::StateRejected ? QVariant(int(codes::StateNew)) : edit.status;
    const NoticeFields fields = cutToWidths(edit.edited);
    QList<QPair<QString, QVariant>> columns;
    QStringList changed;
    for (const QString &column : NoticeFields::columns()) {
        if (differs(edit.read.value(column), fields.value(column))) {
            columns.append({column, fields.value(column)});
            changed << column;
        }
    }
    if (differs(edit.status, status))
        columns.append({QStringLiteral("status"), status});

    SavedNotice saved;
    Transaction transaction(db);
    storeOver(db, edit.id, edit.revision, columns, kChangedElsewhere, [&](const StoredNotice &stored) {
        history::appendHistory(db, user,
                               {edit.id,
                                stored.department,
                                history::kSaved,
                                edit.status,
                                status,
                                history::changedFieldsText(changed),
                                {}});
    });
    // The amount follows the flags as they are stored now: a fee type
    // unticked after the lines were computed no longer counts.
    saved.money = fees::storeNoticeTotal(db, edit.id);
    transaction.commit();
    saved.revision = columns.isEmpty() ? edit.revision : edit.revision + 1;
    saved.status = status.toInt();
    return saved;
}

void deleteNotice(QSqlDatabase db, const UserRecord &user, const QString &id, int revision)
{
    // The notice and its lines go into the history as they are stored, so
    // that the section leader can bring the notice back.
    Transaction transaction(db);
    // Locked before it is read: a change of the lines stored meanwhile by
    // another workstation is either in the snapshot or refuses the deletion,
    // never lost from what a restore brings back.
    history::lockNotice(db, id);
    const NoticeSnapshot snapshot = readNoticeSnapshot(db, id);
    QSqlQuery del = runStatement(db, QStringLiteral("delete from notice where ID=? and revision=?"), {id, revision});
    const int affected = del.numRowsAffected();
    del.finish();
    if (affected != 1)
        throw UserRefusal(kReviewChangedElsewhere);
    history::Entry entry{
        id,
        snapshot.department(),
        history::kDeleted,
        snapshot.status(),
        QVariant(),
        QStringLiteral("合计 %1，收费项目 %2 行").arg(history::amountText(snapshot.money())).arg(snapshot.lines.size()),
        snapshot.toJson()};
    history::appendHistory(db, user, entry);
    transaction.commit();
}

int approveNotice(QSqlDatabase db, const UserRecord &user, const QString &id, int revision, const QString &reason)
{
    return review(db, user, id, revision, reason, codes::StateApproved, kNoOwnApproval, history::kApproved);
}

int rejectNotice(QSqlDatabase db, const UserRecord &user, const QString &id, int revision, const QString &reason)
{
    return review(db, user, id, revision, reason, codes::StateRejected, kNoOwnRejection, history::kRejected);
}
