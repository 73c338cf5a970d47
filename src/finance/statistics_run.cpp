#include "statistics_run.h"

#include "app/codes.h"
#include "app/current_user.h"
#include "db/connection.h"
#include "db/db_error.h"
#include "db/notice_history.h"
#include "db/sql_dialect.h"
#include "db/sql_statement.h"
#include "db/transaction.h"
#include "db/user_refusal.h"

#include <QElapsedTimer>
#include <QHash>
#include <QMap>
#include <QSqlQuery>
#include <QStringList>
#include <QThread>

#include <array>
#include <cmath>
#include <optional>

namespace finance {

namespace {

const QString kUnknownKind = QStringLiteral("未知检验");

using MonthSums = std::array<qint64, 12>;
// (year, section or kind) -> per month: cents in statistic, counts in statistic2.
using Totals = QMap<QPair<QString, QString>, MonthSums>;

struct ReadNotices
{
    QStringList ids;
    Totals money;
    Totals counts;
};

void report(const StatisticsHooks &hooks, StatisticsPhase phase, int done, int total)
{
    if (hooks.progress && !hooks.progress(phase, done, total))
        throw StatisticsCancelled();
}

// Takes the lock that keeps a second run out; false when another run held it
// for longer than the database waits.
bool lockAgainstOtherRuns(QSqlDatabase db, const SqlDialect &dialect)
{
    for (const QString &sql : dialect.lockCounterRowStatements()) {
        // Forward-only, and the row fetched: a scrollable query would go
        // through a server cursor, whose lock is not held as a plain select's.
        QSqlQuery q(db);
        q.setForwardOnly(true);
        if (q.exec(sql)) {
            if (q.isSelect())
                q.next();
            q.finish();
            continue;
        }
        if (dialect.isLockTimeout(q.lastError()))
            return false;
        throw DbError(q.lastError());
    }
    return true;
}

// Gives the connection its own lock wait back. Nothing is left to undo when
// that fails: the connection broke, and a new one starts with its own.
struct LockWaitRestore
{
    QSqlDatabase db;
    const SqlDialect &dialect;
    ~LockWaitRestore()
    {
        if (!db.isOpen())
            return;
        for (const QString &sql : dialect.restoreLockWaitStatements()) {
            QSqlQuery q(db);
            q.setForwardOnly(true);
            q.exec(sql);
        }
    }
};

ReadNotices readPending(QSqlDatabase db, const SqlDialect &dialect, int expected, const StatisticsHooks &hooks)
{
    ReadNotices read;
    QSqlQuery q = runStatement(db, dialect.statisticsPendingStatement());
    // The same year text is a key of many notices: make it once.
    QHash<int, QString> yearTexts;
    int done = 0;
    while (q.next()) {
        const QString id = q.value(0).toString();
        if (q.value(1).isNull() && q.value(6).isNull())
            throw UserRefusal(QStringLiteral("通知单%1没有日期，无法统计").arg(id));
        // A date written in a form the program does not read (brought from
        // elsewhere): shown as stored, for the administrator to mend.
        if (q.value(1).isNull())
            throw UserRefusal(QStringLiteral("通知单%1的日期“%2”无法识别，无法统计").arg(id, q.value(6).toString()));
        const int yearMonth = q.value(1).toInt();
        const int year = yearMonth / 100;
        const int month = yearMonth % 100;
        if (month < 1 || month > 12)
            throw UserRefusal(QStringLiteral("通知单%1的日期无法识别，无法统计").arg(id));
        auto yearText = yearTexts.find(year);
        if (yearText == yearTexts.end())
            yearText = yearTexts.insert(year, QString::number(year));
        // Amounts are kept in whole cents so that the sums are exact whatever
        // the number and order of the notices.
        const qint64 cents = std::llround(q.value(5).toDouble() * 100.0);
        read.money[{*yearText, q.value(2).toString()}][month - 1] += cents;
        read.counts[{*yearText, inspectionKind(q.value(3).toString(), q.value(4).toString())}][month - 1] += 1;
        read.ids << id;
        if (++done % 2000 == 0)
            report(hooks, StatisticsPhase::Reading, done, qMax(expected, done));
    }
    return read;
}

// Adds the month sums to the row of the table, creating the row first when
// it is missing. Money is added in cents and rounded back to two decimals,
// so the stored column stays the exact sum.
void addToRow(QSqlDatabase db, const SqlDialect &dialect, const QString &table, const QString &keyColumn,
              const QPair<QString, QString> &key, const MonthSums &sums, bool money)
{
    const Statement insert = dialect.insertIfMissing(table, {QStringLiteral("year"), keyColumn},
                                                     {key.first, key.second});
    runStatement(db, insert.sql, insert.values);

    const Statement add = dialect.statisticsAddStatement(table, keyColumn, key.first, key.second,
                                                         QList<qint64>(sums.cbegin(), sums.cend()), money);
    if (add.sql.isEmpty())
        return;
    QSqlQuery q = runStatement(db, add);
    if (q.numRowsAffected() != 1)
        throw DbError(QStringLiteral("The %1 row of %2 %3 could not be written.").arg(table, key.first, key.second));
}

}  // namespace

QString inspectionKind(const QString &checkType, const QString &checkContent)
{
    if (checkType == codes::kBuildInspection)
        return codes::kBuildInspection;
    if (checkType == codes::kOtherInspection)
        return codes::kOtherInspection;
    if (checkType == codes::kRunInspection) {
        static const QStringList kinds{QStringLiteral("年度检验"), QStringLiteral("中间检验"),
                                       QStringLiteral("临时检验"), QStringLiteral("特别检验")};
        if (kinds.contains(checkContent))
            return checkContent;
    }
    return kUnknownKind;
}

int pendingNoticeCount(QSqlDatabase db)
{
    QSqlQuery q = runStatement(db, SqlDialect(db).statisticsPendingCountStatement());
    return q.next() ? q.value(0).toInt() : 0;
}

StatisticsResult runStatistics(QSqlDatabase db, const UserRecord &user, const StatisticsHooks &hooks)
{
    const SqlDialect dialect(db);
    const int expected = pendingNoticeCount(db);
    report(hooks, StatisticsPhase::Reading, 0, expected);

    // The lock is taken first: a second run waits here, and then reads what
    // this one left. A wait that ends without the lock is tried again from a
    // new transaction (an embedded database gives up its waits early), up to
    // a minute in all. The connection's own lock wait comes back once the
    // transaction has ended, however it ends (declared first, so it goes last).
    const LockWaitRestore restore{db, dialect};
    std::optional<Transaction> transaction;
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        transaction.emplace(db);
        if (lockAgainstOtherRuns(db, dialect))
            break;
        transaction.reset();
        if (waited.elapsed() > 60000)
            throw UserRefusal(QStringLiteral("另一工作站正在进行统计，请稍后再试"));
        report(hooks, StatisticsPhase::Reading, 0, expected);
        QThread::msleep(50);
    }
    const ReadNotices read = readPending(db, dialect, expected, hooks);
    const int counted = int(read.ids.size());
    report(hooks, StatisticsPhase::Reading, counted, counted);

    const auto step = [&hooks](const QString &name) {
        if (hooks.beforeWrite)
            hooks.beforeWrite(name);
    };
    const int writes = int(read.money.size() + read.counts.size()) + 2;
    int written = 0;
    report(hooks, StatisticsPhase::Writing, written, writes);
    for (auto it = read.money.cbegin(); it != read.money.cend(); ++it) {
        step(QStringLiteral("statistic"));
        addToRow(db, dialect, QStringLiteral("statistic"), QStringLiteral("department"), it.key(), it.value(), true);
        report(hooks, StatisticsPhase::Writing, ++written, writes);
    }
    for (auto it = read.counts.cbegin(); it != read.counts.cend(); ++it) {
        step(QStringLiteral("statistic2"));
        addToRow(db, dialect, QStringLiteral("statistic2"), QStringLiteral("type"), it.key(), it.value(), false);
        report(hooks, StatisticsPhase::Writing, ++written, writes);
    }

    // Exactly the notices read are archived: one that reached state 5 since
    // waits for the next run, and one that left state 5 since (a bill voided
    // meanwhile) makes the run void, since its amount was counted.
    QDateTime now = QDateTime::currentDateTime();
    now.setTime(QTime(now.time().hour(), now.time().minute(), now.time().second()));
    step(QStringLiteral("notice"));
    if (counted > 0) {
        const QString chosen = dialect.statisticsChosenCondition();
        const QVariantList ids{dialect.textListValue(read.ids)};
        // The history of the archived notices, in one statement for all of
        // them, before their state moves on.
        step(QStringLiteral("notice_history"));
        const int recorded = history::appendHistoryForNotices(
            db, user, history::kCounted, codes::StateBilled, codes::StateArchived,
            QStringLiteral("统计时间 %1").arg(now.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))), chosen, ids);
        QSqlQuery q = runStatement(db, dialect.statisticsArchiveStatement(), ids);
        if (q.numRowsAffected() != counted || recorded != counted)
            throw UserRefusal(QStringLiteral("统计期间有通知单被修改，本次统计未生效，请重新统计"));
    }
    report(hooks, StatisticsPhase::Writing, ++written, writes);

    step(QStringLiteral("counter"));
    runStatement(db, dialect.statisticsTimeStatement(), {now});
    report(hooks, StatisticsPhase::Writing, ++written, writes);

    transaction->commit();
    return {counted, now};
}

}  // namespace finance
