#include "report/report.h"

#include "report/report_printer.h"
#include "report/report_template.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

bool Report::loadFromFile(const QString &path)
{
    templatePath_ = path;
    templateText_.clear();
    // Callers write the paths of the program's own folders as ".\report\x.frf";
    // they mean the same file on every platform.
    QFile file(QString(path).replace(u'\\', u'/'));
    templateFound_ = file.exists();
    if (templateFound_ && file.open(QIODevice::ReadOnly))
        templateText_ = QString::fromUtf8(file.readAll());
    return templateFound_;
}

void Report::setDataset(const QString &name, ReportRowSource source, ReportRange range)
{
    datasets_.insert(name, Dataset{std::move(source), range});
}

void Report::setDataset(const QString &name, QSqlQuery *query, ReportRange range)
{
    setDataset(name, rowsOfQuery(query), range);
}

void Report::setDataset(const QString &name, QSqlQueryModel *model, ReportRange range,
                        std::function<int()> currentRow)
{
    setDataset(name, rowsOfModel(model, std::move(currentRow)), range);
}

void Report::setPicture(const QString &name, ReportPicture picture)
{
    pictures_.insert(name, std::move(picture));
}

PreparedReport Report::prepare() const
{
    PreparedReport prepared;
    prepared.templatePath = templatePath_;
    prepared.templateFound = templateFound_;
    prepared.variables = ReportVariables::all();
    for (auto it = datasets_.cbegin(); it != datasets_.cend(); ++it)
        prepared.datasets.insert(it.key(), ReportDatasetSnapshot{it.value().source(), it.value().range});
    try {
        prepared.html = renderReportTemplate(templateText_, prepared.variables, prepared.datasets);
    } catch (const ReportError &error) {
        throw ReportError(QStringLiteral("报表模板 %1 有误：%2")
                              .arg(QDir::toNativeSeparators(templatePath_), error.message()));
    }
    // Read from the filled-in page, so that a running header can name the range.
    prepared.page = ReportPageSetup::fromTemplate(prepared.html);
    prepared.pictures = pictures_;
    prepared.table = table_;
    prepared.exportName = exportName_.isEmpty() ? QFileInfo(templatePath_).completeBaseName() : exportName_;
    return prepared;
}

bool Report::showReport() const
{
    return ReportPreview::show({prepare()});
}

bool Report::exportPdf(const QString &filePath) const
{
    return ReportPrinter::exportPdf({prepare()}, filePath);
}

namespace {
QList<PreparedReport> prepareAll(const QList<const Report *> &reports)
{
    QList<PreparedReport> prepared;
    for (const Report *report : reports) {
        if (report)
            prepared.append(report->prepare());
    }
    return prepared;
}
} // namespace

void Report::showComposite(const QList<const Report *> &reports)
{
    ReportPreview::show(prepareAll(reports));
}

bool Report::exportCompositePdf(const QList<const Report *> &reports, const QString &filePath)
{
    return ReportPrinter::exportPdf(prepareAll(reports), filePath);
}
