#pragma once
// The deleted notices of a section, kept in their history, and bringing one
// back with its number, fee lines and state. For the section's leader only.

#include "db/user_refusal.h"

#include <QDateTime>
#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QVariant>

struct UserRecord;

inline const QString kNoRestoreRight = QStringLiteral("只有科室领导可以恢复本科室已删除的通知单。");
// %1 is the notice number.
inline const QString kRestoreNumberInUse = QStringLiteral(
    "通知单号 %1 已经被另一张通知单使用，这张已删除的通知单不能恢复。");
inline const QString kRestoreGone = QStringLiteral("这张通知单已经被恢复，或者又被删除了，请刷新列表后再操作。");

struct DeletedNotice
{
    qint64 historyId = 0;  // the history row of the deletion
    QString id;
    QDateTime deletedAt;
    QString deletedBy;  // full name
    QString shipName;
    double money = 0;
    QVariant status;  // the state it had
    int lineCount = 0;
};

// Leaders of the two notice sections (roles 4 and 6).
bool mayRestoreNotices(const UserRecord &user);

// The notices of the user's section deleted and not restored since, newest
// deletion first. Empty for a user who may not restore. Throws DbError.
QList<DeletedNotice> deletedNotices(QSqlDatabase db, const UserRecord &user);

// Brings the notice of the deletion back as it was deleted: its number, its
// fields, its state and its fee lines, in one transaction with its history
// row. Throws UserRefusal, changing nothing, when the user may not restore,
// the deletion is no longer the notice's last (kRestoreGone) or the number is
// held by another notice (kRestoreNumberInUse); DbError on a database failure.
// Returns the notice number.
QString restoreNotice(QSqlDatabase db, const UserRecord &user, qint64 historyId);
