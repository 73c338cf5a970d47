// The colour themes of the main window, chosen from its 界面 menu.

#include "main_window_fixture.h"
#include "menu_clicks.h"

#include "session/login_window.h"
#include "ui/about_window.h"
#include "ui/themes.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QStatusBar>
#include <QTableView>
#include <QToolBar>
#include <QToolButton>
#include <QtTest>

namespace {

const QColor kWhite(255, 255, 255);

struct Look
{
    QMap<QString, QColor> colours;
    bool operator==(const Look &o) const { return colours == o.colours; }
};

}  // namespace

class TestThemes : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void menuInOrder();
    void eachTheme_data();
    void eachTheme();
    void survivesUserSwitch();
    void otherWindowsKeepTheirColours();

private:
    void choose(const char *item);
    // The colours of every area a theme sets, by area.
    Look look() const;
    QWidget *area(const char *name) const;

    std::unique_ptr<MainWindowFixture> f;
    Look m_startLook;
};

void TestThemes::initTestCase()
{
    f = std::make_unique<MainWindowFixture>(DbKind::SQLite);
    f->addNotices();
    f->login(QStringLiteral("cj"));
    f->window->bt_checked->trigger();
    f->clickRow(0);
    m_startLook = look();
}

void TestThemes::cleanupTestCase()
{
    f.reset();
}

QWidget *TestThemes::area(const char *name) const
{
    QWidget *w = f->window->findChild<QWidget *>(QString::fromLatin1(name));
    if (!w)
        qWarning("no area %s", name);
    return w;
}

Look TestThemes::look() const
{
    Look l;
    l.colours[QStringLiteral("F_main")] = f->window->palette().color(QPalette::Window);
    for (const char *panel :
         {"ToolBar1", "Panel2", "GroupBox_content", "Panel1", "GroupBox_handler", "GroupBox_leader", "StatusBar1"})
        l.colours[QString::fromLatin1(panel)] = area(panel)->palette().color(QPalette::Window);
    for (const char *grid : {"DBGrid_notice", "DBgrid_item"}) {
        auto *view = static_cast<QTableView *>(area(grid));
        l.colours[QString::fromLatin1(grid) + QStringLiteral(".data")] = view->palette().color(QPalette::Base);
        l.colours[QString::fromLatin1(grid) + QStringLiteral(".titles")] = view->horizontalHeader()->palette().color(
            QPalette::Button);
        l.colours[QString::fromLatin1(grid) + QStringLiteral(".indicator")] = view->verticalHeader()->palette().color(
            QPalette::Button);
    }
    return l;
}

void TestThemes::choose(const char *item)
{
    chooseMenuItem(f->window.get(), f->action(item));
}

void TestThemes::menuInOrder()
{
    auto *menu = f->window->findChild<QMenu *>(QStringLiteral("N22"));
    QVERIFY(menu);
    QCOMPARE(menu->title(), QStringLiteral("界面(&V)"));
    QStringList items;
    for (QAction *a : menu->actions())
        items << a->objectName() + QLatin1Char(' ') + a->text();
    QCOMPARE(items, (QStringList{"N11 正常界面(&1)", "N20 葡萄界面(&2)", "N19 雨天界面(&3)", "N18 沙漠界面(&4)",
                                 "N7 银色界面(&5)", "N10 玫瑰界面(&6)", "N9 淡绿界面(&7)", "N8 海军蓝界面(&8)",
                                 "N21 贵族银界面(&9)"}));
    // The start-up look is the normal one: button faces and white lists.
    const QColor face = QApplication::palette().color(QPalette::Button);
    for (auto [name, colour] : m_startLook.colours.asKeyValueRange())
        QCOMPARE(colour, name.endsWith(QLatin1String(".data")) ? kWhite : face);
}

void TestThemes::eachTheme_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<QColor>("background");
    QTest::addColumn<QColor>("data");
    QTest::newRow("葡萄") << "N20" << QColor(168, 152, 144) << QColor(216, 208, 200);
    QTest::newRow("雨天") << "N19" << QColor(131, 153, 177) << kWhite;
    QTest::newRow("沙漠") << "N18" << QColor(213, 204, 187) << kWhite;
    QTest::newRow("银色") << "N7" << QColor(192, 192, 192) << kWhite;
    QTest::newRow("玫瑰") << "N10" << QColor(207, 175, 183) << kWhite;
    QTest::newRow("淡绿") << "N9" << QColor(162, 200, 169) << kWhite;
    QTest::newRow("海军蓝") << "N8" << QColor(136, 192, 184) << QColor(200, 224, 216);
    QTest::newRow("贵族银") << "N21" << QColor(192, 192, 192) << kWhite;
}

void TestThemes::eachTheme()
{
    QFETCH(QString, item);
    QFETCH(QColor, background);
    QFETCH(QColor, data);
    choose(qPrintable(item));
    const Look themed = look();
    for (auto [name, colour] : themed.colours.asKeyValueRange())
        QVERIFY2(colour == (name.endsWith(QLatin1String(".data")) ? data : background),
                 qPrintable(name + QStringLiteral(": ") + colour.name()));
    QVERIFY(f->action(qPrintable(item))->isChecked());

    // What the screen shows: the window's ground beside the lists, and the
    // empty data area of the fee-line list.
    const QImage shot = f->window->grab().toImage();
    QWidget *central = f->window->centralWidget();
    QCOMPARE(QColor(shot.pixel(central->mapTo(f->window.get(), QPoint(1, central->height() / 2)))), background);
    QTableView *grid = f->window->DBgrid_item;
    const QPoint empty = grid->viewport()->mapTo(f->window.get(),
                                                 QPoint(grid->viewport()->width() - 3, grid->viewport()->height() - 3));
    QCOMPARE(QColor(shot.pixel(empty)), data);
    // The search panel in the toolbar, beside its title.
    QWidget *search = area("Panel2");
    QWidget *title = area("Label_search");
    const QPoint beside = title->mapTo(f->window.get(), QPoint(title->width() + 2, title->height() / 2));
    QVERIFY2(search->rect().contains(search->mapFrom(f->window.get(), beside)), "not in the search panel");
    QCOMPARE(QColor(shot.pixel(beside)), background);

    // A disabled list's titles and rows stay readable on their grounds.
    for (QTableView *list : {f->window->DBGrid_notice, f->window->DBgrid_item}) {
        for (QHeaderView *titles : {list->horizontalHeader(), list->verticalHeader()}) {
            const QPalette p = titles->palette();
            for (QPalette::ColorRole role : {QPalette::ButtonText, QPalette::WindowText})
                QVERIFY2(
                    ui::contrastRatio(p.color(QPalette::Disabled, role), p.color(QPalette::Disabled, QPalette::Button))
                        >= 4.5,
                    qPrintable(list->objectName() + u' ' + p.color(QPalette::Disabled, role).name()));
        }
        const QPalette p = list->palette();
        QVERIFY(
            ui::contrastRatio(p.color(QPalette::Disabled, QPalette::Text), p.color(QPalette::Disabled, QPalette::Base))
            >= 4.5);
    }

    // Input fields and buttons keep their own colours.
    const QPalette app = QApplication::palette();
    const QList<QPair<QWidget *, QList<QPalette::ColorRole>>> own{
        {f->window->DBEdit_shipname, {QPalette::Base, QPalette::Text}},
        {f->window->DBCb_leader, {QPalette::Base, QPalette::Button}},
        {f->window->bt_new, {QPalette::Button, QPalette::Window}},
        {f->window->bt_search, {QPalette::Button, QPalette::Window}}};
    for (const auto &[widget, roles] : own)
        for (QPalette::ColorRole role : roles)
            QVERIFY2(widget->palette().color(QPalette::Active, role) == app.color(QPalette::Active, role),
                     qPrintable(widget->objectName()));

    // 正常界面 brings back exactly the start-up look.
    choose("N11");
    QVERIFY(look() == m_startLook);
}

void TestThemes::survivesUserSwitch()
{
    TF_login login(*f->dm->aq_login);
    login.setMainWindow(f->window.get());
    f->window->setLoginWindow(&login);
    choose("N8");
    const Look themed = look();
    chooseMenuItem(f->window.get(), f->action("SwitchUser"));
    QVERIFY(login.isVisible());
    login.Edit1->setText(QStringLiteral("cwkld"));
    login.Edit2->setText(QStringLiteral("pw"));
    QTest::mouseClick(login.bt_ok, Qt::LeftButton);
    QVERIFY(f->window->isVisible());
    QCOMPARE(CurrentUser.typeId, 8);
    QVERIFY(look() == themed);
    choose("N11");
    f->window->setLoginWindow(nullptr);
}

void TestThemes::otherWindowsKeepTheirColours()
{
    choose("N20");
    TF_about about(f->window.get());
    about.show();
    QCOMPARE(about.palette().color(QPalette::Window), QApplication::palette().color(QPalette::Window));
    choose("N11");
}

QTEST_MAIN(TestThemes)
#include "tst_themes.moc"
