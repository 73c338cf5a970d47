#include "report/report.h"

#include "report/report_printer.h"
#include "report/report_template.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

bool Report::loadFromFile(const QString &path)
{
    m_templatePath = path;
    m_templateText.clear();
    // Callers write the paths of the program's own folders as ".\report\x.frf";
    // they mean the same file on every platform.
    QFile file(QString(path).replace(u'\\', u'/'));
    m_templateFound = file.exists();
    if (m_templateFound && file.open(QIODevice::ReadOnly))
        m_templateText = QString::fromUtf8(file.readAll());
    return m_templateFound;
}

void Report::setDataset(const QString &name, ReportRowSource source, ReportRange range)
{
    m_datasets.insert(name, Dataset{std::move(source), range});
}

void Report::setDataset(const QString &name, QSqlQuery *query, ReportRange range)
{
    setDataset(name, rowsOfQuery(query), range);
}

void Report::setDataset(const QString &name, QSqlQueryModel *model, ReportRange range, std::function<int()> currentRow)
{
    setDataset(name, rowsOfModel(model, std::move(currentRow)), range);
}

void Report::setPicture(const QString &name, ReportPicture picture)
{
    m_pictures.insert(name, std::move(picture));
}

PreparedReport Report::prepare() const
{
    PreparedReport prepared;
    prepared.templatePath = m_templatePath;
    prepared.templateFound = m_templateFound;
    prepared.variables = ReportVariables::all();
    for (auto it = m_datasets.cbegin(); it != m_datasets.cend(); ++it)
        prepared.datasets.insert(it.key(), ReportDatasetSnapshot{it.value().source(), it.value().range});
    try {
        prepared.html = renderReportTemplate(m_templateText, prepared.variables, prepared.datasets);
    } catch (const ReportError &error) {
        throw ReportError(
            QStringLiteral("报表模板 %1 有误：%2").arg(QDir::toNativeSeparators(m_templatePath), error.message()));
    }
    // Read from the filled-in page, so that a running header can name the range.
    prepared.page = ReportPageSetup::fromTemplate(prepared.html);
    prepared.pictures = m_pictures;
    prepared.table = m_table;
    prepared.exportName = m_exportName.isEmpty() ? QFileInfo(m_templatePath).completeBaseName() : m_exportName;
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
}  // namespace

void Report::showComposite(const QList<const Report *> &reports)
{
    ReportPreview::show(prepareAll(reports));
}

bool Report::exportCompositePdf(const QList<const Report *> &reports, const QString &filePath)
{
    return ReportPrinter::exportPdf(prepareAll(reports), filePath);
}
