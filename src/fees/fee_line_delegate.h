#pragma once
// Cell editors of the fee-line grid: the calculation steps limited to their
// width in GBK bytes, the amount to a plain decimal number. Enter in a cell
// stores the typed text into the line first and then tells the window, which
// evaluates the line.

#include <QPointer>
#include <QStyledItemDelegate>

namespace fees {

class FeeLineDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    // Writes the text of a cell editor that is still open into the line.
    void commitOpenEditor();

signals:
    // Enter was pressed in a cell editor, after its text reached the line.
    void enterPressed();

protected:
    bool eventFilter(QObject *object, QEvent *event) override;

private:
    mutable QPointer<QWidget> m_editor;
};

}  // namespace fees
