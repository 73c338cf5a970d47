#pragma once
// The history of one notice, newest first: the rows the history window lists,
// and the report printed from it (report/history.frf) with its CSV table.

#include "report/report.h"

#include <QDateTime>
#include <QList>
#include <QSqlDatabase>
#include <QString>

namespace finance {

inline const QString kHistoryTemplate = QStringLiteral("report/history.frf");

struct HistoryRow
{
    QDateTime time;
    QString account;
    QString fullName;
    QString action;
    QString stateBefore;  // the state's text; empty when there was no notice
    QString stateAfter;   // empty when the notice was deleted
    QString detail;
};

struct NoticeHistory
{
    QString noticeId;
    QString shipName;  // empty when the notice no longer exists
    QString department;
    QString state;           // the state's text now; "已删除" when deleted
    QList<HistoryRow> rows;  // newest first
};

// Reads the notice and its history. Throws DbError.
NoticeHistory readNoticeHistory(QSqlDatabase db, const QString &noticeId);

// The report of the history: the notice as dataset "notice" (current row:
// id, shipname, department, state, printed), the rows as dataset "history"
// (time, account, fullname, action, before, after, detail), and the same rows
// as the CSV table.
Report buildHistoryReport(const NoticeHistory &history);

// The column titles of the list and of the CSV table.
QStringList historyColumnTitles();

}  // namespace finance
