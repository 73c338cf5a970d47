// Nollard: takes no arguments; reads ./config/config.ini and shows the login window.

#include "startup.h"

#include "app/nollard_application.h"
#include "ui/desktop_integration.h"

int main(int argc, char *argv[])
{
    NollardApplication app(argc, argv);
    ui::integrateWithDesktop(app);
    Nollard nollard(defaultConfigPath());
    nollard.showLoginAndCreateWindows();
    return app.exec();
}
