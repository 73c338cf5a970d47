#pragma once
// The colour themes of the main window: a background colour for the window,
// its toolbar, panels and status bar, and a data colour for the data area of
// its two lists.

#include <QColor>
#include <QList>
#include <QString>

class QAbstractItemView;
class QWidget;

namespace ui {

struct Theme
{
    const char *menuItem;  // objectName of the menu item
    QString caption;       // the menu item's caption
    QColor background;     // invalid: the desktop's colour for button faces
    QColor data;

    // The background as shown: the desktop's button face for the normal theme.
    QColor resolvedBackground() const;
};

// The nine themes in the order of the menu; the first is the normal look.
const QList<Theme> &themes();
const Theme &themeOf(const char *menuItem);

// The parts of the main window a theme colours. Everything inside a panel that
// has no background of its own (labels, check boxes) follows the panel; input
// fields and buttons keep their own colours.
struct ThemeTargets
{
    QWidget *window = nullptr;
    QList<QWidget *> panels;           // toolbar, search panel, work areas, status bar
    QList<QAbstractItemView *> lists;  // data area D, column titles and row indicator B
};

void applyTheme(const ThemeTargets &targets, const Theme &theme);

// Text on a ground: the contrast ratio of the two colours (1 to 21), and the
// text colour moved just far enough to reach kReadableContrast (the ratio
// asked of normal text), used for the disabled texts of the lists.
constexpr double kReadableContrast = 4.5;
double contrastRatio(const QColor &a, const QColor &b);
QColor readableOn(const QColor &ground, const QColor &text);

}  // namespace ui
