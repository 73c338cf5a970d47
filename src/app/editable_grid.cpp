#include "editable_grid.h"

#include "gbk_width.h"
#include "messages.h"

#include "db/named_query.h"
#include "db/user_refusal.h"

#include <QComboBox>
#include <QEvent>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QRegularExpressionValidator>
#include <QTableView>

EditableGrid::EditableGrid(NamedQuery &query, QTableView *view, QList<ColumnProxyModel::Column> columns,
                           QObject *parent)
    : QObject(parent), m_query(query), m_view(view)
{
    auto *proxy = new ColumnProxyModel(std::move(columns), view);
    proxy->setSourceModel(query.model());
    view->setModel(proxy);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // The row is chosen with the mouse or the arrow keys; Tab leaves the
    // grid for the fields below.
    view->setFocusPolicy(Qt::StrongFocus);
    view->setTabKeyNavigation(false);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->verticalHeader()->setDefaultSectionSize(20);
    view->horizontalHeader()->setStretchLastSection(true);
    m_viewport = view->viewport();
    m_viewport->installEventFilter(this);
    view->installEventFilter(this);

    connect(&query, &NamedQuery::reset, this, [this] {
        showCurrentRow();
        refreshFields();
    });
    connect(&query, &NamedQuery::currentRowChanged, this, [this] {
        showCurrentRow();
        refreshFields();
    });
    connect(&query, &NamedQuery::valueChanged, this, [this](const QString &column) {
        if (m_showing)
            return;
        m_showing = true;
        for (const Field &f : std::as_const(m_fields))
            if (f.column.compare(column, Qt::CaseInsensitive) == 0)
                f.show(m_query.value(f.column));
        m_showing = false;
    });
    connect(view->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &current) { onViewRowChanged(current.isValid() ? current.row() : -1); });
}

bool EditableGrid::eventFilter(QObject *watched, QEvent *event)
{
    // The type is checked first: the viewport still sends events while the
    // view that owns it is being destroyed, when the view is no longer one.
    if (event->type() == QEvent::MouseButtonPress && watched == m_viewport)
        m_pressing = true;
    if (event->type() == QEvent::KeyPress && watched == m_view && m_view->isEnabled()) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Space && key->modifiers() == Qt::NoModifier)
            emit rowClicked();
    }
    if (event->type() == QEvent::MouseButtonRelease && watched == m_viewport && m_view->isEnabled()) {
        m_pressing = false;
        const auto *mouse = static_cast<QMouseEvent *>(event);
        // A click on a row, or anywhere in a grid without rows; not on the
        // blank space below the rows.
        if (m_view->indexAt(mouse->position().toPoint()).isValid() || m_view->model()->rowCount() == 0)
            emit rowClicked();
    }
    return QObject::eventFilter(watched, event);
}

void EditableGrid::showCurrentRow()
{
    m_syncing = true;
    const int row = m_query.currentRow();
    QItemSelectionModel *selection = m_view->selectionModel();
    if (row >= 0 && row < m_view->model()->rowCount()) {
        const QModelIndex index = m_view->model()->index(row, 0);
        selection->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        m_view->scrollTo(index);
    } else {
        selection->clear();
    }
    m_syncing = false;
}

void EditableGrid::onViewRowChanged(int row)
{
    if (m_syncing || row < 0 || row == m_query.currentRow())
        return;
    if (m_query.state() == NamedQuery::State::Inserting) {
        showCurrentRow();  // the row being added is finished or abandoned first
        return;
    }
    if (m_query.state() == NamedQuery::State::Editing) {
        // The row that is left keeps its change; then find the row the user
        // went to, which may stand elsewhere once the list is read again.
        const QSqlRecord target = m_query.model()->record(row);
        if (!messages::guarded([this] { store(); })) {
            showCurrentRow();
            return;
        }
        for (int r = 0; r < m_query.model()->rowCount(); ++r) {
            const QSqlRecord candidate = m_query.model()->record(r);
            bool same = true;
            for (int i = 0; i < target.count() && same; ++i)
                same = candidate.value(i) == target.value(i) && candidate.isNull(i) == target.isNull(i);
            if (same) {
                row = r;
                break;
            }
        }
    }
    m_query.setCurrentRow(row);
    // A move with the keys is a choice as a click is; a press waits for its
    // click, so that it counts once.
    if (!m_pressing)
        emit rowClicked();
}

void EditableGrid::write(const QString &column, const QVariant &value)
{
    const bool hasRow = m_query.state() == NamedQuery::State::Inserting || m_query.state() == NamedQuery::State::Editing
                        || (m_query.isActive() && m_query.currentRow() >= 0);
    if (m_showing || !hasRow)
        return;
    m_showing = true;  // the field already shows what it writes
    m_query.setValue(column, value);
    m_showing = false;
}

void EditableGrid::refreshFields()
{
    m_showing = true;
    const bool hasRow = m_query.state() == NamedQuery::State::Inserting
                        || (m_query.isActive() && m_query.currentRow() >= 0);
    for (const Field &f : std::as_const(m_fields))
        f.show(hasRow ? m_query.value(f.column) : QVariant());
    m_showing = false;
}

void EditableGrid::bindText(QLineEdit *edit, const QString &column, int maxBytes)
{
    gbk::limit(edit, maxBytes);
    m_fields.append({column, [edit](const QVariant &v) {
                         edit->setText(v.toString());
                         edit->setCursorPosition(0);
                     }});
    connect(edit, &QLineEdit::textEdited, this, [this, column](const QString &text) { write(column, text); });
}

void EditableGrid::bindNumber(QLineEdit *edit, const QString &column)
{
    static const QRegularExpression number(QStringLiteral("\\d{0,9}(\\.\\d{0,4})?"));
    edit->setValidator(new QRegularExpressionValidator(number, edit));
    m_fields.append({column, [edit](const QVariant &v) {
                         edit->setText(v.isNull() || !v.isValid() ? QString() : QString::number(v.toDouble(), 'g', 15));
                         edit->setCursorPosition(0);
                     }});
    connect(edit, &QLineEdit::textEdited, this, [this, column](const QString &text) {
        bool ok = false;
        const double value = text.toDouble(&ok);
        write(column, ok ? QVariant(value) : QVariant());
    });
}

void EditableGrid::bindChoice(QComboBox *combo, const QString &column, std::function<QString(const QVariant &)> toText,
                              std::function<QVariant(const QString &)> fromText)
{
    m_fields.append({column, [combo, toText](const QVariant &v) {
                         const QString text = toText ? toText(v) : v.toString();
                         combo->setCurrentIndex(combo->findText(text));
                     }});
    connect(combo, &QComboBox::textActivated, this, [this, combo, column, fromText](const QString &text) {
        write(column, fromText ? fromText(text) : QVariant(text));
        emit choicePicked(combo, text);
    });
}

void EditableGrid::store()
{
    if (m_query.state() == NamedQuery::State::Editing && m_storeCheck) {
        try {
            m_storeCheck(m_query);
        } catch (const UserRefusal &) {
            // A change refused as such is abandoned: the fields show the stored row.
            m_query.cancel();
            throw;
        }
    }
    try {
        m_query.post(m_storeRecorder);
    } catch (const StaleRowError &stale) {
        m_query.rebaseEdit();
        refreshFields();
        throw UserRefusal(stale.message());
    }
}
