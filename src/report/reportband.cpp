#include "reportband.h"

#include <QRegularExpression>
#include <vector>

namespace {

const auto kCase = QRegularExpression::CaseInsensitiveOption;

struct Row
{
    qsizetype start = 0;
    qsizetype end = 0;
    QString shape;           // the tags and attributes, without the cells' text
    QStringList cellOpen;    // "<td align=\"center\">"
    QStringList cellClose;   // "</td>"
    QStringList cellHtml;    // what stands between them
    QString open;            // "<tr ...>"
};

// One row whose cells hold text and line breaks only, starting at the offset
// (white space before it allowed).
std::optional<Row> rowAt(const QString &html, qsizetype offset)
{
    static const QRegularExpression row(
        QStringLiteral(R"(\s*(<tr\b[^>]*>)((?:\s*<t[dh]\b[^>]*>[^<]*(?:<br\s*/?>[^<]*)*</t[dh]\s*>)*)\s*</tr\s*>)"), kCase);
    static const QRegularExpression cell(QStringLiteral(R"((<t([dh])\b[^>]*>)([^<]*(?:<br\s*/?>[^<]*)*)(</t\2\s*>))"), kCase);
    const QRegularExpressionMatch match =
        row.match(html, offset, QRegularExpression::NormalMatch, QRegularExpression::AnchorAtOffsetMatchOption);
    if (!match.hasMatch())
        return std::nullopt;
    Row found;
    found.start = match.capturedStart(1);
    found.end = match.capturedEnd(0);
    found.open = match.captured(1);
    found.shape = found.open;
    for (auto it = cell.globalMatch(match.capturedView(2)); it.hasNext();) {
        const QRegularExpressionMatch c = it.next();
        found.cellOpen << c.captured(1);
        found.cellHtml << c.captured(3);
        found.cellClose << c.captured(4);
        found.shape += c.captured(1);
    }
    if (found.cellOpen.isEmpty())
        return std::nullopt;
    return found;
}

QString emptyRow(const Row &row, const QString &content)
{
    QString html = row.open;
    for (int i = 0; i < row.cellOpen.size(); ++i)
        html += row.cellOpen[i] + content + row.cellClose[i];
    return html + QStringLiteral("</tr>");
}

QString resolveReferences(const QString &text)
{
    if (!text.contains(u'&'))
        return text;
    static const QRegularExpression reference(QStringLiteral("&(#[0-9]+|#[xX][0-9a-fA-F]+|[a-zA-Z]+);"));
    QString out;
    qsizetype last = 0;
    for (auto it = reference.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        out += QStringView(text).mid(last, match.capturedStart() - last);
        last = match.capturedEnd();
        const QString name = match.captured(1);
        bool ok = false;
        char32_t code = 0;
        if (name.startsWith(QLatin1String("#x"), Qt::CaseInsensitive))
            code = name.mid(2).toUInt(&ok, 16);
        else if (name.startsWith(u'#'))
            code = name.mid(1).toUInt(&ok, 10);
        else if (name == QLatin1String("amp"))
            code = '&', ok = true;
        else if (name == QLatin1String("lt"))
            code = '<', ok = true;
        else if (name == QLatin1String("gt"))
            code = '>', ok = true;
        else if (name == QLatin1String("quot"))
            code = '"', ok = true;
        else if (name == QLatin1String("apos"))
            code = '\'', ok = true;
        else if (name == QLatin1String("nbsp"))
            code = 0xA0, ok = true;
        if (ok && code > 0 && code <= 0x10FFFF)
            out += QString::fromUcs4(&code, 1);
        else
            out += match.captured(0);
    }
    out += QStringView(text).mid(last);
    return out;
}

}  // namespace

QString reportCellText(const QString &cellHtml)
{
    static const QRegularExpression lineBreak(QStringLiteral(R"(<br\s*/?>)"), kCase);
    QStringList lines = cellHtml.split(lineBreak);
    for (QString &line : lines)
        line = resolveReferences(line.simplified());  // references after: &nbsp; is kept
    return lines.join(QChar::LineSeparator);
}

std::optional<ReportBandSplit> splitLongBand(const QString &html, int minimumRows)
{
    static const QRegularExpression tableOpen(QStringLiteral(R"(<table\b)"), kCase);
    static const QRegularExpression theadClose(QStringLiteral(R"(</thead\s*>)"), kCase);
    static const QRegularExpression rowOpen(QStringLiteral(R"(<tr\b)"), kCase);
    static const QRegularExpression bodyTag(QStringLiteral(R"(\s*</?tbody\b[^>]*>)"), kCase);

    struct Best
    {
        int tableIndex = -1;
        int rowsBefore = 0;  // rows of the table before the run (head rows counted)
        std::vector<Row> rows;
        int tableRows = 0;
    } best;

    std::vector<qsizetype> tableStarts;
    for (auto it = tableOpen.globalMatch(html); it.hasNext();)
        tableStarts.push_back(it.next().capturedStart());

    for (int t = 0; t < int(tableStarts.size()); ++t) {
        const qsizetype start = tableStarts[t];
        const qsizetype nextTable = t + 1 < int(tableStarts.size()) ? tableStarts[t + 1] : html.size();
        const QRegularExpressionMatch head = theadClose.match(html, start);
        if (!head.hasMatch() || head.capturedStart() > nextTable)
            continue;  // no head, or a table nested in it
        int headRows = 0;
        for (auto it = rowOpen.globalMatch(QStringView(html).mid(start, head.capturedStart() - start)); it.hasNext();
             it.next())
            ++headRows;

        // The simple rows after the head, in order, until anything else.
        std::vector<Row> rows;
        qsizetype at = head.capturedEnd();
        for (;;) {
            const QRegularExpressionMatch skip =
                bodyTag.match(html, at, QRegularExpression::NormalMatch, QRegularExpression::AnchorAtOffsetMatchOption);
            if (skip.hasMatch()) {
                at = skip.capturedEnd();
                continue;
            }
            std::optional<Row> row = rowAt(html, at);
            if (!row || row->end > nextTable)
                break;
            at = row->end;
            rows.push_back(std::move(*row));
        }
        // The longest run of one shape, next to each other in the text.
        int runStart = 0;
        int bestStart = 0;
        int bestLength = 0;
        for (int i = 1; i <= int(rows.size()); ++i) {
            const bool ends = i == int(rows.size()) || rows[i].shape != rows[runStart].shape
                              || rows[i].start != rows[i - 1].end && !QStringView(html)
                                                                         .mid(rows[i - 1].end, rows[i].start - rows[i - 1].end)
                                                                         .trimmed()
                                                                         .isEmpty();
            if (!ends)
                continue;
            if (i - runStart > bestLength) {
                bestLength = i - runStart;
                bestStart = runStart;
            }
            runStart = i;
        }
        if (bestLength < minimumRows || bestLength <= int(best.rows.size()))
            continue;
        // Rows of the table after the body's simple rows cannot be counted
        // without a parser; the layout checks the count it finds.
        int rowsAfter = 0;
        const qsizetype tableEnd = html.indexOf(QLatin1String("</table"), at, Qt::CaseInsensitive);
        for (auto it = rowOpen.globalMatch(QStringView(html).mid(at, (tableEnd < 0 ? html.size() : tableEnd) - at));
             it.hasNext(); it.next())
            ++rowsAfter;
        best.tableIndex = t;
        best.rowsBefore = headRows + bestStart;
        best.tableRows = headRows + int(rows.size()) - bestLength + 2 + rowsAfter;
        best.rows.assign(std::make_move_iterator(rows.begin() + bestStart),
                         std::make_move_iterator(rows.begin() + bestStart + bestLength));
    }
    if (best.rows.empty())
        return std::nullopt;

    ReportBandSplit split;
    const Row &first = best.rows.front();
    split.html = html.left(first.start) + emptyRow(first, QString()) + emptyRow(first, QStringLiteral("<br/>"))
                 + html.mid(best.rows.back().end);
    split.band.tableIndex = best.tableIndex;
    split.band.sampleRow = best.rowsBefore;
    split.band.tableRows = best.tableRows;
    split.band.cells = int(first.cellOpen.size());
    split.band.rows.reserve(qsizetype(best.rows.size()));
    for (const Row &row : best.rows) {
        QStringList cells;
        cells.reserve(row.cellHtml.size());
        for (const QString &cell : row.cellHtml)
            cells << reportCellText(cell);
        split.band.rows.append(cells);
    }
    return split;
}
