// Running headers and page numbers over a composite, pictures painted as
// drawings, find in the laid-out pages and in the preview, and saving a
// report's table as CSV from the preview into the folder used last.

#include "report/report.h"
#include "report/report_layout.h"
#include "report/report_preview_dialog.h"
#include "report/report_printer.h"
#include "report_engine_support.h"

#include "report/report_page_view.h"
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPrinter>
#include <QProcess>
#include <QScrollBar>
#include <QSignalSpy>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>

namespace {

// A template with a running header and footer and one table row per line.
QString rowsTemplate(const QString &title, int rows)
{
    QString html = QStringLiteral("<html><head><meta name=\"page-header\" content=\"%1 {{start}}\">"
                                  "<meta name=\"page-footer\" content=\"第 {page} 页 共 {pages} 页\"></head><body>"
                                  "<table border=\"1\" width=\"100%\"><thead><tr><th>行</th><th>内容</th></tr></thead>")
                       .arg(title);
    for (int i = 1; i <= rows; ++i)
        html += QStringLiteral("<tr><td>%1</td><td>line-%1</td></tr>").arg(i, 4, 10, QLatin1Char('0'));
    return html + QStringLiteral("</table></body></html>");
}

QStringList pdfPages(const QString &path)
{
    QStringList pages = pdfText(path).split(u'\f');
    if (!pages.isEmpty() && pages.last().trimmed().isEmpty())
        pages.removeLast();
    return pages;
}

QString squeezed(QString text)
{
    return text.remove(u' ');
}

// Pixels of the find highlight on the screen, in the preview's window.
int yellowOnScreen(ReportPageView *view)
{
    const QImage shown = view->viewport()->grab().toImage();
    int yellow = 0;
    for (int y = 0; y < shown.height(); ++y)
        for (int x = 0; x < shown.width(); ++x)
            yellow += shown.pixel(x, y) == qRgb(255, 214, 0);
    return yellow;
}

}  // namespace

class TestReportPagesAndFind : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void headerAndPageNumbersRunOverTheComposite();
    void picturesAreDrawnOnThePage();
    void findGivesThePrintedPage();
    void previewFindsAndHighlights();
    void previewPaintsOnlyThePagesInView();
    void previewSavesCsvInTheFolderUsedLast();

private:
    QTemporaryDir m_dir;
    Report m_long;
    Report m_short;
};

void TestReportPagesAndFind::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);  // settings of the test, not of the user
    if (!pdftotextAvailable())
        QFAIL("pdftotext (poppler-utils) is needed");
    ReportVariables::set(QStringLiteral("start"), QStringLiteral("<0000101>"));
    writeTextFile(m_dir.filePath(QStringLiteral("long.frf")), rowsTemplate(QStringLiteral("长表"), 160));
    writeTextFile(m_dir.filePath(QStringLiteral("short.frf")), rowsTemplate(QStringLiteral("短表"), 3));
    m_long.loadFromFile(m_dir.filePath(QStringLiteral("long.frf")));
    m_short.loadFromFile(m_dir.filePath(QStringLiteral("short.frf")));
}

void TestReportPagesAndFind::headerAndPageNumbersRunOverTheComposite()
{
    const QString path = m_dir.filePath(QStringLiteral("composite.pdf"));
    QVERIFY(Report::exportCompositePdf({&m_long, &m_short}, path));
    const QStringList pages = pdfPages(path);
    QVERIFY2(pages.size() >= 4, qPrintable(QString::number(pages.size())));
    const int total = int(pages.size());
    QStringList rows;
    for (int p = 0; p < total; ++p) {
        const QString text = squeezed(pages[p]);
        QVERIFY2(text.contains(QStringLiteral("第%1页共%2页").arg(p + 1).arg(total)), qPrintable(text.right(100)));
        // The running header, with the variable as typed, and the table's head
        // on every page.
        QVERIFY(text.contains((p < total - 1 ? QStringLiteral("长表") : QStringLiteral("短表")) + "<0000101>"));
        QVERIFY(text.contains(QStringLiteral("行内容")));
        static const QRegularExpression row(QStringLiteral("line-(\\d{4})"));
        for (auto it = row.globalMatch(pages[p]); it.hasNext();)
            rows << it.next().captured(1);
    }
    QCOMPARE(rows.size(), 163);  // 160 + 3 rows, none lost at a page edge
}

void TestReportPagesAndFind::picturesAreDrawnOnThePage()
{
    writeTextFile(m_dir.filePath(QStringLiteral("picture.frf")),
                  QStringLiteral("<p>上</p><p><img src=\"picture:plot\" width=\"400\" height=\"200\"></p>"
                                 "<p><img src=\"picture:missing\" width=\"50\" height=\"50\"></p><p>下</p>"));
    Report report;
    report.loadFromFile(m_dir.filePath(QStringLiteral("picture.frf")));
    QSizeF painted;
    report.setPicture(QStringLiteral("plot"), [&painted](QPainter *painter, const QRectF &rect) {
        painted = rect.size() * 72.0 / painter->device()->logicalDpiX();  // in points
        painter->drawRect(rect);
        painter->drawText(rect, Qt::AlignCenter, QStringLiteral("图中文字"));
    });
    const QString path = m_dir.filePath(QStringLiteral("picture.pdf"));
    QVERIFY(report.exportPdf(path));
    // 400 x 200 pixels at 96 per inch are 300 x 150 points on paper.
    QVERIFY2(qAbs(painted.width() - 300) < 2 && qAbs(painted.height() - 150) < 2,
             qPrintable(QStringLiteral("%1 x %2").arg(painted.width()).arg(painted.height())));
    const QString text = squeezed(pdfText(path));
    QVERIFY(text.contains(QStringLiteral("图中文字")));
    QVERIFY(text.indexOf(QStringLiteral("上")) < text.indexOf(QStringLiteral("图中文字")));
    QProcess images;
    images.start(QStringLiteral("pdfimages"), {QStringLiteral("-list"), path});
    QVERIFY(images.waitForFinished(30000));
    // Only the two heading lines of the list: the picture is drawing, not an image.
    QCOMPARE(QString::fromUtf8(images.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts).size(), 2);
}

void TestReportPagesAndFind::findGivesThePrintedPage()
{
    const QList<PreparedReport> reports{m_long.prepare(), m_short.prepare()};
    const QString path = m_dir.filePath(QStringLiteral("find.pdf"));
    QVERIFY(ReportPrinter::exportPdf(reports, path));
    const QStringList pages = pdfPages(path);

    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    ReportPrinter::applyPageSetup(&printer, reports);
    const ReportLayout layout(reports, &printer);
    QCOMPARE(layout.pageCount(), pages.size());
    for (const QString &text :
         {QStringLiteral("line-0001"), QStringLiteral("line-0097"), QStringLiteral("LINE-0160")}) {
        const ReportMatch match = layout.find(text);
        QVERIFY2(match.isValid() && match.report == 0, qPrintable(text));
        QVERIFY2(pages.at(match.page).contains(text.toLower()),
                 qPrintable(QStringLiteral("%1 found on page %2").arg(text).arg(match.page + 1)));
    }
    // The next match moves on into the second report and round to the first.
    const ReportMatch first = layout.find(QStringLiteral("line-0002"));
    const ReportMatch second = layout.find(QStringLiteral("line-0002"), first);
    QCOMPARE(second.report, 1);
    QCOMPARE(second.page, layout.pageCount() - 1);
    const ReportMatch third = layout.find(QStringLiteral("line-0002"), second);
    QCOMPARE(third.report, 0);
    QCOMPARE(third.position, first.position);
    QVERIFY(!layout.find(QStringLiteral("line-9999")).isValid());
}

void TestReportPagesAndFind::previewFindsAndHighlights()
{
    ReportPreviewDialog dialog({m_long.prepare(), m_short.prepare()});
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    auto *preview = dialog.findChild<ReportPageView *>(QStringLiteral("previewWidget"));
    QTRY_VERIFY(preview->pageCount() > 3);
    auto *find = dialog.findChild<QLineEdit *>(QStringLiteral("ed_find"));
    auto *state = dialog.findChild<QLabel *>(QStringLiteral("lb_findState"));

    // A line at the foot of a page after the first, out of view until found.
    QString low;
    {
        QPrinter printer(QPrinter::HighResolution);
        const QList<PreparedReport> reports{m_long.prepare(), m_short.prepare()};
        ReportPrinter::applyPageSetup(&printer, reports);
        const ReportLayout layout(reports, &printer);
        double lowest = 0;
        for (int i = 100; i <= 160; ++i) {
            const QString text = QStringLiteral("line-%1").arg(i, 4, 10, QLatin1Char('0'));
            const ReportMatch at = layout.find(text);
            if (at.page > 0 && at.top > lowest) {
                lowest = at.top;
                low = text;
            }
        }
        QVERIFY(lowest > printer.height() * 0.7);
    }
    QTest::mouseClick(find, Qt::LeftButton);
    QTest::keyClicks(find, low);
    QTest::keyClick(find, Qt::Key_Return);
    const ReportMatch match = dialog.currentMatch();
    QVERIFY(match.isValid());
    QVERIFY(match.page > 0);
    QCOMPARE(preview->currentPage(), match.page + 1);
    QCOMPARE(state->text().trimmed(), QStringLiteral("第 %1 页").arg(match.page + 1));
    // The view went to the match, which stands highlighted in the window.
    QVERIFY(yellowOnScreen(preview) > 20);

    // The highlight is painted on the preview's page, not on the printout.
    QImage highlighted(600, 850, QImage::Format_RGB32);
    {
        QPrinter printer(QPrinter::HighResolution);
        ReportPrinter::applyPageSetup(&printer, {m_long.prepare(), m_short.prepare()});
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(m_dir.filePath(QStringLiteral("unused.pdf")));
        const QList<PreparedReport> reports{m_long.prepare(), m_short.prepare()};
        const ReportLayout layout(reports, &printer);
        auto yellowPixels = [&](const ReportMatch &shown) {
            highlighted.fill(Qt::white);
            QPainter painter(&highlighted);
            painter.scale(highlighted.width() / double(printer.width()), highlighted.width() / double(printer.width()));
            layout.paintPage(&painter, match.page, shown);
            painter.end();
            int yellow = 0;
            for (int y = 0; y < highlighted.height(); ++y)
                for (int x = 0; x < highlighted.width(); ++x)
                    yellow += highlighted.pixel(x, y) == qRgb(255, 214, 0);
            return yellow;
        };
        QVERIFY(yellowPixels(match) > 50);
        QCOMPARE(yellowPixels(ReportMatch()), 0);
    }

    // F3 goes on to the next match; a text that is nowhere says so.
    QTest::keyClick(find, Qt::Key_F3);
    QVERIFY(dialog.currentMatch().report == 0 && dialog.currentMatch().page == match.page);  // only one such line
    find->selectAll();
    QTest::keyClicks(find, QStringLiteral("no-such-line"));
    QTest::keyClick(find, Qt::Key_Return);
    QVERIFY(!dialog.currentMatch().isValid());
    QCOMPARE(state->text().trimmed(), QStringLiteral("未找到"));
    QCOMPARE(yellowOnScreen(preview), 0);
}

void TestReportPagesAndFind::previewPaintsOnlyThePagesInView()
{
    ReportPreviewDialog dialog({m_long.prepare(), m_short.prepare()});
    auto *preview = dialog.findChild<ReportPageView *>(QStringLiteral("previewWidget"));
    QSignalSpy painted(preview, &ReportPageView::pagePainted);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QTRY_VERIFY(!painted.isEmpty());
    QCOMPARE(painted.first().first().toInt(), 1);
    const int pages = preview->pageCount();
    QVERIFY(pages > 3);
    QCOMPARE(dialog.findChild<QLabel *>(QStringLiteral("lb_pageCount"))->text().trimmed(),
             QStringLiteral("/ %1").arg(pages));
    QVERIFY2(preview->paintedPages() < pages, qPrintable(QString::number(preview->paintedPages())));
    // Fitted to the width, the page needs no sideways scrolling, whatever the
    // window's width.
    for (int width = 700; width < 740; ++width) {
        dialog.resize(width, dialog.height());
        QApplication::processEvents();
        QVERIFY2(!preview->horizontalScrollBar()->isVisible(), qPrintable(QString::number(width)));
    }

    // Going to the last page paints it, and the page box follows.
    painted.clear();
    QTest::mouseClick(dialog.findChild<QWidget *>(QStringLiteral("act_lastPage")), Qt::LeftButton);
    QTRY_VERIFY(!painted.isEmpty());
    QVERIFY(std::any_of(painted.cbegin(), painted.cend(),
                        [&](const QList<QVariant> &args) { return args.first().toInt() == pages; }));
    QCOMPARE(preview->currentPage(), pages);
    QCOMPARE(dialog.findChild<QSpinBox *>(QStringLiteral("sb_page"))->value(), pages);

    // Typing a page number goes there; zooming keeps that page in view.
    auto *pageBox = dialog.findChild<QSpinBox *>(QStringLiteral("sb_page"));
    pageBox->selectAll();
    QTest::keyClicks(pageBox, QStringLiteral("2"));
    QCOMPARE(preview->currentPage(), 2);
    const double before = preview->zoomFactor();
    QTest::mouseClick(dialog.findChild<QWidget *>(QStringLiteral("act_zoomIn")), Qt::LeftButton);
    QVERIFY(preview->zoomFactor() > before);
    QCOMPARE(preview->currentPage(), 2);
    QTest::mouseClick(dialog.findChild<QWidget *>(QStringLiteral("act_fitPage")), Qt::LeftButton);
    QVERIFY(preview->zoomFactor() < before);
    QCOMPARE(preview->currentPage(), 2);

    // Zoomed in far, only the part of a page in view is painted; a match found
    // is in view and highlighted all the same.
    for (int i = 0; i < 12; ++i)
        QTest::mouseClick(dialog.findChild<QWidget *>(QStringLiteral("act_zoomIn")), Qt::LeftButton);
    QVERIFY(preview->zoomFactor() > 4);
    auto *find = dialog.findChild<QLineEdit *>(QStringLiteral("ed_find"));
    QTest::mouseClick(find, Qt::LeftButton);
    QTest::keyClicks(find, QStringLiteral("line-0100"));
    QTest::keyClick(find, Qt::Key_Return);
    QVERIFY(dialog.currentMatch().isValid());
    QCOMPARE(preview->currentPage(), dialog.currentMatch().page + 1);
    QVERIFY(yellowOnScreen(preview) > 20);
}

void TestReportPagesAndFind::previewSavesCsvInTheFolderUsedLast()
{
    Report plain;
    plain.loadFromFile(m_dir.filePath(QStringLiteral("short.frf")));
    ReportPreviewDialog withoutTable({plain.prepare()});
    QVERIFY(!withoutTable.findChild<QAction *>(QStringLiteral("act_saveCsv"))->isEnabled());

    Report withTable;
    withTable.loadFromFile(m_dir.filePath(QStringLiteral("short.frf")));
    withTable.setExportName(QStringLiteral("台账_0000101-0000120"));
    withTable.setTable({{{QStringLiteral("票据号"), QStringLiteral("缴费单位"), QStringLiteral("金额")},
                         {QStringLiteral("0000101"), QStringLiteral("浙舟渔\"1\",号"), QStringLiteral("1234.50")},
                         {QStringLiteral("合计"), QString(), QStringLiteral("1234.50")}}});
    QStringList suggestions;
    QString answer;
    ReportPreviewDialog::setFileChooser([&](QWidget *, const QString &, const QString &suggested, const QString &) {
        suggestions << suggested;
        return answer;
    });
    ReportPreviewDialog dialog({withTable.prepare()});
    QAction *saveCsv = dialog.findChild<QAction *>(QStringLiteral("act_saveCsv"));
    QVERIFY(saveCsv->isEnabled());

    QTemporaryDir chosen;
    answer = chosen.filePath(QStringLiteral("ledger"));  // the suffix is added
    saveCsv->trigger();
    QFile file(answer + QStringLiteral(".csv"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("\xEF\xBB\xBF")
                                 + QStringLiteral("票据号,缴费单位,金额\r\n"
                                                  "=\"0000101\",\"浙舟渔\"\"1\"\",号\",1234.50\r\n"
                                                  "合计,,1234.50\r\n")
                                       .toUtf8());
    QCOMPARE(QFileInfo(suggestions.value(0)).fileName(), QStringLiteral("台账_0000101-0000120.csv"));

    // The next save, of a PDF too, starts in the folder chosen before.
    answer.clear();  // cancelled: nothing written
    dialog.findChild<QAction *>(QStringLiteral("act_savePdf"))->trigger();
    QCOMPARE(suggestions.size(), 2);
    QCOMPARE(QFileInfo(suggestions[1]).absolutePath(), QFileInfo(chosen.path()).absoluteFilePath());
    QCOMPARE(QFileInfo(suggestions[1]).fileName(), QStringLiteral("台账_0000101-0000120.pdf"));
    ReportPreviewDialog::setFileChooser({});
}

QTEST_MAIN(TestReportPagesAndFind)
#include "tst_report_pages_and_find.moc"
