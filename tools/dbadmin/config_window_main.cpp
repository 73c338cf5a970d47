#include "config_window_main.h"

#include "config_window.h"

#include "app/nollard_application.h"
#include "db/schema.h"
#include "ui/desktop_integration.h"

#include <QDir>

int runConfigWindow(int &argc, char **argv)
{
    NollardApplication app(argc, argv);
    ui::integrateWithDesktop(app);
    const QString configFile =
        QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("config/config.ini"));
    ConfigWindow window(configFile, installedSchemaFolder());
    window.show();
    return app.exec();
}
