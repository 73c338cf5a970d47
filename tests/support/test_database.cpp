#include "test_database.h"

#include "db/connection.h"
#include "db/db_error.h"
#include "db/schema.h"

#include <QAtomicInt>
#include <QCoreApplication>
#include <QDateTime>
#include <QSqlError>
#include <QSqlQuery>
#include <QtTest>

namespace {

DbSettings postgresAdminSettings(const QString &database)
{
    DbSettings s;
    s.provider = QStringLiteral("PostgreSQL");
    const QString host = qEnvironmentVariable("PGHOST");
    const QString port = qEnvironmentVariable("PGPORT");
    s.dataSource = port.isEmpty() ? host : host + QLatin1Char(':') + port;
    s.initialCatalog = database;
    s.userId = qEnvironmentVariable("PGUSER", QStringLiteral("postgres"));
    s.password = QString();
    return s;
}

QString uniqueName()
{
    static QAtomicInt counter;
    return QStringLiteral("t%1_%2_%3")
        .arg(QCoreApplication::applicationPid())
        .arg(QDateTime::currentMSecsSinceEpoch() % 100000000)
        .arg(counter.fetchAndAddRelaxed(1));
}

}  // namespace

QString TestDatabase::whyUnavailable(DbKind kind)
{
    switch (kind) {
    case DbKind::SQLite:
        return QString();
    case DbKind::PostgreSQL:
        if (qEnvironmentVariableIsEmpty("PGHOST"))
            return QStringLiteral("no PostgreSQL server given (PGHOST is unset): run the tests through "
                                  "scripts/with-postgres.sh");
        return QString();
    case DbKind::SqlServer:
        break;
    }
    return QStringLiteral("no SQL Server here: tests make SQLite and PostgreSQL databases only");
}

QString TestDatabase::schemaFolder()
{
    return QStringLiteral(NOLLARD_SOURCE_DIR "/db");
}

std::unique_ptr<TestDatabase> TestDatabase::create(DbKind kind, bool withSchema)
{
    std::unique_ptr<TestDatabase> t(new TestDatabase);
    if (kind == DbKind::SQLite) {
        t->m_dir = std::make_unique<QTemporaryDir>();
        t->m_settings.provider = QStringLiteral("SQLite");
        t->m_settings.dataSource = t->m_dir->filePath(QStringLiteral("test.db"));
        QSqlDatabase db = openConnection(t->m_settings, QStringLiteral("test-create"), OpenOptions{true});
        if (withSchema)
            createSchema(db, schemaFolder());
    } else if (kind == DbKind::PostgreSQL) {
        if (!whyUnavailable(kind).isEmpty())
            return nullptr;
        t->m_pgDatabase = uniqueName();
        {
            QSqlDatabase admin = openConnection(postgresAdminSettings(QStringLiteral("postgres")),
                                                QStringLiteral("test-admin"));
            QSqlQuery q(admin);
            if (!q.exec(QStringLiteral("create database %1").arg(t->m_pgDatabase)))
                throw DbError(q.lastError());
        }
        closeConnection(QStringLiteral("test-admin"));
        t->m_settings = postgresAdminSettings(t->m_pgDatabase);
        if (withSchema)
            createSchema(openConnection(t->m_settings, QStringLiteral("test-create")), schemaFolder());
    } else {
        return nullptr;
    }
    closeConnection(QStringLiteral("test-create"));
    return t;
}

TestDatabase::~TestDatabase()
{
    for (const QString &name : std::as_const(m_connections))
        closeConnection(name);
    if (!m_pgDatabase.isEmpty()) {
        try {
            QSqlDatabase admin = openConnection(postgresAdminSettings(QStringLiteral("postgres")),
                                                QStringLiteral("test-admin"));
            QSqlQuery q(admin);
            q.exec(QStringLiteral("drop database if exists %1 with (force)").arg(m_pgDatabase));
        } catch (const DbError &) {
        }
        closeConnection(QStringLiteral("test-admin"));
    }
}

QSqlDatabase TestDatabase::connection(const QString &name)
{
    if (!m_connections.contains(name)) {
        m_connections << name;
        return openConnection(m_settings, name);
    }
    return QSqlDatabase::database(name);
}

void TestDatabase::exec(const QString &sql, const QVariantList &values)
{
    QSqlQuery q(connection());
    if (!q.prepare(sql))
        QFAIL(qPrintable(sql + QStringLiteral(": ") + q.lastError().text()));
    for (const QVariant &v : values)
        q.addBindValue(v);
    if (!q.exec())
        QFAIL(qPrintable(sql + QStringLiteral(": ") + q.lastError().text()));
}

QVariant TestDatabase::scalar(const QString &sql, const QVariantList &values)
{
    QSqlQuery q(connection());
    q.prepare(sql);
    for (const QVariant &v : values)
        q.addBindValue(v);
    if (!q.exec() || !q.next()) {
        qWarning() << sql << q.lastError().text();
        return {};
    }
    return q.value(0);
}

QList<DbKind> testedKinds()
{
    return {DbKind::SQLite, DbKind::PostgreSQL};
}

QString kindName(DbKind kind)
{
    switch (kind) {
    case DbKind::SQLite:
        return QStringLiteral("sqlite");
    case DbKind::PostgreSQL:
        return QStringLiteral("postgresql");
    case DbKind::SqlServer:
        break;
    }
    return QStringLiteral("sqlserver");
}

void addKindRows()
{
    QTest::addColumn<int>("kind");
    for (DbKind kind : testedKinds())
        QTest::newRow(qPrintable(kindName(kind))) << int(kind);
}

DbKind rowKind()
{
    QFETCH(int, kind);
    return DbKind(kind);
}
