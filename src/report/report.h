#pragma once

#include "report/prepared_report.h"
#include "report/report_dataset.h"
#include "report/report_error.h"
#include "report/report_preview.h"
#include "report/report_variables.h"

#include <QList>
#include <QMap>
#include <QString>

class QSqlQuery;
class QSqlQueryModel;

// One report: a template file, the datasets it reads by name, and the shared
// variables (ReportVariables). The usual order of calls:
//
//     ReportVariables::set("bigmoney", capitals);
//     Report report;
//     report.setDataset("frDB_notice", &noticeQuery, ReportRange::CurrentRow);
//     report.setDataset("frDB_itemofnotice", &linesQuery, ReportRange::AllRows);
//     report.loadFromFile("report/notice.frf");
//     report.showReport();            // modal; returns when the preview is closed
//
// Datasets are read when the report is prepared (shown or exported), not when they
// are set, and reading them leaves every query on the row it was on.
class Report
{
public:
    // Reads the template; the path is relative to the working directory. Returns
    // whether the file exists. A missing template is no error: the report then
    // comes out as one empty page.
    bool loadFromFile(const QString &path);
    QString templatePath() const { return m_templatePath; }
    bool templateFound() const { return m_templateFound; }

    // Binds a name to the rows of a query; binding the name again replaces it.
    void setDataset(const QString &name, ReportRowSource source, ReportRange range);
    void setDataset(const QString &name, QSqlQuery *query, ReportRange range);
    void setDataset(const QString &name, QSqlQueryModel *model, ReportRange range,
                    std::function<int()> currentRow = {});

    // A picture the template places with <img src="picture:NAME" width=".." height="..">
    // (sizes in pixels at 96 per inch); binding the name again replaces it.
    void setPicture(const QString &name, ReportPicture picture);
    // The report's figures for saving as CSV, and the file name offered when the
    // report is saved (without suffix; default: the template's name).
    void setTable(ReportTable table) { m_table = std::move(table); }
    void setExportName(const QString &name) { m_exportName = name; }

    // Fills the template from the datasets and the variables as they are now.
    // Throws ReportError when the template is not a valid template.
    PreparedReport prepare() const;

    // Prepares the report and shows it in the modal preview (or the preview hook).
    // False when a print from the preview failed (ReportPreview::show).
    bool showReport() const;
    // Prepares the report and writes it to a PDF file; false when it cannot be written.
    bool exportPdf(const QString &filePath) const;

    // The same for several reports one after another in one preview or file.
    static void showComposite(const QList<const Report *> &reports);
    static bool exportCompositePdf(const QList<const Report *> &reports, const QString &filePath);

private:
    struct Dataset
    {
        ReportRowSource source;
        ReportRange range;
    };

    QString m_templatePath;
    QString m_templateText;
    bool m_templateFound = false;
    QMap<QString, Dataset> m_datasets;
    QMap<QString, ReportPicture> m_pictures;
    ReportTable m_table;
    QString m_exportName;
};
