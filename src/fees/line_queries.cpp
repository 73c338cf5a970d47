#include "line_queries.h"

#include "app/codes.h"
#include "app/current_user.h"
#include "db/named_query.h"
#include "db/tdm.h"

namespace fees {

QString CurrentNoticeID;
int CurrentNoticeRevision = 0;
FeeTypeFilter LineTypeFilter;

FeeTypeFilter feeTypeFilter(const NamedQuery &notice)
{
    return feeTypeFilter(notice.currentRecord());
}

void openLineSelection(NamedQuery &lines, LineSelection use, const QString &department, const QString &noticeId,
                       const FeeTypeFilter &filter)
{
    const Statement s = lineSelection(use, department, noticeId, filter);
    lines.close();
    lines.open(s.sql, s.values);
}

void openNoticeLines(Tdm &dm, LineSelection use, const QString &department)
{
    const QString id = dm.aq_notice->value(QStringLiteral("ID")).toString();
    if (id.isEmpty()) {
        dm.aq_itemofnotice->close();
        return;
    }
    openLineSelection(*dm.aq_itemofnotice, use, department, id, feeTypeFilter(*dm.aq_notice));
}

bool prepareFeeLines(Tdm &dm, const UserRecord &user)
{
    if (user.department != codes::kInspection && user.department != codes::kShipAffairs)
        return false;
    // Without a notice there is nothing to attach lines to: lines under an
    // empty ID would belong to no notice.
    const QString id = dm.aq_notice->value(QStringLiteral("ID")).toString();
    if (id.isEmpty())
        return false;
    CurrentNoticeID = id;
    CurrentNoticeRevision = dm.aq_notice->value(QStringLiteral("revision")).toInt();
    dm.aq_itemofnotice->close();
    createLinesIfNone(dm.database(), user, id);
    return true;
}

void openEditorLines(Tdm &dm, const QString &department)
{
    if (department == codes::kShipAffairs)
        LineTypeFilter = feeTypeFilter(*dm.aq_notice);
    openLineSelection(*dm.aq_itemofnotice, LineSelection::EditorLoad, department, CurrentNoticeID, LineTypeFilter);
}

NoticeLines noticeOfLines(const NamedQuery &lines)
{
    const QString lineNotice = lines.value(QStringLiteral("ID")).toString();
    return {lineNotice.isEmpty() ? CurrentNoticeID : lineNotice, CurrentNoticeRevision};
}

bool lineInEditing(const NamedQuery &lines)
{
    return lines.state() == NamedQuery::State::Editing || lines.state() == NamedQuery::State::Inserting;
}

FeeLineEdit lineAt(const NamedQuery &lines, int row)
{
    FeeLineEdit line;
    line.lineId = lines.valueAt(row, QStringLiteral("lineid"));
    line.itemName = lines.valueAt(row, QStringLiteral("itemname")).toString();
    line.stepsRead = lines.valueAt(row, QStringLiteral("description"));
    line.amountRead = lines.valueAt(row, QStringLiteral("money"));
    const bool buffered = row == lines.currentRow() && lineInEditing(lines);
    line.steps = buffered ? lines.value(QStringLiteral("description")) : line.stepsRead;
    line.amount = buffered ? lines.value(QStringLiteral("money")) : line.amountRead;
    return line;
}

void storeEditedLine(NamedQuery &lines, const UserRecord &user)
{
    if (!lineInEditing(lines))
        return;
    const FeeLineEdit line = lineAt(lines, lines.currentRow());
    try {
        CurrentNoticeRevision = storeFeeLine(lines.database(), user, noticeOfLines(lines), line).revision;
    } catch (const LinesNotStored &) {
        reopenOnLine(lines, line.lineId);
        throw;
    }
    reopenOnLine(lines, line.lineId);
}

void reopenOnLine(NamedQuery &lines, const QVariant &lineId)
{
    const int before = lines.currentRow();
    lines.reopen();
    // Only among the rows read so far: the editor's lines are few.
    int found = -1;
    for (int row = 0, rows = lines.model()->rowCount(); row < rows && found < 0; ++row)
        if (lines.valueAt(row, QStringLiteral("lineid")).toString() == lineId.toString())
            found = row;
    lines.setCurrentRow(found >= 0 ? found : qMin(before, lines.model()->rowCount() - 1));
}

double sumOfMoney(NamedQuery &lines)
{
    double total = 0;
    const int count = lines.rowCount();
    for (int r = 0; r < count; ++r)
        total += lines.valueAt(r, QStringLiteral("money")).toDouble();
    return total;
}

double writeNoticeTotal(Tdm &dm, const QString &department, const QString &noticeId, const FeeTypeFilter &filter)
{
    openLineSelection(*dm.aq_itemofnotice, LineSelection::EditorTotal, department, noticeId, filter);
    const double total = sumOfMoney(*dm.aq_itemofnotice);
    NamedQuery &notice = *dm.aq_notice;
    if (notice.currentRow() >= 0 || notice.state() == NamedQuery::State::Editing
        || notice.state() == NamedQuery::State::Inserting) {
        notice.edit();
        notice.setValue(QStringLiteral("money"), total);
        // The lines were stored over the revision the notice was read at:
        // the header's edit is stored over the one they left.
        if (notice.value(QStringLiteral("ID")).toString() == noticeId)
            notice.takeStoredValue(QStringLiteral("revision"), CurrentNoticeRevision);
    }
    return total;
}

}  // namespace fees
