// Nollard: takes no arguments; reads ./config/config.ini and shows the login window.

#include "report_messages.h"
#include "startup.h"

#include "app/nollard_application.h"
#include "ui/desktop_integration.h"

int main(int argc, char *argv[])
{
    NollardApplication app(argc, argv);
    ui::integrateWithDesktop(app);
    routeReportMessages();
    Nollard nollard(defaultConfigPath());
    nollard.showLoginAndCreateWindows();
    return app.exec();
}
