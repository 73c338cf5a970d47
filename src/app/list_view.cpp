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
    view->setFocusPolicy(Qt::ClickFocus);
    view->horizontalHeader()->setStretchLastSection(true);
    return view;
}
