// The four name list windows: opening state, adding with an empty, an existing
// and a new name, deleting, a duplicate stored by another workstation between
// the check and the store, and the notice header offering a new company.

#include "captions.h"
#include "masterdata_fixture.h"
#include "typing.h"

#include "app/gbk_width.h"
#include "db/named_query.h"
#include "masterdata/name_list_window.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSqlQuery>
#include <QTableView>
#include <QtTest>

using masterdata::NameList;

class TestNameLists : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { REQUIRE_DATABASE(MainWindowFixture::defaultKind()); }
    void openingState_data() { lists(); }
    void openingState();
    void addAndDelete_data() { lists(); }
    void addAndDelete();
    void duplicateFromAnotherWorkstation();
    void comparisonIsTheDatabases();
    void noticeHeaderOffersChangedCompanies();

private:
    void lists();
};

void TestNameLists::lists()
{
    QTest::addColumn<int>("list");
    const QList<const NameList *> all = masterdata::nameLists();
    for (int i = 0; i < all.size(); ++i)
        QTest::newRow(qPrintable(all[i]->table)) << i;
}

namespace {

const NameList &fetchedList()
{
    QFETCH(int, list);
    return *masterdata::nameLists()[list];
}

QStringList stored(MainWindowFixture &f, const QString &table)
{
    QStringList names;
    QSqlQuery q(f.db->connection());
    q.exec(QStringLiteral("select name from %1 order by name").arg(table));
    while (q.next())
        names << q.value(0).toString();
    return names;
}

}  // namespace

void TestNameLists::openingState()
{
    const NameList &list = fetchedList();
    MainWindowFixture f;
    for (const char *name : {"甲", "乙"})
        f.db->exec(QStringLiteral("insert into %1 (name) values (?)").arg(list.table), {QString::fromUtf8(name)});
    f.login(QStringLiteral("cjld"));
    TF_namelist w(*f.dm, list, f.window.get());
    showActive(&w);

    QCOMPARE(w.objectName(), list.windowName);
    QCOMPARE(w.windowTitle(), list.caption);
    auto *grid = w.findChild<QTableView *>(list.gridName);
    QVERIFY(grid);
    QCOMPARE(headerTexts(grid), QStringList{list.columnTitle});
    QCOMPARE(captionOf(w.findChild<QLabel *>(QStringLiteral("Label1"))->text()), list.fieldLabel);
    QCOMPARE(captionOf(w.bt_add->text()), QStringLiteral("增加"));
    QCOMPARE(captionOf(w.bt_save->text()), QStringLiteral("保存"));
    QCOMPARE(captionOf(w.bt_del->text()), QStringLiteral("删除"));
    QVERIFY(w.bt_add->isEnabled());
    QVERIFY(!w.bt_save->isEnabled());
    QVERIFY(!w.bt_del->isEnabled());
    QVERIFY(!w.DBEdit1->isEnabled());
    QVERIFY(grid->isEnabled());
    QStringList listed = columnTexts(grid);
    listed.sort();
    QCOMPARE(listed, stored(f, list.table));
}

void TestNameLists::addAndDelete()
{
    const NameList &list = fetchedList();
    MainWindowFixture f;
    f.db->exec(QStringLiteral("insert into %1 (name) values (?)").arg(list.table), {QStringLiteral("老名字")});
    f.login(QStringLiteral("cjld"));
    TF_namelist w(*f.dm, list, f.window.get());
    showActive(&w);
    QTableView *grid = w.grid;

    QTest::mouseClick(w.bt_add, Qt::LeftButton);
    QVERIFY(w.bt_save->isEnabled() && !w.bt_add->isEnabled() && !w.bt_del->isEnabled());
    QVERIFY(w.DBEdit1->isEnabled());
    QVERIFY(!grid->isEnabled());
    QCOMPARE(w.DBEdit1->text(), QString());
    // Only the company window leaves the focus where it was.
    QCOMPARE(focused() == w.DBEdit1, list.focusNameOnAdd);

    // Empty, then existing: the window's message, the focus in the field, the row still open.
    const struct
    {
        QString typed;
        QString message;
    } refused[] = {
        {QString(), list.emptyMessage},
        {QStringLiteral("老名字"), list.existsMessage},
    };
    for (const auto &r : refused) {
        w.DBEdit1->clear();
        typeText(w.DBEdit1, r.typed);
        f.shown.clear();
        QTest::mouseClick(w.bt_save, Qt::LeftButton);
        QCOMPARE(f.shown.informations, QStringList{r.message});
        QVERIFY(f.shown.errors.isEmpty());
        QCOMPARE(focused(), w.DBEdit1);
        QVERIFY(w.bt_save->isEnabled() && w.DBEdit1->isEnabled() && !grid->isEnabled());
        QCOMPARE(w.DBEdit1->text(), r.typed);
    }
    QCOMPARE(stored(f, list.table), QStringList{QStringLiteral("老名字")});

    // The field takes no more than the width of the notice column it feeds.
    w.DBEdit1->clear();
    typeText(w.DBEdit1, QStringLiteral("新名字") + QString(60, QLatin1Char('x')));
    QCOMPARE(gbk::width(w.DBEdit1->text()), list.nameBytes);
    const QString typed = w.DBEdit1->text();
    f.shown.clear();
    QTest::mouseClick(w.bt_save, Qt::LeftButton);
    QVERIFY2(f.shown.all().isEmpty(), qPrintable(f.shown.all().join('|')));
    QCOMPARE(stored(f, list.table).size(), 2);
    QVERIFY(stored(f, list.table).contains(typed));
    QVERIFY(!w.bt_save->isEnabled() && w.bt_add->isEnabled() && !w.bt_del->isEnabled());
    QVERIFY(!w.DBEdit1->isEnabled());
    QVERIFY(grid->isEnabled());
    QVERIFY(columnTexts(grid).contains(typed));

    // Delete follows the click on a row and removes it at once.
    const int row = int(columnTexts(grid).indexOf(QStringLiteral("老名字")));
    clickGridRow(grid, row);
    QVERIFY(w.bt_del->isEnabled());
    QCOMPARE(w.DBEdit1->text(), QStringLiteral("老名字"));
    QTest::mouseClick(w.bt_del, Qt::LeftButton);
    QVERIFY(f.shown.all().isEmpty());
    QCOMPARE(stored(f, list.table), QStringList{typed});
    QCOMPARE(columnTexts(grid), QStringList{typed});
    QVERIFY(!w.bt_del->isEnabled());

    // The last row gone, a click into the empty grid leaves delete off.
    clickGridRow(grid, 0);
    QTest::mouseClick(w.bt_del, Qt::LeftButton);
    QVERIFY(stored(f, list.table).isEmpty());
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, QPoint(20, 20));
    QVERIFY(!w.bt_del->isEnabled());

    // Closing while adding stores nothing.
    QTest::mouseClick(w.bt_add, Qt::LeftButton);
    typeText(w.DBEdit1, QStringLiteral("未存"));
    w.close();
    QVERIFY(stored(f, list.table).isEmpty());
    QCOMPARE((f.dm.get()->*list.query)->state(), NamedQuery::State::Browsing);
}

void TestNameLists::duplicateFromAnotherWorkstation()
{
    MainWindowFixture f;
    f.login(QStringLiteral("cjld"));
    TF_namelist w(*f.dm, masterdata::runTypeList(), f.window.get());
    showActive(&w);
    QTest::mouseClick(w.bt_add, Qt::LeftButton);
    typeText(w.DBEdit1, QStringLiteral("年度检验"));
    // Another workstation stores the same name after the window's check.
    f.dm->aq_runtype->setBeforePost([&f](const NamedQuery &) {
        f.db->exec(QStringLiteral("insert into runtype (name) values (?)"), {QStringLiteral("年度检验")});
        return true;
    });
    QTest::mouseClick(w.bt_save, Qt::LeftButton);
    f.dm->aq_runtype->setBeforePost({});
    QCOMPARE(f.shown.informations, QStringList{QStringLiteral("该营运检验项目名称已存在")});
    QVERIFY2(f.shown.errors.isEmpty(), qPrintable(f.shown.errors.join('|')));
    QCOMPARE(focused(), w.DBEdit1);
    QVERIFY(w.bt_save->isEnabled());
    QCOMPARE(f.dm->aq_runtype->state(), NamedQuery::State::Inserting);
    QCOMPARE(f.db->scalar(QStringLiteral("select count(*) from runtype")).toInt(), 1);
}

void TestNameLists::comparisonIsTheDatabases()
{
    // A list whose names compare without regard to letter case, as under SQL
    // Server's default collation: the window's check follows the database.
    MainWindowFixture f(DbKind::SQLite);
    f.db->exec(QStringLiteral("drop table company"));
    f.db->exec(QStringLiteral("create table company (name varchar(50) collate nocase not null primary key)"));
    f.db->exec(QStringLiteral("insert into company (name) values ('Harbour Co')"));
    f.login(QStringLiteral("cjld"));
    TF_namelist w(*f.dm, masterdata::companyList(), f.window.get());
    showActive(&w);
    QTest::mouseClick(w.bt_add, Qt::LeftButton);
    typeText(w.DBEdit1, QStringLiteral("HARBOUR CO"));
    QTest::mouseClick(w.bt_save, Qt::LeftButton);
    QCOMPARE(f.shown.informations, QStringList{QStringLiteral("该公司已存在")});
    QCOMPARE(f.db->scalar(QStringLiteral("select count(*) from company")).toInt(), 1);
}

void TestNameLists::noticeHeaderOffersChangedCompanies()
{
    MainWindowFixture f;
    f.db->exec(QStringLiteral("insert into company (name) values (?)"), {QStringLiteral("旧公司")});
    f.login(QStringLiteral("cjld"));

    openFromMenu(f.window.get(), f.window->M_company, [&](QDialog *dialog) {
        QCOMPARE(dialog->objectName(), QStringLiteral("f_company"));
        QCOMPARE(dialog->parentWidget(), f.window.get());
        auto *w = qobject_cast<TF_namelist *>(dialog);
        QVERIFY(w);
        QTest::mouseClick(w->bt_add, Qt::LeftButton);
        w->DBEdit1->setFocus();
        typeText(w->DBEdit1, QStringLiteral("新航运公司"));
        QTest::mouseClick(w->bt_save, Qt::LeftButton);
        clickGridRow(w->grid, int(columnTexts(w->grid).indexOf(QStringLiteral("旧公司"))));
        QTest::mouseClick(w->bt_del, Qt::LeftButton);
        dialog->close();
    });
    QVERIFY2(f.shown.all().isEmpty(), qPrintable(f.shown.all().join('|')));
    // The window was released when it closed.
    QTRY_VERIFY(!f.window->findChild<QDialog *>(QStringLiteral("f_company")));

    f.window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(f.window.get()));
    QTest::mouseClick(f.button("bt_new"), Qt::LeftButton);
    auto *company = f.child<QComboBox>("DBCb_company");
    QTest::mouseClick(company, Qt::LeftButton);
    QTRY_VERIFY(company->hasFocus() || company->lineEdit()->hasFocus());
    QStringList offered;
    for (int i = 0; i < company->count(); ++i)
        offered << company->itemText(i);
    QVERIFY2(offered.contains(QStringLiteral("新航运公司")), qPrintable(offered.join('|')));
    QVERIFY(!offered.contains(QStringLiteral("旧公司")));
}

QTEST_MAIN(TestNameLists)
#include "tst_name_lists.moc"
