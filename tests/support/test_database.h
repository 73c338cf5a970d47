#pragma once
// Fresh databases for tests: an SQLite file in a temporary folder, or a new
// database on the PostgreSQL server that the test script started (found
// through PGHOST/PGPORT/PGUSER). Both get the real schema files.

#include "db/db_settings.h"

#include <QSqlDatabase>
#include <QString>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

class TestDatabase
{
public:
    // A fresh, empty database of the kind, with the schema created (unless
    // withSchema is false). Returns nullptr when the kind cannot run here:
    // tests ask REQUIRE_DATABASE first, which skips them with the reason.
    static std::unique_ptr<TestDatabase> create(DbKind kind, bool withSchema = true);
    ~TestDatabase();

    DbSettings settings() const { return m_settings; }
    // A connection of its own, opened on first use, for checking what was stored.
    QSqlDatabase connection(const QString &name = QStringLiteral("test-check"));
    // Runs a statement on the check connection and fails loudly when it fails.
    void exec(const QString &sql, const QVariantList &values = {});
    QVariant scalar(const QString &sql, const QVariantList &values = {});

    // Why a database of the kind cannot be made here; empty when it can.
    static QString whyUnavailable(DbKind kind);
    static QString schemaFolder();

private:
    TestDatabase() = default;
    DbSettings m_settings;
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_pgDatabase;
    QStringList m_connections;
};

// The data-driven kinds a storage test runs on.
QList<DbKind> testedKinds();
QString kindName(DbKind kind);
// A _data() table of one int column "kind", a row per tested kind.
void addKindRows();
// The kind of the running row of such a table.
DbKind rowKind();

// Skips the running test, with the reason, when a database of the kind cannot
// be made here (no PostgreSQL server given, or SQL Server, which never runs on
// these machines).
#define REQUIRE_DATABASE(kind)                                                                                         \
    do {                                                                                                               \
        const QString whyUnavailable_ = TestDatabase::whyUnavailable(kind);                                            \
        if (!whyUnavailable_.isEmpty())                                                                                \
            QSKIP(qPrintable(whyUnavailable_));                                                                        \
    } while (false)

// Declares var as what factory(kind, arguments...) makes: a test database, or
// a fixture over one. The test is skipped first when a database of the kind
// cannot be made here.
//   FIXTURE(t, DbKind(kind), TestDatabase::create);
//   FIXTURE(f, rowKind(), FeeFixture::create, QStringLiteral("fee-lines"));
#define FIXTURE(var, kind, factory, ...)                                                                               \
    REQUIRE_DATABASE(kind);                                                                                            \
    auto var = factory(kind __VA_OPT__(, ) __VA_ARGS__)
