#include "inspection_report.h"

#include "report_rows.h"

#include <QDir>

namespace finance {

const QList<InspectionDataset> &inspectionDatasets()
{
    // "未知检验" is counted by the statistics run but has no row of its own:
    // the report says below the table how many landed there.
    static const QList<InspectionDataset> datasets{
        {QStringLiteral("aq_jz"), QStringLiteral("建造检验")}, {QStringLiteral("aq_nd"), QStringLiteral("年度检验")},
        {QStringLiteral("aq_zj"), QStringLiteral("中间检验")}, {QStringLiteral("aq_tb"), QStringLiteral("特别检验")},
        {QStringLiteral("aq_ls"), QStringLiteral("临时检验")}, {QStringLiteral("aq_qt"), QStringLiteral("其它检验")},
    };
    return datasets;
}

qint64 unknownInspectionCount(QSqlDatabase db, const QString &year)
{
    const ReportRows rows = readRows(db, QStringLiteral("select * from statistic2 where year=? and type=?"),
                                     {year, kUnknownInspection});
    const QSqlRecord row = rows.records.value(0);
    qint64 count = 0;
    for (int month = 1; month <= 12; ++month)
        count += qint64(monthValue(row, month));
    return count;
}

QString unknownInspectionLine(qint64 count)
{
    return QStringLiteral("另有 %1 张通知单计入“未知检验”（船务科的通知单和检验种类不明的通知单），未列入上表。")
        .arg(count);
}

Report buildInspectionReport(QSqlDatabase db, const QString &year)
{
    Report report;
    ReportRows types;
    ReportTable table;
    QStringList header{QStringLiteral("检验种类")};
    for (int month = 1; month <= 12; ++month)
        header << QStringLiteral("%1月").arg(month);
    header << QStringLiteral("合计");
    table.rows.append(header);

    std::array<qint64, 12> monthTotals{};
    qint64 grandTotal = 0;
    for (const InspectionDataset &entry : inspectionDatasets()) {
        const ReportRows rows = readRows(db, QStringLiteral("select * from statistic2 where year=? and type=?"),
                                         {year, entry.type});
        report.setDataset(entry.dataset, fixedRows(rows), ReportRange::CurrentRow);
        const QSqlRecord row = rows.records.value(0);
        QList<std::pair<QString, QVariant>> fields{{QStringLiteral("type"), entry.type}};
        QStringList line{entry.type};
        qint64 typeTotal = 0;
        for (int month = 1; month <= 12; ++month) {
            const qint64 count = qint64(monthValue(row, month));
            fields.append({QStringLiteral("m%1").arg(month), count});
            line << QString::number(count);
            monthTotals[month - 1] += count;
            typeTotal += count;
        }
        fields.append({QStringLiteral("total"), typeTotal});
        line << QString::number(typeTotal);
        grandTotal += typeTotal;
        types.records.append(computedRecord(fields));
        table.rows.append(line);
    }
    types.current = 0;

    QList<std::pair<QString, QVariant>> sums{{QStringLiteral("year"), year}};
    QStringList totalLine{QStringLiteral("合计")};
    for (int month = 1; month <= 12; ++month) {
        sums.append({QStringLiteral("m%1").arg(month), monthTotals[month - 1]});
        totalLine << QString::number(monthTotals[month - 1]);
    }
    sums.append({QStringLiteral("total"), grandTotal});
    totalLine << QString::number(grandTotal);
    table.rows.append(totalLine);

    const qint64 unknown = unknownInspectionCount(db, year);
    sums.append({QStringLiteral("unknown"), unknown});
    table.rows.append({unknownInspectionLine(unknown)});

    report.setDataset(QStringLiteral("types"), fixedRows(types), ReportRange::AllRows);
    report.setDataset(QStringLiteral("summary"), fixedRows(ReportRows{{computedRecord(sums)}, 0}),
                      ReportRange::CurrentRow);
    report.setTable(table);
    report.setExportName(QStringLiteral("船舶检验登记数量统计表_") + year);
    report.loadFromFile(QDir::toNativeSeparators(kInspectionCountTemplate));
    return report;
}

}  // namespace finance
