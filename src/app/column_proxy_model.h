#pragma once
// Shows chosen columns of a query's rows, by column name, with their titles
// and, where needed, a display text in place of the stored value (a state code
// shown as its text). Rows are fetched from the source as the view needs them.

#include "app/date_text.h"
#include <QAbstractProxyModel>

#include <functional>

class ColumnProxyModel : public QAbstractProxyModel
{
    Q_OBJECT
public:
    struct Column
    {
        QString field;
        QString title;
        std::function<QString(const QVariant &)> displayText = {};  // empty: the value as it is
        Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter;
    };

    explicit ColumnProxyModel(QList<Column> columns, QObject *parent = nullptr);

    void setSourceModel(QAbstractItemModel *source) override;
    QModelIndex index(int row, int column, const QModelIndex &parent = {}) const override;
    QModelIndex parent(const QModelIndex &) const override { return {}; }
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QModelIndex mapToSource(const QModelIndex &proxy) const override;
    QModelIndex mapFromSource(const QModelIndex &source) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    bool canFetchMore(const QModelIndex &parent) const override;
    void fetchMore(const QModelIndex &parent) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    // Sorted by the source, in the column shown here.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

    const QList<Column> &columns() const { return m_columns; }

private:
    int sourceColumn(int column) const;
    void remap();

    QList<Column> m_columns;
    QList<int> m_sourceColumns;
    // The rows views hold on to while the source rearranges its rows.
    QModelIndexList m_heldRows;
    QList<QPersistentModelIndex> m_heldSourceRows;
};

// Money as every grid and field shows it: two decimals, rounded as a fee line
// stores and a report prints it (nollard::FixedTwoDecimals), so that a figure
// reads the same on the screen and on paper. A null value shows nothing.
QString moneyText(const QVariant &value);
