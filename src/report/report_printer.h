#pragma once

#include "report/prepared_report.h"

#include <QList>
#include <QString>

class QPainter;
class QPrinter;
class ReportLayout;
struct ReportMatch;

// Lays prepared reports out on pages and paints them: the preview, the printer and
// PDF files all go through here, so what is previewed is what is printed.
namespace ReportPrinter {

// Gives the printer the paper of the first report. A composite prints all its
// reports on that paper.
void applyPageSetup(QPrinter *printer, const QList<PreparedReport> &reports);

// Names the print job after the report (the print queue lists it so) and
// picks the printer that the user chose last, while it still exists; a
// printer removed since leaves the system's default.
void preparePrintJob(QPrinter *printer, const QList<PreparedReport> &reports, const QString &lastPrinter);

// Paints the reports one after another, each starting on a new page; a report with
// nothing in it still takes one (blank) page. Returns false when the printer could
// not be opened (e.g. a PDF file that cannot be written).
bool paint(QPrinter *printer, const QList<PreparedReport> &reports);
// Paints reports laid out already on the printer's active painter, a match shown
// highlighted (the preview's find); false when a new page cannot be started.
bool paint(QPainter *painter, QPrinter *printer, const ReportLayout &layout, const ReportMatch &highlight);

// Writes the reports to a PDF file on their own paper. Returns false, leaving no
// partial promise of success, when the file cannot be written.
bool exportPdf(const QList<PreparedReport> &reports, const QString &filePath);

}  // namespace ReportPrinter
