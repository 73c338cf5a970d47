#pragma once
// The rows of one statement, read from the database as a grid asks for them
// rather than all at once, so that a list of a hundred thousand notices shows
// its first screen at once and costs memory only for the rows seen.
//
// SQLite steps through the statement as rows are needed. Servers answer a
// whole statement in one go through Qt's drivers, so there a statement that
// ends in an ORDER BY is read a page at a time instead (the same statement
// with LIMIT/OFFSET, or OFFSET/FETCH on SQL Server); any other statement is
// read whole.

#include <QAbstractTableModel>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

class RowSetModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit RowSetModel(QObject *parent = nullptr);

    // Runs the statement and reads its first rows. Throws DbError.
    void setStatement(QSqlDatabase db, const QString &sql, const QVariantList &values);
    void clear();

    // The columns of the statement (values empty), and one row.
    QSqlRecord record() const { return m_columns; }
    QSqlRecord record(int row) const;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    bool canFetchMore(const QModelIndex &parent = {}) const override;
    void fetchMore(const QModelIndex &parent = {}) override;

    // Rows read by the first step and by each further one.
    static constexpr int kFirstRows = 64;
    static constexpr int kMoreRows = 256;

private:
    enum class Reading { Done, Stepping, Paging };
    void readRows(int count);
    void readPage(int count);
    static bool endsInOrder(const QString &sql);

    QSqlDatabase m_db;
    QString m_sql;
    QVariantList m_values;
    QSqlQuery m_query;
    QSqlRecord m_columns;
    QList<QSqlRecord> m_rows;
    Reading m_reading = Reading::Done;
};
