#pragma once

class QAbstractItemModel;
class QString;
class QTableView;
class QWidget;

// A read-only list over a model, as every window shows its lists: whole rows
// chosen one at a time with the mouse or the arrow keys, no editing in place,
// the last column taking the room that is left. Tab stops on it once.
QTableView *makeListView(const QString &objectName, QAbstractItemModel *model, QWidget *parent);
