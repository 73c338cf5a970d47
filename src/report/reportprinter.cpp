#include "reportprinter.h"

#include <QAbstractTextDocumentLayout>
#include <QFileInfo>
#include <QPainter>
#include <QPrinter>
#include <QTextDocument>
#include <QTextFrame>
#include <algorithm>
#include <memory>

namespace {
// A document laid out at the printer's resolution on the printable area, the way
// QTextDocument::print does it, but without its fixed 2 cm margins (the page
// margins come from the template) and so that several documents share one job.
std::unique_ptr<QTextDocument> layOut(const PreparedReport &report, QPrinter *printer)
{
    auto document = std::make_unique<QTextDocument>();
    document->documentLayout()->setPaintDevice(printer);
    QFont font = document->defaultFont();
    font.setPointSizeF(10.5);
    document->setDefaultFont(font);
    document->setDocumentMargin(0);
    document->setHtml(report.html);
    document->setPageSize(QSizeF(printer->width(), printer->height()));
    return document;
}
} // namespace

void ReportPrinter::applyPageSetup(QPrinter *printer, const QList<PreparedReport> &reports)
{
    const ReportPageSetup setup = reports.isEmpty() ? ReportPageSetup() : reports.first().page;
    printer->setPageLayout(setup.layout());
    printer->setFullPage(false);
}

bool ReportPrinter::paint(QPrinter *printer, const QList<PreparedReport> &reports)
{
    QPainter painter;
    if (!painter.begin(printer))
        return false;
    bool firstPage = true;
    for (const PreparedReport &report : reports) {
        const std::unique_ptr<QTextDocument> document = layOut(report, printer);
        const QSizeF page = document->pageSize();
        const int pageCount = std::max(1, document->pageCount());
        for (int index = 0; index < pageCount; ++index) {
            if (!firstPage && !printer->newPage())
                return false;
            firstPage = false;
            painter.save();
            const QRectF view(0, index * page.height(), page.width(), page.height());
            painter.translate(0, -view.top());
            painter.setClipRect(view);
            QAbstractTextDocumentLayout::PaintContext context;
            context.clip = view;
            context.palette.setColor(QPalette::Text, Qt::black);
            document->documentLayout()->draw(&painter, context);
            painter.restore();
        }
    }
    return painter.end();
}

bool ReportPrinter::exportPdf(const QList<PreparedReport> &reports, const QString &filePath)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(filePath);
    if (!reports.isEmpty())
        printer.setDocName(QFileInfo(reports.first().templatePath).completeBaseName());
    applyPageSetup(&printer, reports);
    return paint(&printer, reports);
}
