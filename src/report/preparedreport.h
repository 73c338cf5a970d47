#pragma once

#include "reportdataset.h"
#include "reportpagesetup.h"

#include <QMap>
#include <QString>
#include <QVariantMap>

struct ReportDatasetSnapshot
{
    ReportRows rows;
    ReportRange range = ReportRange::AllRows;
};

// Everything a report hands to the preview: what it was made of and what came out.
// Tests of callers read it through the preview hook (reportpreview.h).
struct PreparedReport
{
    QString templatePath;
    bool templateFound = false;
    QVariantMap variables;                          // the shared list at preparation time
    QMap<QString, ReportDatasetSnapshot> datasets;  // by dataset name
    QString html;                                   // the filled-in template
    ReportPageSetup page;
};
