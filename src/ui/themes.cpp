#include "themes.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QHeaderView>
#include <QPalette>
#include <QTableView>

namespace ui {

QColor Theme::resolvedBackground() const
{
    return background.isValid() ? background : QApplication::palette().color(QPalette::Button);
}

const QList<Theme> &themes()
{
    const QColor white(255, 255, 255);
    static const QList<Theme> all{
        {"N11", QStringLiteral("正常界面"), QColor(), white},
        {"N20", QStringLiteral("葡萄界面"), QColor(168, 152, 144), QColor(216, 208, 200)},
        {"N19", QStringLiteral("雨天界面"), QColor(131, 153, 177), white},
        {"N18", QStringLiteral("沙漠界面"), QColor(213, 204, 187), white},
        {"N7", QStringLiteral("银色界面"), QColor(192, 192, 192), white},
        {"N10", QStringLiteral("玫瑰界面"), QColor(207, 175, 183), white},
        {"N9", QStringLiteral("淡绿界面"), QColor(162, 200, 169), white},
        {"N8", QStringLiteral("海军蓝界面"), QColor(136, 192, 184), QColor(200, 224, 216)},
        {"N21", QStringLiteral("贵族银界面"), QColor(192, 192, 192), white},
    };
    return all;
}

const Theme &themeOf(const char *menuItem)
{
    for (const Theme &t : themes())
        if (qstrcmp(t.menuItem, menuItem) == 0)
            return t;
    return themes().first();
}

namespace {

void paintBackground(QWidget *w, const QColor &b)
{
    QPalette p = w->palette();
    p.setColor(QPalette::Window, b);
    w->setPalette(p);
    w->setAutoFillBackground(true);
}

// Palettes pass down to children: the controls that keep their own colours
// get theirs back so that only the panel's own ground changes.
void keepOwnColours(QWidget *panel)
{
    const QPalette app = QApplication::palette();
    for (QWidget *child : panel->findChildren<QWidget *>()) {
        if (qobject_cast<QAbstractButton *>(child) && !child->inherits("QCheckBox")
            && !child->inherits("QRadioButton")) {
            QPalette p = child->palette();
            p.setColor(QPalette::Window, app.color(QPalette::Window));
            p.setColor(QPalette::Button, app.color(QPalette::Button));
            child->setPalette(p);
        }
    }
}

void colourList(QAbstractItemView *view, const QColor &b, const QColor &d)
{
    QPalette p = view->palette();
    p.setColor(QPalette::Base, d);
    p.setColor(QPalette::AlternateBase, d);
    view->setPalette(p);
    QList<QWidget *> fixed;
    if (auto *table = qobject_cast<QTableView *>(view)) {
        fixed << table->horizontalHeader() << table->verticalHeader();
        if (QWidget *corner = table->findChild<QAbstractButton *>())
            fixed << corner;
    }
    for (QWidget *w : fixed) {
        QPalette hp = w->palette();
        hp.setColor(QPalette::Button, b);
        hp.setColor(QPalette::Window, b);
        w->setPalette(hp);
    }
}

}  // namespace

void applyTheme(const ThemeTargets &targets, const Theme &theme)
{
    const QColor b = theme.resolvedBackground();
    if (targets.window)
        paintBackground(targets.window, b);
    for (QWidget *panel : targets.panels) {
        paintBackground(panel, b);
        keepOwnColours(panel);
    }
    for (QAbstractItemView *list : targets.lists)
        colourList(list, b, theme.data);
}

}  // namespace ui
