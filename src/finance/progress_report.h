#pragma once
// The yearly collection progress table of a section (the ship affairs table
// report/cwk.frf, the ship inspection table report/cjk.frf): the chosen
// statistic row, the same section's row of the year before, each month with its
// running total against the year before and the plan, and the plot.

#include "report/report.h"

#include <QSqlDatabase>
#include <QString>

namespace finance {

inline const QString kShipAffairsProgressTemplate = QStringLiteral("report/cwk.frf");
inline const QString kInspectionProgressTemplate = QStringLiteral("report/cjk.frf");

struct ProgressReport
{
    Report report;
    bool previousMissing = false;  // no row for the year before: "上一年纪录不存在"
};

// The year as a whole number; throws (std::runtime_error, for the general error
// display) when the text is not one.
int yearNumber(const QString &year);

// Reads aq_report1 (the year's row) and aq_report2 (the year before) with bound
// values and builds the report on the template. Throws DbError on a database
// error and std::runtime_error when the year is not a whole number.
ProgressReport buildProgressReport(QSqlDatabase db, const QString &year, const QString &department,
                                   const QString &templatePath);

}  // namespace finance
