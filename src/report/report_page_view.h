#pragma once

#include <QAbstractScrollArea>
#include <QHash>
#include <QImage>
#include <QList>
#include <QPointF>
#include <QSizeF>
#include <functional>

// The pages of a laid-out print, one below the other on a grey desk, as the
// preview shows them. A page is painted only when it is scrolled into view, and
// the few pages painted last are kept as pictures, so the first page of a long
// ledger shows as soon as it is laid out however many pages follow it.
//
// Sizes are given in the printer's device units; pages are numbered from 1.
class ReportPageView : public QAbstractScrollArea
{
    Q_OBJECT
public:
    enum class ZoomMode { FitWidth, FitPage, Custom };

    // Paints one page (from 0) with the painter's origin at the top left of the
    // printable area, in device units.
    using PagePainter = std::function<void(QPainter *painter, int page)>;

    explicit ReportPageView(QWidget *parent = nullptr);

    // The pages to show: their number, the sheet, the printable area on it and
    // the device's resolution (dots per inch) the pages were laid out for.
    void setPages(int count, const QSizeF &sheet, const QPointF &printableOrigin, int deviceDpi, PagePainter painter);

    int pageCount() const { return m_count; }
    int currentPage() const { return m_current; }
    // Scrolls the page's top into view; out-of-range numbers are brought into range.
    void setCurrentPage(int page);
    // Scrolls so that the place (device units from the top left of the printable
    // area of the page) is in view, a little below the top of the window.
    void showPlace(int page, const QPointF &place);

    ZoomMode zoomMode() const { return m_mode; }
    // Shown size against the paper's own size on this screen.
    double zoomFactor() const { return m_zoom; }
    void zoomIn();
    void zoomOut();
    void fitToWidth();
    void fitInView();

    // Paints the page again (a highlight came or went); 0 repaints all.
    void refreshPage(int page);
    // How many times a page was painted since the pages were set.
    int paintedPages() const { return m_painted; }

signals:
    void currentPageChanged(int page);
    void pagePainted(int page);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    void wheelEvent(QWheelEvent *event) override;

private:
    double pixelsPerUnit() const;
    QSizeF pageSize() const;          // in widget pixels
    double pageTop(int index) const;  // from 0, in content pixels
    void setZoom(double zoom, ZoomMode mode);
    void applyZoomMode();
    void updateScrollBars();
    void updateCurrentFromScroll();
    // The page as shown at the present zoom, kept for the next time; a page too
    // large to keep gives only the part shown (in the page's pixels), and where
    // that part begins.
    QImage pageImage(int index, const QRectF &shown, QPointF *offset);
    QImage renderPart(int index, const QRectF &part) const;

    int m_count = 0;
    QSizeF m_sheet;
    QPointF m_origin;
    int m_deviceDpi = 96;
    PagePainter m_painter;

    ZoomMode m_mode = ZoomMode::FitWidth;
    double m_zoom = 1.0;
    int m_current = 0;
    bool m_scrollingToPage = false;
    int m_painted = 0;

    QHash<int, QImage> m_cache;  // by page index, at the present zoom
    QList<int> m_recent;         // the cached pages, the one shown last at the end
};
