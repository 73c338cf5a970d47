#include "report/report.h"
#include "report/report_printer.h"
#include "report_engine_support.h"

#include <QFile>
#include <QPrinter>
#include <QPrinterInfo>
#include <QRegularExpression>
#include <QSqlQuery>
#include <QSqlQueryModel>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>
#include <memory>

// The engine against a real SQLite database: datasets, variables, the preview hook,
// composites and PDF output read back with pdftotext.
class TestReportEngine : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void bandAndVariablesReachThePdf();
    void valuesAreEscaped();
    void readingDatasetsKeepsTheCurrentRow_data();
    void readingDatasetsKeepsTheCurrentRow();
    void modelDatasetUsesTheGivenCurrentRow();
    void datasetsAreReadWhenShownNotWhenSet();
    void variablesAreSharedByLaterReports();
    void missingTemplateStillShows();
    void compositeKeepsTheOrder();
    void invalidTemplateThrowsAndShowsNothing();
    void unwritablePdfIsReportedAsFailure();
    void printJobIsNamedAfterTheReport();

private:
    QString path(const QString &name) const { return m_dir->filePath(name); }
    QString templateFile(const QString &name, const QString &text)
    {
        writeTextFile(path(name), text);
        return path(name);
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<NoticeDatabase> m_database;
    QList<QList<PreparedReport>> m_shown;
};

void TestReportEngine::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_database = std::make_unique<NoticeDatabase>(path(QStringLiteral("notices.db")));
    NoticeDatabase::Notice notice;
    notice.id = QStringLiteral("0000017");
    notice.rdate = QDateTime(QDate(2024, 3, 5), QTime(10, 20, 0));
    notice.money = 1234.5;
    notice.department = QStringLiteral("船务科");
    notice.shipname = QStringLiteral("浙舟渔12345");
    notice.handler = QStringLiteral("张三");
    m_database->addNotice(notice);
    notice.id = QStringLiteral("0000018");
    notice.shipname = QStringLiteral("闽航8号");
    m_database->addNotice(notice);
    // Inserted out of order: the band must follow the query's order by orderx.
    m_database->addLine(QStringLiteral("0000017"), QStringLiteral("船舶登记费"), QStringLiteral("1000+200"), 1200,
                        QStringLiteral("登记"), 2);
    m_database->addLine(QStringLiteral("0000017"), QStringLiteral("证书工本费"), QStringLiteral("34.5"), 34.5,
                        QStringLiteral("工本费"), 1);
    ReportVariables::clear();
    m_shown.clear();
    ReportPreview::setHook([this](const QList<PreparedReport> &reports) { m_shown.append(reports); });
}

void TestReportEngine::cleanup()
{
    ReportPreview::setHook({});
    m_database.reset();
    m_dir.reset();
}

void TestReportEngine::bandAndVariablesReachThePdf()
{
    if (!pdftotextAvailable())
        QSKIP("pdftotext is not installed");
    QSqlQuery notice(m_database->db());
    QVERIFY(notice.exec(QStringLiteral("select * from notice where ID='0000017'")));
    QVERIFY(notice.first());
    QSqlQuery lines(m_database->db());
    QVERIFY(lines.exec(QStringLiteral("select * from itemofnotice where ID='0000017' and money>0 order by orderx")));

    ReportVariables::set(QStringLiteral("bigmoney"), QStringLiteral("壹仟贰佰叁拾肆元伍角"));
    ReportVariables::set(QStringLiteral("COUNT1"), 7);
    Report report;
    report.setDataset(QStringLiteral("frDB_notice"), &notice, ReportRange::CurrentRow);
    report.setDataset(QStringLiteral("frDB_itemofnotice"), &lines, ReportRange::AllRows);
    QVERIFY(report.loadFromFile(
        templateFile(QStringLiteral("t.frf"),
                     QStringLiteral("<p>单号 {{frDB_notice.ID}} / {{frDB_notice.id}} 日期 {{frDB_notice.rdate}}</p>"
                                    "<p>缴费单位 {{frDB_notice.shipname}}</p>"
                                    "<table>{{#frDB_itemofnotice}}<tr><td>行{{_row}}</td><td>{{itemname}}</td>"
                                    "<td>{{description}}</td><td>{{money}}</td></tr>{{/frDB_itemofnotice}}</table>"
                                    "<p>合计 {{frDB_notice.money}} 大写 {{bigmoney}} 张数 {{COUNT1}}</p>"))));

    const QString pdf = path(QStringLiteral("out.pdf"));
    QVERIFY(report.exportPdf(pdf));
    const QString text = pdfText(pdf);
    QVERIFY2(text.contains(QStringLiteral("单号 0000017 / 0000017")), qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("2024-03-05 10:20:00")), qPrintable(text));
    QVERIFY(text.contains(QStringLiteral("浙舟渔12345")));
    QVERIFY(!text.contains(QStringLiteral("闽航8号")));
    QVERIFY(text.contains(QStringLiteral("合计 1234.50 大写 壹仟贰佰叁拾肆元伍角 张数 7")));
    const qsizetype first = text.indexOf(QStringLiteral("证书工本费"));
    const qsizetype second = text.indexOf(QStringLiteral("船舶登记费"));
    QVERIFY2(first >= 0 && second > first, qPrintable(text));
    QVERIFY(text.contains(QRegularExpression(QStringLiteral("行1\\s+证书工本费\\s+34.5\\s+34.50"))));
    QVERIFY(text.contains(QRegularExpression(QStringLiteral("行2\\s+船舶登记费\\s+1000\\+200\\s+1200.00"))));
}

void TestReportEngine::valuesAreEscaped()
{
    // A name typed by a clerk is text, never markup, and never breaks the page.
    const QString typed = QStringLiteral("<b>A&B</b> \"号\" O'Neil\n第二行");
    ReportVariables::set(QStringLiteral("name"), typed);
    Report report;
    report.loadFromFile(templateFile(QStringLiteral("e.frf"), QStringLiteral("<p>[{{name}}]</p>")));
    const PreparedReport prepared = report.prepare();
    QVERIFY(!prepared.html.contains(QStringLiteral("<b>")));
    QTextDocument document;
    document.setHtml(prepared.html);
    // Quotes, apostrophes and a value typed on two lines come back exactly.
    QCOMPARE(document.toPlainText(), u'[' + typed + u']');
}

void TestReportEngine::readingDatasetsKeepsTheCurrentRow_data()
{
    QTest::addColumn<int>("position");
    QTest::newRow("on the second row") << 1;
    QTest::newRow("before the first row") << int(QSql::BeforeFirstRow);
    QTest::newRow("after the last row") << int(QSql::AfterLastRow);
}

void TestReportEngine::readingDatasetsKeepsTheCurrentRow()
{
    QFETCH(int, position);
    QSqlQuery notices(m_database->db());
    QVERIFY(notices.exec(QStringLiteral("select * from notice order by ID")));
    if (position >= 0) {
        QVERIFY(notices.seek(position));
    } else if (position == QSql::AfterLastRow) {
        QVERIFY(notices.last());
        QVERIFY(!notices.next());
    }
    QCOMPARE(notices.at(), position);

    Report report;
    report.setDataset(QStringLiteral("rows"), &notices, ReportRange::AllRows);
    report.setDataset(QStringLiteral("current"), &notices, ReportRange::CurrentRow);
    report.loadFromFile(
        templateFile(QStringLiteral("k.frf"),
                     QStringLiteral("{{#rows}}[{{id}}]{{/rows}}|{{current.shipname}}{{^current}}none{{/current}}")));
    const PreparedReport prepared = report.prepare();

    QCOMPARE(notices.at(), position);
    QVERIFY2(prepared.html.startsWith(QStringLiteral("[0000017][0000018]|")), qPrintable(prepared.html));
    QCOMPARE(prepared.html.section(u'|', 1), position == 1 ? QStringLiteral("闽航8号") : QStringLiteral("none"));
    QCOMPARE(prepared.datasets.value(QStringLiteral("rows")).rows.records.size(), 2);
}

void TestReportEngine::modelDatasetUsesTheGivenCurrentRow()
{
    QSqlQueryModel model;
    model.setQuery(QStringLiteral("select * from notice order by ID"), m_database->db());
    int current = 1;
    Report report;
    report.setDataset(QStringLiteral("frDB_notice"), &model, ReportRange::CurrentRow, [&current] { return current; });
    report.loadFromFile(templateFile(QStringLiteral("m.frf"), QStringLiteral("{{frDB_notice.shipname}}")));
    QCOMPARE(report.prepare().html, QStringLiteral("闽航8号"));
    current = 0;
    QCOMPARE(report.prepare().html, QStringLiteral("浙舟渔12345"));
}

void TestReportEngine::datasetsAreReadWhenShownNotWhenSet()
{
    // A caller binds the line query once and reloads it per notice before showing.
    QSqlQuery lines(m_database->db());
    QVERIFY(lines.exec(QStringLiteral("select * from itemofnotice where ID='none'")));
    Report report;
    report.setDataset(QStringLiteral("frDB_itemofnotice"), &lines, ReportRange::AllRows);
    report.loadFromFile(templateFile(QStringLiteral("l.frf"),
                                     QStringLiteral("{{#frDB_itemofnotice}}{{itemname}};{{/frDB_itemofnotice}}")));
    QVERIFY(lines.exec(QStringLiteral("select * from itemofnotice where ID='0000017' order by orderx")));
    report.showReport();
    QCOMPARE(m_shown.size(), 1);
    QCOMPARE(m_shown[0][0].html, QStringLiteral("证书工本费;船舶登记费;"));
}

void TestReportEngine::variablesAreSharedByLaterReports()
{
    const QString text = QStringLiteral("{{memocw1}}|{{COUNT1}}");
    ReportVariables::set(QStringLiteral("memocw1"), QStringLiteral("登记费"));
    ReportVariables::set(QStringLiteral("COUNT1"), 3);
    Report first;
    first.loadFromFile(templateFile(QStringLiteral("a.frf"), text));
    first.showReport();

    Report second;  // a new report object, later in the run
    second.loadFromFile(templateFile(QStringLiteral("b.frf"), text));
    second.showReport();
    ReportVariables::set(QStringLiteral("COUNT1"), 4);  // replaces, does not add
    second.showReport();

    QCOMPARE(m_shown.size(), 3);
    QCOMPARE(m_shown[0][0].html, QStringLiteral("登记费|3"));
    QCOMPARE(m_shown[1][0].html, QStringLiteral("登记费|3"));
    QCOMPARE(m_shown[2][0].html, QStringLiteral("登记费|4"));
    QCOMPARE(m_shown[2][0].variables.size(), 2);
    QCOMPARE(m_shown[2][0].variables.value(QStringLiteral("COUNT1")).toLongLong(), 4);
}

void TestReportEngine::missingTemplateStillShows()
{
    ReportVariables::set(QStringLiteral("bigmoney"), QStringLiteral("壹元整"));
    Report report;
    QVERIFY(!report.loadFromFile(QStringLiteral("report/no-such-template.frf")));
    report.showReport();
    QCOMPARE(m_shown.size(), 1);
    QCOMPARE(m_shown[0].size(), 1);
    QVERIFY(!m_shown[0][0].templateFound);
    QCOMPARE(m_shown[0][0].templatePath, QStringLiteral("report/no-such-template.frf"));
    QCOMPARE(m_shown[0][0].variables.value(QStringLiteral("bigmoney")).toString(), QStringLiteral("壹元整"));

    // And the empty report is still a document of one page.
    const QString pdf = path(QStringLiteral("empty.pdf"));
    QVERIFY(report.exportPdf(pdf));
    if (!pdftotextAvailable())
        QSKIP("pdftotext is not installed");
    QCOMPARE(pdfText(pdf).count(u'\f'), 1);
}

void TestReportEngine::compositeKeepsTheOrder()
{
    Report ledger;
    ledger.loadFromFile(templateFile(QStringLiteral("first.frf"), QStringLiteral("<p>第一份报表 甲</p>")));
    Report voided;
    voided.loadFromFile(templateFile(QStringLiteral("second.frf"), QStringLiteral("<p>第二份报表 乙</p>")));

    Report::showComposite({&ledger, &voided});
    QCOMPARE(m_shown.size(), 1);
    QCOMPARE(m_shown[0].size(), 2);
    QVERIFY(m_shown[0][0].templatePath.endsWith(QStringLiteral("first.frf")));
    QVERIFY(m_shown[0][1].templatePath.endsWith(QStringLiteral("second.frf")));

    if (!pdftotextAvailable())
        QSKIP("pdftotext is not installed");
    const QString pdf = path(QStringLiteral("composite.pdf"));
    QVERIFY(Report::exportCompositePdf({&ledger, &voided}, pdf));
    const QStringList pages = pdfText(pdf).split(u'\f', Qt::SkipEmptyParts);
    QCOMPARE(pages.size(), 2);
    QVERIFY2(pages[0].contains(QStringLiteral("第一份报表 甲")), qPrintable(pages[0]));
    QVERIFY2(pages[1].contains(QStringLiteral("第二份报表 乙")), qPrintable(pages[1]));
}

void TestReportEngine::invalidTemplateThrowsAndShowsNothing()
{
    Report report;
    report.loadFromFile(templateFile(QStringLiteral("bad.frf"),
                                     QStringLiteral("{{#frDB_itemofnotice}}<tr><td>{{itemname}}</td></tr>")));
    try {
        report.showReport();
        QFAIL("a template with an unclosed band was shown");
    } catch (const ReportError &error) {
        QVERIFY2(error.message().contains(QStringLiteral("bad.frf")), qPrintable(error.message()));
    }
    QVERIFY(m_shown.isEmpty());
}

void TestReportEngine::unwritablePdfIsReportedAsFailure()
{
    Report report;
    report.loadFromFile(templateFile(QStringLiteral("p.frf"), QStringLiteral("<p>x</p>")));
    QVERIFY(!report.exportPdf(path(QStringLiteral("no-such-folder/out.pdf"))));
    QVERIFY(!QFile::exists(path(QStringLiteral("no-such-folder/out.pdf"))));
}

void TestReportEngine::printJobIsNamedAfterTheReport()
{
    Report report;
    report.loadFromFile(templateFile(QStringLiteral("n.frf"), QStringLiteral("<p>x</p>")));
    report.setExportName(QStringLiteral("缴费通知单0000017"));
    const PreparedReport prepared = report.prepare();
    QPrinter printer;
    const QString systemDefault = printer.printerName();
    // A printer removed since it was chosen leaves the system's default.
    ReportPrinter::preparePrintJob(&printer, {prepared}, QStringLiteral("a printer long removed"));
    QCOMPARE(printer.docName(), QStringLiteral("缴费通知单0000017"));
    QCOMPARE(printer.printerName(), systemDefault);
    // One that exists is offered again (where this machine has printers).
    const QStringList printers = QPrinterInfo::availablePrinterNames();
    if (!printers.isEmpty()) {
        QPrinter again;
        ReportPrinter::preparePrintJob(&again, {prepared}, printers.last());
        QCOMPARE(again.printerName(), printers.last());
    }
}

QTEST_MAIN(TestReportEngine)
#include "tst_report_engine.moc"
