#include "fee_line_delegate.h"

#include "fee_line_model.h"

#include "app/gbk_width.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QRegularExpressionValidator>

namespace fees {

QWidget *FeeLineDelegate::createEditor(QWidget *parent, const QStyleOptionViewItem &, const QModelIndex &index) const
{
    auto *edit = new QLineEdit(parent);
    edit->setFrame(false);
    if (index.column() == FeeLineModel::Description) {
        edit->setObjectName(QStringLiteral("description_editor"));
        gbk::limit(edit, FeeLineModel::kDescriptionWidth);
    } else {
        edit->setObjectName(QStringLiteral("money_editor"));
        static const QRegularExpression number(QStringLiteral(R"(-?\d*(\.\d*)?)"));
        edit->setValidator(new QRegularExpressionValidator(number, edit));
    }
    m_editor = edit;
    return edit;
}

void FeeLineDelegate::commitOpenEditor()
{
    if (!m_editor || !m_editor->isVisible())
        return;
    QWidget *editor = m_editor;
    m_editor = nullptr;
    emit commitData(editor);
    emit closeEditor(editor, QAbstractItemDelegate::NoHint);
}

bool FeeLineDelegate::eventFilter(QObject *object, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        auto *editor = qobject_cast<QWidget *>(object);
        if (editor && (key == Qt::Key_Return || key == Qt::Key_Enter)) {
            // The text must reach the line before the line is evaluated; the
            // base would store it only later, from the event loop.
            m_editor = nullptr;
            emit commitData(editor);
            emit closeEditor(editor, QAbstractItemDelegate::NoHint);
            emit enterPressed();
            return true;
        }
    }
    return QStyledItemDelegate::eventFilter(object, event);
}

}  // namespace fees
