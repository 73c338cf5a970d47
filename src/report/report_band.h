#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// A long run of table rows of one shape: the rows a template repeats over a
// dataset (the bills of a ledger). Qt's rich text spends milliseconds on each
// table row, so such a run is taken out of the page text and the engine
// measures and paints its rows itself (ReportFlow), on the geometry Qt gives
// two empty sample rows of the same shape left in its place.
struct ReportBand
{
    QList<QStringList> rows;  // the text of each cell; lines separated by U+2028
    int tableIndex = -1;      // the table among the page's <table> elements, in order
    int sampleRow = -1;       // the table's row (head rows counted) of the first sample row
    int tableRows = 0;        // rows of the table in the page text with the samples
    int cells = 0;            // cells in each row
    bool isEmpty() const { return rows.isEmpty(); }
};

struct ReportBandSplit
{
    // The page text with the run replaced by two empty rows of its shape, the
    // first one line high, the second two.
    QString html;
    ReportBand band;
};

// The longest run of at least minimumRows rows of one shape that follows a
// table's <thead>, when its cells hold nothing but text and line breaks;
// nothing when there is none.
std::optional<ReportBandSplit> splitLongBand(const QString &html, int minimumRows);

// The text a cell of the page text shows: white space collapsed as HTML does,
// <br> as a line separator, character references resolved.
QString reportCellText(QStringView cellHtml);
