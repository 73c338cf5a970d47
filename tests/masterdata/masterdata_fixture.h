#pragma once
// Driving the master data windows as a person does: clicking rows, picking
// entries of opened drop-downs, opening a window from the main window's menu.

#include "main_window_fixture.h"

#include <QString>
#include <functional>

class QAbstractItemView;
class QComboBox;
class QDialog;
class QTableView;

// Opens the drop-down and clicks the entry with the text (the window may
// then refuse the pick and show the stored value again).
void pickEntry(QComboBox *combo, const QString &text);
// Clicks a row of the grid.
void clickGridRow(QTableView *grid, int row);
// The texts of one column of the grid, top to bottom.
QStringList columnTexts(QTableView *grid, int column = 0);
QStringList headerTexts(QTableView *grid);
// The widget that has the keyboard focus.
QWidget *focused();

// Shows the window and waits until it has the focus.
void showActive(QWidget *window);

// Opens the menu holding the item on the main window's menu bar and clicks the
// item. The dialog it opens runs its own loop: `drive` is called with it once
// it is shown, and must close it.
void openFromMenu(TF_main *main, QAction *item, const std::function<void(QDialog *)> &drive);
