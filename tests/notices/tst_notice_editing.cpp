// Creating, saving, changing and deleting notices from the main window, and
// two workstations storing the same notice.

#include "main_window_fixture.h"

#include "db/named_query.h"
#include "notices/notice_operations.h"
#include "typing.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QLineEdit>
#include <QTableView>
#include <QtTest>

class TestNoticeEditing : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void creationNumbering();
    void editingStateAndSave();
    void typedTextsStoredExactly_data();
    void typedTextsStoredExactly();
    void savingRejectedReturnsToReview();
    void widthsHoldAtTheWrite();
    void deleteKeepsLines();
    void pickLists();
    void picksByMouseAreStored();
    void pickListsFollowMasterData();
    void flagBoxesBindTheirState();
    void concurrentStore_data();
    void concurrentStore();
    void concurrentDelete_data();
    void concurrentDelete();
};

void TestNoticeEditing::creationNumbering()
{
    MainWindowFixture f;
    f.addNotices();  // counter.id at 41
    f.login(QStringLiteral("cj"));
    const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
    QTest::mouseClick(f.button("bt_new"), Qt::LeftButton);
    QVERIFY(f.shown.all().isEmpty());
    QCOMPARE(f.listedIds(), QStringList{"1000041"});
    QCOMPARE(f.db->scalar(QStringLiteral("select id from counter")).toInt(), 42);
    QCOMPARE(f.db->scalar(QStringLiteral("select status from notice where ID='1000041'")).toInt(), 1);
    QCOMPARE(f.db->scalar(QStringLiteral("select handler from notice where ID='1000041'")).toString(),
             QStringLiteral("孙船检"));
    QCOMPARE(f.db->scalar(QStringLiteral("select department from notice where ID='1000041'")).toString(),
             QStringLiteral("船检科"));
    QDateTime created = f.db->scalar(QStringLiteral("select Rdate from notice where ID='1000041'")).toDateTime();
    QVERIFY2(created >= before && created <= QDateTime::currentDateTime(), qPrintable(created.toString()));
    QCOMPARE(f.child<QLineEdit>("DBEdit_ID")->text(), QStringLiteral("1000041"));
    QCOMPARE(f.child<QLineEdit>("DBEdit_handler")->text(), QStringLiteral("孙船检"));

    // Closing without saving leaves the row as created.
    f.login(QStringLiteral("cw"));
    QTest::mouseClick(f.button("bt_new"), Qt::LeftButton);
    QCOMPARE(f.listedIds(), QStringList{"0000042"});
    QCOMPARE(
        f.db->scalar(QStringLiteral("select count(*) from notice where ID='1000041' and shipname is null")).toInt(), 1);
}

void TestNoticeEditing::editingStateAndSave()
{
    MainWindowFixture f;
    f.addNotices();
    f.login(QStringLiteral("cw"));
    QTest::mouseClick(f.button("bt_new"), Qt::LeftButton);
    // Exactly the fields the clerk fills, the fee lines and save are enabled.
    for (const char *on : {"DBEdit_shipname", "bt_totalmoney", "DBgrid_item", "dbck_dengji", "dbck_peixun",
                           "dbck_gongbenfei", "dbck_neibuziliao", "bt_save"})
        QVERIFY2(f.child<QWidget>(on)->isEnabled(), on);
    for (const char *off :
         {"dbedit_date", "DBEdit_ID", "DBEdit_dept", "DBEdit_handler", "DBedit_money", "bt_new", "bt_modify", "bt_del",
          "bt_print", "Edit_searchid", "bt_search", "bt_checknow", "DBGrid_notice"})
        QVERIFY2(!f.child<QWidget>(off)->isEnabled(), off);
    for (const char *list : {"bt_checked", "bt_printed", "bt_payed", "bt_badchecked"})
        QVERIFY2(!f.action(list)->isEnabled(), list);

    auto *ship = f.child<QLineEdit>("DBEdit_shipname");
    ship->setFocus();
    typeText(ship, QStringLiteral("海安号"));
    for (const char *flag : {"dbck_dengji", "dbck_gongbenfei"}) {
        auto *box = f.child<QCheckBox>(flag);
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));  // on the tick box
    }
    QTest::mouseClick(f.button("bt_save"), Qt::LeftButton);
    QVERIFY2(f.shown.all().isEmpty(), qPrintable(f.shown.all().join(QLatin1Char('|'))));
    QCOMPARE(f.db->scalar(QStringLiteral("select shipname from notice where ID='0000041'")).toString(),
             QStringLiteral("海安号"));
    QVERIFY(f.db->scalar(QStringLiteral("select dengji from notice where ID='0000041'")).toBool());
    QVERIFY(!f.db->scalar(QStringLiteral("select peixun from notice where ID='0000041'")).toBool());
    QVERIFY(f.db->scalar(QStringLiteral("select gongbenfei from notice where ID='0000041'")).toBool());
    QCOMPARE(f.db->scalar(QStringLiteral("select status from notice where ID='0000041'")).toInt(), 1);
    // Back at rest with the saved notice as the list and the grid usable.
    QCOMPARE(f.listedIds(), QStringList{"0000041"});
    QVERIFY(!f.button("bt_save")->isEnabled());
    QVERIFY(f.window->DBGrid_notice->isEnabled());
    QVERIFY(!f.dm->aq_itemofnotice->isActive());

    // Change it again: select, modify, save.
    f.clickRow(0);
    QVERIFY(f.button("bt_modify")->isEnabled());
    QTest::mouseClick(f.button("bt_modify"), Qt::LeftButton);
    QVERIFY(!f.window->DBGrid_notice->isEnabled());
    QVERIFY(!f.child<QWidget>("DBEdit_ID")->isEnabled());
    ship->selectAll();
    typeText(ship, QStringLiteral("东港168"));
    QTest::mouseClick(f.button("bt_save"), Qt::LeftButton);
    QCOMPARE(f.db->scalar(QStringLiteral("select shipname from notice where ID='0000041'")).toString(),
             QStringLiteral("东港168"));
}

void TestNoticeEditing::typedTextsStoredExactly_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("stored");
    QTest::newRow("quotes") << "O'Brien \"号\""
                            << "O'Brien \"号\"";
    QTest::newRow("percent and underscore") << "100%_船"
                                            << "100%_船";
    QTest::newRow("statement") << "x'); delete from notice; --"
                               << "x'); delete from notice; --";
    QTest::newRow("cut at 50 bytes") << "一二三四五六七八九十一二三四五六七八九十一二三四五六"
                                     << "一二三四五六七八九十一二三四五六七八九十一二三四五";
}

void TestNoticeEditing::typedTextsStoredExactly()
{
    QFETCH(QString, typed);
    QFETCH(QString, stored);
    MainWindowFixture f;
    f.addNotices();
    f.login(QStringLiteral("cj"));
    QTest::mouseClick(f.button("bt_new"), Qt::LeftButton);
    auto *ship = f.child<QLineEdit>("DBEdit_shipname");
    ship->setFocus();
    typeText(ship, typed);
    auto *company = f.child<QComboBox>("DBCb_company");
    company->setFocus();
    typeText(company->lineEdit(), typed);
    QTest::mouseClick(f.button("bt_save"), Qt::LeftButton);
    QCOMPARE(f.db->scalar(QStringLiteral("select shipname from notice where ID='1000041'")).toString(), stored);
    QCOMPARE(f.db->scalar(QStringLiteral("select company from notice where ID='1000041'")).toString(), stored);
    QCOMPARE(f.db->scalar(QStringLiteral("select count(*) from notice")).toInt(), 14);
}

void TestNoticeEditing::savingRejectedReturnsToReview()
{
    MainWindowFixture f;
    f.addNotices();
    f.login(QStringLiteral("cj"));
    f.action("bt_badchecked")->trigger();
    QCOMPARE(f.listedIds(), QStringList{"1000005"});
    f.clickRow(0);
    QTest::mouseClick(f.button("bt_modify"), Qt::LeftButton);
    QTest::mouseClick(f.button("bt_save"), Qt::LeftButton);
    QCOMPARE(f.db->scalar(QStringLiteral("select status from notice where ID='1000005'")).toInt(), 1);
    // The list is reopened with its statement: the notice left "被驳回".
    QCOMPARE(f.listedIds(), QStringList{});
}

// Whatever reaches the notice row (a paste, another window writing into it),
// the store keeps every text within its column.
void TestNoticeEditing::widthsHoldAtTheWrite()
{
    MainWindowFixture f;
    f.addNotices();
    f.login(QStringLiteral("cj"));
    QTest::mouseClick(f.button("bt_new"), Qt::LeftButton);
    const QString wide = QString(30, QChar(0x8239));  // 60 bytes
    f.dm->aq_notice->setValue(QStringLiteral("shipname"), wide);
    f.dm->aq_notice->setValue(QStringLiteral("checkcontent"), wide);
    QTest::mouseClick(f.button("bt_save"), Qt::LeftButton);
    QCOMPARE(f.db->scalar(QStringLiteral("select shipname from notice where ID='1000041'")).toString(),
             QString(25, QChar(0x8239)));
    QCOMPARE(f.db->scalar(QStringLiteral("select checkcontent from notice where ID='1000041'")).toString(),
             QString(10, QChar(0x8239)));
}

void TestNoticeEditing::deleteKeepsLines()
{
    MainWindowFixture f;
    f.addNotices();
    f.db->exec(QStringLiteral("insert into itemofnotice (ID,itemname,money) values ('1000001','船舶检验费',50)"));
    f.login(QStringLiteral("cj"));
    f.action("bt_nochecked")->trigger();
    f.action("bt_badchecked")->trigger();
    f.login(QStringLiteral("cj"));
    QTest::mouseClick(f.button("bt_search"), Qt::LeftButton);
    QCOMPARE(f.listedIds(), (QStringList{"1000005", "1000004", "1000002", "1000001"}));
    f.clickRow(3);
    QVERIFY(f.button("bt_del")->isEnabled());
    QTest::mouseClick(f.button("bt_del"), Qt::LeftButton);
    QCOMPARE(f.listedIds(), (QStringList{"1000005", "1000004", "1000002"}));
    QCOMPARE(f.db->scalar(QStringLiteral("select count(*) from notice where ID='1000001'")).toInt(), 0);
    QCOMPARE(f.db->scalar(QStringLiteral("select count(*) from itemofnotice where ID='1000001'")).toInt(), 1);
    QVERIFY(!f.button("bt_del")->isEnabled());  // resting again

    // Deleting from the middle: the list moves to the next notice, and the
    // highlighted row is the one the fields show.
    f.db->exec(QStringLiteral("update notice set status=1 where ID='1000004'"));
    QTest::mouseClick(f.button("bt_search"), Qt::LeftButton);
    f.clickRow(1);
    QVERIFY(f.button("bt_del")->isEnabled());
    QTest::mouseClick(f.button("bt_del"), Qt::LeftButton);
    QCOMPARE(f.listedIds(), (QStringList{"1000005", "1000002"}));
    QCOMPARE(f.dm->aq_notice->value(QStringLiteral("ID")).toString(), QStringLiteral("1000002"));
    QCOMPARE(f.child<QTableView>("DBGrid_notice")->currentIndex().row(), 1);
    QCOMPARE(f.child<QTableView>("DBGrid_notice")->selectionModel()->selectedRows().value(0).row(), 1);
}

void TestNoticeEditing::pickLists()
{
    MainWindowFixture f;
    f.addNotices();
    for (const char *name : {"东港航运", "海安船务"})
        f.db->exec(QStringLiteral("insert into company (name) values (?)"), {QString::fromUtf8(name)});
    for (const char *name : {"年度检验", "中间检验"})
        f.db->exec(QStringLiteral("insert into runtype (name) values (?)"), {QString::fromUtf8(name)});
    f.login(QStringLiteral("cj"));
    QTest::mouseClick(f.button("bt_new"), Qt::LeftButton);

    auto *content = f.child<QComboBox>("DBCb_checkcontent");
    content->setFocus();
    QCOMPARE(content->count(), 1);
    QCOMPARE(content->itemText(0), QStringLiteral("请先选择检查类型"));

    auto *type = f.child<QComboBox>("DBcb_checktype");
    type->setCurrentIndex(type->findText(QStringLiteral("营运检验")));
    emit type->textActivated(type->currentText());
    f.child<QLineEdit>("DBEdit_shipname")->setFocus();
    content->setFocus();
    QStringList offered;
    for (int i = 0; i < content->count(); ++i)
        offered << content->itemText(i);
    QCOMPARE(offered, (QStringList{"年度检验", "中间检验"}));
    content->setCurrentIndex(1);
    emit content->textActivated(content->currentText());

    auto *company = f.child<QComboBox>("DBCb_company");
    company->setFocus();
    QCOMPARE(company->count(), 2);
    typeText(company->lineEdit(), QStringLiteral("新公司"));
    QTest::mouseClick(f.button("bt_save"), Qt::LeftButton);
    QCOMPARE(f.db->scalar(QStringLiteral("select checktype from notice where ID='1000041'")).toString(),
             QStringLiteral("营运检验"));
    QCOMPARE(f.db->scalar(QStringLiteral("select checkcontent from notice where ID='1000041'")).toString(),
             QStringLiteral("中间检验"));
    QCOMPARE(f.db->scalar(QStringLiteral("select company from notice where ID='1000041'")).toString(),
             QStringLiteral("新公司"));
}

// The popup's closing gives the box the focus again; that must not refill the
// list under the click, nor clear a typed name.
void TestNoticeEditing::picksByMouseAreStored()
{
    MainWindowFixture f;
    f.addNotices();
    for (const char *name : {"东港航运", "海安船务"})
        f.db->exec(QStringLiteral("insert into company (name) values (?)"), {QString::fromUtf8(name)});
    for (const char *name : {"年度检验", "中间检验"})
        f.db->exec(QStringLiteral("insert into runtype (name) values (?)"), {QString::fromUtf8(name)});
    f.login(QStringLiteral("cj"));
    QTest::mouseClick(f.button("bt_new"), Qt::LeftButton);

    pickByMouse(f.child<QComboBox>("DBcb_checktype"), QStringLiteral("营运检验"));
    auto *content = f.child<QComboBox>("DBCb_checkcontent");
    pickByMouse(content, QStringLiteral("年度检验"));
    QCOMPARE(content->currentText(), QStringLiteral("年度检验"));
    pickByMouse(content, QStringLiteral("中间检验"));  // a second pick replaces the first
    QCOMPARE(content->currentText(), QStringLiteral("中间检验"));

    auto *company = f.child<QComboBox>("DBCb_company");
    QTest::mouseClick(company->lineEdit(), Qt::LeftButton);
    typeText(company->lineEdit(), QStringLiteral("手写公司"));
    f.child<QLineEdit>("DBEdit_shipname")->setFocus();
    QCOMPARE(company->currentText(), QStringLiteral("手写公司"));  // leaving keeps what was typed
    pickByMouse(company, QStringLiteral("海安船务"));
    QCOMPARE(company->currentText(), QStringLiteral("海安船务"));

    QTest::mouseClick(f.button("bt_save"), Qt::LeftButton);
    QCOMPARE(f.db->scalar(QStringLiteral("select checktype from notice where ID='1000041'")).toString(),
             QStringLiteral("营运检验"));
    QCOMPARE(f.db->scalar(QStringLiteral("select checkcontent from notice where ID='1000041'")).toString(),
             QStringLiteral("中间检验"));
    QCOMPARE(f.db->scalar(QStringLiteral("select company from notice where ID='1000041'")).toString(),
             QStringLiteral("海安船务"));
}

// Names added elsewhere (another window, another workstation) are offered the
// next time the clerk enters the field.
void TestNoticeEditing::pickListsFollowMasterData()
{
    MainWindowFixture f;
    f.addNotices();
    f.db->exec(QStringLiteral("insert into company (name) values ('东港航运')"));
    f.db->exec(QStringLiteral("insert into runtype (name) values ('年度检验')"));
    f.login(QStringLiteral("cj"));
    QTest::mouseClick(f.button("bt_new"), Qt::LeftButton);
    pickByMouse(f.child<QComboBox>("DBcb_checktype"), QStringLiteral("营运检验"));
    pickByMouse(f.child<QComboBox>("DBCb_checkcontent"), QStringLiteral("年度检验"));
    pickByMouse(f.child<QComboBox>("DBCb_company"), QStringLiteral("东港航运"));

    f.db->exec(QStringLiteral("insert into company (name) values ('新港物流')"));
    f.db->exec(QStringLiteral("insert into runtype (name) values ('临时检验')"));
    f.child<QLineEdit>("DBEdit_shipname")->setFocus();
    pickByMouse(f.child<QComboBox>("DBCb_checkcontent"), QStringLiteral("临时检验"));
    pickByMouse(f.child<QComboBox>("DBCb_company"), QStringLiteral("新港物流"));
    QTest::mouseClick(f.button("bt_save"), Qt::LeftButton);
    QCOMPARE(f.db->scalar(QStringLiteral("select checkcontent from notice where ID='1000041'")).toString(),
             QStringLiteral("临时检验"));
    QCOMPARE(f.db->scalar(QStringLiteral("select company from notice where ID='1000041'")).toString(),
             QStringLiteral("新港物流"));
}

// A box toggled by an accessibility tool (as screen readers do) stores the
// same as a click; showing a notice writes nothing.
void TestNoticeEditing::flagBoxesBindTheirState()
{
    MainWindowFixture f;
    f.addNotices();
    f.login(QStringLiteral("cw"));
    f.action("bt_badchecked")->trigger();
    f.clickRow(f.rowOf(QStringLiteral("0000015")));
    QCOMPARE(f.dm->aq_notice->state(), NamedQuery::State::Browsing);  // loading wrote nothing
    QVERIFY(f.child<QCheckBox>("dbck_dengji")->isChecked());
    QTest::mouseClick(f.button("bt_modify"), Qt::LeftButton);

    auto toggle = [](QCheckBox *box) {
        QAccessibleInterface *a = QAccessible::queryAccessibleInterface(box);
        QVERIFY(a && a->actionInterface());
        a->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    };
    toggle(f.child<QCheckBox>("dbck_dengji"));
    toggle(f.child<QCheckBox>("dbck_neibuziliao"));
    QVERIFY(f.child<QCheckBox>("dbck_neibuziliao")->isChecked());
    QTest::mouseClick(f.button("bt_save"), Qt::LeftButton);
    QCOMPARE(f.db->scalar(QStringLiteral("select dengji from notice where ID='0000015'")).toBool(), false);
    QCOMPARE(f.db->scalar(QStringLiteral("select neibuziliao from notice where ID='0000015'")).toBool(), true);
}

void TestNoticeEditing::concurrentStore_data()
{
    addKindRows();
}

// Two workstations change the same notice; the second store must not
// overwrite the first one's change silently.
void TestNoticeEditing::concurrentStore()
{
    QFETCH(int, kind);
    REQUIRE_DATABASE(DbKind(kind));
    MainWindowFixture a(DbKind(kind), QStringLiteral("workstation-a"));
    a.addNotices();
    a.login(QStringLiteral("cj"));
    a.action("bt_nochecked")->trigger();
    a.clickRow(0);  // 1000001, own, state 1
    QTest::mouseClick(a.button("bt_modify"), Qt::LeftButton);
    auto *ship = a.child<QLineEdit>("DBEdit_shipname");
    ship->selectAll();
    typeText(ship, QStringLiteral("甲站的修改"));

    // Meanwhile the other workstation approves the notice.
    Tdm other(a.db->settings(), QStringLiteral("workstation-b"));
    other.DataModuleCreate();
    UserRecord reviewer;
    reviewer.userName = QStringLiteral("吴科长");
    reviewer.typeId = 6;
    reviewer.deriveFromRole();
    const int listed = a.db->scalar(QStringLiteral("select revision from notice where ID='1000001'")).toInt();
    try {
        approveNotice(other.database(), reviewer, QStringLiteral("1000001"), listed, QString());
    } catch (const std::exception &e) {
        QFAIL(e.what());
    }
    QCOMPARE(a.db->scalar(QStringLiteral("select status from notice where ID='1000001'")).toInt(), 2);

    QTest::mouseClick(a.button("bt_save"), Qt::LeftButton);
    QCOMPARE(a.shown.informations, QStringList{kChangedElsewhere});
    // Nothing of the first workstation's edit was stored over the approval...
    QCOMPARE(a.db->scalar(QStringLiteral("select shipname from notice where ID='1000001'")).toString(),
             QStringLiteral("船01"));
    QCOMPARE(a.db->scalar(QStringLiteral("select leader from notice where ID='1000001'")).toString(),
             QStringLiteral("吴科长"));
    // ...the edit is still on screen, in editing, over the refreshed notice.
    QCOMPARE(ship->text(), QStringLiteral("甲站的修改"));
    QVERIFY(a.button("bt_save")->isEnabled());
    QCOMPARE(a.child<QComboBox>("DBCb_leader")->currentText(), QStringLiteral("吴科长"));

    // Saving again is a deliberate store on top of the approval.
    QTest::mouseClick(a.button("bt_save"), Qt::LeftButton);
    QCOMPARE(a.shown.informations.size(), 1);
    QCOMPARE(a.db->scalar(QStringLiteral("select shipname from notice where ID='1000001'")).toString(),
             QStringLiteral("甲站的修改"));
    QCOMPARE(a.db->scalar(QStringLiteral("select status from notice where ID='1000001'")).toInt(), 2);
    QCOMPARE(a.db->scalar(QStringLiteral("select leader from notice where ID='1000001'")).toString(),
             QStringLiteral("吴科长"));
}

void TestNoticeEditing::concurrentDelete_data()
{
    concurrentStore_data();
}

void TestNoticeEditing::concurrentDelete()
{
    QFETCH(int, kind);
    REQUIRE_DATABASE(DbKind(kind));
    MainWindowFixture a(DbKind(kind), QStringLiteral("workstation-a"));
    a.addNotices();
    a.login(QStringLiteral("cj"));
    a.action("bt_nochecked")->trigger();
    a.clickRow(0);
    QTest::mouseClick(a.button("bt_modify"), Qt::LeftButton);
    a.db->exec(QStringLiteral("delete from notice where ID='1000001'"));
    QTest::mouseClick(a.button("bt_save"), Qt::LeftButton);
    QCOMPARE(a.shown.informations, QStringList{kDeletedElsewhere});
    QCOMPARE(a.db->scalar(QStringLiteral("select count(*) from notice where ID='1000001'")).toInt(), 0);
    QVERIFY(!a.button("bt_save")->isEnabled());  // nothing left to edit: back at rest
    QVERIFY(!a.listedIds().contains(QStringLiteral("1000001")));

    // A stale delete is refused as well: the other workstation approved meanwhile.
    a.action("bt_nochecked")->trigger();
    QCOMPARE(a.listedIds(), QStringList{});  // own notices in state 1: none left
    a.action("bt_badchecked")->trigger();
    a.clickRow(0);  // 1000005, rejected
    a.db->exec(QStringLiteral("update notice set status=2, revision=revision+1 where ID='1000005'"));
    QTest::mouseClick(a.button("bt_del"), Qt::LeftButton);
    QCOMPARE(a.shown.informations.last(), kReviewChangedElsewhere);
    QCOMPARE(a.db->scalar(QStringLiteral("select count(*) from notice where ID='1000005'")).toInt(), 1);
}

void TestNoticeEditing::initTestCase()
{
    REQUIRE_DATABASE(MainWindowFixture::defaultKind());
}

QTEST_MAIN(TestNoticeEditing)
#include "tst_notice_editing.moc"
