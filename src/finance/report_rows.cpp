#include "report_rows.h"

#include "db/sql_statement.h"

#include <QSqlField>

namespace finance {

ReportRows readRows(QSqlDatabase db, const QString &sql, const QVariantList &values)
{
    QSqlQuery query = runStatement(db, sql, values);
    ReportRows rows;
    // The fields' names and types are read once; each row only gives its values
    // (asking the driver for the whole record of every row of a long ledger
    // costs more than the statement).
    QSqlRecord record = query.record();
    const int fields = record.count();
    while (query.next()) {
        for (int i = 0; i < fields; ++i)
            record.setValue(i, query.value(i));
        rows.records.append(record);
    }
    rows.current = rows.records.isEmpty() ? -1 : 0;
    return rows;
}

QSqlRecord computedRecord(const QList<std::pair<QString, QVariant>> &fields)
{
    QSqlRecord record;
    for (const auto &[name, value] : fields) {
        QSqlField field(name, value.metaType());
        field.setValue(value);
        record.append(field);
    }
    return record;
}

QVariant noAmount()
{
    return QVariant(QMetaType(QMetaType::Double));
}

double monthValue(const QSqlRecord &row, int month)
{
    return row.value(QString::number(month)).toDouble();
}

}  // namespace finance
