#include "report/report_flow.h"

#include <QAbstractTextDocumentLayout>
#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPainter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextLayout>
#include <QTextTable>
#include <algorithm>
#include <limits>

// A place where a page may end, and what follows it up to the next one.
struct Cut
{
    double y = 0;
    int head = -1;             // the table head repeated when this piece starts a page
    bool breakBefore = false;  // page-break-before: always
    bool band = false;         // the sample rows: the band's rows stand here instead
    double tail = 0;
};

namespace {

struct Head
{
    double top = 0;
    double bottom = 0;
    double tail = 0;
};

struct TableGeometry
{
    double border = 0;  // device units
    double padding = 0;
    double scale = 1;
};

double deviceScale(const QTextDocument *document)
{
    const QPaintDevice *device = document->documentLayout()->paintDevice();
    return device ? device->logicalDpiY() / 96.0 : 1.0;
}

TableGeometry geometryOf(const QTextDocument *document, const QTextTable *table)
{
    TableGeometry geometry;
    geometry.scale = deviceScale(document);
    const QTextTableFormat format = table->format();
    geometry.border = format.border() * geometry.scale;
    geometry.padding = format.cellPadding() * geometry.scale;
    return geometry;
}

// The top of the text of a row's cells (those that start in the row).
double contentTop(const QTextDocument *document, const QTextTable *table, int row)
{
    double top = std::numeric_limits<double>::max();
    for (int column = 0; column < table->columns();) {
        const QTextTableCell cell = table->cellAt(row, column);
        if (cell.row() == row)
            top = std::min(top,
                           document->documentLayout()->blockBoundingRect(cell.firstCursorPosition().block()).top());
        column += std::max(1, cell.columnSpan());
    }
    return top;
}

double contentBottom(const QTextDocument *document, const QTextTable *table, int row)
{
    double bottom = 0;
    for (int column = 0; column < table->columns();) {
        const QTextTableCell cell = table->cellAt(row, column);
        bottom = std::max(bottom,
                          document->documentLayout()->blockBoundingRect(cell.lastCursorPosition().block()).bottom());
        column += std::max(1, cell.columnSpan());
    }
    return bottom;
}

// The upper edge of the grid line above a row: between two rows of collapsed
// borders lie the padding of each and one line, centred on the cells' edge.
double rowCut(const QTextDocument *document, const QTextTable *table, const TableGeometry &g, int row)
{
    return contentTop(document, table, row) - g.padding - 1.5 * g.border;
}

void tablesInOrder(QTextFrame *frame, QList<QTextTable *> &tables)
{
    for (QTextFrame *child : frame->childFrames()) {
        if (auto *table = qobject_cast<QTextTable *>(child))
            tables << table;
        tablesInOrder(child, tables);
    }
}

}  // namespace

std::unique_ptr<ReportFlow> ReportFlow::create(QTextDocument *document, ReportBand band, double pageHeight)
{
    std::unique_ptr<ReportFlow> flow(new ReportFlow);
    flow->m_document = document;
    flow->m_band = std::move(band);
    document->size();  // lays the whole text out

    QTextTable *bandTable = nullptr;
    if (!flow->m_band.isEmpty()) {
        QList<QTextTable *> tables;
        tablesInOrder(document->rootFrame(), tables);
        if (flow->m_band.tableIndex < 0 || flow->m_band.tableIndex >= tables.size())
            return nullptr;
        bandTable = tables.at(flow->m_band.tableIndex);
        if (!flow->measureBand(bandTable))
            return nullptr;
    }

    // Where a page may end: before each line of the text and each table row.
    QAbstractTextDocumentLayout *layout = document->documentLayout();
    std::vector<Cut> cuts{Cut{}};
    std::vector<Head> heads;
    for (auto it = document->rootFrame()->begin(); !it.atEnd(); ++it) {
        if (QTextFrame *frame = it.currentFrame()) {
            auto *table = qobject_cast<QTextTable *>(frame);
            if (!table || table->rows() == 0)
                continue;  // another frame keeps together with what stands before it
            const TableGeometry g = geometryOf(document, table);
            const int headRows = std::min(table->format().headerRowCount(), table->rows() - 1);
            int head = -1;
            if (headRows > 0) {
                heads.push_back({rowCut(document, table, g, 0), rowCut(document, table, g, headRows), g.border});
                head = int(heads.size()) - 1;
            }
            const bool breakBefore = frame->frameFormat().pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore;
            for (int row = 0; row < table->rows(); ++row) {
                const bool sample = table == bandTable && row == flow->m_band.sampleRow;
                if (table == bandTable && row == flow->m_band.sampleRow + 1)
                    continue;
                cuts.push_back({rowCut(document, table, g, row), row >= headRows ? head : -1, row == 0 && breakBefore,
                                sample, g.border});
            }
            cuts.push_back({contentBottom(document, table, table->rows() - 1) + g.padding + 0.5 * g.border});
        } else {
            const QTextBlock block = it.currentBlock();
            const double top = layout->blockBoundingRect(block).top();
            const bool breakBefore = block.blockFormat().pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore;
            const QTextLayout *lines = block.layout();
            cuts.push_back({top, -1, breakBefore});
            for (int i = 1; lines && i < lines->lineCount(); ++i)
                cuts.push_back({top + lines->lineAt(i).y()});
        }
    }
    const double end = document->size().height();
    for (std::size_t i = 1; i < cuts.size(); ++i)
        cuts[i].y = std::clamp(cuts[i].y, cuts[i - 1].y, end);

    // Placing the pieces, in order.
    flow->m_pages.emplace_back();
    double y = 0;
    auto startPageIfFull = [&](double height, int head, bool breakBefore) {
        if (flow->m_pages.back().empty() || (!breakBefore && y + height <= pageHeight + 0.01))
            return;
        flow->m_pages.emplace_back();
        y = 0;
        if (head >= 0) {
            const Head &h = heads[std::size_t(head)];
            flow->m_pages.back().push_back({0, h.top, h.bottom, h.tail});
            y = h.bottom - h.top;
        }
    };
    for (std::size_t i = 0; i < cuts.size(); ++i) {
        const Cut &cut = cuts[i];
        const double bottom = i + 1 < cuts.size() ? cuts[i + 1].y : end;
        if (cut.band) {
            for (int row = 0; row < int(flow->m_rowHeights.size()); ++row) {
                const double height = flow->m_rowHeights[std::size_t(row)];
                startPageIfFull(height, cut.head, false);
                std::vector<Piece> &page = flow->m_pages.back();
                if (!page.empty() && page.back().endRow == row)
                    ++page.back().endRow;
                else
                    page.push_back({y, 0, 0, 0, row, row + 1});
                flow->m_rowPages.push_back(flow->pageCount() - 1);
                y += height;
            }
            continue;
        }
        const double height = bottom - cut.y;
        if (height <= 0 && !cut.breakBefore)
            continue;
        startPageIfFull(height, cut.head, cut.breakBefore);
        std::vector<Piece> &page = flow->m_pages.back();
        if (!page.empty() && page.back().firstRow < 0 && qFuzzyCompare(page.back().sourceBottom + 1, cut.y + 1)
            && qFuzzyCompare(page.back().top + page.back().sourceBottom - page.back().sourceTop + 1, y + 1)) {
            page.back().sourceBottom = bottom;
            page.back().tail = cut.tail;
        } else {
            page.push_back({y, cut.y, bottom, cut.tail});
        }
        flow->m_placed.push_back({cut.y, bottom, flow->pageCount() - 1});
        y += height;
    }
    return flow;
}

bool ReportFlow::measureBand(QTextTable *table)
{
    const int sample = m_band.sampleRow;
    if (table->rows() != m_band.tableRows || sample < 0 || sample + 1 >= table->rows())
        return false;
    const QTextTableFormat format = table->format();
    if (format.border() > 0 && !format.borderCollapse())
        return false;  // separate boxes around the cells: left to Qt
    const TableGeometry g = geometryOf(m_document, table);
    QAbstractTextDocumentLayout *layout = m_document->documentLayout();

    QList<QTextTableCell> cells;
    for (int column = 0; column < table->columns();) {
        const QTextTableCell cell = table->cellAt(sample, column);
        if (cell.row() != sample || cell.rowSpan() != 1)
            return false;
        cells << cell;
        column += std::max(1, cell.columnSpan());
    }
    if (cells.size() != m_band.cells)
        return false;

    m_border = g.border;
    m_borderBrush = format.borderBrush().style() == Qt::NoBrush ? QBrush(Qt::black) : format.borderBrush();
    const double top = contentTop(m_document, table, sample);
    m_rowPitch = contentTop(m_document, table, sample + 1) - top;
    m_contentOffset = g.padding + 1.5 * g.border;
    for (int i = 0; i < cells.size(); ++i) {
        const QTextTableCell &cell = cells.at(i);
        const QTextBlock one = cell.firstCursorPosition().block();
        const QTextBlock two = table->cellAt(sample + 1, cell.column()).firstCursorPosition().block();
        const QRectF oneRect = layout->blockBoundingRect(one);
        Column column;
        column.left = oneRect.left();
        column.width = oneRect.width();
        column.lineStep = layout->blockBoundingRect(two).height() - oneRect.height();
        if (column.lineStep <= 0)
            column.lineStep = oneRect.height();
        // Qt gives an empty cell the paragraph format of the cell before it:
        // the format is read from the second sample, which holds a line break.
        const QTextCharFormat text = two.charFormat();
        column.font = text.font().resolve(m_document->defaultFont());
        column.metrics = std::make_shared<QFontMetricsF>(column.font, layout->paintDevice());
        column.advances = std::make_shared<QHash<char16_t, qreal>>();
        column.color = text.foreground().style() == Qt::NoBrush ? QColor(Qt::black) : text.foreground().color();
        column.alignment = two.blockFormat().alignment() & Qt::AlignHorizontal_Mask;
        if (!column.alignment)
            column.alignment = Qt::AlignLeft;
        column.verticalAlignment = cell.format().verticalAlignment();
        column.background = cell.format().background();
        m_columns.push_back(column);
        m_gridLines.push_back(i == 0 ? column.left - g.padding - g.border
                                     : m_columns[std::size_t(i - 1)].left + m_columns[std::size_t(i - 1)].width
                                           + g.padding);
    }
    m_gridLines.push_back(m_columns.back().left + m_columns.back().width + g.padding);

    m_samplePosition = cells.first().firstPosition();
    m_sampleEnd = table->cellAt(sample + 1, cells.last().column()).lastPosition() + 1;

    m_rowHeights.reserve(std::size_t(m_band.rows.size()));
    for (const QStringList &row : std::as_const(m_band.rows)) {
        double extra = 0;
        for (int c = 0; c < row.size() && c < int(m_columns.size()); ++c)
            extra = std::max(extra, (lineCount(c, row[c]) - 1) * m_columns[std::size_t(c)].lineStep);
        m_rowHeights.push_back(m_rowPitch + extra);
    }
    return true;
}

int ReportFlow::lineCount(int column, const QString &text) const
{
    if (text.isEmpty())
        return 1;
    const Column &c = m_columns[std::size_t(column)];
    QPaintDevice *device = m_document->documentLayout()->paintDevice();
    if (!text.contains(QChar::LineSeparator)) {
        // Most cells hold one short line. The sum of the characters' own widths
        // tells that without shaping the text; kerning and the like move it by
        // far less than the room left. Near the edge the text is measured.
        qreal sum = 0;
        for (const QChar ch : text) {
            if (ch.isSurrogate()) {
                sum = c.width;
                break;
            }
            auto known = c.advances->constFind(ch.unicode());
            if (known == c.advances->constEnd())
                known = c.advances->insert(ch.unicode(), c.metrics->horizontalAdvance(ch));
            sum += *known;
        }
        if (sum <= c.width * 0.9)
            return 1;
        if (c.metrics->horizontalAdvance(text) <= c.width)
            return 1;
    }
    QTextLayout layout(text, c.font, device);
    QTextOption option(c.alignment);
    option.setWrapMode(m_document->defaultTextOption().wrapMode());
    layout.setTextOption(option);
    layout.beginLayout();
    int lines = 0;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(c.width);
        ++lines;
    }
    layout.endLayout();
    return std::max(1, lines);
}

void ReportFlow::paintRow(QPainter *painter, int row, double top, const Place &highlight, int highlightLength) const
{
    const double height = m_rowHeights[std::size_t(row)];
    const double line = top + m_border / 2;  // centre of the upper grid line
    for (std::size_t c = 0; c < m_columns.size(); ++c) {
        if (m_columns[c].background.style() != Qt::NoBrush)
            painter->fillRect(QRectF(m_gridLines[c], line, m_gridLines[c + 1] - m_gridLines[c], height),
                              m_columns[c].background);
    }
    if (m_border > 0) {
        const double left = m_gridLines.front() - m_border / 2;
        const double width = m_gridLines.back() - m_gridLines.front() + m_border;
        painter->fillRect(QRectF(left, top, width, m_border), m_borderBrush);
        painter->fillRect(QRectF(left, top + height, width, m_border), m_borderBrush);
        for (const double x : m_gridLines)
            painter->fillRect(QRectF(x - m_border / 2, top, m_border, height + m_border), m_borderBrush);
    }

    QPaintDevice *device = m_document->documentLayout()->paintDevice();
    const QStringList &cells = m_band.rows.at(row);
    for (int c = 0; c < cells.size() && c < int(m_columns.size()); ++c) {
        const QString &text = cells.at(c);
        if (text.isEmpty())
            continue;
        const Column &column = m_columns[std::size_t(c)];
        QTextLayout layout(text, column.font, device);
        QTextOption option(column.alignment);
        option.setWrapMode(m_document->defaultTextOption().wrapMode());
        layout.setTextOption(option);
        layout.beginLayout();
        int lines = 0;
        for (QTextLine textLine = layout.createLine(); textLine.isValid(); textLine = layout.createLine()) {
            textLine.setLineWidth(column.width);
            textLine.setPosition(QPointF(0, lines * column.lineStep));
            ++lines;
        }
        layout.endLayout();
        double y = top + m_contentOffset;
        const double room = height - m_rowPitch - (lines - 1) * column.lineStep;
        if (column.verticalAlignment == QTextCharFormat::AlignMiddle)
            y += room / 2;
        else if (column.verticalAlignment == QTextCharFormat::AlignBottom)
            y += room;
        QList<QTextLayout::FormatRange> selections;
        if (highlightLength > 0 && highlight.row == row && highlight.cell == c) {
            QTextLayout::FormatRange range;
            range.start = highlight.position;
            range.length = highlightLength;
            range.format.setBackground(QColor(255, 214, 0));
            range.format.setForeground(Qt::black);
            selections << range;
        }
        painter->setPen(column.color);
        layout.draw(painter, QPointF(column.left, y), selections);
    }
}

void ReportFlow::paintPage(QPainter *painter, int page, double width, const Place &highlight, int highlightLength) const
{
    if (page < 0 || page >= pageCount())
        return;
    for (const Piece &piece : m_pages[std::size_t(page)]) {
        if (piece.firstRow >= 0) {
            double top = piece.top;
            for (int row = piece.firstRow; row < piece.endRow; ++row) {
                paintRow(painter, row, top, highlight, highlightLength);
                top += m_rowHeights[std::size_t(row)];
            }
            continue;
        }
        painter->save();
        painter->translate(0, piece.top - piece.sourceTop);
        const QRectF view(0, piece.sourceTop, width, piece.sourceBottom - piece.sourceTop + piece.tail);
        painter->setClipRect(view);
        QAbstractTextDocumentLayout::PaintContext context;
        context.clip = view;
        context.palette.setColor(QPalette::Text, Qt::black);
        if (highlightLength > 0 && highlight.row < 0) {
            QAbstractTextDocumentLayout::Selection selection;
            selection.cursor = QTextCursor(m_document);
            selection.cursor.setPosition(highlight.position);
            selection.cursor.setPosition(highlight.position + highlightLength, QTextCursor::KeepAnchor);
            selection.format.setBackground(QColor(255, 214, 0));
            selection.format.setForeground(Qt::black);
            context.selections.append(selection);
        }
        m_document->documentLayout()->draw(painter, context);
        painter->restore();
    }
}

namespace {
// Reading order: 0 the document before the band, 1 the band, 2 the document after.
int segmentOf(const ReportFlow::Place &place, bool hasBand, int sampleEnd)
{
    if (place.row >= 0)
        return 1;
    return hasBand && place.position >= sampleEnd ? 2 : 0;
}
}  // namespace

bool ReportFlow::before(const Place &a, const Place &b) const
{
    const int sa = segmentOf(a, !m_band.isEmpty(), m_sampleEnd);
    const int sb = segmentOf(b, !m_band.isEmpty(), m_sampleEnd);
    if (sa != sb)
        return sa < sb;
    if (a.row != b.row)
        return a.row < b.row;
    if (a.cell != b.cell)
        return a.cell < b.cell;
    return a.position < b.position;
}

std::optional<ReportFlow::Place> ReportFlow::find(const QString &text, const Place &from, int *length) const
{
    const bool hasBand = !m_band.isEmpty();
    const int segment = segmentOf(from, hasBand, m_sampleEnd);
    auto inDocument = [&](int position, int limit) -> std::optional<Place> {
        const QTextCursor found = m_document->find(text, position);
        if (found.isNull() || (limit >= 0 && found.selectionStart() >= limit))
            return std::nullopt;
        *length = found.selectionEnd() - found.selectionStart();
        return Place{found.selectionStart(), -1, -1};
    };
    if (segment == 0) {
        if (auto place = inDocument(from.position, hasBand ? m_samplePosition : -1))
            return place;
        if (!hasBand)
            return std::nullopt;
    }
    if (segment <= 1) {
        const int firstRow = segment == 1 ? from.row : 0;
        for (int row = firstRow; row < m_band.rows.size(); ++row) {
            const QStringList &cells = m_band.rows.at(row);
            const int firstCell = row == firstRow && segment == 1 ? from.cell : 0;
            for (int cell = std::max(0, firstCell); cell < cells.size(); ++cell) {
                const int start = row == firstRow && segment == 1 && cell == from.cell ? from.position : 0;
                const qsizetype at = cells.at(cell).indexOf(text, start, Qt::CaseInsensitive);
                if (at >= 0) {
                    *length = int(text.size());
                    return Place{int(at), row, cell};
                }
            }
        }
    }
    return inDocument(segment == 2 ? from.position : m_sampleEnd, -1);
}

double ReportFlow::sourceY(const Place &place) const
{
    const QTextBlock block = m_document->findBlock(place.position);
    double y = m_document->documentLayout()->blockBoundingRect(block).top();
    if (const QTextLayout *layout = block.layout()) {
        const QTextLine line = layout->lineForTextPosition(place.position - block.position());
        if (line.isValid())
            y += line.y() + line.height() / 2;
    }
    return y;
}

int ReportFlow::pageOf(const Place &place) const
{
    if (place.row >= 0)
        return place.row < int(m_rowPages.size()) ? m_rowPages[std::size_t(place.row)] : 0;
    const double y = sourceY(place);
    const auto it = std::upper_bound(m_placed.begin(), m_placed.end(), y,
                                     [](double value, const Placed &p) { return value < p.sourceTop; });
    return it == m_placed.begin() ? 0 : std::prev(it)->page;
}

double ReportFlow::topOf(const Place &place) const
{
    const int page = pageOf(place);
    if (page < 0 || page >= pageCount())
        return 0;
    const double y = place.row >= 0 ? 0 : sourceY(place);
    for (const Piece &piece : m_pages[std::size_t(page)]) {
        if (place.row >= 0 && piece.firstRow >= 0 && place.row >= piece.firstRow && place.row < piece.endRow) {
            double top = piece.top;
            for (int row = piece.firstRow; row < place.row; ++row)
                top += m_rowHeights[std::size_t(row)];
            return top;
        }
        if (place.row < 0 && piece.firstRow < 0 && y >= piece.sourceTop && y < piece.sourceBottom)
            return piece.top + y - piece.sourceTop;
    }
    return 0;
}

double ReportFlow::leftOf(const Place &place) const
{
    if (place.row >= 0)
        return place.cell >= 0 && place.cell < int(m_columns.size()) ? m_columns[std::size_t(place.cell)].left : 0;
    const QTextBlock block = m_document->findBlock(place.position);
    double x = m_document->documentLayout()->blockBoundingRect(block).left();
    if (const QTextLayout *layout = block.layout()) {
        const QTextLine line = layout->lineForTextPosition(place.position - block.position());
        if (line.isValid())
            x += line.cursorToX(place.position - block.position());
    }
    return x;
}
