#pragma once
// The connection settings of the initialisation file, section [database].

#include <QString>
#include <QStringList>

enum class DbKind { SqlServer, SQLite, PostgreSQL };

struct DbSettings
{
    QString provider = QStringLiteral("SQLOLEDB.1");
    QString dataSource = QStringLiteral("servername");
    QString initialCatalog = QStringLiteral("Initial Catalog");
    QString userId = QStringLiteral("User ID");
    QString password = QStringLiteral("Password");

    // Encryption of the connection to a server; empty keeps the client
    // library's own behaviour, as before these keys existed.
    // PostgreSQL "SSL Mode": disable, prefer, require, verify-ca or verify-full.
    QString sslMode;
    // PostgreSQL "SSL CA File": the certificate (PEM) of the authority that
    // signed the server's certificate, checked under verify-ca and verify-full.
    QString sslCaFile;
    // SQL Server "Encrypt": no or yes.
    QString encrypt;
    // SQL Server "Trust Server Certificate": yes accepts a certificate that
    // the workstation cannot verify; no (or empty) does not.
    QString trustServerCertificate;

    DbKind kind() const;

    // The connection string in the administration's classic form, built
    // from the four keys in a fixed order.
    QString connectionString() const;

    // Why the encryption keys cannot be used (an unknown value, a CA file
    // without a mode that checks it, ...), in words; empty when they can.
    QString encryptionProblem() const;
    // The values of "SSL Mode", in order of strength.
    static const QStringList &sslModes();
    // "yes" or "true", in any letter case.
    static bool isYes(const QString &value);

    // Reads the file; every missing key (or a missing file) keeps its default.
    static DbSettings fromFile(const QString &path);
    // Writes the file that fromFile reads back.
    bool writeFile(const QString &path, QString *error) const;
};

// Where the program looks for its initialisation file: relative to the
// working directory, as the administration's installations expect.
QString defaultConfigPath();
