#include "report/report_printer.h"

#include "report/report_layout.h"

#include <QFileInfo>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>

void ReportPrinter::applyPageSetup(QPrinter *printer, const QList<PreparedReport> &reports)
{
    const ReportPageSetup setup = reports.isEmpty() ? ReportPageSetup() : reports.first().page;
    printer->setPageLayout(setup.layout());
    printer->setFullPage(false);
}

void ReportPrinter::preparePrintJob(QPrinter *printer, const QList<PreparedReport> &reports, const QString &lastPrinter)
{
    const QString title = reports.isEmpty() ? QString() : reports.first().exportName;
    printer->setDocName(title.isEmpty() ? QStringLiteral("Nollard") : title);
    if (!lastPrinter.isEmpty() && QPrinterInfo::availablePrinterNames().contains(lastPrinter))
        printer->setPrinterName(lastPrinter);
}

bool ReportPrinter::paint(QPrinter *printer, const QList<PreparedReport> &reports)
{
    QPainter painter;
    if (!painter.begin(printer))
        return false;
    const ReportLayout layout(reports, printer);
    const bool painted = paint(&painter, printer, layout, ReportMatch());
    return painter.end() && painted;
}

bool ReportPrinter::paint(QPainter *painter, QPrinter *printer, const ReportLayout &layout,
                          const ReportMatch &highlight)
{
    for (int page = 0; page < layout.pageCount(); ++page) {
        if (page > 0 && !printer->newPage())
            return false;
        layout.paintPage(painter, page, highlight);
    }
    return true;
}

bool ReportPrinter::exportPdf(const QList<PreparedReport> &reports, const QString &filePath)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(filePath);
    if (!reports.isEmpty())
        printer.setDocName(reports.first().exportName);
    applyPageSetup(&printer, reports);
    return paint(&printer, reports);
}
