#include "progress_report.h"

#include "progress_chart.h"
#include "report_rows.h"

#include "report/report_values.h"

#include <QDir>
#include <QFileInfo>
#include <stdexcept>

namespace finance {

int yearNumber(const QString &year)
{
    bool ok = false;
    const int number = year.trimmed().toInt(&ok);
    if (!ok)
        throw std::runtime_error(
            QStringLiteral("年份“%1”不是整数，无法计算上一年，进度表不能打印。").arg(year).toStdString());
    return number;
}

namespace {

const QString kRowStatement = QStringLiteral("select * from statistic where year=? and department=?");

QString percentText(double part, double whole)
{
    if (!(whole > 0))
        return QString();
    return QString::number(100.0 * part / whole, 'f', 1) + u'%';
}

// The change against the year before as a rate. Over a base below one yuan
// the rate says nothing (a few cents last year would make this year's sum a
// rise of a million per cent): it prints a dash.
QString changeRateText(qint64 changeCents, qint64 baseCents)
{
    if (baseCents < 100)
        return QStringLiteral("—");
    return percentText(double(changeCents), double(baseCents));
}

// A sum of the amounts as printed, in cents, back as an amount.
double amountOf(qint64 cents)
{
    return double(cents) / 100.0;
}

QString title(const QString &templatePath)
{
    return QFileInfo(templatePath).completeBaseName() == QLatin1String("cjk")
               ? QStringLiteral("船舶及船用产品征收进度表")
               : QStringLiteral("船务科规费征收进度表");
}

}  // namespace

ProgressReport buildProgressReport(QSqlDatabase db, const QString &year, const QString &department,
                                   const QString &templatePath)
{
    const ReportRows current = readRows(db, kRowStatement, {year, department});
    const QString previousYear = QString::number(yearNumber(year) - 1);
    const ReportRows previous = readRows(db, kRowStatement, {previousYear, department});

    ProgressReport result;
    result.previousMissing = previous.records.isEmpty();
    const QSqlRecord row = current.records.value(0);
    const bool hasPrevious = !result.previousMissing;
    const QSqlRecord before = previous.records.value(0);
    const double plan = row.value(QStringLiteral("expect")).toDouble();

    ProgressChartData chart;
    chart.year = year;
    chart.plan = plan;
    std::array<double, 12> beforeMonths{};
    ReportRows months;
    ReportTable table;
    table.rows.append({QStringLiteral("月份"), QStringLiteral("本月征收"), QStringLiteral("本年累计"),
                       QStringLiteral("上年同月"), QStringLiteral("上年累计"), QStringLiteral("累计同比增减"),
                       QStringLiteral("累计同比增减率"), QStringLiteral("完成全年计划")});
    // Every figure is summed as printed, month by month in whole cents, so
    // that the running totals and the year's total foot with the months.
    qint64 totalCents = 0;
    qint64 beforeTotalCents = 0;
    for (int month = 1; month <= 12; ++month) {
        const qint64 amountCents = reportMoneyCents(monthValue(row, month));
        const qint64 beforeCents = reportMoneyCents(monthValue(before, month));
        const double amount = amountOf(amountCents);
        const double beforeAmount = amountOf(beforeCents);
        chart.months[month - 1] = amount;
        beforeMonths[month - 1] = beforeAmount;
        totalCents += amountCents;
        beforeTotalCents += beforeCents;
        const double total = amountOf(totalCents);
        const double beforeTotal = amountOf(beforeTotalCents);
        const double change = amountOf(totalCents - beforeTotalCents);
        const QString rate = hasPrevious ? changeRateText(totalCents - beforeTotalCents, beforeTotalCents) : QString();
        const QString share = percentText(total, plan);
        months.records.append(computedRecord({
            {QStringLiteral("month"), month},
            {QStringLiteral("amount"), amount},
            {QStringLiteral("total"), total},
            {QStringLiteral("prevamount"), hasPrevious ? QVariant(beforeAmount) : noAmount()},
            {QStringLiteral("prevtotal"), hasPrevious ? QVariant(beforeTotal) : noAmount()},
            {QStringLiteral("change"), hasPrevious ? QVariant(change) : noAmount()},
            {QStringLiteral("changerate"), rate},
            {QStringLiteral("share"), share},
        }));
        table.rows.append({QStringLiteral("%1月").arg(month), reportMoneyText(amount), reportMoneyText(total),
                           hasPrevious ? reportMoneyText(beforeAmount) : QString(),
                           hasPrevious ? reportMoneyText(beforeTotal) : QString(),
                           hasPrevious ? reportMoneyText(change) : QString(), rate, share});
    }
    const double total = amountOf(totalCents);
    const double beforeTotal = amountOf(beforeTotalCents);
    const double change = amountOf(totalCents - beforeTotalCents);
    const QString yearRate = hasPrevious ? changeRateText(totalCents - beforeTotalCents, beforeTotalCents) : QString();
    if (hasPrevious)
        chart.previousMonths = beforeMonths;
    months.current = 0;
    table.rows.append({QStringLiteral("全年合计"), reportMoneyText(total), reportMoneyText(total),
                       hasPrevious ? reportMoneyText(beforeTotal) : QString(),
                       hasPrevious ? reportMoneyText(beforeTotal) : QString(),
                       hasPrevious ? reportMoneyText(change) : QString(), yearRate, percentText(total, plan)});
    table.rows.append({QStringLiteral("全年计划"), plan > 0 ? reportMoneyText(plan) : QString()});

    ReportRows summary;
    summary.records.append(computedRecord({
        {QStringLiteral("year"), year},
        {QStringLiteral("prevyear"), previousYear},
        {QStringLiteral("department"), department},
        {QStringLiteral("plan"), plan > 0 ? QVariant(plan) : noAmount()},
        {QStringLiteral("total"), total},
        {QStringLiteral("prevtotal"), hasPrevious ? QVariant(beforeTotal) : noAmount()},
        {QStringLiteral("change"), hasPrevious ? QVariant(change) : noAmount()},
        {QStringLiteral("changerate"), yearRate},
        {QStringLiteral("share"), percentText(total, plan)},
        {QStringLiteral("remaining"), plan > 0 ? QVariant(amountOf(reportMoneyCents(plan) - totalCents)) : noAmount()},
    }));
    summary.current = 0;

    Report &report = result.report;
    report.setDataset(QStringLiteral("aq_report1"), fixedRows(current), ReportRange::CurrentRow);
    report.setDataset(QStringLiteral("aq_report2"), fixedRows(previous), ReportRange::CurrentRow);
    report.setDataset(QStringLiteral("months"), fixedRows(months), ReportRange::AllRows);
    report.setDataset(QStringLiteral("summary"), fixedRows(summary), ReportRange::CurrentRow);
    report.setPicture(QStringLiteral("plot"),
                      [chart](QPainter *painter, const QRectF &rect) { paintProgressChart(painter, rect, chart); });
    report.setTable(table);
    report.setExportName(title(templatePath) + u'_' + year);
    report.loadFromFile(QDir::toNativeSeparators(templatePath));
    return result;
}

}  // namespace finance
