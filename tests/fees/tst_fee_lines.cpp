// Fee lines of a notice: creation from the catalogues, the type filter, the
// line selections and the total, on a real SQLite file and a real PostgreSQL.

#include "fee_fixture.h"

#include "app/current_user.h"
#include "db/db_error.h"
#include "db/named_query.h"
#include "fees/fee_lines.h"
#include "fees/line_queries.h"
#include "fees/number_text.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QtTest>

Q_DECLARE_METATYPE(NoticeFlags)

using namespace fees;

namespace {

UserRecord userOfRole(int typeId)
{
    UserRecord user;
    user.userName = QStringLiteral("测试员");
    user.typeId = typeId;
    user.deriveFromRole();
    return user;
}

const QString kShipAffairs = QStringLiteral("船务科");
const QString kInspection = QStringLiteral("船检科");
const QString kFinance = QStringLiteral("财务科");

}  // namespace

class TestFeeLines : public QObject
{
    Q_OBJECT
private slots:
    void unitPriceText_data();
    void unitPriceText();
    void linesCreatedOncePerNotice_data();
    void linesCreatedOncePerNotice();
    void shipAffairsLinesCarryUnitPrices_data() { kinds(); }
    void shipAffairsLinesCarryUnitPrices();
    void failedCreationLeavesNoLine_data() { kinds(); }
    void failedCreationLeavesNoLine();
    void pressDoesNothing_data();
    void pressDoesNothing();
    void typeFilter_data();
    void typeFilter();
    void selectionsKeepCountingLines_data();
    void selectionsKeepCountingLines();
    void totalIsWrittenUnstored_data() { kinds(); }
    void totalIsWrittenUnstored();

private:
    void kinds();
    std::unique_ptr<FeeFixture> fixture(DbKind kind);
    void setAmounts(FeeFixture &f, const QList<QPair<QString, QVariant>> &amounts);
};

void TestFeeLines::kinds()
{
    addKindRows();
}

std::unique_ptr<FeeFixture> TestFeeLines::fixture(DbKind kind)
{
    return FeeFixture::create(kind, QStringLiteral("fee-lines"));
}

void TestFeeLines::setAmounts(FeeFixture &f, const QList<QPair<QString, QVariant>> &amounts)
{
    for (const auto &[name, money] : amounts)
        f.db->exec(QStringLiteral("update itemofnotice set money=? where itemname=?"), {money, name});
}

void TestFeeLines::unitPriceText_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("whole") << 30.0 << "30";
    QTest::newRow("one decimal") << 12.5 << "12.5";
    QTest::newRow("sum with binary noise") << 0.1 + 0.2 << "0.3";
    QTest::newRow("fifteen digits") << 1.0 / 3.0 << "0.333333333333333";
    QTest::newRow("small, no exponent") << 0.00001 << "0.00001";
    QTest::newRow("large, no exponent") << 1.5e20 << "150000000000000000000";
    QTest::newRow("rounded to fifteen digits") << 1234567890.123456789 << "1234567890.12346";
    QTest::newRow("negative") << -2.5 << "-2.5";
}

void TestFeeLines::unitPriceText()
{
    QFETCH(double, value);
    QFETCH(QString, text);
    QCOMPARE(plainNumberText(value), text);
}

void TestFeeLines::linesCreatedOncePerNotice_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("role");
    QTest::addColumn<QStringList>("names");  // in orderx order
    for (DbKind kind : testedKinds()) {
        QTest::addRow("%s ship affairs", qPrintable(kindName(kind)))
            << int(kind) << 3
            << QStringList{"变更登记费", "培训费", "证书工本费", "资料费", "船舶登记费", "船名'牌'费"};
        QTest::addRow("%s ship inspection", qPrintable(kindName(kind)))
            << int(kind) << 5 << QStringList{"检验费", "图纸审查费", "丈量费"};
    }
}

void TestFeeLines::linesCreatedOncePerNotice()
{
    QFETCH(int, role);
    QFETCH(QStringList, names);
    FIXTURE(f, rowKind(), fixture);
    f->openNotice();
    const UserRecord clerk = userOfRole(role);

    QVERIFY(prepareFeeLines(*f->dm, clerk));
    QCOMPARE(CurrentNoticeID, FeeFixture::kNoticeId);
    QCOMPARE(f->lineCount(), names.size());
    QVERIFY(!f->dm->aq_itemofnotice->isActive());

    // Stored on commit: another connection sees them.
    QStringList stored;
    QSqlQuery q(f->db->connection());
    QVERIFY(q.exec(QStringLiteral("select itemname from itemofnotice where ID='0000001'")));
    while (q.next())
        stored << q.value(0).toString();
    stored.sort();
    QStringList expected = names;
    expected.sort();
    QCOMPARE(stored, expected);

    // A later catalogue row and a second press add nothing.
    f->db->exec(QStringLiteral("insert into itemcw (name,danjia,type,orderx) values ('新增费',1,'登记',9)"));
    f->db->exec(QStringLiteral("insert into itemcj (name,orderx) values ('新增费',9)"));
    QVERIFY(prepareFeeLines(*f->dm, clerk));
    QCOMPARE(f->lineCount(), names.size());

    // The editor load of the section lists them.
    if (role == 5) {
        openEditorLines(*f->dm, kInspection);
        QCOMPARE(f->openLineNames(), names);
    }

    // Another notice gets its own lines.
    f->openNotice({}, QStringLiteral("0000002"));
    QVERIFY(prepareFeeLines(*f->dm, clerk));
    QCOMPARE(CurrentNoticeID, QStringLiteral("0000002"));
    QCOMPARE(f->lineCount(QStringLiteral("0000002")), names.size() + 1);
    QCOMPARE(f->lineCount(), names.size());
}

void TestFeeLines::shipAffairsLinesCarryUnitPrices()
{
    FIXTURE(f, rowKind(), fixture);
    QCOMPARE(createLinesIfNone(f->dm->database(), userOfRole(3), FeeFixture::kNoticeId), 6);

    QSqlQuery q(f->db->connection());
    QVERIFY(q.exec(QStringLiteral("select itemname, description, type, orderx, money from itemofnotice")));
    QHash<QString, QVariantList> lines;
    while (q.next())
        lines.insert(q.value(0).toString(), {q.value(1), q.value(2), q.value(3), q.value(4)});
    QCOMPARE(lines.size(), 6);
    // Unit prices above 0 are the first calculation step, as plain numbers.
    QCOMPARE(lines[QStringLiteral("船舶登记费")][0].toString(), QStringLiteral("30"));
    QCOMPARE(lines[QStringLiteral("变更登记费")][0].toString(), QStringLiteral("12.5"));
    QCOMPARE(lines[QStringLiteral("证书工本费")][0].toString(), QStringLiteral("5"));
    // Zero, negative or no unit price: no description, but the type.
    for (const char *name : {"培训费", "资料费", "船名'牌'费"})
        QVERIFY2(lines[QString::fromUtf8(name)][0].isNull(), name);
    QCOMPARE(lines[QStringLiteral("培训费")][1].toString(), QStringLiteral("船员培训、申验、考试"));
    QCOMPARE(lines[QStringLiteral("船名'牌'费")][1].toString(), QStringLiteral("内部资料"));
    QCOMPARE(lines[QStringLiteral("船舶登记费")][2].toInt(), 2);
    // No line is created with an amount.
    for (const QVariantList &line : std::as_const(lines))
        QVERIFY(line[3].isNull());
}

void TestFeeLines::failedCreationLeavesNoLine()
{
    FIXTURE(f, rowKind(), fixture);
    // Two ship affairs catalogue rows share an orderx: with this index the
    // second of them cannot be stored, after others already were.
    QSqlQuery ddl(f->db->connection());
    QVERIFY2(ddl.exec(QStringLiteral("create unique index test_line_order on itemofnotice (ID, orderx)")),
             qPrintable(ddl.lastError().text()));
    f->openNotice();

    QVERIFY_THROWS_EXCEPTION(DbError, prepareFeeLines(*f->dm, userOfRole(3)));
    QCOMPARE(f->lineCount(), 0);

    // Nothing was left behind, so the next press creates every line.
    QVERIFY(ddl.exec(QStringLiteral("drop index test_line_order")));
    QVERIFY(prepareFeeLines(*f->dm, userOfRole(3)));
    QCOMPARE(f->lineCount(), 6);
}

void TestFeeLines::pressDoesNothing_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("role");
    QTest::addColumn<bool>("withNotice");
    for (DbKind kind : testedKinds()) {
        QTest::addRow("%s finance leader", qPrintable(kindName(kind))) << int(kind) << 8 << true;
        QTest::addRow("%s finance staff", qPrintable(kindName(kind))) << int(kind) << 7 << true;
        QTest::addRow("%s clerk without notice", qPrintable(kindName(kind))) << int(kind) << 3 << false;
    }
}

void TestFeeLines::pressDoesNothing()
{
    QFETCH(int, role);
    QFETCH(bool, withNotice);
    FIXTURE(f, rowKind(), fixture);
    if (withNotice)
        f->openNotice();
    else
        f->dm->aq_notice->open(QStringLiteral("select * from notice where 1=0"));
    CurrentNoticeID = QStringLiteral("before");

    QVERIFY(!prepareFeeLines(*f->dm, userOfRole(role)));
    QCOMPARE(CurrentNoticeID, QStringLiteral("before"));
    QCOMPARE(f->db->scalar(QStringLiteral("select count(*) from itemofnotice")).toInt(), 0);
}

void TestFeeLines::typeFilter_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<NoticeFlags>("flags");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("editorLines");
    for (DbKind kind : testedKinds()) {
        const QByteArray name = kindName(kind).toLocal8Bit();
        const char *k = name.constData();
        QTest::addRow("%s no flag", k) << int(kind) << NoticeFlags{} << QString() << QStringList{};
        QTest::addRow("%s one flag", k) << int(kind) << NoticeFlags{false, true, false, false}
                                        << QStringLiteral(" type='船员培训、申验、考试'") << QStringList{"培训费"};
        QTest::addRow("%s two flags", k) << int(kind) << NoticeFlags{true, false, true, false}
                                         << QStringLiteral(" type='登记' or type='工本费'")
                                         << QStringList{"变更登记费", "船舶登记费", "证书工本费"};
        // Type names descending, then orderx.
        QTest::addRow("%s all four", k)
            << int(kind) << NoticeFlags{true, true, true, true}
            << QStringLiteral(" type='登记' or type='船员培训、申验、考试' or type='工本费' or type='内部资料'")
            << QStringList{"培训费", "变更登记费", "船舶登记费", "证书工本费", "资料费", "船名'牌'费"};
    }
}

void TestFeeLines::typeFilter()
{
    QFETCH(NoticeFlags, flags);
    QFETCH(QString, text);
    QFETCH(QStringList, editorLines);
    FIXTURE(f, rowKind(), fixture);
    f->openNotice(flags);
    QVERIFY(prepareFeeLines(*f->dm, userOfRole(4)));

    openEditorLines(*f->dm, kShipAffairs);
    QCOMPARE(LineTypeFilter.text(), text);
    QCOMPARE(feeTypeFilter(*f->dm->aq_notice).text(), text);
    QCOMPARE(f->openLineNames(), editorLines);
}

void TestFeeLines::selectionsKeepCountingLines_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("department");   // the viewer's section
    QTest::addColumn<QString>("lineSection");  // the section whose catalogue made the lines
    QTest::addColumn<QStringList>("editor");
    QTest::addColumn<QStringList>("display");
    QTest::addColumn<double>("total");
    for (DbKind kind : testedKinds()) {
        const QByteArray name = kindName(kind).toLocal8Bit();
        const char *k = name.constData();
        QTest::addRow("%s ship inspection", k)
            << int(kind) << kInspection << kInspection << QStringList{"检验费", "图纸审查费", "丈量费"}
            << QStringList{"检验费", "丈量费"} << 30.75;
        // dengji and gongbenfei are set on the notice.
        QTest::addRow("%s ship affairs", k)
            << int(kind) << kShipAffairs << kShipAffairs << QStringList{"变更登记费", "船舶登记费", "证书工本费"}
            << QStringList{"船舶登记费"} << 120.0;
        // Finance sees every line with an amount, whatever its type.
        QTest::addRow("%s finance", k) << int(kind) << kFinance << kShipAffairs << QStringList{}
                                       << QStringList{"培训费", "船舶登记费", "船名'牌'费"} << 0.0;
    }
}

void TestFeeLines::selectionsKeepCountingLines()
{
    QFETCH(QString, department);
    QFETCH(QString, lineSection);
    QFETCH(QStringList, editor);
    QFETCH(QStringList, display);
    QFETCH(double, total);
    FIXTURE(f, rowKind(), fixture);
    f->openNotice({true, false, true, false});
    createLinesIfNone(f->dm->database(), userOfRole(lineSection == kInspection ? 5 : 3), FeeFixture::kNoticeId);
    const QVariant none(QMetaType::fromType<double>());
    setAmounts(*f, {{"检验费", 10.5},
                    {"图纸审查费", 0.0},
                    {"丈量费", 20.25},
                    {"变更登记费", 0.0},
                    {"船舶登记费", 120.0},
                    {"证书工本费", none},
                    {"培训费", 40.0},
                    {"船名'牌'费", 2.0},
                    {"资料费", -3.0}});
    CurrentNoticeID = FeeFixture::kNoticeId;

    if (department != kFinance) {
        openEditorLines(*f->dm, department);
        QCOMPARE(f->openLineNames(), editor);
    }
    openNoticeLines(*f->dm, LineSelection::Display, department);
    QCOMPARE(f->openLineNames(), display);
    openNoticeLines(*f->dm, LineSelection::Print, department);
    QCOMPARE(f->openLineNames(), display);
    if (department != kFinance)
        QCOMPARE(writeNoticeTotal(*f->dm, department, CurrentNoticeID, LineTypeFilter), total);

    // A notice query without a notice leaves no lines open.
    f->dm->aq_notice->open(QStringLiteral("select * from notice where 1=0"));
    openNoticeLines(*f->dm, LineSelection::Display, department);
    QVERIFY(!f->dm->aq_itemofnotice->isActive());
}

void TestFeeLines::totalIsWrittenUnstored()
{
    FIXTURE(f, rowKind(), fixture);
    f->openNotice({true, false, true, false});
    QVERIFY(prepareFeeLines(*f->dm, userOfRole(3)));
    setAmounts(*f, {{"变更登记费", 100.0}, {"船舶登记费", 0.0}, {"证书工本费", 25.5}});
    openEditorLines(*f->dm, kShipAffairs);

    QStringList changed;
    connect(f->dm->aq_notice, &NamedQuery::valueChanged, this, [&](const QString &c) { changed << c; });
    QCOMPARE(writeNoticeTotal(*f->dm, kShipAffairs, CurrentNoticeID, LineTypeFilter), 125.5);
    QCOMPARE(f->dm->aq_notice->state(), NamedQuery::State::Editing);
    QCOMPARE(f->dm->aq_notice->value("money").toDouble(), 125.5);
    QCOMPARE(changed, QStringList{"money"});
    QVERIFY(f->db->scalar(QStringLiteral("select money from notice")).isNull());
    // The lines query stays on the total's lines, at the first.
    NamedQuery &lines = *f->dm->aq_itemofnotice;
    QCOMPARE(lines.rowCount(), 2);
    QCOMPARE(lines.currentRow(), 0);
}

QTEST_MAIN(TestFeeLines)
#include "tst_fee_lines.moc"
