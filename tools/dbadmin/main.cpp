// The configuration program: writes the initialisation file, checks the
// connection it describes, creates the schema in an empty database with its
// first accounts or loads the demonstration data, backs up and restores.

#include "config_operations.h"
#include "config_window_main.h"
#include "database_copy.h"
#include "demo_data.h"
#include "first_accounts.h"
#include "server_backup.h"

#include "db/config_location.h"
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
    s.sslMode = value("ssl-mode", "SSL Mode");
    s.sslCaFile = value("ssl-ca-file", "SSL CA File");
    s.encrypt = value("encrypt", "Encrypt");
    s.trustServerCertificate = value("trust-server-certificate", "Trust Server Certificate");
    if (!dbadmin::knownProvider(s.provider)) {
        err() << "unknown provider \"" << s.provider << "\": use SQLite, PostgreSQL or SQLOLEDB.1" << Qt::endl;
        return 2;
    }
    if (const QString problem = s.encryptionProblem(); !problem.isEmpty()) {
        err() << problem << Qt::endl;
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
    if (const QString encryption = dbadmin::encryptionSummary(s, db); !encryption.isEmpty())
        out() << encryption << Qt::endl;
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

int init(const QCommandLineParser &args, const DbSettings &s, const QString &schemaFolder)
{
    QList<dbadmin::FirstAccount> accounts = dbadmin::defaultFirstAccounts();
    const char *options[] = {"cw-leader", "cj-leader", "finance-leader"};
    for (int i = 0; i < 3; ++i)
        if (args.isSet(QString::fromLatin1(options[i])))
            dbadmin::applyAccountOption(accounts[i], args.value(QString::fromLatin1(options[i])));
    const QList<dbadmin::FirstAccount> made = dbadmin::initDatabase(s, schemaFolder, accounts);
    out() << dbadmin::firstAccountsText(made) << Qt::endl;
    return 0;
}

// The file that a verb works on, the one argument after it.
QString fileArgument(const QStringList &positional)
{
    if (positional.size() != 2)
        throw UserRefusal(QStringLiteral("用法：dbadmin %1 文件").arg(positional.first()));
    return QFileInfo(positional.at(1)).absoluteFilePath();
}

// Where a relative embedded file counts from for a file given with
// --config: the folder above config/, where the program runs, or else the
// working directory.
QString embeddedFolderFor(const QString &configFile)
{
    const QDir folder = QFileInfo(configFile).absoluteDir();
    if (folder.dirName() == QLatin1String("config"))
        return QFileInfo(folder.absolutePath()).absolutePath();
    return QDir::currentPath();
}

// Copies the configured database into the one that the file --to names.
int copyCommand(const QCommandLineParser &args, const DbSettings &source, const QString &schemaFolder)
{
    const QString to = args.value(QStringLiteral("to"));
    if (to.isEmpty())
        throw UserRefusal(QStringLiteral("用法：dbadmin copy --to 目标数据库的配置文件"));
    const ConfigLocation target = configAt(to, embeddedFolderFor(to));
    if (!target.found) {
        err() << QStringLiteral("找不到目标数据库的配置文件 %1").arg(QDir::toNativeSeparators(target.file)) << Qt::endl;
        return 2;
    }
    const dbadmin::CopyOutcome outcome = dbadmin::copyDatabase(source, readSettings(target), schemaFolder);
    out() << dbadmin::copyReport(outcome) << Qt::endl;
    return outcome.matches() ? 0 : 3;
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
                       "  init           create the database (and its tables) where it is empty, with the\n"
                       "                 first accounts: the two section leaders and the finance leader;\n"
                       "                 passwords not given are generated and shown once\n"
                       "  load-demo      load demonstration accounts, catalogues and notices\n"
                       "  prepare-demo   create the embedded demo database if it is not there\n"
                       "  backup FILE    copy the database to FILE while it is in use (PostgreSQL: pg_dump)\n"
                       "  restore FILE   replace the database by the backup FILE, refused while in use\n"
                       "  copy --to FILE copy every table into the empty database that the initialisation\n"
                       "                 FILE names (any kind), then compare rows and amounts per table\n"
                       "Without --config the file is config/config.ini under the working directory,\n"
                       "or else the system configuration."));
    args.addHelpOption();
    args.addPositionalArgument(QStringLiteral("command"), QStringLiteral("what to do"));
    args.addOption({QStringLiteral("config"), QStringLiteral("initialisation file"), QStringLiteral("path")});
    args.addOption({QStringLiteral("to"), QStringLiteral("copy: initialisation file of the target database"),
                    QStringLiteral("path")});
    args.addOption({QStringLiteral("schema-dir"), QStringLiteral("folder of the schema files"), QStringLiteral("path"),
                    installedSchemaFolder()});
    args.addOption(
        {QStringLiteral("provider"), QStringLiteral("SQLOLEDB.1, SQLite or PostgreSQL"), QStringLiteral("name")});
    args.addOption(
        {QStringLiteral("data-source"),
         QStringLiteral("server, host[:port] (a primary and its standby: host:port,host:port) or database file"),
         QStringLiteral("text")});
    args.addOption({QStringLiteral("catalog"), QStringLiteral("database name"), QStringLiteral("text")});
    args.addOption({QStringLiteral("user"), QStringLiteral("database login"), QStringLiteral("text")});
    args.addOption({QStringLiteral("password"), QStringLiteral("database password"), QStringLiteral("text")});
    args.addOption({QStringLiteral("ssl-mode"),
                    QStringLiteral("PostgreSQL: disable, prefer, require, verify-ca or verify-full"),
                    QStringLiteral("mode")});
    args.addOption({QStringLiteral("ssl-ca-file"),
                    QStringLiteral("PostgreSQL: certificate of the authority that signed the server's"),
                    QStringLiteral("path")});
    args.addOption({QStringLiteral("encrypt"), QStringLiteral("SQL Server: yes to require an encrypted connection"),
                    QStringLiteral("yes|no")});
    args.addOption({QStringLiteral("trust-server-certificate"),
                    QStringLiteral("SQL Server: yes to accept a certificate the workstation cannot verify"),
                    QStringLiteral("yes|no")});
    for (const char *option : {"cw-leader", "cj-leader", "finance-leader"})
        args.addOption({QString::fromLatin1(option),
                        QStringLiteral("init: the account of the ship affairs, ship inspection or finance leader"),
                        QStringLiteral("login:name[:password]")});
    args.process(app);

    const QStringList positional = args.positionalArguments();
    if (positional.isEmpty() || positional.size() > 2)
        args.showHelp(1);
    const QString command = positional.first();
    const ConfigLocation config = args.isSet(QStringLiteral("config"))
                                      ? configAt(args.value(QStringLiteral("config")),
                                                 embeddedFolderFor(args.value(QStringLiteral("config"))))
                                      : locateConfig(QDir::currentPath());
    const QString configPath = config.file;
    const QString schemaFolder = args.value(QStringLiteral("schema-dir"));

    try {
        if (command == QLatin1String("write-config"))
            return writeConfig(args, configPath);
        if (!config.found) {
            err() << QStringLiteral("找不到配置文件 %1").arg(config.lookedFor.join(QStringLiteral("、"))) << Qt::endl;
            return 2;
        }
        const DbSettings settings = readSettings(config);
        if (command == QLatin1String("init"))
            return init(args, settings, schemaFolder);
        if (command == QLatin1String("backup")) {
            out() << dbadmin::backupDatabase(settings, fileArgument(positional)) << Qt::endl;
            return 0;
        }
        if (command == QLatin1String("restore")) {
            out() << dbadmin::restoreDatabase(settings, fileArgument(positional)) << Qt::endl;
            return 0;
        }
        if (command == QLatin1String("check"))
            return check(settings, schemaFolder);
        if (command == QLatin1String("copy"))
            return copyCommand(args, settings, schemaFolder);
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
