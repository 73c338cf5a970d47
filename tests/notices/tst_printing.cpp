// Printing from the main window: the gate by section and state, what is handed
// to the report, and the printed state afterwards.

#include "main_window_fixture.h"

#include "db/named_query.h"
#include "report/report_preview.h"
#include "report/report_printer.h"
#include "report/report_variables.h"

#include "finance/notice_printing.h"

#include <QLineEdit>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlRecord>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

class TestPrinting : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void gate_data();
    void gate();
    void handsOverNoticeLinesAndVariables();
    void refusedClickChangesNothing();
    void printedNoticeReadsBack();
    void failedPrintLeavesNoticePrintable();
    void refusesAmountsThatCannotBePrinted_data();
    void refusesAmountsThatCannotBePrinted();
    void fullestDemoNoticeOnOneSheet();
    void linesLeaveWithPrintedNotice();

private:
    QList<PreparedReport> m_previews;
};

namespace {

// Every notice of the fixture gets one line that makes up its amount (100,
// of the ticked type 登记), so that each is printable.
void addMatchingLines(MainWindowFixture &f)
{
    f.db->exec(QStringLiteral("insert into itemofnotice (ID,itemname,description,money,type,orderx) "
                              "select ID,'船舶检验费','100',100,'登记',1 from notice"));
}

int statusOf(MainWindowFixture &f, const QString &id)
{
    return f.db->scalar(QStringLiteral("select status from notice where ID=?"), {id}).toInt();
}

}  // namespace

void TestPrinting::init()
{
    m_previews.clear();
    ReportPreview::setHook([this](const QList<PreparedReport> &reports) { m_previews += reports; });
}

void TestPrinting::cleanup()
{
    ReportPreview::setHook({});
}

void TestPrinting::gate_data()
{
    QTest::addColumn<QString>("nickname");
    QTest::addColumn<QString>("id");
    QTest::addColumn<bool>("prints");
    QTest::newRow("inspection, approved") << "cjld"
                                          << "1000002" << true;
    QTest::newRow("inspection, new") << "cjld"
                                     << "1000001" << false;
    QTest::newRow("inspection, rejected") << "cjld"
                                          << "1000005" << false;
    QTest::newRow("ship affairs, new") << "cwld"
                                       << "0000011" << true;
    QTest::newRow("ship affairs, approved") << "cwld"
                                            << "0000012" << true;
    QTest::newRow("ship affairs, printed") << "cwld"
                                           << "0000013" << false;
    QTest::newRow("other section's notice") << "cjld"
                                            << "0000012" << false;
}

void TestPrinting::gate()
{
    QFETCH(QString, nickname);
    QFETCH(QString, id);
    QFETCH(bool, prints);
    MainWindowFixture f;
    f.addNotices();
    addMatchingLines(f);
    f.login(nickname);
    // The handler repeats the gate itself, whatever the button's state.
    f.dm->aq_notice->open(QStringLiteral("select * from notice where ID=?"), {id});
    const int before = f.db->scalar(QStringLiteral("select status from notice where ID=?"), {id}).toInt();
    f.window->bt_printClick();
    QCOMPARE(m_previews.size(), prints ? 1 : 0);
    QCOMPARE(f.db->scalar(QStringLiteral("select status from notice where ID=?"), {id}).toInt(), prints ? 3 : before);
    QVERIFY2(f.shown.all().isEmpty(), qPrintable(f.shown.all().join(QLatin1Char('|'))));
    QVERIFY(!f.button("bt_print")->isEnabled());  // resting again in every case
}

void TestPrinting::handsOverNoticeLinesAndVariables()
{
    MainWindowFixture f;
    f.addNotices();
    f.db->exec(QStringLiteral("update notice set money=102.5, dengji=?, peixun=?, gongbenfei=?, neibuziliao=? "
                              "where ID='0000012'"),
               {true, false, true, false});
    const QList<QVariantList> lines{
        {QStringLiteral("0000012"), QStringLiteral("船舶登记费"), QStringLiteral("30*3"), 90.0, QStringLiteral("登记"),
         1},
        {QStringLiteral("0000012"), QStringLiteral("证书工本费"), QStringLiteral("12.5"), 12.5,
         QStringLiteral("工本费"), 2},
        {QStringLiteral("0000012"), QStringLiteral("资料费"), QStringLiteral("5"), 5.0, QStringLiteral("内部资料"), 3},
        {QStringLiteral("0000012"), QStringLiteral("抵押登记费"), QString(), 0.0, QStringLiteral("登记"), 4},
    };
    for (const QVariantList &l : lines)
        f.db->exec(QStringLiteral("insert into itemofnotice (ID,itemname,description,money,type,orderx) "
                                  "values (?,?,?,?,?,?)"),
                   l);
    ReportVariables::set(QStringLiteral("memocw2"), QStringLiteral("left over from an earlier print"));
    f.login(QStringLiteral("cw"));
    f.action("bt_checked")->trigger();
    f.clickRow(f.rowOf(QStringLiteral("0000012")));
    QVERIFY(f.button("bt_print")->isEnabled());
    QTest::mouseClick(f.button("bt_print"), Qt::LeftButton);
    QCOMPARE(m_previews.size(), 1);

    const PreparedReport &r = m_previews.first();
    QCOMPARE(QDir::fromNativeSeparators(r.templatePath), QStringLiteral("report/notice.frf"));
    QCOMPARE(r.variables.value(QStringLiteral("memocw1")).toString(), QStringLiteral("登记费"));
    QCOMPARE(r.variables.value(QStringLiteral("memocw2")).toString(), QString());
    QCOMPARE(r.variables.value(QStringLiteral("memocw3")).toString(), QStringLiteral("工本费"));
    QCOMPARE(r.variables.value(QStringLiteral("memocw4")).toString(), QString());
    QCOMPARE(r.variables.value(QStringLiteral("bigmoney")).toString(), QStringLiteral("壹 佰 零贰 元 伍 角 "));
    const ReportRows notice = r.datasets.value(QStringLiteral("frDB_notice")).rows;
    QCOMPARE(notice.records.at(notice.current).value(QStringLiteral("ID")).toString(), QStringLiteral("0000012"));
    // Printable lines: the ticked types, amounts above 0, type descending then order.
    QStringList items;
    for (const QSqlRecord &line : r.datasets.value(QStringLiteral("frDB_itemofnotice")).rows.records)
        items << line.value(QStringLiteral("itemname")).toString();
    QCOMPARE(items, (QStringList{"船舶登记费", "证书工本费"}));
    // The report itself was filled in from them.
    QVERIFY(r.html.contains(QStringLiteral("0000012")));
    QVERIFY(r.html.contains(QStringLiteral("证书工本费")));

    QCOMPARE(f.db->scalar(QStringLiteral("select status from notice where ID='0000012'")).toInt(), 3);
    // The list refreshes at once: the printed notice left "未打印".
    QVERIFY(!f.listedIds().contains(QStringLiteral("0000012")));
}

void TestPrinting::refusedClickChangesNothing()
{
    MainWindowFixture f;
    f.addNotices();
    f.login(QStringLiteral("cwld"));
    f.action("bt_printed")->trigger();
    QCOMPARE(f.listedIds(), QStringList{"0000013"});
    f.clickRow(0);
    QVERIFY(!f.button("bt_print")->isEnabled());
    f.window->bt_printClick();  // as if clicked anyway
    QVERIFY(m_previews.isEmpty());
    QCOMPARE(f.db->scalar(QStringLiteral("select status from notice where ID='0000013'")).toInt(), 3);
    QCOMPARE(f.listedIds(), QStringList{"0000013"});
}

// The notice as a clerk hands it over: the real template, filled from the
// database, written to PDF and read back.
void TestPrinting::printedNoticeReadsBack()
{
    const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (pdftotext.isEmpty())
        QSKIP("pdftotext is not installed");
    MainWindowFixture f;
    f.addNotices();
    f.db->exec(QStringLiteral("update notice set money=102.5, shipname='海安号', leader='钱科长', dengji=?, "
                              "peixun=?, gongbenfei=?, neibuziliao=? where ID='0000012'"),
               {true, false, true, false});
    f.db->exec(QStringLiteral("insert into itemofnotice (ID,itemname,description,money,type,orderx) "
                              "values ('0000012','船舶登记费','30*3',90,'登记',1)"));
    f.db->exec(QStringLiteral("insert into itemofnotice (ID,itemname,description,money,type,orderx) "
                              "values ('0000012','证书工本费','12.5',12.5,'工本费',2)"));
    f.login(QStringLiteral("cw"));
    f.action("bt_checked")->trigger();
    f.clickRow(f.rowOf(QStringLiteral("0000012")));
    QTest::mouseClick(f.button("bt_print"), Qt::LeftButton);
    QCOMPARE(m_previews.size(), 1);
    QVERIFY2(m_previews.first().templateFound, "report/notice.frf beside the program");

    QTemporaryDir dir;
    // NOLLARD_KEEP_PDF=1 keeps the file, to look at the printed notice.
    dir.setAutoRemove(qEnvironmentVariableIsEmpty("NOLLARD_KEEP_PDF"));
    const QString pdf = dir.filePath(QStringLiteral("notice.pdf"));
    qInfo() << "notice printed to" << pdf;
    QVERIFY(ReportPrinter::exportPdf(m_previews, pdf));
    QProcess text;
    text.start(pdftotext, {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    QVERIFY(text.waitForFinished(30000));
    const QString page = QString::fromUtf8(text.readAllStandardOutput());
    for (const QString &expected :
         {QStringLiteral("0000012"), QStringLiteral("海安号"), QStringLiteral("船务科"), QStringLiteral("登记费"),
          QStringLiteral("工本费"), QStringLiteral("船舶登记费"), QStringLiteral("30*3"), QStringLiteral("90.00"),
          QStringLiteral("证书工本费"), QStringLiteral("12.50"), QStringLiteral("102.50"),
          QStringLiteral("壹 佰 零贰 元 伍 角"), QStringLiteral("赵船务"), QStringLiteral("钱科长")})
        QVERIFY2(page.contains(expected), qPrintable(expected + QStringLiteral(" missing in:\n") + page));
    QVERIFY(!page.contains(QStringLiteral("船员培训")));  // its flag is not set
}

// A template that cannot be read, or a printer that reports an error, prints
// nothing: the notice keeps its state and can be printed once the fault is gone.
void TestPrinting::failedPrintLeavesNoticePrintable()
{
    MainWindowFixture f;
    f.addNotices();
    addMatchingLines(f);
    f.login(QStringLiteral("cjld"));
    f.action("bt_checked")->trigger();
    const QString id = QStringLiteral("1000002");

    QVERIFY(QFile::rename(QStringLiteral("report/notice.frf"), QStringLiteral("report/notice.frf.away")));
    f.clickRow(f.rowOf(id));
    QTest::mouseClick(f.button("bt_print"), Qt::LeftButton);
    QVERIFY(QFile::rename(QStringLiteral("report/notice.frf.away"), QStringLiteral("report/notice.frf")));
    QVERIFY(m_previews.isEmpty());
    QCOMPARE(f.shown.informations, QStringList{finance::kTemplateUnreadable.arg(
                                       QDir::toNativeSeparators(QStringLiteral("report/notice.frf")))});
    QCOMPARE(statusOf(f, id), 2);

    f.shown.clear();
    ReportPreview::setHook([this](const QList<PreparedReport> &reports) {
        m_previews += reports;
        ReportPreview::notePrintOutcome(false);  // the printer reports an error
    });
    f.clickRow(f.rowOf(id));
    QVERIFY(f.button("bt_print")->isEnabled());
    QTest::mouseClick(f.button("bt_print"), Qt::LeftButton);
    QCOMPARE(m_previews.size(), 1);
    QCOMPARE(f.shown.informations, QStringList{finance::kPrinterFailed});
    QCOMPARE(statusOf(f, id), 2);

    f.shown.clear();
    ReportPreview::setHook([this](const QList<PreparedReport> &reports) { m_previews += reports; });
    f.clickRow(f.rowOf(id));
    QTest::mouseClick(f.button("bt_print"), Qt::LeftButton);
    QVERIFY(f.shown.all().isEmpty());
    QCOMPARE(statusOf(f, id), 3);
}

void TestPrinting::refusesAmountsThatCannotBePrinted_data()
{
    QTest::addColumn<double>("money");
    QTest::addColumn<double>("line");
    QTest::addColumn<QString>("message");
    QTest::newRow("amount above its lines") << 145.0 << 120.0 << finance::kTotalDiffersFromLines;
    QTest::newRow("amount below its lines") << 100.0 << 120.0 << finance::kTotalDiffersFromLines;
    QTest::newRow("negative amount") << -5.0 << 0.0 << finance::kTotalNegative;
    QTest::newRow("too large for capitals") << 1e12 << 1e12 << finance::kTotalTooLarge;
}

// Amounts that would print wrong or cannot be spelt are refused in words,
// and nothing changes.
void TestPrinting::refusesAmountsThatCannotBePrinted()
{
    QFETCH(double, money);
    QFETCH(double, line);
    QFETCH(QString, message);
    MainWindowFixture f;
    f.addNotices();
    f.db->exec(QStringLiteral("update notice set money=? where ID='0000012'"), {money});
    f.db->exec(QStringLiteral("insert into itemofnotice (ID,itemname,description,money,type,orderx) "
                              "values ('0000012','船舶登记费','',?,'登记',1)"),
               {line});
    f.login(QStringLiteral("cw"));
    f.action("bt_checked")->trigger();
    f.clickRow(f.rowOf(QStringLiteral("0000012")));
    QTest::mouseClick(f.button("bt_print"), Qt::LeftButton);
    QVERIFY(m_previews.isEmpty());
    QCOMPARE(f.shown.informations, QStringList{message});
    QVERIFY(f.shown.errors.isEmpty());
    QCOMPARE(statusOf(f, QStringLiteral("0000012")), 2);
}

// The fullest notice the demo catalogues make, printed from the main window
// to PDF: one sheet, with its total, capitals and signatures.
void TestPrinting::fullestDemoNoticeOnOneSheet()
{
    const QString pdfinfo = QStandardPaths::findExecutable(QStringLiteral("pdfinfo"));
    const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (pdfinfo.isEmpty() || pdftotext.isEmpty())
        QSKIP("poppler-utils are not installed");
    MainWindowFixture f;
    f.addNotices();
    const QStringList items{"船舶所有权登记费", "船舶国籍登记费", "船舶抵押权登记费", "船员培训费", "船员考试费",
                            "适任证书申验费",   "证书工本费",     "船员服务簿工本费", "航行资料费", "法规汇编资料费"};
    const QStringList types{"登记",
                            "登记",
                            "登记",
                            "船员培训、申验、考试",
                            "船员培训、申验、考试",
                            "船员培训、申验、考试",
                            "工本费",
                            "工本费",
                            "内部资料",
                            "内部资料"};
    double total = 0;
    for (int i = 0; i < items.size(); ++i) {
        const QString steps = i % 3 == 0 ? QStringLiteral("(1250.5*12+380*4.5+26*18.75+990)*1.25+45*3+12.5*8+6*25")
                                         : QStringLiteral("%1*2").arg(30 + i);
        const double money = 1000 + 11.11 * i;
        total += money;
        f.db->exec(QStringLiteral("insert into itemofnotice (ID,itemname,description,money,type,orderx) "
                                  "values ('0000012',?,?,?,?,?)"),
                   {items[i], steps, money, types[i], i + 1});
    }
    f.db->exec(QStringLiteral("update notice set money=?, shipname=?, leader='钱科长', dengji=?, peixun=?, "
                              "gongbenfei=?, neibuziliao=? where ID='0000012'"),
               {total, QStringLiteral("浙江省舟山市普陀区沈家门渔港东港航运有限公司第"), true, true, true, true});
    f.login(QStringLiteral("cw"));
    f.action("bt_checked")->trigger();
    f.clickRow(f.rowOf(QStringLiteral("0000012")));
    QTest::mouseClick(f.button("bt_print"), Qt::LeftButton);
    QVERIFY2(f.shown.all().isEmpty(), qPrintable(f.shown.all().join(QLatin1Char('|'))));
    QCOMPARE(m_previews.size(), 1);

    QTemporaryDir dir;
    dir.setAutoRemove(qEnvironmentVariableIsEmpty("NOLLARD_KEEP_PDF"));
    const QString pdf = dir.filePath(QStringLiteral("fullest.pdf"));
    qInfo() << "notice printed to" << pdf;
    QVERIFY(ReportPrinter::exportPdf(m_previews, pdf));
    QProcess info;
    info.start(pdfinfo, {pdf});
    QVERIFY(info.waitForFinished(30000));
    QVERIFY2(
        QString::fromUtf8(info.readAllStandardOutput()).contains(QRegularExpression(QStringLiteral("Pages:\\s+1\\n"))),
        "the notice spills onto a second sheet");
    QProcess text;
    text.start(pdftotext, {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    QVERIFY(text.waitForFinished(30000));
    const QString page = QString::fromUtf8(text.readAllStandardOutput());
    const QString capitals = m_previews.first().variables.value(QStringLiteral("bigmoney")).toString().trimmed();
    QVERIFY(capitals.startsWith(QStringLiteral("壹 万 零")));
    for (const QString &expected :
         {QStringLiteral("¥%1").arg(total, 0, 'f', 2), capitals, QStringLiteral("经办人：赵船务"),
          QStringLiteral("审核人：钱科长"), QStringLiteral("法规汇编资料费")})
        QVERIFY2(page.contains(expected), qPrintable(expected + QStringLiteral(" missing in:\n") + page));
}

void TestPrinting::initTestCase()
{
    REQUIRE_DATABASE(MainWindowFixture::defaultKind());
}

// The printed notice leaves the list of notices still to print; the notice
// the list then stands on is shown without the printed notice's lines.
void TestPrinting::linesLeaveWithPrintedNotice()
{
    MainWindowFixture f;
    f.addNotices();
    addMatchingLines(f);
    f.login(QStringLiteral("cwsh"));
    QTest::mouseClick(f.window->findChild<QWidget *>(QStringLiteral("bt_checked")), Qt::LeftButton);
    QVERIFY(f.listedIds().size() >= 2);
    const QString printed = f.listedIds().first();
    f.clickRow(0);
    QVERIFY(f.button("bt_print")->isEnabled());
    QCOMPARE(f.dm->aq_itemofnotice->value(QStringLiteral("ID")).toString(), printed);
    QTest::mouseClick(f.button("bt_print"), Qt::LeftButton);
    QCOMPARE(m_previews.size(), 1);
    QVERIFY(!f.listedIds().contains(printed));
    const QString shown = f.dm->aq_notice->value(QStringLiteral("ID")).toString();
    QVERIFY(shown != printed);
    const bool linesOfAnother = f.dm->aq_itemofnotice->isActive() && f.dm->aq_itemofnotice->rowCount() > 0
                                && f.dm->aq_itemofnotice->value(QStringLiteral("ID")).toString() != shown;
    QVERIFY2(!linesOfAnother, "the lines shown belong to another notice");
}

QTEST_MAIN(TestPrinting)
#include "tst_printing.moc"
