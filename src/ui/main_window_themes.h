#pragma once
// The appearance menu of the main window: one item per colour theme. A theme
// lasts until another is chosen or the program ends; nothing is stored.

#include "themes.h"

#include <QObject>

class QAction;
class QActionGroup;
class QMenu;

namespace ui {

class MainWindowThemes : public QObject
{
    Q_OBJECT
public:
    // Fills the menu with the nine items and starts in the normal look.
    MainWindowThemes(QMenu *menu, ThemeTargets targets, QObject *parent);

    QAction *item(const char *menuItem) const;

    void theme_normalExecute();
    void N20Click();
    void N19Click();
    void N18Click();
    void theme_sliverExecute();
    void theme_whiteExecute();
    void theme_creamExecute();
    void theme_skyblueExecute();
    void N21Click();

private:
    void choose(const char *menuItem);

    ThemeTargets m_targets;
    QActionGroup *m_group;
};

}  // namespace ui
