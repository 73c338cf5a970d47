#include "row_set_model.h"

#include "db_error.h"
#include "sql_statement.h"

#include <QRegularExpression>
#include <QSqlDriver>

#include <algorithm>

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
    m_ownPaged.reset();
    m_keyColumns.clear();
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
    const std::optional<PagedStatement> oldOwnPaged = m_ownPaged;
    const QStringList oldKeys = m_keyColumns;
    m_db = db;
    m_sql = sql;
    m_values = values;
    m_keyColumns = keyColumns;
    m_ownPaged = pagedForm(sql, keyColumns);
    m_paged = inChosenOrder(m_ownPaged);
    Page first;
    try {
        first = m_paged ? readPage(kFirstRows, {}) : readWhole();
    } catch (...) {
        m_db = oldDb;
        m_sql = oldSql;
        m_values = oldValues;
        m_paged = oldPaged;
        m_ownPaged = oldOwnPaged;
        m_keyColumns = oldKeys;
        throw;
    }
    if (!m_paged)
        sortInMemory(first.rows);
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
    Page more;
    try {
        more = readPage(kMoreRows, afterRow(m_rows.last()));
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

QVariantList RowSetModel::afterRow(const QSqlRecord &row) const
{
    QVariantList after;
    for (const OrderKey &k : m_paged->order)
        after << row.value(unquoted(k.column.section(QLatin1Char('.'), -1)));
    return after;
}

std::optional<RowSetModel::PagedStatement> RowSetModel::inChosenOrder(std::optional<PagedStatement> paged) const
{
    if (!paged || !m_chosenOrder)
        return paged;
    static const QRegularExpression plainName(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
    OrderKey chosen = *m_chosenOrder;
    if (!plainName.match(chosen.column).hasMatch() && m_db.driver())
        chosen.column = m_db.driver()->escapeIdentifier(chosen.column, QSqlDriver::FieldName);
    // The statement's own order follows, so that the order stays total; a
    // column ordered twice keeps the direction chosen.
    QList<OrderKey> order{chosen};
    const QString name = m_chosenOrder->column.toLower();
    for (const OrderKey &k : std::as_const(paged->order))
        if (unquoted(k.column.section(QLatin1Char('.'), -1)).toLower() != name)
            order << k;
    paged->order = order;
    return paged;
}

void RowSetModel::sortInMemory(QList<QSqlRecord> &rows) const
{
    if (!m_chosenOrder || rows.isEmpty())
        return;
    const int column = rows.first().indexOf(m_chosenOrder->column);
    if (column < 0)
        return;
    const bool descending = m_chosenOrder->descending;
    // NULLs first going up, last going down; equal values keep the
    // statement's order.
    std::stable_sort(rows.begin(), rows.end(), [column, descending](const QSqlRecord &a, const QSqlRecord &b) {
        const QVariant x = a.value(column);
        const QVariant y = b.value(column);
        if (x.isNull() || y.isNull())
            return descending ? (!x.isNull() && y.isNull()) : (x.isNull() && !y.isNull());
        QPartialOrdering ordering = QVariant::compare(x, y);
        if (ordering == QPartialOrdering::Unordered)
            ordering = QVariant::compare(x.toString(), y.toString());
        return descending ? ordering == QPartialOrdering::Greater : ordering == QPartialOrdering::Less;
    });
}

QVariantList RowSetModel::identity(const QSqlRecord &row) const
{
    QVariantList values;
    if (m_keyColumns.isEmpty()) {
        for (int i = 0; i < row.count(); ++i)
            values << row.value(i);
    } else {
        for (const QString &k : m_keyColumns)
            values << row.value(k);
    }
    return values;
}

void RowSetModel::sort(int column, Qt::SortOrder order)
{
    std::optional<OrderKey> wanted;
    if (column >= 0 && column < m_columns.count())
        wanted = OrderKey{m_columns.fieldName(column), order == Qt::DescendingOrder};
    if (wanted == m_chosenOrder)
        return;
    const std::optional<OrderKey> previous = m_chosenOrder;
    const std::optional<PagedStatement> previousPaged = m_paged;
    m_chosenOrder = wanted;
    if (m_sql.isEmpty() || m_columns.isEmpty())
        return;  // nothing shown: the order waits for the next statement

    // The views say first which rows they hold on to (the current one, the
    // chosen ones); the list is then read in the new order until each of them
    // is found again, so that it keeps its place among the rows shown.
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList held = persistentIndexList();
    QList<QVariantList> heldRows;
    for (const QModelIndex &index : held)
        heldRows << identity(m_rows.value(index.row()));
    m_paged = inChosenOrder(m_ownPaged);
    QList<QSqlRecord> rows;
    bool complete = true;
    const auto rowOf = [&](const QVariantList &id) {
        const auto found = std::find_if(rows.cbegin(), rows.cend(),
                                        [&](const QSqlRecord &r) { return identity(r) == id; });
        return found == rows.cend() ? -1 : int(found - rows.cbegin());
    };
    try {
        Page page = m_paged ? readPage(kFirstRows, {}) : readWhole();
        if (!m_paged)
            sortInMemory(page.rows);
        rows = page.rows;
        complete = page.complete;
        const auto missing = [&] {
            return std::any_of(heldRows.cbegin(), heldRows.cend(),
                               [&](const QVariantList &id) { return rowOf(id) < 0; });
        };
        while (!complete && !rows.isEmpty() && missing()) {
            const Page more = readPage(kMoreRows, afterRow(rows.last()));
            rows += more.rows;
            complete = more.complete || more.rows.isEmpty();
        }
    } catch (const std::exception &) {
        // The rows stay as they were, in the order they were.
        m_chosenOrder = previous;
        m_paged = previousPaged;
        emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
        emit readFailed(std::current_exception());
        return;
    }
    QModelIndexList moved;
    for (qsizetype i = 0; i < held.size(); ++i) {
        const int row = rowOf(heldRows[i]);
        moved << (row < 0 ? QModelIndex() : createIndex(row, held[i].column()));
    }
    // The list may hold more or fewer rows than before (read to a row held
    // further down, or changed by another workstation meanwhile): the views
    // take the new count with the new order.
    m_rows = rows;
    m_complete = complete;
    changePersistentIndexList(held, moved);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}
