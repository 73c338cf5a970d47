#pragma once
// The rows of one statement. A list whose statement ends in an order over a
// total key (the key columns last, such as "order by Rdate desc, ID desc") is
// read a page at a time as a grid asks for it: each page is the rows after the
// last one shown, so a list of a hundred thousand notices shows its first
// screen at once, and rows that other workstations insert or delete between
// two pages neither repeat nor hide a row. No statement is left half read, so
// the embedded file is never held by a list. Any other statement is read
// whole.

#include "sql_dialect.h"

#include <QAbstractTableModel>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

#include <exception>

class RowSetModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit RowSetModel(QObject *parent = nullptr);

    // Runs the statement and reads its first rows. keyColumns name the
    // columns that identify a row; the order is total when it holds them all.
    // Throws DbError; the rows shown before then stay.
    void setStatement(QSqlDatabase db, const QString &sql, const QVariantList &values,
                      const QStringList &keyColumns = {});
    void clear();
    // Off by default. On: new rows under the same columns replace the shown
    // ones where they differ (rows changed, removed, inserted) instead of
    // resetting the views, so a list read again repaints only what changed.
    // Views then keep their scroll position and selection: the owner moves
    // them where the new rows want them.
    void setReplacesInPlace(bool inPlace) { m_inPlace = inPlace; }

    // The columns of the statement (values empty), and one row.
    QSqlRecord record() const { return m_columns; }
    QSqlRecord record(int row) const;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    bool canFetchMore(const QModelIndex &parent = {}) const override;
    void fetchMore(const QModelIndex &parent = {}) override;
    // The order a person chose by a column (column -1: the statement's own
    // order), kept for the statements that follow. A list read page by page
    // is read again in that order, its statement's order after it so that
    // pages stay whole; any other list is sorted as it is read. The rows that
    // views hold on to (the current one, the chosen ones) keep their place in
    // the new order, further pages read until they are found. A failed read
    // leaves the rows as they were and is told through readFailed.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

    // Rows read by the first page and by each further one.
    static constexpr int kFirstRows = 64;
    static constexpr int kMoreRows = 256;

    // The statement without its trailing ORDER BY, and the order, when the
    // order is made of plain column names and holds every key column.
    struct PagedStatement
    {
        QString select;
        QList<OrderKey> order;
        QString key;  // the one key column, when there is one
    };
    static std::optional<PagedStatement> pagedForm(const QString &sql, const QStringList &keyColumns);

signals:
    // A further page could not be read (fetchMore): the rows read so far
    // stay and the list ends there until it is read again. The failure is
    // the exception the read threw (DbError, ConnectionLost, RowInUse, ...);
    // whoever shows the list tells the user.
    void readFailed(const std::exception_ptr &failure);

private:
    struct Page
    {
        QSqlRecord columns;
        QList<QSqlRecord> rows;
        bool complete = false;
    };
    Page readPage(int count, const QVariantList &after) const;
    Page readWhole() const;
    // Every row of an executed statement; throws DbError when reading fails.
    Page collect(QSqlQuery query) const;
    bool sameColumns(const QSqlRecord &columns) const;
    void replaceRows(const QList<QSqlRecord> &rows);
    // The paged form in the chosen order; in-memory sorting of whole lists.
    std::optional<PagedStatement> inChosenOrder(std::optional<PagedStatement> paged) const;
    void sortInMemory(QList<QSqlRecord> &rows) const;
    QVariantList afterRow(const QSqlRecord &row) const;
    QVariantList identity(const QSqlRecord &row) const;

    QSqlDatabase m_db;
    QString m_sql;
    QVariantList m_values;
    std::optional<PagedStatement> m_paged;
    std::optional<PagedStatement> m_ownPaged;  // in the statement's own order
    QStringList m_keyColumns;
    std::optional<OrderKey> m_chosenOrder;
    QSqlRecord m_columns;
    QList<QSqlRecord> m_rows;
    bool m_complete = true;
    bool m_inPlace = false;
};
