#include "workday_database.h"

#include "workday_plan.h"

#include "db/connection.h"
#include "db/db_error.h"
#include "db/schema.h"
#include "db/sql_statement.h"
#include "demo_data.h"

#include <QCoreApplication>
#include <QDir>
#include <QSqlError>
#include <QSqlQuery>

namespace workday {

namespace {

const QString kAdmin = QStringLiteral("workday-admin");
const QString kCheck = QStringLiteral("workday-check");

DbSettings serverSettings(const QString &database)
{
    DbSettings s;
    s.provider = QStringLiteral("PostgreSQL");
    const QString port = qEnvironmentVariable("PGPORT");
    s.dataSource = qEnvironmentVariable("PGHOST") + (port.isEmpty() ? QString() : QLatin1Char(':') + port);
    s.userId = qEnvironmentVariable("PGUSER", QStringLiteral("postgres"));
    s.initialCatalog = database;
    return s;
}

// Creating and dropping a database cannot be prepared: run as it stands
// (the name is made here, never typed).
void onServer(const QString &sql)
{
    {
        QSqlDatabase admin = openConnection(serverSettings(QStringLiteral("postgres")), kAdmin);
        QSqlQuery q(admin);
        if (!q.exec(sql))
            throw DbError(q.lastError());
    }
    closeConnection(kAdmin);
}

}  // namespace

std::unique_ptr<DayDatabase> DayDatabase::create(int workstations)
{
    std::unique_ptr<DayDatabase> day(new DayDatabase);
    const QString name = QStringLiteral("nollard_workday_%1").arg(QCoreApplication::applicationPid());
    onServer(QStringLiteral("drop database if exists %1").arg(name));
    onServer(QStringLiteral("create database %1").arg(name));
    day->m_settings = serverSettings(name);

    QSqlDatabase db = day->connection();
    // The schema files installed beside the programs of the build.
    createSchema(db, QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("../db")));
    loadDemoData(db);
    for (int i = 0; i < workstations; ++i) {
        const UserRecord user = workstation(i).user;
        runStatement(db,
                     QStringLiteral("insert into person (name,nickname,password,typeid,checker,admin) "
                                    "values (?,?,?,?,?,?)"),
                     {user.userName, user.nickname, user.password, user.typeId, user.isChecker, user.isAdmin})
            .finish();
    }
    return day;
}

DayDatabase::~DayDatabase()
{
    closeConnection(kCheck);
    if (m_keep || m_settings.initialCatalog.isEmpty())
        return;
    try {
        onServer(QStringLiteral("drop database if exists %1").arg(m_settings.initialCatalog));
    } catch (const DbError &) {
        // A database left behind goes with the throwaway server.
    }
}

QSqlDatabase DayDatabase::connection() const
{
    if (QSqlDatabase::contains(kCheck)) {
        QSqlDatabase db = QSqlDatabase::database(kCheck);
        if (db.isOpen())
            return db;
    }
    return openConnection(m_settings, kCheck);
}

QHash<QString, int> DayDatabase::noticeStates() const
{
    QHash<QString, int> states;
    QSqlQuery q = runStatement(connection(), QStringLiteral("select ID, status from notice"));
    while (q.next())
        states.insert(q.value(0).toString(), q.value(1).toInt());
    return states;
}

}  // namespace workday
