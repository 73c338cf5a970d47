// The bill window as its users meet it: opened per section, issuing with the
// counter's number or a typed one, refusals that write nothing, a number
// taken by another workstation, voiding, the searches, and the main window
// opening it and showing the notices as the bills left them.

#include "bill_fixture.h"
#include "main_window_fixture.h"
#include "notice_row.h"
#include "typing.h"

#include "db/db_error.h"
#include "db/named_query.h"
#include "db/row_set_model.h"
#include "finance/bill_operations.h"
#include "finance/bill_window.h"
#include "finance/notice_history_window.h"
#include "finance/void_dialog.h"

#include <QLabel>
#include <QLineEdit>
#include <QSqlError>
#include <QSqlQuery>
#include <QTableView>
#include <QTimer>
#include <QtTest>

using namespace finance;

namespace {

const QString kShip = QStringLiteral("船务科");
const QString kInsp = QStringLiteral("船检科");

QStringList idsOf(QTableView *grid, int column = 0)
{
    QAbstractItemModel *model = grid->model();
    while (model->canFetchMore({}))
        model->fetchMore({});
    QStringList ids;
    for (int row = 0; row < model->rowCount(); ++row)
        ids << model->index(row, column).data().toString();
    return ids;
}

void clickRow(QTableView *grid, const QString &id, int column = 0)
{
    const int row = int(idsOf(grid, column).indexOf(id));
    QVERIFY2(row >= 0, qPrintable(id));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(grid->model()->index(row, 0)).center());
}

void click(QPushButton *button)
{
    QVERIFY(button->isEnabled());
    QTest::mouseClick(button, Qt::LeftButton);
}

void retype(QLineEdit *edit, const QString &text)
{
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    typeText(edit, text);
}

// Answers the void confirmation when it opens, as the user does: reads what
// it asks, types the reason and clicks 作废 (or 取消). The question, and
// whether 作废 was on before the reason was typed, are kept for the test.
struct VoidAnswer
{
    QString question;
    bool offeredWithoutReason = true;
    bool seen = false;
    void give(const QString &reason, bool confirm = true)
    {
        QTimer::singleShot(0, [this, reason, confirm] {
            auto *dialog = qobject_cast<TF_zuofei *>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            seen = true;
            question = dialog->Label_bill->text();
            offeredWithoutReason = dialog->bt_void->isEnabled();
            typeText(dialog->Edit_reason, reason);
            QTest::mouseClick(confirm ? dialog->bt_void : dialog->bt_cancel, Qt::LeftButton);
            if (dialog->isVisible())  // 作废 stayed off: the user gives up
                dialog->reject();
        });
    }
};

// The fixture's notices, three more printed ship affairs notices and an
// issued ship affairs bill; the counter at 100.
struct BillWindowFixture : MainWindowFixture
{
    BillWindowFixture()
    {
        if (!valid())
            return;
        addNotices();
        addNotice(*db, QStringLiteral("0000021"), 3, kShip, {}, 0.3);
        addNotice(*db, QStringLiteral("0000022"), 3, kShip, {}, 0.2);
        addNotice(*db, QStringLiteral("0000023"), 3, kShip, {}, 0.1);
        addNotice(*db, QStringLiteral("0000024"), 5, kShip, QStringLiteral("0000077"), 0.4);
        db->exec(QStringLiteral("update counter set billcode=100"));
    }
    // Logs in and opens the bill window as the main window would, but not modally.
    TF_cjkpj *open(const QString &nickname)
    {
        login(nickname);
        bills = std::make_unique<TF_cjkpj>(*dm, window.get());
        bills->show();
        // Active, as in use: the grid that gets the focus marks a row by itself.
        bills->activateWindow();
        if (!QTest::qWaitForWindowActive(bills.get()))
            qWarning("the bill window did not become active");
        return bills.get();
    }
    std::unique_ptr<TF_cjkpj> bills;
};

}  // namespace

class TestBillWindow : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { REQUIRE_DATABASE(MainWindowFixture::defaultKind()); }
    void openingState_data();
    void openingState();
    void twoBillsInARow();
    void typedHigherNumber();
    void refusedNumbers_data();
    void refusedNumbers();
    void numberTakenByAnotherWorkstation();
    void rowHeldByAnotherWorkstation();
    void voidAndFindVoided();
    void searches_data();
    void searches();
    void voidRefusedWhenCounted();
    void voidAsksForTheBillAndAReason();
    void voidCountedWhileAsking();
    void skippedNumbersOfTheYear();
    void amountsWithTwoDecimals();
    void openedFromMainWindow();
    void longListReadByPages();
    void tabOrder();
};

void TestBillWindow::openingState_data()
{
    QTest::addColumn<QString>("nickname");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QStringList>("listed");
    QTest::newRow("ship affairs clerk with the right")
        << "cwsh"
        << "船务科票据管理" << QStringList{"0000023", "0000022", "0000021", "0000013"};
    QTest::newRow("ship affairs leader") << "cwld"
                                         << "船务科票据管理" << QStringList{"0000023", "0000022", "0000021", "0000013"};
    QTest::newRow("ship inspection clerk with the right") << "cjsh"
                                                          << "船检科票据管理" << QStringList{"1000003"};
    QTest::newRow("without the bill right") << "cw"
                                            << "票据管理" << QStringList{};
    QTest::newRow("not of a section") << "other"
                                      << "票据管理" << QStringList{};
}

void TestBillWindow::openingState()
{
    QFETCH(QString, nickname);
    QFETCH(QString, title);
    QFETCH(QStringList, listed);
    BillWindowFixture f;
    TF_cjkpj *w = f.open(nickname);
    QCOMPARE(w->windowTitle(), title);
    QCOMPARE(idsOf(w->findChild<QTableView *>("DBGrid1")), listed);
    // The lower areas are empty until searched: no abnormal notice of any
    // section shows up among the bills.
    QCOMPARE(idsOf(w->findChild<QTableView *>("DBGrid2")), QStringList());
    QCOMPARE(idsOf(w->findChild<QTableView *>("DBGrid3")), QStringList());
    QCOMPARE(w->findChild<QLineEdit *>("Edit1")->text(), QStringLiteral("0000100"));
    QVERIFY(w->findChild<QLineEdit *>("Edit1")->isReadOnly());
    QCOMPARE(w->findChild<QLineEdit *>("Edit2")->text(), QStringLiteral("0000100"));
    QVERIFY(!w->findChild<QPushButton *>("Button1")->isEnabled());
    QVERIFY(!w->findChild<QPushButton *>("button3")->isEnabled());
    for (const char *field : {"Edit2", "Edit3", "Edit4", "Edit5", "Edit6"})
        QCOMPARE(w->findChild<QLineEdit *>(field)->maxLength(), 7);
    if (listed.isEmpty()) {
        // A search lists nothing without the right either.
        typeText(w->findChild<QLineEdit *>("Edit5"), QStringLiteral("00"));
        click(w->findChild<QPushButton *>("Button8"));
        QCOMPARE(idsOf(w->findChild<QTableView *>("DBGrid1")), QStringList());
    }
}

void TestBillWindow::twoBillsInARow()
{
    BillWindowFixture f;
    TF_cjkpj *w = f.open(QStringLiteral("cwsh"));
    for (const auto &[id, number] : {std::pair{"0000021", "0000100"}, std::pair{"0000013", "0000101"}}) {
        clickRow(w->DBGrid1, QString::fromLatin1(id));
        QCOMPARE(w->Edit1->text(), QString::fromLatin1(number));
        QCOMPARE(w->Edit2->text(), QString::fromLatin1(number));
        click(w->Button1);
        QCOMPARE(storedNotice(*f.db, QString::fromLatin1(id)), QStringLiteral("5 %1 1").arg(number));
        // The next bill needs a new click, which shows the advanced counter.
        QVERIFY(w->Edit2->text().isEmpty());
        QVERIFY(!w->Button1->isEnabled());
        QVERIFY(!idsOf(w->DBGrid1).contains(QString::fromLatin1(id)));
    }
    QCOMPARE(storedCounter(*f.db), 102);
    QVERIFY(f.shown.all().isEmpty());
}

void TestBillWindow::typedHigherNumber()
{
    BillWindowFixture f;
    TF_cjkpj *w = f.open(QStringLiteral("cwld"));
    clickRow(w->DBGrid1, QStringLiteral("0000022"));
    retype(w->Edit2, QStringLiteral("0000120"));
    click(w->Button1);
    QCOMPARE(storedNotice(*f.db, QStringLiteral("0000022")), QStringLiteral("5 0000120 1"));
    QCOMPARE(storedCounter(*f.db), 121);
    clickRow(w->DBGrid1, QStringLiteral("0000023"));
    QCOMPARE(w->Edit2->text(), QStringLiteral("0000121"));
}

void TestBillWindow::refusedNumbers_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("buttonStaysEnabled");
    QTest::newRow("lower than the smallest usable") << "0000099" << kBillBelowStart << false;
    QTest::newRow("not a number") << "12a4" << kBillNotANumber << true;
    QTest::newRow("empty") << "" << kBillNotANumber << true;
}

void TestBillWindow::refusedNumbers()
{
    QFETCH(QString, typed);
    QFETCH(QString, message);
    QFETCH(bool, buttonStaysEnabled);
    BillWindowFixture f;
    TF_cjkpj *w = f.open(QStringLiteral("cwsh"));
    clickRow(w->DBGrid1, QStringLiteral("0000021"));
    retype(w->Edit2, typed);
    click(w->Button1);
    QCOMPARE(f.shown.informations, QStringList{message});
    QVERIFY(f.shown.errors.isEmpty());
    QCOMPARE(storedNotice(*f.db, QStringLiteral("0000021")), QStringLiteral("3  0"));
    QCOMPARE(storedCounter(*f.db), 100);
    QCOMPARE(w->Button1->isEnabled(), buttonStaysEnabled);
    QVERIFY(idsOf(w->DBGrid1).contains(QStringLiteral("0000021")));
}

void TestBillWindow::numberTakenByAnotherWorkstation()
{
    BillWindowFixture f;
    TF_cjkpj *w = f.open(QStringLiteral("cwsh"));
    clickRow(w->DBGrid1, QStringLiteral("0000021"));
    QCOMPARE(w->Edit2->text(), QStringLiteral("0000100"));

    // The ship inspection section's workstation issues 0000100 in between.
    issueBill(f.db->connection(QStringLiteral("other workstation")), billManager(kInsp),
              {QStringLiteral("1000003"), 0, 100, QStringLiteral("0000100")});
    click(w->Button1);
    QCOMPARE(f.shown.informations.size(), 1);
    QVERIFY2(f.shown.informations[0].contains(QStringLiteral("0000100"))
                 && f.shown.informations[0].contains(QStringLiteral("0000101")),
             qPrintable(f.shown.informations[0]));
    QCOMPARE(w->Edit1->text(), QStringLiteral("0000101"));
    QCOMPARE(w->Edit2->text(), QStringLiteral("0000101"));
    QCOMPARE(storedNotice(*f.db, QStringLiteral("0000021")), QStringLiteral("3  0"));
    QCOMPARE(storedCounter(*f.db), 101);

    // With the next form in the printer, the user bills it again.
    clickRow(w->DBGrid1, QStringLiteral("0000021"));
    click(w->Button1);
    QCOMPARE(storedNotice(*f.db, QStringLiteral("0000021")), QStringLiteral("5 0000101 1"));
}

// A notice held by another workstation longer than the lock wait is a
// refusal the user waits out, told as information; nothing is billed.
void TestBillWindow::rowHeldByAnotherWorkstation()
{
    BillWindowFixture f;
    TF_cjkpj *w = f.open(QStringLiteral("cwsh"));
    clickRow(w->DBGrid1, QStringLiteral("0000021"));

    QSqlDatabase other = f.db->connection(QStringLiteral("other workstation"));
    QSqlQuery hold(other);
    if (f.db->settings().kind() == DbKind::SQLite) {
        QVERIFY2(hold.exec(QStringLiteral("begin immediate")), qPrintable(hold.lastError().text()));
    } else {
        QVERIFY(other.transaction());
        QVERIFY2(hold.exec(QStringLiteral("select ID from notice where ID='0000021' for update")),
                 qPrintable(hold.lastError().text()));
    }
    click(w->Button1);
    QVERIFY(f.shown.errors.isEmpty());
    QCOMPARE(f.shown.informations, QStringList{RowInUse::text()});
    hold.finish();
    if (f.db->settings().kind() == DbKind::SQLite)
        QVERIFY(hold.exec(QStringLiteral("rollback")));
    else
        QVERIFY(other.rollback());
    QCOMPARE(storedNotice(*f.db, QStringLiteral("0000021")), QStringLiteral("3  0"));
    QCOMPARE(storedCounter(*f.db), 100);
}

void TestBillWindow::voidAndFindVoided()
{
    BillWindowFixture f;
    TF_cjkpj *w = f.open(QStringLiteral("cwsh"));
    clickRow(w->DBGrid1, QStringLiteral("0000021"));
    click(w->Button1);

    click(w->Button2);  // every issued bill of the section
    QCOMPARE(idsOf(w->DBGrid2, 1), (QStringList{"0000021", "0000024", "0000014"}));
    // A bill without a number cannot be voided.
    clickRow(w->DBGrid2, QStringLiteral("0000014"), 1);
    QVERIFY(!w->button3->isEnabled());
    clickRow(w->DBGrid2, QStringLiteral("0000021"), 1);
    VoidAnswer answer;
    answer.give(QStringLiteral("缴费单位填错"));
    click(w->button3);
    QVERIFY(answer.seen);
    QCOMPARE(storedNotice(*f.db, QStringLiteral("0000021")), QStringLiteral("-2 0000100 2"));
    QVERIFY(!w->button3->isEnabled());
    QCOMPARE(idsOf(w->DBGrid2, 1), (QStringList{"0000024", "0000014"}));

    typeText(w->Edit4, QStringLiteral("21"));
    click(w->Button5);
    QCOMPARE(idsOf(w->DBGrid3, 1), QStringList{"0000021"});
    click(w->Button7);
    QVERIFY(w->Edit4->text().isEmpty());
    typeText(w->Edit6, QStringLiteral("0000100"));
    click(w->Button10);
    QCOMPARE(idsOf(w->DBGrid3, 0), QStringList{"0000100"});
    QCOMPARE(storedCounter(*f.db), 101);  // the voided number is not given out again
}

void TestBillWindow::searches_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("grid");
    QTest::addColumn<int>("idColumn");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("found");
    const QStringList unbilled{"0000023", "0000022", "0000021", "0000013"};
    QTest::newRow("not billed, empty") << "Edit5"
                                       << "Button8"
                                       << "DBGrid1" << 0 << "" << unbilled;
    QTest::newRow("not billed, part") << "Edit5"
                                      << "Button8"
                                      << "DBGrid1" << 0 << "02" << QStringList{"0000023", "0000022", "0000021"};
    QTest::newRow("not billed, whole") << "Edit5"
                                       << "Button8"
                                       << "DBGrid1" << 0 << "0000013" << QStringList{"0000013"};
    QTest::newRow("not billed, %") << "Edit5"
                                   << "Button8"
                                   << "DBGrid1" << 0 << "%" << QStringList{};
    QTest::newRow("not billed, _") << "Edit5"
                                   << "Button8"
                                   << "DBGrid1" << 0 << "0_" << QStringList{};
    QTest::newRow("issued, empty") << "Edit3"
                                   << "Button2"
                                   << "DBGrid2" << 1 << "" << QStringList{"0000024", "0000014"};
    QTest::newRow("issued, part") << "Edit3"
                                  << "Button2"
                                  << "DBGrid2" << 1 << "77" << QStringList{"0000024"};
    QTest::newRow("issued, %") << "Edit3"
                               << "Button2"
                               << "DBGrid2" << 1 << "%" << QStringList{};
    QTest::newRow("voided, empty") << "Edit4"
                                   << "Button5"
                                   << "DBGrid3" << 1 << "" << QStringList{};
}

void TestBillWindow::searches()
{
    QFETCH(QString, field);
    QFETCH(QString, button);
    QFETCH(QString, grid);
    QFETCH(int, idColumn);
    QFETCH(QString, text);
    QFETCH(QStringList, found);
    BillWindowFixture f;
    TF_cjkpj *w = f.open(QStringLiteral("cwsh"));
    typeText(w->findChild<QLineEdit *>(field), text);
    click(w->findChild<QPushButton *>(button));
    QCOMPARE(idsOf(w->findChild<QTableView *>(grid), idColumn), found);
    QVERIFY(f.shown.all().isEmpty());
}

void TestBillWindow::voidRefusedWhenCounted()
{
    BillWindowFixture f;
    TF_cjkpj *w = f.open(QStringLiteral("cwsh"));
    click(w->Button2);
    clickRow(w->DBGrid2, QStringLiteral("0000024"), 1);
    // The finance leader's statistics run counts it in the meantime.
    f.db->exec(QStringLiteral("update notice set status=6 where ID='0000024'"));
    click(w->button3);
    QCOMPARE(f.shown.informations, QStringList{kVoidCounted});
    QCOMPARE(storedNotice(*f.db, QStringLiteral("0000024")), QStringLiteral("6 0000077 0"));
    QCOMPARE(idsOf(w->DBGrid2, 1), QStringList{"0000014"});
}

// 作废 names what is lost and takes a reason: without one nothing can be
// voided, 取消 changes nothing, and the reason given is what the notice's
// history window shows afterwards.
void TestBillWindow::voidAsksForTheBillAndAReason()
{
    BillWindowFixture f;
    TF_cjkpj *w = f.open(QStringLiteral("cwsh"));
    click(w->Button2);
    clickRow(w->DBGrid2, QStringLiteral("0000077"), 0);

    VoidAnswer blank;
    blank.give(QStringLiteral("   "));
    click(w->button3);
    QVERIFY(blank.seen);
    QVERIFY(!blank.offeredWithoutReason);
    QCOMPARE(blank.question, QStringLiteral("确定作废票据号 0000077 吗？\n通知单：0000024    缴费船只：船024\n"
                                            "金额：250.50 元\n作废后该票据号不再使用，且不能恢复。"));
    QCOMPARE(storedNotice(*f.db, QStringLiteral("0000024")), QStringLiteral("5 0000077 0"));

    VoidAnswer cancelled;
    cancelled.give(QStringLiteral("填错了"), false);
    click(w->button3);  // still on: the bill is still chosen
    QVERIFY(cancelled.seen);
    QCOMPARE(storedNotice(*f.db, QStringLiteral("0000024")), QStringLiteral("5 0000077 0"));

    VoidAnswer given;
    given.give(QStringLiteral("缴费单位填错，重新开票"));
    click(w->button3);
    QVERIFY(given.seen);
    QCOMPARE(storedNotice(*f.db, QStringLiteral("0000024")), QStringLiteral("-2 0000077 1"));
    QVERIFY(f.shown.all().isEmpty());
    QCOMPARE(idsOf(w->DBGrid2, 1), QStringList{"0000014"});

    TF_history history(*f.dm, QStringLiteral("0000024"));
    const QAbstractItemModel *rows = history.DBGrid_history->model();
    QCOMPARE(rows->rowCount(), 1);
    QCOMPARE(rows->index(0, 3).data().toString(), QStringLiteral("作废"));
    QCOMPARE(rows->index(0, 6).data().toString(),
             QStringLiteral("票据号 0000077，金额 250.50；理由：缴费单位填错，重新开票"));
}

// The statistics run counts the bill while the user types the reason: the
// void is refused as before, and nothing is recorded.
void TestBillWindow::voidCountedWhileAsking()
{
    BillWindowFixture f;
    TF_cjkpj *w = f.open(QStringLiteral("cwsh"));
    click(w->Button2);
    clickRow(w->DBGrid2, QStringLiteral("0000024"), 1);
    QTimer::singleShot(
        0, [&f] { f.db->exec(QStringLiteral("update notice set status=6, revision=revision+1 where ID='0000024'")); });
    VoidAnswer answer;
    answer.give(QStringLiteral("重复开票"));
    click(w->button3);
    QVERIFY(answer.seen);
    QCOMPARE(f.shown.informations, QStringList{kVoidCounted});
    QCOMPARE(storedNotice(*f.db, QStringLiteral("0000024")), QStringLiteral("6 0000077 1"));
    QCOMPARE(f.db->scalar(QStringLiteral("select count(*) from notice_history")).toInt(), 0);
}

// The count of the numbers this year skipped, and how a number typed above
// the proposed one raises it.
void TestBillWindow::skippedNumbersOfTheYear()
{
    BillWindowFixture f;
    TF_cjkpj *w = f.open(QStringLiteral("cwsh"));
    auto *label = w->findChild<QLabel *>(QStringLiteral("Label_skipped"));
    QVERIFY(label);
    // This year's only bill so far is 0000077 and the counter stands at 100:
    // 0000078 to 0000099 were passed over.
    QCOMPARE(label->text(), QStringLiteral("本年缺号：22 个"));
    clickRow(w->DBGrid1, QStringLiteral("0000021"));
    retype(w->Edit2, QStringLiteral("0000105"));
    click(w->Button1);
    QCOMPARE(storedNotice(*f.db, QStringLiteral("0000021")), QStringLiteral("5 0000105 1"));
    QCOMPARE(label->text(), QStringLiteral("本年缺号：27 个"));
    clickRow(w->DBGrid1, QStringLiteral("0000022"));
    click(w->Button1);  // the proposed number skips nothing
    QCOMPARE(label->text(), QStringLiteral("本年缺号：27 个"));
}

void TestBillWindow::amountsWithTwoDecimals()
{
    BillWindowFixture f;
    f.db->exec(QStringLiteral("update notice set money=135 where ID='0000022'"));
    f.db->exec(QStringLiteral("update notice set money=0.2 where ID='0000023'"));
    TF_cjkpj *w = f.open(QStringLiteral("cwsh"));
    QStringList amounts = idsOf(w->DBGrid1, 4);
    QCOMPARE(amounts, (QStringList{"0.20", "135.00", "250.50", "100.00"}));
    click(w->Button2);
    QCOMPARE(idsOf(w->DBGrid2, 5), (QStringList{"250.50", "100.00"}));
}

void TestBillWindow::openedFromMainWindow()
{
    BillWindowFixture f;
    f.login(QStringLiteral("cwsh"));
    f.action("bt_printed")->trigger();
    QVERIFY(f.listedIds().contains(QStringLiteral("0000013")));

    for (const char *opener : {"M_cjkpj", "bt_pj"}) {
        QString title;
        bool modal = false;
        // The window runs its own event loop; act in it as the user would.
        QTimer::singleShot(0, [&] {
            auto *w = qobject_cast<TF_cjkpj *>(QApplication::activeModalWidget());
            if (!w)
                return;
            title = w->windowTitle();
            modal = w->isModal();
            if (QByteArray(opener) == "bt_pj") {
                clickRow(w->DBGrid1, QStringLiteral("0000013"));
                click(w->Button1);
            }
            w->close();
        });
        f.action(opener)->trigger();
        QCOMPARE(title, QStringLiteral("船务科票据管理"));
        QVERIFY(modal);
    }
    QCOMPARE(storedNotice(*f.db, QStringLiteral("0000013")), QStringLiteral("5 0000100 1"));
    // The main window's list shows the notice as the bill left it.
    QVERIFY(!f.listedIds().contains(QStringLiteral("0000013")));
    QVERIFY(f.shown.all().isEmpty());
}

void TestBillWindow::longListReadByPages()
{
    BillWindowFixture f;
    // 150 more printed notices, three to a second: only the number orders those.
    const QDateTime start(QDate(2026, 3, 1), QTime(9, 0));
    NoticeRows notices(f.db->connection());
    for (int i = 0; i < 150; ++i) {
        notices.add(NoticeRow(QStringLiteral("00005%1").arg(i, 2, 10, QLatin1Char('0')).right(7))
                        .rdate(start.addSecs(i / 3))
                        .status(3)
                        .department(kShip)
                        .handler(QStringLiteral("经办")));
    }
    notices.finish();
    TF_cjkpj *w = f.open(QStringLiteral("cwsh"));
    QAbstractItemModel *model = w->DBGrid1->model();
    QCOMPARE(model->rowCount(), RowSetModel::kFirstRows);  // the first page only
    QVERIFY(model->canFetchMore({}));

    // Another workstation prints a notice while the user looks at the first
    // page: it is newer than every row shown, so the next pages neither
    // repeat a row nor skip one.
    addNotice(*f.db, QStringLiteral("0000031"), 3, kShip, {}, 0.05);
    const QStringList shown = idsOf(w->DBGrid1);
    QCOMPARE(QSet<QString>(shown.begin(), shown.end()).size(), shown.size());

    QSqlQuery q(f.db->connection());
    q.prepare(QStringLiteral("select ID from notice where status=3 and department=? and ID<>'0000031' "
                             "order by Rdate desc, ID desc"));
    q.addBindValue(kShip);
    QVERIFY(q.exec());
    QStringList stored;
    while (q.next())
        stored << q.value(0).toString();
    QCOMPARE(stored.size(), 154);
    QCOMPARE(shown, stored);
}

QTEST_MAIN(TestBillWindow)
// Tab walks the fields and buttons area by area, as they stand, each area's
// list before its fields, and passes over the buttons that are off.
void TestBillWindow::tabOrder()
{
    BillWindowFixture f;
    TF_cjkpj *w = f.open(QStringLiteral("cwsh"));
    w->Edit1->setFocus(Qt::TabFocusReason);
    QStringList walked{w->focusWidget()->objectName()};
    for (int i = 0; i < 16; ++i) {
        QTest::keyClick(w->focusWidget(), Qt::Key_Tab);
        walked << w->focusWidget()->objectName();
    }
    QCOMPARE(walked,
             (QStringList{"Edit1", "Edit2", "Edit5", "Button8", "Button9", "DBGrid2", "Edit3", "Button2", "button6",
                          "DBGrid3", "Edit4", "Button5", "Edit6", "Button10", "Button7", "DBGrid1", "Edit1"}));
}

#include "tst_bill_window.moc"
