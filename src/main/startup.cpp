#include "startup.h"

#include "config_check.h"
#include "database_file_check.h"
#include "window_memory.h"

#include "app/messages.h"
#include "app/read_failures.h"
#include "db/schema_version.h"
#include "db/tdm.h"
#include "fees/item_window.h"
#include "notices/main_window.h"
#include "session/login_window.h"

#include <QCoreApplication>
#include <QDir>

Nollard::Nollard(const DbSettings &settings)
{
    create(settings, QString());
}

Nollard::Nollard(const ConfigLocation &config)
{
    QString problem = configFileProblem(config.file);
    if (!problem.isEmpty() && !config.found && config.lookedFor.size() > 1)
        problem += QStringLiteral("\n程序也查找了系统配置文件 %1，它也不存在。")
                       .arg(QDir::toNativeSeparators(config.lookedFor.last()));
    create(readSettings(config), problem);
}

bool Nollard::refusesToStart(const ConfigLocation &config)
{
    if (!config.found)
        return false;
    const QString problem = embeddedDatabaseProblem(readSettings(config), config.file, dbadminCommand());
    if (problem.isEmpty())
        return false;
    messages::inform(problem);
    return true;
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
    // Size and place of every window, per login account; the login window's
    // for the workstation.
    static bool watching = false;
    if (!watching) {
        rememberWindows({login->objectName()});
        watching = true;
    }
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
}

Nollard::~Nollard()
{
    item.reset();
    main.reset();
    login.reset();
    dm.reset();
}
