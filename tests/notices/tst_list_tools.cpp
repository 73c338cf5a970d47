// The read-only lists as a person uses them: sorted by a click on a column's
// title with the current notice kept, rows copied with Ctrl+C, the list saved
// as CSV from its context menu; every time on screen in the workstation's
// form; menus without an item for the role not offered.

#include "main_window_fixture.h"
#include "notice_row.h"

#include "app/codes.h"
#include "app/date_text.h"
#include "app/list_view.h"
#include "db/named_query.h"
#include "db/row_set_model.h"
#include "finance/notice_history_report.h"
#include "finance/notice_history_window.h"
#include "notices/deleted_notices.h"
#include "notices/deleted_notices_window.h"
#include "notices/notice_operations.h"
#include "session/login_operation.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QSqlQuery>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

namespace {

constexpr int kNotices = 400;  // more than the first page and the next one
constexpr int kShipColumn = 3;

// Inspection notices in state 1: ship names repeat, some are missing, one
// looks like a spreadsheet formula; notice i is i minutes old.
void addManyNotices(MainWindowFixture &f)
{
    const QDateTime now = QDateTime::currentDateTime();
    const QDateTime base(now.date(), QTime(now.time().hour(), now.time().minute(), now.time().second()));
    NoticeRows rows(f.db->connection());
    for (int i = 0; i < kNotices; ++i) {
        NoticeRow row(QStringLiteral("2%1").arg(i, 6, 10, QLatin1Char('0')));
        row.rdate(base.addSecs(-60 * (i + 1)))
            .status(1)
            .department(QStringLiteral("船检科"))
            .handler(QStringLiteral("孙船检"));
        if (i == 5)
            row.shipname(QStringLiteral("=1+2"));
        else if (i % 7 == 0)
            row.null(QStringLiteral("shipname"));
        else
            row.shipname(QStringLiteral("船%1").arg(i % 50, 2, 10, QLatin1Char('0')));
        rows.add(row);
    }
    rows.finish();
}

// The section's unreviewed notices in an order, as the database gives it.
QStringList idsInOrder(MainWindowFixture &f, const QString &order)
{
    QSqlQuery q(f.db->connection());
    q.exec(QStringLiteral("select ID from notice where department='船检科' and status=1 order by ") + order);
    QStringList ids;
    while (q.next())
        ids << q.value(0).toString();
    return ids;
}

void clickHeader(QTableView *grid, int section)
{
    QHeaderView *header = grid->horizontalHeader();
    const QPoint middle(header->sectionViewportPosition(section) + header->sectionSize(section) / 2,
                        header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, middle);
}

QString currentId(QTableView *grid)
{
    return grid->model()->index(grid->currentIndex().row(), 0).data().toString();
}

bool currentRowInView(QTableView *grid)
{
    return grid->viewport()->rect().intersects(grid->visualRect(grid->currentIndex()));
}

// Chooses the row and the entry of its context menu.
void chooseFromContextMenu(QTableView *grid, int row, const char *entry)
{
    bool chosen = false;
    QTimer::singleShot(0, grid, [&] {
        QTRY_VERIFY(qobject_cast<QMenu *>(QApplication::activePopupWidget()));
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        QAction *action = menu->findChild<QAction *>(QString::fromLatin1(entry));
        QVERIFY(action && action->isEnabled());
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
        chosen = true;
    });
    // The row chosen, then the menu opened from the keyboard.
    const QRect cell = grid->visualRect(grid->model()->index(row, 1));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::keyClick(grid, Qt::Key_F10, Qt::ShiftModifier);
    QTRY_VERIFY(chosen);
}

}  // namespace

class TestListTools : public QObject
{
    Q_OBJECT
private slots:
    void headerClickSortsAndKeepsTheCurrentNotice();
    void copyAndSaveTheShownRows();
    void timesReadInTheWorkstationsForm_data();
    void timesReadInTheWorkstationsForm();
    void menusWithoutItemsAreNotOffered();
};

void TestListTools::headerClickSortsAndKeepsTheCurrentNotice()
{
    MainWindowFixture f;
    if (!f.valid())
        QSKIP("no database");
    addManyNotices(f);
    f.login(QStringLiteral("cjld"));
    QTest::mouseClick(f.window->findChild<QToolButton *>(QStringLiteral("bt_nochecked")), Qt::LeftButton);
    QTableView *grid = f.window->DBGrid_notice;
    RowSetModel *rows = f.dm->aq_notice->model();
    QCOMPARE(rows->rowCount(), RowSetModel::kFirstRows);
    QVERIFY(!grid->horizontalHeader()->isSortIndicatorShown()
            || grid->horizontalHeader()->sortIndicatorSection() == -1);

    // A notice chosen in the list's own order, newest first.
    f.clickRow(10);
    const QString chosen = currentId(grid);
    QCOMPARE(chosen, QStringLiteral("2000010"));

    const QString byShip = QStringLiteral("shipname%1, Rdate desc, ID desc");
    for (const QString &direction : {QString(), QStringLiteral(" desc")}) {
        clickHeader(grid, kShipColumn);
        QCOMPARE(grid->horizontalHeader()->sortIndicatorSection(), kShipColumn);
        QCOMPARE(grid->horizontalHeader()->sortIndicatorOrder(),
                 direction.isEmpty() ? Qt::AscendingOrder : Qt::DescendingOrder);
        // Still the notice the fields show, highlighted and in view.
        QCOMPARE(f.dm->aq_notice->value(QStringLiteral("ID")).toString(), chosen);
        QCOMPARE(currentId(grid), chosen);
        QCOMPARE(f.window->DBEdit_ID->text(), chosen);
        QVERIFY2(currentRowInView(grid), qPrintable(QStringLiteral("row %1 at %2, viewport %3")
                                                        .arg(grid->currentIndex().row())
                                                        .arg(grid->visualRect(grid->currentIndex()).y())
                                                        .arg(grid->viewport()->height())));
        // Going up, the chosen notice stands within the first pages (where
        // the database puts the missing names); the rest is not read yet.
        if (direction.isEmpty())
            QVERIFY2(rows->rowCount() < kNotices, qPrintable(QString::number(rows->rowCount())));
        // Read to its end, the pages join into the database's own order:
        // no notice twice, none missing, ties in the list's order.
        QCOMPARE(f.listedIds(), idsInOrder(f, byShip.arg(direction)));
        QCOMPARE(f.dm->aq_notice->value(QStringLiteral("ID")).toString(), chosen);
    }

    // The list read again (F5) keeps the order chosen.
    f.clickRow(0);
    QTest::keyClick(f.window.get(), Qt::Key_F5);
    QCOMPARE(f.listedIds(), idsInOrder(f, byShip.arg(QStringLiteral(" desc"))));
}

void TestListTools::copyAndSaveTheShownRows()
{
    MainWindowFixture f;
    if (!f.valid())
        QSKIP("no database");
    addManyNotices(f);
    f.login(QStringLiteral("cjld"));
    QTest::mouseClick(f.window->findChild<QToolButton *>(QStringLiteral("bt_nochecked")), Qt::LeftButton);
    QTableView *grid = f.window->DBGrid_notice;

    // Ctrl+C: the titles and the chosen row, tab-separated, as shown.
    f.clickRow(5);
    QCOMPARE(currentId(grid), QStringLiteral("2000005"));
    QApplication::clipboard()->clear();
    QTest::keyClick(grid, Qt::Key_C, Qt::ControlModifier);
    const QDateTime rdate = f.db->scalar(QStringLiteral("select Rdate from notice where ID='2000005'")).toDateTime();
    const QString copied = QApplication::clipboard()->text();
    QCOMPARE(copied, QStringLiteral("流水号\t状态\t日期和时间\t缴费船只，个人\t通知缴费部门\t经办人\t审核人\n"
                                    "2000005\t%1\t%2\t=1+2\t船检科\t孙船检\t\n")
                         .arg(codes::stateText(1), workstationDateTime(rdate)));

    // Saved from the context menu: the whole list, though only its first
    // page was read, in the form of the program's other CSV files.
    QTemporaryDir folder;
    QString offered;
    listtools::setFileChooser([&](QWidget *, const QString &title, const QString &suggested, const QString &) {
        offered = title + u'|' + QFileInfo(suggested).suffix();
        return folder.filePath(QStringLiteral("list"));
    });
    chooseFromContextMenu(grid, 0, "act_saveCsv");
    listtools::setFileChooser({});
    QCOMPARE(offered, QStringLiteral("保存为CSV|csv"));
    QFile file(folder.filePath(QStringLiteral("list.csv")));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QVERIFY(bytes.startsWith("\xEF\xBB\xBF"));
    const QStringList lines = QString::fromUtf8(bytes.mid(3)).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), kNotices + 1);
    QCOMPARE(lines.first(), QStringLiteral("流水号,状态,日期和时间,缴费船只，个人,通知缴费部门,经办人,审核人"));
    QStringList ids;
    for (const QString &line : lines.mid(1))
        ids << line.section(u',', 0, 0);
    QCOMPARE(ids, idsInOrder(f, QStringLiteral("Rdate desc, ID desc")));
    // A ship name that a spreadsheet would run stays a text.
    QVERIFY(lines.contains(
        QStringLiteral("2000005,%1,%2,'=1+2,船检科,孙船检,").arg(codes::stateText(1), workstationDateTime(rdate))));

    // The same rows copied from the context menu.
    QApplication::clipboard()->clear();
    chooseFromContextMenu(grid, 2, "act_copyRows");
    QVERIFY2(QApplication::clipboard()->text().startsWith(QStringLiteral("流水号\t")),
             qPrintable(QApplication::clipboard()->text()));
}

void TestListTools::timesReadInTheWorkstationsForm_data()
{
    QTest::addColumn<QString>("window");
    QTest::newRow("notice list") << "list";
    QTest::newRow("notice history") << "history";
    QTest::newRow("deleted notices") << "deleted";
}

void TestListTools::timesReadInTheWorkstationsForm()
{
    QFETCH(QString, window);
    MainWindowFixture f;
    if (!f.valid())
        QSKIP("no database");
    f.addNotices();
    QSqlDatabase db = f.dm->database();
    const QString id = QStringLiteral("0000011");
    const QDateTime stored = f.db->scalar(QStringLiteral("select Rdate from notice where ID=?"), {id}).toDateTime();

    QString shown;
    QDateTime expected;
    if (window == QLatin1String("list")) {
        f.login(QStringLiteral("cwld"));
        QTest::mouseClick(f.window->findChild<QToolButton *>(QStringLiteral("bt_checked")), Qt::LeftButton);
        const int row = f.rowOf(id);
        QVERIFY(row >= 0);
        shown = f.window->DBGrid_notice->model()->index(row, 2).data().toString();
        QCOMPARE(f.window->dbedit_date->text().isEmpty(), false);
        expected = stored;
    } else {
        CurrentUser = *findAccount(*f.dm->aq_login, QStringLiteral("cwld"), QStringLiteral("pw"));
        const int revision = f.db->scalar(QStringLiteral("select revision from notice where ID=?"), {id}).toInt();
        deleteNotice(db, CurrentUser, id, revision);
        QTableView *grid = nullptr;
        std::unique_ptr<QDialog> dialog;
        if (window == QLatin1String("history")) {
            dialog = std::make_unique<TF_history>(*f.dm, id);
            grid = dialog->findChild<QTableView *>(QStringLiteral("DBGrid_history"));
            expected = finance::readNoticeHistory(db, id).rows.first().time;
        } else {
            dialog = std::make_unique<TF_deleted>(*f.dm);
            grid = dialog->findChild<QTableView *>(QStringLiteral("DBGrid_deleted"));
            expected = deletedNotices(db, CurrentUser).first().deletedAt;
        }
        QVERIFY(grid && grid->model()->rowCount() > 0);
        const int column = window == QLatin1String("history") ? 0 : 5;
        shown = grid->model()->index(0, column).data().toString();
    }
    QVERIFY(expected.isValid());
    QCOMPARE(shown, workstationDateTime(expected));
    // The workstation's short date, then its long time, seconds included.
    const QLocale locale = QLocale::system();
    QVERIFY2(shown.startsWith(locale.toString(expected.date(), QLocale::ShortFormat) + u' '), qPrintable(shown));
    QVERIFY2(shown.endsWith(u' ' + locale.toString(expected.time(), QLocale::LongFormat)), qPrintable(shown));
    QVERIFY2(shown.contains(expected.toString(QStringLiteral("ss"))), qPrintable(shown));
}

void TestListTools::menusWithoutItemsAreNotOffered()
{
    MainWindowFixture f;
    if (!f.valid())
        QSKIP("no database");
    for (const Person &person : fixturePeople()) {
        f.login(person.nickname);
        QMenuBar *bar = f.window->menuBar();
        for (QAction *opener : bar->actions()) {
            QMenu *menu = opener->menu();
            QList<QAction *> shown;
            for (QAction *a : menu->actions())
                if (a->isVisible())
                    shown << a;
            const bool anyItem = std::any_of(shown.cbegin(), shown.cend(),
                                             [](QAction *a) { return !a->isSeparator(); });
            const QString where = person.nickname + u' ' + menu->objectName();
            QCOMPARE(opener->isVisible(), anyItem);
            QCOMPARE(bar->actionGeometry(opener).isEmpty(), !anyItem);
            if (!anyItem)
                continue;
            // Separators only between items.
            QVERIFY2(!shown.first()->isSeparator() && !shown.last()->isSeparator(), qPrintable(where));
            for (qsizetype i = 1; i < shown.size(); ++i)
                QVERIFY2(!(shown[i]->isSeparator() && shown[i - 1]->isSeparator()), qPrintable(where));
        }
        // The maintenance account has nothing to maintain here.
        if (person.nickname == QLatin1String("weihu"))
            QVERIFY(!f.window->findChild<QMenu *>(QStringLiteral("N1"))->menuAction()->isVisible());
        if (person.nickname == QLatin1String("cjld"))
            QVERIFY(f.window->findChild<QMenu *>(QStringLiteral("N1"))->menuAction()->isVisible());
    }
}

QTEST_MAIN(TestListTools)
#include "tst_list_tools.moc"
