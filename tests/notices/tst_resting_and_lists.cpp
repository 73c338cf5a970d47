// The main window's resting state for every role, the lists each button shows,
// the search, and the identity switch.

#include "captions.h"
#include "main_window_fixture.h"
#include "notice_row.h"

#include "db/named_query.h"
#include "session/login_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QScopeGuard>
#include <QScrollBar>
#include <QSqlQuery>
#include <QTableView>
#include <QtTest>

class TestRestingAndLists : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void layoutAndCaptions();
    void restingState_data();
    void restingState();
    void lists_data();
    void lists();
    void search_data();
    void search();
    void clearEmptiesOnlyTheField();
    void switchToOtherSection();
    void listReadAgain();

private:
    std::unique_ptr<MainWindowFixture> f;
};

void TestRestingAndLists::initTestCase()
{
    REQUIRE_DATABASE(MainWindowFixture::defaultKind());
    f = std::make_unique<MainWindowFixture>();
    f->addNotices();
}

void TestRestingAndLists::cleanupTestCase()
{
    f.reset();
}

void TestRestingAndLists::layoutAndCaptions()
{
    f->login(QStringLiteral("cjld"));
    TF_main *w = f->window.get();
    QCOMPARE(w->windowTitle(), QStringLiteral("Nollard"));
    QVERIFY(w->width() <= 808 && w->height() <= 580);
    const QList<QPair<const char *, QString>> buttons{{"bt_clear", "清 除"},
                                                      {"bt_search", "查 找"},
                                                      {"bt_new", "新建"},
                                                      {"bt_save", "保存"},
                                                      {"bt_print", "打印"},
                                                      {"bt_modify", "修改"},
                                                      {"bt_del", "删除"},
                                                      {"bt_checknow", "审核通过"},
                                                      {"bt_badchecknow", "驳    回"},
                                                      {"bt_totalmoney", "收费项目明细表"}};
    for (const auto &[name, text] : buttons)
        QCOMPARE(captionOf(f->button(name)->text()), text);
    const QList<QPair<const char *, QString>> actions{{"bt_nochecked", "未审核"},
                                                      {"bt_checked", "未打印"},
                                                      {"bt_printed", "未开票"},
                                                      {"bt_payed", "已开票"},
                                                      {"bt_badchecked", "被驳回"},
                                                      {"bt_report", "统计报表"},
                                                      {"bt_pj", "票据管理"},
                                                      {"bt_caiwu", "财务计划"},
                                                      {"bt_help", "帮  助"},
                                                      {"bt_switch", "身份切换"},
                                                      {"bt_exit", "系统退出"},
                                                      {"M_money", "财务科  人员管理"},
                                                      {"M_cwitem", "船务科  收费项目管理"},
                                                      {"M_buildtype", "船检科  建造检验类型管理"},
                                                      {"N12", "系统退出"},
                                                      {"SwitchUser", "用户身份快速切换"},
                                                      {"password", "本人账号和密码更改"},
                                                      {"N16", "关于本软件"}};
    for (const auto &[name, text] : actions)
        QCOMPARE(captionOf(f->action(name)->text()), text);
    // The toolbar's buttons carry the names of their actions.
    QVERIFY(w->findChild<QWidget *>(QStringLiteral("bt_nochecked")));
    QStringList menus;
    for (QAction *a : w->menuBar()->actions())
        menus << captionOf(a->text());
    QCOMPARE(menus, (QStringList{"基本信息数据库管理", "    报表和票据管理", "    工具   ", "界面", "   帮助  "}));
    QStringList titles;
    for (int c = 0; c < w->DBGrid_notice->model()->columnCount(); ++c)
        titles << w->DBGrid_notice->model()->headerData(c, Qt::Horizontal).toString();
    QCOMPARE(titles,
             (QStringList{"流水号", "状态", "日期和时间", "缴费船只，个人", "通知缴费部门", "经办人", "审核人"}));
    QCOMPARE(f->child<QLabel>("Label_totalmoney")->isEnabled(), false);
    QCOMPARE(w->findChild<QGroupBox *>(QStringLiteral("GroupBox_handler"))->title(),
             QStringLiteral("经办人工作区      "));
}

void TestRestingAndLists::restingState_data()
{
    QTest::addColumn<QString>("nickname");
    QTest::addColumn<QString>("enabledLists");  // first letters: n c p y b
    QTest::addColumn<bool>("nocheckedVisible");
    QTest::addColumn<bool>("newEnabled");
    QTest::addColumn<QStringList>("menus");
    QTest::addColumn<QString>("windowButtons");  // r=report j=pj c=caiwu
    QTest::addColumn<bool>("inspectionGroup");
    QTest::addColumn<QString>("rights");
    QTest::addColumn<QString>("userAdminCaption");
    QTest::addColumn<QString>("billCaption");

    const QString clerk = QStringLiteral("新建，打印和修改与本人相关的通知单");
    QTest::newRow("1 maintenance") << "weihu"
                                   << "" << true << false << QStringList{} << "r" << false << ""
                                   << "用户管理"
                                   << "";
    QTest::newRow("2 collector") << "shoufei"
                                 << "" << true << false << QStringList{} << "r" << false << ""
                                 << "用户管理"
                                 << "";
    QTest::newRow("3 clerk") << "cw"
                             << "cpyb" << false << true << QStringList{} << "r" << false << clerk << "船务科用户管理"
                             << "";
    QTest::newRow("3 clerk with rights") << "cwsh"
                                         << "cpyb" << false << true << QStringList{"M_cjkpj"} << "rj" << false
                                         << clerk + QStringLiteral(",审核本科室的通知单") << "船务科用户管理"
                                         << "船务科票据管理";
    QTest::newRow("4 leader with bill right")
        << "cwld"
        << "cpyb" << false << true << QStringList{"M_useradmin", "M_cwitem", "M_cjkpj"} << "rj" << false
        << " 新建、审核本科室的通知单,本科室的各项管理 "
        << "船务科用户管理"
        << "船务科票据管理";
    QTest::newRow("5 clerk") << "cj"
                             << "ncpyb" << true << true << QStringList{} << "r" << true << clerk << "船检科用户管理"
                             << "";
    QTest::newRow("5 clerk with rights") << "cjsh"
                                         << "ncpyb" << true << true << QStringList{"M_cjkpj"} << "rj" << true
                                         << clerk + QStringLiteral(",审核本科室的通知单") << "船检科用户管理"
                                         << "船检科票据管理";
    QTest::newRow("6 leader without bill right")
        << "cjld"
        << "ncpyb" << true << true
        << QStringList{"M_useradmin", "M_cjitem", "M_company", "M_buildtype", "M_runtype", "M_other"} << "r" << true
        << " 新建、审核本科室的通知单,本科室的各项管理 "
        << "船检科用户管理"
        << "";
    QTest::newRow("7 finance") << "cwk"
                               << "" << true << false << QStringList{} << "r" << false << " 财务统计以及计划安排 "
                               << "用户管理"
                               << "";
    QTest::newRow("8 finance leader") << "cwkld"
                                      << "" << true << false << QStringList{"M_money", "M_caiwu"} << "rc" << false
                                      << " 财务人员管理和财务统计以及计划安排 "
                                      << "用户管理"
                                      << "";
    QTest::newRow("9 unknown role with rights") << "other"
                                                << "" << true << false << QStringList{} << "r" << false << ""
                                                << "用户管理"
                                                << "";
}

void TestRestingAndLists::restingState()
{
    QFETCH(QString, nickname);
    QFETCH(QString, enabledLists);
    QFETCH(bool, nocheckedVisible);
    QFETCH(bool, newEnabled);
    QFETCH(QStringList, menus);
    QFETCH(QString, windowButtons);
    QFETCH(bool, inspectionGroup);
    QFETCH(QString, rights);
    QFETCH(QString, userAdminCaption);
    QFETCH(QString, billCaption);

    // Start from a user with every option shown, so that nothing is left over.
    f->login(QStringLiteral("cwkld"));
    f->login(QStringLiteral("cwld"));
    f->login(nickname);
    const QList<QPair<char, const char *>> lists{
        {'n', "bt_nochecked"}, {'c', "bt_checked"}, {'p', "bt_printed"}, {'y', "bt_payed"}, {'b', "bt_badchecked"}};
    for (const auto &[letter, name] : lists)
        QVERIFY2(f->action(name)->isEnabled() == enabledLists.contains(QLatin1Char(letter)), name);
    QCOMPARE(f->action("bt_nochecked")->isVisible(), nocheckedVisible);
    QCOMPARE(f->button("bt_new")->isEnabled(), newEnabled);
    for (const char *name : {"bt_save", "bt_print", "bt_modify", "bt_del", "bt_checknow", "bt_badchecknow"})
        QVERIFY2(!f->button(name)->isEnabled(), name);
    for (const char *name : {"M_useradmin", "M_money", "M_cwitem", "M_cjitem", "M_company", "M_buildtype", "M_runtype",
                             "M_other", "M_cjkpj", "M_caiwu"})
        QVERIFY2(f->action(name)->isVisible() == menus.contains(QString::fromLatin1(name)), name);
    QVERIFY(f->action("M_report")->isVisible() && f->action("M_report")->isEnabled());
    QVERIFY(f->action("bt_report")->isVisible() && f->action("bt_report")->isEnabled());
    QCOMPARE(f->action("bt_pj")->isVisible(), windowButtons.contains(QLatin1Char('j')));
    QCOMPARE(f->action("bt_caiwu")->isVisible(), windowButtons.contains(QLatin1Char('c')));
    QCOMPARE(f->child<QComboBox>("DBcb_checktype")->isVisibleTo(f->window.get()), inspectionGroup);
    QCOMPARE(f->child<QFrame>("Panel1")->isVisibleTo(f->window.get()), !inspectionGroup);
    QCOMPARE(f->window->rightsText(), rights);
    QCOMPARE(captionOf(f->action("M_useradmin")->text()), userAdminCaption);
    if (!billCaption.isEmpty())
        QCOMPARE(captionOf(f->action("M_cjkpj")->text()), billCaption);

    const Person *person = nullptr;
    for (const Person &p : fixturePeople())
        if (p.nickname == nickname)
            person = &p;
    QCOMPARE(f->window->StatusPanel1->text(), QStringLiteral("欢迎使用本系统：") + person->name);
    QCOMPARE(f->window->StatusPanel2->text(), QStringLiteral("你的身份是：") + CurrentUser.identity);
    QCOMPARE(f->window->StatusPanel3->text(), QStringLiteral("你的权限有：") + rights);
    // Where the panel is too narrow the text ends in an ellipsis and shows in
    // full as the tool tip; where it fits there is no tool tip.
    QLabel *panel = f->window->StatusPanel3;
    panel->resize(60, panel->height());
    panel->grab();
    QCOMPARE(panel->toolTip(), panel->text());
    panel->resize(panel->fontMetrics().horizontalAdvance(panel->text()) + 20, panel->height());
    panel->grab();
    QCOMPARE(panel->toolTip(), QString());

    // Search always on; content, memo and leader areas off; the empty list grid off.
    QVERIFY(f->child<QLineEdit>("Edit_searchid")->isEnabled());
    QVERIFY(f->button("bt_search")->isEnabled());
    QVERIFY(f->button("bt_clear")->isEnabled());
    for (const char *name : {"DBEdit_shipname", "bt_totalmoney", "DBCb_company", "dbck_dengji", "DBMemo_badcheck"})
        QVERIFY2(!f->child<QWidget>(name)->isEnabled(), name);
    QVERIFY(!f->window->DBGrid_notice->isEnabled());
    QVERIFY(!f->dm->aq_notice->isActive());
    QVERIFY(!f->dm->aq_itemofnotice->isActive());
}

void TestRestingAndLists::lists_data()
{
    QTest::addColumn<QString>("nickname");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QStringList>("ids");  // newest first

    QTest::newRow("6 not reviewed: section") << "cjld"
                                             << "bt_nochecked" << QStringList{"1000001", "1000006", "1000007"};
    QTest::newRow("5 not reviewed: own") << "cj"
                                         << "bt_nochecked" << QStringList{"1000001"};
    QTest::newRow("5 reviewer not reviewed: section") << "cjsh"
                                                      << "bt_nochecked" << QStringList{"1000001", "1000006", "1000007"};
    QTest::newRow("5 not printed: own, state 2") << "cj"
                                                 << "bt_checked" << QStringList{"1000002"};
    QTest::newRow("6 not printed") << "cjld"
                                   << "bt_checked" << QStringList{"1000002"};
    QTest::newRow("3 not printed: section, states 1 and 2") << "cw"
                                                            << "bt_checked" << QStringList{"0000012", "0000011"};
    QTest::newRow("4 not printed") << "cwld"
                                   << "bt_checked" << QStringList{"0000012", "0000011"};
    QTest::newRow("3 no bill: own") << "cw"
                                    << "bt_printed" << QStringList{"0000013"};
    QTest::newRow("5 billed: own") << "cj"
                                   << "bt_payed" << QStringList{"1000004"};
    QTest::newRow("3 billed: own, none") << "cw"
                                         << "bt_payed" << QStringList{};
    QTest::newRow("3 reviewer billed: section") << "cwsh"
                                                << "bt_payed" << QStringList{"0000014"};
    QTest::newRow("4 rejected") << "cwld"
                                << "bt_badchecked" << QStringList{"0000015"};
    QTest::newRow("5 rejected: own") << "cj"
                                     << "bt_badchecked" << QStringList{"1000005"};
    QTest::newRow("5 reviewer rejected") << "cjsh"
                                         << "bt_badchecked" << QStringList{"1000005"};
}

void TestRestingAndLists::lists()
{
    QFETCH(QString, nickname);
    QFETCH(QString, button);
    QFETCH(QStringList, ids);
    f->login(nickname);
    f->action(qPrintable(button))->trigger();
    QCOMPARE(f->listedIds(), ids);
    QCOMPARE(f->window->DBGrid_notice->isEnabled(), !ids.isEmpty());
    // Back in the resting state: no notice buttons until a row is chosen.
    QVERIFY(!f->button("bt_modify")->isEnabled());
    QVERIFY(!f->button("bt_print")->isEnabled());
    QVERIFY(f->shown.all().isEmpty());
}

void TestRestingAndLists::search_data()
{
    QTest::addColumn<QString>("nickname");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("ids");
    QTest::newRow("leader, part of the number")
        << "cwld"
        << "001" << QStringList{"0000015", "0000014", "0000013", "0000012", "0000011", "0000016"};
    QTest::newRow("leader, empty: whole section")
        << "cjld"
        << "" << QStringList{"1000005", "1000004", "1000003", "1000002", "1000001", "1000006", "1000007"};
    QTest::newRow("clerk: own notices in every state")
        << "cj"
        << "100000" << QStringList{"1000005", "1000004", "1000002", "1000001"};
    QTest::newRow("reviewer clerk: section") << "cjsh"
                                             << "03" << QStringList{"1000003"};
    QTest::newRow("whole number") << "cwld"
                                  << "0000013" << QStringList{"0000013"};
    QTest::newRow("whole number of the other section") << "cwld"
                                                       << "1000001" << QStringList{};
    QTest::newRow("digits anywhere") << "cw"
                                     << "15" << QStringList{"0000015"};
    QTest::newRow("percent is no wildcard") << "cjld"
                                            << "%" << QStringList{};
    QTest::newRow("underscore is no wildcard") << "cjld"
                                               << "10_0001" << QStringList{};
    QTest::newRow("quote") << "cjld"
                           << "1'" << QStringList{};
    // Users without list rights get the list of abnormal notices, which
    // normally holds nothing; the fixture has one.
    QTest::newRow("finance: abnormal only") << "cwk"
                                            << "" << QStringList{"0000016"};
    QTest::newRow("collector: abnormal only") << "shoufei"
                                              << "1" << QStringList{"0000016"};
}

void TestRestingAndLists::search()
{
    QFETCH(QString, nickname);
    QFETCH(QString, text);
    QFETCH(QStringList, ids);
    f->login(nickname);
    auto *field = f->child<QLineEdit>("Edit_searchid");
    field->setText(text);
    QTest::mouseClick(f->button("bt_search"), Qt::LeftButton);
    QCOMPARE(f->listedIds(), ids);
    QVERIFY(f->shown.all().isEmpty());
}

void TestRestingAndLists::clearEmptiesOnlyTheField()
{
    f->login(QStringLiteral("cjld"));
    f->action("bt_nochecked")->trigger();
    auto *field = f->child<QLineEdit>("Edit_searchid");
    field->clear();
    QTest::keyClicks(field, QStringLiteral("12345678"));
    QCOMPARE(field->text(), QStringLiteral("1234567"));  // seven bytes at most
    QTest::mouseClick(f->button("bt_clear"), Qt::LeftButton);
    QCOMPARE(field->text(), QString());
    QCOMPARE(f->listedIds().size(), 3);
}

void TestRestingAndLists::switchToOtherSection()
{
    TF_login login(*f->dm->aq_login);
    f->window->setLoginWindow(&login);
    f->login(QStringLiteral("cjld"));
    f->action("bt_nochecked")->trigger();
    f->clickRow(0);
    QVERIFY(f->button("bt_checknow")->isEnabled());

    f->action("bt_switch")->trigger();
    QVERIFY(!f->window->isVisible());
    QVERIFY(login.isVisible());
    QCOMPARE(login.Edit1->text(), QString());
    QVERIFY(!f->dm->aq_notice->isActive());

    login.setMainWindow(f->window.get());
    login.Edit1->setText(QStringLiteral("cwsh"));
    login.Edit2->setText(QStringLiteral("pw"));
    login.bt_okClick();
    QVERIFY(f->window->isVisible());
    QVERIFY(!login.isVisible());
    QCOMPARE(CurrentUser.department, QStringLiteral("船务科"));
    QVERIFY(f->child<QFrame>("Panel1")->isVisible());
    QVERIFY(!f->child<QComboBox>("DBcb_checktype")->isVisible());
    QVERIFY(!f->action("bt_nochecked")->isVisible());
    QVERIFY(!f->button("bt_checknow")->isEnabled());
    QCOMPARE(captionOf(f->action("M_cjkpj")->text()), QStringLiteral("船务科票据管理"));
    QCOMPARE(f->window->StatusPanel1->text(), QStringLiteral("欢迎使用本系统：赵船务"));
    QVERIFY(f->listedIds().isEmpty());

    // The menu item does the same; a user without the bill right loses bt_pj again.
    f->action("SwitchUser")->trigger();
    QVERIFY(login.isVisible());
    login.Edit1->setText(QStringLiteral("cw"));
    login.Edit2->setText(QStringLiteral("pw"));
    login.bt_okClick();
    QVERIFY(!f->action("bt_pj")->isVisible());
    QVERIFY(!f->action("M_cjkpj")->isVisible());
    f->window->setLoginWindow(nullptr);
}

namespace {
// Counts the paint events a widget receives.
class PaintCounter : public QObject
{
public:
    explicit PaintCounter(QWidget *watched) { watched->installEventFilter(this); }
    int count = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++count;
        return false;
    }
};
}  // namespace

// A list read again shows its first row at the top, whatever was scrolled
// before, and repaints none of the notice's fields when they stay the same.
void TestRestingAndLists::listReadAgain()
{
    QSqlDatabase db = f->db->connection();
    NoticeRows notices(db);
    const QDateTime start(QDate(2020, 1, 1), QTime(8, 0));
    for (int i = 0; i < 150; ++i) {
        notices.add(NoticeRow(QStringLiteral("1002%1").arg(i, 3, 10, QLatin1Char('0')))
                        .status(1)
                        .department(QStringLiteral("船检科"))
                        .handler(QStringLiteral("王检"))
                        .rdate(start.addSecs(i * 60))
                        .shipname(QStringLiteral("船%1").arg(i)));
    }
    notices.finish();
    const auto removeThem = qScopeGuard(
        [&] { QSqlQuery(db).exec(QStringLiteral("delete from notice where ID like '1002%'")); });

    f->login(QStringLiteral("cjld"));
    QTableView *grid = f->window->DBGrid_notice;
    QVERIFY(QTest::qWaitForWindowExposed(f->window.get()));
    f->action("bt_nochecked")->trigger();
    QCOMPARE(f->listedIds().first(), QStringLiteral("1000001"));
    // Paged down with clicks in the scroll bar's track, below its handle.
    QScrollBar *bar = grid->verticalScrollBar();
    QTest::qWait(20);
    QVERIFY(bar->isVisible());
    // The columns still end at the grid's edge: no sideways scroll bar.
    QCOMPARE(grid->horizontalHeader()->length(), grid->viewport()->width());
    QVERIFY(!grid->horizontalScrollBar()->isVisible());
    for (int i = 0; i < 4; ++i)
        QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(bar->width() / 2, bar->height() - 24));
    QVERIFY(bar->value() > 0);

    // The whole section through the search: the same columns, other rows.
    auto *field = f->child<QLineEdit>("Edit_searchid");
    field->clear();
    QTest::mouseClick(f->button("bt_search"), Qt::LeftButton);
    QCOMPARE(bar->value(), 0);
    const QStringList ids = f->listedIds();
    QCOMPARE(ids.first(), QStringLiteral("1000005"));
    QCOMPARE(grid->selectionModel()->selectedRows(), (QModelIndexList{grid->model()->index(0, 0)}));
    auto *number = f->child<QLineEdit>("DBEdit_ID");
    auto *ship = f->child<QLineEdit>("DBEdit_shipname");

    // The same list again: the fields keep what they show, unpainted.
    QTest::qWait(20);
    PaintCounter numberPaints(number);
    PaintCounter shipPaints(ship);
    QTest::mouseClick(f->button("bt_search"), Qt::LeftButton);
    QTest::qWait(20);
    QCOMPARE(f->listedIds(), ids);
    QCOMPARE(number->text(), QStringLiteral("1000005"));
    QCOMPARE(numberPaints.count, 0);
    QCOMPARE(shipPaints.count, 0);

    // Another notice chosen does repaint them.
    f->clickRow(1);
    QTest::qWait(20);
    QCOMPARE(number->text(), ids[1]);
    QVERIFY(numberPaints.count > 0);
}

QTEST_MAIN(TestRestingAndLists)
#include "tst_resting_and_lists.moc"
