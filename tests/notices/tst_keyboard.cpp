// The main window from the keyboard: the order Tab walks, the usual keys for
// new, save, find and refresh, and dates that fit their columns and fields.

#include "main_window_fixture.h"

#include "typing.h"

#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTableView>
#include <QtTest>

class TestKeyboard : public QObject
{
    Q_OBJECT
private slots:
    void tabOrder_data();
    void tabOrder();
    void usualKeys();
    void datesFit();
};

namespace {

// The main window's fields and buttons in the order a person reads and fills
// them; the two read-only lists are not among them.
const char *const kOrder[] = {
    "Edit_searchid",  "bt_clear",        "bt_search",        "DBGrid_notice",     "dbedit_date",   "DBEdit_ID",
    "DBEdit_dept",    "DBEdit_shipname", "DBcb_checktype",   "DBCb_checkcontent", "DBCb_company",  "dbck_dengji",
    "dbck_peixun",    "dbck_gongbenfei", "dbck_neibuziliao", "DBedit_money",      "bt_totalmoney", "DBgrid_item",
    "DBEdit_handler", "bt_new",          "bt_save",          "bt_print",          "bt_modify",     "bt_del",
    "DBCb_leader",    "Edit_leadernow",  "DBMemo_badcheck",  "bt_checknow",       "bt_badchecknow"};

// The object name of the control that has the focus (an editable drop-down's
// line edit stands for the drop-down).
QString focusName()
{
    QWidget *w = QApplication::focusWidget();
    if (!w)
        return QStringLiteral("<none>");
    if (w->objectName().isEmpty() && qobject_cast<QComboBox *>(w->parentWidget()))
        w = w->parentWidget();
    return w->objectName();
}

}  // namespace

void TestKeyboard::tabOrder_data()
{
    QTest::addColumn<QString>("login");
    QTest::addColumn<QString>("setup");
    // A ship affairs clerk creating a notice; a ship inspection leader with a
    // notice of the list in front of him (fields for review and handling).
    QTest::newRow("clerk creating") << "cw"
                                    << "new";
    QTest::newRow("leader reviewing") << "cjld"
                                      << "select";
    QTest::newRow("resting") << "cwk"
                             << "";
}

void TestKeyboard::tabOrder()
{
    QFETCH(QString, login);
    QFETCH(QString, setup);
    REQUIRE_DATABASE(MainWindowFixture::defaultKind());
    MainWindowFixture f;
    QVERIFY(f.valid());
    f.addNotices();
    f.login(login);
    if (setup == QLatin1String("new")) {
        QTest::mouseClick(f.button("bt_new"), Qt::LeftButton);
    } else if (setup == QLatin1String("select")) {
        f.window->findChild<QWidget *>(QStringLiteral("bt_nochecked"))->setFocus();
        QTest::mouseClick(f.window->findChild<QWidget *>(QStringLiteral("bt_nochecked")), Qt::LeftButton);
        QVERIFY(!f.listedIds().isEmpty());
        f.clickRow(0);
    }
    QVERIFY(f.shown.all().isEmpty());

    QStringList expected;
    for (const char *name : kOrder) {
        auto *w = f.child<QWidget>(name);
        QVERIFY2(w, name);
        if (w->isEnabled() && w->isVisibleTo(f.window.get()))
            expected << QString::fromLatin1(name);
    }
    QVERIFY(expected.size() >= 3);

    // Start on the first control that takes the focus and press Tab round the
    // window once; Shift+Tab walks the same way back.
    f.child<QWidget>(qPrintable(expected.first()))->setFocus(Qt::TabFocusReason);
    QStringList walked{focusName()};
    for (qsizetype i = 1; i <= expected.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        walked << focusName();
    }
    QCOMPARE(walked, expected + QStringList{expected.first()});

    QStringList back{focusName()};
    for (qsizetype i = 1; i <= expected.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
        back << focusName();
    }
    QStringList reversed(expected.crbegin(), expected.crend());
    QCOMPARE(back, QStringList{expected.first()} + reversed);
}

void TestKeyboard::usualKeys()
{
    REQUIRE_DATABASE(MainWindowFixture::defaultKind());
    MainWindowFixture f;
    QVERIFY(f.valid());
    f.addNotices();
    f.login(QStringLiteral("cjld"));

    // Ctrl+N creates a notice as 新建 does; Ctrl+S stores it.
    // (A button's key presses it as a click would, after a short flash.)
    f.child<QWidget>("Edit_searchid")->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_N, Qt::ControlModifier);
    QTRY_COMPARE(f.listedIds(), QStringList{"1000041"});
    QVERIFY(f.shown.all().isEmpty());
    QVERIFY(f.button("bt_save")->isEnabled());
    auto *ship = f.child<QLineEdit>("DBEdit_shipname");
    ship->setFocus();
    typeText(ship, QStringLiteral("浙海渔1号"));
    QTest::keyClick(ship, Qt::Key_S, Qt::ControlModifier);
    QTRY_VERIFY(!f.button("bt_save")->isEnabled());
    QVERIFY2(f.shown.all().isEmpty(), qPrintable(f.shown.all().join('\n')));
    QCOMPARE(f.db->scalar(QStringLiteral("select shipname from notice where ID='1000041'")).toString(),
             QStringLiteral("浙海渔1号"));

    // Ctrl+F puts the cursor into the search field, its text selected.
    auto *search = f.child<QLineEdit>("Edit_searchid");
    search->setText(QStringLiteral("1000001"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F, Qt::ControlModifier);
    QCOMPARE(QApplication::focusWidget(), search);
    QCOMPARE(search->selectedText(), QStringLiteral("1000001"));

    // F5 repeats the list: a notice stored meanwhile by another workstation appears.
    QTest::mouseClick(f.window->findChild<QWidget *>(QStringLiteral("bt_nochecked")), Qt::LeftButton);
    const QStringList before = f.listedIds();
    f.db->exec(QStringLiteral("update notice set status=1 where ID='1000003'"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F5);
    const QStringList after = f.listedIds();
    QVERIFY2(!before.contains(QStringLiteral("1000003")), qPrintable(before.join(',')));
    QVERIFY2(after.contains(QStringLiteral("1000003")), qPrintable(after.join(',')));
}

void TestKeyboard::datesFit()
{
    REQUIRE_DATABASE(MainWindowFixture::defaultKind());
    MainWindowFixture f;
    QVERIFY(f.valid());
    f.addNotices();
    // Times with two-digit days, months and hours, the widest the format gives.
    f.db->exec(QStringLiteral("update notice set Rdate='2026-12-28 23:58:59' where ID='1000001'"));
    f.login(QStringLiteral("cjld"));
    QTest::mouseClick(f.window->findChild<QWidget *>(QStringLiteral("bt_nochecked")), Qt::LeftButton);
    QVERIFY(f.listedIds().contains(QStringLiteral("1000001")));

    auto *grid = f.window->DBGrid_notice;
    const int dateColumn = 2;
    QCOMPARE(grid->model()->headerData(dateColumn, Qt::Horizontal).toString(), QStringLiteral("日期和时间"));
    const QString shown = grid->model()->index(f.rowOf(QStringLiteral("1000001")), dateColumn).data().toString();
    // The seconds are shown, and the text is not cut by the column.
    QVERIFY2(shown.contains(QStringLiteral("58:59")), qPrintable(shown));
    QVERIFY2(grid->fontMetrics().horizontalAdvance(shown) + 8 <= grid->columnWidth(dateColumn),
             qPrintable(QStringLiteral("%1 in %2 px").arg(shown).arg(grid->columnWidth(dateColumn))));
    // The whole list fits in the window without a horizontal scroll bar.
    QVERIFY(grid->horizontalHeader()->length() <= grid->viewport()->width());

    f.clickRow(f.rowOf(QStringLiteral("1000001")));
    auto *date = f.child<QLineEdit>("dbedit_date");
    QCOMPARE(date->text(), shown);
    QVERIFY2(date->fontMetrics().horizontalAdvance(date->text()) + 8 <= date->width(),
             qPrintable(QStringLiteral("%1 in %2 px").arg(date->text()).arg(date->width())));
}

QTEST_MAIN(TestKeyboard)
#include "tst_keyboard.moc"
