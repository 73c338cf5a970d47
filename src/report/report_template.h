#pragma once

#include "report/prepared_report.h"

#include <QMap>
#include <QString>
#include <QVariantMap>

// Fills a template with variables and datasets (format: report/README.md).
// Throws ReportError, with the reason only, when the text is not a valid template.
QString renderReportTemplate(const QString &templateText, const QVariantMap &variables,
                             const QMap<QString, ReportDatasetSnapshot> &datasets);
