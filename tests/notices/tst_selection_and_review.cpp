// What a selected notice enables, for each kind of user, and approving and
// rejecting from the leader area.

#include "captions.h"
#include "main_window_fixture.h"

#include "db/named_query.h"
#include "notices/notice_operations.h"
#include "typing.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTableView>
#include <QtTest>

class TestSelectionAndReview : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void rights_data();
    void rights();
    void keyboardMoveReevaluates();
    void feeLinesShown_data();
    void feeLinesShown();
    void approve();
    void reject();
    void ownUserRefusal_data();
    void ownUserRefusal();
    void approveRejectedKeepsReason();
    void typedReasonSurvivesSameRowClick();
};

namespace {

// Lists the notice as the user (with a search, or with a list button when
// the search does not reach it) and selects it.
void select(MainWindowFixture &f, const QString &nickname, const QString &id, const char *list = nullptr)
{
    f.login(nickname);
    if (list) {
        f.action(list)->trigger();
    } else {
        f.child<QLineEdit>("Edit_searchid")->setText(id);
        QTest::mouseClick(f.button("bt_search"), Qt::LeftButton);
    }
    const int row = f.rowOf(id);
    QVERIFY2(row >= 0, qPrintable(id));
    f.clickRow(row);
}

QString enabledButtons(MainWindowFixture &f)
{
    QString s;
    for (const auto &[letter, name] : QList<QPair<char, const char *>>{
             {'m', "bt_modify"}, {'d', "bt_del"}, {'p', "bt_print"}, {'a', "bt_checknow"}, {'r', "bt_badchecknow"}})
        if (f.button(name)->isEnabled())
            s += QLatin1Char(letter);
    if (f.child<QPlainTextEdit>("DBMemo_badcheck")->isEnabled())
        s += QLatin1Char('M');
    return s;
}

}  // namespace

void TestSelectionAndReview::rights_data()
{
    QTest::addColumn<QString>("nickname");
    QTest::addColumn<QString>("id");
    QTest::addColumn<QString>("enabled");   // m d p a r, M for the reason memo
    QTest::addColumn<QString>("reviewer");  // what Edit_leadernow shows
    QTest::addColumn<QString>("list");      // the list that shows the notice; empty: the search

    QTest::newRow("inspection clerk, own, state 1") << "cj"
                                                    << "1000001"
                                                    << "md"
                                                    << ""
                                                    << "";
    QTest::newRow("inspection clerk, own, state 2") << "cj"
                                                    << "1000002"
                                                    << "p"
                                                    << ""
                                                    << "";
    QTest::newRow("inspection clerk, own, rejected") << "cj"
                                                     << "1000005"
                                                     << "md"
                                                     << ""
                                                     << "";
    QTest::newRow("inspection clerk, own, billed") << "cj"
                                                   << "1000004"
                                                   << ""
                                                   << ""
                                                   << "";
    QTest::newRow("inspection reviewer, colleague's state 1") << "cjsh"
                                                              << "1000001"
                                                              << "arM"
                                                              << "周船检"
                                                              << "";
    QTest::newRow("inspection reviewer, own state 1") << "cjsh"
                                                      << "1000006"
                                                      << "mdarM"
                                                      << "周船检"
                                                      << "";
    QTest::newRow("inspection reviewer, colleague's state 2") << "cjsh"
                                                              << "1000002"
                                                              << "prM"
                                                              << "周船检"
                                                              << "";
    QTest::newRow("inspection leader, state 2") << "cjld"
                                                << "1000002"
                                                << "prM"
                                                << "吴科长"
                                                << "";
    QTest::newRow("inspection leader, rejected") << "cjld"
                                                 << "1000005"
                                                 << "a"
                                                 << "吴科长"
                                                 << "";
    QTest::newRow("inspection leader, state 3") << "cjld"
                                                << "1000003"
                                                << ""
                                                << ""
                                                << "";
    QTest::newRow("ship affairs clerk, colleague's state 1") << "cw"
                                                             << "0000011"
                                                             << "p"
                                                             << ""
                                                             << "bt_checked";
    QTest::newRow("ship affairs clerk, colleague's state 2") << "cw"
                                                             << "0000012"
                                                             << "p"
                                                             << ""
                                                             << "bt_checked";
    QTest::newRow("ship affairs clerk, own state 3") << "cw"
                                                     << "0000013"
                                                     << ""
                                                     << ""
                                                     << "";
    QTest::newRow("ship affairs reviewer, own state 2") << "cwsh"
                                                        << "0000012"
                                                        << "prM"
                                                        << "赵船务"
                                                        << "";
    QTest::newRow("ship affairs leader, own state 1") << "cwld"
                                                      << "0000011"
                                                      << "mdparM"
                                                      << "钱科长"
                                                      << "";
    QTest::newRow("ship affairs leader, own billed") << "cwld"
                                                     << "0000014"
                                                     << ""
                                                     << ""
                                                     << "";
}

void TestSelectionAndReview::rights()
{
    QFETCH(QString, nickname);
    QFETCH(QString, id);
    QFETCH(QString, enabled);
    QFETCH(QString, reviewer);
    QFETCH(QString, list);
    MainWindowFixture f;
    f.addNotices();
    f.db->exec(QStringLiteral("update notice set handler='钱科长' where ID='0000011'"));
    select(f, nickname, id, list.isEmpty() ? nullptr : qPrintable(list));
    QCOMPARE(enabledButtons(f), enabled);
    QCOMPARE(f.child<QLineEdit>("Edit_leadernow")->text(), reviewer);
    QCOMPARE(f.child<QLabel>("Label_leadernow")->isEnabled(), !reviewer.isEmpty());
    QVERIFY(!f.child<QLineEdit>("Edit_leadernow")->isEnabled());
    QVERIFY(!f.child<QComboBox>("DBCb_leader")->isEnabled());
    QCOMPARE(captionOf(f.button("bt_checknow")->text()), QStringLiteral("审核通过"));
    // The selection changes nothing else.
    QVERIFY(!f.button("bt_save")->isEnabled());
    QVERIFY(!f.child<QLineEdit>("DBEdit_shipname")->isEnabled());
    QCOMPARE(f.child<QLineEdit>("DBEdit_ID")->text(), id);
    QVERIFY(f.shown.all().isEmpty());
}

void TestSelectionAndReview::keyboardMoveReevaluates()
{
    MainWindowFixture f;
    f.addNotices();
    f.login(QStringLiteral("cj"));
    QTest::mouseClick(f.button("bt_search"), Qt::LeftButton);  // own notices: 1000005, 4, 2, 1
    QCOMPARE(f.listedIds(), (QStringList{"1000005", "1000004", "1000002", "1000001"}));
    f.clickRow(0);
    QVERIFY(f.button("bt_modify")->isEnabled());  // rejected: may change
    QTableView *grid = f.window->DBGrid_notice;
    grid->setFocus();
    QTest::keyClick(grid, Qt::Key_Down);  // to 1000004, billed
    QCOMPARE(f.child<QLineEdit>("DBEdit_ID")->text(), QStringLiteral("1000004"));
    QVERIFY(!f.button("bt_modify")->isEnabled());
    QVERIFY(!f.button("bt_del")->isEnabled());
    QTest::keyClick(grid, Qt::Key_Down);  // to 1000002, approved: print
    QVERIFY(f.button("bt_print")->isEnabled());
    QVERIFY(!f.button("bt_modify")->isEnabled());
}

void TestSelectionAndReview::feeLinesShown_data()
{
    QTest::addColumn<QString>("nickname");
    QTest::addColumn<QString>("id");
    QTest::addColumn<QStringList>("items");
    // 0000011 has only 登记 ticked; its lines: A 登记 10, B 登记 0, C 工本费 5.
    // 1000001: X order 2 amount 3, Y order 1 amount 4, Z order 3 no amount.
    QTest::newRow("ship affairs: ticked types, amounts above 0") << "cwld"
                                                                 << "0000011" << QStringList{"A"};
    QTest::newRow("ship inspection: amounts above 0 by order") << "cjld"
                                                               << "1000001" << QStringList{"Y", "X"};
}

void TestSelectionAndReview::feeLinesShown()
{
    QFETCH(QString, nickname);
    QFETCH(QString, id);
    QFETCH(QStringList, items);
    MainWindowFixture f;
    f.addNotices();
    const QList<QVariantList> lines{
        {QStringLiteral("0000011"), QStringLiteral("A"), QStringLiteral("登记"), 1, 10.0},
        {QStringLiteral("0000011"), QStringLiteral("B"), QStringLiteral("登记"), 2, 0.0},
        {QStringLiteral("0000011"), QStringLiteral("C"), QStringLiteral("工本费"), 3, 5.0},
        {QStringLiteral("1000001"), QStringLiteral("X"), QVariant(), 2, 3.0},
        {QStringLiteral("1000001"), QStringLiteral("Y"), QVariant(), 1, 4.0},
        {QStringLiteral("1000001"), QStringLiteral("Z"), QVariant(), 3, QVariant()},
    };
    for (const QVariantList &l : lines)
        f.db->exec(QStringLiteral("insert into itemofnotice (ID,itemname,type,orderx,money) values (?,?,?,?,?)"), l);
    select(f, nickname, id);
    QStringList shown;
    const QAbstractItemModel *model = f.window->DBgrid_item->model();
    for (int r = 0; r < model->rowCount(); ++r)
        shown << model->index(r, 0).data().toString();
    QCOMPARE(shown, items);
}

void TestSelectionAndReview::approve()
{
    MainWindowFixture f;
    f.addNotices();
    f.login(QStringLiteral("cjsh"));
    f.action("bt_nochecked")->trigger();
    QCOMPARE(f.listedIds(), (QStringList{"1000001", "1000006", "1000007"}));
    f.clickRow(0);
    QTest::mouseClick(f.button("bt_checknow"), Qt::LeftButton);
    QVERIFY(f.shown.all().isEmpty());
    QCOMPARE(f.db->scalar(QStringLiteral("select status from notice where ID='1000001'")).toInt(), 2);
    QCOMPARE(f.db->scalar(QStringLiteral("select leader from notice where ID='1000001'")).toString(),
             QStringLiteral("周船检"));
    // The list refreshes in place: the approved notice left "未审核".
    QCOMPARE(f.listedIds(), (QStringList{"1000006", "1000007"}));
    QVERIFY(!f.button("bt_checknow")->isEnabled());  // resting again
}

void TestSelectionAndReview::reject()
{
    MainWindowFixture f;
    f.addNotices();
    f.login(QStringLiteral("cjld"));
    f.action("bt_checked")->trigger();
    QCOMPARE(f.listedIds(), QStringList{"1000002"});
    f.clickRow(0);
    auto *memo = f.child<QPlainTextEdit>("DBMemo_badcheck");
    memo->setFocus();
    typeText(memo, QString(100, QChar(0x9519)));  // 200 bytes: the memo keeps 190
    QCOMPARE(memo->toPlainText(), QString(95, QChar(0x9519)));
    memo->clear();
    typeText(memo, QStringLiteral("金额有误'; --"));
    QTest::mouseClick(f.button("bt_badchecknow"), Qt::LeftButton);
    QVERIFY(f.shown.all().isEmpty());
    QCOMPARE(f.db->scalar(QStringLiteral("select status from notice where ID='1000002'")).toInt(), -1);
    QCOMPARE(f.db->scalar(QStringLiteral("select leader from notice where ID='1000002'")).toString(),
             QStringLiteral("吴科长"));
    QCOMPARE(f.db->scalar(QStringLiteral("select memo_badcheck from notice where ID='1000002'")).toString(),
             QStringLiteral("金额有误'; --"));
    QCOMPARE(f.listedIds(), QStringList{});
    QVERIFY(!memo->isEnabled());

    // The handler finds it under "被驳回", changes and saves it: back to review.
    f.login(QStringLiteral("cj"));
    f.action("bt_badchecked")->trigger();
    QCOMPARE(f.listedIds(), (QStringList{"1000005", "1000002"}));
    f.clickRow(1);
    QTest::mouseClick(f.button("bt_modify"), Qt::LeftButton);
    QTest::mouseClick(f.button("bt_save"), Qt::LeftButton);
    QCOMPARE(f.db->scalar(QStringLiteral("select status from notice where ID='1000002'")).toInt(), 1);
}

// Only a move to another notice discards a reason being typed; typing it
// leaves the notice itself alone, so nothing of it is stored unless sent.
void TestSelectionAndReview::typedReasonSurvivesSameRowClick()
{
    MainWindowFixture f;
    f.addNotices();
    f.login(QStringLiteral("cjld"));
    f.action("bt_nochecked")->trigger();
    QCOMPARE(f.listedIds(), (QStringList{"1000001", "1000006", "1000007"}));
    f.clickRow(0);
    auto *memo = f.child<QPlainTextEdit>("DBMemo_badcheck");
    QTest::mouseClick(memo->viewport(), Qt::LeftButton);
    typeText(memo, QStringLiteral("检验内容不符"));
    QCOMPARE(f.dm->aq_notice->state(), NamedQuery::State::Browsing);
    f.clickRow(0);  // the same notice again
    QCOMPARE(memo->toPlainText(), QStringLiteral("检验内容不符"));
    QVERIFY(f.button("bt_badchecknow")->isEnabled());

    f.clickRow(1);  // another notice: its own (empty) reason
    QCOMPARE(memo->toPlainText(), QString());
    f.clickRow(0);
    typeText(memo, QStringLiteral("金额有误"));
    QTest::mouseClick(f.button("bt_badchecknow"), Qt::LeftButton);
    QCOMPARE(f.db->scalar(QStringLiteral("select memo_badcheck from notice where ID='1000001'")).toString(),
             QStringLiteral("金额有误"));
    QCOMPARE(f.db->scalar(QStringLiteral("select count(*) from notice where memo_badcheck='检验内容不符'")).toInt(), 0);
}

void TestSelectionAndReview::ownUserRefusal_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("message");
    QTest::newRow("approve") << "bt_checknow" << kNoOwnApproval;
    QTest::newRow("reject") << "bt_badchecknow" << kNoOwnRejection;
}

void TestSelectionAndReview::ownUserRefusal()
{
    QFETCH(QString, button);
    QFETCH(QString, message);
    MainWindowFixture f;
    f.addNotices();
    select(f, QStringLiteral("cjld"), QStringLiteral("1000007"));  // the leader's own, state 1
    QVERIFY(f.button("bt_checknow")->isEnabled());
    QVERIFY(f.button("bt_badchecknow")->isEnabled());
    QTest::mouseClick(f.button(qPrintable(button)), Qt::LeftButton);
    QCOMPARE(f.shown.informations, QStringList{message});
    QCOMPARE(f.db->scalar(QStringLiteral("select status from notice where ID='1000007'")).toInt(), 1);
    QVERIFY(f.db->scalar(QStringLiteral("select leader from notice where ID='1000007'")).isNull());
    // The window stays as it was.
    QVERIFY(f.button("bt_checknow")->isEnabled());
    QVERIFY(f.button("bt_modify")->isEnabled());
}

void TestSelectionAndReview::approveRejectedKeepsReason()
{
    MainWindowFixture f;
    f.addNotices();
    f.db->exec(QStringLiteral("update notice set memo_badcheck='缺少证明' where ID='1000005'"));
    f.login(QStringLiteral("cjld"));
    f.action("bt_badchecked")->trigger();
    f.clickRow(0);
    QCOMPARE(f.child<QPlainTextEdit>("DBMemo_badcheck")->toPlainText(), QStringLiteral("缺少证明"));
    QTest::mouseClick(f.button("bt_checknow"), Qt::LeftButton);
    QCOMPARE(f.db->scalar(QStringLiteral("select status from notice where ID='1000005'")).toInt(), 2);
    QCOMPARE(f.db->scalar(QStringLiteral("select memo_badcheck from notice where ID='1000005'")).toString(),
             QStringLiteral("缺少证明"));
}

void TestSelectionAndReview::initTestCase()
{
    REQUIRE_DATABASE(MainWindowFixture::defaultKind());
}

QTEST_MAIN(TestSelectionAndReview)
#include "tst_selection_and_review.moc"
