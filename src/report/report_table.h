#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// A report's figures as plain rows, for a spreadsheet: the first row is the
// header. Cells are texts as they should appear (amounts already with two
// decimals and a dot).
struct ReportTable
{
    QList<QStringList> rows;
    bool isEmpty() const { return rows.isEmpty(); }
};

// Writes the table as CSV that a spreadsheet opens by a double click: UTF-8 with
// a byte-order mark, commas, CRLF, fields quoted where they must be. A number
// written with leading zeros (a bill number such as 0000101) is written so that
// the spreadsheet keeps it as text; a text that a spreadsheet would take for a
// formula (starting with =, +, -, @, a tab or a carriage return, and not a
// number) is written with a leading apostrophe, so that it is shown and never
// run. Returns false when the file cannot be written.
bool writeReportCsv(const ReportTable &table, const QString &filePath);

// The CSV text itself, without the byte-order mark.
QString reportCsvText(const ReportTable &table);
