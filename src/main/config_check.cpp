#include "config_check.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

QString configFileProblem(const QString &path)
{
    const QFileInfo file(path);
    const QString folder = QDir::toNativeSeparators(file.absolutePath());
    const QString howTo = QStringLiteral("请用客户端数据库配置程序 dbadmin（与 Nollard 在同一文件夹，不带参数启动）"
                                         "选择数据库并保存配置，它会写出这个文件；"
                                         "或者把安装包中的 config%1config.ini 复制到该文件夹后按需修改。")
                              .arg(QDir::separator());
    if (!file.exists())
        return QStringLiteral("找不到数据库配置文件 %1。\n程序在文件夹 %2 中查找它（相对于程序的工作目录）。\n")
                   .arg(file.fileName(), folder)
               + howTo;
    QFile probe(path);
    if (!file.isFile() || !probe.open(QIODevice::ReadOnly))
        return QStringLiteral("无法读取数据库配置文件 %1（%2）。\n请检查文件夹 %3 中这个文件的权限。\n")
                   .arg(QDir::toNativeSeparators(file.absoluteFilePath()),
                        file.isFile() ? probe.errorString() : QStringLiteral("不是文件"), folder)
               + howTo;
    return {};
}
