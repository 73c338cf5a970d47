#include "field_binding.h"

#include "db/named_query.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSqlRecord>

namespace {

// A row shown again with the same text leaves the field as it is: no repaint,
// and the start of the text in view.
void showLineText(QLineEdit *edit, const QString &text)
{
    if (edit->text() != text)
        edit->setText(text);
    if (edit->cursorPosition() != 0)
        edit->setCursorPosition(0);
}

}  // namespace

FieldBinding::FieldBinding(NamedQuery &query, QObject *parent) : QObject(parent), m_query(query)
{
    // Open, close and post announce the current row after replacing the
    // rows: that one signal shows the fields once.
    connect(&query, &NamedQuery::currentRowChanged, this, &FieldBinding::refresh);
    connect(&query, &NamedQuery::valueChanged, this, [this](const QString &column) {
        if (m_showing)
            return;
        for (const Field &f : std::as_const(m_fields))
            if (f.column.compare(column, Qt::CaseInsensitive) == 0) {
                m_showing = true;
                f.show(m_query.value(f.column));
                m_showing = false;
            }
    });
}

void FieldBinding::add(const QString &column, std::function<void(const QVariant &)> show)
{
    m_fields.append({column, std::move(show)});
}

void FieldBinding::write(const QString &column, const QVariant &value)
{
    if (m_showing || !m_query.isActive() || m_query.currentRow() < 0)
        return;
    m_showing = true;  // the widget already shows what it writes
    m_query.setValue(column, value);
    m_showing = false;
}

void FieldBinding::refresh()
{
    m_showing = true;
    const bool hasRow = m_query.isActive() && m_query.currentRow() >= 0;
    const QSqlRecord row = hasRow ? m_query.currentRecord() : QSqlRecord();
    for (const Field &f : std::as_const(m_fields))
        f.show(row.value(f.column));
    m_showing = false;
}

void FieldBinding::showText(QLineEdit *edit, const QString &column, std::function<QString(const QVariant &)> text)
{
    add(column, [edit, text](const QVariant &v) { showLineText(edit, text ? text(v) : v.toString()); });
}

void FieldBinding::bind(QLineEdit *edit, const QString &column)
{
    add(column, [edit](const QVariant &v) { showLineText(edit, v.toString()); });
    connect(edit, &QLineEdit::textEdited, this, [this, column](const QString &text) { write(column, text); });
}

void FieldBinding::bind(QCheckBox *box, const QString &column)
{
    add(column, [box](const QVariant &v) { box->setChecked(v.toBool()); });
    // The state, not the click: a box toggled by the keyboard, the mouse or an
    // accessibility tool writes alike. Showing a loaded row writes nothing.
    connect(box, &QCheckBox::toggled, this, [this, column](bool checked) { write(column, checked); });
}

void FieldBinding::bind(QComboBox *combo, const QString &column)
{
    add(column, [combo](const QVariant &v) {
        const QString text = v.toString();
        if (combo->isEditable()) {
            if (combo->currentText() != text)
                combo->setEditText(text);
            return;
        }
        int index = combo->findText(text);
        if (index < 0 && !text.isEmpty()) {
            // A stored value outside the current pick list is still shown.
            combo->addItem(text);
            index = combo->count() - 1;
        }
        combo->setCurrentIndex(index);
    });
    if (combo->isEditable())
        connect(combo, &QComboBox::editTextChanged, this, [this, column](const QString &text) { write(column, text); });
    connect(combo, &QComboBox::textActivated, this, [this, column](const QString &text) { write(column, text); });
}

void FieldBinding::showText(QPlainTextEdit *memo, const QString &column)
{
    add(column, [memo](const QVariant &v) {
        if (memo->toPlainText() != v.toString())
            memo->setPlainText(v.toString());
    });
}

void FieldBinding::bind(QPlainTextEdit *memo, const QString &column)
{
    add(column, [memo](const QVariant &v) {
        if (memo->toPlainText() != v.toString())
            memo->setPlainText(v.toString());
    });
    connect(memo, &QPlainTextEdit::textChanged, this, [this, memo, column] { write(column, memo->toPlainText()); });
}
