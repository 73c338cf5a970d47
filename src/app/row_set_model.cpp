#include "row_set_model.h"

#include "connection.h"
#include "db_error.h"
#include "messages.h"
#include "sql_statement.h"

#include <QRegularExpression>

namespace {

QSqlRecord emptied(QSqlRecord record)
{
    record.clearValues();
    return record;
}

}  // namespace

RowSetModel::RowSetModel(QObject *parent) : QAbstractTableModel(parent) {}

bool RowSetModel::endsInOrder(const QString &sql)
{
    // The list statements end in their ORDER BY; only such a statement reads
    // the same rows in the same order page after page.
    static const QRegularExpression orderAtEnd(
        QStringLiteral("\\border\\s+by\\s+[\\w\\s,.\"]+$"), QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression limited(QStringLiteral("\\b(limit|offset|fetch|top)\\b"),
                                            QRegularExpression::CaseInsensitiveOption);
    const QString s = sql.trimmed();
    return s.startsWith(QLatin1String("select"), Qt::CaseInsensitive) && orderAtEnd.match(s).hasMatch()
           && !limited.match(s).hasMatch();
}

void RowSetModel::clear()
{
    beginResetModel();
    m_query = QSqlQuery();
    m_rows.clear();
    m_columns = QSqlRecord();
    m_sql.clear();
    m_values.clear();
    m_reading = Reading::Done;
    endResetModel();
}

void RowSetModel::setStatement(QSqlDatabase db, const QString &sql, const QVariantList &values)
{
    beginResetModel();
    m_query = QSqlQuery();
    m_rows.clear();
    m_columns = QSqlRecord();
    m_db = db;
    m_sql = sql;
    m_values = values;
    try {
        if (kindOf(db) == DbKind::SQLite) {
            m_query = runStatement(db, sql, values);
            m_columns = emptied(m_query.record());
            m_reading = Reading::Stepping;
            readRows(kFirstRows);
        } else if (endsInOrder(sql)) {
            m_reading = Reading::Paging;
            readPage(kFirstRows);
        } else {
            m_query = runStatement(db, sql, values);
            m_columns = emptied(m_query.record());
            m_reading = Reading::Stepping;
            readRows(std::numeric_limits<int>::max());
        }
    } catch (...) {
        m_query = QSqlQuery();
        m_rows.clear();
        m_reading = Reading::Done;
        endResetModel();
        throw;
    }
    endResetModel();
}

void RowSetModel::readRows(int count)
{
    for (int i = 0; i < count; ++i) {
        if (!m_query.next()) {
            const QSqlError error = m_query.lastError();
            m_query.finish();
            m_reading = Reading::Done;
            if (error.isValid())
                throw DbError(error);
            return;
        }
        m_rows << m_query.record();
    }
}

void RowSetModel::readPage(int count)
{
    const DbKind kind = kindOf(m_db);
    const QString page = kind == DbKind::SqlServer
                             ? QStringLiteral(" offset %1 rows fetch next %2 rows only")
                             : QStringLiteral(" limit %2 offset %1");
    QSqlQuery q = runStatement(m_db, m_sql + page.arg(m_rows.size()).arg(count), m_values);
    if (m_columns.isEmpty())
        m_columns = emptied(q.record());
    int read = 0;
    while (q.next()) {
        m_rows << q.record();
        ++read;
    }
    if (q.lastError().isValid())
        throw DbError(q.lastError());
    if (read < count)
        m_reading = Reading::Done;
}

QSqlRecord RowSetModel::record(int row) const
{
    return row >= 0 && row < m_rows.size() ? m_rows[row] : m_columns;
}

int RowSetModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int RowSetModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_columns.count();
}

QVariant RowSetModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    return m_rows[index.row()].value(index.column());
}

QVariant RowSetModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < m_columns.count())
        return m_columns.fieldName(section);
    return QAbstractTableModel::headerData(section, orientation, role);
}

bool RowSetModel::canFetchMore(const QModelIndex &parent) const
{
    return !parent.isValid() && m_reading != Reading::Done;
}

void RowSetModel::fetchMore(const QModelIndex &parent)
{
    if (!canFetchMore(parent))
        return;
    const int before = int(m_rows.size());
    QList<QSqlRecord> kept = m_rows;
    try {
        if (m_reading == Reading::Stepping)
            readRows(kMoreRows);
        else
            readPage(kMoreRows);
    } catch (const DbError &error) {
        // The rows read so far stay and the list ends here; the user is told.
        m_rows = kept;
        m_reading = Reading::Done;
        messages::showException(error);
    }
    const int after = int(m_rows.size());
    if (after > before) {
        // The rows are in already; tell the views about them.
        QList<QSqlRecord> added = m_rows.mid(before);
        m_rows.resize(before);
        beginInsertRows({}, before, after - 1);
        m_rows += added;
        endInsertRows();
    }
}
