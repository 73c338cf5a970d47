#include "bill_gaps.h"

#include "bill_operations.h"

#include "app/codes.h"
#include "db/notice_history.h"
#include "db/sql_statement.h"

#include <QDateTime>
#include <QSqlQuery>
#include <algorithm>
#include <optional>

namespace finance {

namespace {

constexpr int kLargestNumber = 9999999;

// A stored bill number as a number; none for a text that is not seven digits
// (the ranges compare texts, so only those sort among the numbers).
std::optional<int> storedNumber(const QVariant &value)
{
    const QString text = value.toString();
    if (text.size() != 7)
        return std::nullopt;
    return billNumberFromText(text);
}

std::optional<int> firstNumber(QSqlDatabase db, const QString &sql, const QVariantList &values)
{
    QSqlQuery q = runStatement(db, sql, values);
    const std::optional<int> number = q.next() ? storedNumber(q.value(0)) : std::nullopt;
    q.finish();
    return number;
}

}  // namespace

QString billRunText(const BillNumberRun &run)
{
    if (run.first == run.last)
        return codes::PadBillCode7(run.first);
    return codes::PadBillCode7(run.first) + QChar(0x2013) + codes::PadBillCode7(run.last);
}

QString skippedRunLine(const BillNumberRun &run)
{
    return QStringLiteral("缺号 ") + billRunText(run);
}

int numberCount(const QList<BillNumberRun> &runs)
{
    int count = 0;
    for (const BillNumberRun &run : runs)
        count += run.size();
    return count;
}

QList<BillNumberRun> skippedBillNumbers(QSqlDatabase db, int first, int last)
{
    QList<BillNumberRun> runs;
    if (first > last)
        return runs;
    QList<int> carried;
    QSqlQuery q = runStatement(db, QStringLiteral("select billcode from notice where billcode>=? and billcode<=?"),
                               {codes::PadBillCode7(first), codes::PadBillCode7(last)});
    while (q.next()) {
        if (const std::optional<int> number = storedNumber(q.value(0)))
            carried << *number;
    }
    q.finish();
    std::sort(carried.begin(), carried.end());

    int passedUpTo = proposedBillNumber(db) - 1;
    if (!carried.isEmpty())
        passedUpTo = std::max(passedUpTo, carried.last());
    const int end = std::min(last, passedUpTo);
    int next = first;  // the smallest number not yet accounted for
    for (int number : std::as_const(carried)) {
        if (number > end)
            break;
        if (number > next)
            runs.append({next, number - 1});
        next = std::max(next, number + 1);
    }
    if (next <= end)
        runs.append({next, end});
    return runs;
}

int skippedBillNumbersOfYear(QSqlDatabase db, int year)
{
    const QDateTime from(QDate(year, 1, 1), QTime(0, 0));
    const QDateTime to(QDate(year + 1, 1, 1), QTime(0, 0));
    const std::optional<int> byHistory = firstNumber(
        db,
        QStringLiteral("select min(n.billcode) from notice_history h join notice n on n.ID=h.ID "
                       "where h.action=? and h.acted_at>=? and h.acted_at<? and n.billcode>''"),
        {history::kBilled, from, to});
    const std::optional<int> byDate = firstNumber(
        db,
        QStringLiteral("select min(billcode) from notice where Rdate>=? and Rdate<? and billcode>'' "
                       "and status in (?,?,?)"),
        {from, to, int(codes::StateBilled), int(codes::StateArchived), int(codes::StateVoided)});
    if (!byHistory && !byDate)
        return 0;
    const int yearsFirst = std::min(byHistory.value_or(kLargestNumber), byDate.value_or(kLargestNumber));
    const std::optional<int> before = firstNumber(
        db, QStringLiteral("select max(billcode) from notice where billcode<? and billcode>''"),
        {codes::PadBillCode7(yearsFirst)});
    return numberCount(skippedBillNumbers(db, before ? *before + 1 : yearsFirst, kLargestNumber));
}

}  // namespace finance
