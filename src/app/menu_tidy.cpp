#include "app/menu_tidy.h"

#include <QAction>
#include <QEvent>
#include <QMenu>
#include <QMenuBar>

namespace {

class MenuTidy : public QObject
{
public:
    explicit MenuTidy(QMenu *menu) : QObject(menu), m_menu(menu)
    {
        menu->installEventFilter(this);
        tidy();
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        const QEvent::Type type = event->type();
        if (watched == m_menu
            && (type == QEvent::ActionAdded || type == QEvent::ActionRemoved || type == QEvent::ActionChanged))
            tidy();
        return false;
    }

private:
    void tidy()
    {
        if (m_busy)
            return;  // our own changes of the separators
        m_busy = true;
        bool itemBefore = false;
        QAction *separator = nullptr;  // the one to show if an item follows
        for (QAction *a : m_menu->actions()) {
            if (a->isSeparator()) {
                if (itemBefore && !separator)
                    separator = a;
                else
                    a->setVisible(false);
                continue;
            }
            if (!a->isVisible())
                continue;
            if (separator) {
                separator->setVisible(true);
                separator = nullptr;
            }
            itemBefore = true;
        }
        if (separator)
            separator->setVisible(false);  // nothing after it
        m_menu->menuAction()->setVisible(itemBefore);
        m_busy = false;
    }

    QMenu *m_menu;
    bool m_busy = false;
};

}  // namespace

void keepMenusTidy(QMenuBar *bar)
{
    for (QAction *a : bar->actions())
        if (QMenu *menu = a->menu())
            new MenuTidy(menu);
}
