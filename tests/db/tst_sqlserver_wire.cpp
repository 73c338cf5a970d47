// What the program sends to SQL Server, seen on the wire: the real connection
// code, operations and dbadmin talk through Qt's ODBC plugin and FreeTDS to a
// fake server on loopback (fake_tds_server.py) that records every login,
// batch, remote procedure call and transaction request and answers from
// canned rules. No statement runs on a real server here: what is checked is
// what the program sends and how it reads the answers.

#include "db/connection.h"
#include "db/counter.h"
#include "db/db_error.h"
#include "db/schema.h"
#include "db/sql_dialect.h"
#include "db/sql_statement.h"
#include "finance/statistics_run.h"
#include "notices/notice_operations.h"
#include "test_user.h"
#include "tsql_gate.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString kConnection = QStringLiteral("wire");

QJsonArray columns(std::initializer_list<std::pair<const char *, const char *>> list)
{
    QJsonArray a;
    for (const auto &[name, type] : list)
        a.append(QJsonArray{QString::fromLatin1(name), QString::fromLatin1(type)});
    return a;
}

// A rule of the fake server: the statements it answers (a regular
// expression) and the answer.
QJsonObject rows(const QString &match, const QJsonArray &cols, const QJsonArray &rowList, int times = -1)
{
    return {{QStringLiteral("match"), match},
            {QStringLiteral("columns"), cols},
            {QStringLiteral("rows"), rowList},
            {QStringLiteral("times"), times}};
}

QJsonObject rowCount(const QString &match, int count)
{
    return {{QStringLiteral("match"), match}, {QStringLiteral("rowcount"), count}};
}

QJsonObject failure(const QString &match, int number, const QString &message)
{
    return {{QStringLiteral("match"), match},
            {QStringLiteral("error"),
             QJsonObject{{QStringLiteral("number"), number}, {QStringLiteral("message"), message}}}};
}

QJsonObject dropOnce(const QString &match)
{
    return {{QStringLiteral("match"), match}, {QStringLiteral("drop"), true}, {QStringLiteral("times"), 1}};
}

struct CollationSpec
{
    QString name;
    int lcid;
    int flags;
    int sortId;
    int codePage;
};

const CollationSpec kChinese{QStringLiteral("Chinese_PRC_CI_AS"), 0x0804, 0x0D, 0, 936};
const CollationSpec kUtf8{QStringLiteral("Chinese_PRC_100_CI_AS_SC_UTF8"), 0x0804, 0x4D, 0, 65001};
const CollationSpec kLatin{QStringLiteral("SQL_Latin1_General_CP1_CI_AS"), 0x0409, 0x0D, 52, 1252};

// The database's collation as the program reads it when it connects.
QJsonObject traits(const CollationSpec &c, int level = 150)
{
    return rows(QStringLiteral("collationproperty"),
                columns({{"name", "nvarchar"},
                         {"collation_name", "nvarchar"},
                         {"code_page", "int"},
                         {"compatibility_level", "int"}}),
                QJsonArray{QJsonArray{QStringLiteral("nollard"), c.name, c.codePage, level}});
}

// What Qt's ODBC plugin and FreeTDS send by themselves when a connection
// opens: the type list (a procedure named without "exec", which the
// grammar does not take), the Unicode probe and the quoted identifiers.
bool driverOwn(const QString &sql)
{
    return sql == QLatin1String("sp_datatype_info_100 11") || sql == QLatin1String("select 'test'")
           || sql == QLatin1String("SET QUOTED_IDENTIFIER ON");
}

class FakeServer
{
public:
    FakeServer(const QTemporaryDir &home, const CollationSpec &collation, const QJsonArray &rules)
        : m_dir(home.filePath(QStringLiteral("server-%1").arg(++s_count)))
    {
        QDir().mkpath(m_dir);
        QJsonArray all = rules;
        // Qt's ODBC plugin asks this when it connects.
        all.append(rows(QStringLiteral("^select 'test'$"), columns({{"test", "nvarchar"}}),
                        QJsonArray{QJsonArray{QStringLiteral("test")}}));
        const QJsonObject configured{
            {QStringLiteral("collation"), QJsonObject{{QStringLiteral("lcid"), collation.lcid},
                                                      {QStringLiteral("flags"), collation.flags},
                                                      {QStringLiteral("sortid"), collation.sortId}}},
            {QStringLiteral("rules"), all}};
        QFile f(path(QStringLiteral("rules.json")));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QJsonDocument(configured).toJson());
        f.close();
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(QStringLiteral(PYTHON3), {QStringLiteral(FAKE_TDS_SERVER), path(QStringLiteral("rules.json")),
                                                  path(QStringLiteral("log.jsonl")), path(QStringLiteral("port"))});
        QVERIFY(m_process.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(path(QStringLiteral("port"))), 10000);
        QFile p(path(QStringLiteral("port")));
        QVERIFY(p.open(QIODevice::ReadOnly));
        m_port = p.readAll().trimmed().toInt();
    }
    ~FakeServer()
    {
        for (const QString &sql : statements())
            if (!sql.isEmpty() && !driverOwn(sql))
                s_sent.append({QString::fromLatin1(QTest::currentTestFunction()), sql});
        if (QTest::currentTestFailed())
            qWarning().noquote() << "what the server saw:\n" << dump();
        m_process.kill();
        m_process.waitForFinished();
    }

    DbSettings settings(const QString &password = QStringLiteral("pw")) const
    {
        DbSettings s;
        s.provider = QStringLiteral("SQLOLEDB.1");
        s.dataSource = QStringLiteral("(local),%1").arg(m_port);
        s.initialCatalog = QStringLiteral("nollard");
        s.userId = QStringLiteral("clerk");
        s.password = password;
        return s;
    }

    QString configFile() const
    {
        const QString file = path(QStringLiteral("config.ini"));
        QString error;
        settings().writeFile(file, &error);
        return file;
    }

    QList<QJsonObject> events(const QString &kind = {}) const
    {
        QList<QJsonObject> list;
        QFile f(path(QStringLiteral("log.jsonl")));
        if (!f.open(QIODevice::ReadOnly))
            return list;
        for (const QByteArray &line : f.readAll().split('\n')) {
            if (line.trimmed().isEmpty())
                continue;
            const QJsonObject e = QJsonDocument::fromJson(line).object();
            if (kind.isEmpty() || e.value(QStringLiteral("event")).toString() == kind)
                list << e;
        }
        return list;
    }

    // The statements as the server received them, batches and calls alike,
    // after the ones every connection sends when it opens.
    QStringList statements() const
    {
        QStringList list;
        for (const QJsonObject &e : events()) {
            const QString kind = e.value(QStringLiteral("event")).toString();
            if (kind == QLatin1String("batch") || kind == QLatin1String("rpc"))
                list << e.value(QStringLiteral("sql")).toString();
        }
        return list;
    }

    // The one call or batch that carried this statement.
    QJsonObject sent(const QString &sql) const
    {
        QJsonObject found;
        for (const QJsonObject &e : events())
            if (e.value(QStringLiteral("sql")).toString() == sql)
                found = e;
        return found;
    }

    QString dump() const
    {
        QString text;
        for (const QJsonObject &e : events())
            text += QString::fromUtf8(QJsonDocument(e).toJson(QJsonDocument::Compact)) + QLatin1Char('\n');
        return text;
    }

private:
    QString path(const QString &name) const { return QDir(m_dir).filePath(name); }

public:
    // Every statement the servers of this run received, for the syntax gate.
    static inline QList<QPair<QString, QString>> s_sent;

private:
    static inline int s_count = 0;
    QString m_dir;
    QProcess m_process;
    int m_port = 0;
};

// The bytes of a text in GBK, as hex.
QString gbkHex(const QString &text)
{
    QStringEncoder gbk("GBK");
    const QByteArray bytes = gbk.encode(text);
    return QString::fromLatin1(bytes.toHex());
}

// Whether every expected statement was sent, in this order (others between).
bool inOrder(const QStringList &sent, const QStringList &expected)
{
    qsizetype at = 0;
    for (const QString &sql : expected) {
        at = sent.indexOf(sql, at);
        if (at < 0) {
            qWarning().noquote() << "not sent in order:" << sql;
            return false;
        }
        ++at;
    }
    return true;
}

// A parameter of a call: its type on the wire and its value as the server read it.
QJsonObject parameter(const QJsonObject &call, int index)
{
    return call.value(QStringLiteral("params")).toArray().at(index).toObject();
}

// Qt's ODBC plugin sends one statement itself through a server cursor when
// it connects ("SET QUOTED_IDENTIFIER ON", which the login's ODBC flag sets
// anyway); nothing of the program's own may go that way.
bool noServerCursors(const FakeServer &server)
{
    for (const QJsonObject &call : server.events(QStringLiteral("rpc"))) {
        const QString sql = call.value(QStringLiteral("sql")).toString();
        if (call.value(QStringLiteral("proc")).toString().startsWith(QLatin1String("sp_cursor"))
            && sql != QLatin1String("SET QUOTED_IDENTIFIER ON")) {
            qWarning().noquote() << "through a server cursor:" << sql;
            return false;
        }
    }
    return true;
}

}  // namespace

class TestSqlServerWire : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanup();
    void login();
    void encryptionAskedFor();
    void collationRefused_data();
    void collationRefused();
    void counterStatements();
    void statisticsRun();
    void statisticsRolledBack();
    void noticeSave_data();
    void noticeSave();
    void lostConnectionReopened();
    void dbadminCheck();
    void dbadminCreateSchema();
    void failedTableListing();
    void sentStatementsParse();

private:
    QTemporaryDir m_home;
};

void TestSqlServerWire::initTestCase()
{
    QVERIFY(m_home.isValid());
    if (!QFile::exists(QStringLiteral(TDS_ODBC_DRIVER)))
        QSKIP("FreeTDS's ODBC driver (package tdsodbc) is not installed");
    // The driver registered here only: no system file is read or needed.
    QFile ini(m_home.filePath(QStringLiteral("odbcinst.ini")));
    QVERIFY(ini.open(QIODevice::WriteOnly));
    ini.write("[FreeTDS]\nDescription=FreeTDS\nDriver=" TDS_ODBC_DRIVER "\n");
    ini.close();
    QFile(m_home.filePath(QStringLiteral("odbc.ini"))).open(QIODevice::WriteOnly);
    QFile(m_home.filePath(QStringLiteral("freetds.conf"))).open(QIODevice::WriteOnly);
    qputenv("ODBCSYSINI", m_home.path().toUtf8());
    qputenv("ODBCINI", m_home.filePath(QStringLiteral("odbc.ini")).toUtf8());
    qputenv("FREETDSCONF", m_home.filePath(QStringLiteral("freetds.conf")).toUtf8());
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QODBC")))
        QSKIP("Qt's ODBC plugin (package libqt6sql6-odbc) is not installed");
}

void TestSqlServerWire::cleanup()
{
    closeConnection(kConnection);
}

// The login carries the catalog, the account and the password as the
// settings give them, asks for TDS 7.4, and the session is set up by plain
// batches (no server cursor); "(local)" reached this computer.
void TestSqlServerWire::login()
{
    FakeServer server(m_home, kChinese, {traits(kChinese)});
    QSqlDatabase db = openConnection(server.settings(QStringLiteral("p}w=x")), kConnection);
    QVERIFY(db.isOpen());

    const QList<QJsonObject> logins = server.events(QStringLiteral("login"));
    QCOMPARE(logins.size(), 1);
    const QJsonObject login = logins.first();
    QCOMPARE(login.value(QStringLiteral("database")).toString(), QStringLiteral("nollard"));
    QCOMPARE(login.value(QStringLiteral("user")).toString(), QStringLiteral("clerk"));
    QCOMPARE(login.value(QStringLiteral("password")).toString(), QStringLiteral("p}w=x"));
    QCOMPARE(login.value(QStringLiteral("tds_version")).toString(), QStringLiteral("74000004"));

    const QJsonObject setup = server.sent(QStringLiteral("set lock_timeout 4000"));
    QCOMPARE(setup.value(QStringLiteral("event")).toString(), QStringLiteral("batch"));
    QCOMPARE(
        server.sent(SqlDialect(DbKind::SqlServer).databaseTraitsStatement()).value(QStringLiteral("event")).toString(),
        QStringLiteral("batch"));
    // The login's ODBC flag: the server's session starts with quoted
    // identifiers and the ANSI settings on, which the schema's filtered
    // index needs.
    QVERIFY(login.value(QStringLiteral("option_flags2")).toInt() & 0x02);
    QVERIFY(noServerCursors(server));
}

// With Encrypt=yes the client asks for encryption in its first message and
// goes no further with a server that cannot encrypt: no login, so the
// password never crosses the network in the clear. Without it, the client
// offers none and logs in as before.
void TestSqlServerWire::encryptionAskedFor()
{
    {
        FakeServer server(m_home, kChinese, {traits(kChinese)});
        openConnection(server.settings(), kConnection);
        const QList<QJsonObject> prelogins = server.events(QStringLiteral("prelogin"));
        QCOMPARE(prelogins.size(), 1);
        QCOMPARE(prelogins.first().value(QStringLiteral("encryption")).toInt(), 0);  // off
        QCOMPARE(server.events(QStringLiteral("login")).size(), 1);
    }
    closeConnection(kConnection);
    FakeServer server(m_home, kChinese, {traits(kChinese)});
    DbSettings s = server.settings(QStringLiteral("Secret-55"));
    s.encrypt = QStringLiteral("yes");
    try {
        openConnection(s, kConnection);
        QFAIL("connected to a server that cannot encrypt");
    } catch (const DbError &e) {
        QVERIFY2(e.message().contains(QStringLiteral("配置要求加密连接")), qPrintable(e.message()));
        QVERIFY2(!e.message().contains(QStringLiteral("Secret-55")), qPrintable(e.message()));
    }
    const QList<QJsonObject> prelogins = server.events(QStringLiteral("prelogin"));
    QVERIFY(!prelogins.isEmpty());
    for (const QJsonObject &prelogin : prelogins)
        QCOMPARE(prelogin.value(QStringLiteral("encryption")).toInt(), 1);  // on
    QVERIFY(server.events(QStringLiteral("login")).isEmpty());
}

void TestSqlServerWire::collationRefused_data()
{
    QTest::addColumn<int>("level");
    QTest::addColumn<QStringList>("named");
    QTest::newRow("Latin collation") << 150
                                     << QStringList{QStringLiteral("SQL_Latin1_General_CP1_CI_AS"),
                                                    QStringLiteral("1252"), QStringLiteral("Chinese_PRC_CI_AS")};
    QTest::newRow("Chinese, level 100") << 100 << QStringList{QStringLiteral("100"), QStringLiteral("130")};
}

// A database whose texts would not keep Chinese (or whose level lacks the
// JSON lists) is refused when the connection opens, naming what was found
// and what to do; the connection is not left open.
void TestSqlServerWire::collationRefused()
{
    QFETCH(int, level);
    QFETCH(QStringList, named);
    const CollationSpec &collation = level >= 130 ? kLatin : kChinese;
    FakeServer server(m_home, collation, {traits(collation, level)});
    try {
        openConnection(server.settings(), kConnection);
        QFAIL("the connection was opened");
    } catch (const DbError &e) {
        for (const QString &text : named)
            QVERIFY2(e.message().contains(text), qPrintable(e.message()));
    }
    QVERIFY(!QSqlDatabase::database(kConnection, false).isOpen());
}

// Taking a number: one statement, sent as it is built, and the new value
// read from its result.
void TestSqlServerWire::counterStatements()
{
    const QString advance = SqlDialect(DbKind::SqlServer).advanceCounterStatement(CounterColumn::Id);
    FakeServer server(m_home, kChinese,
                      {traits(kChinese), rows(QRegularExpression::escape(advance), columns({{"id", "int"}}),
                                              QJsonArray{QJsonArray{43}})});
    QSqlDatabase db = openConnection(server.settings(), kConnection);
    QCOMPARE(takeCounterValue(db, CounterColumn::Id), 42);
    QVERIFY2(server.statements().contains(advance), qPrintable(server.dump()));
}

// The statistics run: every statement the dialect builds goes out as built
// (its placeholders numbered by the driver), the amounts in cents as BIGINT,
// the Chinese keys as VARCHAR in the database's code page (GBK bytes), the
// lock and its lock wait by plain batches in the transaction, and the
// connection's own lock wait restored once the transaction has ended.
void TestSqlServerWire::statisticsRun()
{
    const SqlDialect d(DbKind::SqlServer);
    FakeServer server(
        m_home, kChinese,
        {traits(kChinese),
         rows(QRegularExpression::escape(d.statisticsPendingCountStatement()), columns({{"n", "int"}}),
              QJsonArray{QJsonArray{2}}),
         rows(QStringLiteral("^select onerow from counter"), columns({{"onerow", "int"}}), QJsonArray{QJsonArray{1}}),
         rows(QStringLiteral("^select ID,"),
              columns({{"ID", "nvarchar"},
                       {"ym", "int"},
                       {"department", "nvarchar"},
                       {"checktype", "nvarchar"},
                       {"checkcontent", "nvarchar"},
                       {"money", "float"}}),
              QJsonArray{QJsonArray{QStringLiteral("1000101"), 200512, QStringLiteral("船检科"),
                                    QStringLiteral("营运检验"), QStringLiteral("年度检验"), 150.0},
                         QJsonArray{QStringLiteral("1000102"), 200512, QStringLiteral("船检科"),
                                    QStringLiteral("建造检验"), QString(), 25.5}}),
         rowCount(QStringLiteral("^insert into notice_history"), 2),
         rowCount(QStringLiteral("^update notice set status=6"), 2)});
    QSqlDatabase db = openConnection(server.settings(), kConnection);
    const finance::StatisticsResult result = finance::runStatistics(
        db, testUser(QStringLiteral("钱财务"), QStringLiteral("qian"), 8));
    QCOMPARE(result.counted, 2);

    const QString year = QStringLiteral("2005");
    const QString section = QStringLiteral("船检科");
    QList<qint64> money(12, 0);
    money[11] = 17550;
    QList<qint64> one(12, 0);
    one[11] = 1;
    const QStringList expected{
        d.statisticsPendingCountStatement(),
        d.lockCounterRowStatements().at(0),
        d.lockCounterRowStatements().at(1),
        d.statisticsPendingStatement(),
        asSent(d.insertIfMissing(QStringLiteral("statistic"), {QStringLiteral("year"), QStringLiteral("department")},
                                 {year, section})
                   .sql),
        asSent(d.statisticsAddStatement(QStringLiteral("statistic"), QStringLiteral("department"), year, section, money,
                                        true)
                   .sql),
        asSent(d.statisticsAddStatement(QStringLiteral("statistic2"), QStringLiteral("type"), year,
                                        QStringLiteral("年度检验"), one, false)
                   .sql),
        asSent(d.statisticsArchiveStatement()),
        asSent(d.statisticsTimeStatement()),
        d.restoreLockWaitStatements().at(0),
    };
    QVERIFY2(inOrder(server.statements(), expected), qPrintable(server.statements().join(QLatin1Char('\n'))));
    QVERIFY(server.statements().contains(QStringLiteral(
        "update statistic set [12]=round(coalesce([12],0)*100+@P1,0)/100.0 where year=@P2 and department=@P3")));

    const QJsonObject add = server.sent(asSent(
        d.statisticsAddStatement(QStringLiteral("statistic"), QStringLiteral("department"), year, section, money, true)
            .sql));
    QCOMPARE(add.value(QStringLiteral("proc")).toString(), QStringLiteral("sp_prepexec"));
    // sp_prepexec: handle, declarations, statement, then the values.
    QCOMPARE(parameter(add, 3).value(QStringLiteral("type")).toString(), QStringLiteral("intn"));
    QCOMPARE(parameter(add, 3).value(QStringLiteral("size")).toInt(), 8);
    QCOMPARE(parameter(add, 3).value(QStringLiteral("value")).toInteger(), 17550);
    QCOMPARE(parameter(add, 5).value(QStringLiteral("type")).toString(), QStringLiteral("varchar"));
    QCOMPARE(parameter(add, 5).value(QStringLiteral("hex")).toString(), gbkHex(section));
    QCOMPARE(parameter(add, 1).value(QStringLiteral("value")).toString(),
             QStringLiteral("@P1 BIGINT,@P2 VARCHAR(4),@P3 VARCHAR(9)"));
    const QJsonObject time = server.sent(asSent(d.statisticsTimeStatement()));
    QCOMPARE(parameter(time, 3).value(QStringLiteral("type")).toString(), QStringLiteral("datetime2"));
    QCOMPARE(parameter(time, 3).value(QStringLiteral("value")).toString().left(19), result.time.toString(Qt::ISODate));

    // The lock wait of the run is set inside the transaction; the
    // connection's own comes back after it ended.
    QVERIFY(server.sent(QStringLiteral("set lock_timeout 60000")).value(QStringLiteral("transaction")).toBool());
    const QJsonObject restored = server.sent(QStringLiteral("set lock_timeout 4000"));
    QCOMPARE(restored.value(QStringLiteral("event")).toString(), QStringLiteral("batch"));
    QVERIFY(!restored.value(QStringLiteral("transaction")).toBool());
    QCOMPARE(server.sent(QStringLiteral("set lock_timeout 4000")), restored);
    QVERIFY(noServerCursors(server));
}

// A run that fails gives the connection its lock wait back as well.
void TestSqlServerWire::statisticsRolledBack()
{
    const SqlDialect d(DbKind::SqlServer);
    FakeServer server(
        m_home, kChinese,
        {traits(kChinese),
         rows(QStringLiteral("^select onerow from counter"), columns({{"onerow", "int"}}), QJsonArray{QJsonArray{1}}),
         failure(QStringLiteral("^select ID,"), 208, QStringLiteral("Invalid object name 'notice'."))});
    QSqlDatabase db = openConnection(server.settings(), kConnection);
    QVERIFY_THROWS_EXCEPTION(DbError,
                             finance::runStatistics(db, testUser(QStringLiteral("钱财务"), QStringLiteral("qian"), 8)));
    const QStringList sent = server.statements();
    QCOMPARE(sent.last(), QStringLiteral("set lock_timeout 4000"));
    QVERIFY(!server.sent(sent.last()).value(QStringLiteral("transaction")).toBool());
    QVERIFY(sent.contains(QStringLiteral("set lock_timeout 60000")));
}

void TestSqlServerWire::noticeSave_data()
{
    QTest::addColumn<int>("codePage");
    QTest::newRow("Chinese collation") << 936;
    QTest::newRow("UTF-8 collation") << 65001;
}

// A notice saved with Chinese text: the texts go out as VARCHAR in the code
// page of the database's collation (GBK, or UTF-8), the statement as built.
void TestSqlServerWire::noticeSave()
{
    QFETCH(int, codePage);
    const CollationSpec &collation = codePage == 936 ? kChinese : kUtf8;
    FakeServer server(
        m_home, collation,
        {traits(collation), rows(QStringLiteral("^select revision,status,department"),
                                 columns({{"revision", "int"},
                                          {"status", "int"},
                                          {"department", "nvarchar"},
                                          {"handler", "nvarchar"},
                                          {"leader", "nvarchar"},
                                          {"memo_badcheck", "nvarchar"}}),
                                 QJsonArray{QJsonArray{3, 1, QStringLiteral("船检科"), QStringLiteral("周航检"),
                                                       QJsonValue(QJsonValue::Null), QJsonValue(QJsonValue::Null)}})});
    QSqlDatabase db = openConnection(server.settings(), kConnection);
    NoticeEdit edit;
    edit.id = QStringLiteral("1000101");
    edit.revision = 3;
    edit.status = 1;
    edit.read.shipname = QStringLiteral("旧船名");
    edit.edited = edit.read;
    edit.edited.shipname = QStringLiteral("长江号");
    edit.edited.company = QStringLiteral("海事公司");
    const SavedNotice saved = saveNotice(db, testUser(QStringLiteral("周航检"), QStringLiteral("zhou"), 5), edit);
    QCOMPARE(saved.revision, 4);

    const QString update = QStringLiteral(
        "update notice set shipname=@P1,company=@P2,revision=revision+1 where ID=@P3 and revision=@P4");
    const QJsonObject call = server.sent(update);
    QVERIFY2(!call.isEmpty(), qPrintable(server.statements().join(QLatin1Char('\n'))));
    for (const auto &[index, text] :
         {std::pair{3, QStringLiteral("长江号")}, std::pair{4, QStringLiteral("海事公司")}}) {
        QCOMPARE(parameter(call, index).value(QStringLiteral("type")).toString(), QStringLiteral("varchar"));
        QCOMPARE(parameter(call, index).value(QStringLiteral("hex")).toString(),
                 codePage == 936 ? gbkHex(text) : QString::fromLatin1(text.toUtf8().toHex()));
    }
    QCOMPARE(server.events(QStringLiteral("transaction")).first().value(QStringLiteral("request")).toString(),
             QStringLiteral("begin"));
    QVERIFY(noServerCursors(server));
}

// The server goes away under a read: the driver's error is taken for a lost
// connection, the connection is made again (a second login) and the read
// is run again there.
void TestSqlServerWire::lostConnectionReopened()
{
    const SqlDialect d(DbKind::SqlServer);
    const QString count = QRegularExpression::escape(d.statisticsPendingCountStatement());
    FakeServer server(
        m_home, kChinese,
        {traits(kChinese), dropOnce(count), rows(count, columns({{"n", "int"}}), QJsonArray{QJsonArray{7}})});
    QSqlDatabase db = openConnection(server.settings(), kConnection);
    QCOMPARE(finance::pendingNoticeCount(db), 7);
    QCOMPARE(server.events(QStringLiteral("login")).size(), 2);
    QCOMPARE(server.statements().count(d.statisticsPendingCountStatement()), 2);
    QCOMPARE(server.sent(d.statisticsPendingCountStatement()).value(QStringLiteral("conn")).toInt(), 2);
    QCOMPARE(server.events(QStringLiteral("dropped")).size(), 1);
}

namespace {

struct Run
{
    int exitCode = -1;
    QString out;
    QString err;
};

Run dbadmin(const FakeServer &server, const QString &command)
{
    QProcess p;
    p.start(QStringLiteral(DBADMIN_PATH), {command, QStringLiteral("--config"), server.configFile(),
                                           QStringLiteral("--schema-dir"), QStringLiteral(SCHEMA_DIR)});
    if (!p.waitForFinished(60000))
        p.kill();
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
}

QJsonObject tableList(const QJsonArray &names = {})
{
    return rows(QStringLiteral("^select name from sys\\.tables$"), columns({{"name", "nvarchar"}}), names);
}

}  // namespace

void TestSqlServerWire::dbadminCheck()
{
    {
        FakeServer server(m_home, kChinese, {traits(kChinese), tableList()});
        const Run run = dbadmin(server, QStringLiteral("check"));
        QVERIFY2(run.exitCode == 0, qPrintable(run.err));
        QVERIFY2(run.out.contains(QStringLiteral("collation Chinese_PRC_CI_AS, code page 936")), qPrintable(run.out));
        QVERIFY2(run.out.contains(QStringLiteral("0 of 12")), qPrintable(run.out));
    }
    {
        FakeServer server(m_home, kLatin, {traits(kLatin), tableList()});
        const Run run = dbadmin(server, QStringLiteral("check"));
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.contains(QStringLiteral("SQL_Latin1_General_CP1_CI_AS")), qPrintable(run.err));
        QVERIFY(!server.statements().contains(QStringLiteral("select name from sys.tables")));
    }
}

// create-schema runs the schema file as the program splits it, each
// statement a plain batch, in one transaction that is committed.
void TestSqlServerWire::dbadminCreateSchema()
{
    FakeServer server(m_home, kChinese, {traits(kChinese), tableList()});
    const Run run = dbadmin(server, QStringLiteral("create-schema"));
    QVERIFY2(run.exitCode == 0, qPrintable(run.err));
    const QStringList schema = schemaFileStatements(DbKind::SqlServer, QStringLiteral(SCHEMA_DIR));
    QStringList sent;
    for (const QJsonObject &e : server.events(QStringLiteral("batch")))
        if (e.value(QStringLiteral("transaction")).toBool())
            sent << e.value(QStringLiteral("sql")).toString();
    QCOMPARE(sent, schema);
    const QList<QJsonObject> transactions = server.events(QStringLiteral("transaction"));
    QVERIFY(!transactions.isEmpty());
    QCOMPARE(transactions.at(1).value(QStringLiteral("request")).toString(), QStringLiteral("commit"));
    QVERIFY(noServerCursors(server));
}

// A listing of the tables that fails stops check and create-schema with a
// message and a non-zero status; nothing is created.
void TestSqlServerWire::failedTableListing()
{
    for (const QString &command : {QStringLiteral("check"), QStringLiteral("create-schema")}) {
        FakeServer server(m_home, kChinese,
                          {traits(kChinese), failure(QStringLiteral("^select name from sys\\.tables$"), 0,
                                                     QStringLiteral("Invalid cursor state"))});
        const Run run = dbadmin(server, command);
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.contains(QStringLiteral("The list of the database's tables could not be read")),
                 qPrintable(run.err));
        QVERIFY(!run.out.contains(QStringLiteral("of 12")));
        for (const QString &sql : server.statements())
            QVERIFY2(!sql.startsWith(QLatin1String("create")), qPrintable(sql));
    }
}

// Every statement the tests above sent, as it went over the wire, passes
// sqlfluff's T-SQL grammar: the statistics run, the notice save, the counter,
// the session setup and create-schema among them.
void TestSqlServerWire::sentStatementsParse()
{
    QVERIFY(FakeServer::s_sent.size() > 50);
    const GateResult gate = runTsqlGate(FakeServer::s_sent);
    if (!gate.ran)
        QSKIP("sqlfluff is not installed");
    QVERIFY2(gate.exitCode == 0, qPrintable(gate.report));
}

QTEST_GUILESS_MAIN(TestSqlServerWire)
#include "tst_sqlserver_wire.moc"
