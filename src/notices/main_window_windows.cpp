// The secondary windows reached from the main window's menus and toolbar. Each
// is created when opened, shown modally and released when closed; one block
// per subsystem.

#include "main_window.h"

#include "finance/report_window.h"

#include <QAction>

void TF_main::connectSecondaryWindows()
{
    // Bills.

    // Statistics and plan.

    // Statistical reports and ledger.
    const auto openReports = [this] {
        TF_report window(m_dm, this);
        window.exec();
    };
    connect(M_report, &QAction::triggered, this, openReports);
    connect(bt_report, &QAction::triggered, this, openReports);

    // Master data: accounts, catalogues, name lists.

    // Own account, themes, help, about, configuration program.
}
