#include "report/report_dataset.h"

#include <QSqlQuery>
#include <QSqlQueryModel>

namespace {
// Moves the query back to a position taken earlier by QSqlQuery::at().
void restorePosition(QSqlQuery &query, int position)
{
    if (position >= 0) {
        query.seek(position);
    } else if (position == QSql::AfterLastRow) {
        if (query.last())
            query.next();
    } else {
        query.seek(QSql::BeforeFirstRow);
    }
}
}  // namespace

ReportRowSource rowsOfQuery(QSqlQuery *query)
{
    return [query]() {
        ReportRows rows;
        if (!query || !query->isActive() || !query->isSelect())
            return rows;
        if (query->isForwardOnly()) {
            if (query->isValid()) {
                rows.records.append(query->record());
                rows.current = 0;
            }
            return rows;
        }
        const int position = query->at();
        if (query->first()) {
            do {
                rows.records.append(query->record());
            } while (query->next());
        }
        restorePosition(*query, position);
        if (position >= 0 && position < rows.records.size())
            rows.current = position;
        return rows;
    };
}

ReportRowSource rowsOfModel(QSqlQueryModel *model, std::function<int()> currentRow)
{
    return [model, currentRow]() {
        ReportRows rows;
        if (!model)
            return rows;
        while (model->canFetchMore())
            model->fetchMore();
        const int count = model->rowCount();
        rows.records.reserve(count);
        for (int row = 0; row < count; ++row)
            rows.records.append(model->record(row));
        const int current = currentRow ? currentRow() : -1;
        if (current >= 0 && current < count)
            rows.current = current;
        return rows;
    };
}

ReportRowSource fixedRows(ReportRows rows)
{
    return [rows]() { return rows; };
}
