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

// Reads the six rows with bound values and builds the report. Throws DbError.
Report buildInspectionReport(QSqlDatabase db, const QString &year);

}  // namespace finance
