// The secondary windows reached from the main window's menus and toolbar. Each
// is created when opened, shown modally and released when closed; one block
// per subsystem.

#include "main_window.h"

#include "finance/bill_window.h"
#include "masterdata/menu.h"

#include "app/named_query.h"
#include "app/tdm.h"

#include <QAction>

void TF_main::connectSecondaryWindows()
{
    // Bills.
    const auto openBills = [this] {
        {
            finance::TF_cjkpj bills(m_dm, this);
            bills.exec();
        }
        // Bills change the notices' states: the list shows them as they are
        // now, unless a notice is being edited, whose edit must stay.
        if (m_dm.aq_notice->state() == NamedQuery::State::Browsing) {
            run([this] { m_dm.aq_notice->reopen(); });
            checkshow();
            dbgird_notice_check();
        }
    };
    for (QAction *opener : {M_cjkpj, bt_pj})
        connect(opener, &QAction::triggered, this, openBills);

    // Statistics and plan.

    // Statistical reports and ledger.

    // Master data: accounts, catalogues, name lists.
    masterdata::connectMenu(m_dm, this,
                            {M_useradmin, M_money, M_cwitem, M_cjitem, M_company, M_buildtype, M_runtype, M_other});

    // Own account, themes, help, about, configuration program.
}
