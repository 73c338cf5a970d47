// Every window of every role, as a screen reader and a keyboard user meet it:
// each control that takes the focus has a name to be spoken (without the
// access-key marks), each Alt key opens one thing in its window (and each
// menu's keys one item), and each list and grid is reached by Tab.

#include "main_window_fixture.h"

#include "config_window.h"
#include "db/named_query.h"
#include "finance/bill_window.h"
#include "finance/notice_history_window.h"
#include "finance/report_window.h"
#include "finance/statistics_window.h"
#include "finance/void_dialog.h"
#include "masterdata/account_window.h"
#include "masterdata/audit_window.h"
#include "masterdata/catalogue_window.h"
#include "masterdata/name_list_window.h"
#include "masterdata/name_lists.h"
#include "masterdata/reset_password_window.h"
#include "notices/deleted_notices_window.h"
#include "report/report_preview_dialog.h"
#include "session/login_window.h"
#include "session/password_window.h"
#include "ui/about_window.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QToolBar>
#include <QtTest>
#include <functional>
#include <memory>

namespace {

using WindowMaker = std::function<std::unique_ptr<QWidget>(MainWindowFixture &)>;

QString nameOf(const QWidget *w)
{
    return w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className()) : w->objectName();
}

// The parts a drop-down or spin box is made of speak through it.
bool partOfAnother(const QWidget *w)
{
    for (const QWidget *p = w->parentWidget(); p; p = p->parentWidget())
        if (qobject_cast<const QComboBox *>(p) || qobject_cast<const QAbstractSpinBox *>(p))
            return true;
    return false;
}

bool shown(const QWidget *w, const QWidget *window)
{
    return w->isVisibleTo(window) && !partOfAnother(w) && w->window() == window;
}

QString spokenName(QWidget *w)
{
    QAccessibleInterface *a = QAccessible::queryAccessibleInterface(w);
    return a ? a->text(QAccessible::Name) : QString();
}

// The name must be said plainly: no "(N)" left of "新建(&N)", no '&'.
bool plainlySaid(const QString &name)
{
    static const QRegularExpression keyMark(QStringLiteral("\\([0-9A-Z]\\)|&"));
    return !name.trimmed().isEmpty() && !keyMark.match(name).hasMatch();
}

QStringList unnamedControls(QWidget *window)
{
    QStringList faults;
    for (QWidget *w : window->findChildren<QWidget *>()) {
        if (!shown(w, window) || !(w->focusPolicy() & Qt::TabFocus))
            continue;
        if (qobject_cast<QAbstractScrollArea *>(w->parentWidget())
            && w == static_cast<QAbstractScrollArea *>(w->parentWidget())->viewport())
            continue;
        const QString name = spokenName(w);
        if (!plainlySaid(name))
            faults << nameOf(w) + QStringLiteral(" \"") + name + u'"';
    }
    return faults;
}

// The Alt key a caption carries, or none.
QKeySequence accessKey(const QString &caption)
{
    return QKeySequence::mnemonic(caption);
}

void collectKey(QMultiHash<QKeySequence, QString> &keys, const QString &caption, const QString &owner)
{
    const QKeySequence key = accessKey(caption);
    if (!key.isEmpty())
        keys.insert(key, owner);
}

QStringList clashes(const QMultiHash<QKeySequence, QString> &keys, const QString &where)
{
    QStringList faults;
    for (const QKeySequence &key : keys.uniqueKeys())
        if (keys.count(key) > 1)
            faults << where + u' ' + key.toString() + QStringLiteral(": ") + QStringList(keys.values(key)).join(u',');
    return faults;
}

// Window-wide keys: the menu bar's titles and every shown button, group and
// labelled field; then each menu's items among themselves.
QStringList keyClashes(QWidget *window)
{
    QMultiHash<QKeySequence, QString> windowKeys;
    QStringList faults;
    for (QWidget *w : window->findChildren<QWidget *>()) {
        if (!shown(w, window))
            continue;
        if (auto *b = qobject_cast<QAbstractButton *>(w))
            collectKey(windowKeys, b->text(), nameOf(w));
        else if (auto *g = qobject_cast<QGroupBox *>(w))
            collectKey(windowKeys, g->title(), nameOf(w));
        else if (auto *l = qobject_cast<QLabel *>(w); l && l->buddy())
            collectKey(windowKeys, l->text(), nameOf(w));
        else if (auto *bar = qobject_cast<QMenuBar *>(w)) {
            for (QAction *title : bar->actions()) {
                if (!title->isVisible() || !title->menu())
                    continue;
                collectKey(windowKeys, title->text(), title->menu()->objectName());
                QMultiHash<QKeySequence, QString> itemKeys;
                for (QAction *item : title->menu()->actions())
                    if (item->isVisible() && !item->isSeparator())
                        collectKey(itemKeys, item->text(), item->objectName());
                faults << clashes(itemKeys, title->menu()->objectName());
            }
        }
    }
    // Keys the window's actions carry themselves (the toolbar's).
    for (QAction *action : window->findChildren<QAction *>())
        if (action->isVisible() && (action->shortcut()[0].keyboardModifiers() & Qt::AltModifier))
            windowKeys.insert(action->shortcut(), action->objectName());
    faults << clashes(windowKeys, nameOf(window));
    return faults;
}

// The lists and grids that are shown and on, which Tab does not reach from
// the window's first control.
QStringList listsOutOfReach(QWidget *window)
{
    QList<QWidget *> lists;
    for (QAbstractItemView *v : window->findChildren<QAbstractItemView *>())
        if (shown(v, window) && v->isEnabled() && !qobject_cast<QHeaderView *>(v))
            lists << v;
    if (lists.isEmpty())
        return {};
    QWidget *start = nullptr;
    for (QWidget *w = window->nextInFocusChain(); w != window; w = w->nextInFocusChain())
        if (shown(w, window) && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus)) {
            start = w;
            break;
        }
    if (!start)
        return {QStringLiteral("no control takes Tab")};
    start->setFocus(Qt::TabFocusReason);
    QSet<QWidget *> reached{QApplication::focusWidget()};
    for (int i = 0; i < 200; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        reached.insert(QApplication::focusWidget());
    }
    QStringList faults;
    for (QWidget *list : std::as_const(lists))
        if (!reached.contains(list))
            faults << nameOf(list);
    return faults;
}

// Toolbar buttons the toolbar's extension hides at the window's size, whose
// actions have no key of their own: no key reaches them there.
QStringList toolbarButtonsOutOfReach(QWidget *window)
{
    QStringList faults;
    for (QToolBar *bar : window->findChildren<QToolBar *>()) {
        if (!shown(bar, window))
            continue;
        for (QAction *action : bar->actions()) {
            QWidget *button = bar->widgetForAction(action);
            if (action->isVisible() && !action->isSeparator() && button && !button->isVisible()
                && action->shortcut().isEmpty())
                faults << action->objectName();
        }
    }
    return faults;
}

void checkWindow(QWidget *window)
{
    const QStringList hidden = toolbarButtonsOutOfReach(window);
    QVERIFY2(hidden.isEmpty(), qPrintable(QStringLiteral("behind the toolbar without a key: ") + hidden.join(u' ')));
    const QStringList unnamed = unnamedControls(window);
    QVERIFY2(unnamed.isEmpty(), qPrintable(QStringLiteral("without a plain name: ") + unnamed.join(u' ')));
    const QStringList twice = keyClashes(window);
    QVERIFY2(twice.isEmpty(), qPrintable(QStringLiteral("one Alt key for two: ") + twice.join(QStringLiteral("; "))));
    const QStringList unreached = listsOutOfReach(window);
    QVERIFY2(unreached.isEmpty(), qPrintable(QStringLiteral("not reached by Tab: ") + unreached.join(u' ')));
}

}  // namespace

class TestAccessibility : public QObject
{
    Q_OBJECT
private slots:
    void mainWindow_data();
    void mainWindow();
    void otherWindows_data();
    void otherWindows();
    void loginWindow();
    void configurationWindow();
    void captionsAndNames();
    void arrowKeysChooseRows();
};

void TestAccessibility::mainWindow_data()
{
    QTest::addColumn<QString>("login");
    for (const Person &p : fixturePeople())
        QTest::newRow(qPrintable(p.nickname)) << p.nickname;
}

void TestAccessibility::mainWindow()
{
    QFETCH(QString, login);
    MainWindowFixture f;
    QVERIFY(f.valid());
    f.addNotices();
    f.login(login);
    QVERIFY(QTest::qWaitForWindowExposed(f.window.get()));
    checkWindow(f.window.get());
    if (QTest::currentTestFailed())
        return;
    // Every toolbar button has its Alt key, also one the window's first size
    // leaves behind the toolbar's extension.
    auto *toolbar = f.window->findChild<QToolBar *>(QStringLiteral("ToolBar1"));
    QVERIFY(toolbar);
    for (QAction *action : toolbar->actions())
        if (action->isVisible() && !action->isSeparator() && !action->text().isEmpty()
            && action->objectName() != QLatin1String("bt_help"))
            QVERIFY2(action->shortcut()[0].keyboardModifiers() == Qt::AltModifier, qPrintable(action->objectName()));
    // With a list open, the notice list and the lines of the chosen notice.
    QWidget *filter = f.window->findChild<QWidget *>(QStringLiteral("bt_nochecked"));
    if (filter && filter->isVisible() && filter->isEnabled()) {
        QTest::mouseClick(filter, Qt::LeftButton);
        if (!f.listedIds().isEmpty())
            f.clickRow(0);
        checkWindow(f.window.get());
    }
}

void TestAccessibility::otherWindows_data()
{
    QTest::addColumn<QString>("login");
    QTest::addColumn<WindowMaker>("make");
    const auto maker = [](auto construct) {
        return WindowMaker([construct](MainWindowFixture &f) -> std::unique_ptr<QWidget> { return construct(f); });
    };
    for (const char *login : {"cwsh", "cjld"})
        QTest::newRow(qPrintable(QStringLiteral("bills ") + QLatin1String(login)))
            << login
            << maker([](MainWindowFixture &f) { return std::make_unique<finance::TF_cjkpj>(*f.dm, f.window.get()); });
    QTest::newRow("reports") << "cwk" << maker([](MainWindowFixture &f) {
        return std::make_unique<TF_report>(*f.dm, f.window.get());
    });
    QTest::newRow("statistics") << "cwkld" << maker([](MainWindowFixture &f) {
        return std::make_unique<finance::TF_caiwu>(*f.dm, f.window.get());
    });
    QTest::newRow("void a bill") << "cwsh" << maker([](MainWindowFixture &f) {
        return std::make_unique<finance::TF_zuofei>(
            finance::VoidedBill{QStringLiteral("0000101"), QStringLiteral("0000012"), QStringLiteral("海安号"),
                                QStringLiteral("6.00")},
            f.window.get());
    });
    QTest::newRow("own account") << "cw" << maker([](MainWindowFixture &f) {
        return std::make_unique<TF_password>(*f.dm, f.window.get());
    });
    for (const char *login : {"cwld", "cjld"})
        QTest::newRow(qPrintable(QStringLiteral("section accounts ") + QLatin1String(login)))
            << login
            << maker([](MainWindowFixture &f) { return std::make_unique<TF_useradmin>(*f.dm, f.window.get()); });
    QTest::newRow("finance accounts") << "cwkld" << maker([](MainWindowFixture &f) {
        return std::make_unique<TF_money>(*f.dm, f.window.get());
    });
    QTest::newRow("reset password") << "cwld" << maker([](MainWindowFixture &f) {
        return std::make_unique<TF_resetpassword>(QStringLiteral("cw"), f.window.get());
    });
    QTest::newRow("inspection catalogue")
        << "cjld"
        << maker([](MainWindowFixture &f) { return std::make_unique<TF_itemmodifycj>(*f.dm, f.window.get()); });
    QTest::newRow("ship affairs catalogue")
        << "cwld"
        << maker([](MainWindowFixture &f) { return std::make_unique<TF_itemmodifycw>(*f.dm, f.window.get()); });
    const QList<std::pair<const char *, const masterdata::NameList &(*)()>> lists{
        {"companies", &masterdata::companyList},
        {"building types", &masterdata::buildTypeList},
        {"running types", &masterdata::runTypeList},
        {"other types", &masterdata::otherTypeList}};
    for (const auto &[row, list] : lists)
        QTest::newRow(row) << "cjld" << maker([list = list](MainWindowFixture &f) {
            return std::make_unique<TF_namelist>(*f.dm, list(), f.window.get());
        });
    QTest::newRow("trail") << "cwkld" << maker([](MainWindowFixture &f) {
        return std::make_unique<TF_audit>(*f.dm, f.window.get());
    });
    QTest::newRow("notice history") << "cjld" << maker([](MainWindowFixture &f) {
        return std::make_unique<TF_history>(*f.dm, QStringLiteral("1000001"), f.window.get());
    });
    QTest::newRow("deleted notices") << "cjld" << maker([](MainWindowFixture &f) {
        return std::make_unique<TF_deleted>(*f.dm, f.window.get());
    });
    QTest::newRow("fee lines") << "cw" << maker([](MainWindowFixture &f) {
        return std::unique_ptr<QWidget>(f.item.release());
    });
    QTest::newRow("about") << "cw" << maker([](MainWindowFixture &f) {
        auto about = std::make_unique<TF_about>(f.window.get());
        about->setAttribute(Qt::WA_DeleteOnClose, false);
        return about;
    });
    QTest::newRow("print preview") << "cw" << maker([](MainWindowFixture &f) {
        return std::make_unique<ReportPreviewDialog>(QList<PreparedReport>{}, f.window.get());
    });
}

void TestAccessibility::otherWindows()
{
    QFETCH(QString, login);
    QFETCH(WindowMaker, make);
    MainWindowFixture f;
    QVERIFY(f.valid());
    f.addNotices();
    f.login(login);
    std::unique_ptr<QWidget> window = make(f);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    checkWindow(window.get());
}

void TestAccessibility::loginWindow()
{
    MainWindowFixture f;
    QVERIFY(f.valid());
    TF_login login(*f.dm->aq_login);
    login.show();
    QVERIFY(QTest::qWaitForWindowExposed(&login));
    checkWindow(&login);
    // The fields say what they ask for, not what kind of field they are.
    QCOMPARE(spokenName(login.findChild<QWidget *>(QStringLiteral("Edit1"))), QStringLiteral("登录名"));
    QCOMPARE(spokenName(login.findChild<QWidget *>(QStringLiteral("Edit2"))), QStringLiteral("密码"));
}

void TestAccessibility::configurationWindow()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    ConfigWindow window(dir.filePath(QStringLiteral("nollard.ini")), dir.path());
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    checkWindow(&window);
}

// What a person sees and hears of a few controls: the caption with its key
// where the window shows it, the plain caption where a reader says it, and
// the key doing what the caption says.
void TestAccessibility::captionsAndNames()
{
    MainWindowFixture f;
    QVERIFY(f.valid());
    f.addNotices();
    f.login(QStringLiteral("cjld"));
    QVERIFY(QTest::qWaitForWindowExposed(f.window.get()));
    struct Seen
    {
        const char *control;
        QString caption;
        QString spoken;
    };
    const QList<Seen> table{
        {"bt_new", QStringLiteral("新建(&N)"), QStringLiteral("新建")},
        {"bt_badchecknow", QStringLiteral("驳    回(&J)"), QStringLiteral("驳回")},
        {"Label_shipname", QStringLiteral("缴费单位(个人或船只)(&U) "), {}},
        {"DBedit_money", {}, QStringLiteral("合计金额")},
        {"DBEdit_shipname", {}, QStringLiteral("缴费单位(个人或船只)")},
        {"lable_checktype", QStringLiteral("检验类型(&Y)：    "), {}},
        {"DBcb_checktype", {}, QStringLiteral("检验类型")},
        {"DBGrid_notice", {}, QStringLiteral("通知单列表")},
        {"DBgrid_item", {}, QStringLiteral("缴费项目")},
    };
    for (const Seen &s : table) {
        auto *w = f.window->findChild<QWidget *>(QLatin1String(s.control));
        QVERIFY2(w, s.control);
        if (!s.caption.isEmpty()) {
            if (auto *b = qobject_cast<QAbstractButton *>(w))
                QCOMPARE(b->text(), s.caption);
            else if (auto *l = qobject_cast<QLabel *>(w))
                QCOMPARE(l->text(), s.caption);
        }
        if (!s.spoken.isEmpty())
            QCOMPARE(spokenName(w), s.spoken);
    }
    // Alt+F goes to the search field, Ctrl+L to the notice list once a list
    // is open.
    f.window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(f.window.get()));
    QTest::keyClick(f.window.get(), Qt::Key_F, Qt::AltModifier);
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget *>(f.window->Edit_searchid));
    QTest::keyClick(f.window.get(), Qt::Key_1, Qt::AltModifier);  // 未审核
    QVERIFY(!f.listedIds().isEmpty());
    QTest::keyClick(f.window.get(), Qt::Key_L, Qt::ControlModifier);
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget *>(f.window->DBGrid_notice));
}

// The arrow keys choose a row as a click does: the fields show it and the
// buttons that depend on it follow.
void TestAccessibility::arrowKeysChooseRows()
{
    MainWindowFixture f;
    QVERIFY(f.valid());
    f.addNotices();
    f.login(QStringLiteral("cjld"));
    QVERIFY(QTest::qWaitForWindowExposed(f.window.get()));
    QTest::mouseClick(f.window->findChild<QWidget *>(QStringLiteral("bt_nochecked")), Qt::LeftButton);
    const QStringList ids = f.listedIds();
    QVERIFY(ids.size() >= 2);
    f.clickRow(0);
    QCOMPARE(f.window->DBEdit_ID->text(), ids.at(0));
    f.window->DBGrid_notice->setFocus(Qt::TabFocusReason);
    QTest::keyClick(f.window->DBGrid_notice, Qt::Key_Down);
    QCOMPARE(f.window->DBEdit_ID->text(), ids.at(1));
    QCOMPARE(f.dm->aq_notice->currentRow(), 1);
    QTest::keyClick(f.window->DBGrid_notice, Qt::Key_Up);
    QCOMPARE(f.window->DBEdit_ID->text(), ids.at(0));

    // A master data list: the account reached by the keys may be deleted.
    TF_useradmin accounts(*f.dm, f.window.get());
    accounts.show();
    QVERIFY(QTest::qWaitForWindowExposed(&accounts));
    auto *grid = accounts.findChild<QAbstractItemView *>(QStringLiteral("DBGrid_useradmin"));
    auto *del = accounts.findChild<QPushButton *>(QStringLiteral("bt_del"));
    QVERIFY(grid && del);
    QVERIFY(grid->model()->rowCount() >= 2);
    QVERIFY(!del->isEnabled());
    grid->setFocus(Qt::TabFocusReason);
    QTest::keyClick(grid, Qt::Key_Down);
    QVERIFY(del->isEnabled());
}

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
