#pragma once
// The trail of changes to the master data: accounts, their rights and roles,
// the fee item catalogues and their order, and the name lists. One row per
// change (who, when, which row of which table, the values before and after as
// text), written in the transaction of the change itself, so a change that is
// refused or rolled back leaves no row and a row that cannot be written undoes
// the change. A password never enters it.

#include "notice_history.h"

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

namespace audit {

// The actions, as the trail shows them.
inline const QString kAdded = QStringLiteral("增加");
inline const QString kChanged = QStringLiteral("修改");
inline const QString kDeleted = QStringLiteral("删除");
inline const QString kMovedUp = QStringLiteral("上移");
inline const QString kMovedDown = QStringLiteral("下移");
inline const QString kPasswordReset = QStringLiteral("重置密码");

// The width of the value columns; longer texts are cut.
constexpr int kValuesLength = 255;

struct Change
{
    QString department;  // the section whose data changed: who may see the row
    QString table;       // person, itemcj, itemcw, company, buildtype, runtype, othertype
    QString rowKey;      // the row's login name or name
    QString action;
    QString before;  // the values before, "列：值" joined; empty for an added row
    QString after;   // the values after; empty for a deleted row
};

// Appends one row for the actor. Call it inside the Transaction of the
// change. Throws DbError when the row cannot be written.
void appendChange(QSqlDatabase db, const history::Actor &actor, const Change &change);

struct Row
{
    QDateTime time;
    QString account;
    QString fullName;
    QString department;
    QString table;
    QString rowKey;
    QString action;
    QString before;
    QString after;
};

// The rows from the first day to the last (both whole days), oldest first;
// only those of the departments given, or all when `departments` is empty.
// Throws DbError.
QList<Row> readChanges(QSqlDatabase db, const QDate &from, const QDate &to, const QStringList &departments);

}  // namespace audit
