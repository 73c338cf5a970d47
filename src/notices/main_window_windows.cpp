// The secondary windows reached from the main window's menus and toolbar. Each
// is created when opened, shown modally and released when closed; one block
// per subsystem.

#include "main_window.h"

void TF_main::connectSecondaryWindows()
{
    // Bills.

    // Statistics and plan.

    // Statistical reports and ledger.

    // Master data: accounts, catalogues, name lists.

    // Own account, themes, help, about, configuration program.
}
