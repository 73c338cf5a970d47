// The three schema files describe one schema: the same tables, columns and
// indexes for SQLite, PostgreSQL and SQL Server, apart from the objects of
// each kind's number search index; and what a file declares is what a real
// database gets from it.

#include "test_database.h"

#include "db/schema.h"
#include "db/schema_file.h"
#include "db/schema_version.h"
#include "db/sql_dialect.h"

#include <QSqlRecord>
#include <QtTest>

namespace {

SchemaDeclarations declarations(DbKind kind)
{
    return declarationsOf(schemaFileStatements(kind, TestDatabase::schemaFolder()));
}

QList<DbKind> allKinds()
{
    return {DbKind::SQLite, DbKind::PostgreSQL, DbKind::SqlServer};
}

// The objects a kind adds for its search index, named one by one so that
// nothing else can differ unnoticed.
QStringList kindSpecificIndexes(DbKind kind)
{
    return kind == DbKind::PostgreSQL ? QStringList{QStringLiteral("notice_id_trgm")} : QStringList{};
}

bool isKindSpecificStatement(DbKind kind, const QString &sql)
{
    if (kind == DbKind::SQLite)
        return sql.startsWith(QStringLiteral("create trigger notice_search_"));
    if (kind == DbKind::PostgreSQL)
        return sql == QStringLiteral("create extension if not exists pg_trgm");
    return false;
}

QString describe(const SchemaIndex &i)
{
    return QStringLiteral("%1 on %2 (%3)%4 %5")
        .arg(i.unique ? QStringLiteral("unique") : QString(), i.table, i.columns.join(QLatin1Char(',')),
             i.method.isEmpty() ? QString() : QLatin1Char(' ') + i.method, i.condition);
}

}  // namespace

class TestSchemaFiles : public QObject
{
    Q_OBJECT
private slots:
    void kindsDeclareTheSameSchema();
    void databaseHasWhatTheFileDeclares_data() { addKindRows(); }
    void databaseHasWhatTheFileDeclares();
    // SQL Server cannot run here: its statements are checked as text.
    void statementsOfEachKind();
};

void TestSchemaFiles::kindsDeclareTheSameSchema()
{
    const SchemaDeclarations reference = declarations(DbKind::SQLite);
    // The system's tables, the version, the notices' history and the master
    // data trail.
    QCOMPARE(reference.tables.size(), systemTables().size() + 3);
    QVERIFY(reference.tables.contains(QStringLiteral("notice_history")));
    QVERIFY(reference.tables.contains(QStringLiteral("masterdata_audit")));
    for (const QString &table : systemTables())
        QVERIFY2(reference.tables.contains(table), qPrintable(table));
    QCOMPARE(reference.columns.value(QStringLiteral("statistic")).size(), 15);
    QVERIFY(reference.indexes.contains(QStringLiteral("notice_billcode_unique")));

    QStringList referenceRows;  // seed rows, comments aside
    for (const QString &sql : reference.otherStatements)
        if (sql.startsWith(QStringLiteral("insert")))
            referenceRows << sql;
    QCOMPARE(referenceRows.size(), 2);
    QVERIFY(referenceRows.contains(
        QStringLiteral("insert into schemaversion (onerow, version) values (1, %1)").arg(kSchemaVersion)));

    for (DbKind kind : allKinds()) {
        const SchemaDeclarations d = declarations(kind);
        const QString k = kindName(kind);
        QCOMPARE(d.tables, reference.tables);
        for (const QString &table : reference.tables)
            QVERIFY2(d.columns.value(table) == reference.columns.value(table),
                     qPrintable(k + QLatin1Char(' ') + table));

        QMap<QString, SchemaIndex> indexes = d.indexes;
        for (const QString &name : kindSpecificIndexes(kind))
            QVERIFY2(indexes.remove(name) == 1, qPrintable(k + QLatin1Char(' ') + name));
        QCOMPARE(indexes.keys(), reference.indexes.keys());
        for (auto i = indexes.cbegin(); i != indexes.cend(); ++i)
            QCOMPARE(describe(i.value()), describe(reference.indexes.value(i.key())));

        QStringList rows;
        for (const QString &sql : d.otherStatements) {
            if (sql.startsWith(QStringLiteral("insert")))
                rows << sql;
            else
                QVERIFY2(isKindSpecificStatement(kind, sql), qPrintable(k + QStringLiteral(": ") + sql));
        }
        QCOMPARE(rows, referenceRows);
        QCOMPARE(d.virtualTables,
                 kind == DbKind::SQLite ? QStringList{QStringLiteral("notice_search")} : QStringList{});
    }
}

void TestSchemaFiles::databaseHasWhatTheFileDeclares()
{
    QFETCH(int, kind);
    FIXTURE(t, DbKind(kind), TestDatabase::create);
    const SchemaDeclarations d = declarations(DbKind(kind));
    QSqlDatabase db = t->connection();
    for (const QString &table : d.tables) {
        const QSqlRecord r = db.record(table);
        QStringList columns;
        for (int i = 0; i < r.count(); ++i)
            columns << r.fieldName(i).toLower();
        QCOMPARE(columns, d.columns.value(table));
    }
    QCOMPARE(schemaVersionOf(db), kSchemaVersion);
}

void TestSchemaFiles::statementsOfEachKind()
{
    const SqlDialect sqlite(DbKind::SQLite), postgres(DbKind::PostgreSQL), server(DbKind::SqlServer);
    QCOMPARE(server.copyTableStatement(QStringLiteral("notice"), QStringLiteral("old_notice")),
             QStringLiteral("select * into old_notice from notice"));
    QCOMPARE(postgres.copyTableStatement(QStringLiteral("notice"), QStringLiteral("old_notice")),
             QStringLiteral("create table old_notice as select * from notice"));
    const QStringList key{QStringLiteral("lineid")};
    QCOMPARE(server.beforeExplicitKeys(QStringLiteral("itemofnotice"), key),
             QStringList{QStringLiteral("set identity_insert itemofnotice on")});
    QCOMPARE(server.afterExplicitKeys(QStringLiteral("itemofnotice"), key),
             QStringList{QStringLiteral("set identity_insert itemofnotice off")});
    QVERIFY(server.beforeExplicitKeys(QStringLiteral("notice"), {}).isEmpty());
    QVERIFY(sqlite.identityColumnsQuery().isEmpty());

    // The number search. SQL Server has no substring index: one "like",
    // with its own wildcard "[" escaped.
    const Statement scope{QStringLiteral("select * from notice where department=?"), {QStringLiteral("船检科")}};
    const QString like = scope.sql + QStringLiteral(" and ID like ? escape '\\'");
    QVERIFY(!server.hasNoticeIdIndex(QStringLiteral("12345")));
    const Statement serverWalk = server.noticeIdWalk(scope, QStringLiteral("1[2"));
    QCOMPARE(serverWalk.sql, like);
    QCOMPARE(serverWalk.values, (QVariantList{QStringLiteral("船检科"), QStringLiteral("%1\\[2%")}));
    QCOMPARE(server.noticeIdMatches(QStringLiteral("123"), 2000).sql,
             QStringLiteral("select top (2000) ID from notice where ID like ? escape '\\'"));
    const Statement serverAmong = server.noticeIdAmong(scope, {"0012345", "1123456"});
    QCOMPARE(serverAmong.sql, scope.sql + QStringLiteral(" and ID in (?,?)"));
    QCOMPARE(serverAmong.values,
             (QVariantList{QStringLiteral("船检科"), QStringLiteral("0012345"), QStringLiteral("1123456")}));
    // No number found: a statement that holds for no row.
    QCOMPARE(server.noticeIdAmong(scope, {}).sql, scope.sql + QStringLiteral(" and ID in (null)"));

    // Texts shorter than a trigram are always walked.
    QVERIFY(!sqlite.hasNoticeIdIndex(QStringLiteral("12")));
    QVERIFY(!postgres.hasNoticeIdIndex(QStringLiteral("12")));

    // SQLite: the full-text table, its phrase quoted; the walk by instr.
    const Statement sqliteWalk = sqlite.noticeIdWalk(scope, QStringLiteral("1%_"));
    QCOMPARE(sqliteWalk.sql, scope.sql + QStringLiteral(" and instr(ID, ?) > 0"));
    QCOMPARE(sqliteWalk.values, (QVariantList{QStringLiteral("船检科"), QStringLiteral("1%_")}));
    const Statement matches = sqlite.noticeIdMatches(QStringLiteral("9\"%_"), 50);
    QCOMPARE(matches.sql, QStringLiteral("select ID from notice_search where notice_search match ? limit 50"));
    QCOMPARE(matches.values, (QVariantList{QStringLiteral("\"9\"\"%_\"")}));
    const Statement among = sqlite.noticeIdAmong(scope, {"19\"%_1"});
    QCOMPARE(among.sql, scope.sql + QStringLiteral(" and ID in (?)"));
    QCOMPARE(among.values, (QVariantList{QStringLiteral("船检科"), QStringLiteral("19\"%_1")}));

    // PostgreSQL: the numbers through its trigram index; the rows among them
    // apart from the list's order; the walk by strpos, which its trigram
    // index cannot serve.
    QCOMPARE(postgres.noticeIdMatches(QStringLiteral("999"), 2000).sql,
             QStringLiteral("select ID from notice where ID like ? escape '\\' limit 2000"));
    const Statement walk = postgres.noticeIdWalk(scope, QStringLiteral("99%"));
    QCOMPARE(walk.sql, scope.sql + QStringLiteral(" and strpos(ID, ?) > 0"));
    QCOMPARE(walk.values, (QVariantList{QStringLiteral("船检科"), QStringLiteral("99%")}));
    QCOMPARE(postgres.noticeIdAmong(scope, {"1999998"}).sql,
             QStringLiteral("select * from (with found as materialized (") + scope.sql
                 + QStringLiteral(" and ID in (?)) select * from found) found"));
}

QTEST_GUILESS_MAIN(TestSchemaFiles)
#include "tst_schema_files.moc"
