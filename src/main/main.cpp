// Start-up: the application, the data module with its one connection, the
// login window (the program's main window), the main window hidden, then the
// event loop.

#include "app/db_settings.h"
#include "app/login_window.h"
#include "app/messages.h"
#include "app/nollard_application.h"
#include "app/tdm.h"
#include "notices/main_window.h"

int main(int argc, char *argv[])
{
    NollardApplication app(argc, argv);

    Tdm dm(DbSettings::fromFile(defaultConfigPath()));
    // A connection that cannot be opened is reported; the login window still comes.
    messages::guarded([&dm] { dm.DataModuleCreate(); });

    TF_login login(*dm.aq_login);
    TF_main mainWindow(dm);
    login.setMainWindow(&mainWindow);
    login.show();
    return app.exec();
}
