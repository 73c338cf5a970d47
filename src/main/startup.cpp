#include "startup.h"

#include "app/login_window.h"
#include "app/messages.h"
#include "app/schema_version.h"
#include "app/tdm.h"
#include "fees/item_window.h"
#include "notices/main_window.h"

#include <QCoreApplication>

Nollard::Nollard(const DbSettings &settings)
{
    dm = std::make_unique<Tdm>(settings);
    // A connection that cannot be opened is reported; the login window still comes.
    // So is a database of an older schema, before any window fails on it.
    messages::guarded([this] {
        dm->DataModuleCreate();
        requireCurrentSchema(dm->database());
    });
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
}

Nollard::~Nollard()
{
    item.reset();
    main.reset();
    login.reset();
    dm.reset();
}
