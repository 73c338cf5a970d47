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
    QMarginsF marginsMm = QMarginsF(15, 15, 15, 15); // left, top, right, bottom

    QPageLayout layout() const;

    // Reads <meta name="page-size" ...>, "page-orientation" and "page-margins".
    // Unknown values are ignored rather than refused: a typing slip in a template
    // should still give a printable page.
    static ReportPageSetup fromTemplate(const QString &templateText);
};
