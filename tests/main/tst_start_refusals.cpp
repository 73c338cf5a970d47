// An embedded database that cannot be used is told before any window, in
// words that name the file and what to do: missing (the one command that
// makes it), or not writable for this user (the file, or its folder).

#include "message_recorder.h"

#include "db/config_location.h"
#include "main/database_file_check.h"
#include "main/startup.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <unistd.h>

class TestStartRefusals : public QObject
{
    Q_OBJECT
private slots:
    void missingFileNamesThePathAndTheCommand();
    void refusedOnceBeforeAnyWindow();
    void unwritableFileOrFolder_data();
    void unwritableFileOrFolder();
};

namespace {

DbSettings embedded(const QString &file)
{
    DbSettings s;
    s.provider = QStringLiteral("SQLite");
    s.dataSource = file;
    return s;
}

// Root may write any file, so the permission checks are made as the
// unprivileged user nobody, as an ordinary clerk would meet them.
class AsOrdinaryUser
{
public:
    AsOrdinaryUser()
    {
        if (::geteuid() == 0) {
            m_dropped = ::setegid(65534) == 0 && ::seteuid(65534) == 0;
            QVERIFY(m_dropped);
        }
    }
    ~AsOrdinaryUser()
    {
        if (m_dropped) {
            QVERIFY(::seteuid(0) == 0);
            QVERIFY(::setegid(0) == 0);
        }
    }

private:
    bool m_dropped = false;
};

void writeConfig(const QString &path, const QString &dataSource)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(QStringLiteral("[database]\nProvider=SQLite\nData Source=%1\n").arg(dataSource).toUtf8());
}

}  // namespace

void TestStartRefusals::missingFileNamesThePathAndTheCommand()
{
    QTemporaryDir folder;
    const QString file = folder.filePath(QStringLiteral("data/nollard.db"));
    // Named by the system configuration, which dbadmin finds by itself.
    const QString system = ConfigPlaces::installed().systemConfig;
    QString text = embeddedDatabaseProblem(embedded(file), system, QStringLiteral("dbadmin"));
    QVERIFY2(text.startsWith(QStringLiteral("找不到数据库文件 %1。").arg(file)), qPrintable(text));
    QVERIFY2(text.endsWith(QStringLiteral("\ndbadmin init")), qPrintable(text));
    QVERIFY(text.contains(folder.filePath(QStringLiteral("data"))));
    // Named by a file of a program folder: the command names that file.
    const QString own = folder.filePath(QStringLiteral("config/config.ini"));
    text = embeddedDatabaseProblem(embedded(file), own, QStringLiteral("/opt/nollard/dbadmin"));
    QVERIFY2(text.endsWith(QStringLiteral("\n/opt/nollard/dbadmin init --config %1").arg(own)), qPrintable(text));

    // A folder in the file's place, and a server, are no missing file.
    QVERIFY(embeddedDatabaseProblem(embedded(folder.path()), own, QStringLiteral("dbadmin"))
                .contains(QStringLiteral("不是文件")));
    DbSettings server;
    server.provider = QStringLiteral("PostgreSQL");
    server.dataSource = folder.filePath(QStringLiteral("absent"));
    QVERIFY(embeddedDatabaseProblem(server, own, QStringLiteral("dbadmin")).isEmpty());
}

void TestStartRefusals::refusedOnceBeforeAnyWindow()
{
    QTemporaryDir folder;
    writeConfig(folder.filePath(QStringLiteral("config/config.ini")), QStringLiteral("nollard.db"));
    const ConfigLocation config = locateConfig(folder.path());
    QVERIFY(config.found);
    MessageRecorder shown;
    QVERIFY(Nollard::refusesToStart(config));
    // One message, in words, with the full path: never the driver's text.
    QCOMPARE(shown.all().size(), 1);
    QCOMPARE(shown.informations.size(), 1);
    const QString text = shown.informations.first();
    QVERIFY2(text.contains(folder.filePath(QStringLiteral("nollard.db"))), qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral(" init --config ")), qPrintable(text));
    QVERIFY2(!text.contains(QStringLiteral("unable to open")), qPrintable(text));
    QVERIFY(!QFile::exists(folder.filePath(QStringLiteral("nollard.db"))));

    // A configuration that is not there is left to the program's own message.
    shown.clear();
    QTemporaryDir empty;
    QVERIFY(!Nollard::refusesToStart(locateConfig(empty.path())));
    QVERIFY(shown.all().isEmpty());
}

void TestStartRefusals::unwritableFileOrFolder_data()
{
    QTest::addColumn<int>("fileMode");
    QTest::addColumn<int>("folderMode");
    QTest::addColumn<QString>("expected");  // the message's start, or empty
    QTest::newRow("file read-only") << 0444 << 0777 << QStringLiteral("无法写入数据库文件 ");
    QTest::newRow("folder read-only") << 0666 << 0555 << QStringLiteral("无法写入数据库文件所在的文件夹 ");
    QTest::newRow("both writable") << 0666 << 0777 << QString();
}

void TestStartRefusals::unwritableFileOrFolder()
{
    QFETCH(int, fileMode);
    QFETCH(int, folderMode);
    QFETCH(QString, expected);
    QTemporaryDir root;
    QVERIFY(QFile::setPermissions(root.path(), QFile::Permissions(0x7755)));
    const QString folder = root.filePath(QStringLiteral("data"));
    QVERIFY(QDir().mkpath(folder));
    const QString file = folder + QStringLiteral("/nollard.db");
    {
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
    // An octal mode in Qt's flags, whose digits are hexadecimal nibbles.
    auto perms = [](int mode) {
        const int user = (mode >> 6) & 7, group = (mode >> 3) & 7, other = mode & 7;
        return QFile::Permissions(QFlag((user << 12) | (user << 8) | (group << 4) | other));
    };
    QVERIFY(QFile::setPermissions(file, perms(fileMode)));
    QVERIFY(QFile::setPermissions(folder, perms(folderMode)));
    QString text;
    {
        AsOrdinaryUser clerk;
        text = embeddedDatabaseProblem(embedded(file), root.filePath(QStringLiteral("config.ini")),
                                       QStringLiteral("dbadmin"));
    }
    QFile::setPermissions(folder, perms(0777));
    if (expected.isEmpty()) {
        QVERIFY2(text.isEmpty(), qPrintable(text));
        return;
    }
    QVERIFY2(text.startsWith(expected), qPrintable(text));
    QVERIFY2(text.contains(fileMode == 0444 ? file : folder), qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("nollard")), qPrintable(text));
}

QTEST_MAIN(TestStartRefusals)
#include "tst_start_refusals.moc"
