#include "database_file_check.h"

#include "db/config_location.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#if defined(Q_OS_UNIX)
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

// Asked for the effective user, as the database will open the file; root
// may write anything, so only the permission bits of others count.
bool writable(const QString &path)
{
#if defined(Q_OS_UNIX)
    return ::faccessat(AT_FDCWD, QFile::encodeName(path).constData(), W_OK, AT_EACCESS) == 0;
#else
    return QFileInfo(path).isWritable();
#endif
}

QString shown(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

const QString &groupHint()
{
    static const QString text = QStringLiteral("请让系统管理员给您写入权限：安装包把数据文件夹交给用户组 nollard，"
                                               "用 sudo adduser 用户名 nollard 把您的账号加入该组，重新登录后生效。");
    return text;
}

}  // namespace

QString embeddedDatabaseProblem(const DbSettings &settings, const QString &configFile, const QString &dbadmin)
{
    if (settings.kind() != DbKind::SQLite)
        return {};
    const QFileInfo file(QDir::current().absoluteFilePath(settings.dataSource));
    const QString path = shown(file.absoluteFilePath());
    const QString folder = shown(file.absolutePath());
    if (!file.exists()) {
        // The command reads the same configuration only when it finds it by
        // itself: the system configuration, or the one under the folder it
        // is started in.
        const QString config = QFileInfo(configFile).absoluteFilePath();
        const bool foundByDbadmin = config == QFileInfo(ConfigPlaces::installed().systemConfig).absoluteFilePath();
        const QString command = foundByDbadmin ? QStringLiteral("%1 init").arg(dbadmin)
                                               : QStringLiteral("%1 init --config %2").arg(dbadmin, shown(config));
        return QStringLiteral("找不到数据库文件 %1。\n配置文件 %2 指定了这个文件，但它还不存在。\n"
                              "请以能写入文件夹 %3 的用户运行下面的命令，它创建数据库和第一批账号：\n%4")
            .arg(path, shown(config), folder, command);
    }
    if (!file.isFile())
        return QStringLiteral("数据库文件 %1 不是文件。\n请检查配置文件 %2 中的 Data Source。")
            .arg(path, shown(QFileInfo(configFile).absoluteFilePath()));
    if (!writable(file.absoluteFilePath()))
        return QStringLiteral("无法写入数据库文件 %1，通知单不能保存，因此程序不启动。\n").arg(path) + groupHint();
    if (!writable(file.absolutePath()))
        return QStringLiteral("无法写入数据库文件所在的文件夹 %1（数据库写入时要在那里建立日志文件），"
                              "通知单不能保存，因此程序不启动。\n")
                   .arg(folder)
               + groupHint();
    return {};
}

QString dbadminCommand()
{
    const QString beside = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("dbadmin"));
    const QString onPath = QStandardPaths::findExecutable(QStringLiteral("dbadmin"));
    if (!onPath.isEmpty() && QFileInfo(onPath).canonicalFilePath() == QFileInfo(beside).canonicalFilePath())
        return QStringLiteral("dbadmin");
    return shown(beside);
}
