#include "notice_printing.h"

#include "report_rows.h"

#include "app/codes.h"
#include "app/current_user.h"
#include "db/db_error.h"
#include "db/named_query.h"
#include "db/notice_history.h"
#include "db/sql_statement.h"
#include "db/tdm.h"
#include "db/transaction.h"
#include "db/user_refusal.h"
#include "expr/amount_in_capitals.h"
#include "fees/fee_lines.h"
#include "fees/notice_total.h"

#include "report/report.h"

#include <QDir>
#include <QFile>
#include <QSqlField>
#include <QSqlQuery>

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
ReportRows noticeRow(QSqlRecord record)
{
    const QString department = record.value(QStringLiteral("department")).toString();
    for (const auto &[name, set] : {std::pair{QStringLiteral("is_inspection"), department == codes::kInspection},
                                    std::pair{QStringLiteral("is_shipaffairs"), department == codes::kShipAffairs}}) {
        QSqlField field(name, QMetaType(QMetaType::Bool));
        field.setValue(set);
        record.append(field);
    }
    return ReportRows{{record}, 0};
}

}  // namespace

std::optional<NoticeReport> buildNoticeReport(QSqlDatabase db, const UserRecord &user, const QSqlRecord &notice)
{
    const int status = notice.value(QStringLiteral("status")).toInt();
    // Only the button's own section may print, even when another section's
    // notice happens to be the current one.
    if (notice.value(QStringLiteral("department")).toString() != user.department
        || !codes::printable(user.department, status))
        return std::nullopt;

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

    const QString id = notice.value(QStringLiteral("ID")).toString();
    const Statement printable = fees::lineSelection(fees::LineSelection::Print, user.department, id,
                                                    fees::feeTypeFilter(notice));
    const ReportRows lines = readRows(db, printable.sql, printable.values);
    // The total printed under the lines is what they add up to, or nothing
    // is printed.
    double linesTotal = 0;
    for (const QSqlRecord &line : lines.records)
        linesTotal += line.value(QStringLiteral("money")).toDouble();
    if (!fees::sameAmount(linesTotal, money))
        throw UserRefusal(kTotalDiffersFromLines);

    const QList<codes::FeeType> &types = codes::feeTypes();
    for (int i = 0; i < types.size(); ++i)
        ReportVariables::set(QStringLiteral("memocw%1").arg(i + 1),
                             feeTypeCaption(i, notice.value(types[i].flag).toBool()));
    ReportVariables::set(QStringLiteral("bigmoney"), capitals);

    NoticeReport built;
    built.report.setDataset(QStringLiteral("frDB_notice"), fixedRows(noticeRow(notice)), ReportRange::CurrentRow);
    built.report.setDataset(QStringLiteral("frDB_itemofnotice"), fixedRows(lines), ReportRange::AllRows);
    built.report.loadFromFile(templatePath);
    built.notice = {id, notice.value(QStringLiteral("revision")).toInt(), status, money};
    return built;
}

void recordNoticePrinted(QSqlDatabase db, const UserRecord &user, const PrintedNotice &printed)
{
    // The printed state and its history row are stored together; the row
    // goes first, so that a failure leaves the notice as it was read.
    Transaction transaction(db);
    history::appendHistory(db, user,
                           {printed.id,
                            user.department,
                            history::kPrinted,
                            printed.status,
                            int(codes::StatePrinted),
                            QStringLiteral("合计 %1").arg(history::amountText(printed.money)),
                            {}});
    QSqlQuery update = runStatement(
        db, QStringLiteral("update notice set status=?, revision=revision+1 where ID=? and revision=?"),
        {int(codes::StatePrinted), printed.id, printed.revision});
    const int affected = update.numRowsAffected();
    update.finish();
    if (affected != 1) {
        QSqlQuery stored = runStatement(db, QStringLiteral("select ID from notice where ID=?"), {printed.id});
        const bool deleted = !stored.next();
        stored.finish();
        throw StaleRowError(deleted);
    }
    transaction.commit();
}

}  // namespace finance
