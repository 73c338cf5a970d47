#include "report/report_template.h"

#include "report/report_error.h"
#include "report/report_values.h"

#include <QRegularExpression>
#include <QSet>
#include <QSqlField>
#include <kainjow/mustache.hpp>

namespace mustache = kainjow::mustache;

namespace {
std::string utf8(const QString &text)
{
    return text.toStdString();
}

// Empty texts and NULLs are false, so {{#name}}...{{/name}} shows a block only
// when there is something to show; everything else prints as its text.
mustache::data textData(const QString &text)
{
    if (text.isEmpty())
        return mustache::data(false);
    return mustache::data(utf8(text));
}

mustache::data fieldData(const QSqlField &field)
{
    const QVariant value = field.value();
    if (reportIsBoolean(value, field.metaType()) && !value.isNull())
        return mustache::data(value.toBool());
    return textData(reportValueText(value, field.metaType()));
}

// The names a template's tags use (each part of a dotted name). Only these
// fields are handed to it: a ledger of 10,000 notices would otherwise convert
// every column of every row. Empty when the template changes its delimiters
// and the tags cannot be read this way: then every field is handed over.
using UsedNames = QSet<QString>;
UsedNames usedNames(const QString &templateText)
{
    UsedNames names;
    if (templateText.contains(QLatin1String("{{=")))
        return names;
    static const QRegularExpression tag(QStringLiteral(R"(\{\{\s*[#^/&{]?\s*([^}\s]+))"));
    for (auto it = tag.globalMatch(templateText); it.hasNext();) {
        for (const QString &part : it.next().captured(1).split(u'.'))
            names.insert(part);
    }
    return names;
}

// A row's fields under their names as the database gives them and in lower case,
// since servers differ in the case they report ("ID" or "id") for `select *`.
mustache::data rowData(const QSqlRecord &record, int rowNumber, const UsedNames &used)
{
    mustache::data row(mustache::data::type::object);
    const bool all = used.isEmpty();
    for (int i = 0; i < record.count(); ++i) {
        const QString name = record.fieldName(i);
        if (all || used.contains(name))
            row.set(utf8(name), fieldData(record.field(i)));
    }
    for (int i = 0; i < record.count(); ++i) {
        const QString name = record.fieldName(i).toLower();
        if (!all && !used.contains(name))
            continue;
        const std::string lower = utf8(name);
        if (!row.get(lower))
            row.set(lower, fieldData(record.field(i)));
    }
    if (rowNumber > 0)
        row.set("_row", utf8(QString::number(rowNumber)));
    return row;
}

mustache::data currentRowData(const ReportDatasetSnapshot &dataset, const UsedNames &used)
{
    const ReportRows &rows = dataset.rows;
    if (rows.current < 0 || rows.current >= rows.records.size())
        return mustache::data(false);
    return rowData(rows.records.at(rows.current), 0, used);
}

// Fills the rows into a list already in its place in the data. The library
// copies what it is given (set, push_back) and copies rather than moves its
// elements when a list grows: for a ledger of 10,000 rows that was most of the
// time spent here. The rows are moved into the list the data owns instead.
void fillRows(const mustache::data &list, const ReportRows &rows, const UsedNames &used)
{
    auto &items = const_cast<mustache::list &>(list.list_value());
    items.reserve(std::size_t(rows.records.size()));
    for (int i = 0; i < rows.records.size(); ++i)
        items.push_back(rowData(rows.records.at(i), i + 1, used));
}

mustache::data variableData(const QVariant &value)
{
    return textData(value.toString());
}

// HTML escaping as usual, with &#39; (the text document does not know &apos;)
// and line breaks kept, so a value typed on several lines prints on several lines.
std::string escapeForHtml(const std::string &text)
{
    std::string out;
    out.reserve(text.size() + text.size() / 4);
    for (const char ch : text) {
        switch (ch) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&#39;";
            break;
        case '\n':
            out += "<br/>";
            break;
        case '\r':
            break;
        default:
            out += ch;
            break;
        }
    }
    return out;
}
}  // namespace

QString renderReportTemplate(const QString &templateText, const QVariantMap &variables,
                             const QMap<QString, ReportDatasetSnapshot> &datasets)
{
    mustache::data root(mustache::data::type::object);
    for (auto it = variables.cbegin(); it != variables.cend(); ++it)
        root.set(utf8(it.key()), variableData(it.value()));
    // A dataset and a variable of the same name: the dataset wins. A dataset
    // the template never names is not converted.
    const UsedNames used = usedNames(templateText);
    for (auto it = datasets.cbegin(); it != datasets.cend(); ++it) {
        if (!used.isEmpty() && !used.contains(it.key()))
            continue;
        const std::string name = utf8(it.key());
        if (it.value().range == ReportRange::CurrentRow) {
            root.set(name, currentRowData(it.value(), used));
        } else {
            root.set(name, mustache::data(mustache::data::type::list));
            fillRows(*root.get(name), it.value().rows, used);
        }
    }

    mustache::mustache tmpl(utf8(templateText));
    tmpl.set_custom_escape(escapeForHtml);
    if (!tmpl.is_valid())
        throw ReportError(QString::fromStdString(tmpl.error_message()));
    const std::string html = tmpl.render(root);
    if (!tmpl.is_valid())
        throw ReportError(QString::fromStdString(tmpl.error_message()));
    return QString::fromStdString(html);
}
