#include "main_window_themes.h"

#include "app/access_keys.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>

namespace ui {

MainWindowThemes::MainWindowThemes(QMenu *menu, ThemeTargets targets, QObject *parent)
    : QObject(parent), m_targets(std::move(targets)), m_group(new QActionGroup(this))
{
    setObjectName(QStringLiteral("themes"));
    using Handler = void (MainWindowThemes::*)();
    const QList<QPair<const char *, Handler>> handlers{
        {"N11", &MainWindowThemes::theme_normalExecute},
        {"N20", &MainWindowThemes::N20Click},
        {"N19", &MainWindowThemes::N19Click},
        {"N18", &MainWindowThemes::N18Click},
        {"N7", &MainWindowThemes::theme_sliverExecute},
        {"N10", &MainWindowThemes::theme_whiteExecute},
        {"N9", &MainWindowThemes::theme_creamExecute},
        {"N8", &MainWindowThemes::theme_skyblueExecute},
        {"N21", &MainWindowThemes::N21Click},
    };
    char key = '1';  // the themes are numbered down the menu
    for (const auto &[name, handler] : handlers) {
        QAction *a = menu->addAction(keys::caption(themeOf(name).caption, key++));
        a->setObjectName(QString::fromLatin1(name));
        a->setCheckable(true);
        m_group->addAction(a);
        connect(a, &QAction::triggered, this, handler);
    }
    theme_normalExecute();
}

QAction *MainWindowThemes::item(const char *menuItem) const
{
    for (QAction *a : m_group->actions())
        if (a->objectName() == QLatin1String(menuItem))
            return a;
    return nullptr;
}

void MainWindowThemes::choose(const char *menuItem)
{
    applyTheme(m_targets, themeOf(menuItem));
    if (QAction *a = item(menuItem))
        a->setChecked(true);
}

void MainWindowThemes::theme_normalExecute()
{
    choose("N11");
}
void MainWindowThemes::N20Click()
{
    choose("N20");
}
void MainWindowThemes::N19Click()
{
    choose("N19");
}
void MainWindowThemes::N18Click()
{
    choose("N18");
}
void MainWindowThemes::theme_sliverExecute()
{
    choose("N7");
}
void MainWindowThemes::theme_whiteExecute()
{
    choose("N10");
}
void MainWindowThemes::theme_creamExecute()
{
    choose("N9");
}
void MainWindowThemes::theme_skyblueExecute()
{
    choose("N8");
}
void MainWindowThemes::N21Click()
{
    choose("N21");
}

}  // namespace ui
