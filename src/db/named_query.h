#pragma once
// A named query over the one connection: it keeps its last statement (so that
// reopening it repeats the last list or search), offers the rows of that
// statement with a current row, and can put the current row into editing and
// store it back into one table. Grids show its model; data-bound fields follow
// its current row.
//
// Rows are fetched from the database as the grids need them, not all at once
// (see RowSetModel).

#include <QObject>
#include <QPersistentModelIndex>
#include <QSqlDatabase>
#include <QSqlRecord>
#include <QVariant>
#include <functional>
#include <optional>

#include "db_error.h"
#include "row_set_model.h"

class NamedQuery : public QObject
{
    Q_OBJECT
public:
    enum class State { Closed, Browsing, Editing, Inserting };

    NamedQuery(const QString &name, const QString &connectionName, QObject *parent = nullptr);

    QSqlDatabase database() const;
    RowSetModel *model() { return &m_model; }

    // Statement and values bound to its placeholders (":name" or "?").
    void setStatement(const QString &sql, const QVariantList &values = {});
    QString statement() const { return m_sql; }
    QVariantList boundValues() const { return m_values; }

    // Runs the statement; its first row becomes the current row. Throws DbError.
    void open();
    void open(const QString &sql, const QVariantList &values = {});
    // Runs a statement that changes rows; returns the number of rows it touched.
    int execute(const QString &sql, const QVariantList &values = {});
    // Closes and opens again with the last statement.
    void reopen();
    void close();

    State state() const { return m_state; }
    bool isActive() const { return m_state != State::Closed; }
    bool isEmpty() const;
    // Fetches every row to count them.
    int rowCount();

    int currentRow() const { return m_row; }
    bool setCurrentRow(int row);
    bool next();
    QSqlRecord currentRecord() const;
    // A column of the current row (or of the edit buffer while editing);
    // column names compare without regard to letter case.
    QVariant value(const QString &column) const;
    QVariant valueAt(int row, const QString &column) const;
    // While editing: a column of the row as it was read when the edit began,
    // or as it was stored when the edit was rebased (rebaseEdit) — the row
    // the edit will be stored over, whatever row of the reopened list the
    // current row points to now. Null otherwise.
    QVariant originalValue(const QString &column) const;

    // The columns that identify a row. A statement ordered by them (last) is
    // read page by page as the grid scrolls, instead of whole.
    void setKeyColumns(const QStringList &keyColumns) { m_keyColumns = keyColumns; }
    // Row editing through one table. The key columns identify the stored row.
    void setUpdateTable(const QString &table, const QStringList &keyColumns);
    // A column that every store raises by one. A store is made only while the
    // row still holds the value that was read, so a row changed or deleted by
    // another workstation in the meantime is never overwritten: post() throws
    // StaleRowError instead.
    void setRevisionColumn(const QString &column) { m_revisionColumn = column; }
    // For a table without a revision column: a store is made only while every
    // column of the row still holds the value that was read, with the same
    // StaleRowError otherwise.
    void setCompareReadValues(bool compare) { m_compareReadValues = compare; }
    // Called before a row is stored; returning false abandons the store
    // silently and leaves the row in editing.
    void setBeforePost(std::function<bool(const NamedQuery &)> check);
    void edit();
    void insert();
    void setValue(const QString &column, const QVariant &value);
    // Stores the edited row; returns false when the check abandoned it.
    // Throws DbError when the database refuses it.
    bool post();
    // What a store wrote: the row as it was read (empty for a new row) and as
    // it was stored (for a new row, only the columns given a value).
    struct StoredRow
    {
        bool inserted = false;
        QSqlRecord before;
        QSqlRecord after;
    };
    using StoreRecorder = std::function<void(QSqlDatabase, const StoredRow &)>;
    // Stores as post() does, and calls the recorder after the row is written,
    // in one transaction with the store: a recorder that throws undoes the
    // store, and a store that is refused or writes nothing calls no recorder.
    bool post(const StoreRecorder &recorder);
    void cancel();
    // After a refused store: reads the row as it is stored now and puts the
    // columns the user changed on top of it, still in editing, so the user's
    // edit stays visible and a second store is a deliberate one. Returns false
    // when the row no longer exists; the edit is then abandoned.
    bool rebaseEdit();
    // The row in editing was stored anew by this workstation's own change of
    // a column the edit does not hold (the revision raised when the row's
    // lines were stored): the row as read and the edit both take the value,
    // so that the edit stays storable over it.
    void takeStoredValue(const QString &column, const QVariant &value);

signals:
    // The current row moved (also after open, close and post).
    void currentRowChanged(int row);
    // The rows were replaced (open, close, post).
    void reset();
    // A column of the row in editing was set; data-bound fields show it.
    void valueChanged(const QString &column);

private:
    void runQuery();
    std::optional<QSqlRecord> storedRow() const;
    int columnIndex(const QString &column) const;

    QString m_connection;
    RowSetModel m_model;
    QString m_sql;
    QVariantList m_values;
    State m_state = State::Closed;
    int m_row = -1;
    QPersistentModelIndex m_heldRow;

    QString m_table;
    QStringList m_keyColumns;
    std::function<bool(const NamedQuery &)> m_beforePost;
    QString m_revisionColumn;
    bool m_compareReadValues = false;
    QSqlRecord m_buffer;
    QSqlRecord m_original;
};
