#pragma once
// The notice workflow's operations on the shared notice query: create, save,
// start a change, delete, approve and reject. Each checks what it needs, runs
// its statements, and returns or throws; none touches a window.
//
// A store is refused when another workstation changed or deleted the notice
// since it was read (NoticeChangedElsewhere); the user's edit is kept.

#include "db/user_refusal.h"

#include <QString>

class Tdm;
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

// Takes the next serial, inserts the notice in state 1 with the user as
// handler and the workstation's local time to the second (not the database
// server's clock), and opens the notice query on it alone, in editing.
// Returns its number.
QString createNotice(Tdm &dm, const UserRecord &user);

// Every change below is written into the notice's history (db/notice_history.h)
// in the same transaction, as the user.

// Stores the notice in editing; a rejected notice goes back to review (state 1).
// Texts wider than their columns are cut to the column's width in GBK bytes.
// Reopens the notice list with its statement. Throws UserRefusal when the
// notice changed elsewhere (the edit is kept, in editing, on top of the
// stored notice) or was deleted elsewhere (the edit is dropped).
void saveNotice(Tdm &dm, const UserRecord &user);

// Puts the current notice into editing.
void startChange(Tdm &dm);

// Deletes the current notice (its fee lines stay). The notice and its lines
// are kept in its history, from where the section leader can restore it. The
// list keeps its other rows. Throws UserRefusal when the notice changed since
// it was listed.
void deleteNotice(Tdm &dm, const UserRecord &user);

inline const QString kNoOwnApproval = QStringLiteral("领导不可审核自己经办的通知单,请其他领导审核");
inline const QString kNoOwnRejection = QStringLiteral("领导不可驳回自己经办的通知单,请其他领导驳回");

// Approve (state 2) or reject (state -1) the current notice as the user, with
// the reason as typed. Refused for one's own notice. Reopens the list.
void approveNotice(Tdm &dm, const UserRecord &user, const QString &reason);
void rejectNotice(Tdm &dm, const UserRecord &user, const QString &reason);

// The section prefix of the role followed by the six-digit serial.
QString noticeNumber(int typeId, int serial);
