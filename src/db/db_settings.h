#pragma once
// The connection settings of the initialisation file, section [database].

#include <QString>

enum class DbKind { SqlServer, SQLite, PostgreSQL };

struct DbSettings
{
    QString provider = QStringLiteral("SQLOLEDB.1");
    QString dataSource = QStringLiteral("servername");
    QString initialCatalog = QStringLiteral("Initial Catalog");
    QString userId = QStringLiteral("User ID");
    QString password = QStringLiteral("Password");

    DbKind kind() const;

    // The connection string in the administration's classic form, built
    // from the four keys in a fixed order.
    QString connectionString() const;

    // Reads the file; every missing key (or a missing file) keeps its default.
    static DbSettings fromFile(const QString &path);
    // Writes the file that fromFile reads back.
    bool writeFile(const QString &path, QString *error) const;
};

// Where the program looks for its initialisation file: relative to the
// working directory, as the administration's installations expect.
QString defaultConfigPath();
