#pragma once

class QMenuBar;

// Keeps the menus of a menu bar tidy as their items are shown and hidden by
// role: a menu with no item left for the user is not offered at all, and a
// separator shows only between two groups that both have an item showing.
void keepMenusTidy(QMenuBar *bar);
