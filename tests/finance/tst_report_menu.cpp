// Every user reaches the report window from the main window's toolbar button
// and menu item; it opens modally and is gone when closed.

#include "main_window_fixture.h"

#include "finance/report_window.h"

#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QtTest>

class TestReportMenu : public QObject
{
    Q_OBJECT
private slots:
    void everyUserOpensTheWindow_data();
    void everyUserOpensTheWindow();
};

void TestReportMenu::everyUserOpensTheWindow_data()
{
    QTest::addColumn<QString>("nickname");
    for (const Person &p : fixturePeople())
        QTest::newRow(qPrintable(p.nickname)) << p.nickname;
}

void TestReportMenu::everyUserOpensTheWindow()
{
    QFETCH(QString, nickname);
    REQUIRE_DATABASE(MainWindowFixture::defaultKind());
    MainWindowFixture f;
    f.login(nickname);

    int opened = 0;
    QTimer closer;
    closer.setInterval(20);
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (auto *window = qobject_cast<TF_report *>(QApplication::activeModalWidget())) {
            ++opened;
            window->close();
        }
    });
    closer.start();

    QAction *button = f.action("bt_report");
    QVERIFY(button->isVisible() && button->isEnabled());
    QWidget *toolButton = nullptr;
    for (QToolBar *bar : f.window->findChildren<QToolBar *>()) {
        if (QWidget *w = bar->widgetForAction(button))
            toolButton = w;
    }
    QVERIFY(toolButton);
    QTest::mouseClick(toolButton, Qt::LeftButton);
    QCOMPARE(opened, 1);
    QVERIFY(f.window->findChildren<TF_report *>().isEmpty());  // released on closing

    QAction *item = f.action("M_report");
    QVERIFY(item->isVisible() && item->isEnabled());
    item->trigger();
    QCOMPARE(opened, 2);
}

QTEST_MAIN(TestReportMenu)
#include "tst_report_menu.moc"
