#include "notice_history.h"

#include "sql_statement.h"

#include <QDateTime>
#include <QHash>
#include <QSqlQuery>

namespace history {

namespace {

const QString kColumns = QStringLiteral(
    "ID,acted_at,account,fullname,department,action,state_before,state_after,detail");

QString cut(const QString &text)
{
    return text.size() > kDetailLength ? text.left(kDetailLength) : text;
}

}  // namespace

void lockNotice(QSqlDatabase db, const QString &noticeId)
{
    runStatement(db, QStringLiteral("update notice set revision=revision where ID=?"), {noticeId}).finish();
}

QDateTime historyTime()
{
    QDateTime now = QDateTime::currentDateTime();
    now.setTime(QTime(now.time().hour(), now.time().minute(), now.time().second()));
    return now;
}

void appendHistory(QSqlDatabase db, const Actor &actor, const Entry &entry)
{
    lockNotice(db, entry.noticeId);
    const QVariant noState;  // null: no notice before or after
    QVariantList values{entry.noticeId,
                        historyTime(),
                        actor.account,
                        actor.fullName,
                        entry.department,
                        entry.action,
                        entry.stateBefore.isValid() ? entry.stateBefore : noState,
                        entry.stateAfter.isValid() ? entry.stateAfter : noState,
                        cut(entry.detail)};
    QString sql = QStringLiteral("insert into notice_history (%1) values (?,?,?,?,?,?,?,?,?)").arg(kColumns);
    if (!entry.snapshot.isEmpty()) {
        sql = QStringLiteral("insert into notice_history (%1,snapshot) values (?,?,?,?,?,?,?,?,?,?)").arg(kColumns);
        values << entry.snapshot;
    }
    runStatement(db, sql, values).finish();
}

int appendHistoryForNotices(QSqlDatabase db, const Actor &actor, const QString &action, int stateBefore, int stateAfter,
                            const QString &detail, const QString &condition, const QVariantList &conditionValues)
{
    QVariantList values{historyTime(), actor.account, actor.fullName, action, stateBefore, stateAfter, cut(detail)};
    values << conditionValues;
    QSqlQuery q = runStatement(db,
                               QStringLiteral("insert into notice_history (%1) select ID,?,?,?,department,?,?,?,? "
                                              "from notice where %2")
                                   .arg(kColumns, condition),
                               values);
    const int written = q.numRowsAffected();
    q.finish();
    return written;
}

QString changedFieldsText(const QStringList &columns)
{
    static const QList<QPair<QString, QString>> labels{
        {QStringLiteral("shipname"), QStringLiteral("缴费单位")},
        {QStringLiteral("checktype"), QStringLiteral("检验类型")},
        {QStringLiteral("checkcontent"), QStringLiteral("检验内容")},
        {QStringLiteral("company"), QStringLiteral("记帐单位")},
        {QStringLiteral("dengji"), QStringLiteral("登记")},
        {QStringLiteral("peixun"), QStringLiteral("船员培训、申验、考试")},
        {QStringLiteral("gongbenfei"), QStringLiteral("工本费")},
        {QStringLiteral("neibuziliao"), QStringLiteral("内部资料费")},
        {QStringLiteral("money"), QStringLiteral("合计金额")},
        {QStringLiteral("memo_badcheck"), QStringLiteral("驳回理由")},
    };
    QStringList named;
    // In the order of the window, whatever order the columns came in.
    for (const auto &[column, label] : labels)
        if (columns.contains(column, Qt::CaseInsensitive))
            named << label;
    return named.isEmpty() ? QStringLiteral("未修改") : QStringLiteral("修改：") + named.join(QStringLiteral("、"));
}

QString amountText(double amount)
{
    return QString::number(amount, 'f', 2);
}

}  // namespace history
