#include "schema.h"

#include "db_error.h"
#include "sql_dialect.h"
#include "sql_statement.h"
#include "transaction.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSqlQuery>

QStringList schemaStatements(const QString &fileContent)
{
    QStringList statements;
    QString current;
    for (const QString &rawLine : fileContent.split(QLatin1Char('\n'))) {
        const QString line = rawLine.trimmed();
        if (line.isEmpty() || line.startsWith(QStringLiteral("--")))
            continue;
        current += rawLine + QLatin1Char('\n');
        // A trigger's body holds statements of its own; it ends at "end;".
        const bool inTrigger = current.trimmed().startsWith(QStringLiteral("create trigger"), Qt::CaseInsensitive);
        const bool ends = inTrigger ? line.compare(QStringLiteral("end;"), Qt::CaseInsensitive) == 0
                                    : line.endsWith(QLatin1Char(';'));
        if (ends) {
            current = current.trimmed();
            current.chop(1);
            statements << current;
            current.clear();
        }
    }
    if (!current.trimmed().isEmpty())
        statements << current.trimmed();
    return statements;
}

QStringList schemaFileStatements(DbKind kind, const QString &schemaFolder)
{
    const QString path = QDir(schemaFolder).filePath(SqlDialect(kind).schemaFileName());
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        throw DbError(QStringLiteral("%1: %2").arg(path, file.errorString()));
    return schemaStatements(QString::fromUtf8(file.readAll()));
}

void runSchemaStatements(QSqlDatabase db, const QStringList &statements)
{
    for (const QString &sql : statements) {
        // Run directly (no statement of a schema can be prepared on every
        // server) and forward-only (no server cursor for what returns nothing).
        QSqlQuery q(db);
        q.setForwardOnly(true);
        if (!q.exec(sql))
            throw DbError(q.lastError());
    }
}

void createSchema(QSqlDatabase db, const QString &schemaFolder)
{
    const QStringList statements = schemaFileStatements(SqlDialect::kindOf(db), schemaFolder);
    Transaction transaction(db);
    runSchemaStatements(db, statements);
    transaction.commit();
}

QString installedSchemaFolder()
{
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("db"));
}

QStringList systemTables()
{
    return {QStringLiteral("notice"),  QStringLiteral("itemofnotice"), QStringLiteral("person"),
            QStringLiteral("company"), QStringLiteral("counter"),      QStringLiteral("buildtype"),
            QStringLiteral("runtype"), QStringLiteral("othertype"),    QStringLiteral("itemcj"),
            QStringLiteral("itemcw"),  QStringLiteral("statistic"),    QStringLiteral("statistic2")};
}

QStringList databaseTables(QSqlDatabase db)
{
    QStringList tables;
    try {
        QSqlQuery q = runStatement(db, SqlDialect(db).tableListStatement());
        while (q.next())
            tables << q.value(0).toString();
    } catch (const ConnectionLost &) {
        throw;
    } catch (const DbError &e) {
        throw DbError(QStringLiteral("The list of the database's tables could not be read: %1").arg(e.message()));
    }
    return tables;
}

bool hasDatabaseTable(QSqlDatabase db, const QString &table)
{
    return databaseTables(db).contains(table, Qt::CaseInsensitive);
}

int systemTablesPresent(QSqlDatabase db)
{
    const QStringList present = databaseTables(db);
    int count = 0;
    for (const QString &table : systemTables())
        if (present.contains(table, Qt::CaseInsensitive))
            ++count;
    return count;
}
