#include "line_saving.h"

#include "line_evaluation.h"
#include "notice_total.h"

#include "db/named_query.h"
#include "db/notice_history.h"
#include "db/sql_statement.h"
#include "db/tdm.h"
#include "db/transaction.h"

#include <QStringList>

#include <exception>

namespace fees {

namespace {

bool differs(const QVariant &before, const QVariant &after)
{
    return before != after || before.isNull() != after.isNull();
}

// Stores the steps and the amount of the line where they differ from what
// was read; nothing when neither does.
void storeLineColumns(QSqlDatabase db, const FeeLineEdit &line)
{
    QStringList sets;
    QVariantList values;
    if (differs(line.stepsRead, line.steps)) {
        sets << QStringLiteral("description=?");
        values << line.steps;
    }
    if (differs(line.amountRead, line.amount)) {
        sets << QStringLiteral("money=?");
        values << line.amount;
    }
    if (sets.isEmpty())
        return;
    values << line.lineId;
    runStatement(db, QStringLiteral("update itemofnotice set %1 where lineid=?").arg(sets.join(QLatin1Char(','))),
                 values)
        .finish();
}

}  // namespace

StoredLines storeFeeLine(QSqlDatabase db, const UserRecord &user, const NoticeLines &notice, const FeeLineEdit &line)
{
    // What the line becomes, for the history; unchanged steps and amount
    // store nothing and write no row.
    const QString steps = line.steps.toString();
    const bool changed = line.stepsRead != QVariant(steps) || line.amountRead != line.amount;

    Transaction transaction(db);
    const LinesChange change = LinesChange::begin(db, notice.noticeId);
    if (!changed) {
        // Moving through the lines of a notice processed elsewhere is no
        // change: nothing is said and nothing written.
        try {
            change.requireOpenForLines(notice.revision);
        } catch (const LinesNotStored &) {
            return {change.totalBefore, change.revision};
        }
        const double total = storeNoticeTotal(db, notice.noticeId);
        transaction.commit();
        return {total, change.revision};
    }
    change.requireOpenForLines(notice.revision);
    storeLineColumns(db, line);
    const double total = storeNoticeTotal(db, notice.noticeId);
    change.record(
        db, user, history::kLinesChanged,
        QStringLiteral("%1：%2 = %3")
            .arg(line.itemName, steps, line.amount.isNull() ? QString() : history::amountText(line.amount.toDouble())),
        total);
    const int revision = change.raiseRevision(db);
    transaction.commit();
    return {total, revision};
}

StoredLines saveEditorLines(QSqlDatabase db, const UserRecord &user, nollard::TParser &parser,
                            const NoticeLines &notice, const QList<FeeLineEdit> &lines)
{
    // Everything is computed before anything is stored.
    QList<FeeLineEdit> stored = lines;
    for (FeeLineEdit &line : stored) {
        if (!line.computeSteps)
            continue;
        const QString steps = line.steps.toString();
        try {
            line.amount = amountOfSteps(parser, steps);
        } catch (const std::exception &error) {
            throw StepsNotComputed(QStringLiteral("收费项目“%1”的计算步骤“%2”无法计算：%3\n请改正计算步骤后再保存。")
                                       .arg(line.itemName, steps, QString::fromUtf8(error.what())),
                                   line.lineId);
        }
    }

    Transaction transaction(db);
    const LinesChange change = LinesChange::begin(db, notice.noticeId);
    const int count = int(stored.size());
    if (count == 0) {
        // Closing the editor without a change: the amount is brought in line
        // with the lines while the notice is still the clerk's to change.
        try {
            change.requireOpenForLines(notice.revision);
        } catch (const LinesNotStored &) {
            return {change.totalBefore, change.revision};
        }
    } else {
        change.requireOpenForLines(notice.revision);
    }
    for (const FeeLineEdit &line : std::as_const(stored))
        storeLineColumns(db, line);
    const double total = storeNoticeTotal(db, notice.noticeId);
    int revision = change.revision;
    if (count > 0 || !sameAmount(total, change.totalBefore)) {
        change.record(db, user, history::kLinesChanged,
                      count > 0 ? QStringLiteral("保存收费项目明细表，计算 %1 行").arg(count) : QString(), total);
        revision = change.raiseRevision(db);
    }
    transaction.commit();
    return {total, revision};
}

}  // namespace fees
