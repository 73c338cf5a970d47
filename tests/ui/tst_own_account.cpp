// Changing the own login name and password, and the identity switch, as a
// user does them from the main window's tools menu and toolbar.

#include "main_window_fixture.h"
#include "menu_clicks.h"
#include "typing.h"

#include "db/named_query.h"
#include "session/login_window.h"
#include "session/password_window.h"

#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QToolButton>
#include <QtTest>

class TestOwnAccount : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void refusals_data();
    void refusals();
    void enterChainEndsOnOk();
    void onlyThePasswordChanges();
    void newNameAndLoginAfterTheSwitch();
    void switchLeavesNoListOpen_data();
    void switchLeavesNoListOpen();

private:
    // Opens TF_password from the tools menu and hands it to the step while it
    // is shown modally; the step leaves it open or closes it.
    void withPasswordWindow(const std::function<void(TF_password *)> &step);
    void fill(TF_password *w, const QStringList &values);
    bool logsIn(const QString &nickname, const QString &password);

    std::unique_ptr<MainWindowFixture> f;
    std::unique_ptr<TF_login> m_login;
};

void TestOwnAccount::init()
{
    REQUIRE_DATABASE(MainWindowFixture::defaultKind());
    f = std::make_unique<MainWindowFixture>();
    f->addNotices();
    m_login = std::make_unique<TF_login>(*f->dm->aq_login);
    m_login->setMainWindow(f->window.get());
    f->window->setLoginWindow(m_login.get());
    f->login(QStringLiteral("cj"));
}

void TestOwnAccount::cleanup()
{
    m_login.reset();
    f.reset();
}

void TestOwnAccount::withPasswordWindow(const std::function<void(TF_password *)> &step)
{
    bool ran = false;
    whenModal([&](QWidget *modal) {
        auto *w = qobject_cast<TF_password *>(modal);
        QVERIFY(w);
        ran = true;
        step(w);
        if (QPointer<TF_password> alive = w; alive && alive->isVisible())
            alive->bt_cancel->click();
    });
    chooseMenuItem(f->window.get(), f->action("password"));
    QVERIFY(ran);
    QVERIFY(!f->window->findChild<TF_password *>());
}

void TestOwnAccount::fill(TF_password *w, const QStringList &values)
{
    const QList<QLineEdit *> fields{w->Edit_oldnickname, w->Edit_oldpassword, w->Edit_newnickname, w->Edit_newpassword,
                                    w->Edit_newpasswordagain};
    for (int i = 0; i < fields.size(); ++i) {
        fields[i]->setFocus(Qt::TabFocusReason);
        fields[i]->selectAll();
        QTest::keyClick(fields[i], Qt::Key_Delete);
        typeText(fields[i], values.value(i));
    }
}

bool TestOwnAccount::logsIn(const QString &nickname, const QString &password)
{
    m_login->Edit1->setText(nickname);
    m_login->Edit2->setText(password);
    QTest::mouseClick(m_login->bt_ok, Qt::LeftButton);
    return f->window->isVisible() && !m_login->isVisible();
}

void TestOwnAccount::refusals_data()
{
    // Typed: old name, old password, new name, new password, repeat. After:
    // what the five fields hold after the refusal.
    QTest::addColumn<QStringList>("typed");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QStringList>("after");
    QTest::addColumn<QString>("focus");
    QTest::newRow("wrong old name") << QStringList{"cjx", "pw", "neu", "n1", "n1"} << "旧帐号或密码输入错误"
                                    << QStringList{"", "", "neu", "n1", "n1"} << "Edit_oldnickname";
    QTest::newRow("old password in other case") << QStringList{"cj", "PW", "neu", "n1", "n1"} << "旧帐号或密码输入错误"
                                                << QStringList{"", "", "neu", "n1", "n1"} << "Edit_oldnickname";
    QTest::newRow("empty new password") << QStringList{"cj", "pw", "neu", "", ""} << "新账号和密码不可为空"
                                        << QStringList{"cj", "pw", "neu", "", ""} << "Edit_newpassword";
    QTest::newRow("empty repeat") << QStringList{"cj", "pw", "neu", "n1", ""} << "两次输入的新密码不匹配"
                                  << QStringList{"cj", "pw", "neu", "n1", ""} << "Edit_newpasswordagain";
    QTest::newRow("repeat differs") << QStringList{"cj", "pw", "neu", "n1", "n2"} << "两次输入的新密码不匹配"
                                    << QStringList{"cj", "pw", "neu", "n1", ""} << "Edit_newpasswordagain";
    // The cleared new-name field takes the focus, and entering it fills in the old name.
    QTest::newRow("name of a finance account")
        << QStringList{"cj", "pw", "cwkld", "n1", "n1"} << "该登录名已被使用，请使用其它登录名"
        << QStringList{"cj", "pw", "cj", "n1", "n1"} << "Edit_newnickname";
    QTest::newRow("name of a role-9 account")
        << QStringList{"cj", "pw", "other", "n1", "n1"} << "该登录名已被使用，请使用其它登录名"
        << QStringList{"cj", "pw", "cj", "n1", "n1"} << "Edit_newnickname";
}

void TestOwnAccount::refusals()
{
    QFETCH(QStringList, typed);
    QFETCH(QString, message);
    QFETCH(QStringList, after);
    QFETCH(QString, focus);
    withPasswordWindow([&](TF_password *w) {
        QCOMPARE(w->windowTitle(), QStringLiteral("账号和密码更改"));
        QCOMPARE(w->Edit_name->text(), QStringLiteral("孙船检"));
        QVERIFY(!w->Edit_name->isEnabled());
        fill(w, typed);
        QTest::mouseClick(w->bt_ok, Qt::LeftButton);
        QCOMPARE(f->shown.informations, QStringList{message});
        QVERIFY(w->isVisible());
        const QStringList now{w->Edit_oldnickname->text(), w->Edit_oldpassword->text(), w->Edit_newnickname->text(),
                              w->Edit_newpassword->text(), w->Edit_newpasswordagain->text()};
        QCOMPARE(now, after);
        QCOMPARE(QApplication::focusWidget()->objectName(), focus);
    });
    // Nothing was written.
    QCOMPARE(f->db->scalar(QStringLiteral("select password from person where nickname='cj'")).toString(),
             QStringLiteral("pw"));
    QCOMPARE(f->db->scalar(QStringLiteral("select count(*) from person where password<>'pw'")).toInt(), 0);
}

void TestOwnAccount::enterChainEndsOnOk()
{
    withPasswordWindow([&](TF_password *w) {
        QCOMPARE(QApplication::focusWidget(), w->Edit_oldnickname);
        typeText(w->Edit_oldnickname, QStringLiteral("cj"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), w->Edit_oldpassword);
        typeText(w->Edit_oldpassword, QStringLiteral("pw"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Enter);
        // Entering the new-name field fills in the old login name.
        QCOMPARE(QApplication::focusWidget(), w->Edit_newnickname);
        QCOMPARE(w->Edit_newnickname->text(), QStringLiteral("cj"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), w->Edit_newpassword);
        typeText(w->Edit_newpassword, QStringLiteral("n1"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), w->Edit_newpasswordagain);
        typeText(w->Edit_newpasswordagain, QStringLiteral("n1"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        // The last Enter only moves to 确定; it does not press it.
        QCOMPARE(QApplication::focusWidget(), w->bt_ok);
        QVERIFY(w->isVisible());
        QVERIFY(f->shown.all().isEmpty());
        // A name typed in the new-name field is replaced when the user comes back to it.
        w->Edit_newnickname->setFocus(Qt::MouseFocusReason);
        typeText(w->Edit_newnickname, QStringLiteral("x"));
        w->Edit_oldnickname->setFocus(Qt::MouseFocusReason);
        w->Edit_newnickname->setFocus(Qt::MouseFocusReason);
        QCOMPARE(w->Edit_newnickname->text(), QStringLiteral("cj"));
        // The masked fields show stars.
        for (QLineEdit *e : {w->Edit_oldpassword, w->Edit_newpassword, w->Edit_newpasswordagain})
            QCOMPARE(e->echoMode(), QLineEdit::Password);
        for (QLineEdit *e : {w->Edit_oldnickname, w->Edit_newnickname})
            QCOMPARE(e->echoMode(), QLineEdit::Normal);
    });
    QCOMPARE(f->db->scalar(QStringLiteral("select password from person where nickname='cj'")).toString(),
             QStringLiteral("pw"));
}

void TestOwnAccount::onlyThePasswordChanges()
{
    withPasswordWindow([&](TF_password *w) {
        typeText(w->Edit_oldnickname, QStringLiteral("cj"));
        QTest::keyClick(w->Edit_oldnickname, Qt::Key_Tab);
        typeText(QApplication::focusWidget(), QStringLiteral("pw"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);  // through the new-name field
        typeText(QApplication::focusWidget(), QStringLiteral("s3cret"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        typeText(QApplication::focusWidget(), QStringLiteral("s3cret"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), w->bt_ok);
        QTest::keyClick(w->bt_ok, Qt::Key_Space);
    });
    QCOMPARE(f->shown.informations, QStringList{QStringLiteral("修改成功,下面请用新密码和账号重新登录")});
    QCOMPARE(f->db->scalar(QStringLiteral("select password from person where nickname='cj'")).toString(),
             QStringLiteral("s3cret"));
    QCOMPARE(f->db->scalar(QStringLiteral("select count(*) from person where password='s3cret'")).toInt(), 1);
    // The user was switched out.
    QVERIFY(!f->window->isVisible());
    QVERIFY(m_login->isVisible());
    QVERIFY(m_login->Edit1->text().isEmpty() && m_login->Edit2->text().isEmpty());
    QVERIFY(!logsIn(QStringLiteral("cj"), QStringLiteral("pw")));
    QVERIFY(logsIn(QStringLiteral("cj"), QStringLiteral("s3cret")));
    QCOMPARE(CurrentUser.userName, QStringLiteral("孙船检"));
}

void TestOwnAccount::newNameAndLoginAfterTheSwitch()
{
    withPasswordWindow([&](TF_password *w) {
        fill(w, {QStringLiteral("cj"), QStringLiteral("pw"), QStringLiteral("cj"), QStringLiteral("abc"),
                 QStringLiteral("abc")});
        w->Edit_newpassword->setFocus(Qt::TabFocusReason);
        // Edit the new name after coming back to the field, then leave it.
        w->Edit_newnickname->setFocus(Qt::TabFocusReason);
        w->Edit_newnickname->selectAll();
        typeText(w->Edit_newnickname, QStringLiteral("孙二"));
        w->Edit_newpassword->setFocus(Qt::TabFocusReason);
        QTest::mouseClick(w->bt_ok, Qt::LeftButton);
    });
    QCOMPARE(f->shown.informations.last(), QStringLiteral("修改成功,下面请用新密码和账号重新登录"));
    QCOMPARE(f->db->scalar(QStringLiteral("select count(*) from person where nickname='cj'")).toInt(), 0);
    QCOMPARE(
        f->db->scalar(QStringLiteral("select name from person where nickname=?"), {QStringLiteral("孙二")}).toString(),
        QStringLiteral("孙船检"));
    QVERIFY(!logsIn(QStringLiteral("cj"), QStringLiteral("pw")));
    QCOMPARE(f->shown.informations.last(), QStringLiteral("用户名或密码错误"));
    QVERIFY(logsIn(QStringLiteral("孙二"), QStringLiteral("abc")));
    QCOMPARE(CurrentUser.nickname, QStringLiteral("孙二"));
    // The other accounts kept their own values.
    QCOMPARE(f->db->scalar(QStringLiteral("select count(*) from person where password='pw'")).toInt(),
             fixturePeople().size() - 1);
}

void TestOwnAccount::switchLeavesNoListOpen_data()
{
    QTest::addColumn<QString>("control");
    QTest::newRow("menu") << "SwitchUser";
    QTest::newRow("toolbar") << "bt_switch";
}

void TestOwnAccount::switchLeavesNoListOpen()
{
    QFETCH(QString, control);
    f->window->bt_checked->trigger();
    f->clickRow(0);
    QVERIFY(f->dm->aq_notice->isActive());
    if (control == QLatin1String("SwitchUser"))
        chooseMenuItem(f->window.get(), f->action("SwitchUser"));
    else
        QTest::mouseClick(f->window->findChild<QToolButton *>(QStringLiteral("bt_switch")), Qt::LeftButton);
    QVERIFY(!f->window->isVisible());
    QVERIFY(m_login->isVisible());
    QVERIFY(!f->dm->aq_notice->isActive());
    QVERIFY(!f->dm->aq_itemofnotice->isActive());
    // The next user starts from the resting state of the new role.
    QVERIFY(logsIn(QStringLiteral("cw"), QStringLiteral("pw")));
    QVERIFY(!f->window->bt_nochecked->isVisible());
    QVERIFY(!f->window->DBGrid_notice->isEnabled());
    QCOMPARE(f->window->StatusPanel1->text(), QStringLiteral("欢迎使用本系统：张船务"));
}

QTEST_MAIN(TestOwnAccount)
#include "tst_own_account.moc"
