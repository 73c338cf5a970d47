#include "themes.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QHeaderView>
#include <QPalette>
#include <QTableView>

#include <algorithm>
#include <cmath>

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

double contrastRatio(const QColor &a, const QColor &b)
{
    // Relative luminance of sRGB colours, and their ratio, as accessibility
    // guidelines measure the contrast of text on its ground.
    const auto luminance = [](const QColor &c) {
        const auto channel = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
        return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
    };
    const double x = luminance(a);
    const double y = luminance(b);
    return (std::max(x, y) + 0.05) / (std::min(x, y) + 0.05);
}

QColor readableOn(const QColor &ground, const QColor &text)
{
    if (contrastRatio(ground, text) >= kReadableContrast)
        return text;
    // Towards black on a light ground, towards white on a dark one, in small
    // steps, so the text keeps as much of its own shade as it can.
    const QColor end = contrastRatio(ground, Qt::black) >= contrastRatio(ground, Qt::white) ? QColor(Qt::black)
                                                                                            : QColor(Qt::white);
    QColor c = text;
    for (int step = 1; step <= 20 && contrastRatio(ground, c) < kReadableContrast; ++step) {
        const double t = step / 20.0;
        c = QColor::fromRgbF(float(text.redF() + (end.redF() - text.redF()) * t),
                             float(text.greenF() + (end.greenF() - text.greenF()) * t),
                             float(text.blueF() + (end.blueF() - text.blueF()) * t));
    }
    return c;
}

namespace {

void paintBackground(QWidget *w, const QColor &b)
{
    QPalette p = w->palette();
    p.setColor(QPalette::Window, b);
    // A panel inside the toolbar fills itself with the button colour, as the
    // toolbar sets its widgets: that is its ground to colour.
    p.setColor(w->backgroundRole(), b);
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

// The text of a disabled list stays readable on its ground: the desktop's
// grey for disabled text, darkened (or lightened) until it stands out.
QColor readableDisabled(const QColor &ground, QPalette::ColorRole role)
{
    return readableOn(ground, QApplication::palette().color(QPalette::Disabled, role));
}

void colourList(QAbstractItemView *view, const QColor &b, const QColor &d)
{
    QPalette p = view->palette();
    p.setColor(QPalette::Base, d);
    p.setColor(QPalette::AlternateBase, d);
    p.setColor(QPalette::Disabled, QPalette::Text, readableDisabled(d, QPalette::Text));
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
        for (QPalette::ColorRole role : {QPalette::ButtonText, QPalette::WindowText, QPalette::Text})
            hp.setColor(QPalette::Disabled, role, readableDisabled(b, role));
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
