// Moving the whole database with dbadmin copy, as an administrator runs it:
// from the embedded file to a PostgreSQL server and back into a new file,
// every value of every table compared between the first and the last; the
// numbers the program hands out go on after the copied ones; what is
// refused leaves the target as it was.

#include "test_database.h"
#include "test_user.h"

#include "app/codes.h"
#include "db/connection.h"
#include "db/schema.h"
#include "db/schema_file.h"
#include "demo_data.h"
#include "finance/bill_operations.h"
#include "notices/notice_operations.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QtTest>

namespace {

struct Run
{
    int code = -1;
    QString out;
};

// dbadmin copy from the folder whose config/config.ini names the source.
Run dbadminCopy(const QString &sourceFolder, const QString &targetConfig)
{
    QProcess p;
    p.setWorkingDirectory(sourceFolder);
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(QStringLiteral(DBADMIN_PATH), {QStringLiteral("copy"), QStringLiteral("--to"), targetConfig,
                                           QStringLiteral("--schema-dir"), TestDatabase::schemaFolder()});
    if (!p.waitForFinished(120000))
        return {-1, QStringLiteral("dbadmin did not finish")};
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromUtf8(p.readAll())};
}

// A folder with config/config.ini naming the database.
QString configFolder(const QTemporaryDir &dir, const QString &name, const DbSettings &settings)
{
    const QString folder = dir.filePath(name);
    QDir().mkpath(folder + QStringLiteral("/config"));
    QString error;
    if (!settings.writeFile(folder + QStringLiteral("/config/config.ini"), &error))
        qFatal("%s", qPrintable(error));
    return folder;
}

QString configFile(const QString &folder)
{
    return folder + QStringLiteral("/config/config.ini");
}

DbSettings embeddedFile(const QString &path)
{
    DbSettings s;
    s.provider = QStringLiteral("SQLite");
    s.dataSource = path;
    return s;
}

// Every row of every table of the system, each value written out by the
// class its column has in the schema: texts exactly, amounts with every
// digit of the double, times to the second, NULL apart from "".
using Contents = QMap<QString, QStringList>;

Contents contentsOf(QSqlDatabase db)
{
    const SchemaDeclarations schema = declarationsOf(
        schemaFileStatements(DbKind::SQLite, TestDatabase::schemaFolder()));
    Contents contents;
    for (const QString &table : schema.tables) {
        const QStringList columns = schema.columns.value(table);
        QSqlQuery q(db);
        q.setForwardOnly(true);
        if (!q.exec(QStringLiteral("select * from %1").arg(table)))
            qFatal("%s", qPrintable(q.lastError().text()));
        QStringList rows;
        while (q.next()) {
            QStringList values;
            for (const QString &column : columns) {
                const int i = q.record().indexOf(column);
                if (i < 0)
                    qFatal("no column %s.%s", qPrintable(table), qPrintable(column));
                const QString declared = schema.columnDeclarations.value(table).value(column);
                const QVariant v = q.value(i);
                QString text;
                if (q.isNull(i))
                    text = QStringLiteral("NULL");
                else if (declared.startsWith(QStringLiteral("double")))
                    text = QString::number(v.toDouble(), 'g', 17);
                else if (declared.startsWith(QStringLiteral("boolean")))
                    text = v.toBool() ? QStringLiteral("true") : QStringLiteral("false");
                else if (declared.startsWith(QStringLiteral("integer")))
                    text = QString::number(v.toLongLong());
                else if (declared.startsWith(QStringLiteral("datetime")))
                    text = v.typeId() == QMetaType::QDateTime
                               ? v.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))
                               : v.toString().left(19).replace(QLatin1Char('T'), QLatin1Char(' '));
                else
                    text = QLatin1Char('[') + v.toString() + QLatin1Char(']');
                values << column + QLatin1Char('=') + text;
            }
            rows << values.join(QLatin1Char('|'));
        }
        rows.sort();
        contents.insert(table, rows);
    }
    return contents;
}

void compareContents(const Contents &expected, const Contents &actual, const char *what)
{
    QCOMPARE(actual.keys(), expected.keys());
    for (auto it = expected.cbegin(); it != expected.cend(); ++it) {
        const QStringList got = actual.value(it.key());
        QVERIFY2(got.size() == it.value().size(), qPrintable(QStringLiteral("%1: %2 rows of %3, not %4")
                                                                 .arg(QLatin1String(what), it.key())
                                                                 .arg(got.size())
                                                                 .arg(it.value().size())));
        for (int i = 0; i < got.size(); ++i)
            QVERIFY2(got[i] == it.value()[i],
                     qPrintable(QStringLiteral("%1: %2\n  expected %3\n  got      %4")
                                    .arg(QLatin1String(what), it.key(), it.value()[i], got[i])));
    }
}

void exec(QSqlDatabase db, const QString &sql, const QVariantList &values = {})
{
    QSqlQuery q(db);
    if (values.isEmpty()) {  // a statement of the schema cannot be prepared
        if (!q.exec(sql))
            qFatal("%s: %s", qPrintable(sql), qPrintable(q.lastError().text()));
        return;
    }
    if (!q.prepare(sql))
        qFatal("%s: %s", qPrintable(sql), qPrintable(q.lastError().text()));
    for (int i = 0; i < values.size(); ++i)
        q.bindValue(i, values[i]);
    if (!q.exec())
        qFatal("%s: %s", qPrintable(sql), qPrintable(q.lastError().text()));
}

QVariant scalar(QSqlDatabase db, const QString &sql)
{
    QSqlQuery q(db);
    if (!q.exec(sql) || !q.next())
        qFatal("%s: %s", qPrintable(sql), qPrintable(q.lastError().text()));
    return q.value(0);
}

const QVariant kNull;

// Texts, amounts and times that a copy could bend: quotes, backslashes,
// wildcard characters, line breaks, characters outside the basic plane and
// at the edges of GBK, blanks at either end, an empty text beside NULL;
// amounts that are no exact binary fractions, half cents, large and negative
// ones; a time a moment before midnight of a leap day; key numbers with gaps
// and a last number above the largest key still held.
void loadHostileRows(QSqlDatabase db)
{
    const QString quotes = QStringLiteral("O'Brien \"号\" '' \\' ;--");
    const QString backslashes = QStringLiteral("C:\\新建\\ \\n \\\\ \\x00 \\'");
    const QString wildcards = QStringLiteral("100%_完成 % _ [a-z] *");
    const QString lines = QStringLiteral("第一行\n第二行\r\n\t制表\r");
    const QString unicode = QStringLiteral("𠀀𪚥 👨‍👩‍👧 e\u0301 مرحبا \u00A0\u200B\uFEFF");
    const QString gbkEdges = QStringLiteral("丂齄€〇䶮兀﨩");
    const QString blanks = QStringLiteral("  前后空格  ");
    const QString longText = (lines + quotes + backslashes + unicode).repeated(8);

    exec(db, QStringLiteral("delete from notice"));
    const QString notice = QStringLiteral(
        "insert into notice (ID,Rdate,money,status,department,shipname,company,checktype,checkcontent,leader,"
        "handler,billcode,memo_badcheck,receipter,dengji,peixun,gongbenfei,neibuziliao,revision) "
        "values (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)");
    exec(db, notice,
         {QStringLiteral("0000001"), QStringLiteral("2024-02-29T23:59:59.999"), 0.125, 1, QStringLiteral("船务科"),
          quotes, QString(""), kNull, kNull, kNull, QStringLiteral("张三"), QString(""), lines, kNull, true, false,
          kNull, true, 3});
    exec(db, notice,
         {QStringLiteral("1000002"), QStringLiteral("1999-12-31T00:00:00.000"), 0.005, -2, QStringLiteral("船检科"),
          blanks, backslashes, QStringLiteral("建造检验"), gbkEdges, QStringLiteral("李四"), QStringLiteral("王五"),
          QStringLiteral("0000123"), unicode, QString(" "), false, false, false, false, 0});
    exec(db, notice,
         {QStringLiteral("0000003"), kNull, 98765432109.87, kNull, QStringLiteral("船务科"), wildcards, kNull, kNull,
          kNull, kNull, kNull, kNull, kNull, kNull, kNull, kNull, kNull, kNull, 0});
    exec(db, notice,
         {QStringLiteral("0000004"), QStringLiteral("2026-12-11T08:00:00.000"), -3.5, 3, QStringLiteral("船务科"),
          unicode, kNull, kNull, kNull, kNull, QStringLiteral("张三"), kNull, kNull, kNull, true, true, true, true,
          1000000});
    exec(db, notice,
         {QStringLiteral("1000005"), QStringLiteral("2025-06-30T12:00:01.000"), 0.1 + 0.2, 5, QStringLiteral("船检科"),
          QString(""), gbkEdges, QStringLiteral("营运检验"), wildcards, kNull, kNull, QStringLiteral("0000124"), kNull,
          kNull, false, false, false, false, 1});

    const QString line = QStringLiteral(
        "insert into itemofnotice (lineid,ID,itemname,description,money,type,orderx) values (?,?,?,?,?,?,?)");
    exec(db, line,
         {1, QStringLiteral("0000001"), quotes, QStringLiteral("1+2*3\n-- 注释 \\"), 0.1 + 0.2, QStringLiteral("登记"),
          1});
    exec(db, line, {7, QStringLiteral("1000002"), QString(""), kNull, 0.005, QString(""), kNull});
    exec(db, line, {8, QStringLiteral("0000004"), gbkEdges, longText.left(255), kNull, kNull, -1});
    exec(db, line, {9000, QStringLiteral("0000004"), QStringLiteral("deleted"), kNull, 1.0, kNull, 2});
    exec(db, QStringLiteral("delete from itemofnotice where lineid = 9000"));

    const QString person = QStringLiteral(
        "insert into person (name,nickname,password,typeid,checker,admin) values (?,?,?,?,?,?)");
    exec(db, person, {QStringLiteral("张三"), QStringLiteral("zs"), QStringLiteral("p'a\\s%"), 3, 1, 1});
    exec(db, person, {QStringLiteral("  "), QStringLiteral("x%_'"), QString(""), 9, kNull, 0});
    exec(db, QStringLiteral("insert into company (name) values (?)"), {QStringLiteral("O'Brien \\ 公司")});
    exec(db, QStringLiteral("insert into company (name) values (?)"), {QString("")});
    exec(db, QStringLiteral("insert into company (name) values (?)"), {QStringLiteral("trailing ")});
    exec(db, QStringLiteral("insert into buildtype (name) values (?)"), {gbkEdges});
    exec(db, QStringLiteral("insert into runtype (name) values (?)"), {QStringLiteral("a\nb")});
    exec(db, QStringLiteral("insert into othertype (name) values (?)"), {QStringLiteral("%")});
    exec(db, QStringLiteral("insert into itemcj (name,orderx) values (?,?)"), {QStringLiteral("检验费 '甲'"), 1});
    exec(db, QStringLiteral("insert into itemcj (name,orderx) values (?,?)"), {QStringLiteral("检验费\\乙"), kNull});
    exec(db, QStringLiteral("insert into itemcw (name,danjia,type,orderx) values (?,?,?,?)"),
         {QStringLiteral("证书工本费"), 0.1 + 0.2, QStringLiteral("工本费"), 1});
    exec(db, QStringLiteral("insert into itemcw (name,danjia,type,orderx) values (?,?,?,?)"),
         {QStringLiteral("空"), kNull, kNull, kNull});
    exec(db, QStringLiteral("update counter set id = 42, billcode = 1234567, ordercj = 7, ordercw = 3, "
                            "statictime = '2025-01-31T12:34:56.000'"));
    exec(db, QStringLiteral("insert into statistic (year,department,expect,\"1\",\"12\") values (?,?,?,?,?)"),
         {QStringLiteral("2024"), QStringLiteral("船务科"), 10000000.01, 0.125, -0.005});
    exec(db, QStringLiteral("insert into statistic2 (year,type,\"1\",\"12\") values (?,?,?,?)"),
         {QStringLiteral("2024"), QStringLiteral("建造检验"), 3, kNull});
    exec(db,
         QStringLiteral("insert into notice_history (historyid,ID,acted_at,account,fullname,department,action,"
                        "state_before,state_after,detail,snapshot) values (?,?,?,?,?,?,?,?,?,?,?)"),
         {5, QStringLiteral("0000001"), QStringLiteral("2024-03-01T10:11:12.000"), QStringLiteral("zs"),
          QStringLiteral("张三"), QStringLiteral("船务科"), QStringLiteral("删除"), 1, kNull, QStringLiteral("a'b\\c"),
          longText});
    exec(db,
         QStringLiteral("insert into masterdata_audit (auditid,acted_at,account,fullname,department,tablename,rowkey,"
                        "action,old_values,new_values) values (?,?,?,?,?,?,?,?,?,?)"),
         {3, QStringLiteral("2024-03-02T00:00:00.000"), QStringLiteral("zs"), QStringLiteral("张三"),
          QStringLiteral("船务科"), QStringLiteral("person"), QStringLiteral("x%_'"), QStringLiteral("修改"),
          QString(""), kNull});
}

// What the program hands out next on the database, through its own
// operations: a notice number, a bill number for a printed notice of the
// ship affairs section, a fee line's key.
QStringList nextNumbers(QSqlDatabase db)
{
    UserRecord clerk = testUser(QStringLiteral("张三"), QStringLiteral("zs"), 3);
    clerk.isAdmin = 1;
    const QString notice = createNotice(db, clerk);

    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("select ID, revision from notice where status = 3 and department = '船务科' "
                               "order by ID"))
        || !q.next())
        qFatal("no printed notice of the ship affairs section");
    finance::BillRequest request;
    request.noticeId = q.value(0).toString();
    request.revision = q.value(1).toInt();
    q.finish();
    request.shownNumber = finance::proposedBillNumber(db);
    request.typedNumber = codes::PadBillCode7(request.shownNumber);
    const QString bill = finance::issueBill(db, clerk, request);

    exec(db, QStringLiteral("insert into itemofnotice (ID, itemname, money) values (?, 'next', 1)"), {notice});
    const QString line =
        scalar(db, QStringLiteral("select max(lineid) from itemofnotice where itemname = 'next'")).toString();
    return {notice, bill, line};
}

}  // namespace

class TestDatabaseCopy : public QObject
{
    Q_OBJECT
private slots:
    void roundTripKeepsEveryValue_data();
    void roundTripKeepsEveryValue();
    void refusalsWriteNothing_data();
    void refusalsWriteNothing();
    void aTargetThatBendsValuesIsReported();
};

void TestDatabaseCopy::roundTripKeepsEveryValue_data()
{
    QTest::addColumn<bool>("hostile");
    QTest::addColumn<bool>("serverHasSchema");
    // The demonstration data onto a server that has no tables yet; the
    // hostile rows onto one where dbadmin create-schema made them empty.
    QTest::newRow("demo data") << false << false;
    QTest::newRow("hostile values") << true << true;
}

void TestDatabaseCopy::roundTripKeepsEveryValue()
{
    QFETCH(bool, hostile);
    QFETCH(bool, serverHasSchema);
    FIXTURE(server, DbKind::PostgreSQL, TestDatabase::create, serverHasSchema);
    auto first = TestDatabase::create(DbKind::SQLite);
    QSqlDatabase firstDb = first->connection(QStringLiteral("first"));
    if (hostile) {
        loadHostileRows(firstDb);
        // A table of another program is no part of the copy, and is named.
        exec(firstDb, QStringLiteral("create table notes (x integer)"));
        exec(firstDb, QStringLiteral("insert into notes values (1)"));
    } else
        loadDemoData(firstDb);

    QTemporaryDir dir;
    const QString firstFolder = configFolder(dir, QStringLiteral("first"), first->settings());
    const QString serverFolder = configFolder(dir, QStringLiteral("server"), server->settings());
    const DbSettings last = embeddedFile(dir.filePath(QStringLiteral("last/last.db")));
    QDir().mkpath(dir.filePath(QStringLiteral("last")));
    const QString lastFolder = configFolder(dir, QStringLiteral("last"), last);

    Run run = dbadminCopy(firstFolder, configFile(serverFolder));
    QVERIFY2(run.code == 0, qPrintable(run.out));
    QVERIFY2(run.out.contains(QStringLiteral("结论：复制完整")), qPrintable(run.out));
    QVERIFY2(run.out.contains(serverHasSchema ? QStringLiteral("原有空表") : QStringLiteral("已建表")),
             qPrintable(run.out));
    QVERIFY2(run.out.contains(QStringLiteral("没有复制：源数据库里不属于本系统的表 notes。")) == hostile,
             qPrintable(run.out));
    run = dbadminCopy(serverFolder, configFile(lastFolder));
    QVERIFY2(run.code == 0, qPrintable(run.out));

    // The report counts what the source holds.
    const qint64 notices = scalar(firstDb, QStringLiteral("select count(*) from notice")).toLongLong();
    static const QRegularExpression noticeLine(
        QStringLiteral("^notice +(\\d+) +(\\d+) +(-?\\d+\\.\\d\\d) +(-?\\d+\\.\\d\\d)"),
        QRegularExpression::MultilineOption);
    const QRegularExpressionMatch m = noticeLine.match(run.out);
    QVERIFY2(m.hasMatch(), qPrintable(run.out));
    QCOMPARE(m.captured(1).toLongLong(), notices);
    QCOMPARE(m.captured(2).toLongLong(), notices);
    QCOMPARE(m.captured(3), m.captured(4));

    QSqlDatabase serverDb = server->connection(QStringLiteral("server"));
    QSqlDatabase lastDb = openConnection(last, QStringLiteral("last"));
    const Contents expected = contentsOf(firstDb);
    QVERIFY(expected.value(QStringLiteral("notice")).size() >= 5);
    compareContents(expected, contentsOf(serverDb), "on the server");
    compareContents(expected, contentsOf(lastDb), "back in a new file");
    // The full-text search of notice numbers on the embedded file was filled too.
    QCOMPARE(scalar(lastDb, QStringLiteral("select count(*) from notice_search")).toLongLong(), notices);

    const QStringList onFirst = nextNumbers(firstDb);
    QCOMPARE(nextNumbers(serverDb), onFirst);
    QCOMPARE(nextNumbers(lastDb), onFirst);
    if (hostile)
        QCOMPARE(onFirst, (QStringList{QStringLiteral("0000042"), QStringLiteral("1234567"), QStringLiteral("9001")}));
    lastDb = QSqlDatabase();
    closeConnection(QStringLiteral("last"));
}

void TestDatabaseCopy::refusalsWriteNothing_data()
{
    QTest::addColumn<QString>("refusal");
    QTest::addColumn<QString>("words");
    QTest::newRow("target holds notices") << "target rows"
                                          << "目标数据库里已有数据（company 1 行）";
    QTest::newRow("target holds a table of its own") << "foreign table"
                                                     << "目标数据库里已有数据（notes 1 行）";
    QTest::newRow("source has an older schema") << "older source"
                                                << "请先运行 dbadmin upgrade";
    QTest::newRow("onto itself") << "itself"
                                 << "不能把数据库复制到它自己上面";
    QTest::newRow("onto itself, by another path") << "itself by another path"
                                                  << "不能把数据库复制到它自己上面";
    QTest::newRow("onto itself on the server") << "itself on the server"
                                               << "不能把数据库复制到它自己上面";
    QTest::newRow("a date that is none") << "bad date"
                                         << "notice.rdate 的值 'gestern' 不能原样复制";
}

// Each refusal is told in words, exits 2, and leaves the target as it was:
// no file made, no table created, no row written.
void TestDatabaseCopy::refusalsWriteNothing()
{
    QFETCH(QString, refusal);
    QFETCH(QString, words);
    FIXTURE(server, DbKind::PostgreSQL, TestDatabase::create, refusal == QLatin1String("target rows"));
    auto source = TestDatabase::create(DbKind::SQLite);
    QSqlDatabase sourceDb = source->connection(QStringLiteral("source"));
    loadDemoData(sourceDb);
    QTemporaryDir dir;
    QString sourceFolder = configFolder(dir, QStringLiteral("source"), source->settings());
    QString targetConfig = configFile(configFolder(dir, QStringLiteral("server"), server->settings()));
    const QString newFile = dir.filePath(QStringLiteral("new/new.db"));
    QSqlDatabase serverDb = server->connection(QStringLiteral("server"));

    if (refusal == QLatin1String("target rows")) {
        exec(serverDb, QStringLiteral("insert into company (name) values ('已有')"));
    } else if (refusal == QLatin1String("foreign table")) {
        exec(serverDb, QStringLiteral("create table notes (x integer)"));
        exec(serverDb, QStringLiteral("insert into notes values (1)"));
    } else if (refusal == QLatin1String("older source")) {
        exec(sourceDb, QStringLiteral("update schemaversion set version = 3"));
        targetConfig = configFile(configFolder(dir, QStringLiteral("new"), embeddedFile(newFile)));
    } else if (refusal == QLatin1String("itself")) {
        targetConfig = configFile(sourceFolder);
    } else if (refusal == QLatin1String("itself by another path")) {
        const QString link = dir.filePath(QStringLiteral("link.db"));
        QVERIFY(QFile::link(source->settings().dataSource, link));
        targetConfig = configFile(configFolder(dir, QStringLiteral("link"), embeddedFile(link)));
    } else if (refusal == QLatin1String("itself on the server")) {
        // The server's demo database, named a second time with the socket
        // folder written another way.
        createSchema(serverDb, TestDatabase::schemaFolder());
        loadDemoData(serverDb);
        sourceFolder = configFolder(dir, QStringLiteral("server-source"), server->settings());
        DbSettings other = server->settings();
        other.dataSource = QDir::cleanPath(other.dataSource.section(QLatin1Char(':'), 0, 0)) + QStringLiteral("/.:")
                           + other.dataSource.section(QLatin1Char(':'), 1);
        QVERIFY(other.dataSource != server->settings().dataSource);
        targetConfig = configFile(configFolder(dir, QStringLiteral("server-again"), other));
    } else if (refusal == QLatin1String("bad date")) {
        exec(sourceDb, QStringLiteral("update notice set Rdate = 'gestern' where ID = (select max(ID) from notice)"));
    }

    auto snapshot = [&]() {
        QStringList counts;
        for (const QString &table : databaseTables(serverDb))
            counts << table + QLatin1Char('=')
                          + scalar(serverDb, QStringLiteral("select count(*) from \"%1\"").arg(table)).toString();
        counts.sort();
        return counts;
    };
    const QStringList serverBefore = snapshot();
    const Contents sourceBefore = contentsOf(sourceDb);

    const Run run = dbadminCopy(sourceFolder, targetConfig);
    QVERIFY2(run.code == 2, qPrintable(run.out));
    QVERIFY2(run.out.contains(words, Qt::CaseInsensitive), qPrintable(run.out));
    QVERIFY2(run.out.contains(QStringLiteral("什么也没有写入")), qPrintable(run.out));
    QCOMPARE(snapshot(), serverBefore);
    QVERIFY(!QFileInfo::exists(newFile));
    compareContents(sourceBefore, contentsOf(sourceDb), "the source");
}

// The counts come from the target as it holds the rows after the copy: a
// target that changes what it is given (here a trigger of its own) gets a
// verdict of difference and a failing exit.
void TestDatabaseCopy::aTargetThatBendsValuesIsReported()
{
    FIXTURE(server, DbKind::PostgreSQL, TestDatabase::create, true);
    auto source = TestDatabase::create(DbKind::SQLite);
    loadDemoData(source->connection(QStringLiteral("source")));
    QSqlDatabase serverDb = server->connection(QStringLiteral("server"));
    exec(serverDb, QStringLiteral("create function bend() returns trigger language plpgsql as "
                                  "$$ begin new.danjia := new.danjia + 0.01; return new; end $$"));
    exec(serverDb, QStringLiteral("create trigger bend before insert on itemcw for each row execute function bend()"));

    QTemporaryDir dir;
    const Run run = dbadminCopy(configFolder(dir, QStringLiteral("source"), source->settings()),
                                configFile(configFolder(dir, QStringLiteral("server"), server->settings())));
    QVERIFY2(run.code == 3, qPrintable(run.out));
    QVERIFY2(run.out.contains(QStringLiteral("结论：复制不一致：itemcw 的行数或金额与源数据库不同")),
             qPrintable(run.out));
    static const QRegularExpression itemcwLine(QStringLiteral("^itemcw .*<- 不同$"),
                                               QRegularExpression::MultilineOption);
    QVERIFY2(itemcwLine.match(run.out).hasMatch(), qPrintable(run.out));
    static const QRegularExpression noticeLine(QStringLiteral("^notice .*<- 不同$"),
                                               QRegularExpression::MultilineOption);
    QVERIFY2(!noticeLine.match(run.out).hasMatch(), qPrintable(run.out));
}

QTEST_GUILESS_MAIN(TestDatabaseCopy)
#include "tst_database_copy.moc"
