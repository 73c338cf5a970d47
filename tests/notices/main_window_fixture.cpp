#include "main_window_fixture.h"

#include "notice_row.h"

#include "app/read_failures.h"
#include "db/named_query.h"
#include "session/login_operation.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDateTime>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QTableView>
#include <QtTest>

const QList<Person> &fixturePeople()
{
    static const QList<Person> people{
        {QStringLiteral("王维护"), QStringLiteral("weihu"), 1, 0, 0},
        {QStringLiteral("李收费"), QStringLiteral("shoufei"), 2, 0, 0},
        {QStringLiteral("张船务"), QStringLiteral("cw"), 3, 0, 0},
        {QStringLiteral("赵船务"), QStringLiteral("cwsh"), 3, 1, 1},
        {QStringLiteral("钱科长"), QStringLiteral("cwld"), 4, 0, 1},
        {QStringLiteral("孙船检"), QStringLiteral("cj"), 5, 0, 0},
        {QStringLiteral("周船检"), QStringLiteral("cjsh"), 5, 1, 1},
        {QStringLiteral("吴科长"), QStringLiteral("cjld"), 6, 0, 0},
        {QStringLiteral("郑财务"), QStringLiteral("cwk"), 7, 0, 0},
        {QStringLiteral("冯科长"), QStringLiteral("cwkld"), 8, 0, 0},
        {QStringLiteral("外人"), QStringLiteral("other"), 9, 1, 1},
    };
    return people;
}

DbKind MainWindowFixture::defaultKind()
{
    return qEnvironmentVariable("NOLLARD_FIXTURE_DB") == QLatin1String("postgresql") ? DbKind::PostgreSQL
                                                                                     : DbKind::SQLite;
}

MainWindowFixture::MainWindowFixture(DbKind kind, const QString &connection)
{
    db = TestDatabase::create(kind);
    if (!db)
        return;
    for (const Person &p : fixturePeople())
        db->exec(
            QStringLiteral("insert into person (name,nickname,password,typeid,checker,admin) values (?,?,?,?,?,?)"),
            {p.name, p.nickname, QStringLiteral("pw"), p.typeId, p.checker, p.admin});
    dm = std::make_unique<Tdm>(db->settings(), connection);
    tellReadFailures(*dm);  // as the program's start-up does
    dm->DataModuleCreate();
    window = std::make_unique<TF_main>(*dm);
    item = std::make_unique<TF_item>(*dm);
    window->setItemEditor(item.get());
}

MainWindowFixture::~MainWindowFixture()
{
    item.reset();
    window.reset();
    dm.reset();
}

// Notices of the fixture (number, state, section, handler, age in hours):
//   1000001  1  船检科  孙船检   9      0000011  1  船务科  张船务   8
//   1000002  2  船检科  孙船检   7      0000012  2  船务科  赵船务   6
//   1000003  3  船检科  周船检   5      0000013  3  船务科  张船务   4
//   1000004  5  船检科  孙船检   3      0000014  5  船务科  钱科长   2
//   1000005 -1  船检科  孙船检   1      0000015 -1  船务科  张船务   0.5
//   1000006  1  船检科  周船检  10      0000016 -3  船务科  张船务  12
//   1000007  1  船检科  吴科长  11
void MainWindowFixture::addNotices()
{
    struct Row
    {
        const char *id;
        int status;
        const char *dept;
        const char *handler;
        double hours;
    };
    const QList<Row> rows{
        {"1000001", 1, "船检科", "孙船检", 9},   {"1000002", 2, "船检科", "孙船检", 7},
        {"1000003", 3, "船检科", "周船检", 5},   {"1000004", 5, "船检科", "孙船检", 3},
        {"1000005", -1, "船检科", "孙船检", 1},  {"1000006", 1, "船检科", "周船检", 10},
        {"1000007", 1, "船检科", "吴科长", 11},  {"0000011", 1, "船务科", "张船务", 8},
        {"0000012", 2, "船务科", "赵船务", 6},   {"0000013", 3, "船务科", "张船务", 4},
        {"0000014", 5, "船务科", "钱科长", 2},   {"0000015", -1, "船务科", "张船务", 0.5},
        {"0000016", -3, "船务科", "张船务", 12},
    };
    const QDateTime now = QDateTime::currentDateTime();
    for (const Row &r : rows) {
        QDateTime at = now.addSecs(qint64(-r.hours * 3600));
        at.setTime(QTime(at.time().hour(), at.time().minute(), at.time().second()));
        NoticeRow(QString::fromLatin1(r.id))
            .rdate(at)
            .status(r.status)
            .department(QString::fromUtf8(r.dept))
            .handler(QString::fromUtf8(r.handler))
            .shipname(QStringLiteral("船") + QString::fromLatin1(r.id).right(2))
            .money(100.0)
            .dengji(true)
            .insert(db->connection());
    }
    db->exec(QStringLiteral("update counter set id=41"));
}

void MainWindowFixture::login(const QString &nickname)
{
    const std::optional<UserRecord> user = findAccount(*dm->aq_login, nickname, QStringLiteral("pw"));
    QVERIFY2(user.has_value(), qPrintable(nickname));
    CurrentUser = *user;
    window->hide();
    window->show();
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
}

QPushButton *MainWindowFixture::button(const char *name) const
{
    return child<QPushButton>(name);
}

QAction *MainWindowFixture::action(const char *name) const
{
    return child<QAction>(name);
}

QStringList MainWindowFixture::listedIds() const
{
    QStringList ids;
    const QAbstractItemModel *model = window->DBGrid_notice->model();
    while (model->canFetchMore({}))
        const_cast<QAbstractItemModel *>(model)->fetchMore({});
    for (int row = 0; row < model->rowCount(); ++row)
        ids << model->index(row, 0).data().toString();
    return ids;
}

void MainWindowFixture::clickRow(int row)
{
    QTableView *grid = window->DBGrid_notice;
    const QRect cell = grid->visualRect(grid->model()->index(row, 0));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
}

int MainWindowFixture::rowOf(const QString &id) const
{
    return int(listedIds().indexOf(id));
}

void pickByMouse(QComboBox *combo, const QString &entry)
{
    QStyleOptionComboBox option;
    option.initFrom(combo);
    option.editable = combo->isEditable();
    option.subControls = QStyle::SC_All;
    const QRect arrow = combo->style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxArrow, combo);
    QTest::mouseClick(combo, Qt::LeftButton, {}, arrow.isValid() ? arrow.center() : combo->rect().center());
    QAbstractItemView *view = combo->view();
    QTRY_VERIFY2(view->isVisible(), "the drop-down did not open");
    int row = -1;
    for (int r = 0; r < view->model()->rowCount(); ++r)
        if (view->model()->index(r, combo->modelColumn()).data().toString() == entry)
            row = r;
    QVERIFY2(row >= 0, qPrintable(entry + QStringLiteral(" is not offered")));
    // A popup ignores the release of the click that opened it for a moment.
    QTest::qWait(QApplication::doubleClickInterval() + 50);
    const QRect cell = view->visualRect(view->model()->index(row, combo->modelColumn()));
    QTest::mouseMove(view->viewport(), cell.center());
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, cell.center());
    QTRY_VERIFY2(!view->isVisible(), "the drop-down did not close");
}
