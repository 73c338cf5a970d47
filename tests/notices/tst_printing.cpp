// Printing from the main window: the gate by section and state, what is handed
// to the report, and the printed state afterwards.

#include "main_window_fixture.h"

#include "app/named_query.h"
#include "reportpreview.h"
#include "reportprinter.h"
#include "reportvariables.h"

#include <QLineEdit>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QSqlRecord>
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

private:
    QList<PreparedReport> m_previews;
};

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
    QTest::newRow("inspection, approved") << "cjld" << "1000002" << true;
    QTest::newRow("inspection, new") << "cjld" << "1000001" << false;
    QTest::newRow("inspection, rejected") << "cjld" << "1000005" << false;
    QTest::newRow("ship affairs, new") << "cwld" << "0000011" << true;
    QTest::newRow("ship affairs, approved") << "cwld" << "0000012" << true;
    QTest::newRow("ship affairs, printed") << "cwld" << "0000013" << false;
    QTest::newRow("other section's notice") << "cjld" << "0000012" << false;
}

void TestPrinting::gate()
{
    QFETCH(QString, nickname);
    QFETCH(QString, id);
    QFETCH(bool, prints);
    MainWindowFixture f;
    f.addNotices();
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
        {QStringLiteral("0000012"), QStringLiteral("船舶登记费"), QStringLiteral("30*3"), 90.0, QStringLiteral("登记"), 1},
        {QStringLiteral("0000012"), QStringLiteral("证书工本费"), QStringLiteral("12.5"), 12.5, QStringLiteral("工本费"), 2},
        {QStringLiteral("0000012"), QStringLiteral("资料费"), QStringLiteral("5"), 5.0, QStringLiteral("内部资料"), 3},
        {QStringLiteral("0000012"), QStringLiteral("抵押登记费"), QString(), 0.0, QStringLiteral("登记"), 4},
    };
    for (const QVariantList &l : lines)
        f.db->exec(QStringLiteral("insert into itemofnotice (ID,itemname,description,money,type,orderx) "
                                  "values (?,?,?,?,?,?)"), l);
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
    QCOMPARE(r.variables.value(QStringLiteral("bigmoney")).toString(),
             QStringLiteral("壹 佰 零贰 元 伍 角 "));
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

void TestPrinting::initTestCase()
{
    if (!MainWindowFixture::available())
        QSKIP("PostgreSQL is not running (PGHOST unset)");
}

QTEST_MAIN(TestPrinting)
#include "tst_printing.moc"
