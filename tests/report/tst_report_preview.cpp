#include "report/report.h"
#include "report/report_preview_dialog.h"
#include "report_engine_support.h"

#include "report/report_page_view.h"
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

// The real modal preview, opened offscreen and closed from a timer, so the path
// callers take without a hook is known to work and to return.
class TestReportPreview : public QObject
{
    Q_OBJECT
private slots:
    void previewOpensPagesAndCloses();
};

void TestReportPreview::previewOpensPagesAndCloses()
{
    QVERIFY(!ReportPreview::hasHook());
    QTemporaryDir dir;
    writeTextFile(dir.filePath(QStringLiteral("three.frf")),
                  QStringLiteral("<p>第1页</p><p style=\"page-break-before: always\">第2页</p>"
                                 "<p style=\"page-break-before: always\">第3页</p>"));
    writeTextFile(dir.filePath(QStringLiteral("one.frf")), QStringLiteral("<p>另一份报表</p>"));
    Report three;
    three.loadFromFile(dir.filePath(QStringLiteral("three.frf")));
    Report one;
    one.loadFromFile(dir.filePath(QStringLiteral("one.frf")));

    int pageCount = -1;
    int pageAfterNext = -1;
    int pageAfterLast = -1;
    QString pageLabel;
    bool sawDialog = false;
    QTimer timer;
    timer.setInterval(50);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        auto *dialog = qobject_cast<ReportPreviewDialog *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        auto *preview = dialog->findChild<ReportPageView *>(QStringLiteral("previewWidget"));
        if (!preview || preview->pageCount() == 0)
            return;  // not laid out yet
        timer.stop();
        sawDialog = true;
        pageCount = preview->pageCount();
        dialog->findChild<QAction *>(QStringLiteral("act_nextPage"))->trigger();
        pageAfterNext = preview->currentPage();
        dialog->findChild<QAction *>(QStringLiteral("act_lastPage"))->trigger();
        pageAfterLast = preview->currentPage();
        pageLabel = dialog->findChild<QLabel *>(QStringLiteral("lb_pageCount"))->text();
        dialog->findChild<QAction *>(QStringLiteral("act_close"))->trigger();
    });
    timer.start();
    Report::showComposite({&three, &one});  // returns only when the preview is closed
    timer.stop();

    QVERIFY(sawDialog);
    QCOMPARE(pageCount, 4);  // three pages of the first report, one of the second
    QCOMPARE(pageAfterNext, 2);
    QCOMPARE(pageAfterLast, pageCount);
    QVERIFY(pageLabel.contains(QString::number(pageCount)));
    QVERIFY(QApplication::activeModalWidget() == nullptr);
}

QTEST_MAIN(TestReportPreview)
#include "tst_report_preview.moc"
