#include "report/report.h"
#include "report_engine_support.h"

#include <QProcess>
#include <QRegularExpression>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

// report/notice.frf as the program uses it: the notice query on the notice printed,
// its printable lines, the fee-type captions and the amount in capitals.
class TestNoticeTemplate : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void printsTheNotice_data();
    void printsTheNotice();
    void fullestNoticeFitsOneSheet_data();
    void fullestNoticeFitsOneSheet();
    void longNoticeCarriesLinesOver();
};

namespace {

// The notice row as printing hands it over: the row and the section flags
// that choose the block of the notice's section.
ReportRowSource noticeRow(QSqlQuery &query)
{
    QSqlRecord record = query.record();
    const QString department = record.value(QStringLiteral("department")).toString();
    for (const auto &[name, set] :
         {std::pair{QStringLiteral("is_inspection"), department == QStringLiteral("船检科")},
          std::pair{QStringLiteral("is_shipaffairs"), department == QStringLiteral("船务科")}}) {
        QSqlField field(name, QMetaType(QMetaType::Bool));
        field.setValue(set);
        record.append(field);
    }
    return fixedRows(ReportRows{{record}, 0});
}

int pdfPages(const QString &pdf)
{
    QProcess info;
    info.start(QStringLiteral("pdfinfo"), {pdf});
    if (!info.waitForFinished(30000))
        return -1;
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral(R"(Pages:\s+(\d+))")).match(QString::fromUtf8(info.readAllStandardOutput()));
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

// A notice of the section with the lines given, printed to PDF; returns the
// PDF's text, pages separated by form feeds.
struct PrintedNotice
{
    QString text;
    int pages = 0;
};

PrintedNotice printNotice(const QString &folder, const NoticeDatabase::Notice &notice,
                          const QList<std::tuple<QString, QString, double>> &lines, const QString &capitals)
{
    NoticeDatabase database(QDir(folder).filePath(QStringLiteral("n.db")));
    database.addNotice(notice);
    int order = 0;
    for (const auto &[item, steps, money] : lines)
        database.addLine(notice.id, item, steps, money, QStringLiteral("登记"), ++order);
    QSqlQuery noticeQuery(database.db());
    noticeQuery.exec(QStringLiteral("select * from notice"));
    noticeQuery.first();
    QSqlQuery lineQuery(database.db());
    lineQuery.exec(QStringLiteral("select * from itemofnotice order by orderx"));
    ReportVariables::set(QStringLiteral("bigmoney"), capitals);
    for (int i = 1; i <= 4; ++i)
        ReportVariables::set(QStringLiteral("memocw%1").arg(i), QStringLiteral("类别%1").arg(i));
    Report report;
    report.setDataset(QStringLiteral("frDB_notice"), noticeRow(noticeQuery), ReportRange::CurrentRow);
    report.setDataset(QStringLiteral("frDB_itemofnotice"), &lineQuery, ReportRange::AllRows);
    report.loadFromFile(QStringLiteral("report/notice.frf"));
    const QString pdf = QDir(folder).filePath(QStringLiteral("notice.pdf"));
    if (!report.exportPdf(pdf))
        return {};
    return {pdfText(pdf), pdfPages(pdf)};
}

}  // namespace

void TestNoticeTemplate::initTestCase()
{
    QVERIFY2(QFile::exists(QStringLiteral("report/notice.frf")), "run from the build folder");
    if (!pdftotextAvailable())
        QSKIP("pdftotext is not installed");
}

void TestNoticeTemplate::printsTheNotice_data()
{
    QTest::addColumn<QString>("department");
    QTest::addColumn<QStringList>("captions");  // memocw1..memocw4
    QTest::addColumn<bool>("withLines");
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<QStringList>("notShown");

    QTest::newRow("ship affairs, two fee types")
        << QStringLiteral("船务科")
        << QStringList{QStringLiteral("登记费"), QString(), QStringLiteral("工本费"), QString()} << true
        << QStringList{QStringLiteral("收费类别："), QStringLiteral("登记费"), QStringLiteral("工本费")}
        << QStringList{QStringLiteral("检验类型"), QStringLiteral("记帐单位"), QStringLiteral("内部资料"),
                       QStringLiteral("无收费项目")};
    QTest::newRow("ship inspection") << QStringLiteral("船检科")
                                     << QStringList{QString(), QString(), QString(), QString()} << true
                                     << QStringList{QStringLiteral("检验类型：营运检验"),
                                                    QStringLiteral("检验内容：年度检验"),
                                                    QStringLiteral("记帐单位：舟山船务有限公司")}
                                     << QStringList{QStringLiteral("收费类别")};
    QTest::newRow("no printable lines") << QStringLiteral("船务科")
                                        << QStringList{QString(), QString(), QString(), QString()} << false
                                        << QStringList{QStringLiteral("（无收费项目）")}
                                        << QStringList{QStringLiteral("船舶登记费")};
}

void TestNoticeTemplate::printsTheNotice()
{
    QFETCH(QString, department);
    QFETCH(QStringList, captions);
    QFETCH(bool, withLines);
    QFETCH(QStringList, shown);
    QFETCH(QStringList, notShown);

    QTemporaryDir dir;
    NoticeDatabase database(dir.filePath(QStringLiteral("n.db")));
    NoticeDatabase::Notice notice;
    notice.id = department == QStringLiteral("船检科") ? QStringLiteral("1000042") : QStringLiteral("0000042");
    notice.rdate = QDateTime(QDate(2024, 6, 18), QTime(14, 5, 9));
    notice.money = withLines ? 1234.5 : 0;
    notice.status = 2;
    notice.department = department;
    notice.shipname = QStringLiteral("浙舟渔12345");
    notice.handler = QStringLiteral("王小明");
    notice.leader = QStringLiteral("李科长");
    if (department == QStringLiteral("船检科")) {
        notice.checktype = QStringLiteral("营运检验");
        notice.checkcontent = QStringLiteral("年度检验");
        notice.company = QStringLiteral("舟山船务有限公司");
    }
    database.addNotice(notice);
    if (withLines) {
        database.addLine(notice.id, QStringLiteral("船舶登记费"), QStringLiteral("1000+200"), 1200,
                         QStringLiteral("登记"), 1);
        database.addLine(notice.id, QStringLiteral("证书工本费"), QStringLiteral("34.5"), 34.5,
                         QStringLiteral("工本费"), 2);
        database.addLine(notice.id, QStringLiteral("未收取项目"), QString(), 0, QStringLiteral("登记"), 3);
    }

    QSqlQuery noticeQuery(database.db());
    QVERIFY(noticeQuery.exec(QStringLiteral("select * from notice")));
    QVERIFY(noticeQuery.first());
    QSqlQuery lines(database.db());
    lines.prepare(QStringLiteral("select * from itemofnotice where id=? and money>0 order by orderx"));
    lines.addBindValue(notice.id);
    QVERIFY(lines.exec());

    for (int i = 0; i < 4; ++i)
        ReportVariables::set(QStringLiteral("memocw%1").arg(i + 1), captions.at(i));
    const QString capitals = withLines ? QStringLiteral("壹 仟 贰 佰 叁 拾 肆 元 伍 角 ") : QStringLiteral("零元整");
    ReportVariables::set(QStringLiteral("bigmoney"), capitals);

    Report report;
    report.setDataset(QStringLiteral("frDB_notice"), noticeRow(noticeQuery), ReportRange::CurrentRow);
    report.setDataset(QStringLiteral("frDB_itemofnotice"), &lines, ReportRange::AllRows);
    QVERIFY(report.loadFromFile(QStringLiteral("report\\notice.frf")));
    const QString pdf = dir.filePath(QStringLiteral("notice.pdf"));
    QVERIFY(report.exportPdf(pdf));
    const QString text = pdfText(pdf);

    const QStringList always{QStringLiteral("海事处"),
                             QStringLiteral("缴费通知单"),
                             QStringLiteral("通知单号：") + notice.id,
                             QStringLiteral("2024-06-18 14:05:09"),
                             QStringLiteral("缴费单位(个人或船只) ：浙舟渔12345"),
                             department,
                             QStringLiteral("收费项目"),
                             QStringLiteral("计算步骤"),
                             QStringLiteral("收费金额"),
                             QStringLiteral("经办人：王小明"),
                             QStringLiteral("审核人：李科长"),
                             capitals.trimmed()};
    for (const QString &expected : always + shown)
        QVERIFY2(text.contains(expected), qPrintable(expected + QStringLiteral(" missing in:\n") + text));
    for (const QString &unexpected : notShown)
        QVERIFY2(!text.contains(unexpected), qPrintable(unexpected + QStringLiteral(" shown in:\n") + text));

    if (withLines) {
        QVERIFY(text.contains(QRegularExpression(QStringLiteral(R"(1\s+船舶登记费\s+1000\+200\s+1200\.00)"))));
        QVERIFY(text.contains(QRegularExpression(QStringLiteral(R"(2\s+证书工本费\s+34\.5\s+34\.50)"))));
        QVERIFY(text.contains(QStringLiteral("¥1234.50")));
        QVERIFY(!text.contains(QStringLiteral("未收取项目")));
    } else {
        QVERIFY(text.contains(QStringLiteral("¥0.00")));
    }
    QCOMPARE(text.count(u'\f'), 1);  // one notice, one page
}

void TestNoticeTemplate::fullestNoticeFitsOneSheet_data()
{
    QTest::addColumn<QString>("department");
    QTest::addColumn<QStringList>("items");
    // Every item of the demo catalogues of each section.
    QTest::newRow("ship affairs") << QStringLiteral(
        "船务科") << QStringList{"船舶所有权登记费", "船舶国籍登记费", "船舶抵押权登记费", "船员培训费",
                                 "船员考试费",       "适任证书申验费", "证书工本费",       "船员服务簿工本费",
                                 "航行资料费",       "法规汇编资料费"};
    QTest::newRow("ship inspection") << QStringLiteral("船检科")
                                     << QStringList{"船舶检验费",   "图纸审查费",   "船用产品检验费", "吨位丈量费",
                                                    "载重线检验费", "防污染检验费", "证书费",         "交通费"};
}

// The notice as long as the catalogues make it, with the longest ship name
// the field takes and steps that run over two lines, on one sheet with its
// total, capitals and signatures.
void TestNoticeTemplate::fullestNoticeFitsOneSheet()
{
    QFETCH(QString, department);
    QFETCH(QStringList, items);
    QTemporaryDir dir;
    NoticeDatabase::Notice notice;
    notice.id = QStringLiteral("0012345");
    notice.rdate = QDateTime(QDate(2024, 12, 28), QTime(16, 45, 9));
    notice.department = department;
    notice.shipname = QStringLiteral("浙江省舟山市普陀区沈家门渔港东港航运有限公司第");  // 25 characters, 50 bytes
    notice.handler = QStringLiteral("欧阳船务");
    notice.leader = QStringLiteral("司马科长");
    notice.checktype = QStringLiteral("营运检验");
    notice.checkcontent = QStringLiteral("特别检验");
    notice.company = QStringLiteral("浙江省舟山市普陀区东港航运有限公司");
    QList<std::tuple<QString, QString, double>> lines;
    double total = 0;
    for (int i = 0; i < items.size(); ++i) {
        // Two of the steps are long enough to wrap in their column.
        const QString steps = i % 4 == 1
                                  ? QStringLiteral("(1250.5*12+380*4.5+26*18.75+990)*1.25+45*3+12.5*8+6*25.5+100")
                                  : QStringLiteral("%1*3").arg(100 + i);
        const double money = 1000 + i * 111.11;
        total += money;
        lines.append({items[i], steps, money});
    }
    notice.money = total;
    const PrintedNotice printed = printNotice(dir.path(), notice, lines, QStringLiteral("壹 万 贰 仟 元整"));
    QCOMPARE(printed.pages, 1);
    for (const QString &expected : {QStringLiteral("合计金额（小写）"), QStringLiteral("¥%1").arg(total, 0, 'f', 2),
                                    QStringLiteral("壹 万 贰 仟 元整"), QStringLiteral("经办人：欧阳船务"),
                                    QStringLiteral("审核人：司马科长"), items.last(), notice.shipname})
        QVERIFY2(printed.text.contains(expected),
                 qPrintable(expected + QStringLiteral(" missing in:\n") + printed.text));
    // The block of the notice's section, whatever else the row holds.
    const bool inspection = department == QStringLiteral("船检科");
    QCOMPARE(printed.text.contains(QStringLiteral("检验类型：营运检验")), inspection);
    QCOMPARE(printed.text.contains(QStringLiteral("收费类别：")), !inspection);
}

// A notice that cannot fit continues as a cashier would accept it: the lines
// carry over, and the total, capitals and signatures stand together on the
// last sheet.
void TestNoticeTemplate::longNoticeCarriesLinesOver()
{
    QTemporaryDir dir;
    NoticeDatabase::Notice notice;
    notice.id = QStringLiteral("0000777");
    notice.department = QStringLiteral("船务科");
    notice.shipname = QStringLiteral("海安号");
    notice.handler = QStringLiteral("张船务");
    notice.leader = QStringLiteral("钱科长");
    QList<std::tuple<QString, QString, double>> lines;
    for (int i = 1; i <= 45; ++i)
        lines.append({QStringLiteral("收费项目%1").arg(i), QStringLiteral("%1*2").arg(i), 2.0 * i});
    notice.money = 2070;
    const PrintedNotice printed = printNotice(dir.path(), notice, lines, QStringLiteral("贰 仟 零柒 拾 元整"));
    QVERIFY2(printed.pages >= 2, qPrintable(QString::number(printed.pages)));
    const QStringList sheets = printed.text.split(u'\f', Qt::SkipEmptyParts);
    QVERIFY(sheets.first().contains(QStringLiteral("收费项目1 ")));
    QString last;
    for (const QString &sheet : sheets)
        if (!sheet.trimmed().isEmpty())
            last = sheet;
    for (const QString &closing :
         {QStringLiteral("收费项目45"), QStringLiteral("¥2070.00"), QStringLiteral("贰 仟 零柒 拾 元整"),
          QStringLiteral("经办人：张船务"), QStringLiteral("审核人：钱科长")})
        QVERIFY2(last.contains(closing), qPrintable(closing + QStringLiteral(" not on the last sheet:\n") + last));
    for (int i = 0; i + 1 < sheets.size(); ++i)
        QVERIFY2(!sheets[i].contains(QStringLiteral("合计金额")) || sheets[i] == last,
                 "the total is on an earlier sheet");
}

QTEST_MAIN(TestNoticeTemplate)
#include "tst_notice_template.moc"
