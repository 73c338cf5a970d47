// The two fee item catalogue windows: opening state, adding with missing input,
// an existing and a new name, the order number drawn for an abandoned add,
// moves at the edges and across fee types, delete.

#include "captions.h"
#include "masterdata_fixture.h"
#include "typing.h"

#include "db/named_query.h"
#include "masterdata/catalogue_window.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSqlQuery>
#include <QTableView>
#include <QtTest>

class TestCatalogues : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { REQUIRE_DATABASE(MainWindowFixture::defaultKind()); }
    void openingState();
    void addItem_data();
    void addItem();
    void abandonedAddLeavesAGap_data();
    void abandonedAddLeavesAGap();
    void movesWholeList();
    void movesWithinFeeType();
    void deleteKeepsOrder();
};

namespace {

std::unique_ptr<TF_itemmodify> openCatalogue(MainWindowFixture &f, bool shipAffairs)
{
    std::unique_ptr<TF_itemmodify> w;
    if (shipAffairs)
        w = std::make_unique<TF_itemmodifycw>(*f.dm, f.window.get());
    else
        w = std::make_unique<TF_itemmodifycj>(*f.dm, f.window.get());
    showActive(w.get());
    return w;
}

void addInspectionItems(MainWindowFixture &f, const QList<QPair<QString, int>> &items)
{
    for (const auto &[name, order] : items)
        f.db->exec(QStringLiteral("insert into itemcj (name,orderx) values (?,?)"), {name, order});
}

struct CwItem
{
    QString name;
    QString type;
    int order;
};

void addAffairsItems(MainWindowFixture &f, const QList<CwItem> &items)
{
    for (const CwItem &i : items)
        f.db->exec(QStringLiteral("insert into itemcw (name,danjia,type,orderx) values (?,?,?,?)"),
                   {i.name, 10.0, i.type, i.order});
}

int orderOf(MainWindowFixture &f, const QString &table, const QString &name)
{
    return f.db->scalar(QStringLiteral("select orderx from %1 where name=?").arg(table), {name}).toInt();
}

const QString kRegistration = QStringLiteral("登记");
const QString kCost = QStringLiteral("工本费");

}  // namespace

void TestCatalogues::openingState()
{
    MainWindowFixture f;
    addInspectionItems(f, {{QStringLiteral("丙"), 9}, {QStringLiteral("甲"), 2}, {QStringLiteral("乙"), 5}});
    addAffairsItems(f, {{QStringLiteral("b"), kRegistration, 8},
                        {QStringLiteral("a"), kRegistration, 3},
                        {QStringLiteral("c"), kCost, 1}});
    f.login(QStringLiteral("cjld"));

    const struct
    {
        bool shipAffairs;
        const char *name;
        const char *caption;
        const char *heading;
        QStringList headers;
        const char *label;
        QStringList listed;
    } windows[] = {
        {false,
         "F_itemmodifycj",
         "船检科收费项目更改",
         "船检科收费项目",
         {QStringLiteral("现有收费项目")},
         "收费项目名称",
         {QStringLiteral("甲"), QStringLiteral("乙"), QStringLiteral("丙")}},
        {true,
         "F_itemmodifycw",
         "船务科收费项目管理",
         "船务科收费项目",
         {QStringLiteral("收费项目"), QStringLiteral("单价"), QStringLiteral("所属类型")},
         "项目名称",
         // Types in descending order, by order number within a type.
         kRegistration > kCost ? QStringList{"a", "b", "c"} : QStringList{"c", "a", "b"}},
    };
    for (const auto &expected : windows) {
        auto w = openCatalogue(f, expected.shipAffairs);
        QCOMPARE(w->objectName(), QString::fromLatin1(expected.name));
        QCOMPARE(w->windowTitle(), QString::fromUtf8(expected.caption));
        QCOMPARE(w->Label1->text(), QString::fromUtf8(expected.heading));
        QCOMPARE(headerTexts(w->DBGrid_item), expected.headers);
        QCOMPARE(captionOf(w->findChild<QLabel *>(QStringLiteral("Label2"))->text()),
                 QString::fromUtf8(expected.label));
        QCOMPARE(columnTexts(w->DBGrid_item), expected.listed);
        QCOMPARE(w->DBGrid_item->currentIndex().row(), 0);
        QVERIFY(w->bt_add->isEnabled());
        for (QPushButton *b : {w->bt_save, w->bt_del, w->bt_up, w->bt_down})
            QVERIFY2(!b->isEnabled(), qPrintable(b->objectName()));
        QVERIFY(!w->DBEdit1->isEnabled());
        QCOMPARE(w->DBEdit2 != nullptr, expected.shipAffairs);
        if (expected.shipAffairs) {
            QVERIFY(!w->DBEdit2->isEnabled() && !w->DBComboBox1->isEnabled());
            QStringList types;
            for (int i = 0; i < w->DBComboBox1->count(); ++i)
                types << w->DBComboBox1->itemText(i);
            QCOMPARE(types, (QStringList{kRegistration, kCost, QStringLiteral("船员培训、申验、考试"),
                                         QStringLiteral("内部资料")}));
        }
    }
}

void TestCatalogues::addItem_data()
{
    QTest::addColumn<bool>("shipAffairs");
    QTest::newRow("itemcj") << false;
    QTest::newRow("itemcw") << true;
}

void TestCatalogues::addItem()
{
    QFETCH(bool, shipAffairs);
    MainWindowFixture f;
    const QString table = shipAffairs ? QStringLiteral("itemcw") : QStringLiteral("itemcj");
    addInspectionItems(f, {{QStringLiteral("检验费"), 4}});
    addAffairsItems(f, {{QStringLiteral("检验费"), kRegistration, 4}, {QStringLiteral("证书费"), kCost, 2}});
    f.db->exec(QStringLiteral("update counter set ordercj=10, ordercw=20"));
    f.login(shipAffairs ? QStringLiteral("cwld") : QStringLiteral("cjld"));
    auto w = openCatalogue(f, shipAffairs);
    const QString missing = shipAffairs ? QStringLiteral("收费项目名称及其类型不可为空")
                                        : QStringLiteral("收费项目名称不可为空");
    const QString exists = shipAffairs ? QStringLiteral("该收费检验项目已存在") : QStringLiteral("该收费项目已存在");

    QTest::mouseClick(w->bt_add, Qt::LeftButton);
    const int drawn = shipAffairs ? 21 : 11;
    QCOMPARE(f.db->scalar(QStringLiteral("select %1 from counter").arg(shipAffairs ? "ordercw" : "ordercj")).toInt(),
             drawn);
    QVERIFY(w->bt_save->isEnabled());
    for (QPushButton *b : {w->bt_add, w->bt_del, w->bt_up, w->bt_down})
        QVERIFY(!b->isEnabled());
    QVERIFY(w->DBEdit1->isEnabled() && !w->DBGrid_item->isEnabled());
    // Only the inspection catalogue puts the focus in the name field.
    QCOMPARE(focused() == w->DBEdit1, !shipAffairs);

    auto refusedWith = [&](const QString &message) {
        f.shown.clear();
        QTest::mouseClick(w->bt_save, Qt::LeftButton);
        QCOMPARE(f.shown.informations, QStringList{message});
        QVERIFY(f.shown.errors.isEmpty());
        QCOMPARE(focused(), w->DBEdit1);
        QVERIFY(w->bt_save->isEnabled() && !w->DBGrid_item->isEnabled());
    };
    refusedWith(missing);
    w->DBEdit1->setFocus();
    typeText(w->DBEdit1, QStringLiteral("检验费"));
    if (shipAffairs) {
        refusedWith(missing);              // a name without a type
        pickEntry(w->DBComboBox1, kCost);  // an existing name under another type
    }
    refusedWith(exists);
    QCOMPARE(f.db->scalar(QStringLiteral("select count(*) from %1").arg(table)).toInt(), shipAffairs ? 2 : 1);

    w->DBEdit1->clear();
    typeText(w->DBEdit1, QStringLiteral("丈量费"));
    if (shipAffairs) {
        w->DBEdit2->setFocus();
        typeText(w->DBEdit2, QStringLiteral("12.5abc"));
        QCOMPARE(w->DBEdit2->text(), QStringLiteral("12.5"));
    }
    f.shown.clear();
    QTest::mouseClick(w->bt_save, Qt::LeftButton);
    QVERIFY2(f.shown.all().isEmpty(), qPrintable(f.shown.all().join('|')));
    QCOMPARE(orderOf(f, table, QStringLiteral("丈量费")), drawn);
    if (shipAffairs) {
        QCOMPARE(f.db->scalar(QStringLiteral("select danjia from itemcw where name=?"), {QStringLiteral("丈量费")})
                     .toDouble(),
                 12.5);
        QCOMPARE(
            f.db->scalar(QStringLiteral("select type from itemcw where name=?"), {QStringLiteral("丈量费")}).toString(),
            kCost);
    }
    QVERIFY(w->bt_add->isEnabled());
    for (QPushButton *b : {w->bt_save, w->bt_del, w->bt_up, w->bt_down})
        QVERIFY2(!b->isEnabled(), qPrintable(b->objectName()));
    QVERIFY(!w->DBEdit1->isEnabled() && w->DBGrid_item->isEnabled());
    // The new item stands last (at the foot of its fee type).
    const QStringList listed = columnTexts(w->DBGrid_item);
    if (shipAffairs) {
        const QStringList types = columnTexts(w->DBGrid_item, 2);
        QCOMPARE(int(types.lastIndexOf(kCost)), int(listed.indexOf(QStringLiteral("丈量费"))));
    } else {
        QCOMPARE(listed.last(), QStringLiteral("丈量费"));
    }
}

void TestCatalogues::abandonedAddLeavesAGap_data()
{
    addItem_data();
}

void TestCatalogues::abandonedAddLeavesAGap()
{
    QFETCH(bool, shipAffairs);
    MainWindowFixture f;
    const QString table = shipAffairs ? QStringLiteral("itemcw") : QStringLiteral("itemcj");
    addInspectionItems(f, {{QStringLiteral("旧"), 5}});
    addAffairsItems(f, {{QStringLiteral("旧"), kCost, 5}});
    f.db->exec(QStringLiteral("update counter set ordercj=5, ordercw=5"));
    f.login(shipAffairs ? QStringLiteral("cwld") : QStringLiteral("cjld"));
    {
        auto w = openCatalogue(f, shipAffairs);
        QTest::mouseClick(w->bt_add, Qt::LeftButton);
        w->DBEdit1->setFocus();
        typeText(w->DBEdit1, QStringLiteral("放弃"));
        w->close();
    }
    QCOMPARE(f.db->scalar(QStringLiteral("select count(*) from %1").arg(table)).toInt(), 1);
    auto w = openCatalogue(f, shipAffairs);
    QTest::mouseClick(w->bt_add, Qt::LeftButton);
    w->DBEdit1->setFocus();
    typeText(w->DBEdit1, QStringLiteral("新"));
    if (shipAffairs)
        pickEntry(w->DBComboBox1, kCost);
    QTest::mouseClick(w->bt_save, Qt::LeftButton);
    QVERIFY(f.shown.all().isEmpty());
    QCOMPARE(orderOf(f, table, QStringLiteral("新")), 7);
    QCOMPARE(columnTexts(w->DBGrid_item), (QStringList{QStringLiteral("旧"), QStringLiteral("新")}));
}

void TestCatalogues::movesWholeList()
{
    MainWindowFixture f;
    addInspectionItems(f, {{QStringLiteral("只一项"), 3}});
    f.login(QStringLiteral("cjld"));
    {
        // One item: at the top and at the bottom at once.
        auto w = openCatalogue(f, false);
        clickGridRow(w->DBGrid_item, 0);
        QTest::mouseClick(w->bt_up, Qt::LeftButton);
        QTest::mouseClick(w->bt_down, Qt::LeftButton);
        QCOMPARE(f.shown.informations, (QStringList{QStringLiteral("已经到顶"), QStringLiteral("已经到底")}));
        QCOMPARE(orderOf(f, QStringLiteral("itemcj"), QStringLiteral("只一项")), 3);
    }
    f.shown.clear();
    // Gaps in the numbers stay: a move exchanges two numbers, nothing more.
    addInspectionItems(f, {{QStringLiteral("二"), 8}, {QStringLiteral("三"), 20}});
    auto w = openCatalogue(f, false);
    clickGridRow(w->DBGrid_item, 0);
    QTest::mouseClick(w->bt_down, Qt::LeftButton);
    QCOMPARE(columnTexts(w->DBGrid_item), (QStringList{"二", "只一项", "三"}));
    QCOMPARE(w->DBGrid_item->currentIndex().row(), 1);
    QVERIFY(w->bt_down->isEnabled() && w->bt_up->isEnabled());
    // The same button again moves the same item on.
    QTest::mouseClick(w->bt_down, Qt::LeftButton);
    QCOMPARE(columnTexts(w->DBGrid_item), (QStringList{"二", "三", "只一项"}));
    QCOMPARE(w->DBGrid_item->currentIndex().row(), 2);
    QCOMPARE(orderOf(f, QStringLiteral("itemcj"), QStringLiteral("二")), 3);
    QCOMPARE(orderOf(f, QStringLiteral("itemcj"), QStringLiteral("三")), 8);
    QCOMPARE(orderOf(f, QStringLiteral("itemcj"), QStringLiteral("只一项")), 20);
    QTest::mouseClick(w->bt_down, Qt::LeftButton);
    QCOMPARE(f.shown.informations, QStringList{QStringLiteral("已经到底")});
    QCOMPARE(w->DBGrid_item->currentIndex().row(), 2);
    QTest::mouseClick(w->bt_up, Qt::LeftButton);
    QCOMPARE(columnTexts(w->DBGrid_item), (QStringList{"二", "只一项", "三"}));
    QCOMPARE(w->DBGrid_item->currentIndex().row(), 1);
    QCOMPARE(w->DBEdit1->text(), QStringLiteral("只一项"));
}

void TestCatalogues::movesWithinFeeType()
{
    MainWindowFixture f;
    // Two fee types of two items each.
    addAffairsItems(f, {{QStringLiteral("登1"), kRegistration, 1},
                        {QStringLiteral("登2"), kRegistration, 4},
                        {QStringLiteral("工1"), kCost, 2},
                        {QStringLiteral("工2"), kCost, 3}});
    f.login(QStringLiteral("cwld"));
    auto w = openCatalogue(f, true);
    const QStringList listed = columnTexts(w->DBGrid_item);
    QCOMPARE(listed.size(), 4);
    const QString firstGroup = columnTexts(w->DBGrid_item, 2).first();
    const QString upper = firstGroup == kRegistration ? QStringLiteral("登") : QStringLiteral("工");
    const QString lower = firstGroup == kRegistration ? QStringLiteral("工") : QStringLiteral("登");
    QCOMPARE(listed, (QStringList{upper + "1", upper + "2", lower + "1", lower + "2"}));

    // The first item of the lower group cannot rise into the upper one, nor
    // the last of the upper group sink into the lower one.
    clickGridRow(w->DBGrid_item, 2);
    QTest::mouseClick(w->bt_up, Qt::LeftButton);
    QCOMPARE(w->DBGrid_item->currentIndex().row(), 2);
    clickGridRow(w->DBGrid_item, 1);
    QTest::mouseClick(w->bt_down, Qt::LeftButton);
    QCOMPARE(w->DBGrid_item->currentIndex().row(), 1);
    QCOMPARE(f.shown.informations, (QStringList{QStringLiteral("已到该收费类型的顶部，不可再移动"),
                                                QStringLiteral("已到该收费类型的底部，不可再移动")}));
    QCOMPARE(columnTexts(w->DBGrid_item), listed);
    QCOMPARE(w->DBEdit1->text(), upper + "2");

    // Within a group the two exchange their numbers.
    f.shown.clear();
    QTest::mouseClick(w->bt_up, Qt::LeftButton);
    QVERIFY(f.shown.all().isEmpty());
    QCOMPARE(columnTexts(w->DBGrid_item), (QStringList{upper + "2", upper + "1", lower + "1", lower + "2"}));
    QCOMPARE(w->DBGrid_item->currentIndex().row(), 0);
    QTest::mouseClick(w->bt_up, Qt::LeftButton);
    QCOMPARE(f.shown.informations, QStringList{QStringLiteral("已经到顶")});
}

void TestCatalogues::deleteKeepsOrder()
{
    MainWindowFixture f;
    addInspectionItems(f, {{QStringLiteral("一"), 1}, {QStringLiteral("二"), 2}, {QStringLiteral("三"), 3}});
    f.login(QStringLiteral("cjld"));
    auto w = openCatalogue(f, false);
    clickGridRow(w->DBGrid_item, 1);
    QVERIFY(w->bt_del->isEnabled());
    QTest::mouseClick(w->bt_del, Qt::LeftButton);
    QVERIFY(!w->bt_del->isEnabled());
    QCOMPARE(columnTexts(w->DBGrid_item), (QStringList{"一", "三"}));
    QCOMPARE(orderOf(f, QStringLiteral("itemcj"), QStringLiteral("三")), 3);
    // The cursor stands on the item that followed.
    QCOMPARE(w->DBEdit1->text(), QStringLiteral("三"));
}

QTEST_MAIN(TestCatalogues)
#include "tst_catalogues.moc"
