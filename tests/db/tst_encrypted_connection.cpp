// Encrypted connections to a PostgreSQL server of the test's own, on
// loopback, with a certificate authority and a server certificate for
// "localhost" made here with openssl. What the program tells the user comes
// through its start-up path and message seam; the password never shows.

#include "message_recorder.h"

#include "app/messages.h"
#include "db/connection.h"
#include "db/db_error.h"
#include "db/sql_statement.h"
#include "db/tdm.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

const QString kPassword = QStringLiteral("Kq7-密码-zW3!x");
const QString kUser = QStringLiteral("clerk");

QString runProgram(const QString &program, const QStringList &arguments, bool asOwner = false)
{
    QString name = program;
    QStringList args = arguments;
    const QString owner = qEnvironmentVariable("NOLLARD_PGRUNAS");
    if (asOwner && !owner.isEmpty()) {
        name = QStringLiteral("runuser");
        args = QStringList{QStringLiteral("-u"), owner, QStringLiteral("--"), program} + arguments;
    }
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(name, args);
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return QStringLiteral("%1 %2 failed: %3")
            .arg(program, arguments.join(QLatin1Char(' ')), QString::fromLocal8Bit(p.readAll()));
    return {};
}

// A port of the loopback interface that nothing listens on just now.
int freePort()
{
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof a;
    int port = 0;
    if (::bind(s, reinterpret_cast<sockaddr *>(&a), sizeof a) == 0
        && ::getsockname(s, reinterpret_cast<sockaddr *>(&a), &length) == 0)
        port = ntohs(a.sin_port);
    ::close(s);
    return port;
}

}  // namespace

class TestEncryptedConnection : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void connectOrRefuse_data();
    void connectOrRefuse();
    void invalidSettingRefusedBeforeConnecting();
    void requireAgainstServerWithoutEncryption();

private:
    QString pg(const char *program) const { return QDir(m_bin).filePath(QString::fromLatin1(program)); }
    QString file(const char *name) const { return m_dir.filePath(QString::fromUtf8(name)); }
    QString startServer(bool ssl);
    QString stopServer();
    DbSettings settings(const QString &host, const QString &mode, const QString &ca) const;
    // Opens the connection as the program does at start; the messages shown.
    QStringList start(const DbSettings &s, bool *encrypted);

    QString m_bin;
    QTemporaryDir m_dir;
    int m_port = 0;
    bool m_running = false;
};

QString TestEncryptedConnection::startServer(bool ssl)
{
    const QString data = file("data");
    QFile conf(data + QStringLiteral("/postgresql.auto.conf"));
    if (!conf.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return conf.errorString();
    conf.write(QStringLiteral("listen_addresses = 'localhost'\nport = %1\nunix_socket_directories = '%2'\n"
                              "fsync = off\nssl = %3\nssl_cert_file = '%4'\nssl_key_file = '%5'\n")
                   .arg(m_port)
                   .arg(m_dir.path(), ssl ? QStringLiteral("on") : QStringLiteral("off"), file("server.crt"),
                        file("server.key"))
                   .toUtf8());
    conf.close();
    const QString problem = runProgram(pg("pg_ctl"),
                                       {QStringLiteral("-D"), data, QStringLiteral("-l"), file("server.log"),
                                        QStringLiteral("-w"), QStringLiteral("-t"), QStringLiteral("30"),
                                        QStringLiteral("start")},
                                       true);
    m_running = problem.isEmpty();
    return problem;
}

QString TestEncryptedConnection::stopServer()
{
    if (!m_running)
        return {};
    m_running = false;
    return runProgram(pg("pg_ctl"),
                      {QStringLiteral("-D"), file("data"), QStringLiteral("-m"), QStringLiteral("fast"),
                       QStringLiteral("-w"), QStringLiteral("stop")},
                      true);
}

void TestEncryptedConnection::initTestCase()
{
    m_bin = qEnvironmentVariable("NOLLARD_PGBIN");
    if (m_bin.isEmpty())
        QSKIP("run through scripts/with-postgres.sh, which names the PostgreSQL programs");
    QVERIFY(m_dir.isValid());
    const QString openssl = QStringLiteral("openssl");
    const QStringList ecKey{QStringLiteral("-newkey"), QStringLiteral("ec"), QStringLiteral("-pkeyopt"),
                            QStringLiteral("ec_paramgen_curve:prime256v1"), QStringLiteral("-nodes")};
    // The administration's authority, and another one that signed nothing here.
    for (const char *ca : {"ca", "other-ca"})
        QCOMPARE(runProgram(openssl, QStringList{QStringLiteral("req"), QStringLiteral("-x509")} + ecKey
                                         + QStringList{QStringLiteral("-days"), QStringLiteral("2"),
                                                       QStringLiteral("-subj"), QStringLiteral("/CN=%1").arg(ca),
                                                       QStringLiteral("-keyout"), file(ca) + QStringLiteral(".key"),
                                                       QStringLiteral("-out"), file(ca) + QStringLiteral(".crt")}),
                 QString());
    // The server's certificate names localhost only.
    QCOMPARE(runProgram(openssl, QStringList{QStringLiteral("req"), QStringLiteral("-new")} + ecKey
                                     + QStringList{QStringLiteral("-subj"), QStringLiteral("/CN=localhost"),
                                                   QStringLiteral("-keyout"), file("server.key"),
                                                   QStringLiteral("-out"), file("server.csr")}),
             QString());
    QFile extensions(file("server.ext"));
    QVERIFY(extensions.open(QIODevice::WriteOnly));
    extensions.write("subjectAltName=DNS:localhost\n");
    extensions.close();
    QCOMPARE(runProgram(openssl,
                        {QStringLiteral("x509"), QStringLiteral("-req"), QStringLiteral("-in"), file("server.csr"),
                         QStringLiteral("-CA"), file("ca.crt"), QStringLiteral("-CAkey"), file("ca.key"),
                         QStringLiteral("-CAcreateserial"), QStringLiteral("-days"), QStringLiteral("2"),
                         QStringLiteral("-extfile"), file("server.ext"), QStringLiteral("-out"), file("server.crt")}),
             QString());

    // The administration's copy of its authority, in a folder whose name
    // needs quoting in the client library's options.
    QVERIFY(QDir().mkpath(file("根证书 admin's")));
    QVERIFY(QFile::copy(file("ca.crt"), file("根证书 admin's/ca.crt")));

    // The server runs as its owner, who must read the key and nobody else.
    const QString owner = qEnvironmentVariable("NOLLARD_PGRUNAS");
    if (!owner.isEmpty())
        QCOMPARE(runProgram(QStringLiteral("chown"), {QStringLiteral("-R"), owner, m_dir.path()}), QString());
    QVERIFY(QFile::setPermissions(file("server.key"), QFile::ReadOwner | QFile::WriteOwner));
    QCOMPARE(runProgram(pg("initdb"),
                        {QStringLiteral("-D"), file("data"), QStringLiteral("-U"), QStringLiteral("postgres"),
                         QStringLiteral("-A"), QStringLiteral("trust"), QStringLiteral("-E"), QStringLiteral("UTF8"),
                         QStringLiteral("--locale=C.UTF-8"), QStringLiteral("--no-sync")},
                        true),
             QString());
    // Over the network only encrypted connections, with a password.
    QFile hba(file("data") + QStringLiteral("/pg_hba.conf"));
    QVERIFY(hba.open(QIODevice::WriteOnly | QIODevice::Truncate));
    hba.write("local all all trust\n"
              "hostssl all all 127.0.0.1/32 scram-sha-256\n"
              "hostssl all all ::1/128 scram-sha-256\n");
    hba.close();
    QString problem;
    for (int attempt = 0; attempt < 5 && !m_running; ++attempt) {
        m_port = freePort();
        problem = startServer(true);
    }
    QVERIFY2(m_running, qPrintable(problem));
    QCOMPARE(
        runProgram(pg("psql"),
                   {QStringLiteral("-h"), m_dir.path(), QStringLiteral("-p"), QString::number(m_port),
                    QStringLiteral("-U"), QStringLiteral("postgres"), QStringLiteral("-d"), QStringLiteral("postgres"),
                    QStringLiteral("-v"), QStringLiteral("ON_ERROR_STOP=1"), QStringLiteral("-c"),
                    QStringLiteral("create role %1 login password '%2'").arg(kUser, kPassword)},
                   true),
        QString());
}

void TestEncryptedConnection::cleanupTestCase()
{
    QCOMPARE(stopServer(), QString());
}

DbSettings TestEncryptedConnection::settings(const QString &host, const QString &mode, const QString &ca) const
{
    DbSettings s;
    s.provider = QStringLiteral("PostgreSQL");
    s.dataSource = QStringLiteral("%1:%2").arg(host).arg(m_port);
    s.initialCatalog = QStringLiteral("postgres");
    s.userId = kUser;
    s.password = kPassword;
    s.sslMode = mode;
    s.sslCaFile = ca;
    return s;
}

QStringList TestEncryptedConnection::start(const DbSettings &s, bool *encrypted)
{
    MessageRecorder shown;
    *encrypted = false;
    Tdm dm(s, QStringLiteral("encrypted"));
    // As the program starts: a connection that fails is told, nothing more.
    messages::guarded([&] {
        dm.DataModuleCreate();
        QSqlQuery q = runStatement(dm.database(),
                                   QStringLiteral("select ssl from pg_stat_ssl where pid = pg_backend_pid()"));
        *encrypted = q.next() && q.value(0).toBool();
    });
    return shown.all();
}

void TestEncryptedConnection::connectOrRefuse_data()
{
    QTest::addColumn<QString>("host");
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QString>("ca");
    QTest::addColumn<QString>("refusal");  // a part of the message, or empty: connected

    auto row = [](const char *name, const char *host, const char *mode, const char *ca, const char *refusal) {
        QTest::newRow(name) << QString::fromUtf8(host) << QString::fromUtf8(mode) << QString::fromUtf8(ca)
                            << QString::fromUtf8(refusal);
    };
    row("verify-full, right authority and name", "localhost", "verify-full", "根证书 admin's/ca.crt", "");
    row("verify-full, another authority", "localhost", "verify-full", "other-ca.crt", "CA 证书文件");
    row("verify-full, address not in the certificate", "127.0.0.1", "verify-full", "ca.crt",
        "证书上的名称与配置的数据源“127.0.0.1");
    row("verify-full, no such authority file", "localhost", "verify-full", "absent.crt",
        "找不到或无法读取 CA 证书文件");
    row("verify-ca does not ask for the name", "127.0.0.1", "verify-ca", "ca.crt", "");
    row("require encrypts without checking", "localhost", "require", "", "");
    row("disable, server wants encryption", "localhost", "disable", "", "只接受加密连接");
}

void TestEncryptedConnection::connectOrRefuse()
{
    QFETCH(QString, host);
    QFETCH(QString, mode);
    QFETCH(QString, ca);
    QFETCH(QString, refusal);
    bool encrypted = false;
    const QStringList shown = start(settings(host, mode, ca.isEmpty() ? QString() : file(ca.toUtf8().constData())),
                                    &encrypted);
    for (const QString &text : shown)
        QVERIFY2(!text.contains(kPassword), qPrintable(text));
    if (refusal.isEmpty()) {
        QVERIFY2(shown.isEmpty(), qPrintable(shown.join(QLatin1Char('\n'))));
        QVERIFY(encrypted);
        return;
    }
    QCOMPARE(shown.size(), 1);
    QVERIFY2(shown.first().contains(refusal), qPrintable(shown.first()));
    QVERIFY(!encrypted);
}

void TestEncryptedConnection::invalidSettingRefusedBeforeConnecting()
{
    bool encrypted = false;
    DbSettings s = settings(QStringLiteral("localhost"), QStringLiteral("verify"), file("ca.crt"));
    QStringList shown = start(s, &encrypted);
    QCOMPARE(shown.size(), 1);
    QVERIFY2(shown.first().contains(QStringLiteral("“SSL Mode”的值“verify”无效")), qPrintable(shown.first()));
    // An authority file that would not be used is a mistake, not a check.
    s.sslMode = QStringLiteral("require");
    shown = start(s, &encrypted);
    QCOMPARE(shown.size(), 1);
    QVERIFY2(shown.first().contains(QStringLiteral("SSL CA File")), qPrintable(shown.first()));
}

void TestEncryptedConnection::requireAgainstServerWithoutEncryption()
{
    QCOMPARE(stopServer(), QString());
    QCOMPARE(startServer(false), QString());
    bool encrypted = false;
    QStringList shown = start(settings(QStringLiteral("localhost"), QStringLiteral("require"), QString()), &encrypted);
    QCOMPARE(shown.size(), 1);
    QVERIFY2(shown.first().contains(QStringLiteral("不支持加密连接")), qPrintable(shown.first()));
    QVERIFY2(!shown.first().contains(kPassword), qPrintable(shown.first()));
    // verify-full asks for it too.
    shown = start(settings(QStringLiteral("localhost"), QStringLiteral("verify-full"), file("ca.crt")), &encrypted);
    QCOMPARE(shown.size(), 1);
    QVERIFY2(shown.first().contains(QStringLiteral("不支持加密连接")), qPrintable(shown.first()));
    QCOMPARE(stopServer(), QString());
    QCOMPARE(startServer(true), QString());
}

QTEST_MAIN(TestEncryptedConnection)
#include "tst_encrypted_connection.moc"
