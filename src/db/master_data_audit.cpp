#include "master_data_audit.h"

#include "sql_statement.h"

#include <QSqlQuery>

namespace audit {

namespace {

QString cut(const QString &text)
{
    return text.size() > kValuesLength ? text.left(kValuesLength) : text;
}

QVariant textOrNull(const QString &text)
{
    return text.isEmpty() ? QVariant(QMetaType(QMetaType::QString)) : QVariant(cut(text));
}

}  // namespace

void appendChange(QSqlDatabase db, const history::Actor &actor, const Change &change)
{
    runStatement(db,
                 QStringLiteral("insert into masterdata_audit "
                                "(acted_at,account,fullname,department,tablename,rowkey,action,old_values,new_values) "
                                "values (?,?,?,?,?,?,?,?,?)"),
                 {history::historyTime(), actor.account, actor.fullName, change.department, change.table,
                  change.rowKey.left(50), change.action, textOrNull(change.before), textOrNull(change.after)})
        .finish();
}

QList<Row> readChanges(QSqlDatabase db, const QDate &from, const QDate &to, const QStringList &departments)
{
    QString sql = QStringLiteral(
        "select acted_at,account,fullname,department,tablename,rowkey,action,old_values,new_values "
        "from masterdata_audit where acted_at>=? and acted_at<?");
    // Whole days: a bound date-time, so every database compares it alike.
    QVariantList values{QDateTime(from, QTime(0, 0)), QDateTime(to.addDays(1), QTime(0, 0))};
    if (!departments.isEmpty()) {
        QStringList marks;
        for (const QString &department : departments) {
            marks << QStringLiteral("?");
            values << department;
        }
        sql += QStringLiteral(" and department in (%1)").arg(marks.join(QLatin1Char(',')));
    }
    sql += QStringLiteral(" order by acted_at, auditid");
    QList<Row> rows;
    QSqlQuery q = runStatement(db, sql, values);
    while (q.next())
        rows << Row{q.value(0).toDateTime(), q.value(1).toString(), q.value(2).toString(),
                    q.value(3).toString(),   q.value(4).toString(), q.value(5).toString(),
                    q.value(6).toString(),   q.value(7).toString(), q.value(8).toString()};
    return rows;
}

}  // namespace audit
