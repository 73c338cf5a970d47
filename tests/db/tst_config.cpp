// The initialisation file, its defaults and the connection strings.

#include "db/db_settings.h"
#include "db/ini_file.h"
#include "db/sql_dialect.h"

#include <QStringEncoder>
#include <QTemporaryDir>
#include <QtTest>

class TestConfig : public QObject
{
    Q_OBJECT
private slots:
    void defaults_data();
    void defaults();
    void gbkFile();
    void writtenFileReadsBack();
    void connectionString();
    void encryptionKeys();
    void encryptionProblems_data();
    void encryptionProblems();
    void providers_data();
    void providers();
    void sqlServerOdbc_data();
    void sqlServerOdbc();
    void hostPort_data();
    void hostPort();
};

namespace {
QString writeFile(QTemporaryDir &dir, const QByteArray &content)
{
    const QString path = dir.filePath(QStringLiteral("config.ini"));
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(content);
    return path;
}
}  // namespace

void TestConfig::defaults_data()
{
    QTest::addColumn<QByteArray>("content");    // empty: no file at all
    QTest::addColumn<QStringList>("expected");  // data source, catalog, user, password, provider
    const QStringList allDefaults{"servername", "Initial Catalog", "User ID", "Password", "SQLOLEDB.1"};
    QTest::newRow("no file") << QByteArray() << allDefaults;
    QTest::newRow("empty file") << QByteArray("\n") << allDefaults;
    QTest::newRow("other section only") << QByteArray("[other]\nData Source=x\n") << allDefaults;
    QTest::newRow("only data source") << QByteArray("[database]\r\nData Source=db01\r\n")
                                      << QStringList{"db01", "Initial Catalog", "User ID", "Password", "SQLOLEDB.1"};
    QTest::newRow("all keys, values kept as written")
        << QByteArray("[database]\nData Source=127.0.0.1,1433\nInitial Catalog=fees\n"
                      "User ID=sa\nPassword=p@ss=w;rd\nProvider=PostgreSQL\n")
        << QStringList{"127.0.0.1,1433", "fees", "sa", "p@ss=w;rd", "PostgreSQL"};
    QTest::newRow("comments, case and blanks around")
        << QByteArray("; written by hand\n[DATABASE]\n  data source = srv \n# note\nPASSWORD=\n")
        << QStringList{"srv", "Initial Catalog", "User ID", "", "SQLOLEDB.1"};
}

void TestConfig::defaults()
{
    QFETCH(QByteArray, content);
    QFETCH(QStringList, expected);
    QTemporaryDir dir;
    const QString path = content.isEmpty() ? dir.filePath(QStringLiteral("missing.ini")) : writeFile(dir, content);
    const DbSettings s = DbSettings::fromFile(path);
    QCOMPARE(s.dataSource, expected[0]);
    QCOMPARE(s.initialCatalog, expected[1]);
    QCOMPARE(s.userId, expected[2]);
    QCOMPARE(s.password, expected[3]);
    QCOMPARE(s.provider, expected[4]);
}

void TestConfig::gbkFile()
{
    QTemporaryDir dir;
    QStringEncoder gbk("GBK");
    const QByteArray content = gbk.encode(QStringLiteral("[database]\r\nInitial Catalog=收费库\r\n"));
    const DbSettings s = DbSettings::fromFile(writeFile(dir, content));
    QCOMPARE(s.initialCatalog, QStringLiteral("收费库"));
}

void TestConfig::writtenFileReadsBack()
{
    QTemporaryDir dir;
    DbSettings s;
    s.provider = QStringLiteral("SQLite");
    s.dataSource = QStringLiteral("数据/nollard.db");
    s.password = QStringLiteral("a;b,c=d");
    const QString path = dir.filePath(QStringLiteral("config/config.ini"));
    QString error;
    QVERIFY2(s.writeFile(path, &error), qPrintable(error));
    const DbSettings back = DbSettings::fromFile(path);
    QCOMPARE(back.provider, s.provider);
    QCOMPARE(back.dataSource, s.dataSource);
    QCOMPARE(back.password, s.password);
    QCOMPARE(back.userId, QStringLiteral("User ID"));
}

void TestConfig::encryptionKeys()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("config.ini"));
    QString error;
    // A file written without them reads as before the keys existed.
    DbSettings plain;
    plain.provider = QStringLiteral("PostgreSQL");
    QVERIFY2(plain.writeFile(path, &error), qPrintable(error));
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray content = f.readAll();
    f.close();
    for (const char *key : {"SSL", "Encrypt", "Trust"})
        QVERIFY2(!content.contains(key), content.constData());
    const DbSettings none = DbSettings::fromFile(path);
    QVERIFY(none.sslMode.isEmpty() && none.sslCaFile.isEmpty() && none.encrypt.isEmpty()
            && none.trustServerCertificate.isEmpty());

    DbSettings s = plain;
    s.sslMode = QStringLiteral("verify-full");
    s.sslCaFile = QStringLiteral("/etc/nollard/根 CA's.crt");
    s.encrypt = QStringLiteral("yes");
    s.trustServerCertificate = QStringLiteral("no");
    QVERIFY2(s.writeFile(path, &error), qPrintable(error));
    const DbSettings back = DbSettings::fromFile(path);
    QCOMPARE(back.sslMode, s.sslMode);
    QCOMPARE(back.sslCaFile, s.sslCaFile);
    QCOMPARE(back.encrypt, s.encrypt);
    QCOMPARE(back.trustServerCertificate, s.trustServerCertificate);
    // Read by hand, by a key an administrator can type.
    QCOMPARE(DbSettings::fromFile(writeFile(dir, "[database]\nssl mode = Require\n")).sslMode,
             QStringLiteral("Require"));
}

void TestConfig::encryptionProblems_data()
{
    QTest::addColumn<QStringList>("values");  // SSL Mode, SSL CA File, Encrypt, Trust Server Certificate
    QTest::addColumn<QString>("named");       // the key the problem names, or empty
    QTest::newRow("none") << QStringList{"", "", "", ""} << QString();
    QTest::newRow("every mode") << QStringList{"VERIFY-full", "ca.crt", "YES", "false"} << QString();
    QTest::newRow("unknown mode") << QStringList{"verify", "", "", ""} << "SSL Mode";
    QTest::newRow("authority never checked") << QStringList{"require", "ca.crt", "", ""} << "SSL CA File";
    QTest::newRow("encrypt neither yes nor no") << QStringList{"", "", "mandatory", ""} << "Encrypt";
    QTest::newRow("trust neither yes nor no") << QStringList{"", "", "yes", "1"} << "Trust Server Certificate";
}

void TestConfig::encryptionProblems()
{
    QFETCH(QStringList, values);
    QFETCH(QString, named);
    DbSettings s;
    s.sslMode = values[0];
    s.sslCaFile = values[1];
    s.encrypt = values[2];
    s.trustServerCertificate = values[3];
    const QString problem = s.encryptionProblem();
    if (named.isEmpty())
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
    else
        QVERIFY2(problem.contains(QStringLiteral("“%1”").arg(named)), qPrintable(problem));
}

void TestConfig::connectionString()
{
    DbSettings s;
    QCOMPARE(s.connectionString(),
             QStringLiteral("Provider=SQLOLEDB.1;Password=Password;Persist Security Info=True;"
                            "User ID=User ID;Initial Catalog=Initial Catalog;Data Source=servername"));
    s.dataSource = QStringLiteral("db01");
    s.initialCatalog = QStringLiteral("fees");
    s.userId = QStringLiteral("sa");
    s.password = QStringLiteral("x");
    s.provider = QStringLiteral("PostgreSQL");  // the classic text names its own provider
    QCOMPARE(s.connectionString(), QStringLiteral("Provider=SQLOLEDB.1;Password=x;Persist Security Info=True;"
                                                  "User ID=sa;Initial Catalog=fees;Data Source=db01"));
}

void TestConfig::providers_data()
{
    QTest::addColumn<QString>("provider");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("driver");
    QTest::newRow("classic") << "SQLOLEDB.1" << int(DbKind::SqlServer) << "QODBC";
    QTest::newRow("unknown is classic") << "whatever" << int(DbKind::SqlServer) << "QODBC";
    QTest::newRow("sqlite") << "SQLite" << int(DbKind::SQLite) << "QSQLITE";
    QTest::newRow("sqlite lower") << "sqlite" << int(DbKind::SQLite) << "QSQLITE";
    QTest::newRow("postgresql") << "PostgreSQL" << int(DbKind::PostgreSQL) << "QPSQL";
}

void TestConfig::providers()
{
    QFETCH(QString, provider);
    QFETCH(int, kind);
    QFETCH(QString, driver);
    DbSettings s;
    s.provider = provider;
    QCOMPARE(int(s.kind()), kind);
    QCOMPARE(SqlDialect(s.kind()).driverName(), driver);
}

void TestConfig::sqlServerOdbc_data()
{
    QTest::addColumn<QString>("dataSource");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("expected");
    QTest::newRow("host")
        << "db01"
        << "pw"
        << "DRIVER={FreeTDS};SERVER=db01;PORT=1433;DATABASE=fees;UID=sa;PWD=pw;TDS_Version=7.4;ClientCharset=UTF-8";
    QTest::newRow("host,port")
        << "10.0.0.5,1533"
        << "pw"
        << "DRIVER={FreeTDS};SERVER=10.0.0.5;PORT=1533;DATABASE=fees;UID=sa;PWD=pw;TDS_Version=7.4;ClientCharset=UTF-8";
    QTest::newRow("named instance")
        << "db01\\SQLEXPRESS"
        << "pw"
        << "DRIVER={FreeTDS};SERVER=db01\\SQLEXPRESS;DATABASE=fees;UID=sa;PWD=pw;TDS_Version=7.4;ClientCharset=UTF-8";
    QTest::newRow("password with ; and }") << "db01"
                                           << "a;b}c"
                                           << "DRIVER={FreeTDS};SERVER=db01;PORT=1433;DATABASE=fees;UID=sa;PWD={a;b}}c}"
                                              ";TDS_Version=7.4;ClientCharset=UTF-8";
}

void TestConfig::sqlServerOdbc()
{
    QFETCH(QString, dataSource);
    QFETCH(QString, password);
    QFETCH(QString, expected);
    DbSettings s;
    s.dataSource = dataSource;
    s.initialCatalog = QStringLiteral("fees");
    s.userId = QStringLiteral("sa");
    s.password = password;
    QCOMPARE(sqlServerOdbcString(s), expected);
}

void TestConfig::hostPort_data()
{
    QTest::addColumn<QString>("dataSource");
    QTest::addColumn<QString>("host");
    QTest::addColumn<int>("port");
    QTest::newRow("host") << "db01"
                          << "db01" << -1;
    QTest::newRow("host:port") << "db01:5433"
                               << "db01" << 5433;
    QTest::newRow("socket folder:port") << "/run/pg:55432"
                                        << "/run/pg" << 55432;
    QTest::newRow("not a port") << "db01:abc"
                                << "db01:abc" << -1;
}

void TestConfig::hostPort()
{
    QFETCH(QString, dataSource);
    QFETCH(QString, host);
    QFETCH(int, port);
    const HostPort hp = splitHostPort(dataSource);
    QCOMPARE(hp.host, host);
    QCOMPARE(hp.port, port);
}

QTEST_MAIN(TestConfig)
#include "tst_config.moc"
