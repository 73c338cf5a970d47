#include "report.h"
#include "reporttestsupport.h"

#include <QRegularExpression>
#include <QSqlQuery>
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
};

void TestNoticeTemplate::initTestCase()
{
    QVERIFY2(QFile::exists(QStringLiteral("report/notice.frf")), "run from the build folder");
    if (!pdftotextAvailable())
        QSKIP("pdftotext is not installed");
}

void TestNoticeTemplate::printsTheNotice_data()
{
    QTest::addColumn<QString>("department");
    QTest::addColumn<QStringList>("captions");   // memocw1..memocw4
    QTest::addColumn<bool>("withLines");
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<QStringList>("notShown");

    QTest::newRow("ship affairs, two fee types")
        << QStringLiteral("船务科")
        << QStringList{QStringLiteral("登记费"), QString(), QStringLiteral("工本费"), QString()} << true
        << QStringList{QStringLiteral("收费类别："), QStringLiteral("登记费"), QStringLiteral("工本费")}
        << QStringList{QStringLiteral("检验类型"), QStringLiteral("记帐单位"), QStringLiteral("内部资料"),
                       QStringLiteral("无收费项目")};
    QTest::newRow("ship inspection")
        << QStringLiteral("船检科") << QStringList{QString(), QString(), QString(), QString()} << true
        << QStringList{QStringLiteral("检验类型：营运检验"), QStringLiteral("检验内容：年度检验"),
                       QStringLiteral("记帐单位：舟山船务有限公司")}
        << QStringList{QStringLiteral("收费类别")};
    QTest::newRow("no printable lines")
        << QStringLiteral("船务科") << QStringList{QString(), QString(), QString(), QString()} << false
        << QStringList{QStringLiteral("（无收费项目）")} << QStringList{QStringLiteral("船舶登记费")};
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
    report.setDataset(QStringLiteral("frDB_notice"), &noticeQuery, ReportRange::CurrentRow);
    report.setDataset(QStringLiteral("frDB_itemofnotice"), &lines, ReportRange::AllRows);
    QVERIFY(report.loadFromFile(QStringLiteral("report\\notice.frf")));
    const QString pdf = dir.filePath(QStringLiteral("notice.pdf"));
    QVERIFY(report.exportPdf(pdf));
    const QString text = pdfText(pdf);

    const QStringList always{QStringLiteral("海事处"), QStringLiteral("缴费通知单"),
                             QStringLiteral("通知单号：") + notice.id, QStringLiteral("2024-06-18 14:05:09"),
                             QStringLiteral("缴费单位(个人或船只) ：浙舟渔12345"), department,
                             QStringLiteral("收费项目"), QStringLiteral("计算步骤"), QStringLiteral("收费金额"),
                             QStringLiteral("经办人：王小明"), QStringLiteral("审核人：李科长"),
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
    QCOMPARE(text.count(u'\f'), 1); // one notice, one page
}

QTEST_MAIN(TestNoticeTemplate)
#include "tst_noticetemplate.moc"
