// The trail of master data changes: every change of an account, a right, a
// role, a catalogue item, the catalogue order and a name list is recorded
// once, with the old and new values and never a password; a refused change
// records nothing, and a change whose trail row cannot be written is not
// stored. The 修改记录 window shows each leader what the leader may see; a
// section leader resets the passwords of the section's clerks only.

#include "captions.h"
#include "masterdata_fixture.h"
#include "test_user.h"
#include "typing.h"

#include "db/named_query.h"
#include "db/user_refusal.h"
#include "masterdata/account_window.h"
#include "masterdata/accounts.h"
#include "masterdata/audit_window.h"
#include "masterdata/catalogue_window.h"
#include "masterdata/name_list_window.h"
#include "masterdata/name_lists.h"
#include "masterdata/reset_password_window.h"
#include "report/report_preview.h"
#include "session/account_change.h"

#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlError>
#include <QSqlQuery>
#include <QTableView>
#include <QTimer>
#include <QtTest>

class TestMasterDataTrail : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { REQUIRE_DATABASE(MainWindowFixture::defaultKind()); }
    void accountChanges();
    void financeAccountsAndOwnAccount();
    void catalogueChanges_data();
    void catalogueChanges();
    void nameListChanges();
    void unwritableTrailUndoesTheChange();
    void windowShowsWhatTheLeaderMaySee();
    void passwordResetByTheLeader();
    void passwordResetRefused_data();
    void passwordResetRefused();
};

namespace {

// One row of the trail as the test compares it.
struct TrailRow
{
    QString who;
    QString department;
    QString table;
    QString row;
    QString action;
    QString before;
    QString after;
};

QList<TrailRow> trail(MainWindowFixture &f)
{
    QList<TrailRow> rows;
    QSqlQuery q(f.db->connection(QStringLiteral("trail-reader")));
    if (!q.exec(QStringLiteral("select account,department,tablename,rowkey,action,old_values,new_values "
                               "from masterdata_audit order by auditid")))
        return rows;
    while (q.next())
        rows << TrailRow{q.value(0).toString(), q.value(1).toString(), q.value(2).toString(), q.value(3).toString(),
                         q.value(4).toString(), q.value(5).toString(), q.value(6).toString()};
    return rows;
}

int trailCount(MainWindowFixture &f)
{
    return f.db->scalar(QStringLiteral("select count(*) from masterdata_audit")).toInt();
}

// Compares the last row of the trail and says which part differs.
void compareLast(MainWindowFixture &f, const TrailRow &expected)
{
    const QList<TrailRow> rows = trail(f);
    QVERIFY(!rows.isEmpty());
    const TrailRow &r = rows.last();
    QCOMPARE(r.who, expected.who);
    QCOMPARE(r.department, expected.department);
    QCOMPARE(r.table, expected.table);
    QCOMPARE(r.row, expected.row);
    QCOMPARE(r.action, expected.action);
    QCOMPARE(r.before, expected.before);
    QCOMPARE(r.after, expected.after);
}

int rowOfText(QTableView *grid, int column, const QString &text)
{
    return int(columnTexts(grid, column).indexOf(text));
}

QVariant personColumn(MainWindowFixture &f, const char *column, const QString &nickname)
{
    return f.db->scalar(QStringLiteral("select %1 from person where nickname=?").arg(column), {nickname});
}

// Clicks the button; the modal dialog it opens is handed to `drive` once
// shown, and is closed afterwards if `drive` left it open.
void clickOpening(QPushButton *button, const std::function<void(QDialog *)> &drive)
{
    bool driven = false;
    QTimer poll;
    poll.setInterval(20);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible() || driven || dialog == button->window())
            return;
        driven = true;
        poll.stop();
        drive(dialog);
        if (dialog->isVisible())
            dialog->reject();
    });
    poll.start();
    QTest::mouseClick(button, Qt::LeftButton);
    QVERIFY(driven);
}

}  // namespace

void TestMasterDataTrail::accountChanges()
{
    MainWindowFixture f;
    f.login(QStringLiteral("cwld"));
    TF_useradmin w(*f.dm, f.window.get());
    showActive(&w);
    const TrailRow base{QStringLiteral("cwld"), QStringLiteral("船务科"), QStringLiteral("person"), {}, {}, {}, {}};

    // An account refused for its login name leaves no trace.
    QTest::mouseClick(w.bt_add, Qt::LeftButton);
    typeText(w.DBEdit1, QStringLiteral("欧阳"));
    w.DBEdit2->setFocus();
    typeText(w.DBEdit2, QStringLiteral("cwkld"));
    w.DBEdit3->setFocus();
    typeText(w.DBEdit3, QStringLiteral("secret12"));
    QTest::mouseClick(w.bt_save, Qt::LeftButton);
    QCOMPARE(f.shown.informations, QStringList{masterdata::kLoginNameTaken});
    QCOMPARE(trailCount(f), 0);

    // Added: every value but the password; the review right was never picked.
    typeText(w.DBEdit2, QStringLiteral("newcw"));
    pickEntry(w.DBComboBox3, QStringLiteral("有"));
    f.shown.clear();
    QTest::mouseClick(w.bt_save, Qt::LeftButton);
    QVERIFY2(f.shown.all().isEmpty(), qPrintable(f.shown.all().join('|')));
    TrailRow added = base;
    added.row = QStringLiteral("newcw（欧阳）");
    added.action = QStringLiteral("增加");
    added.after = QStringLiteral("姓名：欧阳；登录名：newcw；身份：船务科工作人员；开票权：有");
    compareLast(f, added);
    QCOMPARE(trailCount(f), 1);

    // A right and a role, each changed once: only the changed column.
    clickGridRow(w.grid, rowOfText(w.grid, 1, QStringLiteral("cw")));
    QTest::mouseClick(w.bt_modify, Qt::LeftButton);
    pickEntry(w.DBComboBox3, QStringLiteral("有"));
    QTest::mouseClick(w.bt_save, Qt::LeftButton);
    TrailRow right = base;
    right.row = QStringLiteral("cw（张船务）");
    right.action = QStringLiteral("修改");
    right.before = QStringLiteral("开票权：没有");
    right.after = QStringLiteral("开票权：有");
    compareLast(f, right);
    QCOMPARE(trailCount(f), 2);

    clickGridRow(w.grid, rowOfText(w.grid, 1, QStringLiteral("cw")));
    QTest::mouseClick(w.bt_modify, Qt::LeftButton);
    pickEntry(w.DBComboBox1, QStringLiteral("船务科领导"));
    // Another administrator changes the account meanwhile: refused, no trace.
    f.db->exec(QStringLiteral("update person set checker=1 where nickname='cw'"));
    f.shown.clear();
    QTest::mouseClick(w.bt_save, Qt::LeftButton);
    QCOMPARE(f.shown.informations, QStringList{QStringLiteral("该记录已被其他工作站修改，修改未能保存。")});
    QCOMPARE(trailCount(f), 2);
    // Saved again deliberately: recorded once.
    QTest::mouseClick(w.bt_save, Qt::LeftButton);
    QCOMPARE(personColumn(f, "typeid", "cw").toInt(), 4);
    TrailRow role = right;
    role.before = QStringLiteral("身份：船务科工作人员");
    role.after = QStringLiteral("身份：船务科领导");
    compareLast(f, role);
    QCOMPARE(trailCount(f), 3);

    // Saving a row that nothing changed records nothing.
    QTest::mouseClick(w.bt_modify, Qt::LeftButton);
    QTest::mouseClick(w.bt_save, Qt::LeftButton);
    QCOMPARE(trailCount(f), 3);

    // Refused deletes leave no trace; a delete keeps the values it removed.
    clickGridRow(w.grid, rowOfText(w.grid, 1, QStringLiteral("cwld")));
    QTest::mouseClick(w.bt_del, Qt::LeftButton);
    QCOMPARE(trailCount(f), 3);
    clickGridRow(w.grid, rowOfText(w.grid, 1, QStringLiteral("newcw")));
    QTest::mouseClick(w.bt_del, Qt::LeftButton);
    QVERIFY(!personColumn(f, "nickname", "newcw").isValid());
    TrailRow deleted = added;
    deleted.action = QStringLiteral("删除");
    deleted.before = QStringLiteral("姓名：欧阳；登录名：newcw；身份：船务科工作人员；审核权：没有；开票权：有");
    deleted.after = QString();
    compareLast(f, deleted);
    const QList<TrailRow> rows = trail(f);
    QCOMPARE(rows.size(), 4);

    // Never a password.
    for (const TrailRow &r : rows)
        QVERIFY(!(r.before + r.after + r.row).contains(QStringLiteral("secret12")));
    QCOMPARE(f.db->scalar(QStringLiteral("select count(*) from masterdata_audit where fullname=?"),
                          {QStringLiteral("钱科长")})
                 .toInt(),
             4);
}

void TestMasterDataTrail::financeAccountsAndOwnAccount()
{
    MainWindowFixture f;
    f.login(QStringLiteral("cwkld"));
    TF_money w(*f.dm, f.window.get());
    showActive(&w);
    clickGridRow(w.grid, rowOfText(w.grid, 1, QStringLiteral("cwk")));
    pickEntry(w.DBComboBox1, QStringLiteral("财务科领导"));
    compareLast(f, {QStringLiteral("cwkld"), QStringLiteral("财务科"), QStringLiteral("person"),
                    QStringLiteral("cwk（郑财务）"), QStringLiteral("修改"), QStringLiteral("身份：财务科工作人员"),
                    QStringLiteral("身份：财务科领导")});
    QCOMPARE(trailCount(f), 1);

    // A user's own change of login name and password: the name, not the password.
    changeOwnAccount(*f.dm->aq_login, CurrentUser, QStringLiteral("boss8"), QStringLiteral("x7secret"));
    compareLast(f, {QStringLiteral("cwkld"), QStringLiteral("财务科"), QStringLiteral("person"),
                    QStringLiteral("cwkld（冯科长）"), QStringLiteral("修改"), QStringLiteral("登录名：cwkld"),
                    QStringLiteral("登录名：boss8；本人修改了密码（不记录密码）")});
    QCOMPARE(trailCount(f), 2);
    // Refused (the account changed meanwhile): nothing.
    QVERIFY_THROWS_EXCEPTION(
        UserRefusal, changeOwnAccount(*f.dm->aq_login, CurrentUser, QStringLiteral("again"), QStringLiteral("pw")));
    QCOMPARE(trailCount(f), 2);
}

void TestMasterDataTrail::catalogueChanges_data()
{
    QTest::addColumn<bool>("shipAffairs");
    QTest::newRow("ship inspection") << false;
    QTest::newRow("ship affairs") << true;
}

void TestMasterDataTrail::catalogueChanges()
{
    QFETCH(bool, shipAffairs);
    MainWindowFixture f;
    const QString table = shipAffairs ? QStringLiteral("itemcw") : QStringLiteral("itemcj");
    const QString leader = shipAffairs ? QStringLiteral("cwld") : QStringLiteral("cjld");
    const QString section = shipAffairs ? QStringLiteral("船务科") : QStringLiteral("船检科");
    const QString type = QStringLiteral("登记");
    for (const auto &[name, order] : {std::pair{"甲", 1}, {"乙", 2}}) {
        if (shipAffairs)
            f.db->exec(QStringLiteral("insert into itemcw (name,danjia,type,orderx) values (?,?,?,?)"),
                       {QString::fromUtf8(name), 10.0, type, order});
        else
            f.db->exec(QStringLiteral("insert into itemcj (name,orderx) values (?,?)"),
                       {QString::fromUtf8(name), order});
    }
    f.db->exec(QStringLiteral("update counter set ordercj=2, ordercw=2"));
    f.login(leader);
    std::unique_ptr<TF_itemmodify> w;
    if (shipAffairs)
        w = std::make_unique<TF_itemmodifycw>(*f.dm, f.window.get());
    else
        w = std::make_unique<TF_itemmodifycj>(*f.dm, f.window.get());
    showActive(w.get());

    // A name that exists is refused without a trace.
    QTest::mouseClick(w->bt_add, Qt::LeftButton);
    w->DBEdit1->setFocus();
    typeText(w->DBEdit1, QStringLiteral("甲"));
    if (shipAffairs)
        pickEntry(w->DBComboBox1, type);
    QTest::mouseClick(w->bt_save, Qt::LeftButton);
    QCOMPARE(trailCount(f), 0);

    w->DBEdit1->clear();
    typeText(w->DBEdit1, QStringLiteral("丙"));
    if (shipAffairs) {
        w->DBEdit2->setFocus();
        typeText(w->DBEdit2, QStringLiteral("12.5"));
    }
    f.shown.clear();
    QTest::mouseClick(w->bt_save, Qt::LeftButton);
    QVERIFY2(f.shown.all().isEmpty(), qPrintable(f.shown.all().join('|')));
    compareLast(f, {leader, section, table, QStringLiteral("丙"), QStringLiteral("增加"), QString(),
                    shipAffairs ? QStringLiteral("名称：丙；单价：12.50；所属类型：登记；次序：3")
                                : QStringLiteral("名称：丙；次序：3")});

    // A move is one change of the moved item; one refused at the top is none.
    clickGridRow(w->DBGrid_item, rowOfText(w->DBGrid_item, 0, QStringLiteral("甲")));
    QTest::mouseClick(w->bt_up, Qt::LeftButton);
    QCOMPARE(f.shown.informations, QStringList{QStringLiteral("已经到顶")});
    QCOMPARE(trailCount(f), 1);
    QTest::mouseClick(w->bt_down, Qt::LeftButton);
    compareLast(f, {leader, section, table, QStringLiteral("甲"), QStringLiteral("下移"), QStringLiteral("次序：1"),
                    QStringLiteral("次序：2（与“乙”交换）")});
    QCOMPARE(trailCount(f), 2);

    clickGridRow(w->DBGrid_item, rowOfText(w->DBGrid_item, 0, QStringLiteral("乙")));
    QTest::mouseClick(w->bt_del, Qt::LeftButton);
    compareLast(f, {leader, section, table, QStringLiteral("乙"), QStringLiteral("删除"),
                    shipAffairs ? QStringLiteral("名称：乙；单价：10.00；所属类型：登记；次序：1")
                                : QStringLiteral("名称：乙；次序：1"),
                    QString()});
    QCOMPARE(trailCount(f), 3);
}

void TestMasterDataTrail::nameListChanges()
{
    MainWindowFixture f;
    f.db->exec(QStringLiteral("insert into company (name) values (?)"), {QStringLiteral("海安船务")});
    f.login(QStringLiteral("cjld"));
    TF_namelist w(*f.dm, masterdata::companyList(), f.window.get());
    showActive(&w);
    QTest::mouseClick(w.bt_add, Qt::LeftButton);
    w.DBEdit1->setFocus();
    typeText(w.DBEdit1, QStringLiteral("海安船务"));
    QTest::mouseClick(w.bt_save, Qt::LeftButton);
    QCOMPARE(f.shown.informations, QStringList{QStringLiteral("该公司已存在")});
    QCOMPARE(trailCount(f), 0);
    w.DBEdit1->clear();
    typeText(w.DBEdit1, QStringLiteral("东海运输"));
    QTest::mouseClick(w.bt_save, Qt::LeftButton);
    compareLast(f, {QStringLiteral("cjld"), QStringLiteral("船检科"), QStringLiteral("company"),
                    QStringLiteral("东海运输"), QStringLiteral("增加"), QString(), QStringLiteral("名称：东海运输")});
    clickGridRow(w.grid, rowOfText(w.grid, 0, QStringLiteral("海安船务")));
    QTest::mouseClick(w.bt_del, Qt::LeftButton);
    compareLast(f, {QStringLiteral("cjld"), QStringLiteral("船检科"), QStringLiteral("company"),
                    QStringLiteral("海安船务"), QStringLiteral("删除"), QStringLiteral("名称：海安船务"), QString()});
    QCOMPARE(trailCount(f), 2);
}

void TestMasterDataTrail::unwritableTrailUndoesTheChange()
{
    MainWindowFixture f;
    f.db->exec(QStringLiteral("insert into itemcw (name,danjia,type,orderx) values (?,1,?,1)"),
               {QStringLiteral("甲"), QStringLiteral("登记")});
    f.db->exec(QStringLiteral("insert into itemcw (name,danjia,type,orderx) values (?,1,?,2)"),
               {QStringLiteral("乙"), QStringLiteral("登记")});
    f.db->exec(QStringLiteral("insert into company (name) values (?)"), {QStringLiteral("海安船务")});
    // The trail cannot be written: every change must stay unmade, and say so.
    {
        // Not a prepared statement: PostgreSQL prepares no table drop.
        QSqlQuery ddl(f.db->connection(QStringLiteral("ddl")));
        QVERIFY2(ddl.exec(QStringLiteral("drop table masterdata_audit")), qPrintable(ddl.lastError().text()));
    }
    auto failedOnce = [&f] {
        const bool once = f.shown.errors.size() == 1 && f.shown.informations.isEmpty();
        f.shown.clear();
        return once;
    };

    f.login(QStringLiteral("cwld"));
    {
        TF_useradmin w(*f.dm, f.window.get());
        showActive(&w);
        clickGridRow(w.grid, rowOfText(w.grid, 1, QStringLiteral("cw")));
        QTest::mouseClick(w.bt_modify, Qt::LeftButton);
        pickEntry(w.DBComboBox3, QStringLiteral("有"));
        QTest::mouseClick(w.bt_save, Qt::LeftButton);
        QVERIFY(failedOnce());
        QCOMPARE(personColumn(f, "admin", "cw").toInt(), 0);
    }
    {
        TF_useradmin w(*f.dm, f.window.get());
        showActive(&w);
        clickGridRow(w.grid, rowOfText(w.grid, 1, QStringLiteral("cw")));
        QTest::mouseClick(w.bt_del, Qt::LeftButton);
        QVERIFY(failedOnce());
        QVERIFY(personColumn(f, "nickname", "cw").isValid());
    }
    {
        TF_itemmodifycw w(*f.dm, f.window.get());
        showActive(&w);
        clickGridRow(w.DBGrid_item, rowOfText(w.DBGrid_item, 0, QStringLiteral("甲")));
        QTest::mouseClick(w.bt_down, Qt::LeftButton);
        QVERIFY(failedOnce());
        QCOMPARE(f.db->scalar(QStringLiteral("select orderx from itemcw where name=?"), {QStringLiteral("甲")}).toInt(),
                 1);
    }
    QVERIFY_THROWS_EXCEPTION(DbError, masterdata::resetPassword(f.dm->database(), CurrentUser, QStringLiteral("cw"),
                                                                QStringLiteral("new1"), QStringLiteral("new1")));
    QCOMPARE(personColumn(f, "password", "cw").toString(), QStringLiteral("pw"));

    f.login(QStringLiteral("cjld"));
    {
        TF_namelist w(*f.dm, masterdata::companyList(), f.window.get());
        showActive(&w);
        QTest::mouseClick(w.bt_add, Qt::LeftButton);
        w.DBEdit1->setFocus();
        typeText(w.DBEdit1, QStringLiteral("东海运输"));
        QTest::mouseClick(w.bt_save, Qt::LeftButton);
        QVERIFY(failedOnce());
        QCOMPARE(f.db->scalar(QStringLiteral("select count(*) from company")).toInt(), 1);
    }
}

void TestMasterDataTrail::windowShowsWhatTheLeaderMaySee()
{
    MainWindowFixture f;
    const QDateTime now = QDateTime::currentDateTime();
    const struct
    {
        QDateTime at;
        const char *department;
        const char *row;
    } seeded[] = {
        {now.addSecs(-60), "船务科", "cw（张船务）"},
        {now.addSecs(-50), "船检科", "cj（孙船检）"},
        {now.addSecs(-40), "财务科", "cwk（郑财务）"},
        {now.addDays(-40), "船务科", "cwsh（赵船务）"},
    };
    for (const auto &s : seeded)
        f.db->exec(QStringLiteral("insert into masterdata_audit (acted_at,account,fullname,department,tablename,"
                                  "rowkey,action,old_values,new_values) values (?,'x','某人',?,'person',?,'修改',"
                                  "'开票权：没有','开票权：有')"),
                   {s.at, QString::fromUtf8(s.department), QString::fromUtf8(s.row)});

    const struct
    {
        const char *login;
        QStringList rows;  // the last thirty days, oldest first
    } leaders[] = {
        {"cwld", {"cw（张船务）"}},
        {"cjld", {"cj（孙船检）"}},
        {"cwkld", {"cw（张船务）", "cj（孙船检）", "cwk（郑财务）"}},
    };
    for (const auto &l : leaders) {
        f.login(QString::fromLatin1(l.login));
        QAction *item = f.action("M_audit");
        QCOMPARE(captionOf(item->text()), QStringLiteral("修改记录"));
        openFromMenu(f.window.get(), item, [&](QDialog *dialog) {
            auto *w = qobject_cast<TF_audit *>(dialog);
            QVERIFY(w);
            QCOMPARE(w->windowTitle(), QStringLiteral("修改记录"));
            QCOMPARE(columnTexts(w->DBGrid_audit, 5), l.rows);
            QCOMPARE(headerTexts(w->DBGrid_audit), masterdata::auditColumnTitles());
            QCOMPARE(w->Label_count->text(), QStringLiteral("共 %1 条修改记录").arg(l.rows.size()));
        });
    }

    // The ship affairs leader goes a year back with the keyboard and sees the older change.
    f.login(QStringLiteral("cwld"));
    openFromMenu(f.window.get(), f.action("M_audit"), [&](QDialog *dialog) {
        auto *w = qobject_cast<TF_audit *>(dialog);
        const QDate from = w->DateEdit_from->date();
        w->DateEdit_from->setFocus();
        QTest::keyClick(w->DateEdit_from, Qt::Key_Home);
        QTest::keyClick(w->DateEdit_from, Qt::Key_Down);
        QCOMPARE(w->DateEdit_from->date(), from.addYears(-1));
        QTest::mouseClick(w->bt_query, Qt::LeftButton);
        QCOMPARE(columnTexts(w->DBGrid_audit, 5), (QStringList{"cwsh（赵船务）", "cw（张船务）"}));

        // Printed, or saved, through the report engine: the rows as shown, and as CSV.
        QList<PreparedReport> shown;
        ReportPreview::setHook([&](const QList<PreparedReport> &reports) { shown = reports; });
        QTest::mouseClick(w->bt_preview, Qt::LeftButton);
        ReportPreview::setHook({});
        QCOMPARE(shown.size(), 1);
        QVERIFY(shown[0].templateFound);
        QVERIFY(shown[0].html.contains(QStringLiteral("cwsh（赵船务）")));
        QVERIFY(shown[0].html.contains(QStringLiteral("船务科的账号和收费项目")));
        QVERIFY(!shown[0].html.contains(QStringLiteral("cj（孙船检）")));
        QCOMPARE(shown[0].table.rows.size(), 3);
        QCOMPARE(shown[0].table.rows[0], masterdata::auditColumnTitles());
        QCOMPARE(shown[0].table.rows[2][7], QStringLiteral("开票权：没有"));
        QCOMPARE(shown[0].table.rows[2][8], QStringLiteral("开票权：有"));

        // A range the wrong way round is refused and the list stays.
        w->DateEdit_to->setFocus();
        QTest::keyClick(w->DateEdit_to, Qt::Key_Home);
        QTest::keyClick(w->DateEdit_to, Qt::Key_Down);
        QTest::keyClick(w->DateEdit_to, Qt::Key_Down);
        f.shown.clear();
        QTest::mouseClick(w->bt_query, Qt::LeftButton);
        QCOMPARE(f.shown.informations, QStringList{masterdata::kAuditRangeReversed});
        QCOMPARE(columnTexts(w->DBGrid_audit, 5).size(), 2);
    });

    // Clerks and other staff are not offered the window, nor may open it.
    for (const char *login : {"cw", "cwsh", "cj", "cwk", "shoufei"}) {
        f.login(QString::fromLatin1(login));
        QVERIFY2(!f.action("M_audit")->isVisible(), login);
        QVERIFY_THROWS_EXCEPTION(UserRefusal, TF_audit(*f.dm, f.window.get()));
    }
}

void TestMasterDataTrail::passwordResetByTheLeader()
{
    MainWindowFixture f;
    f.login(QStringLiteral("cjld"));
    TF_useradmin w(*f.dm, f.window.get());
    showActive(&w);
    QCOMPARE(captionOf(w.bt_password->text()), QStringLiteral("重置密码"));
    QVERIFY(!w.bt_password->isEnabled());
    // Offered for the section's clerks, not for its leaders.
    clickGridRow(w.grid, rowOfText(w.grid, 1, QStringLiteral("cjld")));
    QVERIFY(!w.bt_password->isEnabled());
    clickGridRow(w.grid, rowOfText(w.grid, 1, QStringLiteral("cj")));
    QVERIFY(w.bt_password->isEnabled());

    clickOpening(w.bt_password, [&](QDialog *dialog) {
        auto *d = qobject_cast<TF_resetpassword *>(dialog);
        QVERIFY(d);
        QCOMPARE(d->Label_account->text(), QStringLiteral("账号：孙船检（cj）"));
        QCOMPARE(d->Edit_newpassword->echoMode(), QLineEdit::Password);
        d->Edit_newpassword->setFocus();
        typeText(d->Edit_newpassword, QStringLiteral("abcdefghij"));
        QCOMPARE(d->Edit_newpassword->text(), QStringLiteral("abcdefgh"));  // 8 bytes
        d->Edit_newpasswordagain->setFocus();
        typeText(d->Edit_newpasswordagain, QStringLiteral("abcdefgx"));
        QTest::mouseClick(d->bt_ok, Qt::LeftButton);
        QCOMPARE(f.shown.informations, QStringList{masterdata::kPasswordsDiffer});
        QVERIFY(d->isVisible());
        QCOMPARE(personColumn(f, "password", "cj").toString(), QStringLiteral("pw"));
        QCOMPARE(trailCount(f), 0);

        f.shown.clear();
        d->Edit_newpasswordagain->setFocus();
        typeText(d->Edit_newpasswordagain, QStringLiteral("abcdefgh"));
        QTest::mouseClick(d->bt_ok, Qt::LeftButton);
        QCOMPARE(f.shown.informations, QStringList{QStringLiteral("密码已重置")});
        QVERIFY(!d->isVisible());
    });
    QCOMPARE(personColumn(f, "password", "cj").toString(), QStringLiteral("abcdefgh"));
    compareLast(f, {QStringLiteral("cjld"), QStringLiteral("船检科"), QStringLiteral("person"),
                    QStringLiteral("cj（孙船检）"), QStringLiteral("重置密码"), QString(),
                    QStringLiteral("密码已重置（不记录密码）")});
    QCOMPARE(trailCount(f), 1);
    QCOMPARE(f.db->scalar(QStringLiteral("select count(*) from masterdata_audit where old_values like ? or "
                                         "new_values like ? or rowkey like ?"),
                          {QStringLiteral("%abcdefgh%"), QStringLiteral("%abcdefgh%"), QStringLiteral("%abcdefgh%")})
                 .toInt(),
             0);
    // Not while a change is being made.
    QTest::mouseClick(w.bt_modify, Qt::LeftButton);
    QVERIFY(!w.bt_password->isEnabled());
}

void TestMasterDataTrail::passwordResetRefused_data()
{
    QTest::addColumn<QString>("leader");
    QTest::addColumn<QString>("account");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("repeated");
    QTest::addColumn<QString>("message");
    const QString notYours = masterdata::kPasswordNotYours;
    QTest::newRow("another section's clerk") << "cwld"
                                             << "cj"
                                             << "new1"
                                             << "new1" << notYours;
    QTest::newRow("a finance account") << "cwld"
                                       << "cwk"
                                       << "new1"
                                       << "new1" << notYours;
    QTest::newRow("another leader of the section") << "cwld"
                                                   << "boss"
                                                   << "new1"
                                                   << "new1" << notYours;
    QTest::newRow("the leader's own account") << "cwld"
                                              << "cwld"
                                              << "new1"
                                              << "new1" << notYours;
    QTest::newRow("by a clerk") << "cwsh"
                                << "cw"
                                << "new1"
                                << "new1" << notYours;
    QTest::newRow("by the finance leader") << "cwkld"
                                           << "cwk"
                                           << "new1"
                                           << "new1" << notYours;
    QTest::newRow("empty") << "cwld"
                           << "cw"
                           << ""
                           << "" << masterdata::kPasswordEmpty;
    QTest::newRow("typed differently") << "cwld"
                                       << "cw"
                                       << "new1"
                                       << "new2" << masterdata::kPasswordsDiffer;
    QTest::newRow("too long") << "cwld"
                              << "cw"
                              << "一二三四五"
                              << "一二三四五" << masterdata::kPasswordTooLong;
    QTest::newRow("gone") << "cwld"
                          << "nobody"
                          << "new1"
                          << "new1" << masterdata::kPasswordAccountGone;
}

void TestMasterDataTrail::passwordResetRefused()
{
    QFETCH(QString, leader);
    QFETCH(QString, account);
    QFETCH(QString, password);
    QFETCH(QString, repeated);
    QFETCH(QString, message);
    MainWindowFixture f;
    f.db->exec(QStringLiteral("insert into person (name,nickname,password,typeid) values ('老科长','boss','pw',4)"));
    const int role = personColumn(f, "typeid", leader).toInt();
    const UserRecord user = testUser(personColumn(f, "name", leader).toString(), leader, role);
    try {
        masterdata::resetPassword(f.dm->database(), user, account, password, repeated);
        QFAIL("the reset was made");
    } catch (const UserRefusal &refusal) {
        QCOMPARE(refusal.message(), message);
    }
    QCOMPARE(f.db->scalar(QStringLiteral("select count(*) from person where password<>'pw'")).toInt(), 0);
    QCOMPARE(trailCount(f), 0);
}

QTEST_MAIN(TestMasterDataTrail)
#include "tst_master_data_trail.moc"
