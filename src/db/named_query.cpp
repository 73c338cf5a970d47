#include "named_query.h"

#include "db_error.h"
#include "sql_statement.h"
#include "transaction.h"

#include <QSqlDriver>
#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>

#include <optional>

NamedQuery::NamedQuery(const QString &name, const QString &connectionName, QObject *parent)
    : QObject(parent), m_connection(connectionName)
{
    setObjectName(name);
    m_model.setObjectName(name);
    // Rows sorted anew by a view: the current row is the same row, wherever
    // it stands now. Only when it is gone does the current row move.
    connect(&m_model, &QAbstractItemModel::layoutAboutToBeChanged, this, [this] {
        m_heldRow = m_row >= 0 ? QPersistentModelIndex(m_model.index(m_row, 0)) : QPersistentModelIndex();
    });
    connect(&m_model, &QAbstractItemModel::layoutChanged, this, [this] {
        if (m_row < 0 || m_state == State::Closed)
            return;
        if (m_heldRow.isValid()) {
            m_row = m_heldRow.row();
        } else {
            m_row = m_model.rowCount() > 0 ? 0 : -1;
            emit currentRowChanged(m_row);
        }
        m_heldRow = QPersistentModelIndex();
    });
}

QSqlDatabase NamedQuery::database() const
{
    return QSqlDatabase::database(m_connection, false);
}

void NamedQuery::setStatement(const QString &sql, const QVariantList &values)
{
    m_sql = sql;
    m_values = values;
}

void NamedQuery::close()
{
    const bool wasActive = m_state != State::Closed;
    m_model.clear();
    m_state = State::Closed;
    m_row = -1;
    m_buffer.clear();
    if (wasActive) {
        emit reset();
        emit currentRowChanged(-1);
    }
}

void NamedQuery::runQuery()
{
    m_model.setStatement(database(), m_sql, m_values, m_keyColumns);
}

void NamedQuery::open()
{
    // Read first: a refresh that fails (the server is away) leaves the rows
    // shown and an edit in progress as they were.
    runQuery();
    m_buffer.clear();
    m_state = State::Browsing;
    m_row = m_model.rowCount() > 0 ? 0 : -1;
    emit reset();
    emit currentRowChanged(m_row);
}

void NamedQuery::open(const QString &sql, const QVariantList &values)
{
    const QString oldSql = m_sql;
    const QVariantList oldValues = m_values;
    setStatement(sql, values);
    try {
        open();
    } catch (...) {
        // The statement stays the one whose rows are shown.
        setStatement(oldSql, oldValues);
        throw;
    }
}

int NamedQuery::execute(const QString &sql, const QVariantList &values)
{
    close();
    setStatement(sql, values);
    QSqlQuery q = runStatement(database(), sql, values);
    const int affected = q.numRowsAffected();
    q.finish();
    return affected;
}

void NamedQuery::reopen()
{
    open();
}

bool NamedQuery::isEmpty() const
{
    return m_model.rowCount() == 0;
}

int NamedQuery::rowCount()
{
    while (m_model.canFetchMore())
        m_model.fetchMore();
    return m_model.rowCount();
}

bool NamedQuery::setCurrentRow(int row)
{
    if (m_state == State::Closed)
        return false;
    while (row >= m_model.rowCount() && m_model.canFetchMore())
        m_model.fetchMore();
    if (row < 0 || row >= m_model.rowCount())
        return false;
    if (m_state != State::Browsing)
        cancel();
    if (row != m_row) {
        m_row = row;
        emit currentRowChanged(m_row);
    }
    return true;
}

bool NamedQuery::next()
{
    return setCurrentRow(m_row + 1);
}

QSqlRecord NamedQuery::currentRecord() const
{
    if (m_state == State::Editing || m_state == State::Inserting)
        return m_buffer;
    if (m_row < 0)
        return m_model.record();
    return m_model.record(m_row);
}

QVariant NamedQuery::value(const QString &column) const
{
    if (m_state == State::Editing || m_state == State::Inserting)
        return m_buffer.value(column);
    return valueAt(m_row, column);
}

QVariant NamedQuery::valueAt(int row, const QString &column) const
{
    if (row < 0 || row >= m_model.rowCount())
        return {};
    return m_model.record(row).value(column);
}

QVariant NamedQuery::originalValue(const QString &column) const
{
    if (m_state != State::Editing)
        return {};
    return m_original.value(column);
}

int NamedQuery::columnIndex(const QString &column) const
{
    return m_model.record().indexOf(column);
}

void NamedQuery::setUpdateTable(const QString &table, const QStringList &keyColumns)
{
    m_table = table;
    m_keyColumns = keyColumns;
}

void NamedQuery::setBeforePost(std::function<bool(const NamedQuery &)> check)
{
    m_beforePost = std::move(check);
}

void NamedQuery::edit()
{
    if (m_state == State::Editing || m_state == State::Inserting || m_row < 0)
        return;
    m_original = m_model.record(m_row);
    m_buffer = m_original;
    m_state = State::Editing;
}

void NamedQuery::insert()
{
    if (m_state == State::Closed)
        return;
    m_original = QSqlRecord();
    m_buffer = m_model.record();
    m_buffer.clearValues();
    m_state = State::Inserting;
}

void NamedQuery::setValue(const QString &column, const QVariant &value)
{
    if (m_state != State::Editing && m_state != State::Inserting)
        edit();
    if (m_buffer.indexOf(column) < 0)
        m_buffer.append(QSqlField(column, value.metaType()));
    m_buffer.setValue(column, value);
    m_buffer.setGenerated(column, true);
    emit valueChanged(column);
}

std::optional<QSqlRecord> NamedQuery::storedRow() const
{
    QStringList where;
    QVariantList values;
    const QSqlRecord names = m_model.record();
    for (const QString &k : m_keyColumns) {
        const int i = names.indexOf(k);
        where << database().driver()->escapeIdentifier(i >= 0 ? names.fieldName(i) : k, QSqlDriver::FieldName)
                     + QStringLiteral("=?");
        values << m_original.value(k);
    }
    QSqlQuery q = runStatement(
        database(), QStringLiteral("select * from %1 where %2").arg(m_table, where.join(QStringLiteral(" and "))),
        values);
    if (!q.next())
        return std::nullopt;
    return q.record();
}

void NamedQuery::takeStoredValue(const QString &column, const QVariant &value)
{
    if (m_state != State::Editing || m_original.indexOf(column) < 0)
        return;
    m_original.setValue(column, value);
    m_buffer.setValue(column, value);
}

bool NamedQuery::rebaseEdit()
{
    if (m_state != State::Editing)
        return false;
    const std::optional<QSqlRecord> fresh = storedRow();
    // The list shows the rows as they are stored now.
    const QSqlRecord buffer = m_buffer;
    const QSqlRecord original = m_original;
    runQuery();
    if (!fresh) {
        m_state = State::Browsing;
        m_buffer.clear();
        m_row = qMin(m_row, m_model.rowCount() - 1);
        emit reset();
        emit currentRowChanged(m_row);
        return false;
    }
    QSqlRecord rebased = *fresh;
    for (int i = 0; i < buffer.count(); ++i) {
        const QString name = buffer.fieldName(i);
        const bool changed = original.indexOf(name) < 0 || original.value(name) != buffer.value(i)
                             || original.value(name).isNull() != buffer.value(i).isNull();
        if (changed && rebased.indexOf(name) >= 0)
            rebased.setValue(name, buffer.value(i));
    }
    m_original = *fresh;
    m_buffer = rebased;
    emit reset();
    emit currentRowChanged(m_row);
    return true;
}

void NamedQuery::cancel()
{
    const bool wasEditing = m_state == State::Editing || m_state == State::Inserting;
    if (wasEditing)
        m_state = State::Browsing;
    m_buffer.clear();
    if (wasEditing)
        emit currentRowChanged(m_row);  // bound fields show the stored row again
}

bool NamedQuery::post()
{
    return post(StoreRecorder());
}

bool NamedQuery::post(const StoreRecorder &recorder)
{
    if (m_state != State::Editing && m_state != State::Inserting)
        return true;
    if (m_beforePost && !m_beforePost(*this))
        return false;
    if (m_table.isEmpty())
        throw DbError(QStringLiteral("%1: no table to store the row in").arg(objectName()));

    QSqlDatabase db = database();
    QSqlDriver *driver = db.driver();
    // Column names as the database reports them: PostgreSQL folds unquoted
    // names to lower case, and a quoted name must match that exactly.
    const QSqlRecord names = m_model.record();
    auto quoted = [driver, &names](const QString &name) {
        const int i = names.indexOf(name);
        return driver->escapeIdentifier(i >= 0 ? names.fieldName(i) : name, QSqlDriver::FieldName);
    };

    QStringList columns;
    QVariantList values;
    for (int i = 0; i < m_buffer.count(); ++i) {
        const QString name = m_buffer.fieldName(i);
        if (m_state == State::Editing) {
            const QVariant before = m_original.value(name);
            if (m_original.indexOf(name) >= 0 && before == m_buffer.value(i)
                && before.isNull() == m_buffer.value(i).isNull())
                continue;
        } else if (m_buffer.isNull(i)) {
            continue;  // let the database fill its defaults and keys
        }
        columns << name;
        values << m_buffer.value(i);
    }

    QString sql;
    if (m_state == State::Inserting) {
        if (columns.isEmpty()) {
            sql = QStringLiteral("insert into %1 default values").arg(m_table);
        } else {
            QStringList names, marks;
            for (const QString &c : columns) {
                names << quoted(c);
                marks << QStringLiteral("?");
            }
            sql = QStringLiteral("insert into %1 (%2) values (%3)")
                      .arg(m_table, names.join(QLatin1Char(',')), marks.join(QLatin1Char(',')));
        }
    } else {
        if (columns.isEmpty()) {
            // Nothing to store; but a row that is gone must not look stored.
            if ((!m_revisionColumn.isEmpty() || m_compareReadValues) && !storedRow())
                throw StaleRowError(true);
            cancel();
            return true;
        }
        QStringList sets, where;
        for (const QString &c : columns)
            sets << quoted(c) + QStringLiteral("=?");
        for (const QString &k : m_keyColumns) {
            where << quoted(k) + QStringLiteral("=?");
            values << m_original.value(k);
        }
        if (!m_revisionColumn.isEmpty()) {
            const QString r = quoted(m_revisionColumn);
            sets << r + QStringLiteral("=") + r + QStringLiteral("+1");
            where << r + QStringLiteral("=?");
            values << m_original.value(m_revisionColumn).toInt();
        }
        if (m_compareReadValues) {
            for (int i = 0; i < m_original.count(); ++i) {
                const QString c = m_original.fieldName(i);
                if (m_keyColumns.contains(c, Qt::CaseInsensitive))
                    continue;
                if (m_original.isNull(i)) {
                    where << quoted(c) + QStringLiteral(" is null");
                } else {
                    where << quoted(c) + QStringLiteral("=?");
                    values << m_original.value(i);
                }
            }
        }
        sql = QStringLiteral("update %1 set %2 where %3")
                  .arg(m_table, sets.join(QLatin1Char(',')), where.join(QStringLiteral(" and ")));
    }

    std::optional<Transaction> transaction;
    if (recorder)
        transaction.emplace(db);
    QSqlQuery q = runStatement(db, sql, values);
    const int affected = q.numRowsAffected();
    q.finish();
    if (m_state == State::Editing && (!m_revisionColumn.isEmpty() || m_compareReadValues) && affected == 0) {
        const bool deleted = !storedRow().has_value();
        throw StaleRowError(deleted);
    }
    // A row that another workstation deleted meanwhile was not stored.
    if (transaction && affected != 0) {
        StoredRow stored;
        stored.inserted = m_state == State::Inserting;
        if (!stored.inserted)
            stored.before = m_original;
        stored.after = m_buffer;
        recorder(db, stored);
        transaction->commit();
    }

    // Show the stored row where it now stands in the statement's rows.
    QVariantList keyValues;
    for (const QString &k : m_keyColumns)
        keyValues << m_buffer.value(k);
    const bool wasInsert = m_state == State::Inserting;
    m_state = State::Browsing;
    m_buffer.clear();
    const int oldRow = m_row;
    runQuery();
    int found = -1;
    if (!wasInsert || !keyValues.contains(QVariant())) {
        // Only among the rows fetched so far: a long list is not read to its end.
        const int rows = m_model.rowCount();
        for (int r = 0; r < rows && found < 0; ++r) {
            bool same = !m_keyColumns.isEmpty();
            for (int i = 0; i < m_keyColumns.size() && same; ++i)
                same = valueAt(r, m_keyColumns[i]).toString() == keyValues[i].toString();
            if (same)
                found = r;
        }
    }
    m_row = found >= 0 ? found : qMin(oldRow, m_model.rowCount() - 1);
    emit reset();
    emit currentRowChanged(m_row);
    return true;
}
