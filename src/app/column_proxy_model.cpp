#include "column_proxy_model.h"

#include "db/row_set_model.h"
#include "expr/amount_text.h"

#include <QDateTime>
#include <QSqlRecord>

ColumnProxyModel::ColumnProxyModel(QList<Column> columns, QObject *parent)
    : QAbstractProxyModel(parent), m_columns(std::move(columns))
{}

void ColumnProxyModel::setSourceModel(QAbstractItemModel *source)
{
    beginResetModel();
    if (sourceModel())
        disconnect(sourceModel(), nullptr, this, nullptr);
    QAbstractProxyModel::setSourceModel(source);
    if (source) {
        connect(source, &QAbstractItemModel::modelAboutToBeReset, this, [this] { beginResetModel(); });
        connect(source, &QAbstractItemModel::modelReset, this, [this] {
            remap();
            endResetModel();
        });
        connect(source, &QAbstractItemModel::rowsAboutToBeInserted, this,
                [this](const QModelIndex &, int first, int last) { beginInsertRows({}, first, last); });
        connect(source, &QAbstractItemModel::rowsInserted, this, [this] { endInsertRows(); });
        connect(source, &QAbstractItemModel::rowsAboutToBeRemoved, this,
                [this](const QModelIndex &, int first, int last) { beginRemoveRows({}, first, last); });
        connect(source, &QAbstractItemModel::rowsRemoved, this, [this] { endRemoveRows(); });
        connect(source, &QAbstractItemModel::dataChanged, this, [this](const QModelIndex &from, const QModelIndex &to) {
            emit dataChanged(index(from.row(), 0), index(to.row(), columnCount() - 1));
        });
        connect(source, &QAbstractItemModel::layoutAboutToBeChanged, this, [this] {
            emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
            m_heldRows = persistentIndexList();
            m_heldSourceRows.clear();
            for (const QModelIndex &held : std::as_const(m_heldRows))
                m_heldSourceRows << QPersistentModelIndex(sourceModel()->index(held.row(), 0));
        });
        connect(source, &QAbstractItemModel::layoutChanged, this, [this] {
            QModelIndexList moved;
            for (qsizetype i = 0; i < m_heldRows.size(); ++i) {
                const QPersistentModelIndex &to = m_heldSourceRows[i];
                moved << (to.isValid() ? createIndex(to.row(), m_heldRows[i].column()) : QModelIndex());
            }
            changePersistentIndexList(m_heldRows, moved);
            m_heldRows.clear();
            m_heldSourceRows.clear();
            emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
        });
    }
    remap();
    endResetModel();
}

void ColumnProxyModel::remap()
{
    m_sourceColumns.clear();
    auto *sql = qobject_cast<RowSetModel *>(sourceModel());
    const QSqlRecord record = sql ? sql->record() : QSqlRecord();
    for (const Column &c : std::as_const(m_columns))
        m_sourceColumns << record.indexOf(c.field);
}

int ColumnProxyModel::sourceColumn(int column) const
{
    return column >= 0 && column < m_sourceColumns.size() ? m_sourceColumns[column] : -1;
}

QModelIndex ColumnProxyModel::index(int row, int column, const QModelIndex &parent) const
{
    if (parent.isValid() || row < 0 || column < 0 || row >= rowCount() || column >= columnCount())
        return {};
    return createIndex(row, column);
}

int ColumnProxyModel::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid() || !sourceModel())
        return 0;
    // A closed query has no columns; show no rows then either.
    bool anyColumn = false;
    for (int c : m_sourceColumns)
        anyColumn = anyColumn || c >= 0;
    return anyColumn ? sourceModel()->rowCount() : 0;
}

int ColumnProxyModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size());
}

QModelIndex ColumnProxyModel::mapToSource(const QModelIndex &proxy) const
{
    if (!proxy.isValid() || !sourceModel())
        return {};
    const int c = sourceColumn(proxy.column());
    return c < 0 ? QModelIndex() : sourceModel()->index(proxy.row(), c);
}

QModelIndex ColumnProxyModel::mapFromSource(const QModelIndex &source) const
{
    if (!source.isValid())
        return {};
    const int c = m_sourceColumns.indexOf(source.column());
    return c < 0 ? QModelIndex() : index(source.row(), c);
}

QVariant ColumnProxyModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    const Column &column = m_columns[index.column()];
    if (role == Qt::TextAlignmentRole)
        return QVariant(column.alignment);
    const QModelIndex source = mapToSource(index);
    if (!source.isValid())
        return {};
    const QVariant value = source.data(role == Qt::EditRole ? Qt::EditRole : Qt::DisplayRole);
    if (role == Qt::DisplayRole && column.displayText)
        return column.displayText(value);
    if (role == Qt::DisplayRole || role == Qt::EditRole || role == Qt::ToolTipRole)
        return value;
    return {};
}

QVariant ColumnProxyModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && section >= 0 && section < m_columns.size()) {
        if (role == Qt::DisplayRole)
            return m_columns[section].title;
        if (role == Qt::TextAlignmentRole)
            return QVariant(Qt::AlignCenter);
    }
    return QAbstractProxyModel::headerData(section, orientation, role);
}

bool ColumnProxyModel::canFetchMore(const QModelIndex &parent) const
{
    return !parent.isValid() && sourceModel() && sourceModel()->canFetchMore({});
}

void ColumnProxyModel::fetchMore(const QModelIndex &parent)
{
    if (!parent.isValid() && sourceModel())
        sourceModel()->fetchMore({});
}

Qt::ItemFlags ColumnProxyModel::flags(const QModelIndex &index) const
{
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

void ColumnProxyModel::sort(int column, Qt::SortOrder order)
{
    if (!sourceModel())
        return;
    if (column < 0)
        sourceModel()->sort(-1, order);
    else if (sourceColumn(column) >= 0)
        sourceModel()->sort(sourceColumn(column), order);
}

QString moneyText(const QVariant &value)
{
    if (value.isNull() || !value.isValid())
        return {};
    bool ok = false;
    const double v = value.toDouble(&ok);
    return ok ? QString::fromStdString(nollard::FixedTwoDecimals(v)) : value.toString();
}
