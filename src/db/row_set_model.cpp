#include "row_set_model.h"

#include "db_error.h"
#include "sql_statement.h"

#include <QRegularExpression>

namespace {

QSqlRecord emptied(QSqlRecord record)
{
    record.clearValues();
    return record;
}

QString unquoted(QString name)
{
    if (name.size() >= 2 && name.startsWith(QLatin1Char('"')) && name.endsWith(QLatin1Char('"')))
        return name.mid(1, name.size() - 2);
    return name;
}

}  // namespace

RowSetModel::RowSetModel(QObject *parent) : QAbstractTableModel(parent) {}

std::optional<RowSetModel::PagedStatement> RowSetModel::pagedForm(const QString &sql, const QStringList &keyColumns)
{
    if (keyColumns.isEmpty())
        return std::nullopt;
    static const QRegularExpression orderAtEnd(
        QStringLiteral("^(select\\b.*)\\border\\s+by\\s+((?:[\\w.\"]+(?:\\s+(?:asc|desc))?\\s*,\\s*)*"
                       "[\\w.\"]+(?:\\s+(?:asc|desc))?)\\s*;?\\s*$"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression limited(QStringLiteral("\\b(limit|offset|fetch|top)\\b"),
                                            QRegularExpression::CaseInsensitiveOption);
    const QString s = sql.trimmed();
    const QRegularExpressionMatch m = orderAtEnd.match(s);
    if (!m.hasMatch() || limited.match(s).hasMatch())
        return std::nullopt;

    PagedStatement paged;
    paged.select = m.captured(1).trimmed();
    QStringList named;
    for (const QString &part : m.captured(2).split(QLatin1Char(','))) {
        const QStringList words = part.simplified().split(QLatin1Char(' '));
        OrderKey key;
        key.column = words.first();
        key.descending = words.size() > 1 && words[1].compare(QLatin1String("desc"), Qt::CaseInsensitive) == 0;
        paged.order << key;
        named << unquoted(key.column.section(QLatin1Char('.'), -1)).toLower();
    }
    for (const QString &k : keyColumns) {
        if (!named.contains(k.toLower()))
            return std::nullopt;  // not a total order: pages could repeat or skip rows
    }
    if (keyColumns.size() == 1)
        paged.key = keyColumns.first();
    return paged;
}

void RowSetModel::clear()
{
    beginResetModel();
    m_rows.clear();
    m_columns = QSqlRecord();
    m_sql.clear();
    m_values.clear();
    m_paged.reset();
    m_complete = true;
    endResetModel();
}

void RowSetModel::setStatement(QSqlDatabase db, const QString &sql, const QVariantList &values,
                               const QStringList &keyColumns)
{
    // The new rows are read first: when that fails, the list stays as it was.
    const QSqlDatabase oldDb = m_db;
    const QString oldSql = m_sql;
    const QVariantList oldValues = m_values;
    const std::optional<PagedStatement> oldPaged = m_paged;
    m_db = db;
    m_sql = sql;
    m_values = values;
    m_paged = pagedForm(sql, keyColumns);
    Page first;
    try {
        first = m_paged ? readPage(kFirstRows, {}) : readWhole();
    } catch (...) {
        m_db = oldDb;
        m_sql = oldSql;
        m_values = oldValues;
        m_paged = oldPaged;
        throw;
    }
    if (m_inPlace && sameColumns(first.columns)) {
        m_complete = first.complete;
        replaceRows(first.rows);
        return;
    }
    beginResetModel();
    m_columns = first.columns;
    m_rows = first.rows;
    m_complete = first.complete;
    endResetModel();
}

bool RowSetModel::sameColumns(const QSqlRecord &columns) const
{
    if (columns.count() != m_columns.count())
        return false;
    for (int i = 0; i < columns.count(); ++i)
        if (columns.fieldName(i) != m_columns.fieldName(i))
            return false;
    return true;
}

void RowSetModel::replaceRows(const QList<QSqlRecord> &rows)
{
    const int before = int(m_rows.size());
    const int after = int(rows.size());
    if (after < before) {
        beginRemoveRows({}, after, before - 1);
        m_rows.resize(after);
        endRemoveRows();
    }
    int firstChanged = -1;
    int lastChanged = -1;
    for (int row = 0; row < std::min(before, after); ++row) {
        if (m_rows[row] == rows[row])
            continue;
        m_rows[row] = rows[row];
        if (firstChanged < 0)
            firstChanged = row;
        lastChanged = row;
    }
    if (firstChanged >= 0)
        emit dataChanged(index(firstChanged, 0), index(lastChanged, columnCount() - 1));
    if (after > before) {
        beginInsertRows({}, before, after - 1);
        m_rows += rows.mid(before);
        endInsertRows();
    }
}

RowSetModel::Page RowSetModel::readWhole() const
{
    Page page = collect(runStatement(m_db, m_sql, m_values));
    page.complete = true;
    return page;
}

RowSetModel::Page RowSetModel::readPage(int count, const QVariantList &after) const
{
    const SqlDialect dialect(m_db);
    Page page = collect(runStatement(
        m_db, dialect.pageStatement({m_paged->select, m_values}, m_paged->order, count, after, m_paged->key)));
    page.complete = page.rows.size() < count;
    return page;
}

RowSetModel::Page RowSetModel::collect(QSqlQuery q) const
{
    Page page;
    page.columns = emptied(q.record());
    while (q.next())
        page.rows << q.record();
    const QSqlError error = q.lastError();
    // Nothing stays half read: the embedded file is never held by a list.
    q.finish();
    if (error.isValid())
        throwDbFailure(m_db, error);
    return page;
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
    return !parent.isValid() && !m_complete;
}

void RowSetModel::fetchMore(const QModelIndex &parent)
{
    if (!canFetchMore(parent) || !m_paged || m_rows.isEmpty())
        return;
    QVariantList after;
    const QSqlRecord &last = m_rows.last();
    for (const OrderKey &k : m_paged->order)
        after << last.value(unquoted(k.column.section(QLatin1Char('.'), -1)));
    Page more;
    try {
        more = readPage(kMoreRows, after);
    } catch (const std::exception &) {
        // The rows read so far stay and the list ends here (the list buttons
        // read it again); the user is told why.
        m_complete = true;
        emit readFailed(std::current_exception());
        return;
    }
    m_complete = more.complete;
    if (more.rows.isEmpty())
        return;
    const int before = int(m_rows.size());
    beginInsertRows({}, before, before + int(more.rows.size()) - 1);
    m_rows += more.rows;
    endInsertRows();
}
