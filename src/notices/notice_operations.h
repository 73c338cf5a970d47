#pragma once
// The notice workflow's operations: create, save, delete, approve and reject.
// Each takes the connection, the notice's number and what the window read
// and holds, checks what it needs, runs its statements in one transaction
// with the notice's history row (app/notice_history.h), and returns its
// result or throws. None touches a query or a window: the main window
// reopens its list afterwards.
//
// A change is stored only over the notice as it was read: the revision read
// is compared with the stored one, so that a change another workstation
// stored meanwhile is never overwritten (NoticeNotStored).

#include "db/user_refusal.h"

#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariant>

struct UserRecord;

inline const QString kChangedElsewhere = QStringLiteral(
    "该通知单已被其他工作站修改，您的修改未保存。通知单已刷新为最新内容，"
    "您所做的修改仍保留在编辑区中，请核对后再次保存。");
inline const QString kDeletedElsewhere = QStringLiteral("该通知单已被其他工作站删除，您的修改无法保存。");
inline const QString kNoticeInUse = QStringLiteral(
    "另一个工作站正在使用这张通知单，请稍后再保存。您的修改仍保留在编辑区中。");
// %1 is the notice number.
inline const QString kNumberTaken = QStringLiteral(
    "通知单号 %1 已经被另一张通知单使用，没有新建通知单，原有的通知单没有改动。请再按一次“新建”。");
inline const QString kReviewChangedElsewhere = QStringLiteral(
    "该通知单已被其他工作站修改，请核对刷新后的通知单后重新操作。");
inline const QString kNoOwnApproval = QStringLiteral("领导不可审核自己经办的通知单,请其他领导审核");
inline const QString kNoOwnRejection = QStringLiteral("领导不可驳回自己经办的通知单,请其他领导驳回");

// Nothing was stored because of another workstation: it changed the notice
// since it was read, deleted it, or holds it longer than the lock wait. The
// window decides what becomes of the edit (refresh it, drop it, keep it).
class NoticeNotStored : public UserRefusal
{
public:
    enum class Why { Changed, Deleted, InUse };
    NoticeNotStored(const QString &message, Why why) : UserRefusal(message), m_why(why) {}
    Why why() const { return m_why; }

private:
    Why m_why;
};

// The section prefix of the role followed by the six-digit serial.
QString noticeNumber(int typeId, int serial);

// Takes the next serial (the counter advances also when the notice is then
// not stored) and inserts the notice in state 1 with the user as handler and
// the workstation's local time to the second (not the database server's
// clock), with its history row. Returns its number. Throws UserRefusal
// (kNumberTaken) when the number is another notice's already.
QString createNotice(QSqlDatabase db, const UserRecord &user);

// The fields of a notice that the main window edits, as it holds them; a
// null value where the notice has none.
struct NoticeFields
{
    QVariant shipname;
    QVariant company;
    QVariant checktype;
    QVariant checkcontent;
    QVariant dengji;
    QVariant peixun;
    QVariant gongbenfei;
    QVariant neibuziliao;
    QVariant money;  // as the fee-line editor wrote it
    QVariant leader;
    QVariant memoBadcheck;

    // The notice columns, in this order.
    static const QStringList &columns();
    QVariant value(const QString &column) const;
    void setValue(const QString &column, const QVariant &value);
};

// A notice changed in the main window: the notice it lies on (its revision
// and state when it was read, or when a refused save refreshed it) and its
// fields then and now.
struct NoticeEdit
{
    QString id;
    int revision = 0;
    QVariant status;
    NoticeFields read;
    NoticeFields edited;
};

// The notice as stored now, for an edit that starts from it (read and edited
// alike). Empty id when there is no such notice. Throws DbError.
NoticeEdit readNoticeEdit(QSqlDatabase db, const QString &id);

struct SavedNotice
{
    int revision = 0;
    int status = 0;
    double money = 0;  // the sum of its counting lines, as stored with it
};

// Stores the changed fields of the notice; a rejected notice goes back to
// review (state 1). Texts wider than their columns are cut to the column's
// width in GBK bytes. The amount is stored again from the lines, with the
// flags as they are stored now. Throws NoticeNotStored, storing nothing,
// when the notice changed (kChangedElsewhere) or was deleted
// (kDeletedElsewhere) since it was read, or another workstation holds it
// (kNoticeInUse). A save that changes no field is not refused for a change
// elsewhere: it only writes its history row and the amount.
SavedNotice saveNotice(QSqlDatabase db, const UserRecord &user, const NoticeEdit &edit);

// Deletes the notice (its fee lines stay). The notice and its lines are kept
// in its history, from where the section leader can restore it. Throws
// UserRefusal (kReviewChangedElsewhere), deleting nothing, when the notice
// changed or was deleted since it was read.
void deleteNotice(QSqlDatabase db, const UserRecord &user, const QString &id, int revision);

// Approve (state 2) or reject (state -1) the notice as the user, with the
// reason as typed (cut to its width; stored only when it differs from the
// stored one). Refused for one's own notice (kNoOwnApproval,
// kNoOwnRejection, nothing stored). Throws NoticeNotStored when the notice
// changed since it was read (kReviewChangedElsewhere), was deleted
// (kDeletedElsewhere) or another workstation holds it (kNoticeInUse). Returns
// the notice's new revision.
int approveNotice(QSqlDatabase db, const UserRecord &user, const QString &id, int revision, const QString &reason);
int rejectNotice(QSqlDatabase db, const UserRecord &user, const QString &id, int revision, const QString &reason);
