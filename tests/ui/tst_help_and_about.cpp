// The help documents, the configuration program and the about box, reached
// from the main window; the desktop is replaced by a recorder.

#include "main_window_fixture.h"
#include "menu_clicks.h"

#include "ui/about_window.h"
#include "ui/desktop_open.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

class TestHelpAndAbout : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void documents_data();
    void documents();
    void missingDocumentIsNamed();
    void shippedManualsAreFound();
    void configurationProgram();
    void aboutBox();

private:
    void trigger(const QString &control);
    std::unique_ptr<MainWindowFixture> f;
    QList<ui::DesktopRequest> m_requests;
    bool m_desktopAnswers = true;
    QTemporaryDir m_workdir;
    QString m_startDir;
};

void TestHelpAndAbout::initTestCase()
{
    ui::setDesktopHandler([this](const ui::DesktopRequest &r) {
        m_requests << r;
        return m_desktopAnswers;
    });
    f = std::make_unique<MainWindowFixture>(DbKind::SQLite);
    f->login(QStringLiteral("cwk"));
    // The manuals are looked for in the working directory, wherever the program lies.
    m_startDir = QDir::currentPath();
    QDir::setCurrent(m_workdir.path());
    QDir().mkdir(QStringLiteral("help"));
    for (const QString &name :
         {QStringLiteral("help/htmlNollard用户手册.htm"), QStringLiteral("help/Nollard用户手册.doc")}) {
        QFile file(name);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("manual");
    }
}

void TestHelpAndAbout::cleanupTestCase()
{
    QDir::setCurrent(m_startDir);
    f.reset();
    ui::setDesktopHandler({});
}

void TestHelpAndAbout::init()
{
    m_requests.clear();
    f->shown.clear();
    m_desktopAnswers = true;
}

void TestHelpAndAbout::trigger(const QString &control)
{
    if (control == QLatin1String("bt_help"))
        QTest::mouseClick(f->window->findChild<QToolButton *>(control), Qt::LeftButton);
    else
        chooseMenuItem(f->window.get(), f->action(qPrintable(control)));
}

void TestHelpAndAbout::documents_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("file");
    QTest::newRow("Html1") << "Html1"
                           << "help/htmlNollard用户手册.htm";
    QTest::newRow("bt_help") << "bt_help"
                             << "help/htmlNollard用户手册.htm";
    QTest::newRow("word1") << "word1"
                           << "help/Nollard用户手册.doc";
}

void TestHelpAndAbout::documents()
{
    QFETCH(QString, control);
    QFETCH(QString, file);
    trigger(control);
    QCOMPARE(m_requests.size(), 1);
    QCOMPARE(m_requests[0].kind, ui::DesktopRequest::Kind::OpenDocument);
    QCOMPARE(m_requests[0].path, QDir(m_workdir.path()).filePath(file));
    QVERIFY(f->shown.all().isEmpty());

    // A desktop without a program for the file says so, naming the file.
    m_desktopAnswers = false;
    trigger(control);
    QCOMPARE(f->shown.informations.size(), 1);
    QVERIFY2(f->shown.informations[0].contains(QFileInfo(file).fileName()), qPrintable(f->shown.informations[0]));
}

void TestHelpAndAbout::missingDocumentIsNamed()
{
    QVERIFY(QFile::rename(QStringLiteral("help/Nollard用户手册.doc"), QStringLiteral("help/moved.doc")));
    trigger(QStringLiteral("word1"));
    QVERIFY(QFile::rename(QStringLiteral("help/moved.doc"), QStringLiteral("help/Nollard用户手册.doc")));
    QVERIFY(m_requests.isEmpty());
    QCOMPARE(f->shown.informations,
             QStringList{QStringLiteral("找不到文件 ")
                         + QDir::toNativeSeparators(
                             QDir(m_workdir.path()).filePath(QStringLiteral("help/Nollard用户手册.doc")))});
}

void TestHelpAndAbout::shippedManualsAreFound()
{
    // The program runs in the build folder (as the run command starts it),
    // where the build puts the manuals.
    QDir::setCurrent(m_startDir);
    const auto restore = qScopeGuard([this] { QDir::setCurrent(m_workdir.path()); });
    for (const char *control : {"bt_help", "Html1", "word1"}) {
        m_requests.clear();
        trigger(QString::fromLatin1(control));
        QVERIFY2(f->shown.all().isEmpty(), qPrintable(f->shown.all().join('\n')));
        QCOMPARE(m_requests.size(), 1);
        QVERIFY2(QFileInfo(m_requests[0].path).isFile(), qPrintable(m_requests[0].path));
    }

    // The HTML manual, and every picture it shows lies beside it.
    QFile html(QDir(m_startDir).filePath(ui::htmlManualPath()));
    QVERIFY(html.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(html.readAll());
    QVERIFY(text.contains(QStringLiteral("<title>Nollard 用户手册</title>")));
    static const QRegularExpression picture(QStringLiteral("<img src=\"([^\"]+)\""));
    int pictures = 0;
    for (const auto &m : picture.globalMatch(text)) {
        const QFileInfo png(QFileInfo(html).dir(), m.captured(1));
        QVERIFY2(png.isFile() && png.size() > 1000, qPrintable(png.filePath()));
        ++pictures;
    }
    QVERIFY(pictures >= 10);
    // Every link inside the manual (the contents, "see chapter N") lands on a
    // chapter, and a chapter named "第 N 节" carries that number.
    static const QRegularExpression link(QStringLiteral("<a href=\"#([a-z]+)\">([^<]*)</a>"));
    int links = 0;
    for (const auto &m : link.globalMatch(text)) {
        const QRegularExpression target(QStringLiteral("<h2 id=\"%1\">(\\d+)\\. ").arg(m.captured(1)));
        const auto heading = target.match(text);
        QVERIFY2(heading.hasMatch(), qPrintable(m.captured(0)));
        if (m.captured(2).startsWith(QStringLiteral("第 ")))
            QCOMPARE(m.captured(2), QStringLiteral("第 %1 节").arg(heading.captured(1)));
        ++links;
    }
    QVERIFY(links >= 20);

    // The word-processor manual is a document of the compound file format.
    QFile doc(QDir(m_startDir).filePath(ui::wordManualPath()));
    QVERIFY(doc.open(QIODevice::ReadOnly));
    QCOMPARE(doc.read(8), QByteArray::fromHex("d0cf11e0a1b11ae1"));
}

void TestHelpAndAbout::configurationProgram()
{
    const QString program = ui::configurationProgramPath();
    QCOMPARE(QFileInfo(program).absolutePath(), QCoreApplication::applicationDirPath());
    QVERIFY(!QFile::exists(program));
    trigger(QStringLiteral("N14"));
    QVERIFY(m_requests.isEmpty());
    QCOMPARE(f->shown.informations,
             QStringList{QStringLiteral("找不到客户端数据库配置程序 ") + QDir::toNativeSeparators(program)});

    f->shown.clear();
    QFile stand(program);
    QVERIFY(stand.open(QIODevice::WriteOnly));
    stand.write("#!/bin/sh\n");
    stand.close();
    stand.setPermissions(stand.permissions() | QFile::ExeOwner);
    trigger(QStringLiteral("N14"));
    QFile::remove(program);
    QCOMPARE(m_requests.size(), 1);
    QCOMPARE(m_requests[0].kind, ui::DesktopRequest::Kind::StartProgram);
    QCOMPARE(m_requests[0].path, program);
    QVERIFY(f->shown.all().isEmpty());
}

void TestHelpAndAbout::aboutBox()
{
    bool checked = false;
    QPointer<TF_about> shownBox;
    whenModal([&](QWidget *modal) {
        auto *about = qobject_cast<TF_about *>(modal);
        QVERIFY(about);
        shownBox = about;
        QCOMPARE(about->objectName(), QStringLiteral("F_about"));
        QCOMPARE(about->windowTitle(), QStringLiteral("关于本软件"));
        QCOMPARE(about->Label1->text(), QStringLiteral("Nollard"));
        QVERIFY(about->Label1->font().bold());
        QCOMPARE(about->Label2->text(), QStringLiteral("第二版  Build0825"));
        QVERIFY(!about->Image1->pixmap().isNull());
        // The picture and the texts do not react to a click.
        for (QLabel *l : {about->Image1, about->Label1, about->Label2}) {
            QTest::mouseClick(l, Qt::LeftButton, {}, l->rect().center());
            QVERIFY(about->isVisible());
        }
        // A click on the background closes the box.
        QTest::mouseClick(about, Qt::LeftButton, {}, QPoint(4, 4));
        checked = true;
    });
    trigger(QStringLiteral("N16"));
    QVERIFY(checked);
    QTRY_VERIFY(shownBox.isNull());  // released on closing
}

QTEST_MAIN(TestHelpAndAbout)
#include "tst_help_and_about.moc"
