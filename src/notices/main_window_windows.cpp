// The secondary windows reached from the main window's menus and toolbar. Each
// is created when opened, shown modally and released when closed; one block
// per subsystem.

#include "main_window.h"

#include "app/current_user.h"
#include "finance/statistics_window.h"

#include <QAction>

void TF_main::connectSecondaryWindows()
{
    // Bills.

    // Statistics and plan.
    const auto openStatistics = [this] {
        if (CurrentUser.typeId != 8)
            return;  // the finance leader's window only
        TF_caiwu window(m_dm, this);
        window.exec();
    };
    connect(M_caiwu, &QAction::triggered, this, openStatistics);
    connect(bt_caiwu, &QAction::triggered, this, openStatistics);

    // Statistical reports and ledger.

    // Master data: accounts, catalogues, name lists.

    // Own account, themes, help, about, configuration program.
}
