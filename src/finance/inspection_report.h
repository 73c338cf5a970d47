#pragma once
// The yearly count of ship inspections by type and month (report/static2.frf),
// from the chosen year's statistic2 rows of the six printed types.

#include "report/report.h"

#include <QSqlDatabase>
#include <QString>

namespace finance {

inline const QString kInspectionCountTemplate = QStringLiteral("report/static2.frf");

// The datasets in the order the report prints them, with the type each reads.
struct InspectionDataset
{
    QString dataset;
    QString type;
};
const QList<InspectionDataset> &inspectionDatasets();

// The type the statistics run gives a notice of no known inspection type
// (and every ship affairs notice).
inline const QString kUnknownInspection = QStringLiteral("未知检验");

// How many notices the year counted under kUnknownInspection, and the line
// the report prints about them below its table (and as the CSV's last row).
qint64 unknownInspectionCount(QSqlDatabase db, const QString &year);
QString unknownInspectionLine(qint64 count);

// Reads the six rows with bound values and builds the report, with the line
// on the notices counted under kUnknownInspection. Throws DbError.
Report buildInspectionReport(QSqlDatabase db, const QString &year);

}  // namespace finance
