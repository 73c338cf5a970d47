// Every window from the keyboard: Tab reaches each field, button and list
// that is on, each once a round, and comes back to where it started;
// Shift+Tab walks the same round backwards.

#include "main_window_fixture.h"

#include "finance/bill_window.h"
#include "finance/notice_history_window.h"
#include "finance/report_window.h"
#include "finance/statistics_window.h"
#include "masterdata/account_window.h"
#include "masterdata/catalogue_window.h"
#include "masterdata/name_list_window.h"
#include "masterdata/name_lists.h"
#include "notices/deleted_notices_window.h"
#include "session/password_window.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QtTest>
#include <functional>
#include <memory>

namespace {

using WindowMaker = std::function<std::unique_ptr<QWidget>(MainWindowFixture &)>;

bool readOnlyList(const QWidget *w)
{
    const auto *view = qobject_cast<const QAbstractItemView *>(w);
    return view && view->editTriggers() == QAbstractItemView::NoEditTriggers && !qobject_cast<const QListWidget *>(w)
           && !qobject_cast<const QComboBox *>(w->parentWidget());
}

// The controls a person tabs to: fields and buttons that are on and shown,
// not the parts inside a drop-down or a spin box.
bool tabStop(const QWidget *w, const QWidget *window)
{
    if (!w->isEnabled() || !w->isVisibleTo(window) || !(w->focusPolicy() & Qt::TabFocus))
        return false;
    if (qobject_cast<const QComboBox *>(w->parentWidget()) || qobject_cast<const QAbstractSpinBox *>(w->parentWidget()))
        return false;
    return qobject_cast<const QLineEdit *>(w) || qobject_cast<const QAbstractButton *>(w)
           || qobject_cast<const QComboBox *>(w) || qobject_cast<const QAbstractSpinBox *>(w)
           || qobject_cast<const QPlainTextEdit *>(w) || qobject_cast<const QTextEdit *>(w)
           || qobject_cast<const QAbstractItemView *>(w);
}

// The control that has the focus, a drop-down or spin box standing for its line edit.
QWidget *focused(QWidget *window)
{
    QWidget *w = window->focusWidget();
    if (w && (qobject_cast<QComboBox *>(w->parentWidget()) || qobject_cast<QAbstractSpinBox *>(w->parentWidget())))
        w = w->parentWidget();
    return w;
}

QString nameOf(const QWidget *w)
{
    if (!w)
        return QStringLiteral("<none>");
    return w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className()) : w->objectName();
}

}  // namespace

class TestTabOrder : public QObject
{
    Q_OBJECT
private slots:
    void everyWindow_data();
    void everyWindow();
};

void TestTabOrder::everyWindow_data()
{
    QTest::addColumn<QString>("login");
    QTest::addColumn<WindowMaker>("make");
    const auto maker = [](auto construct) {
        return WindowMaker([construct](MainWindowFixture &f) -> std::unique_ptr<QWidget> { return construct(f); });
    };
    QTest::newRow("bills") << "cwld" << maker([](MainWindowFixture &f) {
        return std::make_unique<finance::TF_cjkpj>(*f.dm, f.window.get());
    });
    QTest::newRow("reports") << "cwk" << maker([](MainWindowFixture &f) {
        return std::make_unique<TF_report>(*f.dm, f.window.get());
    });
    QTest::newRow("statistics") << "cwkld" << maker([](MainWindowFixture &f) {
        return std::make_unique<finance::TF_caiwu>(*f.dm, f.window.get());
    });
    QTest::newRow("own account") << "cw" << maker([](MainWindowFixture &f) {
        return std::make_unique<TF_password>(*f.dm, f.window.get());
    });
    QTest::newRow("section accounts") << "cjld" << maker([](MainWindowFixture &f) {
        return std::make_unique<TF_useradmin>(*f.dm, f.window.get());
    });
    QTest::newRow("finance accounts") << "cwkld" << maker([](MainWindowFixture &f) {
        return std::make_unique<TF_money>(*f.dm, f.window.get());
    });
    QTest::newRow("inspection catalogue")
        << "cjld"
        << maker([](MainWindowFixture &f) { return std::make_unique<TF_itemmodifycj>(*f.dm, f.window.get()); });
    QTest::newRow("notice history") << "cjld" << maker([](MainWindowFixture &f) {
        return std::make_unique<TF_history>(*f.dm, QStringLiteral("1000001"), f.window.get());
    });
    QTest::newRow("deleted notices") << "cjld" << maker([](MainWindowFixture &f) {
        return std::make_unique<TF_deleted>(*f.dm, f.window.get());
    });
    QTest::newRow("companies") << "cjld" << maker([](MainWindowFixture &f) {
        return std::make_unique<TF_namelist>(*f.dm, masterdata::companyList(), f.window.get());
    });
}

void TestTabOrder::everyWindow()
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

    QList<QWidget *> stops;
    QStringList lists;
    for (QWidget *w : window->findChildren<QWidget *>()) {
        if (readOnlyList(w) && w->isEnabled() && w->isVisibleTo(window.get()) && !tabStop(w, window.get()))
            lists << nameOf(w);
        if (tabStop(w, window.get()))
            stops << w;
    }
    QVERIFY2(lists.isEmpty(), qPrintable(QStringLiteral("read-only lists Tab passes by: ") + lists.join(u' ')));
    QVERIFY(!stops.isEmpty());

    QWidget *first = stops.first();
    first->setFocus(Qt::TabFocusReason);
    QCOMPARE(focused(window.get()), first);
    QList<QWidget *> walked;
    QStringList names{nameOf(first)};
    for (qsizetype i = 0; i < stops.size(); ++i) {
        QTest::keyClick(window->focusWidget(), Qt::Key_Tab);
        walked << focused(window.get());
        names << nameOf(walked.last());
    }
    // One round: every stop once, then back at the start.
    QCOMPARE(walked.last(), first);
    for (QWidget *w : stops)
        QVERIFY2(walked.count(w) == 1, qPrintable(nameOf(w) + QStringLiteral(" in the round ") + names.join(u' ')));

    QList<QWidget *> back;
    for (qsizetype i = 0; i < stops.size(); ++i) {
        QTest::keyClick(window->focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
        back.prepend(focused(window.get()));
    }
    QList<QWidget *> expectedBack = walked.mid(0, walked.size() - 1);
    expectedBack.prepend(first);
    QCOMPARE(back, expectedBack);
}

QTEST_MAIN(TestTabOrder)
#include "tst_tab_order.moc"
