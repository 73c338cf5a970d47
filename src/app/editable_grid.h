#pragma once
// A list grid and the fields below it over one named query: the grid shows the
// query's rows (whole-row selection, no editing in place) and follows its
// current row; the fields show the current row, or the row being added or
// changed, and write what the user types or picks into the query's edit
// buffer. Nothing reaches the database until store().
//
// As in a data-aware grid, moving to another row stores a pending change of
// the row that is left. A store refused because another workstation changed
// or deleted the row meanwhile is told to the user as a refusal, with the
// user's change kept on top of the row as it is stored now.

#include "column_proxy_model.h"

#include "db/named_query.h"

#include <QObject>
#include <functional>

class QComboBox;
class QLineEdit;
class QTableView;

class EditableGrid : public QObject
{
    Q_OBJECT
public:
    EditableGrid(NamedQuery &query, QTableView *view, QList<ColumnProxyModel::Column> columns,
                 QObject *parent = nullptr);

    NamedQuery &query() { return m_query; }
    QTableView *view() const { return m_view; }

    // A text column, limited to the width in GBK bytes where the user types.
    void bindText(QLineEdit *edit, const QString &column, int maxBytes);
    // A number column: digits with an optional decimal part; empty stores no value.
    void bindNumber(QLineEdit *edit, const QString &column);
    // A column picked from a list of texts; the functions turn a stored value
    // into the text shown and a picked text into the value stored. Without
    // them the text itself is stored.
    void bindChoice(QComboBox *combo, const QString &column, std::function<QString(const QVariant &)> toText = {},
                    std::function<QVariant(const QString &)> fromText = {});

    // Shows the query's current values in every field.
    void refreshFields();

    // Runs before every store of a changed row; throws UserRefusal to refuse
    // it, and the change is then abandoned.
    void setStoreCheck(std::function<void(NamedQuery &)> check) { m_storeCheck = std::move(check); }
    // Runs with every store of a changed row, in its transaction (the trail
    // of master data changes).
    void setStoreRecorder(NamedQuery::StoreRecorder recorder) { m_storeRecorder = std::move(recorder); }
    // Stores the row in editing (see above). Throws UserRefusal or DbError.
    void store();

signals:
    // The user chose a row of the grid: a click on a row or into a grid
    // without rows, a move with the arrow keys, Space on the current row.
    void rowClicked();
    // The user picked an entry of a bound drop-down (after it is written).
    void choicePicked(QComboBox *combo, const QString &text);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Field
    {
        QString column;
        std::function<void(const QVariant &)> show;
    };
    void write(const QString &column, const QVariant &value);
    void showCurrentRow();
    void onViewRowChanged(int row);

    NamedQuery &m_query;
    QTableView *m_view;
    QObject *m_viewport = nullptr;
    QList<Field> m_fields;
    std::function<void(NamedQuery &)> m_storeCheck;
    NamedQuery::StoreRecorder m_storeRecorder;
    bool m_showing = false;
    bool m_syncing = false;
    // A mouse button is down on the rows: the click that follows tells.
    bool m_pressing = false;
};
