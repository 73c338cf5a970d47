#include "report/report_band.h"

#include <QRegularExpression>
#include <vector>

namespace {

const auto kCase = QRegularExpression::CaseInsensitiveOption;

struct Cell
{
    QStringView open;   // <td align="center">
    QStringView html;   // what stands between the tags
    QStringView close;  // </td>
};

// A row of the page text; its views point into the page text.
struct Row
{
    qsizetype start = 0;
    qsizetype end = 0;
    QStringView open;  // <tr ...>
    std::vector<Cell> cells;
};

// Rows of one shape have the same tags with the same attributes.
bool sameShape(const Row &a, const Row &b)
{
    if (a.open != b.open || a.cells.size() != b.cells.size())
        return false;
    for (std::size_t i = 0; i < a.cells.size(); ++i) {
        if (a.cells[i].open != b.cells[i].open)
            return false;
    }
    return true;
}

// One row whose cells hold text and line breaks only, starting at the offset
// (white space before it allowed).
std::optional<Row> rowAt(const QString &html, qsizetype offset)
{
    static const QRegularExpression row(
        QStringLiteral(R"(\s*(<tr\b[^>]*>)(?:\s*<t[dh]\b[^>]*>[^<]*(?:<br\s*/?>[^<]*)*</t[dh]\s*>)+\s*</tr\s*>)"),
        kCase);
    // Matched on the row's own text: a match on the whole page would check
    // the whole page's text again for every row.
    const qsizetype close = html.indexOf(QLatin1String("</tr"), offset, Qt::CaseInsensitive);
    const qsizetype end = close < 0 ? -1 : html.indexOf(u'>', close);
    if (end < 0)
        return std::nullopt;
    const QStringView text = QStringView(html).mid(offset, end + 1 - offset);
    const QRegularExpressionMatch match = row.match(text, 0, QRegularExpression::NormalMatch,
                                                    QRegularExpression::AnchorAtOffsetMatchOption);
    if (!match.hasMatch() || match.capturedEnd(0) != text.size())
        return std::nullopt;
    Row found;
    found.start = offset + match.capturedStart(1);
    found.end = offset + match.capturedEnd(0);
    found.open = match.capturedView(1);
    // The pattern has checked the form: each cell is its tag, text without
    // tags but <br>, and the closing tag.
    for (qsizetype at = match.capturedEnd(1);;) {
        while (at < text.size() && text[at].isSpace())
            ++at;
        if (text.mid(at, 4).compare(QLatin1String("</tr"), Qt::CaseInsensitive) == 0)
            break;
        Cell cell;
        const qsizetype openEnd = text.indexOf(u'>', at) + 1;
        cell.open = text.mid(at, openEnd - at);
        const qsizetype closeStart = text.indexOf(QLatin1String("</t"), openEnd, Qt::CaseInsensitive);
        const qsizetype closeEnd = text.indexOf(u'>', closeStart) + 1;
        cell.html = text.mid(openEnd, closeStart - openEnd);
        cell.close = text.mid(closeStart, closeEnd - closeStart);
        found.cells.push_back(cell);
        at = closeEnd;
    }
    return found;
}

QString emptyRow(const Row &row, const QString &content)
{
    QString html = row.open.toString();
    for (const Cell &cell : row.cells) {
        html += cell.open;
        html += content;
        html += cell.close;
    }
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

// HTML's white space (not a no-break space) collapsed to single blanks, none at the ends.
QString collapsedSpaces(const QString &text)
{
    QString out;
    out.reserve(text.size());
    bool blank = false;
    for (const QChar ch : text) {
        if (ch == u' ' || ch == u'\t' || ch == u'\n' || ch == u'\r' || ch == u'\f') {
            blank = !out.isEmpty();
            continue;
        }
        if (blank)
            out += u' ';
        blank = false;
        out += ch;
    }
    return out;
}

}  // namespace

QString reportCellText(QStringView cellHtml)
{
    // Most cells hold a plain text with single blanks: taken as it is.
    bool plain = !cellHtml.isEmpty() && cellHtml.front() != u' ' && cellHtml.back() != u' ';
    for (qsizetype i = 0; plain && i < cellHtml.size(); ++i) {
        const QChar ch = cellHtml[i];
        plain = ch != u'<' && ch != u'&' && ch != u'\t' && ch != u'\n' && ch != u'\r' && ch != u'\f'
                && (ch != u' ' || cellHtml[i + 1] != u' ');
    }
    if (plain || cellHtml.isEmpty())
        return cellHtml.toString();
    static const QRegularExpression lineBreak(QStringLiteral(R"(<br\s*/?>)"), kCase);
    QStringList lines = cellHtml.toString().split(lineBreak);
    for (QString &line : lines)
        line = resolveReferences(collapsedSpaces(line));  // references after: &nbsp; is kept
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
            const QRegularExpressionMatch skip = bodyTag.match(QStringView(html).mid(at, 256), 0,
                                                               QRegularExpression::NormalMatch,
                                                               QRegularExpression::AnchorAtOffsetMatchOption);
            if (skip.hasMatch()) {
                at += skip.capturedEnd();
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
            const bool ends =
                i == int(rows.size()) || !sameShape(rows[i], rows[runStart])
                || (rows[i].start != rows[i - 1].end
                    && !QStringView(html).mid(rows[i - 1].end, rows[i].start - rows[i - 1].end).trimmed().isEmpty());
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
    split.band.cells = int(first.cells.size());
    split.band.rows.reserve(qsizetype(best.rows.size()));
    for (const Row &row : best.rows) {
        QStringList cells;
        cells.reserve(qsizetype(row.cells.size()));
        for (const Cell &cell : row.cells)
            cells << reportCellText(cell.html);
        split.band.rows.append(cells);
    }
    return split;
}
