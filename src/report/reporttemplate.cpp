#include "reporttemplate.h"

#include "reporterror.h"
#include "reportvalues.h"

#include <QSqlField>
#include <kainjow/mustache.hpp>

namespace mustache = kainjow::mustache;

namespace {
std::string utf8(const QString &text) { return text.toStdString(); }

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

// A row's fields under their names as the database gives them and in lower case,
// since servers differ in the case they report ("ID" or "id") for `select *`.
mustache::data rowData(const QSqlRecord &record, int rowNumber)
{
    mustache::data row(mustache::data::type::object);
    for (int i = 0; i < record.count(); ++i)
        row.set(utf8(record.fieldName(i)), fieldData(record.field(i)));
    for (int i = 0; i < record.count(); ++i) {
        const std::string lower = utf8(record.fieldName(i).toLower());
        if (!row.get(lower))
            row.set(lower, fieldData(record.field(i)));
    }
    if (rowNumber > 0)
        row.set("_row", utf8(QString::number(rowNumber)));
    return row;
}

mustache::data datasetData(const ReportDatasetSnapshot &dataset)
{
    const ReportRows &rows = dataset.rows;
    if (dataset.range == ReportRange::CurrentRow) {
        if (rows.current < 0 || rows.current >= rows.records.size())
            return mustache::data(false);
        return rowData(rows.records.at(rows.current), 0);
    }
    mustache::data list(mustache::data::type::list);
    for (int i = 0; i < rows.records.size(); ++i)
        list.push_back(rowData(rows.records.at(i), i + 1));
    return list;
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
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&#39;"; break;
        case '\n': out += "<br/>"; break;
        case '\r': break;
        default: out += ch; break;
        }
    }
    return out;
}
} // namespace

QString renderReportTemplate(const QString &templateText, const QVariantMap &variables,
                             const QMap<QString, ReportDatasetSnapshot> &datasets)
{
    mustache::data root(mustache::data::type::object);
    for (auto it = variables.cbegin(); it != variables.cend(); ++it)
        root.set(utf8(it.key()), variableData(it.value()));
    // A dataset and a variable of the same name: the dataset wins.
    for (auto it = datasets.cbegin(); it != datasets.cend(); ++it)
        root.set(utf8(it.key()), datasetData(it.value()));

    mustache::mustache tmpl(utf8(templateText));
    tmpl.set_custom_escape(escapeForHtml);
    if (!tmpl.is_valid())
        throw ReportError(QString::fromStdString(tmpl.error_message()));
    const std::string html = tmpl.render(root);
    if (!tmpl.is_valid())
        throw ReportError(QString::fromStdString(tmpl.error_message()));
    return QString::fromStdString(html);
}
