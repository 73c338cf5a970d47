#include "config_window_main.h"

#include "config_window.h"

#include "app/nollard_application.h"
#include "db/config_location.h"
#include "db/schema.h"
#include "ui/desktop_integration.h"

#include <QDir>

int runConfigWindow(int &argc, char **argv)
{
    NollardApplication app(argc, argv);
    ui::integrateWithDesktop(app);
    // The program's own folder first, where Nollard starts this window, then
    // the system configuration of an installed package.
    const QString configFile = locateConfig(QCoreApplication::applicationDirPath()).file;
    ConfigWindow window(configFile, installedSchemaFolder());
    window.show();
    return app.exec();
}
