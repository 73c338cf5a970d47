// The report preview's messages reach the program's message seam once the
// program has routed them there, as it does at start-up: a test sees them
// and no message box of the engine's own waits for an answer.

#include "message_recorder.h"

#include "main/report_messages.h"
#include "report/report.h"
#include "report/report_notifier.h"
#include "report/report_preview_dialog.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class TestReportMessages : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void failedSaveIsToldThroughTheSeam_data();
    void failedSaveIsToldThroughTheSeam();

private:
    QTemporaryDir m_dir;
};

void TestReportMessages::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);  // the folder used last is the test's, not the user's
    QVERIFY(m_dir.isValid());
    QFile file(m_dir.filePath(QStringLiteral("table.frf")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QStringLiteral("<p>台账</p>").toUtf8());
    file.close();
    routeReportMessages();
}

void TestReportMessages::cleanupTestCase()
{
    report::setNotifier({});
    ReportPreviewDialog::setFileChooser({});
}

void TestReportMessages::failedSaveIsToldThroughTheSeam_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("suffix");
    QTest::newRow("pdf") << QStringLiteral("act_savePdf") << QStringLiteral("pdf");
    QTest::newRow("csv") << QStringLiteral("act_saveCsv") << QStringLiteral("csv");
}

void TestReportMessages::failedSaveIsToldThroughTheSeam()
{
    QFETCH(QString, button);
    QFETCH(QString, suffix);
    Report withTable;
    withTable.loadFromFile(m_dir.filePath(QStringLiteral("table.frf")));
    withTable.setTable({{{QStringLiteral("票据号")}, {QStringLiteral("0000101")}}});

    // A folder that is not there: the file cannot be written.
    const QString path = m_dir.filePath(QStringLiteral("gone/ledger.") + suffix);
    ReportPreviewDialog::setFileChooser(
        [&](QWidget *, const QString &, const QString &, const QString &) { return path; });
    MessageRecorder shown;
    ReportPreviewDialog dialog({withTable.prepare()});
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    auto *save = dialog.findChild<QWidget *>(button);
    QVERIFY(save);
    QTest::mouseClick(save, Qt::LeftButton);

    QCOMPARE(shown.informations,
             QStringList{QStringLiteral("无法写入文件 %1，报表未保存。").arg(QDir::toNativeSeparators(path))});
    QVERIFY(shown.errors.isEmpty());
    QVERIFY(!QFile::exists(path));
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
}

QTEST_MAIN(TestReportMessages)
#include "tst_report_messages.moc"
