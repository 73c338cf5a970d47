#pragma once
// A row of a read-only list chosen by the user, by the mouse or the keys.

#include <functional>

class QAbstractItemView;
class QObject;

// Calls choose(row) each time the user chooses a row: a click on a row (once,
// though the press also makes it current), a move with the arrow or page
// keys, or Space on the current row. The row a list marks by itself when it
// merely gets the focus is no choice of the user's and calls nothing.
void followChosenRow(QAbstractItemView *view, QObject *context, std::function<void(int row)> choose);
