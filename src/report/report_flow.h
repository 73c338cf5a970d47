#pragma once

#include "report/report_band.h"

#include <QBrush>
#include <QColor>
#include <QFont>
#include <QFontMetricsF>
#include <QHash>
#include <QList>
#include <QString>
#include <memory>
#include <optional>
#include <vector>

class QPainter;
class QTextDocument;
class QTextTable;

// A report placed on pages by the engine instead of Qt's own pagination: the
// page text is laid out once as one long column (QTextDocument::setTextWidth),
// cut into pieces at its lines and table rows, and the pieces are placed on
// pages in order; a piece that does not fit starts the next page, a table row
// starting a page gets its table's head above it, and no row is split. The
// rows of a long band (report_band.h) are measured and painted here, on the
// geometry of the band's two sample rows.
class ReportFlow
{
public:
    // A place in the flow's text, in reading order: the document before the
    // band, the band's cells, the document after it.
    struct Place
    {
        int position = 0;  // in the document, or in the cell's text
        int row = -1;      // band row, or -1 for the document
        int cell = -1;
    };

    // The document must already hold the page text split by splitLongBand
    // (or any page text, with an empty band). Returns nothing when the band's
    // table is not where the split put it, or is drawn in a way the flow does
    // not draw (separated borders).
    static std::unique_ptr<ReportFlow> create(QTextDocument *document, ReportBand band, double pageHeight);

    int pageCount() const { return int(m_pages.size()); }

    // Paints one page with the painter's origin at the top of the page's body;
    // the match given (length > 0) is shown highlighted.
    void paintPage(QPainter *painter, int page, double width, const Place &highlight, int highlightLength) const;

    // The first occurrence of the text at or after the place (case ignored);
    // nothing at the end of the report. Occurrences in the sample rows, which
    // are never shown, are skipped.
    std::optional<Place> find(const QString &text, const Place &from, int *length) const;
    // Orders places as they are read.
    bool before(const Place &a, const Place &b) const;
    int pageOf(const Place &place) const;
    // How far below the top of its page's body the place stands.
    double topOf(const Place &place) const;
    // How far right of the body's left edge the place stands.
    double leftOf(const Place &place) const;

private:
    ReportFlow() = default;

    struct Column
    {
        double left = 0;  // text area, device units
        double width = 0;
        double lineStep = 0;
        QFont font;
        std::shared_ptr<QFontMetricsF> metrics;            // of the font on the layout's device
        std::shared_ptr<QHash<char16_t, qreal>> advances;  // of single characters, as met
        QColor color;
        Qt::Alignment alignment;
        int verticalAlignment = 0;  // QTextCharFormat::VerticalAlignment
        QBrush background;
    };
    struct Piece
    {
        double top = 0;  // on the page
        double sourceTop = 0;
        double sourceBottom = 0;
        double tail = 0;    // drawn below the piece: the grid line closing its last row
        int firstRow = -1;  // band rows [firstRow, endRow) instead of the document
        int endRow = -1;
    };
    struct Placed
    {
        double sourceTop;
        double sourceBottom;
        int page;
    };

    bool measureBand(QTextTable *table);
    void paintRow(QPainter *painter, int row, double top, const Place &highlight, int highlightLength) const;
    int lineCount(int column, const QString &text) const;
    double sourceY(const Place &place) const;  // in the long column, for a place outside the band

    QTextDocument *m_document = nullptr;
    ReportBand m_band;
    std::vector<std::vector<Piece>> m_pages;
    std::vector<Placed> m_placed;  // where each piece of the document went first
    // The band.
    std::vector<Column> m_columns;
    std::vector<double> m_gridLines;  // x of the vertical grid lines (centres)
    std::vector<double> m_rowHeights;
    std::vector<int> m_rowPages;
    double m_rowPitch = 0;  // one grid line to the next, for a row of one line
    double m_border = 0;
    double m_contentOffset = 0;  // from a row's upper grid line to its text
    QBrush m_borderBrush;
    int m_samplePosition = 0;  // the document's text of the sample rows, never shown
    int m_sampleEnd = 0;
};
