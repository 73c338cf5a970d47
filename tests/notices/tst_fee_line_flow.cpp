// A clerk creates a notice, opens its fee lines from the main window, computes
// them in the editor, and saves: the total reaches the notice and the main
// window shows the counting lines.

#include "main_window_fixture.h"

#include "db/named_query.h"
#include "typing.h"

#include "report/report_preview.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlRecord>
#include <QTableView>
#include <QTimer>
#include <QtTest>

class TestFeeLineFlow : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void shipAffairsClerk();
    void inspectionClerkIsWarnedOnce();
    void financeUserGetsNothing();
    void changedStepsAreComputedOnSave();
    void totalFollowsLinesAndFlags();
    void linesProcessedElsewhere();
};

namespace {

// Types the steps into the editor's line and presses Enter, as the clerk
// does; without Enter the text stays typed in the cell.
void enterSteps(QTableView *grid, const QString &itemName, const QString &steps, bool pressEnter = true)
{
    QAbstractItemModel *model = grid->model();
    int row = -1;
    for (int r = 0; r < model->rowCount(); ++r)
        if (model->index(r, 0).data().toString() == itemName)
            row = r;
    QVERIFY2(row >= 0, qPrintable(itemName));
    const QModelIndex cell = model->index(row, 1);
    grid->setCurrentIndex(cell);
    grid->edit(cell);
    QLineEdit *edit = nullptr;
    for (QLineEdit *e : grid->findChildren<QLineEdit *>())
        if (e->isVisible())
            edit = e;
    QVERIFY(edit);
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Backspace);
    typeText(edit, steps);
    if (pressEnter)
        QTest::keyClick(edit, Qt::Key_Return);
}

void addShipAffairsCatalogue(MainWindowFixture &f)
{
    const QList<QVariantList> catalogue{
        {QStringLiteral("船舶登记费"), 30.0, QStringLiteral("登记"), 1},
        {QStringLiteral("证书工本费"), 12.5, QStringLiteral("工本费"), 2},
    };
    for (const QVariantList &row : catalogue)
        f.db->exec(QStringLiteral("insert into itemcw (name,danjia,type,orderx) values (?,?,?,?)"), row);
}

void tick(MainWindowFixture &f, const char *flag)
{
    auto *box = f.child<QCheckBox>(flag);
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
}

// Works in the modal editor once it is open, then saves it.
void whenEditorOpens(std::function<void(QWidget *editor)> work)
{
    QTimer::singleShot(0, [work] {
        QWidget *editor = QApplication::activeModalWidget();
        if (!editor || editor->objectName() != QLatin1String("F_item")) {
            QFAIL("the fee-line editor did not open");
            return;
        }
        work(editor);
        editor->findChild<QPushButton *>(QStringLiteral("f_item_save"))->click();
    });
}

}  // namespace

void TestFeeLineFlow::shipAffairsClerk()
{
    MainWindowFixture f;
    f.addNotices();
    const QList<QVariantList> catalogue{
        {QStringLiteral("船舶登记费"), 30.0, QStringLiteral("登记"), 1},
        {QStringLiteral("证书工本费"), 12.5, QStringLiteral("工本费"), 2},
        {QStringLiteral("资料费"), 0.0, QStringLiteral("内部资料"), 3},
    };
    for (const QVariantList &row : catalogue)
        f.db->exec(QStringLiteral("insert into itemcw (name,danjia,type,orderx) values (?,?,?,?)"), row);

    f.login(QStringLiteral("cw"));
    QTest::mouseClick(f.button("bt_new"), Qt::LeftButton);
    auto *ship = f.child<QLineEdit>("DBEdit_shipname");
    ship->setFocus();
    typeText(ship, QStringLiteral("海安号"));
    for (const char *flag : {"dbck_dengji", "dbck_gongbenfei"}) {
        auto *box = f.child<QCheckBox>(flag);
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
    }

    bool worked = false;
    whenEditorOpens([&](QWidget *editor) {
        auto *grid = editor->findChild<QTableView *>(QStringLiteral("DBGrid1"));
        QCOMPARE(grid->model()->rowCount(), 2);  // the ticked types only
        enterSteps(grid, QStringLiteral("船舶登记费"), QStringLiteral("30*4"));
        enterSteps(grid, QStringLiteral("证书工本费"), QStringLiteral("12.5*0.25"));
        worked = true;
    });
    QTest::mouseClick(f.button("bt_totalmoney"), Qt::LeftButton);
    QVERIFY(worked);
    QVERIFY2(f.shown.all().isEmpty(), qPrintable(f.shown.all().join(QLatin1Char('|'))));
    QCOMPARE(f.db->scalar(QStringLiteral("select count(*) from itemofnotice where ID='0000041'")).toInt(), 3);
    // The total is in the amount box; the stored amount follows the stored
    // flags, which the first save of the new notice stores.
    QCOMPARE(f.child<QLineEdit>("DBedit_money")->text(), QStringLiteral("123.13"));
    QCOMPARE(f.db->scalar(QStringLiteral("select money from notice where ID='0000041'")).toDouble(), 0.0);

    QTest::mouseClick(f.button("bt_save"), Qt::LeftButton);
    QCOMPARE(f.db->scalar(QStringLiteral("select money from notice where ID='0000041'")).toDouble(), 123.13);
    QCOMPARE(f.db->scalar(QStringLiteral("select shipname from notice where ID='0000041'")).toString(),
             QStringLiteral("海安号"));

    f.clickRow(0);
    QCOMPARE(f.child<QLineEdit>("DBedit_money")->text(), QStringLiteral("123.13"));
    const QAbstractItemModel *lines = f.window->DBgrid_item->model();
    QCOMPARE(lines->rowCount(), 2);
    QCOMPARE(lines->index(0, 0).data().toString(), QStringLiteral("船舶登记费"));
    QCOMPARE(lines->index(0, 2).data().toString(), QStringLiteral("120.00"));
    QCOMPARE(lines->index(1, 2).data().toString(), QStringLiteral("3.13"));

    // A second press creates nothing more.
    QTest::mouseClick(f.button("bt_modify"), Qt::LeftButton);
    whenEditorOpens([](QWidget *) {});
    QTest::mouseClick(f.button("bt_totalmoney"), Qt::LeftButton);
    QCOMPARE(f.db->scalar(QStringLiteral("select count(*) from itemofnotice where ID='0000041'")).toInt(), 3);
    QCOMPARE(f.child<QLineEdit>("DBedit_money")->text(), QStringLiteral("123.13"));
}

void TestFeeLineFlow::inspectionClerkIsWarnedOnce()
{
    MainWindowFixture f;
    f.addNotices();
    for (const char *name : {"船舶检验费", "图纸审查费"})
        f.db->exec(QStringLiteral("insert into itemcj (name,orderx) values (?,1)"), {QString::fromUtf8(name)});
    f.login(QStringLiteral("cj"));
    QTest::mouseClick(f.button("bt_new"), Qt::LeftButton);
    bool opened = false;
    whenEditorOpens([&](QWidget *editor) {
        opened = editor->findChild<QTableView *>(QStringLiteral("DBGrid1"))->model()->rowCount() == 2;
    });
    QTest::mouseClick(f.button("bt_totalmoney"), Qt::LeftButton);
    QVERIFY(opened);  // the warning never blocks
    QCOMPARE(f.shown.informations, QStringList{"检验类型和检验内容不可为空，否则数量统计时将不被考虑"});
    QCOMPARE(f.child<QLineEdit>("DBedit_money")->text(), QStringLiteral("0.00"));
}

void TestFeeLineFlow::financeUserGetsNothing()
{
    MainWindowFixture f;
    f.addNotices();
    f.db->exec(QStringLiteral("insert into itemcj (name,orderx) values ('船舶检验费',1)"));
    f.login(QStringLiteral("cwk"));
    f.dm->aq_notice->open(QStringLiteral("select * from notice where ID='1000001'"));
    f.window->bt_totalmoneyClick();
    QVERIFY(!QApplication::activeModalWidget());
    QCOMPARE(f.db->scalar(QStringLiteral("select count(*) from itemofnotice")).toInt(), 0);
    QVERIFY(f.shown.all().isEmpty());
}

// Saving works out the steps changed since their amount was computed; a step
// that cannot be computed stops the save, names its fee item and keeps the
// editor open on that line.
void TestFeeLineFlow::changedStepsAreComputedOnSave()
{
    MainWindowFixture f;
    f.addNotices();
    addShipAffairsCatalogue(f);
    f.login(QStringLiteral("cw"));
    QTest::mouseClick(f.button("bt_new"), Qt::LeftButton);
    tick(f, "dbck_dengji");
    tick(f, "dbck_gongbenfei");

    bool worked = false;
    whenEditorOpens([&](QWidget *editor) {
        auto *grid = editor->findChild<QTableView *>(QStringLiteral("DBGrid1"));
        enterSteps(grid, QStringLiteral("船舶登记费"), QStringLiteral("30*2"));
        enterSteps(grid, QStringLiteral("证书工本费"), QStringLiteral("12.5*2"));
        enterSteps(grid, QStringLiteral("船舶登记费"), QStringLiteral("30*3"), false);  // no Enter
        enterSteps(grid, QStringLiteral("证书工本费"), QStringLiteral("2*(3+"), false);
        auto *save = editor->findChild<QPushButton *>(QStringLiteral("f_item_save"));
        QTest::mouseClick(save, Qt::LeftButton);
        // Refused: the message names the fee item, nothing of the save is stored.
        QVERIFY(editor->isVisible());
        QCOMPARE(f.shown.informations.size(), 1);
        QVERIFY2(f.shown.informations.first().contains(QStringLiteral("证书工本费")),
                 qPrintable(f.shown.informations.first()));
        QVERIFY(f.shown.informations.first().contains(QStringLiteral("Missing brackets in expression")));
        QCOMPARE(grid->model()->index(grid->currentIndex().row(), 0).data().toString(), QStringLiteral("证书工本费"));
        QCOMPARE(f.db->scalar(QStringLiteral("select money from itemofnotice where itemname='证书工本费'")).toDouble(),
                 25.0);
        // Closing the window is a save too, and refused the same way.
        editor->close();
        QVERIFY(editor->isVisible());
        f.shown.clear();
        enterSteps(grid, QStringLiteral("证书工本费"), QStringLiteral("12.5*3"), false);
        worked = true;
    });
    QTest::mouseClick(f.button("bt_totalmoney"), Qt::LeftButton);
    QVERIFY(worked);
    QVERIFY2(f.shown.all().isEmpty(), qPrintable(f.shown.all().join(QLatin1Char('|'))));
    auto line = [&](const char *item, const char *column) {
        return f.db->scalar(
            QStringLiteral("select %1 from itemofnotice where ID='0000041' and itemname=?").arg(QLatin1String(column)),
            {QString::fromUtf8(item)});
    };
    QCOMPARE(line("船舶登记费", "description").toString(), QStringLiteral("30*3"));
    QCOMPARE(line("船舶登记费", "money").toDouble(), 90.0);
    QCOMPARE(line("证书工本费", "description").toString(), QStringLiteral("12.5*3"));
    QCOMPARE(line("证书工本费", "money").toDouble(), 37.5);
    QCOMPARE(f.child<QLineEdit>("DBedit_money")->text(), QStringLiteral("127.50"));
    QTest::mouseClick(f.button("bt_save"), Qt::LeftButton);
    QCOMPARE(f.db->scalar(QStringLiteral("select money from notice where ID='0000041'")).toDouble(), 127.5);
}

// The amount stored is always the sum of the lines that count for the
// stored flags: after every change of the lines, with or without a save of
// the notice, and after a flag is unticked; printing shows the same.
void TestFeeLineFlow::totalFollowsLinesAndFlags()
{
    MainWindowFixture f;
    f.addNotices();
    addShipAffairsCatalogue(f);
    QList<PreparedReport> previews;
    ReportPreview::setHook([&](const QList<PreparedReport> &reports) { previews += reports; });
    auto storedMoney = [&] { return f.db->scalar(QStringLiteral("select money from notice where ID='0000015'")); };

    f.login(QStringLiteral("cw"));
    f.action("bt_badchecked")->trigger();
    f.clickRow(f.rowOf(QStringLiteral("0000015")));  // stored with 登记 ticked
    QTest::mouseClick(f.button("bt_modify"), Qt::LeftButton);
    tick(f, "dbck_gongbenfei");
    whenEditorOpens([&](QWidget *editor) {
        auto *grid = editor->findChild<QTableView *>(QStringLiteral("DBGrid1"));
        enterSteps(grid, QStringLiteral("船舶登记费"), QStringLiteral("30*4"));
        QCOMPARE(storedMoney().toDouble(), 120.0);  // with the line, before any save
        enterSteps(grid, QStringLiteral("证书工本费"), QStringLiteral("12.5*2"));
    });
    QTest::mouseClick(f.button("bt_totalmoney"), Qt::LeftButton);
    QCOMPARE(f.child<QLineEdit>("DBedit_money")->text(), QStringLiteral("145.00"));
    QCOMPARE(storedMoney().toDouble(), 120.0);  // 工本费 is not stored as ticked yet
    tick(f, "dbck_gongbenfei");                 // unticked again after computing
    QTest::mouseClick(f.button("bt_save"), Qt::LeftButton);
    QCOMPARE(storedMoney().toDouble(), 120.0);

    auto *search = f.child<QLineEdit>("Edit_searchid");
    search->setFocus();
    typeText(search, QStringLiteral("0000015"));
    QTest::mouseClick(f.button("bt_search"), Qt::LeftButton);
    f.clickRow(f.rowOf(QStringLiteral("0000015")));
    QCOMPARE(f.child<QLineEdit>("DBedit_money")->text(), QStringLiteral("120.00"));
    QTest::mouseClick(f.button("bt_print"), Qt::LeftButton);
    QVERIFY2(f.shown.all().isEmpty(), qPrintable(f.shown.all().join(QLatin1Char('|'))));
    QCOMPARE(previews.size(), 1);
    const QList<QSqlRecord> printed = previews.first().datasets.value(QStringLiteral("frDB_itemofnotice")).rows.records;
    QCOMPARE(printed.size(), 1);
    QCOMPARE(printed.first().value(QStringLiteral("money")).toDouble(), 120.0);
    QCOMPARE(previews.first().variables.value(QStringLiteral("bigmoney")).toString(),
             QStringLiteral("壹 佰 贰 拾 元整"));
    QCOMPARE(f.db->scalar(QStringLiteral("select status from notice where ID='0000015'")).toInt(), 3);
    ReportPreview::setHook({});
}

// While the clerk works in the editor, another workstation prints the notice:
// Enter on a line is refused in words and the line shows as stored; the
// editor closes without storing; the notice keeps its printed amount.
void TestFeeLineFlow::linesProcessedElsewhere()
{
    MainWindowFixture f;
    f.addNotices();
    addShipAffairsCatalogue(f);
    f.login(QStringLiteral("cw"));
    QTest::mouseClick(f.button("bt_new"), Qt::LeftButton);
    tick(f, "dbck_dengji");
    const QString id = f.child<QLineEdit>("DBEdit_ID")->text();
    QVERIFY(!id.isEmpty());

    QString shownInEditor;
    whenEditorOpens([&](QWidget *editor) {
        auto *grid = editor->findChild<QTableView *>(QStringLiteral("DBGrid1"));
        enterSteps(grid, QStringLiteral("船舶登记费"), QStringLiteral("30*2"));
        QVERIFY2(f.shown.all().isEmpty(), qPrintable(f.shown.all().join(QLatin1Char('|'))));
        f.db->exec(QStringLiteral("update notice set status=3, revision=revision+1 where ID=?"), {id});
        enterSteps(grid, QStringLiteral("船舶登记费"), QStringLiteral("30*5"));
        shownInEditor = grid->model()->index(0, 2).data().toString();
    });
    QTest::mouseClick(f.button("bt_totalmoney"), Qt::LeftButton);
    QCOMPARE(f.shown.all(), QStringList{QStringLiteral("该通知单已被其他工作站处理，收费项目未能修改。")});
    QCOMPARE(shownInEditor, QStringLiteral("60.00"));
    QCOMPARE(f.db->scalar(QStringLiteral("select money from itemofnotice where ID=? and itemname='船舶登记费'"), {id})
                 .toDouble(),
             60.0);
    QCOMPARE(f.db->scalar(QStringLiteral("select status from notice where ID=?"), {id}).toInt(), 3);
    QCOMPARE(
        f.db->scalar(QStringLiteral("select count(*) from notice_history where ID=? and action='修改收费项目'"), {id})
            .toInt(),
        1);
}

void TestFeeLineFlow::initTestCase()
{
    REQUIRE_DATABASE(MainWindowFixture::defaultKind());
}

QTEST_MAIN(TestFeeLineFlow)
#include "tst_fee_line_flow.moc"
