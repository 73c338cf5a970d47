// The account windows: a section leader's user administration and the
// finance leader's staff administration, their role and right texts, the
// checks on adding, modify mode, role changes and deletes that would leave a
// section without anyone to administer it.

#include "captions.h"
#include "masterdata_fixture.h"
#include "typing.h"

#include "app/gbk_width.h"
#include "db/named_query.h"
#include "masterdata/account_window.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QtTest>

class TestAccounts : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { REQUIRE_DATABASE(MainWindowFixture::defaultKind()); }
    void userAdminOpening_data();
    void userAdminOpening();
    void userAdminAdd();
    void userAdminModify();
    void modifyRefusedAfterAnotherWorkstation();
    void deletesAndLastLeader();
    void financeStaff();
};

namespace {

QStringList entries(QComboBox *combo)
{
    QStringList texts;
    for (int i = 0; i < combo->count(); ++i)
        texts << combo->itemText(i);
    return texts;
}

QVariant column(MainWindowFixture &f, const char *name, const QString &nickname)
{
    return f.db->scalar(QStringLiteral("select %1 from person where nickname=?").arg(name), {nickname});
}

int rowOfLogin(QTableView *grid, const QString &nickname)
{
    return int(columnTexts(grid, 1).indexOf(nickname));
}

}  // namespace

void TestAccounts::userAdminOpening_data()
{
    QTest::addColumn<QString>("leader");
    QTest::addColumn<QString>("heading");
    QTest::addColumn<QStringList>("logins");
    QTest::addColumn<QStringList>("roles");
    QTest::newRow("ship affairs") << "cwld"
                                  << "船务科用户管理" << QStringList{"cw", "cwld", "cwsh"}
                                  << QStringList{"船务科领导", "船务科工作人员"};
    QTest::newRow("ship inspection") << "cjld"
                                     << "船检科用户管理" << QStringList{"cj", "cjld", "cjsh"}
                                     << QStringList{"船检科领导", "船检科工作人员"};
}

void TestAccounts::userAdminOpening()
{
    QFETCH(QString, leader);
    QFETCH(QString, heading);
    QFETCH(QStringList, logins);
    QFETCH(QStringList, roles);
    MainWindowFixture f;
    f.login(leader);
    TF_useradmin w(*f.dm, f.window.get());
    showActive(&w);

    QCOMPARE(w.objectName(), QStringLiteral("F_useradmin"));
    QCOMPARE(w.windowTitle(), QStringLiteral("用户管理"));
    QCOMPARE(w.Label1->text(), heading);
    auto *grid = w.findChild<QTableView *>(QStringLiteral("DBGrid_useradmin"));
    QCOMPARE(headerTexts(grid), (QStringList{"姓名", "登录名", "身份", "审核权", "开票据"}));
    QStringList listed = columnTexts(grid, 1);
    listed.sort();
    QCOMPARE(listed, logins);
    QCOMPARE(entries(w.DBComboBox1), roles);
    QCOMPARE(entries(w.DBComboBox2), (QStringList{"有", "没有"}));
    QCOMPARE(entries(w.DBComboBox3), (QStringList{"有", "没有"}));

    // Codes are shown as texts; the review right of 1 only is "有".
    const int reviewer = rowOfLogin(grid, leader == "cwld" ? "cwsh" : "cjsh");
    const int staff = rowOfLogin(grid, leader == "cwld" ? "cw" : "cj");
    QCOMPARE(grid->model()->index(reviewer, 2).data().toString(), roles[1]);
    QCOMPARE(grid->model()->index(reviewer, 3).data().toString(), QStringLiteral("有"));
    QCOMPARE(grid->model()->index(staff, 3).data().toString(), QStringLiteral("没有"));
    QCOMPARE(grid->model()->index(staff, 4).data().toString(), QStringLiteral("没有"));

    const struct
    {
        const char *name;
        const char *text;
    } labels[] = {
        {"Label2", "真实姓名"}, {"Label3", "登录名"}, {"Label7", "初始密码"},
        {"Label4", "身份"},     {"Label5", "申核权"}, {"Label6", "开票权"},
    };
    for (const auto &l : labels)
        QCOMPARE(captionOf(w.findChild<QLabel *>(QString::fromLatin1(l.name))->text()), QString::fromUtf8(l.text));
    QVERIFY(w.Label7->isHidden() && w.DBEdit3->isHidden());
    QVERIFY(w.bt_add->isEnabled() && grid->isEnabled());
    for (QWidget *off : std::initializer_list<QWidget *>{w.bt_save, w.bt_del, w.bt_modify, w.DBEdit1, w.DBEdit2,
                                                         w.DBEdit3, w.DBComboBox1, w.DBComboBox2, w.DBComboBox3})
        QVERIFY2(!off->isEnabled(), qPrintable(off->objectName()));
    QCOMPARE(captionOf(w.bt_modify->text()), QStringLiteral("修改"));

    // A row click offers modify and delete; the fields show the row.
    clickGridRow(grid, staff);
    QVERIFY(w.bt_modify->isEnabled() && w.bt_del->isEnabled());
    QCOMPARE(w.DBEdit2->text(), leader == "cwld" ? QStringLiteral("cw") : QStringLiteral("cj"));
    QCOMPARE(w.DBComboBox1->currentText(), roles[1]);
    QCOMPARE(w.DBComboBox2->currentText(), QStringLiteral("没有"));
}

void TestAccounts::userAdminAdd()
{
    MainWindowFixture f;
    f.login(QStringLiteral("cwld"));
    TF_useradmin w(*f.dm, f.window.get());
    showActive(&w);
    QTest::mouseClick(w.bt_add, Qt::LeftButton);
    QVERIFY(!w.bt_add->isEnabled() && !w.bt_del->isEnabled() && !w.bt_modify->isEnabled() && w.bt_save->isEnabled());
    QVERIFY(w.Label7->isVisible() && w.DBEdit3->isVisible());
    QVERIFY(!w.grid->isEnabled());
    QCOMPARE(focused(), w.DBEdit1);
    // A new account starts as the section's staff.
    QCOMPARE(w.DBComboBox1->currentText(), QStringLiteral("船务科工作人员"));

    f.shown.clear();
    QTest::mouseClick(w.bt_save, Qt::LeftButton);
    QCOMPARE(f.shown.informations, QStringList{QStringLiteral("真实姓名，登录名和初始密码均不可为空")});
    QVERIFY(w.bt_save->isEnabled() && !w.grid->isEnabled());

    // The name field holds 6 bytes: three Chinese characters.
    w.DBEdit1->setFocus();
    typeText(w.DBEdit1, QStringLiteral("欧阳小明"));
    QCOMPARE(w.DBEdit1->text(), QStringLiteral("欧阳小"));
    // A login name of another section's account is taken too.
    w.DBEdit2->setFocus();
    typeText(w.DBEdit2, QStringLiteral("cwkld"));
    w.DBEdit3->setFocus();
    typeText(w.DBEdit3, QStringLiteral("secret12x"));
    QCOMPARE(w.DBEdit3->text(), QStringLiteral("secret12"));
    f.shown.clear();
    QTest::mouseClick(w.bt_save, Qt::LeftButton);
    QCOMPARE(f.shown.informations, QStringList{QStringLiteral("该登录名已被使用，请使用其它登录名重新注册")});
    QCOMPARE(w.DBEdit2->text(), QString());
    QCOMPARE(focused(), w.DBEdit2);
    QCOMPARE(w.DBEdit1->text(), QStringLiteral("欧阳小"));
    QCOMPARE(w.DBEdit3->text(), QStringLiteral("secret12"));
    QVERIFY(w.bt_save->isEnabled());

    typeText(w.DBEdit2, QStringLiteral("newcw"));
    pickEntry(w.DBComboBox1, QStringLiteral("船务科领导"));
    pickEntry(w.DBComboBox3, QStringLiteral("有"));
    f.shown.clear();
    QTest::mouseClick(w.bt_save, Qt::LeftButton);
    QVERIFY2(f.shown.all().isEmpty(), qPrintable(f.shown.all().join('|')));
    QCOMPARE(column(f, "name", "newcw").toString(), QStringLiteral("欧阳小"));
    QCOMPARE(column(f, "password", "newcw").toString(), QStringLiteral("secret12"));
    QCOMPARE(column(f, "typeid", "newcw").toInt(), 4);
    QCOMPARE(column(f, "admin", "newcw").toInt(), 1);
    // The review right was never picked: the column keeps the database's own value.
    QCOMPARE(column(f, "checker", "newcw"),
             f.db->scalar(QStringLiteral("select checker from person where nickname='cw'")));
    QVERIFY(w.bt_add->isEnabled() && !w.bt_save->isEnabled() && !w.bt_del->isEnabled() && !w.bt_modify->isEnabled());
    QVERIFY(w.Label7->isHidden() && w.DBEdit3->isHidden());
    QVERIFY(w.grid->isEnabled());
    QVERIFY(!w.DBEdit1->isEnabled() && !w.DBComboBox1->isEnabled());
    QVERIFY(columnTexts(w.grid, 1).contains(QStringLiteral("newcw")));
    // The grid never shows a password.
    for (int c = 0; c < w.grid->model()->columnCount(); ++c)
        QVERIFY(!columnTexts(w.grid, c).contains(QStringLiteral("secret12")));
}

void TestAccounts::userAdminModify()
{
    MainWindowFixture f;
    f.login(QStringLiteral("cjld"));
    TF_useradmin w(*f.dm, f.window.get());
    showActive(&w);
    clickGridRow(w.grid, rowOfLogin(w.grid, "cj"));
    QTest::mouseClick(w.bt_modify, Qt::LeftButton);
    QVERIFY(w.modifying());
    QVERIFY(w.DBComboBox1->isEnabled() && w.DBComboBox2->isEnabled() && w.DBComboBox3->isEnabled());
    QVERIFY(!w.DBEdit1->isEnabled() && !w.DBEdit2->isEnabled() && !w.DBEdit3->isEnabled());
    QVERIFY(!w.bt_add->isEnabled() && !w.bt_del->isEnabled() && !w.bt_modify->isEnabled() && w.bt_save->isEnabled());
    QVERIFY(w.grid->isEnabled());

    // Going to another row stores the change of the row left.
    pickEntry(w.DBComboBox2, QStringLiteral("有"));
    QCOMPARE(column(f, "checker", "cj").toInt(), 0);
    clickGridRow(w.grid, rowOfLogin(w.grid, "cjsh"));
    QCOMPARE(column(f, "checker", "cj").toInt(), 1);
    QCOMPARE(w.DBEdit2->text(), QStringLiteral("cjsh"));
    QVERIFY(w.modifying());

    // Save stores the row that is current and ends modify mode.
    pickEntry(w.DBComboBox3, QStringLiteral("没有"));
    pickEntry(w.DBComboBox1, QStringLiteral("船检科领导"));
    QTest::mouseClick(w.bt_save, Qt::LeftButton);
    QVERIFY2(f.shown.all().isEmpty(), qPrintable(f.shown.all().join('|')));
    QCOMPARE(column(f, "admin", "cjsh").toInt(), 0);
    QCOMPARE(column(f, "typeid", "cjsh").toInt(), 6);
    QVERIFY(!w.modifying());
    QVERIFY(w.bt_add->isEnabled() && !w.bt_save->isEnabled() && !w.bt_del->isEnabled() && !w.bt_modify->isEnabled());
    QVERIFY(!w.DBComboBox1->isEnabled() && !w.DBComboBox2->isEnabled());
    const int row = rowOfLogin(w.grid, "cjsh");
    QCOMPARE(w.grid->model()->index(row, 2).data().toString(), QStringLiteral("船检科领导"));
    QCOMPARE(w.grid->model()->index(row, 4).data().toString(), QStringLiteral("没有"));
}

void TestAccounts::modifyRefusedAfterAnotherWorkstation()
{
    MainWindowFixture f;
    f.login(QStringLiteral("cjld"));
    TF_useradmin w(*f.dm, f.window.get());
    showActive(&w);
    clickGridRow(w.grid, rowOfLogin(w.grid, "cj"));
    QTest::mouseClick(w.bt_modify, Qt::LeftButton);
    pickEntry(w.DBComboBox1, QStringLiteral("船检科领导"));
    // Another administrator changes the same account meanwhile.
    f.db->exec(QStringLiteral("update person set admin=1 where nickname='cj'"));
    QTest::mouseClick(w.bt_save, Qt::LeftButton);
    QCOMPARE(f.shown.informations, QStringList{QStringLiteral("该记录已被其他工作站修改，修改未能保存。")});
    QVERIFY(f.shown.errors.isEmpty());
    QCOMPARE(column(f, "typeid", "cj").toInt(), 5);
    QCOMPARE(column(f, "admin", "cj").toInt(), 1);
    // The change stays on top of the stored row; saving again is deliberate.
    QVERIFY(w.modifying() && w.bt_save->isEnabled());
    QCOMPARE(w.DBComboBox1->currentText(), QStringLiteral("船检科领导"));
    QCOMPARE(w.DBComboBox3->currentText(), QStringLiteral("有"));
    f.shown.clear();
    QTest::mouseClick(w.bt_save, Qt::LeftButton);
    QVERIFY(f.shown.all().isEmpty());
    QCOMPARE(column(f, "typeid", "cj").toInt(), 6);
    QCOMPARE(column(f, "admin", "cj").toInt(), 1);
}

void TestAccounts::deletesAndLastLeader()
{
    MainWindowFixture f;
    f.db->exec(QStringLiteral("insert into person (name,nickname,password,typeid) values ('老科长','boss','pw',4)"));
    f.login(QStringLiteral("cwld"));
    TF_useradmin w(*f.dm, f.window.get());
    showActive(&w);

    // Not one's own account.
    clickGridRow(w.grid, rowOfLogin(w.grid, "cwld"));
    QTest::mouseClick(w.bt_del, Qt::LeftButton);
    QCOMPARE(f.shown.informations, QStringList{QStringLiteral("不能删除自己正在使用的账号")});
    QCOMPARE(column(f, "typeid", "cwld").toInt(), 4);

    // The administrator steps down; boss is then the section's last leader.
    QTest::mouseClick(w.bt_modify, Qt::LeftButton);
    pickEntry(w.DBComboBox1, QStringLiteral("船务科工作人员"));
    QTest::mouseClick(w.bt_save, Qt::LeftButton);
    QCOMPARE(column(f, "typeid", "cwld").toInt(), 3);

    f.shown.clear();
    clickGridRow(w.grid, rowOfLogin(w.grid, "boss"));
    QTest::mouseClick(w.bt_del, Qt::LeftButton);
    QCOMPARE(f.shown.informations,
             QStringList{QStringLiteral("该账号是最后一个船务科领导账号，删除后将无人能管理本科室的账号，不能删除")});
    QVERIFY(column(f, "nickname", "boss").isValid());
    // Nor can the last leader be made staff; the drop-down shows the stored role again.
    f.shown.clear();
    QTest::mouseClick(w.bt_modify, Qt::LeftButton);
    pickEntry(w.DBComboBox1, QStringLiteral("船务科工作人员"));
    QTest::mouseClick(w.bt_save, Qt::LeftButton);
    QCOMPARE(
        f.shown.informations,
        QStringList{QStringLiteral("该账号是最后一个船务科领导账号，改变身份后将无人能管理本科室的账号，不能更改")});
    QCOMPARE(column(f, "typeid", "boss").toInt(), 4);
    QCOMPARE(w.DBComboBox1->currentText(), QStringLiteral("船务科领导"));
    QTest::mouseClick(w.bt_save, Qt::LeftButton);  // nothing changed: modify mode ends

    // Any other account goes at once.
    f.shown.clear();
    clickGridRow(w.grid, rowOfLogin(w.grid, "cw"));
    QTest::mouseClick(w.bt_del, Qt::LeftButton);
    QVERIFY(f.shown.all().isEmpty());
    QVERIFY(!column(f, "nickname", "cw").isValid());
    QVERIFY(!columnTexts(w.grid, 1).contains(QStringLiteral("cw")));
    QVERIFY(!w.bt_del->isEnabled() && !w.bt_modify->isEnabled());
}

void TestAccounts::financeStaff()
{
    MainWindowFixture f;
    f.db->exec(QStringLiteral("insert into person (name,nickname,password,typeid) values ('无密码','nopw','',7)"));
    f.login(QStringLiteral("cwkld"));
    TF_money w(*f.dm, f.window.get());
    showActive(&w);
    QCOMPARE(w.objectName(), QStringLiteral("F_money"));
    QCOMPARE(w.windowTitle(), QStringLiteral("财务人员管理"));
    auto *grid = w.findChild<QTableView *>(QStringLiteral("DBGrid_money"));
    QCOMPARE(headerTexts(grid), (QStringList{"姓名", "登录名", "身份"}));
    QStringList listed = columnTexts(grid, 1);
    listed.sort();
    QCOMPARE(listed, (QStringList{"cwk", "cwkld", "nopw"}));
    QCOMPARE(entries(w.DBComboBox1), (QStringList{"财务科工作人员", "财务科领导"}));
    QVERIFY(!w.findChild<QComboBox *>(QStringLiteral("DBComboBox2")));
    QVERIFY(w.DBComboBox1->isEnabled());
    QVERIFY(!w.DBEdit1->isEnabled() && !w.DBEdit2->isEnabled() && !w.bt_save->isEnabled() && !w.bt_del->isEnabled());
    QVERIFY(w.Label7->isHidden() && w.DBEdit3->isHidden());

    // A role picked for a stored account is stored at once...
    clickGridRow(grid, rowOfLogin(grid, "cwk"));
    QVERIFY(w.bt_del->isEnabled());
    pickEntry(w.DBComboBox1, QStringLiteral("财务科领导"));
    QVERIFY(f.shown.all().isEmpty());
    QCOMPARE(column(f, "typeid", "cwk").toInt(), 8);
    // ...unless one of its fields is empty.
    clickGridRow(grid, rowOfLogin(grid, "nopw"));
    pickEntry(w.DBComboBox1, QStringLiteral("财务科领导"));
    QCOMPARE(f.shown.informations, QStringList{QStringLiteral("真实姓名，登录名和初始密码均不可为空")});
    QCOMPARE(column(f, "typeid", "nopw").toInt(), 7);
    QCOMPARE(w.DBComboBox1->currentText(), QStringLiteral("财务科工作人员"));

    // While adding, a pick only sets the new account's role.
    f.shown.clear();
    QTest::mouseClick(w.bt_add, Qt::LeftButton);
    QVERIFY(w.DBEdit1->isEnabled() && w.DBEdit2->isEnabled() && w.DBEdit3->isVisible() && !grid->isEnabled());
    QCOMPARE(focused(), w.DBEdit1);
    QCOMPARE(w.DBComboBox1->currentText(), QStringLiteral("财务科工作人员"));
    pickEntry(w.DBComboBox1, QStringLiteral("财务科领导"));
    QVERIFY(f.shown.all().isEmpty());
    QCOMPARE(f.db->scalar(QStringLiteral("select count(*) from person")).toInt(), int(fixturePeople().size()) + 1);
    // A finance name holds 10 bytes.
    w.DBEdit1->setFocus();
    typeText(w.DBEdit1, QStringLiteral("一二三四五六"));
    QCOMPARE(w.DBEdit1->text(), QStringLiteral("一二三四五"));
    w.DBEdit2->setFocus();
    typeText(w.DBEdit2, QStringLiteral("cwk2"));
    w.DBEdit3->setFocus();
    typeText(w.DBEdit3, QStringLiteral("pw2"));
    QTest::mouseClick(w.bt_save, Qt::LeftButton);
    QVERIFY2(f.shown.all().isEmpty(), qPrintable(f.shown.all().join('|')));
    QCOMPARE(column(f, "typeid", "cwk2").toInt(), 8);
    QCOMPARE(column(f, "name", "cwk2").toString(), QStringLiteral("一二三四五"));
    QVERIFY(w.bt_add->isEnabled() && !w.bt_save->isEnabled() && grid->isEnabled() && w.DBEdit3->isHidden());

    // The last finance leader keeps the role: demote the two others first.
    for (const char *login : {"cwk", "cwk2"}) {
        clickGridRow(grid, rowOfLogin(grid, QString::fromLatin1(login)));
        pickEntry(w.DBComboBox1, QStringLiteral("财务科工作人员"));
    }
    QVERIFY(f.shown.all().isEmpty());
    clickGridRow(grid, rowOfLogin(grid, "cwkld"));
    pickEntry(w.DBComboBox1, QStringLiteral("财务科工作人员"));
    QCOMPARE(
        f.shown.informations,
        QStringList{QStringLiteral("该账号是最后一个财务科领导账号，改变身份后将无人能管理本科室的账号，不能更改")});
    QCOMPARE(column(f, "typeid", "cwkld").toInt(), 8);
    QCOMPARE(w.DBComboBox1->currentText(), QStringLiteral("财务科领导"));
}

QTEST_MAIN(TestAccounts)
#include "tst_accounts.moc"
