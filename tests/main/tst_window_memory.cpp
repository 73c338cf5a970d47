// The main window grows with its list and every window comes back as its
// account left it, on a screen as large as a clerk's (1366 by 768).

#include "main_window_fixture.h"

#include "finance/report_window.h"
#include "main/window_memory.h"
#include "menu_clicks.h"

#include <QApplication>
#include <QHeaderView>
#include <QSettings>
#include <QStandardPaths>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// Opens the statistical reports from the main window's toolbar and runs the
// step while the window is up; the step may close it.
void withReportWindow(MainWindowFixture &f, const std::function<void(QWidget *)> &step)
{
    bool ran = false;
    whenModal([&](QWidget *modal) {
        QCOMPARE(modal->objectName(), QStringLiteral("TF_report"));
        step(modal);
        ran = true;
        if (modal->isVisible())
            modal->close();
    });
    f.action("bt_report")->trigger();
    QVERIFY(ran);
}

}  // namespace

class TestWindowMemory : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void mainWindowGrowsWithItsList();
    void windowsComeBackPerAccount();
};

void TestWindowMemory::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);  // the test's settings, not the user's
    QSettings(QStringLiteral("Nollard"), QStringLiteral("Nollard")).clear();
    rememberWindows({QStringLiteral("F_login")});
    QCOMPARE(QGuiApplication::primaryScreen()->size(), QSize(1366, 768));
}

void TestWindowMemory::mainWindowGrowsWithItsList()
{
    MainWindowFixture f;
    if (!f.valid())
        QSKIP("no database");
    f.login(QStringLiteral("cjld"));
    TF_main *w = f.window.get();
    QCOMPARE(w->size(), QSize(808, 580));
    QCOMPARE(w->minimumSize(), QSize(808, 580));
    QVERIFY(w->maximumWidth() > 1366 && w->maximumHeight() > 768);
    const QSize list = w->DBGrid_notice->size();
    const QSize lines = w->DBgrid_item->size();
    const int handlerWidth = w->bt_new->parentWidget()->width();

    // Larger by 300 by 150: the notice list takes the height, the lists the
    // width; the buttons' column stays as it was.
    w->resize(1108, 730);
    QTRY_COMPARE(w->DBGrid_notice->size(), list + QSize(300, 150));
    QCOMPARE(w->DBgrid_item->height(), lines.height());
    QVERIFY(w->DBgrid_item->width() > lines.width());
    QCOMPARE(w->bt_new->parentWidget()->width(), handlerWidth);

    // Never smaller than it first opened; maximised it fills the screen.
    w->resize(700, 500);
    QCOMPARE(w->size(), QSize(808, 580));
    w->showMaximized();
    QTRY_VERIFY(w->isMaximized());
    QTRY_VERIFY(w->width() > 1300 && w->height() > 700);
    QVERIFY(w->DBGrid_notice->height() > list.height() + 100);
    w->showNormal();
}

void TestWindowMemory::windowsComeBackPerAccount()
{
    MainWindowFixture f;
    if (!f.valid())
        QSKIP("no database");
    TF_main *w = f.window.get();

    f.login(QStringLiteral("cj"));
    QCOMPARE(w->size(), QSize(808, 580));
    w->setGeometry(QRect(QPoint(120, 60), QSize(1000, 650)));
    QSize reportSize;
    withReportWindow(f, [&](QWidget *report) {
        reportSize = report->size() + QSize(90, 40);
        report->resize(reportSize);
    });
    w->user_switchExecute();  // the window is left, under the account that used it
    QVERIFY(!w->isVisible());

    // Another clerk at the same workstation finds the first sizes.
    f.login(QStringLiteral("cjsh"));
    QCOMPARE(w->size(), QSize(808, 580));
    withReportWindow(f, [&](QWidget *report) { QVERIFY(report->size() != reportSize); });
    w->showMaximized();
    QTRY_VERIFY(w->isMaximized());
    w->user_switchExecute();

    // The first clerk again: the windows as they were left.
    f.login(QStringLiteral("cj"));
    QVERIFY(!w->isMaximized());
    QCOMPARE(w->size(), QSize(1000, 650));
    QCOMPARE(w->geometry().topLeft(), QPoint(120, 60));
    withReportWindow(f, [&](QWidget *report) { QCOMPARE(report->size(), reportSize); });
    w->user_switchExecute();

    // And the second one's maximised window.
    f.login(QStringLiteral("cjsh"));
    QTRY_VERIFY(w->isMaximized());
}

int main(int argc, char **argv)
{
    // A screen of 1366 by 768, as the workstations have.
    QTemporaryDir folder;
    const QString config = folder.filePath(QStringLiteral("screen.json"));
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly))
        return 1;
    file.write(R"({"screens": [{"name": "workstation", "x": 0, "y": 0, "width": 1366, "height": 768,
                   "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
    file.close();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + config.toLocal8Bit());
    QApplication app(argc, argv);
    TestWindowMemory test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_window_memory.moc"
