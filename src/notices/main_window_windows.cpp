// The secondary windows reached from the main window's menus and toolbar. Each
// is created when opened, shown modally and released when closed; one block
// per subsystem.

#include "main_window.h"

#include "masterdata/menu.h"

void TF_main::connectSecondaryWindows()
{
    // Bills.

    // Statistics and plan.

    // Statistical reports and ledger.

    // Master data: accounts, catalogues, name lists.
    masterdata::connectMenu(m_dm, this,
                            {M_useradmin, M_money, M_cwitem, M_cjitem, M_company, M_buildtype, M_runtype, M_other});

    // Own account, themes, help, about, configuration program.
}
