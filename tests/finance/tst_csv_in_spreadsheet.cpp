// A ledger saved as CSV and opened in LibreOffice Calc, as a finance clerk
// opens it: party names that look like formulas stay the texts they are, and
// the figures stay numbers. Calc reads the file headless, with formulas
// evaluated, and writes it back as a flat spreadsheet whose cells say their
// type, value and formula.

#include "notice_row.h"
#include "report_fixture.h"

#include "app/codes.h"
#include "app/current_user.h"
#include "finance/ledger_report.h"
#include "report/report_table.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrl>
#include <QXmlStreamReader>
#include <QtTest>

namespace {

struct Cell
{
    QString type;  // office:value-type: string, float, percentage...
    QString value;
    QString formula;
    QString text;
};

QString paragraphText(QXmlStreamReader &xml)
{
    QString text;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isCharacters())
            text += xml.text();
        else if (xml.isStartElement() && xml.name() == QLatin1String("tab"))
            text += u'\t';
        else if (xml.isStartElement() && xml.name() == QLatin1String("line-break"))
            text += u'\n';
        else if (xml.isStartElement() && xml.name() == QLatin1String("s"))
            text += QString(qMax(1, xml.attributes().value(QLatin1String("text:c")).toInt()), u' ');
        else if (xml.isEndElement() && xml.name() == QLatin1String("p"))
            break;
    }
    return text;
}

// The first sheet's rows, each cell as Calc holds it.
QList<QList<Cell>> sheetRows(const QString &fodsPath)
{
    QFile file(fodsPath);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QXmlStreamReader xml(&file);
    QList<QList<Cell>> rows;
    Cell *cell = nullptr;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == QLatin1String("table-row")) {
            rows.append(QList<Cell>());
        } else if (xml.isStartElement() && xml.name() == QLatin1String("table-cell") && !rows.isEmpty()) {
            const QXmlStreamAttributes a = xml.attributes();
            const int repeated = qMax(1, a.value(QLatin1String("table:number-columns-repeated")).toInt());
            for (int i = 0; i < qMin(repeated, 20); ++i)
                rows.last().append({a.value(QLatin1String("office:value-type")).toString(),
                                    a.value(QLatin1String("office:value")).toString(),
                                    a.value(QLatin1String("table:formula")).toString(),
                                    {}});
            cell = &rows.last().last();
        } else if (xml.isStartElement() && xml.name() == QLatin1String("p") && cell) {
            cell->text += paragraphText(xml);
        } else if (xml.isEndElement() && xml.name() == QLatin1String("table-cell")) {
            cell = nullptr;
        }
    }
    return rows;
}

}  // namespace

class TestCsvInSpreadsheet : public QObject
{
    Q_OBJECT
private slots:
    void ledgerOpenedInCalc();
};

void TestCsvInSpreadsheet::ledgerOpenedInCalc()
{
    const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    if (soffice.isEmpty())
        QSKIP("LibreOffice Calc (soffice) is not installed; scripts/install-deps.sh installs it "
              "(Debian package libreoffice-calc-nogui)");
    FIXTURE(f, DbKind::SQLite, ReportFixture::create);

    // Party names as a clerk might type them, or someone might craft them.
    const QStringList parties{
        QStringLiteral("=1+2"), QStringLiteral("@SUM(1+1)"),       QStringLiteral("+86 580 1234"),
        QStringLiteral("-1+2"), QStringLiteral("\t=HYPERLINK(1)"), QStringLiteral("\r=1+2"),
        QStringLiteral("-"),    QStringLiteral("浙舟渔=1"),        QStringLiteral("=\"0000401\""),
    };
    const QList<double> amounts{12.5, -12.5, 0.125, 100, 3, 4, 5, 6, 7};
    for (int i = 0; i < parties.size(); ++i)
        NoticeRow(QStringLiteral("00004%1").arg(i + 1, 2, 10, QLatin1Char('0')))
            .rdate(QDateTime(QDate(2024, 8, 1), QTime(9, 0)))
            .money(amounts[i])
            .status(5)
            .department(codes::kShipAffairs)
            .shipname(parties[i])
            .billcode(codes::PadBillCode7(401 + i))
            .insert(f->db->connection());
    const finance::Ledger ledger = finance::buildLedger(
        f->dm->database(), {QStringLiteral("0000401"), QStringLiteral("0000409"), {}, {}}, UserRecord());
    QCOMPARE(ledger.issuedCount, int(parties.size()));

    QTemporaryDir dir;
    const QString csv = dir.filePath(QStringLiteral("ledger.csv"));
    QVERIFY(writeReportCsv(ledger.issued.prepare().table, csv));

    // Comma, double quote, UTF-8, from the first line; formulas evaluated, as
    // a spreadsheet does when it opens a file. A profile of its own, so that
    // parallel runs do not share one.
    QProcess calc;
    calc.setWorkingDirectory(dir.path());
    calc.start(soffice,
               {QStringLiteral("-env:UserInstallation=")
                    + QUrl::fromLocalFile(dir.filePath(QStringLiteral("profile"))).toString(),
                QStringLiteral("--headless"), QStringLiteral("--norestore"),
                QStringLiteral("--infilter=CSV:44,34,76,1,,0,false,true,false,false,false,false,true"),
                QStringLiteral("--convert-to"), QStringLiteral("fods"), QStringLiteral("--outdir"), dir.path(), csv});
    QVERIFY(calc.waitForFinished(110000));
    const QString fods = dir.filePath(QStringLiteral("ledger.fods"));
    QVERIFY2(QFile::exists(fods), calc.readAllStandardError().constData());

    const QList<QList<Cell>> rows = sheetRows(fods);
    QVERIFY(rows.size() >= 1 + parties.size() + 1);
    QCOMPARE(rows[0].value(4).text, QStringLiteral("缴费单位"));
    for (int i = 0; i < parties.size(); ++i) {
        const QList<Cell> &row = rows[1 + i];
        const Cell party = row.value(4);
        // Calc drops a lone carriage return inside a quoted field.
        const QString expected = QString(parties[i]).remove(u'\r');
        const bool looksLikeFormula = QStringLiteral("=+-@\t\r").contains(parties[i].front());
        QVERIFY2(party.formula.isEmpty(), qPrintable(parties[i] + QStringLiteral(" ran as ") + party.formula));
        QCOMPARE(party.type, QStringLiteral("string"));
        // Shown as typed, after the apostrophe that keeps it a text.
        QCOMPARE(party.text, looksLikeFormula ? u'\'' + expected : expected);

        // The figures stay numbers; the bill number keeps its zeros.
        QCOMPARE(row.value(0).type, QStringLiteral("float"));
        QCOMPARE(row.value(0).value.toInt(), i + 1);
        QCOMPARE(row.value(6).type, QStringLiteral("float"));
        QCOMPARE(row.value(6).value.toDouble(), std::round(amounts[i] * 100) / 100);
        QCOMPARE(row.value(1).text, codes::PadBillCode7(401 + i));
    }
    const QList<Cell> &total = rows[1 + parties.size()];
    QCOMPARE(total.value(0).text, QStringLiteral("合计"));
    QCOMPARE(total.value(6).type, QStringLiteral("float"));
    QCOMPARE(total.value(6).value.toDouble(), 125.13);
}

QTEST_GUILESS_MAIN(TestCsvInSpreadsheet)
#include "tst_csv_in_spreadsheet.moc"
