#include "startup.h"

#include "config_check.h"
#include "window_memory.h"

#include "app/messages.h"
#include "app/read_failures.h"
#include "db/schema_version.h"
#include "db/tdm.h"
#include "fees/item_window.h"
#include "notices/main_window.h"
#include "session/login_window.h"

#include <QCoreApplication>

Nollard::Nollard(const DbSettings &settings)
{
    create(settings, QString());
}

Nollard::Nollard(const QString &configFile)
{
    create(DbSettings::fromFile(configFile), configFileProblem(configFile));
}

void Nollard::create(const DbSettings &settings, const QString &configProblem)
{
    dm = std::make_unique<Tdm>(settings);
    tellReadFailures(*dm);
    if (configProblem.isEmpty()) {
        // A connection that cannot be opened is reported; the login window still comes.
        // So is a database of an older schema, before any window fails on it.
        messages::guarded([this] {
            dm->DataModuleCreate();
            requireCurrentSchema(dm->database());
        });
    } else {
        messages::inform(configProblem);
        // The defaults name no reachable database: opening fails, and the
        // message above already says why.
        try {
            dm->DataModuleCreate();
        } catch (const std::exception &) {
        }
    }
    login = std::make_unique<TF_login>(*dm->aq_login);
}

void Nollard::showLoginAndCreateWindows()
{
    login->show();
    // Only painting: nothing the user does is handled before every window exists.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    main = std::make_unique<TF_main>(*dm);
    item = std::make_unique<TF_item>(*dm);
    login->setMainWindow(main.get());
    main->setLoginWindow(login.get());
    main->setItemEditor(item.get());
    // Size and place of the main window, per user of this workstation.
    rememberGeometry(main.get(), QStringLiteral("TF_main"));
}

Nollard::~Nollard()
{
    item.reset();
    main.reset();
    login.reset();
    dm.reset();
}
