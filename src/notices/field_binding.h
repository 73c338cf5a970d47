#pragma once
// Data-bound fields: each widget shows a column of a named query's current
// row (or of the row in editing) and writes what the user types into the
// row's edit buffer. Nothing is stored until the query posts the row.

#include <QObject>
#include <functional>

class NamedQuery;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;

class FieldBinding : public QObject
{
    Q_OBJECT
public:
    explicit FieldBinding(NamedQuery &query, QObject *parent = nullptr);

    // Shown through the text function, never written (system fields).
    void showText(QLineEdit *edit, const QString &column, std::function<QString(const QVariant &)> text = {});
    // Shows the column whenever another row becomes current; what is typed
    // stays in the widget and is never written into the row.
    void showText(QPlainTextEdit *memo, const QString &column);
    void bind(QLineEdit *edit, const QString &column);
    void bind(QCheckBox *box, const QString &column);
    // An editable combo writes what is typed; a list combo writes the entry picked.
    void bind(QComboBox *combo, const QString &column);
    void bind(QPlainTextEdit *memo, const QString &column);

    // Shows the query's current values in every bound widget.
    void refresh();

private:
    struct Field
    {
        QString column;
        std::function<void(const QVariant &)> show;
    };
    void add(const QString &column, std::function<void(const QVariant &)> show);
    void write(const QString &column, const QVariant &value);

    NamedQuery &m_query;
    QList<Field> m_fields;
    bool m_showing = false;
};
