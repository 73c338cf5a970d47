#include "app/list_view.h"

#include <QHeaderView>
#include <QTableView>

QTableView *makeListView(const QString &objectName, QAbstractItemModel *model, QWidget *parent)
{
    auto *view = new QTableView(parent);
    view->setObjectName(objectName);
    view->setModel(model);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    // A list takes Tab as a field does; Tab leaves it rather than moving
    // between its cells, and the arrow keys move the row.
    view->setFocusPolicy(Qt::StrongFocus);
    view->setTabKeyNavigation(false);
    view->horizontalHeader()->setStretchLastSection(true);
    return view;
}
