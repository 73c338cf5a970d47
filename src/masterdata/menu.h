#pragma once
// The main window's master data menu items and the windows they open.

class QAction;
class QWidget;
class Tdm;

namespace masterdata {

struct MenuItems
{
    QAction *useradmin;
    QAction *money;
    QAction *cwitem;
    QAction *cjitem;
    QAction *company;
    QAction *buildtype;
    QAction *runtype;
    QAction *other;
    QAction *audit;  // the trail of master data changes (修改记录)
};

// Sets up the data module's queries for the windows and connects each item:
// it opens its window as a modal dialog of the main window, unless a window
// of that kind is open already, and releases the window when it is closed.
void connectMenu(Tdm &dm, QWidget *mainWindow, const MenuItems &items);

}  // namespace masterdata
