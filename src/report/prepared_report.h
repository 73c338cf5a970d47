#pragma once

#include "report/report_dataset.h"
#include "report/report_page_setup.h"
#include "report/report_table.h"

#include <QMap>
#include <QString>
#include <QVariantMap>
#include <functional>

class QPainter;
class QRectF;

// Paints a picture of a report (a chart) into the rectangle the layout gave it.
// It paints with the painter of the page, so on a PDF it stays a vector drawing.
using ReportPicture = std::function<void(QPainter *painter, const QRectF &rect)>;

struct ReportDatasetSnapshot
{
    ReportRows rows;
    ReportRange range = ReportRange::AllRows;
};

// Everything a report hands to the preview: what it was made of and what came out.
// Tests of callers read it through the preview hook (report_preview.h).
struct PreparedReport
{
    QString templatePath;
    bool templateFound = false;
    QVariantMap variables;                          // the shared list at preparation time
    QMap<QString, ReportDatasetSnapshot> datasets;  // by dataset name
    QString html;                                   // the filled-in template
    ReportPageSetup page;
    QMap<QString, ReportPicture> pictures;  // <img src="picture:NAME">
    QString exportName;                     // file name offered on saving, without suffix
    ReportTable table;                      // the report's figures as a table (CSV)
};
