#include "notice_printing.h"

#include "app/codes.h"
#include "app/current_user.h"
#include "app/named_query.h"
#include "app/tdm.h"
#include "expr/amount_in_capitals.h"
#include "fees/fee_lines.h"

#include "report.h"

#include <QDir>

namespace finance {

QString feeTypeCaption(int flagIndex, bool set)
{
    static const QStringList captions{QStringLiteral("登记费"), QStringLiteral("船员培训、申验、考试"),
                                      QStringLiteral("工本费"), QStringLiteral("内部资料")};
    return set && flagIndex >= 0 && flagIndex < captions.size() ? captions[flagIndex] : QString();
}

namespace {

// The datasets read the queries when the report is prepared.
ReportRowSource currentRowOf(NamedQuery &query)
{
    return [&query] { return ReportRows{{query.currentRecord()}, 0}; };
}

ReportRowSource allRowsOf(NamedQuery &query)
{
    return [&query] {
        ReportRows rows;
        for (int row = 0, count = query.rowCount(); row < count; ++row)
            rows.records << query.model()->record(row);
        rows.current = rows.records.isEmpty() ? -1 : qMax(0, query.currentRow());
        return rows;
    };
}

}  // namespace

bool printNotice(Tdm &dm, const UserRecord &user)
{
    NamedQuery &notice = *dm.aq_notice;
    if (notice.currentRow() < 0)
        return false;
    const int status = notice.value(QStringLiteral("status")).toInt();
    // Only the button's own section may print, even when another section's
    // notice happens to be the current one.
    if (notice.value(QStringLiteral("department")).toString() != user.department
        || !codes::printable(user.department, status))
        return false;

    fees::openNoticeLines(dm, fees::LineSelection::Print, user.department);

    const QList<codes::FeeType> &types = codes::feeTypes();
    for (int i = 0; i < types.size(); ++i)
        ReportVariables::set(QStringLiteral("memocw%1").arg(i + 1),
                             feeTypeCaption(i, notice.value(types[i].flag).toBool()));
    const double money = notice.value(QStringLiteral("money")).toDouble();
    ReportVariables::set(QStringLiteral("bigmoney"), QString::fromStdString(nollard::AmountInCapitals(money)));

    Report report;
    report.setDataset(QStringLiteral("frDB_notice"), currentRowOf(notice), ReportRange::CurrentRow);
    report.setDataset(QStringLiteral("frDB_itemofnotice"), allRowsOf(*dm.aq_itemofnotice), ReportRange::AllRows);
    report.loadFromFile(QDir::toNativeSeparators(kNoticeTemplate));
    report.showReport();

    notice.setValue(QStringLiteral("status"), int(codes::StatePrinted));
    notice.post();
    return true;
}

}  // namespace finance
