#pragma once

#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QString>

// The paper a report is laid out on. A template chooses it with meta tags in its
// head (see report/README.md); anything it leaves out keeps the defaults below.
struct ReportPageSetup
{
    QPageSize size = QPageSize(QPageSize::A4);
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
    QMarginsF marginsMm = QMarginsF(15, 15, 15, 15);  // left, top, right, bottom
    // A line printed at the top and one at the bottom of every page, inside the
    // margins; {page} and {pages} stand for the page's number and the number of
    // pages of the whole print. Empty: none.
    QString header;
    QString footer;

    QPageLayout layout() const;

    // Reads <meta name="page-size" ...>, "page-orientation", "page-margins",
    // "page-header" and "page-footer".
    // Unknown values are ignored rather than refused: a typing slip in a template
    // should still give a printable page.
    static ReportPageSetup fromTemplate(const QString &templateText);
};
