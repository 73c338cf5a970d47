#include "app/row_choice.h"

#include <QAbstractItemView>
#include <QEvent>
#include <QItemSelectionModel>
#include <QKeyEvent>

namespace {

// Remembers the row a mouse press made current, so that the click which
// follows on the same row does not choose it a second time.
class ChoiceWatch : public QObject
{
public:
    ChoiceWatch(QAbstractItemView *view, QObject *context, std::function<void(int)> choose)
        : QObject(context), m_view(view), m_choose(std::move(choose))
    {
        view->installEventFilter(this);
        view->viewport()->installEventFilter(this);
        connect(view->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
                [this](const QModelIndex &current, const QModelIndex &previous) {
                    if (!current.isValid() || !previous.isValid())
                        return;
                    m_choseOnPress = m_pressing ? current.row() : -1;
                    m_choose(current.row());
                });
        connect(view, &QAbstractItemView::clicked, this, [this](const QModelIndex &index) {
            const int chosen = m_choseOnPress;
            m_choseOnPress = -1;
            if (index.isValid() && index.row() != chosen)
                m_choose(index.row());
        });
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
            if (watched == m_view->viewport()) {
                m_pressing = true;
                m_choseOnPress = -1;
            }
            break;
        case QEvent::MouseButtonRelease:
            // The click is signalled inside the release: the flag stays
            // until the view has handled it.
            if (watched == m_view->viewport())
                m_pressing = false;
            break;
        case QEvent::KeyPress:
            if (watched == m_view && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Space
                && static_cast<QKeyEvent *>(event)->modifiers() == Qt::NoModifier && m_view->currentIndex().isValid())
                m_choose(m_view->currentIndex().row());
            break;
        default:
            break;
        }
        return false;
    }

private:
    QAbstractItemView *m_view;
    std::function<void(int)> m_choose;
    bool m_pressing = false;
    int m_choseOnPress = -1;
};

}  // namespace

void followChosenRow(QAbstractItemView *view, QObject *context, std::function<void(int row)> choose)
{
    new ChoiceWatch(view, context, std::move(choose));
}
