// The three statistical reports and the ledger built from a database and read
// back from their PDF and CSV as a finance clerk would read them.

#include "notice_row.h"
#include "report_engine_support.h"
#include "report_fixture.h"
#include "report_test_support.h"

#include "app/codes.h"
#include "app/current_user.h"
#include "db/gbk_text.h"
#include "db/user_refusal.h"
#include "finance/inspection_report.h"
#include "finance/ledger_report.h"
#include "finance/progress_report.h"
#include "report/report_preview.h"
#include "report/report_table.h"
#include "report/report_values.h"
#include "report/report_variables.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {
struct BillRow
{
    QString bill;
    QString money;
};

// The rows of a ledger page: number, bill, notice, date, party, section, amount
// all on one line, so a row cut at the page edge would not be one.
QList<BillRow> billRows(const QString &page)
{
    static const QRegularExpression row(
        QStringLiteral("^\\s*\\d+\\s+(\\d{7})\\s+\\d{7}\\s+\\d{4}-\\d\\d-\\d\\d .*\\s(\\d+\\.\\d\\d)\\s*$"),
        QRegularExpression::MultilineOption);
    QList<BillRow> rows;
    for (auto it = row.globalMatch(page); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        rows.append({m.captured(1), m.captured(2)});
    }
    return rows;
}

QStringList billsOf(const QList<BillRow> &rows)
{
    QStringList bills;
    for (const BillRow &row : rows)
        bills << row.bill;
    return bills;
}

QStringList billNumbers(const QList<int> &numbers)
{
    QStringList bills;
    for (int n : numbers)
        bills << QStringLiteral("%1").arg(n, 7, 10, QLatin1Char('0'));
    return bills;
}
}  // namespace

class TestReportBuilders : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void progressTable_data() { addKindRows(); }
    void progressTable();
    void firstYearHasNoPreviousColumn_data() { addKindRows(); }
    void firstYearHasNoPreviousColumn();
    void yearThatIsNoNumber();
    void inspectionCounts_data() { addKindRows(); }
    void inspectionCounts();
    void ledger_data() { addKindRows(); }
    void ledger();
    void ledgerOfVoidedBillsOnly_data() { addKindRows(); }
    void ledgerOfVoidedBillsOnly();
    void emptyLedgerSetsNothing();
    void ledgerListsSkippedNumbers_data() { addKindRows(); }
    void ledgerListsSkippedNumbers();
    void totalsSumTheAmountsAsPrinted();
    void yearOnYearRateOnASmallBase();
    void widestSelfNumbersPrintOnOneLine();
    void longLedgerPages();
    void csvOfEachReport();
    void rangeChecks_data();
    void rangeChecks();
    void defaultLast_data();
    void defaultLast();

private:
    QTemporaryDir m_dir;
};

void TestReportBuilders::initTestCase()
{
    if (!pdftotextAvailable())
        QFAIL("pdftotext (poppler-utils) is needed to read the reports back");
}

void TestReportBuilders::progressTable()
{
    QFETCH(int, kind);
    FIXTURE(f, DbKind(kind), ReportFixture::create);
    finance::ProgressReport progress = finance::buildProgressReport(
        f->dm->database(), QStringLiteral("2024"), QStringLiteral("船务科"), finance::kShipAffairsProgressTemplate);
    QVERIFY(!progress.previousMissing);
    const QStringList pages = pagesOf({&progress.report}, m_dir.filePath(QStringLiteral("cwk.pdf")));
    QCOMPARE(pages.size(), 1);
    const QString &text = pages.first();
    QVERIFY(text.contains(QStringLiteral("2024年船务科规费征收进度表")));
    QVERIFY(hasPageNumber(text, 1, 1));
    // June: the month, the running total, the same for 2023, the change, its
    // rate and the share of the plan reached so far.
    QCOMPARE(figuresAfter(text, QStringLiteral("6月")),
             (QStringList{"900.50", "3153.00", "600.25", "2101.50", "1051.50", "50.0%", "10.5%"}));
    QCOMPARE(figuresAfter(text, QStringLiteral("12月")),
             (QStringList{"1800.50", "11706.00", "1200.25", "7803.00", "3903.00", "50.0%", "39.0%"}));
    QCOMPARE(figuresAfter(text, QStringLiteral("全年合计")),
             (QStringList{"11706.00", "11706.00", "7803.00", "7803.00", "3903.00", "50.0%", "39.0%"}));
    QVERIFY(QString(text).remove(u' ').contains(QStringLiteral("30000.00元")));
    // The plot is drawn into the page (its legend is text of the PDF) as lines,
    // not as a picture.
    QVERIFY(text.contains(QStringLiteral("上年累计")));
    QVERIFY(text.contains(QStringLiteral("全年计划")));
    QProcess images;
    images.start(QStringLiteral("pdfimages"), {QStringLiteral("-list"), m_dir.filePath(QStringLiteral("cwk.pdf"))});
    QVERIFY(images.waitForFinished(30000));
    QCOMPARE(QString::fromUtf8(images.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts).size(), 2);
}

void TestReportBuilders::firstYearHasNoPreviousColumn()
{
    QFETCH(int, kind);
    FIXTURE(f, DbKind(kind), ReportFixture::create);
    finance::ProgressReport progress = finance::buildProgressReport(
        f->dm->database(), QStringLiteral("2024"), QStringLiteral("船检科"), finance::kInspectionProgressTemplate);
    QVERIFY(progress.previousMissing);
    const QStringList pages = pagesOf({&progress.report}, m_dir.filePath(QStringLiteral("cjk.pdf")));
    QCOMPARE(pages.size(), 1);
    const QString &text = pages.first();
    QVERIFY(text.contains(QStringLiteral("2024年船舶及船用产品征收进度表")));
    // Month, running total, no previous year, no plan.
    QCOMPARE(figuresAfter(text, QStringLiteral("3月")), (QStringList{"1234.56", "1234.56"}));
    QCOMPARE(figuresAfter(text, QStringLiteral("4月")), (QStringList{"0.00", "1234.56"}));
    QVERIFY(text.contains(QStringLiteral("2023年无征收纪录")));
    QVERIFY(text.contains(QStringLiteral("未安排")));
}

void TestReportBuilders::yearThatIsNoNumber()
{
    auto f = ReportFixture::create(DbKind::SQLite);
    f->db->exec(QStringLiteral("insert into statistic (year,department) values ('20x4','船务科')"));
    try {
        finance::buildProgressReport(f->dm->database(), QStringLiteral("20x4"), QStringLiteral("船务科"),
                                     finance::kShipAffairsProgressTemplate);
        QFAIL("a year that is no number was taken");
    } catch (const std::runtime_error &error) {
        QVERIFY2(QString::fromUtf8(error.what()).contains(QStringLiteral("年份“20x4”不是整数")), error.what());
    }
}

void TestReportBuilders::inspectionCounts()
{
    QFETCH(int, kind);
    FIXTURE(f, DbKind(kind), ReportFixture::create);
    Report report = finance::buildInspectionReport(f->dm->database(), QStringLiteral("2024"));
    const QStringList pages = pagesOf({&report}, m_dir.filePath(QStringLiteral("static2.pdf")));
    QCOMPARE(pages.size(), 1);
    const QString &text = pages.first();
    QVERIFY(text.contains(QStringLiteral("2024年船舶检验登记数量统计表")));
    auto months = [](int base, int total) {
        QStringList figures;
        for (int m = 1; m <= 12; ++m)
            figures << QString::number(base ? base + m : 0);
        return figures << QString::number(total);
    };
    QStringList build;
    for (int m = 1; m <= 12; ++m)
        build << QString::number(m);
    QCOMPARE(figuresAfter(text, QStringLiteral("建造检验")), build << "78");
    QCOMPARE(figuresAfter(text, QStringLiteral("年度检验")), months(10, 198));
    QCOMPARE(figuresAfter(text, QStringLiteral("临时检验")), months(0, 0));  // 2023's row is not read
    QStringList totals;
    for (int m = 1; m <= 12; ++m)
        totals << QString::number(2 * m + 10);
    QCOMPARE(figuresAfter(text, QStringLiteral("合计")), totals << "276");
    // The unknown type has no row and no part in the totals; one line says how
    // many notices it holds (500 + m for each month m: 6078).
    QVERIFY(!text.contains(QStringLiteral("501")));
    QVERIFY2(QString(text)
                 .remove(QRegularExpression(QStringLiteral("\\s")))
                 .contains(QStringLiteral("另有6078张通知单计入“未知检验”")),
             qPrintable(text));
}

void TestReportBuilders::ledger()
{
    QFETCH(int, kind);
    FIXTURE(f, DbKind(kind), ReportFixture::create);
    UserRecord user;
    user.userName = QStringLiteral("王海务");
    user.isAdmin = 1;
    ReportVariables::set(QStringLiteral("NAME"), QStringLiteral("从前的值"));
    const finance::Ledger ledger = finance::buildLedger(
        f->dm->database(), {QStringLiteral("0000101"), QStringLiteral("0000120"), QStringLiteral("A17"), QString()},
        user);
    QCOMPARE(ledger.issuedCount, 17);
    QCOMPARE(ledger.voidedCount, 2);
    QCOMPARE(ReportVariables::value(QStringLiteral("start")).toString(), QStringLiteral("0000101"));
    QCOMPARE(ReportVariables::value(QStringLiteral("end")).toString(), QStringLiteral("0000120"));
    QCOMPARE(ReportVariables::value(QStringLiteral("COUNT1")).toLongLong(), 17);
    QCOMPARE(ReportVariables::value(QStringLiteral("COUNT2")).toLongLong(), 2);
    QCOMPARE(ReportVariables::value(QStringLiteral("NAME")).toString(), QStringLiteral("王海务"));
    QCOMPARE(ReportVariables::value(QStringLiteral("start1")).toString(), QStringLiteral("A17"));
    QCOMPARE(ReportVariables::value(QStringLiteral("end1")).toString(), QString());

    const QStringList pages = pagesOf({&ledger.issued, &ledger.voided}, m_dir.filePath(QStringLiteral("tz.pdf")));
    QCOMPARE(pages.size(), 2);
    QVERIFY(hasPageNumber(pages[0], 1, 2));
    QVERIFY(hasPageNumber(pages[1], 2, 2));
    // Each bill once, in order, with its amount; the voided ones on their own page.
    const QList<BillRow> issued = billRows(pages[0]);
    QCOMPARE(billsOf(issued), billNumbers(ReportFixture::issuedInRange()));
    double total = 0;
    for (const BillRow &row : issued) {
        QCOMPARE(row.money, reportMoneyText(ReportFixture::billMoney(row.bill.toInt())));
        total += ReportFixture::billMoney(row.bill.toInt());
    }
    QCOMPARE(billsOf(billRows(pages[1])), billNumbers(ReportFixture::voidedInRange()));
    QCOMPARE(figuresAfter(pages[0], QStringLiteral("合计")), (QStringList{"17", reportMoneyText(total)}));
    QVERIFY(QString(pages[1]).remove(u' ').contains(QStringLiteral("作废共2张")));
    QVERIFY(pages[0].contains(QStringLiteral("制表人：王海务")));
    QVERIFY(QString(pages[0]).remove(u' ').contains(QStringLiteral("自编号：A17至—")));
    // Bills of both sections.
    QVERIFY(pages[0].contains(QStringLiteral("船务科")) && pages[0].contains(QStringLiteral("船检科")));

    // Without the bill right the name stays empty, whatever was set before.
    user.isAdmin = 0;
    finance::buildLedger(f->dm->database(), {QStringLiteral("0000101"), QStringLiteral("0000101"), {}, {}}, user);
    QCOMPARE(ReportVariables::value(QStringLiteral("NAME")).toString(), QString());
    QCOMPARE(ReportVariables::value(QStringLiteral("COUNT1")).toLongLong(), 1);  // one-bill range
}

void TestReportBuilders::ledgerOfVoidedBillsOnly()
{
    QFETCH(int, kind);
    FIXTURE(f, DbKind(kind), ReportFixture::create);
    const finance::Ledger ledger = finance::buildLedger(
        f->dm->database(), {QStringLiteral("0000107"), QStringLiteral("0000107"), {}, {}}, UserRecord());
    QVERIFY(!ledger.isEmpty());
    QCOMPARE(ReportVariables::value(QStringLiteral("COUNT1")).toLongLong(), 0);
    const QStringList pages = pagesOf({&ledger.issued, &ledger.voided}, m_dir.filePath(QStringLiteral("void.pdf")));
    QCOMPARE(pages.size(), 2);
    QVERIFY(pages[0].contains(QStringLiteral("本范围内没有已开票的票据")));
    QCOMPARE(figuresAfter(pages[0], QStringLiteral("合计")), (QStringList{"0", "0.00"}));
    QCOMPARE(billsOf(billRows(pages[1])), QStringList{QStringLiteral("0000107")});
}

void TestReportBuilders::emptyLedgerSetsNothing()
{
    auto f = ReportFixture::create(DbKind::SQLite);
    ReportVariables::set(QStringLiteral("start"), QStringLiteral("before"));
    const finance::Ledger ledger = finance::buildLedger(
        f->dm->database(), {QStringLiteral("0000900"), QStringLiteral("0000999"), {}, {}}, UserRecord());
    QVERIFY(ledger.isEmpty());
    QCOMPARE(ReportVariables::value(QStringLiteral("start")).toString(), QStringLiteral("before"));
}

// Numbers of the range that the sequence passed and no notice carries are
// listed under the total, in the PDF and the CSV; numbers the counter has not
// reached are not.
void TestReportBuilders::ledgerListsSkippedNumbers()
{
    QFETCH(int, kind);
    FIXTURE(f, DbKind(kind), ReportFixture::create);
    f->db->exec(QStringLiteral("update counter set billcode=130"));
    f->db->exec(QStringLiteral("update notice set billcode=null where billcode='0000110'"));
    const finance::Ledger ledger = finance::buildLedger(
        f->dm->database(), {QStringLiteral("0000105"), QStringLiteral("0000134"), QStringLiteral("A1"), {}},
        UserRecord());
    QCOMPARE(ledger.skipped, (QList<finance::BillNumberRun>{{110, 110}, {122, 129}}));

    const QStringList pages = pagesOf({&ledger.issued, &ledger.voided}, m_dir.filePath(QStringLiteral("gaps.pdf")));
    QCOMPARE(pages.size(), 2);
    const auto line = [](const QString &text) {
        return QRegularExpression(QStringLiteral("^\\s*%1\\s*$").arg(QRegularExpression::escape(text)),
                                  QRegularExpression::MultilineOption);
    };
    QVERIFY2(pages[0].contains(line(QStringLiteral("缺号 0000110"))), qPrintable(pages[0]));
    QVERIFY(pages[0].contains(line(QStringLiteral("缺号 0000122–0000129"))));
    QVERIFY(QString(pages[0]).remove(u' ').contains(QStringLiteral("缺号共9个")));
    QVERIFY(!pages[0].contains(QStringLiteral("0000130")));

    const QStringList csv =
        reportCsvText(ledger.issued.prepare().table).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    QCOMPARE(csv.mid(csv.size() - 2),
             (QStringList{QStringLiteral("缺号,=\"0000110\",,,,,,"), QStringLiteral("缺号,0000122–0000129,,,,,,")}));

    // A range of nothing but skipped numbers still prints: they must be accounted for.
    const finance::Ledger onlySkipped = finance::buildLedger(
        f->dm->database(), {QStringLiteral("0000123"), QStringLiteral("0000125"), {}, {}}, UserRecord());
    QVERIFY(!onlySkipped.isEmpty());
    QCOMPARE(onlySkipped.skipped, (QList<finance::BillNumberRun>{{123, 125}}));
}

// Amounts kept with more than two decimals (an older program's 0.125) print
// rounded; the totals add the printed figures, so the columns foot.
void TestReportBuilders::totalsSumTheAmountsAsPrinted()
{
    auto f = ReportFixture::create(DbKind::SQLite);
    for (int n : {301, 302, 303})
        NoticeRow(codes::PadSerial6(n).prepend(u'0'))
            .rdate(QDateTime(QDate(2024, 7, 1), QTime(9, 0)))
            .money(0.125)
            .status(5)
            .department(QStringLiteral("船务科"))
            .billcode(codes::PadBillCode7(n))
            .insert(f->db->connection());
    const finance::Ledger ledger = finance::buildLedger(
        f->dm->database(), {QStringLiteral("0000301"), QStringLiteral("0000303"), {}, {}}, UserRecord());
    const QStringList pages = pagesOf({&ledger.issued, &ledger.voided}, m_dir.filePath(QStringLiteral("cents.pdf")));
    QCOMPARE(pages.size(), 2);
    const QList<BillRow> rows = billRows(pages[0]);
    QCOMPARE(rows.size(), 3);
    for (const BillRow &row : rows)
        QCOMPARE(row.money, QStringLiteral("0.13"));
    QCOMPARE(figuresAfter(pages[0], QStringLiteral("合计")), (QStringList{"3", "0.39"}));
    QVERIFY(reportCsvText(ledger.issued.prepare().table).contains(QStringLiteral("合计,3张,,,,,0.39,")));

    // A month that summed to 0.125 prints 0.13; twelve of them make 1.56.
    for (int m = 1; m <= 12; ++m)
        f->db->exec(
            QStringLiteral("update statistic set \"%1\"=0.125 where year='2024' and department='船检科'").arg(m));
    const finance::ProgressReport progress = finance::buildProgressReport(
        f->dm->database(), QStringLiteral("2024"), QStringLiteral("船检科"), finance::kInspectionProgressTemplate);
    const QStringList table = reportCsvText(progress.report.prepare().table).split(QStringLiteral("\r\n"));
    QCOMPARE(table[2], QStringLiteral("2月,0.13,0.26,,,,,"));
    QCOMPARE(table[13], QStringLiteral("全年合计,1.56,1.56,,,,,"));
    const QStringList pdf = pagesOf({&progress.report}, m_dir.filePath(QStringLiteral("cents-cjk.pdf")));
    QCOMPARE(figuresAfter(pdf.value(0), QStringLiteral("全年合计")), (QStringList{"1.56", "1.56"}));
}

// A rate over last year's running total says nothing while that total is
// below one yuan: it prints a dash, in the PDF and the CSV.
void TestReportBuilders::yearOnYearRateOnASmallBase()
{
    auto f = ReportFixture::create(DbKind::SQLite);
    for (const auto &[year, amount] : {std::pair{"2030", 0.2}, std::pair{"2031", 1000.0}}) {
        f->db->exec(QStringLiteral("insert into statistic (year,department) values (?,'船务科')"),
                    {QString::fromLatin1(year)});
        for (int m = 1; m <= 12; ++m)
            f->db->exec(QStringLiteral("update statistic set \"%1\"=? where year=? and department='船务科'").arg(m),
                        {amount, QString::fromLatin1(year)});
    }
    const finance::ProgressReport progress = finance::buildProgressReport(
        f->dm->database(), QStringLiteral("2031"), QStringLiteral("船务科"), finance::kShipAffairsProgressTemplate);
    const QStringList table = reportCsvText(progress.report.prepare().table).split(QStringLiteral("\r\n"));
    // Running totals of 2030: 0.20, 0.40, ... 1.00 in May.
    QCOMPARE(table[1], QStringLiteral("1月,1000.00,1000.00,0.20,0.20,999.80,—,"));
    QCOMPARE(table[4], QStringLiteral("4月,1000.00,4000.00,0.20,0.80,3999.20,—,"));
    QCOMPARE(table[5], QStringLiteral("5月,1000.00,5000.00,0.20,1.00,4999.00,499900.0%,"));
    const QStringList pdf = pagesOf({&progress.report}, m_dir.filePath(QStringLiteral("rate.pdf")));
    QVERIFY2(pdf.value(0).contains(QRegularExpression(QStringLiteral("4月.*3999\\.20\\s+—"))),
             qPrintable(pdf.value(0)));
}

// The self-numbers' width is what the ledger's line holds: the widest texts
// that fit the field print on one line, a wider one is refused, not cut.
void TestReportBuilders::widestSelfNumbersPrintOnOneLine()
{
    auto f = ReportFixture::create(DbKind::SQLite);
    const QString letters(finance::kSelfNumberBytes, u'W');
    const QString chinese = QStringLiteral("船检船务收费台账");
    QVERIFY(gbk::fits(chinese, finance::kSelfNumberBytes) && !gbk::fits(chinese + u'1', finance::kSelfNumberBytes));
    const finance::Ledger ledger = finance::buildLedger(
        f->dm->database(), {QStringLiteral("0000101"), QStringLiteral("0000120"), letters, chinese}, UserRecord());
    const QStringList pages = pagesOf({&ledger.issued, &ledger.voided}, m_dir.filePath(QStringLiteral("self.pdf")));
    QCOMPARE(pages.size(), 2);
    for (const QString &page : pages)
        QVERIFY2(page.contains(QRegularExpression(QStringLiteral("自编号：\\s*%1\\s*至\\s*%2").arg(letters, chinese))),
                 qPrintable(page.left(600)));

    const QString tooWide = letters + u'1';
    QCOMPARE(finance::ledgerRangeRefusal({QStringLiteral("0000101"), QStringLiteral("0000120"), tooWide, {}}),
             finance::kSelfNumberTooLong);
    QVERIFY_THROWS_EXCEPTION(UserRefusal,
                             finance::buildLedger(f->dm->database(),
                                                  {QStringLiteral("0000101"), QStringLiteral("0000120"), {}, tooWide},
                                                  UserRecord()));
}

void TestReportBuilders::longLedgerPages()
{
    // Long enough for the engine to place the rows itself, over dozens of pages.
    constexpr int kBills = 1200;
    auto f = ReportFixture::create(DbKind::SQLite);
    f->addLongRun(kBills);  // 0000201..0001400
    const finance::Ledger ledger = finance::buildLedger(
        f->dm->database(), {QStringLiteral("0000201"), QStringLiteral("0001400"), {}, {}}, UserRecord());
    QList<int> issued, voided;
    double total = 0;
    for (int n = 201; n < 201 + kBills; ++n) {
        (n % 50 == 0 ? voided : issued) << n;
        if (n % 50 != 0)
            total += ReportFixture::billMoney(n);
    }
    QCOMPARE(ledger.issuedCount, issued.size());
    const QStringList pages = pagesOf({&ledger.issued, &ledger.voided}, m_dir.filePath(QStringLiteral("long.pdf")));
    QVERIFY2(pages.size() >= 25, qPrintable(QString::number(pages.size())));

    QStringList seenIssued, seenVoided;
    int totalsPage = -1;
    for (int p = 0; p < pages.size(); ++p) {
        const QString &page = pages[p];
        QVERIFY2(hasPageNumber(page, p + 1, int(pages.size())), qPrintable(page.right(200)));
        // The column heads and the running header stand on every page.
        QVERIFY2(page.contains(QStringLiteral("缴费单位")), qPrintable(QString::number(p + 1)));
        QVERIFY(QString(page).remove(u' ').contains(QStringLiteral("票据号0000201至0001400")));
        const bool voidedPage = QString(page).remove(u' ').contains(QStringLiteral("作废票据"));
        // Whole rows only, each with its own amount; a party's name of several
        // lines ends on the page its row starts on.
        for (const BillRow &row : billRows(page)) {
            const int n = row.bill.toInt();
            QCOMPARE(row.money, reportMoneyText(ReportFixture::billMoney(n)));
            (voidedPage ? seenVoided : seenIssued) << row.bill;
            if (n % 37 == 0) {
                const QRegularExpression end(QStringLiteral("(?<!\\d)%1号").arg(n));
                QVERIFY2(QString(page).remove(QRegularExpression(QStringLiteral("\\s"))).contains(end),
                         qPrintable(QStringLiteral("bill %1 on page %2").arg(n).arg(p + 1)));
            }
        }
        if (!voidedPage && page.contains(QStringLiteral("合计")))
            totalsPage = p;
    }
    QCOMPARE(seenIssued, billNumbers(issued));  // each once, in order, none lost at a page edge
    QCOMPARE(seenVoided, billNumbers(voided));
    QVERIFY(totalsPage >= 0);
    QCOMPARE(figuresAfter(pages[totalsPage], QStringLiteral("合计")),
             (QStringList{QString::number(issued.size()), reportMoneyText(total)}));
    QVERIFY(QString(pages.last()).remove(u' ').contains(QStringLiteral("作废共%1张").arg(voided.size())));
}

void TestReportBuilders::csvOfEachReport()
{
    auto f = ReportFixture::create(DbKind::SQLite);
    QList<PreparedReport> shown;
    auto readCsv = [this](const PreparedReport &report) {
        const QString path = m_dir.filePath(report.exportName + QStringLiteral(".csv"));
        if (!writeReportCsv(report.table, path))
            return QByteArray();
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        return file.readAll();
    };

    const PreparedReport progress = finance::buildProgressReport(f->dm->database(), QStringLiteral("2024"),
                                                                 QStringLiteral("船务科"),
                                                                 finance::kShipAffairsProgressTemplate)
                                        .report.prepare();
    QCOMPARE(progress.exportName, QStringLiteral("船务科规费征收进度表_2024"));
    QByteArray csv = readCsv(progress);
    QVERIFY(csv.startsWith("\xEF\xBB\xBF"));
    QStringList lines = QString::fromUtf8(csv.mid(3)).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 15);
    QCOMPARE(lines[0],
             QStringLiteral("月份,本月征收,本年累计,上年同月,上年累计,累计同比增减,累计同比增减率,完成全年计划"));
    QCOMPARE(lines[6], QStringLiteral("6月,900.50,3153.00,600.25,2101.50,1051.50,50.0%,10.5%"));
    QCOMPARE(lines[13], QStringLiteral("全年合计,11706.00,11706.00,7803.00,7803.00,3903.00,50.0%,39.0%"));
    QCOMPARE(lines[14], QStringLiteral("全年计划,30000.00"));

    const PreparedReport counts = finance::buildInspectionReport(f->dm->database(), QStringLiteral("2024")).prepare();
    QCOMPARE(counts.exportName, QStringLiteral("船舶检验登记数量统计表_2024"));
    lines = QString::fromUtf8(readCsv(counts).mid(3)).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 9);
    QVERIFY(lines[0].startsWith(QStringLiteral("检验种类,1月,2月")));
    QCOMPARE(lines[2], QStringLiteral("年度检验,11,12,13,14,15,16,17,18,19,20,21,22,198"));
    QCOMPARE(lines[7], QStringLiteral("合计,12,14,16,18,20,22,24,26,28,30,32,34,276"));
    QCOMPARE(lines[8], finance::unknownInspectionLine(6078));
    QVERIFY(lines[8].startsWith(QStringLiteral("另有 6078 张通知单计入“未知检验”")));

    const finance::Ledger ledger = finance::buildLedger(
        f->dm->database(), {QStringLiteral("0000101"), QStringLiteral("0000120"), {}, {}}, UserRecord());
    const PreparedReport issued = ledger.issued.prepare();
    QCOMPARE(issued.exportName, QStringLiteral("台账_0000101-0000120"));
    QVERIFY(ledger.voided.prepare().table.isEmpty());
    lines = QString::fromUtf8(readCsv(issued).mid(3)).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 1 + 17 + 1 + 2 + 1);
    QCOMPARE(lines[0], QStringLiteral("序号,票据号,通知单号,日期,缴费单位,科室,金额,状态"));
    // Bill numbers keep their leading zeros in a spreadsheet.
    QCOMPARE(lines[1], QStringLiteral("1,=\"0000101\",1000101,2024-06-18,浙舟渔101,船检科,101.35,已开票且未被统计"));
    double total = 0;
    for (int n : ReportFixture::issuedInRange())
        total += ReportFixture::billMoney(n);
    QCOMPARE(lines[18], QStringLiteral("合计,17张,,,,,%1,").arg(reportMoneyText(total)));
    QVERIFY(lines[19].contains(QStringLiteral("=\"0000107\"")) && lines[19].endsWith(QStringLiteral(",废票")));
    QCOMPARE(lines[21], QStringLiteral("作废,2张,,,,,,"));
}

void TestReportBuilders::rangeChecks_data()
{
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("last");
    QTest::addColumn<QString>("refusal");
    const QString digits = QStringLiteral("起始号和终止号均为7位");
    const QString order = QStringLiteral("起始号应小于终止号");
    QTest::newRow("both empty") << ""
                                << "" << digits;
    QTest::newRow("first short") << "000010"
                                 << "0000120" << digits;
    QTest::newRow("last short") << "0000101"
                                << "12" << digits;
    QTest::newRow("reversed") << "0000120"
                              << "0000101" << order;
    QTest::newRow("reversed in the first digit") << "1000000"
                                                 << "0999999" << order;
    QTest::newRow("equal") << "0000101"
                           << "0000101"
                           << "";
    QTest::newRow("range of 20") << "0000101"
                                 << "0000120"
                                 << "";
}

void TestReportBuilders::rangeChecks()
{
    QFETCH(QString, first);
    QFETCH(QString, last);
    QFETCH(QString, refusal);
    QCOMPARE(finance::ledgerRangeRefusal({first, last, {}, {}}), refusal);
}

void TestReportBuilders::defaultLast_data()
{
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("last");
    QTest::newRow("twenty bills") << "0000101"
                                  << "0000120";
    QTest::newRow("across a thousand") << "0000990"
                                       << "0001009";
    QTest::newRow("top of the range wraps to seven digits") << "9999990"
                                                            << "0000009";
    QTest::newRow("too short") << "000101"
                               << "";
}

void TestReportBuilders::defaultLast()
{
    QFETCH(QString, first);
    QFETCH(QString, last);
    QCOMPARE(finance::ledgerDefaultLast(first), last);
}

QTEST_MAIN(TestReportBuilders)
#include "tst_report_builders.moc"
