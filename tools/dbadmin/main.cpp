// The configuration program: writes the initialisation file, checks the
// connection it describes, creates the schema in an empty database and loads
// the demonstration data.

#include "config_operations.h"
#include "config_window_main.h"
#include "demo_data.h"

#include "db/connection.h"
#include "db/db_error.h"
#include "db/db_settings.h"
#include "db/ini_file.h"
#include "db/schema.h"
#include "db/schema_upgrade.h"
#include "db/schema_version.h"
#include "db/sql_dialect.h"
#include "db/user_refusal.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSqlQuery>
#include <QTextStream>

namespace {

const QString kConnection = QStringLiteral("dbadmin");

QTextStream &out()
{
    static QTextStream stream(stdout);
    return stream;
}

QTextStream &err()
{
    static QTextStream stream(stderr);
    return stream;
}

// Throws DbError when the listing fails: a check that could not look must
// not report an empty database, nor create-schema go on over existing tables.
int existingTables(QSqlDatabase db)
{
    return systemTablesPresent(db);
}

int writeConfig(const QCommandLineParser &args, const QString &configPath)
{
    // A key not given keeps what the file holds, or stays empty: never the
    // default that the program itself would assume for a missing key.
    const IniFile existing = IniFile::read(configPath);
    auto value = [&](const char *option, const char *key) {
        const QString name = QString::fromLatin1(option);
        return args.isSet(name) ? args.value(name)
                                : existing.value(QStringLiteral("database"), QString::fromLatin1(key), QString());
    };
    DbSettings s;
    s.provider = value("provider", "Provider");
    s.dataSource = value("data-source", "Data Source");
    s.initialCatalog = value("catalog", "Initial Catalog");
    s.userId = value("user", "User ID");
    s.password = value("password", "Password");
    if (!dbadmin::knownProvider(s.provider)) {
        err() << "unknown provider \"" << s.provider << "\": use SQLite, PostgreSQL or SQLOLEDB.1" << Qt::endl;
        return 2;
    }
    if (s.kind() == DbKind::SqlServer) {
        for (const QString &driver : sqlServerOdbcDrivers()) {
            if (const QString problem = sqlServerSettingsProblem(s, driver); !problem.isEmpty()) {
                err() << problem << Qt::endl;
                return 2;
            }
        }
    }
    QString error;
    if (!s.writeFile(configPath, &error)) {
        err() << configPath << ": " << error << Qt::endl;
        return 1;
    }
    out() << "wrote " << QDir::toNativeSeparators(configPath) << Qt::endl;
    return 0;
}

int check(const DbSettings &s, const QString &schemaFolder)
{
    QSqlDatabase db = openConnection(s, kConnection);
    // What was reached, never the password.
    out() << "connected: Provider=" << s.provider << ";Data Source=" << s.dataSource
          << ";Initial Catalog=" << s.initialCatalog << ";User ID=" << s.userId << Qt::endl;
    if (const std::optional<DatabaseTraits> traits = databaseTraits(db))
        out() << "database " << traits->database << ": collation " << traits->collation << ", code page "
              << traits->codePage << ", compatibility level " << traits->compatibilityLevel << Qt::endl;
    out() << "tables of the system present: " << existingTables(db) << " of " << systemTables().size() << Qt::endl;
    const int version = schemaVersionOf(db);
    if (version == kNoSchema)
        return 0;
    out() << "schema version " << version << ", this program's " << kSchemaVersion;
    if (version < kSchemaVersion)
        out() << ": run dbadmin upgrade";
    out() << Qt::endl;
    // Rows that break a rule of the current schema are reported, never indexed
    // away: the administrator decides which row keeps a repeated number.
    const QStringList problems = upgradeProblems(db, schemaFolder);
    for (const QString &problem : problems)
        out() << "  " << problem << Qt::endl;
    // Dates the program cannot read yet, which the upgrade rewrites.
    int repairable = 0;
    for (const StoredDate &date : nonStandardNoticeDates(db)) {
        if (date.repaired.isEmpty())
            continue;
        out() << "  notice.Rdate: '" << date.text << "' of notice " << date.noticeId << " is not in the program's form"
              << "; dbadmin upgrade writes it as '" << date.repaired << "'" << Qt::endl;
        ++repairable;
    }
    if (!problems.isEmpty())
        out() << problems.size() << " rows or values break a rule of the schema" << Qt::endl;
    if (repairable > 0)
        out() << repairable << " notice dates to be rewritten by dbadmin upgrade" << Qt::endl;
    return problems.isEmpty() && repairable == 0 ? 0 : 3;
}

int upgrade(const DbSettings &s, const QString &schemaFolder)
{
    QSqlDatabase db = openConnection(s, kConnection);
    UpgradeOutcome outcome;
    try {
        outcome = upgradeSchema(db, schemaFolder);
    } catch (const DbError &e) {
        err() << "the upgrade was not made; the database is unchanged: " << e.message() << Qt::endl;
        return 1;
    }
    for (const StoredDate &date : outcome.repairedDates)
        out() << "notice " << date.noticeId << ": date '" << date.text << "' written as '" << date.repaired << "'"
              << Qt::endl;
    if (!outcome.changed)
        out() << "schema version " << outcome.toVersion << " already; nothing to do" << Qt::endl;
    else if (outcome.fromVersion == outcome.toVersion)
        out() << "schema version " << outcome.toVersion << " already; " << outcome.repairedDates.size()
              << " notice dates rewritten" << Qt::endl;
    else
        out() << "schema upgraded from version " << outcome.fromVersion << " to " << outcome.toVersion
              << "; every row kept" << Qt::endl;
    return 0;
}

int createSchemaCommand(const DbSettings &s, const QString &schemaFolder, bool createFile)
{
    QSqlDatabase db = openConnection(s, kConnection, OpenOptions{createFile});
    if (existingTables(db) > 0) {
        err() << "the database already holds tables of the system; nothing was created" << Qt::endl;
        return 2;
    }
    createSchema(db, schemaFolder);
    out() << "schema created" << Qt::endl;
    return 0;
}

int loadDemo(const DbSettings &s)
{
    QSqlDatabase db = openConnection(s, kConnection);
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (q.exec(QStringLiteral("select count(*) from person")) && q.next() && q.value(0).toInt() > 0) {
        err() << "the database already holds accounts; demo data not loaded" << Qt::endl;
        return 2;
    }
    q.finish();
    loadDemoData(db);
    out() << "demo data loaded" << Qt::endl;
    return 0;
}

// Makes a ready embedded database: schema and demo data, unless the file is
// already a Nollard database.
int prepareDemo(const DbSettings &s, const QString &schemaFolder)
{
    if (s.kind() != DbKind::SQLite) {
        err() << "demo preparation is for the embedded database (Provider=SQLite)" << Qt::endl;
        return 2;
    }
    {
        QSqlDatabase db = openConnection(s, kConnection, OpenOptions{true});
        if (existingTables(db) == systemTables().size()) {
            if (upgradeSchema(db, schemaFolder).changed)
                out() << "the demo database " << s.dataSource << " was upgraded" << Qt::endl;
            out() << "the demo database " << s.dataSource << " is ready" << Qt::endl;
            return 0;
        }
        if (existingTables(db) > 0) {
            err() << s.dataSource << " holds some tables of the system but not all" << Qt::endl;
            return 2;
        }
        createSchema(db, schemaFolder);
        loadDemoData(db);
    }
    out() << "demo database " << s.dataSource << " created" << Qt::endl;
    return 0;
}

}  // namespace

int main(int argc, char *argv[])
{
    if (argc == 1)
        return runConfigWindow(argc, argv);
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("dbadmin"));

    QCommandLineParser args;
    args.setApplicationDescription(
        QStringLiteral("Nollard configuration program.\n"
                       "Commands:\n"
                       "  write-config   write the initialisation file from the options given\n"
                       "  check          open the connection the file describes; report the schema\n"
                       "                 version and rows that break a rule of the schema\n"
                       "  create-schema  create the tables in an empty database\n"
                       "  upgrade        bring an older database to the current schema, keeping every row\n"
                       "  load-demo      load demonstration accounts, catalogues and notices\n"
                       "  prepare-demo   create the embedded demo database if it is not there"));
    args.addHelpOption();
    args.addPositionalArgument(QStringLiteral("command"), QStringLiteral("what to do"));
    args.addOption(
        {QStringLiteral("config"), QStringLiteral("initialisation file"), QStringLiteral("path"), defaultConfigPath()});
    args.addOption({QStringLiteral("schema-dir"), QStringLiteral("folder of the schema files"), QStringLiteral("path"),
                    installedSchemaFolder()});
    args.addOption(
        {QStringLiteral("provider"), QStringLiteral("SQLOLEDB.1, SQLite or PostgreSQL"), QStringLiteral("name")});
    args.addOption({QStringLiteral("data-source"), QStringLiteral("server, host[:port] or database file"),
                    QStringLiteral("text")});
    args.addOption({QStringLiteral("catalog"), QStringLiteral("database name"), QStringLiteral("text")});
    args.addOption({QStringLiteral("user"), QStringLiteral("database login"), QStringLiteral("text")});
    args.addOption({QStringLiteral("password"), QStringLiteral("database password"), QStringLiteral("text")});
    args.process(app);

    const QStringList positional = args.positionalArguments();
    if (positional.size() != 1)
        args.showHelp(1);
    const QString command = positional.first();
    const QString configPath = args.value(QStringLiteral("config"));
    const QString schemaFolder = args.value(QStringLiteral("schema-dir"));

    try {
        if (command == QLatin1String("write-config"))
            return writeConfig(args, configPath);
        const DbSettings settings = DbSettings::fromFile(configPath);
        if (command == QLatin1String("check"))
            return check(settings, schemaFolder);
        if (command == QLatin1String("upgrade"))
            return upgrade(settings, schemaFolder);
        if (command == QLatin1String("create-schema"))
            return createSchemaCommand(settings, schemaFolder, true);
        if (command == QLatin1String("load-demo"))
            return loadDemo(settings);
        if (command == QLatin1String("prepare-demo"))
            return prepareDemo(settings, schemaFolder);
    } catch (const UserRefusal &e) {
        err() << e.message() << Qt::endl;
        return 2;
    } catch (const DbError &e) {
        err() << e.message() << Qt::endl;
        return 1;
    }
    err() << "unknown command: " << command << Qt::endl;
    return 1;
}
