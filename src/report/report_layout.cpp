#include "report/report_layout.h"

#include "report/report_band.h"
#include "report/report_flow.h"

#include <QAbstractTextDocumentLayout>
#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFormat>
#include <QTextLayout>
#include <QTextObjectInterface>
#include <algorithm>
#include <tuple>

namespace {

const QLatin1String kPictureScheme("picture:");

// A page with a table whose head is followed by rows of one shape (the rows
// a template repeats) is placed on pages by the engine: Qt's own pagination
// takes milliseconds per row and may split a row of several lines at a page
// edge. Other pages are left to Qt.
constexpr int kBandRows = 2;

ReportFlow::Place placeOf(const ReportMatch &match)
{
    return {match.position, match.row, match.cell};
}

// Draws <img src="picture:NAME"> with the report's picture of that name, on the
// page's own painter; every other image goes to the handler the document had.
class PictureHandler : public QObject, public QTextObjectInterface
{
    Q_OBJECT
    Q_INTERFACES(QTextObjectInterface)
public:
    PictureHandler(const QMap<QString, ReportPicture> &pictures, QTextObjectInterface *previous, QObject *parent)
        : QObject(parent), m_pictures(pictures), m_previous(previous)
    {}

    QSizeF intrinsicSize(QTextDocument *document, int position, const QTextFormat &format) override
    {
        const QTextImageFormat image = format.toImageFormat();
        if (!image.name().startsWith(kPictureScheme))
            return m_previous ? m_previous->intrinsicSize(document, position, format) : QSizeF();
        // Sizes are written in pixels at 96 per inch, as for images on screen.
        const QPaintDevice *device = document->documentLayout()->paintDevice();
        const double scale = device ? device->logicalDpiY() / 96.0 : 1.0;
        const double width = image.width() > 0 ? image.width() : 600;
        const double height = image.height() > 0 ? image.height() : 300;
        return QSizeF(width * scale, height * scale);
    }

    void drawObject(QPainter *painter, const QRectF &rect, QTextDocument *document, int position,
                    const QTextFormat &format) override
    {
        const QString name = format.toImageFormat().name();
        if (!name.startsWith(kPictureScheme)) {
            if (m_previous)
                m_previous->drawObject(painter, rect, document, position, format);
            return;
        }
        const ReportPicture picture = m_pictures.value(name.mid(kPictureScheme.size()));
        if (!picture)
            return;
        painter->save();
        picture(painter, rect);
        painter->restore();
    }

private:
    QMap<QString, ReportPicture> m_pictures;
    QTextObjectInterface *m_previous;
};

QFont bandFont(const QTextDocument &document)
{
    QFont font = document.defaultFont();
    font.setPointSizeF(9);
    return font;
}

QString pageText(QString text, int page, int pages)
{
    return text.replace(QLatin1String("{page}"), QString::number(page))
        .replace(QLatin1String("{pages}"), QString::number(pages));
}

}  // namespace

ReportLayout::ReportLayout(const QList<PreparedReport> &reports, QPagedPaintDevice *device)
    : m_reports(reports), m_area(device->width(), device->height())
{
    for (const PreparedReport &report : m_reports) {
        Laid laid;
        laid.document = std::make_unique<QTextDocument>();
        QTextDocument *document = laid.document.get();
        QAbstractTextDocumentLayout *layout = document->documentLayout();
        layout->setPaintDevice(device);
        layout->registerHandler(
            QTextFormat::ImageObject,
            new PictureHandler(report.pictures, layout->handlerForObject(QTextFormat::ImageObject), document));
        QFont font = document->defaultFont();
        font.setPointSizeF(10.5);
        document->setDefaultFont(font);
        document->setDocumentMargin(0);

        const double band = QFontMetricsF(bandFont(*document), device).height() * 2.0;
        laid.headerHeight = report.page.header.isEmpty() ? 0 : band;
        laid.footerHeight = report.page.footer.isEmpty() ? 0 : band;
        const double bodyHeight = m_area.height() - laid.headerHeight - laid.footerHeight;
        // Qt's rich text takes milliseconds for each table row: a long run of
        // rows is measured and placed by the engine instead.
        if (std::optional<ReportBandSplit> split = splitLongBand(report.html, kBandRows)) {
            document->setHtml(split->html);
            document->setTextWidth(m_area.width());
            laid.flow = ReportFlow::create(document, std::move(split->band), bodyHeight);
        }
        if (laid.flow) {
            laid.pages = std::max(1, laid.flow->pageCount());
        } else {
            document->setHtml(report.html);
            document->setPageSize(QSizeF(m_area.width(), bodyHeight));
            laid.pages = std::max(1, document->pageCount());
        }
        laid.firstPage = m_totalPages;
        m_totalPages += laid.pages;
        m_laid.push_back(std::move(laid));
    }
}

ReportLayout::~ReportLayout() = default;

void ReportLayout::paintPage(QPainter *painter, int page, const ReportMatch &highlight) const
{
    const auto it = std::find_if(m_laid.begin(), m_laid.end(), [page](const Laid &laid) {
        return page >= laid.firstPage && page < laid.firstPage + laid.pages;
    });
    if (it == m_laid.end())
        return;
    const int report = int(it - m_laid.begin());
    const Laid &laid = *it;
    const ReportPageSetup &setup = m_reports.at(report).page;
    QTextDocument *document = laid.document.get();

    painter->save();
    painter->setPen(Qt::black);
    painter->setFont(bandFont(*document));
    if (laid.headerHeight > 0)
        painter->drawText(QRectF(0, 0, m_area.width(), laid.headerHeight), Qt::AlignHCenter | Qt::AlignTop,
                          pageText(setup.header, page + 1, m_totalPages));
    if (laid.footerHeight > 0)
        painter->drawText(QRectF(0, m_area.height() - laid.footerHeight, m_area.width(), laid.footerHeight),
                          Qt::AlignHCenter | Qt::AlignBottom, pageText(setup.footer, page + 1, m_totalPages));

    if (laid.flow) {
        painter->translate(0, laid.headerHeight);
        const bool shown = highlight.report == report && highlight.length > 0;
        laid.flow->paintPage(painter, page - laid.firstPage, m_area.width(), placeOf(highlight),
                             shown ? highlight.length : 0);
        painter->restore();
        return;
    }
    const double height = document->pageSize().height();
    const QRectF view(0, (page - laid.firstPage) * height, m_area.width(), height);
    painter->translate(0, laid.headerHeight - view.top());
    painter->setClipRect(view);
    QAbstractTextDocumentLayout::PaintContext context;
    context.clip = view;
    context.palette.setColor(QPalette::Text, Qt::black);
    if (highlight.report == report && highlight.length > 0) {
        QAbstractTextDocumentLayout::Selection selection;
        selection.cursor = QTextCursor(document);
        selection.cursor.setPosition(highlight.position);
        selection.cursor.setPosition(highlight.position + highlight.length, QTextCursor::KeepAnchor);
        selection.format.setBackground(QColor(255, 214, 0));
        selection.format.setForeground(Qt::black);
        context.selections.append(selection);
    }
    document->documentLayout()->draw(painter, context);
    painter->restore();
}

std::pair<int, QPointF> ReportLayout::positionOnPage(int report, int position) const
{
    const Laid &laid = m_laid.at(report);
    QTextDocument *document = laid.document.get();
    const QTextBlock block = document->findBlock(position);
    const QRectF box = document->documentLayout()->blockBoundingRect(block);
    double x = box.left();
    double y = box.top();
    if (const QTextLayout *layout = block.layout()) {
        const QTextLine line = layout->lineForTextPosition(position - block.position());
        if (line.isValid()) {
            x += line.cursorToX(position - block.position());
            y += line.y() + line.height() / 2;
        }
    }
    const double height = document->pageSize().height();
    const int local = std::clamp(height > 0 ? int(y / height) : 0, 0, laid.pages - 1);
    return {laid.firstPage + local, QPointF(x, laid.headerHeight + y - local * height)};
}

ReportMatch ReportLayout::findIn(int report, const QString &text, const ReportMatch &from) const
{
    const Laid &laid = m_laid.at(report);
    ReportMatch match;
    if (laid.flow) {
        int length = 0;
        const std::optional<ReportFlow::Place> place = laid.flow->find(text, placeOf(from), &length);
        if (!place)
            return {};
        match.report = report;
        match.position = place->position;
        match.row = place->row;
        match.cell = place->cell;
        match.length = length;
        match.page = laid.firstPage + laid.flow->pageOf(*place);
        match.top = laid.headerHeight + laid.flow->topOf(*place);
        match.left = laid.flow->leftOf(*place);
        return match;
    }
    const QTextCursor found = laid.document->find(text, from.position);
    if (found.isNull())
        return {};
    match.report = report;
    match.position = found.selectionStart();
    match.length = found.selectionEnd() - found.selectionStart();
    QPointF at;
    std::tie(match.page, at) = positionOnPage(report, match.position);
    match.left = at.x();
    match.top = at.y();
    return match;
}

bool ReportLayout::before(int report, const ReportMatch &a, const ReportMatch &b) const
{
    if (const ReportFlow *flow = m_laid.at(report).flow.get())
        return flow->before(placeOf(a), placeOf(b));
    return a.position < b.position;
}

ReportMatch ReportLayout::find(const QString &text, const ReportMatch &after) const
{
    const int count = int(m_laid.size());
    if (text.isEmpty() || count == 0)
        return {};
    const int startReport = after.isValid() ? std::clamp(after.report, 0, count - 1) : 0;
    ReportMatch start;  // the first place a match may start
    if (after.isValid()) {
        start = after;
        start.position += 1;
    }
    // Every report once from the start, the first from the match on and again
    // from its beginning at the end of the round.
    for (int step = 0; step <= count; ++step) {
        const int report = (startReport + step) % count;
        const ReportMatch match = findIn(report, text, step == 0 ? start : ReportMatch());
        if (!match.isValid() || (step == count && !before(report, match, start)))
            continue;
        return match;
    }
    return {};
}

#include "report_layout.moc"
