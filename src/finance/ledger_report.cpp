#include "ledger_report.h"

#include "bill_operations.h"
#include "report_rows.h"

#include "app/codes.h"
#include "app/current_user.h"
#include "db/gbk_text.h"
#include "db/user_refusal.h"
#include "report/report_values.h"

#include <QDir>

namespace finance {

QString ledgerRangeRefusal(const LedgerRequest &request)
{
    if (request.first.size() < 7 || request.last.size() < 7)
        return QStringLiteral("起始号和终止号均为7位");
    if (request.first > request.last)
        return QStringLiteral("起始号应小于终止号");
    if (!gbk::fits(request.selfFirst, kSelfNumberBytes) || !gbk::fits(request.selfLast, kSelfNumberBytes))
        return kSelfNumberTooLong;
    return QString();
}

bool ledgerLacksSelfNumbers(const LedgerRequest &request)
{
    return request.selfFirst.isEmpty() || request.selfLast.isEmpty();
}

QString ledgerDefaultLast(const QString &first)
{
    bool ok = false;
    const int number = first.toInt(&ok);
    if (first.size() != 7 || !ok)
        return QString();
    return codes::PadBillCode7(number + 19);
}

namespace {

const QString kRangeStatement = QStringLiteral("select * from notice where billcode>=? and billcode<=?");

void appendTableRows(ReportTable &table, const ReportRows &rows)
{
    int number = 0;
    for (const QSqlRecord &row : rows.records) {
        const QVariant rdate = row.value(QStringLiteral("rdate"));
        table.rows.append(
            {QString::number(++number), row.value(QStringLiteral("billcode")).toString(),
             row.value(QStringLiteral("id")).toString(), reportValueText(rdate, rdate.metaType()).left(10),
             row.value(QStringLiteral("shipname")).toString(), row.value(QStringLiteral("department")).toString(),
             reportMoneyText(row.value(QStringLiteral("money")).toDouble()),
             codes::stateText(row.value(QStringLiteral("status")).toInt())});
    }
}

// Summed as the amounts are printed, each in whole cents, so that the total
// foots with the column above it.
double moneyTotal(const ReportRows &rows)
{
    qint64 cents = 0;
    for (const QSqlRecord &row : rows.records)
        cents += reportMoneyCents(row.value(QStringLiteral("money")).toDouble());
    return double(cents) / 100.0;
}

}  // namespace

Ledger buildLedger(QSqlDatabase db, const LedgerRequest &request, const UserRecord &user)
{
    if (!gbk::fits(request.selfFirst, kSelfNumberBytes) || !gbk::fits(request.selfLast, kSelfNumberBytes))
        throw UserRefusal(kSelfNumberTooLong);
    const QVariantList range{request.first, request.last};
    const ReportRows issued = readRows(
        db, kRangeStatement + QStringLiteral(" and (status=5 or status=6) order by billcode"), range);
    const ReportRows voided = readRows(db, kRangeStatement + QStringLiteral(" and status=-2 order by billcode"), range);

    Ledger ledger;
    ledger.issuedCount = int(issued.records.size());
    ledger.voidedCount = int(voided.records.size());
    const std::optional<int> first = billNumberFromText(request.first);
    const std::optional<int> last = billNumberFromText(request.last);
    if (first && last)
        ledger.skipped = skippedBillNumbers(db, *first, *last);
    if (ledger.isEmpty())
        return ledger;

    ReportVariables::set(QStringLiteral("start"), request.first);
    ReportVariables::set(QStringLiteral("end"), request.last);
    ReportVariables::set(QStringLiteral("COUNT1"), ledger.issuedCount);
    ReportVariables::set(QStringLiteral("NAME"), user.isAdmin == 1 ? user.userName : QString());
    ReportVariables::set(QStringLiteral("COUNT2"), ledger.voidedCount);
    ReportVariables::set(QStringLiteral("start1"), request.selfFirst);
    ReportVariables::set(QStringLiteral("end1"), request.selfLast);

    const double issuedTotal = moneyTotal(issued);
    const double voidedTotal = moneyTotal(voided);
    // Null when none is skipped, so that the template's note is left out.
    const int skippedNumbers = numberCount(ledger.skipped);
    const QVariant skippedCount = skippedNumbers > 0 ? QVariant(skippedNumbers) : QVariant(QMetaType(QMetaType::Int));
    ReportRows summary{{computedRecord({{QStringLiteral("total"), issuedTotal},
                                        {QStringLiteral("voidedtotal"), voidedTotal},
                                        {QStringLiteral("skippedcount"), skippedCount}})},
                       0};
    ReportRows skipped;
    for (const BillNumberRun &run : std::as_const(ledger.skipped))
        skipped.records << computedRecord({{QStringLiteral("line"), skippedRunLine(run)},
                                           {QStringLiteral("run"), billRunText(run)},
                                           {QStringLiteral("count"), run.size()}});
    skipped.current = skipped.records.isEmpty() ? -1 : 0;

    // Issued bills, their total, then the voided bills with their count.
    ReportTable table;
    table.rows.append({QStringLiteral("序号"), QStringLiteral("票据号"), QStringLiteral("通知单号"),
                       QStringLiteral("日期"), QStringLiteral("缴费单位"), QStringLiteral("科室"),
                       QStringLiteral("金额"), QStringLiteral("状态")});
    appendTableRows(table, issued);
    table.rows.append({QStringLiteral("合计"), QStringLiteral("%1张").arg(ledger.issuedCount), QString(), QString(),
                       QString(), QString(), reportMoneyText(issuedTotal), QString()});
    appendTableRows(table, voided);
    table.rows.append({QStringLiteral("作废"), QStringLiteral("%1张").arg(ledger.voidedCount), QString(), QString(),
                       QString(), QString(), QString(), QString()});
    for (const BillNumberRun &run : std::as_const(ledger.skipped))
        table.rows.append({QStringLiteral("缺号"), billRunText(run), QString(), QString(), QString(), QString(),
                           QString(), QString()});

    for (Report *report : {&ledger.issued, &ledger.voided}) {
        report->setDataset(QStringLiteral("frdb1"), fixedRows(issued), ReportRange::AllRows);
        report->setDataset(QStringLiteral("frdb2"), fixedRows(voided), ReportRange::AllRows);
        report->setDataset(QStringLiteral("summary"), fixedRows(summary), ReportRange::CurrentRow);
        report->setDataset(QStringLiteral("skipped"), fixedRows(skipped), ReportRange::AllRows);
        report->setExportName(QStringLiteral("台账_%1-%2").arg(request.first, request.last));
    }
    ledger.issued.setTable(table);
    ledger.issued.loadFromFile(QDir::toNativeSeparators(kLedgerTemplate));
    ledger.voided.loadFromFile(QDir::toNativeSeparators(kVoidedLedgerTemplate));
    return ledger;
}

}  // namespace finance
