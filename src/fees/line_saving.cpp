#include "line_saving.h"

#include "fee_lines.h"
#include "line_evaluation.h"
#include "notice_total.h"

#include "db/named_query.h"
#include "db/notice_history.h"
#include "db/sql_statement.h"
#include "db/tdm.h"
#include "db/transaction.h"

#include <exception>
#include <optional>

namespace fees {

double saveEditorLines(Tdm &dm, nollard::TParser &parser, const QStringList &changedLines, const QString &department)
{
    NamedQuery &lines = *dm.aq_itemofnotice;
    const bool editing = lines.state() == NamedQuery::State::Editing || lines.state() == NamedQuery::State::Inserting;
    const int current = lines.currentRow();

    // Everything is computed before anything is stored.
    QList<QPair<QVariant, double>> amounts;  // lineid, amount
    double currentAmount = 0;
    bool currentComputed = false;
    if (lines.isActive() && !changedLines.isEmpty()) {
        const int count = lines.rowCount();
        for (int row = 0; row < count; ++row) {
            const QString id = lines.valueAt(row, QStringLiteral("lineid")).toString();
            if (!changedLines.contains(id))
                continue;
            // The current line shows what was typed into it, stored or not.
            const QString steps = row == current ? lines.value(QStringLiteral("description")).toString()
                                                 : lines.valueAt(row, QStringLiteral("description")).toString();
            double amount = 0;
            try {
                amount = amountOfSteps(parser, steps);
            } catch (const std::exception &error) {
                throw StepsNotComputed(
                    QStringLiteral("收费项目“%1”的计算步骤“%2”无法计算：%3\n请改正计算步骤后再保存。")
                        .arg(lines.valueAt(row, QStringLiteral("itemname")).toString(), steps,
                             QString::fromUtf8(error.what())),
                    row);
            }
            if (row == current) {
                currentAmount = amount;
                currentComputed = true;
            } else {
                amounts.append({lines.valueAt(row, QStringLiteral("lineid")), amount});
            }
        }
    }

    std::optional<Transaction> transaction(std::in_place, dm.database());
    const LinesChange change = LinesChange::begin(dm.database(), CurrentNoticeID);
    if (currentComputed) {
        lines.edit();
        lines.setValue(QStringLiteral("money"), currentAmount);
    }
    const bool posting = editing || currentComputed;
    if (posting)
        lines.post();  // a change still pending in the grid
    try {
        for (const auto &[id, amount] : std::as_const(amounts))
            runStatement(dm.database(), QStringLiteral("update itemofnotice set money=? where lineid=?"), {amount, id})
                .finish();
        const double total = storeNoticeTotal(dm.database(), CurrentNoticeID);
        const int stored = int(amounts.size()) + (posting ? 1 : 0);
        if (stored > 0 || !sameAmount(total, change.totalBefore))
            change.record(dm.database(), history::kLinesChanged,
                          stored > 0 ? QStringLiteral("保存收费项目明细表，计算 %1 行").arg(stored) : QString(), total);
        transaction->commit();
    } catch (...) {
        transaction.reset();
        if (posting)
            lines.reopen();  // the stored line was undone with the rest
        throw;
    }
    return writeNoticeTotal(dm, department, CurrentNoticeID, LineTypeFilter);
}

}  // namespace fees
