#include "notice_printing.h"

#include "app/codes.h"
#include "app/user_refusal.h"
#include "app/current_user.h"
#include "app/named_query.h"
#include "app/notice_history.h"
#include "app/transaction.h"
#include "app/tdm.h"
#include "expr/amount_in_capitals.h"
#include "fees/line_queries.h"
#include "fees/notice_total.h"

#include "report.h"

#include <QDir>
#include <QFile>
#include <QSqlField>
#include <QSqlRecord>

namespace finance {

QString feeTypeCaption(int flagIndex, bool set)
{
    static const QStringList captions{QStringLiteral("登记费"), QStringLiteral("船员培训、申验、考试"),
                                      QStringLiteral("工本费"), QStringLiteral("内部资料")};
    return set && flagIndex >= 0 && flagIndex < captions.size() ? captions[flagIndex] : QString();
}

namespace {

// The notice printed, as the template reads it: its row, and which section's
// block to print (is_inspection, is_shipaffairs), chosen by the notice's
// section and not by whether one of its fields happens to be filled in.
ReportRowSource noticeRowOf(NamedQuery &query)
{
    return [&query] {
        QSqlRecord record = query.currentRecord();
        const QString department = record.value(QStringLiteral("department")).toString();
        for (const auto &[name, set] : {std::pair{QStringLiteral("is_inspection"), department == codes::kInspection},
                                        std::pair{QStringLiteral("is_shipaffairs"),
                                                  department == codes::kShipAffairs}}) {
            QSqlField field(name, QMetaType(QMetaType::Bool));
            field.setValue(set);
            record.append(field);
        }
        return ReportRows{{record}, 0};
    };
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

    // A template that cannot be read would print a blank sheet.
    const QString templatePath = QDir::toNativeSeparators(kNoticeTemplate);
    QFile templateFile(kNoticeTemplate);
    if (!templateFile.open(QIODevice::ReadOnly) || templateFile.size() == 0)
        throw UserRefusal(kTemplateUnreadable.arg(templatePath));
    templateFile.close();

    const double money = notice.value(QStringLiteral("money")).toDouble();
    QString capitals;
    try {
        capitals = QString::fromStdString(nollard::AmountInCapitals(money));
    } catch (const nollard::AmountOutOfRange &) {
        throw UserRefusal(kTotalTooLarge);
    } catch (const nollard::ConversionError &) {
        throw UserRefusal(kTotalNegative);
    }

    fees::openNoticeLines(dm, fees::LineSelection::Print, user.department);
    // The total printed under the lines is what they add up to, or nothing
    // is printed.
    if (!fees::sameAmount(fees::sumOfMoney(*dm.aq_itemofnotice), money))
        throw UserRefusal(kTotalDiffersFromLines);

    const QList<codes::FeeType> &types = codes::feeTypes();
    for (int i = 0; i < types.size(); ++i)
        ReportVariables::set(QStringLiteral("memocw%1").arg(i + 1),
                             feeTypeCaption(i, notice.value(types[i].flag).toBool()));
    ReportVariables::set(QStringLiteral("bigmoney"), capitals);

    Report report;
    report.setDataset(QStringLiteral("frDB_notice"), noticeRowOf(notice), ReportRange::CurrentRow);
    report.setDataset(QStringLiteral("frDB_itemofnotice"), allRowsOf(*dm.aq_itemofnotice), ReportRange::AllRows);
    report.loadFromFile(templatePath);
    if (!report.showReport())
        throw UserRefusal(kPrinterFailed);

    // The printed state and its history row are stored together; the row
    // goes first, so that a failure leaves the notice as it was read.
    Transaction transaction(dm.database());
    history::appendHistory(dm.database(), user,
                           {notice.value(QStringLiteral("ID")).toString(), user.department, history::kPrinted, status,
                            int(codes::StatePrinted),
                            QStringLiteral("合计 %1").arg(history::amountText(money)), {}});
    notice.setValue(QStringLiteral("status"), int(codes::StatePrinted));
    notice.post();
    transaction.commit();
    return true;
}

}  // namespace finance
