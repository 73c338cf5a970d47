#pragma once
// Chooses a menu item as a person does: a click on the menu's title in the
// menu bar, then a click on the item in the popup that opened. Returns when
// the item's handler has returned, so a window that the item opens modally
// must be answered from a timer (see whenModal).

#include <functional>

class QAction;
class QMainWindow;
class QWidget;

void chooseMenuItem(QMainWindow *window, QAction *item);

// Runs the step once a modal window is up (polling), then returns to the event
// loop; the step closes the window or leaves it to the caller.
void whenModal(std::function<void(QWidget *modal)> step);
