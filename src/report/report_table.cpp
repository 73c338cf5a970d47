#include "report/report_table.h"

#include <QRegularExpression>
#include <QSaveFile>

namespace {
QString csvField(const QString &text)
{
    // A spreadsheet reads 0000101 as the number 101; ="0000101" keeps the text.
    static const QRegularExpression leadingZeroNumber(QStringLiteral("^0\\d+$"));
    if (leadingZeroNumber.match(text).hasMatch())
        return QStringLiteral("=\"%1\"").arg(text);
    // A spreadsheet runs a text that starts like a formula (=, +, -, @) and
    // may treat a leading tab or carriage return the same way: a ship named
    // "=1+2" would show 3, and a crafted name could do worse. The common
    // apostrophe keeps such a text a text. Numbers ("-12.50", "-3.5%") stay
    // numbers.
    static const QRegularExpression formulaStart(QStringLiteral("^[=+\\-@\t\r]"));
    static const QRegularExpression plainNumber(QStringLiteral("^[+-]?\\d+(\\.\\d+)?%?$"));
    if (formulaStart.match(text).hasMatch() && !plainNumber.match(text).hasMatch())
        return csvField(u'\'' + text);
    static const QRegularExpression needsQuotes(QStringLiteral("[\",\\r\\n]|^\\s|\\s$"));
    if (!needsQuotes.match(text).hasMatch())
        return text;
    return u'"' + QString(text).replace(u'"', QLatin1String("\"\"")) + u'"';
}
}  // namespace

QString reportCsvText(const ReportTable &table)
{
    QString out;
    for (const QStringList &row : table.rows) {
        QStringList fields;
        fields.reserve(row.size());
        for (const QString &cell : row)
            fields << csvField(cell);
        out += fields.join(u',') + QLatin1String("\r\n");
    }
    return out;
}

bool writeReportCsv(const ReportTable &table, const QString &filePath)
{
    QSaveFile file(filePath);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write("\xEF\xBB\xBF");
    file.write(reportCsvText(table).toUtf8());
    return file.commit();
}
