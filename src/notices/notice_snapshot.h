#pragma once
// A notice and its fee lines as they were stored, kept as JSON text in the
// history row of its deletion, and written back when the notice is restored.

#include <QJsonObject>
#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QVariant>

struct NoticeSnapshot
{
    QJsonObject notice;        // column name (lower case) -> value
    QList<QJsonObject> lines;  // the fee lines, in their order, without their keys

    QString id() const;
    QString department() const;
    QVariant status() const;
    double money() const;
    int revision() const;

    QString toJson() const;
    // Empty (no notice) when the text is not a snapshot.
    static NoticeSnapshot fromJson(const QString &text);
};

// The notice with its lines as stored now (empty when there is no such notice).
// Throws DbError.
NoticeSnapshot readNoticeSnapshot(QSqlDatabase db, const QString &noticeId);

// Inserts the notice of the snapshot with the given revision and replaces
// whatever fee lines are stored under its number by those of the snapshot.
// Columns the snapshot has but the tables no longer have are left out. Throws
// DuplicateKey when the number is taken, DbError otherwise.
void writeNoticeSnapshot(QSqlDatabase db, const NoticeSnapshot &snapshot, int revision);
