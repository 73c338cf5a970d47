#include "db_settings.h"

#include "ini_file.h"

#include <QDir>

namespace {
const QString kSection = QStringLiteral("database");
const QString kSslMode = QStringLiteral("SSL Mode");
const QString kSslCaFile = QStringLiteral("SSL CA File");
const QString kEncrypt = QStringLiteral("Encrypt");
const QString kTrust = QStringLiteral("Trust Server Certificate");

bool oneOf(const QString &value, const QStringList &allowed)
{
    return allowed.contains(value.trimmed(), Qt::CaseInsensitive);
}
}  // namespace

const QStringList &DbSettings::sslModes()
{
    static const QStringList modes{QStringLiteral("disable"), QStringLiteral("prefer"), QStringLiteral("require"),
                                   QStringLiteral("verify-ca"), QStringLiteral("verify-full")};
    return modes;
}

bool DbSettings::isYes(const QString &value)
{
    return oneOf(value, {QStringLiteral("yes"), QStringLiteral("true")});
}

QString DbSettings::encryptionProblem() const
{
    const QStringList yesNo{QStringLiteral("yes"), QStringLiteral("no"), QStringLiteral("true"),
                            QStringLiteral("false")};
    if (!sslMode.trimmed().isEmpty() && !oneOf(sslMode, sslModes()))
        return QStringLiteral("“%1”的值“%2”无效，应为 %3 之一。")
            .arg(kSslMode, sslMode, sslModes().join(QStringLiteral("、")));
    const bool verifies = oneOf(sslMode, {QStringLiteral("verify-ca"), QStringLiteral("verify-full")});
    if (!sslCaFile.trimmed().isEmpty() && !verifies)
        return QStringLiteral("给出了“%1”，但“%2”不是 verify-ca 或 verify-full，CA 证书文件不会被使用。")
            .arg(kSslCaFile, kSslMode);
    if (sslCaFile.contains(QLatin1Char(';')))
        return QStringLiteral("“%1”的路径中不能有“;”。").arg(kSslCaFile);
    if (!encrypt.trimmed().isEmpty() && !oneOf(encrypt, yesNo))
        return QStringLiteral("“%1”的值“%2”无效，应为 yes 或 no。").arg(kEncrypt, encrypt);
    if (!trustServerCertificate.trimmed().isEmpty() && !oneOf(trustServerCertificate, yesNo))
        return QStringLiteral("“%1”的值“%2”无效，应为 yes 或 no。").arg(kTrust, trustServerCertificate);
    return {};
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
    s.sslMode = ini.value(kSection, kSslMode, QString()).trimmed();
    s.sslCaFile = ini.value(kSection, kSslCaFile, QString()).trimmed();
    s.encrypt = ini.value(kSection, kEncrypt, QString()).trimmed();
    s.trustServerCertificate = ini.value(kSection, kTrust, QString()).trimmed();
    return s;
}

bool DbSettings::writeFile(const QString &path, QString *error) const
{
    QList<QPair<QString, QString>> entries{{QStringLiteral("Provider"), provider},
                                           {QStringLiteral("Data Source"), dataSource},
                                           {QStringLiteral("Initial Catalog"), initialCatalog},
                                           {QStringLiteral("User ID"), userId},
                                           {QStringLiteral("Password"), password}};
    // Only the keys in use: a file without them reads as before they existed.
    for (const auto &[key, value] : {std::pair{kSslMode, sslMode}, std::pair{kSslCaFile, sslCaFile},
                                     std::pair{kEncrypt, encrypt}, std::pair{kTrust, trustServerCertificate}})
        if (!value.trimmed().isEmpty())
            entries.append({key, value.trimmed()});
    return writeIniSection(path, kSection, entries, error);
}

QString defaultConfigPath()
{
    return QDir::toNativeSeparators(QStringLiteral("./config/config.ini"));
}
