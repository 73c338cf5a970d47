#include "notice_history_report.h"

#include "report_rows.h"

#include "app/codes.h"
#include "db/notice_history.h"
#include "db/sql_statement.h"

#include <QDir>
#include <QSqlQuery>

namespace finance {

namespace {

QString stateTextOf(const QVariant &status)
{
    return status.isNull() ? QString() : codes::stateText(status.toInt());
}

const QString kTimeFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss");

}  // namespace

QStringList historyColumnTitles()
{
    return {QStringLiteral("时间"),   QStringLiteral("账号"),   QStringLiteral("姓名"), QStringLiteral("操作"),
            QStringLiteral("原状态"), QStringLiteral("新状态"), QStringLiteral("说明")};
}

NoticeHistory readNoticeHistory(QSqlDatabase db, const QString &noticeId)
{
    NoticeHistory history;
    history.noticeId = noticeId;
    QSqlQuery notice = runStatement(db, QStringLiteral("select shipname,department,status from notice where ID=?"),
                                    {noticeId});
    if (notice.next()) {
        history.shipName = notice.value(0).toString();
        history.department = notice.value(1).toString();
        history.state = stateTextOf(notice.value(2));
    } else {
        history.state = QStringLiteral("已删除");
    }
    notice.finish();

    QSqlQuery q = runStatement(db, history::kHistoryOfNotice, {noticeId});
    while (q.next()) {
        HistoryRow row;
        row.time = q.value(0).toDateTime();
        row.account = q.value(1).toString();
        row.fullName = q.value(2).toString();
        row.action = q.value(3).toString();
        row.stateBefore = q.isNull(4) ? QString() : stateTextOf(q.value(4));
        row.stateAfter = q.isNull(5) ? QString() : stateTextOf(q.value(5));
        row.detail = q.value(6).toString();
        history.rows << row;
    }
    return history;
}

Report buildHistoryReport(const NoticeHistory &history)
{
    ReportRows notice{
        {computedRecord({{QStringLiteral("id"), history.noticeId},
                         {QStringLiteral("shipname"), history.shipName},
                         {QStringLiteral("department"), history.department},
                         {QStringLiteral("state"), history.state},
                         {QStringLiteral("printed"), QDateTime::currentDateTime().toString(kTimeFormat)}})},
        0};
    ReportRows rows;
    ReportTable table;
    table.rows << historyColumnTitles();
    for (const HistoryRow &row : history.rows) {
        const QString time = row.time.toString(kTimeFormat);
        rows.records << computedRecord({{QStringLiteral("time"), time},
                                        {QStringLiteral("account"), row.account},
                                        {QStringLiteral("fullname"), row.fullName},
                                        {QStringLiteral("action"), row.action},
                                        {QStringLiteral("before"), row.stateBefore},
                                        {QStringLiteral("after"), row.stateAfter},
                                        {QStringLiteral("detail"), row.detail}});
        table.rows << QStringList{time,           row.account, row.fullName, row.action, row.stateBefore,
                                  row.stateAfter, row.detail};
    }
    rows.current = rows.records.isEmpty() ? -1 : 0;

    Report report;
    report.setDataset(QStringLiteral("notice"), fixedRows(notice), ReportRange::CurrentRow);
    report.setDataset(QStringLiteral("history"), fixedRows(rows), ReportRange::AllRows);
    report.setTable(table);
    report.setExportName(QStringLiteral("通知单历史_%1").arg(history.noticeId));
    report.loadFromFile(QDir::toNativeSeparators(kHistoryTemplate));
    return report;
}

}  // namespace finance
