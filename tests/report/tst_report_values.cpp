#include "report/report_page_setup.h"
#include "report/report_values.h"

#include <QDate>
#include <QDateTime>
#include <QTest>

class TestReportValues : public QObject
{
    Q_OBJECT
private slots:
    void moneyText_data();
    void moneyText();
    void fieldText_data();
    void fieldText();
    void pageSetup_data();
    void pageSetup();
};

void TestReportValues::moneyText_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("zero") << 0.0 << "0.00";
    QTest::newRow("negative zero") << -0.0 << "0.00";
    QTest::newRow("one cent") << 0.01 << "0.01";
    QTest::newRow("half rounds up") << 0.125 << "0.13";
    QTest::newRow("double below the half") << 2.675 << "2.67";
    QTest::newRow("3.125") << 3.125 << "3.13";
    QTest::newRow("one decimal") << 102.5 << "102.50";
    QTest::newRow("whole") << 10500.0 << "10500.00";
    QTest::newRow("carry into a new digit") << 99.999 << "100.00";
    QTest::newRow("sum with binary noise") << 0.1 + 0.2 << "0.30";
    QTest::newRow("tiny negative is zero") << -0.001 << "0.00";
    QTest::newRow("negative half") << -3.125 << "-3.13";
    QTest::newRow("ten million") << 10000000.0 << "10000000.00";
    QTest::newRow("no grouping, no exponent") << 12345678901.5 << "12345678901.50";
}

void TestReportValues::moneyText()
{
    QFETCH(double, value);
    QFETCH(QString, text);
    QCOMPARE(reportMoneyText(value), text);
}

void TestReportValues::fieldText_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<int>("fieldType");
    QTest::addColumn<QString>("text");
    const int unknown = QMetaType::UnknownType;
    QTest::newRow("null") << QVariant() << int(QMetaType::Double) << "";
    QTest::newRow("double value") << QVariant(12.5) << unknown << "12.50";
    QTest::newRow("integer in a double column") << QVariant(qlonglong(300)) << int(QMetaType::Double) << "300.00";
    QTest::newRow("numeric text in a double column")
        << QVariant(QStringLiteral("7.125")) << int(QMetaType::Double) << "7.13";
    QTest::newRow("integer stays integer") << QVariant(qlonglong(42)) << int(QMetaType::Int) << "42";
    QTest::newRow("text") << QVariant(QStringLiteral("船务科")) << int(QMetaType::QString) << "船务科";
    QTest::newRow("date-time") << QVariant(QDateTime(QDate(2024, 3, 5), QTime(9, 7, 1))) << unknown
                               << "2024-03-05 09:07:01";
    QTest::newRow("date") << QVariant(QDate(2024, 12, 31)) << unknown << "2024-12-31";
    QTest::newRow("ISO text with milliseconds")
        << QVariant(QStringLiteral("2024-03-05T09:07:01.000")) << int(QMetaType::QString) << "2024-03-05 09:07:01";
    QTest::newRow("text that only starts like a date")
        << QVariant(QStringLiteral("2024-03-05 补缴")) << int(QMetaType::QString) << "2024-03-05 补缴";
}

void TestReportValues::fieldText()
{
    QFETCH(QVariant, value);
    QFETCH(int, fieldType);
    QFETCH(QString, text);
    QCOMPARE(reportValueText(value, QMetaType(fieldType)), text);
}

void TestReportValues::pageSetup_data()
{
    QTest::addColumn<QString>("head");
    QTest::addColumn<QSizeF>("sizeMm");
    QTest::addColumn<bool>("landscape");
    QTest::addColumn<QMarginsF>("margins");
    const QMarginsF defaults(15, 15, 15, 15);
    QTest::newRow("none: A4 portrait") << "<html><body>x</body></html>" << QSizeF(210, 297) << false << defaults;
    QTest::newRow("A5 across, margins top/right/bottom/left")
        << R"(<meta name="page-size" content="A5"><meta name="page-orientation" content="landscape">)"
           R"(<meta name="page-margins" content="10 14 8 12">)"
        << QSizeF(148, 210) << true << QMarginsF(12, 10, 14, 8);
    QTest::newRow("custom size, one margin, other attribute order")
        << R"(<META content='241x140' name='Page-Size'><meta content="5mm" name="page-margins">)" << QSizeF(241, 140)
        << false << QMarginsF(5, 5, 5, 5);
    QTest::newRow("unknown values keep the defaults")
        << R"(<meta name="page-size" content="huge"><meta name="page-margins" content="a b">)" << QSizeF(210, 297)
        << false << defaults;
}

void TestReportValues::pageSetup()
{
    QFETCH(QString, head);
    QFETCH(QSizeF, sizeMm);
    QFETCH(bool, landscape);
    QFETCH(QMarginsF, margins);
    const ReportPageSetup setup = ReportPageSetup::fromTemplate(head);
    QCOMPARE(setup.size.size(QPageSize::Millimeter).toSize(), sizeMm.toSize());
    QCOMPARE(setup.orientation == QPageLayout::Landscape, landscape);
    QCOMPARE(setup.marginsMm, margins);
}

QTEST_GUILESS_MAIN(TestReportValues)
#include "tst_report_values.moc"
