// What the database itself keeps for the master data: unique login names,
// item names and list names, on the embedded file and on the server; and
// order numbers drawn by several programs at once, each number once.

#include "test_database.h"

#include "db/connection.h"
#include "db/db_error.h"
#include "masterdata/catalogue.h"

#include <QCoreApplication>
#include <QProcess>
#include <QSqlQuery>
#include <QtTest>

#include <set>

namespace {

// The child program's part: draw order numbers and print them, one a line.
int drawAndPrint(const QStringList &args)
{
    // args: draw <cj|cw> <count> <provider> <data source> <catalog> <user>
    DbSettings settings;
    settings.provider = args.value(4);
    settings.dataSource = args.value(5);
    settings.initialCatalog = args.value(6);
    settings.userId = args.value(7);
    settings.password = QString();
    const masterdata::Catalogue &catalogue = args.value(2) == QLatin1String("cw")
                                                 ? masterdata::shipAffairsCatalogue()
                                                 : masterdata::shipInspectionCatalogue();
    try {
        QSqlDatabase db = openConnection(settings, QStringLiteral("drawing"));
        QTextStream out(stdout);
        // Connected: wait for the word, so that every program draws at once.
        out << "ready" << Qt::endl;
        QTextStream(stdin).readLine();
        for (int i = 0, n = args.value(3).toInt(); i < n; ++i)
            out << masterdata::drawOrderNumber(db, catalogue) << '\n';
    } catch (const DbError &e) {
        QTextStream(stderr) << e.message() << '\n';
        return 1;
    }
    return 0;
}

}  // namespace

class TestMasterDataStorage : public QObject
{
    Q_OBJECT
private slots:
    void namesAreUnique_data();
    void namesAreUnique();
    void programsDrawDistinctOrderNumbers_data() { addKindRows(); }
    void programsDrawDistinctOrderNumbers();
};

void TestMasterDataStorage::namesAreUnique_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("insert");
    const QList<QPair<const char *, QString>> tables{
        {"person", QStringLiteral("insert into person (name,nickname,password,typeid) values ('某',?,'1',3)")},
        {"itemcj", QStringLiteral("insert into itemcj (name,orderx) values (?,1)")},
        {"itemcw", QStringLiteral("insert into itemcw (name,type,orderx) values (?,'登记',1)")},
        {"company", QStringLiteral("insert into company (name) values (?)")},
        {"buildtype", QStringLiteral("insert into buildtype (name) values (?)")},
        {"runtype", QStringLiteral("insert into runtype (name) values (?)")},
        {"othertype", QStringLiteral("insert into othertype (name) values (?)")},
    };
    for (DbKind kind : testedKinds())
        for (const auto &[table, insert] : tables)
            QTest::newRow(qPrintable(kindName(kind) + QLatin1Char(' ') + QLatin1String(table))) << int(kind) << insert;
}

void TestMasterDataStorage::namesAreUnique()
{
    QFETCH(int, kind);
    QFETCH(QString, insert);
    FIXTURE(t, DbKind(kind), TestDatabase::create);
    t->exec(insert, {QStringLiteral("名称")});
    QSqlQuery q(t->connection());
    q.prepare(insert);
    q.addBindValue(QStringLiteral("名称"));
    QVERIFY2(!q.exec(), "a second row of the same name was stored");
    // Another name is welcome.
    t->exec(insert, {QStringLiteral("另一名称")});
}

void TestMasterDataStorage::programsDrawDistinctOrderNumbers()
{
    QFETCH(int, kind);
    FIXTURE(t, DbKind(kind), TestDatabase::create);
    t->exec(QStringLiteral("update counter set ordercj=100, ordercw=7"));

    constexpr int kPrograms = 4;
    constexpr int kDraws = 60;
    const DbSettings s = t->settings();
    QList<QProcess *> programs;
    for (int p = 0; p < kPrograms; ++p) {
        auto *program = new QProcess(this);
        program->start(QCoreApplication::applicationFilePath(),
                       {QStringLiteral("draw"), p % 2 ? QStringLiteral("cw") : QStringLiteral("cj"),
                        QString::number(kDraws), s.provider, s.dataSource, s.initialCatalog, s.userId});
        programs << program;
    }
    for (QProcess *program : programs) {
        while (!program->canReadLine())
            QVERIFY2(program->waitForReadyRead(30000), program->readAllStandardError().constData());
        QCOMPARE(program->readLine().trimmed(), QByteArray("ready"));
    }
    for (QProcess *program : programs)
        program->write("go\n");
    std::set<int> cj, cw;
    for (int p = 0; p < kPrograms; ++p) {
        QProcess *program = programs[p];
        QVERIFY(program->waitForFinished(60000));
        QVERIFY2(program->exitCode() == 0, program->readAllStandardError().constData());
        const QList<QByteArray> lines = program->readAllStandardOutput().split('\n');
        std::set<int> &drawn = p % 2 ? cw : cj;
        int count = 0;
        for (const QByteArray &line : lines)
            if (!line.trimmed().isEmpty()) {
                drawn.insert(line.trimmed().toInt());
                ++count;
            }
        QCOMPARE(count, kDraws);
        delete program;
    }
    // Every number once, none skipped, and the counters stand at the last one.
    const int perCatalogue = kPrograms / 2 * kDraws;
    QCOMPARE(int(cj.size()), perCatalogue);
    QCOMPARE(int(cw.size()), perCatalogue);
    QCOMPARE(*cj.begin(), 101);
    QCOMPARE(*cj.rbegin(), 100 + perCatalogue);
    QCOMPARE(*cw.begin(), 8);
    QCOMPARE(*cw.rbegin(), 7 + perCatalogue);
    QCOMPARE(t->scalar(QStringLiteral("select ordercj from counter")).toInt(), 100 + perCatalogue);
    QCOMPARE(t->scalar(QStringLiteral("select ordercw from counter")).toInt(), 7 + perCatalogue);
}

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.value(1) == QLatin1String("draw"))
        return drawAndPrint(args);
    TestMasterDataStorage test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_masterdata_storage.moc"
