#include "desktop_open.h"

#include "app/messages.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

namespace ui {

namespace {

bool desktop(const DesktopRequest &request)
{
    if (request.kind == DesktopRequest::Kind::OpenDocument)
        return QDesktopServices::openUrl(QUrl::fromLocalFile(request.path));
    // The program's working directory is passed on, so that it finds the
    // same config folder as the program that started it.
    return QProcess::startDetached(request.path, {}, QDir::currentPath());
}

DesktopHandler &handler()
{
    static DesktopHandler current;
    return current;
}

bool carryOut(const DesktopRequest &request)
{
    return handler() ? handler()(request) : desktop(request);
}

}  // namespace

DesktopHandler setDesktopHandler(DesktopHandler replacement)
{
    DesktopHandler old = std::move(handler());
    handler() = std::move(replacement);
    return old;
}

QString htmlManualPath()
{
    return QStringLiteral("help/htmlNollard用户手册.htm");
}

QString wordManualPath()
{
    return QStringLiteral("help/Nollard用户手册.doc");
}

QString configurationProgramPath()
{
#ifdef Q_OS_WIN
    const QString name = QStringLiteral("dbadmin.exe");
#else
    const QString name = QStringLiteral("dbadmin");
#endif
    return QDir(QCoreApplication::applicationDirPath()).filePath(name);
}

void openDocument(const QString &relativePath)
{
    const QFileInfo file(QDir::current(), relativePath);
    const QString shown = QDir::toNativeSeparators(file.absoluteFilePath());
    if (!file.isFile()) {
        messages::inform(QStringLiteral("找不到文件 %1").arg(shown));
        return;
    }
    if (!carryOut({DesktopRequest::Kind::OpenDocument, file.absoluteFilePath()}))
        messages::inform(QStringLiteral("无法打开 %1：桌面上没有能打开这种文件的程序").arg(shown));
}

void startConfigurationProgram()
{
    const QFileInfo program(configurationProgramPath());
    const QString shown = QDir::toNativeSeparators(program.absoluteFilePath());
    if (!program.isFile() || !program.isExecutable()) {
        messages::inform(QStringLiteral("找不到客户端数据库配置程序 %1").arg(shown));
        return;
    }
    if (!carryOut({DesktopRequest::Kind::StartProgram, program.absoluteFilePath()}))
        messages::inform(QStringLiteral("无法启动 %1").arg(shown));
}

}  // namespace ui
