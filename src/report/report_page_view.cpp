#include "report/report_page_view.h"

#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

namespace {
constexpr int kMargin = 12;  // desk around the pages, pixels
constexpr int kGap = 12;     // between two pages
constexpr int kCachedPages = 12;
// A page larger than this on the screen (zoomed in far) is not kept: only the
// part in view is painted, each time it is shown.
constexpr qint64 kLargestKeptPage = 16 * 1024 * 1024;
constexpr double kZoomStep = 1.25;
constexpr double kMinZoom = 0.1;
constexpr double kMaxZoom = 8.0;
const QColor kDesk(128, 128, 128);
}  // namespace

ReportPageView::ReportPageView(QWidget *parent) : QAbstractScrollArea(parent)
{
    // Always there, so that fitting the width does not make it come and go.
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    verticalScrollBar()->setSingleStep(24);
    horizontalScrollBar()->setSingleStep(24);
}

void ReportPageView::setPages(int count, const QSizeF &sheet, const QPointF &printableOrigin, int deviceDpi,
                              PagePainter painter)
{
    m_count = std::max(0, count);
    m_sheet = sheet;
    m_origin = printableOrigin;
    m_deviceDpi = std::max(1, deviceDpi);
    m_painter = std::move(painter);
    m_painted = 0;
    m_cache.clear();
    m_recent.clear();
    m_current = m_count > 0 ? 1 : 0;
    applyZoomMode();
    updateScrollBars();
    verticalScrollBar()->setValue(0);
    viewport()->update();
    emit currentPageChanged(m_current);
}

double ReportPageView::pixelsPerUnit() const
{
    return m_zoom * logicalDpiX() / double(m_deviceDpi);
}

QSizeF ReportPageView::pageSize() const
{
    return m_sheet * pixelsPerUnit();
}

double ReportPageView::pageTop(int index) const
{
    return kMargin + index * (pageSize().height() + kGap);
}

void ReportPageView::setZoom(double zoom, ZoomMode mode)
{
    m_mode = mode;
    zoom = std::clamp(zoom, kMinZoom, kMaxZoom);
    if (qFuzzyCompare(zoom, m_zoom))
        return;
    // Keep the top of the window on the same place of the current page.
    QScrollBar *bar = verticalScrollBar();
    const int index = std::max(0, m_current - 1);
    const double oldHeight = pageSize().height();
    const double anchor = oldHeight > 0 ? (bar->value() - pageTop(index)) / oldHeight : 0;
    m_zoom = zoom;
    m_cache.clear();
    m_recent.clear();
    updateScrollBars();
    m_scrollingToPage = true;
    bar->setValue(int(std::lround(pageTop(index) + anchor * pageSize().height())));
    m_scrollingToPage = false;
    viewport()->update();
}

void ReportPageView::applyZoomMode()
{
    if (m_sheet.isEmpty() || m_mode == ZoomMode::Custom)
        return;
    const double actual = logicalDpiX() / double(m_deviceDpi);  // pixels per unit at zoom 1
    const double fitWidth = (viewport()->width() - 2.0 * kMargin) / (m_sheet.width() * actual);
    double zoom = fitWidth;
    if (m_mode == ZoomMode::FitPage)
        zoom = std::min(fitWidth, (viewport()->height() - 2.0 * kMargin) / (m_sheet.height() * actual));
    setZoom(zoom, m_mode);
}

void ReportPageView::zoomIn()
{
    setZoom(m_zoom * kZoomStep, ZoomMode::Custom);
}
void ReportPageView::zoomOut()
{
    setZoom(m_zoom / kZoomStep, ZoomMode::Custom);
}

void ReportPageView::fitToWidth()
{
    m_mode = ZoomMode::FitWidth;
    applyZoomMode();
    setCurrentPage(m_current);
}

void ReportPageView::fitInView()
{
    m_mode = ZoomMode::FitPage;
    applyZoomMode();
    setCurrentPage(m_current);
}

void ReportPageView::updateScrollBars()
{
    const QSizeF page = pageSize();
    const int contentHeight = m_count > 0 ? int(std::ceil(2 * kMargin + m_count * page.height() + (m_count - 1) * kGap))
                                          : 0;
    // Rounded down: a page fitted to the width must not call up a scroll bar for
    // a fraction of a pixel.
    const int contentWidth = int(page.width() + 2 * kMargin);
    const QSize room = viewport()->size();
    verticalScrollBar()->setRange(0, std::max(0, contentHeight - room.height()));
    verticalScrollBar()->setPageStep(room.height());
    horizontalScrollBar()->setRange(0, std::max(0, contentWidth - room.width()));
    horizontalScrollBar()->setPageStep(room.width());
}

void ReportPageView::setCurrentPage(int page)
{
    if (m_count == 0)
        return;
    page = std::clamp(page, 1, m_count);
    m_scrollingToPage = true;
    verticalScrollBar()->setValue(int(std::lround(pageTop(page - 1) - kMargin)));
    m_scrollingToPage = false;
    if (page != m_current) {
        m_current = page;
        emit currentPageChanged(page);
    }
}

void ReportPageView::showPlace(int page, const QPointF &place)
{
    if (m_count == 0)
        return;
    page = std::clamp(page, 1, m_count);
    const QPointF at = QPointF(0, pageTop(page - 1)) + (m_origin + place) * pixelsPerUnit();
    QScrollBar *bar = verticalScrollBar();
    const int room = viewport()->height();
    m_scrollingToPage = true;
    if (at.y() < bar->value() + room / 8.0 || at.y() > bar->value() + room * 7 / 8.0)
        bar->setValue(int(std::lround(at.y() - room / 4.0)));
    // Sideways only when the page is wider than the window (zoomed in).
    QScrollBar *across = horizontalScrollBar();
    const double x = kMargin + at.x();
    const int width = viewport()->width();
    if (across->maximum() > 0 && (x < across->value() || x > across->value() + width * 3 / 4.0))
        across->setValue(int(std::lround(x - width / 8.0)));
    m_scrollingToPage = false;
    if (page != m_current) {
        m_current = page;
        emit currentPageChanged(page);
    }
}

void ReportPageView::refreshPage(int page)
{
    if (page <= 0) {
        m_cache.clear();
        m_recent.clear();
    } else {
        m_cache.remove(page - 1);
        m_recent.removeAll(page - 1);
    }
    viewport()->update();
}

void ReportPageView::updateCurrentFromScroll()
{
    if (m_count == 0)
        return;
    // The page that fills most of the window.
    const double top = verticalScrollBar()->value();
    const double bottom = top + viewport()->height();
    const double step = pageSize().height() + kGap;
    const int first = std::clamp(int((top - kMargin) / step), 0, m_count - 1);
    int best = first;
    double bestShown = -1;
    for (int index = first; index < m_count && pageTop(index) < bottom; ++index) {
        const double shown = std::min(bottom, pageTop(index) + pageSize().height()) - std::max(top, pageTop(index));
        if (shown > bestShown + 0.5) {
            best = index;
            bestShown = shown;
        }
    }
    if (best + 1 != m_current) {
        m_current = best + 1;
        emit currentPageChanged(m_current);
    }
}

void ReportPageView::scrollContentsBy(int, int)
{
    viewport()->update();
    if (!m_scrollingToPage)
        updateCurrentFromScroll();
}

void ReportPageView::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    applyZoomMode();
    updateScrollBars();
}

void ReportPageView::wheelEvent(QWheelEvent *event)
{
    if (event->modifiers() & Qt::ControlModifier) {
        if (event->angleDelta().y() > 0)
            zoomIn();
        else if (event->angleDelta().y() < 0)
            zoomOut();
        event->accept();
        return;
    }
    QAbstractScrollArea::wheelEvent(event);
}

QImage ReportPageView::renderPart(int index, const QRectF &part) const
{
    const double ratio = devicePixelRatioF();
    QImage image((part.size() * ratio).toSize().expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    // Fonts given in points are sized for the printer's resolution, as on paper;
    // the painter's scale brings the whole page down to the screen.
    const int dotsPerMeter = int(std::lround(m_deviceDpi / 0.0254));
    image.setDotsPerMeterX(dotsPerMeter);
    image.setDotsPerMeterY(dotsPerMeter);
    image.fill(Qt::white);
    if (m_painter) {
        QPainter painter(&image);
        painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing | QPainter::SmoothPixmapTransform);
        painter.translate(-part.topLeft());
        painter.scale(pixelsPerUnit(), pixelsPerUnit());
        painter.translate(m_origin);
        m_painter(&painter, index);
    }
    return image;
}

QImage ReportPageView::pageImage(int index, const QRectF &shown, QPointF *offset)
{
    *offset = QPointF(0, 0);
    const auto cached = m_cache.constFind(index);
    if (cached != m_cache.constEnd()) {
        m_recent.removeAll(index);
        m_recent.append(index);
        return *cached;
    }
    const QSizeF size = pageSize();
    const double ratio = devicePixelRatioF();
    const bool keep = qint64(size.width() * ratio) * qint64(size.height() * ratio) * 4 <= kLargestKeptPage;
    const QImage image = renderPart(index, keep ? QRectF(QPointF(0, 0), size) : shown);
    if (!keep)
        *offset = shown.topLeft();
    ++m_painted;
    if (keep) {
        while (m_recent.size() >= kCachedPages)
            m_cache.remove(m_recent.takeFirst());
        m_recent.append(index);
        m_cache.insert(index, image);
    }
    emit pagePainted(index + 1);
    return image;
}

void ReportPageView::paintEvent(QPaintEvent *event)
{
    QPainter painter(viewport());
    painter.fillRect(event->rect(), kDesk);
    if (m_count == 0 || m_sheet.isEmpty())
        return;
    const QSizeF size = pageSize();
    const double top = verticalScrollBar()->value();
    const double contentWidth = size.width() + 2 * kMargin;
    const double left = contentWidth < viewport()->width() ? (viewport()->width() - size.width()) / 2.0
                                                           : kMargin - horizontalScrollBar()->value();
    const double step = size.height() + kGap;
    const int first = std::clamp(int((top + event->rect().top() - kMargin) / step), 0, m_count - 1);
    for (int index = first; index < m_count; ++index) {
        const QRectF page(left, pageTop(index) - top, size.width(), size.height());
        if (page.top() > event->rect().bottom())
            break;
        if (!page.intersects(event->rect()))
            continue;
        painter.fillRect(page.translated(3, 3), QColor(64, 64, 64));
        // The part of the page in view, in the page's own pixels.
        const QRectF shown = page.intersected(QRectF(event->rect())).translated(-page.topLeft());
        QPointF offset;
        const QImage image = pageImage(index, shown, &offset);
        painter.drawImage(page.topLeft() + offset, image);
    }
}
