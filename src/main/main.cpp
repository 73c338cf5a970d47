// Nollard: takes no arguments; reads config/config.ini under the working
// directory, or else the system configuration, and shows the login window.

#include "report_messages.h"
#include "startup.h"

#include "app/nollard_application.h"
#include "db/config_location.h"
#include "ui/desktop_integration.h"

#include <QDir>

int main(int argc, char *argv[])
{
    NollardApplication app(argc, argv);
    // The desktop matches the windows to the menu entry nollard.desktop and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("nollard"));
    ui::integrateWithDesktop(app);
    routeReportMessages();
    const ConfigLocation config = locateConfig(QDir::currentPath());
    if (Nollard::refusesToStart(config))
        return 1;
    Nollard nollard(config);
    nollard.showLoginAndCreateWindows();
    return app.exec();
}
