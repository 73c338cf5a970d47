#pragma once
// Notice dates on the embedded file are text: the program writes them as
// 2025-04-04T09:30:00.000, and reads, sorts and counts them by months in that
// form. A database brought from elsewhere may hold other forms
// (2025/4/4 9:30:00): those written year first are rewritten in the
// program's form by the upgrade; any other form is reported for the
// administrator to mend, since 4/5/2025 may be April or May. A server's date
// columns hold dates, not texts, and have nothing of this.

#include <QList>
#include <QSqlDatabase>
#include <QString>

struct StoredDate
{
    QString noticeId;
    QString text;      // as stored
    QString repaired;  // in the program's form; empty when it cannot be read unambiguously
};

// The program's form of a date written year first (2025/4/4 9:30:00,
// 2025-04-04 09:30, 2025.4.4); empty for any other text or an impossible date.
QString standardDateText(const QString &text);

// The notices whose date is not in the program's form, by notice number.
// Throws DbError.
QList<StoredDate> nonStandardNoticeDates(QSqlDatabase db);

// Writes the repaired form of each date that has one. Call it inside a
// transaction. Throws DbError.
void storeRepairedDates(QSqlDatabase db, const QList<StoredDate> &dates);
