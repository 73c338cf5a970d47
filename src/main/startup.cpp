#include "startup.h"

#include "app/login_window.h"
#include "app/messages.h"
#include "app/tdm.h"
#include "notices/main_window.h"

Nollard::Nollard(const DbSettings &settings)
{
    dm = std::make_unique<Tdm>(settings);
    // A connection that cannot be opened is reported; the login window still comes.
    messages::guarded([this] { dm->DataModuleCreate(); });
    login = std::make_unique<TF_login>(*dm->aq_login);
    main = std::make_unique<TF_main>(*dm);
    login->setMainWindow(main.get());
}

Nollard::~Nollard()
{
    main.reset();
    login.reset();
    dm.reset();
}
