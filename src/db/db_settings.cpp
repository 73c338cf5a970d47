#include "db_settings.h"

#include "ini_file.h"

#include <QDir>

namespace {
const QString kSection = QStringLiteral("database");
}

DbKind DbSettings::kind() const
{
    const QString p = provider.trimmed();
    if (p.compare(QStringLiteral("SQLite"), Qt::CaseInsensitive) == 0)
        return DbKind::SQLite;
    if (p.compare(QStringLiteral("PostgreSQL"), Qt::CaseInsensitive) == 0)
        return DbKind::PostgreSQL;
    return DbKind::SqlServer;
}

QString DbSettings::connectionString() const
{
    return QStringLiteral("Provider=SQLOLEDB.1;Password=") + password
           + QStringLiteral(";Persist Security Info=True;User ID=") + userId + QStringLiteral(";Initial Catalog=")
           + initialCatalog + QStringLiteral(";Data Source=") + dataSource;
}

DbSettings DbSettings::fromFile(const QString &path)
{
    const IniFile ini = IniFile::read(path);
    DbSettings s;
    s.provider = ini.value(kSection, QStringLiteral("Provider"), s.provider);
    s.dataSource = ini.value(kSection, QStringLiteral("Data Source"), s.dataSource);
    s.initialCatalog = ini.value(kSection, QStringLiteral("Initial Catalog"), s.initialCatalog);
    s.userId = ini.value(kSection, QStringLiteral("User ID"), s.userId);
    s.password = ini.value(kSection, QStringLiteral("Password"), s.password);
    return s;
}

bool DbSettings::writeFile(const QString &path, QString *error) const
{
    return writeIniSection(path, kSection,
                           {{QStringLiteral("Provider"), provider},
                            {QStringLiteral("Data Source"), dataSource},
                            {QStringLiteral("Initial Catalog"), initialCatalog},
                            {QStringLiteral("User ID"), userId},
                            {QStringLiteral("Password"), password}},
                           error);
}

QString defaultConfigPath()
{
    return QDir::toNativeSeparators(QStringLiteral("./config/config.ini"));
}
