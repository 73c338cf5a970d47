#pragma once

#include "report/prepared_report.h"

#include <QList>
#include <QPointF>
#include <QSizeF>
#include <QString>
#include <memory>
#include <utility>
#include <vector>

class QPainter;
class QPagedPaintDevice;
class QTextDocument;
class ReportFlow;

// A place in the laid-out reports: the report, the characters of its page text,
// and the page (from 0, counted over all the reports) it is printed on.
struct ReportMatch
{
    int report = -1;
    int position = 0;  // in the report's text, or in the cell's text for a row of a long table
    int length = 0;
    int page = -1;
    int row = -1;  // a row of a long table laid out by the engine (ReportFlow); -1: none
    int cell = -1;
    double top = 0;   // below the top of the page's printable area, device units
    double left = 0;  // right of its left edge
    bool isValid() const { return report >= 0; }
};

// Prepared reports laid out on the pages of one device (printer, PDF file,
// preview), ready to paint page by page. Reports follow one another, each from a
// new page; the page numbers of the running header and footer count all pages.
class ReportLayout
{
public:
    ReportLayout(const QList<PreparedReport> &reports, QPagedPaintDevice *device);
    ~ReportLayout();
    ReportLayout(const ReportLayout &) = delete;
    ReportLayout &operator=(const ReportLayout &) = delete;

    int pageCount() const { return m_totalPages; }
    // Paints one page (from 0) with the painter's origin at the printable area's
    // top left; a match given is shown highlighted.
    void paintPage(QPainter *painter, int page, const ReportMatch &highlight = {}) const;

    // The next occurrence of the text after the given match (from the start when
    // none), case ignored, wrapping round to the first report; invalid when the
    // text occurs nowhere.
    ReportMatch find(const QString &text, const ReportMatch &after = {}) const;

private:
    struct Laid
    {
        std::unique_ptr<QTextDocument> document;
        std::unique_ptr<ReportFlow> flow;  // set when the engine places the pages itself
        int firstPage = 0;
        int pages = 1;
        double headerHeight = 0;
        double footerHeight = 0;
    };
    // The page of a place in a report's text, and where on the printable area
    // it stands.
    std::pair<int, QPointF> positionOnPage(int report, int position) const;
    ReportMatch findIn(int report, const QString &text, const ReportMatch &from) const;
    bool before(int report, const ReportMatch &a, const ReportMatch &b) const;

    QList<PreparedReport> m_reports;
    std::vector<Laid> m_laid;
    QSizeF m_area;
    int m_totalPages = 0;
};
