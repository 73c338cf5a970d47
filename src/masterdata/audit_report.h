#pragma once
// The trail of master data changes as a leader reads it: which sections'
// changes a user may see, the rows of a date range, and the report printed
// from them (report/audit.frf) with its CSV table.

#include "db/master_data_audit.h"
#include "report/report.h"

#include <QDate>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

#include <optional>

struct UserRecord;

namespace masterdata {

inline const QString kAuditTemplate = QStringLiteral("report/audit.frf");

// The sections whose changes the user sees: a section leader the own
// section's (its accounts, its catalogue and, for ship inspection, the name
// lists), the finance leader every section's (an empty list); nobody else
// any (none).
std::optional<QStringList> auditDepartmentsFor(const UserRecord &viewer);

struct AuditView
{
    QDate from;
    QDate to;
    QString scope;  // whose changes, as the window and the report say it
    QList<audit::Row> rows;
};

inline const QString kAuditNotAllowed = QStringLiteral("只有科室领导和财务科领导可以查看修改记录");
inline const QString kAuditRangeReversed = QStringLiteral("开始日期不能晚于结束日期");

// Reads the changes of the days from `from` to `to` that the viewer may see,
// oldest first. Throws UserRefusal (the texts above) or DbError.
AuditView readAuditView(QSqlDatabase db, const UserRecord &viewer, const QDate &from, const QDate &to);

// The columns of the window's list and of the CSV table, and one row's texts.
QStringList auditColumnTitles();
QStringList auditRowTexts(const audit::Row &row);
// The kind of data a table holds, as the list names it ("用户账号", ...).
QString auditTableText(const QString &table);

// The report: the range as dataset "trail" (current row: scope, from, to,
// count, printed), the rows as dataset "changes" (time, account, fullname,
// department, data, row, action, before, after), and the same rows as the
// CSV table.
Report buildAuditReport(const AuditView &view);

}  // namespace masterdata
