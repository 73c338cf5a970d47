// Nollard: takes no arguments; reads ./config/config.ini and shows the login window.

#include "startup.h"

#include "app/nollard_application.h"

int main(int argc, char *argv[])
{
    NollardApplication app(argc, argv);
    Nollard nollard(DbSettings::fromFile(defaultConfigPath()));
    nollard.showLoginAndCreateWindows();
    return app.exec();
}
