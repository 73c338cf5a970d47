// The report window driven as a clerk drives it: clicks in the grid and the
// list, typed bill numbers, the buttons; what it tells the user and what it
// hands to the preview, in order.

#include "report_fixture.h"
#include "typing.h"

#include "app/current_user.h"
#include "app/messages.h"
#include "finance/ledger_report.h"
#include "finance/report_window.h"
#include "report/report_preview.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableView>
#include <QtTest>

class TestReportWindow : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void opening_data() { addKindRows(); }
    void opening();
    void progressButtons();
    void inspectionButton();
    void billNumberFields();
    void selfNumbersRefusedNotCut();
    void ledger_data();
    void ledger();

private:
    struct Open
    {
        std::unique_ptr<ReportFixture> fixture;
        std::unique_ptr<TF_report> window;
        template <typename T>
        T *child(const char *name) const
        {
            return window->findChild<T *>(QLatin1String(name));
        }
        QPushButton *button(const char *name) const { return child<QPushButton>(name); }
    };
    Open open(DbKind kind = DbKind::SQLite);
    void clickGridRowOf(const Open &w, const QString &year, const QString &department);

    // What the user saw, in order: "message:<text>", "error:<text>",
    // "preview:<template base names>".
    QStringList m_events;
    QList<PreparedReport> m_shown;
    messages::Presenter m_previousPresenter;
};

void TestReportWindow::init()
{
    m_events.clear();
    m_shown.clear();
    m_previousPresenter = messages::setPresenter([this](messages::Kind kind, const QString &text) {
        m_events << (kind == messages::Kind::Error ? QStringLiteral("error:") : QStringLiteral("message:")) + text;
    });
    ReportPreview::setHook([this](const QList<PreparedReport> &reports) {
        QStringList names;
        for (const PreparedReport &r : reports)
            names << QFileInfo(r.templatePath).completeBaseName();
        m_events << QStringLiteral("preview:") + names.join(u'+');
        m_shown += reports;
    });
}

void TestReportWindow::cleanup()
{
    ReportPreview::setHook({});
    messages::setPresenter(std::move(m_previousPresenter));
}

TestReportWindow::Open TestReportWindow::open(DbKind kind)
{
    Open w;
    w.fixture = ReportFixture::create(kind);
    if (!w.fixture)
        return w;
    w.window = std::make_unique<TF_report>(*w.fixture->dm);
    w.window->show();
    if (!QTest::qWaitForWindowExposed(w.window.get()))
        w.window.reset();
    return w;
}

void TestReportWindow::clickGridRowOf(const Open &w, const QString &year, const QString &department)
{
    auto *grid = w.child<QTableView>("DBGrid1");
    const QAbstractItemModel *model = grid->model();
    for (int row = 0; row < model->rowCount(); ++row) {
        if (model->index(row, 0).data().toString() == year && model->index(row, 1).data().toString() == department) {
            QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(model->index(row, 1)).center());
            return;
        }
    }
    QFAIL(qPrintable(QStringLiteral("no row %1 %2").arg(year, department)));
}

void TestReportWindow::opening()
{
    QFETCH(int, kind);
    FIXTURE(w, DbKind(kind), open);
    QVERIFY(w.window);
    QCOMPARE(w.window->windowTitle(), QStringLiteral("统计报表"));
    auto *years = w.child<QListWidget>("ListBox1");
    QStringList listed;
    for (int i = 0; i < years->count(); ++i)
        listed << years->item(i)->text();
    QCOMPARE(listed, (QStringList{"2024", "2023"}));  // newest first
    const QAbstractItemModel *grid = w.child<QTableView>("DBGrid1")->model();
    QCOMPARE(grid->rowCount(), 3);
    QCOMPARE(grid->headerData(0, Qt::Horizontal).toString(), QStringLiteral("年"));
    QCOMPARE(grid->headerData(1, Qt::Horizontal).toString(), QStringLiteral("科室"));
    for (const char *name : {"bt_cwk", "bt_cjk", "bt_static2"})
        QVERIFY2(!w.button(name)->isEnabled(), name);
    QVERIFY(w.button("bt_tz")->isEnabled());
    QVERIFY(m_events.isEmpty());
}

void TestReportWindow::progressButtons()
{
    Open w = open();
    QVERIFY(w.window);
    QPushButton *cwk = w.button("bt_cwk");
    QPushButton *cjk = w.button("bt_cjk");
    clickGridRowOf(w, QStringLiteral("2024"), QStringLiteral("船务科"));
    QVERIFY(cwk->isEnabled() && !cjk->isEnabled());
    clickGridRowOf(w, QStringLiteral("2024"), QStringLiteral("船检科"));
    QVERIFY(!cwk->isEnabled() && cjk->isEnabled());

    // The inspection section's first year: told, then printed all the same.
    QTest::mouseClick(cjk, Qt::LeftButton);
    QCOMPARE(m_events, (QStringList{"message:上一年纪录不存在", "preview:cjk"}));
    QVERIFY(!cjk->isEnabled());  // the next table needs a new click in the grid
    const ReportRows row = m_shown.last().datasets.value(QStringLiteral("aq_report1")).rows;
    QCOMPARE(row.records.value(0).value(QStringLiteral("department")).toString(), QStringLiteral("船检科"));
    QVERIFY(m_shown.last().datasets.value(QStringLiteral("aq_report2")).rows.records.isEmpty());

    m_events.clear();
    clickGridRowOf(w, QStringLiteral("2024"), QStringLiteral("船务科"));
    QTest::mouseClick(cwk, Qt::LeftButton);
    QCOMPARE(m_events, QStringList{"preview:cwk"});
    QCOMPARE(m_shown.last()
                 .datasets.value(QStringLiteral("aq_report2"))
                 .rows.records.value(0)
                 .value(QStringLiteral("year"))
                 .toString(),
             QStringLiteral("2023"));
    QVERIFY(!cwk->isEnabled());
}

void TestReportWindow::inspectionButton()
{
    Open w = open();
    QVERIFY(w.window);
    auto *years = w.child<QListWidget>("ListBox1");
    QPushButton *print = w.button("bt_static2");
    QTest::mouseClick(years->viewport(), Qt::LeftButton, {}, years->visualItemRect(years->item(0)).center());
    QVERIFY(print->isEnabled());
    QTest::mouseClick(print, Qt::LeftButton);
    QCOMPARE(m_events, QStringList{"preview:static2"});
    const PreparedReport &shown = m_shown.last();
    QCOMPARE(
        shown.datasets.value(QStringLiteral("aq_nd")).rows.records.value(0).value(QStringLiteral("year")).toString(),
        QStringLiteral("2024"));
    QVERIFY(shown.datasets.value(QStringLiteral("aq_ls")).rows.records.isEmpty());  // 2023 only
    QVERIFY(!print->isEnabled());
    QVERIFY(years->selectedItems().isEmpty());
}

void TestReportWindow::billNumberFields()
{
    Open w = open();
    QVERIFY(w.window);
    auto *first = w.child<QLineEdit>("Edit3");
    auto *last = w.child<QLineEdit>("Edit4");
    auto *self = w.child<QLineEdit>("Edit1");

    // Digits and backspace only, seven at most.
    QTest::mouseClick(first, Qt::LeftButton);
    QTest::keyClicks(first, QStringLiteral("00a0-0 1.0"));
    QCOMPARE(first->text(), QStringLiteral("000010"));
    QTest::keyClick(first, Qt::Key_Backspace);
    QTest::keyClicks(first, QStringLiteral("01"));
    QCOMPARE(first->text(), QStringLiteral("0000101"));

    // Entering the last number proposes a range of 20 bills, replacing what it held.
    QTest::mouseClick(last, Qt::LeftButton);
    QCOMPARE(last->text(), QStringLiteral("0000120"));
    QTest::keyClicks(last, QStringLiteral("5"));  // an eighth digit is refused
    QCOMPARE(last->text(), QStringLiteral("0000120"));
    QTest::keyClick(last, Qt::Key_Backspace);
    QTest::keyClicks(last, QStringLiteral("9"));
    QCOMPARE(last->text(), QStringLiteral("0000129"));

    // Only a complete first number proposes a range; otherwise the last stays.
    QTest::mouseClick(self, Qt::LeftButton);
    QTest::mouseClick(first, Qt::LeftButton);
    QTest::keyClick(first, Qt::Key_Backspace);
    QTest::keyClick(first, Qt::Key_Tab);
    QVERIFY(last->hasFocus());
    QCOMPARE(last->text(), QStringLiteral("0000129"));
    QTest::keyClick(last, Qt::Key_Tab, Qt::ShiftModifier);
    QTest::keyClick(first, Qt::Key_End);
    QTest::keyClicks(first, QStringLiteral("7"));
    QTest::keyClick(first, Qt::Key_Tab);  // entering by the keyboard proposes too
    QCOMPARE(last->text(), QStringLiteral("0000126"));
}

// A self-number takes as much as the ledger prints; a longer one is refused
// with a word, typed or pasted, and never cut to another number.
void TestReportWindow::selfNumbersRefusedNotCut()
{
    Open w = open();
    QVERIFY(w.window);
    auto *selfFirst = w.child<QLineEdit>("Edit1");
    auto *selfLast = w.child<QLineEdit>("Edit2");
    QTest::mouseClick(selfFirst, Qt::LeftButton);
    typeText(selfFirst, QStringLiteral("Z2026001"));
    QCOMPARE(selfFirst->text(), QStringLiteral("Z2026001"));
    QVERIFY(m_events.isEmpty());

    // Sixteen bytes fit: eight Chinese characters, or sixteen letters.
    QTest::mouseClick(selfLast, Qt::LeftButton);
    typeText(selfLast, QStringLiteral("船检二〇二六年八"));
    QCOMPARE(selfLast->text(), QStringLiteral("船检二〇二六年八"));
    QVERIFY(m_events.isEmpty());
    typeText(selfLast, QStringLiteral("号"));
    QCOMPARE(selfLast->text(), QStringLiteral("船检二〇二六年八"));
    QCOMPARE(m_events, QStringList{QStringLiteral("message:") + finance::kSelfNumberTooLong});

    // A pasted number that does not fit is refused whole.
    m_events.clear();
    QApplication::clipboard()->setText(QStringLiteral("Z2026001-Z2026020"));
    QTest::keyClick(selfFirst, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(selfFirst, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(selfFirst->text(), QStringLiteral("Z2026001"));
    QCOMPARE(m_events, QStringList{QStringLiteral("message:") + finance::kSelfNumberTooLong});

    // The ledger prints them as typed; the bill numbers keep their seven digits.
    m_events.clear();
    CurrentUser = UserRecord();
    QTest::mouseClick(w.child<QLineEdit>("Edit3"), Qt::LeftButton);
    typeText(w.child<QLineEdit>("Edit3"), QStringLiteral("0000101"));
    QTest::mouseClick(w.child<QLineEdit>("Edit4"), Qt::LeftButton);
    QCOMPARE(w.child<QLineEdit>("Edit4")->maxLength(), 7);
    QCOMPARE(w.child<QLineEdit>("Edit3")->maxLength(), 7);
    QTest::mouseClick(w.button("bt_tz"), Qt::LeftButton);
    QCOMPARE(m_events, QStringList{"preview:taizhang+taizhang2"});
    QCOMPARE(m_shown.first().variables.value(QStringLiteral("start1")).toString(), QStringLiteral("Z2026001"));
    QCOMPARE(m_shown.first().variables.value(QStringLiteral("end1")).toString(), QStringLiteral("船检二〇二六年八"));
}

void TestReportWindow::ledger_data()
{
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("last");  // typed after the proposed one is cleared; "=": keep the proposal
    QTest::addColumn<QString>("selfFirst");
    QTest::addColumn<QString>("selfLast");
    QTest::addColumn<QStringList>("events");
    QTest::addColumn<bool>("cleared");
    const QString preview = QStringLiteral("preview:taizhang+taizhang2");
    QTest::newRow("last number short") << "0000101"
                                       << "000012"
                                       << "1"
                                       << "2" << QStringList{"message:起始号和终止号均为7位"} << false;
    QTest::newRow("first number short") << "000010"
                                        << "0000120"
                                        << "1"
                                        << "2" << QStringList{"message:起始号和终止号均为7位"} << false;
    QTest::newRow("reversed") << "0000120"
                              << "0000101"
                              << "1"
                              << "2" << QStringList{"message:起始号应小于终止号"} << false;
    QTest::newRow("no self-numbers: warned, printed")
        << "0000101"
        << "="
        << ""
        << "" << QStringList{"message:正式的台账应包括自编号", preview} << true;
    QTest::newRow("one self-number") << "0000101"
                                     << "="
                                     << "A1"
                                     << "" << QStringList{"message:正式的台账应包括自编号", preview} << true;
    QTest::newRow("formal ledger") << "0000101"
                                   << "="
                                   << "A1"
                                   << "A20" << QStringList{preview} << true;
    QTest::newRow("one bill") << "0000105"
                              << "0000105"
                              << "A1"
                              << "A1" << QStringList{preview} << true;
    QTest::newRow("voided bills only") << "0000107"
                                       << "0000107"
                                       << "A1"
                                       << "A1" << QStringList{preview} << true;
    QTest::newRow("nothing in the range") << "0000900"
                                          << "="
                                          << "A1"
                                          << "A20" << QStringList{"message:没有信息可供打印"} << false;
}

void TestReportWindow::ledger()
{
    QFETCH(QString, first);
    QFETCH(QString, last);
    QFETCH(QString, selfFirst);
    QFETCH(QString, selfLast);
    QFETCH(QStringList, events);
    QFETCH(bool, cleared);
    Open w = open();
    QVERIFY(w.window);
    CurrentUser = UserRecord();
    CurrentUser.userName = QStringLiteral("郑财务");
    CurrentUser.isAdmin = 1;

    auto type = [&](const char *name, const QString &text) {
        auto *edit = w.child<QLineEdit>(name);
        QTest::mouseClick(edit, Qt::LeftButton);
        if (text != QLatin1String("=")) {
            QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClick(edit, Qt::Key_Backspace);
            typeText(edit, text);
        }
    };
    type("Edit3", first);
    type("Edit4", last);
    type("Edit1", selfFirst);
    type("Edit2", selfLast);
    QTest::mouseClick(w.button("bt_tz"), Qt::LeftButton);

    QCOMPARE(m_events, events);
    for (const char *name : {"Edit1", "Edit2", "Edit3", "Edit4"})
        QCOMPARE(w.child<QLineEdit>(name)->text().isEmpty(), cleared);
    if (!m_shown.isEmpty()) {
        QCOMPARE(m_shown.size(), 2);
        const QVariantMap variables = m_shown.first().variables;
        QCOMPARE(variables.value(QStringLiteral("start")).toString(), first);
        QCOMPARE(variables.value(QStringLiteral("end")).toString(),
                 last == QLatin1String("=") ? QStringLiteral("0000120") : last);
        QCOMPARE(variables.value(QStringLiteral("start1")).toString(), selfFirst);
        QCOMPARE(variables.value(QStringLiteral("end1")).toString(), selfLast);
        QCOMPARE(variables.value(QStringLiteral("NAME")).toString(), QStringLiteral("郑财务"));
        const qint64 issued = m_shown.first().datasets.value(QStringLiteral("frdb1")).rows.records.size();
        QCOMPARE(variables.value(QStringLiteral("COUNT1")).toLongLong(), issued);
        QCOMPARE(variables.value(QStringLiteral("COUNT2")).toLongLong(),
                 qint64(m_shown.first().datasets.value(QStringLiteral("frdb2")).rows.records.size()));
    }
}

QTEST_MAIN(TestReportWindow)
#include "tst_report_window.moc"
