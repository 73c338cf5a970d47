#pragma once

#include <QList>
#include <QSqlRecord>
#include <functional>

class QSqlQuery;
class QSqlQueryModel;

// The rows of a query as a report reads them: taken when the report is prepared,
// so the template sees the query as it is at that moment.
struct ReportRows
{
    QList<QSqlRecord> records;
    int current = -1;  // index into records of the query's current row; -1: none
};

// How a template sees a dataset: as the fields of the current row (the main
// dataset of a report, e.g. the notice printed) or as all rows (a band).
enum class ReportRange { CurrentRow, AllRows };

using ReportRowSource = std::function<ReportRows()>;

// Reads every row of the query and puts the query back on the row it was on.
// A forward-only query cannot go back, so only its current row is read.
// The query must outlive the report it is given to.
ReportRowSource rowsOfQuery(QSqlQuery *query);

// Reads every row of the model (fetching what it has not fetched yet). A model
// has no current row of its own: currentRow tells it (default: none).
ReportRowSource rowsOfModel(QSqlQueryModel *model, std::function<int()> currentRow = {});

// Fixed rows, for callers that hold their data already.
ReportRowSource fixedRows(ReportRows rows);
