// The login window driven by its controls, against a real database.

#include "message_recorder.h"
#include "test_database.h"
#include "typing.h"

#include "app/current_user.h"
#include "db/named_query.h"
#include "db/tdm.h"
#include "session/login_window.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

class TestLoginWindow : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();
    void layout();
    void enterInNameMovesOn();
    void enterInPasswordLogsIn_data();
    void enterInPasswordLogsIn();
    void wrongPassword();
    void fieldsKeepTheirWidth();
    void connectionFailureIsShown();

private:
    void type(const char *field, const QString &text);
    std::unique_ptr<TestDatabase> m_db;
    std::unique_ptr<Tdm> m_dm;
    std::unique_ptr<TF_login> m_login;
    std::unique_ptr<QWidget> m_main;
    std::unique_ptr<MessageRecorder> m_shown;
};

void TestLoginWindow::initTestCase()
{
    m_db = TestDatabase::create(DbKind::SQLite);
    const QList<QVariantList> people{
        {QStringLiteral("王维护"), QStringLiteral("weihu"), QStringLiteral("1"), 1, 0, 0},
        {QStringLiteral("李收费"), QStringLiteral("shoufei"), QStringLiteral("2"), 2, 0, 0},
        {QStringLiteral("张船务"), QStringLiteral("cw"), QStringLiteral("3"), 3, 0, 0},
        {QStringLiteral("吴科长"), QStringLiteral("cjld"), QStringLiteral("6"), 6, 1, 1},
        {QStringLiteral("冯科长"), QStringLiteral("cwkld"), QStringLiteral("8"), 8, 0, 0},
    };
    for (const QVariantList &p : people)
        m_db->exec(QStringLiteral("insert into person (name,nickname,password,typeid,checker,admin) "
                                  "values (?,?,?,?,?,?)"),
                   p);
    m_dm = std::make_unique<Tdm>(m_db->settings(), QStringLiteral("login-window"));
    m_dm->DataModuleCreate();
}

void TestLoginWindow::cleanupTestCase()
{
    m_dm.reset();
    m_db.reset();
}

void TestLoginWindow::init()
{
    CurrentUser = UserRecord();
    m_shown = std::make_unique<MessageRecorder>();
    m_login = std::make_unique<TF_login>(*m_dm->aq_login);
    m_main = std::make_unique<QWidget>();
    m_main->setObjectName(QStringLiteral("F_main"));
    m_login->setMainWindow(m_main.get());
    m_login->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_login.get()));
}

void TestLoginWindow::cleanup()
{
    m_login.reset();
    m_main.reset();
    m_shown.reset();
}

void TestLoginWindow::type(const char *field, const QString &text)
{
    auto *edit = m_login->findChild<QLineEdit *>(QString::fromLatin1(field));
    QVERIFY(edit);
    edit->setFocus();
    typeText(edit, text);
}

void TestLoginWindow::layout()
{
    QCOMPARE(m_login->windowTitle(), QStringLiteral("系统登录"));
    QCOMPARE(m_login->size(), QSize(533, 336));
    QCOMPARE(m_login->minimumSize(), m_login->maximumSize());
    auto *ok = m_login->findChild<QPushButton *>(QStringLiteral("bt_ok"));
    auto *cancel = m_login->findChild<QPushButton *>(QStringLiteral("bt_cancle"));
    QVERIFY(ok && cancel);
    QCOMPARE(ok->text(), QStringLiteral("确  定(&O)"));
    QCOMPARE(cancel->text(), QStringLiteral("取  消(&C)"));
    QStringList labels;
    for (QLabel *label : m_login->findChildren<QLabel *>())
        labels << label->text();
    for (const QString &text : {QStringLiteral("Nollard"), QStringLiteral("登录名(&L)"), QStringLiteral("密  码(&P)"),
                                QStringLiteral("第二版　Build0824")})
        QVERIFY2(labels.contains(text), qPrintable(text));
    auto *password = m_login->findChild<QLineEdit *>(QStringLiteral("Edit2"));
    QCOMPARE(password->echoMode(), QLineEdit::Password);
    QCOMPARE(QApplication::focusWidget(), m_login->findChild<QLineEdit *>(QStringLiteral("Edit1")));
}

void TestLoginWindow::enterInNameMovesOn()
{
    type("Edit1", QStringLiteral("cjld"));
    auto *name = m_login->findChild<QLineEdit *>(QStringLiteral("Edit1"));
    QTest::keyClick(name, Qt::Key_Return);
    QCOMPARE(QApplication::focusWidget(), m_login->findChild<QLineEdit *>(QStringLiteral("Edit2")));
    QVERIFY(m_login->isVisible());
    QVERIFY(!m_main->isVisible());
    QVERIFY(m_shown->all().isEmpty());
    QCOMPARE(name->text(), QStringLiteral("cjld"));
}

void TestLoginWindow::enterInPasswordLogsIn_data()
{
    QTest::addColumn<QString>("nickname");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("userName");
    QTest::addColumn<int>("typeId");
    QTest::addColumn<QString>("identity");
    QTest::addColumn<QString>("department");
    QTest::newRow("maintenance") << "weihu"
                                 << "1"
                                 << "王维护" << 1 << "非本系统人员"
                                 << "无效";
    QTest::newRow("collector") << "shoufei"
                               << "2"
                               << "李收费" << 2 << "非本系统人员"
                               << "财务科";
    QTest::newRow("ship affairs clerk") << "cw"
                                        << "3"
                                        << "张船务" << 3 << "船务科工作人员"
                                        << "船务科";
    QTest::newRow("inspection leader") << "cjld"
                                       << "6"
                                       << "吴科长" << 6 << "船检科领导"
                                       << "船检科";
    QTest::newRow("finance leader") << "cwkld"
                                    << "8"
                                    << "冯科长" << 8 << "财务科领导"
                                    << "财务科";
}

void TestLoginWindow::enterInPasswordLogsIn()
{
    QFETCH(QString, nickname);
    QFETCH(QString, password);
    QFETCH(QString, userName);
    QFETCH(int, typeId);
    QFETCH(QString, identity);
    QFETCH(QString, department);
    type("Edit1", nickname);
    QTest::keyClick(m_login->findChild<QLineEdit *>(QStringLiteral("Edit1")), Qt::Key_Return);
    typeText(QApplication::focusWidget(), password);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QVERIFY2(m_shown->all().isEmpty(), qPrintable(m_shown->all().join(QLatin1Char('|'))));
    QVERIFY(m_main->isVisible());
    QVERIFY(!m_login->isVisible());
    QCOMPARE(CurrentUser.userName, userName);
    QCOMPARE(CurrentUser.nickname, nickname);
    QCOMPARE(CurrentUser.password, password);
    QCOMPARE(CurrentUser.typeId, typeId);
    QCOMPARE(CurrentUser.identity, identity);
    QCOMPARE(CurrentUser.department, department);
    QVERIFY(!m_dm->aq_login->isActive());
}

void TestLoginWindow::wrongPassword()
{
    CurrentUser.userName = QStringLiteral("前一位");
    type("Edit1", QStringLiteral("cjld"));
    type("Edit2", QStringLiteral("x' or '1'='1"));
    QTest::mouseClick(m_login->findChild<QPushButton *>(QStringLiteral("bt_ok")), Qt::LeftButton);
    QCOMPARE(m_shown->informations, QStringList{QStringLiteral("用户名或密码错误")});
    auto *name = m_login->findChild<QLineEdit *>(QStringLiteral("Edit1"));
    auto *password = m_login->findChild<QLineEdit *>(QStringLiteral("Edit2"));
    QCOMPARE(name->text(), QStringLiteral("cjld"));
    QCOMPARE(password->text(), QString());
    QCOMPARE(QApplication::focusWidget(), password);
    QVERIFY(m_login->isVisible());
    QVERIFY(!m_main->isVisible());
    QCOMPARE(CurrentUser.userName, QStringLiteral("前一位"));  // left as it was

    // The user can retry at once.
    typeText(password, QStringLiteral("6"));
    QTest::keyClick(password, Qt::Key_Enter);
    QVERIFY(m_main->isVisible());
    QCOMPARE(CurrentUser.userName, QStringLiteral("吴科长"));
}

void TestLoginWindow::fieldsKeepTheirWidth()
{
    type("Edit1", QStringLiteral("船务科长ab"));
    QCOMPARE(m_login->findChild<QLineEdit *>(QStringLiteral("Edit1"))->text(), QStringLiteral("船务科长"));
    type("Edit2", QStringLiteral("123456789"));
    QCOMPARE(m_login->findChild<QLineEdit *>(QStringLiteral("Edit2"))->text(), QStringLiteral("12345678"));
}

void TestLoginWindow::connectionFailureIsShown()
{
    DbSettings nowhere;  // the defaults: a server called "servername"
    nowhere.provider = QStringLiteral("SQLite");
    nowhere.dataSource = QStringLiteral("no-such-folder/no.db");
    Tdm dm(nowhere, QStringLiteral("nowhere"));
    QVERIFY(!messages::guarded([&] { dm.DataModuleCreate(); }));
    QCOMPARE(m_shown->errors.size(), 1);
    TF_login login(*dm.aq_login);
    login.show();
    QVERIFY(login.isVisible());
    login.findChild<QLineEdit *>(QStringLiteral("Edit1"))->setText(QStringLiteral("cjld"));
    login.findChild<QLineEdit *>(QStringLiteral("Edit2"))->setText(QStringLiteral("6"));
    QTest::mouseClick(login.findChild<QPushButton *>(QStringLiteral("bt_ok")), Qt::LeftButton);
    QCOMPARE(m_shown->errors.size(), 2);  // the database layer's message, through the general display
    QVERIFY(m_shown->informations.isEmpty());
    QVERIFY(login.isVisible());
}

QTEST_MAIN(TestLoginWindow)
#include "tst_login_window.moc"
