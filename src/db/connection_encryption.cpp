#include "connection_encryption.h"

#include <QDir>

namespace {

// A value in libpq's quotes: backslash and quote escaped.
QString quotedOption(const QString &value)
{
    QString v = value;
    v.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    v.replace(QLatin1Char('\''), QStringLiteral("\\'"));
    return QLatin1Char('\'') + v + QLatin1Char('\'');
}

}  // namespace

QString postgresEncryptionOptions(const DbSettings &s)
{
    QString options;
    if (!s.sslMode.trimmed().isEmpty())
        options += QStringLiteral(" sslmode=") + s.sslMode.trimmed().toLower();
    if (!s.sslCaFile.trimmed().isEmpty())
        options += QStringLiteral(" sslrootcert=") + quotedOption(QDir::cleanPath(s.sslCaFile.trimmed()));
    return options;
}

QString postgresEncryptionFailure(const DbSettings &s, const QString &libraryText)
{
    const QString host = s.dataSource.trimmed();
    const QString ca = QDir::toNativeSeparators(s.sslCaFile.trimmed());
    QString words;
    if (libraryText.contains(QLatin1String("does not match host name")))
        words = QStringLiteral("数据库服务器证书上的名称与配置的数据源“%1”不符，为防止连到冒充的服务器，"
                               "没有建立连接。请在“Data Source”中填写证书上的服务器名称。")
                    .arg(host);
    else if (libraryText.contains(QLatin1String("certificate verify failed")))
        words = QStringLiteral("数据库服务器 %1 的证书不能用配置的 CA 证书文件%2验证，为防止连到冒充的服务器，"
                               "没有建立连接。请确认“SSL CA File”是签发该服务器证书的 CA 证书。")
                    .arg(host, ca.isEmpty() ? QString() : QStringLiteral(" %1 ").arg(ca));
    else if (libraryText.contains(QLatin1String("root certificate file")))
        words = QStringLiteral("找不到或无法读取 CA 证书文件%1，没有建立连接。请检查“SSL CA File”。")
                    .arg(ca.isEmpty() ? QString() : QStringLiteral(" %1").arg(ca));
    else if (libraryText.contains(QLatin1String("server does not support SSL")))
        words = QStringLiteral("数据库服务器 %1 不支持加密连接，而配置要求加密（SSL Mode=%2），没有建立连接，"
                               "密码也没有发出。请让数据库管理员在服务器上启用 SSL。")
                    .arg(host, s.sslMode.trimmed());
    else if (libraryText.contains(QLatin1String("no encryption")))
        words = QStringLiteral("数据库服务器 %1 只接受加密连接。请在配置中设置“SSL Mode”（例如 verify-full）"
                               "和“SSL CA File”。")
                    .arg(host);
    else
        return {};
    const QString detail = libraryText.trimmed().section(QLatin1Char('\n'), 0, 0).trimmed();
    return detail.isEmpty() ? words : words + QStringLiteral("\n（") + detail + QStringLiteral("）");
}
