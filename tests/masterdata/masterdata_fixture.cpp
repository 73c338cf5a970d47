#include "masterdata_fixture.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QHeaderView>
#include <QMenu>
#include <QMenuBar>
#include <QTableView>
#include <QTimer>
#include <QtTest>

void pickEntry(QComboBox *combo, const QString &text)
{
    const int index = combo->findText(text);
    QVERIFY2(index >= 0, qPrintable(text));
    QVERIFY(combo->isEnabled());
    QTest::mouseClick(combo, Qt::LeftButton);
    QAbstractItemView *list = combo->view();
    QTRY_VERIFY(list->isVisible());
    // A release within a double-click time of the opening press is taken as
    // part of that press, as for a person it would be.
    QTest::qWait(QApplication::doubleClickInterval() + 50);
    const QModelIndex entry = list->model()->index(index, combo->modelColumn());
    list->scrollTo(entry);
    const QPoint at = list->visualRect(entry).center();
    QTest::mouseMove(list->viewport(), at);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QTRY_VERIFY(!list->isVisible());
}

void clickGridRow(QTableView *grid, int row)
{
    const QRect cell = grid->visualRect(grid->model()->index(row, 0));
    QVERIFY2(cell.isValid(), qPrintable(QString::number(row)));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
}

QStringList columnTexts(QTableView *grid, int column)
{
    QStringList texts;
    QAbstractItemModel *model = grid->model();
    while (model->canFetchMore({}))
        model->fetchMore({});
    for (int row = 0; row < model->rowCount(); ++row)
        texts << model->index(row, column).data().toString();
    return texts;
}

QStringList headerTexts(QTableView *grid)
{
    QStringList texts;
    for (int c = 0; c < grid->model()->columnCount(); ++c)
        texts << grid->model()->headerData(c, Qt::Horizontal).toString();
    return texts;
}

QWidget *focused()
{
    return QApplication::focusWidget();
}

void showActive(QWidget *window)
{
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    // The main window's own activation may still be on its way; wait until
    // the new window holds it.
    QTRY_VERIFY_WITH_TIMEOUT((window->activateWindow(), QApplication::activeWindow() == window), 5000);
}

void openFromMenu(TF_main *main, QAction *item, const std::function<void(QDialog *)> &drive)
{
    QMenu *menu = nullptr;
    for (QObject *owner : item->associatedObjects())
        if ((menu = qobject_cast<QMenu *>(owner)))
            break;
    QVERIFY(menu);
    QVERIFY2(item->isVisible() && item->isEnabled(), qPrintable(item->objectName()));
    QMenuBar *bar = main->menuBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(menu->menuAction()).center());
    QTRY_VERIFY(menu->isVisible());

    bool driven = false;
    QTimer poll;
    poll.setInterval(20);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible() || driven)
            return;
        driven = true;
        poll.stop();
        drive(dialog);
        if (dialog->isVisible())
            dialog->reject();
    });
    poll.start();
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(item).center());
    QVERIFY(driven);
}
