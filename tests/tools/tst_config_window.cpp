// The configuration program's window: the file it writes is the one the
// program reads, and the embedded database is backed up and restored.

#include "message_recorder.h"
#include "notice_row.h"
#include "test_database.h"
#include "typing.h"

#include "config_operations.h"
#include "config_window.h"
#include "db/connection.h"
#include "db/db_settings.h"
#include "db/user_refusal.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// Opens the list and clicks the entry, as a person does.
void pickEntry(QComboBox *combo, const QString &text)
{
    const int index = combo->findText(text);
    QVERIFY2(index >= 0, qPrintable(text));
    QVERIFY(combo->isEnabled());
    QTest::mouseClick(combo, Qt::LeftButton);
    QAbstractItemView *list = combo->view();
    QTRY_VERIFY(list->isVisible());
    QTest::qWait(QApplication::doubleClickInterval() + 50);
    const QModelIndex entry = list->model()->index(index, combo->modelColumn());
    list->scrollTo(entry);
    const QPoint at = list->visualRect(entry).center();
    QTest::mouseMove(list->viewport(), at);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QTRY_VERIFY(!list->isVisible());
    QCOMPARE(combo->currentIndex(), index);
}

}  // namespace

class TestConfigWindow : public QObject
{
    Q_OBJECT
private slots:
    void writesTheFileTheProgramReads();
    void encryptionChosenAndRefused();
    void backupAndRestore();
    void restoreRefusesABadFileAndADatabaseInUse();
    void firstAccountsOnANewFile();
    void serverListKept();
};

void TestConfigWindow::writesTheFileTheProgramReads()
{
    QTemporaryDir folder;
    const QString file = folder.filePath(QStringLiteral("config/config.ini"));
    MessageRecorder shown;
    ConfigWindow w(file, TestDatabase::schemaFolder());
    w.show();
    QCOMPARE(w.windowTitle(), QStringLiteral("客户端数据库配置"));
    QCOMPARE(w.Edit_password->echoMode(), QLineEdit::Password);
    w.cb_kind->setCurrentIndex(w.cb_kind->findData(QStringLiteral("PostgreSQL")));
    for (QLineEdit *e : {w.Edit_datasource, w.Edit_catalog, w.Edit_user, w.Edit_password})
        e->clear();
    typeText(w.Edit_datasource, QStringLiteral("dbhost:5433"));
    typeText(w.Edit_catalog, QStringLiteral("nollard"));
    typeText(w.Edit_user, QStringLiteral("clerk"));
    typeText(w.Edit_password, QStringLiteral("p@ss=w;rd"));
    QTest::mouseClick(w.bt_save, Qt::LeftButton);
    QVERIFY2(shown.errors.isEmpty(), qPrintable(shown.errors.join('\n')));
    const DbSettings read = DbSettings::fromFile(file);
    QCOMPARE(read.kind(), DbKind::PostgreSQL);
    QCOMPARE(read.dataSource, QStringLiteral("dbhost:5433"));
    QCOMPARE(read.initialCatalog, QStringLiteral("nollard"));
    QCOMPARE(read.userId, QStringLiteral("clerk"));
    QCOMPARE(read.password, QStringLiteral("p@ss=w;rd"));

    // A new window shows what the file holds.
    ConfigWindow again(file, TestDatabase::schemaFolder());
    QCOMPARE(again.settings().dataSource, QStringLiteral("dbhost:5433"));
    QCOMPARE(again.settings().password, QStringLiteral("p@ss=w;rd"));

    // On a real server the connection test reports what it found.
    if (auto server = TestDatabase::create(DbKind::PostgreSQL)) {
        shown.clear();
        const DbSettings s = server->settings();
        again.Edit_datasource->setText(s.dataSource);
        again.Edit_catalog->setText(s.initialCatalog);
        again.Edit_user->setText(s.userId);
        again.Edit_password->setText(s.password);
        QTest::mouseClick(again.bt_test, Qt::LeftButton);
        QVERIFY2(shown.errors.isEmpty(), qPrintable(shown.errors.join('\n')));
        QVERIFY2(again.Label_result->text().contains(QStringLiteral("连接成功")),
                 qPrintable(again.Label_result->text()));
        QVERIFY(again.Label_result->text().contains(QStringLiteral("已有 12 张")));
    }
}

// The encryption of each kind is chosen where it applies; an authority file
// only where a mode verifies the server; what the file holds is shown again;
// a value that is none of the modes is shown and refused before writing.
void TestConfigWindow::encryptionChosenAndRefused()
{
    QTemporaryDir folder;
    const QString file = folder.filePath(QStringLiteral("config/config.ini"));
    MessageRecorder shown;
    ConfigWindow w(file, TestDatabase::schemaFolder());
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    pickEntry(w.cb_kind, QStringLiteral("PostgreSQL 服务器"));
    QVERIFY(w.cb_sslmode->isEnabled());
    QVERIFY(!w.ck_encrypt->isEnabled() && !w.ck_trust->isEnabled());
    QVERIFY(!w.Edit_sslca->isEnabled());  // the default mode checks nothing
    pickEntry(w.cb_sslmode, QStringLiteral("verify-full"));
    QVERIFY(w.Edit_sslca->isEnabled());
    w.Edit_sslca->setFocus();
    typeText(w.Edit_sslca, QStringLiteral("/etc/根证书/ca;x.crt"));
    QCOMPARE(w.Edit_sslca->text(), QStringLiteral("/etc/根证书/cax.crt"));  // ";" is not taken
    typeText(w.Edit_datasource, QStringLiteral("db1.example"));
    QTest::mouseClick(w.bt_save, Qt::LeftButton);
    QVERIFY2(shown.errors.isEmpty(), qPrintable(shown.errors.join('\n')));
    DbSettings read = DbSettings::fromFile(file);
    QCOMPARE(read.sslMode, QStringLiteral("verify-full"));
    QCOMPARE(read.sslCaFile, QStringLiteral("/etc/根证书/cax.crt"));
    QVERIFY(read.encrypt.isEmpty());

    // A mode that verifies nothing takes no authority file.
    pickEntry(w.cb_sslmode, QStringLiteral("require"));
    QVERIFY(!w.Edit_sslca->isEnabled());
    QTest::mouseClick(w.bt_save, Qt::LeftButton);
    read = DbSettings::fromFile(file);
    QCOMPARE(read.sslMode, QStringLiteral("require"));
    QVERIFY(read.sslCaFile.isEmpty());

    // SQL Server: trust is a choice only once encryption is asked for.
    pickEntry(w.cb_kind, QStringLiteral("SQL Server 服务器 (SQLOLEDB.1)"));
    QVERIFY(!w.cb_sslmode->isEnabled() && w.ck_encrypt->isEnabled() && !w.ck_trust->isEnabled());
    // On its box, at the left end of the row.
    QTest::mouseClick(w.ck_encrypt, Qt::LeftButton, {}, QPoint(8, w.ck_encrypt->height() / 2));
    QVERIFY(w.ck_encrypt->isChecked() && w.ck_trust->isEnabled());
    QTest::mouseClick(w.bt_save, Qt::LeftButton);
    read = DbSettings::fromFile(file);
    QCOMPARE(read.encrypt, QStringLiteral("yes"));
    QCOMPARE(read.trustServerCertificate, QStringLiteral("no"));
    QVERIFY(read.sslMode.isEmpty());  // the other kind's keys are not kept
    ConfigWindow again(file, TestDatabase::schemaFolder());
    QVERIFY(again.ck_encrypt->isChecked() && !again.ck_trust->isChecked());

    // A file written by hand with a mode that does not exist.
    QFile f(file);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write("[database]\r\nProvider=PostgreSQL\r\nData Source=db1\r\nSSL Mode=verify\r\n");
    f.close();
    const QByteArray before = [&] {
        QFile r(file);
        return r.open(QIODevice::ReadOnly) ? r.readAll() : QByteArray();
    }();
    ConfigWindow handWritten(file, TestDatabase::schemaFolder());
    handWritten.show();
    QCOMPARE(handWritten.cb_sslmode->currentText(), QStringLiteral("verify（无效）"));
    shown.clear();
    QTest::mouseClick(handWritten.bt_save, Qt::LeftButton);
    QCOMPARE(shown.all().size(), 1);
    QVERIFY2(shown.all().first().contains(QStringLiteral("“SSL Mode”的值“verify”无效")),
             qPrintable(shown.all().first()));
    QFile r(file);
    QVERIFY(r.open(QIODevice::ReadOnly));
    QCOMPARE(r.readAll(), before);
}

void TestConfigWindow::backupAndRestore()
{
    auto t = TestDatabase::create(DbKind::SQLite);
    const QString database = t->settings().dataSource;
    NoticeRow(QStringLiteral("0000001"))
        .status(1)
        .department(QStringLiteral("船务科"))
        .handler(QStringLiteral("张船务"))
        .shipname(QStringLiteral("甲"))
        .money(10.0)
        .insert(t->connection());
    QTemporaryDir folder;
    const QString backup = folder.filePath(QStringLiteral("copy.db"));
    // The backup is made while another connection holds the database open.
    QVERIFY(dbadmin::backupSqlite(database, backup).contains(QStringLiteral("已备份")));
    QVERIFY(QFile::exists(backup));

    NoticeRow(QStringLiteral("0000002"))
        .status(1)
        .department(QStringLiteral("船务科"))
        .handler(QStringLiteral("张船务"))
        .shipname(QStringLiteral("乙"))
        .money(20.0)
        .insert(t->connection());
    QCOMPARE(t->scalar(QStringLiteral("select count(*) from notice")).toInt(), 2);
    // While the test's own connection is open, the restore is refused.
    QVERIFY_THROWS_EXCEPTION(UserRefusal, dbadmin::restoreSqlite(database, backup));
    QCOMPARE(t->scalar(QStringLiteral("select count(*) from notice")).toInt(), 2);
    closeConnection(QStringLiteral("test-check"));

    const QString text = dbadmin::restoreSqlite(database, backup);
    QVERIFY2(text.contains(QStringLiteral("已从")), qPrintable(text));
    QVERIFY(QFile::exists(database + QStringLiteral(".before-restore")));
    DbSettings s = t->settings();
    QSqlDatabase db = openConnection(s, QStringLiteral("after-restore"));
    QSqlQuery q(db);
    QVERIFY(q.exec(QStringLiteral("select ID from notice")));
    QStringList ids;
    while (q.next())
        ids << q.value(0).toString();
    QCOMPARE(ids, QStringList{QStringLiteral("0000001")});
    q.finish();
    db = QSqlDatabase();
    closeConnection(QStringLiteral("after-restore"));
}

void TestConfigWindow::restoreRefusesABadFileAndADatabaseInUse()
{
    auto t = TestDatabase::create(DbKind::SQLite);
    const QString database = t->settings().dataSource;
    QTemporaryDir folder;
    const QString notADatabase = folder.filePath(QStringLiteral("notes.db"));
    QFile f(notADatabase);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(8192, 'x'));
    f.close();
    auto empty = TestDatabase::create(DbKind::SQLite, false);
    {
        QSqlDatabase db = empty->connection();
        QSqlQuery(db).exec(QStringLiteral("create table other (x)"));
    }
    closeConnection(QStringLiteral("test-check"));
    for (const QString &bad :
         {notADatabase, empty->settings().dataSource, folder.filePath(QStringLiteral("none.db"))}) {
        try {
            dbadmin::restoreSqlite(database, bad);
            QFAIL(qPrintable(bad));
        } catch (const UserRefusal &refusal) {
            QVERIFY2(refusal.message().contains(QFileInfo(bad).fileName()), qPrintable(refusal.message()));
        }
    }
    // The database itself was not touched.
    QVERIFY(!QFile::exists(database + QStringLiteral(".before-restore")));
}

void TestConfigWindow::firstAccountsOnANewFile()
{
    QTemporaryDir folder;
    MessageRecorder shown;
    // No configuration yet: the window offers a new embedded file.
    ConfigWindow w(folder.filePath(QStringLiteral("config/config.ini")), TestDatabase::schemaFolder());
    w.show();
    QTest::mouseClick(w.bt_init, Qt::LeftButton);
    QVERIFY2(shown.errors.isEmpty(), qPrintable(shown.errors.join('\n')));
    QCOMPARE(shown.informations.size(), 1);
    const QString text = shown.informations.first();
    QVERIFY2(text.contains(QStringLiteral("密码只显示这一次")), qPrintable(text));

    DbSettings s;
    s.provider = QStringLiteral("SQLite");
    s.dataSource = folder.filePath(QStringLiteral("nollard.db"));
    {
        QSqlDatabase db = openConnection(s, QStringLiteral("init-check"));
        QSqlQuery q(db);
        QVERIFY(q.exec(QStringLiteral("select nickname, password, typeid from person order by typeid")));
        QList<int> roles;
        while (q.next()) {
            roles << q.value(2).toInt();
            QVERIFY2(text.contains(QStringLiteral("登录名 %1").arg(q.value(0).toString()))
                         && text.contains(q.value(1).toString()),
                     qPrintable(text));
        }
        QCOMPARE(roles, (QList<int>{4, 6, 8}));
    }
    closeConnection(QStringLiteral("init-check"));

    // A database with accounts gets none: the refusal is told, not an error.
    shown.clear();
    QTest::mouseClick(w.bt_init, Qt::LeftButton);
    QVERIFY(shown.errors.isEmpty());
    QCOMPARE(shown.informations.size(), 1);
    QVERIFY2(shown.informations.first().contains(QStringLiteral("已有 3 个用户账号")),
             qPrintable(shown.informations.first()));
}

// A primary and its standby typed as one list are written, shown and tried
// as the list: the first server is down here, the test reaches the second.
void TestConfigWindow::serverListKept()
{
    FIXTURE(server, DbKind::PostgreSQL, TestDatabase::create);
    const DbSettings s = server->settings();
    const QString list = QStringLiteral("127.0.0.1:1, ") + s.dataSource;
    QTemporaryDir folder;
    const QString file = folder.filePath(QStringLiteral("config/config.ini"));
    MessageRecorder shown;
    {
        ConfigWindow w(file, TestDatabase::schemaFolder());
        w.show();
        w.cb_kind->setCurrentIndex(w.cb_kind->findData(QStringLiteral("PostgreSQL")));
        for (QLineEdit *e : {w.Edit_datasource, w.Edit_catalog, w.Edit_user, w.Edit_password})
            e->clear();
        typeText(w.Edit_datasource, list);
        typeText(w.Edit_catalog, s.initialCatalog);
        typeText(w.Edit_user, s.userId);
        QTest::mouseClick(w.bt_save, Qt::LeftButton);
    }
    QVERIFY2(shown.errors.isEmpty(), qPrintable(shown.errors.join('\n')));
    QCOMPARE(DbSettings::fromFile(file).dataSource, list);

    ConfigWindow again(file, TestDatabase::schemaFolder());
    again.show();
    QCOMPARE(again.Edit_datasource->text(), list);
    QTest::mouseClick(again.bt_test, Qt::LeftButton);
    QVERIFY2(shown.errors.isEmpty(), qPrintable(shown.errors.join('\n')));
    QVERIFY2(again.Label_result->text().contains(QStringLiteral("连接成功")), qPrintable(again.Label_result->text()));
}

QTEST_MAIN(TestConfigWindow)
#include "tst_config_window.moc"
