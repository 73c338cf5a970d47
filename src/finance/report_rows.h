#pragma once
// Small helpers the report builders share: the rows of a statement as a report
// reads them, and rows made up of computed values.

#include "report/report_dataset.h"

#include <QSqlDatabase>
#include <QSqlRecord>
#include <QString>
#include <QVariant>
#include <QVariantList>
#include <utility>

namespace finance {

// Every row of the statement (values bound), the first one current.
ReportRows readRows(QSqlDatabase db, const QString &sql, const QVariantList &values);

// A record of named values, for rows the program computes. A double prints as an
// amount (also when it is null: then nothing), an integer as it is.
QSqlRecord computedRecord(const QList<std::pair<QString, QVariant>> &fields);

// A null amount: prints nothing, unlike 0.00.
QVariant noAmount();

// A month column of a statistic or statistic2 row, an empty column counting as 0.
double monthValue(const QSqlRecord &row, int month);

}  // namespace finance
