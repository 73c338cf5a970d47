// The finance leader's statistics and plan window, driven as a person would:
// its states, the run's two messages, the plan grid's rule, a stored and a
// rejected plan, and its opening from the main window for role 8 only.

#include "message_recorder.h"
#include "statistics_fixture.h"
#include "typing.h"

#include "app/current_user.h"
#include "db/named_query.h"
#include "db/tdm.h"
#include "finance/statistics_plan.h"
#include "finance/statistics_window.h"
#include "notices/main_window.h"

#include <QAction>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

class TestStatisticsWindow : public QObject
{
    Q_OBJECT
private slots:
    void runShowsBothMessagesAndTheTime_data() { addKindRows(); }
    void runShowsBothMessagesAndTheTime();
    void progressWaitsForTheFirstMessage();
    void planFollowsTheGridAndItsRule_data() { addKindRows(); }
    void planFollowsTheGridAndItsRule();
    void opensFromTheMainWindowForTheFinanceLeader();

private:
    struct Setup
    {
        std::unique_ptr<TestDatabase> db;
        std::unique_ptr<Tdm> dm;
    };
    Setup setup(DbKind kind);
};

TestStatisticsWindow::Setup TestStatisticsWindow::setup(DbKind kind)
{
    Setup s;
    s.db = TestDatabase::create(kind);
    if (!s.db)
        return s;
    addStatisticsFixture(*s.db);
    s.dm = std::make_unique<Tdm>(s.db->settings(), QStringLiteral("window"));
    s.dm->DataModuleCreate();
    return s;
}

namespace {

void clickGridRow(QTableView *grid, int row)
{
    const QRect cell = grid->visualRect(grid->model()->index(row, 0));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
}

int gridRowOf(QTableView *grid, const QString &year, const QString &department)
{
    for (int row = 0; row < grid->model()->rowCount(); ++row)
        if (grid->model()->index(row, 0).data().toString() == year
            && grid->model()->index(row, 1).data().toString() == department)
            return row;
    return -1;
}

}  // namespace

void TestStatisticsWindow::runShowsBothMessagesAndTheTime()
{
    QFETCH(int, kind);
    FIXTURE(s, DbKind(kind), setup);
    MessageRecorder shown;
    finance::TF_caiwu window(*s.dm);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    QCOMPARE(window.windowTitle(), QStringLiteral("财务科统计和计划安排"));
    QCOMPARE(window.Edit1->text(), QString());  // never run
    QVERIFY(!window.Edit2->text().isEmpty());
    QVERIFY(!window.DBEdit1->isEnabled());
    QVERIFY(!window.Button1->isEnabled());
    QCOMPARE(window.DBGrid1->model()->rowCount(), 1);
    QCOMPARE(window.DBGrid1->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("年"));
    QCOMPARE(window.DBGrid1->model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("科室"));

    QTest::mouseClick(window.bt_calculate, Qt::LeftButton);
    QCOMPARE(shown.informations, QStringList({QStringLiteral("有12条新纪录未被统计，下面将开始对这些新数据进行统计"),
                                              QStringLiteral("统计完成")}));
    QVERIFY(shown.errors.isEmpty());
    const QDateTime recorded = s.db->scalar(QStringLiteral("select statictime from counter")).toDateTime();
    QVERIFY(recorded.isValid());
    QCOMPARE(window.Edit1->text(), finance::TF_caiwu::workstationTime(recorded));
    QCOMPARE(statisticRows(s.db->connection()), expectedStatistic());
    QCOMPARE(window.DBGrid1->model()->rowCount(), 4);  // the new rows are open for plans

    // A second run finds nothing: no first message, only the time changes.
    s.db->exec(QStringLiteral("update counter set statictime=?"), {QDateTime(QDate(2001, 2, 3), QTime(4, 5, 6))});
    QStringList before = dumpTouchedTables(s.db->connection());
    shown.clear();
    QTest::mouseClick(window.bt_calculate, Qt::LeftButton);
    QCOMPARE(shown.informations, QStringList{QStringLiteral("统计完成")});
    QStringList after = dumpTouchedTables(s.db->connection());
    QVERIFY(after.takeLast() != before.takeLast());
    QCOMPARE(after, before);
    QCOMPARE(window.Edit1->text(), finance::TF_caiwu::workstationTime(
                                       s.db->scalar(QStringLiteral("select statictime from counter")).toDateTime()));
}

void TestStatisticsWindow::progressWaitsForTheFirstMessage()
{
    FIXTURE(s, DbKind::SQLite, setup);
    finance::TF_caiwu window(*s.dm);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    // A user who takes a second to read the first message: no progress
    // dialog may come up over it and block its OK button.
    QStringList texts;
    bool progressOverMessage = false;
    const messages::Presenter previous = messages::setPresenter([&](messages::Kind, const QString &text) {
        texts << text;
        if (texts.size() == 1) {
            QTest::qWait(900);
            const auto *progress = window.findChild<QProgressDialog *>();
            progressOverMessage = progress && progress->isVisible();
        }
    });
    QTest::mouseClick(window.bt_calculate, Qt::LeftButton);
    messages::setPresenter(previous);
    QCOMPARE(texts.size(), 2);
    QVERIFY(!progressOverMessage);
}

void TestStatisticsWindow::planFollowsTheGridAndItsRule()
{
    QFETCH(int, kind);
    FIXTURE(s, DbKind(kind), setup);
    s.db->exec(QStringLiteral("update counter set statictime=?"), {QDateTime(QDate(2005, 2, 1), QTime(8, 0, 0))});
    MessageRecorder shown;
    finance::TF_caiwu window(*s.dm);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(window.Edit1->text(), finance::TF_caiwu::workstationTime(QDateTime(QDate(2005, 2, 1), QTime(8, 0, 0))));
    QTest::mouseClick(window.bt_calculate, Qt::LeftButton);
    shown.clear();

    const auto planOf = [&](const char *year, const char *department) {
        return s.db->scalar(QStringLiteral("select expect from statistic where year=? and department=?"),
                            {QString::fromUtf8(year), QString::fromUtf8(department)});
    };

    // The earlier plan shows on a click of its row.
    int row = gridRowOf(window.DBGrid1, QStringLiteral("2004"), QStringLiteral("船务科"));
    QVERIFY(row >= 0);
    clickGridRow(window.DBGrid1, row);
    QVERIFY(window.DBEdit1->isEnabled());
    QVERIFY(window.Button1->isEnabled());
    QCOMPARE(window.DBEdit1->text(), QStringLiteral("5000.00"));
    // The grid shows each row's plan beside it, with two decimals.
    QCOMPARE(window.DBGrid1->model()->headerData(2, Qt::Horizontal).toString(), QStringLiteral("计划金额 (元)"));
    QCOMPARE(window.DBGrid1->model()->index(row, 2).data().toString(), QStringLiteral("5000.00"));

    row = gridRowOf(window.DBGrid1, QStringLiteral("2005"), QStringLiteral("船检科"));
    clickGridRow(window.DBGrid1, row);
    QCOMPARE(window.DBEdit1->text(), QStringLiteral("0.00"));
    QTest::keyClick(window.DBEdit1, Qt::Key_A, Qt::ControlModifier);
    typeText(window.DBEdit1, QStringLiteral("80000.05"));
    QTest::mouseClick(window.Button1, Qt::LeftButton);
    QVERIFY2(shown.all().isEmpty(), qPrintable(shown.all().join(QLatin1Char('\n'))));
    QCOMPARE(planOf("2005", "船检科").toDouble(), 80000.05);
    QCOMPARE(planOf("2004", "船务科").toDouble(), 5000.0);
    QVERIFY(!window.DBEdit1->isEnabled());
    QCOMPARE(window.DBEdit1->text(), QStringLiteral("80000.05"));
    QCOMPARE(window.DBGrid1->model()->index(row, 2).data().toString(), QStringLiteral("80000.05"));

    // Half a yuan shows as fifty fen, in the field and in the grid.
    clickGridRow(window.DBGrid1, row);
    QTest::keyClick(window.DBEdit1, Qt::Key_A, Qt::ControlModifier);
    typeText(window.DBEdit1, QStringLiteral("29000.5"));
    QTest::mouseClick(window.Button1, Qt::LeftButton);
    QCOMPARE(window.DBEdit1->text(), QStringLiteral("29000.50"));
    QCOMPARE(window.DBGrid1->model()->index(row, 2).data().toString(), QStringLiteral("29000.50"));

    // An empty entry clears the plan: none is arranged any more.
    clickGridRow(window.DBGrid1, row);
    QTest::keyClick(window.DBEdit1, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(window.DBEdit1, Qt::Key_Delete);
    QTest::mouseClick(window.Button1, Qt::LeftButton);
    QVERIFY2(shown.all().isEmpty(), qPrintable(shown.all().join(QLatin1Char('\n'))));
    QVERIFY(planOf("2005", "船检科").isNull());
    QCOMPARE(window.DBEdit1->text(), QString());
    QCOMPARE(window.DBGrid1->model()->index(row, 2).data().toString(), QString());
    QCOMPARE(planOf("2004", "船务科").toDouble(), 5000.0);

    // Stored again.
    clickGridRow(window.DBGrid1, row);
    typeText(window.DBEdit1, QStringLiteral("80000.05"));
    QTest::mouseClick(window.Button1, Qt::LeftButton);
    QCOMPARE(planOf("2005", "船检科").toDouble(), 80000.05);

    // Texts that are no plan are refused and stored nowhere.
    for (const QString &text : {QStringLiteral("-100"), QStringLiteral("12.345"), QStringLiteral("一万")}) {
        clickGridRow(window.DBGrid1, row);
        QVERIFY(window.DBEdit1->isEnabled());
        QTest::keyClick(window.DBEdit1, Qt::Key_A, Qt::ControlModifier);
        typeText(window.DBEdit1, text);
        shown.clear();
        QTest::mouseClick(window.Button1, Qt::LeftButton);
        QCOMPARE(shown.informations, QStringList{finance::kPlanRefused});
        QCOMPARE(planOf("2005", "船检科").toDouble(), 80000.05);
        QCOMPARE(window.DBEdit1->text(), text);  // left for the user to mend
    }

    // A run reads the rows anew: nothing may be saved before a row is chosen again.
    QTest::mouseClick(window.bt_calculate, Qt::LeftButton);
    QVERIFY(!window.DBEdit1->isEnabled());
    QVERIFY(!window.Button1->isEnabled());
}

void TestStatisticsWindow::opensFromTheMainWindowForTheFinanceLeader()
{
    FIXTURE(s, DbKind::SQLite, setup);
    MessageRecorder shown;
    TF_main main(*s.dm);
    struct Case
    {
        int role;
        bool offered;
    };
    for (const Case c : {Case{8, true}, Case{7, false}, Case{6, false}}) {
        CurrentUser = UserRecord{};
        CurrentUser.userName = QStringLiteral("冯科长");
        CurrentUser.typeId = c.role;
        CurrentUser.deriveFromRole();
        main.hide();
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        QCOMPARE(main.M_caiwu->isVisible(), c.offered);
        QCOMPARE(main.bt_caiwu->isVisible(), c.offered);
        if (!c.offered)
            continue;

        QString seenTitle;
        QTimer::singleShot(50, [&] {
            if (auto *w = qobject_cast<finance::TF_caiwu *>(QApplication::activeModalWidget())) {
                seenTitle = w->windowTitle();
                w->close();
            }
        });
        QTest::mouseClick(main.findChild<QToolButton *>(QStringLiteral("bt_caiwu")), Qt::LeftButton);
        QCOMPARE(seenTitle, QStringLiteral("财务科统计和计划安排"));
        QVERIFY(!main.findChild<finance::TF_caiwu *>());  // released when closed
    }
}

QTEST_MAIN(TestStatisticsWindow)
#include "tst_statistics_window.moc"
