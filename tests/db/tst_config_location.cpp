// Which initialisation file is read: the working directory's before the
// system's, and where a relative embedded database file then lies.

#include "db/config_location.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class TestConfigLocation : public QObject
{
    Q_OBJECT
private slots:
    void lookupOrder_data();
    void lookupOrder();
    void embeddedFileFollowsTheFileThatNamesIt();
};

namespace {

void writeConfig(const QString &path, const QString &dataSource)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(QStringLiteral("[database]\nProvider=SQLite\nData Source=%1\n").arg(dataSource).toUtf8());
}

}  // namespace

void TestConfigLocation::lookupOrder_data()
{
    QTest::addColumn<bool>("working");
    QTest::addColumn<bool>("system");
    QTest::addColumn<QString>("expected");  // "working", "system", or "working, missing"
    QTest::newRow("both: the working directory's wins") << true << true << "working";
    QTest::newRow("only the system's") << false << true << "system";
    QTest::newRow("only the working directory's") << true << false << "working";
    QTest::newRow("none: the first looked for is named") << false << false << "working, missing";
}

void TestConfigLocation::lookupOrder()
{
    QFETCH(bool, working);
    QFETCH(bool, system);
    QFETCH(QString, expected);
    QTemporaryDir root;
    const QString workingFolder = root.filePath(QStringLiteral("work"));
    QDir().mkpath(workingFolder);
    const ConfigPlaces places{root.filePath(QStringLiteral("etc/nollard/config.ini")),
                              root.filePath(QStringLiteral("var/lib/nollard"))};
    const QString own = workingFolder + QStringLiteral("/config/config.ini");
    if (working)
        writeConfig(own, QStringLiteral("own.db"));
    if (system)
        writeConfig(places.systemConfig, QStringLiteral("system.db"));

    const ConfigLocation where = locateConfig(workingFolder, places);
    QCOMPARE(where.lookedFor, (QStringList{own, places.systemConfig}));
    QCOMPARE(where.found, expected != QLatin1String("working, missing"));
    QCOMPARE(where.file, expected == QLatin1String("system") ? places.systemConfig : own);
    if (where.found)
        QCOMPARE(QFileInfo(readSettings(where).dataSource).fileName(),
                 expected == QLatin1String("system") ? QStringLiteral("system.db") : QStringLiteral("own.db"));
}

void TestConfigLocation::embeddedFileFollowsTheFileThatNamesIt()
{
    QTemporaryDir root;
    const QString workingFolder = root.filePath(QStringLiteral("work"));
    const ConfigPlaces places{root.filePath(QStringLiteral("etc/config.ini")), root.filePath(QStringLiteral("data"))};
    const QString absolute = root.filePath(QStringLiteral("elsewhere/x.db"));
    // Before either file exists (a first start, a new window), a file of the
    // working directory is still no system configuration.
    QCOMPARE(configAt(workingFolder + QStringLiteral("/config/config.ini"), workingFolder, places).embeddedFolder,
             workingFolder);
    QCOMPARE(configAt(places.systemConfig, workingFolder, places).embeddedFolder, places.dataFolder);
    struct Case
    {
        QString configFile;
        QString dataSource;
        QString expected;
    };
    const QList<Case> cases{
        {places.systemConfig, QStringLiteral("nollard.db"), places.dataFolder + QStringLiteral("/nollard.db")},
        {places.systemConfig, QStringLiteral("sub/n.db"), places.dataFolder + QStringLiteral("/sub/n.db")},
        {places.systemConfig, absolute, absolute},
        {workingFolder + QStringLiteral("/config/config.ini"), QStringLiteral("nollard.db"),
         workingFolder + QStringLiteral("/nollard.db")},
        {workingFolder + QStringLiteral("/config/config.ini"), absolute, absolute},
    };
    for (const Case &c : cases) {
        writeConfig(c.configFile, c.dataSource);
        const DbSettings s = readSettings(configAt(c.configFile, workingFolder, places));
        QCOMPARE(s.dataSource, c.expected);
    }
    // A server's data source is never taken for a file name.
    QFile f(places.systemConfig);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write("[database]\nProvider=PostgreSQL\nData Source=dbhost:5432\n");
    f.close();
    QCOMPARE(readSettings(configAt(places.systemConfig, workingFolder, places)).dataSource,
             QStringLiteral("dbhost:5432"));
}

QTEST_GUILESS_MAIN(TestConfigLocation)
#include "tst_config_location.moc"
