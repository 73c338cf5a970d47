#include "workday_checks.h"

#include "app/codes.h"
#include "db/notice_history.h"
#include "db/sql_statement.h"
#include "fees/notice_total.h"
#include "finance/statistics_run.h"

#include <QSqlQuery>
#include <QSqlRecord>
#include <cmath>

namespace workday {

namespace {

// Faults beyond this many per check are counted, not listed.
constexpr int kListedFaults = 12;

void fault(Check &check, const QString &text)
{
    if (check.faults.size() < kListedFaults)
        check.faults << text;
    else if (check.faults.size() == kListedFaults)
        check.faults << QStringLiteral("...");
}

qint64 cents(double amount)
{
    return std::llround(amount * 100.0);
}

QString stateText(const QVariant &state)
{
    return state.isNull() ? QString() : QString::number(state.toInt());
}

// The history action each stored operation writes, with the state after it.
const QHash<QString, QString> &actionOf()
{
    static const QHash<QString, QString> actions{
        {kNew, history::kCreated},     {kSave, history::kSaved},     {kApprove, history::kApproved},
        {kReject, history::kRejected}, {kPrint, history::kPrinted},  {kIssueBill, history::kBilled},
        {kVoidBill, history::kVoided}, {kDelete, history::kDeleted},
    };
    return actions;
}

struct Notice
{
    int status = 0;
    QString shipName;
    double money = 0;
    QString billcode;
    QString department;
    QString checkType;
    QString checkContent;
    int yearMonth = 0;
};

struct HistoryRow
{
    QString action;
    QString account;
    QVariant before;
    QVariant after;
};

QHash<QString, Notice> readNotices(QSqlDatabase db)
{
    QHash<QString, Notice> notices;
    QSqlQuery q = runStatement(db, QStringLiteral("select ID,status,shipname,money,billcode,department,checktype,"
                                                  "checkcontent,cast(extract(year from Rdate) * 100 + "
                                                  "extract(month from Rdate) as integer) from notice"));
    while (q.next()) {
        Notice n;
        n.status = q.value(1).toInt();
        n.shipName = q.value(2).toString();
        n.money = q.value(3).toDouble();
        n.billcode = q.value(4).toString();
        n.department = q.value(5).toString();
        n.checkType = q.value(6).toString();
        n.checkContent = q.value(7).toString();
        n.yearMonth = q.value(8).toInt();
        notices.insert(q.value(0).toString(), n);
    }
    return notices;
}

// Every notice's history, oldest first.
QHash<QString, QList<HistoryRow>> readHistory(QSqlDatabase db)
{
    QHash<QString, QList<HistoryRow>> rows;
    QSqlQuery q = runStatement(
        db, QStringLiteral("select ID,action,account,state_before,state_after from notice_history order by historyid"));
    while (q.next())
        rows[q.value(0).toString()] << HistoryRow{q.value(1).toString(), q.value(2).toString(), q.value(3), q.value(4)};
    return rows;
}

Check numbersOnce(QSqlDatabase db, const QList<Record> &records, const DayStart &start,
                  const QHash<QString, Notice> &notices)
{
    Check check{QStringLiteral("no notice number or bill number given twice"), {}};
    QHash<QString, int> created;
    QHash<QString, QString> bills;  // bill number -> notice
    for (const Record &r : records) {
        if (r.outcome != Outcome::Stored)
            continue;
        if (r.operation == kNew) {
            if (++created[r.notice] == 2)
                fault(check, QStringLiteral("notice %1 created twice").arg(r.notice));
            if (start.noticeStates.contains(r.notice))
                fault(check, QStringLiteral("notice %1 created over an existing one").arg(r.notice));
        } else if (r.operation == kIssueBill) {
            if (bills.contains(r.detail))
                fault(check, QStringLiteral("bill %1 issued to %2 and %3").arg(r.detail, bills[r.detail], r.notice));
            bills.insert(r.detail, r.notice);
            const auto n = notices.constFind(r.notice);
            if (n == notices.cend() || n->billcode != r.detail)
                fault(check,
                      QStringLiteral("bill %1 issued to %2, which holds %3")
                          .arg(r.detail, r.notice, n == notices.cend() ? QStringLiteral("nothing") : n->billcode));
        }
    }
    QSqlQuery q = runStatement(db, QStringLiteral("select billcode, count(*) from notice where billcode<>'' "
                                                  "group by billcode having count(*) > 1"));
    while (q.next())
        fault(check, QStringLiteral("bill %1 on %2 notices").arg(q.value(0).toString(), q.value(1).toString()));
    return check;
}

Check noLostUpdate(QSqlDatabase db, const QList<Record> &records, const DayStart &start,
                   const QHash<QString, Notice> &notices, const QHash<QString, QList<HistoryRow>> &history)
{
    Check check{QStringLiteral("no lost update: every store in the database or refused to its workstation"), {}};

    // What the workstations stored against what the history holds, change
    // by change: a store that left no trace, or a trace of a store that its
    // workstation was told was refused, shows here.
    QHash<QString, int> balance;  // notice|action|account|state after
    const auto key = [](const QString &notice, const QString &action, const QString &account, const QString &state) {
        return QStringList{notice, action, account, state}.join(QLatin1Char('|'));
    };
    QHash<QString, QString> lastShipName;  // only the notice's own clerk types it
    QHash<QString, QString> lastAmount;    // line -> amount computed last
    for (const Record &r : records) {
        if (r.outcome != Outcome::Stored)
            continue;
        if (actionOf().contains(r.operation))
            ++balance[key(r.notice, actionOf()[r.operation], r.account, r.state)];
        if (r.operation == kSave)
            lastShipName[r.notice] = r.detail;
        else if (r.operation == kComputeLine)
            lastAmount[r.detail.section(QLatin1Char('='), 0, 0)] = r.detail.section(QLatin1Char('='), 1);
    }
    const QList<QString> actions = actionOf().values();
    for (auto it = history.cbegin(); it != history.cend(); ++it)
        for (const HistoryRow &row : it.value())
            if (actions.contains(row.action))
                --balance[key(it.key(), row.action, row.account, stateText(row.after))];
    for (auto it = balance.cbegin(); it != balance.cend(); ++it) {
        if (it.value() > 0)
            fault(check, QStringLiteral("stored but not in the history: %1").arg(it.key()));
        else if (it.value() < 0)
            fault(check, QStringLiteral("in the history but not stored by any workstation: %1").arg(it.key()));
    }

    for (auto it = notices.cbegin(); it != notices.cend(); ++it) {
        if (start.noticeStates.contains(it.key()))
            continue;
        const QString expected = lastShipName.value(it.key());
        if (it->shipName != expected)
            fault(check, QStringLiteral("notice %1 holds ship name \"%2\", last stored \"%3\"")
                             .arg(it.key(), it->shipName, expected));
        const double lines = fees::countingTotal(db, it.key());
        if (cents(lines) != cents(it->money))
            fault(check, QStringLiteral("notice %1 holds %2, its lines add up to %3")
                             .arg(it.key(), QString::number(it->money, 'f', 2), QString::number(lines, 'f', 2)));
    }
    QSqlQuery q = runStatement(db, QStringLiteral("select lineid, money from itemofnotice"));
    while (q.next()) {
        const QString line = q.value(0).toString();
        const auto expected = lastAmount.constFind(line);
        if (expected != lastAmount.cend() && cents(q.value(1).toDouble()) != cents(expected->toDouble()))
            fault(check, QStringLiteral("line %1 holds %2, last computed %3")
                             .arg(line, QString::number(q.value(1).toDouble(), 'f', 2), *expected));
    }
    return check;
}

Check countedOnce(QSqlDatabase db, const QList<Record> &records, const DayStart &start,
                  const QHash<QString, Notice> &notices, const QHash<QString, QList<HistoryRow>> &history)
{
    Check check{QStringLiteral("every counted notice counted exactly once"), {}};
    int reported = 0;
    int runs = 0;
    for (const Record &r : records)
        if (r.operation == kStatistics && r.outcome == Outcome::Stored) {
            reported += r.detail.toInt();
            ++runs;
        }
    if (runs == 0)
        fault(check, QStringLiteral("no statistics run stored its counts"));

    StatisticsTables expected = start.statistics;
    QSet<QString> countedIds;
    int counted = 0;
    for (auto it = history.cbegin(); it != history.cend(); ++it) {
        int times = 0;
        for (const HistoryRow &row : it.value())
            times += row.action == history::kCounted ? 1 : 0;
        if (times == 0)
            continue;
        counted += times;
        countedIds.insert(it.key());
        if (times > 1)
            fault(check, QStringLiteral("notice %1 counted %2 times").arg(it.key()).arg(times));
        const auto n = notices.constFind(it.key());
        if (n == notices.cend()) {
            fault(check, QStringLiteral("counted notice %1 is gone").arg(it.key()));
            continue;
        }
        if (n->status != codes::StateArchived)
            fault(check, QStringLiteral("counted notice %1 is in state %2").arg(it.key()).arg(n->status));
        const QString year = QString::number(n->yearMonth / 100);
        const int month = n->yearMonth % 100 - 1;
        expected.money[{year, n->department}][month] += times * cents(n->money);
        expected.counts[{year, finance::inspectionKind(n->checkType, n->checkContent)}][month] += times;
    }
    if (counted != reported)
        fault(check,
              QStringLiteral("the runs reported %1 notices counted, the history holds %2").arg(reported).arg(counted));
    for (auto it = notices.cbegin(); it != notices.cend(); ++it)
        if (it->status == codes::StateArchived && start.noticeStates.value(it.key()) != codes::StateArchived
            && !countedIds.contains(it.key()))
            fault(check, QStringLiteral("notice %1 archived without being counted").arg(it.key()));

    const StatisticsTables stored = readStatistics(db);
    const auto compare = [&](const auto &want, const auto &have, const QString &table) {
        QSet<QPair<QString, QString>> keys;
        for (auto it = want.cbegin(); it != want.cend(); ++it)
            keys.insert(it.key());
        for (auto it = have.cbegin(); it != have.cend(); ++it)
            keys.insert(it.key());
        for (const auto &k : keys) {
            const std::array<qint64, 12> zero{};
            const auto w = want.value(k, zero);
            const auto h = have.value(k, zero);
            for (int m = 0; m < 12; ++m)
                if (w[m] != h[m])
                    fault(check, QStringLiteral("%1 %2 %3 month %4 holds %5, the counted notices give %6")
                                     .arg(table, k.first, k.second)
                                     .arg(m + 1)
                                     .arg(h[m])
                                     .arg(w[m]));
        }
    };
    compare(expected.money, stored.money, QStringLiteral("statistic (cents)"));
    compare(expected.counts, stored.counts, QStringLiteral("statistic2"));
    return check;
}

Check historyMatchesState(const DayStart &start, const QHash<QString, Notice> &notices,
                          const QHash<QString, QList<HistoryRow>> &history)
{
    Check check{QStringLiteral("every notice's history leads to its current state"), {}};
    QSet<QString> ids;
    for (auto it = notices.cbegin(); it != notices.cend(); ++it)
        ids.insert(it.key());
    for (auto it = history.cbegin(); it != history.cend(); ++it)
        ids.insert(it.key());
    for (const QString &id : std::as_const(ids)) {
        const QList<HistoryRow> rows = history.value(id);
        const bool existed = start.noticeStates.contains(id);
        // The state before each change must be the state after the one before.
        QString state = existed ? QString::number(start.noticeStates.value(id)) : QString();
        bool exists = existed;
        bool unbroken = true;
        for (const HistoryRow &row : rows) {
            if (!exists && row.action != history::kCreated) {
                fault(check, QStringLiteral("%1: %2 of a notice that did not exist").arg(id, row.action));
                unbroken = false;
                break;
            }
            if (stateText(row.before) != state) {
                fault(check, QStringLiteral("%1: %2 by %3 from state %4, but the state was %5")
                                 .arg(id, row.action, row.account, stateText(row.before), state));
                unbroken = false;
                break;
            }
            state = stateText(row.after);
            exists = row.action != history::kDeleted;
        }
        const auto n = notices.constFind(id);
        if (!unbroken) {
            continue;
        } else if (n == notices.cend()) {
            if (exists)
                fault(check, QStringLiteral("%1 is gone without a deletion in its history").arg(id));
        } else if (!exists) {
            fault(check, QStringLiteral("%1 exists after the deletion in its history").arg(id));
        } else if (state != QString::number(n->status)) {
            fault(check, QStringLiteral("%1 is in state %2, its history ends in %3").arg(id).arg(n->status).arg(state));
        }
    }
    return check;
}

}  // namespace

StatisticsTables readStatistics(QSqlDatabase db)
{
    StatisticsTables tables;
    for (const bool money : {true, false}) {
        QSqlQuery q = runStatement(db, money ? QStringLiteral("select * from statistic")
                                             : QStringLiteral("select * from statistic2"));
        while (q.next()) {
            const QSqlRecord r = q.record();
            const QPair<QString, QString> key{
                r.value(QStringLiteral("year")).toString(),
                r.value(money ? QStringLiteral("department") : QStringLiteral("type")).toString()};
            std::array<qint64, 12> months{};
            for (int m = 0; m < 12; ++m) {
                const QVariant v = r.value(QString::number(m + 1));
                months[m] = money ? cents(v.toDouble()) : v.toLongLong();
            }
            (money ? tables.money : tables.counts).insert(key, months);
        }
    }
    return tables;
}

QList<Check> checkDay(QSqlDatabase db, const QList<Record> &records, const DayStart &start)
{
    const QHash<QString, Notice> notices = readNotices(db);
    const QHash<QString, QList<HistoryRow>> history = readHistory(db);
    return {numbersOnce(db, records, start, notices), noLostUpdate(db, records, start, notices, history),
            countedOnce(db, records, start, notices, history), historyMatchesState(start, notices, history)};
}

}  // namespace workday
