#include "schema.h"

#include "connection.h"
#include "db_error.h"
#include "sql_dialect.h"
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
        if (line.endsWith(QLatin1Char(';'))) {
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

void createSchema(QSqlDatabase db, const QString &schemaFolder)
{
    const SqlDialect dialect(kindOf(db));
    const QString path = QDir(schemaFolder).filePath(dialect.schemaFileName());
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        throw DbError(QStringLiteral("%1: %2").arg(path, file.errorString()));
    const QStringList statements = schemaStatements(QString::fromUtf8(file.readAll()));

    Transaction transaction(db);
    for (const QString &sql : statements) {
        QSqlQuery q(db);
        if (!q.exec(sql))
            throw DbError(q.lastError());
    }
    transaction.commit();
}

QString installedSchemaFolder()
{
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("db"));
}

QStringList systemTables()
{
    return {QStringLiteral("notice"),   QStringLiteral("itemofnotice"), QStringLiteral("person"),
            QStringLiteral("company"),  QStringLiteral("counter"),      QStringLiteral("buildtype"),
            QStringLiteral("runtype"),  QStringLiteral("othertype"),    QStringLiteral("itemcj"),
            QStringLiteral("itemcw"),   QStringLiteral("statistic"),    QStringLiteral("statistic2")};
}
