#include "menu_clicks.h"

#include <QAction>
#include <QApplication>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>
#include <QtTest>

void chooseMenuItem(QMainWindow *window, QAction *item)
{
    QMenuBar *bar = window->menuBar();
    QMenu *menu = nullptr;
    for (QAction *title : bar->actions())
        if (title->menu() && title->menu()->actions().contains(item))
            menu = title->menu();
    QVERIFY2(menu, qPrintable(item->objectName()));
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(menu->menuAction()).center());
    QTRY_VERIFY(menu->isVisible());
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(item).center());
}

void whenModal(std::function<void(QWidget *modal)> step)
{
    auto *poll = new QTimer;
    poll->setInterval(20);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, step] {
        QWidget *modal = QApplication::activeModalWidget();
        // Up, and active: the keys typed next reach it.
        if (!modal || !modal->isVisible() || QApplication::activeWindow() != modal)
            return;
        poll->stop();
        poll->deleteLater();
        step(modal);
    });
    poll->start();
}
